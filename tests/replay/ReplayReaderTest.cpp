#include "replay/ReplayReader.h"

#include "base/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tapeloft {
namespace {

using test::TempDir;
using namespace std::string_view_literals;

// Seven header bytes summing to 128: pass the scan test.
const std::string kScanHeader("\x80\0\0\0\0\0\0", 7);

ReplayBlocks readFile(std::string_view bytes, HeaderTest test = HeaderTest::Scan) {
    TempDir dir;
    return readReplayBlocks(dir.write("r.ivlreplay", bytes), test);
}

ReplayBlocks readBody(std::string_view body) {
    return readFile(kScanHeader + std::string(body));
}

// A plain model of the read: decode piece by piece into UTF-16, search and cut in UTF-16.
struct Model {
    std::int32_t descriptionAt, resultsAt;
    std::u16string description, results;
};
Model model(std::string_view body) {
    std::u16string text;
    std::size_t i = 0;
    for (int piece = 0; piece < 11; ++piece) {
        std::string bytes;
        while (i < body.size() && body[i] != '\0' && body[i] != '\n' && body[i] != '\r')
            bytes += body[i++];
        if (i < body.size() && body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
        if (i < body.size()) ++i;
        text += utf8ToUtf16(bytes);
    }
    const auto find = [](std::u16string_view s, std::u16string_view what) -> std::int64_t {
        const auto at = s.find(what);
        return at == s.npos ? 0 : static_cast<std::int64_t>(at) + 1;
    };
    Model m{};
    const std::int64_t p1 = find(text, u"{\"");
    m.descriptionAt = static_cast<std::int32_t>(p1);
    const std::u16string kept = p1 == 0 ? text : text.substr(p1 - 1);
    m.description = kept.substr(0, find(kept, u"\"}") + 2);
    const std::int64_t p3 = find(kept, u"[{"), length = find(kept, u"}}]") - p3 + 3;
    m.resultsAt = static_cast<std::int32_t>(p3);
    if (length > 0) m.results = kept.substr(p3 == 0 ? 0 : p3 - 1, length);
    return m;
}

void expectMatchesModel(std::string_view body) {
    const ReplayBlocks b = readBody(body);
    const Model m = model(body);
    ASSERT_EQ(b.status, ReplayStatus::Opened);
    EXPECT_EQ(b.descriptionAt, m.descriptionAt);
    EXPECT_EQ(b.resultsAt, m.resultsAt);
    // UTF-8 cannot carry half a surrogate pair; the conversion turns it into U+FFFD.
    EXPECT_EQ(b.descriptionUtf8, utf16ToUtf8(m.description));
    EXPECT_EQ(b.resultsUtf8, utf16ToUtf8(m.results));
    EXPECT_TRUE(isValidUtf8(b.descriptionUtf8) && isValidUtf8(b.resultsUtf8));
}

const std::vector<std::string> kSeparators = {"\n", "\r\n", "\r", std::string(1, '\0')};
const std::string kDesc = R"({"mapName":"delta","playerName":"p1"})";
const std::string kResults = R"([{"a":{"b":1}}])";

TEST(ReplayReader, ScanHeaderSumModulo256) {
    struct Case {
        std::string header;
        bool passes;
    };
    const Case cases[] = {
        {std::string("\x80\0\0\0\0\0\0", 7), true},
        {std::string("\x80\x0B\0\0\0\0\0", 7), true},
        {std::string("\x80\x0C\0\0\0\0\0", 7), false},
        {std::string("\x7F\0\0\0\0\0\0", 7), false},
        {"\xFF\xFF\x82\0\0\0\0", true}, // 640 wraps to 128
        {"\x40\x40", true},             // short file: missing bytes read as 0
        {"\x40\x3F", false},
        {"", false},
    };
    for (const auto& c : cases) {
        const auto b = readFile(c.header);
        EXPECT_EQ(b.status, c.passes ? ReplayStatus::Opened : ReplayStatus::HeaderRejected)
            << c.header.size();
        EXPECT_TRUE(b.descriptionUtf8.empty() && b.resultsUtf8.empty() && b.descriptionAt == 0);
    }
}

TEST(ReplayReader, DetailsHeaderLooksAtByteZeroAndReadsOnFromByteOne) {
    const auto b = readFile("\x12" + kDesc, HeaderTest::Details);
    ASSERT_EQ(b.status, ReplayStatus::Opened);
    EXPECT_EQ(b.descriptionAt, 1);
    EXPECT_EQ(b.descriptionUtf8, kDesc);
    // The scan test would take the first seven bytes as the header.
    EXPECT_EQ(readFile("\x12" + kDesc, HeaderTest::Scan).status, ReplayStatus::HeaderRejected);
    EXPECT_EQ(readFile(kScanHeader + kDesc, HeaderTest::Details).status, ReplayStatus::HeaderRejected);
    EXPECT_EQ(readFile("", HeaderTest::Details).status, ReplayStatus::HeaderRejected);
}

TEST(ReplayReader, TerminatorsVanishAndJoinTheBlocks) {
    for (const auto& sep : kSeparators) {
        const auto b = readBody(kDesc + sep + kResults + sep + "tail");
        ASSERT_EQ(b.status, ReplayStatus::Opened);
        EXPECT_EQ(b.descriptionAt, 1);
        EXPECT_EQ(b.descriptionUtf8, kDesc + "["); // one character past the brace: the next piece's
        EXPECT_EQ(b.resultsAt, static_cast<int>(kDesc.size()) + 1);
        EXPECT_EQ(b.resultsUtf8, kResults);
    }
}

TEST(ReplayReader, OnlyElevenPiecesAreRead) {
    // The results block stands in piece 11 after ten terminators, or in piece 12 after eleven;
    // not found, the results cut is the first three characters of the kept text.
    for (const auto& sep : kSeparators) {
        std::string ten;
        for (int i = 0; i < 10; ++i)
            ten += sep;
        EXPECT_EQ(readBody(kDesc + ten + kResults).resultsUtf8, kResults);
        const auto b = readBody(kDesc + ten + sep + kResults);
        EXPECT_EQ(b.resultsAt, 0);
        EXPECT_EQ(b.resultsUtf8, "{\"m");
    }
    // LF CR is two terminators, not one.
    EXPECT_EQ(readBody(kDesc + "\n\ra\n\ra\n\ra\n\ra\n\ra\n\r" + kResults).resultsAt, 0);
    // JSON with raw line breaks uses up pieces: the end marker in piece 12 is never seen.
    const auto b = readBody(kDesc + "\n[{\"a\":\n\n\n\n\n\n\n\n\n\n1}}]");
    EXPECT_EQ(b.resultsAt, static_cast<int>(kDesc.size()) + 1);
    EXPECT_TRUE(b.resultsUtf8.empty());
}

TEST(ReplayReader, CutsAtTheEdgesOfTheText) {
    // Results end exactly at the end of the file; description end marker at the very end.
    EXPECT_EQ(readBody(kDesc + "\n" + kResults).resultsUtf8, kResults);
    EXPECT_EQ(readBody(kDesc).descriptionUtf8, kDesc);
    // No description start: descriptionAt 0 and the first two characters of the whole text.
    auto b = readBody("ab\ncd");
    EXPECT_EQ(b.descriptionAt, 0);
    EXPECT_EQ(b.descriptionUtf8, "ab");
    EXPECT_EQ(b.resultsUtf8, "abc"); // p3 = p4 = 0: three characters from the first
    // Start marker without an end: the first two characters of the kept text.
    EXPECT_EQ(readBody("xx{\"a\":1").descriptionUtf8, "{\"");
    // Results start without end: 3 - p3 characters.
    EXPECT_EQ(readBody("[{1").resultsUtf8, "[{");
    EXPECT_EQ(readBody("x[{1").resultsUtf8, "[");
    EXPECT_EQ(readBody("xx[{1").resultsUtf8, "");
    // End marker before the start marker gives nothing that parses.
    b = readBody(kDesc + "}}]\n[{\"a\":1}");
    EXPECT_NE(b.resultsAt, 0);
    EXPECT_TRUE(b.resultsUtf8.empty());
    // End without start: p4 + 3 characters from the first of the kept text.
    EXPECT_EQ(readBody("{\"a\"}}]xy").resultsUtf8, "{\"a\"}}]x");
}

TEST(ReplayReader, PositionsAndCutsCountUtf16Units) {
    // Before the description: Ж (2 bytes, 1 unit), € (3 bytes, 1 unit), 😀 (4 bytes, 2 units).
    const std::string prefix = "\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80";
    auto b = readBody(prefix + kDesc + "\xF0\x9F\x98\x80" + "\n" + "Ж" + kResults);
    EXPECT_EQ(b.descriptionAt, 5);
    EXPECT_EQ(b.resultsAt, static_cast<int>(kDesc.size()) + 4);
    EXPECT_EQ(b.descriptionUtf8, kDesc + "\xEF\xBF\xBD"); // half a surrogate pair
    EXPECT_EQ(b.descriptionText().size(), kDesc.size() + 1);
    EXPECT_EQ(readBody(kDesc + "Ж").descriptionUtf8, kDesc + "Ж");

    const std::vector<std::string> bodies = {
        "\xF0\x9F\x98\x80xyz",                      // p2 = 0: first two units are one whole pair
        "a\xF0\x9F\x98\x80xyz",                     // ... or half of one
        "\xF0\x9F\x98\x80Жa}}]\xF0\x9F\x98\x80q",   // p3 = 0: p4 + 3 units cut through a pair
        "Ж\xF0\x9F\x98\x80[{\"k\":\"Ж\"}}]",        // results after multibyte text
        "{\"\xD0\n\x96\"}[{\xE2\x82\n\xAC}}]",      // a sequence split by a terminator: two bad pieces
        "\xFF\xC0\xAF{\"a\":\"\xED\xA0\x80\"}\r\n", // invalid bytes, an encoded surrogate
        // Bad bytes in long runs, which are scanned for terminators many bytes at a time.
        "\xFF" + std::string(40, 'a') + "{\"a\":1}\n" + std::string(47, 'b') + "\xD0\n" +
            std::string(31, 'c') + "\x80" + std::string(16, 'd') + "[{\"k\":\"\xE2\x82\"}}]",
    };
    for (const auto& body : bodies) {
        SCOPED_TRACE(body);
        expectMatchesModel(body);
    }
    b = readBody("{\"\xE2\x82\n\xAC\"}");
    EXPECT_EQ(b.descriptionText(), u"{\"\uFFFD\uFFFD\"}");
}

TEST(ReplayReader, FileLargerThanTheReadBuffer) {
    // A character split across the first 64 KiB boundary, a CR LF split across the second.
    std::string body = "{\"k\":\"" + std::string(65522, 'a') + "Ж\"}"; // Ж at file offset 65535
    body += std::string(131064 - body.size(), 'b') + "\r\n";           // CR at file offset 131071
    for (int i = 0; i < 9; ++i)
        body += "\n";
    body += kResults + "\n" + std::string(300000, 'z');
    const auto b = readBody(body);
    ASSERT_EQ(b.status, ReplayStatus::Opened);
    EXPECT_EQ(b.resultsUtf8, kResults);
    EXPECT_EQ(b.descriptionUtf8, "{\"k\":\"" + std::string(65522, 'a') + "Ж\"}b");
    expectMatchesModel(body);
}

TEST(ReplayReader, RandomBytesMatchThePieceModel) {
    // Markers, terminators, characters of every UTF-8 length, and broken, overlong, surrogate and
    // out-of-range sequences.
    // clang-format off
    const std::string_view tokens[] = {
        "{\"", "\"}", "[{", "}}]", "\n", "\r", "\r\n", "\0"sv, "a", "}", "\"", "Ж", "€", "\xF0\x9F\x98\x80",
        "\xFF", "\xD0", "\x80", "\xE2\x82", "\xF0\x9F", "\xF0\x9F\x98", "\xC1\xBF", "\xE0\x80\xAF",
        "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80"};
    // clang-format on
    std::mt19937 random(20240611);
    for (int round = 0; round < 600; ++round) {
        std::string body;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i)
            body += tokens[random() % std::size(tokens)];
        SCOPED_TRACE(round);
        expectMatchesModel(body);
    }
}

TEST(ReplayReader, UnreadableFilesAndTheFileIsClosedOnEveryPath) {
    TempDir dir;
    EXPECT_EQ(readReplayBlocks(dir.path() / "missing.ivlreplay", HeaderTest::Scan).status,
              ReplayStatus::NotOpened);
    EXPECT_EQ(readReplayBlocks(dir.path(), HeaderTest::Scan).status, ReplayStatus::NotOpened);
    EXPECT_EQ(readReplayBlocks(dir.path(), HeaderTest::Details).status, ReplayStatus::NotOpened);

    // Linux counts the process's open files. Windows cannot remove a file that is still open (below);
    // there /proc would be a folder of Wine's own, whose count changes as it likes.
    const auto openFiles = [] {
#ifdef __linux__
        std::error_code ec;
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd", ec),
                             std::filesystem::directory_iterator());
#else
        return std::ptrdiff_t{0};
#endif
    };
    const auto before = openFiles();
    for (const std::string& bytes : {kScanHeader + kDesc, std::string("\x01rejected")}) {
        const auto file = dir.write("f.ivlreplay", bytes);
        EXPECT_NE(readReplayBlocks(file, HeaderTest::Scan).status, ReplayStatus::NotOpened);
        EXPECT_EQ(openFiles(), before);
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::remove(file, ec)) << ec.message();
    }
}

} // namespace
} // namespace tapeloft
