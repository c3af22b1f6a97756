// The scan with background workers must be indistinguishable from the plain walk: the same reports in the
// same order with the same records, all on the calling thread.
#include "replay/FolderScan.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/BattleRecord.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace tapeloft;
using tapeloft::test::TempDir;

namespace {

// Every report as one line, in the order they came, and on which thread.
class RecordingObserver final : public FolderScanObserver {
public:
    std::vector<std::u16string> log;
    int foreignThreadCalls = 0;
    int unreadable = 0;
    int rows = 0;

    void filesCounted(std::int32_t count) override { add(u"counted " + decimal(count)); }
    void fileReached(const std::u16string& path, std::int32_t index) override {
        add(u"file " + decimal(index) + u" " + path);
    }
    void recordReady(const std::u16string& path, const BattleRecord& record) override {
        ++rows;
        add(u"record " + decimal(static_cast<int>(record.kind)) + u" " + path + u" | " + record.rowText);
    }
    void fileUnreadable(const std::u16string& path) override {
        ++unreadable;
        add(u"unreadable " + path);
    }
    void fileDone() override { add(u"done"); }
    bool stopRequested() override { return stopAfter >= 0 && files++ >= stopAfter; }
    int stopAfter = -1; // stop before file number stopAfter

private:
    void add(std::u16string line) {
        if (std::this_thread::get_id() != owner_) ++foreignThreadCalls;
        log.push_back(std::move(line));
    }
    std::thread::id owner_ = std::this_thread::get_id();
    int files = 0;
};

RecordingObserver scanWith(const std::filesystem::path& folder, const Language& language, int workers) {
    RecordingObserver observer;
    scanReplayFiles(textFromPath(folder), u"*", kReplayExtension, language, observer, workers);
    return observer;
}

// Small replays of every kind the extraction tells apart, spread over nested folders, with files of
// other extensions and a few files that share a date so that the final sort depends on the walk order.
void writeMixedFolder(const TempDir& dir, int count) {
    const char* folders[] = {"", "a/", "a/b/", "c/", "c/d/e/"};
    for (int i = 0; i < count; ++i) {
        samples::SampleOptions options;
        options.tailBytes = 16;
        options.vehicleCount = 2 + i % 3;
        switch (i % 7) {
        case 1:
            options.layout = samples::ResultsLayout::None; // tinted row
            break;
        case 2:
            options.headerRejected = true; // marker row
            break;
        case 3:
            options.descriptionUnreadable = true; // message box
            break;
        case 4:
            options.layout = samples::ResultsLayout::Earlier;
            break;
        default:
            break;
        }
        const samples::SampleReplay replay =
            samples::makeSampleReplay(static_cast<std::uint32_t>(1000 + i), options);
        const std::string folder = folders[i % 5];
        dir.write(folder + "r" + std::to_string(i) + ".ivlreplay", replay.bytes);
        if (i % 11 == 0) dir.write(folder + "note" + std::to_string(i) + ".txt", "not a replay");
        if (i % 13 == 0) dir.write(folder + "empty" + std::to_string(i) + ".ivlreplay", "");
    }
    // Equal dates: the stable sort keeps them in the order the walk appended them.
    const std::string sameDate = samples::assembleReplay(
        samples::validHeader(), R"({"playerName":"Ann","vehicles":{},"dateTime":"01.01.2015 10:00:00"})");
    for (int i = 0; i < 6; ++i)
        dir.write(std::string(folders[i % 5]) + "same" + std::to_string(i) + ".ivlreplay", sameDate);
}

Language russian() {
    return Language::load(tapeloft::test::sourceDir() / "lang" / "rus.lng");
}

} // namespace

TEST(FolderScanWorkers, GiveTheReportsOfThePlainWalk) {
    TempDir dir;
    // More files than the workers may read ahead, so that their window wraps around.
    writeMixedFolder(dir, 600);
    const Language language = russian();
    const RecordingObserver plain = scanWith(dir.path(), language, 1);

    // The reference itself covers what it must: every kind of record, and unreadable files.
    EXPECT_EQ(plain.unreadable, 600 / 7 + (600 % 7 > 3));
    EXPECT_EQ(plain.rows + plain.unreadable, 600 + 47 + 6); // empty files give marker records
    EXPECT_EQ(plain.log.front(), u"counted " + decimal(600 + 47 + 6 + 600 / 11 + 1));

    for (const int workers : {0, 2, 3, 8}) {
        SCOPED_TRACE(workers);
        const RecordingObserver pooled = scanWith(dir.path(), language, workers);
        EXPECT_EQ(pooled.log, plain.log);
        EXPECT_EQ(pooled.foreignThreadCalls, 0);
    }
}

TEST(FolderScanWorkers, AStopEndsTheScanBeforeTheNextFileWithTheEarlierReportsKept) {
    TempDir dir;
    writeMixedFolder(dir, 300);
    const Language language;
    const RecordingObserver all = scanWith(dir.path(), language, 1);
    for (const int workers : {1, 2, 8}) {
        for (const int stopAfter : {0, 1, 137, 299}) {
            SCOPED_TRACE(testing::Message() << workers << " workers, stop after " << stopAfter);
            RecordingObserver observer;
            observer.stopAfter = stopAfter;
            EXPECT_FALSE(scanReplayFiles(textFromPath(dir.path()), u"*", kReplayExtension, language, observer,
                                         workers));
            // "counted", then three lines a file.
            const auto kept = static_cast<std::ptrdiff_t>(1 + 3 * stopAfter);
            ASSERT_LE(kept, static_cast<std::ptrdiff_t>(all.log.size()));
            EXPECT_EQ(observer.log, std::vector<std::u16string>(all.log.begin(), all.log.begin() + kept));
        }
    }
}

TEST(FolderScanWorkers, RepeatedRunsStayIdentical) {
    TempDir dir;
    writeMixedFolder(dir, 40);
    const Language language = russian();
    const RecordingObserver plain = scanWith(dir.path(), language, 1);
    for (int run = 0; run < 20; ++run)
        ASSERT_EQ(scanWith(dir.path(), language, 4).log, plain.log) << "run " << run;
}

TEST(FolderScanWorkers, FoldersWithoutReplaysReportOnlyTheirCount) {
    TempDir dir;
    dir.write("a.txt", "x");
    dir.write("sub/b.dat", "y");
    TempDir empty;
    const Language language;
    const struct {
        std::filesystem::path folder;
        const char16_t* counted;
    } cases[] = {
        {dir.path(), u"counted 2"}, {empty.path(), u"counted 0"}, {empty.path() / "missing", u"counted 0"}};
    for (const auto& c : cases) {
        for (const int workers : {1, 4})
            EXPECT_EQ(scanWith(c.folder, language, workers).log, std::vector<std::u16string>{c.counted});
    }
}
