#include "gui/MainWindow.h"

#include "app/AppState.h"
#include "app/ListModel.h"
#include "app/WindowPlacement.h"
#include "gui/AboutWindow.h"
#include "gui/FilterHeader.h"
#include "gui/FolderTracker.h"
#include "gui/Icons.h"
#include "gui/ListTableModel.h"
#include "gui/ListViewBinder.h"
#include "gui/QtPlatform.h"
#include "gui/QtText.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <vector>

namespace tapeloft {

namespace {

// Stored sizes below this are taken for damage and replaced by the built size.
constexpr int kSmallestRestoredSide = 100;
// How long a remark stays in the status bar before the row counts come back.
constexpr int kNoticeMilliseconds = 10000;

// A list that draws its selection in the active colours only while it has the keyboard focus, so that its
// palette's inactive colours decide whether the selection stays visible without it.
class RecordTableView final : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override {
        QTableView::initViewItemOption(option);
        if (!hasFocus()) option->state &= ~QStyle::State_Active;
    }
    void focusInEvent(QFocusEvent* event) override {
        QTableView::focusInEvent(event);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QTableView::focusOutEvent(event);
        viewport()->update();
    }
};

ScreenRect screenRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

} // namespace

struct MainWindow::ListParts {
    QWidget* page = nullptr;
    QTableView* view = nullptr;
    ListTableModel* model = nullptr;
    FilterHeader* header = nullptr;
    QToolButton* filterToggle = nullptr;
    QRect builtGeometry;
};

MainWindow::MainWindow(AppState& state, Platform* platform, FileOperations* files,
                       std::filesystem::path workFolder)
    : QWidget(nullptr), state_(state), ownPlatform_(platform ? nullptr : std::make_unique<QtPlatform>(this)),
      platform_(platform ? *platform : *ownPlatform_),
      replays_(makeReplayListModel(state.language, ReplayListKind::Replays)),
      favourites_(makeReplayListModel(state.language, ReplayListKind::Favourites)),
      commands_(state, replays_, favourites_, platform_, files ? *files : ownFiles_, std::move(workFolder)),
      replayParts_(std::make_unique<ListParts>()), favouriteParts_(std::make_unique<ListParts>()) {
    build();
    commands_.setListener(this);
    tracker_ = new FolderTracker([this] { return commands_.pollLive(std::chrono::steady_clock::now()); },
                                 [this] { return commands_.watchedFolders(); }, this);
}

MainWindow::~MainWindow() {
    commands_.setListener(nullptr);
    delete about_.data();
    // The views and their adapters observe replays_ and favourites_, which die with the other members,
    // before the Qt children do: they go first.
    for (ListParts* list : {replayParts_.get(), favouriteParts_.get()}) {
        delete list->view;
        delete list->model;
    }
}

// --- Building ------------------------------------------------------------------------------------------

void MainWindow::addControl(int id, QWidget* widget) {
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    controls_.emplace(id, widget);
}

QToolButton* MainWindow::addImageButton(QWidget* parent, int id, int image, QRect geometry,
                                        MessageId tooltip) {
    auto* button = new QToolButton(parent);
    const QImage picture = loadIconImage(image);
    button->setIcon(QIcon(QPixmap::fromImage(picture)));
    button->setIconSize(picture.size());
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    button->setToolTip(toQString(state_.message(tooltip)));
    button->setFocusPolicy(Qt::TabFocus);
    connect(button, &QToolButton::clicked, this, [this, id] { dispatch(kMainWindowId, id, UiEvent::Click); });
    addControl(id, button);
    return button;
}

void MainWindow::build() {
    setWindowTitle(QStringLiteral("Tapeloft ") + toQString(state_.version) + QStringLiteral(" for Ironvale"));
    resize(builtSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(builtSize.width() / 2, builtSize.height() / 2));
    }

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("statusBar"));
    for (QLabel*& field : statusFields_) {
        field = new QLabel(statusBar_);
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar_->addWidget(field, 1);
    }

    auto* replayPath = new QLineEdit(this);
    replayPath->setReadOnly(true);
    replayPath->setGeometry(10, 10, 320, 20);
    replayPath->setText(toQString(state_.message(MsgReplayFolder)));
    replayPath->setToolTip(toQString(state_.message(MsgReplayFolder)));
    addControl(kReplayPathField, replayPath);

    auto* favouritesPath = new QLineEdit(this);
    favouritesPath->setReadOnly(true);
    favouritesPath->setGeometry(420, 10, 300, 20);
    favouritesPath->setText(toQString(state_.message(MsgFavouritesFolder)));
    favouritesPath->setToolTip(toQString(state_.message(MsgFavouritesFolder)));
    addControl(kFavouritesPathField, favouritesPath);

    addImageButton(this, kReplayFolderButton, 5, {335, 8, 25, 25}, MsgChooseReplayFolder);
    addImageButton(this, kFavouritesFolderButton, 5, {725, 8, 25, 25}, MsgChooseFavouritesFolder);
    addImageButton(this, kRescanButton, 3, {760, 2, 32, 32}, MsgRescanTip);
    addImageButton(this, kSettingsButton, 12, {802, 2, 32, 32}, MsgSettingsTip);
    addImageButton(this, kAboutButton, 4, {838, 2, 32, 32}, MsgAboutTitle);

    tabs_ = new QTabWidget(this);
    tabs_->setGeometry(tabsGeometry);
    tabs_->setIconSize(QSize(32, 32));
    addControl(kMainTabs, tabs_);
    buildListTab(ReplayListKind::Replays);
    buildListTab(ReplayListKind::Favourites);

    folderChanged(ReplayListKind::Replays);
    folderChanged(ReplayListKind::Favourites);
    statusChanged();
    layoutAnchored();
}

void MainWindow::buildListTab(ReplayListKind kind) {
    const bool replays = kind == ReplayListKind::Replays;
    ListParts& list = parts(kind);
    list.page = new QWidget;
    tabs_->addTab(list.page, loadIcon(replays ? 1 : 0),
                  toQString(state_.message(replays ? MsgReplaysTab : MsgFavouritesTab)));

    addImageButton(list.page, replays ? kExportReplaysButton : kExportFavouritesButton, 6, {10, 5, 32, 32},
                   replays ? MsgExportReplaysTip : MsgExportFavouritesTip);
    addImageButton(list.page, replays ? kReplayDetailsButton : kFavouriteDetailsButton, 7, {47, 5, 32, 32},
                   replays ? MsgReplayDetailsTip : MsgFavouriteDetailsTip);
    addImageButton(list.page, replays ? kDeleteReplaysButton : kDeleteFavouritesButton, 8, {109, 5, 32, 32},
                   replays ? MsgDeleteReplaysTip : MsgDeleteFavouritesTip);
    addImageButton(list.page, replays ? kMoveToFavouritesButton : kMoveToReplaysButton, replays ? 9 : 11,
                   {171, 5, 32, 32}, replays ? MsgMoveToFavouritesTip : MsgMoveToReplaysTip);
    list.filterToggle = addImageButton(list.page, replays ? kReplayFilterToggle : kFavouriteFilterToggle, 10,
                                       {233, 5, 32, 32}, MsgFilterBarTip);
    list.filterToggle->setCheckable(true);

    auto* hint = new QLabel(toQString(state_.message(MsgListHint)), list.page);
    hint->setGeometry(300, 20, 400, 20);
    QPalette hintPalette = hint->palette();
    hintPalette.setColor(QPalette::WindowText, hintColour);
    hint->setPalette(hintPalette);
    addControl(replays ? kReplayHintLabel : kFavouriteHintLabel, hint);

    auto* view = new RecordTableView(list.page);
    list.view = view;
    list.header = new FilterHeader(view);
    view->setHorizontalHeader(list.header);
    list.model = new ListTableModel(replays ? replays_ : favourites_, this);
    new ListViewBinder(*view, *list.model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setShowGrid(false);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.header->setSectionsMovable(true);
    list.header->setHighlightSections(false);
    list.header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QHeaderView* rowsHeader = view->verticalHeader();
    rowsHeader->hide();
    rowsHeader->setMinimumSectionSize(1);
    rowsHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowsHeader->setDefaultSectionSize(view->fontMetrics().height() + 4);

    // The replay list shows its selection without the focus too; the favourites list hides it then.
    QPalette palette = view->palette();
    if (replays) {
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::HighlightedText));
    } else {
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Active, QPalette::Base));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::Text));
    }
    view->setPalette(palette);

    list.builtGeometry = replays ? replayListGeometry : favouritesListGeometry;
    view->setGeometry(list.builtGeometry);
    list.page->installEventFilter(this);
    const int id = replays ? kReplayListId : kFavouritesListId;
    addControl(id, view);
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this, id] { dispatch(kMainWindowId, id, UiEvent::DoubleClick); });
    connect(list.header, &FilterHeader::filterEdited, this, [this, kind](int column, const QString& text) {
        commands_.setFilterText(kind, column, fromQString(text));
    });
}

MainWindow::ListParts& MainWindow::parts(ReplayListKind kind) {
    return kind == ReplayListKind::Replays ? *replayParts_ : *favouriteParts_;
}

const MainWindow::ListParts& MainWindow::parts(ReplayListKind kind) const {
    return kind == ReplayListKind::Replays ? *replayParts_ : *favouriteParts_;
}

void MainWindow::layoutAnchored() {
    const int statusHeight = statusBar_->sizeHint().height();
    statusBar_->setGeometry(0, height() - statusHeight, width(), statusHeight);
    // Anchored to all four edges: every distance to the window's edges stays as built.
    const QSize delta = size() - builtSize;
    tabs_->setGeometry(
        QRect(tabsGeometry.topLeft(), QSize(std::max(tabsGeometry.width() + delta.width(), 0),
                                            std::max(tabsGeometry.height() + delta.height(), 0))));
}

void MainWindow::layoutList(ListParts& list) {
    // The lists keep their distances to the edges of their page. The page is what the tab container leaves
    // below its tabs, so its built size follows from the container's built size; where the built list
    // would reach past that page (tall tab icons), it keeps a small margin instead.
    constexpr int smallestMargin = 4;
    const QSize chrome = tabs_->size() - list.page->size();
    const QSize builtPage = tabsGeometry.size() - chrome;
    const QRect& built = list.builtGeometry;
    const int right = std::max(builtPage.width() - built.right() - 1, smallestMargin);
    const int bottom = std::max(builtPage.height() - built.bottom() - 1, smallestMargin);
    const QSize page = list.page->size();
    list.view->setGeometry(built.x(), built.y(), std::max(page.width() - built.x() - right, 0),
                           std::max(page.height() - built.y() - bottom, 0));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize)
        for (ListParts* list : {replayParts_.get(), favouriteParts_.get()})
            if (watched == list->page) layoutList(*list);
    return QWidget::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutAnchored();
}

// --- Accessors -----------------------------------------------------------------------------------------

QWidget* MainWindow::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QTableView* MainWindow::listView(ReplayListKind kind) const {
    return parts(kind).view;
}

ListTableModel* MainWindow::tableModel(ReplayListKind kind) const {
    return parts(kind).model;
}

FilterHeader* MainWindow::filterHeader(ReplayListKind kind) const {
    return parts(kind).header;
}

AboutWindow* MainWindow::aboutWindow() const {
    return about_;
}

QString MainWindow::statusText(int field) const {
    return field == 0 || field == 1 ? statusFields_[field]->text() : QString();
}

void MainWindow::folderChanged(ReplayListKind kind) {
    auto* field = static_cast<QLineEdit*>(
        control(kind == ReplayListKind::Replays ? kReplayPathField : kFavouritesPathField));
    field->setText(toQString(commands_.folder(kind)));
    field->setCursorPosition(0);
}

void MainWindow::notice(std::u16string_view text) {
    statusBar_->showMessage(toQString(text), kNoticeMilliseconds);
}

void MainWindow::statusChanged() {
    // Scans, moves and folder choices all end here: the folders to watch may have changed.
    if (tracker_) tracker_->refresh();
    statusFields_[0]->setText(toQString(commands_.statusText(ReplayListKind::Replays)));
    statusFields_[1]->setText(toQString(commands_.statusText(ReplayListKind::Favourites)));
}

// --- Start-up ------------------------------------------------------------------------------------------

void MainWindow::restoreLayout() {
    const WindowSettings stored = commands_.storedWindowSettings();
    const QSize inner(stored.width < kSmallestRestoredSide ? builtSize.width() : stored.width,
                      stored.height < kSmallestRestoredSide ? builtSize.height() : stored.height);
    std::vector<ScreenRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(screenRect(screen->availableGeometry()));
    const QScreen* primary = QGuiApplication::primaryScreen();
    const ScreenRect placed =
        keepTitleBarOnScreens({stored.x, stored.y, inner.width(), inner.height()}, screens,
                              primary ? screenRect(primary->availableGeometry()) : ScreenRect{});
    move(placed.x, placed.y);
    resize(inner);

    commands_.applyColumnWidths(stored);
    commands_.applyStoredColumnOrder();
    commands_.applySortKinds();
}

void MainWindow::scanFolders() {
    commands_.rescan();
}

// --- Events --------------------------------------------------------------------------------------------

void MainWindow::dispatch(int window, int control, UiEvent event) {
    if (window == kAboutWindowId) {
        if (!about_ || event != UiEvent::Click) return;
        if (control == kAboutLink)
            platform_.openWithAssociatedProgram(fromQString(AboutWindow::discussionAddress));
        if (control == kAboutCloseButton) closeAbout();
        return;
    }
    if (window != kMainWindowId) return;
    if (event == UiEvent::CloseRequest) {
        close();
        return;
    }
    if (event == UiEvent::F3Pressed) {
        f3Pressed();
        return;
    }
    if (!isEnabled()) return;

    using Kind = ReplayListKind;
    switch (control) {
    case kReplayFolderButton:
        commands_.chooseFolder(Kind::Replays);
        break;
    case kFavouritesFolderButton:
        commands_.chooseFolder(Kind::Favourites);
        break;
    case kRescanButton:
        // With Shift every replay is read again, whatever the record cache holds.
        commands_.rescan(QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
        break;
    case kExportReplaysButton:
        commands_.exportList(Kind::Replays);
        break;
    case kExportFavouritesButton:
        commands_.exportList(Kind::Favourites);
        break;
    case kReplayDetailsButton:
        openDetails(Kind::Replays, false);
        break;
    case kFavouriteDetailsButton:
        openDetails(Kind::Favourites, false);
        break;
    case kDeleteReplaysButton:
        commands_.deleteSelected(Kind::Replays);
        break;
    case kDeleteFavouritesButton:
        commands_.deleteSelected(Kind::Favourites);
        break;
    case kMoveToFavouritesButton:
        commands_.moveSelected(Kind::Replays);
        break;
    case kMoveToReplaysButton:
        commands_.moveSelected(Kind::Favourites);
        break;
    case kReplayFilterToggle:
        switchFilterBar(Kind::Replays);
        break;
    case kFavouriteFilterToggle:
        switchFilterBar(Kind::Favourites);
        break;
    case kReplayListId:
    case kFavouritesListId:
        if (event == UiEvent::DoubleClick)
            commands_.openCurrent(control == kReplayListId ? Kind::Replays : Kind::Favourites);
        break;
    case kAboutButton:
        openAbout();
        break;
    case kSettingsButton:
        if (settingsOpener_) settingsOpener_();
        break;
    default:
        break;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // One press opens one details window, however long the key is held.
    if (event->key() == Qt::Key_F3) {
        if (!event->isAutoRepeat()) dispatch(kMainWindowId, kNoControl, UiEvent::F3Pressed);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // While the details or About window is open the main window takes no requests, closing included.
    if (!closing_ && !isEnabled()) {
        event->ignore();
        return;
    }
    if (!closing_) exitSequence();
    event->accept();
}

void MainWindow::exitSequence() {
    closing_ = true;
    delete tracker_;
    tracker_ = nullptr;
    const QRect frame = frameGeometry();
    commands_.saveOnExit(frame.x(), frame.y(), width(), height());
    delete about_.data();
}

// --- Commands with windows -----------------------------------------------------------------------------

void MainWindow::setDetailsOpener(std::function<void(const std::u16string&)> opener) {
    detailsOpener_ = std::move(opener);
}

void MainWindow::setSettingsOpener(std::function<void()> opener) {
    settingsOpener_ = std::move(opener);
}

void MainWindow::openDetails(ReplayListKind kind, bool fromF3) {
    const std::optional<std::u16string> path = commands_.currentPath(kind);
    if (!path || !detailsOpener_) return;
    if (fromF3) state_.detailsClosed = false;
    setEnabled(false);
    detailsOpener_(*path);
}

void MainWindow::detailsClosed() {
    setEnabled(true);
    state_.detailsClosed = true;
}

void MainWindow::f3Pressed() {
    if (!isEnabled() || !state_.detailsClosed) return;
    for (const ReplayListKind kind : {ReplayListKind::Replays, ReplayListKind::Favourites}) {
        if (parts(kind).view->hasFocus() && commands_.currentPath(kind)) {
            openDetails(kind, true);
            return;
        }
    }
}

void MainWindow::switchFilterBar(ReplayListKind kind) {
    const bool on = commands_.toggleFilterBar(kind);
    ListParts& list = parts(kind);
    list.header->setFilterBarVisible(on);
    list.filterToggle->setChecked(on);
}

void MainWindow::openAbout() {
    if (about_) return;
    about_ = new AboutWindow(state_);
    about_->move(frameGeometry().center() -
                 QPoint(AboutWindow::windowSize.width() / 2, AboutWindow::windowSize.height() / 2));
    connect(about_, &AboutWindow::controlClicked, this,
            [this](int control) { dispatch(kAboutWindowId, control, UiEvent::Click); });
    connect(about_, &AboutWindow::fadedOut, this, [this] {
        setEnabled(true);
        about_->deleteLater();
        about_ = nullptr;
    });
    about_->fadeIn();
    setEnabled(false);
}

void MainWindow::closeAbout() {
    if (about_) about_->fadeOut();
}

} // namespace tapeloft
