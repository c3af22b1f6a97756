#include "json/JsonNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace tapeloft::detail {

double leadingDouble(const char* first, const char* last) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc{}) return value;
    if (error != std::errc::result_out_of_range) return 0.0;
    // Out of range: the position of the first significant digit plus the exponent tells which side.
    const char* p = first;
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    std::int64_t magnitude = 0;
    bool significant = false;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        significant = significant || *p != '0';
        if (significant) ++magnitude;
    }
    if (p != end && *p == '.') {
        for (++p; p != end && *p >= '0' && *p <= '9' && !significant; ++p) {
            significant = *p != '0';
            if (!significant) --magnitude;
        }
        while (p != end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p != end && *p == '-';
        if (p != end && (*p == '-' || *p == '+')) ++p;
        std::int64_t exponent = 0;
        for (; p != end && *p >= '0' && *p <= '9'; ++p)
            exponent = std::min<std::int64_t>(exponent * 10 + (*p - '0'), std::int64_t{1} << 40);
        magnitude += negativeExponent ? -exponent : exponent;
    }
    const double result = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -result : result;
}

std::int32_t roundToInt32(double value) {
    if (!std::isfinite(value)) return std::numeric_limits<std::int32_t>::min();
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
    if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

} // namespace tapeloft::detail
