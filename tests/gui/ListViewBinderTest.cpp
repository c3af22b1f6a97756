#include "gui/ListViewBinder.h"
#include "gui/ListTableModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTest>

#include <memory>
#include <vector>

using namespace tapeloft;

namespace {

std::vector<ListColumn> fourColumns() {
    return {{u"Name", 100, {}}, {u"Count", 90, {}}, {u"Hidden", 0, {}}, {u"Note", 70, {}}};
}

// A shown table view bound to a core list with the sorter registered.
struct Bound {
    ListModel list{fourColumns()};
    ListTableModel model{list};
    QTableView view;
    QHeaderView* header = nullptr;

    explicit Bound(bool arrow = true, std::initializer_list<std::u16string_view> rows = {
                                          u"c\n3\n\nx", u"a\n10\n\ny", u"d\n1\n\nz", u"b\n2\n\nw"}) {
        list.registerListSorter(arrow);
        list.setSortKind(1, SortKind::Integer);
        for (auto row : rows)
            list.appendRow(row);
        new ListViewBinder(view, model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        header = view.horizontalHeader();
        view.resize(600, 300);
        view.show();
    }
    bool shown() { return QTest::qWaitForWindowExposed(&view); }

    void clickHeader(int column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect cell = view.visualRect(model.index(row, 0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    QStringList column(int col) const {
        QStringList out;
        for (int row = 0; row < list.rowCount(); ++row)
            out << QString::fromStdU16String(std::u16string(list.cell(row, col)));
        return out;
    }
    std::vector<int> coreSelected() const {
        std::vector<int> rows;
        for (int row = 0; row < list.rowCount(); ++row)
            if (list.isSelected(row)) rows.push_back(row);
        return rows;
    }
    std::vector<int> viewSelected() const {
        std::vector<int> rows;
        for (int row = 0; row < model.rowCount(); ++row)
            if (view.selectionModel()->isRowSelected(row, {})) rows.push_back(row);
        return rows;
    }
};

} // namespace

class ListViewBinderTest final : public QObject {
    Q_OBJECT

private slots:
    void headerClicksSortThroughTheCoreAndShowItsArrow() {
        Bound b;
        QVERIFY(b.shown());
        QVERIFY(!b.header->isSortIndicatorShown());

        b.clickHeader(1);
        QCOMPARE(b.column(1), QStringList({"1", "2", "3", "10"}));
        QVERIFY(b.header->isSortIndicatorShown());
        QCOMPARE(b.header->sortIndicatorSection(), 1);
        QCOMPARE(b.header->sortIndicatorOrder(), Qt::AscendingOrder);

        b.clickHeader(1);
        QCOMPARE(b.column(1), QStringList({"10", "3", "2", "1"}));
        QCOMPARE(b.header->sortIndicatorOrder(), Qt::DescendingOrder);

        b.clickHeader(0);
        QCOMPARE(b.column(0), QStringList({"a", "b", "c", "d"}));
        QCOMPARE(b.header->sortIndicatorSection(), 0);
        QCOMPARE(b.header->sortIndicatorOrder(), Qt::AscendingOrder);

        // A sort by the program shows the same arrow.
        b.list.sortList(3, SortDirection::Descending);
        QCOMPARE(b.header->sortIndicatorSection(), 3);
        QCOMPARE(b.header->sortIndicatorOrder(), Qt::DescendingOrder);
        // Registering afresh takes the arrow away.
        b.list.registerListSorter(true);
        QVERIFY(!b.header->isSortIndicatorShown());
    }

    void noArrowForListsRegisteredWithoutItAndNoSortWhenEmpty() {
        Bound quiet(false);
        QVERIFY(quiet.shown());
        quiet.clickHeader(0);
        QCOMPARE(quiet.column(0), QStringList({"a", "b", "c", "d"}));
        QVERIFY(!quiet.header->isSortIndicatorShown());
        QCOMPARE(quiet.header->sortIndicatorSection(), -1);

        Bound empty(true, {});
        QVERIFY(empty.shown());
        empty.clickHeader(1);
        QVERIFY(!empty.list.sortIndicator());
        QVERIFY(!empty.header->isSortIndicatorShown());
        QCOMPARE(empty.header->sortIndicatorSection(), -1);
    }

    void widthsHideShowAndFollowTheUser() {
        Bound b;
        QVERIFY(b.shown());
        // Widths as the core had them when bound.
        QVERIFY(b.header->isSectionHidden(2));
        QCOMPARE(b.header->sectionSize(1), 90);
        QCOMPARE(b.header->sectionSize(3), 70);

        b.list.setColumnWidth(1, 0);
        QVERIFY(b.header->isSectionHidden(1));
        QCOMPARE(b.list.columnWidth(1), 0); // the hiding is not echoed back as another width
        b.list.setColumnWidth(2, 150);
        QVERIFY(!b.header->isSectionHidden(2));
        QCOMPARE(b.header->sectionSize(2), 150);
        QCOMPARE(b.list.columnWidth(2), 150);
        b.list.setColumnWidth(1, 40);
        QVERIFY(!b.header->isSectionHidden(1));
        QCOMPARE(b.header->sectionSize(1), 40);

        // The user drags a section border.
        b.header->resizeSection(3, 123);
        QCOMPARE(b.list.columnWidth(3), 123);
        QCOMPARE(b.list.columnWidth(0), 100);
    }

    void sectionOrderAndCoreOrderFollowEachOther() {
        Bound b;
        QVERIFY(b.shown());
        b.header->setSectionsMovable(true);
        // The user drags the first section to the end.
        b.header->moveSection(0, 3);
        QCOMPARE(b.list.columnOrder(), (std::vector<int>{1, 2, 3, 0}));
        b.header->moveSection(2, 0); // the hidden column can move as well
        QCOMPARE(b.list.columnOrder(), (std::vector<int>{3, 1, 2, 0}));

        const int order[] = {2, 0, 3, 1};
        QVERIFY(b.list.setColumnOrder(order));
        for (int position = 0; position < 4; ++position)
            QCOMPARE(b.header->logicalIndex(position), order[position]);
        QCOMPARE(b.list.columnOrder(), (std::vector<int>{2, 0, 3, 1}));
        // Cells stay under their own headers: logical index = core column.
        QCOMPARE(b.model.index(0, 3).data().toString(), QStringLiteral("x"));
        QCOMPARE(b.model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Note"));
    }

    void viewSelectionIsTheCoreSelection() {
        Bound b;
        QVERIFY(b.shown());
        b.clickRow(2);
        QCOMPARE(b.coreSelected(), (std::vector<int>{2}));
        QCOMPARE(b.list.currentRow(), 2);
        b.clickRow(0, Qt::ControlModifier);
        QCOMPARE(b.coreSelected(), (std::vector<int>{0, 2}));
        QCOMPARE(b.list.currentRow(), 0);
        b.clickRow(3, Qt::ShiftModifier); // range from the last clicked row
        QCOMPARE(b.coreSelected(), (std::vector<int>{0, 1, 2, 3}));
        b.clickRow(1);
        QCOMPARE(b.coreSelected(), (std::vector<int>{1}));
        b.view.clearSelection();
        QCOMPARE(b.list.currentRow(), -1);

        // And the other way: the program selects rows.
        b.list.setSelected(3, true);
        b.list.setSelected(1, true);
        QCOMPARE(b.viewSelected(), (std::vector<int>{1, 3}));
        b.list.clearSelection();
        QCOMPARE(b.viewSelected(), std::vector<int>{});
    }

    void selectionSurvivesSortFilterAndRemoval() {
        Bound b;
        QVERIFY(b.shown());
        b.clickRow(1);                      // "a"
        b.clickRow(3, Qt::ControlModifier); // "b"
        b.clickHeader(0);                   // a b c d
        QCOMPARE(b.coreSelected(), (std::vector<int>{0, 1}));
        QCOMPARE(b.viewSelected(), (std::vector<int>{0, 1}));

        b.list.removeRow(0); // b c d
        QCOMPARE(b.coreSelected(), (std::vector<int>{0}));
        QCOMPARE(b.viewSelected(), (std::vector<int>{0}));

        b.list.setSelected(2, true);   // b, d
        b.list.setFilterText(0, u"d"); // the filter hides "b" and its selection
        QCOMPARE(b.column(0), QStringList({"d"}));
        QCOMPARE(b.coreSelected(), (std::vector<int>{0}));
        QCOMPARE(b.viewSelected(), (std::vector<int>{0}));
        b.list.clearFilter();
        QCOMPARE(b.coreSelected(), (std::vector<int>{2}));
        QCOMPARE(b.viewSelected(), (std::vector<int>{2}));
        // Column settings outlive the resets.
        QVERIFY(b.header->isSectionHidden(2));
        QCOMPARE(b.header->sortIndicatorSection(), 0);
    }
};

QTEST_MAIN(ListViewBinderTest)
#include "ListViewBinderTest.moc"
