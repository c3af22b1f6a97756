#include "gui/SettingsWindow.h"
#include "gui/WindowFront.h"

#include "app/AppState.h"
#include "app/SettingsEdit.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "gui/ListTableModel.h"
#include "gui/ListViewBinder.h"
#include "gui/QtPlatform.h"
#include "gui/QtText.h"
#include "gui/ScaledLayout.h"

#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>

namespace tapeloft {

namespace {

// Caption, system menu and minimise box, no maximise box; the border stays sizeable.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                         Qt::WindowCloseButtonHint;

constexpr QSize kDesignSize{261, 425};

// Design places scaled to the window's font (app/LayoutScale.h).
template <typename Widget> Widget* place(const LayoutScale& scale, Widget* widget, const QRect& design) {
    widget->setGeometry(scaledRect(scale, design));
    return widget;
}

} // namespace

SettingsWindow::SettingsWindow(AppState& state, ListModel& replayList, ListModel& favouritesList,
                               const std::filesystem::path& workFolder, QWidget* parent)
    : QWidget(parent, kWindowFlags), state_(state), replayList_(replayList), favouritesList_(favouritesList),
      settingsFile_(workFolder /
                    pathFromText(state.settingsFile.empty() ? settings::fileName : state.settingsFile)),
      columnChoices_(makeColumnChoiceList(replayList)), ownPlatform_(std::make_unique<QtPlatform>(this)),
      platform_(ownPlatform_.get()) {
    setObjectName(QStringLiteral("window18"));
    setWindowTitle(toQString(state_.message(MsgSettingsTitle)));
    scale_ = layoutScaleFor(font());
    // The controls keep their places; a larger window only shows more empty space.
    move(495, 158);
    resize(scaledSize(scale_, kDesignSize));

    saveButton_ =
        place(scale_, new QPushButton(toQString(state_.message(MsgSave)), this), {156, 401, 100, 20});
    saveButton_->setObjectName(QStringLiteral("button15"));
    connect(saveButton_, &QPushButton::clicked, this, [this] { save(); });

    tabs_ = place(scale_, new QTabWidget(this), {1, 3, 255, 395});
    tabs_->setObjectName(QStringLiteral("tabs18"));
    auto* languagePage = new QWidget;
    auto* accountPage = new QWidget;
    auto* columnPage = new QWidget;
    tabs_->addTab(languagePage, toQString(state_.message(MsgLanguage)));
    tabs_->addTab(accountPage, toQString(state_.message(MsgAccount)));
    tabs_->addTab(columnPage, toQString(state_.message(MsgColumns)));
    buildLanguageTab(*languagePage, workFolder);
    buildAccountTab(*accountPage);
    buildColumnTab(*columnPage);
}

SettingsWindow::~SettingsWindow() {
    // The view and its adapter go before columnChoices_, which they read until they are gone.
    delete columnView_;
    delete columnModel_;
}

void SettingsWindow::buildLanguageTab(QWidget& page, const std::filesystem::path& workFolder) {
    auto* label =
        place(scale_, new QLabel(toQString(state_.message(MsgLanguageFile)), &page), {25, 15, 195, 20});
    label->setObjectName(QStringLiteral("label52"));
    languageBox_ = place(scale_, new QComboBox(&page), {25, 35, 195, 20});
    languageBox_->setObjectName(QStringLiteral("list188"));
    const std::vector<std::u16string> files = listLanguageFiles(workFolder);
    for (const std::u16string& file : files)
        languageBox_->addItem(toQString(file));
    // Adding the first entry selects it; only the file in use may stay selected.
    languageBox_->setCurrentIndex(languageFileIndex(files, state_.languageFile));
}

void SettingsWindow::buildAccountTab(QWidget& page) {
    // The labels and fields lie on the tab over the frame, not inside it, so they are made after it.
    accountFrame_ = place(scale_, new QGroupBox(QString::fromLatin1(kReplayHost), &page), {10, 10, 225, 80});
    accountFrame_->setObjectName(QStringLiteral("frame23"));
    place(scale_, new QLabel(toQString(state_.message(MsgLogin)), &page), {20, 30, 50, 20})
        ->setObjectName(QStringLiteral("label50"));
    place(scale_, new QLabel(toQString(state_.message(MsgPassword)), &page), {20, 60, 50, 20})
        ->setObjectName(QStringLiteral("label51"));

    const AccountSettings account = readAccountSettings(settingsFile_);
    userNameField_ = place(scale_, new QLineEdit(toQString(account.userName), &page), {80, 27, 120, 20});
    userNameField_->setObjectName(QStringLiteral("field168"));
    passwordField_ = place(scale_, new QLineEdit(toQString(account.password), &page), {80, 57, 120, 20});
    passwordField_->setObjectName(QStringLiteral("field169"));
    passwordField_->setEchoMode(QLineEdit::Password);
}

void SettingsWindow::buildColumnTab(QWidget& page) {
    columnView_ = place(scale_, new QTableView(&page), {5, 5, 240, 360});
    columnView_->setObjectName(QStringLiteral("list179"));
    columnModel_ = new ListTableModel(columnChoices_, this);
    columnModel_->setCheckable(true);
    new ListViewBinder(*columnView_, *columnModel_);
    columnView_->horizontalHeader()->hide();
    columnView_->verticalHeader()->hide();
    columnView_->setShowGrid(false);
    columnView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    columnView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    columnView_->setWordWrap(false);
    // The 240-wide column is wider than the space beside the scroll bar; its end can still be scrolled to.
    columnView_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Rows as tall as a line of text, as in a list control, rather than the table's roomier default.
    QHeaderView* rows = columnView_->verticalHeader();
    const int rowHeight = columnView_->fontMetrics().height() + 4;
    rows->setMinimumSectionSize(rowHeight);
    rows->setDefaultSectionSize(rowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
}

SettingsWindow* SettingsWindow::showOrRaise(QPointer<SettingsWindow>& open, AppState& state,
                                            ListModel& replayList, ListModel& favouritesList,
                                            const std::filesystem::path& workFolder, QWidget* parent) {
    // A closed window lingers until its deferred deletion; it is done with and never shown again.
    if (!open || !open->isVisible()) {
        open = new SettingsWindow(state, replayList, favouritesList, workFolder, parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) keepInsideScreen(*open, *screen);
    }
    bringToFront(*open);
    return open;
}

void SettingsWindow::setPlatform(Platform& platform) {
    platform_ = &platform;
}

bool SettingsWindow::save() {
    SettingsEdit edit;
    edit.account.userName = fromQString(userNameField_->text());
    edit.account.password = fromQString(passwordField_->text());
    if (languageBox_->currentIndex() >= 0) edit.languageFile = fromQString(languageBox_->currentText());
    if (!saveSettingsEdit(settingsFile_, edit, columnChoices_, replayList_, favouritesList_)) {
        platform_->messageBox(state_.message(MsgErrorTitle),
                              state_.message(MsgNotWritten) + textFromPath(settingsFile_.filename()));
        return false;
    }
    emit saved();
    close();
    return true;
}

} // namespace tapeloft
