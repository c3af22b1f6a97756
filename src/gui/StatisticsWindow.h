#pragma once

#include "app/ListModel.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

QT_BEGIN_NAMESPACE
class QBarCategoryAxis;
class QBarSet;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QSplitter;
class QTableView;
class QValueAxis;
QT_END_NAMESPACE

namespace tapeloft {

struct AppState;
struct BattleStats;
class ListTableModel;
class MainWindow;

// The statistics of the rows a list shows: the figures at the top, the per-vehicle and per-map tables (sorted
// by a header click like every list), a line chart of win rate and damage per week and a bar chart of the
// most played vehicles. Not modal. It stores its place in Settings.ini when it closes and finds it there
// again.
class StatisticsWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize builtSize{1260, 820};
    // Bars of the vehicle chart: the most played ones.
    static constexpr int chartedVehicles = 15;

    // Builds the window, hidden and empty. The state must outlive it.
    StatisticsWindow(AppState& state, std::filesystem::path settingsFile, QWidget* parent = nullptr);
    ~StatisticsWindow() override;

    // The one open window of the main window: raises and activates the window `open` points to, or builds one
    // that deletes itself when closed, follows the main window's active list and closes when the main window
    // exits, stores it in `open` and shows it at its stored place. Returns the shown window.
    static StatisticsWindow* showOrRaise(QPointer<StatisticsWindow>& open, MainWindow& main);

    // Makes the figures of the rows the list shows now; the list's name goes into the title.
    void showStatistics(const ListModel& list, std::u16string_view listName);
    // The place stored in Settings.ini, kept where its title bar can be reached; without one, the built size
    // centred over `over` (or the primary screen).
    void restorePlace(const QWidget* over);

    // The parts, for tests.
    int figureCount() const { return static_cast<int>(figures_.size()); }
    QLabel* figureLabel(int index) const;
    QLabel* figureValue(int index) const;
    ListModel& vehicleList() { return vehicles_; }
    ListModel& mapList() { return maps_; }
    QTableView* vehicleView() const { return vehicleView_; }
    QTableView* mapView() const { return mapView_; }
    QChartView* weekChart() const { return weekChart_; }
    QChartView* vehicleChart() const { return vehicleChart_; }
    QLineSeries* winRateSeries() const { return winRate_; }
    QLineSeries* damageSeries() const { return damage_; }
    QBarSet* battleBars() const { return battleBars_; }
    QBarCategoryAxis* vehicleAxis() const { return vehicleAxis_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    QTableView* buildTable(ListModel& list, ListTableModel*& model);
    void buildWeekChart();
    void buildVehicleChart();
    void showWeeks(const BattleStats& stats);
    void showVehicles(const BattleStats& stats);

    AppState& state_;
    std::filesystem::path settingsFile_;
    ListModel vehicles_;
    ListModel maps_;

    std::vector<std::pair<QLabel*, QLabel*>> figures_;
    QSplitter* tables_ = nullptr;
    QTableView* vehicleView_ = nullptr;
    QTableView* mapView_ = nullptr;
    ListTableModel* vehicleModel_ = nullptr;
    ListTableModel* mapModel_ = nullptr;
    bool columnsFitted_ = false;

    QChartView* weekChart_ = nullptr;
    QLineSeries* winRate_ = nullptr;
    QLineSeries* damage_ = nullptr;
    QDateTimeAxis* weekAxis_ = nullptr;
    QValueAxis* rateAxis_ = nullptr;
    QValueAxis* damageAxis_ = nullptr;

    QChartView* vehicleChart_ = nullptr;
    QBarSet* battleBars_ = nullptr;
    QBarCategoryAxis* vehicleAxis_ = nullptr;
    QValueAxis* battleAxis_ = nullptr;
};

} // namespace tapeloft
