#include "shell/ui/TapeloftApp.h"

#include "shell/AppState.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/SettingsWindow.h"

#include <QApplication>
#include <QPointer>

namespace tapeloft {

int runTapeloft(int& argc, char** argv) {
    QApplication application(argc, argv);
    AppState state;
    loadSettingsAndLanguage(state);
    MainWindow window(state);
    QPointer<SettingsWindow> settingsWindow;
    window.setSettingsOpener([&] {
        SettingsWindow::showOrRaise(settingsWindow, state, window.replayList(), window.favouritesList(), {}, &window);
    });
    window.restoreLayout();
    window.show();
    window.scanFolders();
    QApplication::exec();
    return 0;
}

} // namespace tapeloft
