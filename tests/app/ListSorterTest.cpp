#include "app/ListSorter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tapeloft {
namespace {

TEST(LeadingDecimal, ReadsTheLeadingNumberOnly) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::u16string_view text;
        double expected;
    } cases[] = {
        {u"5.30", 5.3},        {u"12.05", 12.05},   {u"  -3.5 km", -3.5}, {u"+2", 2.0},      {u".5", 0.5},
        {u"5.", 5.0},          {u"1,5", 1.0},       {u"abc", 0.0},        {u"", 0.0},        {u".", 0.0},
        {u"-", 0.0},           {u"- 1", 0.0},       {u"1e3", 1000.0},     {u"2E-2", 0.02},   {u"1e", 1.0},
        {u"1e+x", 1.0},        {u"7.5(x2)", 7.5},   {u"1e999", inf},      {u"-1e999", -inf}, {u"1e-999", 0.0},
        {u"0.001e310", 1e307}, {u"00012.50", 12.5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingDecimal(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
}

TEST(DateSortText, PutsYearMonthDayBeforeTheTime) {
    EXPECT_EQ(dateSortText(u"31.12.2014 23:59:59"), u"2014123123:59:59");
    EXPECT_EQ(dateSortText(u"01.01.2015 00:00:00"), u"2015010100:00:00");
}

TEST(DateSortText, ShortTextsGiveWhatTheyHave) {
    EXPECT_EQ(dateSortText(u""), u"");
    EXPECT_EQ(dateSortText(u"7"), u"77");
    EXPECT_EQ(dateSortText(u"31.12"), u"123131.12");
    // Year cut short, time is the whole text.
    EXPECT_EQ(dateSortText(u"31.12.20"), u"20123131.12.20");
    // A text that is not a date at all still has a defined key.
    EXPECT_EQ(dateSortText(u"not a replay file"), u"repl anolay file");
}

TEST(CompareCells, EachKindOrdersAsItsRuleSays) {
    const struct {
        SortKind kind;
        std::u16string_view a, b;
        int sign; // of compare(a, b)
    } cases[] = {
        {SortKind::Date, u"31.12.2014 23:59:59", u"01.01.2015 00:00:00", -1},
        {SortKind::Date, u"01.02.2015 00:00:00", u"31.01.2015 23:59:59", 1},
        {SortKind::Date, u"05.05.2015 10:00:01", u"05.05.2015 10:00:00", 1},
        {SortKind::Date, u"05.05.2015 10:00:00", u"05.05.2015 10:00:00", 0},
        {SortKind::Text, u"31.12.2014 23:59:59", u"01.01.2015 00:00:00", 1},
        {SortKind::Decimal, u"5.30", u"12.05", -1},
        {SortKind::Text, u"5.30", u"12.05", 1},
        {SortKind::Decimal, u"-0.5", u"0", -1},
        {SortKind::Decimal, u"2.50", u"2.5", 0},
        {SortKind::Integer, u"1500(x2)", u"1500", 0},
        {SortKind::Integer, u"1500(x2)", u"1499", 1},
        {SortKind::Integer, u"900", u"1500(x2)", -1},
        {SortKind::Integer, u"-20", u"3", -1},
        {SortKind::Integer, u"", u"0", 0},
        {SortKind::Text, u"900", u"1500", 1},
        {SortKind::Text, u"alpha", u"ALPHA", 0},
        {SortKind::Text, u"Alpha", u"beta", -1},
        {SortKind::Text, u"\u0416\u0443\u043A", u"\u0436\u0423\u041A", 0}, // Cyrillic, mixed case
        {SortKind::Text, u"ab", u"abc", -1},
    };
    for (const auto& c : cases) {
        const int result = compareCells(c.kind, c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign)
            << static_cast<int>(c.kind) << ": " << std::string(c.a.begin(), c.a.end()) << " vs "
            << std::string(c.b.begin(), c.b.end());
    }
}

TEST(SortedOrder, IsStableInBothDirections) {
    const std::vector<std::u16string_view> cells{u"b", u"a", u"B", u"A", u"c"};
    EXPECT_EQ(sortedOrder(cells, SortKind::Text, SortDirection::Ascending),
              (std::vector<std::uint32_t>{1, 3, 0, 2, 4}));
    EXPECT_EQ(sortedOrder(cells, SortKind::Text, SortDirection::Descending),
              (std::vector<std::uint32_t>{4, 0, 2, 1, 3}));
}

TEST(SortedOrder, AgreesWithCompareCellsForEveryKind) {
    // clang-format off
    using namespace std::string_view_literals;
    // Includes embedded NULs and the highest code unit, which padded keys must still order right.
    const std::vector<std::u16string_view> cells{
        u"12.05.2015 10:00:00", u"5.30", u"1500(x2)", u"-7", u"", u"abc", u"ABD", u"01.01.2015 00:00:00",
        u"12.05", u"1e2", u"x", u"31.12", u"0", u"-0.5", u"\u0431", u"\u0410", u"7", u"7\0"sv, u"\0"sv,
        u"\xFFFF\xFFFF"};
    // clang-format on
    for (SortKind kind : {SortKind::Text, SortKind::Integer, SortKind::Decimal, SortKind::Date}) {
        for (SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
            const auto order = sortedOrder(cells, kind, direction);
            ASSERT_EQ(order.size(), cells.size());
            for (std::size_t k = 1; k < order.size(); ++k) {
                int c = compareCells(kind, cells[order[k - 1]], cells[order[k]]);
                if (direction == SortDirection::Descending) c = -c;
                EXPECT_LE(c, 0) << "kind " << static_cast<int>(kind) << " position " << k;
                if (c == 0) {
                    EXPECT_LT(order[k - 1], order[k]) << "equal cells changed order";
                }
            }
        }
    }
}

} // namespace
} // namespace tapeloft
