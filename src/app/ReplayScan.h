#pragma once

#include "library/FileStamp.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A replay folder scanned into a list: the records as rows, unreadable files in one message box at the end,
// and the progress window while it runs.
namespace tapeloft {

struct BattleRecord;
class Language;
class ListModel;
class Platform;
class RecordCache;

struct ReplayScanOptions final {
    int workers = 0;              // as for scanReplayFiles
    RecordCache* cache = nullptr; // none: every file is read
    bool ignoreCache = false;     // read every file all the same, and refresh the cache with it
    // Where to hand back the stamp of every file the scan met, for watching the folder afterwards.
    std::unordered_map<std::u16string, FileStamp>* stamps = nullptr;
    // Where to hand the unreadable files to, in walk order, instead of showing them in a box at the end.
    std::vector<std::u16string>* unreadable = nullptr;
};

// How a scan ended.
struct ReplayScanEnd final {
    bool stopped = false; // the user stopped it; the rows read until then are in the list
};

// Background of a row whose battle has no readable results: red 250, green 216, blue 222.
inline constexpr std::uint32_t kNoResultsTintRgb = 0xFAD8DE;

// Appends the record's row to the list, tinting it when it has no results. False, and no row, for a file
// that could not be read.
bool applyBattleRecord(const BattleRecord& record, ListModel& list);

// The same for a record that comes while the list is shown: its row goes where the list's sort puts it.
bool placeBattleRecord(const BattleRecord& record, ListModel& list);

// The message of one replay that cannot be read, as a line of its own.
void reportUnreadable(std::u16string_view path, const Language& language, Platform& platform);

// Lines of a message box that lists files: the first kListedLinesShown of them, then how many more
// (message 180).
std::u16string listedLines(const std::vector<std::u16string>& lines, const Language& language);
inline constexpr std::size_t kListedLinesShown = 20;

// One message box for all the replays of a scan that could not be read: a line each, the same text as
// reportUnreadable's, as listedLines lists them. Nothing for none.
void reportUnreadableFiles(const std::vector<std::u16string>& paths, const Language& language,
                           Platform& platform);

// Reads one replay and appends its row to the list (or shows why it cannot).
void addBattleRecord(std::u16string_view path, ListModel& list, const Language& language, Platform& platform);

// Appends a battle record for every accepted file below the folder with a progress window, then sorts
// the list by date, newest first. Problems with single files show in their rows, unreadable files in one
// message box at the end. The scan stops at the next file once the platform says the user asked it to.
// `workers` as for scanReplayFiles; the rows, message boxes and platform calls are the same either way.
ReplayScanEnd scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                               std::u16string_view extensionFilter, const Language& language,
                               Platform& platform, const ReplayScanOptions& options);
ReplayScanEnd scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                               std::u16string_view extensionFilter, const Language& language,
                               Platform& platform, int workers = 0);

} // namespace tapeloft
