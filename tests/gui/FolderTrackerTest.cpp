// The running program follows its folders on disk through the system's folder events.
#include "MainWindowFixture.h"

#include "gui/FolderTracker.h"

#include <QSignalSpy>

using namespace tapeloft;
using namespace tapeloft::test;

namespace {

std::string replayBytes(std::uint32_t seed) {
    samples::SampleOptions options;
    options.tailBytes = 64;
    return samples::makeSampleReplay(seed, options).bytes;
}

} // namespace

class FolderTrackerTest final : public QObject {
    Q_OBJECT

private slots:
    void replaysThatComeAndGoOnDiskComeAndGoInTheList() {
        WorkFolder work;
        work.prepare(3, 1);
        Started s;
        ListModel& list = s.window->replayList();
        QCOMPARE(list.rowCount(), 3);
        FolderTracker* tracker = s.window->folderTracker();
        QVERIFY(tracker);
        QVERIFY(tracker->watcher().directories().contains(qs(withSeparator(work.replays))));

        // A new replay in a new sub-folder: the folder is watched once the first event brought it in.
        fs::create_directories(work.replays / "later");
        QTRY_VERIFY_WITH_TIMEOUT(
            tracker->watcher().directories().contains(qs(withSeparator(work.replays / "later"))), 3000);
        std::ofstream(work.replays / "later" / "new.ivlreplay", std::ios::binary) << replayBytes(77);
        QTRY_COMPARE_WITH_TIMEOUT(list.rowCount(), 4, 4000);
        QCOMPARE(s.window->statusText(0), qs(s.msg(75)) + "4");

        // Gone from the disk, gone from the list; the favourites list is not touched.
        fs::remove(work.replays / "later" / "new.ivlreplay");
        QTRY_COMPARE_WITH_TIMEOUT(list.rowCount(), 3, 3000);
        QCOMPARE(s.window->favouritesList().rowCount(), 1);
        QVERIFY(s.platform.messages.empty());
    }
};

QTEST_MAIN(FolderTrackerTest)
#include "FolderTrackerTest.moc"
