// A replay's texts and a file's name must never move cells of its row: the commands find the file to
// delete or move through column 32.
#include "app/ReplayScan.h"
#include "replay/BattleRecord.h"

#include "app/ListModel.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/ReplayReader.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::test::FakePlatform;
using tapeloft::test::TempDir;

namespace {

std::vector<std::u16string> cellsOf(std::u16string_view row) {
    std::vector<std::u16string> cells;
    for (;;) {
        const auto lf = row.find(u'\n');
        cells.emplace_back(row.substr(0, lf));
        if (lf == std::u16string_view::npos) return cells;
        row.remove_prefix(lf + 1);
    }
}

// Every text the row takes from the replay holds line feeds; the killer's name is a path that a shifted
// row would put into column 32.
std::string hostileDescription() {
    return R"({"dateTime":"01.02.2015\n10:00:00","playerName":"Ann\n\nx","mapName":"map\nname",)"
           R"("gameplayID":"ctf\n","playerVehicle":"nord\nland-N01\nWarden","serverName":"\nEU",)"
           R"("battleType":1,"vehicles":{"1":{"name":"Bob","team":2},"2":{"name":"Ann\n\nx","team":1}},)"
           R"("clientVersionFromExe":"0, 9, 8, 0","clientVersionFromXml":"0.9\n8"})";
}

std::string hostileResults() {
    return R"([{"common":{"winnerTeam":1},"personal":{"7":{"xp":1,"killerID":1}},)"
           R"("vehicles":{"2":[{"typeCompDescr":7}]}},)"
           R"({"1":{"name":"\n\n\n/home/user/keep.txt","team":2},"2":{"team":1,"isAlive":1}},{"2":{"frags":1}}])";
}

} // namespace

TEST(RowInjection, LineFeedsInReplayTextsBecomeSpaces) {
    TempDir dir;
    const auto file =
        dir.write("a.ivlreplay",
                  samples::assembleReplay(samples::validHeader(), hostileDescription(), hostileResults()));
    const std::u16string path = textFromPath(file);
    const BattleRecord record = extractBattleRecord(path, Language());
    ASSERT_EQ(record.kind, BattleRecordKind::Full);
    const auto cells = cellsOf(record.rowText);
    ASSERT_EQ(cells.size(), 40u);
    EXPECT_EQ(cells[32], path);
    EXPECT_EQ(cells[1], u"01.02.2015 10:00:00");
    EXPECT_EQ(cells[3], u"Ann  x");
    EXPECT_EQ(cells[4], u"map name");
    EXPECT_EQ(cells[31], u"   /home/user/keep.txt");
    EXPECT_EQ(cells[33], u"ctf ");
    EXPECT_EQ(cells[34], u" EU");
    EXPECT_EQ(cells[37], u"0.9 8");

    // The same through the list: the row's path cell is the file.
    ListModel list(std::vector<ListColumn>(40));
    FakePlatform platform;
    addBattleRecord(path, list, Language(), platform);
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.cell(0, 32), path);
}

TEST(RowInjection, LineFeedsInARecordWithoutResults) {
    TempDir dir;
    const auto file =
        dir.write("b.ivlreplay", samples::assembleReplay(samples::validHeader(), hostileDescription()));
    const BattleRecord record = extractBattleRecord(textFromPath(file), Language());
    ASSERT_EQ(record.kind, BattleRecordKind::NoResults);
    const auto cells = cellsOf(record.rowText);
    ASSERT_EQ(cells.size(), 40u);
    EXPECT_EQ(cells[32], textFromPath(file));
}

#ifndef _WIN32
// Only POSIX file names can hold a line feed. Such a file gets no row (it would name another file) but the
// usual message, so it is not lost without a word.
TEST(RowInjection, FileNameWithALineFeedIsReportedNotListed) {
    TempDir dir;
    const std::string bytes = samples::makeSampleReplay(3).bytes;
    const auto file = dir.write("keep\nx.ivlreplay", bytes);
    dir.write("keep", "not a replay");
    const std::u16string path = textFromPath(file);
    EXPECT_EQ(extractBattleRecord(path, Language()).kind, BattleRecordKind::Unreadable);

    ListModel list(std::vector<ListColumn>(40));
    FakePlatform platform;
    addBattleRecord(path, list, Language(), platform);
    EXPECT_EQ(list.rowCount(), 0);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find(path), std::u16string::npos);

    // A header that fails the test is no different: no marker row naming another file.
    const auto rejected = dir.write("keep\ny.ivlreplay", samples::rejectedHeader() + "{}");
    EXPECT_EQ(extractBattleRecord(textFromPath(rejected), Language()).kind, BattleRecordKind::Unreadable);
}
#endif

// The split readers give what the file readers give.
TEST(RowInjection, RecordFromBlocksMatchesTheFileReader) {
    TempDir dir;
    const std::string bytes = samples::makeSampleReplay(11).bytes;
    const auto file = dir.write("c.ivlreplay", bytes);
    const std::u16string path = textFromPath(file);
    const Language language;
    const BattleRecord fromFile = extractBattleRecord(path, language);
    const BattleRecord fromBytes =
        battleRecordFromBlocks(readReplayBytes(bytes, HeaderTest::Scan, 5), path, language);
    EXPECT_EQ(fromFile.kind, BattleRecordKind::Full);
    EXPECT_EQ(fromBytes.kind, fromFile.kind);
    EXPECT_EQ(fromBytes.rowText, fromFile.rowText);
}
