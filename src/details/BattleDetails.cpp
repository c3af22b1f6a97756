#include "details/BattleDetails.h"

#include "base/BuiltInTexts.h"
#include "base/Language.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "replay/ReplayFields.h"
#include "replay/ReplayReader.h"
#include "json/Json.h"

namespace tapeloft {

namespace {

// Fewer participants in the description than this, and the team rows come from the results instead.
constexpr std::int32_t kDescriptionRowsMinimum = 30;

constexpr std::int32_t kHeroIndexCount = 7;

std::int32_t wrappingSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// The text between the first and the second ':' (to the end when there is no second); empty without ':'.
std::u16string_view secondField(std::u16string_view text) {
    const auto first = text.find(u':');
    if (first == std::u16string_view::npos) return {};
    const std::u16string_view rest = text.substr(first + 1);
    return rest.substr(0, rest.find(u':'));
}

std::optional<std::u16string> finishReasonText(std::int32_t reason, const Language& language) {
    switch (reason) {
    case 1:
        return language.message(MsgVictory);
    case 3:
        return language.message(MsgDefeat);
    case 2:
        return language.message(MsgDraw);
    default:
        return std::nullopt;
    }
}

// hits * 100 / shots, truncated; in 64 bits so that no pair of 32-bit values can overflow or trap.
std::int64_t hitShare(std::int32_t shots, std::int32_t hits) {
    if (shots == 0) return 0;
    return static_cast<std::int64_t>(hits) * 100 / shots;
}

// The participants of teams 1 and 2. With results, k keys the frags (element 2) and the state (element 1).
void readTeamRows(const JsonValue& participants, const JsonValue* results, std::u16string_view player,
                  const Language& language, BattleDetails& details) {
    participants.members([&](std::u16string_view key, const JsonValue& entry) {
        const std::int32_t team = entry.member(u"team").integerValue();
        if (team != 1 && team != 2) return;
        TeamRow row;
        row.name = entry.member(u"name").text();
        row.clan = entry.member(u"clanAbbrev").text();
        // A type without ':' names no vehicle; an empty key is not looked up, so it stays empty.
        const std::u16string_view tag = secondField(entry.member(u"vehicleType").text());
        if (!tag.empty()) row.vehicle = language.lookup(u"vehicles", tag);
        if (results != nullptr) {
            row.fragsText = decimal(results->element(2).member(key).member(u"frags").integerValue());
            row.alive = results->element(1).member(key).member(u"isAlive").integerValue();
        } else {
            row.fragsText = language.message(MsgNoResultsCell);
            row.alive = 1;
        }
        row.isPlayer = row.name == player;
        (team == 1 ? details.team1Rows : details.team2Rows).push_back(std::move(row));
    });
}

void readAchievements(const JsonValue& personal, std::int32_t vehicleId, const Language& language,
                      BattleDetails& details) {
    const JsonValue& codes = personal.member(u"achievements");
    for (std::int32_t i = 0; i < codes.count(); ++i)
        if (auto name = achievementName(codes.element(i).integerValue(), language))
            details.achievements.push_back(std::move(*name));

    const JsonValue& heroes = personal.member(u"heroVehicleIDs");
    const JsonValue& indices = personal.member(u"achieveIndices");
    for (std::int32_t i = 0; i < heroes.count(); ++i) {
        if (heroes.element(i).integerValue() != vehicleId) continue;
        // A hero entry without its index names nothing; reading the missing index as 0 would invent one.
        if (i >= indices.count()) continue;
        const std::int32_t index = indices.element(i).integerValue();
        if (index >= 0 && index < kHeroIndexCount)
            details.achievements.push_back(language.message(MsgFirstHeroAchievement + index));
    }
}

} // namespace

std::optional<std::u16string> achievementName(std::int32_t code, const Language& language) {
    for (const builtin::NamedAchievement& a : builtin::achievements)
        if (a.code == code)
            return a.message != builtin::kNoMessage
                       ? language.message(a.message)
                       : language.lookup(builtin::kAchievementGroup, decimal(code), a.name);
    return std::nullopt;
}

BattleDetails readBattleDetails(std::u16string_view path, const Language& language,
                                const std::filesystem::path& settingsFile) {
    return battleDetailsFromBlocks(readReplayBlocks(pathFromText(path), HeaderTest::Details), language,
                                   settingsFile);
}

BattleDetails battleDetailsFromBlocks(const ReplayBlocks& blocks, const Language& language,
                                      const std::filesystem::path& settingsFile) {
    BattleDetails details;
    if (blocks.status == ReplayStatus::NotOpened) return details;
    if (blocks.status == ReplayStatus::HeaderRejected) {
        details.status = BattleDetailsStatus::HeaderRejected;
        return details;
    }
    if (blocks.status == ReplayStatus::Oversized) {
        details.status = BattleDetailsStatus::DescriptionUnreadable;
        return details;
    }

    // Without a start marker the cut text is not a description, even when some of it parses.
    const auto description = blocks.descriptionAt != 0 ? parseJsonUtf8(blocks.descriptionUtf8) : std::nullopt;
    if (!description) {
        details.status = BattleDetailsStatus::DescriptionUnreadable;
        return details;
    }
    details.status = BattleDetailsStatus::Opened;
    const JsonValue& d = description->root();

    // Likewise a results block is used only when its start marker was found.
    const auto results = blocks.resultsAt != 0 ? parseJsonUtf8(blocks.resultsUtf8) : std::nullopt;
    details.hasResults = results.has_value();
    const JsonValue* r = results ? &results->root() : nullptr;

    const std::u16string_view player = d.member(u"playerName").text();
    const std::u16string map = language.lookup(u"mapnames", d.member(u"mapName").text());
    const std::u16string mode = language.lookup(u"gameplayIDs", gameModeKey(d));
    details.mapText = map + u" (" + mode + u")";
    const PlayerVehicleNames names = splitPlayerVehicle(d.member(u"playerVehicle").text());
    details.nationText = language.lookup(u"nations", names.nationPart);
    details.vehicleText = language.lookup(u"vehicles", names.vehicleTag);
    details.priceKey = names.vehicleTag;
    details.dateText = d.member(u"dateTime").text();
    const std::int32_t version = clientVersionNumber(d.member(u"clientVersionFromExe").text());

    const JsonValue& participants = d.member(u"vehicles");
    if (participants.memberCount() >= kDescriptionRowsMinimum)
        readTeamRows(participants, r, player, language, details);
    else if (r != nullptr)
        readTeamRows(r->element(1), r, player, language, details);

    details.playerText = player;
    if (r == nullptr) return details;

    const std::int32_t vehicleId = playerVehicleId(d);
    const std::u16string idKey = decimal(vehicleId);
    const JsonValue& p = personalResults(*r, version, vehicleId);
    readAchievements(p, vehicleId, language, details);

    const std::int32_t repair = p.member(u"repair").integerValue();
    details.repairText = decimal(repair);
    details.resultText =
        finishReasonText(r->element(0).member(u"common").member(u"finishReason").integerValue(), language);
    const std::int32_t credits = p.member(u"credits").integerValue();
    details.creditsText = decimal(credits);
    details.xpText = decimal(p.member(u"xp").integerValue());
    details.damageReceivedText = decimal(p.member(u"damageReceived").integerValue()) + u" (" +
                                 decimal(p.member(u"potentialDamageReceived").integerValue()) + u")";
    details.fragsText = decimal(r->element(2).member(idKey).member(u"frags").integerValue());

    const std::int32_t shots = p.member(u"shots").integerValue();
    const std::int32_t hits = p.member(u"hits").integerValue();
    details.shotsText =
        decimal(shots) + u"/" + decimal(hits) + u" (" + decimal(hitShare(shots, hits)) + u"%)";

    const std::u16string price = readSettingText(settingsFile, settings::groupShellPrices, details.priceKey,
                                                 settings::defaultShellPrice);
    // The cost keeps the low 32 bits of the full product, read as a signed number.
    const std::int64_t product = static_cast<std::int64_t>(shots) * leadingInt32(price);
    const auto ammoCost = static_cast<std::int32_t>(static_cast<std::uint32_t>(product));
    details.shellPriceText = price;
    details.ammoCostText = decimal(ammoCost);
    details.netCreditsText = decimal(wrappingSub(wrappingSub(credits, ammoCost), repair));

    const std::u16string_view clan = participants.member(idKey).member(u"clanAbbrev").text();
    if (!clan.empty()) details.playerText = std::u16string(player) + u"[" + std::u16string(clan) + u"]";
    return details;
}

} // namespace tapeloft
