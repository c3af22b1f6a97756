#include "replay/FolderScan.h"
#include "app/ReplayScan.h"

#include "app/ListModel.h"
#include "app/ReplayList.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace tapeloft;
using tapeloft::test::FakePlatform;
using tapeloft::test::TempDir;

namespace {

std::string replayDated(const std::string& dateTime) {
    return samples::assembleReplay(samples::validHeader(),
                                   R"({"playerName":"Ann","vehicles":{},"dateTime":")" + dateTime + R"("})");
}

struct Scan {
    FakePlatform platform;
    Language language;
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);

    void run(const std::filesystem::path& folder) {
        scanReplayFolder(textFromPath(folder), list, u"*", kReplayExtension, language, platform);
    }
    std::vector<std::u16string> column(int c) const {
        std::vector<std::u16string> cells;
        for (int r = 0; r < list.rowCount(); ++r)
            cells.emplace_back(list.cell(r, c));
        return cells;
    }
};

} // namespace

TEST(FolderScan, AcceptsTheExtensionInAnyCaseAndNothingElse) {
    TempDir dir;
    const std::string replay = replayDated("01.01.2015 10:00:00");
    for (const char* name : {"a.ivlreplay", "b.IVLREPLAY", "c.IvlReplay", "d.b.ivlreplay", ".ivlreplay",
                             "ivlreplay", "e.ivlreplay.bak", "f.txt", "g.ivlreplay2"})
        dir.write(name, replay);
    Scan scan;
    scan.run(dir.path());
    std::vector<std::u16string> names;
    for (const auto& path : scan.column(32))
        names.push_back(textFromPath(pathFromText(path).filename()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u".ivlreplay", u"a.ivlreplay", u"b.IVLREPLAY",
                                                  u"c.IvlReplay", u"d.b.ivlreplay"}));
    EXPECT_EQ(scan.platform.progressRanges, std::vector<int>{9});
}

TEST(FolderScan, NameFilterComparesTheLowerCasedBaseName) {
    TempDir dir;
    dir.write("Alpha.ivlreplay", replayDated("01.01.2015 10:00:00"));
    dir.write("beta.ivlreplay", replayDated("01.01.2015 10:00:00"));
    std::vector<std::u16string> seen;
    walkReplayFolder(textFromPath(dir.path()), u"alpha", u"*",
                     [&](const std::u16string& path) { seen.push_back(path); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], textFromPath(dir.path() / "Alpha.ivlreplay"));
}

TEST(FolderScan, WalksDepthFirstReportsProgressAndSortsNewestFirst) {
    TempDir dir;
    dir.write("top1.ivlreplay", replayDated("05.03.2015 10:00:00"));
    dir.write("top2.ivlreplay", replayDated("31.12.2014 23:59:59"));
    dir.write("top3.ivlreplay", replayDated("01.01.2015 00:00:00"));
    dir.write("sub/deeper/s1.ivlreplay", replayDated("02.02.2016 08:00:00"));
    dir.write("sub/s2.ivlreplay", replayDated("15.06.2013 12:00:00"));
    dir.write("sub/notes.txt", "x");

    Scan scan;
    scan.run(dir.path());
    EXPECT_EQ(scan.platform.progressRanges, std::vector<int>{6});
    EXPECT_EQ(scan.platform.progressPositions, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(scan.platform.pendingEventsProcessed, 5);
    EXPECT_EQ(scan.platform.progressOpen, 0);
    ASSERT_EQ(scan.platform.progressCaptions.size(), 1u);
    EXPECT_EQ(scan.platform.progressCaptions[0], u"n/a" + textFromPath(dir.path()));

    // Depth-first: once the walk leaves "sub", it never comes back into it.
    const auto& files = scan.platform.progressFiles;
    ASSERT_EQ(files.size(), 5u);
    const std::u16string sub = textFromPath(dir.path() / "sub") + std::u16string(nativeSeparator());
    const auto inSub = [&](const std::u16string& f) { return f.rfind(sub, 0) == 0; };
    const auto first = std::find_if(files.begin(), files.end(), inSub);
    EXPECT_TRUE(std::all_of(first, first + 2, inSub));

    EXPECT_EQ(scan.column(1), (std::vector<std::u16string>{u"02.02.2016 08:00:00", u"05.03.2015 10:00:00",
                                                           u"01.01.2015 00:00:00", u"31.12.2014 23:59:59",
                                                           u"15.06.2013 12:00:00"}));
    EXPECT_EQ(scan.column(32)[0], textFromPath(dir.path() / "sub" / "deeper" / "s1.ivlreplay"));
}

TEST(FolderScan, TrailingSeparatorIsNotDoubledAndEmptyOrMissingFoldersGiveNothing) {
    TempDir dir;
    dir.write("a.ivlreplay", replayDated("01.01.2015 10:00:00"));
    Scan scan;
    scanReplayFolder(textFromPath(dir.path()) + std::u16string(nativeSeparator()), scan.list, u"*",
                     kReplayExtension, scan.language, scan.platform);
    ASSERT_EQ(scan.list.rowCount(), 1);
    EXPECT_EQ(scan.list.cell(0, 32), textFromPath(dir.path() / "a.ivlreplay"));

    TempDir empty;
    Scan none;
    none.run(empty.path());
    none.run(empty.path() / "does-not-exist");
    EXPECT_EQ(none.list.rowCount(), 0);
    EXPECT_EQ(none.platform.progressRanges, (std::vector<int>{0, 0}));
    EXPECT_EQ(none.platform.progressOpen, 0);
    EXPECT_EQ(countFolderFiles(textFromPath(empty.path() / "does-not-exist")), 0);
}

#ifndef _WIN32
TEST(FolderScan, LinksToFoldersAreNotFollowedSoALoopEnds) {
    TempDir dir;
    dir.write("a/one.ivlreplay", replayDated("01.01.2015 10:00:00"));
    std::filesystem::create_directory_symlink(dir.path(), dir.path() / "a" / "loop");
    std::filesystem::create_directory_symlink(dir.path() / "a", dir.path() / "again");
    // A link to a file is still a file.
    std::filesystem::create_symlink(dir.path() / "a" / "one.ivlreplay", dir.path() / "linked.ivlreplay");
    Scan scan;
    scan.run(dir.path());
    EXPECT_EQ(scan.list.rowCount(), 2);
    EXPECT_EQ(countFolderFiles(textFromPath(dir.path())), 2);
}

TEST(FolderScan, UnreadableSubFolderIsSkipped) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    TempDir dir;
    dir.write("ok.ivlreplay", replayDated("01.01.2015 10:00:00"));
    dir.write("locked/hidden.ivlreplay", replayDated("01.01.2015 10:00:00"));
    std::filesystem::permissions(dir.path() / "locked", std::filesystem::perms::none);
    Scan scan;
    scan.run(dir.path());
    EXPECT_EQ(scan.list.rowCount(), 1);
}
#endif

TEST(FolderScan, DeepTreesDoNotExhaustTheStack) {
    TempDir dir;
    std::filesystem::path deep = dir.path();
    for (int level = 0; level < 60; ++level)
        deep /= "d";
    std::filesystem::create_directories(deep);
    dir.write(std::filesystem::relative(deep / "x.ivlreplay", dir.path()),
              replayDated("01.01.2015 10:00:00"));
    Scan scan;
    scan.run(dir.path());
    EXPECT_EQ(scan.list.rowCount(), 1);
}

// The walk lists a file that is gone or locked by the time it is read: it must not vanish without a word.
TEST(FolderScan, FileThatCannotBeReadWhenItsTurnComesIsReported) {
    class DeletingPlatform final : public WindowlessPlatform {
    public:
        std::u16string victim;
        std::vector<std::u16string> messages;
        void progressSetFile(std::u16string_view path) override {
            if (path == victim) std::filesystem::remove(pathFromText(victim));
        }
        void messageBox(std::u16string_view, std::u16string_view text) override {
            messages.emplace_back(text);
        }
    };
    TempDir dir;
    dir.write("a.ivlreplay", replayDated("01.01.2015 10:00:00"));
    const std::u16string gone = textFromPath(dir.write("b.ivlreplay", replayDated("02.01.2015 10:00:00")));
    DeletingPlatform platform;
    platform.victim = gone;
    Language language;
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);
    // One worker: the file is read right after the progress window names it.
    scanReplayFolder(textFromPath(dir.path()), list, u"*", kReplayExtension, language, platform, 1);
    EXPECT_EQ(list.rowCount(), 1);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], u"Файл " + gone + u" не может быть обработан.");
}

// What the glue makes of each kind of record: the rows, their tint, and the message of a file without one.
TEST(FolderScan, EachKindOfRecordBecomesItsRowOrItsMessage) {
    TempDir dir;
    samples::SampleOptions noResults;
    noResults.layout = samples::ResultsLayout::None;
    samples::SampleOptions rejected;
    rejected.headerRejected = true;
    samples::SampleOptions unreadable;
    unreadable.descriptionUnreadable = true;
    const struct {
        const char* name;
        samples::SampleOptions options;
        bool row;
        bool tinted;
    } cases[] = {
        {"full.ivlreplay", {}, true, false},
        {"noresults.ivlreplay", noResults, true, true},
        {"rejected.ivlreplay", rejected, true, false},
        {"unreadable.ivlreplay", unreadable, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string path =
            textFromPath(dir.write(c.name, samples::makeSampleReplay(7, c.options).bytes));
        FakePlatform platform;
        ListModel list(std::vector<ListColumn>(40));
        addBattleRecord(path, list, Language(), platform);
        ASSERT_EQ(list.rowCount(), c.row ? 1 : 0);
        if (c.row) {
            EXPECT_EQ(list.cell(0, 32), path);
            EXPECT_TRUE(platform.messages.empty());
            const auto tint = c.tinted ? std::optional(ListColour::fromRgb(kNoResultsTintRgb)) : std::nullopt;
            EXPECT_EQ(list.backgroundColour(0, 0), tint);
            EXPECT_EQ(list.backgroundColour(0, 39), tint);
        } else {
            ASSERT_EQ(platform.messages.size(), 1u);
            EXPECT_EQ(platform.messages[0].title, u"Внимание!");
            EXPECT_EQ(platform.messages[0].text, u"Файл " + path + u" не может быть обработан.");
        }
    }
}

TEST(FolderScan, UnreadableFilesMakeOneBoxThatStaysShorterThanTheScreen) {
    const struct {
        std::size_t files;
        std::size_t lines; // in the box, the "more" line included
        const char16_t* last;
    } cases[] = {
        {0, 0, u""},
        {1, 1, u"Файл f0 не может быть обработан."},
        {20, 20, u"Файл f19 не может быть обработан."},
        {21, 21, u"… и ещё 1"},
        {250, 21, u"… и ещё 230"},
    };
    const Language language; // no file: the program's own texts
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files);
        std::vector<std::u16string> paths;
        for (std::size_t i = 0; i < c.files; ++i)
            paths.push_back(u"f" + decimal(static_cast<std::int64_t>(i)));
        FakePlatform platform;
        reportUnreadableFiles(paths, language, platform);
        if (c.files == 0) {
            EXPECT_TRUE(platform.messages.empty());
            continue;
        }
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].title, u"Внимание!");
        const std::u16string& text = platform.messages[0].text;
        EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n')) + 1, c.lines);
        EXPECT_TRUE(text.starts_with(u"Файл f0 не может быть обработан."));
        EXPECT_TRUE(text.ends_with(c.last)) << utf16ToUtf8(text);
    }
}
