#include "shell/ui/TapeloftApp.h"

#include "shell/AppState.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>

namespace tapeloft {

int runTapeloft(int& argc, char** argv) {
    QApplication application(argc, argv);
    AppState state;
    loadSettingsAndLanguage(state);
    MainWindow window(state);
    window.restoreLayout();
    window.show();
    window.scanFolders();
    QApplication::exec();
    return 0;
}

} // namespace tapeloft
