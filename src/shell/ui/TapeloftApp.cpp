#include "shell/ui/TapeloftApp.h"

#include "shell/AppState.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>

namespace tapeloft {

int runTapeloft(int& argc, char** argv) {
    QApplication application(argc, argv);
    AppState state;
    loadSettingsAndLanguage(state);
    MainWindow window(state);
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
