#include "gui/FolderTracker.h"

#include "gui/QtText.h"

#include <QSet>
#include <QStringList>

namespace tapeloft {

FolderTracker::FolderTracker(std::function<bool()> poll, std::function<std::vector<std::u16string>()> folders,
                             QObject* parent)
    : QObject(parent), poll_(std::move(poll)), folders_(std::move(folders)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &FolderTracker::pollNow);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderTracker::changed);
}

void FolderTracker::refresh() {
    QSet<QString> wanted;
    for (const std::u16string& folder : folders_())
        wanted.insert(toQString(folder));
    QStringList gone;
    for (const QString& watched : watcher_.directories())
        if (!wanted.remove(watched)) gone.push_back(watched);
    if (!gone.isEmpty()) watcher_.removePaths(gone);
    // A folder that is not there cannot be watched: the slow timer notices when it comes back.
    if (!wanted.isEmpty()) watcher_.addPaths(QStringList(wanted.begin(), wanted.end()));
    if (!timer_.isActive()) timer_.start(kSlowMilliseconds);
}

void FolderTracker::changed() {
    // The first event of a burst sets the time; the rest fall inside it.
    if (!timer_.isActive() || timer_.remainingTime() > kQuietMilliseconds) timer_.start(kQuietMilliseconds);
}

void FolderTracker::pollNow() {
    const bool settling = poll_();
    refresh();
    timer_.start(settling ? kSettlingMilliseconds : kSlowMilliseconds);
}

} // namespace tapeloft
