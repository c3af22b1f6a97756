#pragma once

#include "app/ControlIds.h"
#include "app/ListModel.h"
#include "app/MainCommands.h"
#include "base/FileOperations.h"
#include "base/Messages.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QStatusBar;
class QTabWidget;
class QTableView;
class QToolButton;

namespace tapeloft {

struct AppState;
class AboutWindow;
class FilterHeader;
class FolderTracker;
class ListTableModel;
class Platform;
class QtPlatform;

// Window 15: the two lists of battle records on two tabs, the folder fields, the image buttons and the
// status bar. Every user action goes through dispatch(); the commands themselves are MainCommands.
class MainWindow final : public QWidget, private MainCommandsListener {
    Q_OBJECT

public:
    static constexpr QSize builtSize{880, 625};
    // Where the built controls sit; the tab container and both lists grow and shrink with the window.
    static constexpr QRect tabsGeometry{10, 35, 860, 562};
    static constexpr QRect replayListGeometry{5, 40, 845, 490};
    static constexpr QRect favouritesListGeometry{5, 40, 840, 490};
    static inline const QColor hintColour{0x5E, 0xA3, 0xFF};

    // Builds window 15 over loaded settings. Without a platform the window uses its own Qt dialogs, without
    // file operations the real file system; both must outlive the window. Settings.ini and ColumnOrder.Dat
    // are taken from workFolder (empty: the current folder).
    explicit MainWindow(AppState& state, Platform* platform = nullptr, FileOperations* files = nullptr,
                        std::filesystem::path workFolder = {});
    ~MainWindow() override;

    // Start-up after building, in this order: the stored geometry (a position whose title bar would be on
    // no screen goes onto the primary screen), column widths to both lists, ColumnOrder.Dat to both lists,
    // the sort kinds.
    void restoreLayout();
    // Scans both configured folders, the replay folder first, then shows the counts.
    void scanFolders();

    // Routes one user action: window 15 or 16, a control number from ControlIds.h (kNoControl for the
    // window itself) and what happened. Anything else is ignored.
    void dispatch(int window, int control, UiEvent event);

    // Opens the details window for a replay file. The main window is disabled before the call; the
    // details window must call detailsClosed() when it goes, also when it could not open.
    void setDetailsOpener(std::function<void(const std::u16string& path)> opener);
    // Opens the settings window (the main window stays usable).
    void setSettingsOpener(std::function<void()> opener);
    // The details window has gone (it stores the price itself): enables the main window and lets F3
    // open details again.
    void detailsClosed();

    MainCommands& commands() { return commands_; }
    Platform& platform() { return platform_; }
    ListModel& replayList() { return replays_; }
    ListModel& favouritesList() { return favourites_; }
    // A control of window 15 by its number (the folder button for 0); null for an unknown number.
    QWidget* control(int id) const;
    QTableView* listView(ReplayListKind kind) const;
    ListTableModel* tableModel(ReplayListKind kind) const;
    FilterHeader* filterHeader(ReplayListKind kind) const;
    QStatusBar* statusBar() const { return statusBar_; }
    // Text of status field 0 (replays) or 1 (favourites); empty for another field.
    QString statusText(int field) const;
    // The open About window, or null.
    AboutWindow* aboutWindow() const;
    FolderTracker* folderTracker() const { return tracker_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct ListParts;

    void build();
    void buildListTab(ReplayListKind kind);
    QToolButton* addImageButton(QWidget* parent, int id, int image, QRect geometry, MessageId tooltip);
    void addControl(int id, QWidget* widget);
    void layoutAnchored();
    void layoutList(ListParts& list);
    ListParts& parts(ReplayListKind kind);
    const ListParts& parts(ReplayListKind kind) const;

    void openDetails(ReplayListKind kind, bool fromF3);
    void f3Pressed();
    void switchFilterBar(ReplayListKind kind);
    void openAbout();
    void closeAbout();
    void exitSequence();

    void folderChanged(ReplayListKind kind) override;
    void statusChanged() override;
    void notice(std::u16string_view text) override;

    AppState& state_;
    std::unique_ptr<QtPlatform> ownPlatform_;
    Platform& platform_;
    FileOperations ownFiles_;
    ListModel replays_;
    ListModel favourites_;
    MainCommands commands_;

    std::map<int, QWidget*> controls_;
    QTabWidget* tabs_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusFields_[2] = {nullptr, nullptr};
    std::unique_ptr<ListParts> replayParts_;
    std::unique_ptr<ListParts> favouriteParts_;
    QPointer<AboutWindow> about_;
    FolderTracker* tracker_ = nullptr;

    std::function<void(const std::u16string&)> detailsOpener_;
    std::function<void()> settingsOpener_;
    bool closing_ = false;
};

} // namespace tapeloft
