#include "gui/QtPlatform.h"
#include "gui/ProgressWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace tapeloft;

namespace {

// Takes the addresses the desktop would have opened.
class UrlRecorder final : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// Runs `act` on the modal dialog of type T as soon as it is up. Should `act` fail to end the dialog, it is
// closed after a few seconds so that the test fails instead of hanging.
template <typename T> void whenModal(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog) return;
        QPointer<T> guarded(dialog);
        QTimer::singleShot(5000, dialog, [guarded] {
            if (guarded && guarded->isVisible()) static_cast<QDialog*>(guarded.data())->reject();
        });
        act(*dialog);
    });
}

void clickButton(QMessageBox& box, QMessageBox::StandardButton which) {
    QAbstractButton* button = box.button(which);
    if (button) QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class QtPlatformTest final : public QObject {
    Q_OBJECT

private slots:
    void fileFilterTakesQtForm_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("export") << "Excel file(*.xls) | *.xls"
                                << "Excel file(*.xls)";
        QTest::newRow("pattern added") << "Text | *.txt"
                                       << "Text (*.txt)";
        QTest::newRow("several") << "Images | *.png;*.jpg | All files | *.*"
                                 << "Images (*.png *.jpg);;All files (*.*)";
        QTest::newRow("other pattern than shown") << "Sheet (*.xls) | *.xlsx"
                                                  << "Sheet (*.xls) (*.xlsx)";
        QTest::newRow("no pattern") << "Anything"
                                    << "Anything (*)";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fileFilterTakesQtForm() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(qtFileFilter(filter.toStdU16String()), expected);
    }

    void pendingEventsAreDeliveredAtMostOncePerInterval() {
        QtPlatform platform;
        QObject receiver;
        int delivered = 0;
        const auto post = [&] {
            QMetaObject::invokeMethod(
                &receiver, [&] { ++delivered; }, Qt::QueuedConnection);
        };
        QElapsedTimer clock;
        clock.start();
        post();
        platform.processOnePendingEvent();
        QCOMPARE(delivered, 1);
        // A scan's next file comes within microseconds: the event waits.
        post();
        platform.processOnePendingEvent();
        if (clock.elapsed() < QtPlatform::eventIntervalMilliseconds) QCOMPARE(delivered, 1);
        QTest::qSleep(QtPlatform::eventIntervalMilliseconds + 1);
        platform.processOnePendingEvent();
        QCOMPARE(delivered, 2);
    }

    void progressWindowLayoutTextsAndPlace() {
        QWidget main;
        main.setGeometry(100, 120, 880, 625);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QtPlatform platform(&main);

        platform.progressBegin(u"Scanning", u"Reading folder /home/me/replays/");
        const ProgressWindow* window = platform.progressWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Scanning"));
        QCOMPARE(window->size(), QSize(608, 100));
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->windowType(), Qt::Tool);
        const QPointF offCentre =
            QRectF(window->frameGeometry()).center() - QRectF(main.frameGeometry()).center();
        QVERIFY2(qAbs(offCentre.x()) <= 0.5 && qAbs(offCentre.y()) <= 0.5, "centred over the main window");

        QCOMPARE(window->captionLabel()->geometry(), QRect(10, 10, 588, 15));
        QCOMPARE(window->captionLabel()->text(), QStringLiteral("Reading folder /home/me/replays/"));
        QCOMPARE(window->fileLabel()->geometry(), QRect(10, 30, 588, 30));
        QCOMPARE(window->fileLabel()->text(), QString());
        QCOMPARE(window->progressBar()->geometry(), QRect(7, 70, 580, 20));

        platform.progressSetRange(5);
        QCOMPARE(window->progressBar()->minimum(), 0);
        QCOMPARE(window->progressBar()->maximum(), 5);
        for (int position = 0; position < 4; ++position) {
            const std::u16string file =
                u"/home/me/replays/<b>" + std::u16string(1, char16_t(u'a' + position));
            platform.progressSetFile(file);
            platform.progressSetPosition(position);
            platform.processOnePendingEvent();
            QCOMPARE(window->fileLabel()->text(), QString::fromStdU16String(file));
            QCOMPARE(window->progressBar()->value(), position);
        }
        // File names are plain text, never markup.
        QCOMPARE(window->fileLabel()->textFormat(), Qt::PlainText);

        platform.progressEnd();
        QVERIFY(!platform.progressWindow());
        // Calls outside a scan do nothing.
        platform.progressSetFile(u"x");
        platform.progressSetPosition(1);
        platform.progressEnd();
    }

    void emptyTreeShowsAnEmptyBarAndDefaultPlaceWithoutAWindow() {
        QtPlatform platform;
        platform.progressBegin(u"t", u"c");
        const ProgressWindow* window = platform.progressWindow();
        QVERIFY(window);
        QCOMPARE(window->pos(), QPoint(332, 329));
        platform.progressSetRange(0);
        const QProgressBar* bar = window->progressBar();
        // Not the endless "busy" bar Qt draws for a range of 0..0.
        QVERIFY(bar->maximum() > bar->minimum());
        QVERIFY(bar->value() <= bar->minimum());
        platform.progressEnd();
    }

    void userInputAndCloseRequestsWaitOutTheScan() {
        QWidget main;
        auto* button = new QPushButton(QStringLiteral("Go"), &main);
        button->setGeometry(10, 10, 80, 30);
        main.resize(300, 200);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QSignalSpy clicked(button, &QPushButton::clicked);
        QtPlatform platform(&main);

        platform.progressBegin(u"t", u"c");
        QTest::mouseClick(button, Qt::LeftButton);
        platform.processOnePendingEvent();
        QCOMPARE(clicked.count(), 0);
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::sendEvent(main.windowHandle(), &close);
        QVERIFY(!close.isAccepted());
        QVERIFY(main.isVisible());

        // A message box during the scan (a file that cannot be read) still answers to the user.
        bool answered = false;
        whenModal<QMessageBox>([&](QMessageBox& box) {
            clickButton(box, QMessageBox::Ok);
            answered = !box.isVisible();
            if (!answered) { // end the box anyway: closing it is refused as well while the blocker is on
                platform.progressEnd();
                box.reject();
            }
        });
        platform.messageBox(u"Warning", u"File cannot be read");
        QVERIFY(answered);
        platform.progressEnd();

        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCloseEvent later;
        QSpontaneKeyEvent::setSpontaneous(&later);
        QApplication::sendEvent(main.windowHandle(), &later);
        QVERIFY(later.isAccepted());
    }

    void messageBoxesShowTheirTextsAndButtons() {
        QtPlatform platform;
        QString title, text;
        int buttons = 0;
        Qt::TextFormat format = Qt::AutoText;
        QMessageBox::Icon icon = QMessageBox::Information;
        whenModal<QMessageBox>([&](QMessageBox& box) {
            title = box.windowTitle(), text = box.text(), icon = box.icon(), format = box.textFormat();
            buttons = static_cast<int>(box.buttons().size());
            clickButton(box, QMessageBox::Ok);
        });
        platform.messageBox(u"Error", u"Folder <i>x</i> is not set");
        QCOMPARE(title, QStringLiteral("Error"));
        QCOMPARE(text, QStringLiteral("Folder <i>x</i> is not set"));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons, 1);

        whenModal<QMessageBox>([&](QMessageBox& box) {
            buttons = static_cast<int>(box.buttons().size()), icon = box.icon();
            clickButton(box, QMessageBox::Yes);
        });
        QVERIFY(platform.askYesNo(u"Writer", u"Open the file?"));
        QCOMPARE(buttons, 2);
        QCOMPARE(icon, QMessageBox::NoIcon);
        whenModal<QMessageBox>([](QMessageBox& box) { clickButton(box, QMessageBox::No); });
        QVERIFY(!platform.askYesNo(u"Writer", u"Open the file?"));
        whenModal<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        QVERIFY(!platform.askYesNo(u"Writer", u"Open the file?"));
    }

    void folderChooserEndsTheFolderWithASeparator() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        QtPlatform platform;
        QString title;
        whenModal<QFileDialog>([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            dialog.setDirectory(temp.path());
            static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, as the OK button
        });
        const auto folder = platform.chooseFolder(u"Replay folder");
        QCOMPARE(title, QStringLiteral("Replay folder"));
        QVERIFY(folder);
        QCOMPARE(QString::fromStdU16String(*folder),
                 QDir::toNativeSeparators(temp.path()) + QDir::separator());

        whenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
        QVERIFY(!platform.chooseFolder(u"Replay folder"));
    }

    void saveDialogUsesTheConvertedFilterAndTellsThePickedType() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        QtPlatform platform;
        const std::u16string filter =
            u"Excel file(*.xls) | *.xls | Книга (*.xlsx) | *.xlsx | CSV (*.csv) | *.csv";
        for (int picked = 0; picked < 3; ++picked) {
            QStringList filters;
            whenModal<QFileDialog>([&](QFileDialog& dialog) {
                filters = dialog.nameFilters();
                dialog.setDirectory(temp.path());
                dialog.selectNameFilter(filters.value(picked));
                dialog.selectFile(temp.filePath(QStringLiteral("battles")));
                static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, as the OK button
            });
            const auto choice = platform.chooseSaveFile(u"Export", filter);
            QCOMPARE(filters, QStringList({"Excel file(*.xls)", "Книга (*.xlsx)", "CSV (*.csv)"}));
            QVERIFY(choice);
            // The name comes back as typed; the export adds the extension of the picked type.
            QCOMPARE(QString::fromStdU16String(choice->name),
                     QDir::toNativeSeparators(temp.filePath(QStringLiteral("battles"))));
            QCOMPARE(choice->fileType, picked);
        }

        whenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
        QVERIFY(!platform.chooseSaveFile(u"Export", filter));
    }

    void opensOnlyWebAddressesAndExistingFiles() {
        UrlRecorder recorder;
        for (const char* scheme : {"http", "https", "file", "mailto", "javascript", "ftp"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "open");
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString existing = temp.filePath(QStringLiteral("list 1.xls"));
        {
            QFile file(existing);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QtPlatform platform;

        QVERIFY(platform.openWithAssociatedProgram(u"https://forum.example.org/topic?id=7"));
        QVERIFY(platform.openWithAssociatedProgram(u"HTTP://stats.example.org/player/Some Name"));
        QVERIFY(platform.openWithAssociatedProgram(existing.toStdU16String()));
        QVERIFY(
            platform.openWithAssociatedProgram(QUrl::fromLocalFile(existing).toString().toStdU16String()));
        QCOMPARE(recorder.opened.size(), 4);
        QCOMPARE(recorder.opened[0], QUrl(QStringLiteral("https://forum.example.org/topic?id=7")));
        QCOMPARE(recorder.opened[1].host(), QStringLiteral("stats.example.org"));
        QCOMPARE(recorder.opened[1].path(), QStringLiteral("/player/Some Name"));
        QCOMPARE(recorder.opened[2], QUrl::fromLocalFile(existing));
        QCOMPARE(recorder.opened[3], QUrl::fromLocalFile(existing));

        recorder.opened.clear();
        for (const char16_t* refused :
             {u"", u"mailto:someone@example.org", u"javascript:alert(1)", u"ftp://example.org/x", u"http://",
              u"/no/such/folder/file.xls", u"file:///no/such/file.xls"})
            QVERIFY2(!platform.openWithAssociatedProgram(refused),
                     qPrintable(QString::fromStdU16String(refused)));
        QCOMPARE(recorder.opened.size(), 0);
        for (const char* scheme : {"http", "https", "file", "mailto", "javascript", "ftp"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
};

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
