#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Statistics over battle record rows: how the player did, in all, per vehicle, per map and per week.
namespace tapeloft {

class Language;

// The rows the figures are made of, cell by cell, by RecordColumn.
class RecordRowSource {
public:
    virtual ~RecordRowSource() = default;
    virtual int rowCount() const = 0;
    // Empty for a cell the row does not have.
    virtual std::u16string_view cell(int row, int column) const = 0;
};

// What the result and date columns hold, from the language the rows were made with.
struct ResultTexts final {
    std::u16string victory;    // message 3
    std::u16string defeat;     // message 4
    std::u16string draw;       // message 5
    std::u16string notAReplay; // message 7, the date cell of a rejected file's row

    static ResultTexts of(const Language& language);
};

// One vehicle or one map. Rates and averages are over its battles; 0 when it has none.
struct GroupStats final {
    std::u16string name;
    int battles = 0;
    int victories = 0;
    double winRate = 0;
    double damageDealt = 0; // average per battle
    double xp = 0;          // average per battle, before any daily factor
};

// The battles of one calendar week, Monday to Sunday.
struct WeekStats final {
    std::int64_t firstDay = 0; // the Monday, in days since 1970-01-01
    int battles = 0;
    int victories = 0;
    double winRate = 0;
    double damageDealt = 0; // average per battle
};

// Every figure is over the battles with results; rates and averages are 0 when there is nothing to divide.
struct BattleStats final {
    int battles = 0;
    int withoutResults = 0; // rows of replays without results, which count nowhere else
    int victories = 0;
    int defeats = 0;
    int draws = 0;
    double winRate = 0;      // victories / battles
    double survivalRate = 0; // battles survived ("+" in the alive column) / battles
    double hitRate = 0;      // all hits / all shots
    // Averages per battle.
    double frags = 0;
    double xp = 0; // the number before any "(x2)" factor
    double damageDealt = 0;
    double netCredits = 0;
    // Most battles first, then by name in code-unit order.
    std::vector<GroupStats> byVehicle;
    std::vector<GroupStats> byMap;
    // Oldest first; only weeks with battles. Battles whose date cannot be read are in no week.
    std::vector<WeekStats> byWeek;
};

// The statistics of the rows. A row counts as a battle when its result cell is one of the three result
// texts; the row of a rejected file (its date cell the "not a replay" text, no result) counts nowhere;
// every other row is a replay without results.
BattleStats computeBattleStats(const RecordRowSource& rows, const ResultTexts& texts);

// Days since 1970-01-01 of a date cell ("dd.mm.yyyy hh:mm:ss", the time may be missing); nullopt when the
// text does not start with a real date.
std::optional<std::int64_t> dayOfDateCell(std::u16string_view text);

// The Monday on or before the day, both in days since 1970-01-01.
std::int64_t mondayOfWeek(std::int64_t day);

} // namespace tapeloft
