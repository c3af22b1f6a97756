#pragma once

#include "app/ListModel.h"
#include "stats/BattleStats.h"

#include <span>
#include <string>
#include <vector>

// The statistics window without the window: the figures of the rows a list shows, as texts, and the
// per-vehicle and per-map tables as lists that sort like every other list.
namespace tapeloft {

class Language;

// The statistics of the rows the list shows; rows its filter hides do not count.
BattleStats statsOfShownRows(const ListModel& list, const Language& language);

enum class StatsGroupKind { Vehicles, Maps };

// The columns of a per-vehicle or per-map table.
enum StatsGroupColumn : int {
    StatsColumnName = 0, // the vehicle or the map
    StatsColumnBattles,
    StatsColumnVictories,
    StatsColumnWinRate,
    StatsColumnDamageDealt, // average per battle
    StatsColumnXp,          // average per battle
    StatsGroupColumnCount
};

// An empty table with its headers (messages of the language), widths, alignments and sort kinds, the
// sorter registered with the header arrow. Never fails.
ListModel makeStatsGroupList(const Language& language, StatsGroupKind kind);

// Replaces every row of the table with the groups, in their order; a table the user has sorted by a
// header click is sorted the same way again.
void fillStatsGroupList(ListModel& list, std::span<const GroupStats> groups);

// One figure of the top of the window.
struct StatsFigure final {
    std::u16string label;
    std::u16string value;
};

// Battles, victories, defeats, draws, win rate, survival rate, hit rate, battles without results, then the
// averages per battle of frags, experience, damage dealt and net credits.
std::vector<StatsFigure> statsFigures(const BattleStats& stats, const Language& language);

// The value with that many decimals, '.' as separator whatever the locale, and no sign on a zero.
std::u16string fixedText(double value, int decimals);
// A rate (0 ... 1) as a percentage with one decimal: "50.8 %".
std::u16string percentText(double rate);

} // namespace tapeloft
