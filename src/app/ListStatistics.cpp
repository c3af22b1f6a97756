#include "app/ListStatistics.h"

#include "base/Language.h"
#include "base/TextCodec.h"

#include <charconv>
#include <cmath>

namespace tapeloft {

namespace {

class ShownRows final : public RecordRowSource {
public:
    explicit ShownRows(const ListModel& list) : list_(list) {}
    int rowCount() const override { return list_.rowCount(); }
    std::u16string_view cell(int row, int column) const override { return list_.cell(row, column); }

private:
    const ListModel& list_;
};

std::u16string perBattle(const Language& language, MessageId header) {
    return language.message(header) + u" " + language.message(MsgPerBattle);
}

constexpr struct {
    int width;
    ColumnAlignment alignment;
    SortKind kind;
} kGroupColumns[StatsGroupColumnCount] = {
    {150, ColumnAlignment::Left, SortKind::Text},     {70, ColumnAlignment::Right, SortKind::Integer},
    {70, ColumnAlignment::Right, SortKind::Integer},  {80, ColumnAlignment::Right, SortKind::Decimal},
    {110, ColumnAlignment::Right, SortKind::Decimal}, {100, ColumnAlignment::Right, SortKind::Decimal},
};

} // namespace

BattleStats statsOfShownRows(const ListModel& list, const Language& language) {
    return computeBattleStats(ShownRows(list), ResultTexts::of(language));
}

ListModel makeStatsGroupList(const Language& language, StatsGroupKind kind) {
    std::vector<ListColumn> columns(StatsGroupColumnCount);
    columns[StatsColumnName].header =
        language.message(kind == StatsGroupKind::Vehicles ? MsgVehicleHeader : MsgMapHeader);
    columns[StatsColumnBattles].header = language.message(MsgBattles);
    columns[StatsColumnVictories].header = language.message(MsgVictories);
    columns[StatsColumnWinRate].header = language.message(MsgWinRate);
    columns[StatsColumnDamageDealt].header = perBattle(language, MsgDamageDealtHeader);
    columns[StatsColumnXp].header = perBattle(language, MsgXpHeader);
    for (int c = 0; c < StatsGroupColumnCount; ++c) {
        columns[c].width = kGroupColumns[c].width;
        columns[c].alignment = kGroupColumns[c].alignment;
    }
    ListModel list(std::move(columns));
    list.registerListSorter(true);
    for (int c = 0; c < StatsGroupColumnCount; ++c)
        list.setSortKind(c, kGroupColumns[c].kind);
    return list;
}

void fillStatsGroupList(ListModel& list, std::span<const GroupStats> groups) {
    list.beginBulkUpdate();
    list.removeAllRows();
    std::u16string row;
    for (const GroupStats& group : groups) {
        // A name cannot hold a line feed: the record extraction turned them into spaces.
        row = group.name;
        for (const std::u16string& cell :
             {decimal(group.battles), decimal(group.victories), percentText(group.winRate),
              fixedText(group.damageDealt, 1), fixedText(group.xp, 1)})
            row.append(u"\n").append(cell);
        list.appendRow(row);
    }
    if (const auto sorted = list.sortIndicator()) list.sortList(sorted->column, sorted->direction);
    list.endBulkUpdate();
}

std::vector<StatsFigure> statsFigures(const BattleStats& s, const Language& language) {
    return {
        {language.message(MsgBattles), decimal(s.battles)},
        {language.message(MsgVictories), decimal(s.victories)},
        {language.message(MsgDefeats), decimal(s.defeats)},
        {language.message(MsgDraws), decimal(s.draws)},
        {language.message(MsgWinRate), percentText(s.winRate)},
        {language.message(MsgSurvivalRate), percentText(s.survivalRate)},
        {language.message(MsgHitRateHeader), percentText(s.hitRate)},
        {language.message(MsgWithoutResults), decimal(s.withoutResults)},
        {perBattle(language, MsgFragsHeader), fixedText(s.frags, 2)},
        {perBattle(language, MsgXpHeader), fixedText(s.xp, 1)},
        {perBattle(language, MsgDamageDealtHeader), fixedText(s.damageDealt, 1)},
        {perBattle(language, MsgNetCreditsHeader), fixedText(s.netCredits, 1)},
    };
}

std::u16string fixedText(double value, int decimals) {
    // A value that rounds to zero is shown as zero, not as "-0.0".
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return u"0";
    return ascii(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

std::u16string percentText(double rate) {
    return fixedText(rate * 100.0, 1) + u" %";
}

} // namespace tapeloft
