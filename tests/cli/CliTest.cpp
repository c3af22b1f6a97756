#include "cli/Cli.h"
#include "cli/JsonOutput.h"

#include "app/ReplayList.h"
#include "base/TextCodec.h"
#include "export/SheetExport.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"
#include "xlsrecords/XlsRecords.h"
#include "json/Json.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

using namespace tapeloft;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;

namespace {

struct CliRun {
    int exitCode = 0;
    std::string out;
    std::string err;
};

// Runs the tool on arguments written in UTF-8.
CliRun runCli(const std::vector<std::string>& args) {
    std::vector<std::u16string> text;
    for (const std::string& arg : args)
        text.push_back(utf8ToUtf16(arg));
    std::ostringstream out, err;
    CliRun result;
    result.exitCode = cli::run(text, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

} // namespace

TEST(CliJsonOutput, EscapesWhatJsonNeedsAndKeepsLoneSurrogatesExact) {
    std::string out;
    const char16_t text[] = {u'a', u'"', u'\\', u'\n', 0x01, u'я', 0xD83D, 0xDE00, 0xDC00, u'z', 0};
    cli::appendJsonString(out, text);
    EXPECT_EQ(out, "\"a\\\"\\\\\\n\\u0001\xD1\x8F\xF0\x9F\x98\x80\\udc00z\"");
    // Our own parser reads it back to the same code units.
    const auto doc = parseJsonUtf8("[" + out + "]");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().element(0).text(), std::u16string_view(text));
}

TEST(CliList, PrintsOneJsonLinePerRowNewestFirstWithTheTint) {
    TempDir dir;
    const auto written = samples::writeSampleFolder(dir.path() / "replays", 6, 11);
    ASSERT_EQ(written.size(), 6u);
    samples::SampleOptions noResults;
    noResults.layout = samples::ResultsLayout::None;
    ASSERT_EQ(samples::writeSampleFolder(dir.path() / "replays" / "plain", 2, 12, noResults, true).size(),
              2u);
    const auto lng = dir.write("x.lng", "[text]\ntxt6=MISSING\n");

    const CliRun run = runCli({"list", "--lang", lng.string(), (dir.path() / "replays").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 8u);
    int tinted = 0;
    std::u16string previousKey = u"99999999";
    for (const std::string& row : rows) {
        ASSERT_EQ(row.rfind("{\"cells\": [\"", 0), 0u) << row;
        const auto doc = parseJsonUtf8(row);
        ASSERT_TRUE(doc) << row;
        const JsonValue& cells = doc->root().member(u"cells");
        ASSERT_EQ(cells.count(), 40);
        const bool tint = doc->root().member(u"tint").kind() == JsonKind::True;
        tinted += tint;
        EXPECT_EQ(tint, cells.element(7).text() == u"MISSING");
        // dd.mm.yyyy hh:mm:ss, newest first.
        const std::u16string_view date = cells.element(1).text();
        const std::u16string key = std::u16string(date.substr(6, 4)) + std::u16string(date.substr(3, 2)) +
                                   std::u16string(date.substr(0, 2)) + std::u16string(date.substr(11));
        EXPECT_LE(key, previousKey);
        previousKey = key;
    }
    EXPECT_EQ(tinted, 2);
}

TEST(CliList, ReportsMessageBoxesOnStandardError) {
    TempDir dir;
    dir.write("r/bad.ivlreplay", samples::assembleReplay(samples::validHeader(), "{\"open\":"));
    const CliRun run =
        runCli({"list", "--lang", (dir.path() / "none.lng").string(), (dir.path() / "r").string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Внимание!: Файл " + (dir.path() / "r" / "bad.ivlreplay").string() +
                           " не может быть обработан.\n");
}

TEST(CliList, UsageErrorsFailClearly) {
    TempDir dir;
    CliRun run = runCli({"list", (dir.path() / "missing").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is not a folder"), std::string::npos);
    run = runCli({"list"});
    EXPECT_EQ(run.exitCode, 2);
    run = runCli({"list", "--frobnicate", dir.path().string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--frobnicate"), std::string::npos);
    run = runCli({"list", "--lang"});
    EXPECT_EQ(run.exitCode, 2);
    run = runCli({"frobnicate"});
    EXPECT_EQ(run.exitCode, 2);
    run = runCli({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("list [--lang FILE] [--cache FILE] [--no-cache] FOLDER"), std::string::npos);
}

namespace {

constexpr const char16_t* kDetailsKeys[] = {
    u"status",         u"playerText",   u"mapText",        u"nationText",         u"vehicleText",
    u"dateText",       u"priceKey",     u"hasResults",     u"resultText",         u"fragsText",
    u"xpText",         u"creditsText",  u"repairText",     u"damageReceivedText", u"shotsText",
    u"shellPriceText", u"ammoCostText", u"netCreditsText", u"team1Rows",          u"team2Rows",
    u"achievements"};

std::vector<std::u16string> memberKeys(const JsonValue& object) {
    std::vector<std::u16string> keys;
    object.members([&](std::u16string_view key, const JsonValue&) { keys.emplace_back(key); });
    return keys;
}

// Runs details and parses its one line of output.
struct DetailsRun {
    CliRun run;
    std::optional<JsonDocument> doc;
    const JsonValue& root() const { return doc ? doc->root() : JsonValue::empty(); }
};

DetailsRun runDetails(const std::vector<std::string>& args) {
    DetailsRun result;
    std::vector<std::string> all = {"details"};
    all.insert(all.end(), args.begin(), args.end());
    result.run = runCli(all);
    EXPECT_EQ(lines(result.run.out).size(), 1u) << result.run.out;
    result.doc = parseJsonUtf8(result.run.out);
    EXPECT_TRUE(result.doc) << result.run.out;
    if (result.doc) {
        EXPECT_EQ(memberKeys(result.doc->root()),
                  std::vector<std::u16string>(std::begin(kDetailsKeys), std::end(kDetailsKeys)));
    }
    return result;
}

} // namespace

TEST(CliDetails, PrintsTheBattleAsOneJsonObject) {
    TempDir dir;
    samples::SampleOptions options;
    options.tailBytes = 0;
    const samples::SampleReplay replay = samples::makeSampleReplay(21, options);
    const samples::SampleFacts& facts = replay.facts;
    const auto file = dir.write("r.ivlreplay", replay.bytes);
    const auto lng =
        dir.write("x.lng", "[text]\ntxt3=WIN\ntxt4=LOSS\ntxt5=DRAW\n[vehicles]\n" + facts.tag + "=Mine\n");
    const auto ini = dir.write("my.ini", "[cenasnaryda]\n" + facts.tag + "=3\n");

    const DetailsRun d = runDetails({"--lang", lng.string(), "--settings", ini.string(), file.string()});
    ASSERT_EQ(d.run.exitCode, 0) << d.run.err;
    EXPECT_EQ(d.run.err, "");
    const JsonValue& root = d.root();
    EXPECT_EQ(root.member(u"status").text(), u"Opened");
    EXPECT_EQ(root.member(u"vehicleText").text(), u"Mine");
    EXPECT_EQ(root.member(u"priceKey").text(), utf8ToUtf16(facts.tag));
    EXPECT_EQ(root.member(u"dateText").text(), utf8ToUtf16(facts.dateTime));
    EXPECT_EQ(root.member(u"hasResults").kind(), JsonKind::True);
    const char16_t* results[] = {u"WIN", u"DRAW", u"LOSS"};
    EXPECT_EQ(root.member(u"resultText").text(), results[facts.finishReason - 1]);
    EXPECT_EQ(root.member(u"creditsText").text(), decimal(facts.personal.credits));
    EXPECT_EQ(root.member(u"shellPriceText").text(), u"3");
    EXPECT_EQ(root.member(u"ammoCostText").text(), decimal(facts.personal.shots * 3));
    EXPECT_EQ(root.member(u"netCreditsText").text(),
              decimal(facts.personal.credits - facts.personal.shots * 3 - facts.personal.repair));

    // Team rows: every participant once, numbers and flags as JSON numbers and booleans.
    int rows = 0, players = 0;
    for (const char16_t* key : {u"team1Rows", u"team2Rows"}) {
        const JsonValue& team = root.member(key);
        ASSERT_EQ(team.kind(), JsonKind::Array);
        for (std::int32_t i = 0; i < team.count(); ++i) {
            const JsonValue& row = team.element(i);
            EXPECT_EQ(memberKeys(row), (std::vector<std::u16string>{u"name", u"clan", u"vehicle",
                                                                    u"fragsText", u"alive", u"isPlayer"}));
            EXPECT_EQ(row.member(u"alive").kind(), JsonKind::Integer);
            const JsonKind isPlayer = row.member(u"isPlayer").kind();
            EXPECT_TRUE(isPlayer == JsonKind::True || isPlayer == JsonKind::False);
            if (isPlayer == JsonKind::True) {
                ++players;
                EXPECT_EQ(row.member(u"name").text(), utf8ToUtf16(facts.playerName));
                EXPECT_EQ(row.member(u"alive").integerValue(), facts.playerAlive ? 1 : 0);
                EXPECT_EQ(row.member(u"fragsText").text(), decimal(facts.playerFrags));
            }
            ++rows;
        }
    }
    EXPECT_EQ(rows, static_cast<int>(facts.vehicles.size()));
    EXPECT_EQ(players, 1);
    EXPECT_EQ(root.member(u"achievements").kind(), JsonKind::Array);
}

TEST(CliDetails, LanguageDefaultsToTheSettingOfTheSettingsFile) {
    TempDir dir;
    samples::SampleOptions options;
    options.layout = samples::ResultsLayout::None;
    options.tailBytes = 0;
    const samples::SampleReplay replay = samples::makeSampleReplay(5, options);
    const auto file = dir.write("r.ivlreplay", replay.bytes);
    const auto lng = dir.write("names.lng", "[vehicles]\n" + replay.facts.tag + "=Named\n");
    const auto ini = dir.write("s.ini", "[filepath]\nLang=" + lng.string() + "\n");

    const DetailsRun d = runDetails({"--settings=" + ini.string(), file.string()});
    ASSERT_EQ(d.run.exitCode, 0);
    EXPECT_EQ(d.root().member(u"vehicleText").text(), u"Named");
    // Without results the result texts are null, not empty.
    EXPECT_EQ(d.root().member(u"hasResults").kind(), JsonKind::False);
    for (const char16_t* key : {u"resultText", u"creditsText", u"shellPriceText", u"netCreditsText"})
        EXPECT_EQ(d.root().member(key).kind(), JsonKind::Null) << utf16ToUtf8(key);
}

TEST(CliDetails, ReplaysThatCannotBeShownAreResultsNotFailures) {
    TempDir dir;
    samples::SampleOptions unreadable;
    unreadable.descriptionUnreadable = true;
    samples::SampleOptions rejected;
    rejected.headerRejected = true;
    const std::pair<std::filesystem::path, std::u16string_view> cases[] = {
        {dir.path() / "missing.ivlreplay", u"NotOpened"},
        {dir.write("bad.ivlreplay", samples::makeSampleReplay(1, rejected).bytes), u"HeaderRejected"},
        // The window reports an unreadable description like a rejected header.
        {dir.write("cut.ivlreplay", samples::makeSampleReplay(2, unreadable).bytes), u"HeaderRejected"},
    };
    for (const auto& [file, status] : cases) {
        SCOPED_TRACE(file.string());
        const DetailsRun d = runDetails({"--lang", (dir.path() / "none.lng").string(), "--settings",
                                         (dir.path() / "none.ini").string(), file.string()});
        EXPECT_EQ(d.run.exitCode, 0);
        EXPECT_EQ(d.run.err, "");
        const JsonValue& root = d.root();
        EXPECT_EQ(root.member(u"status").text(), status);
        EXPECT_EQ(root.member(u"playerText").kind(), JsonKind::String);
        EXPECT_EQ(root.member(u"playerText").text(), u"");
        EXPECT_EQ(root.member(u"mapText").text(), u"");
        EXPECT_EQ(root.member(u"hasResults").kind(), JsonKind::False);
        EXPECT_EQ(root.member(u"shotsText").kind(), JsonKind::Null);
        EXPECT_EQ(root.member(u"team1Rows").kind(), JsonKind::Array);
        EXPECT_EQ(root.member(u"team1Rows").count(), 0);
        EXPECT_EQ(root.member(u"achievements").count(), 0);
    }
}

TEST(CliDetails, UsageErrors) {
    TempDir dir;
    const std::string file = (dir.path() / "r.ivlreplay").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"details"},
             {"details", file, file},
             {"details", file, "--settings"},
             {"details", "--frobnicate", file},
             {"list", "--settings", "s.ini", dir.path().string()},
         }) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.size();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
    const CliRun help = runCli({"help"});
    EXPECT_NE(help.out.find("details [--lang FILE] [--settings FILE] REPLAY"), std::string::npos);
}

TEST(CliDetails, SettingsDefaultToTheCurrentFolder) {
    TempDir dir;
    samples::SampleOptions options;
    options.tailBytes = 0;
    const samples::SampleReplay replay = samples::makeSampleReplay(8, options);
    const auto file = dir.write("r.ivlreplay", replay.bytes);
    dir.write("here.lng", "[vehicles]\n" + replay.facts.tag + "=Local\n");
    dir.write("Settings.ini", "[filepath]\nLang=here.lng\n[cenasnaryda]\n" + replay.facts.tag + "=11\n");
    const test::CurrentDirScope scope(dir.path());

    const DetailsRun d = runDetails({file.string()});
    ASSERT_EQ(d.run.exitCode, 0);
    EXPECT_EQ(d.root().member(u"vehicleText").text(), u"Local");
    EXPECT_EQ(d.root().member(u"shellPriceText").text(), u"11");
    EXPECT_EQ(d.root().member(u"ammoCostText").text(), decimal(replay.facts.personal.shots * 11));
}

// Names that are not UTF-8 exist only where names are bytes.
#ifndef _WIN32
namespace {

// Runs the tool the way main does: each argument as the bytes the shell hands over.
CliRun runCliNative(const std::vector<std::string>& nativeArgs) {
    std::vector<const char*> argv = {"tapeloft-cli"};
    for (const std::string& arg : nativeArgs)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    CliRun result;
    result.exitCode =
        cli::run(cli::argumentsFromCommandLine(static_cast<int>(argv.size()), argv.data()), out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// What a script does with a name list prints: decode the JSON, turn the text back into the name's bytes.
std::string nativeName(std::u16string_view text) {
    return pathFromText(text).native();
}

} // namespace

TEST(CliNames, NamesThatAreNotUtf8GoRoundTrip) {
    TempDir dir;
    const std::string folder = (dir.path() / "rep\xFF\x80lays").native();
    samples::SampleOptions options;
    options.tailBytes = 0;
    const samples::SampleReplay replay = samples::makeSampleReplay(17, options);
    const std::filesystem::path file =
        dir.write(std::filesystem::path(folder) / "bat\x80tle\xC3.ivlreplay", replay.bytes);
    const std::string lng = (dir.path() / "none.lng").native();
    const std::string ini = (dir.path() / "none.ini").native();

    const CliRun list = runCliNative({"list", "--lang", lng, folder});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    const auto rows = lines(list.out);
    ASSERT_EQ(rows.size(), 1u) << list.out;
    const auto row = parseJsonUtf8(rows[0]);
    ASSERT_TRUE(row) << rows[0];
    const std::string listed = nativeName(row->root().member(u"cells").element(ColumnPath).text());
    EXPECT_EQ(listed, file.native());

    const CliRun details = runCliNative({"details", "--lang", lng, "--settings", ini, listed});
    ASSERT_EQ(details.exitCode, 0) << details.err;
    const auto read = parseJsonUtf8(details.out);
    ASSERT_TRUE(read) << details.out;
    EXPECT_EQ(read->root().member(u"status").text(), u"Opened");
    EXPECT_EQ(read->root().member(u"dateText").text(), utf8ToUtf16(replay.facts.dateTime));

    // The printed name is the file's real name, ".xls" added as for any other name.
    const std::filesystem::path outFolder = dir.path() / "out\xFE";
    std::filesystem::create_directory(outFolder);
    const std::pair<std::string, std::string> exports[] = {
        {(outFolder / "list\xFF\x80.xls").native(), (outFolder / "list\xFF\x80.xls").native()},
        {(outFolder / "\xE2\x82list").native(), (outFolder / "\xE2\x82list.xls").native()},
    };
    std::set<std::string> expected;
    for (const auto& [given, written] : exports) {
        SCOPED_TRACE(given);
        const CliRun run = runCliNative({"export", "--lang", lng, folder, given});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, written + "\n");
        EXPECT_NE(test::readBytes(written), "");
        expected.insert(written);
    }
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(outFolder))
        found.insert(entry.path().native());
    EXPECT_EQ(found, expected);
}

TEST(CliNames, MessagesQuoteTheBytesGiven) {
    TempDir dir;
    const std::string missing = (dir.path() / "mis\xFFsing").native();
    const std::string lng = (dir.path() / "none.lng").native();
    const std::filesystem::path empty = dir.path() / "empty";
    std::filesystem::create_directory(empty);
    const std::string broken = (dir.path() / "bro\xFEken").native();
    const std::string bad = dir.write(std::filesystem::path(broken) / "b\x80z.ivlreplay",
                                      samples::assembleReplay(samples::validHeader(), "{\"open\":"))
                                .native();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"list", missing}, 1, "tapeloft-cli: '" + missing + "' is not a folder\n"},
        {{"list", "--l\x80ng", missing},
         2,
         "tapeloft-cli: unknown option '--l\x80ng' (see tapeloft-cli --help)\n"},
        {{"li\xC3st", missing}, 2, "tapeloft-cli: unknown command 'li\xC3st' (see tapeloft-cli --help)\n"},
        {{"export", "--lang", lng, empty.native(), missing + "/x"},
         1,
         "tapeloft-cli: The folder does not exist: " + missing + "\n"},
        // A message box names the file as it is on the disk.
        {{"list", "--lang", lng, broken}, 0, "Внимание!: Файл " + bad + " не может быть обработан.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const CliRun run = runCliNative(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
    }
}
#endif

TEST(CliExport, WritesTheScannedFolderAndPrintsTheFinalName) {
    TempDir dir;
    ASSERT_EQ(samples::writeSampleFolder(dir.path() / "r", 4, 5).size(), 4u);
    std::ostringstream out, err;
    const auto target = dir.path() / "list";
    ASSERT_EQ(cli::run({u"export", u"--lang", textFromPath(dir.path() / "none.lng"),
                        textFromPath(dir.path() / "r"), textFromPath(target)},
                       out, err),
              0)
        << err.str();
    EXPECT_EQ(out.str(), target.string() + ".xls\n");
    const auto records = xlsrecords::parseRecords(readBytes(dir.path() / "list.xls"));
    int labels = 0;
    for (const auto& r : records)
        labels += r.id == 0x0004;
    EXPECT_EQ(labels, 5 * kExportedColumns);

    std::ostringstream out2, err2;
    EXPECT_EQ(cli::run({u"export", textFromPath(dir.path() / "r"), textFromPath(dir.path() / "nope" / "x")},
                       out2, err2),
              1);
    EXPECT_FALSE(err2.str().empty());
    EXPECT_EQ(cli::run({u"export", textFromPath(dir.path() / "r")}, out2, err2), 2);
}

namespace {

// Records of RFC 4180 text: fields split at commas outside quotes, records at CR LF outside quotes.
std::vector<std::vector<std::string>> csvRecords(std::string_view text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = records.back().back();
        if (quoted) {
            if (c != '"') {
                field.push_back(c);
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field.push_back('"');
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            field.push_back(c);
        }
    }
    if (records.back() == std::vector<std::string>(1)) records.pop_back();
    return records;
}

} // namespace

TEST(CliExport, TheNewFormatsHoldEveryRowAndColumnsOneToThirtyNineAsListPrintsThem) {
    TempDir dir;
    ASSERT_EQ(samples::writeSampleFolder(dir.path() / "r", 5, 9).size(), 5u);
    samples::SampleOptions noResults;
    noResults.layout = samples::ResultsLayout::None;
    ASSERT_EQ(samples::writeSampleFolder(dir.path() / "r" / "plain", 2, 10, noResults, true).size(), 2u);
    const std::u16string lng = textFromPath(test::sourceDir() / "lang" / "rus.lng");
    const std::u16string folder = textFromPath(dir.path() / "r");

    std::ostringstream listed, ignored;
    ASSERT_EQ(cli::run({u"list", u"--lang", lng, folder}, listed, ignored), 0);
    std::vector<std::vector<std::string>> expected;
    for (const std::string& line : lines(listed.str())) {
        const auto row = parseJsonUtf8(line);
        ASSERT_TRUE(row);
        auto& cells = expected.emplace_back();
        for (int c = ColumnDate; c < RecordColumnCount; ++c)
            cells.push_back(utf16ToUtf8(row->root().member(u"cells").element(c).text()));
    }
    ASSERT_EQ(expected.size(), 7u);

    struct Case {
        const char* given;
        const char* written;
    };
    for (const Case& c : {Case{"list.CSV", "list.CSV"}, Case{"book.xlsx", "book.xlsx"},
                          Case{"dir.csv.xlsx.bak", "dir.csv.xlsx.bak.xls"}}) {
        SCOPED_TRACE(c.given);
        std::ostringstream out, err;
        ASSERT_EQ(cli::run({u"export", u"--lang", lng, folder, textFromPath(dir.path() / c.given)}, out, err),
                  0)
            << err.str();
        EXPECT_EQ(out.str(), (dir.path() / c.written).string() + "\n");
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / c.written));
    }
    const std::string csv = readBytes(dir.path() / "list.CSV");
    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    auto records = csvRecords(std::string_view(csv).substr(3));
    ASSERT_EQ(records.size(), expected.size() + 1);
    EXPECT_EQ(records[0][0], "Дата");
    EXPECT_EQ(records[0].size(), std::size_t{RecordColumnCount - 1});
    records.erase(records.begin());
    EXPECT_EQ(records, expected);
    EXPECT_EQ(readBytes(dir.path() / "book.xlsx").substr(0, 4), "PK\x03\x04");
}
