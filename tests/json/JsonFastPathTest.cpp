// The UTF-8 reader's shortcuts (short numbers and literals, guessed keys, plain keys, single spaces)
// against its general code on the same tokens, and both against the UTF-16 reader.
#include "JsonTestSupport.h"

#include "base/TextCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tapeloft::test {
namespace {

std::string plainKey(std::size_t length, char first = 'a') {
    std::string key;
    for (std::size_t i = 0; i < length; ++i)
        key += static_cast<char>(first + i % 26);
    return key;
}

// A token is read in one step only when eight bytes can be read where it starts; at the end of a
// short text it takes the general path. Both must give the same node.
TEST(JsonFastPaths, TokensReadTheSameWithAndWithoutRoomAfterThem) {
    const std::vector<std::string> tokens = {
        "0",         "7",        "-7",        "-0",        "007",        "42",         "1234567",
        "-1234567",  "12345678", "-9999999",  "123456789", "2147483648", "4294967297", "true",
        "false",     "null",     "TRUE",      "False",     "nulL",       "1.5",        "-2.5e3",
        "1E2",       "12.",      "-",         "0.0001",    "7e",         "9.",         "-.5",
        "-00000001", "99999999", "-99999999", "3000000000"};
    for (const std::string& token : tokens) {
        const auto alone = parseBoth("[" + token + "]");
        ASSERT_TRUE(alone) << token;
        // Room after the token, and every terminator an integer can meet. Text after the root is
        // ignored, and gives room where the token ends the document.
        for (const std::string tail : {",0,0,0,0,0]", "]  ignored", " ,0,0,0,0]", "\t,0,0,0,0]",
                                       "\n,0,0,0,0]", "\r,0,0,0,0]", "}  ignored"}) {
            const bool inObject = tail[0] == '}';
            const std::string text = (inObject ? "{\"k\":" : "[") + token + tail;
            const auto roomy = parseBoth(text);
            ASSERT_TRUE(roomy) << text;
            const JsonValue& value = inObject ? roomy->root().member(u"k") : roomy->root().element(0);
            EXPECT_TRUE(sameTree(value, alone->root().element(0))) << text;
        }
    }
    // Spot checks of the values themselves.
    const auto doc = parseBoth("[1234567, -1234567, 12345678, true, false, null, 3000000000, 0]");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().element(0).integerValue(), 1234567);
    EXPECT_EQ(doc->root().element(1).integerValue(), -1234567);
    EXPECT_EQ(doc->root().element(1).realValue(), -1234567.0);
    EXPECT_EQ(doc->root().element(2).integerValue(), 12345678);
    EXPECT_EQ(doc->root().element(3).kind(), JsonKind::True);
    EXPECT_EQ(doc->root().element(3).integerValue(), 1);
    EXPECT_EQ(doc->root().element(4).kind(), JsonKind::False);
    EXPECT_EQ(doc->root().element(5).kind(), JsonKind::Null);
    EXPECT_EQ(doc->root().element(6).integerValue(), -1294967296);
}

TEST(JsonFastPaths, TokensThatOnlyLookShortFailOrReadOnAsBefore) {
    // What follows the digits or the literal decides, however much room there is.
    for (const std::string token :
         {"12x", "12:", "12\"", "-x", "nul", "tru", "fals", "truex", "nullx", "1-2"}) {
        EXPECT_FALSE(parseBoth("[" + token + ",0,0,0,0,0]")) << token;
        EXPECT_FALSE(parseBoth("[" + token + "]")) << token;
    }
    // A literal ends after its letters; "falsey" fails as the text after it is no value.
    EXPECT_FALSE(parseBoth("[falsey,0,0,0,0,0]"));
    const auto doc = parseBoth("[true\"s\",0,0,0,0,0]");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().element(0).text(), u"s");
}

// The first object has nothing to guess from; its siblings repeat its keys, so every key after the
// first object is matched against the guess in place. Keys run from empty to well past sixteen bytes.
TEST(JsonFastPaths, GuessedKeysOfEveryLength) {
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string key = plainKey(length);
        std::string text = "[";
        for (int i = 0; i < 3; ++i)
            text += std::string(i ? "," : "") + "{\"" + key + "\":" + std::to_string(i) +
                    ",\"z\":" + std::to_string(10 + i) + "}";
        text += "]";
        const auto doc = parseBoth(text);
        ASSERT_TRUE(doc) << text;
        for (int i = 0; i < 3; ++i) {
            const JsonValue& object = doc->root().element(i);
            EXPECT_EQ(object.memberCount(), 2) << text;
            EXPECT_EQ(object.member(ascii(key)).integerValue(), i) << text;
            EXPECT_EQ(object.member(u"z").integerValue(), 10 + i) << text;
        }
        // The last key of the text close to its end, where sixteen bytes cannot be read.
        const auto nearEnd = parseBoth("{\"a\":{\"" + key + "\":1},\"b\":{\"" + key + "\":2}}");
        ASSERT_TRUE(nearEnd) << key;
        EXPECT_EQ(nearEnd->root().member(u"b").member(ascii(key)).integerValue(), 2) << key;
        // Cut inside the guessed key or right after it.
        const std::string prefix = "[{\"" + key + "\":1},{\"" + key;
        EXPECT_FALSE(parseBoth(prefix)) << key;
        EXPECT_FALSE(parseBoth(prefix + "\"")) << key;
        if (length > 0) {
            EXPECT_FALSE(parseBoth(prefix.substr(0, prefix.size() - 1))) << key;
        }
    }
}

TEST(JsonFastPaths, KeysThatDifferFromTheGuess) {
    for (const std::size_t length : {1u, 7u, 8u, 15u, 16u, 17u, 31u, 32u, 33u}) {
        const std::string key = plainKey(length);
        const std::string last(1, key.back());
        // Longer, shorter, last byte changed, an escape or a non-ASCII letter in place of a byte.
        const std::vector<std::pair<std::string, std::u16string>> variants = {
            {key + "x", ascii(key + "x")},
            {key.substr(0, length - 1), ascii(key.substr(0, length - 1))},
            {key.substr(0, length - 1) + "!", ascii(key.substr(0, length - 1) + "!")},
            {key.substr(0, length - 1) + "\\u00" + std::to_string(static_cast<int>(key.back()) / 16) +
                 "0123456789abcdef"[key.back() % 16],
             ascii(key)},
            {key.substr(0, length - 1) + "\xD0\x96", ascii(key.substr(0, length - 1)) + u"Ж"},
            {key + "\\n", ascii(key) + u"\n"}};
        for (const auto& [spelling, decoded] : variants) {
            const std::string text = "[{\"" + key + "\":1},{\"" + spelling + "\":2,\"" + key + "\":3}]";
            const auto doc = parseBoth(text);
            ASSERT_TRUE(doc) << text;
            const JsonValue& second = doc->root().element(1);
            EXPECT_EQ(second.member(decoded).integerValue(), decoded == ascii(key) ? 3 : 2) << text;
            EXPECT_EQ(second.member(ascii(key)).integerValue(), 3) << text;
            EXPECT_EQ(second.memberCount(), decoded == ascii(key) ? 1 : 2) << text;
        }
    }
}

// A key first met escaped or decoded, then plain, and the other way round, is one key.
TEST(JsonFastPaths, PlainAndEscapedSpellingsAreOneKey) {
    const auto doc = parseBoth(R"({"a":{"k\u0065y":1,"x":0},"b":{"key":2,"x":0},"c":{"ke\u0079":3},)"
                               R"("d":{"key":4,"k\u0065y":5},"\u0065":6,"e":7})");
    ASSERT_TRUE(doc);
    const JsonValue& root = doc->root();
    EXPECT_EQ(root.member(u"a").member(u"key").integerValue(), 1);
    EXPECT_EQ(root.member(u"b").member(u"key").integerValue(), 2);
    EXPECT_EQ(root.member(u"c").member(u"key").integerValue(), 3);
    EXPECT_EQ(root.member(u"d").memberCount(), 1);
    EXPECT_EQ(root.member(u"d").member(u"key").integerValue(), 5);
    EXPECT_EQ(root.memberCount(), 5);
    EXPECT_EQ(root.member(u"e").integerValue(), 7);
}

// Objects this large get a hash index, which the lookups of the readers then probe with the hash
// of a UTF-16 key: it must equal the hash the parser took from the UTF-8 bytes of a plain key, and
// from the decoded text of any other key.
TEST(JsonFastPaths, IndexedObjectsFindKeysOfEveryKind) {
    std::vector<std::pair<std::string, std::u16string>> keys;
    for (std::size_t length = 0; length <= 40; ++length)
        keys.emplace_back(plainKey(length, 'b'), ascii(plainKey(length, 'b')));
    const std::vector<std::pair<std::string, std::u16string>> others = {
        {"Игрок", u"Игрок"},
        {"caf\xC3\xA9", u"caf\u00E9"},
        {"\xC5\x81"
         "ab",
         u"\u0141ab"}, // shares its low byte with "Aab"
        {"Aab", u"Aab"},
        {"\\u0041bc", u"Abc"},
        {"long key with \\\"quotes\\\" and more than sixteen bytes",
         u"long key with \"quotes\" and more than sixteen bytes"},
        {"\xF0\x9F\x98\x80 smile", u"\U0001F600 smile"},
        {"0123456789", u"0123456789"}};
    keys.insert(keys.end(), others.begin(), others.end());
    for (int i = 0; keys.size() < 150; ++i)
        keys.emplace_back("n" + std::to_string(i * 37), ascii("n" + std::to_string(i * 37)));
    for (const std::size_t count : {64u, 65u, 66u, 150u}) {
        std::string text = "{";
        for (std::size_t i = 0; i < count; ++i)
            text += (i ? ", \"" : "\"") + keys[i].first + "\": " + std::to_string(i);
        text += "}";
        const auto doc = parseBoth(text);
        ASSERT_TRUE(doc) << count;
        EXPECT_EQ(doc->root().memberCount(), static_cast<std::int32_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(doc->root().member(keys[i].second).kind(), JsonKind::Integer) << narrow(keys[i].second);
            EXPECT_EQ(doc->root().member(keys[i].second).integerValue(), static_cast<std::int32_t>(i));
            EXPECT_EQ(doc->root().member(keys[i].second + u"?").kind(), JsonKind::Unset);
        }
        EXPECT_EQ(doc->root().member(u"\u0141").kind(), JsonKind::Unset);
    }
}

TEST(JsonFastPaths, RepeatedKeysInLargeObjects) {
    // "m5" comes again after a nested object used it: the large object is then searched, gets its
    // index halfway, and keeps it up to date while it grows further.
    std::string text = "{";
    for (int i = 0; i < 100; ++i)
        text += "\"m" + std::to_string(i) +
                "\":" + (i == 50 ? std::string("{\"m5\":-1}") : std::to_string(i)) + ",";
    text += "\"m5\":500,\"m99\":{\"x\":1},\"m99\":{\"y\":2}";
    for (int i = 0; i < 100; ++i)
        text += ",\"new" + std::to_string(i) + "\":" + std::to_string(i) + ",\"m" + std::to_string(i % 7) +
                "\":7";
    text += "}";
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    const JsonValue& root = doc->root();
    EXPECT_EQ(root.memberCount(), 200);
    EXPECT_EQ(root.member(u"m5").integerValue(), 7);
    EXPECT_EQ(root.member(u"m50").member(u"m5").integerValue(), -1);
    EXPECT_EQ(root.member(u"m99").memberCount(), 2);
    EXPECT_EQ(root.member(u"m99").member(u"y").integerValue(), 2);
    EXPECT_EQ(root.member(u"m0").integerValue(), 7);
    EXPECT_EQ(root.member(u"m8").integerValue(), 8);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(root.member(ascii("new" + std::to_string(i))).integerValue(), i) << i;
}

TEST(JsonFastPaths, SpacingDoesNotChangeTheTree) {
    const std::string compact =
        R"({"a":[1,-2,true,null,"s",{"b":false,"c":[]},{}],"d":{"e":1.5,"f":"t"},"g":12345678})";
    const auto reference = parseBoth(compact);
    ASSERT_TRUE(reference);
    // The same document with each kind of gap between all tokens.
    for (const std::string gap : {" ", "  ", " \n", "\n ", "\t", "\r\n", " \t \n "}) {
        std::string spaced;
        bool inString = false;
        for (const char c : compact) {
            if (!inString && (c == ',' || c == ':' || c == '[' || c == '{')) {
                spaced += c;
                spaced += gap;
                continue;
            }
            if (!inString && (c == ']' || c == '}')) spaced += gap;
            if (c == '"') inString = !inString;
            spaced += c;
        }
        const auto doc = parseBoth(spaced);
        ASSERT_TRUE(doc) << spaced;
        EXPECT_TRUE(sameTree(doc->root(), reference->root())) << spaced;
        // Cut inside the gaps: no prefix parses.
        for (std::size_t cut = 1; cut < spaced.size(); ++cut)
            EXPECT_FALSE(parseBoth(spaced.substr(0, cut))) << spaced.substr(0, cut);
    }
}

} // namespace
} // namespace tapeloft::test
