#include "app/ReplayList.h"

#include "base/BuiltInTexts.h"
#include "base/Language.h"

namespace tapeloft {

namespace {

// How each column sorts; every column not named here sorts as text.
constexpr struct {
    RecordColumn column;
    SortKind kind;
} kSortKinds[] = {
    {ColumnDate, SortKind::Date},
    // The favourites list has always sorted its lifetimes as text, the replay list as numbers.
    {ColumnLifeTime, SortKind::Decimal},
    {ColumnFrags, SortKind::Integer},
    {ColumnXp, SortKind::Integer},
    {ColumnFreeXp, SortKind::Integer},
    {ColumnXpPenalty, SortKind::Integer},
    {ColumnOriginalXp, SortKind::Integer},
    {ColumnCredits, SortKind::Integer},
    {ColumnCreditsPenalty, SortKind::Integer},
    {ColumnRepair, SortKind::Integer},
    {ColumnAmmunitionCost, SortKind::Integer},
    {ColumnNetCredits, SortKind::Integer},
    {ColumnDamageDealt, SortKind::Integer},
    {ColumnPotentialDamageDealt, SortKind::Integer},
    {ColumnDamageShare, SortKind::Integer},
    {ColumnDamageReceived, SortKind::Integer},
    {ColumnPotentialDamageReceived, SortKind::Integer},
    {ColumnShots, SortKind::Integer},
    {ColumnHits, SortKind::Integer},
    {ColumnHitRate, SortKind::Integer},
    {ColumnShotsReceived, SortKind::Integer},
    {ColumnHealth, SortKind::Integer},
    {ColumnCapturePoints, SortKind::Integer},
    {ColumnDroppedCapturePoints, SortKind::Integer},
    {ColumnEquipmentCost, SortKind::Integer},
    {ColumnAchievements, SortKind::Integer},
    {ColumnMastery, SortKind::Integer},
};

SortKind sortKindOf(int column, ReplayListKind kind) {
    if (column == ColumnLifeTime && kind == ReplayListKind::Favourites) return SortKind::Text;
    for (const auto& entry : kSortKinds)
        if (entry.column == column) return entry.kind;
    return SortKind::Text;
}

} // namespace

void setReplayListSortKinds(ListModel& list, ReplayListKind kind) {
    for (int column = 0; column < RecordColumnCount; ++column)
        list.setSortKind(column, sortKindOf(column, kind));
}

ListModel makeReplayListModel(const Language& language, ReplayListKind kind) {
    std::vector<ListColumn> columns(RecordColumnCount);
    for (int c = ColumnDate; c <= ColumnPath; ++c)
        columns[c].header = language.message(MsgFirstColumnHeader + c - ColumnDate);
    columns[ColumnGameMode].header = language.message(MsgGameModeHeader);
    for (int c = ColumnServer; c < RecordColumnCount; ++c)
        columns[c].header = language.message(MsgServerHeader + c - ColumnServer);
    ListModel list(std::move(columns));
    list.registerListSorter(true);
    setReplayListSortKinds(list, kind);
    return list;
}

} // namespace tapeloft
