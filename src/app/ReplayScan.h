#pragma once

#include "library/FileStamp.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// A replay folder scanned into a list: the records as rows, unreadable files as message boxes, and the
// progress window while it runs.
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
};

// Background of a row whose battle has no readable results: red 250, green 216, blue 222.
inline constexpr std::uint32_t kNoResultsTintRgb = 0xFAD8DE;

// Appends the record's row to the list, tinting it when it has no results, or shows the message of an
// unreadable file.
void applyBattleRecord(const BattleRecord& record, std::u16string_view path, ListModel& list,
                       const Language& language, Platform& platform);

// The same for a record that comes while the list is shown: its row goes where the list's sort puts it.
void placeBattleRecord(const BattleRecord& record, std::u16string_view path, ListModel& list,
                       const Language& language, Platform& platform);

// The message box of a replay that cannot be read.
void reportUnreadable(std::u16string_view path, const Language& language, Platform& platform);

// Reads one replay and appends its row to the list (or shows why it cannot).
void addBattleRecord(std::u16string_view path, ListModel& list, const Language& language, Platform& platform);

// Appends a battle record for every accepted file below the folder with a progress window, then sorts
// the list by date, newest first. Problems with single files show in their rows or message boxes.
// `workers` as for scanReplayFiles; the rows, message boxes and platform calls are the same either way.
void scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter, const Language& language, Platform& platform,
                      const ReplayScanOptions& options);
void scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter, const Language& language, Platform& platform,
                      int workers = 0);

} // namespace tapeloft
