#include "app/ListModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tapeloft {
namespace {

ListModel makeList(int count) {
    std::vector<ListColumn> columns;
    for (int c = 0; c < count; ++c)
        columns.push_back({u"H" + std::u16string(1, char16_t(u'0' + c)), 100, {}});
    return ListModel(std::move(columns));
}

std::vector<std::u16string> columnTexts(const ListModel& list, int column) {
    std::vector<std::u16string> out;
    for (int row = 0; row < list.rowCount(); ++row)
        out.emplace_back(list.cell(row, column));
    return out;
}

using Texts = std::vector<std::u16string>;

// --- Rows that come and go while the list is shown (live folders) -----------------------------------------

// A row added later lands where a sort of the whole list would put it, after the rows it equals.
TEST(ListModelLive, AddedRowsGoToTheirSortedPlace) {
    const struct {
        const char* what;
        bool sorted;
        SortDirection direction;
        std::u16string added;
        Texts expected; // column 0, then the added row's tag in column 1
    } cases[] = {
        {"never sorted: at the end", false, SortDirection::Ascending, u"2\nnew", {u"3", u"1", u"2", u"2"}},
        {"ascending, between", true, SortDirection::Ascending, u"2\nnew", {u"1", u"2", u"2", u"3"}},
        {"ascending, first", true, SortDirection::Ascending, u"0\nnew", {u"0", u"1", u"2", u"3"}},
        {"descending, after its equal", true, SortDirection::Descending, u"2\nnew", {u"3", u"2", u"2", u"1"}},
        {"descending, last", true, SortDirection::Descending, u"0\nnew", {u"3", u"2", u"1", u"0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ListModel list = makeList(2);
        list.setSortKind(0, SortKind::Integer);
        for (const char16_t* row : {u"3\nold", u"1\nold", u"2\nold"})
            list.appendRow(row);
        if (c.sorted) list.sortList(0, c.direction);
        list.setSelected(0, true);
        const std::u16string selected(list.cell(0, 0));
        const int at = list.addRowInOrder(c.added);
        EXPECT_EQ(columnTexts(list, 0), c.expected);
        ASSERT_GE(at, 0);
        EXPECT_EQ(list.cell(at, 1), u"new");
        // Equal rows keep their order: the new one comes after the old one of its value.
        if (at > 0 && list.cell(at - 1, 0) == list.cell(at, 0)) {
            EXPECT_EQ(list.cell(at - 1, 1), u"old");
        }
        const int selectedRow = list.currentRow();
        ASSERT_GE(selectedRow, 0);
        EXPECT_EQ(list.cell(selectedRow, 0), selected);
    }
}

TEST(ListModelLive, AFilteredOutRowIsKeptHiddenAndRemovalFindsHiddenRowsToo) {
    ListModel list = makeList(2);
    for (const char16_t* row : {u"apple\n/a", u"banana\n/b", u"avocado\n/c"})
        list.appendRow(row);
    list.sortList(0, SortDirection::Ascending);
    list.setFilterText(0, u"a");
    EXPECT_EQ(list.addRowInOrder(u"blueberry\n/d"), -1); // hidden by the filter
    EXPECT_EQ(list.addRowInOrder(u"apricot\n/e"), 1);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"apple", u"apricot", u"avocado"}));
    EXPECT_EQ(list.totalRowCount(), 5);

    // One shown row and one hidden row go; the others stay where they are.
    list.setSelected(2, true);
    EXPECT_EQ(list.removeRowsWithCell(1, u"/e"), 1);
    EXPECT_EQ(list.removeRowsWithCell(1, u"/b"), 1);
    EXPECT_EQ(list.removeRowsWithCell(1, u"/nothing"), 0);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"apple", u"avocado"}));
    EXPECT_TRUE(list.isSelected(1));
    list.clearFilter();
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"apple", u"avocado", u"blueberry"}));
}

// --- Rows and columns --------------------------------------------------------------------------------------

TEST(ListModelRows, CellsComeFromLineFeedJoinedText) {
    ListModel list = makeList(3);
    EXPECT_EQ(list.appendRow(u"a\nb\nc"), 0);
    EXPECT_EQ(list.appendRow(u"only"), 1);             // missing cells are empty
    EXPECT_EQ(list.appendRow(u"x\ny\nz\nextra\n"), 2); // extra cells are ignored
    EXPECT_EQ(list.appendRow(u""), 3);
    EXPECT_EQ(list.appendRow(u"\n\nlast\n"), 4);

    EXPECT_EQ(list.rowCount(), 5);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"a", u"only", u"x", u"", u""}));
    EXPECT_EQ(columnTexts(list, 1), (Texts{u"b", u"", u"y", u"", u""}));
    EXPECT_EQ(columnTexts(list, 2), (Texts{u"c", u"", u"z", u"", u"last"}));
}

TEST(ListModelRows, HeaderIsRowMinusOneAndUnknownCellsAreEmpty) {
    ListModel list = makeList(2);
    list.appendRow(u"a\nb");
    EXPECT_EQ(list.cell(-1, 1), u"H1");
    EXPECT_EQ(list.headerText(0), u"H0");
    EXPECT_EQ(list.cell(1, 0), u"");
    EXPECT_EQ(list.cell(-2, 0), u"");
    EXPECT_EQ(list.cell(0, 2), u"");
    EXPECT_EQ(list.cell(0, -1), u"");
    EXPECT_EQ(list.cell(-1, 5), u"");
}

TEST(ListModelRows, InsertAtPositionRemoveAndClear) {
    ListModel list = makeList(1);
    list.appendRow(u"b");
    EXPECT_EQ(list.insertRow(0, u"a"), 0);
    EXPECT_EQ(list.insertRow(99, u"d"), 2); // past the end appends
    EXPECT_EQ(list.insertRow(2, u"c"), 2);
    EXPECT_EQ(list.insertRow(-5, u"first"), 0);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"first", u"a", u"b", u"c", u"d"}));

    EXPECT_TRUE(list.removeRow(2));
    EXPECT_FALSE(list.removeRow(4));
    EXPECT_FALSE(list.removeRow(-1));
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"first", u"a", u"c", u"d"}));
    list.removeAllRows();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.currentRow(), -1);
}

TEST(ListModelRows, CurrentRowIsTheLowestSelectedRow) {
    ListModel list = makeList(1);
    for (auto t : {u"0", u"1", u"2", u"3"})
        list.appendRow(t);
    EXPECT_EQ(list.currentRow(), -1);
    list.setSelected(3, true);
    list.setSelected(1, true);
    EXPECT_EQ(list.currentRow(), 1);
    list.setSelected(1, false);
    EXPECT_EQ(list.currentRow(), 3);
    EXPECT_FALSE(list.setSelected(4, true));
    list.removeRow(3);
    EXPECT_EQ(list.currentRow(), -1);
}

// The delete command walks the list this way and steps back after each removal.
TEST(ListModelRows, RemovingAdjacentSelectedRowsInAWalkRemovesAll) {
    ListModel list = makeList(1);
    for (auto t : {u"0", u"1", u"2", u"3", u"4"})
        list.appendRow(t);
    for (int r : {1, 2, 3})
        list.setSelected(r, true);
    for (int i = 0; i <= list.rowCount(); ++i)
        if (list.isSelected(i)) list.removeRow(i--);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"4"}));
}

TEST(ListModelColumns, WidthsAlignmentAndOrder) {
    ListModel list = makeList(4);
    EXPECT_EQ(list.columnWidth(2), 100);
    EXPECT_TRUE(list.setColumnWidth(2, 0));
    EXPECT_EQ(list.columnWidth(2), 0);
    EXPECT_TRUE(list.setColumnWidth(1, -40));
    EXPECT_EQ(list.columnWidth(1), 0);
    EXPECT_FALSE(list.setColumnWidth(4, 10));
    EXPECT_TRUE(list.setColumnAlignment(3, ColumnAlignment::Centre));
    EXPECT_EQ(list.columnAlignment(3), ColumnAlignment::Centre);
    EXPECT_EQ(list.columnAlignment(0), ColumnAlignment::Left);

    EXPECT_EQ(list.columnOrder(), (std::vector<int>{0, 1, 2, 3}));
    const std::vector<int> dragged{2, 0, 3, 1};
    EXPECT_TRUE(list.setColumnOrder(dragged));
    EXPECT_EQ(list.columnOrder(), dragged);
    // Cells stay addressed by column number whatever the display order.
    list.appendRow(u"a\nb\nc\nd");
    EXPECT_EQ(list.cell(0, 2), u"c");
}

TEST(ListModelColumns, OrderThatIsNotAPermutationIsIgnored) {
    ListModel list = makeList(4);
    const std::vector<int> good{3, 2, 1, 0};
    ASSERT_TRUE(list.setColumnOrder(good));
    const std::vector<std::vector<int>> bad{{0, 0, 0, 0}, {0, 1, 2},     {0, 1, 2, 3, 0},
                                            {0, 1, 2, 4}, {-1, 0, 1, 2}, {}};
    for (const auto& order : bad) {
        EXPECT_FALSE(list.setColumnOrder(order));
        EXPECT_EQ(list.columnOrder(), good);
    }
}

TEST(ListModelColours, RowColoursAndCellOverrides) {
    constexpr ListColour grey = ListColour::fromColorRef(0xA5A5A5);
    constexpr ListColour blue = ListColour::fromColorRef(0xFF0000);
    constexpr ListColour green = ListColour::fromColorRef(0xD5FFB5);
    ListModel list = makeList(3);
    list.appendRow(u"a\nb\nc");
    list.appendRow(u"d\ne\nf");
    EXPECT_FALSE(list.textColour(0, 0).has_value());

    list.setRowTextColour(0, grey);
    list.setRowBackgroundColour(0, green);
    list.setTextColour(0, 2, blue); // the link cell overrides the row's grey
    EXPECT_EQ(list.textColour(0, 0), grey);
    EXPECT_EQ(list.textColour(0, 2), blue);
    EXPECT_EQ(list.backgroundColour(0, 2), green);
    EXPECT_FALSE(list.textColour(1, 0).has_value());

    // Colouring the whole row again replaces the single cell's colour.
    list.setRowTextColour(0, green);
    EXPECT_EQ(list.textColour(0, 2), green);

    list.setBackgroundColour(1, 1, blue);
    EXPECT_EQ(list.backgroundColour(1, 1), blue);
    EXPECT_FALSE(list.backgroundColour(1, 0).has_value());
    EXPECT_FALSE(list.setTextColour(1, 3, blue));
    EXPECT_FALSE(list.setRowTextColour(2, blue));
}

TEST(ListModelColours, PlatformFormatHasBlueInTheHighByte) {
    EXPECT_EQ(ListColour::fromColorRef(0xDED8FA), (ListColour{250, 216, 222}));
    EXPECT_EQ(ListColour::fromColorRef(0xFF0000), (ListColour{0, 0, 255}));
    EXPECT_EQ(ListColour::fromRgb(0x5EA3FF), (ListColour{0x5E, 0xA3, 0xFF}));
    EXPECT_EQ(ListColour::fromColorRef(0xDED8FA).rgb(), 0xFAD8DEu);
}

// --- Sorting -----------------------------------------------------------------------------------------------

TEST(ListModelSort, HeaderClicksAlternateAndAnotherColumnStartsAscending) {
    ListModel list = makeList(2);
    list.registerListSorter(true);
    list.setSortKind(1, SortKind::Integer);
    for (auto t : {u"b\n2", u"c\n10", u"a\n1"})
        list.appendRow(t);

    EXPECT_TRUE(list.headerClicked(0));
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"a", u"b", u"c"}));
    EXPECT_EQ(list.sortIndicator(), (SortIndicator{0, SortDirection::Ascending}));
    EXPECT_TRUE(list.headerClicked(0));
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"c", u"b", u"a"}));
    EXPECT_EQ(list.sortIndicator(), (SortIndicator{0, SortDirection::Descending}));
    EXPECT_TRUE(list.headerClicked(1));
    EXPECT_EQ(columnTexts(list, 1), (Texts{u"1", u"2", u"10"}));
    EXPECT_EQ(list.sortIndicator(), (SortIndicator{1, SortDirection::Ascending}));
    EXPECT_TRUE(list.headerClicked(0));
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"a", u"b", u"c"}));
}

TEST(ListModelSort, SortListSetsTheDirectionTheNextClickReverses) {
    ListModel list = makeList(2);
    list.registerListSorter(true);
    list.setSortKind(1, SortKind::Date);
    for (auto t : {u"x\n31.12.2014 23:59:59", u"y\n01.01.2015 00:00:00", u"z\n15.06.2014 12:00:00"})
        list.appendRow(t);

    EXPECT_TRUE(list.sortList(1, SortDirection::Descending)); // as the folder scan does: newest first
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"y", u"x", u"z"}));
    list.headerClicked(1);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"z", u"x", u"y"}));
    EXPECT_EQ(list.sortIndicator(), (SortIndicator{1, SortDirection::Ascending}));
}

TEST(ListModelSort, EmptyListIgnoresClicksAndSortList) {
    ListModel list = makeList(2);
    list.registerListSorter(true);
    EXPECT_FALSE(list.headerClicked(0));
    EXPECT_FALSE(list.sortList(0, SortDirection::Descending));
    EXPECT_FALSE(list.sortIndicator().has_value());
    // The ignored click did not count: the first real click still sorts ascending.
    for (auto t : {u"b", u"a"})
        list.appendRow(t);
    list.headerClicked(0);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"a", u"b"}));
}

TEST(ListModelSort, DecimalColumnAgainstTextColumn) {
    // Column 2 of the replay list sorts as decimal, of the favourites list as text.
    for (SortKind kind : {SortKind::Decimal, SortKind::Text}) {
        ListModel list = makeList(3);
        list.registerListSorter(true);
        list.setSortKind(2, kind);
        list.appendRow(u"\n\n12.05");
        list.appendRow(u"\n\n5.30");
        list.headerClicked(2);
        EXPECT_EQ(columnTexts(list, 2),
                  kind == SortKind::Decimal ? (Texts{u"5.30", u"12.05"}) : (Texts{u"12.05", u"5.30"}));
    }
}

TEST(ListModelSort, IntegerColumnReadsTheLeadingNumber) {
    ListModel list = makeList(1);
    list.registerListSorter(true);
    list.setSortKind(0, SortKind::Integer);
    for (auto t : {u"1600", u"1500(x2)", u"1499", u"-3"})
        list.appendRow(t);
    list.headerClicked(0);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"-3", u"1499", u"1500(x2)", u"1600"}));
}

TEST(ListModelSort, UnregisteredListIgnoresClicksAndRegisteringAgainStartsAfresh) {
    ListModel list = makeList(1);
    for (auto t : {u"b", u"a", u"c"})
        list.appendRow(t);
    EXPECT_FALSE(list.headerClicked(0));
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"b", u"a", u"c"}));

    list.registerListSorter(true);
    list.headerClicked(0);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"a", u"b", u"c"}));
    list.unregisterListSorter();
    EXPECT_FALSE(list.sortIndicator().has_value());
    list.registerListSorter(true);
    list.headerClicked(0); // a fresh sorter sorts ascending, not the other way
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"a", u"b", u"c"}));
}

TEST(ListModelSort, NoArrowWhenRegisteredWithoutIt) {
    ListModel list = makeList(2);
    list.registerListSorter(false);
    list.setSortKind(1, SortKind::Integer);
    for (auto t : {u"a\n0", u"b\n1", u"c\n1", u"d\n0"})
        list.appendRow(t);
    EXPECT_TRUE(list.sortList(1, SortDirection::Descending)); // survivors first, as the team lists do
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"b", u"c", u"a", u"d"}));
    EXPECT_FALSE(list.sortIndicator().has_value());
    list.headerClicked(1);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"a", u"d", u"b", u"c"}));
}

TEST(ListModelSort, EqualRowsKeepTheirOrderInBothDirections) {
    ListModel list = makeList(2);
    list.registerListSorter(true);
    for (auto t : {u"1\nM", u"2\nm", u"3\nA", u"4\nM", u"5\na"})
        list.appendRow(t);
    list.sortList(1, SortDirection::Ascending);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"3", u"5", u"1", u"2", u"4"}));
    list.sortList(1, SortDirection::Descending);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"1", u"2", u"4", u"3", u"5"}));
}

TEST(ListModelSort, SelectionChecksAndColoursMoveWithTheirRows) {
    constexpr ListColour tint{250, 216, 222};
    constexpr ListColour blue{0, 0, 255};
    ListModel list = makeList(2);
    list.registerListSorter(true);
    for (auto t : {u"c\n3", u"a\n1", u"b\n2"})
        list.appendRow(t);
    list.setSelected(0, true);            // c
    list.setChecked(1, true);             // a
    list.setRowBackgroundColour(2, tint); // b
    list.setTextColour(0, 1, blue);       // c, column 1

    list.headerClicked(0);
    ASSERT_EQ(columnTexts(list, 0), (Texts{u"a", u"b", u"c"}));
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_FALSE(list.isSelected(0));
    EXPECT_TRUE(list.isChecked(0));
    EXPECT_FALSE(list.isChecked(2));
    EXPECT_EQ(list.backgroundColour(1, 0), tint);
    EXPECT_FALSE(list.backgroundColour(0, 0).has_value());
    EXPECT_EQ(list.textColour(2, 1), blue);
    EXPECT_FALSE(list.textColour(2, 0).has_value());
}

// --- Filter ------------------------------------------------------------------------------------------------

ListModel filterList() {
    ListModel list = makeList(3);
    for (auto t : {u"0\nTank\nred", u"1\ntiger\nblue", u"2\nStone\nred", u"3\nTALL\nRed wine", u"4\n\nred"})
        list.appendRow(t);
    return list;
}

TEST(ListModelFilter, RowsMustBeginWithEveryFilterTextIgnoringCase) {
    ListModel list = filterList();
    EXPECT_TRUE(list.setFilterText(1, u"t"));
    EXPECT_TRUE(list.isFiltered());
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"1", u"3"}));
    EXPECT_EQ(list.totalRowCount(), 5);

    list.setFilterText(2, u"RED");
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"3"}));
    list.setFilterText(1, u"ta");
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"3"}));
    list.setFilterText(1, u"tan");
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0"}));
    list.setFilterText(1, u"tank and more");
    EXPECT_EQ(list.rowCount(), 0);

    // Emptying one box keeps the other box applied.
    list.setFilterText(1, u"");
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"2", u"3", u"4"}));
    list.clearFilter();
    EXPECT_FALSE(list.isFiltered());
    EXPECT_EQ(list.filterText(2), u"");
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"1", u"2", u"3", u"4"}));
}

TEST(ListModelFilter, CyrillicLettersMatchInEitherCase) {
    ListModel list = makeList(1);
    list.appendRow(u"\u0422\u0430\u043D\u043A"); // Танк
    list.appendRow(u"\u0442\u0443\u0440");       // тур
    list.appendRow(u"\u0441\u0442\u043E\u043F"); // стоп
    list.setFilterText(0, u"\u0442");            // т
    EXPECT_EQ(list.rowCount(), 2);
}

TEST(ListModelFilter, RemovedRowsStayGone) {
    ListModel list = filterList();
    list.setFilterText(1, u"t");
    ASSERT_EQ(list.cell(1, 0), u"1");
    list.removeRow(1);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"3"}));
    list.setFilterText(1, u"");
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"2", u"3", u"4"}));
    list.setFilterText(1, u"ti");
    EXPECT_EQ(list.rowCount(), 0);
}

TEST(ListModelFilter, AppendedRowsAreFilteredAndKeepTheirColours) {
    constexpr ListColour tint{250, 216, 222};
    ListModel list = filterList();
    list.setFilterText(1, u"t");
    EXPECT_EQ(list.appendRow(u"5\nhidden", {std::nullopt, tint}), -1);
    EXPECT_EQ(list.appendRow(u"6\nTop", {std::nullopt, tint}), 3);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"1", u"3", u"6"}));
    EXPECT_EQ(list.backgroundColour(3, 1), tint);

    EXPECT_EQ(list.insertRow(1, u"7\ntoo"), 1); // before shown row 1 ("1")
    EXPECT_EQ(list.insertRow(0, u"8\nnot"), -1);
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"0", u"7", u"1", u"3", u"6"}));

    list.clearFilter();
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"8", u"0", u"7", u"1", u"2", u"3", u"4", u"5", u"6"}));
    EXPECT_EQ(list.backgroundColour(7, 0), tint);
}

TEST(ListModelFilter, SortingSortsHiddenRowsToo) {
    ListModel list = filterList();
    list.registerListSorter(true);
    list.setFilterText(2, u"red");
    EXPECT_TRUE(list.headerClicked(1));
    EXPECT_EQ(columnTexts(list, 1), (Texts{u"", u"Stone", u"TALL", u"Tank"}));
    list.clearFilter();
    EXPECT_EQ(columnTexts(list, 1), (Texts{u"", u"Stone", u"TALL", u"Tank", u"tiger"}));
}

TEST(ListModelFilter, HiddenRowsLoseTheirSelection) {
    ListModel list = filterList();
    list.setSelected(1, true); // tiger
    list.setSelected(2, true); // Stone
    list.setFilterText(1, u"s");
    EXPECT_EQ(list.currentRow(), 0);
    list.clearFilter();
    EXPECT_FALSE(list.isSelected(1)); // tiger was hidden meanwhile
    EXPECT_TRUE(list.isSelected(2));
}

TEST(ListModelFilter, RemoveAllRowsClearsHiddenRowsAsWell) {
    ListModel list = filterList();
    list.setFilterText(1, u"t");
    list.removeAllRows();
    list.appendRow(u"9\nfree");
    list.appendRow(u"10\nthin");
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"10"}));
    list.clearFilter();
    EXPECT_EQ(columnTexts(list, 0), (Texts{u"9", u"10"}));
}

// --- Notifications -----------------------------------------------------------------------------------------

struct Recorder final : ListObserver {
    std::vector<std::string> events;
    std::vector<int> lastMapping;

    void rowsAboutToBeInserted(int f, int l) override { add("aboutToInsert", f, l); }
    void rowsInserted(int f, int l) override { add("inserted", f, l); }
    void rowsAboutToBeRemoved(int f, int l) override { add("aboutToRemove", f, l); }
    void rowsRemoved(int f, int l) override { add("removed", f, l); }
    void modelAboutToBeReset() override { events.push_back("aboutToReset"); }
    void modelReset() override { events.push_back("reset"); }
    void layoutAboutToBeChanged() override { events.push_back("aboutToLayout"); }
    void layoutChanged(std::span<const int> map) override {
        events.push_back("layout");
        lastMapping.assign(map.begin(), map.end());
    }
    void rowsChanged(int f, int l) override { add("changed", f, l); }
    void selectionChanged(int f, int l) override { add("selection", f, l); }
    void columnWidthChanged(int c) override { add("width", c, c); }
    void columnOrderChanged() override { events.push_back("order"); }
    void sortIndicatorChanged() override { events.push_back("arrow"); }

    void add(const char* what, int f, int l) {
        events.push_back(std::string(what) + " " + std::to_string(f) + "-" + std::to_string(l));
    }
};

using Events = std::vector<std::string>;

TEST(ListModelNotify, RowChangesAreReportedInShownRows) {
    ListModel list = filterList();
    Recorder recorder;
    list.setObserver(&recorder);
    list.setFilterText(1, u"t");
    list.appendRow(u"5\nnot shown");
    list.appendRow(u"6\nthin");
    list.removeRow(1);
    list.setSelected(0, true);
    list.setRowTextColour(2, {1, 2, 3});
    list.setColumnWidth(2, 0);
    EXPECT_EQ(recorder.events,
              (Events{"aboutToLayout", "layout", "aboutToInsert 3-3", "inserted 3-3", "aboutToRemove 1-1",
                      "removed 1-1", "selection 0-0", "changed 2-2", "width 2-2"}));
    EXPECT_EQ(recorder.lastMapping, (std::vector<int>{0, 1, -1, 2, -1}));
}

TEST(ListModelNotify, BulkUpdateSendsOneResetAtTheEnd) {
    ListModel list = makeList(2);
    Recorder recorder;
    list.setObserver(&recorder);
    list.beginBulkUpdate();
    list.beginBulkUpdate();
    for (int i = 0; i < 100; ++i)
        list.appendRow(u"row");
    list.setRowBackgroundColour(99, {250, 216, 222});
    list.endBulkUpdate();
    EXPECT_TRUE(recorder.events.empty());
    list.endBulkUpdate();
    EXPECT_EQ(recorder.events, (Events{"aboutToReset", "reset"}));
    EXPECT_EQ(list.rowCount(), 100);

    recorder.events.clear();
    list.beginBulkUpdate();
    list.endBulkUpdate(); // nothing changed, nothing sent
    list.endBulkUpdate(); // unbalanced end is harmless
    EXPECT_TRUE(recorder.events.empty());
}

TEST(ListModelNotify, SortReportsWhereEachRowWent) {
    ListModel list = makeList(1);
    list.registerListSorter(true);
    for (auto t : {u"c", u"a", u"b"})
        list.appendRow(t);
    Recorder recorder;
    list.setObserver(&recorder);
    list.headerClicked(0);
    EXPECT_EQ(recorder.events, (Events{"aboutToLayout", "layout", "arrow"}));
    EXPECT_EQ(recorder.lastMapping, (std::vector<int>{2, 0, 1}));
}

TEST(ListModelNotify, SortWhileFilteredMapsShownRows) {
    ListModel list = filterList();
    list.registerListSorter(false);
    list.setFilterText(2, u"red"); // shows 0 Tank, 2 Stone, 3 TALL, 4 ""
    Recorder recorder;
    list.setObserver(&recorder);
    list.sortList(1, SortDirection::Ascending); // "", Stone, TALL, Tank
    EXPECT_EQ(recorder.lastMapping, (std::vector<int>{3, 1, 2, 0}));
    EXPECT_EQ(recorder.events, (Events{"aboutToLayout", "layout"}));
}

} // namespace
} // namespace tapeloft
