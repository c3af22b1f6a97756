#include "gui/MainWindow.h"

#include "app/AppState.h"
#include "app/ListModel.h"
#include "app/SettingsEdit.h"
#include "app/WindowPlacement.h"
#include "base/TextCodec.h"
#include "gui/AboutWindow.h"
#include "gui/FilterHeader.h"
#include "gui/FolderTracker.h"
#include "gui/Icons.h"
#include "gui/ListTableModel.h"
#include "gui/ListViewBinder.h"
#include "gui/QtPlatform.h"
#include "gui/QtText.h"
#include "gui/ScaledLayout.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <functional>
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

    // Enter and Delete on the list itself, as file managers have them; the filter boxes keep their keys.
    std::function<void()> onEnter;
    std::function<void()> onDelete;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && event->modifiers() == Qt::NoModifier && onEnter) {
            if (!event->isAutoRepeat()) onEnter();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && onDelete) {
            if (!event->isAutoRepeat()) onDelete();
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }
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

// The top row of the layout table: the folder fields stretch, everything right of them follows.
struct TopRowPlace {
    int id;
    QRect design;
    bool stretches;
};
constexpr TopRowPlace kTopRow[] = {
    {kReplayPathField, {10, 10, 320, 20}, true},      {kReplayFolderButton, {335, 8, 25, 25}, false},
    {kFavouritesPathField, {420, 10, 258, 20}, true}, {kFavouritesFolderButton, {683, 8, 25, 25}, false},
    {kStatisticsButton, {718, 2, 32, 32}, false},     {kRescanButton, {760, 2, 32, 32}, false},
    {kSettingsButton, {802, 2, 32, 32}, false},       {kAboutButton, {838, 2, 32, 32}, false},
};

QRect topRowDesign(int id) {
    for (const TopRowPlace& place : kTopRow)
        if (place.id == id) return place.design;
    return {};
}

} // namespace

struct MainWindow::ListParts {
    QWidget* page = nullptr;
    QTableView* view = nullptr;
    ListTableModel* model = nullptr;
    FilterHeader* header = nullptr;
    QToolButton* filterToggle = nullptr;
    QLabel* hint = nullptr;
    std::vector<QToolButton*> buttons;
    QRect builtGeometry; // from the layout table, scaled
};

MainWindow::MainWindow(AppState& state, Platform* platform, FileOperations* files,
                       std::filesystem::path workFolder)
    : QWidget(nullptr), state_(state), ownPlatform_(platform ? nullptr : std::make_unique<QtPlatform>(this)),
      platform_(platform ? *platform : *ownPlatform_),
      replays_(makeReplayListModel(state.language, ReplayListKind::Replays)),
      favourites_(makeReplayListModel(state.language, ReplayListKind::Favourites)),
      commands_(state, replays_, favourites_, platform_, files ? *files : ownFiles_, std::move(workFolder)),
      replayParts_(std::make_unique<ListParts>()), favouriteParts_(std::make_unique<ListParts>()) {
    if (ownPlatform_) ownPlatform_->setCancelText(toQString(state_.message(MsgCancel)));
    build();
    buildShortcuts();
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
    button->setGeometry(scaledRect(scale_, geometry));
    button->setToolTip(toQString(state_.message(tooltip)));
    button->setFocusPolicy(Qt::TabFocus);
    connect(button, &QToolButton::clicked, this, [this, id] { dispatch(kMainWindowId, id, UiEvent::Click); });
    addControl(id, button);
    return button;
}

void MainWindow::build() {
    setWindowTitle(QStringLiteral("Tapeloft ") + toQString(state_.version) + QStringLiteral(" for Ironvale"));
    scale_ = layoutScaleFor(font());
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
    replayPath->setGeometry(scaledRect(scale_, topRowDesign(kReplayPathField)));
    replayPath->setText(toQString(state_.message(MsgReplayFolder)));
    replayPath->setToolTip(toQString(state_.message(MsgReplayFolder)));
    addControl(kReplayPathField, replayPath);

    auto* favouritesPath = new QLineEdit(this);
    favouritesPath->setReadOnly(true);
    favouritesPath->setGeometry(scaledRect(scale_, topRowDesign(kFavouritesPathField)));
    favouritesPath->setText(toQString(state_.message(MsgFavouritesFolder)));
    favouritesPath->setToolTip(toQString(state_.message(MsgFavouritesFolder)));
    addControl(kFavouritesPathField, favouritesPath);

    addImageButton(this, kReplayFolderButton, 5, topRowDesign(kReplayFolderButton), MsgChooseReplayFolder);
    addImageButton(this, kFavouritesFolderButton, 5, topRowDesign(kFavouritesFolderButton),
                   MsgChooseFavouritesFolder);
    QToolButton* statistics =
        addImageButton(this, kStatisticsButton, 13, topRowDesign(kStatisticsButton), MsgStatisticsTitle);
    statistics->setToolTip(statistics->toolTip() + QStringLiteral(" (Ctrl+I)"));
    auto* statisticsKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), this);
    connect(statisticsKey, &QShortcut::activated, this,
            [this] { dispatch(kMainWindowId, kStatisticsButton, UiEvent::Click); });
    addImageButton(this, kRescanButton, 3, topRowDesign(kRescanButton), MsgRescanTip);
    addImageButton(this, kSettingsButton, 12, topRowDesign(kSettingsButton), MsgSettingsTip);
    addImageButton(this, kAboutButton, 4, topRowDesign(kAboutButton), MsgAboutTitle);

    tabs_ = new QTabWidget(this);
    tabs_->setGeometry(scaledRect(scale_, tabsGeometry));
    tabs_->setIconSize(QSize(32, 32));
    addControl(kMainTabs, tabs_);
    buildListTab(ReplayListKind::Replays);
    buildListTab(ReplayListKind::Favourites);
    shownRowsTimer_ = new QTimer(this);
    shownRowsTimer_->setSingleShot(true);
    shownRowsTimer_->setInterval(shownRowsDelayMs);
    connect(shownRowsTimer_, &QTimer::timeout, this, &MainWindow::shownRowsChanged);
    watchShownRows(ReplayListKind::Replays);
    watchShownRows(ReplayListKind::Favourites);
    connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::shownRowsMayHaveChanged);

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

    list.buttons = {
        addImageButton(list.page, replays ? kExportReplaysButton : kExportFavouritesButton, 6,
                       {10, 5, 32, 32}, replays ? MsgExportReplaysTip : MsgExportFavouritesTip),
        addImageButton(list.page, replays ? kReplayDetailsButton : kFavouriteDetailsButton, 7,
                       {47, 5, 32, 32}, replays ? MsgReplayDetailsTip : MsgFavouriteDetailsTip),
        addImageButton(list.page, replays ? kDeleteReplaysButton : kDeleteFavouritesButton, 8,
                       {109, 5, 32, 32}, replays ? MsgDeleteReplaysTip : MsgDeleteFavouritesTip),
        addImageButton(list.page, replays ? kMoveToFavouritesButton : kMoveToReplaysButton, replays ? 9 : 11,
                       {171, 5, 32, 32}, replays ? MsgMoveToFavouritesTip : MsgMoveToReplaysTip),
    };
    list.filterToggle = addImageButton(list.page, replays ? kReplayFilterToggle : kFavouriteFilterToggle, 10,
                                       {233, 5, 32, 32}, MsgFilterBarTip);
    list.filterToggle->setCheckable(true);
    list.buttons.push_back(list.filterToggle);

    auto* hint = new QLabel(toQString(state_.message(MsgListHint)), list.page);
    hint->setGeometry(scaledRect(scale_, hintGeometry));
    list.hint = hint;
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

    list.builtGeometry = scaledRect(scale_, replays ? replayListGeometry : favouritesListGeometry);
    view->setGeometry(list.builtGeometry);
    list.page->installEventFilter(this);
    const int id = replays ? kReplayListId : kFavouritesListId;
    addControl(id, view);
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this, id] { dispatch(kMainWindowId, id, UiEvent::DoubleClick); });
    connect(list.header, &FilterHeader::filterEdited, this, [this, kind](int column, const QString& text) {
        commands_.setFilterText(kind, column, fromQString(text));
        statusChanged();
    });
    view->onEnter = [this, kind] {
        dispatch(kMainWindowId,
                 kind == ReplayListKind::Replays ? kReplayDetailsButton : kFavouriteDetailsButton,
                 UiEvent::Click);
    };
    view->onDelete = [this, kind] {
        dispatch(kMainWindowId,
                 kind == ReplayListKind::Replays ? kDeleteReplaysButton : kDeleteFavouritesButton,
                 UiEvent::Click);
    };
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, kind](const QPoint& at) { showRowMenu(kind, at); });
    list.header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list.header, &QWidget::customContextMenuRequested, this,
            [this, kind](const QPoint& at) { showColumnMenu(kind, at); });
}

void MainWindow::buildShortcuts() {
    const auto add = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, action = std::move(action)] {
            if (isEnabled()) action();
        });
    };
    add(QKeySequence(Qt::Key_F5), [this] { dispatch(kMainWindowId, kRescanButton, UiEvent::Click); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_F5), [this] { commands_.rescan(true); });
    add(QKeySequence(Qt::CTRL | Qt::Key_E), [this] {
        dispatch(kMainWindowId,
                 currentKind() == ReplayListKind::Replays ? kExportReplaysButton : kExportFavouritesButton,
                 UiEvent::Click);
    });
    add(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { focusFilter(currentKind()); });
    add(QKeySequence(Qt::CTRL | Qt::Key_A), [this] {
        // A filter box selects its own text; anywhere else the rows of the list shown are selected.
        if (auto* box = qobject_cast<QLineEdit*>(focusWidget()); box && !box->isReadOnly()) {
            box->selectAll();
            return;
        }
        QTableView* view = parts(currentKind()).view;
        view->setFocus();
        view->selectAll();
    });
}

ReplayListKind MainWindow::currentKind() const {
    return tabs_->currentIndex() == 1 ? ReplayListKind::Favourites : ReplayListKind::Replays;
}

void MainWindow::focusFilter(ReplayListKind kind) {
    if (!commands_.filterBarOn(kind)) switchFilterBar(kind);
    ListParts& list = parts(kind);
    // The first box in the order the user sees the columns.
    for (int visual = 0; visual < list.header->count(); ++visual) {
        const int column = list.header->logicalIndex(visual);
        // Column 0 is always empty: a box there could only hide every row.
        if (column == ColumnCheck || list.header->isSectionHidden(column) ||
            list.header->sectionSize(column) == 0)
            continue;
        if (QLineEdit* box = list.header->filterEditor(column)) {
            box->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

void MainWindow::showRowMenu(ReplayListKind kind, const QPoint& at) {
    const bool replays = kind == ReplayListKind::Replays;
    QTableView* view = parts(kind).view;
    if (!view->indexAt(at).isValid()) return;
    const std::optional<std::u16string> path = commands_.currentPath(kind);
    QMenu menu(this);
    const auto item = [&](MessageId text, std::function<void()> action) {
        QAction* entry = menu.addAction(toQString(state_.message(text)));
        connect(entry, &QAction::triggered, this, std::move(action));
        entry->setEnabled(path.has_value());
        return entry;
    };
    const auto click = [this](int control) {
        return [this, control] { dispatch(kMainWindowId, control, UiEvent::Click); };
    };
    item(MsgMenuOpen, [this, kind] { commands_.openCurrent(kind); });
    item(MsgMenuDetails, click(replays ? kReplayDetailsButton : kFavouriteDetailsButton));
    menu.addSeparator();
    item(replays ? MsgMenuToFavourites : MsgMenuToReplays,
         click(replays ? kMoveToFavouritesButton : kMoveToReplaysButton));
    item(MsgMenuDelete, click(replays ? kDeleteReplaysButton : kDeleteFavouritesButton));
    menu.addSeparator();
    item(MsgMenuShowInFolder, [this, path] {
        platform_.openWithAssociatedProgram(textFromPath(pathFromText(path.value_or(u"")).parent_path()));
    });
    item(MsgMenuCopyPath, [path] { QGuiApplication::clipboard()->setText(toQString(path.value_or(u""))); });
    rowMenu_ = &menu;
    menu.exec(view->viewport()->mapToGlobal(at));
    rowMenu_ = nullptr;
}

void MainWindow::showColumnMenu(ReplayListKind kind, const QPoint& at) {
    // The settings window's column list, as a menu: the same check marks, the same widths.
    ListModel choices = makeColumnChoiceList(replays_);
    QMenu menu(this);
    for (int row = 0; row < choices.rowCount(); ++row) {
        QAction* entry = menu.addAction(toQString(choices.cell(row, 0)));
        entry->setCheckable(true);
        entry->setChecked(choices.isChecked(row));
        connect(entry, &QAction::toggled, this, [this, row](bool shown) {
            ListModel current = makeColumnChoiceList(replays_);
            current.setChecked(row, shown);
            applyColumnChoices(current, replays_, favourites_);
        });
    }
    columnMenu_ = &menu;
    menu.exec(parts(kind).header->mapToGlobal(at));
    columnMenu_ = nullptr;
}

void MainWindow::watchShownRows(ReplayListKind kind) {
    // The adapter turns every change of the core list into a Qt signal; the list's one observer is the
    // adapter.
    ListTableModel* model = parts(kind).model;
    const auto changed = [this, kind] {
        if (kind == activeListKind()) shownRowsMayHaveChanged();
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model, &QAbstractItemModel::modelReset, this, changed);
    connect(model, &QAbstractItemModel::layoutChanged, this, changed);
    connect(model, &QAbstractItemModel::dataChanged, this, changed);
}

void MainWindow::shownRowsMayHaveChanged() {
    // Not restarted by later changes: a steady stream of them still gets an answer in time.
    if (!shownRowsTimer_->isActive()) shownRowsTimer_->start();
}

MainWindow::ListParts& MainWindow::parts(ReplayListKind kind) {
    return kind == ReplayListKind::Replays ? *replayParts_ : *favouriteParts_;
}

const MainWindow::ListParts& MainWindow::parts(ReplayListKind kind) const {
    return kind == ReplayListKind::Replays ? *replayParts_ : *favouriteParts_;
}

std::vector<RowItem> MainWindow::topRow() const {
    std::vector<RowItem> row;
    for (const TopRowPlace& place : kTopRow) {
        const QRect r = scaledRect(scale_, place.design);
        row.push_back(
            {r.x(), r.width(), place.stretches, place.stretches ? scale_.x(smallestPathFieldWidth) : 0});
    }
    return row;
}

std::vector<RowItem> MainWindow::pageRow(const ListParts& list) const {
    // The hint takes what the page is wider or narrower than built, but keeps room for its whole text.
    std::vector<RowItem> row;
    for (const QToolButton* button : list.buttons)
        row.push_back({button->x(), button->width(), false, 0});
    const QRect hint = scaledRect(scale_, hintGeometry);
    row.push_back({hint.x(), hint.width(), true, list.hint->sizeHint().width()});
    return row;
}

int MainWindow::pageRowWidth() const {
    // The row ends a margin after the hint: the space the table leaves beyond it is no part of the row.
    const QRect hint = scaledRect(scale_, hintGeometry);
    return hint.x() + hint.width() + scale_.x(tabsGeometry.x());
}

void MainWindow::layoutAnchored() {
    const int statusHeight = statusBar_->sizeHint().height();
    statusBar_->setGeometry(0, height() - statusHeight, width(), statusHeight);

    const std::vector<RowItem> row = topRow();
    const std::vector<RowSpan> spans = stretchRow(row, scale_.x(builtSize.width()), width());
    for (std::size_t i = 0; i < row.size(); ++i) {
        QWidget* widget = control(kTopRow[i].id);
        widget->setGeometry(spans[i].x, widget->y(), spans[i].width, widget->height());
    }

    // Anchored to all four edges: every distance to the window's edges stays as built, and the status bar
    // never covers the tabs.
    const QRect tabs = scaledRect(scale_, tabsGeometry);
    const QSize built = scaledSize(scale_, builtSize);
    const int right = built.width() - tabs.x() - tabs.width();
    const int bottom = std::max(built.height() - tabs.y() - tabs.height(), statusHeight);
    tabs_->setGeometry(tabs.x(), tabs.y(), std::max(width() - tabs.x() - right, 0),
                       std::max(height() - tabs.y() - bottom, 0));
}

void MainWindow::layoutList(ListParts& list) {
    // The lists keep their distances to the edges of their page. The page is what the tab container leaves
    // below its tabs, so its built size follows from the container's built size; where the built list
    // would reach past that page (tall tab icons), it keeps a small margin instead.
    constexpr int smallestMargin = 4;
    const QSize chrome = tabs_->size() - list.page->size();
    const QSize builtPage = scaledRect(scale_, tabsGeometry).size() - chrome;
    const QRect& built = list.builtGeometry;
    const int right = std::max(builtPage.width() - built.right() - 1, smallestMargin);
    const int bottom = std::max(builtPage.height() - built.bottom() - 1, smallestMargin);
    const QSize page = list.page->size();
    list.view->setGeometry(built.x(), built.y(), std::max(page.width() - built.x() - right, 0),
                           std::max(page.height() - built.y() - bottom, 0));

    const std::vector<RowItem> row = pageRow(list);
    const RowSpan hint = stretchRow(row, pageRowWidth(), page.width()).back();
    list.hint->setGeometry(hint.x, list.hint->y(), hint.width, list.hint->height());
    // A page not yet laid out below its tabs says nothing about the room they take.
    if (!page.isEmpty()) updateMinimumSize(list);
}

void MainWindow::updateMinimumSize(const ListParts& list) {
    // Narrow enough for the top row at its minimum and for the page's buttons and whole hint, low enough
    // for the tabs and a few rows of the list; known once the tab container has laid out its page.
    constexpr int smallestMargin = 4;
    const QSize chrome = tabs_->size() - list.page->size();
    const QRect tabs = scaledRect(scale_, tabsGeometry);
    const QSize built = scaledSize(scale_, builtSize);
    const QSize builtPage = tabs.size() - chrome;
    const int right = built.width() - tabs.x() - tabs.width();
    const int bottom = std::max(built.height() - tabs.y() - tabs.height(), statusBar_->sizeHint().height());
    const int pageWidth = rowMinimumWidth(pageRow(list), pageRowWidth());
    const QRect& listBuilt = list.builtGeometry;
    const int listBottom = std::max(builtPage.height() - listBuilt.bottom() - 1, smallestMargin);
    const int pageHeight = listBuilt.y() + scale_.y(smallestListHeight) + listBottom;
    const QSize smallest(
        std::max(rowMinimumWidth(topRow(), built.width()), tabs.x() + chrome.width() + pageWidth + right),
        tabs.y() + chrome.height() + pageHeight + bottom);
    if (smallest.expandedTo(minimumSize()) != minimumSize())
        setMinimumSize(smallest.expandedTo(minimumSize()));
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

ReplayListKind MainWindow::activeListKind() const {
    return tabs_->currentWidget() == favouriteParts_->page ? ReplayListKind::Favourites
                                                           : ReplayListKind::Replays;
}

std::u16string_view MainWindow::activeListName() const {
    return state_.message(activeListKind() == ReplayListKind::Replays ? MsgReplaysTab : MsgFavouritesTab);
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
    // The stored position is the frame's, the size the inside's; the whole frame has to fit the screen.
    const QMargins frame = frameMargins(*this);
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const ScreenRect placed =
        placeStoredFrame({stored.x, stored.y, inner.width() + frameWidth, inner.height() + frameHeight},
                         screens, primary ? screenRect(primary->availableGeometry()) : ScreenRect{});
    move(placed.x, placed.y);
    resize(placed.width - frameWidth, placed.height - frameHeight);
    if (stored.maximised) setWindowState(windowState() | Qt::WindowMaximized);

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
    case kStatisticsButton:
        if (statisticsOpener_) statisticsOpener_();
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
    emit exiting();
    delete tracker_;
    tracker_ = nullptr;
    // A maximised window keeps its normal geometry for the next start, and the state beside it.
    const bool maximised = isMaximized();
    const QRect inner = maximised ? normalGeometry() : geometry();
    const QPoint frame = geometry().topLeft() - frameGeometry().topLeft();
    commands_.saveOnExit(inner.x() - frame.x(), inner.y() - frame.y(), inner.width(), inner.height(),
                         maximised);
    delete about_.data();
}

// --- Commands with windows -----------------------------------------------------------------------------

void MainWindow::setDetailsOpener(std::function<void(const std::u16string&)> opener) {
    detailsOpener_ = std::move(opener);
}

void MainWindow::setSettingsOpener(std::function<void()> opener) {
    settingsOpener_ = std::move(opener);
}

void MainWindow::setStatisticsOpener(std::function<void()> opener) {
    statisticsOpener_ = std::move(opener);
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
    statusChanged();
}

void MainWindow::openAbout() {
    if (about_) return;
    about_ = new AboutWindow(state_);
    about_->move(frameGeometry().center() - QPoint(about_->width() / 2, about_->height() / 2));
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
