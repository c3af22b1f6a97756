// Number tokens: Integer and Real, their three views, and the rounding of Reals to integers.
#include "JsonTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace tapeloft::test {
namespace {

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Parses "[token]" both ways and returns the element's views.
struct Views {
    JsonKind kind;
    std::int32_t integer;
    double real;
    std::u16string text;
};

Views parseToken(const std::string& token) {
    const auto doc = parseBoth("[" + token + "]");
    EXPECT_TRUE(doc) << token;
    if (!doc) return {JsonKind::Unset, 0, 0.0, {}};
    const JsonValue& v = doc->root().element(0);
    return {v.kind(), v.integerValue(), v.realValue(), std::u16string(v.text())};
}

struct IntegerCase {
    const char* token;
    std::int32_t value;
};

class JsonIntegers : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(JsonIntegers, KeepLow32BitsAndNoText) {
    const auto [token, value] = GetParam();
    const Views v = parseToken(token);
    EXPECT_EQ(v.kind, JsonKind::Integer) << token;
    EXPECT_EQ(v.integer, value) << token;
    EXPECT_EQ(v.real, static_cast<double>(value)) << token;
    EXPECT_TRUE(v.text.empty()) << token;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, JsonIntegers,
    ::testing::Values(IntegerCase{"12", 12}, IntegerCase{"-7", -7}, IntegerCase{"0", 0}, IntegerCase{"-0", 0},
                      IntegerCase{"007", 7}, IntegerCase{"-", 0}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", kMin32}, IntegerCase{"2147483648", kMin32},
                      IntegerCase{"3000000000", -1294967296}, IntegerCase{"4294967297", 1},
                      // Eight-digit blocks and their boundaries.
                      IntegerCase{"12345678", 12345678}, IntegerCase{"123456789", 123456789},
                      IntegerCase{"1234567890123456", 1015724736},
                      IntegerCase{"30414406638132238", -541565938}, IntegerCase{"-123456789012", 1097262572},
                      // Beyond 64 bits the read saturates before the low 32 bits are taken.
                      IntegerCase{"9223372036854775807", -1}, IntegerCase{"9223372036854775808", -1},
                      IntegerCase{"99999999999999999999999", -1}, IntegerCase{"-9223372036854775808", 0},
                      IntegerCase{"-9223372036854775809", 0}, IntegerCase{"-99999999999999999999999", 0}));

struct RealCase {
    const char* token;
    double real;
    std::int32_t integer;
    const char16_t* text;
};

class JsonReals : public ::testing::TestWithParam<RealCase> {};

TEST_P(JsonReals, ValueRoundingAndText) {
    const RealCase c = GetParam();
    const Views v = parseToken(c.token);
    EXPECT_EQ(v.kind, JsonKind::Real) << c.token;
    EXPECT_EQ(v.real, c.real) << c.token;
    EXPECT_EQ(v.integer, c.integer) << c.token;
    EXPECT_EQ(v.text, c.text) << c.token;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, JsonReals,
    ::testing::Values(
        RealCase{"1.5", 1.5, 2, u"1.5"}, RealCase{"2.5", 2.5, 2, u"2.5"}, RealCase{"3.5", 3.5, 4, u"3.5"},
        RealCase{"-2.5", -2.5, -2, u"-2.5"}, RealCase{"-1.5", -1.5, -2, u"-1.5"},
        RealCase{"0.5", 0.5, 0, u"0.5"}, RealCase{"2.4999", 2.4999, 2, u"2.4999"},
        RealCase{"2.5001", 2.5001, 3, u"2.5001"}, RealCase{"-0.7", -0.7, -1, u"-0.7"},
        RealCase{".5", 0.5, 0, u".5"}, RealCase{"-.25", -0.25, 0, u"-.25"}, RealCase{"1.", 1.0, 1, u"1."},
        RealCase{"1.e2", 100.0, 100, u"1.e2"},
        // Exponents: 'E' reads as 'e' in the text view.
        RealCase{"1E3", 1000.0, 1000, u"1e3"}, RealCase{"1e-2", 0.01, 0, u"1e-2"},
        RealCase{"1E+2", 100.0, 100, u"1e+2"}, RealCase{"-5e2", -500.0, -500, u"-5e2"},
        RealCase{"12e-1", 1.2, 1, u"12e-1"}, RealCase{"1.5E1", 15.0, 15, u"1.5e1"},
        // The longest leading part that reads as a number.
        RealCase{"1.2.3", 1.2, 1, u"1.2.3"}, RealCase{"1.5e3.2", 1500.0, 1500, u"1.5e3.2"},
        RealCase{"1.5e", 1.5, 2, u"1.5e"}, RealCase{".", 0.0, 0, u"."}, RealCase{"-.", 0.0, 0, u"-."},
        // Without a '.': the part before the first e times ten to the part after it.
        RealCase{"1e5e3", 100000.0, 100000, u"1e5e3"}, RealCase{"5e", 5.0, 5, u"5e"},
        RealCase{"5e-", 5.0, 5, u"5e-"}, RealCase{"e5", 0.0, 0, u"e5"}, RealCase{"-e", 0.0, 0, u"-e"},
        RealCase{"0e400", 0.0, 0, u"0e400"},
        // Outside the 32-bit range the integer view is the smallest 32-bit number.
        RealCase{"3000000000.0", 3e9, kMin32, u"3000000000.0"},
        RealCase{"2147483647.4", 2147483647.4, 2147483647, u"2147483647.4"},
        RealCase{"2147483647.5", 2147483647.5, kMin32, u"2147483647.5"},
        RealCase{"-2147483648.5", -2147483648.5, kMin32 /* rounds to even -2147483648 */, u"-2147483648.5"},
        RealCase{"-2147483649.5", -2147483649.5, kMin32, u"-2147483649.5"},
        RealCase{"-2147483646.5", -2147483646.5, -2147483646, u"-2147483646.5"},
        RealCase{"1e400", kInf, kMin32, u"1e400"},
        RealCase{"-1.0e99999999999999999999", -kInf, kMin32, u"-1.0e99999999999999999999"},
        RealCase{"1e-400", 0.0, 0, u"1e-400"},
        RealCase{"123.456e-99999999999", 0.0, 0, u"123.456e-99999999999"}));

TEST(JsonNumbers, LongMantissasReadCorrectly) {
    EXPECT_EQ(parseToken("12345678901234567890123e-3").real, 12345678901234567890123e-3);
    EXPECT_EQ(parseToken("0.1000000000000000055511151231257827021181583404541015625").real, 0.1);
    EXPECT_EQ(parseToken(std::string(400, '1') + "e-399").real, 1.1111111111111111);
}

TEST(JsonNumbers, ManyNumbersInOneArray) {
    // Digits at every offset against the eight-byte reads, and tokens running into the text's end.
    std::string text = "[";
    for (int i = 0; i < 300; ++i)
        text += std::to_string(static_cast<long long>(i) * 7919 * (i % 3 == 0 ? -1 : 1)) + ",";
    text += "1]";
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->root().count(), 301);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(doc->root().element(i).integerValue(), i * 7919 * (i % 3 == 0 ? -1 : 1)) << i;
}

} // namespace
} // namespace tapeloft::test
