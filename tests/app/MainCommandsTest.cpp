#include "app/MainCommands.h"

#include "CommandSession.h"
#include "app/AppState.h"
#include "app/ListModel.h"
#include "base/ColumnOrderFile.h"
#include "base/FileOperations.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <set>

using namespace tapeloft;
using tapeloft::test::FakePlatform;
using tapeloft::test::readBytes;
using tapeloft::test::Session;
using tapeloft::test::TempDir;
namespace fs = std::filesystem;
using tapeloft::test::withSeparator;

// --- Paths -----------------------------------------------------------------------------------------------

TEST(MainCommandPaths, JoinInsertsOneSeparatorOnlyWhenTheFolderLacksIt) {
    const std::u16string sep(nativeSeparator());
    EXPECT_EQ(joinFolderAndName(u"/r/fav", u"a.ivlreplay"), u"/r/fav" + sep + u"a.ivlreplay");
    EXPECT_EQ(joinFolderAndName(u"/r/fav" + sep, u"a.ivlreplay"), u"/r/fav" + sep + u"a.ivlreplay");
    EXPECT_EQ(joinFolderAndName(u"", u"a.ivlreplay"), u"a.ivlreplay");
}

TEST(MainCommandPaths, OverlapComparesWholeFolderNames) {
    const fs::path root = fs::temp_directory_path();
    const auto folder = [&](const char* relative, bool trailing = true) {
        const fs::path path = root / relative;
        return trailing ? withSeparator(path) : textFromPath(path);
    };
    struct Case {
        std::u16string a, b;
        bool overlap;
    };
    const Case cases[] = {
        {folder("R"), folder("R/Fav"), true},      // inside
        {folder("R/Fav"), folder("R"), true},      // contains
        {folder("R"), folder("R"), true},          // the same
        {folder("R", false), folder("R"), true},   // the same, typed without a separator
        {folder("Rep"), folder("Replays"), false}, // a common beginning is not a folder
        {folder("Rep", false), folder("Replays"), false},
        {folder("b/a"), folder("a"), false}, // the name occurs, but elsewhere
        {folder("R"), u"n/a", false},        // a placeholder is no folder
        {u"", folder("R"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldersOverlap(c.a, c.b), c.overlap) << utf16ToUtf8(c.a) << " vs " << utf16ToUtf8(c.b);
}

// --- Folder choosers ---------------------------------------------------------------------------------

TEST(MainCommandFolders, ACancelledChooserChangesAndShowsNothing) {
    for (const std::optional<std::u16string>& answer :
         {std::optional<std::u16string>(), std::optional(std::u16string())}) {
        Session s;
        const std::u16string before = s.state.replayFolder;
        const std::string storedBefore = readBytes(s.settings());
        s.platform.folderAnswers.push_back(answer);
        EXPECT_EQ(s.commands->chooseFolder(ReplayListKind::Replays), FolderChoice::Cancelled);
        EXPECT_EQ(s.state.replayFolder, before);
        EXPECT_TRUE(s.platform.messages.empty());
        EXPECT_EQ(readBytes(s.settings()), storedBefore);
        EXPECT_EQ(s.replays.rowCount(), 5);
        EXPECT_TRUE(s.listener.folders.empty());
        // The chooser asked with message 1 and opened at the folder in use.
        ASSERT_EQ(s.platform.folderTitles.size(), 1u);
        EXPECT_EQ(s.platform.folderTitles[0], s.msg(1));
        EXPECT_EQ(s.platform.folderStarts[0], before);
    }
}

TEST(MainCommandFolders, ARefusedChoiceKeepsThePreviousFolderInMemoryAndOnDisk) {
    struct Case {
        const char* name;
        ReplayListKind kind;
        std::u16string (*answer)(const Session&);
        FolderChoice expected;
        int message;
    };
    const Case cases[] = {
        {"placeholder", ReplayListKind::Replays, [](const Session&) { return std::u16string(u"n/a"); },
         FolderChoice::NotUsable, 114},
        {"relative", ReplayListKind::Favourites, [](const Session&) { return std::u16string(u"fav/"); },
         FolderChoice::NotUsable, 114},
        {"inside the other", ReplayListKind::Favourites,
         [](const Session& s) { return withSeparator(s.replayDir / "sub"); }, FolderChoice::Overlapping, 113},
        {"containing the other", ReplayListKind::Replays,
         [](const Session& s) { return withSeparator(s.dir.path()); }, FolderChoice::Overlapping, 113},
        {"the other itself", ReplayListKind::Replays,
         [](const Session& s) { return withSeparator(s.favouriteDir); }, FolderChoice::Overlapping, 113},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        // The folders in use are stored, as after an earlier choice.
        ASSERT_TRUE(writeSettingText(s.settings(), settings::groupFolders, settings::keyReplayFolder,
                                     s.state.replayFolder));
        ASSERT_TRUE(writeSettingText(s.settings(), settings::groupFolders, settings::keyFavouritesFolder,
                                     s.state.favouritesFolder));
        const std::string storedBefore = readBytes(s.settings());
        const std::u16string replaysBefore = s.state.replayFolder;
        const std::u16string favouritesBefore = s.state.favouritesFolder;

        s.platform.folderAnswers.push_back(c.answer(s));
        EXPECT_EQ(s.commands->chooseFolder(c.kind), c.expected);
        ASSERT_EQ(s.platform.messages.size(), 1u);
        EXPECT_EQ(s.platform.messages[0].title, s.msg(78));
        EXPECT_EQ(s.platform.messages[0].text, s.msg(c.message));
        EXPECT_EQ(s.state.replayFolder, replaysBefore);
        EXPECT_EQ(s.state.favouritesFolder, favouritesBefore);
        EXPECT_EQ(readBytes(s.settings()), storedBefore);
        EXPECT_TRUE(s.listener.folders.empty());
        // The lists were not touched, and commands that need both folders still work.
        EXPECT_EQ(s.replays.rowCount(), 5);
        EXPECT_EQ(s.favourites.rowCount(), 2);
        s.platform.messages.clear();
        s.select(s.favourites, {0});
        EXPECT_EQ(s.commands->moveSelected(ReplayListKind::Favourites).moved, 1);
        EXPECT_TRUE(s.platform.messages.empty());
    }
}

TEST(MainCommandFolders, AnAcceptedFolderIsStoredShownAndScanned) {
    Session s;
    const fs::path other = s.dir.path() / "Rep";
    samples::writeSampleFolder(other, 3, 33);
    // "Rep" begins like "replays" would on a case-blind system, but is a folder of its own.
    s.platform.folderAnswers.push_back(withSeparator(other));
    EXPECT_EQ(s.commands->chooseFolder(ReplayListKind::Replays), FolderChoice::Accepted);
    EXPECT_TRUE(s.platform.messages.empty());
    EXPECT_EQ(s.state.replayFolder, withSeparator(other));
    EXPECT_EQ(readSettingText(s.settings(), settings::groupFolders, settings::keyReplayFolder, u""),
              withSeparator(other));
    EXPECT_EQ(s.replays.rowCount(), 3);
    EXPECT_EQ(s.favourites.rowCount(), 2);
    EXPECT_EQ(s.listener.folders, std::vector{ReplayListKind::Replays});
    EXPECT_GE(s.listener.statusUpdates, 1);
    EXPECT_EQ(s.commands->statusText(ReplayListKind::Replays), s.msg(75) + u"3");

    s.platform.folderAnswers.push_back(withSeparator(s.dir.path() / "fav2"));
    EXPECT_EQ(s.commands->chooseFolder(ReplayListKind::Favourites), FolderChoice::Accepted);
    EXPECT_EQ(readSettingText(s.settings(), settings::groupFolders, settings::keyFavouritesFolder, u""),
              withSeparator(s.dir.path() / "fav2"));
    EXPECT_EQ(s.favourites.rowCount(), 0);
    EXPECT_EQ(s.platform.folderTitles.back(), s.msg(2));
}

TEST(MainCommandFolders, AFolderThatCannotBeStoredIsStillUsedAndTheUserIsTold) {
    Session s;
    fs::create_directory(s.settings()); // Settings.ini cannot be written
    const fs::path other = s.dir.path() / "other";
    samples::writeSampleFolder(other, 1, 44);
    s.platform.folderAnswers.push_back(withSeparator(other));
    EXPECT_EQ(s.commands->chooseFolder(ReplayListKind::Replays), FolderChoice::Accepted);
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_EQ(s.platform.messages[0].text, s.msg(116) + u"Settings.ini");
    EXPECT_EQ(s.state.replayFolder, withSeparator(other));
    EXPECT_EQ(s.replays.rowCount(), 1);
}

// --- Re-scan ---------------------------------------------------------------------------------------------

TEST(MainCommandRescan, ScansReplaysFirstSkipsUnconfiguredFoldersAndUpdatesTheStatus) {
    Session s;
    s.platform.progressCaptions.clear();
    s.commands->rescan();
    ASSERT_EQ(s.platform.progressCaptions.size(), 2u);
    EXPECT_EQ(s.platform.progressCaptions[0], s.msg(83) + s.state.replayFolder);
    EXPECT_EQ(s.platform.progressCaptions[1], s.msg(83) + s.state.favouritesFolder);
    EXPECT_EQ(s.listener.statusUpdates, 1);

    s.state.replayFolder = u"n/a";
    s.commands->rescan();
    EXPECT_EQ(s.platform.progressCaptions.size(), 3u);
    EXPECT_EQ(s.replays.rowCount(), 5); // left as it was
    EXPECT_EQ(s.commands->statusText(ReplayListKind::Favourites), s.msg(76) + u"2");
}

// --- Export ----------------------------------------------------------------------------------------------

TEST(MainCommandExport, AsksForANameAndWritesTheChosenList) {
    Session s;
    EXPECT_EQ(s.commands->exportList(ReplayListKind::Replays), ExportOutcome::Cancelled);
    ASSERT_EQ(s.platform.saveDialogs.size(), 1u);
    EXPECT_EQ(s.platform.saveDialogs[0].title, s.msg(77));
    EXPECT_EQ(s.platform.saveDialogs[0].text,
              u"Excel file(*.xls) | *.xls | " + s.msg(121) + u" | *.xlsx | " + s.msg(122) + u" | *.csv");

    const fs::path target = s.dir.path() / "out.xls";
    s.platform.saveAnswers.push_back(textFromPath(target));
    EXPECT_EQ(s.commands->exportList(ReplayListKind::Favourites), ExportOutcome::Written);
    EXPECT_TRUE(fs::exists(target));
    // The workbook holds the favourites: their paths are in it.
    const std::string bytes = readBytes(target);
    for (const auto& path : Session::paths(s.favourites))
        EXPECT_NE(bytes.find(path.filename().string()), std::string::npos);
    // A file that cannot be written is reported.
    s.platform.saveAnswers.push_back(textFromPath(s.dir.path() / "no-folder" / "out.xls"));
    EXPECT_EQ(s.commands->exportList(ReplayListKind::Replays), ExportOutcome::Failed);
    EXPECT_EQ(s.platform.messages.size(), 1u);
}

TEST(MainCommandExport, ThePickedFileTypeCompletesANameWithoutExtension) {
    struct Case {
        const char* typed;
        int fileType;
        const char* written;
    };
    const Case cases[] = {
        {"plain", 0, "plain.xls"},   {"plain", 1, "plain.xlsx"},  {"plain", 2, "plain.csv"},
        {"book.CSV", 1, "book.CSV"}, {"book.xls", 2, "book.xls"}, {"odd", 7, "odd.xls"},
        {"odd", -1, "odd.xls"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " / " + std::to_string(c.fileType));
        Session s;
        s.platform.saveAnswers.push_back(textFromPath(s.dir.path() / c.typed));
        s.platform.saveFileTypes.push_back(c.fileType);
        s.platform.yesNoAnswers = {false};
        EXPECT_EQ(s.commands->exportList(ReplayListKind::Replays), ExportOutcome::Written);
        EXPECT_TRUE(fs::is_regular_file(s.dir.path() / c.written));
        ASSERT_EQ(s.platform.questions.size(), 1u);
        EXPECT_NE(s.platform.questions[0].text.find(textFromPath(s.dir.path() / c.written)),
                  std::u16string::npos);
    }
}

// --- Delete ----------------------------------------------------------------------------------------------

TEST(MainCommandDelete, RemovesEveryAdjacentSelectedRowAndItsFile) {
    Session s;
    const auto before = Session::paths(s.replays);
    s.select(s.replays, {1, 2, 3});
    EXPECT_EQ(s.commands->deleteSelected(ReplayListKind::Replays), 3);
    EXPECT_EQ(s.replays.rowCount(), 2);
    for (int i : {1, 2, 3})
        EXPECT_FALSE(fs::exists(before[static_cast<std::size_t>(i)]));
    EXPECT_EQ(Session::paths(s.replays), (std::vector{before[0], before[4]}));
    EXPECT_EQ(s.listener.statusUpdates, 1);
    EXPECT_TRUE(s.platform.messages.empty());
}

TEST(MainCommandDelete, AFileThatCannotBeDeletedKeepsItsRowAndIsReported) {
    Session s;
    const auto before = Session::paths(s.replays);
    s.files.failRemove.insert(before[1]);
    fs::remove(before[2]); // already gone: its row goes without a word
    s.select(s.replays, {0, 1, 2});
    EXPECT_EQ(s.commands->deleteSelected(ReplayListKind::Replays), 2);
    EXPECT_EQ(Session::paths(s.replays), (std::vector{before[1], before[3], before[4]}));
    EXPECT_TRUE(fs::exists(before[1]));
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_EQ(s.platform.messages[0].title, s.msg(78));
    EXPECT_EQ(s.platform.messages[0].text, s.msg(115) + textFromPath(before[1]));
    EXPECT_EQ(s.commands->statusText(ReplayListKind::Replays), s.msg(75) + u"3");
}

// --- Move ------------------------------------------------------------------------------------------------

TEST(MainCommandMove, MovesBothWaysAndRescansTheDestination) {
    Session s;
    const auto replayNames = Session::names(s.replays);
    const auto moving = Session::paths(s.replays)[0];
    s.select(s.replays, {0});
    const MoveOutcome there = s.commands->moveSelected(ReplayListKind::Replays);
    EXPECT_EQ(there.moved, 1);
    EXPECT_FALSE(fs::exists(moving));
    EXPECT_TRUE(fs::exists(s.favouriteDir / moving.filename()));
    EXPECT_EQ(s.replays.rowCount(), 4);
    EXPECT_EQ(s.favourites.rowCount(), 3);
    EXPECT_TRUE(Session::names(s.favourites).contains(moving.filename().string()));
    EXPECT_EQ(s.commands->statusText(ReplayListKind::Favourites), s.msg(76) + u"3");

    // And back again, together with another favourite.
    for (int r = 0; r < s.favourites.rowCount(); ++r)
        s.favourites.setSelected(r, true);
    const MoveOutcome back = s.commands->moveSelected(ReplayListKind::Favourites);
    EXPECT_EQ(back.moved, 3);
    EXPECT_EQ(s.favourites.rowCount(), 0);
    EXPECT_EQ(s.replays.rowCount(), 7);
    EXPECT_TRUE(Session::filesIn(s.favouriteDir).empty());
    EXPECT_TRUE(s.platform.messages.empty());
    const auto inReplays = Session::filesIn(s.replayDir);
    EXPECT_TRUE(std::includes(inReplays.begin(), inReplays.end(), replayNames.begin(), replayNames.end()));
}

TEST(MainCommandMove, ANamesakeInTheDestinationIsReplaced) {
    Session s;
    const fs::path source = Session::paths(s.replays)[0];
    const fs::path namesake = s.favouriteDir / source.filename();
    { std::ofstream(namesake, std::ios::binary) << "old bytes"; }
    const std::string content = readBytes(source);
    s.select(s.replays, {0});
    EXPECT_EQ(s.commands->moveSelected(ReplayListKind::Replays).moved, 1);
    EXPECT_EQ(readBytes(namesake), content);
    EXPECT_FALSE(fs::exists(source));
    // The favourites list holds one row for it, not two.
    EXPECT_EQ(s.favourites.rowCount(), 3);
}

TEST(MainCommandMove, AFolderWithoutTrailingSeparatorGetsOne) {
    Session s;
    s.state.favouritesFolder = textFromPath(s.favouriteDir); // typed by hand
    const fs::path source = Session::paths(s.replays)[0];
    s.select(s.replays, {0});
    EXPECT_EQ(s.commands->moveSelected(ReplayListKind::Replays).moved, 1);
    EXPECT_TRUE(fs::exists(s.favouriteDir / source.filename()));
    // Nothing landed beside the folder under a glued name.
    for (const auto& entry : fs::directory_iterator(s.dir.path()))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "Settings.ini" ||
                    entry.path().filename().string().starts_with("RecordCache.sqlite"))
            << entry.path();
}

TEST(MainCommandMove, AFailedCopyKeepsTheRowTheSourceAndTheNamesake) {
    Session s;
    const auto before = Session::paths(s.replays);
    const fs::path namesake = s.favouriteDir / before[1].filename();
    { std::ofstream(namesake, std::ios::binary) << "keep me"; }
    s.files.failCopyFrom.insert(before[1]);
    s.select(s.replays, {0, 1, 2});
    const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Replays);
    EXPECT_EQ(outcome.moved, 2);
    EXPECT_EQ(outcome.notCopied, 1);
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_EQ(s.platform.messages[0].title, s.msg(78));
    EXPECT_EQ(s.platform.messages[0].text, s.msg(79));
    EXPECT_EQ(Session::paths(s.replays), (std::vector{before[1], before[3], before[4]}));
    EXPECT_TRUE(fs::exists(before[1]));
    EXPECT_EQ(readBytes(namesake), "keep me");
}

TEST(MainCommandMove, ASourceThatCannotBeDeletedKeepsItsRowAndTheCopyStays) {
    Session s;
    const fs::path source = Session::paths(s.replays)[0];
    s.files.failRemove.insert(source);
    s.select(s.replays, {0});
    const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Replays);
    EXPECT_EQ(outcome.moved, 0);
    EXPECT_EQ(outcome.sourcesKept, 1);
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_EQ(s.platform.messages[0].title, s.msg(78));
    EXPECT_EQ(s.platform.messages[0].text, s.msg(115) + textFromPath(source));
    EXPECT_EQ(Session::paths(s.replays)[0], source);
    EXPECT_TRUE(fs::exists(source));
    EXPECT_TRUE(fs::exists(s.favouriteDir / source.filename()));
    EXPECT_TRUE(Session::names(s.favourites).contains(source.filename().string()));
}

TEST(MainCommandMove, NoReplayIsLostToASelfCopyOrToTwoSourcesOfOneName) {
    {
        // Both settings name the same folder (a hand-edited file): the copy would be onto itself.
        Session s;
        s.state.favouritesFolder = s.state.replayFolder;
        const fs::path source = Session::paths(s.replays)[0];
        const std::string content = readBytes(source);
        s.select(s.replays, {0});
        const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Replays);
        EXPECT_EQ(outcome.notCopied, 1);
        EXPECT_EQ(s.files.copies, 0);
        EXPECT_EQ(readBytes(source), content);
    }
    {
        // Two replays of one name in different sub-folders go to the same destination name.
        Session s(0, 0);
        const samples::SampleReplay replayA = samples::makeSampleReplay(5);
        const samples::SampleReplay replayB = samples::makeSampleReplay(6);
        test::TempDir& dir = s.dir;
        dir.write("replays/x/same.ivlreplay", replayA.bytes);
        dir.write("replays/y/same.ivlreplay", replayB.bytes);
        s.commands->rescan();
        ASSERT_EQ(s.replays.rowCount(), 2);
        s.select(s.replays, {0, 1});
        const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Replays);
        EXPECT_EQ(outcome.moved, 1);
        EXPECT_EQ(outcome.notCopied, 1);
        const std::string moved = readBytes(s.favouriteDir / "same.ivlreplay");
        ASSERT_EQ(s.replays.rowCount(), 1);
        const std::string kept = readBytes(Session::paths(s.replays)[0]);
        EXPECT_TRUE((moved == replayA.bytes && kept == replayB.bytes) ||
                    (moved == replayB.bytes && kept == replayA.bytes));
    }
}

TEST(MainCommandMove, AnUnconfiguredDestinationCopiesNothing) {
    Session s;
    s.state.replayFolder = s.msg(1);
    s.select(s.favourites, {0});
    const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Favourites);
    EXPECT_TRUE(outcome.destinationMissing);
    EXPECT_EQ(s.files.copies, 0);
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_EQ(s.platform.messages[0].text, s.msg(80));
    EXPECT_EQ(s.favourites.rowCount(), 2);
}

TEST(MainCommandMove, ARowWhoseFileIsGoneLeavesTheList) {
    Session s;
    const fs::path gone = Session::paths(s.replays)[0];
    fs::remove(gone);
    s.select(s.replays, {0});
    EXPECT_EQ(s.commands->moveSelected(ReplayListKind::Replays).vanished, 1);
    EXPECT_EQ(s.replays.rowCount(), 4);
    EXPECT_EQ(s.favourites.rowCount(), 2);
    EXPECT_EQ(s.files.copies, 0);
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_EQ(s.platform.messages[0].text, s.msg(119) + textFromPath(gone));
}

// --- Filter bar ------------------------------------------------------------------------------------------

TEST(MainCommandFilter, BoxesApplyTogetherAndSwitchingOffShowsEveryRow) {
    Session s(0, 0);
    const samples::SampleReplay replay = samples::makeSampleReplay(9);
    s.dir.write("replays/a.ivlreplay", replay.bytes);
    s.dir.write("replays/b.ivlreplay", replay.bytes);
    s.dir.write("replays/ab.ivlreplay", replay.bytes);
    s.commands->rescan();
    ASSERT_EQ(s.replays.rowCount(), 3);
    const std::u16string folder = s.state.replayFolder;

    // Boxes typed while the bar is off do nothing.
    EXPECT_TRUE(s.commands->setFilterText(ReplayListKind::Replays, ColumnPath, folder + u"a"));
    EXPECT_EQ(s.replays.rowCount(), 3);

    ASSERT_TRUE(s.commands->toggleFilterBar(ReplayListKind::Replays));
    EXPECT_TRUE(s.state.replayFilterOn);
    s.commands->setFilterText(ReplayListKind::Replays, ColumnPath, folder + u"A"); // letter case ignored
    EXPECT_EQ(s.replays.rowCount(), 2);
    // A second box narrows further: both must match.
    s.commands->setFilterText(ReplayListKind::Replays, 1, std::u16string(s.replays.cell(0, 1)));
    s.commands->setFilterText(ReplayListKind::Replays, ColumnPath, folder + u"ab");
    EXPECT_EQ(s.replays.rowCount(), 1);
    s.commands->setFilterText(ReplayListKind::Replays, 1, u"99");
    EXPECT_EQ(s.replays.rowCount(), 0);
    EXPECT_FALSE(s.commands->setFilterText(ReplayListKind::Replays, 40, u"x"));

    EXPECT_FALSE(s.commands->toggleFilterBar(ReplayListKind::Replays));
    EXPECT_FALSE(s.state.replayFilterOn);
    EXPECT_EQ(s.replays.rowCount(), 3);
    EXPECT_EQ(s.replays.filterText(ColumnPath), u"");
}

TEST(MainCommandFilter, DeletedRowsStayGoneAndNewRowsMeetTheBoxes) {
    Session s;
    s.commands->toggleFilterBar(ReplayListKind::Replays);
    const std::u16string first(s.replays.cell(0, ColumnPath));
    s.commands->setFilterText(ReplayListKind::Replays, ColumnPath, first);
    ASSERT_EQ(s.replays.rowCount(), 1);
    s.select(s.replays, {0});
    s.commands->deleteSelected(ReplayListKind::Replays);
    s.commands->setFilterText(ReplayListKind::Replays, ColumnPath, u"");
    EXPECT_EQ(s.replays.rowCount(), 4);
    EXPECT_FALSE(Session::names(s.replays).contains(pathFromText(first).filename().string()));

    // A move into a filtered list: the re-scanned rows meet the boxes at once.
    s.commands->toggleFilterBar(ReplayListKind::Favourites);
    s.commands->setFilterText(ReplayListKind::Favourites, ColumnPath, u"no such path");
    EXPECT_EQ(s.favourites.rowCount(), 0);
    s.select(s.replays, {0});
    EXPECT_EQ(s.commands->moveSelected(ReplayListKind::Replays).moved, 1);
    EXPECT_EQ(s.favourites.rowCount(), 0);
    EXPECT_EQ(s.favourites.totalRowCount(), 3);
    s.commands->toggleFilterBar(ReplayListKind::Favourites);
    EXPECT_EQ(s.favourites.rowCount(), 3);
}

// --- Current row -------------------------------------------------------------------------------------

TEST(MainCommandOpen, OpensTheLowestSelectedRowOnly) {
    Session s;
    EXPECT_FALSE(s.commands->currentPath(ReplayListKind::Replays));
    EXPECT_FALSE(s.commands->openCurrent(ReplayListKind::Replays));
    EXPECT_TRUE(s.platform.opened.empty());
    s.select(s.replays, {3, 1});
    const std::u16string expected(s.replays.cell(1, ColumnPath));
    EXPECT_EQ(s.commands->currentPath(ReplayListKind::Replays), expected);
    EXPECT_TRUE(s.commands->openCurrent(ReplayListKind::Replays));
    EXPECT_EQ(s.platform.opened, std::vector{expected});
}

// --- Exit and start-up -----------------------------------------------------------------------------------

TEST(MainCommandExit, SavesGeometryWidthsAndOrderThatTheNextStartRestores) {
    std::vector<int> order(40);
    std::iota(order.begin(), order.end(), 0);
    std::swap(order[1], order[7]);
    std::rotate(order.begin() + 10, order.begin() + 12, order.end());
    TempDir work;
    {
        Session s;
        s.replays.setColumnWidth(3, 0);
        s.replays.setColumnWidth(5, 150);
        s.favourites.setColumnWidth(6, 33); // the favourites' widths are not saved
        s.replays.setColumnOrder(order);
        MainCommands commands(s.state, s.replays, s.favourites, s.platform, s.files, work.path());
        const ExitSaving saved = commands.saveOnExit(-5, 40, 900, 700);
        EXPECT_TRUE(saved.settingsWritten);
        EXPECT_TRUE(saved.columnOrderWritten);
    }
    const std::string bytes = readBytes(work.path() / "ColumnOrder.Dat");
    ASSERT_EQ(bytes.size(), 160u);
    EXPECT_EQ(bytes.substr(4, 4), std::string("\x07\0\0\0", 4));
    EXPECT_EQ(readSettingInt(work.path() / "Settings.ini", u"WndSett", u"wndX", 0), -5);

    Session next;
    MainCommands commands(next.state, next.replays, next.favourites, next.platform, next.files, work.path());
    const WindowSettings window = commands.storedWindowSettings();
    EXPECT_EQ(window.x, -5);
    EXPECT_EQ(window.y, 40);
    EXPECT_EQ(window.width, 900);
    EXPECT_EQ(window.height, 700);
    commands.applyColumnWidths(window);
    EXPECT_TRUE(commands.applyStoredColumnOrder());
    commands.applySortKinds();
    for (ListModel* list : {&next.replays, &next.favourites}) {
        EXPECT_EQ(list->columnWidth(3), 0);
        EXPECT_EQ(list->columnWidth(5), 150);
        EXPECT_EQ(list->columnWidth(6), 100);
        EXPECT_EQ(list->columnOrder(), order);
        EXPECT_TRUE(list->isSorterRegistered());
        EXPECT_EQ(list->sortKind(1), SortKind::Date);
    }
    EXPECT_EQ(next.replays.sortKind(2), SortKind::Decimal);
    EXPECT_EQ(next.favourites.sortKind(2), SortKind::Text);
    EXPECT_EQ(next.state.columnOrder[1], 7);
}

TEST(ColumnOrderFile, OnlyAnExactPermutationIsRead) {
    std::string identity;
    for (int i = 0; i < 40; ++i)
        identity += std::string{static_cast<char>(i), 0, 0, 0};
    std::string duplicate = identity;
    duplicate[4] = 0; // column 0 twice, column 1 missing
    std::string negative = identity;
    negative.replace(0, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    std::string large = identity;
    large[0] = 40;
    const std::string swapped = identity.substr(4, 4) + identity.substr(0, 4) + identity.substr(8);
    struct Case {
        const char* name;
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"identity", identity, true},
        {"swapped", swapped, true},
        {"empty", "", false},
        {"short", identity.substr(0, 159), false},
        {"long", identity + "x", false},
        {"zeros", std::string(160, '\0'), false},
        {"duplicate", duplicate, false},
        {"negative", negative, false},
        {"beyond 39", large, false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir.write("ColumnOrder.Dat", c.bytes);
        const auto order = readColumnOrder(file, RecordColumnCount);
        EXPECT_EQ(order.has_value(), c.valid);
        if (order && std::string(c.name) == "swapped") {
            EXPECT_EQ((*order)[0], 1);
            EXPECT_EQ((*order)[1], 0);
        }
    }
    EXPECT_FALSE(readColumnOrder(dir.path() / "missing.Dat", RecordColumnCount));

    // An invalid file leaves the lists in their built order.
    dir.write("ColumnOrder.Dat", duplicate);
    Session s;
    MainCommands commands(s.state, s.replays, s.favourites, s.platform, s.files, dir.path());
    EXPECT_FALSE(commands.applyStoredColumnOrder());
    std::vector<int> built(40);
    std::iota(built.begin(), built.end(), 0);
    EXPECT_EQ(s.replays.columnOrder(), built);
}

TEST(ColumnOrderFile, WritesAtomicallyAndRefusesAWrongLength) {
    TempDir dir;
    const fs::path file = dir.write("ColumnOrder.Dat", "previous");
    EXPECT_FALSE(writeColumnOrder(file, std::vector<int>(39, 0), RecordColumnCount));
    EXPECT_EQ(readBytes(file), "previous");
    std::vector<int> order(40);
    std::iota(order.rbegin(), order.rend(), 0);
    EXPECT_TRUE(writeColumnOrder(file, order, RecordColumnCount));
    const auto read = readColumnOrder(file, RecordColumnCount);
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[0], 39);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    // A folder in the way is not replaced.
    fs::create_directory(dir.path() / "dir.Dat");
    EXPECT_FALSE(writeColumnOrder(dir.path() / "dir.Dat", order, RecordColumnCount));
}

// --- The real file operations ----------------------------------------------------------------------------

TEST(FileOperations, CopyReplacesOnlyWhenComplete) {
    TempDir dir;
    FileOperations files;
    const fs::path source = dir.write("a/replay.ivlreplay", "new content");
    const fs::path target = dir.write("b/replay.ivlreplay", "old content");
    EXPECT_TRUE(files.copyFile(source, target));
    EXPECT_EQ(readBytes(target), "new content");
    EXPECT_EQ(readBytes(source), "new content");

    EXPECT_FALSE(files.copyFile(dir.path() / "a" / "missing", target));
    EXPECT_FALSE(files.copyFile(source, dir.path() / "no-folder" / "x"));
    EXPECT_FALSE(files.copyFile(source, dir.path() / "b")); // a folder is not replaced
    EXPECT_EQ(readBytes(target), "new content");
    // No partial copies are left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "b"), fs::directory_iterator()), 1);
}

TEST(FileOperations, RemoveExistsAndSameFile) {
    TempDir dir;
    FileOperations files;
    const fs::path file = dir.write("x.ivlreplay", "x");
    EXPECT_TRUE(files.exists(file));
    EXPECT_TRUE(files.isSameFile(file, dir.path() / "." / "x.ivlreplay"));
    EXPECT_FALSE(files.isSameFile(file, dir.path() / "missing"));
    EXPECT_FALSE(files.removeFile(dir.path())); // never a folder
    EXPECT_TRUE(files.removeFile(file));
    EXPECT_FALSE(files.exists(file));
    EXPECT_FALSE(files.removeFile(file));
}
