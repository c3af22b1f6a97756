// The cache target: the bytes as the record cache beside a small replay folder.
#include "FuzzEntries.h"
#include "FuzzSupport.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "library/CachedScan.h"
#include "library/RecordCache.h"
#include "replay/RecordColumns.h"
#include "samplegen/SampleReplay.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tapeloft::fuzz {

namespace {

namespace fs = std::filesystem;

ScratchFolder& scratch() {
    static ScratchFolder folder("cache");
    return folder;
}

// Stamps that do not depend on when or where the folder was made, so that a cache in the corpus finds its
// entries again in every run.
std::optional<FileStamp> fixedStamp(const fs::path& file) {
    const std::optional<FileStamp> real = stampOf(file);
    if (!real) return std::nullopt;
    FileStamp stamp;
    stamp.size = real->size;
    stamp.modifiedNs = 1'600'000'000'000'000'000;
    stamp.inode = static_cast<std::uint64_t>(file.filename().string().size());
    return stamp;
}

// Every report of a scan, as text.
class LogObserver final : public FolderScanObserver {
public:
    std::vector<std::u16string> files;
    std::vector<std::u16string> reports;
    std::vector<std::pair<std::u16string, BattleRecord>> rows;
    void fileReached(const std::u16string& path, std::int32_t) override { files.push_back(path); }
    void recordReady(const std::u16string& path, const BattleRecord& record) override {
        reports.push_back(u"row " + path + u" " + decimal(static_cast<int>(record.kind)) + u" " +
                          record.rowText);
        rows.emplace_back(path, record);
    }
    void fileUnreadable(const std::u16string& path) override { reports.push_back(u"unreadable " + path); }
};

struct Folder {
    fs::path replays = scratch().path() / "replays";
    Language language;
    LogObserver uncached;

    Folder() {
        samples::SampleOptions options;
        options.tailBytes = 16;
        options.vehicleCount = 3;
        samples::writeSampleFolder(replays, 3, 5, options, true);
        samples::SampleOptions broken = options;
        broken.descriptionUnreadable = true;
        samples::writeSampleFolder(replays / "broken", 1, 6, broken, true);
        scanReplayFiles(textFromPath(replays), u"*", kReplayExtension, language, uncached, 1);
    }
};

const Folder& folder() {
    static const Folder made;
    return made;
}

LogObserver scan(RecordCache& cache, bool ignoreEntries) {
    LogObserver observer;
    CachedScanOptions options;
    options.workers = 1;
    options.ignoreEntries = ignoreEntries;
    options.stamp = fixedStamp;
    scanReplayFilesCached(textFromPath(folder().replays), u"*", kReplayExtension, folder().language, &cache,
                          observer, options);
    return observer;
}

bool plausible(const BattleRecord& record, std::u16string_view path) {
    std::vector<std::u16string_view> cells;
    std::u16string_view rest = record.rowText;
    for (;;) {
        const auto lf = rest.find(u'\n');
        cells.push_back(rest.substr(0, lf));
        if (lf == std::u16string_view::npos) break;
        rest.remove_prefix(lf + 1);
    }
    return cells.size() == RecordColumnCount && cells[ColumnPath] == path;
}

} // namespace

std::string cacheSeedBytes() {
    const fs::path file = scratch().path() / "seed.sqlite";
    std::error_code ec;
    fs::remove(file, ec);
    {
        RecordCache cache = RecordCache::open(file);
        scan(cache, false);
    }
    return readBytes(file);
}

void fuzzCache(const std::uint8_t* data, std::size_t size) {
    const Folder& made = folder();
    const fs::path file = scratch().path() / "RecordCache.sqlite";
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        std::error_code ec;
        fs::remove(fs::path(file) += suffix, ec);
    }
    FUZZ_CHECK(writeBytes(file, asBytes(data, size)));

    // Whatever the file holds, the scan meets the same files in the same order, and every row it shows is
    // one a replay could give. (A cache is the user's own file, like Settings.ini: one edited on purpose can
    // make a row say something else, but never move a row's path or break the list.)
    RecordCache cache = RecordCache::open(file);
    const LogObserver first = scan(cache, false);
    FUZZ_CHECK(first.files == made.uncached.files);
    for (const auto& [path, record] : first.rows)
        FUZZ_CHECK(plausible(record, path));
    // A full rescan renews every entry, and from then on the cache gives exactly the uncached rows.
    const LogObserver renewed = scan(cache, true);
    FUZZ_CHECK(renewed.reports == made.uncached.reports);
    const LogObserver again = scan(cache, false);
    FUZZ_CHECK(again.reports == made.uncached.reports);
}

} // namespace tapeloft::fuzz
