#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace tapeloft {

class MainCommands;

// Tells the commands when to look at the folders again: the system reports a change in a watched folder
// (a burst of changes within kQuietMilliseconds counts as one), files are still settling, or, as a safety
// net for changes no folder event reports (a file rewritten in place), the slow timer runs out. What
// changed is decided by the commands, never here.
class FolderTracker final : public QObject {
    Q_OBJECT

public:
    static constexpr int kQuietMilliseconds = 500;
    static constexpr int kSettlingMilliseconds = 250;
    static constexpr int kSlowMilliseconds = 5000;

    // poll() runs the commands' pollLive and says whether files are settling; folders() what to watch.
    FolderTracker(std::function<bool()> poll, std::function<std::vector<std::u16string>()> folders,
                  QObject* parent = nullptr);

    // Watches the folders as they are now; call after every scan.
    void refresh();
    // Looks at the folders after the quiet time.
    void changed();

    const QFileSystemWatcher& watcher() const { return watcher_; }

private:
    void pollNow();

    std::function<bool()> poll_;
    std::function<std::vector<std::u16string>()> folders_;
    QFileSystemWatcher watcher_;
    QTimer timer_;
};

} // namespace tapeloft
