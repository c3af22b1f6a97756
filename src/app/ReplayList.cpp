#include "app/ReplayList.h"

#include "base/Language.h"

namespace tapeloft {

namespace {

// Headers of columns 34 to 39 are part of the program, not of the language file.
constexpr std::u16string_view kFixedHeaders[] = {
    u"Cервер", // its first letter is the Latin C, as the program has always shown it
    u"Тип боя", u"Стоимость снаряжения", u"Версия игры", u"Количество достижений", u"Показатель мастерсва"};

SortKind sortKindOf(int column, ReplayListKind kind) {
    if (column == 1) return SortKind::Date;
    if (column == 2) return kind == ReplayListKind::Replays ? SortKind::Decimal : SortKind::Text;
    if ((column >= 9 && column <= 30) || column == 36 || column == 38 || column == 39)
        return SortKind::Integer;
    return SortKind::Text;
}

} // namespace

void setReplayListSortKinds(ListModel& list, ReplayListKind kind) {
    for (int column = 0; column < kRecordColumns; ++column)
        list.setSortKind(column, sortKindOf(column, kind));
}

ListModel makeReplayListModel(const Language& language, ReplayListKind kind) {
    std::vector<ListColumn> columns(kRecordColumns);
    for (int c = 1; c <= 32; ++c)
        columns[c].header = language.message(17 + c);
    columns[33].header = language.message(87);
    for (int c = 34; c < kRecordColumns; ++c)
        columns[c].header = kFixedHeaders[c - 34];
    ListModel list(std::move(columns));
    list.registerListSorter(true);
    setReplayListSortKinds(list, kind);
    return list;
}

} // namespace tapeloft
