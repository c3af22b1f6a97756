#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One battle read again from its replay file, as the texts the details window shows.
namespace tapeloft {

class Language;
struct ReplayBlocks;

enum class BattleDetailsStatus {
    Opened,
    NotOpened,      // the file cannot be opened: the window reports message 71
    HeaderRejected, // byte 0 is not 0x12: the window reports message 7
    // The header passed but the description cannot be read (no start marker, or it does not parse).
    // Nothing can be shown without it: the window reports it like HeaderRejected (message 7) and is
    // never filled.
    DescriptionUnreadable,
};

// One participant of team 1 or team 2.
struct TeamRow final {
    std::u16string name;
    std::u16string clan; // may be empty
    std::u16string vehicle;
    std::u16string fragsText; // message 6 when the battle has no results
    std::int32_t alive = 1;   // as read (1 or 0 in practice); 1 when the battle has no results
    bool isPlayer = false;    // name equals the player name exactly
};

// Absent texts leave the window's field with its initial text. Everything but status is meaningful only
// for Opened.
struct BattleDetails final {
    BattleDetailsStatus status = BattleDetailsStatus::NotOpened;
    std::u16string playerText; // player name, then "[clan]" when the results give a clan
    std::u16string mapText;    // "map (mode)"
    std::u16string nationText;
    std::u16string vehicleText;
    std::u16string dateText;
    std::u16string priceKey; // the player's vehicle tag: the key of its shell price in the settings file
    bool hasResults = false;
    std::optional<std::u16string> resultText; // message 3, 4 or 5 by the finish reason
    std::optional<std::u16string> fragsText;
    std::optional<std::u16string> xpText;
    std::optional<std::u16string> creditsText;
    std::optional<std::u16string> repairText;
    std::optional<std::u16string> damageReceivedText; // "received (potential)"
    std::optional<std::u16string> shotsText;          // "shots/hits (share%)"
    std::optional<std::u16string> shellPriceText;     // as stored in the settings file
    std::optional<std::u16string> ammoCostText;
    std::optional<std::u16string> netCreditsText;
    // What the ammunition cost and net credits are worked out from, so that they can follow a new price.
    struct Costs {
        std::int32_t shots = 0;
        std::int32_t credits = 0;
        std::int32_t repair = 0;
    };
    std::optional<Costs> costs;
    std::vector<TeamRow> team1Rows;
    std::vector<TeamRow> team2Rows;
    std::vector<std::u16string> achievements;
};

struct CostTexts final {
    std::u16string ammoCost;
    std::u16string netCredits;
};
// The ammunition cost (shots times the leading number of priceText, kept to its low 32 bits as a signed
// number) and the net credits (credits less that cost less the repair, wrapping as 32-bit numbers do).
CostTexts costTexts(const BattleDetails::Costs& costs, std::u16string_view priceText);

// Reads the replay at path with the details header test; the shell price comes from group "cenasnaryda"
// of settingsFile (read only, "0" when missing). Never fails: problems show in the status, and a missing
// or unreadable results block leaves the result texts absent.
BattleDetails readBattleDetails(std::u16string_view path, const Language& language,
                                const std::filesystem::path& settingsFile);
// The details of blocks already read with the details header test; never fails, as above.
BattleDetails battleDetailsFromBlocks(const ReplayBlocks& blocks, const Language& language,
                                      const std::filesystem::path& settingsFile);

// The name of an achievement code, or nullopt for a code that is not shown.
std::optional<std::u16string> achievementName(std::int32_t code, const Language& language);

} // namespace tapeloft
