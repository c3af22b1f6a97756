// Document structure: what parses, what fails, and the lenient readings of malformed input.
#include "JsonTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace tapeloft::test {
namespace {

struct FailCase {
    const char* name;
    std::string text;
};

class JsonRejects : public ::testing::TestWithParam<FailCase> {};

TEST_P(JsonRejects, WholeDocument) {
    EXPECT_FALSE(parseBoth(GetParam().text).has_value()) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Parse, JsonRejects,
    ::testing::Values(
        // The root.
        FailCase{"Empty", ""}, FailCase{"OnlySpaces", "   "}, FailCase{"LineFeedBeforeRoot", "\n{}"},
        FailCase{"TabBeforeRoot", "\t[]"}, FailCase{"ScalarRoot", "12"}, FailCase{"StringRoot", "\"a\""},
        FailCase{"LiteralRoot", "null"},
        // The end of the text inside the document, whitespace included.
        FailCase{"OpenObject", "{"}, FailCase{"OpenArray", "["}, FailCase{"OpenAfterSpace", "[1 "},
        FailCase{"AfterComma", "[1,"}, FailCase{"AfterKey", "{\"a\""}, FailCase{"AfterColon", "{\"a\":"},
        FailCase{"AfterValue", "{\"a\":1"}, FailCase{"NumberAtEnd", "[12"}, FailCase{"LiteralAtEnd", "[true"},
        FailCase{"ShortLiteral", "[nul"},
        // Objects.
        FailCase{"UnquotedKey", "{a:1}"}, FailCase{"MissingColon", "{\"a\" 1}"},
        FailCase{"CommaBeforeBrace", "{\"a\":1,}"}, FailCase{"CommaSpaceBrace", "{\"a\":1, }"},
        FailCase{"LoneComma", "{,}"}, FailCase{"BracketClosesObject", "{\"a\":1]"},
        FailCase{"NumberBeforeQuote", "{\"a\":1\"b\":2}"}, FailCase{"StringThenNumber", "{\"a\":\"x\"1}"},
        // Literals are judged by what follows them.
        FailCase{"LiteralTailInObject", "{\"a\":nullx}"}, FailCase{"LiteralTailInArray", "[nullx]"},
        FailCase{"TrueTail", "[truex]"},
        // Number tokens.
        FailCase{"PlusSign", "[+1]"}, FailCase{"MinusInside", "[1-2]"}, FailCase{"DoubleMinus", "[--1]"},
        FailCase{"TwoExponentSigns", "[1e+-2]"}, FailCase{"HexNumber", "[0x10]"},
        FailCase{"LetterTail", "[1a]"}, FailCase{"Word", "[hello]"},
        // A brace where an array value or separator belongs: an empty value followed by the
        // brace, read again and again, would otherwise never end.
        FailCase{"BraceInArray", "[}"}, FailCase{"BraceAfterElement", "[1}"},
        FailCase{"BraceAfterSpace", "{\"a\":[1 }}"},
        // NUL is an ordinary character only inside strings.
        FailCase{"NulAsValue", std::string("[\0]", 3)}, FailCase{"NulBeforeRoot", std::string("\0{}", 3)}),
    [](const ::testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

TEST(JsonParse, SpacesAroundTheRootAreTrimmed) {
    const auto doc = parseBoth("   {}   ");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().kind(), JsonKind::Object);
    EXPECT_EQ(doc->root().memberCount(), 0);
}

TEST(JsonParse, TextAfterTheRootIsIgnored) {
    for (const char* text : {"{} and more", "[1]]]", "{}{", "[2] \"unclosed"}) {
        const auto doc = parseBoth(text);
        ASSERT_TRUE(doc) << text;
    }
    EXPECT_EQ(parseBoth("[7]]")->root().element(0).integerValue(), 7);
}

TEST(JsonParse, WhitespaceIsSpaceTabLineFeedAndCarriageReturn) {
    const auto doc = parseBoth("{\r\n\t\"a\"\t:\r\n[ 1 ,\n2 ]\t}");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().member(u"a").count(), 2);
    // Form feed and vertical tab are not whitespace.
    EXPECT_FALSE(parseBoth("{\f\"a\":1}"));
    EXPECT_FALSE(parseBoth("[1\v]"));
}

TEST(JsonParse, MembersNeedNoCommaBetweenThem) {
    const auto doc = parseBoth(R"({"a":1 "b":2 "c":true"d":"x""e":{}})");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().memberCount(), 5);
    EXPECT_EQ(doc->root().member(u"a").integerValue(), 1);
    EXPECT_EQ(doc->root().member(u"b").integerValue(), 2);
    EXPECT_EQ(doc->root().member(u"c").kind(), JsonKind::True);
    EXPECT_EQ(doc->root().member(u"d").text(), u"x");
    EXPECT_EQ(doc->root().member(u"e").kind(), JsonKind::Object);
}

TEST(JsonParse, EmptyValuesAreIntegerZero) {
    const auto object = parseBoth(R"({"a":,"b": ,"c":})");
    ASSERT_TRUE(object);
    for (const char16_t* key : {u"a", u"b", u"c"}) {
        EXPECT_EQ(object->root().member(key).kind(), JsonKind::Integer) << narrow(key);
        EXPECT_EQ(object->root().member(key).integerValue(), 0);
        EXPECT_TRUE(object->root().member(key).text().empty());
    }
    // No check for ']' follows a comma: the trailing empty value is an element too.
    for (const char* text : {"[,]", "[1,]", "[1, ]"}) {
        const auto array = parseBoth(text);
        ASSERT_TRUE(array) << text;
        EXPECT_EQ(array->root().count(), 2) << text;
        EXPECT_EQ(array->root().element(1).kind(), JsonKind::Integer) << text;
        EXPECT_EQ(array->root().element(1).integerValue(), 0) << text;
    }
}

TEST(JsonParse, ValueWithoutCommaReplacesTheElementBefore) {
    struct Case {
        const char* text;
        std::int32_t count;
        std::int32_t last;
    };
    for (const Case c :
         {Case{"[1 2]", 1, 2}, Case{"[1,2 3]", 2, 3}, Case{"[1 2 3,4]", 2, 4}, Case{"[[1][2]]", 1, 2}}) {
        const auto doc = parseBoth(c.text);
        ASSERT_TRUE(doc) << c.text;
        EXPECT_EQ(doc->root().count(), c.count) << c.text;
        EXPECT_EQ(doc->root().integerValue(), c.count) << c.text;
        const JsonValue& last = doc->root().element(c.count - 1);
        EXPECT_EQ(last.kind() == JsonKind::Array ? last.element(0).integerValue() : last.integerValue(),
                  c.last)
            << c.text;
    }
    // The replacement is a fresh node, not a merge.
    const auto doc = parseBoth(R"([{"a":1}{"b":2}])");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().element(0).memberCount(), 1);
    EXPECT_EQ(doc->root().element(0).member(u"a").kind(), JsonKind::Unset);
    EXPECT_EQ(doc->root().element(0).member(u"b").integerValue(), 2);
    // A string may follow a literal directly and replaces it.
    const auto replaced = parseBoth(R"([null"x"])");
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->root().element(0).text(), u"x");
}

TEST(JsonParse, LiteralsInAnyLetterCase) {
    const auto doc = parseBoth("[NULL,True,FALSE,nUlL,tRUE,faLSE,null,true,false]");
    ASSERT_TRUE(doc);
    const JsonKind expected[] = {JsonKind::Null, JsonKind::True, JsonKind::False,
                                 JsonKind::Null, JsonKind::True, JsonKind::False,
                                 JsonKind::Null, JsonKind::True, JsonKind::False};
    ASSERT_EQ(doc->root().count(), 9);
    for (std::int32_t i = 0; i < 9; ++i) {
        const JsonValue& v = doc->root().element(i);
        EXPECT_EQ(v.kind(), expected[i]) << i;
        const int one = v.kind() == JsonKind::True ? 1 : 0;
        EXPECT_EQ(v.integerValue(), one) << i;
        EXPECT_EQ(v.realValue(), one) << i;
        EXPECT_TRUE(v.text().empty());
    }
}

} // namespace
} // namespace tapeloft::test
