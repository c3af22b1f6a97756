#include "gui/QtPlatform.h"

#include "gui/QtText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace tapeloft {

namespace {

// How long one processOnePendingEvent may go on delivering events that are already there.
constexpr int pendingEventMilliseconds = 5;

QString qtPattern(QString pattern) {
    // Windows lists patterns with ";", Qt with spaces.
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    return pattern.simplified();
}

QString qtFilterEntry(const QString& description, const QString& pattern) {
    if (pattern.isEmpty())
        return description.contains(QLatin1Char('(')) ? description : description + QStringLiteral(" (*)");
    const QString bracketed = QLatin1Char('(') + pattern + QLatin1Char(')');
    if (description.endsWith(bracketed)) return description;
    return description.isEmpty() ? bracketed : description + QLatin1Char(' ') + bracketed;
}

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

QString qtFileFilter(std::u16string_view filter) {
    const QStringList parts = toQString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = i + 1 < parts.size() ? qtPattern(parts[i + 1]) : QString();
        if (description.isEmpty() && pattern.isEmpty()) continue;
        entries.append(qtFilterEntry(description, pattern));
    }
    return entries.join(QStringLiteral(";;"));
}

// Drops user input and close requests while a scan runs, unless a modal window (a message box of the scan)
// is up: Qt then keeps input away from every other window itself.
class QtPlatform::InputBlocker final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (QApplication::activeModalWidget()) return QObject::eventFilter(watched, event);
        if (isUserInput(event->type())) return true;
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QtPlatform::QtPlatform(QWidget* parent) : parent_(parent) {}

QtPlatform::~QtPlatform() {
    progressEnd();
}

void QtPlatform::messageBox(std::u16string_view title, std::u16string_view text) {
    QMessageBox box(QMessageBox::NoIcon, toQString(title), toQString(text), QMessageBox::Ok, parent_);
    // Texts carry file names, which must not be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtPlatform::askYesNo(std::u16string_view title, std::u16string_view text) {
    QMessageBox box(QMessageBox::NoIcon, toQString(title), toQString(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::u16string> QtPlatform::chooseFolder(std::u16string_view title) {
    return chooseFolderFrom(title, {});
}

std::optional<std::u16string> QtPlatform::chooseFolderFrom(std::u16string_view title,
                                                           std::u16string_view startFolder) {
    // A placeholder text or a folder that is gone would open the dialog somewhere odd.
    const QString start = toQString(startFolder);
    const QString opening = !start.isEmpty() && QFileInfo(start).isDir() ? start : QString();
    const QString folder = QFileDialog::getExistingDirectory(parent_, toQString(title), opening);
    if (folder.isEmpty()) return std::nullopt;
    QString native = QDir::toNativeSeparators(folder);
    if (!native.endsWith(QDir::separator())) native += QDir::separator();
    return fromQString(native);
}

std::optional<SaveFileChoice> QtPlatform::chooseSaveFile(std::u16string_view title,
                                                         std::u16string_view filter) {
    const QString filters = qtFileFilter(filter);
    QString selected;
    const QString file =
        QFileDialog::getSaveFileName(parent_, toQString(title), QString(), filters, &selected);
    if (file.isEmpty()) return std::nullopt;
    const qsizetype type = filters.split(QStringLiteral(";;")).indexOf(selected);
    return SaveFileChoice{fromQString(QDir::toNativeSeparators(file)),
                          static_cast<int>(std::max<qsizetype>(type, 0))};
}

bool QtPlatform::openWithAssociatedProgram(std::u16string_view target) {
    const QString text = toQString(target);
    if (text.isEmpty()) return false;
    const QString lower = text.toLower();
    if (lower.startsWith(QStringLiteral("http://")) || lower.startsWith(QStringLiteral("https://"))) {
        const QUrl url(text, QUrl::TolerantMode);
        if (!url.isValid() || url.host().isEmpty()) return false;
        return QDesktopServices::openUrl(url);
    }
    QString path = text;
    if (lower.startsWith(QStringLiteral("file:"))) {
        const QUrl url(text, QUrl::TolerantMode);
        if (!url.isValid() || !url.isLocalFile()) return false;
        path = url.toLocalFile();
    } else {
        // Any other scheme ("mailto:", "javascript:", ...) is refused; a drive letter ("C:") is not a scheme.
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
        if (scheme.match(text).hasMatch()) return false;
    }
    const QFileInfo info(path);
    if (!info.exists()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

void QtPlatform::progressBegin(std::u16string_view title, std::u16string_view caption) {
    progressEnd();
    progress_ = new ProgressWindow(parent_);
    progress_->setWindowTitle(toQString(title));
    progress_->setCaption(toQString(caption));
    QWidget* anchor = QApplication::activeWindow();
    progress_->placeOver(anchor ? anchor : parent_.data());
    blocker_ = std::make_unique<InputBlocker>();
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(blocker_.get());
    progress_->show();
    progress_->repaint();
}

void QtPlatform::progressSetRange(int maximum) {
    if (progress_) progress_->setMaximum(maximum);
}

void QtPlatform::progressSetFile(std::u16string_view path) {
    if (progress_) progress_->setFile(toQString(path));
}

void QtPlatform::progressSetPosition(int position) {
    if (progress_) progress_->setPosition(position);
}

void QtPlatform::progressEnd() {
    // Removing the filter first lets a later event loop see input given after the scan.
    blocker_.reset();
    delete progress_.data();
}

void QtPlatform::processOnePendingEvent() {
    if (eventsDelivered_.isValid() && eventsDelivered_.elapsed() < eventIntervalMilliseconds) return;
    eventsDelivered_.start();
    // While the progress window is up the blocker drops user input; otherwise it waits in the queue.
    const QEventLoop::ProcessEventsFlags flags =
        blocker_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
    QCoreApplication::processEvents(flags, pendingEventMilliseconds);
}

} // namespace tapeloft
