#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// How the cells of one list column compare when the list is sorted by it.
namespace tapeloft {

enum class SortKind {
    Text,    // whole texts, ignoring letter case
    Integer, // leading signed 32-bit integer
    Decimal, // leading decimal number ('.' separator), whatever the locale
    Date,    // "dd.mm.yyyy hh:mm:ss" rearranged to year, month, day, time; then as text
};

enum class SortDirection : int { Ascending = 1, Descending = -1 };

// Leading decimal number after optional blanks and sign, with optional fraction and exponent;
// 0 when the text does not start with a number. Too large magnitudes give +-infinity.
double leadingDecimal(std::u16string_view text);

// The text a date cell sorts by: characters 1-2 (day), 4-5 (month), 7-10 (year) and the last 8 (time),
// joined as year, month, day, time. Parts missing from a short text are cut short or empty
// (the time part of a text shorter than 8 is the whole text); never fails.
std::u16string dateSortText(std::u16string_view text);

// <0, 0, >0 as a sorts before, with or after b in ascending order of the kind.
int compareCells(SortKind kind, std::u16string_view a, std::u16string_view b);

// The stable order of the given cells: entry k is the index (into cells) of the cell that goes to
// position k. Equal cells keep their relative order in both directions.
std::vector<std::uint32_t> sortedOrder(std::span<const std::u16string_view> cells, SortKind kind,
                                       SortDirection direction);

} // namespace tapeloft
