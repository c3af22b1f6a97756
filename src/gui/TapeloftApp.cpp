#include "gui/TapeloftApp.h"

#include "app/AppState.h"
#include "base/Settings.h"
#include "gui/DetailsWindow.h"
#include "gui/MainWindow.h"
#include "gui/QtTranslation.h"
#include "gui/SettingsWindow.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <cstdlib>

namespace tapeloft {

int runTapeloft(int& argc, char** argv) {
    QApplication application(argc, argv);
    AppState state;
    loadSettingsAndLanguage(state);
    QTranslator qtTexts;
    installQtTranslation(qtTexts, state.language);
    MainWindow window(state);
    window.setDetailsOpener([&](const std::u16string& path) {
        // The details window stores the price and enables the main window itself when it closes.
        DetailsWindow* details = DetailsWindow::open(path, state, window.platform(),
                                                     std::filesystem::path(settings::fileName), &window);
        if (details == nullptr) {
            window.detailsClosed();
            return;
        }
        QObject::connect(details, &DetailsWindow::closed, &window, [&window] { window.detailsClosed(); });
        QObject::connect(&window, &QObject::destroyed, details, &QWidget::close);
    });
    QPointer<SettingsWindow> settingsWindow;
    window.setSettingsOpener([&] {
        SettingsWindow::showOrRaise(settingsWindow, state, window.replayList(), window.favouritesList(), {},
                                    &window);
    });
    window.restoreLayout();
    window.show();
    window.scanFolders();
    // The benchmark's start-up figure: end the process once the events queued by start-up (the first paint)
    // are done, without the shutdown, which is no part of start-up.
    if (qEnvironmentVariableIsSet("TAPELOFT_EXIT_AFTER_START")) QTimer::singleShot(0, [] { std::_Exit(0); });
    QApplication::exec();
    return 0;
}

} // namespace tapeloft
