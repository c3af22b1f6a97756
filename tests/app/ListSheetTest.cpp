#include "app/ListSheet.h"

#include "app/ListModel.h"
#include "app/ReplayList.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace tapeloft;

namespace {

std::string shown(std::u16string_view text) {
    return utf16ToUtf8(text);
}

} // namespace

TEST(ListSheetCells, NumericColumnsGiveNumbersOnlyForTextsThatAreWholeNumbers) {
    struct Case {
        std::u16string_view text;
        SortKind kind;
        SheetCellKind expected;
        double number;
    };
    constexpr SortKind integer = SortKind::Integer;
    constexpr SheetCellKind number = SheetCellKind::Number;
    constexpr SheetCellKind percent = SheetCellKind::Percent;
    constexpr SheetCellKind text = SheetCellKind::Text;
    const Case cases[] = {
        {u"1234", integer, number, 1234},
        {u"-150", integer, number, -150},
        {u"0", integer, number, 0},
        {u"007", integer, number, 7},
        {u"2147483648", integer, number, 2147483648.0},
        {u"12.5", SortKind::Decimal, number, 12.5},
        {u"05.36", SortKind::Decimal, number, 5.36},
        {u"58 %", integer, percent, 0.58},
        {u"58%", integer, percent, 0.58},
        {u"100 %", integer, percent, 1.0},
        {u"-5 %", integer, percent, -0.05},
        {u"0 %", integer, percent, 0},
        // Not of the column's form: the text as shown.
        {u"", integer, text, 0},
        {u"1200(x2)", integer, text, 0},
        {u"—", integer, text, 0},
        {u"нет данных", integer, text, 0},
        {u"1 234", integer, text, 0},
        {u"+5", integer, text, 0},
        {u"-", integer, text, 0},
        {u"5.", integer, text, 0},
        {u".5", integer, text, 0},
        {u" 5", integer, text, 0},
        {u"5 ", integer, text, 0},
        {u"%", integer, text, 0},
        {u" %", integer, text, 0},
        {u"5  %", integer, text, 0},
        {u"5 % ", integer, text, 0},
        {u"1e5", integer, text, 0},
        {u"0x1F", integer, text, 0},
        {u"\u0661\u0662", integer, text, 0}, // digits of another script
        {u"1234567890123456789012345678901234567890123", integer, text, 0},
        // Numbers in text columns stay text.
        {u"1234", SortKind::Text, text, 0},
        {u"58 %", SortKind::Text, text, 0},
        {u"13.12.2015 21:21:02", SortKind::Text, text, 0},
    };
    for (const Case& c : cases) {
        const SheetCell cell = typedCell(c.text, c.kind);
        EXPECT_EQ(cell.kind, c.expected) << shown(c.text);
        EXPECT_EQ(cell.text, c.text) << shown(c.text);
        if (c.expected != text) {
            EXPECT_DOUBLE_EQ(cell.number, c.number) << shown(c.text);
        }
    }
}

TEST(ListSheetCells, DateColumnsGiveDateTimesOnlyForRealMoments) {
    struct Case {
        std::u16string_view text;
        bool moment;
        SheetDateTime expected;
    };
    const Case cases[] = {
        {u"13.12.2015 21:21:02", true, {2015, 12, 13, 21, 21, 2}},
        {u"01.01.1900 00:00:00", true, {1900, 1, 1, 0, 0, 0}},
        {u"29.02.2016 23:59:59", true, {2016, 2, 29, 23, 59, 59}},
        {u"29.02.2000 12:00:00", true, {2000, 2, 29, 12, 0, 0}},
        {u"31.12.9999 23:59:59", true, {9999, 12, 31, 23, 59, 59}},
        {u"29.02.2015 12:00:00", false, {}},
        {u"29.02.1900 12:00:00", false, {}},
        {u"31.04.2015 12:00:00", false, {}},
        {u"00.04.2015 12:00:00", false, {}},
        {u"12.13.2015 12:00:00", false, {}},
        {u"12.00.2015 12:00:00", false, {}},
        {u"31.12.1899 23:59:59", false, {}},
        {u"13.12.2015 24:00:00", false, {}},
        {u"13.12.2015 21:60:00", false, {}},
        {u"13.12.2015 21:21:60", false, {}},
        {u"13.12.2015 21:21", false, {}},
        {u"13.12.2015", false, {}},
        {u"2015-12-13 21:21:02", false, {}},
        {u"13/12/2015 21:21:02", false, {}},
        {u"13.12.2015T21:21:02", false, {}},
        {u"1a.12.2015 21:21:02", false, {}},
        {u"13.12.2015 21:21:02 ", false, {}},
        {u"", false, {}},
        {u"Не реплей", false, {}},
    };
    for (const Case& c : cases) {
        const SheetCell cell = typedCell(c.text, SortKind::Date);
        EXPECT_EQ(cell.kind, c.moment ? SheetCellKind::DateTime : SheetCellKind::Text) << shown(c.text);
        EXPECT_EQ(cell.text, c.text);
        if (c.moment) {
            EXPECT_EQ(cell.dateTime, c.expected) << shown(c.text);
        }
    }
}

namespace {

// A replay list of four battles with the shipped Russian headers.
struct ViewFixture {
    Language language = Language::load(test::sourceDir() / "lang" / "rus.lng");
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);

    ViewFixture() {
        const std::array<std::array<std::u16string_view, 6>, 4> battles = {{
            // date, lifetime, player, map, credits, damage share
            {u"13.12.2015 21:21:02", u"05.36", u"Grey_Owl", u"Солончак", u"20868", u"73 %"},
            {u"11.12.2015 20:54:20", u"11.47", u"cold_wolf", u"Северный карьер", u"9946", u"42 %"},
            {u"26.10.2015 17:35:33", u"—", u"Bison, \"the\" 2nd", u"Мельничная переправа", u"—", u""},
            {u"24.10.2015 10:02:15", u"01.09", u"Hawk", u"Солнечный берег", u"4000", u"0 %"},
        }};
        for (const auto& b : battles) {
            std::array<std::u16string, RecordColumnCount> cells;
            for (int c = 0; c < RecordColumnCount; ++c)
                cells[static_cast<std::size_t>(c)] = u"c" + decimal(c);
            cells[ColumnCheck].clear();
            cells[ColumnDate] = b[0];
            cells[ColumnLifeTime] = b[1];
            cells[ColumnPlayer] = b[2];
            cells[ColumnMap] = b[3];
            cells[ColumnCredits] = b[4];
            cells[ColumnDamageShare] = b[5];
            cells[ColumnXp] = u"278(x2)";
            std::u16string row;
            for (int c = 0; c < RecordColumnCount; ++c)
                row += (c ? u"\n" : u"") + cells[static_cast<std::size_t>(c)];
            list.appendRow(row);
        }
    }

    // Every cell of the sheet as text, header row first.
    static std::vector<std::vector<std::u16string>> texts(const Sheet& sheet) {
        std::vector<std::vector<std::u16string>> out(1);
        for (const SheetColumn& column : sheet.columns)
            out[0].push_back(column.header);
        std::vector<SheetCell> cells(sheet.columns.size());
        for (int r = 0; r < sheet.rowCount; ++r) {
            sheet.fillRow(r, cells);
            auto& row = out.emplace_back();
            for (const SheetCell& cell : cells)
                row.emplace_back(cell.text);
        }
        return out;
    }
};

} // namespace

TEST(ListSheetView, HoldsTheShownRowsAndColumnsInTheShownOrder) {
    ViewFixture f;
    ListModel& list = f.list;
    // The user filters the map column, hides the player, drags credits to the front, sorts by credits
    // (descending), and widens the date column; column 0 is widened too, and still never exported.
    ASSERT_TRUE(list.setFilterText(ColumnMap, u"С"));
    ASSERT_TRUE(list.setColumnWidth(ColumnPlayer, 0));
    ASSERT_TRUE(list.setColumnWidth(ColumnDate, 140));
    ASSERT_TRUE(list.setColumnWidth(ColumnCheck, 30));
    std::vector<int> order = list.columnOrder();
    order.erase(std::find(order.begin(), order.end(), int(ColumnCredits)));
    order.insert(order.begin() + 1, ColumnCredits);
    ASSERT_TRUE(list.setColumnOrder(order));
    ASSERT_TRUE(list.sortList(ColumnCredits, SortDirection::Descending));

    const Sheet sheet = sheetOfView(list);
    std::vector<int> expectedColumns = {ColumnCredits};
    for (int c = ColumnDate; c < RecordColumnCount; ++c)
        if (c != ColumnPlayer && c != ColumnCredits) expectedColumns.push_back(c);
    ASSERT_EQ(sheet.columns.size(), expectedColumns.size());
    for (std::size_t i = 0; i < expectedColumns.size(); ++i) {
        EXPECT_EQ(sheet.columns[i].header, list.headerText(expectedColumns[i])) << i;
        EXPECT_EQ(sheet.columns[i].widthPixels, expectedColumns[i] == ColumnDate ? 140 : 100) << i;
    }
    EXPECT_EQ(sheet.columns[0].header, u"Кредиты");
    EXPECT_EQ(sheet.columns[1].header, u"Дата");

    // The filter leaves out "Мельничная переправа"; the others follow credits downwards.
    ASSERT_EQ(sheet.rowCount, 3);
    const auto texts = ViewFixture::texts(sheet);
    EXPECT_EQ(texts[1][0], u"20868");
    EXPECT_EQ(texts[2][0], u"9946");
    EXPECT_EQ(texts[3][0], u"4000");
    EXPECT_EQ(texts[1][1], u"13.12.2015 21:21:02");
    EXPECT_EQ(texts[2][3], u"Северный карьер"); // date, lifetime, then the map: the player is hidden

    ASSERT_TRUE(list.setFilterText(ColumnMap, u"со"));
    const Sheet narrowed = sheetOfView(list);
    const auto narrowedTexts = ViewFixture::texts(narrowed);
    ASSERT_EQ(narrowed.rowCount, 2);
    EXPECT_EQ(narrowedTexts[1][0], u"20868");
    EXPECT_EQ(narrowedTexts[2][0], u"4000");
}

TEST(ListSheetView, CellsAreTypedByTheirColumnAndTheLifetimeStaysText) {
    ViewFixture f;
    const Sheet sheet = sheetOfView(f.list);
    const auto at = [&](int column) {
        for (std::size_t i = 0; i < sheet.columns.size(); ++i)
            if (sheet.columns[i].header == f.list.headerText(column)) return i;
        return sheet.columns.size();
    };
    std::vector<SheetCell> cells(sheet.columns.size());
    sheet.fillRow(0, cells);
    EXPECT_EQ(cells[at(ColumnDate)].kind, SheetCellKind::DateTime);
    EXPECT_EQ(cells[at(ColumnLifeTime)].kind, SheetCellKind::Text);
    EXPECT_EQ(cells[at(ColumnLifeTime)].text, u"05.36");
    EXPECT_EQ(cells[at(ColumnCredits)].kind, SheetCellKind::Number);
    EXPECT_EQ(cells[at(ColumnCredits)].number, 20868);
    EXPECT_EQ(cells[at(ColumnDamageShare)].kind, SheetCellKind::Percent);
    EXPECT_DOUBLE_EQ(cells[at(ColumnDamageShare)].number, 0.73);
    EXPECT_EQ(cells[at(ColumnXp)].kind, SheetCellKind::Text);
    EXPECT_EQ(cells[at(ColumnMap)].kind, SheetCellKind::Text);
    sheet.fillRow(2, cells);
    EXPECT_EQ(cells[at(ColumnCredits)].kind, SheetCellKind::Text);
    EXPECT_EQ(cells[at(ColumnCredits)].text, u"—");
    EXPECT_EQ(cells[at(ColumnDamageShare)].kind, SheetCellKind::Text);
    EXPECT_EQ(cells[at(ColumnDamageShare)].text, u"");
}

TEST(ListSheetAll, HoldsColumnsOneToThirtyNineInCreationOrderWhateverTheView) {
    ViewFixture f;
    f.list.setColumnWidth(ColumnPlayer, 0);
    std::vector<int> reversed = f.list.columnOrder();
    std::reverse(reversed.begin(), reversed.end());
    ASSERT_TRUE(f.list.setColumnOrder(reversed));

    const Sheet sheet = sheetOfAllColumns(f.list);
    ASSERT_EQ(sheet.columns.size(), std::size_t{RecordColumnCount - 1});
    for (int c = ColumnDate; c < RecordColumnCount; ++c)
        EXPECT_EQ(sheet.columns[static_cast<std::size_t>(c - 1)].header, f.list.headerText(c)) << c;
    const auto texts = ViewFixture::texts(sheet);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[1][ColumnPlayer - 1], u"Grey_Owl");
    EXPECT_EQ(texts[1][ColumnPath - 1], u"c32");
    EXPECT_EQ(texts[1][ColumnMastery - 1], u"c39");
}
