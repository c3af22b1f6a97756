// The program started over hostile input: a replay folder full of damaged and oddly named files, and
// damaged program files. It shows what it can, keeps working, and writes over nothing it could not read.
#include "MainWindowFixture.h"

#include "app/ControlIds.h"
#include "base/ColumnOrderFile.h"
#include "gui/DetailsWindow.h"
#include "support/BadInputCatalogue.h"

#include <QApplication>
#include <QHeaderView>

#include <map>

using namespace tapeloft;
using namespace tapeloft::test;

namespace {

std::map<fs::path, std::string> filesBelow(const fs::path& folder) {
    std::map<fs::path, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec) && !it->is_symlink(ec)) out[it->path()] = readBytes(it->path());
    return out;
}

void closeDetailsWindows() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<DetailsWindow*>(widget)) window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class BadInputStartupTest final : public QObject {
    Q_OBJECT

private slots:
    void aFolderOfBadReplaysShowsWhatItCanAndKeepsWorking() {
        WorkFolder work;
        work.prepare(2, 1);
        const BadReplayFolder bad = writeBadReplayFolder(work.replays / "bad");
        for (const std::string& reason : bad.notWritten)
            qInfo("not written: %s", reason.c_str());
        const auto before = filesBelow(work.dir.path());

        int listed = 2;
        std::size_t unreadable = 0;
        for (const CatalogueReplay& replay : bad.replays) {
            if (replay.expected == ExpectedRow::Unreadable) ++unreadable;
            if (replay.expected != ExpectedRow::Unreadable && replay.expected != ExpectedRow::None) ++listed;
        }

        Started s;
        MainWindow& w = *s.window;
        QVERIFY(w.isVisible());
        QCOMPARE(w.replayList().rowCount(), listed);
        QCOMPARE(w.favouritesList().rowCount(), 1);
        // One box at the end, a line naming each unreadable file.
        QVERIFY(unreadable > 1);
        QCOMPARE(s.platform.messages.size(), std::size_t{1});
        for (const CatalogueReplay& replay : bad.replays)
            QCOMPARE(s.platform.messages[0].text.find(textFromPath(replay.path)) != std::u16string::npos,
                     replay.expected == ExpectedRow::Unreadable);

        // Every column sorts both ways; the filter bar filters and lets go again.
        QHeaderView* header = s.view(ReplayListKind::Replays)->horizontalHeader();
        for (int column = 0; column < 40; column += 3) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 2, header->height() / 2));
            QCOMPARE(w.replayList().rowCount(), listed);
        }
        s.click(kReplayFilterToggle);
        QVERIFY(w.replayList().setFilterText(6, u"\u0416")); // Cyrillic, matching few or none
        QVERIFY(w.replayList().rowCount() <= listed);
        s.click(kReplayFilterToggle);
        QCOMPARE(w.replayList().rowCount(), listed);

        // The details of every listed replay open or are refused with a message, never worse.
        for (int row = 0; row < w.replayList().rowCount(); ++row) {
            const std::u16string path(w.replayList().cell(row, ColumnPath));
            s.window->setEnabled(false);
            DetailsWindow* details = DetailsWindow::open(path, s.state, s.platform,
                                                         work.dir.path() / "Settings.ini", s.window.get());
            if (details) closeDetailsWindows();
            QVERIFY(s.window->isEnabled());
        }

        // The whole list exports, and the first replay moves to the favourites.
        s.platform.saveAnswers.push_back(textFromPath(work.dir.path() / "bad.xls"));
        s.click(kExportReplaysButton);
        QVERIFY(fs::file_size(work.dir.path() / "bad.xls") > 1000);
        const fs::path first = s.path(ReplayListKind::Replays, 0);
        s.window->replayList().clearSelection();
        s.window->replayList().setSelected(0, true);
        s.click(kMoveToFavouritesButton);
        QCOMPARE(w.replayList().rowCount(), listed - 1);
        QCOMPARE(w.favouritesList().rowCount(), 2);

        // Every replay is still whole: unchanged where it was, or byte for byte in the favourites.
        s.window->dispatch(kMainWindowId, kNoControl, UiEvent::CloseRequest);
        const auto after = filesBelow(work.dir.path());
        for (const auto& [path, bytes] : before) {
            if (path == first) {
                QVERIFY(!after.contains(path));
                QCOMPARE(after.at(work.favourites / first.filename()), bytes);
                continue;
            }
            if (path.filename() == "Settings.ini") continue; // the exit stores the window there
            QVERIFY2(after.contains(path) && after.at(path) == bytes, path.string().c_str());
        }
    }

    void damagedProgramFilesStartTheWindowAndAreNotWrittenOverWhenUnreadable() {
        for (const DamagedProgramFile& damaged : damagedProgramFiles()) {
            const QByteArray what = QByteArray::fromStdString(damaged.fileName + ": " + damaged.what);
            WorkFolder work;
            work.prepare(3, 1);
            if (damaged.fileName != "Settings.ini")
                work.dir.write("Settings.ini", goodSettings(work.replays));
            if (damaged.fileName != "rus.lng") work.dir.write("rus.lng", goodLanguage());
            fs::remove(work.dir.path() / damaged.fileName);
            QVERIFY2(writeDamagedProgramFile(work.dir.path(), damaged), what.constData());
            const fs::path file = work.dir.path() / damaged.fileName;

            Started s;
            QVERIFY2(s.window->isVisible(), what.constData());
            // A replay folder is listed whenever Settings.ini still names it.
            if (damaged.fileName != "Settings.ini") {
                QVERIFY2(s.window->replayList().rowCount() == 3, what.constData());
            }
            s.click(kRescanButton);
            s.platform.messages.clear();
            s.window->dispatch(kMainWindowId, kNoControl, UiEvent::CloseRequest);
            QVERIFY2(!s.window->isVisible(), what.constData());

            if (!damaged.bytes) {
                // A folder stood in the file's place: it is still there, untouched, and the user was told
                // whenever the exit could not store something.
                QVERIFY2(fs::is_directory(file) && fs::is_empty(file), what.constData());
                if (damaged.fileName != "rus.lng") {
                    QVERIFY2(!s.platform.messages.empty(), what.constData());
                }
            } else if (damaged.fileName == "rus.lng") {
                QVERIFY2(readBytes(file) == *damaged.bytes, what.constData()); // only ever read
            } else if (damaged.fileName == "ColumnOrder.Dat") {
                // Replaced by the order in use, a valid file again.
                QVERIFY2(readColumnOrder(file, RecordColumnCount).has_value(), what.constData());
            }
        }
    }
};

QTEST_MAIN(BadInputStartupTest)
#include "BadInputStartupTest.moc"
