#include "replay/BattleRecord.h"

#include "base/BuiltInTexts.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/RecordColumns.h"
#include "replay/ReplayFields.h"
#include "replay/ReplayReader.h"
#include "json/Json.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace tapeloft {

namespace {

using Cells = std::array<std::u16string, RecordColumnCount>;

// A line feed inside a cell would split it in two and shift every later column, the file's path in column
// 32 among them, so texts from the replay (names, map, server) have theirs turned into spaces.
std::u16string joinCells(const Cells& cells) {
    std::size_t size = RecordColumnCount;
    for (const auto& cell : cells)
        size += cell.size();
    std::u16string row;
    row.reserve(size);
    for (int c = 0; c < RecordColumnCount; ++c) {
        if (c > 0) row.push_back(u'\n');
        const std::size_t start = row.size();
        row.append(cells[c]);
        std::replace(row.begin() + static_cast<std::ptrdiff_t>(start), row.end(), u'\n', u' ');
    }
    return row;
}

std::u16string battleTypeName(std::int32_t type, const Language& language) {
    if (type < 1 || type > builtin::kBattleTypeCount) return {};
    return language.message(MsgFirstBattleType + type - 1);
}

// Minutes and seconds of the time of day s seconds after midnight, as "mm.ss"; hours are dropped.
std::u16string lifeTimeText(std::int32_t seconds) {
    const std::int64_t ofDay = ((static_cast<std::int64_t>(seconds) % 86400) + 86400) % 86400;
    const auto minutes = static_cast<int>((ofDay % 3600) / 60);
    const auto secs = static_cast<int>(ofDay % 60);
    std::u16string text;
    text.push_back(static_cast<char16_t>(u'0' + minutes / 10));
    text.push_back(static_cast<char16_t>(u'0' + minutes % 10));
    text.push_back(u'.');
    text.push_back(static_cast<char16_t>(u'0' + secs / 10));
    text.push_back(static_cast<char16_t>(u'0' + secs % 10));
    return text;
}

// dividend * 100 / divisor in 64 bits, truncated, with " %"; "0 %" for a zero divisor.
std::u16string percentText(std::int32_t dividend, std::int32_t divisor) {
    if (divisor == 0) return u"0 %";
    return decimal(static_cast<std::int64_t>(dividend) * 100 / divisor) + u" %";
}

std::int32_t wrappingSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

std::u16string number(const JsonValue& value) {
    return decimal(value.integerValue());
}

// The personal results shown as the number they hold, by column.
constexpr std::pair<RecordColumn, std::u16string_view> kPersonalNumbers[] = {
    {ColumnXp, u"xp"},
    {ColumnFreeXp, u"freeXP"},
    {ColumnXpPenalty, u"xpPenalty"},
    {ColumnOriginalXp, u"originalXP"},
    {ColumnCreditsPenalty, u"creditsPenalty"},
    {ColumnDamageReceived, u"damageReceived"},
    {ColumnPotentialDamageReceived, u"potentialDamageReceived"},
    {ColumnShotsReceived, u"shotsReceived"},
    {ColumnHealth, u"health"},
    {ColumnCapturePoints, u"capturePoints"},
    {ColumnDroppedCapturePoints, u"droppedCapturePoints"},
    {ColumnMastery, u"markOfMastery"},
};

} // namespace

BattleRecord extractBattleRecord(std::u16string_view path, const Language& language) {
    return battleRecordFromBlocks(readReplayBlocks(pathFromText(path), HeaderTest::Scan), path, language);
}

BattleRecord battleRecordFromBlocks(const ReplayBlocks& blocks, std::u16string_view path,
                                    const Language& language) {
    BattleRecord record;
    record.contentRead = blocks.status != ReplayStatus::NotOpened;
    Cells cells;
    cells[ColumnPath] = path;
    // A row cannot hold a path with a line feed (see joinCells), and a changed one would name another file.
    if (blocks.status == ReplayStatus::NotOpened || blocks.status == ReplayStatus::Oversized ||
        path.find(u'\n') != std::u16string_view::npos)
        return record;
    if (blocks.status == ReplayStatus::HeaderRejected) {
        cells[ColumnDate] = language.message(MsgNotAReplay);
        record.kind = BattleRecordKind::Marker;
        record.rowText = joinCells(cells);
        return record;
    }

    const auto description = blocks.descriptionAt != 0 ? parseJsonUtf8(blocks.descriptionUtf8) : std::nullopt;
    if (!description) {
        record.kind = BattleRecordKind::Unreadable;
        return record;
    }
    const JsonValue& d = description->root();

    const std::u16string_view player = d.member(u"playerName").text();
    const std::int32_t vehicleId = playerVehicleId(d);
    const PlayerVehicleNames names = splitPlayerVehicle(d.member(u"playerVehicle").text());
    const std::int32_t version = clientVersionNumber(d.member(u"clientVersionFromExe").text());

    cells[ColumnDate] = d.member(u"dateTime").text();
    cells[ColumnPlayer] = player;
    cells[ColumnMap] = language.lookup(u"mapnames", d.member(u"mapName").text());
    const std::u16string mode = language.lookup(u"gameplayIDs", gameModeKey(d));
    cells[ColumnNation] = language.lookup(u"nations", names.nationPart);
    cells[ColumnVehicle] = language.lookup(u"vehicles", names.vehicleTag);

    // A results block is used only when its start marker was found; otherwise the cut text is not results.
    const auto results = blocks.resultsAt != 0 ? parseJsonUtf8(blocks.resultsUtf8) : std::nullopt;
    if (!results) {
        for (const int c : {ColumnLifeTime, ColumnResult, ColumnAlive, ColumnFrags, ColumnXp})
            cells[c] = language.message(MsgNoResultsCell);
        record.kind = BattleRecordKind::NoResults;
        record.rowText = joinCells(cells);
        return record;
    }
    const JsonValue& r = results->root();
    const bool current = version >= kCurrentLayoutVersion;
    const JsonValue& p = personalResults(r, version, vehicleId);
    const std::u16string idKey = decimal(vehicleId);
    const JsonValue& v = r.element(1).member(idKey);
    const JsonValue& f = r.element(2).member(idKey);

    const std::int32_t team = v.member(u"team").integerValue();
    const std::int32_t winner = r.element(0).member(u"common").member(u"winnerTeam").integerValue();
    cells[ColumnResult] = language.message(winner == team ? MsgVictory : winner == 0 ? MsgDraw : MsgDefeat);

    const JsonValue& factorSource = current ? p : r.element(0).member(u"factors");
    const std::int32_t dailyFactor = factorSource.member(u"dailyXPFactor10").integerValue() / 10;
    std::int32_t equipCost = 0;
    std::int32_t loadCost = 0;
    if (current || version != 0) {
        equipCost = p.member(u"autoEquipCost").element(0).integerValue();
        loadCost = p.member(u"autoLoadCost").element(0).integerValue();
    }
    const std::int32_t credits = p.member(u"credits").integerValue();
    const std::int32_t repair = p.member(u"repair").integerValue();

    for (const auto& [column, key] : kPersonalNumbers)
        cells[column] = number(p.member(key));
    cells[ColumnLifeTime] = lifeTimeText(p.member(u"lifeTime").integerValue());
    cells[ColumnAlive] = v.member(u"isAlive").integerValue() != 0 ? u"+" : u"-";
    cells[ColumnFrags] = number(f.member(u"frags"));
    if (dailyFactor > 1) cells[ColumnXp] += u"(x" + decimal(dailyFactor) + u")";
    cells[ColumnCredits] = decimal(credits);
    cells[ColumnRepair] = decimal(repair);
    cells[ColumnAmmunitionCost] = decimal(loadCost);
    cells[ColumnNetCredits] =
        decimal(wrappingSub(wrappingSub(wrappingSub(credits, repair), loadCost), equipCost));
    const std::int32_t damage = p.member(u"damageDealt").integerValue();
    const std::int32_t potential = p.member(u"potentialDamageDealt").integerValue();
    cells[ColumnDamageDealt] = decimal(damage);
    cells[ColumnPotentialDamageDealt] = decimal(potential);
    cells[ColumnDamageShare] = percentText(damage, potential);
    const std::int32_t shots = p.member(u"shots").integerValue();
    const std::int32_t hits = p.member(u"hits").integerValue();
    cells[ColumnShots] = decimal(shots);
    cells[ColumnHits] = decimal(hits);
    cells[ColumnHitRate] = percentText(hits, shots);
    const std::int32_t killer = p.member(u"killerID").integerValue();
    if (killer != 0) cells[ColumnKiller] = r.element(1).member(decimal(killer)).member(u"name").text();
    cells[ColumnGameMode] = mode;
    cells[ColumnServer] = d.member(u"serverName").text();
    cells[ColumnBattleType] = battleTypeName(d.member(u"battleType").integerValue(), language);
    cells[ColumnEquipmentCost] = decimal(equipCost);
    cells[ColumnClientVersion] = d.member(u"clientVersionFromXml").text();
    cells[ColumnAchievements] = decimal(p.member(u"achievements").count());

    record.kind = BattleRecordKind::Full;
    record.rowText = joinCells(cells);
    return record;
}

} // namespace tapeloft
