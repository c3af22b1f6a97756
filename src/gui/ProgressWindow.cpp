#include "gui/ProgressWindow.h"

#include "gui/ScaledLayout.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace tapeloft {

namespace {

QLabel* makeLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    // File names are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), caption_(makeLabel(this)), file_(makeLabel(this)),
      bar_(new QProgressBar(this)), cancel_(new QPushButton(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    const LayoutScale scale = layoutScaleFor(font());
    setFixedSize(scaledSize(scale, windowSize));
    move(defaultPosition);
    caption_->setGeometry(scaledRect(scale, captionGeometry));
    file_->setGeometry(scaledRect(scale, fileGeometry));
    file_->setWordWrap(true);
    bar_->setGeometry(scaledRect(scale, barGeometry));
    bar_->setTextVisible(false);
    cancel_->setGeometry(scaledRect(scale, cancelGeometry));
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
    move(frame.x() + (frame.width() - width()) / 2, frame.y() + (frame.height() - height()) / 2);
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
