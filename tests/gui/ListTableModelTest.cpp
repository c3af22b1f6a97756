#include "gui/ListTableModel.h"
#include "gui/QtText.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

using namespace tapeloft;

namespace {

std::vector<ListColumn> threeColumns() {
    return {{u"Name", 100, ColumnAlignment::Left},
            {u"Count", 80, ColumnAlignment::Right},
            {u"Mark", 60, ColumnAlignment::Centre}};
}

QStringList column(const QAbstractItemModel& model, int col) {
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.index(row, col).data().toString();
    return out;
}

// The adapter, checked by Qt's model tester for every signal it sends.
struct Checked {
    ListModel list{threeColumns()};
    ListTableModel model{list};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    Checked() {
        list.registerListSorter(true);
        list.setSortKind(1, SortKind::Integer);
    }
    void fill(std::initializer_list<std::u16string_view> rows) {
        for (auto row : rows)
            list.appendRow(row);
    }
};

} // namespace

class ListTableModelTest final : public QObject {
    Q_OBJECT

private slots:
    void showsCellsHeadersAndShape() {
        Checked c;
        c.fill({u"b\n10\nx", u"a\n9"});
        QCOMPARE(c.model.rowCount(), 2);
        QCOMPARE(c.model.columnCount(), 3);
        QCOMPARE(column(c.model, 0), QStringList({"b", "a"}));
        QCOMPARE(column(c.model, 2), QStringList({"x", ""}));
        QCOMPARE(c.model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Count"));
        QVERIFY(!c.model.headerData(3, Qt::Horizontal).isValid());
        // A table has no children.
        QCOMPARE(c.model.rowCount(c.model.index(0, 0)), 0);
        QVERIFY(!c.model.index(0, 3).isValid());
    }

    void coloursAndAlignment() {
        Checked c;
        c.fill({u"a\n1\n-", u"b\n2\n-"});
        QVERIFY(!c.model.index(0, 0).data(Qt::ForegroundRole).isValid());
        QSignalSpy changed(&c.model, &QAbstractItemModel::dataChanged);
        c.list.setRowTextColour(1, ListColour::fromRgb(0x5EA3FF));
        c.list.setBackgroundColour(1, 2, ListColour::fromRgb(0x102030));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1);
        QCOMPARE(changed[0][1].toModelIndex().column(), 2);
        QCOMPARE(c.model.index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
                 QColor(0x5E, 0xA3, 0xFF));
        QCOMPARE(c.model.index(1, 2).data(Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(0x10, 0x20, 0x30));
        QVERIFY(!c.model.index(1, 1).data(Qt::BackgroundRole).isValid());

        const auto alignment = [&](int col) {
            return Qt::Alignment(c.model.index(0, col).data(Qt::TextAlignmentRole).toInt());
        };
        QCOMPARE(alignment(0), Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(alignment(1), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(alignment(2), Qt::AlignHCenter | Qt::AlignVCenter);
        changed.clear();
        c.list.setColumnAlignment(0, ColumnAlignment::Right);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), c.model.index(0, 0));
        QCOMPARE(changed[0][1].toModelIndex(), c.model.index(1, 0));
        QCOMPARE(alignment(0), Qt::AlignRight | Qt::AlignVCenter);
    }

    void checkBoxesOnlyWhenCheckable() {
        Checked c;
        c.fill({u"a", u"b"});
        const QModelIndex first = c.model.index(0, 0);
        QVERIFY(!first.data(Qt::CheckStateRole).isValid());
        QVERIFY(!(c.model.flags(first) & Qt::ItemIsUserCheckable));
        QVERIFY(!c.model.setData(first, Qt::Checked, Qt::CheckStateRole));
        QVERIFY(!c.list.isChecked(0));

        QSignalSpy changed(&c.model, &QAbstractItemModel::dataChanged);
        c.model.setCheckable(true);
        QCOMPARE(changed.count(), 1);
        QVERIFY(c.model.flags(first) & Qt::ItemIsUserCheckable);
        QVERIFY(!(c.model.flags(c.model.index(0, 1)) & Qt::ItemIsUserCheckable));
        QCOMPARE(first.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

        changed.clear();
        QVERIFY(c.model.setData(c.model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(c.list.isChecked(1));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(c.model.index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(c.model.setData(c.model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(!c.list.isChecked(1));
        // A check mark set by the program shows as well.
        c.list.setChecked(0, true);
        QCOMPARE(first.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        // Only the check column, and only check states, can be set.
        QVERIFY(!c.model.setData(c.model.index(0, 1), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(!c.model.setData(first, QStringLiteral("x"), Qt::EditRole));
        QCOMPARE(first.data().toString(), QStringLiteral("a"));
    }

    void insertsAndRemovesAreRowSignals() {
        Checked c;
        QSignalSpy inserted(&c.model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&c.model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&c.model, &QAbstractItemModel::modelReset);
        c.fill({u"a", u"c"});
        c.list.insertRow(1, u"b");
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(inserted[2][1].toInt(), 1);
        QCOMPARE(column(c.model, 0), QStringList({"a", "b", "c"}));
        c.list.removeRow(0);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed[0][1].toInt(), 0);
        QCOMPARE(column(c.model, 0), QStringList({"b", "c"}));
        c.list.removeAllRows();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(c.model.rowCount(), 0);
    }

    void insertsAndRemovesUnderAFilter() {
        Checked c;
        c.fill({u"apple", u"banana", u"avocado"});
        c.list.setFilterText(0, u"a");
        QCOMPARE(column(c.model, 0), QStringList({"apple", "avocado"}));
        QSignalSpy inserted(&c.model, &QAbstractItemModel::rowsInserted);
        c.list.appendRow(u"blueberry"); // hidden: nothing to announce
        QCOMPARE(inserted.count(), 0);
        c.list.insertRow(1, u"apricot");
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(column(c.model, 0), QStringList({"apple", "apricot", "avocado"}));
        c.list.removeRow(2);
        QCOMPARE(column(c.model, 0), QStringList({"apple", "apricot"}));
        c.list.clearFilter();
        QCOMPARE(column(c.model, 0), QStringList({"apple", "banana", "apricot", "blueberry"}));
    }

    void sortingKeepsPersistentIndexesOnTheirRows() {
        Checked c;
        c.fill({u"c\n3", u"a\n10", u"b\n2", u"d\n1"});
        std::vector<QPersistentModelIndex> held;
        for (int row = 0; row < 4; ++row)
            held.emplace_back(c.model.index(row, 1));
        QSignalSpy layout(&c.model, &QAbstractItemModel::layoutChanged);
        QSignalSpy reset(&c.model, &QAbstractItemModel::modelReset);

        QVERIFY(c.list.headerClicked(1)); // integer column, ascending
        QCOMPARE(layout.count(), 1);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(column(c.model, 0), QStringList({"d", "b", "c", "a"}));
        const QStringList before = {"3", "10", "2", "1"};
        for (int row = 0; row < 4; ++row) {
            QVERIFY(held[row].isValid());
            QCOMPARE(held[row].column(), 1);
            QCOMPARE(held[row].data().toString(), before[row]);
        }
        QVERIFY(c.list.headerClicked(1)); // descending
        QCOMPARE(column(c.model, 1), QStringList({"10", "3", "2", "1"}));
        for (int row = 0; row < 4; ++row)
            QCOMPARE(held[row].data().toString(), before[row]);
    }

    void sortingUnderAFilterMovesOnlyShownRows() {
        Checked c;
        c.fill({u"x\n3", u"y\n9", u"x\n1", u"x\n2"});
        c.list.setFilterText(0, u"x");
        QCOMPARE(c.model.rowCount(), 3);
        const QPersistentModelIndex three = c.model.index(0, 1);
        QSignalSpy layout(&c.model, &QAbstractItemModel::layoutChanged);
        c.list.sortList(1, SortDirection::Ascending);
        QCOMPARE(layout.count(), 1);
        QCOMPARE(column(c.model, 1), QStringList({"1", "2", "3"}));
        QCOMPARE(three.row(), 2);
        QCOMPARE(three.data().toString(), QStringLiteral("3"));
    }

    void filterThatChangesTheShownRowsResets() {
        Checked c;
        c.fill({u"alpha", u"beta", u"alps"});
        QSignalSpy reset(&c.model, &QAbstractItemModel::modelReset);
        QSignalSpy layout(&c.model, &QAbstractItemModel::layoutChanged);
        c.list.setFilterText(0, u"AL");
        QCOMPARE(reset.count(), 1);
        QCOMPARE(column(c.model, 0), QStringList({"alpha", "alps"}));
        // Same number of rows, but other rows: still a reset.
        c.list.setFilterText(0, u"alp");
        c.list.setFilterText(0, u"b");
        QCOMPARE(column(c.model, 0), QStringList({"beta"}));
        c.list.setFilterText(0, u"x");
        QCOMPARE(c.model.rowCount(), 0);
        c.list.clearFilter();
        QCOMPARE(c.model.rowCount(), 3);
        QCOMPARE(layout.count(), 1); // "alp" kept both rows: a plain relayout
        QCOMPARE(reset.count(), 4);
    }

    void bulkLoadIsOneReset() {
        Checked c;
        c.fill({u"first"});
        QSignalSpy inserted(&c.model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&c.model, &QAbstractItemModel::modelReset);
        c.list.beginBulkUpdate();
        for (int i = 0; i < 500; ++i)
            c.list.appendRow(std::u16string(u"row") + std::u16string(1, char16_t(u'0' + i % 10)));
        c.list.sortList(0, SortDirection::Descending);
        c.list.removeRow(0);
        c.list.endBulkUpdate();
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(c.model.rowCount(), 500);
        QCOMPARE(c.model.index(0, 0).data().toString(), QStringLiteral("row9"));
    }

    void detachesFromTheListWhenDestroyed() {
        ListModel list(threeColumns());
        {
            ListTableModel model(list);
            list.appendRow(u"a");
            QCOMPARE(model.rowCount(), 1);
        }
        // Would reach the destroyed adapter if it were still the observer.
        list.appendRow(u"b");
        list.setFilterText(0, u"b");
        QCOMPARE(list.rowCount(), 1);
    }
};

QTEST_MAIN(ListTableModelTest)
#include "ListTableModelTest.moc"
