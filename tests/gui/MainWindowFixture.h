#pragma once

// A work folder as the program finds it at start (Settings.ini, the language file, replay folders) and a
// main window started in it with a fake platform.
#include "app/AppState.h"
#include "app/ListModel.h"
#include "app/ReplayList.h"
#include "base/TextCodec.h"
#include "gui/ListTableModel.h"
#include "gui/MainWindow.h"
#include "gui/QtText.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <QAbstractItemModelTester>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tapeloft::test {

namespace fs = std::filesystem;

inline QString qs(std::u16string_view text) {
    return toQString(text);
}

inline std::u16string withSeparator(const fs::path& folder) {
    return textFromPath(folder) + std::u16string(nativeSeparator());
}

// The process works in a fresh folder for the lifetime of the fixture.
// The desktop's trash of a test lives in its own folder, never in the user's.
struct TrashScope {
    QByteArray before = qgetenv("XDG_DATA_HOME");
    explicit TrashScope(const fs::path& dataHome) {
        fs::create_directories(dataHome);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome.string()));
    }
    ~TrashScope() { qputenv("XDG_DATA_HOME", before); }
    TrashScope(const TrashScope&) = delete;
    TrashScope& operator=(const TrashScope&) = delete;
};

struct WorkFolder {
    TempDir dir;
    CurrentDirScope cwd{dir.path()};
    TrashScope trash{dir.path() / "data"};
    fs::path trashFiles = dir.path() / "data" / "Trash" / "files";
    fs::path replays = dir.path() / "replays";
    fs::path favourites = dir.path() / "favourites";

    // Settings.ini naming both folders, rus.lng beside it, and generated replays in both folders.
    void prepare(int replayCount = 6, int favouriteCount = 2) {
        fs::create_directories(replays);
        fs::create_directories(favourites);
        samples::writeSampleFolder(replays, replayCount, 101);
        samples::writeSampleFolder(favourites, favouriteCount, 202);
        fs::copy_file(sourceDir() / "lang" / "rus.lng", dir.path() / "rus.lng");
        std::ofstream settings(dir.path() / "Settings.ini", std::ios::binary);
        settings << "\xEF\xBB\xBF\r\n[filepath]\r\nLang = rus.lng\r\npath_repl = "
                 << utf16ToUtf8(withSeparator(replays))
                 << "\r\npath_izbr = " << utf16ToUtf8(withSeparator(favourites)) << "\r\n";
    }
};

// The start-up sequence of the program, with the fake platform in place of the Qt dialogs.
struct Started {
    AppState state;
    FakePlatform platform;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QAbstractItemModelTester> replayTester;
    std::unique_ptr<QAbstractItemModelTester> favouriteTester;

    Started() {
        loadSettingsAndLanguage(state);
        window = std::make_unique<MainWindow>(state, &platform);
        replayTester = std::make_unique<QAbstractItemModelTester>(
            window->tableModel(ReplayListKind::Replays),
            QAbstractItemModelTester::FailureReportingMode::QtTest);
        favouriteTester = std::make_unique<QAbstractItemModelTester>(
            window->tableModel(ReplayListKind::Favourites),
            QAbstractItemModelTester::FailureReportingMode::QtTest);
        window->restoreLayout();
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
        window->scanFolders();
    }
    ~Started() {
        replayTester.reset();
        favouriteTester.reset();
    }

    ListModel& list(ReplayListKind kind) {
        return kind == ReplayListKind::Replays ? window->replayList() : window->favouritesList();
    }
    QTableView* view(ReplayListKind kind) { return window->listView(kind); }
    const std::u16string& msg(int n) const { return state.message(n); }

    void click(int control) {
        QWidget* widget = window->control(control);
        QVERIFY2(widget, "no such control");
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    // Clicks a row of a list (with modifiers to extend the selection).
    void clickRow(ReplayListKind kind, int row, Qt::KeyboardModifiers modifiers = {}) {
        QTableView* table = view(kind);
        const QRect cell = table->visualRect(table->model()->index(row, ColumnDate));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    fs::path path(ReplayListKind kind, int row) { return pathFromText(list(kind).cell(row, ColumnPath)); }
};

} // namespace tapeloft::test
