// Every file operation of the commands made to fail: the user is told, the lists show what is on disk,
// and every replay is still whole somewhere.
#include "CommandSession.h"
#include "base/ColumnOrderFile.h"
#include "base/Settings.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

using namespace tapeloft;
using namespace tapeloft::test;

namespace {

std::map<fs::path, std::string> everyReplay(Session& s) {
    std::map<fs::path, std::string> all = contentsBelow(s.replayDir);
    all.merge(contentsBelow(s.favouriteDir));
    return all;
}

void expectConsistent(Session& s, const std::map<fs::path, std::string>& originals,
                      const std::set<fs::path>& allowedOthers = {}) {
    expectListMatchesDisk(s, ReplayListKind::Replays);
    expectListMatchesDisk(s, ReplayListKind::Favourites);
    expectEveryReplayWhole(s, originals, allowedOthers);
}

void expectMessages(const Session& s, const std::vector<std::u16string>& texts) {
    ASSERT_EQ(s.platform.messages.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(s.platform.messages[i].title, s.msg(78));
        EXPECT_EQ(s.platform.messages[i].text, texts[i]) << "message " << i;
    }
}

} // namespace

TEST(FaultInjection, ACopyThatFailsAnywhereKeepsTheReplayWhereItWasAndLeavesNoPartialFile) {
    struct Case {
        const char* name;
        std::function<void(Session&)> arrange;
        ReplayListKind from;
    };
    const Case cases[] = {
        {"refused before the first byte",
         [](Session& s) {
             for (const fs::path& p : Session::paths(s.replays))
                 s.files.failCopyFrom.insert(p);
         },
         ReplayListKind::Replays},
        {"disk full at the first byte", [](Session& s) { s.files.failNewFileAfterBytes = 0; },
         ReplayListKind::Replays},
        {"disk full half-way", [](Session& s) { s.files.failNewFileAfterBytes = 20000; },
         ReplayListKind::Favourites},
        {"the finished copy cannot be put in place", [](Session& s) { s.files.failRename = true; },
         ReplayListKind::Replays},
        {"read-only destination", [](Session& s) { s.files.readOnlyFolders.insert(s.favouriteDir); },
         ReplayListKind::Replays},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        // A namesake of the first moved replay waits in the destination and must survive too.
        const ReplayListKind to =
            c.from == ReplayListKind::Replays ? ReplayListKind::Favourites : ReplayListKind::Replays;
        const fs::path firstSource = Session::paths(s.list(c.from))[0];
        const fs::path namesake = s.folder(to) / firstSource.filename();
        const std::string older = samples::makeSampleReplay(99).bytes;
        s.dir.write(fs::relative(namesake, s.dir.path()), older);
        s.commands->rescan();
        s.platform.messages.clear();
        const auto originals = everyReplay(s);
        const auto rowsBefore = Session::paths(s.list(c.from));
        c.arrange(s);

        s.select(s.list(c.from), {0, 1});
        const MoveOutcome outcome = s.commands->moveSelected(c.from);

        EXPECT_EQ(outcome.moved, 0);
        EXPECT_EQ(outcome.notCopied, 2);
        expectMessages(s, {s.msg(79), s.msg(79)});
        EXPECT_EQ(Session::paths(s.list(c.from)), rowsBefore);
        if (std::string(c.name) == "disk full half-way") {
            EXPECT_EQ(s.files.partialCopies, 2);
        }
        EXPECT_EQ(readBytes(namesake), older);
        expectConsistent(s, originals);
    }
}

#ifndef _WIN32
TEST(FaultInjection, ARealFullDiskDuringACopyLeavesNoPartialFile) {
    Session s;
    const auto originals = everyReplay(s);
    const fs::path source = Session::paths(s.replays)[0];
    s.select(s.replays, {0});
    MoveOutcome outcome;
    {
        FileSizeLimit limit(fs::file_size(source) / 2);
        ASSERT_TRUE(limit.active());
        outcome = s.commands->moveSelected(ReplayListKind::Replays);
    }
    EXPECT_EQ(outcome.notCopied, 1);
    expectMessages(s, {s.msg(79)});
    EXPECT_EQ(Session::paths(s.replays)[0], source);
    expectConsistent(s, originals);
}
#endif

TEST(FaultInjection, AFolderInTheDestinationsPlaceIsNotReplaced) {
    Session s;
    const fs::path source = Session::paths(s.replays)[0];
    const fs::path blocker = s.favouriteDir / source.filename();
    fs::create_directory(blocker);
    s.dir.write(fs::relative(blocker / "inside.txt", s.dir.path()), "someone's file");
    const auto originals = everyReplay(s);
    s.select(s.replays, {0, 1});
    const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Replays);
    EXPECT_EQ(outcome.moved, 1);
    EXPECT_EQ(outcome.notCopied, 1);
    expectMessages(s, {s.msg(79)});
    EXPECT_TRUE(fs::is_directory(blocker));
    EXPECT_EQ(Session::paths(s.replays)[0], source);
    expectConsistent(s, originals);
}

TEST(FaultInjection, AReadOnlySourceFolderKeepsTheSourceAndItsRowBesideTheCopy) {
    Session s;
    const auto originals = everyReplay(s);
    const auto sources = Session::paths(s.favourites);
    s.files.readOnlyFolders.insert(s.favouriteDir);
    s.select(s.favourites, {0, 1});
    const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Favourites);
    EXPECT_EQ(outcome.sourcesKept, 2);
    expectMessages(s, {s.msg(115) + textFromPath(sources[0]), s.msg(115) + textFromPath(sources[1])});
    EXPECT_EQ(Session::paths(s.favourites), sources);
    EXPECT_EQ(s.replays.rowCount(), 7);
    expectConsistent(s, originals);
}

TEST(FaultInjection, SourcesThatVanishedOrCannotBeDeletedAreReportedOneByOne) {
    Session s;
    const auto rows = Session::paths(s.replays);
    fs::remove(rows[1]);
    auto originals = everyReplay(s);
    originals.erase(rows[4]); // deleted on purpose below
    s.files.failRemove.insert(rows[3]);

    s.select(s.replays, {1, 3, 4});
    const int removed = s.commands->deleteSelected(ReplayListKind::Replays);
    // The row of the vanished file goes without a word: the user wanted it gone, and it is.
    EXPECT_EQ(removed, 2);
    expectMessages(s, {s.msg(115) + textFromPath(rows[3])});
    expectConsistent(s, originals);

    s.platform.messages.clear();
    fs::remove(rows[0]);
    const auto remaining = everyReplay(s);
    s.select(s.replays, {0, 1});
    const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Replays);
    EXPECT_EQ(outcome.vanished, 1);
    EXPECT_EQ(outcome.moved, 1);
    expectMessages(s, {s.msg(119) + textFromPath(rows[0])});
    expectConsistent(s, remaining);
}

TEST(FaultInjection, ProgramFilesThatCannotBeWrittenAreReportedAndKeptAsTheyWere){
    {// Folders stand where Settings.ini and ColumnOrder.Dat belong.
     Session s;
fs::create_directory(s.settings());
fs::create_directory(s.dir.path() / "ColumnOrder.Dat");
s.platform.folderAnswers.push_back(withSeparator(s.dir.path() / "elsewhere"));
fs::create_directory(s.dir.path() / "elsewhere");
EXPECT_EQ(s.commands->chooseFolder(ReplayListKind::Favourites), FolderChoice::Accepted);
const ExitSaving saved = s.commands->saveOnExit(10, 10, 900, 700);
EXPECT_FALSE(saved.settingsWritten);
EXPECT_FALSE(saved.columnOrderWritten);
expectMessages(s,
               {s.msg(116) + u"Settings.ini", s.msg(116) + u"Settings.ini", s.msg(116) + u"ColumnOrder.Dat"});
EXPECT_TRUE(fs::is_directory(s.settings()));
EXPECT_TRUE(fs::is_directory(s.dir.path() / "ColumnOrder.Dat"));
}
#ifndef _WIN32
{
    // The disk fills while the files are written: the previous files stay byte for byte.
    Session s;
    std::vector<int> identity(40);
    std::iota(identity.begin(), identity.end(), 0);
    ASSERT_TRUE(writeColumnOrder(s.dir.path() / "ColumnOrder.Dat", identity, RecordColumnCount));
    ASSERT_TRUE(writeSettingText(s.settings(), u"filepath", u"path_repl", s.state.replayFolder));
    const std::string settingsBefore = readBytes(s.settings());
    const std::string orderBefore = readBytes(s.dir.path() / "ColumnOrder.Dat");
    std::vector<int> reversed(identity.rbegin(), identity.rend());
    s.replays.setColumnOrder(reversed);
    ExitSaving saved;
    {
        FileSizeLimit limit(8);
        ASSERT_TRUE(limit.active());
        saved = s.commands->saveOnExit(10, 10, 900, 700);
    }
    EXPECT_FALSE(saved.settingsWritten);
    EXPECT_FALSE(saved.columnOrderWritten);
    expectMessages(s, {s.msg(116) + u"Settings.ini", s.msg(116) + u"ColumnOrder.Dat"});
    EXPECT_EQ(readBytes(s.settings()), settingsBefore);
    EXPECT_EQ(readBytes(s.dir.path() / "ColumnOrder.Dat"), orderBefore);
    // Nothing but the two files, the record cache and the replay folders is left in the work folder.
    for (const auto& entry : fs::directory_iterator(s.dir.path()))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "Settings.ini" ||
                    entry.path().filename() == "ColumnOrder.Dat" ||
                    entry.path().filename().string().starts_with("RecordCache.sqlite"))
            << entry.path();
}
#endif
}

TEST(FaultInjection, AnExportThatCannotBeWrittenIsReportedAndAnOldFileKept) {
    for (const std::string extension : {".xls", ".xlsx", ".csv"}) {
        SCOPED_TRACE(extension);
        Session s;
        const fs::path old = s.dir.write("out/old" + extension, "an older export");
        const fs::path folder = s.dir.path() / "out" / ("folder" + extension);
        fs::create_directory(folder);
        struct Case {
            const char* name;
            fs::path target;
            std::size_t sizeLimit; // 0: none
        };
        const Case cases[] = {
            {"a folder in its place", folder, 0},
            {"its folder is missing", s.dir.path() / "missing" / ("x" + extension), 0},
#ifndef _WIN32
            {"the disk fills half-way", old, 1000},
#endif
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            s.platform.messages.clear();
            s.platform.saveAnswers.push_back(textFromPath(c.target));
            ExportOutcome outcome = ExportOutcome::Cancelled;
            if (c.sizeLimit != 0) {
#ifndef _WIN32
                FileSizeLimit limit(c.sizeLimit);
                ASSERT_TRUE(limit.active());
                outcome = s.commands->exportList(ReplayListKind::Replays);
#endif
            } else {
                outcome = s.commands->exportList(ReplayListKind::Replays);
            }
            EXPECT_EQ(outcome, ExportOutcome::Failed);
            ASSERT_EQ(s.platform.messages.size(), 1u);
            EXPECT_EQ(s.platform.messages[0].title, s.msg(78));
            EXPECT_EQ(s.platform.messages[0].text.rfind(s.msg(116) + textFromPath(c.target), 0), 0u);
            EXPECT_TRUE(s.platform.questions.empty()); // never asked to open a file that is not there
        }
        EXPECT_EQ(readBytes(old), "an older export");
        EXPECT_TRUE(fs::is_empty(folder));
        EXPECT_EQ(std::distance(fs::directory_iterator(s.dir.path() / "out"), fs::directory_iterator()), 2);
    }
}
