#include "replay/BattleRecord.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/ReplayReader.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::test::TempDir;

namespace {

// A language file with recognisable messages and a few names.
constexpr std::string_view kLanguage =
    "\xEF\xBB\xBF[text]\r\ntxt3 = WIN\r\ntxt4 = LOSS\r\ntxt5 = DRAW\r\ntxt6 = --\r\ntxt7 = NOT A REPLAY\r\n"
    "[mapnames]\r\n05_red_steppe = Red Steppe\r\n[gameplayIDs]\r\nctf = Standard\r\n"
    "[nations]\r\nnordland = Nordland\r\n[vehicles]\r\nN01_Warden = Warden\r\n";

struct Fixture {
    TempDir dir;
    Language language;
    Fixture() : language(Language::load(dir.write("test.lng", kLanguage))) {}

    // Builds a replay from two JSON texts and returns its list row cells (empty when no row).
    std::vector<std::u16string> row(const std::string& description, const std::string& results,
                                    BattleRecordKind expected, const std::string& name = "a.ivlreplay") {
        const auto file =
            dir.write(name, samples::assembleReplay(samples::validHeader(), description, results));
        const BattleRecord record = extractBattleRecord(textFromPath(file), language);
        EXPECT_EQ(record.kind, expected);
        std::vector<std::u16string> cells;
        if (record.rowText.empty()) return cells;
        std::u16string_view rest = record.rowText;
        for (;;) {
            const auto lf = rest.find(u'\n');
            cells.emplace_back(rest.substr(0, lf));
            if (lf == std::u16string_view::npos) break;
            rest.remove_prefix(lf + 1);
        }
        return cells;
    }
};

std::string description(const std::string& extra = {}, const std::string& version = "0, 9, 8, 0") {
    return R"({"dateTime":"31.12.2014 23:59:59","playerName":"Ann","mapName":"05_red_steppe",)"
           R"("gameplayID":"ctf","playerVehicle":"nordland-N01_Warden","serverName":"EU1","battleType":1,)"
           R"("vehicles":{"111":{"name":"Bob","team":2},"222":{"name":"Ann","team":1}},)" +
           extra + R"("clientVersionFromExe":")" + version + R"(","clientVersionFromXml":"0.9.8 #1"})";
}

std::string personalBody() {
    return R"("lifeTime":3725,"xp":1500,"freeXP":75,"xpPenalty":0,"originalXP":750,"credits":30000,)"
           R"("creditsPenalty":0,"repair":10000,"autoLoadCost":[2500,0],"autoEquipCost":[1000,0],)"
           R"("damageDealt":1,"potentialDamageDealt":3,"damageReceived":400,"potentialDamageReceived":900,)"
           R"("shots":4,"hits":3,"shotsReceived":2,"health":0,"capturePoints":12,"droppedCapturePoints":5,)"
           R"("killerID":111,"achievements":[34,999,147],"markOfMastery":2,"dailyXPFactor10":20)";
}

std::string currentResults(int winner = 1) {
    return R"([{"common":{"winnerTeam":)" + std::to_string(winner) + R"(},"personal":{"5377":{)" +
           personalBody() +
           R"(}},"vehicles":{"222":[{"typeCompDescr":5377}]}},)"
           R"({"111":{"name":"Bob","team":2,"isAlive":1},"222":{"name":"Ann","team":1,"isAlive":0}},)"
           R"({"111":{"frags":0},"222":{"frags":2}}])";
}

} // namespace

TEST(BattleRecord, FullRecordInTheCurrentLayoutFillsEveryColumn) {
    Fixture f;
    const auto cells = f.row(description(), currentResults(), BattleRecordKind::Full);
    ASSERT_EQ(cells.size(), 40u);
    const std::vector<std::u16string> expected = {u"",
                                                  u"31.12.2014 23:59:59",
                                                  u"02.05",
                                                  u"Ann",
                                                  u"Red Steppe",
                                                  u"Nordland",
                                                  u"Warden",
                                                  u"WIN",
                                                  u"-",
                                                  u"2",
                                                  u"1500(x2)",
                                                  u"75",
                                                  u"0",
                                                  u"750",
                                                  u"30000",
                                                  u"0",
                                                  u"10000",
                                                  u"2500",
                                                  u"16500",
                                                  u"1",
                                                  u"3",
                                                  u"33 %",
                                                  u"400",
                                                  u"900",
                                                  u"4",
                                                  u"3",
                                                  u"75 %",
                                                  u"2",
                                                  u"0",
                                                  u"12",
                                                  u"5",
                                                  u"Bob",
                                                  textFromPath(f.dir.path() / "a.ivlreplay"),
                                                  u"Standard",
                                                  u"EU1",
                                                  u"Случайный бой",
                                                  u"1000",
                                                  u"0.9.8 #1",
                                                  u"3",
                                                  u"2"};
    EXPECT_EQ(cells, expected);
}

TEST(BattleRecord, EarlierLayoutReadsPersonalResultsAndFactorsFromElementZero) {
    Fixture f;
    const std::string results =
        R"([{"common":{"winnerTeam":2},"factors":{"dailyXPFactor10":30},"personal":{)" + personalBody() +
        R"(}},{"222":{"team":1,"isAlive":1}},{"222":{"frags":1}}])";
    const auto cells = f.row(description({}, "0, 9, 7, 0"), results, BattleRecordKind::Full);
    ASSERT_EQ(cells.size(), 40u);
    EXPECT_EQ(cells[7], u"LOSS");
    EXPECT_EQ(cells[8], u"+");
    EXPECT_EQ(cells[9], u"1");
    EXPECT_EQ(cells[10], u"1500(x3)"); // the factor of element 0, not the personal one (20)
    EXPECT_EQ(cells[17], u"2500");
    EXPECT_EQ(cells[36], u"1000");

    // Version 0 means the earlier layout without resupply costs.
    const auto noVersion = f.row(description({}, ""), results, BattleRecordKind::Full, "b.ivlreplay");
    ASSERT_EQ(noVersion.size(), 40u);
    EXPECT_EQ(noVersion[17], u"0");
    EXPECT_EQ(noVersion[36], u"0");
    EXPECT_EQ(noVersion[18], u"20000");
}

TEST(BattleRecord, ResultWordFollowsWinnerAndTeam) {
    Fixture f;
    struct Case {
        int winner;
        const char* team;
        const char16_t* expected;
    };
    for (const Case& c : {Case{1, "1", u"WIN"}, Case{0, "0", u"WIN"}, Case{0, "2", u"DRAW"},
                          Case{2, "1", u"LOSS"}, Case{3, "1", u"LOSS"}}) {
        const std::string results = R"([{"common":{"winnerTeam":)" + std::to_string(c.winner) +
                                    R"(},"personal":{}},{"222":{"team":)" + c.team +
                                    R"(}},{"222":{"frags":0}}])";
        const auto cells = f.row(description({}, "0, 9, 7, 0"), results, BattleRecordKind::Full);
        ASSERT_EQ(cells.size(), 40u);
        EXPECT_EQ(cells[7], c.expected) << c.winner << " vs " << c.team;
    }
}

TEST(BattleRecord, DerivedColumnsHandleEdgeValues) {
    Fixture f;
    auto withPersonal = [&](const std::string& personal) {
        const std::string results = R"([{"common":{"winnerTeam":1},"personal":{)" + personal +
                                    R"(}},{"222":{"team":1}},{"222":{"frags":0}}])";
        return f.row(description({}, "0, 9, 7, 0"), results, BattleRecordKind::Full);
    };
    auto cells =
        withPersonal(R"("lifeTime":125,"damageDealt":50,"potentialDamageDealt":0,"shots":0,"hits":5)");
    EXPECT_EQ(cells[2], u"02.05");
    EXPECT_EQ(cells[21], u"0 %");
    EXPECT_EQ(cells[26], u"0 %");
    EXPECT_EQ(cells[31], u""); // no killer

    // Factors of 1 (10 and 19) show no suffix; the percentage multiplies in 64 bits.
    cells = withPersonal(
        R"("xp":7,"damageDealt":2000000000,"potentialDamageDealt":2000000001,"shots":-3,"hits":2)");
    EXPECT_EQ(cells[10], u"7");
    EXPECT_EQ(cells[21], u"99 %");
    EXPECT_EQ(cells[26], u"-66 %");

    // Net credits wrap in 32 bits and may be negative.
    cells = withPersonal(R"("credits":100,"repair":500,"autoLoadCost":[50],"autoEquipCost":[25])");
    EXPECT_EQ(cells[18], u"-475");
    cells = withPersonal(R"("credits":-2147483648,"repair":1)");
    EXPECT_EQ(cells[18], u"2147483647");
}

TEST(BattleRecord, PlayerMissingFromVehiclesUsesIdZero) {
    Fixture f;
    const std::string desc =
        R"({"dateTime":"01.01.2015 10:00:00","playerName":"Zed","playerVehicle":"N01_Warden",)"
        R"("vehicles":{"7":{"name":"Ann","team":1}},"clientVersionFromExe":"0, 9, 8, 0"})";
    const std::string results =
        R"([{"common":{"winnerTeam":2},"personal":{"0":{"xp":99}},"vehicles":{"0":[{"typeCompDescr":0}]}},)"
        R"({"0":{"team":2,"isAlive":1}},{"0":{"frags":4}}])";
    const auto cells = f.row(desc, results, BattleRecordKind::Full);
    ASSERT_EQ(cells.size(), 40u);
    EXPECT_EQ(cells[5], u"");       // no '-': empty nation part
    EXPECT_EQ(cells[6], u"Warden"); // ... and the whole text is the tag
    EXPECT_EQ(cells[7], u"WIN");
    EXPECT_EQ(cells[9], u"4");
    EXPECT_EQ(cells[10], u"99");
}

TEST(BattleRecord, RecordWithoutResultsKeepsTheDescription) {
    Fixture f;
    const auto cells = f.row(description(), "", BattleRecordKind::NoResults);
    ASSERT_EQ(cells.size(), 40u);
    EXPECT_EQ(cells[1], u"31.12.2014 23:59:59");
    EXPECT_EQ(cells[4], u"Red Steppe");
    for (int c : {2, 7, 8, 9, 10})
        EXPECT_EQ(cells[c], u"--") << c;
    for (int c = 11; c <= 31; ++c)
        EXPECT_EQ(cells[c], u"") << c;
    for (int c = 33; c <= 39; ++c)
        EXPECT_EQ(cells[c], u"") << c;

    // A results block that does not parse is the same as none.
    const auto broken = f.row(description(), "[{broken}}]", BattleRecordKind::NoResults, "b.ivlreplay");
    ASSERT_EQ(broken.size(), 40u);
    EXPECT_EQ(broken[7], u"--");
}

TEST(BattleRecord, ResultsStartMarkerMissingMeansNoResults) {
    Fixture f;
    // Without "[{" the cut text would be the description itself; it must not be read as results.
    const auto file =
        f.dir.write("c.ivlreplay", samples::assembleReplay(samples::validHeader(), description()));
    EXPECT_EQ(extractBattleRecord(textFromPath(file), f.language).kind, BattleRecordKind::NoResults);
}

TEST(BattleRecord, RejectedHeaderGivesTheMarkerRowAndTheRestNoRow) {
    Fixture f;
    const auto marker =
        f.dir.write("m.ivlreplay", samples::assembleReplay(samples::rejectedHeader(), description()));
    const BattleRecord record = extractBattleRecord(textFromPath(marker), f.language);
    ASSERT_EQ(record.kind, BattleRecordKind::Marker);
    std::vector<std::u16string> cells(1);
    for (const char16_t c : record.rowText) {
        if (c == u'\n')
            cells.emplace_back();
        else
            cells.back().push_back(c);
    }
    ASSERT_EQ(cells.size(), 40u);
    EXPECT_EQ(cells[1], u"NOT A REPLAY");
    EXPECT_EQ(cells[32], textFromPath(marker));
    EXPECT_EQ(cells[3], u"");

    // A description that does not parse, none at all, and a file that cannot be opened: no row, and the
    // caller reports each of them.
    const struct {
        const char* name;
        std::string bytes; // empty: the file is not there
    } unreadable[] = {
        {"u.ivlreplay", samples::assembleReplay(samples::validHeader(), "{\"a\":1")},
        {"n.ivlreplay", samples::assembleReplay(samples::validHeader(), "no json here")},
        {"missing.ivlreplay", ""},
    };
    for (const auto& c : unreadable) {
        SCOPED_TRACE(c.name);
        const auto path = c.bytes.empty() ? f.dir.path() / c.name : f.dir.write(c.name, c.bytes);
        const BattleRecord none = extractBattleRecord(textFromPath(path), f.language);
        EXPECT_EQ(none.kind, BattleRecordKind::Unreadable);
        EXPECT_TRUE(none.rowText.empty());
    }
}

TEST(BattleRecord, GeneratedReplaysAgreeWithWhatWentIntoThem) {
    Fixture f;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        samples::SampleOptions options;
        options.layout = seed % 3 == 0 ? samples::ResultsLayout::Earlier : samples::ResultsLayout::Current;
        const auto sample = samples::makeSampleReplay(seed, options);
        const auto file = f.dir.write("g" + std::to_string(seed) + ".ivlreplay", sample.bytes);
        const BattleRecord record = extractBattleRecord(textFromPath(file), f.language);
        ASSERT_EQ(record.kind, BattleRecordKind::Full) << seed;
        const auto& facts = sample.facts;
        const std::u16string row = record.rowText;
        auto cell = [&row](int column) {
            std::size_t start = 0;
            for (int c = 0; c < column; ++c)
                start = row.find(u'\n', start) + 1;
            return row.substr(start, row.find(u'\n', start) - start);
        };
        EXPECT_EQ(cell(1), utf8ToUtf16(facts.dateTime));
        EXPECT_EQ(cell(3), utf8ToUtf16(facts.playerName));
        EXPECT_EQ(cell(9), decimal(facts.playerFrags));
        EXPECT_EQ(cell(14), decimal(facts.personal.credits));
        EXPECT_EQ(cell(19), decimal(facts.personal.damageDealt));
        EXPECT_EQ(cell(8), facts.playerAlive ? u"+" : u"-");
        EXPECT_EQ(cell(31), utf8ToUtf16(facts.killerName));
    }
}

// A replay's texts and a file's name must never move cells of its row: the commands find the file to
// delete or move through column 32.
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
// Only POSIX file names can hold a line feed. Such a file gets no row (it would name another file) but is
// reported like an unreadable one, so it is not lost without a word.
TEST(RowInjection, FileNameWithALineFeedIsReportedNotListed) {
    TempDir dir;
    const std::string bytes = samples::makeSampleReplay(3).bytes;
    const auto file = dir.write("keep\nx.ivlreplay", bytes);
    dir.write("keep", "not a replay");
    const std::u16string path = textFromPath(file);
    EXPECT_EQ(extractBattleRecord(path, Language()).kind, BattleRecordKind::Unreadable);

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
