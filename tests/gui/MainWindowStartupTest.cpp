#include "MainWindowFixture.h"

#include "app/ControlIds.h"
#include "base/ColumnOrderFile.h"
#include "base/Settings.h"
#include "gui/FilterHeader.h"
#include "gui/Icons.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <numeric>

using namespace tapeloft;
using namespace tapeloft::test;

class MainWindowStartupTest final : public QObject {
    Q_OBJECT

private slots:
    void showsTheScannedRowsAndTheirCounts() {
        WorkFolder work;
        work.prepare(6, 2);
        Started s;
        MainWindow& w = *s.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Tapeloft v.0.1.5 b for Ironvale"));
        QCOMPARE(w.replayList().rowCount(), 6);
        QCOMPARE(w.favouritesList().rowCount(), 2);
        QCOMPARE(s.view(ReplayListKind::Replays)->model()->rowCount(), 6);
        QCOMPARE(w.statusText(0), qs(s.msg(75)) + "6");
        QCOMPARE(w.statusText(1), qs(s.msg(76)) + "2");
        QCOMPARE(static_cast<QLineEdit*>(w.control(kReplayPathField))->text(),
                 qs(withSeparator(work.replays)));
        QCOMPARE(static_cast<QLineEdit*>(w.control(kFavouritesPathField))->text(),
                 qs(withSeparator(work.favourites)));
        // Replays first, each scan with its progress window; newest first after each.
        QCOMPARE(s.platform.progressCaptions.size(), std::size_t{2});
        QCOMPARE(qs(s.platform.progressCaptions[0]), qs(s.msg(83)) + qs(withSeparator(work.replays)));
        const ListModel& list = w.replayList();
        for (int row = 1; row < list.rowCount(); ++row)
            QVERIFY(compareCells(SortKind::Date, list.cell(row - 1, 1), list.cell(row, 1)) >= 0);
        const auto arrow = list.sortIndicator();
        QVERIFY(arrow && arrow->column == ColumnDate && arrow->direction == SortDirection::Descending);
        // Headers: messages, message 87, fixed texts.
        const QAbstractItemModel* model = s.view(ReplayListKind::Replays)->model();
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), qs(s.msg(18)));
        QCOMPARE(model->headerData(33, Qt::Horizontal).toString(), qs(s.msg(87)));
        QCOMPARE(model->headerData(35, Qt::Horizontal).toString(), QStringLiteral("Тип боя"));
        QCOMPARE(model->columnCount(), 40);
    }

    void firstStartInAnEmptyFolderShowsNaEverywhereAndScansNothing() {
        WorkFolder work;
        Started s;
        MainWindow& w = *s.window;
        QVERIFY(fs::exists(work.dir.path() / "Settings.ini"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Tapeloft v.0.1.5 b for Ironvale"));
        QVERIFY(s.platform.progressCaptions.empty());
        QCOMPARE(w.statusText(0), QStringLiteral("n/a0"));
        QCOMPARE(w.statusText(1), QStringLiteral("n/a0"));
        QCOMPARE(static_cast<QLineEdit*>(w.control(kReplayPathField))->text(), QStringLiteral("n/a"));
        QCOMPARE(static_cast<QLineEdit*>(w.control(kFavouritesPathField))->text(), QStringLiteral("n/a"));
        for (int id : {kReplayFolderButton, kRescanButton, kExportReplaysButton, kFavouriteFilterToggle,
                       kReplayPathField})
            QCOMPARE(w.control(id)->toolTip(), QStringLiteral("n/a"));
        auto* tabs = static_cast<QTabWidget*>(w.control(kMainTabs));
        QCOMPARE(tabs->tabText(0), QStringLiteral("n/a"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("n/a"));
        QCOMPARE(static_cast<QLabel*>(w.control(kReplayHintLabel))->text(), QStringLiteral("n/a"));
        const QAbstractItemModel* model = s.view(ReplayListKind::Favourites)->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString());
        QCOMPARE(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("n/a"));
        QCOMPARE(model->headerData(34, Qt::Horizontal).toString(), QStringLiteral("Cервер"));
        // Every column 100 wide, in the built order.
        for (int column = 0; column < 40; ++column) {
            QCOMPARE(s.view(ReplayListKind::Replays)->horizontalHeader()->sectionSize(column), 100);
            QCOMPARE(s.view(ReplayListKind::Replays)->horizontalHeader()->visualIndex(column), column);
        }
        QCOMPARE(w.size(), MainWindow::builtSize);
    }

    void controlsSitWhereTheyBelongAndFollowTheWindowAsAnchored() {
        constexpr int kTopRowIds[] = {kReplayPathField,        kReplayFolderButton, kFavouritesPathField,
                                      kFavouritesFolderButton, kStatisticsButton,   kRescanButton,
                                      kSettingsButton,         kAboutButton};
        WorkFolder work;
        work.prepare(1, 1);
        Started s;
        MainWindow& w = *s.window;
        struct Control {
            int id;
            int tooltip; // message number, 0 for none
            int image;   // -1 for none
        };
        const Control controls[] = {
            {kReplayPathField, 8, -1},
            {kFavouritesPathField, 9, -1},
            {kReplayFolderButton, 1, 5},
            {kFavouritesFolderButton, 2, 5},
            {kRescanButton, 10, 3},
            {kSettingsButton, 85, 12},
            {kAboutButton, 86, 4},
            {kStatisticsButton, 0, 13},
            {kMainTabs, 0, -1},
            {kExportReplaysButton, 12, 6},
            {kReplayDetailsButton, 13, 7},
            {kDeleteReplaysButton, 14, 8},
            {kMoveToFavouritesButton, 15, 9},
            {kReplayFilterToggle, 16, 10},
            {kReplayHintLabel, 0, -1},
            {kExportFavouritesButton, 51, 6},
            {kFavouriteDetailsButton, 52, 7},
            {kDeleteFavouritesButton, 53, 8},
            {kMoveToReplaysButton, 54, 11},
            {kFavouriteFilterToggle, 16, 10},
            {kFavouriteHintLabel, 0, -1},
        };
        for (const Control& c : controls) {
            QWidget* widget = w.control(c.id);
            QVERIFY2(widget, qPrintable(QString::number(c.id)));
            if (c.tooltip) QCOMPARE(widget->toolTip(), qs(s.msg(c.tooltip)));
            if (c.image >= 0) {
                auto* button = qobject_cast<QToolButton*>(widget);
                QVERIFY(button && button->autoRaise());
                QCOMPARE(button->iconSize(), loadIconImage(c.image).size());
                QCOMPARE(button->isCheckable(),
                         c.id == kReplayFilterToggle || c.id == kFavouriteFilterToggle);
            }
        }
        QCOMPARE(static_cast<QLineEdit*>(w.control(kReplayPathField))->isReadOnly(), true);
        QCOMPARE(static_cast<QLabel*>(w.control(kFavouriteHintLabel))->palette().color(QPalette::WindowText),
                 QColor(0x5E, 0xA3, 0xFF));
        QCOMPARE(static_cast<QLabel*>(w.control(kReplayHintLabel))->text(), qs(s.msg(17)));
        auto* tabs = static_cast<QTabWidget*>(w.control(kMainTabs));
        QCOMPARE(tabs->tabText(0), qs(s.msg(11)));
        QCOMPARE(tabs->tabText(1), qs(s.msg(50)));
        QVERIFY(!tabs->tabIcon(0).isNull() && !tabs->tabIcon(1).isNull());

        // The lists inside their page.
        QTableView* replays = s.view(ReplayListKind::Replays);
        QTableView* favourites = s.view(ReplayListKind::Favourites);
        QVERIFY(replays->geometry().bottom() < replays->parentWidget()->height());
        std::map<int, QRect> placed;
        for (const Control& c : controls)
            placed[c.id] = w.control(c.id)->geometry();

        // The status bar: two equal halves at the bottom.
        QStatusBar* status = w.statusBar();
        QCOMPARE(status->geometry().bottom(), w.height() - 1);
        QCOMPARE(status->width(), w.width());

        // Growing the window grows the tabs and both lists by as much, the folder fields share the width, the
        // buttons right of them move with them and the hint grows; nothing else moves.
        const QRect replaysBefore = replays->geometry();
        tabs->setCurrentIndex(1); // a hidden page is laid out when shown
        QVERIFY(favourites->isVisible());
        const QRect favouritesBefore = favourites->geometry();
        QVERIFY(favouritesBefore.bottom() < favourites->parentWidget()->height());
        tabs->setCurrentIndex(0);
        const QRect tabsBefore = tabs->geometry();
        w.resize(w.width() + 100, w.height() + 50);
        QCOMPARE(tabs->geometry(), tabsBefore.adjusted(0, 0, 100, 50));
        tabs->setCurrentIndex(1);
        QTRY_COMPARE(favourites->size(), favouritesBefore.size() + QSize(100, 50));
        tabs->setCurrentIndex(0);
        QTRY_COMPARE(replays->size(), replaysBefore.size() + QSize(100, 50));
        QCOMPARE(replays->pos(), replaysBefore.topLeft());
        const auto moved = [&](int id) { return w.control(id)->geometry().x() - placed[id].x(); };
        const auto grown = [&](int id) { return w.control(id)->width() - placed[id].width(); };
        const int replayGrowth = grown(kReplayPathField);
        const int favouritesGrowth = grown(kFavouritesPathField);
        QCOMPARE(replayGrowth + favouritesGrowth, 100);
        // In the proportion of the table's widths, 320 to 258, within the rounding of both sizes.
        QVERIFY2(std::abs(replayGrowth * 578 - 100 * 320) <= 2 * 578,
                 qPrintable(QStringLiteral("%1 and %2").arg(replayGrowth).arg(favouritesGrowth)));
        QCOMPARE(moved(kReplayFolderButton), replayGrowth);
        QCOMPARE(moved(kFavouritesPathField), replayGrowth);
        for (const int id :
             {kFavouritesFolderButton, kStatisticsButton, kRescanButton, kSettingsButton, kAboutButton})
            QCOMPARE(moved(id), 100);
        QCOMPARE(grown(kReplayHintLabel), 100);
        for (const Control& c : controls) {
            if (c.id == kMainTabs || c.id == kFavouriteHintLabel) continue;
            QCOMPARE(w.control(c.id)->size().height(), placed[c.id].height());
            if (std::find(std::begin(kTopRowIds), std::end(kTopRowIds), c.id) == std::end(kTopRowIds) &&
                c.id != kReplayHintLabel)
                QCOMPARE(w.control(c.id)->geometry(), placed[c.id]);
        }
        QCOMPARE(status->geometry().bottom(), w.height() - 1);
        QCOMPARE(status->width(), w.width());
    }

    void listsSelectWholeRowsAndOnlyTheReplayListKeepsItsSelectionInSight() {
        WorkFolder work;
        work.prepare(1, 1);
        Started s;
        for (const ReplayListKind kind : {ReplayListKind::Replays, ReplayListKind::Favourites}) {
            QTableView* view = s.view(kind);
            QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
            QCOMPARE(view->selectionMode(), QAbstractItemView::ExtendedSelection);
            QVERIFY(view->horizontalHeader()->sectionsMovable());
            QVERIFY(!view->wordWrap());
            QVERIFY(view->verticalHeader()->defaultSectionSize() <= view->fontMetrics().height() + 6);
            QVERIFY(qobject_cast<FilterHeader*>(view->horizontalHeader()));
            const QPalette palette = view->palette();
            const QColor inactive = palette.color(QPalette::Inactive, QPalette::Highlight);
            if (kind == ReplayListKind::Replays)
                QCOMPARE(inactive, palette.color(QPalette::Active, QPalette::Highlight));
            else
                QCOMPARE(inactive, palette.color(QPalette::Active, QPalette::Base));
        }
    }

    void exitThenRestartRestoresGeometryWidthsAndColumnOrder() {
        WorkFolder work;
        work.prepare(2, 1);
        std::vector<int> order;
        {
            Started s;
            s.window->move(40, 30);
            s.window->resize(900, 560);
            QHeaderView* header = s.view(ReplayListKind::Replays)->horizontalHeader();
            header->resizeSection(5, 150);
            header->setSectionHidden(3, true);
            header->moveSection(header->visualIndex(7), 1); // a drag of column 7 to the second place
            // The favourites' own order and widths are not what is kept.
            s.view(ReplayListKind::Favourites)->horizontalHeader()->moveSection(10, 0);
            order = s.window->replayList().columnOrder();
            QCOMPARE(order[1], 7);
            s.window->dispatch(kMainWindowId, kNoControl, UiEvent::CloseRequest);
            QVERIFY(!s.window->isVisible());
        }
        QCOMPARE(readSettingInt(work.dir.path() / "Settings.ini", u"WndSett", u"wndW", 0), 900);
        const auto stored = readColumnOrder(work.dir.path() / "ColumnOrder.Dat", RecordColumnCount);
        QVERIFY(stored);
        QCOMPARE(std::vector<int>(stored->begin(), stored->end()), order);

        Started s;
        QCOMPARE(s.window->pos(), QPoint(40, 30));
        QCOMPARE(s.window->size(), QSize(900, 560));
        for (const ReplayListKind kind : {ReplayListKind::Replays, ReplayListKind::Favourites}) {
            QHeaderView* header = s.view(kind)->horizontalHeader();
            QCOMPARE(header->sectionSize(5), 150);
            QVERIFY(header->isSectionHidden(3));
            QCOMPARE(s.list(kind).columnWidth(3), 0);
            QCOMPARE(s.list(kind).columnOrder(), order);
            QCOMPARE(header->logicalIndex(1), 7);
        }
    }

    void aPositionOffEveryScreenComesBackOntoThePrimaryScreen() {
        WorkFolder work;
        work.prepare(0, 0);
        QVERIFY(writeSettingInt(work.dir.path() / "Settings.ini", u"WndSett", u"wndX", 20000));
        Started s;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(s.window->frameGeometry().topLeft()));
        QCOMPARE(s.window->size(), MainWindow::builtSize);
    }

    void aStoredWindowLargerThanTheScreenIsCutToItsAvailableArea() {
        struct Case {
            const char* name;
            int x, y, width, height;
        };
        const Case cases[] = {
            {"3000 wide", 100, 80, 3000, 600},
            {"2000 tall", 100, 80, 800, 2000},
            {"both, off the left edge", -200, 40, 3120, 1880},
        };
        for (const Case& c : cases) {
            WorkFolder work;
            work.prepare(0, 0);
            const fs::path ini = work.dir.path() / "Settings.ini";
            for (const auto& [key, value] :
                 {std::pair{u"wndX", c.x}, {u"wndY", c.y}, {u"wndW", c.width}, {u"wndH", c.height}})
                QVERIFY(writeSettingInt(ini, u"WndSett", key, value));
            Started s;
            const QRect area = s.window->screen()->availableGeometry();
            QVERIFY2(area.contains(s.window->frameGeometry()), c.name);
            // The buttons along the right edge and the status bar stay within reach.
            QVERIFY2(s.window->rect().contains(s.window->control(kAboutButton)->geometry()), c.name);
            QCOMPARE(s.window->statusBar()->geometry().bottom(), s.window->height() - 1);
        }
    }

    void closingMaximisedStoresTheNormalGeometryAndTheState() {
        WorkFolder work;
        work.prepare(1, 0);
        const fs::path ini = work.dir.path() / "Settings.ini";
        {
            Started s;
            s.window->move(40, 30);
            s.window->resize(900, 560);
            s.window->showMaximized();
            QTRY_VERIFY(s.window->isMaximized());
            QTRY_VERIFY(s.window->width() > 900);
            s.window->dispatch(kMainWindowId, kNoControl, UiEvent::CloseRequest);
        }
        QCOMPARE(readSettingInt(ini, u"WndSett", u"wndX", 0), 40);
        QCOMPARE(readSettingInt(ini, u"WndSett", u"wndY", 0), 30);
        QCOMPARE(readSettingInt(ini, u"WndSett", u"wndW", 0), 900);
        QCOMPARE(readSettingInt(ini, u"WndSett", u"wndH", 0), 560);
        QCOMPARE(readSettingInt(ini, u"WndSett", u"wndMax", 0), 1);

        // It opens maximised, and un-maximising gives the stored geometry back; closing it so clears the
        // state.
        Started s;
        QTRY_VERIFY(s.window->isMaximized());
        s.window->showNormal();
        QTRY_VERIFY(!s.window->isMaximized());
        QTRY_COMPARE(s.window->size(), QSize(900, 560));
        s.window->dispatch(kMainWindowId, kNoControl, UiEvent::CloseRequest);
        QCOMPARE(readSettingInt(ini, u"WndSett", u"wndMax", 1), 0);
        QCOMPARE(readSettingInt(ini, u"WndSett", u"wndW", 0), 900);
    }

    // The adapters observe the window's two lists, members that die before the window's Qt children: they
    // must go while the window is still whole. An adapter deleted later, by ~QWidget, would see its parent
    // as a plain QWidget there.
    void theListAdaptersGoBeforeTheListsTheyObserve() {
        WorkFolder work;
        work.prepare(2, 1);
        Started s;
        s.replayTester.reset();
        s.favouriteTester.reset();
        std::vector<bool> parentWasWholeWindow;
        for (const ReplayListKind kind : {ReplayListKind::Replays, ReplayListKind::Favourites})
            connect(s.window->tableModel(kind), &QObject::destroyed, [&](QObject* model) {
                parentWasWholeWindow.push_back(qobject_cast<MainWindow*>(model->parent()) != nullptr);
            });
        s.window.reset();
        QCOMPARE(parentWasWholeWindow, (std::vector<bool>{true, true}));
    }

    void aColumnOrderFileThatIsNoOrderIsIgnored() {
        WorkFolder work;
        work.prepare(1, 0);
        work.dir.write("ColumnOrder.Dat", std::string(160, '\0'));
        Started s;
        std::vector<int> built(40);
        std::iota(built.begin(), built.end(), 0);
        QCOMPARE(s.window->replayList().columnOrder(), built);
        QCOMPARE(s.window->favouritesList().columnOrder(), built);
    }
};

QTEST_MAIN(MainWindowStartupTest)
#include "MainWindowStartupTest.moc"
