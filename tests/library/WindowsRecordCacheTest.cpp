// The record cache on Windows: the database under a name outside the ANSI code page (SQLite takes UTF-8
// names), replays named outside it, and stamps from the system's file times, which have no inode beside them.
#include "library/CachedScan.h"

#include "CountingReader.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::test::CountingReader;
using tapeloft::test::TempDir;
namespace fs = std::filesystem;

namespace {

class RowObserver final : public FolderScanObserver {
public:
    std::vector<std::u16string> rows;
    void recordReady(const std::u16string& path, const BattleRecord& record) override {
        rows.push_back(path + u"\n" + record.rowText);
    }
};

bool existsByWideName(const fs::path& file) {
    return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST(WindowsRecordCache, NamesOutsideTheCodePageAreCachedAndChangesSeenByTheirTimes) {
    TempDir dir;
    const fs::path folder = dir.path() / L"Записи 🎯";
    const fs::path cacheFile = dir.path() / L"Кэш 💾" / L"RecordCache.sqlite";
    fs::create_directories(cacheFile.parent_path());
    const wchar_t* const names[] = {L"бой 🚀.ivlreplay", L"Ωμέγα.ivlreplay", L"plain.ivlreplay"};
    std::vector<fs::path> files;
    for (std::size_t i = 0; i < std::size(names); ++i) {
        samples::SampleOptions options;
        options.tailBytes = 64;
        options.vehicleCount = 4;
        files.push_back(
            dir.write(fs::path(L"Записи 🎯") / names[i],
                      samples::makeSampleReplay(static_cast<std::uint32_t>(i + 1), options).bytes));
    }
    const Language language;
    RowObserver uncached;
    scanReplayFiles(textFromPath(folder), u"*", kReplayExtension, language, uncached, 1);
    ASSERT_EQ(uncached.rows.size(), std::size(names));

    // Each scan opens the cache anew, as each run of the program does.
    const auto scan = [&](int expectedReads) {
        RecordCache cache = RecordCache::open(cacheFile);
        ASSERT_TRUE(cache.usable());
        CountingReader reader(language);
        RowObserver observer;
        CachedScanOptions options;
        options.workers = 2;
        options.reader = &reader;
        const CachedScanResult result = scanReplayFilesCached(textFromPath(folder), u"*", kReplayExtension,
                                                              language, &cache, observer, options);
        EXPECT_TRUE(result.cacheUpdated);
        EXPECT_EQ(reader.reads.load(), expectedReads);
        EXPECT_EQ(observer.rows, uncached.rows);
    };
    {
        SCOPED_TRACE("cold");
        scan(3);
    }
    EXPECT_TRUE(existsByWideName(cacheFile));
    {
        SCOPED_TRACE("warm");
        scan(0);
    }
    // Same size, a later write time: read again, and only that one.
    fs::last_write_time(files[0], fs::last_write_time(files[0]) + std::chrono::seconds(2));
    {
        SCOPED_TRACE("one touched");
        scan(1);
    }
    {
        SCOPED_TRACE("warm again");
        scan(0);
    }
}
