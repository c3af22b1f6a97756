#include "app/AppState.h"
#include "base/BuiltInTexts.h"
#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace fs = std::filesystem;
using tapeloft::AppState;
using tapeloft::PrefLoadStatus;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;

namespace {

const std::string bom = "\xEF\xBB\xBF";

// A language file with every message "m<n>".
std::string languageFile() {
    std::string text = bom + "[text]\r\n";
    for (int n = 1; n <= tapeloft::Language::messageCount; ++n)
        text += "txt" + std::to_string(n) + " = m" + std::to_string(n) + "\r\n";
    return text;
}

} // namespace

TEST(AppState, FirstStartInAnEmptyFolder) {
    TempDir dir;
    AppState state;
    state.detailsClosed = false;
    state.replayFilterOn = true;
    state.columnOrder[5] = 9;
    tapeloft::StartupFiles found;
    {
        // The program's files are addressed by bare name, relative to the current folder.
        tapeloft::test::CurrentDirScope inside(dir.path());
        found = tapeloft::loadSettingsAndLanguage(state);
    }
    EXPECT_EQ(found.settings, PrefLoadStatus::missing);
    EXPECT_EQ(found.language, PrefLoadStatus::missing);
    EXPECT_EQ(readBytes(dir.path() / "Settings.ini"), bom + "\r\n");
#ifndef _WIN32
    EXPECT_EQ(static_cast<unsigned>(fs::status(dir.path() / "Settings.ini").permissions()) & 0777u, 0600u);
#endif

    EXPECT_EQ(state.version, u"v.0.1.5 b");
    EXPECT_EQ(state.settingsFile, u"Settings.ini");
    EXPECT_EQ(state.languageFile, u"rus.lng");
    // Without a language file, only the texts the program has built in are not "n/a".
    for (int n = 1; n <= tapeloft::Language::messageCount; ++n) {
        std::u16string expected = u"n/a";
        for (const auto& builtIn : tapeloft::builtin::defaultMessages)
            if (builtIn.message == n) expected = builtIn.text;
        EXPECT_EQ(state.message(n), expected) << n;
    }
    EXPECT_EQ(state.replayFolder, u"n/a");
    EXPECT_EQ(state.favouritesFolder, u"n/a");
    EXPECT_FALSE(tapeloft::isConfiguredFolder(state.replayFolder));
    EXPECT_TRUE(state.detailsClosed);
    EXPECT_FALSE(state.replayFilterOn);
    EXPECT_FALSE(state.favouriteFilterOn);
    EXPECT_EQ(state.columnOrder[5], 0);
    EXPECT_TRUE(state.team1Links.empty());
    EXPECT_GE(state.team1Links.bucket_count(), 512u);
}

TEST(AppState, LanguageNamedInSettingsGivesMessagesAndFolderDefaults) {
    TempDir dir;
    dir.write("eng.lng", languageFile());
    dir.write("rus.lng", bom + "[text]\r\ntxt1 = wrong file\r\n");
    dir.write("Settings.ini", bom + "\r\n[filepath]\r\nLang = eng.lng\r\n");
    AppState state;
    const auto found = tapeloft::loadSettingsAndLanguage(state, dir.path());
    EXPECT_EQ(found.language, PrefLoadStatus::loaded);
    EXPECT_EQ(state.languageFile, u"eng.lng");
    EXPECT_EQ(state.message(1), u"m1");
    EXPECT_EQ(state.message(tapeloft::Language::messageCount),
              u"m" + tapeloft::decimal(tapeloft::Language::messageCount));
    EXPECT_EQ(state.replayFolder, u"m1"); // placeholders come from messages 1 and 2
    EXPECT_EQ(state.favouritesFolder, u"m2");
}

TEST(AppState, MissingOrEmptyLanguageNameGivesPlaceholdersWithoutError) {
    for (const std::string lang : {"absent.lng", ""}) {
        SCOPED_TRACE(lang);
        TempDir dir;
        dir.write("rus.lng", languageFile());
        dir.write("Settings.ini", "[filepath]\r\nLang = " + lang + "\r\n");
        AppState state;
        tapeloft::loadSettingsAndLanguage(state, dir.path());
        EXPECT_EQ(state.languageFile, tapeloft::utf8ToUtf16(lang));
        EXPECT_EQ(state.message(1), u"n/a");
        EXPECT_EQ(state.message(77), u"n/a");
        EXPECT_EQ(state.replayFolder, u"n/a");
    }
}

TEST(AppState, StoredFoldersAreReadAndTheFileIsLeftAlone) {
    TempDir dir;
    dir.write("rus.lng", languageFile());
    const std::string settings =
        bom + "[FilePath]\nPATH_REPL =  /home/игрок/replays \npath_izbr=/home/игрок/fav\n";
    dir.write("Settings.ini", settings);
    AppState state;
    const auto found = tapeloft::loadSettingsAndLanguage(state, dir.path());
    EXPECT_EQ(found.settings, PrefLoadStatus::loaded);
    EXPECT_EQ(state.replayFolder, u"/home/игрок/replays");
    EXPECT_EQ(state.favouritesFolder, u"/home/игрок/fav");
    EXPECT_EQ(state.message(2), u"m2");
    EXPECT_EQ(readBytes(dir.path() / "Settings.ini"), settings); // start-up only reads
}

TEST(AppState, UnreadableSettingsAreNotReplaced) {
    TempDir dir;
    fs::create_directory(dir.path() / "Settings.ini");
    dir.write("rus.lng", languageFile());
    AppState state;
    const auto found = tapeloft::loadSettingsAndLanguage(state, dir.path());
    EXPECT_EQ(found.settings, PrefLoadStatus::unreadable);
    EXPECT_TRUE(fs::is_directory(dir.path() / "Settings.ini"));
    EXPECT_EQ(state.languageFile, u"rus.lng");
    EXPECT_EQ(state.replayFolder, u"m1");
}

TEST(AppState, ConfiguredFolders) {
    struct Case {
        const char16_t* path;
        bool configured;
    };
#ifdef _WIN32
    const Case cases[] = {{u"C:\\Games\\replays", true}, {u"d:\\", true},
                          {u"\\\\server\\share", false}, {u"n/a", false},
                          {u"replays", false},           {u"", false},
                          {u"C:replays", false},         {u"C:/Games/replays", false}};
#else
    const Case cases[] = {{u"/home/player/replays", true}, {u"/", true}, {u"n/a", false},
                          {u"replays/old", false},         {u"", false}, {u" /leading-blank", false},
                          {u"C:\\Games\\replays", false}};
#endif
    for (const Case& c : cases)
        EXPECT_EQ(tapeloft::isConfiguredFolder(c.path), c.configured) << tapeloft::utf16ToUtf8(c.path);
}
