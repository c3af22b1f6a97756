// A key given twice in one object: the second value is parsed into the node of the first.
#include "JsonTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tapeloft::test {
namespace {

std::vector<std::u16string> keysOf(const JsonValue& value) {
    std::vector<std::u16string> keys;
    value.members([&](std::u16string_view key, const JsonValue&) { keys.emplace_back(key); });
    return keys;
}

TEST(JsonDuplicateKeys, SecondScalarWins) {
    // Keys match exactly: case and spaces count, escapes do not.
    const auto doc = parseBoth(R"({"a":1,"b":0,"A":3,"a ":4,"\u0061":2})");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().member(u"a").integerValue(), 2);
    EXPECT_EQ(keysOf(doc->root()), (std::vector<std::u16string>{u"a", u"b", u"A", u"a "}));
}

TEST(JsonDuplicateKeys, ObjectsMergeTheirMembers) {
    const auto doc = parseBoth(R"({"a":{"x":1,"y":2},"a":{"y":3,"z":4}})");
    ASSERT_TRUE(doc);
    const JsonValue& a = doc->root().member(u"a");
    EXPECT_EQ(a.memberCount(), 3);
    EXPECT_EQ(a.member(u"x").integerValue(), 1);
    EXPECT_EQ(a.member(u"y").integerValue(), 3);
    EXPECT_EQ(a.member(u"z").integerValue(), 4);
    EXPECT_EQ(keysOf(a), (std::vector<std::u16string>{u"x", u"y", u"z"}));
    // Nested objects merge the same way, however often the key comes.
    const auto nested = parseBoth(R"({"a":{"b":{"c":1}},"a":{"b":{"d":2}},"a":{"b":{"c":5}}})");
    ASSERT_TRUE(nested);
    const JsonValue& b = nested->root().member(u"a").member(u"b");
    EXPECT_EQ(keysOf(b), (std::vector<std::u16string>{u"c", u"d"}));
    EXPECT_EQ(b.member(u"c").integerValue(), 5);
}

TEST(JsonDuplicateKeys, TextViewStaysWhenTheSecondValueSetsNone) {
    struct Case {
        const char* text;
        JsonKind kind;
        std::int32_t integer;
        const char16_t* keptText;
    };
    for (const Case c : {Case{R"({"a":"text","a":5})", JsonKind::Integer, 5, u"text"},
                         Case{R"({"a":"text","a":null})", JsonKind::Null, 0, u"text"},
                         Case{R"({"a":"text","a":TRUE})", JsonKind::True, 1, u"text"},
                         Case{R"({"a":1.5,"a":false})", JsonKind::False, 0, u"1.5"},
                         Case{R"({"a":"text","a":2.5})", JsonKind::Real, 2, u"2.5"},
                         Case{R"({"a":"one","a":"two"})", JsonKind::String, 0, u"two"},
                         // A string sets only its text: the number views stay.
                         Case{R"({"a":1.5,"a":"s"})", JsonKind::String, 2, u"s"}}) {
        const auto doc = parseBoth(c.text);
        ASSERT_TRUE(doc) << c.text;
        const JsonValue& a = doc->root().member(u"a");
        EXPECT_EQ(a.kind(), c.kind) << c.text;
        EXPECT_EQ(a.integerValue(), c.integer) << c.text;
        EXPECT_EQ(a.text(), c.keptText) << c.text;
    }
}

TEST(JsonDuplicateKeys, SecondArrayReplacesTheElements) {
    const auto shorter = parseBoth(R"({"a":[1,2,3],"a":[9]})");
    ASSERT_TRUE(shorter);
    EXPECT_EQ(shorter->root().member(u"a").count(), 1);
    EXPECT_EQ(shorter->root().member(u"a").integerValue(), 1);
    EXPECT_EQ(shorter->root().member(u"a").element(0).integerValue(), 9);
    EXPECT_EQ(shorter->root().member(u"a").element(1).kind(), JsonKind::Unset);
    const auto empty = parseBoth(R"({"a":[1,2,3],"a":[]})");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->root().member(u"a").count(), 0);
    EXPECT_EQ(empty->root().member(u"a").integerValue(), 0);
}

TEST(JsonDuplicateKeys, KindDecidesWhichChildrenAreVisible) {
    // An array over an object hides the members; an object over an array hides the elements.
    const auto arrayOverObject = parseBoth(R"({"a":{"x":1},"a":[5]})");
    ASSERT_TRUE(arrayOverObject);
    const JsonValue& a = arrayOverObject->root().member(u"a");
    EXPECT_EQ(a.kind(), JsonKind::Array);
    EXPECT_EQ(a.memberCount(), 0);
    EXPECT_EQ(a.member(u"x").kind(), JsonKind::Unset);
    EXPECT_TRUE(keysOf(a).empty());
    EXPECT_EQ(a.count(), 1);

    const auto objectOverArray = parseBoth(R"({"a":[5,6],"a":{"x":1}})");
    ASSERT_TRUE(objectOverArray);
    const JsonValue& b = objectOverArray->root().member(u"a");
    EXPECT_EQ(b.kind(), JsonKind::Object);
    EXPECT_EQ(b.count(), 0);
    EXPECT_EQ(b.element(0).kind(), JsonKind::Unset);
    // The object sets no integer view, so the element count stays as the array left it.
    EXPECT_EQ(b.integerValue(), 2);

    // Members kept under an array come back when an object follows again.
    const auto again = parseBoth(R"({"a":{"x":1},"a":[5],"a":{"y":2}})");
    ASSERT_TRUE(again);
    EXPECT_EQ(keysOf(again->root().member(u"a")), (std::vector<std::u16string>{u"x", u"y"}));
}

TEST(JsonDuplicateKeys, EscapedAndPlainSpellingsAreOneKey) {
    // Escaped spellings first, then hundreds of plain keys so that the key tables grow, then the
    // plain spellings of the first ones.
    std::string text = R"({"\u0061":1,"\u0062\u0063":2,"\u00e9":3)";
    for (int i = 0; i < 700; ++i)
        text += ",\"k" + std::to_string(i) + "\":" + std::to_string(i);
    text += R"(,"a":10,"bc":20,"é":30,"k5":-5})";
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().memberCount(), 703);
    EXPECT_EQ(doc->root().member(u"a").integerValue(), 10);
    EXPECT_EQ(doc->root().member(u"bc").integerValue(), 20);
    EXPECT_EQ(doc->root().member(u"é").integerValue(), 30);
    EXPECT_EQ(doc->root().member(u"k5").integerValue(), -5);
    EXPECT_EQ(doc->root().member(u"k699").integerValue(), 699);
    // The same in a second object, where the plain spellings come first.
    const auto second = parseBoth(R"([{"\u0061":1},{"a":2,"\u0061":3,"a":4}])");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->root().element(1).memberCount(), 1);
    EXPECT_EQ(second->root().element(1).member(u"a").integerValue(), 4);
}

TEST(JsonDuplicateKeys, KeyOrderChangesBetweenSiblings) {
    // Siblings usually repeat their keys in the same order; when they do not, nothing is lost.
    const auto doc = parseBoth(R"([{"a":1,"b":2,"c":3},{"a":4,"c":5,"b":6},{"b":7,"a":8,"b":9},{"c":0}])");
    ASSERT_TRUE(doc);
    const JsonValue& root = doc->root();
    EXPECT_EQ(root.element(1).member(u"b").integerValue(), 6);
    EXPECT_EQ(root.element(1).member(u"c").integerValue(), 5);
    EXPECT_EQ(root.element(2).memberCount(), 2);
    EXPECT_EQ(root.element(2).member(u"b").integerValue(), 9);
    EXPECT_EQ(root.element(3).memberCount(), 1);
}

TEST(JsonDuplicateKeys, SameKeyInsideAndOutside) {
    // A key last seen in a nested object may or may not be in the outer one already.
    const auto doc = parseBoth(R"({"a":{"a":{"a":1},"b":2},"b":{"a":3},"a":{"c":4},"b":5})");
    ASSERT_TRUE(doc);
    const JsonValue& root = doc->root();
    EXPECT_EQ(root.memberCount(), 2);
    EXPECT_EQ(root.member(u"a").memberCount(), 3);
    EXPECT_EQ(root.member(u"a").member(u"a").member(u"a").integerValue(), 1);
    EXPECT_EQ(root.member(u"a").member(u"c").integerValue(), 4);
    EXPECT_EQ(root.member(u"b").kind(), JsonKind::Integer);
    EXPECT_EQ(root.member(u"b").member(u"a").kind(), JsonKind::Unset);
}

TEST(JsonDuplicateKeys, ObjectFilledAgainAfterItsKeysWereUsedOutside) {
    // "x" goes to the outer object between the two parts of "a": the second part must still find
    // the "x" of the first.
    const auto doc = parseBoth(R"({"a":{"x":1,"y":1},"x":5,"y":6,"a":{"x":2,"z":3}})");
    ASSERT_TRUE(doc);
    const JsonValue& a = doc->root().member(u"a");
    EXPECT_EQ(a.memberCount(), 3);
    EXPECT_EQ(a.member(u"x").integerValue(), 2);
    EXPECT_EQ(doc->root().member(u"x").integerValue(), 5);
}

TEST(JsonDuplicateKeys, KeysSharedWithChildrenInALargeObject) {
    // Every key of the outer object is first used inside a child, then repeated or added outside.
    std::string text = "{";
    for (int i = 0; i < 40; ++i)
        text += "\"k" + std::to_string(i) + "\":{\"k" + std::to_string(i) + "\":1,\"n" + std::to_string(i) +
                "\":1},";
    for (int i = 0; i < 40; i += 3)
        text += "\"n" + std::to_string(i) + "\":2,\"k" + std::to_string(i) + "\":3,";
    text += "\"end\":0}";
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    const JsonValue& root = doc->root();
    EXPECT_EQ(root.memberCount(), 40 + 14 + 1);
    for (int i = 0; i < 40; ++i) {
        const std::string k = "k" + std::to_string(i), n = "n" + std::to_string(i);
        const JsonValue& kv = root.member(std::u16string(k.begin(), k.end()));
        const JsonValue& nv = root.member(std::u16string(n.begin(), n.end()));
        if (i % 3 == 0) {
            EXPECT_EQ(kv.kind(), JsonKind::Integer) << i;
            EXPECT_EQ(kv.integerValue(), 3) << i;
            EXPECT_EQ(nv.integerValue(), 2) << i;
        } else {
            EXPECT_EQ(kv.member(std::u16string(k.begin(), k.end())).integerValue(), 1) << i;
            EXPECT_EQ(nv.kind(), JsonKind::Unset) << i;
        }
    }
}

TEST(JsonDuplicateKeys, RepeatedMergesOfALargeObjectStayFast) {
    // Each repeat adds one member to a big object; re-reading the whole object each time would be
    // quadratic and take minutes here.
    std::string text = R"({"a":{)";
    for (int i = 0; i < 20000; ++i)
        text += "\"m" + std::to_string(i) + "\":1,";
    text += R"("last":1})";
    for (int i = 0; i < 20000; ++i)
        text += R"(,"a":{"n)" + std::to_string(i) + "\":2}";
    text += "}";
    const auto doc = parseJsonUtf8(text);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().member(u"a").memberCount(), 40001);
    EXPECT_EQ(doc->root().member(u"a").member(u"n19999").integerValue(), 2);
    EXPECT_EQ(doc->root().member(u"a").member(u"m0").integerValue(), 1);
}

} // namespace
} // namespace tapeloft::test
