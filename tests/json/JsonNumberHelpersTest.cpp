// The number arithmetic on its own: eight-digit words, integers past 18 digits, reals and their rounding.
#include "json/JsonNumbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>

namespace tapeloft::test {
namespace {

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Every byte value that is no digit, at every place of the word, with digits or anything after it:
// the count and the sum stop there. Bytes such as ':' and '/' sit right next to the digits.
TEST(JsonNumberHelpers, DigitWordsStopAtTheFirstNonDigit) {
    for (const std::string digits : {"12345678", "00000000", "99999999", "10000001"}) {
        for (std::size_t stop = 0; stop <= 8; ++stop) {
            for (int stopper = 0; stopper < 256; ++stopper) {
                if ((stopper >= '0' && stopper <= '9') || (stop == 8 && stopper > 0)) continue;
                for (const int after : {int{'0'}, int{'9'}, stopper, 0xFF, int{':'}, int{'/'}}) {
                    unsigned char word[8];
                    for (std::size_t k = 0; k < 8; ++k)
                        word[k] = static_cast<unsigned char>(k < stop    ? digits[k]
                                                             : k == stop ? stopper
                                                                         : after);
                    std::uint64_t expected = 42;
                    for (std::size_t k = 0; k < stop; ++k)
                        expected = expected * 10 + static_cast<unsigned>(digits[k] - '0');
                    std::uint64_t magnitude = 42;
                    ASSERT_EQ(detail::takeDigits(word, magnitude), stop)
                        << digits << " stopped at " << stop << " by " << stopper << ", then " << after;
                    ASSERT_EQ(magnitude, expected)
                        << digits << " stopped at " << stop << " by " << stopper << ", then " << after;
                }
            }
        }
    }
}

struct IntegerCase {
    const char* digits;
    bool negative;
    std::int64_t value;
};

// The parser sums digits on the way, wrapping past 64 bits; only up to 18 digits is that sum the value.
TEST(JsonNumberHelpers, IntegersSaturateAsStrtollDoes) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const IntegerCase cases[] = {
        {"999999999999999999", false, 999999999999999999},
        {"999999999999999999", true, -999999999999999999},
        {"1234567890123456789", false, 1234567890123456789},
        {"9223372036854775807", false, kMax},
        {"9223372036854775807", true, -kMax},
        {"9223372036854775808", false, kMax},
        {"9223372036854775808", true, kMin},
        {"9223372036854775809", true, kMin},
        {"18446744073709551617", false, kMax},
        {"99999999999999999999999", true, kMin},
        {"0000000000000000000000042", false, 42},
        {"0000000000000000000000042", true, -42},
    };
    for (const IntegerCase& c : cases) {
        const std::string digits = c.digits;
        const auto* first = reinterpret_cast<const unsigned char*>(digits.data());
        std::uint64_t wrapped = 0;
        for (const char d : digits)
            wrapped = wrapped * 10 + static_cast<unsigned>(d - '0');
        const std::uint64_t bits = detail::integerBits(c.negative, wrapped, first, first + digits.size());
        EXPECT_EQ(static_cast<std::int64_t>(bits), c.value) << (c.negative ? "-" : "") << digits;
        const std::u16string wide(digits.begin(), digits.end());
        EXPECT_EQ(detail::integerBits(c.negative, wrapped, wide.data(), wide.data() + wide.size()), bits)
            << (c.negative ? "-" : "") << digits;
    }
}

struct RoundCase {
    double value;
    std::int32_t rounded;
};

TEST(JsonNumberHelpers, RoundingHalvesToEvenWithinThirtyTwoBits) {
    const RoundCase cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {0.49999999999999994, 0},
        {-0.0, 0},
        {2147483647.4, 2147483647},
        {2147483647.5, kMin32},
        {-2147483647.4, -2147483647},
        {-2147483646.5, -2147483646},
        {-2147483649.5, kMin32},
        {1e300, kMin32},
        {kInf, kMin32},
        {-kInf, kMin32},
        {std::numeric_limits<double>::quiet_NaN(), kMin32},
    };
    for (const RoundCase& c : cases)
        EXPECT_EQ(detail::roundToInt32(c.value), c.rounded) << c.value;
}

struct RealCase {
    std::string token;
    double value;
};

// Either input width gives the same value, through the stack buffer or, past 64 units, the heap.
TEST(JsonNumberHelpers, RealsReadTheLongestNumberInFront) {
    const RealCase cases[] = {
        {"1.5", 1.5},
        {"00012.5e-3", 0.0125},
        {"1.5e", 1.5},
        {"1.5e3.2", 1500.0},
        {".5", 0.5},
        {"-", 0.0},
        {"e5", 0.0},
        {"1e400", kInf},
        {"-1e400", -kInf},
        {"0.1e310", kInf},
        {"0.001e307", 1e304},
        {"1e-400", 0.0},
        {"-1e-400", -0.0},
        {"100000e-330", 0.0},
        {"1e99999999999999999999999", kInf},
        {"1" + std::string(100, '0') + "e-100", 1.0},
        {"-0." + std::string(70, '0') + "1e71", -1.0},
    };
    for (const RealCase& c : cases) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.token.data());
        const std::u16string wide(c.token.begin(), c.token.end());
        const double fromBytes = detail::tokenDouble(bytes, c.token.size());
        const double fromUnits = detail::tokenDouble(wide.data(), wide.size());
        EXPECT_EQ(fromBytes, c.value) << c.token;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fromBytes), std::bit_cast<std::uint64_t>(c.value)) << c.token;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fromUnits), std::bit_cast<std::uint64_t>(fromBytes))
            << c.token;
    }
}

} // namespace
} // namespace tapeloft::test
