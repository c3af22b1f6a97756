// Deleting through the desktop's trash: the replay can be got back, byte for byte.
#include "MainWindowFixture.h"

#include "gui/QtFileOperations.h"

using namespace tapeloft;
using namespace tapeloft::test;

class QtFileOperationsTest final : public QObject {
    Q_OBJECT

private slots:
    void aReplayGoesToTheTrashWithWhereItCameFrom() {
        WorkFolder work;
        const fs::path file = work.dir.path() / "Дорога на север.ivlreplay";
        { std::ofstream(file, std::ios::binary) << "the battle's bytes"; }
        QtFileOperations files;
        QVERIFY(files.moveToTrash(file));
        QVERIFY(!fs::exists(file));
        QCOMPARE(readBytes(work.trashFiles / file.filename()), std::string("the battle's bytes"));
        // The trash knows where to put it back.
        const fs::path info =
            work.trashFiles.parent_path() / "info" / (file.filename().string() + ".trashinfo");
        QVERIFY(readBytes(info).find("Path=") != std::string::npos);
    }

    void whatCannotBeTrashedStaysAndSaysWhy() {
        WorkFolder work;
        QtFileOperations files;
        QVERIFY(!files.moveToTrash(work.dir.path() / "never there.ivlreplay"));
        QVERIFY(!files.lastError().empty());
        QVERIFY(!fs::exists(work.trashFiles / "never there.ivlreplay"));
    }
};

QTEST_MAIN(QtFileOperationsTest)
#include "QtFileOperationsTest.moc"
