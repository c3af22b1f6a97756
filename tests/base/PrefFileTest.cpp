#include "base/PrefFile.h"
#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using tapeloft::PrefFile;
using tapeloft::PrefLoadStatus;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;

namespace {

const std::string bom = "\xEF\xBB\xBF";

std::string utf8(std::u16string_view text) {
    return tapeloft::utf16ToUtf8(text);
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

#ifndef _WIN32
unsigned modeOf(const fs::path& file) {
    return static_cast<unsigned>(fs::status(file).permissions()) & 0777u;
}
#endif

} // namespace

// --- Reading: encodings, line ends, names, values ---------------------------------------------------------

TEST(PrefFileRead, EncodingFollowsByteOrderMarkOrContent) {
    const std::u16string folder = u"/игры/Повторы боёв";
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"utf8 with mark", bom + "[filepath]\r\npath_repl = " + utf8(folder) + "\r\n"},
    };
#ifndef _WIN32
    // Without a mark, bytes that are not UTF-8 are the Cyrillic code page older files were written in.
    // (Windows reads every unmarked file in its ANSI code page: WindowsTextTest.)
    cases.push_back({"utf8 without mark", "[filepath]\r\npath_repl = " + utf8(folder) + "\r\n"});
    cases.push_back(
        {"cp1251 without mark", "[filepath]\r\npath_repl = " + tapeloft::utf16ToCp1251(folder) + "\r\n"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PrefFile::fromBytes(c.bytes).text(u"filepath", u"path_repl", u"none"), folder);
    }
    // The mark decides: single-byte text behind it is not taken for the code page.
    const std::string marked = bom + "[g]\r\nk = " + tapeloft::utf16ToCp1251(u"ы") + "\r\n";
    EXPECT_EQ(PrefFile::fromBytes(marked).text(u"g", u"k", u""), u"\uFFFD");
}

TEST(PrefFileRead, AnyLineEndSeparatesLines) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        const std::string e = end;
        const PrefFile prefs =
            PrefFile::fromBytes("[a]" + e + "x = 1" + e + e + "y = 2" + e + "[b]" + e + "x = 3");
        EXPECT_EQ(prefs.text(u"a", u"x", u""), u"1");
        EXPECT_EQ(prefs.text(u"a", u"y", u""), u"2");
        EXPECT_EQ(prefs.text(u"b", u"x", u""), u"3");
        ASSERT_EQ(prefs.groups().size(), 2u);
        EXPECT_EQ(prefs.groups()[0].lines.size(), 2u); // the empty line is gone
    }
    // Mixed ends, and CR CR LF is one empty line more, not a line break inside a value.
    const PrefFile mixed = PrefFile::fromBytes("[a]\rx = 1\r\r\ny = 2\nz = 3\r\n");
    EXPECT_EQ(mixed.text(u"a", u"x", u""), u"1");
    EXPECT_EQ(mixed.text(u"a", u"y", u""), u"2");
    EXPECT_EQ(mixed.text(u"a", u"z", u""), u"3");
}

TEST(PrefFileRead, NamesMatchIgnoringCaseIncludingCyrillic) {
    const PrefFile prefs =
        PrefFile::fromBytes(bom + utf8(u"[WndSett]\nwndX = 7\n[Ёлка]\nКлюч = да\nÄpfel = ja\n"));
    EXPECT_EQ(prefs.integer(u"wndsett", u"WNDX", 0), 7);
    EXPECT_EQ(prefs.text(u"ёЛКА", u"КЛЮЧ", u""), u"да");
    EXPECT_EQ(prefs.text(u"ЁЛКА", u"äPFEL", u""), u"ja");
    EXPECT_FALSE(prefs.find(u"елка", u"ключ")); // Ё and Е are different letters
}

TEST(PrefFileRead, KeysAndValuesLoseOnlySurroundingBlanks) {
    const PrefFile prefs = PrefFile::fromBytes("[g]\n"
                                               " \t a b \t= \t c d \t\n"
                                               "eq=x=y\n"
                                               "empty =\n"
                                               "=nameless\n"
                                               "semi = ;not a comment\n");
    EXPECT_EQ(prefs.text(u"g", u"a b", u"?"), u"c d");
    EXPECT_EQ(prefs.text(u"g", u"eq", u"?"), u"x=y");
    EXPECT_EQ(prefs.text(u"g", u"empty", u"?"), u""); // present but empty is not the fallback
    EXPECT_EQ(prefs.text(u"g", u"", u"?"), u"nameless");
    EXPECT_EQ(prefs.text(u"g", u"semi", u"?"), u";not a comment");
    EXPECT_EQ(prefs.text(u"g", u"missing", u"?"), u"?");
    EXPECT_EQ(prefs.text(u"other", u"eq", u"?"), u"?");
}

TEST(PrefFileRead, IntegersTakeTheLeadingDecimalNumber) {
    const PrefFile prefs = PrefFile::fromBytes("[g]\na = 12abc\nb = abc\nc =  -5\nd = +7\ne =\nf = 1500(x2)\n"
                                               "g = - 3\n");
    struct Case {
        const char16_t* key;
        int expected;
    };
    for (const Case c : {Case{u"a", 12}, Case{u"b", 0}, Case{u"c", -5}, Case{u"d", 7}, Case{u"e", 0},
                         Case{u"f", 1500}, Case{u"g", 0}, Case{u"missing", 42}}) {
        SCOPED_TRACE(utf8(c.key));
        EXPECT_EQ(prefs.integer(u"g", c.key, 42), c.expected);
    }
}

TEST(PrefFileRead, FirstOfDuplicateKeysWinsAcrossRepeatedGroups) {
    const PrefFile prefs =
        PrefFile::fromBytes("[g]\nk = first\n[h]\nk = other\n[G]\nk = second\nonly = later\n");
    EXPECT_EQ(prefs.text(u"g", u"k", u""), u"first");
    EXPECT_EQ(prefs.text(u"g", u"only", u""), u"later");
}

TEST(PrefFileRead, KeysBeforeAnyGroupBelongToNoGroup) {
    const PrefFile prefs = PrefFile::fromBytes("loose = 1\n[]\nempty = 2\n");
    EXPECT_FALSE(prefs.find(u"", u"loose"));
    EXPECT_EQ(prefs.text(u"", u"empty", u""), u"2"); // "[]" is a group with an empty name
    ASSERT_EQ(prefs.leadingLines().size(), 1u);
}

// --- Writing: exact bytes and what survives a round trip
// ----------------------------------------------------

TEST(PrefFileWrite, EverythingTheUserWroteComesBackInPlace) {
    const std::string input = "  ; settings of the program\r\n"
                              "orphan = 1\r\n"
                              "\r\n"
                              "[filepath]\n"
                              ";no space\n"
                              ";   indented\n"
                              "Lang=eng.lng\n"
                              "\tpath_repl   =   /data/replays  \n"
                              "just a note\n"
                              "lang = second.lng\n"
                              "[WndSett] trailing text\r"
                              "wndX=5\r"
                              "[FILEPATH]\r\n"
                              "path_izbr = /fav\r\n";
    const std::string expected = bom + "\r\n"
                                       "; settings of the program\r\n"
                                       "orphan = 1\r\n"
                                       "[filepath]\r\n"
                                       "; no space\r\n"
                                       ";   indented\r\n"
                                       "Lang = eng.lng\r\n"
                                       "path_repl = /data/replays  \r\n"
                                       "just a note\r\n"
                                       "lang = second.lng\r\n"
                                       "[WndSett]\r\n"
                                       "wndX = 5\r\n"
                                       "[FILEPATH]\r\n"
                                       "path_izbr = /fav\r\n";
    const std::string written = PrefFile::fromBytes(input).toBytes();
    EXPECT_EQ(written, expected);
    EXPECT_EQ(PrefFile::fromBytes(written).toBytes(), expected); // a second round trip changes nothing
}

TEST(PrefFileWrite, EmptyFileIsMarkAndOneLineEnd) {
    EXPECT_EQ(PrefFile{}.toBytes(), bom + "\r\n");
}

TEST(PrefFileWrite, SetChangesInPlaceOrAppendsWhereItBelongs) {
    PrefFile prefs = PrefFile::fromBytes("[a]\n"
                                         "; about a\n"
                                         "K = 1\n"
                                         "k = duplicate\n"
                                         "; about b\n"
                                         "[b]\n"
                                         "x = 2\n"
                                         "[A]\n"
                                         "later = 3\n");
    EXPECT_TRUE(prefs.set(u"a", u"k", u"10"));     // the first K, keeping its spelling
    EXPECT_TRUE(prefs.set(u"a", u"later", u"30")); // found in the second [A]
    EXPECT_TRUE(prefs.set(u"a", u"new", u"n"));    // after the last key of the first [a]
    EXPECT_TRUE(prefs.setInteger(u"c", u"neg", -12));
    EXPECT_TRUE(prefs.set(u"Группа", u"путь", u"  /д  "));
    EXPECT_EQ(prefs.toBytes(), bom +
                                   "\r\n"
                                   "[a]\r\n"
                                   "; about a\r\n"
                                   "K = 10\r\n"
                                   "k = duplicate\r\n"
                                   "new = n\r\n"
                                   "; about b\r\n"
                                   "[b]\r\n"
                                   "x = 2\r\n"
                                   "[A]\r\n"
                                   "later = 30\r\n"
                                   "[c]\r\n"
                                   "neg = -12\r\n" +
                                   utf8(u"[Группа]\r\nпуть = /д  \r\n"));
}

TEST(PrefFileWrite, StoredValuesReadBackAsWritten) {
    struct Case {
        std::u16string group, key, value;
    };
    const std::vector<Case> cases = {
        {u"filepath", u"path_repl", u"/home/игрок/replays"},
        {u"cenasnaryda", u"R04_T-34", u"1 250"},
        {u"g", u"key with spaces", u"a = b ; [c]"},
        {u" spaced group ", u"k", u"v"},
        {u"g", u"", u"nameless"},
        {u"g", u"k]", u"[v]"},
        {u"g", u"empty", u""},
        {u"g🎯", u"ключ🎯", u"🎯"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.group + u"/" + c.key));
        PrefFile prefs = PrefFile::fromBytes("[g]\nbefore = 1\n");
        ASSERT_TRUE(prefs.set(c.group, c.key, c.value));
        const PrefFile reread = PrefFile::fromBytes(prefs.toBytes());
        EXPECT_EQ(reread.text(c.group, c.key, u"<absent>"), c.value);
        EXPECT_EQ(reread.text(u"g", u"before", u""), u"1");
    }
}

TEST(PrefFileWrite, RefusesWhatWouldNotReadBack) {
    struct Case {
        const char* why;
        std::u16string group, key, value;
    };
    const std::vector<Case> cases = {
        {"line break in value", u"g", u"k", u"a\r\nb = c"},
        {"line feed in value", u"g", u"k", u"a\nb"},
        {"line break in key", u"g", u"k\rx", u"v"},
        {"line break in group", u"g\n[h]", u"k", u"v"},
        {"bracket in group", u"a]b", u"k", u"v"},
        {"equals in key", u"g", u"a=b", u"v"},
        {"key opens a group", u"g", u"[x", u"v"},
        {"key is a comment", u"g", u"; x", u"v"},
        {"key begins with blank", u"g", u" k", u"v"},
        {"key ends with tab", u"g", u"k\t", u"v"},
        // Half a surrogate pair is written as U+FFFD (found by fuzz_prefs, input in fuzz/regressions/prefs).
        {"lone high surrogate ending the key", u"g", u"k\xDA8B", u"v"},
        {"lone low surrogate in value", u"g", u"k", u"\xDCB2v"},
        {"pair split between key and value", u"g", u"k\xD83D", u"\xDE00"},
        {"lone surrogate in group", u"g\xDFFF", u"k", u"v"},
    };
    const std::string original = "[g]\nk = old\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        PrefFile prefs = PrefFile::fromBytes(original);
        const std::string before = prefs.toBytes();
        EXPECT_FALSE(prefs.set(c.group, c.key, c.value));
        EXPECT_EQ(prefs.toBytes(), before);
    }
}

// --- Files: missing versus unreadable, atomic replacement, modes
// --------------------------------------------

TEST(PrefFileLoad, TellsMissingFromUnreadable) {
    TempDir dir;
    EXPECT_EQ(tapeloft::loadPrefFile(dir.path() / "none.ini").status, PrefLoadStatus::missing);
    EXPECT_EQ(tapeloft::loadPrefFile(dir.path() / "no-folder" / "x.ini").status, PrefLoadStatus::missing);
    fs::create_directory(dir.path() / "folder.ini");
    EXPECT_EQ(tapeloft::loadPrefFile(dir.path() / "folder.ini").status, PrefLoadStatus::unreadable);
    const auto file = dir.write("s.ini", "[g]\nk = v\n");
    const auto loaded = tapeloft::loadPrefFile(file);
    EXPECT_EQ(loaded.status, PrefLoadStatus::loaded);
    EXPECT_EQ(loaded.file.text(u"g", u"k", u""), u"v");
    EXPECT_EQ(tapeloft::loadPrefFile(dir.write("empty.ini", "")).status, PrefLoadStatus::loaded);
}

#ifndef _WIN32
TEST(PrefFileLoad, FileWithoutReadAccessIsUnreadable) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    TempDir dir;
    const auto file = dir.write("s.ini", "[g]\nk = v\n");
    fs::permissions(file, fs::perms::none);
    EXPECT_EQ(tapeloft::loadPrefFile(file).status, PrefLoadStatus::unreadable);
}
#endif

TEST(PrefFileSave, FailureLeavesOldFileAndNoTemporary) {
    TempDir dir;
    PrefFile prefs;
    ASSERT_TRUE(prefs.set(u"g", u"k", u"v"));

    // The target is a folder.
    fs::create_directory(dir.path() / "Settings.ini");
    dir.write("Settings.ini/inside", "x");
    EXPECT_FALSE(tapeloft::savePrefFile(prefs, dir.path() / "Settings.ini"));
    EXPECT_EQ(readBytes(dir.path() / "Settings.ini" / "inside"), "x");

    // The folder does not exist.
    EXPECT_FALSE(tapeloft::savePrefFile(prefs, dir.path() / "missing" / "Settings.ini"));
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"Settings.ini"});
}

#ifndef _WIN32
TEST(PrefFileSave, ReadOnlyFolderFailsWithoutHarm) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    const auto file = dir.write("locked/s.ini", "old");
    fs::permissions(dir.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(tapeloft::savePrefFile(PrefFile::fromBytes("[g]\nk = v\n"), file));
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(folderEntries(dir.path() / "locked"), std::vector<std::string>{"s.ini"});
}

// A full disk, as the file-size limit makes write() fail part-way through.
TEST(PrefFileSave, WriteFailurePartWayLeavesOldFileAndNoTemporary) {
    TempDir dir;
    const auto file = dir.write("s.ini", "old");
    PrefFile prefs;
    ASSERT_TRUE(prefs.set(u"g", u"k", std::u16string(100000, u'x')));

    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved = tapeloft::savePrefFile(prefs, file);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"s.ini"});
}

TEST(PrefFileSave, NewFileIsPrivateAndStricterModesAreKept) {
    TempDir dir;
    const PrefFile prefs = PrefFile::fromBytes("[accaunts]\nMRpass = secret\n");
    struct Case {
        const char* name;
        int existing; // -1: no file yet
        unsigned expected;
    };
    for (const Case c :
         {Case{"new", -1, 0600u}, Case{"world-readable", 0644, 0600u}, Case{"private", 0600, 0600u},
          Case{"read-only", 0400, 0400u}, Case{"group-writable", 0660, 0600u}}) {
        SCOPED_TRACE(c.name);
        const auto file = dir.path() / (std::string(c.name) + ".ini");
        if (c.existing >= 0) {
            dir.write(file.filename(), "old");
            fs::permissions(file, static_cast<fs::perms>(c.existing));
        }
        ASSERT_TRUE(tapeloft::savePrefFile(prefs, file));
        EXPECT_EQ(modeOf(file), c.expected);
    }
}

TEST(PrefFileSave, LinkedFileIsWrittenThroughTheLink) {
    TempDir dir;
    const auto target = dir.write("real/s.ini", "old");
    const auto link = dir.path() / "Settings.ini";
    fs::create_symlink(target, link);
    ASSERT_TRUE(tapeloft::savePrefFile(PrefFile{}, link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), bom + "\r\n");

    const auto dangling = dir.path() / "dangling.ini";
    fs::create_symlink(dir.path() / "nowhere" / "x.ini", dangling);
    EXPECT_FALSE(tapeloft::savePrefFile(PrefFile{}, dangling));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"Settings.ini", "dangling.ini", "real"}));
    EXPECT_EQ(folderEntries(dir.path() / "real"), std::vector<std::string>{"s.ini"});
}
#endif
