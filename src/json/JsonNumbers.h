#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

// The arithmetic of number tokens: integers summed eight digits at a time where the input allows,
// saturated past 18 digits as strtoll does; reals read as the longest leading part that is a number.
// What runs per token is inline, as the parser was tuned with it inlined.
namespace tapeloft::detail {

// The units that end a number token where an integer usually ends: comma, closing bracket or
// brace, whitespace.
inline constexpr std::array<bool, 256> kEndsNumber = [] {
    std::array<bool, 256> ends{};
    for (const unsigned char c : {',', ']', '}', ' ', '\n', '\r', '\t'})
        ends[c] = true;
    return ends;
}();

// The high bit of every byte of the eight digit values (bytes less '0') whose value is 10 or more.
// Carries only rise above a flagged byte, so the lowest flag is exact.
inline std::uint64_t nonDigitFlags(std::uint64_t values) {
    return ((values + 0x7676767676767676ull) | values) & 0x8080808080808080ull;
}

// The number that the first n (1 to 8) of the eight digit values in `values` spell, the first
// digit in the lowest byte.
inline std::uint64_t digitValue(std::uint64_t values, std::size_t n) {
    // Shifting pads the number with leading zeros to eight digits.
    std::uint64_t v = values << (8 * (8 - n));
    v = (v * 10) + (v >> 8);
    v = (((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
         (((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
        32;
    return v & 0xFFFFFFFFu;
}

// Adds the leading digits among the eight bytes at p to `magnitude`, returns how many.
inline std::size_t takeDigits(const unsigned char* p, std::uint64_t& magnitude) {
    static constexpr std::uint64_t kPowers[9] = {1,      10,      100,      1000,     10000,
                                                 100000, 1000000, 10000000, 100000000};
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t values = word ^ 0x3030303030303030ull;
    const std::uint64_t flags = nonDigitFlags(values);
    const std::size_t n = flags == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(flags)) / 8;
    if (n == 0) return 0;
    magnitude = magnitude * kPowers[n] + digitValue(values, n);
    return n;
}

// Digits of more than 18 places, read as a signed 64-bit number saturating as strtoll does.
template <class Unit> inline std::uint64_t saturatedInteger(bool negative, const Unit* p, const Unit* end) {
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    std::uint64_t magnitude = 0;
    for (; p != end; ++p) {
        const auto digit = static_cast<std::uint64_t>(*p - '0');
        if (magnitude > (limit - digit) / 10) return negative ? 0 - limit : limit;
        magnitude = magnitude * 10 + digit;
    }
    return negative ? 0 - magnitude : magnitude;
}

// The 64-bit value of an integer token from its digits and their sum taken on the way, which is
// exact up to 18 digits.
template <class Unit>
inline std::uint64_t integerBits(bool negative, std::uint64_t magnitude, const Unit* digits,
                                 const Unit* end) {
    if (end - digits > 18) return saturatedInteger(negative, digits, end);
    return negative ? 0 - magnitude : magnitude;
}

// The value of the longest leading part of an ASCII number token that reads as a floating-point
// number, '.' as the decimal separator whatever the locale; 0 when there is none. Too large gives
// an infinity, too small a zero, as strtod does.
double leadingDouble(const char* first, const char* last);

// Nearest integer, halves to even; -2147483648 when that lies outside the signed 32-bit range.
std::int32_t roundToInt32(double value);

// leadingDouble of a token of `size` units, all of them ASCII.
template <class Unit> inline double tokenDouble(const Unit* token, std::size_t size) {
    if constexpr (std::is_same_v<Unit, unsigned char>) {
        return leadingDouble(reinterpret_cast<const char*>(token),
                             reinterpret_cast<const char*>(token + size));
    } else {
        char small[64];
        std::vector<char> large;
        char* ascii = small;
        if (size > sizeof small) {
            large.resize(size);
            ascii = large.data();
        }
        for (std::size_t k = 0; k < size; ++k)
            ascii[k] = static_cast<char>(token[k]);
        return leadingDouble(ascii, ascii + size);
    }
}

} // namespace tapeloft::detail
