#include "support/BadInputCatalogue.h"

#include "samplegen/SampleReplay.h"

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace tapeloft::test {

namespace {

std::string noise(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    return bytes;
}

// Nested objects must not end on a string: the reader ends the description at the first `"}`.
std::string description(const std::string& extra = {}, const std::string& player = "Ann") {
    return R"({"dateTime":"01.02.2015 10:00:00","playerName":")" + player +
           R"(","mapName":"05_red_steppe","gameplayID":"ctf","playerVehicle":"nordland-N01_Warden",)"
           R"("serverName":"EU1","battleType":1,"vehicles":{"1":{"name":"Bob","vehicleType":"nordland:N02",)"
           R"("team":2},"2":{"name":")" +
           player + R"(","vehicleType":"nordland:N01_Warden","team":1}},)" + extra +
           R"("clientVersionFromExe":"0, 9, 8, 0","clientVersionFromXml":"0.9.8"})";
}

std::string results(const std::string& personal = R"("xp":1200,"credits":30000,"shots":5,"hits":4)") {
    return R"([{"common":{"winnerTeam":1,"finishReason":1},"personal":{"7":{)" + personal +
           R"(}},"vehicles":{"2":[{"typeCompDescr":7}]}},)"
           R"({"1":{"name":"Bob","team":2,"isAlive":0},"2":{"name":"Ann","team":1,"isAlive":1}},)"
           R"({"1":{"frags":0},"2":{"frags":1}}])";
}

std::string replay(const std::string& descriptionJson, const std::string& resultsJson = {}) {
    return samples::assembleReplay(samples::validHeader(), descriptionJson, resultsJson);
}

bool scanHeaderPasses(std::string_view bytes) {
    unsigned char sum = 0;
    for (std::size_t i = 0; i < 7; ++i)
        sum = static_cast<unsigned char>(sum + (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0));
    return sum >= 128 && sum <= 139;
}

class Writer final {
public:
    explicit Writer(BadReplayFolder& out) : out_(out) {}

    void file(const fs::path& relative, std::string_view bytes, ExpectedRow expected, std::string what) {
        // Native separators, as the walk reports the path: "a/b" is "a\b" there on Windows.
        const fs::path path = (out_.folder / relative).make_preferred();
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        std::ofstream stream(path, std::ios::binary | std::ios::trunc);
        stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        stream.close();
        if (!stream) {
            out_.notWritten.push_back(what + ": the file system refused the name");
            std::filesystem::remove(path, ec);
            return;
        }
        out_.replays.push_back({path, std::move(what), expected});
    }

    void added(const fs::path& path, ExpectedRow expected, std::string what) {
        out_.replays.push_back({path, std::move(what), expected});
    }
    void refused(std::string what) { out_.notWritten.push_back(std::move(what)); }

private:
    BadReplayFolder& out_;
};

void writeTruncations(Writer& w) {
    samples::SampleOptions options;
    options.tailBytes = 64;
    const samples::SampleReplay sample = samples::makeSampleReplay(101, options);
    const std::string& bytes = sample.bytes;
    const std::size_t description = bytes.find(sample.facts.descriptionJson);
    const std::size_t results = bytes.find(sample.facts.resultsJson);
    w.file("truncated/whole.ivlreplay", bytes, ExpectedRow::Full,
           "an undamaged sample, player " + sample.facts.playerName);
    w.file("truncated/in-header.ivlreplay", bytes.substr(0, 3),
           scanHeaderPasses(bytes.substr(0, 3)) ? ExpectedRow::Unreadable : ExpectedRow::Marker,
           "cut in the header");
    w.file("truncated/after-header.ivlreplay", bytes.substr(0, 7), ExpectedRow::Unreadable,
           "only the header");
    w.file("truncated/in-description.ivlreplay",
           bytes.substr(0, description + sample.facts.descriptionJson.size() / 2), ExpectedRow::Unreadable,
           "cut in the middle of the description");
    w.file("truncated/before-description-end.ivlreplay",
           bytes.substr(0, description + sample.facts.descriptionJson.size() - 2), ExpectedRow::Unreadable,
           "cut just before the description's end");
    w.file("truncated/in-results.ivlreplay", bytes.substr(0, results + sample.facts.resultsJson.size() / 2),
           ExpectedRow::NoResults, "cut in the middle of the results");
    w.file("truncated/before-results-end.ivlreplay",
           bytes.substr(0, results + sample.facts.resultsJson.size() - 1), ExpectedRow::NoResults,
           "cut just before the results' last bracket");
    w.file("truncated/after-results.ivlreplay", bytes.substr(0, results + sample.facts.resultsJson.size()),
           ExpectedRow::Full, "cut right after the results");
}

void writeNoiseAndEncodings(Writer& w) {
    w.file("empty.ivlreplay", "", ExpectedRow::Marker, "0 bytes");
    w.file("one-byte.ivlreplay", "\x12", ExpectedRow::Marker, "only the details header byte");
    w.file("noise/rejected-header.ivlreplay", samples::rejectedHeader() + noise(64 * 1024, 1),
           ExpectedRow::Marker, "binary noise behind a rejected header");
    std::string noMarkers = noise(64 * 1024, 2);
    for (char& b : noMarkers)
        if (b == '{') b = '(';
    w.file("noise/valid-header.ivlreplay", samples::validHeader() + noMarkers, ExpectedRow::Unreadable,
           "binary noise without a description behind a valid header");
    std::string noEnd = noise(64 * 1024, 3);
    for (char& b : noEnd)
        if (b == '"') b = '\'';
    w.file("noise/open-description.ivlreplay", samples::validHeader() + "{\"" + noEnd,
           ExpectedRow::Unreadable, "a description start followed by noise");
    w.file("noise/all-terminators.ivlreplay", samples::validHeader() + std::string(64 * 1024, '\0'),
           ExpectedRow::Unreadable, "only terminators after the header");
    w.file("noise/pieces-used-up.ivlreplay",
           samples::validHeader() + std::string(11, '\n') + description() + "\n" + results(),
           ExpectedRow::Unreadable, "eleven empty pieces before the description");

    w.file("utf8/invalid-in-description.ivlreplay",
           replay(description("\"mapName\":\"\xE2\x82\",\"serverName\":\"\xC0\xAF\",", "\xFF\xFE"
                                                                                       "Ann\xC0"),
                  results()),
           ExpectedRow::Full,
           "invalid UTF-8 in the player name, map and server (player \"\\xFF\\xFEAnn\\xC0\")");
    w.file(
        "utf8/invalid-in-results.ivlreplay",
        replay(
            description(),
            R"([{"common":{"winnerTeam":1},"personal":{"7":{"xp":1}},"vehicles":{"2":[{"typeCompDescr":7}]}},)"
            "{\"1\":{\"name\":\"\xED\xA0\x80\xF4\x90\x80\x80\",\"team\":2},\"2\":{\"team\":1}},"
            "{\"2\":{\"frags\":1}}]"),
        ExpectedRow::Full, "invalid UTF-8 in the results");
    w.file("utf8/crlf-between-tokens.ivlreplay",
           replay("{\"playerName\":\"Ann\",\r\n\"vehicles\":{\"2\":{\"name\":\"Ann\",\r\n\"team\":1}},\r\n"
                  "\"clientVersionFromExe\":\"0, 9, 8, 0\"}",
                  results()),
           ExpectedRow::Full, "line breaks between the description's tokens");
}

void writeHugeAndDeep(Writer& w) {
    // Up to the reader's limit a long line is read; past it the file is refused and reported.
    constexpr std::size_t threeMegabytes = 3 * 1024 * 1024;
    constexpr std::size_t tenMegabytes = 10 * 1024 * 1024;
    w.file("huge/three-megabyte-line.ivlreplay",
           replay(description(R"("padding":")" + std::string(threeMegabytes, 'x') + R"(",)"), results()),
           ExpectedRow::Full, "a 3 MB description on one line");
    w.file(
        "huge/three-megabyte-results.ivlreplay",
        replay(description(), results(R"("xp":5,"padding":[)" + std::string(threeMegabytes / 2, '1') + "]")),
        ExpectedRow::Full, "a 3 MB results block on one line");
    w.file("huge/ten-megabyte-line.ivlreplay",
           replay(description(R"("padding":")" + std::string(tenMegabytes, 'x') + R"(",)"), results()),
           ExpectedRow::Unreadable, "a 10 MB description on one line");
    w.file("huge/ten-megabyte-results.ivlreplay",
           replay(description(), results(R"("xp":5,"padding":[)" + std::string(tenMegabytes / 2, '1') + "]")),
           ExpectedRow::Unreadable, "a 10 MB results block on one line");
    w.file("huge/ten-megabyte-tail.ivlreplay",
           samples::validHeader() + description() + "\n" + results() + "\n" + std::string(tenMegabytes, 'z'),
           ExpectedRow::Unreadable, "10 MB without a line break right after the blocks");

    constexpr std::size_t levels = 100000;
    const std::string deepArrays = std::string(levels, '[') + std::string(levels, ']');
    std::string deepObjects;
    deepObjects.reserve(levels * 6);
    for (std::size_t i = 0; i < levels; ++i)
        deepObjects += "{\"a\":";
    deepObjects += "1" + std::string(levels, '}');
    w.file("deep/description-arrays.ivlreplay",
           replay(description(R"("deep":)" + deepArrays + ","), results()), ExpectedRow::Unreadable,
           "100,000 nested arrays in the description");
    w.file("deep/description-objects.ivlreplay",
           replay(description(R"("deep":)" + deepObjects + ","), results()), ExpectedRow::Unreadable,
           "100,000 nested objects in the description");
    w.file("deep/results.ivlreplay", replay(description(), R"([{"common":{"deep":)" + deepArrays + "}}]"),
           ExpectedRow::NoResults, "100,000 nested arrays in the results");
    w.file("deep/unclosed.ivlreplay", replay(description(R"("deep":)" + std::string(levels, '[')), results()),
           ExpectedRow::Unreadable, "100,000 arrays opened and never closed");

    w.file(
        "numbers/huge.ivlreplay",
        replay(description(R"("battleType":1e999999,"extra":-99999999999999999999999999,)"),
               results(R"("xp":1e999999,"credits":99999999999999999999999,"repair":-99999999999999999999999,)"
                       R"("shots":18446744073709551616,"hits":4294967297,"lifeTime":-1e308,)"
                       R"("damageDealt":2147483648,"potentialDamageDealt":-2147483649,)"
                       R"("autoLoadCost":[1e-999999,-0.0],"dailyXPFactor10":1e20,"killerID":1e10)")),
        ExpectedRow::Full, "numbers far outside 32 bits");
}

void writeOddNames(Writer& w, const fs::path& folder) {
    const std::string good = replay(description(), results());
    w.file("  spaces  in  name .ivlreplay", good, ExpectedRow::Full, "spaces around and inside the name");
    w.file(fs::path(u8"Бой на карте Красная степь.ivlreplay"), good, ExpectedRow::Full, "a Cyrillic name");
    w.file(fs::path(u8"🎯💥 battle 🚀.ivlreplay"), good, ExpectedRow::Full, "emoji in the name");
    w.file(fs::path(u8"папка с пробелами 🎯") / u8"внутри.ivlreplay", good, ExpectedRow::Full,
           "a folder with spaces, Cyrillic and emoji");
    w.file("MiXeD.IvlReplay", good, ExpectedRow::Full, "the extension in mixed case");
    w.file(".ivlreplay", good, ExpectedRow::Full, "no base name");
    w.file("a.b.c.ivlreplay", good, ExpectedRow::Full, "dots in the base name");
    w.file("folder.ivlreplay/inner.ivlreplay", good, ExpectedRow::Full,
           "inside a folder named like a replay");
    w.file("notes.txt", good, ExpectedRow::None, "another extension");
    w.file("a.ivlreplay.bak", good, ExpectedRow::None, "the extension in the middle");

    // Names near the file system's limit: 255 units on Windows, 255 bytes on most POSIX systems.
    const std::string extension = ".ivlreplay";
    w.file(std::string(255 - extension.size(), 'n') + extension, good, ExpectedRow::Full,
           "a name of 255 characters");
    std::u8string cyrillic;
    while (cyrillic.size() + 2 + extension.size() <= 255)
        cyrillic += u8"ж";
    w.file(fs::path(cyrillic + u8".ivlreplay"), good, ExpectedRow::Full,
           "a Cyrillic name of about 255 bytes");

#ifndef _WIN32
    // Names only POSIX allows.
    w.file("\xCF\xF0\xE8\xE2\xE5\xF2.ivlreplay", good, ExpectedRow::Full,
           "a name in Windows-1251, not UTF-8");
    w.file("back\\slash and what?*:.ivlreplay", good, ExpectedRow::Full, "backslash, '?', '*' and ':'");
    w.file("line\nfeed.ivlreplay", good, ExpectedRow::Unreadable, "a line feed in the name");
    w.file("tab\tand\rreturn.ivlreplay", good, ExpectedRow::Full, "a tab and a carriage return in the name");

    // Things that are not regular files: none may be opened, as a pipe would block the scan for good.
    const fs::path pipe = folder / "pipe.ivlreplay";
    if (::mkfifo(pipe.c_str(), 0600) == 0) {
        w.added(pipe, ExpectedRow::None, "a named pipe");
        std::error_code ec;
        fs::create_symlink(pipe, folder / "link-to-pipe.ivlreplay", ec);
        if (!ec) w.added(folder / "link-to-pipe.ivlreplay", ExpectedRow::None, "a link to a named pipe");
    } else {
        w.refused("a named pipe: mkfifo failed");
    }
    std::error_code ec;
    fs::create_symlink(folder / "missing-target", folder / "dangling.ivlreplay", ec);
    if (!ec) w.added(folder / "dangling.ivlreplay", ExpectedRow::None, "a link to nothing");
    fs::create_symlink(folder / "a.b.c.ivlreplay", folder / "link.ivlreplay", ec);
    if (!ec) w.added(folder / "link.ivlreplay", ExpectedRow::Full, "a link to a replay");
    fs::create_directory_symlink(folder, folder / "deep" / "loop", ec);
    if (!ec) w.added(folder / "deep" / "loop", ExpectedRow::None, "a link to the folder above");
#else
    (void)folder;
#endif
}

std::string utf16Le(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

std::string int32s(std::initializer_list<std::int32_t> values) {
    std::string bytes;
    for (const std::int32_t v : values)
        for (int k = 0; k < 4; ++k)
            bytes.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * k)) & 0xFF));
    return bytes;
}

std::string columnOrder(int replaced, std::int32_t with) {
    std::string bytes;
    for (std::int32_t c = 0; c < 40; ++c)
        bytes += int32s({c == replaced ? with : c});
    return bytes;
}

} // namespace

BadReplayFolder writeBadReplayFolder(const fs::path& folder) {
    BadReplayFolder out;
    out.folder = folder;
    std::error_code ec;
    fs::create_directories(folder, ec);
    Writer w(out);
    writeTruncations(w);
    writeNoiseAndEncodings(w);
    writeHugeAndDeep(w);
    writeOddNames(w, folder);
    return out;
}

std::vector<DamagedProgramFile> damagedProgramFiles() {
    const std::string settings = "Settings.ini";
    const std::string language = "rus.lng";
    const std::string order = "ColumnOrder.Dat";
    constexpr std::size_t fourMegabytes = 4 * 1024 * 1024;
    return {
        {settings, "binary noise", noise(4096, 11)},
        {settings, "0 bytes", std::string()},
        {settings, "a folder", std::nullopt},
        {settings, "garbage text",
         "[filepath\r\nLang\r\n= no key\r\n[[]]\r\n[filepath]\r\nLang "
         "=\r\npath_repl\r\n;[WndSett]\r\n===\r\n"},
        {settings, "UTF-16 instead of UTF-8",
         utf16Le("\r\n[filepath]\r\nLang = eng.lng\r\npath_repl = /tmp\r\n")},
        {settings, "4 MB on one line", "[filepath]\r\npath_repl = " + std::string(fourMegabytes, 'p')},
        {settings, "absurd values",
         "[filepath]\r\nLang = " + std::string(5000, 'L') +
             "\r\npath_repl = relative/folder\r\n[WndSett]\r\nwndX = 99999999999999999999\r\nwndY = -1e9\r\n"
             "wndW = -5\r\nwndH = 0\r\nCol3 = abc\r\nCol4 = -2147483648\r\n"},
        {settings, "Lang names a folder", "[filepath]\r\nLang = .\r\n"},
        {language, "binary noise", noise(4096, 12)},
        {language, "0 bytes", std::string()},
        {language, "a folder", std::nullopt},
        {language, "garbage text",
         "[text\r\ntxt1\r\n[text]\r\ntxt2 =\r\ntxt0 = zero\r\ntxt9999 = too far\r\ntxt-1 = negative\r\n"
         "txt007 = padded\r\n txt3 = three \r\n[mapnames]\r\n= nameless\r\n"},
        {language, "UTF-16 instead of UTF-8", utf16Le("[text]\r\ntxt1 = one\r\n")},
        {language, "4 MB on one line", "[text]\r\ntxt1 = " + std::string(fourMegabytes, 'm')},
        {order, "0 bytes", std::string()},
        {order, "159 bytes", columnOrder(-1, 0).substr(0, 159)},
        {order, "161 bytes", columnOrder(-1, 0) + "\x01"},
        {order, "160 bytes of 0xFF", std::string(160, '\xFF')},
        {order, "160 zero bytes", std::string(160, '\0')},
        {order, "a column number out of range", columnOrder(39, 40)},
        {order, "a negative column number", columnOrder(0, -1)},
        {order, "a column twice", columnOrder(5, 6)},
        {order, "binary noise", noise(4096, 13)},
        {order, "4 MB", std::string(fourMegabytes, '\x01')},
        {order, "a folder", std::nullopt},
    };
}

bool writeDamagedProgramFile(const fs::path& folder, const DamagedProgramFile& file) {
    const fs::path path = folder / file.fileName;
    std::error_code ec;
    if (!file.bytes) return fs::create_directories(path, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.bytes->data(), static_cast<std::streamsize>(file.bytes->size()));
    return out.good();
}

std::string goodSettings(const fs::path& replayFolder) {
    std::string text = "\xEF\xBB\xBF\r\n[filepath]\r\nLang = rus.lng\r\n";
    if (!replayFolder.empty()) {
        const std::u8string folder = replayFolder.u8string();
        text += "path_repl = " + std::string(folder.begin(), folder.end()) + "\r\n";
    }
    return text;
}

std::string goodLanguage() {
    return "\xEF\xBB\xBF[text]\r\ntxt1 = replays?\r\ntxt2 = favourites?\r\ntxt3 = WIN\r\ntxt4 = LOSS\r\n"
           "txt5 = DRAW\r\ntxt6 = --\r\ntxt7 = NOT A REPLAY\r\ntxt82 = Reading\r\ntxt83 = Folder: \r\n"
           "[mapnames]\r\n05_red_steppe = Red Steppe\r\n[vehicles]\r\nN01_Warden = Warden\r\n";
}

} // namespace tapeloft::test
