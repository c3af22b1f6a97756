#include "stats/BattleStats.h"

#include "replay/RecordColumns.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace tapeloft;

namespace {

const ResultTexts kTexts{u"Win", u"Loss", u"Even", u"Not a replay"};

using Cells = std::array<std::u16string, RecordColumnCount>;

// A list of hand-built rows, as the record extraction would have made them.
class Rows final : public RecordRowSource {
public:
    Rows() = default;
    Rows(std::initializer_list<Cells> rows) : rows_(rows) {}

    int rowCount() const override { return static_cast<int>(rows_.size()); }
    std::u16string_view cell(int row, int column) const override {
        return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }

private:
    std::vector<Cells> rows_;
};

struct Battle {
    std::u16string result;
    std::u16string alive = u"+";
    std::u16string frags = u"0";
    std::u16string xp = u"0";
    std::u16string damage = u"0";
    std::u16string netCredits = u"0";
    std::u16string shots = u"0";
    std::u16string hits = u"0";
    std::u16string vehicle = u"Warden";
    std::u16string map = u"Saltmarsh";
    std::u16string date = u"12.06.2015 20:34:00";
};

Cells row(const Battle& b) {
    Cells cells;
    cells[ColumnDate] = b.date;
    cells[ColumnMap] = b.map;
    cells[ColumnVehicle] = b.vehicle;
    cells[ColumnResult] = b.result;
    cells[ColumnAlive] = b.alive;
    cells[ColumnFrags] = b.frags;
    cells[ColumnXp] = b.xp;
    cells[ColumnNetCredits] = b.netCredits;
    cells[ColumnDamageDealt] = b.damage;
    cells[ColumnShots] = b.shots;
    cells[ColumnHits] = b.hits;
    cells[ColumnPath] = u"/r/" + b.date + u".ivlreplay";
    return cells;
}

// A replay without results: the description's cells, the placeholder in the result columns.
Cells withoutResults(std::u16string vehicle = u"Warden") {
    Cells cells;
    cells[ColumnDate] = u"13.06.2015 10:00:00";
    cells[ColumnVehicle] = std::move(vehicle);
    cells[ColumnMap] = u"Saltmarsh";
    for (const int c : {ColumnLifeTime, ColumnResult, ColumnAlive, ColumnFrags, ColumnXp})
        cells[static_cast<std::size_t>(c)] = u"\u2014";
    return cells;
}

// The row of a file whose header was rejected: the date cell says so, everything else is empty.
Cells rejectedFile() {
    Cells cells;
    cells[ColumnDate] = kTexts.notAReplay;
    cells[ColumnPath] = u"/r/bad.ivlreplay";
    return cells;
}

struct Totals {
    int battles, withoutResults, victories, defeats, draws;
    double winRate, survivalRate, hitRate, frags, xp, damageDealt, netCredits;
};

struct TotalsCase {
    const char* name;
    Rows rows;
    Totals expected;
};

TEST(BattleStats, TotalsOverHandBuiltRecords) {
    const TotalsCase cases[] = {
        {"an empty list", {}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"only records without results",
         {withoutResults(), withoutResults(u"Lynx")},
         {0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"a rejected file counts nowhere", {rejectedFile()}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"a draw is neither victory nor defeat",
         {row({.result = u"Even",
               .alive = u"-",
               .frags = u"1",
               .xp = u"300",
               .damage = u"450",
               .netCredits = u"-2500",
               .shots = u"4",
               .hits = u"3"})},
         {1, 0, 0, 0, 1, 0, 0, 0.75, 1, 300, 450, -2500}},
        {"no shots at all give a hit rate of 0",
         {row({.result = u"Win", .shots = u"0", .hits = u"0"}), row({.result = u"Loss", .alive = u"-"})},
         {2, 0, 1, 1, 0, 0.5, 0.5, 0, 0, 0, 0, 0}},
        {"the experience before a daily factor",
         {row({.result = u"Win", .xp = u"1200(x2)"}), row({.result = u"Win", .xp = u"601(x5)"})},
         {2, 0, 2, 0, 0, 1, 1, 0, 0, 900.5, 0, 0}},
        {"a mix of everything",
         {row({.result = u"Win",
               .frags = u"2",
               .xp = u"900",
               .damage = u"1500",
               .netCredits = u"30000",
               .shots = u"10",
               .hits = u"8"}),
          row({.result = u"Loss",
               .alive = u"-",
               .frags = u"0",
               .xp = u"200",
               .damage = u"300",
               .netCredits = u"-1000",
               .shots = u"6",
               .hits = u"2"}),
          row({.result = u"Win",
               .frags = u"1",
               .xp = u"700(x2)",
               .damage = u"1200",
               .netCredits = u"20000",
               .shots = u"9",
               .hits = u"7"}),
          row({.result = u"Even",
               .alive = u"-",
               .frags = u"0",
               .xp = u"100",
               .damage = u"0",
               .netCredits = u"500",
               .shots = u"0",
               .hits = u"0"}),
          withoutResults(), rejectedFile(), withoutResults()},
         {4, 2, 2, 1, 1, 0.5, 0.5, 17.0 / 25.0, 0.75, 475, 750, 12375}},
    };
    for (const TotalsCase& c : cases) {
        SCOPED_TRACE(c.name);
        const BattleStats s = computeBattleStats(c.rows, kTexts);
        const Totals& e = c.expected;
        EXPECT_EQ(s.battles, e.battles);
        EXPECT_EQ(s.withoutResults, e.withoutResults);
        EXPECT_EQ(s.victories, e.victories);
        EXPECT_EQ(s.defeats, e.defeats);
        EXPECT_EQ(s.draws, e.draws);
        EXPECT_DOUBLE_EQ(s.winRate, e.winRate);
        EXPECT_DOUBLE_EQ(s.survivalRate, e.survivalRate);
        EXPECT_DOUBLE_EQ(s.hitRate, e.hitRate);
        EXPECT_DOUBLE_EQ(s.frags, e.frags);
        EXPECT_DOUBLE_EQ(s.xp, e.xp);
        EXPECT_DOUBLE_EQ(s.damageDealt, e.damageDealt);
        EXPECT_DOUBLE_EQ(s.netCredits, e.netCredits);
        if (e.battles == 0) {
            EXPECT_TRUE(s.byVehicle.empty());
            EXPECT_TRUE(s.byMap.empty());
            EXPECT_TRUE(s.byWeek.empty());
        }
    }
}

TEST(BattleStats, ResultsAreTheLanguagesTextsExactly) {
    // A result cell that only looks like a result text is a replay without results, never a battle.
    const Rows rows{row({.result = u"win"}), row({.result = u"Win "}), row({.result = u"Loss"}),
                    row({.result = u""})};
    const BattleStats s = computeBattleStats(rows, kTexts);
    EXPECT_EQ(s.battles, 1);
    EXPECT_EQ(s.defeats, 1);
    EXPECT_EQ(s.withoutResults, 3);
}

struct GroupExpectation {
    std::u16string name;
    int battles, victories;
    double winRate, damageDealt, xp;
};

void expectGroups(const std::vector<GroupStats>& groups, const std::vector<GroupExpectation>& expected) {
    ASSERT_EQ(groups.size(), expected.size());
    for (std::size_t i = 0; i < groups.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(groups[i].name, expected[i].name);
        EXPECT_EQ(groups[i].battles, expected[i].battles);
        EXPECT_EQ(groups[i].victories, expected[i].victories);
        EXPECT_DOUBLE_EQ(groups[i].winRate, expected[i].winRate);
        EXPECT_DOUBLE_EQ(groups[i].damageDealt, expected[i].damageDealt);
        EXPECT_DOUBLE_EQ(groups[i].xp, expected[i].xp);
    }
}

TEST(BattleStats, PerVehicleAndPerMapMostBattlesFirstThenByCodeUnits) {
    const Rows rows{
        row({.result = u"Win", .xp = u"500", .damage = u"1000", .vehicle = u"b", .map = u"Frostgate"}),
        row({.result = u"Loss", .xp = u"100(x2)", .damage = u"200", .vehicle = u"b", .map = u"Bay"}),
        row({.result = u"Win", .xp = u"300", .damage = u"600", .vehicle = u"\u00C4", .map = u"Frostgate"}),
        row({.result = u"Even", .xp = u"50", .damage = u"0", .vehicle = u"B", .map = u"Frostgate"}),
        row({.result = u"Loss", .xp = u"70", .damage = u"10", .vehicle = u"a", .map = u"bay"}),
        // Without results: no vehicle or map counts it.
        withoutResults(u"Zeta"),
    };
    const BattleStats s = computeBattleStats(rows, kTexts);
    // "B" (U+0042) < "a" < "\u00C4": code units, not letters or letter case.
    expectGroups(s.byVehicle, {{u"b", 2, 1, 0.5, 600, 300},
                               {u"B", 1, 0, 0, 0, 50},
                               {u"a", 1, 0, 0, 10, 70},
                               {u"\u00C4", 1, 1, 1, 600, 300}});
    expectGroups(s.byMap, {{u"Frostgate", 3, 2, 2.0 / 3.0, 1600.0 / 3.0, 850.0 / 3.0},
                           {u"Bay", 1, 0, 0, 200, 100},
                           {u"bay", 1, 0, 0, 10, 70}});
}

TEST(BattleStats, WeeksRunFromMondayAndLeaveOutUnreadableDates) {
    const Rows rows{
        row({.result = u"Win", .damage = u"100", .date = u"31.12.2014 23:59:59"}),  // Wednesday
        row({.result = u"Loss", .damage = u"300", .date = u"02.01.2015 00:00:01"}), // Friday, same week
        row({.result = u"Win", .damage = u"500", .date = u"14.06.2015 12:00:00"}),  // Sunday
        row({.result = u"Win", .damage = u"700", .date = u"15.06.2015 12:00:00"}),  // the next Monday
        row({.result = u"Loss", .damage = u"900", .date = u"13.06.2015"}),          // no time, Saturday
        row({.result = u"Win", .damage = u"50", .date = u"31.04.2015 10:00:00"}),   // no such day
        row({.result = u"Win", .damage = u"50", .date = u"garbage"}),
    };
    const BattleStats s = computeBattleStats(rows, kTexts);
    EXPECT_EQ(s.battles, 7);
    ASSERT_EQ(s.byWeek.size(), 3u);
    // Mondays 29.12.2014, 08.06.2015 and 15.06.2015.
    const struct {
        std::int64_t firstDay;
        int battles, victories;
        double winRate, damageDealt;
    } expected[] = {{16433, 2, 1, 0.5, 200}, {16594, 2, 1, 0.5, 700}, {16601, 1, 1, 1, 700}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.byWeek[i].firstDay, expected[i].firstDay);
        EXPECT_EQ(s.byWeek[i].battles, expected[i].battles);
        EXPECT_EQ(s.byWeek[i].victories, expected[i].victories);
        EXPECT_DOUBLE_EQ(s.byWeek[i].winRate, expected[i].winRate);
        EXPECT_DOUBLE_EQ(s.byWeek[i].damageDealt, expected[i].damageDealt);
    }
}

TEST(BattleStats, DateCellsAndTheirWeeks) {
    const struct {
        std::u16string_view text;
        std::optional<std::int64_t> day;
    } dates[] = {
        {u"01.01.1970 00:00:00", 0},
        {u"12.06.2015 20:34:00", 16598},
        {u"29.02.2016 00:00:00", 16860}, // a leap day
        {u"29.02.2015 00:00:00", std::nullopt},
        {u"00.01.2015 00:00:00", std::nullopt},
        {u"01.13.2015 00:00:00", std::nullopt},
        {u"1.1.2015 00:00:00", std::nullopt},
        {u"01/01/2015", std::nullopt},
        {u"01.01.20", std::nullopt},
        {u"Not a replay", std::nullopt},
    };
    for (const auto& d : dates)
        EXPECT_EQ(dayOfDateCell(d.text), d.day) << std::string(d.text.begin(), d.text.end());

    const struct {
        std::int64_t day, monday;
    } weeks[] = {{0, -3},        {-3, -3},       {-4, -10},     {16598, 16594},
                 {16600, 16594}, {16601, 16601}, {16435, 16433}};
    for (const auto& w : weeks)
        EXPECT_EQ(mondayOfWeek(w.day), w.monday) << w.day;
}

} // namespace
