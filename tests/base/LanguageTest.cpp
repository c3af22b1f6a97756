#include "base/Language.h"
#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::Language;
using tapeloft::PrefFile;
using tapeloft::test::TempDir;

namespace {
std::string utf8(std::u16string_view text) {
    return tapeloft::utf16ToUtf8(text);
}
} // namespace

TEST(Language, WithoutFileEveryMessageIsNotAvailableAndNamesStay) {
    TempDir dir;
    for (const Language& language :
         {Language(), Language::load(dir.path() / "rus.lng"), Language::load(dir.path()) /* a folder */}) {
        for (int n : {-1, 0, 1, 60, Language::messageCount, Language::messageCount + 1, 100000})
            EXPECT_EQ(language.message(n), u"n/a") << n;
        EXPECT_EQ(language.lookup(u"mapnames", u"12_harbour"), u"12_harbour");
        EXPECT_EQ(language.lookup(u"vehicles", u""), u"");
    }
}

TEST(Language, MessagesComeFromTheTextGroupOnly) {
    TempDir dir;
    std::string file = "\xEF\xBB\xBF[TEXT]\r\n";
    const int last = Language::messageCount;
    for (int n = 1; n <= last; ++n)
        if (n != 56)
            file += "txt" + std::to_string(n) + " = " + utf8(u"сообщение ") + std::to_string(n) + "\r\n";
    file += "txt0 = zero\r\ntxt" + std::to_string(last + 1) +
            " = beyond\r\nTXT1 = duplicate\r\n[other]\r\ntxt56 = elsewhere\r\n";
    const Language language = Language::load(dir.write("rus.lng", file));

    EXPECT_EQ(language.message(1), u"сообщение 1");
    EXPECT_EQ(language.message(last), u"сообщение " + tapeloft::decimal(last));
    EXPECT_EQ(language.message(56), u"n/a");
    EXPECT_EQ(language.message(0), u"n/a");
    EXPECT_EQ(language.message(last + 1), u"n/a");
}

// The lookup tables must answer exactly as reading the file does, for every kind of line the file may hold.
TEST(Language, LookupsAgreeWithThePreferenceFile) {
    const std::string file = utf8(u"loose = before any group\r\n"
                                  u"[mapnames]\r\n"
                                  u"01_quarry = Каменоломня  \r\n"
                                  u"01_QUARRY = second spelling\r\n"
                                  u"plain line\r\n"
                                  u"empty =\r\n"
                                  u"; 02_marsh = commented out\r\n"
                                  u"[Nations]\r\n"
                                  u"ТЕСТ = Тест\r\n"
                                  u"westland = Вестланд\r\n"
                                  u"[MAPNAMES]\r\n"
                                  u"01_quarry = from the repeated group\r\n"
                                  u"03_ridge = Гребень\r\n"
                                  u"[vehicles]\r\n"
                                  u" a b  =  c d \t\r\n");
    // Marked as UTF-8, as the program writes it: Windows reads an unmarked file in its ANSI code page.
    const PrefFile prefs = PrefFile::fromBytes("\xEF\xBB\xBF" + file);
    const Language language(prefs);

    const std::vector<std::pair<std::u16string, std::u16string>> queries = {
        {u"mapnames", u"01_quarry"}, {u"MapNames", u"01_Quarry"},
        {u"mapnames", u"03_ridge"},  {u"mapnames", u"plain line"},
        {u"mapnames", u"empty"},     {u"mapnames", u"02_marsh"},
        {u"mapnames", u"loose"},     {u"", u"loose"},
        {u"nations", u"тест"},       {u"NATIONS", u"WESTLAND"},
        {u"nations", u"01_quarry"},  {u"vehicles", u"a b"},
        {u"vehicles", u" a b"},      {u"gameplayIDs", u"ctf"},
        {u"mapnames", u""},
    };
    for (const auto& [group, key] : queries) {
        SCOPED_TRACE(utf8(group + u" / " + key));
        EXPECT_EQ(language.lookup(group, key), prefs.text(group, key, key));
    }
    // And the answers themselves, so that agreement is not agreement in error.
    EXPECT_EQ(language.lookup(u"mapnames", u"01_quarry"), u"Каменоломня");
    EXPECT_EQ(language.lookup(u"mapnames", u"03_ridge"), u"Гребень");
    EXPECT_EQ(language.lookup(u"mapnames", u"empty"), u"");
    EXPECT_EQ(language.lookup(u"nations", u"тест"), u"Тест");
    EXPECT_EQ(language.lookup(u"vehicles", u"a b"), u"c d");
    EXPECT_EQ(language.lookup(u"mapnames", u"loose"), u"loose");
}

// Texts the program once showed in Russian whatever the language file said are messages now: a file that has
// them decides, an older file without them gives the program of before.
TEST(Language, LaterMessagesFallBackToTheProgramsOwnTexts) {
    TempDir dir;
    const Language old = Language::load(dir.write("old.lng", "\xEF\xBB\xBF[text]\r\ntxt3 = WIN\r\n"));
    const Language current = Language::load(dir.write(
        "new.lng",
        "\xEF\xBB\xBF[text]\r\ntxt150 = Careful\r\ntxt151 = Cannot read %1, sorry\r\ntxt152 = Random\r\n"
        "[achievements]\r\n34 = Fighter\r\n"));
    const struct {
        const char* what;
        const Language& language;
        int message;
        std::u16string expected;
    } cases[] = {
        {"old file, box title", old, MsgUnreadableTitle, u"Внимание!"},
        {"old file, first battle type", old, MsgFirstBattleType, u"Случайный бой"},
        {"old file, server header", old, MsgServerHeader, u"Cервер"},
        {"no file at all", Language(), MsgExportQuestionTitle, u"Excel Writer"},
        {"no file, a first-120 message", Language(), 3, u"n/a"},
        {"new file, box title", current, MsgUnreadableTitle, u"Careful"},
        {"new file, a later message it lacks", current, MsgFirstBattleType + 1, u"Тренировка"},
        {"new file, a first-120 message it lacks", current, 3, u"n/a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.language.message(c.message), c.expected) << c.what;
    EXPECT_EQ(old.message(MsgUnreadableFile, u"/r/a.ivlreplay"),
              u"Файл /r/a.ivlreplay не может быть обработан.");
    EXPECT_EQ(current.message(MsgUnreadableFile, u"x"), u"Cannot read x, sorry");
    EXPECT_EQ(current.message(3, u"x"), u"n/a"); // no "%1": unchanged
    EXPECT_EQ(current.lookup(u"achievements", u"34", u"Воин"), u"Fighter");
    EXPECT_EQ(old.lookup(u"achievements", u"34", u"Воин"), u"Воин");
}
