// Hostile input: nesting depth, noise and damaged documents must fail or parse, never crash.
#include "JsonTestSupport.h"

#include "base/TextCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tapeloft::test {
namespace {

std::string nestedArrays(int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
}

std::string nestedMixed(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += i % 2 == 0 ? "{\"k\":" : "[";
        close.insert(0, i % 2 == 0 ? "}" : "]");
    }
    return open + "1" + close;
}

TEST(JsonRobustness, NestingUpTo512LevelsParses) {
    const auto arrays = parseBoth(nestedArrays(512));
    ASSERT_TRUE(arrays);
    const JsonValue* v = &arrays->root();
    for (int level = 1; level < 512; ++level)
        v = &v->element(0);
    EXPECT_EQ(v->kind(), JsonKind::Array);
    EXPECT_EQ(v->count(), 0);
    EXPECT_TRUE(parseBoth(nestedMixed(512)));
}

TEST(JsonRobustness, NestingDeeperThan512LevelsFails) {
    EXPECT_FALSE(parseBoth(nestedArrays(513)));
    EXPECT_FALSE(parseBoth(nestedMixed(513)));
    EXPECT_FALSE(parseBoth(nestedArrays(100000)));
    EXPECT_FALSE(parseBoth(std::string(100000, '[')));
    EXPECT_FALSE(parseBoth(nestedMixed(100000)));
}

TEST(JsonRobustness, DepthCountsOnlyOpenContainers) {
    // Many siblings at depth 512 are fine: closing a container gives its level back.
    std::string text = std::string(511, '[');
    for (int i = 0; i < 100; ++i)
        text += "[],";
    text += "[]" + std::string(511, ']');
    EXPECT_TRUE(parseBoth(text));
}

// Random texts over an alphabet rich in the characters the parser acts on, plus arbitrary bytes.
std::string noise(std::mt19937& random, std::size_t length) {
    static const std::string alphabet = "{}[]\",:\\u0123456789abcdefEe.+- \t\n\rnulltruefalse";
    std::string text;
    // Plain modulo rather than a distribution, so the sequence is the same with every library.
    auto pick = [&random] { return static_cast<int>(random() % 100); };
    for (std::size_t i = 0; i < length; ++i) {
        const int p = pick();
        if (p < 80)
            text += alphabet[static_cast<std::size_t>(random() % alphabet.size())];
        else
            text += static_cast<char>(random() % 256);
    }
    if (!text.empty() && pick() < 60) text[0] = pick() < 50 ? '{' : '[';
    return text;
}

TEST(JsonRobustness, RandomNoiseNeverCrashesAndBothEntryPointsAgree) {
    std::mt19937 random(20240611);
    int parsed = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = noise(random, 1 + static_cast<std::size_t>(random() % 64));
        if (parseBoth(text)) ++parsed;
        if (::testing::Test::HasFailure()) break;
    }
    // Some of the noise must get past the first checks for this to test anything.
    EXPECT_GT(parsed, 100);
}

TEST(JsonRobustness, DamagedDocumentsNeverCrashAndBothEntryPointsAgree) {
    const std::string valid =
        R"([{"arenaUniqueID":30414406638132238,"common":{"winnerTeam":1,"duration":412.5E0},)"
        R"("personal":{"51233":{"xp":850,"achievements":[12,34],"name":"Игрок \"1\" 😀\u0041"}}},)"
        R"({"7":{"team":2,"isAlive":TRUE,"frags":null,"vehicleType":"nation:Tank"}},[1,2.5,-3e2,"x"]])";
    ASSERT_TRUE(parseBoth(valid));
    std::mt19937 random(7);
    const std::string inserts = "{}[]\",:\\u \xD0\xF0\x9F";
    for (int i = 0; i < 5000; ++i) {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
            case 0:
                text.erase(at, 1 + random() % 3);
                break;
            case 1:
                text.insert(at, 1, inserts[random() % inserts.size()]);
                break;
            default:
                text[at] = static_cast<char>(random() % 256);
                break;
            }
            if (text.empty()) text = "[";
        }
        parseBoth(text);
        // Every prefix must fail or parse cleanly too: the end of the text can fall anywhere.
        if (i % 50 == 0)
            for (std::size_t cut = 0; cut < text.size(); cut += 7)
                parseBoth(text.substr(0, cut));
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(JsonRobustness, Utf16InputWithLoneSurrogatesAndNul) {
    const std::u16string text(u"{\"a\":\"x\xD800y\",\"b\":\"\xDC00\",\"c\":\"\0\"}", 27);
    const auto doc = parseJson(text);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().member(u"a").text(), std::u16string(u"x\xD800y"));
    EXPECT_EQ(doc->root().member(u"b").text().size(), 1u);
    EXPECT_EQ(doc->root().member(u"c").text(), std::u16string(1, u'\0'));
    // Outside strings a surrogate is just another character that fails the parse.
    EXPECT_FALSE(parseJson(u"[\xD800]"));
}

TEST(JsonRobustness, ManyNodesAcrossArenaBlocks) {
    std::string text = "[";
    for (int i = 0; i < 50000; ++i)
        text +=
            R"({"id":)" + std::to_string(i) + R"(,"name":"n)" + std::to_string(i) + R"(","v":[1.5,true]},)";
    text += "0]";
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->root().count(), 50001);
    for (int i = 0; i < 50000; i += 997) {
        const JsonValue& item = doc->root().element(i);
        EXPECT_EQ(item.member(u"id").integerValue(), i);
        EXPECT_EQ(narrow(item.member(u"name").text()), "n" + std::to_string(i));
        EXPECT_EQ(item.member(u"v").element(0).text(), u"1.5");
    }
}

} // namespace
} // namespace tapeloft::test
