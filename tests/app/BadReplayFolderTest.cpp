// The scan and the details over a folder of hostile replays: each file shows what it can, the rest is
// reported, and no file is touched.
#include "app/ListModel.h"
#include "app/ReplayScan.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "details/BattleDetails.h"
#include "replay/BattleRecord.h"
#include "replay/FolderScan.h"
#include "support/BadInputCatalogue.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <string>

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

// Every regular file below the folder with its bytes; links are not followed.
std::map<fs::path, std::string> snapshot(const fs::path& folder) {
    std::map<fs::path, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->symlink_status(ec).type() == fs::file_type::regular)
            files[it->path()] = readBytes(it->path());
    return files;
}

bool hasRow(ExpectedRow expected) {
    return expected == ExpectedRow::Full || expected == ExpectedRow::NoResults ||
           expected == ExpectedRow::Marker;
}

struct Catalogue {
    TempDir dir;
    BadReplayFolder folder = writeBadReplayFolder(dir.path() / "replays");
    Language language{PrefFile::fromBytes(goodLanguage())};
};

} // namespace

TEST(BadReplayFolder, ScanListsWhatItCanAndReportsTheRest) {
    Catalogue c;
    for (const std::string& refused : c.folder.notWritten)
        std::cout << "not written: " << refused << "\n";
    ASSERT_GE(c.folder.replays.size(), 30u);
    const auto before = snapshot(c.folder.folder);

    ListModel list(std::vector<ListColumn>(40));
    FakePlatform platform;
    scanReplayFolder(textFromPath(c.folder.folder), list, u"*", kReplayExtension, c.language, platform);
    EXPECT_EQ(platform.progressOpen, 0);

    int rows = 0;
    int unreadable = 0;
    for (const CatalogueReplay& replay : c.folder.replays) {
        SCOPED_TRACE(replay.what);
        const std::u16string path = textFromPath(replay.path);
        std::vector<int> found;
        for (int r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, 32) == path) found.push_back(r);
        int messages = 0;
        for (const auto& m : platform.messages)
            messages += m.text.find(path) != std::u16string::npos;

        if (!hasRow(replay.expected)) {
            EXPECT_TRUE(found.empty());
            EXPECT_EQ(messages, replay.expected == ExpectedRow::Unreadable ? 1 : 0);
            unreadable += replay.expected == ExpectedRow::Unreadable;
            continue;
        }
        ++rows;
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(messages, 0);
        const int r = found[0];
        const bool tinted = list.backgroundColour(r, 3).has_value();
        switch (replay.expected) {
        case ExpectedRow::Marker:
            EXPECT_EQ(list.cell(r, 1), u"NOT A REPLAY");
            break;
        case ExpectedRow::NoResults:
            EXPECT_TRUE(tinted);
            EXPECT_EQ(list.cell(r, 7), u"--");
            break;
        default: {
            EXPECT_FALSE(tinted);
            const std::u16string_view result = list.cell(r, 7);
            EXPECT_TRUE(result == u"WIN" || result == u"LOSS" || result == u"DRAW") << utf16ToUtf8(result);
            break;
        }
        }
    }
    EXPECT_EQ(list.rowCount(), rows);
    // All of them in one box at the end, not a box each that stops the scan.
    ASSERT_GT(unreadable, 1);
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(snapshot(c.folder.folder), before);
}

TEST(BadReplayFolder, ScanShowsWhatTheDamagedTextsHold) {
    Catalogue c;
    ListModel list(std::vector<ListColumn>(40));
    FakePlatform platform;
    scanReplayFolder(textFromPath(c.folder.folder), list, u"*", kReplayExtension, c.language, platform);
    const auto rowOf = [&](const char* relative) {
        const std::u16string path = textFromPath((c.folder.folder / relative).make_preferred());
        for (int r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, 32) == path) return r;
        return -1;
    };

    const int invalid = rowOf("utf8/invalid-in-description.ivlreplay");
    ASSERT_GE(invalid, 0);
    EXPECT_EQ(list.cell(invalid, 3), u"\uFFFD\uFFFDAnn\uFFFD");
    EXPECT_EQ(list.cell(invalid, 34), u"\uFFFD\uFFFD");

    // Far too large numbers keep their low 32 bits, or the smallest int32 for a real that does not fit.
    const int huge = rowOf("numbers/huge.ivlreplay");
    ASSERT_GE(huge, 0);
    EXPECT_EQ(list.cell(huge, 10), u"-2147483648"); // xp 1e999999
    EXPECT_EQ(list.cell(huge, 14), u"-1");          // credits saturate at 2^63 - 1
    EXPECT_EQ(list.cell(huge, 16), u"0");           // repair saturates at -2^63
    EXPECT_EQ(list.cell(huge, 19), u"-2147483648"); // damage 2^31
    EXPECT_EQ(list.cell(huge, 35), u"");            // battle type 1e999999 names no type

    const int big = rowOf("huge/three-megabyte-line.ivlreplay");
    ASSERT_GE(big, 0);
    EXPECT_EQ(list.cell(big, 3), u"Ann");
    EXPECT_EQ(list.cell(big, 4), u"Red Steppe");
}

TEST(BadReplayFolder, DetailsOfEveryListedFile) {
    Catalogue c;
    const auto before = snapshot(c.folder.folder);
    const fs::path settings = c.dir.path() / "Settings.ini";
    for (const CatalogueReplay& replay : c.folder.replays) {
        SCOPED_TRACE(replay.what);
        if (!hasRow(replay.expected)) continue;
        const BattleDetails details = readBattleDetails(textFromPath(replay.path), c.language, settings);
        const std::string bytes = readBytes(replay.path);
        if (bytes.empty() || bytes[0] != '\x12') {
            EXPECT_EQ(details.status, BattleDetailsStatus::HeaderRejected);
            continue;
        }
        switch (replay.expected) {
        case ExpectedRow::Full:
            EXPECT_EQ(details.status, BattleDetailsStatus::Opened);
            EXPECT_TRUE(details.hasResults);
            EXPECT_TRUE(details.shotsText.has_value());
            break;
        case ExpectedRow::NoResults:
            EXPECT_EQ(details.status, BattleDetailsStatus::Opened);
            EXPECT_FALSE(details.hasResults);
            break;
        default: // a marker row: the details header test is another one
            EXPECT_NE(details.status, BattleDetailsStatus::NotOpened);
            break;
        }
    }
    // The details only read: no settings file appears, no replay changes.
    EXPECT_FALSE(fs::exists(settings));
    EXPECT_EQ(snapshot(c.folder.folder), before);
}

TEST(BadReplayFolder, UnreadableDescriptionsAreReportedByTheDetailsToo) {
    Catalogue c;
    for (const CatalogueReplay& replay : c.folder.replays) {
        if (replay.expected != ExpectedRow::Unreadable) continue;
        const std::u16string path = textFromPath(replay.path);
        if (path.find(u'\n') != std::u16string::npos) continue; // not unreadable, only unlistable
        SCOPED_TRACE(replay.what);
        const BattleDetails details = readBattleDetails(path, c.language, c.dir.path() / "Settings.ini");
        EXPECT_EQ(details.status, BattleDetailsStatus::DescriptionUnreadable);
    }
}
