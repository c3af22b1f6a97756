#include "gui/DetailsWindow.h"

#include "app/AppState.h"
#include "app/DetailsClose.h"
#include "app/Platform.h"
#include "base/BuiltInTexts.h"
#include "details/BattleDetails.h"
#include "gui/ListTableModel.h"
#include "gui/ListViewBinder.h"
#include "gui/QtText.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStyleOptionViewItem>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace tapeloft {

namespace {

constexpr std::u16string_view kInformationTitle = u"Information";

constexpr int kDividerWidth = 7;
constexpr int kDividerPosition = 400;
constexpr QRect kSplitterRect{10, 125, 780, 235};

// The price field takes digits only. Nine at most, so the price always fits the 32-bit arithmetic of the
// ammunition cost.
constexpr auto kPricePattern = "[0-9]{0,9}";

QColor qColour(ListColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// A report list without full-row selection: a selected row highlights its first cell only. Table views
// paint a panel behind every cell of a selected row and then the cell itself as selected; here both
// leave the selection out for all but column 0, which also carries the focus mark.
class FirstCellSelectionStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        if (element == PE_PanelItemViewRow && item) {
            QStyleOptionViewItem plain(*item);
            plain.state &= ~State_Selected;
            QProxyStyle::drawPrimitive(element, &plain, painter, widget);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        if (element == CE_ItemViewItem && item && item->index.column() != 0) {
            QStyleOptionViewItem plain(*item);
            plain.state &= ~(State_Selected | State_HasFocus);
            QProxyStyle::drawControl(element, &plain, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

DetailsWindow* DetailsWindow::open(std::u16string_view path, AppState& state, Platform& platform,
                                   const std::filesystem::path& settingsFile, QWidget* mainWindow) {
    const BattleDetails details = readBattleDetails(path, state.language, settingsFile);
    if (details.status != BattleDetailsStatus::Opened) {
        // Without a readable description there is nothing to fill the window with.
        const MessageId message =
            details.status == BattleDetailsStatus::NotOpened ? MsgReplayNotOpened : MsgNotAReplay;
        platform.messageBox(kInformationTitle, state.message(message));
        if (mainWindow) mainWindow->setEnabled(true);
        return nullptr;
    }
    auto* window = new DetailsWindow(state, platform, settingsFile, mainWindow);
    window->fill(details);
    window->placeOver(mainWindow);
    window->show();
    return window;
}

DetailsWindow::DetailsWindow(AppState& state, Platform& platform, std::filesystem::path settingsFile,
                             QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window), state_(state), platform_(platform),
      settingsFile_(std::move(settingsFile)), mainWindow_(mainWindow) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(toQString(state_.message(MsgDetailsTitle)));
    // The layout is measured for the small dialog font of 8 points; larger fonts would not fit the fields.
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    resize(innerSize);
    build();
    // Escape closes the window whichever of its controls has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

DetailsWindow::~DetailsWindow() = default;

// --- Building ----------------------------------------------------------------------------------------------

void DetailsWindow::build() {
    const Language& language = state_.language;
    team1_ = ListModel(teamListColumns(TeamSide::Team1, language));
    team2_ = ListModel(teamListColumns(TeamSide::Team2, language));
    list171_ = ListModel(emptyListColumns(language, 100));
    list172_ = ListModel(emptyListColumns(language, 100));
    list173_ = ListModel(emptyListColumns(language, 90));
    achievements_ = ListModel(achievementListColumns(language));

    // Creation order is stacking order: later controls lie above earlier ones.
    team1View_ = addTeamList(175, TeamSide::Team1);
    team2View_ = addTeamList(176, TeamSide::Team2);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setHandleWidth(kDividerWidth);
    splitter_->setChildrenCollapsible(true);
    splitter_->addWidget(team1View_);
    splitter_->addWidget(team2View_);
    splitter_->setGeometry(kSplitterRect);
    controls_[20] = splitter_;
    dividerShare_ = double(kDividerPosition) / kSplitterRect.width();
    splitter_->setSizes({kDividerPosition, kSplitterRect.width() - kDividerWidth - kDividerPosition});
    connect(splitter_, &QSplitter::splitterMoved, this, [this](int position) {
        if (splitter_->width() > 0) dividerShare_ = double(position) / splitter_->width();
    });

    addFrame(21, {10, 5, 780, 112}, MsgBattleSummary, Anchor::TopScaled);
    addFrame(22, {10, 375, 220, 210}, MsgDestroyed, Anchor::Bottom);

    addLabel(27, {30, 25, 40, 15}, MsgPlayer, true);
    addLabel(28, {220, 45, 45, 15}, MsgVehicleHeader, false);
    addLabel(29, {36, 45, 35, 15}, MsgMapHeader, false);
    addLabel(30, {605, 85, 30, 15}, MsgDate, false);
    addLabel(31, {12, 65, 60, 15}, MsgResult, false);
    addLabel(32, {225, 65, 40, 15}, MsgXpHeader, true);
    addLabel(33, {205, 85, 60, 15}, MsgCreditsHeader, true);
    addLabel(34, {380, 45, 120, 15}, MsgShellPrice, false);
    addLabel(35, {450, 85, 50, 15}, MsgRepairHeader, false);
    addLabel(36, {15, 85, 55, 15}, MsgFragsHeader, false);
    addLabel(37, {400, 25, 100, 15}, MsgShotsHits, false);
    addLabel(38, {535, 25, 160, 15}, MsgDamageReceived, false);
    addLabel(39, {405, 65, 95, 15}, MsgAmmunitionCost, false);
    addLabel(40, {605, 45, 90, 15}, MsgNetCreditsHeader, true);

    addFrame(24, {237, 375, 219, 210}, MsgDamaged, Anchor::Bottom);
    addFrame(25, {463, 375, 170, 210}, MsgSpotted, Anchor::Bottom);
    addFrame(26, {640, 375, 153, 210}, MsgAchievements, Anchor::Bottom);

    QLineEdit* player = addField(153, {75, 25, 130, 15}, placeholder(builtin::PlaceholderPlayer));
    QPalette green = player->palette();
    green.setColor(QPalette::Base, qColour(kPlayerGreen));
    player->setPalette(green);
    addField(154, {75, 45, 130, 15}, placeholder(builtin::PlaceholderMap));
    addField(155, {75, 65, 130, 15}, placeholder(builtin::PlaceholderResult));
    addField(156, {75, 85, 130, 15}, placeholder(builtin::PlaceholderFrags));
    addLabel(41, {205, 25, 60, 15}, MsgNationHeader, false);
    addField(157, {270, 25, 130, 15}, placeholder(builtin::PlaceholderNation));
    addField(158, {270, 45, 110, 15}, placeholder(builtin::PlaceholderVehicle));
    addField(159, {270, 65, 130, 15}, placeholder(builtin::PlaceholderXp));
    addField(160, {270, 85, 130, 15}, placeholder(builtin::PlaceholderCredits));
    addField(161, {505, 25, 60, 15}, placeholder(builtin::PlaceholderShots));

    priceField_ = addField(162, {505, 45, 90, 15}, QStringLiteral("0"));
    priceField_->setReadOnly(false);
    priceField_->setPalette(QPalette()); // an editable field has the ordinary text box colours
    priceField_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(kPricePattern)), priceField_));
    priceField_->setToolTip(toQString(state_.message(MsgShellPriceTip)));

    addField(163, {505, 65, 90, 15}, placeholder(builtin::PlaceholderAmmunitionCost));
    addField(164, {505, 85, 90, 15}, placeholder(builtin::PlaceholderRepair));
    addField(165, {700, 25, 84, 15}, placeholder(builtin::PlaceholderDamageReceived));
    addField(166, {700, 45, 84, 15}, placeholder(builtin::PlaceholderNetCredits));
    addField(167, {635, 85, 144, 15}, placeholder(builtin::PlaceholderDate));

    addPlainList(171, {17, 391, 205, 185}, list171_);
    addPlainList(172, {244, 391, 205, 185}, list172_);
    addPlainList(173, {471, 391, 155, 185}, list173_);
    addPlainList(174, {647, 391, 139, 185}, achievements_);
}

void DetailsWindow::bindList(QTableView& view, ListModel& list) {
    models_.push_back(std::make_unique<ListTableModel>(list));
    new ListViewBinder(view, *models_.back());
    auto* style = new FirstCellSelectionStyle();
    style->setParent(&view);
    view.setStyle(style);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
    view.horizontalHeader()->setHighlightSections(false);
    view.setMinimumSize(0, 0);
}

QTableView* DetailsWindow::addTeamList(int number, TeamSide side) {
    auto* view = new QTableView(this);
    bindList(*view, teamList(side));
    view->setShowGrid(true);
    // Column 0 is as wide as its header text needs.
    QHeaderView* header = view->horizontalHeader();
    int fitted = header->sectionSizeHint(0);
    if (fitted <= 0)
        fitted = header->fontMetrics().horizontalAdvance(
                     header->model()->headerData(0, Qt::Horizontal).toString()) +
                 12;
    teamList(side).setColumnWidth(0, fitted);
    view->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
    controls_[number] = view;
    return view;
}

void DetailsWindow::place(QWidget* widget, int number, QRect rect, Anchor anchor) {
    widget->setGeometry(rect);
    controls_[number] = widget;
    placements_.push_back({widget, rect, anchor});
}

QString DetailsWindow::placeholder(int field) const {
    return toQString(state_.message(MsgFirstDetailsPlaceholder + field));
}

void DetailsWindow::addFrame(int number, QRect rect, MessageId message, Anchor anchor) {
    place(new QGroupBox(toQString(state_.message(message)), this), number, rect, anchor);
}

void DetailsWindow::addLabel(int number, QRect rect, MessageId message, bool bold) {
    auto* label = new QLabel(toQString(state_.message(message)), this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (bold) {
        QFont font(QStringLiteral("Microsoft Sans Serif"), 8);
        font.setBold(true);
        label->setFont(font);
    }
    place(label, number, rect, Anchor::Fixed);
}

QLineEdit* DetailsWindow::addField(int number, QRect rect, const QString& initialText) {
    auto* field = new QLineEdit(initialText, this);
    field->setFrame(false);
    field->setReadOnly(true);
    field->setTextMargins(0, 0, 0, 0);
    // A read-only field reads as part of the window, like a label one can select text in.
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
    field->setCursorPosition(0);
    place(field, number, rect, Anchor::Fixed);
    return field;
}

QTableView* DetailsWindow::addPlainList(int number, QRect rect, ListModel& list) {
    auto* view = new QTableView(this);
    bindList(*view, list);
    view->horizontalHeader()->hide();
    view->setShowGrid(false);
    place(view, number, rect, Anchor::Bottom);
    return view;
}

// --- Filling -----------------------------------------------------------------------------------------------

void DetailsWindow::fill(const BattleDetails& details) {
    state_.priceKey = details.priceKey;

    const auto setText = [this](int number, const std::u16string& text) {
        QLineEdit* target = field(number);
        target->setText(toQString(text));
        target->setCursorPosition(0);
    };
    const auto setIfPresent = [&](int number, const std::optional<std::u16string>& text) {
        if (text) setText(number, *text);
    };

    setText(154, details.mapText);
    setText(158, details.vehicleText);
    setText(157, details.nationText);
    setText(167, details.dateText);

    const std::u16string& linkBase = state_.message(MsgPlayerLink);
    fillTeamList(team1_, TeamSide::Team1, details.team1Rows, linkBase, state_.team1Links);
    fillTeamList(team2_, TeamSide::Team2, details.team2Rows, linkBase, state_.team2Links);

    if (details.hasResults) {
        setIfPresent(164, details.repairText);
        setIfPresent(155, details.resultText);
        setIfPresent(160, details.creditsText);
        setIfPresent(159, details.xpText);
        setIfPresent(165, details.damageReceivedText);
        setIfPresent(156, details.fragsText);
        setIfPresent(161, details.shotsText);
        setIfPresent(162, details.shellPriceText);
        setIfPresent(163, details.ammoCostText);
        setIfPresent(166, details.netCreditsText);
        achievements_.beginBulkUpdate();
        for (const std::u16string& achievement : details.achievements)
            achievements_.appendRow(cellText(achievement));
        achievements_.endBulkUpdate();
    }
    setText(153, details.playerText);
}

void DetailsWindow::placeOver(const QWidget* anchor) {
    QRect over;
    if (anchor && anchor->isVisible()) {
        over = anchor->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        over = screen->availableGeometry();
    }
    const int x = over.x() + (over.width() - innerSize.width()) / 2;
    const int y = over.y() + (over.height() - innerSize.height()) / 2;
    move(std::max(x, 0), std::max(y, 0));
}

// --- Controls and events -----------------------------------------------------------------------------------

QWidget* DetailsWindow::control(int number) const {
    const auto found = controls_.find(number);
    return found == controls_.end() ? nullptr : found->second;
}

QLineEdit* DetailsWindow::field(int number) const {
    return qobject_cast<QLineEdit*>(control(number));
}

void DetailsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyLayout(event->size());
}

void DetailsWindow::applyLayout(QSize inner) {
    const double factor = double(inner.width()) / innerSize.width();
    const auto scaled = [factor](int value) { return int(std::lround(value * factor)); };
    for (const Placement& placement : placements_) {
        const QRect& r = placement.created;
        switch (placement.anchor) {
        case Anchor::Fixed:
            break;
        case Anchor::TopScaled:
            placement.widget->setGeometry(scaled(r.x()), r.y(), scaled(r.width()), r.height());
            break;
        case Anchor::Bottom:
            placement.widget->setGeometry(scaled(r.x()), inner.height() - (innerSize.height() - r.y()),
                                          scaled(r.width()), r.height());
            break;
        }
    }
    const int width = std::max(0, inner.width() - (innerSize.width() - kSplitterRect.width()));
    const int height = std::max(0, inner.height() - (innerSize.height() - kSplitterRect.height()));
    splitter_->setGeometry(kSplitterRect.x(), kSplitterRect.y(), width, height);
    const int left =
        std::clamp(int(std::lround(dividerShare_ * width)), 0, std::max(0, width - kDividerWidth));
    splitter_->setSizes({left, std::max(0, width - kDividerWidth - left)});
}

bool DetailsWindow::eventFilter(QObject* watched, QEvent* event) {
    std::optional<TeamSide> side;
    if (team1View_ && watched == team1View_->viewport()) side = TeamSide::Team1;
    if (team2View_ && watched == team2View_->viewport()) side = TeamSide::Team2;
    if (side) {
        // Seen before the list's own handling, which still follows: a click on a name also selects its row.
        if (event->type() == QEvent::MouseMove) {
            pointerMoved(*side, static_cast<QMouseEvent*>(event)->position().toPoint());
        } else if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) leftButtonPressed(*side, mouse->position().toPoint());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DetailsWindow::pointerMoved(TeamSide side, QPoint position) {
    const QModelIndex index = teamView(side)->indexAt(position);
    if (index.isValid())
        hover_.pointerMoved(side, index.row(), index.column());
    else
        hover_.pointerMoved(side, -1, -1);
}

void DetailsWindow::leftButtonPressed(TeamSide side, QPoint position) {
    const QModelIndex index = teamView(side)->indexAt(position);
    if (!index.isValid()) return;
    const PlayerLinks& links = side == TeamSide::Team1 ? state_.team1Links : state_.team2Links;
    if (const auto target = linkTarget(teamList(side), side, links, index.row(), index.column()))
        platform_.openWithAssociatedProgram(*target);
}

void DetailsWindow::closeEvent(QCloseEvent* event) {
    if (!closeSequenceRan_) {
        closeSequenceRan_ = true;
        closeDetails(state_, settingsFile_, fromQString(priceField_->text()), platform_);
        if (mainWindow_) mainWindow_->setEnabled(true);
        emit closed();
    }
    event->accept();
}

} // namespace tapeloft
