#include "base/TextCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace tapeloft;

TEST(TextCodec, Utf8DecodingReplacesEachInvalidSubpart) {
    EXPECT_EQ(utf8ToUtf16("A\xC3\xA9"), u"Aé");
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    // A truncated sequence is one replacement; a stray continuation byte is one each.
    EXPECT_EQ(utf8ToUtf16("\xE2\x82x"), u"\uFFFDx");
    EXPECT_EQ(utf8ToUtf16("\x80\x80"), u"\uFFFD\uFFFD");
    // Overlong forms and encoded surrogates are invalid.
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToUtf16("ab\xE2"), u"ab\uFFFD");
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));
    EXPECT_TRUE(isValidUtf8("Привет \xF0\x9F\x98\x80"));
}

TEST(TextCodec, Utf16EncodingHandlesPairsAndLoneSurrogates) {
    EXPECT_EQ(utf16ToUtf8(u"Aé\U0001F600"), "A\xC3\xA9\xF0\x9F\x98\x80");
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_EQ(utf16ToUtf8(lone), "a\xEF\xBF\xBD"
                                 "b");
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(u"Танк №1")), u"Танк №1");
}

TEST(TextCodec, Cp1251RoundTripsItsRepertoireAndMarksTheRest) {
    const std::u16string text = u"Ёлка ёж №5 «Щит» — €";
    EXPECT_EQ(cp1251ToUtf16(utf16ToCp1251(text)), text);
    EXPECT_EQ(utf16ToCp1251(u"А"), "\xC0");
    EXPECT_EQ(utf16ToCp1251(u"я"), "\xFF");
    EXPECT_EQ(utf16ToCp1251(u"日\U0001F600x"), "??x");
    EXPECT_EQ(cp1251ToUtf16("\x98"), u"\uFFFD");
}

TEST(TextCodec, CaseFoldingCoversLatinAndCyrillic) {
    EXPECT_EQ(toLower(u"ABC Ёж ЯБЛОКО Ї"), u"abc ёж яблоко ї");
    EXPECT_EQ(compareIgnoreCase(u"apple", u"APPLE"), 0);
    EXPECT_LT(compareIgnoreCase(u"ab", u"ABC"), 0);
    EXPECT_GT(compareIgnoreCase(u"Б", u"а"), 0);
    EXPECT_TRUE(equalsIgnoreCase(u"FilePath", u"filepath"));
    EXPECT_FALSE(equalsIgnoreCase(u"file", u"files"));
}

TEST(TextCodec, NumbersFormatAndReadLikePrintfAndScanf) {
    EXPECT_EQ(decimal(0), u"0");
    EXPECT_EQ(decimal(-42), u"-42");
    EXPECT_EQ(decimal(std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
    EXPECT_EQ(leadingInt32(u"12abc"), 12);
    EXPECT_EQ(leadingInt32(u"  -5"), -5);
    EXPECT_EQ(leadingInt32(u"+7"), 7);
    EXPECT_EQ(leadingInt32(u"abc"), 0);
    EXPECT_EQ(leadingInt32(u""), 0);
    EXPECT_EQ(leadingInt32(u"4294967297"), 1); // low 32 bits
}

TEST(TextCodec, PathsRoundTripThroughText) {
    const std::u16string text = u"replays/Бой 1/\U0001F600.ivlreplay";
    EXPECT_EQ(textFromPath(pathFromText(text)), text);
}
