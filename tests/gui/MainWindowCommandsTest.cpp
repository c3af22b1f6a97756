#include "MainWindowFixture.h"

#include "app/ControlIds.h"
#include "app/SettingsEdit.h"
#include "base/Settings.h"
#include "gui/AboutWindow.h"
#include "gui/FilterHeader.h"
#include "gui/ScaledLayout.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEnterEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <set>

using namespace tapeloft;
using namespace tapeloft::test;

namespace {

std::set<fs::path> paths(const ListModel& list) {
    std::set<fs::path> out;
    for (int row = 0; row < list.rowCount(); ++row)
        out.insert(pathFromText(list.cell(row, ColumnPath)));
    return out;
}

bool beginsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

void clickHeader(QTableView* view, int column) {
    QHeaderView* header = view->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
}

// One character at a time, as typing gives them (QTest's key clicks take Latin-1 only).
void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    for (const QChar c : text)
        box->insert(QString(c));
}

void showTab(Started& s, int index) {
    static_cast<QTabWidget*>(s.window->control(kMainTabs))->setCurrentIndex(index);
}

void focusList(Started& s, ReplayListKind kind) {
    QApplication::setActiveWindow(s.window.get());
    s.view(kind)->setFocus();
}

QtMessageHandler previousHandler = nullptr;

} // namespace

class MainWindowCommandsTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The offscreen platform cannot fade or raise windows and says so on every step of a fade.
        previousHandler = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (text.startsWith(QStringLiteral("This plugin does not support"))) return;
                previousHandler(type, context, text);
            });
    }

    void headerClicksSortAscendingThenDescending() {
        WorkFolder work;
        work.prepare(8, 0);
        Started s;
        ListModel& list = s.window->replayList();
        constexpr int column = 3;
        clickHeader(s.view(ReplayListKind::Replays), column);
        for (int row = 1; row < list.rowCount(); ++row)
            QVERIFY(compareIgnoreCase(list.cell(row - 1, column), list.cell(row, column)) <= 0);
        QCOMPARE(list.sortIndicator()->column, column);
        QCOMPARE(s.view(ReplayListKind::Replays)->horizontalHeader()->sortIndicatorSection(), column);
        clickHeader(s.view(ReplayListKind::Replays), column);
        for (int row = 1; row < list.rowCount(); ++row)
            QVERIFY(compareIgnoreCase(list.cell(row - 1, column), list.cell(row, column)) >= 0);
        QCOMPARE(list.sortIndicator()->direction, SortDirection::Descending);
    }

    // Which control calls which command; what each command does is tested with the commands themselves.
    void everyControlCallsItsCommand_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("tab");
        const struct {
            const char* name;
            int control;
            int tab;
        } rows[] = {
            {"rescan", kRescanButton, 0},
            {"choose the replay folder", kReplayFolderButton, 0},
            {"choose the favourites folder", kFavouritesFolderButton, 0},
            {"export the replays", kExportReplaysButton, 0},
            {"export the favourites", kExportFavouritesButton, 1},
            {"delete replays", kDeleteReplaysButton, 0},
            {"delete favourites", kDeleteFavouritesButton, 1},
            {"move to the favourites", kMoveToFavouritesButton, 0},
            {"move back to the replays", kMoveToReplaysButton, 1},
            {"filter bar of the replays", kReplayFilterToggle, 0},
            {"filter bar of the favourites", kFavouriteFilterToggle, 1},
            {"details of a replay", kReplayDetailsButton, 0},
            {"details of a favourite", kFavouriteDetailsButton, 1},
            {"settings", kSettingsButton, 0},
            {"statistics", kStatisticsButton, 1},
            {"about", kAboutButton, 0},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.control << row.tab;
    }
    void everyControlCallsItsCommand() {
        QFETCH(int, control);
        QFETCH(int, tab);
        WorkFolder work;
        work.prepare(3, 2);
        Started s;
        std::vector<std::u16string> detailsOpened;
        int settingsOpened = 0, statisticsOpened = 0;
        s.window->setDetailsOpener([&](const std::u16string& path) { detailsOpened.push_back(path); });
        s.window->setSettingsOpener([&] { ++settingsOpened; });
        s.window->setStatisticsOpener([&] { ++statisticsOpened; });
        const ReplayListKind kind = tab == 0 ? ReplayListKind::Replays : ReplayListKind::Favourites;
        const ReplayListKind other = tab == 0 ? ReplayListKind::Favourites : ReplayListKind::Replays;
        showTab(s, tab);
        s.clickRow(kind, 0);
        const fs::path current = s.path(kind, 0);
        const std::size_t scansBefore = s.platform.progressCaptions.size();
        s.click(control);

        switch (control) {
        case kRescanButton:
            QCOMPARE(s.platform.progressCaptions.size(), scansBefore + 2);
            break;
        case kReplayFolderButton:
        case kFavouritesFolderButton:
            QCOMPARE(qs(s.platform.folderTitles.at(0)), qs(s.msg(control == kReplayFolderButton ? 1 : 2)));
            break;
        case kExportReplaysButton:
        case kExportFavouritesButton:
            QCOMPARE(qs(s.platform.saveDialogs.at(0).title), qs(s.msg(77)));
            break;
        case kDeleteReplaysButton:
        case kDeleteFavouritesButton:
            QVERIFY(!fs::exists(current));
            QVERIFY(fs::exists(work.trashFiles / current.filename()));
            QVERIFY(!paths(s.list(kind)).contains(current));
            break;
        case kMoveToFavouritesButton:
        case kMoveToReplaysButton:
            QVERIFY(!fs::exists(current));
            QVERIFY(paths(s.list(other))
                        .contains((kind == ReplayListKind::Replays ? work.favourites : work.replays) /
                                  current.filename()));
            break;
        case kReplayFilterToggle:
        case kFavouriteFilterToggle:
            QVERIFY(static_cast<QToolButton*>(s.window->control(control))->isChecked());
            QVERIFY(kind == ReplayListKind::Replays ? s.state.replayFilterOn : s.state.favouriteFilterOn);
            break;
        case kReplayDetailsButton:
        case kFavouriteDetailsButton:
            QCOMPARE(detailsOpened, std::vector{textFromPath(current)});
            QVERIFY(!s.window->isEnabled());
            s.window->detailsClosed();
            break;
        case kSettingsButton:
            QCOMPARE(settingsOpened, 1);
            break;
        case kStatisticsButton:
            QCOMPARE(statisticsOpened, 1);
            QCOMPARE(s.window->activeListKind(), kind);
            break;
        case kAboutButton:
            QVERIFY(s.window->aboutWindow());
            break;
        default:
            QFAIL("a control without an expectation");
        }
        QVERIFY(s.platform.messages.empty());
    }

    void theFilterBarAppliesTwoBoxesTogetherAfterAQuietTime() {
        WorkFolder work;
        work.prepare(16, 0);
        Started s;
        ListModel& list = s.window->replayList();
        FilterHeader* header = s.window->filterHeader(ReplayListKind::Replays);
        const int plainHeight = header->height();
        constexpr int mapColumn = 4, resultColumn = 7;
        const std::u16string map(list.cell(0, mapColumn).substr(0, 1));
        const std::u16string result(list.cell(0, resultColumn).substr(0, 2));
        int mapRows = 0, bothRows = 0;
        for (int row = 0; row < list.rowCount(); ++row) {
            const bool mapMatches = beginsWith(list.cell(row, mapColumn), map);
            mapRows += mapMatches;
            bothRows += mapMatches && beginsWith(list.cell(row, resultColumn), result);
        }
        QVERIFY(bothRows < list.rowCount());

        s.click(kReplayFilterToggle);
        QVERIFY(static_cast<QToolButton*>(s.window->control(kReplayFilterToggle))->isChecked());
        QVERIFY(s.state.replayFilterOn);
        QTRY_VERIFY(header->height() > plainHeight);
        QLineEdit* mapBox = header->filterEditor(mapColumn);
        QLineEdit* resultBox = header->filterEditor(resultColumn);
        QVERIFY(mapBox && mapBox->isVisible() && resultBox->isVisible());
        QCOMPARE(mapBox->x(), header->sectionViewportPosition(mapColumn));
        QCOMPARE(mapBox->width(), header->sectionSize(mapColumn));
        // The boxes follow hidden, resized and dragged columns.
        list.setColumnWidth(2, 0);
        QTRY_VERIFY(!header->filterEditor(2)->isVisible());
        list.setColumnWidth(2, 60);
        QTRY_VERIFY(header->filterEditor(2)->isVisible());
        QCOMPARE(header->filterEditor(2)->width(), 60);
        header->resizeSection(resultColumn, 140);
        header->moveSection(header->visualIndex(resultColumn), 1);
        QCOMPARE(resultBox->x(), header->sectionViewportPosition(resultColumn));
        QCOMPARE(resultBox->width(), 140);
        QCOMPARE(mapBox->x(), header->sectionViewportPosition(mapColumn));

        typeInto(mapBox, qs(toLower(map)));
        QCOMPARE(list.rowCount(), 16); // not before the quiet time
        QTRY_COMPARE(list.rowCount(), mapRows);
        typeInto(resultBox, qs(result));
        QTRY_COMPARE(list.rowCount(), bothRows);
        QCOMPARE(s.view(ReplayListKind::Replays)->model()->rowCount(), bothRows);

        s.click(kReplayFilterToggle);
        QVERIFY(!s.state.replayFilterOn);
        QCOMPARE(list.rowCount(), 16);
        QVERIFY(!mapBox->isVisible());
        QVERIFY(mapBox->text().isEmpty());
        QTRY_COMPARE(header->height(), plainHeight);
    }

    void keysCallTheirCommands_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("inFilterBox");
        const struct {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            bool inFilterBox;
        } rows[] = {
            {"Delete", Qt::Key_Delete, {}, false},
            {"Delete in a filter box", Qt::Key_Delete, {}, true},
            {"Enter", Qt::Key_Return, {}, false},
            {"F5", Qt::Key_F5, {}, false},
            {"Ctrl+A", Qt::Key_A, Qt::ControlModifier, false},
            {"Ctrl+E", Qt::Key_E, Qt::ControlModifier, false},
            {"Ctrl+F", Qt::Key_F, Qt::ControlModifier, false},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << static_cast<int>(row.key) << static_cast<int>(row.modifiers)
                                    << row.inFilterBox;
    }
    void keysCallTheirCommands() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, inFilterBox);
        WorkFolder work;
        work.prepare(4, 1);
        Started s;
        std::vector<std::u16string> detailsOpened;
        s.window->setDetailsOpener([&](const std::u16string& path) {
            detailsOpened.push_back(path);
            s.window->detailsClosed();
        });
        s.clickRow(ReplayListKind::Replays, 1);
        focusList(s, ReplayListKind::Replays);
        const fs::path current = s.path(ReplayListKind::Replays, 1);
        const std::size_t scansBefore = s.platform.progressCaptions.size();
        QWidget* target = s.view(ReplayListKind::Replays);
        if (inFilterBox) {
            s.click(kReplayFilterToggle);
            QLineEdit* box = s.window->filterHeader(ReplayListKind::Replays)->filterEditor(ColumnVehicle);
            typeInto(box, QStringLiteral("ab"));
            box->setCursorPosition(0);
            target = box;
        }
        QTest::keyClick(target, static_cast<Qt::Key>(key), static_cast<Qt::KeyboardModifiers>(modifiers));

        const bool trashed = !fs::exists(current);
        QCOMPARE(trashed, key == Qt::Key_Delete && !inFilterBox);
        if (trashed) QVERIFY(fs::exists(work.trashFiles / current.filename()));
        if (inFilterBox) {
            // The key edited the box and nothing else.
            QCOMPARE(s.window->filterHeader(ReplayListKind::Replays)->filterEditor(ColumnVehicle)->text(),
                     QStringLiteral("b"));
        }
        QCOMPARE(detailsOpened.size(), key == Qt::Key_Return ? 1u : 0u);
        if (key == Qt::Key_Return) QCOMPARE(pathFromText(detailsOpened[0]), current);
        QCOMPARE(s.platform.progressCaptions.size(), scansBefore + (key == Qt::Key_F5 ? 2 : 0));
        QCOMPARE(s.platform.saveDialogs.size(), key == Qt::Key_E ? 1u : 0u);
        if (key == Qt::Key_A)
            QCOMPARE(s.view(ReplayListKind::Replays)->selectionModel()->selectedRows().size(), 4);
        if (key == Qt::Key_F) {
            QVERIFY(s.state.replayFilterOn);
            QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
            QVERIFY(
                s.window->filterHeader(ReplayListKind::Replays)->isAncestorOf(QApplication::focusWidget()));
            // The first box that can filter: column 0 is always empty.
            QCOMPARE(QApplication::focusWidget(),
                     s.window->filterHeader(ReplayListKind::Replays)->filterEditor(ColumnDate));
        }
    }

    void theRowMenuActsOnTheRowUnderIt() {
        WorkFolder work;
        work.prepare(3, 1);
        Started s;
        s.window->setDetailsOpener([&](const std::u16string&) { s.window->detailsClosed(); });
        QTableView* view = s.view(ReplayListKind::Replays);
        s.clickRow(ReplayListKind::Replays, 2);
        const fs::path current = s.path(ReplayListKind::Replays, 2);
        const QPoint at = view->visualRect(view->model()->index(2, ColumnDate)).center();
        const auto choose = [&](MessageId entry) {
            QStringList offered;
            QTimer::singleShot(0, [&] {
                QMenu* menu = s.window->rowMenu();
                QVERIFY(menu);
                for (QAction* action : menu->actions())
                    if (!action->isSeparator()) offered << action->text();
                for (QAction* action : menu->actions())
                    if (action->text() == qs(s.msg(entry))) action->trigger();
                menu->close();
            });
            emit view->customContextMenuRequested(at);
            return offered;
        };
        QCOMPARE(choose(MsgMenuCopyPath),
                 (QStringList{qs(s.msg(MsgMenuOpen)), qs(s.msg(MsgMenuDetails)),
                              qs(s.msg(MsgMenuToFavourites)), qs(s.msg(MsgMenuDelete)),
                              qs(s.msg(MsgMenuShowInFolder)), qs(s.msg(MsgMenuCopyPath))}));
        QCOMPARE(QGuiApplication::clipboard()->text(), qs(textFromPath(current)));
        choose(MsgMenuShowInFolder);
        QCOMPARE(s.platform.opened, std::vector<std::u16string>{textFromPath(current.parent_path())});
        choose(MsgMenuOpen);
        QCOMPARE(s.platform.opened.back(), textFromPath(current));
        choose(MsgMenuToFavourites);
        QVERIFY(!fs::exists(current));
        QVERIFY(fs::exists(work.favourites / current.filename()));
    }

    void theHeaderMenuShowsAndHidesColumnsInBothLists() {
        WorkFolder work;
        work.prepare(2, 1);
        Started s;
        QHeaderView* header = s.view(ReplayListKind::Favourites)->horizontalHeader();
        const auto toggle = [&](int column) {
            QTimer::singleShot(0, [&] {
                QMenu* menu = s.window->columnMenu();
                QVERIFY(menu);
                QCOMPARE(menu->actions().size(), 39);
                menu->actions().at(column - 1)->trigger();
                menu->close();
            });
            emit header->customContextMenuRequested(QPoint(5, 5));
        };
        QVERIFY(s.window->replayList().columnWidth(ColumnVehicle) > 0);
        toggle(ColumnVehicle);
        QCOMPARE(s.window->replayList().columnWidth(ColumnVehicle), 0);
        QCOMPARE(s.window->favouritesList().columnWidth(ColumnVehicle), 0);
        toggle(ColumnVehicle);
        QCOMPARE(s.window->replayList().columnWidth(ColumnVehicle), kShownColumnWidth);
        QCOMPARE(s.window->favouritesList().columnWidth(ColumnVehicle), kShownColumnWidth);
    }

    void theStatusBarFollowsTheFilter() {
        WorkFolder work;
        work.prepare(4, 1);
        Started s;
        QCOMPARE(s.window->statusText(0), qs(s.msg(75) + u"4"));
        s.click(kReplayFilterToggle);
        QCOMPARE(s.window->statusText(0), qs(s.msg(75) + u"4 из 4"));
        QLineEdit* box = s.window->filterHeader(ReplayListKind::Replays)->filterEditor(ColumnPath);
        typeInto(box, qs(std::u16string(s.window->replayList().cell(0, ColumnPath))));
        QTRY_COMPARE(s.window->statusText(0), qs(s.msg(75) + u"1 из 4"));
        s.click(kReplayFilterToggle);
        QCOMPARE(s.window->statusText(0), qs(s.msg(75) + u"4"));
    }

    void f3OpensTheFocusedListsRowOncePerPress() {
        WorkFolder work;
        work.prepare(3, 2);
        Started s;
        std::vector<std::u16string> opened;
        s.window->setDetailsOpener([&opened](const std::u16string& path) { opened.push_back(path); });

        // No current row: nothing.
        focusList(s, ReplayListKind::Replays);
        QTRY_VERIFY(s.view(ReplayListKind::Replays)->hasFocus());
        QTest::keyPress(s.view(ReplayListKind::Replays), Qt::Key_F3);
        QVERIFY(opened.empty());

        s.clickRow(ReplayListKind::Replays, 1);
        QVERIFY(s.view(ReplayListKind::Replays)->hasFocus());
        // A held key repeats; only the first press counts.
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(s.view(ReplayListKind::Replays), &repeated);
        QVERIFY(opened.empty());
        QTest::keyPress(s.view(ReplayListKind::Replays), Qt::Key_F3);
        QCOMPARE(opened.size(), std::size_t{1});
        QCOMPARE(opened[0], textFromPath(s.path(ReplayListKind::Replays, 1)));
        QVERIFY(!s.window->isEnabled());
        QVERIFY(!s.state.detailsClosed);
        s.window->dispatch(kMainWindowId, kNoControl, UiEvent::F3Pressed);
        QCOMPARE(opened.size(), std::size_t{1});
        // The main window takes no close request meanwhile.
        s.window->close();
        QVERIFY(s.window->isVisible());

        s.window->detailsClosed();
        QVERIFY(s.window->isEnabled());
        QVERIFY(s.state.detailsClosed);

        // The favourites list when it has the focus.
        showTab(s, 1);
        s.clickRow(ReplayListKind::Favourites, 0);
        QTest::keyPress(s.view(ReplayListKind::Favourites), Qt::Key_F3);
        QCOMPARE(opened.size(), std::size_t{2});
        QCOMPARE(opened[1], textFromPath(s.path(ReplayListKind::Favourites, 0)));
        s.window->detailsClosed();
        QVERIFY(s.window->isEnabled());
    }

    void doubleClickOpensTheReplayAndHooklessButtonsDoNothing() {
        WorkFolder work;
        work.prepare(3, 1);
        Started s;
        // Without hooks the buttons do nothing and leave the window usable.
        s.clickRow(ReplayListKind::Replays, 2);
        s.click(kReplayDetailsButton);
        s.click(kSettingsButton);
        QVERIFY(s.window->isEnabled());

        const QRect cell = s.view(ReplayListKind::Replays)
                               ->visualRect(s.view(ReplayListKind::Replays)->model()->index(0, ColumnDate));
        QWidget* rows = s.view(ReplayListKind::Replays)->viewport();
        QTest::mouseClick(rows, Qt::LeftButton, {}, cell.center());
        QVERIFY(s.platform.opened.empty()); // a single click opens nothing
        QTest::mouseDClick(rows, Qt::LeftButton, {}, cell.center());
        QCOMPARE(s.platform.opened, std::vector{textFromPath(s.path(ReplayListKind::Replays, 0))});
    }

    void theAboutWindowFadesInDisablesTheMainWindowAndFadesOut() {
        WorkFolder work;
        work.prepare(1, 0);
        Started s;
        s.click(kAboutButton);
        AboutWindow* about = s.window->aboutWindow();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QVERIFY(!s.window->isEnabled());
        QCOMPARE(about->size(), scaledSize(layoutScaleFor(about->font()), QSize(350, 180)));
        QCOMPARE(about->windowTitle(), qs(s.msg(86)));
        QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY((about->frameGeometry().center() - s.window->frameGeometry().center()).manhattanLength() <=
                2);
        QCOMPARE(about->palette().color(QPalette::Window), QColor(Qt::black));
        QTRY_COMPARE(about->windowOpacity(), 1.0);

        struct Expected {
            int id;
            QString text;
        };
        const Expected controls[] = {
            {kAboutCloseButton, QStringLiteral("X")},
            {kAboutTitleLabel, QStringLiteral("IVL Tapeloft v.0.1.5 b")},
            {kAboutSubtitleLabel, qs(s.msg(90))},
            {kAboutCreditLabel, {}},
            {kAboutLink, qs(s.msg(91))},
            {kAboutBodyText, qs(s.msg(89))},
        };
        for (const Expected& e : controls) {
            QWidget* widget = about->control(e.id);
            QVERIFY(widget);
            QString text;
            if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
            if (auto* box = qobject_cast<QTextEdit*>(widget)) text = box->toPlainText();
            if (!e.text.isEmpty())
                QCOMPARE(text, e.text);
            else
                QVERIFY(!text.isEmpty());
        }
        QWidget* title = about->control(kAboutTitleLabel);
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(0x6F, 0xAE, 0x2F));
        QVERIFY(title->font().bold());
        // 12 points where the texts are 8: half as large again as the window's font, which the subtitle has.
        QCOMPARE(title->font().pointSizeF(), about->font().pointSizeF() * 1.5);
        QCOMPARE(about->control(kAboutSubtitleLabel)->font().pointSizeF(), about->font().pointSizeF());
        QCOMPARE(about->control(kAboutCreditLabel)->palette().color(QPalette::WindowText), QColor(Qt::white));

        QWidget* link = about->control(kAboutLink);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0x39, 0x83, 0xFD));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(link, &enter);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::red));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0x39, 0x83, 0xFD));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(s.platform.opened.size(), std::size_t{1});
        QVERIFY(qs(s.platform.opened[0]).startsWith(QStringLiteral("https://")));

        // A second About click cannot reach the disabled window; the close request is refused too.
        s.window->close();
        QVERIFY(s.window->isVisible());

        QTest::mouseClick(about->control(kAboutCloseButton), Qt::LeftButton);
        QTRY_VERIFY(!s.window->aboutWindow());
        QVERIFY(s.window->isEnabled());
    }

    // However the About window is closed, the main window comes back and can be closed itself.
    void everyWayOfClosingTheAboutWindowEnablesTheMainWindow_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("close request (Alt+F4, title bar)") << 0;
        QTest::newRow("close event from the window system") << 1;
        QTest::newRow("the X while already fading out") << 2;
    }
    void everyWayOfClosingTheAboutWindowEnablesTheMainWindow() {
        QFETCH(int, way);
        WorkFolder work;
        work.prepare(1, 0);
        Started s;
        s.click(kAboutButton);
        QPointer<AboutWindow> about = s.window->aboutWindow();
        QVERIFY(about);
        QVERIFY(!s.window->isEnabled());
        if (way == 0) about->close();
        if (way == 1) {
            QCloseEvent event;
            QApplication::sendEvent(about, &event);
        }
        if (way == 2) {
            QTest::mouseClick(about->control(kAboutCloseButton), Qt::LeftButton);
            about->close();
        }
        QTRY_VERIFY(!about);
        QVERIFY(s.window->isEnabled());
        QVERIFY(s.window->close());
        QVERIFY(!s.window->isVisible());
    }
};

QTEST_MAIN(MainWindowCommandsTest)
#include "MainWindowCommandsTest.moc"
