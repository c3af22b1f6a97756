#include "library/CachedScan.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/BattleRecord.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>
#include <utility>

namespace tapeloft {

CachingRecordSource::CachingRecordSource(const RecordSource& reader,
                                         std::unordered_map<std::u16string, CachedRecord> known,
                                         StampReader stamp, bool keepStamps)
    : reader_(reader), known_(std::move(known)), stamp_(std::move(stamp)), keepStamps_(keepStamps) {}

BattleRecord CachingRecordSource::record(const std::u16string& path) const {
    const std::optional<FileStamp> stamp = stamp_(pathFromText(path));
    if (stamp && keepStamps_) {
        const std::lock_guard lock(mutex_);
        stamps_.emplace(path, *stamp);
    }
    if (stamp) {
        const auto entry = known_.find(path);
        if (entry != known_.end() && entry->second.stamp == *stamp) {
            const std::lock_guard lock(mutex_);
            ++cached_;
            return entry->second.record;
        }
    }
    BattleRecord record = reader_.record(path);
    // A file that could not be opened may open next time; only what was read from it is worth keeping.
    if (stamp && record.contentRead) {
        const std::lock_guard lock(mutex_);
        fresh_.push_back({path, *stamp, record});
    }
    return record;
}

std::vector<FreshRecord> CachingRecordSource::takeFresh() {
    const std::lock_guard lock(mutex_);
    return std::exchange(fresh_, {});
}

std::unordered_map<std::u16string, FileStamp> CachingRecordSource::takeStamps() {
    const std::lock_guard lock(mutex_);
    return std::exchange(stamps_, {});
}

int CachingRecordSource::cachedCount() const {
    const std::lock_guard lock(mutex_);
    return cached_;
}

namespace {

// Passes every report on and notes the files the walk met.
class PresenceObserver final : public FolderScanObserver {
public:
    explicit PresenceObserver(FolderScanObserver& next) : next_(next) {}

    void filesCounted(std::int32_t count) override { next_.filesCounted(count); }
    void fileReached(const std::u16string& path, std::int32_t index) override {
        present.insert(path);
        next_.fileReached(path, index);
    }
    void recordReady(const std::u16string& path, const BattleRecord& record) override {
        next_.recordReady(path, record);
    }
    void fileUnreadable(const std::u16string& path) override { next_.fileUnreadable(path); }
    void fileDone() override { next_.fileDone(); }

    std::unordered_set<std::u16string> present;

private:
    FolderScanObserver& next_;
};

} // namespace

CachedScanResult scanReplayFilesCached(std::u16string_view folder, std::u16string_view nameFilter,
                                       std::u16string_view extensionFilter, const Language& language,
                                       RecordCache* cache, FolderScanObserver& observer,
                                       const CachedScanOptions& options) {
    const bool useCache = cache != nullptr && cache->usable();
    const std::u16string prefix = withTrailingSeparator(folder);
    const ExtractingRecordSource extracting(language);
    const RecordSource& reader = options.reader != nullptr ? *options.reader : extracting;
    CachingRecordSource source(reader,
                               options.ignoreEntries || !useCache
                                   ? std::unordered_map<std::u16string, CachedRecord>{}
                                   : cache->entriesBelow(prefix, language.fingerprint()),
                               options.stamp, options.keepStamps);
    PresenceObserver presence(observer);
    scanReplayFiles(folder, nameFilter, extensionFilter, source, presence, options.workers);

    CachedScanResult result;
    const std::vector<FreshRecord> fresh = source.takeFresh();
    result.filesFromCache = source.cachedCount();
    result.filesRead = static_cast<int>(presence.present.size()) - result.filesFromCache;
    result.stamps = source.takeStamps();
    if (!useCache) return result;
    // Only a walk that could list the folder says which of its files are gone: an unplugged drive keeps its
    // entries for when it comes back.
    std::error_code ec;
    const bool walked = std::filesystem::is_directory(pathFromText(folder), ec);
    result.cacheUpdated =
        cache->update(prefix, fresh, walked ? &presence.present : nullptr, language.fingerprint());
    return result;
}

} // namespace tapeloft
