#include "gui/ProgressWindow.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace tapeloft {

namespace {

QLabel* makeLabel(QWidget* parent, const QRect& geometry) {
    auto* label = new QLabel(parent);
    // File names are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), caption_(makeLabel(this, {10, 10, 588, 15})),
      file_(makeLabel(this, {10, 30, 588, 30})), bar_(new QProgressBar(this)),
      cancel_(new QPushButton(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(windowSize);
    move(defaultPosition);
    file_->setWordWrap(true);
    bar_->setGeometry(7, 70, 580, 20);
    bar_->setTextVisible(false);
    cancel_->setGeometry(cancelGeometry);
    cancel_->setFocusPolicy(Qt::NoFocus); // the window is never activated; Esc reaches the scan elsewhere
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::cancelRequested);
    setMaximum(0);
    nextFrame_.setSingleShot(true);
    nextFrame_.setTimerType(Qt::PreciseTimer);
    connect(&nextFrame_, &QTimer::timeout, this, [this] {
        QEvent request(QEvent::UpdateRequest);
        event(&request);
    });
}

bool ProgressWindow::event(QEvent* event) {
    if (event->type() == QEvent::UpdateRequest) {
        // Painting happens on this request; one that comes too soon waits for the frame, and the parts that
        // changed meanwhile stay marked for it.
        if (painted_.isValid() && painted_.elapsed() < frameMilliseconds) {
            if (!nextFrame_.isActive())
                nextFrame_.start(frameMilliseconds - static_cast<int>(painted_.elapsed()));
            return true;
        }
        nextFrame_.stop();
        painted_.start();
    }
    return QWidget::event(event);
}

void ProgressWindow::placeOver(const QWidget* anchor) {
    if (!anchor || !anchor->isVisible()) return;
    const QRect frame = anchor->frameGeometry();
    move(frame.x() + (frame.width() - windowSize.width()) / 2,
         frame.y() + (frame.height() - windowSize.height()) / 2);
}

void ProgressWindow::setCaption(const QString& text) {
    caption_->setText(text);
}

void ProgressWindow::setFile(const QString& path) {
    file_->setText(path);
}

void ProgressWindow::setMaximum(int maximum) {
    // Qt draws a range of 0..0 as a busy animation; an empty tree has nothing left to do.
    bar_->setRange(0, std::max(maximum, 1));
}

void ProgressWindow::setPosition(int position) {
    bar_->setValue(position);
}

void ProgressWindow::setCancelText(const QString& text) {
    cancel_->setText(text);
}

} // namespace tapeloft
