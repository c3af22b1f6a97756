#include "gui/AboutWindow.h"

#include "app/AppState.h"
#include "app/ControlIds.h"
#include "gui/QtText.h"
#include "gui/ScaledLayout.h"

#include <QCloseEvent>
#include <QEnterEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTextEdit>

#include <functional>

namespace tapeloft {

namespace {

// The credit line of label 45.
constexpr std::u16string_view kCreditLine = u"© Tapeloft, 2015";

void setColours(QWidget* widget, const QColor& text) {
    QPalette palette = widget->palette();
    for (const auto role : {QPalette::Window, QPalette::Base})
        palette.setColor(role, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text})
        palette.setColor(role, text);
    widget->setPalette(palette);
}

// The title is drawn 12 points tall where the window's texts are 8: as much larger than the window's font.
constexpr double kTitleFontRatio = 12.0 / 8.0;

QFont titleFont(QFont font) {
    font.setPointSizeF(font.pointSizeF() * kTitleFontRatio);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// A text that acts as a link: blue, red while the mouse is over it, reports a left click.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        setCursor(Qt::PointingHandCursor);
        setColours(this, AboutWindow::linkColour);
    }

protected:
    void enterEvent(QEnterEvent* event) override {
        setColours(this, AboutWindow::linkHoverColour);
        QLabel::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        setColours(this, AboutWindow::linkColour);
        QLabel::leaveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) onClick_();
        QLabel::mouseReleaseEvent(event);
    }

private:
    std::function<void()> onClick_;
};

} // namespace

AboutWindow::AboutWindow(const AppState& state, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(toQString(state.message(MsgAboutTitle)));
    const LayoutScale scale = layoutScaleFor(font());
    const auto place = [&scale](QWidget* widget, const QRect& design) {
        widget->setGeometry(scaledRect(scale, design));
    };
    setFixedSize(scaledSize(scale, windowSize));
    setAutoFillBackground(true);
    setColours(this, Qt::white);
    setWindowOpacity(0.0);

    auto* close = new QPushButton(QStringLiteral("X"), this);
    place(close, {330, 0, 20, 20});
    connect(close, &QPushButton::clicked, this, [this] { emit controlClicked(kAboutCloseButton); });
    controls_[kAboutCloseButton] = close;

    auto* title = new QLabel(QStringLiteral("IVL Tapeloft ") + toQString(state.version), this);
    place(title, {25, 15, 285, 25});
    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    title->setFont(titleFont(font()));
    setColours(title, titleColour);
    controls_[kAboutTitleLabel] = title;

    auto* subtitle = new QLabel(toQString(state.message(MsgAboutSubtitle)), this);
    place(subtitle, {25, 38, 285, 27});
    subtitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    subtitle->setWordWrap(true);
    setColours(subtitle, Qt::white);
    controls_[kAboutSubtitleLabel] = subtitle;

    auto* credit = new QLabel(toQString(kCreditLine), this);
    place(credit, {100, 155, 285, 25});
    credit->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColours(credit, Qt::white);
    controls_[kAboutCreditLabel] = credit;

    auto* link = new LinkLabel(toQString(state.message(MsgAboutDiscussion)), this,
                               [this] { emit controlClicked(kAboutLink); });
    place(link, {60, 155, 100, 20});
    link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    link->raise(); // above the credit line, which reaches into its place
    controls_[kAboutLink] = link;

    auto* body = new QTextEdit(this);
    place(body, {33, 65, 285, 80});
    body->setReadOnly(true);
    body->setFrameShape(QFrame::NoFrame);
    body->setPlainText(toQString(state.message(MsgAboutText)));
    body->selectAll();
    body->setAlignment(Qt::AlignHCenter);
    body->moveCursor(QTextCursor::Start);
    setColours(body, Qt::white);
    setColours(body->viewport(), Qt::white);
    controls_[kAboutBodyText] = body;
}

QWidget* AboutWindow::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void AboutWindow::animateTo(qreal opacity) {
    if (fade_) fade_->stop();
    delete fade_.data();
    fade_ = new QPropertyAnimation(this, "windowOpacity", this);
    fade_->setDuration(fadeMilliseconds);
    fade_->setStartValue(windowOpacity());
    fade_->setEndValue(opacity);
    if (opacity == 0.0) connect(fade_, &QPropertyAnimation::finished, this, &AboutWindow::fadedOut);
    fade_->start();
}

void AboutWindow::fadeIn() {
    fadingOut_ = false;
    setWindowOpacity(0.0);
    show();
    raise();
    animateTo(1.0);
}

void AboutWindow::closeEvent(QCloseEvent* event) {
    // Alt+F4 or a title bar's button would hide the window at once, and the main window, waiting for
    // fadedOut, would stay disabled for good: such a close takes the X's way out instead.
    event->ignore();
    fadeOut();
}

void AboutWindow::fadeOut() {
    if (fadingOut_) return;
    fadingOut_ = true;
    animateTo(0.0);
}

} // namespace tapeloft
