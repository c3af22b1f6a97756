#include "FuzzEntries.h"
#include "FuzzSupport.h"

#include "samplegen/SampleReplay.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numeric>
#include <system_error>

namespace tapeloft::fuzz {

namespace {

using namespace std::string_literals;
using samples::ResultsLayout;
using samples::SampleOptions;

// Small battles with short tails keep the inputs small, which keeps the fuzzer fast.
std::vector<samples::SampleReplay> sampleReplays() {
    std::vector<samples::SampleReplay> replays;
    const ResultsLayout layouts[] = {ResultsLayout::Current, ResultsLayout::Earlier, ResultsLayout::None};
    std::uint32_t seed = 1;
    for (const ResultsLayout layout : layouts) {
        for (const int vehicles : {2, 5, 30}) {
            SampleOptions options;
            options.layout = layout;
            options.vehicleCount = vehicles;
            options.tailBytes = 64;
            replays.push_back(samples::makeSampleReplay(seed++, options));
        }
    }
    SampleOptions rejected;
    rejected.headerRejected = true;
    rejected.tailBytes = 16;
    rejected.vehicleCount = 2;
    replays.push_back(samples::makeSampleReplay(seed++, rejected));
    SampleOptions unreadable;
    unreadable.descriptionUnreadable = true;
    unreadable.tailBytes = 16;
    unreadable.vehicleCount = 3;
    replays.push_back(samples::makeSampleReplay(seed++, unreadable));
    return replays;
}

std::vector<Seed> jsonSeeds() {
    std::vector<Seed> seeds;
    int n = 0;
    for (const auto& replay : sampleReplays()) {
        seeds.push_back({"sample-description-" + std::to_string(n), replay.facts.descriptionJson});
        if (!replay.facts.resultsJson.empty())
            seeds.push_back({"sample-results-" + std::to_string(n), replay.facts.resultsJson});
        ++n;
    }
    const char* handMade[] = {
        "{}",
        "[]",
        "  {\"a\":1}  ",
        R"({"a":[1,-2,3.5,-0.0,1e3,2E-3,1.5e+2,true,false,null,"x"],"b":{"c":{}}})",
        R"({"k":"\u00e9\u0041\ud83d\ude00\ud800x\\\"\/\b\f\n\r\t","\u0000":0})",
        R"({"a":1,"a":[2],"a":{"b":3},"A":4})",
        R"({"big":99999999999999999999999,"neg":-99999999999999999999999,"r":1e999999,"s":-1e-999999})",
        R"({"int":2147483648,"m":-2147483649,"h":2.5,"h2":3.5,"h3":-2.5})",
        R"([{"a":1}{"b":2},3 4,"x""y"])",
        R"({"a":1 "b":2,"c":[1,,2],"d":tRuE,"e":NULL})",
        R"({"s":"unterminated)",
        R"({"a":"\u12)",
        R"({"a":"\q\u00zz"})",
        R"({"m":{"1":1,"2":2,"3":3,"4":4,"5":5,"6":6,"7":7,"8":8,"9":9,"10":10,"1":11}})",
        "{\"\xC3\xA9\xF0\x9F\x98\x80\":\"\xFF\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\"}",
    };
    for (const char* text : handMade)
        seeds.push_back({"hand-" + std::to_string(seeds.size()), text});
    seeds.push_back({"deep-600", std::string(600, '[') + std::string(600, ']')});
    seeds.push_back({"deep-512", std::string(512, '[') + std::string(512, ']')});
    return seeds;
}

std::vector<Seed> replaySeeds() {
    std::vector<Seed> seeds;
    int n = 0;
    for (auto& replay : sampleReplays())
        seeds.push_back({"sample-" + std::to_string(n++), std::move(replay.bytes)});
    const std::string header = samples::validHeader();
    const std::string description = R"({"playerName":"a","vehicles":{"1":{"name":"a","team":1}},"x":"y"})";
    const std::string results = R"([{"personal":{"xp":1},"common":{"winnerTeam":1}},{"1":{"team":1}},{}])";
    seeds.push_back({"hand-empty", ""});
    seeds.push_back({"hand-header", header});
    seeds.push_back({"hand-details-header", std::string("\x12", 1)});
    seeds.push_back({"hand-both", samples::assembleReplay(header, description, results)});
    seeds.push_back({"hand-no-results", samples::assembleReplay(header, description)});
    seeds.push_back({"hand-crlf", header + "\r\n" + description + "\r" + results + "\n\0tail"s});
    seeds.push_back({"hand-markers-reversed", header + "\"}}]\0[{\"}\0{\""s + std::string(12, '\0')});
    seeds.push_back(
        {"hand-utf8", header + "{\"playerName\":\"\xD0\x90\xF0\x9F\x98\x80\xFF\",\"x\":\"\xE2\x82\"}"});
    return seeds;
}

std::vector<Seed> prefSeeds() {
    return {
        {"hand-settings",
         "\xEF\xBB\xBF\r\n[filepath]\r\nLang = rus.lng\r\npath_repl = /home/u/replays\r\n[WndSett]\r\nwndX = "
         "10\r\n"
         "Col0 = 120\r\n[accaunts]\r\nMRlog = \r\nMRpass = secret\r\n[cenasnaryda]\r\nN01_Warden = 250\r\n"},
        {"hand-layout",
         "lead = 1\n; comment\n  [g]  tail\n\tk\t=\t v \t\nplain line\n[g]\nk = second\n[G\nK=3\r"},
        {"hand-cp1251", "[text]\r\ntxt1 = \xCF\xF0\xE8\xE2\xE5\xF2\r\ntxt2 = \x98\x80\xFF\r\n"},
        {"hand-utf8", "[text]\ntxt1 = \xD0\x9F\xD1\x80\xD0\xB8\nTXT2 = two\n[mapnames]\nA = \xC3\xA9\n"},
        {"hand-bom-invalid", "\xEF\xBB\xBF[x]\nk = \xFF\xFE\n\xEF\xBB\xBF[y]\n"},
        {"hand-empty", ""},
        {"hand-blank", " \t\r\n\r\n\n\r"},
    };
}

// --- xls ----------------------------------------------------------------------------------------------

// The numbers of a record call: a small one in one byte, any other in four.
void callNumbers(InputWriter& in, std::initializer_list<std::int32_t> numbers) {
    for (const std::int32_t n : numbers) {
        if (n >= 0 && n < 256)
            in.flag(false).byte(static_cast<std::uint8_t>(n));
        else
            in.flag(true).int32(n);
    }
}

enum RecordKind : std::size_t { kCodePage, kGridlines, kFont, kLabel };
// The choices of a sheet's row count, as the xls target reads it.
constexpr std::size_t kMaxSeedSheetRows = 25;

std::vector<Seed> xlsSeeds() {
    std::vector<Seed> seeds;
    {
        InputWriter in;
        in.flag(false).choice(kCodePage, 4);
        callNumbers(in, {1251});
        in.choice(kGridlines, 4);
        callNumbers(in, {0});
        in.choice(kFont, 4).utf8("Arial");
        callNumbers(in, {10, 1});
        in.choice(kLabel, 4).utf8("\xD0\x96\xD1\x83\xD0\xBA \xE2\x82\xAC \xE4\xB8\xAD");
        callNumbers(in, {0, 0, 0, 1, 0, 0});
        in.choice(kLabel, 4).emptyText();
        callNumbers(in, {70000, -1, 0x1FF, -2, 300, 64});
        seeds.push_back({"records-every-kind", in.bytes()});
    }
    {
        // Pairs all along a text longer than a cell holds, so the cut falls on and between them.
        InputWriter in;
        in.flag(false).choice(kLabel, 4).longUtf8(7, "a\xF0\x9F\x98\x80");
        callNumbers(in, {1, 2, 0, 1, 0, 0});
        in.choice(kLabel, 4).longUtf8(0, "\xD0\xAF");
        callNumbers(in, {2, 2, 0, 1, 0, 0});
        in.choice(kFont, 4).units(u"\xD800x\xDC80\xDFFF\xD83D");
        callNumbers(in, {-5, 99999});
        seeds.push_back({"records-long-and-surrogates", in.bytes()});
    }
    {
        InputWriter in;
        in.flag(true).flag(false).flag(false).choice(1, 16).byte(0).choice(2, kMaxSeedSheetRows);
        for (const char* cell : {"Date", "Map", "\xD0\x9F\xD1\x83\xD1\x82\xD1\x8C"}) {
            in.choice(3, 41);
            in.utf8(cell).cp1251("\xCA\xE0\xF0\xF2\xE0").units(u"\xD83D\xDE00\xD800");
        }
        seeds.push_back({"sheet-small", in.bytes()});
    }
    {
        InputWriter in;
        in.flag(true).flag(true).flag(true).choice(1, 16).byte(0).choice(1, kMaxSeedSheetRows).choice(40, 41);
        for (int column = 0; column < 40; ++column)
            in.cp1251(std::string(static_cast<std::size_t>(column) * 3, static_cast<char>(0xC0 + column)));
        in.choice(0, 41);
        seeds.push_back({"sheet-wide-unbuffered", in.bytes()});
    }
    seeds.push_back(
        {"sheet-too-many", InputWriter().flag(true).flag(false).flag(false).choice(0, 16).byte(9).bytes()});
    seeds.push_back({"hand-empty", ""});
    return seeds;
}

// --- listmodel ----------------------------------------------------------------------------------------

// Writes operations the way the listmodel target reads them.
class ListSeed final {
public:
    static constexpr std::size_t kOps = 24;

    ListSeed& replayList(bool favourites) { return choose(favourites ? 1 : 0, 3); }
    ListSeed& plainList(std::size_t columns) {
        choose(2, 3).choose(columns - 1, 6);
        for (std::size_t c = 0; c < columns; ++c)
            in_.byte(static_cast<std::uint8_t>(16 + 40 * c));
        columns_ = columns;
        return *this;
    }
    ListSeed& replayColumns() {
        columns_ = 40;
        return *this;
    }
    // A row from its LF-joined text.
    ListSeed& append(std::string_view utf8) {
        choose(0, kOps).in_.flag(true).utf8(utf8).byte(0);
        return *this;
    }
    // A row with a few cells put in place, coloured.
    ListSeed& appendCells(std::initializer_list<std::pair<std::size_t, std::string_view>> cells) {
        choose(1, kOps).in_.flag(false).choice(cells.size() - 1, 4);
        for (const auto& [column, text] : cells)
            in_.choice(column, columns_ + 1).utf8(text);
        in_.byte(3).byte(10).byte(20).byte(30).byte(200).byte(210).byte(220);
        return *this;
    }
    ListSeed& insertAt(int position, std::string_view utf8) {
        choose(4, kOps).in_.byte(static_cast<std::uint8_t>(position + 2)).flag(true).utf8(utf8).byte(0);
        return *this;
    }
    ListSeed& remove(int row) { return choose(6, kOps).row(row); }
    ListSeed& select(int row) {
        choose(9, kOps).row(row).in_.flag(true);
        return *this;
    }
    ListSeed& check(int row) {
        choose(12, kOps).row(row).in_.flag(true);
        return *this;
    }
    ListSeed& filter(int column, std::string_view utf8) {
        choose(13, kOps).column(column).in_.flag(false).utf8(utf8);
        return *this;
    }
    ListSeed& clearFilter() { return choose(15, kOps); }
    ListSeed& sort(int column, bool descending) {
        choose(16, kOps).column(column).in_.flag(descending);
        return *this;
    }
    ListSeed& click(int column) {
        choose(17, kOps).column(column).in_.flag(false);
        return *this;
    }
    ListSeed& sortKind(int column, std::size_t kind) {
        choose(19, kOps).column(column).in_.choice(kind, 4);
        return *this;
    }
    ListSeed& bulk(bool begin) {
        choose(20, kOps).in_.flag(begin);
        return *this;
    }
    ListSeed& colourCell(int row, int column) {
        choose(22, kOps).row(row).column(column).in_.flag(true).byte(1).byte(2).byte(3);
        return *this;
    }
    ListSeed& hideColumn(int column) {
        choose(23, kOps).column(column).in_.choice(0, 3).flag(false).byte(0);
        return *this;
    }
    ListSeed& shuffleColumns(std::uint8_t seed) {
        choose(23, kOps).column(0).in_.choice(2, 3).flag(true);
        for (std::size_t i = columns_; i > 1; --i)
            in_.choice((seed * 7u + i) % i, i);
        return *this;
    }

    Seed seed(std::string name) const { return {std::move(name), in_.bytes()}; }

private:
    ListSeed& choose(std::size_t value, std::size_t n) {
        in_.choice(value, n);
        return *this;
    }
    // Row and column choices are one off: -1 is their 0.
    ListSeed& row(int value) { return choose(static_cast<std::size_t>(value + 1), 256); }
    ListSeed& column(int value) { return choose(static_cast<std::size_t>(value + 1), 256); }

    InputWriter in_;
    std::size_t columns_ = 0;
};

std::vector<Seed> listModelSeeds() {
    std::vector<Seed> seeds;
    seeds.push_back(ListSeed()
                        .replayList(false)
                        .replayColumns()
                        .appendCells({{1, "31.12.2014 23:59:59"}, {2, "5.30"}, {9, "1500(x2)"}})
                        .appendCells({{1, "01.01.2015 00:00:00"}, {2, "12.05"}, {9, "900"}})
                        .appendCells({{1, "01.01.2015 00:00:00"}, {2, "-0.5"}, {32, "/r/a.ivlreplay"}})
                        .click(1)
                        .click(1)
                        .click(2)
                        .filter(1, "01")
                        .select(0)
                        .sort(9, true)
                        .remove(0)
                        .clearFilter()
                        .seed("replays-dates-and-numbers"));
    seeds.push_back(ListSeed()
                        .plainList(3)
                        .append("b\nx\n1")
                        .append("A\ny\n\n")
                        .append("\xD0\x96\n\xD0\xB6\n2\nextra")
                        .append("")
                        .insertAt(0, "first")
                        .insertAt(99, "last")
                        .select(1)
                        .check(2)
                        .colourCell(1, 2)
                        .filter(0, "a")
                        .bulk(true)
                        .append("a\nhidden?")
                        .append("zz")
                        .remove(0)
                        .bulk(false)
                        .clearFilter()
                        .sortKind(2, 1)
                        .sort(2, false)
                        .hideColumn(1)
                        .shuffleColumns(3)
                        .seed("plain-rows-filter-bulk"));
    seeds.push_back(ListSeed()
                        .replayList(true)
                        .replayColumns()
                        .append("\n\xD0\xB1\xD0\xBE\xD0\xB9\n7")
                        .append("\n\xD0\x91\xD0\x9E\xD0\x99\n7")
                        .append("\n\xD0\xB1\xD0\xBE\n-7")
                        .filter(1, "\xD0\x91\xD0\xBE")
                        .click(2)
                        .click(2)
                        .shuffleColumns(5)
                        .seed("favourites-cyrillic"));
    seeds.push_back({"hand-empty", ""});
    seeds.push_back({"hand-bytes", std::string("\x02\x05\x00\x01\x02\x03\x04\x05\x06\x07", 10)});
    return seeds;
}

// --- settings -----------------------------------------------------------------------------------------

std::string columnOrderFile(const std::vector<std::int32_t>& entries) {
    InputWriter in;
    for (const std::int32_t entry : entries)
        in.int32(entry);
    return in.bytes();
}

std::vector<Seed> settingsSeeds() {
    std::vector<std::int32_t> order(40);
    std::iota(order.begin(), order.end(), 0);
    std::vector<std::int32_t> reversed(order.rbegin(), order.rend());
    std::vector<std::int32_t> twice = order;
    twice[39] = 0;
    std::vector<std::int32_t> beyond = order;
    beyond[5] = 40;
    std::vector<std::int32_t> negative = order;
    negative[0] = -1;

    std::string widths;
    for (int column = 0; column < 40; ++column)
        widths += "Col" + std::to_string(column) + " = " + std::to_string(column * 10) + "\r\n";
    return {
        {"order-built", columnOrderFile(order)},
        {"order-reversed", columnOrderFile(reversed)},
        {"order-longer", columnOrderFile(order) + "\n"},
        {"order-shorter", columnOrderFile(order).substr(0, 156)},
        {"order-twice", columnOrderFile(twice)},
        {"order-beyond", columnOrderFile(beyond)},
        {"order-negative", columnOrderFile(negative)},
        {"ini-full",
         "\xEF\xBB\xBF\r\n[filepath]\r\nLang = rus.lng\r\npath_repl = /home/u/replays\r\npath_izbr = "
         "/home/u/fav\r\n"
         "[WndSett]\r\nwndX = 10\r\nwndY = -20\r\nwndW = 900\r\nwndH = 640\r\n" +
             widths +
             "[accaunts]\r\nMRlog = pilot\r\nMRpass = se cret \r\n[cenasnaryda]\r\nN01_Warden = 250\r\n"},
        {"ini-odd-values",
         "[wndsett]\nWNDX = 99999999999\nwndy = -2147483648\nwndW=+12px\nwndH = \nCol3 = 0x10\n"
         "[WndSett]\nwndX = 5\ncol39 = -1\n[ACCAUNTS]\nmrlog =  \xC3\xA9 \n"},
        {"ini-cp1251",
         "[accaunts]\r\nMRlog = \xCF\xE8\xEB\xEE\xF2\r\nMRpass = \x98\xFF\r\n[WndSett]\r\nwndX = 7"},
        {"ini-lead-and-comments",
         "wndX = 1\n; [WndSett]\n[WndSett] tail\n; wndY = 2\nwndY\n=3\n[filepath\nLang=x\n"},
        {"hand-empty", ""},
    };
}

// --- paths --------------------------------------------------------------------------------------------

// Writes what the paths target reads: bytes and a text to convert, the root's name, then the entries.
class PathSeed final {
public:
    PathSeed(std::string_view bytes, std::u16string_view text, std::string_view root) {
        in_.byte(static_cast<std::uint8_t>(bytes.size())).raw(bytes).units(text);
        name(root);
        folders_ = 1;
    }
    PathSeed& file(std::size_t parent, std::string_view name) { return entry(parent, 0, name); }
    PathSeed& folder(std::size_t parent, std::string_view name) {
        entry(parent, 1, name);
        ++folders_;
        return *this;
    }
    // pick counts the files made so far, then the folders; one past them is a name that is not there.
    PathSeed& link(std::size_t parent, std::string_view name, std::size_t pick, std::size_t choices) {
        entry(parent, 2, name);
        in_.choice(pick, choices);
        return *this;
    }
    Seed seed(std::string seedName) const { return {std::move(seedName), in_.bytes()}; }

private:
    PathSeed& entry(std::size_t parent, std::size_t kind, std::string_view entryName) {
        in_.choice(parent, folders_).choice(kind, 3);
        return name(entryName);
    }
    PathSeed& name(std::string_view bytes) {
        in_.byte(static_cast<std::uint8_t>(bytes.size() - 1)).raw(bytes);
        return *this;
    }

    InputWriter in_;
    std::size_t folders_ = 0;
};

std::vector<Seed> pathSeeds() {
    return {
        PathSeed("h\xC3\xA9llo", u"\x0416\x0443\x043A", "root")
            .file(0, "a.ivlreplay")
            .folder(0, "sub")
            .file(1, "B.IVLREPLAY")
            .file(1, "c.ivlreplay.txt")
            .link(0, "to-a", 0, 6)
            .seed("utf8-names"),
        PathSeed("\xFF\xC3\xED\xA0\x80\xF4\x90\x80\x80", u"\xDCC3\xDCA9\xDCFF\xD800", "r\xFF")
            .file(0, "\xFF\xFE.ivlreplay")
            .folder(0, "\xC3")
            .file(1, "\xED\xA0\x80")
            .file(1, "\xE2\x82")
            .file(0, "\\:*?\"<>|")
            .seed("invalid-utf8-names"),
        PathSeed("", u"", "links")
            .folder(0, "d")
            .file(1, "f.IvlReplay")
            .link(0, "to-folder", 2, 4)
            .link(0, "dangling", 3, 4)
            .file(0, "missing")
            .seed("links"),
        PathSeed("x", u"\xDC80\xDC80", ".")
            .file(0, ".")
            .file(0, "..")
            .file(0, "...")
            .file(0, " ")
            .seed("dots-and-blanks"),
        {"hand-empty", ""},
    };
}

std::vector<Seed> cacheSeeds() {
    const std::string whole = cacheSeedBytes();
    std::string flipped = whole;
    if (flipped.size() > 5000) flipped[5000] = static_cast<char>(flipped[5000] ^ 0x40);
    return {
        {"cache-of-the-folder", whole},
        {"cache-cut-in-half", whole.substr(0, whole.size() / 2)},
        {"cache-header-only", whole.substr(0, 100)},
        {"cache-with-a-flipped-bit", flipped},
        {"zeros", std::string(4096, '\0')},
        {"hand-empty", ""},
    };
}

} // namespace

std::vector<Seed> builtInSeeds(Target target) {
    switch (target) {
    case Target::Json:
        return jsonSeeds();
    case Target::Replay:
        return replaySeeds();
    case Target::Prefs:
        return prefSeeds();
    case Target::Xls:
        return xlsSeeds();
    case Target::ListModel:
        return listModelSeeds();
    case Target::Settings:
        return settingsSeeds();
    case Target::Paths:
        return pathSeeds();
    case Target::Cache:
        return cacheSeeds();
    }
    return {};
}

std::vector<Seed> seedFiles(const std::filesystem::path& folder) {
    std::vector<Seed> seeds;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (!it->is_regular_file(kind)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        seeds.push_back({it->path().filename().string(),
                         std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
    }
    // Listing order differs between systems; runs should not.
    std::sort(seeds.begin(), seeds.end(), [](const Seed& a, const Seed& b) { return a.name < b.name; });
    return seeds;
}

} // namespace tapeloft::fuzz
