#pragma once

#include "library/FileStamp.h"
#include "library/RecordCache.h"
#include "replay/FolderScan.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A folder scan that takes the records of unchanged files from the record cache and keeps what it read.
namespace tapeloft {

class Language;

using StampReader = std::function<std::optional<FileStamp>(const std::filesystem::path&)>;

// A file whose stamp equals its entry's gives the cached record and is not opened; any other is read by
// `reader` and remembered for the cache. The stamp is taken before the read, so a file that changes while
// it is read is read again next time.
class CachingRecordSource final : public RecordSource {
public:
    CachingRecordSource(const RecordSource& reader, std::unordered_map<std::u16string, CachedRecord> known,
                        StampReader stamp = stampOf, bool keepStamps = false);

    BattleRecord record(const std::u16string& path) const override;

    // The records read rather than taken from the cache, in no particular order.
    std::vector<FreshRecord> takeFresh();
    int cachedCount() const;
    // With keepStamps, the stamp each file had when its record was made.
    std::unordered_map<std::u16string, FileStamp> takeStamps();

private:
    const RecordSource& reader_;
    const std::unordered_map<std::u16string, CachedRecord> known_;
    const StampReader stamp_;
    const bool keepStamps_;
    mutable std::mutex mutex_;
    mutable std::vector<FreshRecord> fresh_;
    mutable std::unordered_map<std::u16string, FileStamp> stamps_;
    mutable int cached_ = 0;
};

struct CachedScanOptions final {
    int workers = 0;
    bool ignoreEntries = false;           // read every file, and refresh the cache with what was read
    const RecordSource* reader = nullptr; // how files are read: by default extracted in the language
    StampReader stamp = stampOf;
    bool keepStamps = false; // hand back the stamp of every file, for watching the folder afterwards
};

// What the cache did for one scan.
struct CachedScanResult final {
    int filesRead = 0;
    int filesFromCache = 0;
    bool cacheUpdated = false;
    std::unordered_map<std::u16string, FileStamp> stamps; // with keepStamps
};

// scanReplayFiles over the folder with the cache's entries of that folder; afterwards the cache keeps the
// records read and forgets the files the walk did not meet. The observer hears exactly what an uncached
// scan would tell it. Without a usable cache every file is read, and only the stamps are of use.
CachedScanResult scanReplayFilesCached(std::u16string_view folder, std::u16string_view nameFilter,
                                       std::u16string_view extensionFilter, const Language& language,
                                       RecordCache* cache, FolderScanObserver& observer,
                                       const CachedScanOptions& options = {});

} // namespace tapeloft
