#pragma once

#include "app/LayoutScale.h"
#include "app/ListModel.h"

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <memory>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace tapeloft {

struct AppState;
class ListTableModel;
class Platform;
class QtPlatform;

// The settings window: the language file for the next start, the account for the replay-hosting site and
// the visible columns of both record lists. Not modal. Save applies the columns, stores the account and
// the language in Settings.ini and closes; closing it any other way keeps nothing of what was edited.
// Everything is read afresh when it is built, so one window is one editing session.
class SettingsWindow final : public QWidget {
    Q_OBJECT

public:
    // The host name the account frame is captioned with.
    static constexpr const char* kReplayHost = "replays.ironvale.example";

    // Builds and fills the window, hidden. The language files are listed in workFolder, where
    // Settings.ini (state.settingsFile) lives too; an empty path is the current directory. The lists and the
    // state must outlive the window.
    SettingsWindow(AppState& state, ListModel& replayList, ListModel& favouritesList,
                   const std::filesystem::path& workFolder, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // The one open window of an owner: raises and activates the window `open` points to, or builds a new one
    // that deletes itself when closed, stores it in `open` (which turns null once it is gone) and shows it.
    // Returns the shown window.
    static SettingsWindow* showOrRaise(QPointer<SettingsWindow>& open, AppState& state, ListModel& replayList,
                                       ListModel& favouritesList, const std::filesystem::path& workFolder,
                                       QWidget* parent = nullptr);

    // Where the failure of a Save is reported; the window's own Qt message boxes until set. The platform
    // must outlive the window.
    void setPlatform(Platform& platform);

    // The Save button: applies the check marks to both lists and stores "MRlog", "MRpass" and the chosen
    // "Lang". Then the window closes and saved() is sent. When Settings.ini cannot be written the user is
    // told, the window stays open with everything as typed, and false is returned.
    bool save();

    // The controls, for the owner and for tests.
    QPushButton* saveButton() const { return saveButton_; }
    QTabWidget* tabs() const { return tabs_; }
    QComboBox* languageBox() const { return languageBox_; }
    QGroupBox* accountFrame() const { return accountFrame_; }
    QLineEdit* userNameField() const { return userNameField_; }
    QLineEdit* passwordField() const { return passwordField_; }
    QTableView* columnView() const { return columnView_; }
    // The rows of the column list, one per column 1 ... 39 of the record lists.
    ListModel& columnChoices() { return columnChoices_; }

signals:
    // Sent after a Save has stored the settings, before the window closes.
    void saved();

private:
    void buildLanguageTab(QWidget& page, const std::filesystem::path& workFolder);
    void buildAccountTab(QWidget& page);
    void buildColumnTab(QWidget& page);

    AppState& state_;
    ListModel& replayList_;
    ListModel& favouritesList_;
    std::filesystem::path settingsFile_;
    ListModel columnChoices_;

    LayoutScale scale_;
    std::unique_ptr<QtPlatform> ownPlatform_;
    Platform* platform_ = nullptr;

    QPushButton* saveButton_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QComboBox* languageBox_ = nullptr;
    QGroupBox* accountFrame_ = nullptr;
    QLineEdit* userNameField_ = nullptr;
    QLineEdit* passwordField_ = nullptr;
    QTableView* columnView_ = nullptr;
    ListTableModel* columnModel_ = nullptr;
};

} // namespace tapeloft
