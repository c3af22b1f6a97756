#include "gui/ProgressWindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTest>

using namespace tapeloft;

namespace {

// Counts the paint events a widget gets.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Whether the screen shows the window as a fresh copy with its current texts and values paints it.
bool screenShowsCurrentValues(ProgressWindow& window) {
    ProgressWindow fresh;
    fresh.setCaption(window.captionLabel()->text());
    fresh.setMaximum(window.progressBar()->maximum());
    fresh.setPosition(window.progressBar()->value());
    fresh.setFile(window.fileLabel()->text());
    const QImage expected = fresh.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage onScreen =
        window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    return onScreen == expected;
}

void letOnePendingEventThrough() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

class ProgressWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void shownWindowIsPaintedWithItsValues() {
        ProgressWindow window;
        window.setCaption(QStringLiteral("Reading folder /replays"));
        window.setMaximum(10);
        window.setPosition(4);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(screenShowsCurrentValues(window));
    }

    void aFastScanIsPaintedOncePerFrameAndEndsWithTheLatestValues() {
        ProgressWindow window;
        // More than a fast machine gets through in the loop below, or the bar stops at its maximum.
        window.setMaximum(100000000);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintCounter fileLabel, bar;
        const_cast<QLabel*>(window.fileLabel())->installEventFilter(&fileLabel);
        const_cast<QProgressBar*>(window.progressBar())->installEventFilter(&bar);

        // A file every few microseconds for 300 ms, one pending event let through after each.
        QElapsedTimer clock;
        clock.start();
        int files = 0;
        while (clock.elapsed() < 300) {
            window.setFile(QStringLiteral("/replays/file %1.ivlreplay").arg(files));
            window.setPosition(files);
            letOnePendingEventThrough();
            ++files;
        }
        const int frames = 300 / ProgressWindow::frameMilliseconds;
        QVERIFY2(files > 4 * frames, "the loop must outpace the frames for this test to mean anything");
        // Still painted all along, but far less than once per file.
        // At most once per frame; how many frames a loaded machine manages is not for a test to say.
        QVERIFY2(fileLabel.paints >= 1 && fileLabel.paints <= frames + 3,
                 qPrintable(QStringLiteral("%1 paints for %2 files").arg(fileLabel.paints).arg(files)));
        // (The bar itself asks for paint only when its value moves by a whole chunk.)
        QVERIFY(bar.paints <= frames + 3);
        // The widgets hold the latest values at once, whatever the screen shows.
        QCOMPARE(window.fileLabel()->text(), QStringLiteral("/replays/file %1.ivlreplay").arg(files - 1));
        QCOMPARE(window.progressBar()->value(), files - 1);
        // The last file of the scan reaches the screen (within a frame; the time allowed is for busy
        // machines).
        window.setFile(QStringLiteral("/replays/last.ivlreplay"));
        window.setPosition(window.progressBar()->maximum());
        letOnePendingEventThrough();
        QTRY_VERIFY_WITH_TIMEOUT(screenShowsCurrentValues(window), 2000);
    }

    void aChangeHeldBackIsPaintedWhenTheFrameComes() {
        ProgressWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintCounter fileLabel;
        const_cast<QLabel*>(window.fileLabel())->installEventFilter(&fileLabel);
        // After a pause the next file is painted with the next pending event...
        QTest::qWait(ProgressWindow::frameMilliseconds + 10);
        window.setFile(QStringLiteral("/replays/first.ivlreplay"));
        letOnePendingEventThrough();
        QCOMPARE(fileLabel.paints, 1);
        // ...one within the same frame is held back, and painted when the frame comes without further calls.
        QElapsedTimer sincePaint;
        sincePaint.start();
        window.setFile(QStringLiteral("/replays/second.ivlreplay"));
        letOnePendingEventThrough();
        if (sincePaint.elapsed() < ProgressWindow::frameMilliseconds / 2) QCOMPARE(fileLabel.paints, 1);
        QTRY_COMPARE_WITH_TIMEOUT(fileLabel.paints, 2, 2000);
        QVERIFY(screenShowsCurrentValues(window));
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "ProgressWindowTest.moc"
