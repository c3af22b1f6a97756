#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Hostile input for the readers, written to disk: a replay folder full of damaged, absurd and oddly named
// replays, and damaged variants of the program's own files (Settings.ini, the language file,
// ColumnOrder.Dat). Shared by the core tests and the tests of the program's start-up.
namespace tapeloft::test {

// What the scan makes of one replay of the catalogue.
enum class ExpectedRow {
    Full,       // a full row
    NoResults,  // a tinted row
    Marker,     // the "not a replay" row (both header tests fail)
    Unreadable, // no row, one message naming the file
    None,       // not listed at all: wrong extension, or not a regular file
};

struct CatalogueReplay final {
    std::filesystem::path path;
    std::string what; // a few words, for failure messages
    ExpectedRow expected = ExpectedRow::Full;
};

struct BadReplayFolder final {
    std::filesystem::path folder;
    std::vector<CatalogueReplay> replays; // every file and link the catalogue wrote below folder
    std::vector<std::string> notWritten;  // cases the file system refused, with the reason
};

// Writes the catalogue's replays below folder (created when missing). Every file whose expected row is
// Full holds the player name "Ann" unless its entry says otherwise. Cases that the file system does not
// allow (a name too long for it, a pipe on Windows) are listed in notWritten instead.
BadReplayFolder writeBadReplayFolder(const std::filesystem::path& folder);

// One damaged variant of one of the program's own files.
struct DamagedProgramFile final {
    std::string fileName; // "Settings.ini", "rus.lng" or "ColumnOrder.Dat"
    std::string what;
    std::optional<std::string> bytes; // nullopt: a folder stands where the file should be
};

// Garbage, binary, empty, huge, wrongly sized and wrongly encoded variants of Settings.ini, the language
// file rus.lng and ColumnOrder.Dat.
std::vector<DamagedProgramFile> damagedProgramFiles();

// Writes the variant into folder (a folder of that name when it has no bytes). False when it could not.
bool writeDamagedProgramFile(const std::filesystem::path& folder, const DamagedProgramFile& file);

// A usable Settings.ini naming rus.lng and, when given, the replay folder, for tests that damage only the
// other files.
std::string goodSettings(const std::filesystem::path& replayFolder = {});
// A usable language file with the messages the scan and the record use (3 ... 7, 82, 83).
std::string goodLanguage();

} // namespace tapeloft::test
