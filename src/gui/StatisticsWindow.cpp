#include "gui/StatisticsWindow.h"
#include "gui/WindowFront.h"

#include "app/AppState.h"
#include "app/ListStatistics.h"
#include "app/WindowPlacement.h"
#include "base/Settings.h"
#include "gui/ListTableModel.h"
#include "gui/ListViewBinder.h"
#include "gui/MainWindow.h"
#include "gui/QtText.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <set>

namespace tapeloft {

namespace {

// Caption, system menu, minimise and maximise boxes: a window of its own beside the main window.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                                         Qt::WindowCloseButtonHint;

// Figures per column at the top of the window: the counts, the rates and the averages in a column each,
// three columns narrow enough for a screen of 800 by 500 (1600 by 1000 at scale factor 2).
constexpr int kFiguresPerColumn = 4;
// Room between two columns of figures.
constexpr int kFigureColumnGap = 24;
// A stored size below this is taken for damage.
constexpr int kSmallestRestoredSide = 200;
// Shares of the room: vehicle and map tables side by side, the tables above the charts, the week chart
// beside the bar chart.
constexpr int kTableShares[] = {1, 1};
constexpr int kPartShares[] = {2, 3};
constexpr int kChartShares[] = {3, 2};
// Below this a chart's labels no longer fit.
constexpr QSize kSmallestChart{320, 240};
// Room around a bar's name, and lines of the bar chart that hold no bar: title, value axis, margins.
constexpr int kBarLinePadding = 2;
constexpr int kBarChartChromeLines = 5;
// Half a week on either side of the first and last week, so that their points do not sit on the frame.
constexpr qint64 kWeekMarginMs = qint64{84} * 3600 * 1000;

ScreenRect screenRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QDateTime weekStart(std::int64_t firstDay) {
    return QDateTime(QDate(1970, 1, 1).addDays(firstDay), QTime(0, 0));
}

// Ticks of a count axis beyond the smallest counts, before the axis rounds them to nice numbers.
constexpr int kCountTicks = 5;
// Room beyond the longest bar for the number written after it.
constexpr double kCountHeadroom = 1.1;

// A count axis from 0 whose ticks fall on whole numbers.
void setCountRange(QValueAxis& axis, double maximum) {
    constexpr int smallCounts = 5;
    if (maximum <= smallCounts) {
        axis.setRange(0, std::max(maximum, 1.0));
        axis.setTickCount(static_cast<int>(std::max(maximum, 1.0)) + 1);
        return;
    }
    axis.setTickCount(kCountTicks);
    axis.setRange(0, maximum * kCountHeadroom);
    axis.applyNiceNumbers();
}

// Gives the splitter's two parts their shares, now and when the window grows or shrinks. Sizes alone are
// not kept: the splitter's first layout goes by its parts' size hints.
void shareOut(QSplitter& splitter, const int (&shares)[2]) {
    constexpr int unit = 1000;
    for (int i = 0; i < 2; ++i)
        splitter.setStretchFactor(i, shares[i]);
    splitter.setSizes({shares[0] * unit, shares[1] * unit});
}

QChart* plainChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

} // namespace

StatisticsWindow::StatisticsWindow(AppState& state, std::filesystem::path settingsFile, QWidget* parent)
    : QWidget(parent, kWindowFlags), state_(state), settingsFile_(std::move(settingsFile)),
      vehicles_(makeStatsGroupList(state.language, StatsGroupKind::Vehicles)),
      maps_(makeStatsGroupList(state.language, StatsGroupKind::Maps)) {
    setObjectName(QStringLiteral("statisticsWindow"));
    setWindowTitle(toQString(state_.message(MsgStatisticsTitle)));
    resize(builtSize);
    build();
}

StatisticsWindow::~StatisticsWindow() {
    // The views and their adapters read vehicles_ and maps_ until they are gone, so they go first.
    delete vehicleView_;
    delete mapView_;
    delete vehicleModel_;
    delete mapModel_;
}

// --- Building ------------------------------------------------------------------------------------------

void StatisticsWindow::build() {
    // Where the screen is small (or the scale factor large) the parts keep the room their texts need and the
    // window scrolls, rather than squeezing the bar chart until its axis leaves names out.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* layout = new QVBoxLayout(content);

    // The figures' labels come with the first statistics; their number is known now.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    const int count = static_cast<int>(statsFigures(BattleStats{}, state_.language).size());
    for (int i = 0; i < count; ++i) {
        auto* label = new QLabel(this);
        auto* value = new QLabel(this);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const int line = i % kFiguresPerColumn;
        const int column = 3 * (i / kFiguresPerColumn);
        grid->addWidget(label, line, column);
        grid->addWidget(value, line, column + 1);
        // An empty column after each pair keeps them apart as the window grows.
        grid->setColumnMinimumWidth(column + 2, kFigureColumnGap);
        grid->setColumnStretch(column + 2, 1);
        figures_.emplace_back(label, value);
    }
    layout->addLayout(grid);

    // Splitters, so that the user can give the tables or the charts more room. Their sizes are shares of
    // the window: a splitter left to its parts' size hints gives the charts next to nothing.
    auto* parts = new QSplitter(Qt::Vertical, this);
    auto* tables = new QSplitter(Qt::Horizontal, parts);
    tables_ = tables;
    vehicleView_ = buildTable(vehicles_, vehicleModel_);
    mapView_ = buildTable(maps_, mapModel_);
    vehicleView_->setObjectName(QStringLiteral("vehicleTable"));
    mapView_->setObjectName(QStringLiteral("mapTable"));
    tables->addWidget(vehicleView_);
    tables->addWidget(mapView_);
    shareOut(*tables, kTableShares);

    auto* charts = new QSplitter(Qt::Horizontal, parts);
    buildWeekChart();
    buildVehicleChart();
    charts->addWidget(weekChart_);
    charts->addWidget(vehicleChart_);
    shareOut(*charts, kChartShares);
    parts->addWidget(tables);
    parts->addWidget(charts);
    shareOut(*parts, kPartShares);
    for (QSplitter* splitter : {parts, tables, charts})
        splitter->setChildrenCollapsible(false);
    layout->addWidget(parts, 1);
    scroll->setWidget(content);
    outer->addWidget(scroll);
}

QTableView* StatisticsWindow::buildTable(ListModel& list, ListTableModel*& model) {
    auto* view = new QTableView(this);
    model = new ListTableModel(list, this);
    new ListViewBinder(*view, *model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setShowGrid(false);
    view->setAlternatingRowColors(true);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->horizontalHeader()->setHighlightSections(false);
    QHeaderView* rows = view->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 4);
    return view;
}

void StatisticsWindow::buildWeekChart() {
    QChart* chart = plainChart(toQString(state_.message(MsgByWeek)));
    winRate_ = new QLineSeries(chart);
    winRate_->setName(toQString(state_.message(MsgWinRate)));
    winRate_->setPointsVisible(true);
    damage_ = new QLineSeries(chart);
    damage_->setName(toQString(state_.message(MsgDamageDealtHeader) + u" " + state_.message(MsgPerBattle)));
    damage_->setPointsVisible(true);
    chart->addSeries(winRate_);
    chart->addSeries(damage_);

    weekAxis_ = new QDateTimeAxis(chart);
    weekAxis_->setFormat(QStringLiteral("dd.MM.yy"));
    weekAxis_->setTickCount(6);
    rateAxis_ = new QValueAxis(chart);
    rateAxis_->setRange(0, 100);
    rateAxis_->setTickCount(6);
    rateAxis_->setLabelFormat(QStringLiteral("%d %%"));
    damageAxis_ = new QValueAxis(chart);
    damageAxis_->setLabelFormat(QStringLiteral("%d"));
    damageAxis_->setTickCount(6);
    chart->addAxis(weekAxis_, Qt::AlignBottom);
    chart->addAxis(rateAxis_, Qt::AlignLeft);
    chart->addAxis(damageAxis_, Qt::AlignRight);
    winRate_->attachAxis(weekAxis_);
    winRate_->attachAxis(rateAxis_);
    damage_->attachAxis(weekAxis_);
    damage_->attachAxis(damageAxis_);
    // Each value axis in its series' colour tells which line it measures.
    rateAxis_->setLabelsColor(winRate_->color());
    damageAxis_->setLabelsColor(damage_->color());
    chart->legend()->setAlignment(Qt::AlignBottom);

    weekChart_ = new QChartView(chart, this);
    weekChart_->setObjectName(QStringLiteral("weekChart"));
    weekChart_->setRenderHint(QPainter::Antialiasing);
    weekChart_->setMinimumSize(kSmallestChart);
}

void StatisticsWindow::buildVehicleChart() {
    QChart* chart = plainChart(toQString(state_.message(MsgBattles)));
    auto* series = new QHorizontalBarSeries(chart);
    battleBars_ = new QBarSet(toQString(state_.message(MsgBattles)), series);
    series->append(battleBars_);
    series->setLabelsVisible(true);
    // Beside the bar in the chart's text colour: inside, a short bar's number does not fit.
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    battleBars_->setLabelColor(chart->titleBrush().color());
    chart->addSeries(series);

    vehicleAxis_ = new QBarCategoryAxis(chart);
    // The chart's own width estimate for the names comes out too small at some scale factors, leaving
    // only "..." of every name; the names are short, so they are never cut.
    vehicleAxis_->setTruncateLabels(false);
    battleAxis_ = new QValueAxis(chart);
    battleAxis_->setLabelFormat(QStringLiteral("%d"));
    setCountRange(*battleAxis_, 0);
    chart->addAxis(vehicleAxis_, Qt::AlignLeft);
    chart->addAxis(battleAxis_, Qt::AlignBottom);
    series->attachAxis(vehicleAxis_);
    series->attachAxis(battleAxis_);
    chart->legend()->hide();

    vehicleChart_ = new QChartView(chart, this);
    vehicleChart_->setObjectName(QStringLiteral("vehicleChart"));
    vehicleChart_->setRenderHint(QPainter::Antialiasing);
    // Every vehicle's name needs a line of its own, or the axis leaves names out.
    const int line = QFontMetrics(vehicleAxis_->labelsFont()).height() + kBarLinePadding;
    vehicleChart_->setMinimumSize(kSmallestChart.width(), (chartedVehicles + kBarChartChromeLines) * line);
}

// --- Showing -------------------------------------------------------------------------------------------

QLabel* StatisticsWindow::figureLabel(int index) const {
    return index >= 0 && index < figureCount() ? figures_[static_cast<std::size_t>(index)].first : nullptr;
}

QLabel* StatisticsWindow::figureValue(int index) const {
    return index >= 0 && index < figureCount() ? figures_[static_cast<std::size_t>(index)].second : nullptr;
}

void StatisticsWindow::showStatistics(const ListModel& list, std::u16string_view listName) {
    setWindowTitle(toQString(state_.message(MsgStatisticsTitle) + u" \u2014 " + std::u16string(listName)));
    const BattleStats stats = statsOfShownRows(list, state_.language);
    const std::vector<StatsFigure> figures = statsFigures(stats, state_.language);
    for (std::size_t i = 0; i < figures.size() && i < figures_.size(); ++i) {
        figures_[i].first->setText(toQString(figures[i].label) + QLatin1Char(':'));
        figures_[i].second->setText(toQString(figures[i].value));
    }
    fillStatsGroupList(vehicles_, stats.byVehicle);
    fillStatsGroupList(maps_, stats.byMap);
    // The columns take the width of their headers and cells once; after that they are the user's.
    if (!columnsFitted_ && vehicles_.rowCount() > 0) {
        vehicleView_->resizeColumnsToContents();
        mapView_->resizeColumnsToContents();
        // The room between the tables goes by what their columns need, so that the wider one (long map
        // names) is not cut while the other has room to spare.
        const auto needed = [](const QTableView* view) {
            return view->horizontalHeader()->length() + view->verticalScrollBar()->sizeHint().width();
        };
        tables_->setSizes({needed(vehicleView_), needed(mapView_)});
        columnsFitted_ = true;
    }
    showWeeks(stats);
    showVehicles(stats);
}

void StatisticsWindow::showWeeks(const BattleStats& stats) {
    QList<QPointF> rates, damages;
    double highest = 0;
    for (const WeekStats& week : stats.byWeek) {
        const auto x = static_cast<qreal>(weekStart(week.firstDay).toMSecsSinceEpoch());
        rates.append(QPointF(x, week.winRate * 100.0));
        damages.append(QPointF(x, week.damageDealt));
        highest = std::max(highest, week.damageDealt);
    }
    winRate_->replace(rates);
    damage_->replace(damages);
    if (!stats.byWeek.empty()) {
        const QDateTime first = weekStart(stats.byWeek.front().firstDay);
        const QDateTime last = weekStart(stats.byWeek.back().firstDay);
        weekAxis_->setRange(first.addMSecs(-kWeekMarginMs), last.addMSecs(kWeekMarginMs));
    }
    damageAxis_->setRange(0, std::max(highest, 1.0));
    damageAxis_->applyNiceNumbers();
}

void StatisticsWindow::showVehicles(const BattleStats& stats) {
    // The most played at the top: a horizontal bar chart counts its categories from the bottom.
    QStringList names;
    QList<qreal> battles;
    std::set<QString> seen;
    const std::size_t shown = std::min<std::size_t>(stats.byVehicle.size(), chartedVehicles);
    for (std::size_t i = 0; i < shown; ++i) {
        const GroupStats& vehicle = stats.byVehicle[i];
        QString name =
            vehicle.name.empty() ? toQString(state_.message(MsgNoResultsCell)) : toQString(vehicle.name);
        // An axis takes every name once; a vehicle named like the placeholder gives way.
        if (!seen.insert(name).second) continue;
        names.append(name);
        battles.append(vehicle.battles);
    }
    std::reverse(names.begin(), names.end());
    std::reverse(battles.begin(), battles.end());
    battleBars_->remove(0, battleBars_->count());
    battleBars_->append(battles);
    vehicleAxis_->clear();
    vehicleAxis_->append(names);
    setCountRange(*battleAxis_, shown > 0 ? stats.byVehicle.front().battles : 0);
}

// --- Place ---------------------------------------------------------------------------------------------

void StatisticsWindow::restorePlace(const QWidget* over) {
    const std::optional<WindowPlace> stored = readWindowPlace(settingsFile_, settings::groupStatisticsWindow);
    std::vector<ScreenRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(screenRect(screen->availableGeometry()));
    const QScreen* primary = QGuiApplication::primaryScreen();
    const ScreenRect primaryRect = primary ? screenRect(primary->availableGeometry()) : ScreenRect{};
    if (stored && stored->width >= kSmallestRestoredSide && stored->height >= kSmallestRestoredSide) {
        const ScreenRect placed = keepTitleBarOnScreens({stored->x, stored->y, stored->width, stored->height},
                                                        screens, primaryRect);
        move(placed.x, placed.y);
        resize(placed.width, placed.height);
        return;
    }
    // The built size, smaller where the screen is (a large scale factor), centred over the main window and
    // kept on its screen. Not shown yet, this window has no frame to measure; the main window's is the same.
    const QScreen* screen = over && over->screen() ? over->screen() : primary;
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), builtSize);
    const QSize frame = over ? over->frameGeometry().size() - over->size() : QSize(0, 0);
    const QSize size = builtSize.boundedTo(available.size() - frame);
    const QSize outer = size + frame;
    const QRect around = over ? over->frameGeometry() : available;
    QPoint topLeft = around.center() - QPoint(outer.width() / 2, outer.height() / 2);
    topLeft.setX(std::clamp(topLeft.x(), available.left(), available.right() + 1 - outer.width()));
    topLeft.setY(std::clamp(topLeft.y(), available.top(), available.bottom() + 1 - outer.height()));
    resize(size);
    move(topLeft);
}

void StatisticsWindow::closeEvent(QCloseEvent* event) {
    const QRect frame = frameGeometry();
    // Where the window was is a convenience: a Settings.ini that cannot be written is not worth a message.
    (void)writeWindowPlace(settingsFile_, settings::groupStatisticsWindow,
                           {frame.x(), frame.y(), width(), height()});
    event->accept();
}

StatisticsWindow* StatisticsWindow::showOrRaise(QPointer<StatisticsWindow>& open, MainWindow& main) {
    // A closed window lingers until its deferred deletion; it is done with and never shown again.
    if (!open || !open->isVisible()) {
        auto* window = new StatisticsWindow(main.commands().state(), main.commands().settingsPath(), &main);
        window->setAttribute(Qt::WA_DeleteOnClose);
        connect(&main, &MainWindow::shownRowsChanged, window,
                [window, &main] { window->showStatistics(main.activeList(), main.activeListName()); });
        connect(&main, &MainWindow::exiting, window, &QWidget::close);
        window->showStatistics(main.activeList(), main.activeListName());
        window->restorePlace(&main);
        open = window;
    }
    bringToFront(*open);
    return open;
}

} // namespace tapeloft
