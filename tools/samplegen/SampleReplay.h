#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Realistic replay files for tests and for trying the program on a full folder.
// Everything here is built from the seed alone: one seed gives the same bytes on every platform.
namespace tapeloft::samples {

enum class ResultsLayout { Current, Earlier, None };

struct SampleOptions {
    ResultsLayout layout = ResultsLayout::Current;
    bool headerRejected = false;        // byte 0 is not 0x12 and the byte sum is outside 128..139
    bool descriptionUnreadable = false; // the description block is cut short and does not parse
    std::size_t tailBytes = 32 * 1024;  // random bytes after the pieces the readers look at
    int vehicleCount = 30;              // participants of the battle, both teams together
    // The player gets better over the period (more victories, more damage) and keeps to a few vehicles, so
    // that statistics over time show something.
    bool progress = false;
};

// One participant, as written into the description and the results.
struct SampleVehicle {
    std::int32_t id = 0; // vehicle id, the member key in the description and results
    std::int32_t accountId = 0;
    std::string name;
    std::string clanAbbrev; // may be empty
    std::string nation;     // "nordland"
    std::string tag;        // "N01_Warden"
    std::int32_t typeCode = 0;
    int team = 1;
    bool alive = true;
    std::int32_t killerId = 0; // an enemy's vehicle id when destroyed, else 0
    int frags = 0;
    int lifeTime = 0;
    int maxHealth = 0;
    int health = 0;
    int shots = 0;
    int hits = 0;
    int pierced = 0;
    int damageDealt = 0;
    int potentialDamageDealt = 0;
    int damageReceived = 0;
    int potentialDamageReceived = 0;
    int shotsReceived = 0;
    int spotted = 0;
    int damageAssisted = 0;
    int capturePoints = 0;
    int droppedCapturePoints = 0;
    int xp = 0;
    int credits = 0;
};

// The player's personal results as written (in the earlier layout dailyXPFactor10 sits in "factors").
struct SamplePersonal {
    int lifeTime = 0;
    int xp = 0;
    int freeXP = 0;
    int xpPenalty = 0;
    int originalXP = 0;
    int credits = 0;
    int creditsPenalty = 0;
    int repair = 0;
    int autoLoadCost[2] = {0, 0};
    int autoEquipCost[2] = {0, 0};
    int damageDealt = 0;
    int potentialDamageDealt = 0;
    int damageReceived = 0;
    int potentialDamageReceived = 0;
    int shots = 0;
    int hits = 0;
    int shotsReceived = 0;
    int health = 0;
    int capturePoints = 0;
    int droppedCapturePoints = 0;
    std::int32_t killerId = 0;
    std::vector<int> achievements;
    int markOfMastery = 0;
    int dailyXPFactor10 = 10;
    std::vector<std::int32_t> heroVehicleIds;
    std::vector<int> achieveIndices; // parallel to heroVehicleIds
};

// What went into one file, for assertions.
struct SampleFacts {
    ResultsLayout layout = ResultsLayout::Current;
    bool headerRejected = false;
    bool descriptionUnreadable = false;
    std::string fileName; // "20150612_2034_nordland-N01_Warden_05_red_steppe.ivlreplay"

    std::string dateTime; // "dd.mm.yyyy hh:mm:ss"
    std::string playerName;
    std::string mapName;
    std::string mapDisplayName;
    std::string gameplayId;
    bool hasGameplayType = false; // written as an empty "gameplayType" when true
    std::string nation;
    std::string tag;
    std::string playerVehicle; // "nation-tag"
    std::string serverName;
    std::string clientVersionFromXml;
    std::string clientVersionFromExe;
    int battleType = 1;
    std::int64_t battleStart = 0; // seconds since 1970 of dateTime, read as universal time

    std::int32_t playerVehicleId = 0;
    std::int32_t playerTypeCode = 0;
    int playerTeam = 1;
    std::string playerClan;
    bool playerAlive = true;
    int playerFrags = 0;
    std::string killerName; // empty when the player survived

    int winnerTeam = 0;   // 0 for a draw
    int finishReason = 0; // 1 the player's team won, 2 draw, 3 the player's team lost
    int duration = 0;     // seconds
    SamplePersonal personal;
    std::vector<SampleVehicle> vehicles; // in the member order of the description

    std::string descriptionJson; // exactly as stored in the file
    std::string resultsJson;     // exactly as stored; empty when the file has no results block
    std::size_t tailOffset = 0;  // where the random tail begins; no reader gets that far
};

struct SampleReplay {
    std::string bytes;
    SampleFacts facts;
};

// One replay file built from the seed. vehicleCount is clamped to 2..100 and tailBytes to 64 MiB.
SampleReplay makeSampleReplay(std::uint32_t seed, const SampleOptions& options = {});

// Header, description, results (empty = none), then enough terminators that the 11 pieces read after the
// header end before the tail. The blocks are copied unchanged, so a block with raw line breaks uses pieces.
std::string assembleReplay(std::string_view header7, std::string_view descriptionJson,
                           std::string_view resultsJson = {}, std::string_view tail = {});

// Seven bytes that pass both header tests.
std::string validHeader();
// Seven bytes that fail both header tests.
std::string rejectedHeader();

// Writes count replays below folder (in nested sub-folders unless flat), creating folders as needed.
// Returns the paths written; on failure returns an empty list, leaves nothing it wrote behind and, when
// error is given, describes the failure there. An existing file is never overwritten.
std::vector<std::filesystem::path> writeSampleFolder(const std::filesystem::path& folder, int count,
                                                     std::uint32_t seed, const SampleOptions& options = {},
                                                     bool flat = false, std::string* error = nullptr);

} // namespace tapeloft::samples
