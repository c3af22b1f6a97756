#include "cli/Cli.h"
#include "cli/JsonOutput.h"

#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"
#include "json/Json.h"
#include "json/TextCodec.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tapeloft;
using tapeloft::test::TempDir;

namespace {

struct CliRun {
    int exitCode = 0;
    std::string out;
    std::string err;
};

CliRun runCli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CliRun result;
    result.exitCode = cli::run(args, out, err);
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
    EXPECT_NE(run.out.find("list [--lang FILE] FOLDER"), std::string::npos);
}
