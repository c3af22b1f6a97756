// The scan with background workers must be indistinguishable from the plain walk: the same platform
// calls in the same order with the same values, the same rows, colours and order, all on the calling thread.
#include "app/ReplayScan.h"
#include "replay/FolderScan.h"

#include "app/ListModel.h"
#include "app/Platform.h"
#include "app/ReplayList.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace tapeloft;
using tapeloft::test::TempDir;

namespace {

// Every platform request and list notification as one line, in the order they came, and on which thread.
class RecordingPlatform final : public Platform, public ListObserver {
public:
    std::vector<std::u16string> log;
    int foreignThreadCalls = 0;

    void messageBox(std::u16string_view title, std::u16string_view text) override {
        add(u"message " + std::u16string(title) + u" | " + std::u16string(text));
    }
    bool askYesNo(std::u16string_view, std::u16string_view) override {
        add(u"ask");
        return false;
    }
    std::optional<std::u16string> chooseFolder(std::u16string_view) override { return std::nullopt; }
    std::optional<std::u16string> chooseSaveFile(std::u16string_view, std::u16string_view) override {
        return std::nullopt;
    }
    bool openWithAssociatedProgram(std::u16string_view) override { return false; }
    void progressBegin(std::u16string_view title, std::u16string_view caption) override {
        add(u"begin " + std::u16string(title) + u" | " + std::u16string(caption));
    }
    void progressSetRange(int maximum) override { add(u"range " + decimal(maximum)); }
    void progressSetFile(std::u16string_view path) override { add(u"file " + std::u16string(path)); }
    void progressSetPosition(int position) override { add(u"position " + decimal(position)); }
    void progressEnd() override { add(u"end"); }
    void processOnePendingEvent() override { add(u"event"); }

    void rowsInserted(int first, int last) override {
        add(u"inserted " + decimal(first) + u" " + decimal(last));
    }
    void modelReset() override { add(u"reset"); }
    void layoutChanged(std::span<const int> moved) override { add(u"layout " + decimal(moved.size())); }

private:
    void add(std::u16string line) {
        if (std::this_thread::get_id() != owner_) ++foreignThreadCalls;
        log.push_back(std::move(line));
    }
    std::thread::id owner_ = std::this_thread::get_id();
};

struct ScanOutcome {
    std::vector<std::u16string> log;
    std::vector<std::u16string> rows; // every cell and the row's background, in list order
    int foreignThreadCalls = 0;
};

ScanOutcome scanWith(const std::filesystem::path& folder, const Language& language, int workers) {
    RecordingPlatform platform;
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);
    list.setObserver(&platform);
    scanReplayFolder(textFromPath(folder), list, u"*", kReplayExtension, language, platform, workers);
    list.setObserver(nullptr);
    ScanOutcome outcome{std::move(platform.log), {}, platform.foreignThreadCalls};
    for (int r = 0; r < list.rowCount(); ++r) {
        std::u16string row;
        for (int c = 0; c < list.columnCount(); ++c)
            row += std::u16string(list.cell(r, c)) + u'\t';
        const auto background = list.backgroundColour(r, 0);
        row += background ? decimal(background->rgb()) : u"-";
        outcome.rows.push_back(std::move(row));
    }
    return outcome;
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

TEST(FolderScanWorkers, GiveTheCallsRowsAndMessagesOfThePlainWalk) {
    TempDir dir;
    // More files than the workers may read ahead, so that their window wraps around.
    writeMixedFolder(dir, 600);
    const Language language = russian();
    const ScanOutcome plain = scanWith(dir.path(), language, 1);

    // The reference itself covers what it must: every kind of row and message.
    int messages = 0, files = 0;
    for (const auto& line : plain.log) {
        messages += line.starts_with(u"message ");
        files += line.starts_with(u"file ");
    }
    EXPECT_EQ(messages, 600 / 7 + (600 % 7 > 3));
    EXPECT_EQ(files, 600 + 47 + 6);
    EXPECT_EQ(plain.rows.size(), static_cast<std::size_t>(files - messages)); // empty files give marker rows

    for (const int workers : {0, 2, 3, 8}) {
        SCOPED_TRACE(workers);
        const ScanOutcome pooled = scanWith(dir.path(), language, workers);
        EXPECT_EQ(pooled.log, plain.log);
        EXPECT_EQ(pooled.rows, plain.rows);
        EXPECT_EQ(pooled.foreignThreadCalls, 0);
    }
}

TEST(FolderScanWorkers, RepeatedRunsStayIdentical) {
    TempDir dir;
    writeMixedFolder(dir, 40);
    const Language language = russian();
    const ScanOutcome plain = scanWith(dir.path(), language, 1);
    for (int run = 0; run < 20; ++run) {
        const ScanOutcome pooled = scanWith(dir.path(), language, 4);
        ASSERT_EQ(pooled.log, plain.log) << "run " << run;
        ASSERT_EQ(pooled.rows, plain.rows) << "run " << run;
    }
}

TEST(FolderScanWorkers, FoldersWithoutReplaysOpenAndCloseTheProgressAlike) {
    TempDir dir;
    dir.write("a.txt", "x");
    dir.write("sub/b.dat", "y");
    TempDir empty;
    const Language language;
    for (const auto& folder : {dir.path(), empty.path(), empty.path() / "missing"}) {
        const ScanOutcome plain = scanWith(folder, language, 1);
        const ScanOutcome pooled = scanWith(folder, language, 4);
        EXPECT_EQ(pooled.log, plain.log);
        EXPECT_TRUE(pooled.rows.empty());
    }
    EXPECT_EQ(
        scanWith(dir.path(), language, 4).log,
        (std::vector<std::u16string>{u"begin n/a | n/a" + textFromPath(dir.path()), u"range 2", u"end"}));
}
