// Lookups never fail, member visiting order, and document ownership.
#include "JsonTestSupport.h"

#include "base/TextCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tapeloft::test {
namespace {

void expectEmpty(const JsonValue& v, const char* what) {
    EXPECT_EQ(&v, &JsonValue::empty()) << what;
    EXPECT_EQ(v.kind(), JsonKind::Unset) << what;
    EXPECT_TRUE(v.text().empty()) << what;
    EXPECT_EQ(v.integerValue(), 0) << what;
    EXPECT_EQ(v.realValue(), 0.0) << what;
    EXPECT_EQ(v.count(), 0) << what;
    EXPECT_EQ(v.memberCount(), 0) << what;
}

TEST(JsonLookups, MissingStepsGiveTheSharedEmptyValue) {
    const auto doc = parseBoth(R"([{"personal":{"xp":5},"n":7,"s":"x","l":[1,2]}])");
    ASSERT_TRUE(doc);
    const JsonValue& root = doc->root();
    expectEmpty(root.element(0).member(u"missing"), "missing key");
    expectEmpty(root.element(0).member(u"n").member(u"x"), "member of a number");
    expectEmpty(root.element(0).member(u"s").member(u"x"), "member of a string");
    expectEmpty(root.element(0).member(u"l").member(u"0"), "member of an array");
    expectEmpty(root.member(u"personal"), "member of the root array");
    expectEmpty(root.element(1), "element at count");
    expectEmpty(root.element(-1), "negative element");
    expectEmpty(root.element(std::int64_t{1} << 40), "huge element");
    expectEmpty(root.element(0).element(0), "element of an object");
    expectEmpty(root.element(0).member(u"s").element(0), "element of a string");
    expectEmpty(root.element(3).member(u"personal").member(u"lifeTime"), "chain through nothing");
    expectEmpty(JsonValue::empty().member(u"x").element(0), "lookups on the empty value");
    EXPECT_EQ(root.element(0).member(u"personal").member(u"xp").integerValue(), 5);
    int visits = 0;
    for (const JsonValue* v : {&JsonValue::empty(), &root, &root.element(0).member(u"l")})
        v->members([&](std::u16string_view, const JsonValue&) { ++visits; });
    EXPECT_EQ(visits, 0);
}

TEST(JsonLookups, MembersVisitInDocumentOrderOfFirstOccurrence) {
    const auto doc = parseBoth(R"({"zeta":1,"alpha":2,"mid":{"b":1,"a":2},"alpha":3,"beta":4})");
    ASSERT_TRUE(doc);
    std::vector<std::pair<std::u16string, std::int32_t>> seen;
    doc->root().members([&](std::u16string_view key, const JsonValue& value) {
        seen.emplace_back(std::u16string(key), value.integerValue());
    });
    const std::vector<std::pair<std::u16string, std::int32_t>> expected = {
        {u"zeta", 1}, {u"alpha", 3}, {u"mid", 0}, {u"beta", 4}};
    EXPECT_EQ(seen, expected);
}

TEST(JsonLookups, LargeObjectFindsEveryMember) {
    std::string text = "{";
    for (int i = 0; i < 5000; ++i)
        text += (i ? ",\"" : "\"") + std::to_string(i * 37) + "\":" + std::to_string(i);
    text += "}";
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().memberCount(), 5000);
    for (int i = 0; i < 5000; ++i) {
        const std::u16string key = ascii(std::to_string(i * 37));
        ASSERT_EQ(doc->root().member(key).kind(), JsonKind::Integer) << i;
        ASSERT_EQ(doc->root().member(key).integerValue(), i);
        // Neighbours that are not keys.
        ASSERT_EQ(doc->root().member(ascii(std::to_string(i * 37 + 1))).kind(), JsonKind::Unset);
    }
    EXPECT_EQ(doc->root().member(u"").kind(), JsonKind::Unset);
    int next = 0;
    doc->root().members([&](std::u16string_view key, const JsonValue& value) {
        EXPECT_EQ(key, ascii(std::to_string(next * 37)));
        EXPECT_EQ(value.integerValue(), next++);
    });
    EXPECT_EQ(next, 5000);
}

TEST(JsonLookups, DocumentMovesWithoutInvalidatingReferences) {
    auto doc = parseJsonUtf8(R"({"a":[1,2,{"b":"text"}]})");
    ASSERT_TRUE(doc);
    const JsonValue& b = doc->root().member(u"a").element(2).member(u"b");
    const JsonValue* root = &doc->root();
    JsonDocument moved = std::move(*doc);
    EXPECT_EQ(&moved.root(), root);
    EXPECT_EQ(b.text(), u"text");
    EXPECT_EQ(doc->root().kind(), JsonKind::Unset); // NOLINT(bugprone-use-after-move): moved-from is defined
    JsonDocument other = std::move(*parseJsonUtf8("[3]"));
    other = std::move(moved);
    EXPECT_EQ(other.root().member(u"a").count(), 3);
}

} // namespace
} // namespace tapeloft::test
