#include "base/Settings.h"
#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
namespace settings = tapeloft::settings;
using tapeloft::PrefLoadStatus;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;

namespace {
const std::string bom = "\xEF\xBB\xBF";
}

TEST(Settings, ReadsGiveDefaultsForMissingFileGroupOrKey) {
    TempDir dir;
    const auto missing = dir.path() / "Settings.ini";
    EXPECT_EQ(tapeloft::readSettingText(missing, settings::groupFolders, settings::keyLanguageFile,
                                        settings::defaultLanguageFile),
              u"rus.lng");
    EXPECT_EQ(tapeloft::readSettingInt(missing, settings::groupWindow, settings::keyWindowWidth, 880), 880);
    EXPECT_FALSE(fs::exists(missing)); // reading never creates the file

    const auto file = dir.write("Settings.ini", "[filepath]\nLang = eng.lng\n[WndSett]\nwndW = 1024px\n");
    EXPECT_EQ(tapeloft::readSettingText(file, u"FILEPATH", u"lang", u"rus.lng"), u"eng.lng");
    EXPECT_EQ(tapeloft::readSettingText(file, settings::groupFolders, settings::keyReplayFolder, u"n/a"),
              u"n/a");
    EXPECT_EQ(tapeloft::readSettingText(file, settings::groupAccount, settings::keyLogin, u""), u"");
    EXPECT_EQ(tapeloft::readSettingInt(file, settings::groupWindow, settings::keyWindowWidth, 880), 1024);
}

TEST(Settings, FirstWriteCreatesThePrivateFile) {
    TempDir dir;
    const auto file = dir.path() / "Settings.ini";
    ASSERT_TRUE(tapeloft::writeSettingText(file, settings::groupShellPrices, u"R04_T-34", u"1250"));
    ASSERT_TRUE(tapeloft::writeSettingInt(file, settings::groupWindow, settings::keyWindowX, -8));
    EXPECT_EQ(readBytes(file), bom + "\r\n[cenasnaryda]\r\nR04_T-34 = 1250\r\n[WndSett]\r\nwndX = -8\r\n");
#ifndef _WIN32
    EXPECT_EQ(static_cast<unsigned>(fs::status(file).permissions()) & 0777u, 0600u);
#endif
}

// Files without mark are read in the system code page on Windows, so this file is a Cyrillic one only here.
#ifndef _WIN32
TEST(Settings, WriteKeepsEverythingElseAndStoresUtf8WithMark) {
    TempDir dir;
    const std::u16string folder = u"/игры/повторы";
    // An older file in the Cyrillic code page, without byte-order mark.
    const auto file = dir.write(
        "Settings.ini", "; mine\n[filepath]\nLang = rus.lng\npath_repl = " + tapeloft::utf16ToCp1251(folder) +
                            "\n[accaunts]\nMRlog = me\n");
    ASSERT_TRUE(tapeloft::writeSettingText(file, settings::groupAccount, settings::keyPassword, u"пароль"));
    EXPECT_EQ(
        readBytes(file),
        bom + "\r\n; mine\r\n[filepath]\r\nLang = rus.lng\r\npath_repl = " + tapeloft::utf16ToUtf8(folder) +
            "\r\n[accaunts]\r\nMRlog = me\r\nMRpass = " + tapeloft::utf16ToUtf8(u"пароль") + "\r\n");
    EXPECT_EQ(tapeloft::readSettingText(file, settings::groupFolders, settings::keyReplayFolder, u""),
              folder);
}
#endif

TEST(Settings, FailedWriteLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string original = "[filepath]\r\nLang = eng.lng\r\n";
    const auto file = dir.write("Settings.ini", original);

    // One value the format cannot hold spoils the whole batch: nothing is stored.
    const std::vector<tapeloft::SettingWrite> writes = {
        {u"accaunts", u"MRlog", u"me"},
        {u"accaunts", u"MRpass", u"two\nlines"},
    };
    EXPECT_FALSE(tapeloft::writeSettings(file, writes));
    EXPECT_EQ(readBytes(file), original);

    // A settings file that is there but cannot be read is never replaced.
    fs::create_directory(dir.path() / "folder.ini");
    EXPECT_FALSE(tapeloft::writeSettingText(dir.path() / "folder.ini", u"g", u"k", u"v"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.ini"));
}

#ifndef _WIN32
TEST(Settings, UnreadableFileIsNeverOverwritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    TempDir dir;
    const auto file = dir.write("Settings.ini", "[filepath]\r\npath_repl = /precious\r\n");
    fs::permissions(file, fs::perms::owner_write);
    EXPECT_FALSE(
        tapeloft::writeSettingText(file, settings::groupFolders, settings::keyLanguageFile, u"eng.lng"));
    EXPECT_EQ(tapeloft::ensureSettingsFile(file), PrefLoadStatus::unreadable);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readBytes(file), "[filepath]\r\npath_repl = /precious\r\n");
}
#endif

TEST(Settings, EnsureCreatesOnlyWhenNothingIsThere) {
    TempDir dir;
    const auto file = dir.path() / "Settings.ini";
    EXPECT_EQ(tapeloft::ensureSettingsFile(file), PrefLoadStatus::missing);
    EXPECT_EQ(readBytes(file), bom + "\r\n");

    const auto existing = dir.write("other.ini", "k=v"); // no mark, no line end: left exactly as it is
    EXPECT_EQ(tapeloft::ensureSettingsFile(existing), PrefLoadStatus::loaded);
    EXPECT_EQ(readBytes(existing), "k=v");

    fs::create_directory(dir.path() / "folder.ini");
    EXPECT_EQ(tapeloft::ensureSettingsFile(dir.path() / "folder.ini"), PrefLoadStatus::unreadable);
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.ini"));
}

TEST(Settings, WindowGeometryAndColumnWidths) {
    TempDir dir;
    const auto file =
        dir.write("Settings.ini", "[WndSett]\nwndX = 5\nCol3 = 0\nCol39 = 250\n[filepath]\nLang = x.lng\n");

    const tapeloft::WindowSettings stored = tapeloft::readWindowSettings(file, 40);
    ASSERT_EQ(stored.columnWidths.size(), 40u);
    EXPECT_EQ(stored.x, 5);
    EXPECT_EQ(stored.y, 80);
    EXPECT_EQ(stored.width, 880);
    EXPECT_EQ(stored.height, 625);
    EXPECT_FALSE(stored.maximised); // a file from before the key
    for (int i = 0; i < 40; ++i) {
        const int expected = i == 3 ? 0 : i == 39 ? 250 : 100;
        EXPECT_EQ(stored.columnWidths[static_cast<std::size_t>(i)], expected) << "column " << i;
    }

    tapeloft::WindowSettings changed;
    changed.x = -4;
    changed.y = 0;
    changed.width = 1200;
    changed.height = 700;
    changed.maximised = true;
    for (int i = 0; i < 40; ++i)
        changed.columnWidths.push_back(i * 10);
    ASSERT_TRUE(tapeloft::writeWindowSettings(file, changed));

    const tapeloft::WindowSettings reread = tapeloft::readWindowSettings(file, 40);
    EXPECT_EQ(reread.x, -4);
    EXPECT_EQ(reread.y, 0);
    EXPECT_EQ(reread.width, 1200);
    EXPECT_EQ(reread.height, 700);
    EXPECT_TRUE(reread.maximised);
    EXPECT_EQ(reread.columnWidths, changed.columnWidths);
    EXPECT_EQ(tapeloft::readSettingText(file, settings::groupFolders, settings::keyLanguageFile, u""),
              u"x.lng");

    // Existing keys are updated in place; the missing ones follow in the order written.
    const std::string bytes = readBytes(file);
    const std::string head =
        bom +
        "\r\n[WndSett]\r\nwndX = -4\r\nCol3 = 30\r\nCol39 = 390\r\nwndY = 0\r\n"
        "wndW = 1200\r\nwndH = 700\r\nwndMax = 1\r\nCol0 = 0\r\nCol1 = 10\r\nCol2 = 20\r\nCol4 = 40\r\n";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
}

TEST(Settings, AWindowPlaceIsAllFourKeysOfItsGroupOrNothing) {
    TempDir dir;
    const struct {
        const char* name;
        std::string text;
        std::optional<tapeloft::WindowPlace> place;
    } cases[] = {
        {"no file", "", std::nullopt},
        {"all four", "[StatWnd]\nwndX = -20\nwndY = 40\nwndW = 900\nwndH = 700\n",
         tapeloft::WindowPlace{-20, 40, 900, 700}},
        {"one missing", "[StatWnd]\nwndX = 10\nwndY = 40\nwndW = 900\n", std::nullopt},
        {"the main window's keys only", "[WndSett]\nwndX = 1\nwndY = 2\nwndW = 3\nwndH = 4\n", std::nullopt},
        {"not numbers", "[StatWnd]\nwndX = left\nwndY = 4x\nwndW = 900\nwndH = 700\n",
         tapeloft::WindowPlace{0, 4, 900, 700}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir.path() / (std::string(c.name) + ".ini");
        if (!c.text.empty()) dir.write(file.filename(), c.text);
        EXPECT_EQ(tapeloft::readWindowPlace(file, settings::groupStatisticsWindow), c.place);
    }

    // Written beside the main window's group, which keeps its own values.
    const auto file = dir.write("Settings.ini", "[WndSett]\nwndX = 5\nwndW = 1000\n");
    ASSERT_TRUE(tapeloft::writeWindowPlace(file, settings::groupStatisticsWindow, {30, -5, 1024, 768}));
    EXPECT_EQ(tapeloft::readWindowPlace(file, settings::groupStatisticsWindow),
              (tapeloft::WindowPlace{30, -5, 1024, 768}));
    const tapeloft::WindowSettings main = tapeloft::readWindowSettings(file, 0);
    EXPECT_EQ(main.x, 5);
    EXPECT_EQ(main.width, 1000);
    EXPECT_EQ(main.y, settings::defaultWindowY);
}
