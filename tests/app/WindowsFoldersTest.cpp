// The commands over Windows folders: letter case that the file system ignores, drive letters, and paths
// longer than MAX_PATH.
#include "CommandSession.h"
#include "app/ListExport.h"
#include "app/ReplayScan.h"
#include "replay/FolderScan.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxPath = MAX_PATH;

// A folder below `root` whose path is longer than MAX_PATH; empty when the system cannot make it.
fs::path folderBeyondMaxPath(const fs::path& root) {
    fs::path folder = root;
    while (folder.native().size() <= kMaxPath)
        folder /= std::wstring(40, L'ф');
    std::error_code ec;
    return fs::create_directories(folder, ec) ? folder : fs::path();
}

} // namespace

TEST(WindowsFolders, OverlapIgnoresLetterCaseAsTheFileSystemDoes) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool overlap;
    };
    const Case cases[] = {
        {u"C:\\Replays", u"c:\\REPLAYS\\Fav", true},
        {u"C:\\Игры\\Повторы\\", u"c:\\игры\\повторы", true},
        {u"C:\\ÄPFEL", u"c:\\äpfel\\best", true},
        {u"C:\\Replays", u"C:\\Replays/Fav", true}, // a slash is a separator too
        {u"C:\\Ёлка", u"c:\\елка\\x", false},       // Ё and Е are different letters
        {u"C:\\Replays", u"D:\\Replays", false},
        {u"C:\\Rep", u"c:\\REPLAYS", false},
        {u"C:/Replays", u"C:\\Replays\\Fav", false}, // no ":\": not a configured folder
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldersOverlap(c.a, c.b), c.overlap) << utf16ToUtf8(c.a) << " vs " << utf16ToUtf8(c.b);
}

// Two replays whose names differ only in letter case are one file in the destination: the second is
// refused, so the first one's copy is never replaced and neither replay is lost.
TEST(WindowsFolders, NamesDifferingOnlyInCaseAreOneDestination) {
    Session s(0, 0);
    const samples::SampleReplay first = samples::makeSampleReplay(5);
    const samples::SampleReplay second = samples::makeSampleReplay(6);
    s.dir.write(L"replays\\x\\Бой.ivlreplay", first.bytes);
    s.dir.write(L"replays\\y\\бОЙ.IVLREPLAY", second.bytes);
    s.commands->rescan();
    ASSERT_EQ(s.replays.rowCount(), 2);
    s.select(s.replays, {0, 1});
    const MoveOutcome outcome = s.commands->moveSelected(ReplayListKind::Replays);
    EXPECT_EQ(outcome.moved, 1);
    EXPECT_EQ(outcome.notCopied, 1);
    ASSERT_EQ(s.replays.rowCount(), 1);
    const std::string moved = readBytes(Session::paths(s.favourites).at(0));
    const std::string kept = readBytes(Session::paths(s.replays).at(0));
    EXPECT_TRUE((moved == first.bytes && kept == second.bytes) ||
                (moved == second.bytes && kept == first.bytes));
}

// A replay below a path longer than MAX_PATH is listed, or it or its folder is named in a message; an
// export there is written or refused with a message naming the file. Never a crash, never silence.
TEST(WindowsLongPaths, ScanAndExportBeyondMaxPathAreHandledOrReported) {
    TempDir dir;
    const fs::path folder = folderBeyondMaxPath(dir.path());
    if (folder.empty()) GTEST_SKIP() << "the system makes no folder this deep";
    const fs::path replay = folder / L"Бой.ivlreplay";
    {
        std::FILE* file = _wfopen(replay.c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        const std::string bytes = samples::makeSampleReplay(7).bytes;
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }
    const Language language;
    FakePlatform platform;
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);
    scanReplayFolder(textFromPath(dir.path()), list, u"*", kReplayExtension, language, platform);
    const std::u16string path = textFromPath(replay);
    const bool listed = list.rowCount() == 1 && list.cell(0, ColumnPath) == path;
    // Reported: one message names the replay or the folder above it that the scan would not open.
    bool reported = false;
    if (platform.messages.size() == 1)
        for (fs::path named = replay; named != dir.path(); named = named.parent_path())
            reported = reported ||
                       platform.messages[0].text.find(textFromPath(named) + u" ") != std::u16string::npos;
    std::cout << "scan of a path of " << path.size() << " characters: " << (listed ? "listed" : "reported")
              << "\n";
    EXPECT_TRUE(listed != reported);

    const std::u16string workbook = textFromPath(folder / L"Выгрузка.xls");
    FakePlatform exportPlatform;
    const ListExportResult result = exportListToXls(workbook, list, language, exportPlatform);
    std::cout << "export there: " << (result.written ? "written" : "refused") << "\n";
    if (result.written) {
        EXPECT_TRUE(fs::is_regular_file(pathFromText(workbook)));
    } else {
        ASSERT_EQ(exportPlatform.messages.size(), 1u);
        EXPECT_NE(exportPlatform.messages[0].text.find(workbook), std::u16string::npos);
    }
}
