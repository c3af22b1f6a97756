// String decoding: escapes, \u rules counted in UTF-16 units, and non-ASCII text from UTF-8.
#include "JsonTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace tapeloft::test {
namespace {

// The text of the single string element of "[<body>]"; nullopt when it does not parse.
std::optional<std::u16string> decode(const std::string& quotedBody) {
    const auto doc = parseBoth("[" + quotedBody + "]");
    if (!doc) return std::nullopt;
    EXPECT_EQ(doc->root().count(), 1) << quotedBody;
    EXPECT_EQ(doc->root().element(0).kind(), JsonKind::String) << quotedBody;
    return std::u16string(doc->root().element(0).text());
}

struct StringCase {
    const char* name;
    std::string body;
    std::u16string expected;
};

class JsonStrings : public ::testing::TestWithParam<StringCase> {};

TEST_P(JsonStrings, Decode) {
    const auto text = decode(GetParam().body);
    ASSERT_TRUE(text) << GetParam().body;
    EXPECT_EQ(*text, GetParam().expected) << GetParam().body << " gave " << narrow(*text);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, JsonStrings,
    ::testing::Values(
        StringCase{"Plain", R"("abc")", u"abc"}, StringCase{"Empty", R"("")", u""},
        StringCase{"SimpleEscapes", R"("\"\\\/\n\r\t\b\f")", u"\"\\/\n\r\t\b\f"},
        StringCase{"UnknownEscapeDropsBackslash", R"("\q\x\ ")", u"qx "},
        StringCase{"UnicodeEscapes", R"("\u0041\u00e9")", u"A\u00e9"},
        StringCase{"UpperCaseHex", R"("\u00C9\u042F")", u"\u00c9\u042f"},
        StringCase{"ZeroAppendsNothing", R"("\u0000x")", u"x"},
        StringCase{"HexStopsAtNonHex", R"("\u12G4")", u"\u0012"},
        StringCase{"NoHexDigitsIsZero", R"("\uZZZZy")", u"y"},
        StringCase{"NoSignOrPrefix", R"("\u+041\u0x41")", u""},
        StringCase{"SurrogatePairEscapes", R"("\uD83D\uDE00")", u"\U0001F600"},
        StringCase{"LoneSurrogateEscape", R"("\uDC00")", std::u16string(1, char16_t(0xDC00))},
        // The four units after u are consumed whatever they are, a quote included.
        StringCase{"QuoteInsideEscape", R"("\u00"]x")", u"x"},
        StringCase{"RawControlCharacters", "\"a\tb\nc\rd\x01\"", u"a\tb\nc\rd\x01"},
        StringCase{"RawNul", std::string("\"a\0b\"", 5), std::u16string(u"a\0b", 3)},
        // UTF-8 decodes to UTF-16 units; invalid sequences give U+FFFD each.
        StringCase{"Cyrillic", "\"Игрок_1\"", u"Игрок_1"}, StringCase{"ThreeByte", "\"€ ≠ ∞\"", u"€ ≠ ∞"},
        StringCase{"FourByte", "\"a😀b\"", u"a\U0001F600b"},
        StringCase{"InvalidByte",
                   "\"a\xFF"
                   "b\"",
                   u"a\uFFFDb"},
        StringCase{"TruncatedSequence", "\"a\xE2\x82\"", u"a\uFFFD"},
        StringCase{"EncodedSurrogate", "\"\xED\xA0\x80\"", u"\uFFFD\uFFFD\uFFFD"},
        StringCase{"Overlong", "\"\xC0\xAF\"", u"\uFFFD\uFFFD"},
        StringCase{"EscapedNonAscii", "\"\\Й\"", u"Й"},
        // Non-ASCII units inside a \u escape stop the hex digits and count as one or two units.
        StringCase{"EscapeOverTwoByte", "\"\\u00é\"x\"", u"x"},
        StringCase{"EscapeOverPair", "\"\\u12😀\"", u"\u0012"},
        // The fourth unit is the first half of a pair: the second half stays in the string.
        StringCase{"EscapeSplitsPair", "\"\\u123😀\"", std::u16string{char16_t(0x0123), char16_t(0xDE00)}},
        StringCase{"EscapeSplitsPairAfterZero", "\"\\u000😀\"", std::u16string{char16_t(0xDE00)}}),
    [](const ::testing::TestParamInfo<StringCase>& info) { return std::string(info.param.name); });

TEST(JsonStrings, FailWhenTheTextEndsInside) {
    for (const std::string text : {R"(["abc)", R"(["abc\)", R"(["\)", R"(["\u)", R"(["\u004)", R"(["\u0041)",
                                   // Four units left after u are not enough, counted in UTF-16.
                                   "[\"\\u12😀", "[\"\\u1😀\"", "[\"\\u00é\"", R"({"ab)", R"({"a\u00)"}) {
        EXPECT_FALSE(parseBoth(text)) << text;
    }
}

TEST(JsonStrings, EscapeFollowedByEnoughText) {
    EXPECT_TRUE(parseBoth(R"(["\u0041"])"));
    // The units of a pair count separately towards the five.
    const auto doc = parseBoth("[\"\\u0041😀\"]");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().element(0).text(), u"A\U0001F600");
}

TEST(JsonStrings, KeysDecodeLikeValues) {
    const auto doc = parseBoth(R"({"a\u0062":1,"Имя":"Игрок","\u0000k\"":2})");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().member(u"ab").integerValue(), 1);
    EXPECT_EQ(doc->root().member(u"Имя").text(), u"Игрок");
    EXPECT_EQ(doc->root().member(u"k\"").integerValue(), 2);
}

TEST(JsonStrings, LongStringsSurviveArenaGrowth) {
    // Long texts move between arena blocks while they are decoded; check every unit arrives.
    std::string body;
    std::u16string expected;
    for (int i = 0; i < 200000; ++i) {
        const int kind = i % 7;
        if (kind == 0) {
            body += "Ж";
            expected += u'Ж';
        } else if (kind == 1) {
            body += "\\n";
            expected += u'\n';
        } else if (kind == 2) {
            body += "😀";
            expected += u"\U0001F600";
        } else {
            body += static_cast<char>('a' + i % 26);
            expected += static_cast<char16_t>(u'a' + i % 26);
        }
    }
    std::string text = "[\"" + body + "\"";
    // Many shorter texts of growing length, so that some straddle the ends of blocks.
    std::string letters;
    for (int i = 0; i < 50 * 997; ++i)
        letters += static_cast<char>('A' + i % 23);
    for (int i = 0; i < 50; ++i)
        text += ",\"" + letters.substr(0, static_cast<std::size_t>(i) * 997) + "\"";
    text += "]";
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->root().element(0).text() == expected);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(narrow(doc->root().element(i + 1).text()),
                  letters.substr(0, static_cast<std::size_t>(i) * 997))
            << i;
}

} // namespace
} // namespace tapeloft::test
