// A scan with the record cache tells its observer exactly what a scan without it tells, and reads only the
// files that are new or changed.
#include "library/CachedScan.h"

#include "CountingReader.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::test::CountingReader;
using tapeloft::test::TempDir;
namespace fs = std::filesystem;

namespace {

// Every report as one line, in order.
class LogObserver final : public FolderScanObserver {
public:
    std::vector<std::u16string> log;
    void filesCounted(std::int32_t count) override { log.push_back(u"counted " + decimal(count)); }
    void fileReached(const std::u16string& path, std::int32_t index) override {
        log.push_back(u"file " + decimal(index) + u" " + path);
    }
    void recordReady(const std::u16string& path, const BattleRecord& record) override {
        log.push_back(u"record " + decimal(static_cast<int>(record.kind)) + u" " + path + u" " +
                      record.rowText);
    }
    void fileUnreadable(const std::u16string& path) override { log.push_back(u"unreadable " + path); }
};

std::string sample(std::uint32_t seed, samples::SampleOptions options = {}) {
    options.tailBytes = 64;
    options.vehicleCount = 4;
    return samples::makeSampleReplay(seed, options).bytes;
}

struct Fixture {
    TempDir dir;
    fs::path folder = dir.path() / "replays";
    fs::path cacheFile = dir.path() / "RecordCache.sqlite";
    Language language;

    std::vector<std::u16string> uncached() const {
        LogObserver observer;
        scanReplayFiles(textFromPath(folder), u"*", kReplayExtension, language, observer, 2);
        return observer.log;
    }
    // The log of a scan with the cache, and how many files it opened.
    std::pair<std::vector<std::u16string>, int> cached(bool ignoreEntries = false, int workers = 2) const {
        RecordCache cache = RecordCache::open(cacheFile);
        EXPECT_TRUE(cache.usable());
        LogObserver observer;
        CountingReader reader(language);
        CachedScanOptions options;
        options.workers = workers;
        options.reader = &reader;
        options.ignoreEntries = ignoreEntries;
        const CachedScanResult result = scanReplayFilesCached(textFromPath(folder), u"*", kReplayExtension,
                                                              language, &cache, observer, options);
        EXPECT_TRUE(result.cacheUpdated);
        EXPECT_EQ(result.filesRead, reader.reads.load());
        return {observer.log, reader.reads.load()};
    }
    fs::path write(const std::string& name, const std::string& bytes) const {
        return dir.write(fs::relative(folder / name, dir.path()), bytes);
    }
};

void setTime(const fs::path& file, int secondsLater) {
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(secondsLater));
}

} // namespace

TEST(CachedScan, ASecondScanOfUnchangedFilesOpensNone) {
    Fixture f;
    samples::SampleOptions unreadable;
    unreadable.descriptionUnreadable = true;
    samples::SampleOptions rejected;
    rejected.headerRejected = true;
    f.write("a.ivlreplay", sample(1));
    f.write("sub/b.ivlreplay", sample(2));
    f.write("c.ivlreplay", sample(3, unreadable));
    f.write("d.ivlreplay", sample(4, rejected));
    f.write("notes.txt", "not a replay");
    const auto expected = f.uncached();
    for (const int workers : {1, 3}) {
        SCOPED_TRACE(workers);
        const auto [first, firstReads] = f.cached(false, workers);
        EXPECT_EQ(first, expected);
        const auto [second, secondReads] = f.cached(false, workers);
        EXPECT_EQ(second, expected); // the unreadable file is reported again, from the cache
        EXPECT_EQ(secondReads, 0);
        fs::remove(f.cacheFile);
    }
}

// What happens between two scans, and which files the second one must open.
TEST(CachedScan, OnlyNewAndChangedFilesAreReadAgain) {
    struct Step {
        const char* what;
        std::function<void(Fixture&)> change;
        int reads;
    };
    const Step steps[] = {
        {"nothing", [](Fixture&) {}, 0},
        {"a new file", [](Fixture& f) { f.write("new.ivlreplay", sample(9)); }, 1},
        {"a rewrite to another size", [](Fixture& f) { f.write("a.ivlreplay", sample(10)); }, 1},
        {"a newer time only", [](Fixture& f) { setTime(f.folder / "b.ivlreplay", 5); }, 1},
        {"a deleted file", [](Fixture& f) { fs::remove(f.folder / "c.ivlreplay"); }, 0},
        {"a renamed file", [](Fixture& f) { fs::rename(f.folder / "d.ivlreplay", f.folder / "e.ivlreplay"); },
         1},
        {"another language file",
         [](Fixture& f) {
             f.language = Language::load(f.dir.write("eng.lng", "[text]\r\ntxt3=Won\r\n[mapnames]\r\n"));
         },
         4},
        {"a truncated file",
         [](Fixture& f) {
             std::ofstream(f.folder / "a.ivlreplay", std::ios::binary | std::ios::trunc) << "x";
         },
         1},
    };
    Fixture f;
    for (const char* name : {"a", "b", "c", "d"})
        f.write(std::string(name) + ".ivlreplay", sample(static_cast<std::uint32_t>(name[0])));
    f.cached();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(f);
        const auto [log, reads] = f.cached();
        EXPECT_EQ(log, f.uncached());
        EXPECT_EQ(reads, step.reads);
    }
    // A full rescan reads everything and leaves a cache that needs nothing read.
    EXPECT_EQ(f.cached(true).second, 4);
    EXPECT_EQ(f.cached().second, 0);
}

// Replays come and go between scans in every way; each scan with the cache tells what one without it does.
TEST(CachedScan, RandomChangesBetweenScansNeverShowAnotherList) {
    Fixture f;
    std::mt19937 random(2024);
    // A rewrite of the same size within the file system's time granularity is the one change a stamp cannot
    // see: every write here gets a time of its own.
    int later = 0;
    const auto stamped = [&later](const fs::path& file) { setTime(file, ++later); };
    for (int step = 0; step < 60; ++step) {
        const int op = static_cast<int>(random() % 6);
        const std::string name = "r" + std::to_string(random() % 12) + ".ivlreplay";
        switch (op) {
        case 0:
        case 1:
            stamped(f.write(name, sample(static_cast<std::uint32_t>(random()))));
            break;
        case 2:
            if (fs::exists(f.folder / name)) setTime(f.folder / name, 3);
            break;
        case 3:
            if (fs::exists(f.folder / name)) {
                std::ofstream(f.folder / name, std::ios::binary | std::ios::trunc)
                    << sample(7).substr(0, 300);
                stamped(f.folder / name);
            }
            break;
        case 4:
            fs::remove(f.folder / name);
            break;
        case 5:
            if (fs::exists(f.folder / name))
                fs::rename(f.folder / name,
                           f.folder / ("moved" + std::to_string(random() % 4) + ".ivlreplay"));
            break;
        }
        SCOPED_TRACE(step);
        ASSERT_EQ(f.cached(false, 1 + step % 3).first, f.uncached());
    }
}

TEST(CachedScan, AStoppedScanForgetsNoFileItDidNotReach) {
    Fixture f;
    for (int i = 0; i < 12; ++i)
        f.write("r" + std::to_string(i) + ".ivlreplay", sample(static_cast<std::uint32_t>(40 + i)));
    EXPECT_EQ(f.cached().second, 12);

    // A scan the user stops after three files.
    class StoppingObserver final : public FolderScanObserver {
    public:
        void fileReached(const std::u16string&, std::int32_t) override { ++files; }
        bool stopRequested() override { return files >= 3; }
        int files = 0;
    } stopping;
    {
        RecordCache cache = RecordCache::open(f.cacheFile);
        const CachedScanResult result = scanReplayFilesCached(textFromPath(f.folder), u"*", kReplayExtension,
                                                              f.language, &cache, stopping);
        EXPECT_TRUE(result.stopped);
        EXPECT_EQ(stopping.files, 3);
    }
    // Every entry is still there: the next full scan opens nothing.
    EXPECT_EQ(f.cached().second, 0);
}
