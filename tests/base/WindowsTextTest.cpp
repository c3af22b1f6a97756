// What only Windows has below the layers: the ANSI code page for unmarked preference files, drive letters
// and backslashes, names through the wide-character API, read-only files, paths beyond MAX_PATH.
#include "base/AtomicFile.h"
#include "base/FileOperations.h"
#include "base/PrefFile.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr UINT kRussianCodePage = 1251;
// The one byte code page 1251 leaves unassigned: the program reads it as U+FFFD, Windows as U+0098.
constexpr int kUnassignedByte = 0x98;
constexpr std::size_t kMaxPath = MAX_PATH;

// The code page scripts/wine-run asks Wine for; 0 when the run did not say.
UINT askedCodePage() {
    const char* text = std::getenv("TAPELOFT_ANSI_CODE_PAGE");
    return text ? static_cast<UINT>(std::strtoul(text, nullptr, 10)) : 0;
}

// The system's own reading of bytes in the ANSI code page.
std::u16string systemAnsi(std::string_view bytes) {
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(size) * 2 + 1, L'\0');
    const int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), static_cast<int>(wide.size()));
    return std::u16string(wide.begin(), wide.begin() + std::max(n, 0));
}

// Names in the folder as the wide-character API lists them, "." and ".." left out.
std::vector<std::u16string> wideListing(const fs::path& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.emplace_back(name.begin(), name.end());
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool isReadOnly(const fs::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void makeReadOnly(const fs::path& file) {
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
}

} // namespace

// The run meets the code page of the program's users; the line below names it in the test output.
TEST(WindowsCodePage, IsTheOneTheRunAskedFor) {
    std::printf("ANSI code page %u, OEM code page %u\n", GetACP(), GetOEMCP());
    const UINT asked = askedCodePage();
    if (asked == 0) GTEST_SKIP() << "TAPELOFT_ANSI_CODE_PAGE is not set";
    EXPECT_EQ(GetACP(), asked);
}

// Without a byte-order mark a preference file is in the ANSI code page, as the program's earlier versions
// wrote it, even when its bytes happen to be UTF-8; the mark still means UTF-8.
TEST(WindowsPrefFile, UnmarkedFilesAreReadInTheAnsiCodePage) {
    const std::u16string folder = u"D:\\Игры\\Повторы боёв";
    std::string everyHighByte;
    for (int b = 0x80; b <= 0xFF; ++b)
        if (b != kUnassignedByte) everyHighByte.push_back(static_cast<char>(b));
    struct Case {
        const char* what;
        std::string value; // the bytes after "k = "
        bool marked;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"Cyrillic in the code page", utf16ToCp1251(folder), false, systemAnsi(utf16ToCp1251(folder))},
        {"every byte of the upper half", everyHighByte, false, systemAnsi(everyHighByte)},
        {"UTF-8 without a mark", utf16ToUtf8(folder), false, systemAnsi(utf16ToUtf8(folder))},
        {"UTF-8 with a mark", utf16ToUtf8(folder), true, folder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes =
            (c.marked ? std::string(kBom) : "") + "[filepath]\r\nk = " + c.value + "\r\n";
        EXPECT_EQ(PrefFile::fromBytes(bytes).text(u"filepath", u"k", u"none"), c.expected);
    }
    if (GetACP() == kRussianCodePage) {
        // The system's table and the program's own agree on every byte the code page assigns.
        EXPECT_EQ(cases[0].expected, folder);
        EXPECT_EQ(systemAnsi(everyHighByte), cp1251ToUtf16(everyHighByte));
    }
}

// A Settings.ini a user or an older version left without a mark: read in the code page, and written back
// marked, so the next reading gives the same folders.
TEST(WindowsPrefFile, UnmarkedSettingsFileSurvivesASave) {
    if (GetACP() != kRussianCodePage) GTEST_SKIP() << "the file is written in code page 1251";
    TempDir dir;
    const std::u16string replays = u"C:\\Игры\\Ironvale\\replays";
    const std::u16string favourites = u"E:\\Избранное";
    const fs::path file =
        dir.write("Settings.ini", "[filepath]\r\npath_repl = " + utf16ToCp1251(replays) +
                                      "\r\npath_izbr = " + utf16ToCp1251(favourites) + "\r\n");
    EXPECT_EQ(readSettingText(file, settings::groupFolders, settings::keyReplayFolder, u""), replays);
    ASSERT_TRUE(writeSettingText(file, settings::groupFolders, settings::keyLanguageFile, u"eng.lng"));
    EXPECT_EQ(readBytes(file).substr(0, kBom.size()), kBom);
    EXPECT_EQ(readSettingText(file, settings::groupFolders, settings::keyReplayFolder, u""), replays);
    EXPECT_EQ(readSettingText(file, settings::groupFolders, settings::keyFavouritesFolder, u""), favourites);
}

TEST(WindowsPaths, DriveLettersAndBackslashes) {
    struct Case {
        const char16_t* text;
        const char16_t* rootName;
        const char16_t* fileName;
        bool absolute;
    };
    const Case cases[] = {
        {u"C:\\Games\\Ironvale\\replays", u"C:", u"replays", true},
        {u"d:\\", u"d:", u"", true},
        {u"C:/Games/Ironvale/replays", u"C:", u"replays", true},
        {u"C:\\Games/mixed\\бой.ivlreplay", u"C:", u"бой.ivlreplay", true},
        {u"C:relative", u"C:", u"relative", false},
        {u"replays\\old", u"", u"old", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.text));
        const fs::path path = pathFromText(c.text);
        EXPECT_EQ(textFromPath(path), c.text); // separators stay as written
        EXPECT_EQ(textFromPath(path.root_name()), c.rootName);
        EXPECT_EQ(textFromPath(path.filename()), c.fileName);
        EXPECT_EQ(path.is_absolute(), c.absolute);
    }
    EXPECT_EQ(nativeSeparator(), u"\\");
    EXPECT_EQ(withTrailingSeparator(u"C:\\r"), u"C:\\r\\");
    EXPECT_EQ(withTrailingSeparator(u"C:\\r\\"), u"C:\\r\\");
    EXPECT_EQ(textFromPath(pathFromText(u"C:\\r") / pathFromText(u"x.ivlreplay")), u"C:\\r\\x.ivlreplay");
}

// Names the ANSI code page cannot hold reach the disk unchanged: an API of narrow characters would turn
// the emoji, the Greek and the Japanese into '?' or lose the file. (A lone surrogate, which Windows
// allows in a name, is left out: Wine keeps names in UTF-8, which has no form for it.)
TEST(WindowsFileNames, NamesOutsideTheCodePageGoThroughTheWideApi) {
    const std::u16string names[] = {
        u"Бой на карте Красная степь.ini",
        u"🎯💥 battle 🚀.ini",
        u"Ω ωμέγα ё Ё.ini",
        u"日本語の名前.ini",
    };
    TempDir dir;
    for (const std::u16string& name : names) {
        SCOPED_TRACE(utf16ToUtf8(name));
        const fs::path file = dir.path() / pathFromText(name);
        PrefFile prefs;
        ASSERT_TRUE(prefs.set(u"g", u"name", u"Имя"));
        ASSERT_TRUE(savePrefFile(prefs, file));
        const PrefLoad loaded = loadPrefFile(file);
        ASSERT_EQ(loaded.status, PrefLoadStatus::loaded);
        EXPECT_EQ(loaded.file.text(u"g", u"name", u""), u"Имя");
    }
    std::vector<std::u16string> listed = wideListing(dir.path());
    std::vector<std::u16string> expected(std::begin(names), std::end(names));
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);

    std::vector<std::u16string> iterated;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
        iterated.push_back(textFromPath(entry.path().filename()));
    std::sort(iterated.begin(), iterated.end());
    EXPECT_EQ(iterated, expected);
}

// Windows refuses to replace a read-only file, and so does every writer here: false, the old bytes and the
// mark kept, nothing left beside it.
TEST(WindowsReadOnly, ReplacingAReadOnlyFileIsRefused) {
    struct Case {
        const char* what;
        bool (*replace)(const fs::path& target, const fs::path& source);
    };
    const Case cases[] = {
        {"atomic write",
         [](const fs::path& target, const fs::path&) { return writeFileAtomically(target, "new"); }},
        {"settings write",
         [](const fs::path& target, const fs::path&) {
             return writeSettingText(target, settings::groupFolders, settings::keyLanguageFile, u"eng.lng");
         }},
        {"copy over it", [](const fs::path& target,
                            const fs::path& source) { return FileOperations().copyFile(source, target); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path source = dir.write("source.ini", "source");
        const fs::path target = dir.write("Settings.ini", "old");
        makeReadOnly(target);
        EXPECT_FALSE(c.replace(target, source));
        EXPECT_EQ(readBytes(target), "old");
        EXPECT_TRUE(isReadOnly(target));
        std::vector<std::u16string> listed = wideListing(dir.path());
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, (std::vector<std::u16string>{u"Settings.ini", u"source.ini"}));
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// A file below a path longer than MAX_PATH is either written and read back whole, or refused with nothing
// half-written; never a crash.
TEST(WindowsLongPaths, FilesBeyondMaxPathAreHandledOrRefused) {
    TempDir dir;
    fs::path folder = dir.path();
    while (folder.native().size() <= kMaxPath)
        folder /= std::wstring(40, L'п');
    const fs::path file = folder / L"Settings.ini";
    std::error_code ec;
    const bool folderMade = fs::create_directories(folder, ec);
    if (!folderMade) GTEST_SKIP() << "the system makes no folder this deep: " << ec.message();

    PrefFile prefs;
    ASSERT_TRUE(prefs.set(u"filepath", u"path_repl", u"C:\\replays"));
    const bool saved = savePrefFile(prefs, file);
    const PrefLoad loaded = loadPrefFile(file);
    std::cout << "a path of " << file.native().size() << " characters: " << (saved ? "written" : "refused")
              << "\n";
    if (saved) {
        ASSERT_EQ(loaded.status, PrefLoadStatus::loaded);
        EXPECT_EQ(loaded.file.text(u"filepath", u"path_repl", u""), u"C:\\replays");
    } else {
        EXPECT_NE(loaded.status, PrefLoadStatus::loaded);
    }
    EXPECT_EQ(wideListing(folder).size(), saved ? 1u : 0u);
}
