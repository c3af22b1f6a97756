#pragma once

#include "library/FileStamp.h"
#include "library/Sqlite.h"
#include "replay/BattleRecord.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

// The record cache: the battle records of replays already read, kept in an SQLite database beside
// Settings.ini, so that a scan opens only the files that are new or changed.
namespace tapeloft {

inline constexpr std::u16string_view kRecordCacheFileName = u"RecordCache.sqlite";

struct CachedRecord final {
    FileStamp stamp;
    BattleRecord record;
};

// A record read during a scan, to be kept.
struct FreshRecord final {
    std::u16string path;
    FileStamp stamp;
    BattleRecord record;
};

enum class CacheOpening {
    Opened,   // an existing cache of this program
    Created,  // there was none
    Rebuilt,  // it was damaged or from an older program, and starts empty again
    Bypassed, // it cannot be used (locked, read-only folder, from a newer program, ...): scans read every
              // file
};

class RecordCache final {
public:
    // Never fails: a cache that cannot be opened, created or rebuilt is bypassed.
    static RecordCache open(const std::filesystem::path& file);

    CacheOpening opening() const { return opening_; }
    bool usable() const { return static_cast<bool>(db_); }

    // The sound entries of the files below the folder (path texts starting with folderPrefix, which ends
    // with a separator) whose texts were made in that language. An entry that fails its check is left out,
    // so its file is read again. Empty, and the cache no longer used, when the database fails.
    std::unordered_map<std::u16string, CachedRecord> entriesBelow(std::u16string_view folderPrefix,
                                                                  std::uint64_t language);

    // In one transaction: keeps the fresh records and, unless `present` is null, forgets the files below the
    // folder that are not in it. False (nothing changed) when the database is busy or fails; the next scan
    // then reads those files again.
    bool update(std::u16string_view folderPrefix, std::span<const FreshRecord> fresh,
                const std::unordered_set<std::u16string>* present, std::uint64_t language);

    // Forgets everything; false when that fails.
    bool clear();

private:
    RecordCache() = default;

    sqlite::Database db_;
    CacheOpening opening_ = CacheOpening::Bypassed;
};

} // namespace tapeloft
