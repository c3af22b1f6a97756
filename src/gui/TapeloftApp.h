#pragma once

namespace tapeloft {

// The program: loads Settings.ini and the language file from the current folder, builds and shows the
// main window, restores its layout, scans both folders and runs the event loop until the window is closed
// (which saves the layout). Returns the process exit code, 0.
int runTapeloft(int& argc, char** argv);

} // namespace tapeloft
