// A live folder reports what changed on disk once the files have settled, and never reads an unchanged file.
#include "library/LiveFolder.h"

#include "CountingReader.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::test::CountingReader;
using tapeloft::test::TempDir;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string sample(std::uint32_t seed, samples::ResultsLayout layout = samples::ResultsLayout::Current) {
    samples::SampleOptions options;
    options.tailBytes = 64;
    options.vehicleCount = 4;
    options.layout = layout;
    return samples::makeSampleReplay(seed, options).bytes;
}

// "kind path" for every change, in order.
std::vector<std::string> described(const std::vector<LiveChange>& changes) {
    static const char* const kNames[] = {"added", "changed", "removed", "unreadable"};
    std::vector<std::string> out;
    for (const LiveChange& c : changes)
        out.push_back(std::string(kNames[static_cast<int>(c.kind)]) + " " +
                      pathFromText(c.path).filename().string());
    return out;
}

using Seen = std::vector<std::string>;

struct Fixture {
    TempDir dir;
    fs::path folder = dir.path() / "replays";
    Language language;
    CountingReader reader{language};
    LiveFolder live{textFromPath(folder), reader};
    LiveFolder::Clock::time_point now{};

    Fixture() { fs::create_directories(folder); }
    Seen pollAfter(std::chrono::milliseconds later) {
        now += later;
        return described(live.poll(now));
    }
};

} // namespace

TEST(LiveFolder, ANewFileIsReadOnceItHasSettled) {
    Fixture f;
    f.dir.write("replays/sub/a.ivlreplay", sample(1));
    f.dir.write("replays/notes.txt", "not a replay");
    EXPECT_EQ(f.pollAfter(0ms), Seen{});
    EXPECT_TRUE(f.live.settling());
    EXPECT_EQ(f.pollAfter(600ms), Seen{});
    EXPECT_EQ(f.pollAfter(400ms), Seen{"added a.ivlreplay"});
    EXPECT_FALSE(f.live.settling());
    EXPECT_EQ(f.pollAfter(5000ms), Seen{});
    EXPECT_EQ(f.reader.reads, 1);
    ASSERT_EQ(f.live.folders().size(), 2u);
    EXPECT_EQ(f.live.folders()[0], withTrailingSeparator(textFromPath(f.folder)));
}

// The game writes a replay in steps: each change starts the wait anew, and the record read is the last one.
TEST(LiveFolder, AFileStillBeingWrittenIsReadWhenItStopsGrowing) {
    Fixture f;
    const std::string whole = sample(2);
    const std::string early = sample(2, samples::ResultsLayout::None);
    const fs::path file = f.dir.write("replays/b.ivlreplay", early);
    EXPECT_EQ(f.pollAfter(0ms), Seen{});
    f.pollAfter(700ms);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << whole;
    fs::last_write_time(file, fs::last_write_time(file) + 2s);
    EXPECT_EQ(f.pollAfter(500ms), Seen{}); // 1.2 s after the first sight, but it changed
    EXPECT_EQ(f.pollAfter(500ms), Seen{});
    const std::vector<LiveChange> changes = f.live.poll(f.now += 500ms);
    ASSERT_EQ(described(changes), Seen{"added b.ivlreplay"});
    EXPECT_EQ(changes[0].record.kind, BattleRecordKind::Full);
    EXPECT_EQ(f.reader.reads, 1);
}

TEST(LiveFolder, KnownFilesThatChangeMoveOrGoAreReported) {
    Fixture f;
    const fs::path a = f.dir.write("replays/a.ivlreplay", sample(3));
    const fs::path b = f.dir.write("replays/b.ivlreplay", sample(4));
    const fs::path c = f.dir.write("replays/c.ivlreplay", sample(5));
    f.live.reset(
        {{textFromPath(a), *stampOf(a)}, {textFromPath(b), *stampOf(b)}, {textFromPath(c), *stampOf(c)}});
    EXPECT_EQ(f.pollAfter(0ms), Seen{});

    std::ofstream(a, std::ios::binary | std::ios::app) << "tail";
    fs::remove(b);
    fs::rename(c, f.folder / "d.ivlreplay");
    EXPECT_EQ(f.pollAfter(100ms), (Seen{"removed b.ivlreplay", "removed c.ivlreplay"}));
    EXPECT_EQ(f.pollAfter(1000ms), (Seen{"changed a.ivlreplay", "added d.ivlreplay"}));
    EXPECT_EQ(f.reader.reads, 2);
}

TEST(LiveFolder, AnUnreadableFileIsReportedOnceUntilItChanges) {
    Fixture f;
    const fs::path bad = f.dir.write("replays/bad.ivlreplay", samples::validHeader() + "no description");
    f.pollAfter(0ms);
    EXPECT_EQ(f.pollAfter(1000ms), Seen{"unreadable bad.ivlreplay"});
    EXPECT_EQ(f.pollAfter(5000ms), Seen{});
    std::ofstream(bad, std::ios::binary | std::ios::trunc) << sample(6);
    fs::last_write_time(bad, fs::last_write_time(bad) + 2s);
    f.pollAfter(0ms);
    EXPECT_EQ(f.pollAfter(1000ms), Seen{"changed bad.ivlreplay"});
}

// An unplugged drive empties the list without a word, and its replays come back with it.
TEST(LiveFolder, AFolderThatVanishesAndComesBack) {
    Fixture f;
    const fs::path a = f.dir.write("replays/a.ivlreplay", sample(7));
    f.live.reset({{textFromPath(a), *stampOf(a)}});
    fs::rename(f.folder, f.dir.path() / "elsewhere");
    EXPECT_EQ(f.pollAfter(100ms), Seen{"removed a.ivlreplay"});
    EXPECT_TRUE(f.live.folders().empty());
    EXPECT_EQ(f.pollAfter(2000ms), Seen{});
    fs::rename(f.dir.path() / "elsewhere", f.folder);
    f.pollAfter(100ms);
    EXPECT_EQ(f.pollAfter(1000ms), Seen{"added a.ivlreplay"});
}

TEST(LiveFolder, UnchangedFilesAreNeverRead) {
    Fixture f;
    std::unordered_map<std::u16string, FileStamp> shown;
    for (int i = 0; i < 50; ++i) {
        const fs::path file = f.dir.write("replays/r" + std::to_string(i) + ".ivlreplay", sample(100 + i));
        shown.emplace(textFromPath(file), *stampOf(file));
    }
    f.live.reset(shown);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(f.pollAfter(700ms), Seen{});
    EXPECT_EQ(f.reader.reads, 0);
}
