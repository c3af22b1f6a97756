#include "app/SettingsEdit.h"

#include "app/ReplayList.h"
#include "base/Language.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace fs = std::filesystem;
namespace settings = tapeloft::settings;
using tapeloft::ListModel;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;

namespace {

struct Lists {
    tapeloft::Language language;
    ListModel replays = tapeloft::makeReplayListModel(language, tapeloft::ReplayListKind::Replays);
    ListModel favourites = tapeloft::makeReplayListModel(language, tapeloft::ReplayListKind::Favourites);
};

std::u16string lang(const fs::path& file) {
    return tapeloft::readSettingText(file, settings::groupFolders, settings::keyLanguageFile, u"<none>");
}

} // namespace

TEST(SettingsEdit, LanguageFilesAreTheLngFilesInListingOrder) {
    TempDir dir;
    for (const char* name : {"rus.lng", "eng.lng", "notes.txt", "GER.LNG", "rus.lng.bak", "lng", ".lng"})
        dir.write(name, "[text]\n");
    fs::create_directory(dir.path() / "old.lng"); // a folder is never offered
    dir.write("sub/fra.lng", "[text]\n");         // nor anything below one

    const std::vector<std::u16string> names = tapeloft::listLanguageFiles(dir.path());
    std::vector<std::u16string> listed; // the listing's own order, not a sorted one
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
        const std::u16string name = tapeloft::textFromPath(entry.path().filename());
        if (std::find(names.begin(), names.end(), name) != names.end()) listed.push_back(name);
    }
    EXPECT_EQ(names, listed);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::u16string>{u".lng", u"GER.LNG", u"eng.lng", u"rus.lng"}));

    EXPECT_TRUE(tapeloft::listLanguageFiles(dir.path() / "missing").empty());
    EXPECT_TRUE(tapeloft::listLanguageFiles(dir.path() / "rus.lng").empty());
    tapeloft::test::CurrentDirScope inside(dir.path() / "sub"); // an empty path is the current directory
    EXPECT_EQ(tapeloft::listLanguageFiles({}), std::vector<std::u16string>{u"fra.lng"});

    // Only an exact match selects, letter case included.
    EXPECT_EQ(tapeloft::languageFileIndex(names, u"GER.LNG"),
              std::find(names.begin(), names.end(), u"GER.LNG") - names.begin());
    EXPECT_EQ(tapeloft::languageFileIndex(names, u"ger.lng"), -1);
    EXPECT_EQ(tapeloft::languageFileIndex(names, u""), -1);
}

TEST(SettingsEdit, ColumnListOffersColumns1To39ByTheReplayListsWidths) {
    Lists lists;
    lists.replays.setColumnWidth(5, 0);
    lists.replays.setColumnWidth(39, 0);
    lists.favourites.setColumnWidth(6, 0); // the favourites list has no say
    lists.replays.setColumnWidth(0, 0);    // nor has column 0, which is never offered

    const ListModel choices = tapeloft::makeColumnChoiceList(lists.replays);
    ASSERT_EQ(choices.columnCount(), 1);
    EXPECT_EQ(choices.columnWidth(0), 240);
    ASSERT_EQ(choices.rowCount(), 39);
    for (int row = 0; row < 39; ++row) {
        EXPECT_EQ(choices.cell(row, 0), lists.replays.headerText(row + 1)) << "row " << row;
        EXPECT_EQ(choices.isChecked(row), row != 4 && row != 38) << "row " << row;
    }
    EXPECT_EQ(choices.cell(34, 0), u"Тип боя"); // column 35, a header of the program's own
}

TEST(SettingsEdit, CheckMarksSetTheWidthsOfBothLists) {
    struct Case {
        int replayWidth, favouriteWidth;
        bool checked;
        int expectedReplay, expectedFavourite;
    };
    const Case cases[] = {
        {150, 90, false, 0, 0},     // unchecked hides in both
        {0, 0, false, 0, 0},        //
        {0, 0, true, 100, 100},     // checked again shows 100 wide in both
        {0, 70, true, 100, 100},    // the replay list decides
        {150, 150, true, 150, 150}, // checked and visible keeps its width
        {150, 0, true, 150, 0},     // in both lists
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.replayWidth << "/" << c.favouriteWidth << " " << c.checked);
        Lists lists;
        lists.replays.setColumnWidth(12, c.replayWidth);
        lists.favourites.setColumnWidth(12, c.favouriteWidth);
        lists.replays.setColumnWidth(0, 55);
        ListModel choices = tapeloft::makeColumnChoiceList(lists.replays);
        choices.setChecked(11, c.checked);
        choices.setSelected(11, true); // the selection has no say
        tapeloft::applyColumnChoices(choices, lists.replays, lists.favourites);
        EXPECT_EQ(lists.replays.columnWidth(12), c.expectedReplay);
        EXPECT_EQ(lists.favourites.columnWidth(12), c.expectedFavourite);
        for (int column : {0, 11, 13, 39})
            EXPECT_EQ(lists.replays.columnWidth(column), column == 0 ? 55 : 100) << column;
    }
}

TEST(SettingsEdit, StoresAccountAndLanguageInOneWriteOrNothing) {
    TempDir dir;
    const std::string original = "[filepath]\r\nLang = rus.lng\r\npath_repl = /replays/\r\n";
    const auto file = dir.write("Settings.ini", original);
    Lists lists;
    ListModel choices = tapeloft::makeColumnChoiceList(lists.replays);
    choices.setChecked(2, false);

    // A password the format cannot hold (a line break) spoils the whole write; the widths still apply.
    EXPECT_FALSE(tapeloft::saveSettingsEdit(file, {{u"new", u"two\nlines"}, u"eng.lng"}, choices,
                                            lists.replays, lists.favourites));
    EXPECT_EQ(readBytes(file), original);
    EXPECT_EQ(lists.favourites.columnWidth(3), 0);
    // A settings file that cannot be read is never replaced.
    fs::create_directory(dir.path() / "folder.ini");
    EXPECT_FALSE(tapeloft::storeSettingsEdit(dir.path() / "folder.ini", {{u"a", u"b"}, u"eng.lng"}));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.ini"));

    ASSERT_TRUE(tapeloft::storeSettingsEdit(file, {{u"Пилот", u"p@ss; word=1"}, u"eng.lng"}));
    tapeloft::AccountSettings account = tapeloft::readAccountSettings(file);
    EXPECT_EQ(account.userName, u"Пилот");
    EXPECT_EQ(account.password, u"p@ss; word=1");
    EXPECT_EQ(lang(file), u"eng.lng");
    EXPECT_EQ(tapeloft::readSettingText(file, settings::groupFolders, settings::keyReplayFolder, u""),
              u"/replays/");

    // Without a chosen language file the stored one stays; an empty choice is stored as it is.
    ASSERT_TRUE(tapeloft::storeSettingsEdit(file, {{u"", u""}, std::nullopt}));
    EXPECT_EQ(lang(file), u"eng.lng");
    EXPECT_EQ(tapeloft::readAccountSettings(file).userName, u"");
    ASSERT_TRUE(tapeloft::storeSettingsEdit(file, {{u"a", u"b"}, u""}));
    EXPECT_EQ(lang(file), u"");
}
