#include "stats/BattleStats.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/RecordColumns.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace tapeloft {

namespace {

struct GroupTotals {
    std::u16string_view name;
    int battles = 0;
    int victories = 0;
    std::int64_t damage = 0;
    std::int64_t xp = 0;
};

struct WeekTotals {
    int battles = 0;
    int victories = 0;
    std::int64_t damage = 0;
};

double ratio(double part, double whole) {
    return whole == 0 ? 0.0 : part / whole;
}

// Groups by the text of one column; the views point into the rows, which stay put while the figures are made.
class Grouping final {
public:
    GroupTotals& of(std::u16string_view name) {
        const auto [it, added] = index_.try_emplace(name, totals_.size());
        if (added) totals_.push_back({name});
        return totals_[it->second];
    }

    std::vector<GroupStats> result() const {
        std::vector<GroupStats> groups;
        groups.reserve(totals_.size());
        for (const GroupTotals& t : totals_)
            groups.push_back({std::u16string(t.name), t.battles, t.victories, ratio(t.victories, t.battles),
                              ratio(static_cast<double>(t.damage), t.battles),
                              ratio(static_cast<double>(t.xp), t.battles)});
        std::sort(groups.begin(), groups.end(), [](const GroupStats& a, const GroupStats& b) {
            return a.battles != b.battles ? a.battles > b.battles : a.name < b.name;
        });
        return groups;
    }

private:
    std::unordered_map<std::u16string_view, std::size_t> index_;
    std::vector<GroupTotals> totals_;
};

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return std::int64_t{era} * 146097 + dayOfEra - 719468;
}

int daysInMonth(int year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The number in text[from, from + count), or -1 unless all of it is digits.
int digitsAt(std::u16string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return -1;
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

} // namespace

ResultTexts ResultTexts::of(const Language& language) {
    return {language.message(MsgVictory), language.message(MsgDefeat), language.message(MsgDraw),
            language.message(MsgNotAReplay)};
}

std::optional<std::int64_t> dayOfDateCell(std::u16string_view text) {
    if (text.size() < 10 || text[2] != u'.' || text[5] != u'.') return std::nullopt;
    const int day = digitsAt(text, 0, 2);
    const int month = digitsAt(text, 3, 2);
    const int year = digitsAt(text, 6, 4);
    if (day < 1 || month < 1 || month > 12 || year < 0 || day > daysInMonth(year, month)) return std::nullopt;
    return daysFromCivil(year, month, day);
}

std::int64_t mondayOfWeek(std::int64_t day) {
    // 1970-01-01 was a Thursday, three days after a Monday.
    const std::int64_t sinceMonday = ((day + 3) % 7 + 7) % 7;
    return day - sinceMonday;
}

BattleStats computeBattleStats(const RecordRowSource& rows, const ResultTexts& texts) {
    BattleStats stats;
    Grouping vehicles, maps;
    std::map<std::int64_t, WeekTotals> weeks;
    std::int64_t survived = 0, frags = 0, xp = 0, damage = 0, netCredits = 0, shots = 0, hits = 0;

    const int count = rows.rowCount();
    for (int row = 0; row < count; ++row) {
        const std::u16string_view result = rows.cell(row, ColumnResult);
        const bool victory = result == texts.victory;
        if (!victory && result != texts.defeat && result != texts.draw) {
            const bool rejectedFile = result.empty() && rows.cell(row, ColumnDate) == texts.notAReplay;
            if (!rejectedFile) ++stats.withoutResults;
            continue;
        }
        ++stats.battles;
        if (victory)
            ++stats.victories;
        else if (result == texts.defeat)
            ++stats.defeats;
        else
            ++stats.draws;
        if (rows.cell(row, ColumnAlive) == u"+") ++survived;
        const std::int32_t battleDamage = leadingInt32(rows.cell(row, ColumnDamageDealt));
        const std::int32_t battleXp = leadingInt32(rows.cell(row, ColumnXp));
        frags += leadingInt32(rows.cell(row, ColumnFrags));
        xp += battleXp;
        damage += battleDamage;
        netCredits += leadingInt32(rows.cell(row, ColumnNetCredits));
        shots += leadingInt32(rows.cell(row, ColumnShots));
        hits += leadingInt32(rows.cell(row, ColumnHits));

        for (Grouping* grouping : {&vehicles, &maps}) {
            GroupTotals& group =
                grouping->of(rows.cell(row, grouping == &vehicles ? ColumnVehicle : ColumnMap));
            ++group.battles;
            group.victories += victory;
            group.damage += battleDamage;
            group.xp += battleXp;
        }
        if (const auto day = dayOfDateCell(rows.cell(row, ColumnDate))) {
            WeekTotals& week = weeks[mondayOfWeek(*day)];
            ++week.battles;
            week.victories += victory;
            week.damage += battleDamage;
        }
    }

    const double battles = stats.battles;
    stats.winRate = ratio(stats.victories, battles);
    stats.survivalRate = ratio(static_cast<double>(survived), battles);
    stats.hitRate = ratio(static_cast<double>(hits), static_cast<double>(shots));
    stats.frags = ratio(static_cast<double>(frags), battles);
    stats.xp = ratio(static_cast<double>(xp), battles);
    stats.damageDealt = ratio(static_cast<double>(damage), battles);
    stats.netCredits = ratio(static_cast<double>(netCredits), battles);
    stats.byVehicle = vehicles.result();
    stats.byMap = maps.result();
    stats.byWeek.reserve(weeks.size());
    for (const auto& [monday, week] : weeks)
        stats.byWeek.push_back({monday, week.battles, week.victories, ratio(week.victories, week.battles),
                                ratio(static_cast<double>(week.damage), week.battles)});
    return stats;
}

} // namespace tapeloft
