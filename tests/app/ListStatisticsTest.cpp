#include "app/ListStatistics.h"

#include "app/ReplayList.h"
#include "base/Language.h"
#include "replay/RecordColumns.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace tapeloft;

namespace {

const Language& language() {
    static const Language lang(PrefFile::parse(u"[text]\ntxt3=Win\ntxt4=Loss\ntxt5=Even\ntxt6=-\ntxt7=Junk\n"
                                               u"txt21=Map\ntxt23=Vehicle\ntxt26=Frags\ntxt27=XP\n"
                                               u"txt35=Net\ntxt36=Damage\ntxt43=Accuracy\ntxt130=Stats\n"
                                               u"txt131=Battles\ntxt132=Wins\ntxt133=Losses\ntxt134=Evens\n"
                                               u"txt135=Win rate\ntxt136=Survived\ntxt137=per battle\n"
                                               u"txt138=No results\n"));
    return lang;
}

// A replay list row: result, vehicle, map and damage dealt; the alive column says "+".
std::u16string recordRow(std::u16string result, std::u16string vehicle, std::u16string map,
                         std::u16string damage) {
    std::array<std::u16string, RecordColumnCount> cells;
    cells[ColumnDate] = u"12.06.2015 20:34:00";
    cells[ColumnResult] = std::move(result);
    cells[ColumnVehicle] = std::move(vehicle);
    cells[ColumnMap] = std::move(map);
    cells[ColumnDamageDealt] = std::move(damage);
    cells[ColumnAlive] = u"+";
    std::u16string text;
    for (int c = 0; c < RecordColumnCount; ++c)
        text.append(c ? u"\n" : u"").append(cells[static_cast<std::size_t>(c)]);
    return text;
}

TEST(ListStatistics, CountOnlyTheRowsTheFilterShows) {
    ListModel list = makeReplayListModel(language(), ReplayListKind::Replays);
    list.appendRow(recordRow(u"Win", u"Warden", u"Saltmarsh", u"1000"));
    list.appendRow(recordRow(u"Loss", u"Warden", u"Frostgate", u"200"));
    list.appendRow(recordRow(u"Win", u"Lynx", u"Saltmarsh", u"600"));
    list.appendRow(recordRow(u"-", u"Wisp", u"Saltmarsh", u""));
    list.appendRow(recordRow(u"", u"", u"", u"")); // no result, but not a rejected file's row either
    const struct {
        int column;
        std::u16string_view filter;
        int battles, withoutResults, victories;
        double damageDealt;
    } cases[] = {
        {ColumnVehicle, u"", 3, 2, 2, 600},       {ColumnVehicle, u"w", 2, 1, 1, 600},
        {ColumnVehicle, u"warden", 2, 0, 1, 600}, {ColumnMap, u"salt", 2, 1, 2, 800},
        {ColumnResult, u"Win", 2, 0, 2, 800},     {ColumnVehicle, u"Tiger", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.filter.begin(), c.filter.end()));
        list.clearFilter();
        list.setFilterText(c.column, c.filter);
        const BattleStats stats = statsOfShownRows(list, language());
        EXPECT_EQ(stats.battles, c.battles);
        EXPECT_EQ(stats.withoutResults, c.withoutResults);
        EXPECT_EQ(stats.victories, c.victories);
        EXPECT_DOUBLE_EQ(stats.damageDealt, c.damageDealt);
    }
}

std::vector<std::u16string> column(const ListModel& list, int c) {
    std::vector<std::u16string> cells;
    for (int row = 0; row < list.rowCount(); ++row)
        cells.emplace_back(list.cell(row, c));
    return cells;
}

TEST(ListStatistics, GroupTablesShowTheGroupsAndKeepTheUsersSortOnRefill) {
    ListModel table = makeStatsGroupList(language(), StatsGroupKind::Vehicles);
    ASSERT_EQ(table.columnCount(), StatsGroupColumnCount);
    const std::u16string_view headers[] = {u"Vehicle",  u"Battles",           u"Wins",
                                           u"Win rate", u"Damage per battle", u"XP per battle"};
    for (int c = 0; c < StatsGroupColumnCount; ++c)
        EXPECT_EQ(table.headerText(c), headers[c]);
    EXPECT_EQ(makeStatsGroupList(language(), StatsGroupKind::Maps).headerText(StatsColumnName), u"Map");

    const std::vector<GroupStats> first{{u"Warden", 12, 6, 0.5, 1210.5, 640.3},
                                        {u"Lynx", 3, 2, 2.0 / 3.0, 95, 1000},
                                        {u"Heron", 2, 0, 0, 0, 0}};
    fillStatsGroupList(table, first);
    EXPECT_EQ(column(table, StatsColumnName), (std::vector<std::u16string>{u"Warden", u"Lynx", u"Heron"}));
    EXPECT_EQ(column(table, StatsColumnWinRate),
              (std::vector<std::u16string>{u"50.0 %", u"66.7 %", u"0.0 %"}));
    EXPECT_EQ(column(table, StatsColumnDamageDealt),
              (std::vector<std::u16string>{u"1210.5", u"95.0", u"0.0"}));
    EXPECT_EQ(column(table, StatsColumnXp), (std::vector<std::u16string>{u"640.3", u"1000.0", u"0.0"}));

    // Numbers sort as numbers: 95 before 1210.5, "9.1 %" before "50.0 %".
    const struct {
        int column;
        std::vector<std::u16string> namesAfterRefill;
    } sorts[] = {
        {StatsColumnDamageDealt, {u"Heron", u"Sable", u"Lynx", u"Warden"}},
        {StatsColumnWinRate, {u"Heron", u"Sable", u"Warden", u"Lynx"}},
        {StatsColumnBattles, {u"Heron", u"Lynx", u"Sable", u"Warden"}},
        {StatsColumnName, {u"Heron", u"Lynx", u"Sable", u"Warden"}},
    };
    const std::vector<GroupStats> second{{u"Warden", 13, 7, 7.0 / 13.0, 1200, 600},
                                         {u"Sable", 11, 1, 1.0 / 11.0, 90, 300},
                                         {u"Lynx", 3, 2, 2.0 / 3.0, 95, 1000},
                                         {u"Heron", 2, 0, 0, 0, 0}};
    for (const auto& sort : sorts) {
        SCOPED_TRACE(sort.column);
        fillStatsGroupList(table, first);
        table.registerListSorter(true);
        ASSERT_TRUE(table.headerClicked(sort.column));
        fillStatsGroupList(table, second);
        EXPECT_EQ(column(table, StatsColumnName), sort.namesAfterRefill);
        ASSERT_TRUE(table.sortIndicator().has_value());
        EXPECT_EQ(table.sortIndicator()->column, sort.column);
    }
}

TEST(ListStatistics, FiguresInTheirOrderWithComposedLabels) {
    BattleStats stats;
    stats.battles = 120;
    stats.withoutResults = 3;
    stats.victories = 61;
    stats.defeats = 55;
    stats.draws = 4;
    stats.winRate = 61.0 / 120.0;
    stats.survivalRate = 0.35;
    stats.hitRate = 0.7211;
    stats.frags = 0.915;
    stats.xp = 612.4;
    stats.damageDealt = 1043.16;
    stats.netCredits = -12034.54;
    const std::vector<StatsFigure> figures = statsFigures(stats, language());
    const std::pair<std::u16string_view, std::u16string_view> expected[] = {
        {u"Battles", u"120"},
        {u"Wins", u"61"},
        {u"Losses", u"55"},
        {u"Evens", u"4"},
        {u"Win rate", u"50.8 %"},
        {u"Survived", u"35.0 %"},
        {u"Accuracy", u"72.1 %"},
        {u"No results", u"3"},
        {u"Frags per battle", u"0.92"},
        {u"XP per battle", u"612.4"},
        {u"Damage per battle", u"1043.2"},
        {u"Net per battle", u"-12034.5"},
    };
    ASSERT_EQ(figures.size(), std::size(expected));
    for (std::size_t i = 0; i < figures.size(); ++i) {
        EXPECT_EQ(figures[i].label, expected[i].first) << i;
        EXPECT_EQ(figures[i].value, expected[i].second) << i;
    }
}

TEST(ListStatistics, NumbersWithFixedDecimalsWhateverTheLocale) {
    const struct {
        double value;
        int decimals;
        std::u16string_view text;
    } cases[] = {
        {0, 1, u"0.0"},      {-0.04, 1, u"0.0"}, {-0.06, 1, u"-0.1"},       {1043.16, 1, u"1043.2"},
        {0.915, 2, u"0.92"}, {42, 0, u"42"},     {1e9, 1, u"1000000000.0"}, {-12034.54, 1, u"-12034.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fixedText(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(percentText(0.5083333333333333), u"50.8 %");
    EXPECT_EQ(percentText(1), u"100.0 %");
    EXPECT_EQ(percentText(0), u"0.0 %");
}

} // namespace
