#include "app/ListSorter.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace tapeloft {

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Part of text from 0-based start, at most count characters; empty past the end.
std::u16string_view clippedPart(std::u16string_view text, std::size_t start, std::size_t count) {
    if (start >= text.size()) return {};
    return text.substr(start, count);
}

// Decides between overflow and underflow when from_chars reports a value out of range:
// the decimal order of the first significant digit, plus the exponent.
double outOfRangeValue(std::string_view mantissa, long long exponent) {
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return 0.0;
    const long long order =
        first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
    return order + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// Keys sit next to their row numbers, so that the sort walks one contiguous array.
template <typename Key> struct Entry {
    Key key;
    std::uint32_t index;
};

// A date key: at most 2 + 2 + 4 + 8 characters, lower-cased, packed four to a word with the first
// character highest, so that comparing the words compares the texts (size breaks ties of zero padding).
struct DateKey {
    std::array<std::uint64_t, 4> words{};
    std::uint8_t size = 0;

    friend bool operator<(const DateKey& a, const DateKey& b) {
        if (a.words != b.words) return a.words < b.words;
        return a.size < b.size;
    }
};

template <typename Key>
std::vector<std::uint32_t> stableOrder(std::vector<Entry<Key>>& entries, SortDirection direction) {
    // Descending negates the comparison; equal keys keep their order either way.
    if (direction == SortDirection::Descending)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry<Key>& a, const Entry<Key>& b) { return b.key < a.key; });
    else
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry<Key>& a, const Entry<Key>& b) { return a.key < b.key; });
    std::vector<std::uint32_t> order(entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k)
        order[k] = entries[k].index;
    return order;
}

template <typename Key, typename MakeKey>
std::vector<std::uint32_t> orderByKey(std::span<const std::u16string_view> cells, SortDirection direction,
                                      MakeKey makeKey) {
    std::vector<Entry<Key>> entries(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i)
        entries[i] = {makeKey(cells[i]), static_cast<std::uint32_t>(i)};
    return stableOrder(entries, direction);
}

template <typename Map> std::size_t copyMapped(char16_t* out, std::u16string_view text, Map map) {
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = map(text[i]);
    return text.size();
}

// Writes the rearranged date (at most 16 characters) to out and returns its length.
template <typename Map> std::size_t copyDateParts(char16_t* out, std::u16string_view text, Map map) {
    std::size_t n = copyMapped(out, clippedPart(text, 6, 4), map);
    n += copyMapped(out + n, clippedPart(text, 3, 2), map);
    n += copyMapped(out + n, clippedPart(text, 0, 2), map);
    n += copyMapped(out + n, text.size() > 8 ? text.substr(text.size() - 8) : text, map);
    return n;
}

} // namespace

double leadingDecimal(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';

    std::string mantissa;
    std::size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits)
        mantissa.push_back(static_cast<char>(text[i]));
    if (i < text.size() && text[i] == u'.') {
        mantissa.push_back('.');
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits)
            mantissa.push_back(static_cast<char>(text[i]));
    }
    if (digits == 0) return 0.0;

    // An exponent counts only when at least one digit follows the 'e' and its sign.
    long long exponent = 0;
    std::string number = mantissa;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == u'-' || text[j] == u'+')) negativeExponent = text[j++] == u'-';
        if (j < text.size() && isDigit(text[j])) {
            number.push_back('e');
            if (negativeExponent) number.push_back('-');
            for (; j < text.size() && isDigit(text[j]); ++j) {
                number.push_back(static_cast<char>(text[j]));
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j] - u'0');
            }
            if (negativeExponent) exponent = -exponent;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = outOfRangeValue(mantissa, exponent);
    else if (result.ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

std::u16string dateSortText(std::u16string_view text) {
    char16_t chars[16];
    const std::size_t size = copyDateParts(chars, text, [](char16_t c) { return c; });
    return std::u16string(chars, size);
}

int compareCells(SortKind kind, std::u16string_view a, std::u16string_view b) {
    switch (kind) {
    case SortKind::Integer: {
        const std::int32_t x = leadingInt32(a), y = leadingInt32(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    case SortKind::Decimal: {
        const double x = leadingDecimal(a), y = leadingDecimal(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    case SortKind::Date:
        return compareIgnoreCase(dateSortText(a), dateSortText(b));
    case SortKind::Text:
        break;
    }
    return compareIgnoreCase(a, b);
}

std::vector<std::uint32_t> sortedOrder(std::span<const std::u16string_view> cells, SortKind kind,
                                       SortDirection direction) {
    switch (kind) {
    case SortKind::Integer:
        return orderByKey<std::int32_t>(cells, direction, leadingInt32);
    case SortKind::Decimal:
        return orderByKey<double>(cells, direction, leadingDecimal);
    case SortKind::Date:
        // Lower-casing once and comparing code units gives the order of compareIgnoreCase.
        return orderByKey<DateKey>(cells, direction, [](std::u16string_view cell) {
            char16_t chars[16] = {};
            DateKey key;
            key.size = static_cast<std::uint8_t>(copyDateParts(chars, cell, toLowerChar));
            for (std::size_t i = 0; i < 16; ++i)
                key.words[i / 4] |= std::uint64_t{chars[i]} << (48 - 16 * (i % 4));
            return key;
        });
    case SortKind::Text:
        break;
    }
    std::size_t total = 0;
    for (const auto& cell : cells)
        total += cell.size();
    std::u16string lowered(total, u'\0');
    std::size_t at = 0;
    return orderByKey<std::u16string_view>(cells, direction, [&](std::u16string_view cell) {
        const std::size_t n = copyMapped(lowered.data() + at, cell, toLowerChar);
        const std::u16string_view key(lowered.data() + at, n);
        at += n;
        return key;
    });
}

} // namespace tapeloft
