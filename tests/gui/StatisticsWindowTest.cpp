#include "MainWindowFixture.h"

#include "app/ControlIds.h"
#include "app/ListStatistics.h"
#include "base/Settings.h"
#include "gui/FilterHeader.h"
#include "gui/StatisticsWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include <set>

using namespace tapeloft;
using namespace tapeloft::test;

namespace {

// The follow-up of a change to the list must reach the window within this.
constexpr int kFollowMs = 200;

// The main window started in a prepared work folder, with the statistics window reached as the program
// reaches it.
struct StatsSession {
    WorkFolder work;
    std::unique_ptr<Started> started;
    QPointer<StatisticsWindow> open;

    explicit StatsSession(const char16_t* languageFile = u"rus.lng", int replays = 12) {
        work.prepare(replays, 3);
        if (std::u16string_view(languageFile) != u"rus.lng") {
            fs::copy_file(sourceDir() / "lang" / pathFromText(languageFile),
                          work.dir.path() / pathFromText(languageFile));
            writeSettingText(work.dir.path() / "Settings.ini", settings::groupFolders,
                             settings::keyLanguageFile, languageFile);
        }
        started = std::make_unique<Started>();
        started->window->setStatisticsOpener(
            [this] { StatisticsWindow::showOrRaise(open, *started->window); });
    }

    Started& s() { return *started; }
    StatisticsWindow* openByButton() {
        s().click(kStatisticsButton);
        return open;
    }
    // The value of figure `index` as shown.
    QString figure(int index) const { return open ? open->figureValue(index)->text() : QString(); }
    // Rows of the list whose result is one of the language's three results.
    int battlesShown(ReplayListKind kind) {
        int battles = 0;
        const ListModel& list = s().list(kind);
        for (int row = 0; row < list.rowCount(); ++row) {
            const std::u16string_view result = list.cell(row, ColumnResult);
            battles +=
                result == s().msg(MsgVictory) || result == s().msg(MsgDefeat) || result == s().msg(MsgDraw);
        }
        return battles;
    }
};

std::vector<QString> namesOf(const ListModel& list) {
    std::vector<QString> names;
    for (int row = 0; row < list.rowCount(); ++row)
        names.push_back(toQString(list.cell(row, 0)));
    return names;
}

} // namespace

class StatisticsWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void opensFromTheButtonOrCtrlIAndShowsTheActiveList_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("Russian") << QStringLiteral("rus.lng");
        QTest::newRow("English") << QStringLiteral("eng.lng");
    }

    void opensFromTheButtonOrCtrlIAndShowsTheActiveList() {
        QFETCH(QString, language);
        const std::u16string languageFile = fromQString(language);
        StatsSession session(languageFile.c_str());
        Started& s = session.s();
        QCOMPARE(s.window->control(kStatisticsButton)->toolTip(),
                 qs(s.msg(MsgStatisticsTitle)) + QStringLiteral(" (Ctrl+I)"));

        StatisticsWindow* window = session.openByButton();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), qs(s.msg(MsgStatisticsTitle) + u" \u2014 " + s.msg(MsgReplaysTab)));
        // Every text comes from the language file.
        const int labels[] = {MsgBattles, MsgVictories,    MsgDefeats,       MsgDraws,
                              MsgWinRate, MsgSurvivalRate, MsgHitRateHeader, MsgWithoutResults};
        for (int i = 0; i < static_cast<int>(std::size(labels)); ++i)
            QCOMPARE(window->figureLabel(i)->text(), qs(s.msg(labels[i])) + QLatin1Char(':'));
        QCOMPARE(window->figureLabel(9)->text(), qs(s.msg(MsgXpHeader) + u" " + s.msg(MsgPerBattle)) + ":");
        QCOMPARE(window->vehicleList().headerText(0), s.msg(MsgVehicleHeader));
        QCOMPARE(window->mapList().headerText(0), s.msg(MsgMapHeader));
        QCOMPARE(window->weekChart()->chart()->title(), qs(s.msg(MsgByWeek)));
        QCOMPARE(window->winRateSeries()->name(), qs(s.msg(MsgWinRate)));
        for (int i = 0; i < window->figureCount(); ++i)
            QVERIFY2(!window->figureLabel(i)->text().contains(QStringLiteral("n/a")),
                     qPrintable(QString::number(i)));

        const int battles = session.battlesShown(ReplayListKind::Replays);
        QVERIFY(battles > 0);
        QCOMPARE(session.figure(0), QString::number(battles));
        // The tables and the bar chart list every vehicle once, most played first.
        int tabled = 0;
        for (int row = 0; row < window->vehicleList().rowCount(); ++row)
            tabled += leadingInt32(window->vehicleList().cell(row, StatsColumnBattles));
        QCOMPARE(tabled, battles);
        const QBarSet* bars = window->battleBars();
        QCOMPARE(bars->count(),
                 std::min(window->vehicleList().rowCount(), StatisticsWindow::chartedVehicles));
        QCOMPARE(window->vehicleAxis()->categories().constLast(),
                 toQString(window->vehicleList().cell(0, 0)));
        for (int i = 1; i < bars->count(); ++i)
            QVERIFY(bars->at(i - 1) <= bars->at(i));
        QVERIFY(window->winRateSeries()->count() > 0);
        QCOMPARE(window->winRateSeries()->count(), window->damageSeries()->count());

        // Once open, the button and the shortcut raise the same window.
        QCOMPARE(session.openByButton(), window);
        s.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
        QTest::keyClick(s.window.get(), Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(session.open.data(), window);
        QVERIFY(window->close());
        QTRY_VERIFY(session.open.isNull());
        s.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
        QTest::keyClick(s.window.get(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(session.open && session.open->isVisible());
    }

    void followsTheListItShows() {
        StatsSession session;
        Started& s = session.s();
        StatisticsWindow* window = session.openByButton();
        QVERIFY(window);
        ListModel& replays = s.list(ReplayListKind::Replays);

        // A filter typed into the filter bar.
        s.click(kReplayFilterToggle);
        const std::u16string vehicle(replays.cell(0, ColumnVehicle));
        emit s.window->filterHeader(ReplayListKind::Replays)->filterEdited(ColumnVehicle, qs(vehicle));
        QVERIFY(replays.rowCount() < replays.totalRowCount());
        QTRY_COMPARE_WITH_TIMEOUT(session.figure(0),
                                  QString::number(session.battlesShown(ReplayListKind::Replays)), kFollowMs);
        QCOMPARE(window->vehicleList().rowCount(), 1);
        QCOMPARE(window->vehicleList().cell(0, 0), vehicle);

        // The filter emptied again, then a row gone (a delete, a move, the folder watcher).
        emit s.window->filterHeader(ReplayListKind::Replays)->filterEdited(ColumnVehicle, QString());
        QTRY_COMPARE_WITH_TIMEOUT(session.figure(0),
                                  QString::number(session.battlesShown(ReplayListKind::Replays)), kFollowMs);
        const QString before = session.figure(0);
        replays.removeRow(0);
        QTRY_VERIFY_WITH_TIMEOUT(session.figure(0) != before, kFollowMs);
        QCOMPARE(session.figure(0), QString::number(session.battlesShown(ReplayListKind::Replays)));

        // A rescan brings the row back.
        s.window->commands().rescan();
        QTRY_COMPARE_WITH_TIMEOUT(session.figure(0), before, kFollowMs);

        // The other tab's list.
        static_cast<QTabWidget*>(s.window->control(kMainTabs))->setCurrentIndex(1);
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(),
                                  qs(s.msg(MsgStatisticsTitle) + u" \u2014 " + s.msg(MsgFavouritesTab)),
                                  kFollowMs);
        QCOMPARE(session.figure(0), QString::number(session.battlesShown(ReplayListKind::Favourites)));
    }

    void aSortedTableStaysSortedWhenTheFiguresChange() {
        StatsSession session(u"rus.lng", 20);
        Started& s = session.s();
        StatisticsWindow* window = session.openByButton();
        QVERIFY(window);
        QHeaderView* header = window->vehicleView()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
        std::vector<QString> names = namesOf(window->vehicleList());
        QVERIFY(names.size() > 2);
        QVERIFY(std::is_sorted(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
        QCOMPARE(header->sortIndicatorSection(), 0);

        s.list(ReplayListKind::Replays).removeRow(0);
        QTRY_VERIFY_WITH_TIMEOUT(
            session.figure(0) == QString::number(session.battlesShown(ReplayListKind::Replays)), kFollowMs);
        names = namesOf(window->vehicleList());
        QVERIFY(std::is_sorted(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
        QCOMPARE(header->sortIndicatorSection(), 0);
    }

    void withoutAStoredPlaceItOpensWhollyOnTheScreenWithRoomForTheCharts_data() {
        QTest::addColumn<bool>("nearTheEnd");
        QTest::newRow("main window in the top left corner") << false;
        QTest::newRow("main window in the bottom right corner") << true;
    }

    void withoutAStoredPlaceItOpensWhollyOnTheScreenWithRoomForTheCharts() {
        QFETCH(bool, nearTheEnd);
        StatsSession session;
        Started& s = session.s();
        const QRect available = s.window->screen()->availableGeometry();
        // Beside a main window near an edge it must move, and on a smaller screen shrink, rather than hang
        // over the edges.
        s.window->move(nearTheEnd ? available.bottomRight() - QPoint(100, 100) : available.topLeft());
        StatisticsWindow* window = session.openByButton();
        QVERIFY(window);
        QVERIFY2(available.contains(window->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                             .arg(window->x())
                                                                             .arg(window->y())
                                                                             .arg(window->width())
                                                                             .arg(window->height())));
        // The charts get the larger share of the height, the week chart the larger share of the width.
        QTRY_VERIFY(window->weekChart()->height() > window->vehicleView()->height());
        QVERIFY(window->weekChart()->width() > window->vehicleChart()->width());
        QCOMPARE(window->weekChart()->height(), window->vehicleChart()->height());
    }

    void remembersItsPlaceAndClosesWithTheMainWindow() {
        StatsSession session;
        Started& s = session.s();
        StatisticsWindow* window = session.openByButton();
        QVERIFY(window);
        const QRect place(140, 110, 900, 640);
        window->move(place.topLeft());
        window->resize(place.size());
        QVERIFY(window->close());
        QTRY_VERIFY(session.open.isNull());
        const auto stored =
            readWindowPlace(session.work.dir.path() / "Settings.ini", settings::groupStatisticsWindow);
        QVERIFY(stored.has_value());
        QCOMPARE(QRect(stored->x, stored->y, stored->width, stored->height), place);

        window = session.openByButton();
        QVERIFY(window);
        QCOMPARE(window->frameGeometry().topLeft(), place.topLeft());
        QCOMPARE(window->size(), place.size());

        // The main window's end closes it too, and its place is kept.
        window->move(160, 130);
        QVERIFY(s.window->close());
        QTRY_VERIFY(session.open.isNull());
        const auto last =
            readWindowPlace(session.work.dir.path() / "Settings.ini", settings::groupStatisticsWindow);
        QVERIFY(last.has_value());
        QCOMPARE(QPoint(last->x, last->y), QPoint(160, 130));
    }
};

QTEST_MAIN(StatisticsWindowTest)
#include "StatisticsWindowTest.moc"
