#include "FuzzEntries.h"

#include "FuzzSupport.h"

#include "base/BuiltInTexts.h"
#include "base/Language.h"
#include "base/PrefFile.h"
#include "base/TextCodec.h"
#include "details/BattleDetails.h"
#include "replay/BattleRecord.h"
#include "replay/ReplayReader.h"
#include "json/Json.h"

#include <cstring>
#include <fstream>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

namespace tapeloft::fuzz {

namespace {

// --- JSON ----------------------------------------------------------------------------------------------

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

using Members = std::vector<std::pair<std::u16string_view, const JsonValue*>>;

Members membersOf(const JsonValue& value) {
    Members members;
    value.members(
        [&](std::u16string_view key, const JsonValue& member) { members.emplace_back(key, &member); });
    return members;
}

// Both trees read the same in every view the readers use.
void compareTrees(const JsonValue& a, const JsonValue& b) {
    FUZZ_CHECK(a.kind() == b.kind());
    FUZZ_CHECK(a.text() == b.text());
    FUZZ_CHECK(a.integerValue() == b.integerValue());
    FUZZ_CHECK(sameBits(a.realValue(), b.realValue()));
    FUZZ_CHECK(a.memberCount() == b.memberCount());
    FUZZ_CHECK(a.count() == b.count());
    const Members am = membersOf(a);
    const Members bm = membersOf(b);
    FUZZ_CHECK(am.size() == bm.size());
    for (std::size_t i = 0; i < am.size(); ++i) {
        FUZZ_CHECK(am[i].first == bm[i].first);
        compareTrees(*am[i].second, *bm[i].second);
    }
    for (std::int32_t i = 0; i < a.count(); ++i)
        compareTrees(a.element(i), b.element(i));
}

// The lookups agree with each other on every node.
void walkTree(const JsonValue& value) {
    FUZZ_CHECK(value.memberCount() >= 0);
    FUZZ_CHECK(value.count() >= 0);
    if (value.kind() == JsonKind::Array) FUZZ_CHECK(value.integerValue() == value.count());
    if (value.kind() != JsonKind::Object) FUZZ_CHECK(value.memberCount() == 0);
    if (value.kind() != JsonKind::Array) FUZZ_CHECK(value.count() == 0);

    const Members members = membersOf(value);
    FUZZ_CHECK(members.size() == static_cast<std::size_t>(value.memberCount()));
    for (const auto& [key, member] : members) {
        // Keys are unique, so a lookup by key finds exactly the member the iteration gave.
        FUZZ_CHECK(&value.member(key) == member);
        walkTree(*member);
    }
    for (std::int32_t i = 0; i < value.count(); ++i)
        walkTree(value.element(i));
    FUZZ_CHECK(&value.element(value.count()) == &JsonValue::empty());
    FUZZ_CHECK(&value.element(-1) == &JsonValue::empty());
}

// --- Replays ---------------------------------------------------------------------------------------------

// A language with a few names of the sample generator, so that lookups find something now and then.
const Language& fuzzLanguage() {
    static const Language language(PrefFile::parse(
        u"[text]\ntxt3 = win\ntxt4 = loss\ntxt5 = draw\ntxt6 = n/a\ntxt7 = not a replay\ntxt57 = hero\n"
        u"txt64 = first\ntxt70 = last\n[mapnames]\n05_red_steppe = Red Steppe\n[gameplayIDs]\nctf = "
        u"Standard\n"
        u"[nations]\nnordland = Nordland\n[vehicles]\nN01_Warden = Warden\n"));
    return language;
}

// Files that live as long as the process: the replay written for the file reader, and a settings file with
// shell prices for the details.
class ScratchFiles final {
public:
    ScratchFiles() {
        std::error_code ec;
        const auto folder = std::filesystem::temp_directory_path(ec);
        const std::string tag = "tapeloft-fuzz-" + std::to_string(std::random_device{}());
        replay = folder / (tag + ".ivlreplay");
        settings = folder / (tag + ".ini");
        std::ofstream out(settings, std::ios::binary);
        out << "[cenasnaryda]\r\nN01_Warden = 250\r\nA = 7\r\n = 1\r\n";
    }
    ~ScratchFiles() {
        std::error_code ec;
        std::filesystem::remove(replay, ec);
        std::filesystem::remove(settings, ec);
    }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

    std::filesystem::path replay;
    std::filesystem::path settings;
};

ScratchFiles& scratch() {
    static ScratchFiles files;
    return files;
}

bool sameBlocks(const ReplayBlocks& a, const ReplayBlocks& b) {
    return a.status == b.status && a.descriptionAt == b.descriptionAt && a.resultsAt == b.resultsAt &&
           a.descriptionUtf8 == b.descriptionUtf8 && a.resultsUtf8 == b.resultsUtf8;
}

void checkBlocks(const ReplayBlocks& blocks) {
    if (blocks.status != ReplayStatus::Opened) {
        FUZZ_CHECK(blocks.descriptionAt == 0 && blocks.resultsAt == 0);
        FUZZ_CHECK(blocks.descriptionUtf8.empty() && blocks.resultsUtf8.empty());
        return;
    }
    FUZZ_CHECK(blocks.descriptionAt >= 0 && blocks.resultsAt >= 0);
    FUZZ_CHECK(isValidUtf8(blocks.descriptionUtf8));
    FUZZ_CHECK(isValidUtf8(blocks.resultsUtf8));
    if (blocks.descriptionAt != 0) FUZZ_CHECK(blocks.descriptionUtf8.starts_with("{\""));
    if (blocks.resultsAt != 0 && !blocks.resultsUtf8.empty()) FUZZ_CHECK(blocks.resultsUtf8.front() == '[');
    if (blocks.resultsAt != 0 && blocks.resultsUtf8.size() >= 2)
        FUZZ_CHECK(blocks.resultsUtf8.starts_with("[{"));
}

void checkRecord(const ReplayBlocks& blocks, const BattleRecord& record, std::u16string_view path) {
    switch (blocks.status) {
    case ReplayStatus::NotOpened:
    case ReplayStatus::Oversized:
        FUZZ_CHECK(record.kind == BattleRecordKind::Unreadable);
        break;
    case ReplayStatus::HeaderRejected:
        FUZZ_CHECK(record.kind == BattleRecordKind::Marker);
        break;
    case ReplayStatus::Opened:
        FUZZ_CHECK(record.kind == BattleRecordKind::Full || record.kind == BattleRecordKind::NoResults ||
                   record.kind == BattleRecordKind::Unreadable);
        break;
    }
    if (record.kind == BattleRecordKind::Unreadable) {
        FUZZ_CHECK(record.rowText.empty());
        return;
    }
    // Whatever the replay holds, the row has its 40 cells and column 32 names the file: the commands
    // find the file to delete or move there.
    std::vector<std::u16string_view> cells;
    std::u16string_view rest = record.rowText;
    for (;;) {
        const auto lf = rest.find(u'\n');
        cells.push_back(rest.substr(0, lf));
        if (lf == std::u16string_view::npos) break;
        rest.remove_prefix(lf + 1);
    }
    FUZZ_CHECK(cells.size() == 40);
    FUZZ_CHECK(cells[32] == path);
    FUZZ_CHECK(cells[0].empty());
}

void checkDetails(const ReplayBlocks& blocks, const BattleDetails& details) {
    switch (blocks.status) {
    case ReplayStatus::NotOpened:
        FUZZ_CHECK(details.status == BattleDetailsStatus::NotOpened);
        return;
    case ReplayStatus::HeaderRejected:
        FUZZ_CHECK(details.status == BattleDetailsStatus::HeaderRejected);
        return;
    case ReplayStatus::Oversized:
        FUZZ_CHECK(details.status == BattleDetailsStatus::DescriptionUnreadable);
        return;
    case ReplayStatus::Opened:
        FUZZ_CHECK(details.status == BattleDetailsStatus::Opened ||
                   details.status == BattleDetailsStatus::DescriptionUnreadable);
        break;
    }
    if (details.status != BattleDetailsStatus::Opened) return;
    if (!details.hasResults) {
        FUZZ_CHECK(!details.creditsText && !details.shotsText && !details.ammoCostText &&
                   !details.netCreditsText);
        FUZZ_CHECK(details.achievements.empty());
    } else {
        FUZZ_CHECK(details.creditsText && details.shotsText && details.ammoCostText &&
                   details.netCreditsText);
    }
    for (const auto* rows : {&details.team1Rows, &details.team2Rows})
        for (const TeamRow& row : *rows)
            FUZZ_CHECK(!row.fragsText.empty());
}

// --- Preference files ---------------------------------------------------------------------------------

bool sameLines(const std::vector<PrefLine>& a, const std::vector<PrefLine>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].key != b[i].key || a[i].text != b[i].text) return false;
    return true;
}

bool samePrefs(const PrefFile& a, const PrefFile& b) {
    if (!sameLines(a.leadingLines(), b.leadingLines()) || a.groups().size() != b.groups().size())
        return false;
    for (std::size_t i = 0; i < a.groups().size(); ++i)
        if (a.groups()[i].name != b.groups()[i].name || !sameLines(a.groups()[i].lines, b.groups()[i].lines))
            return false;
    return true;
}

} // namespace

void fuzzJson(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = asBytes(data, size);
    auto fromUtf8 = parseJsonUtf8(bytes);
    const auto fromUtf16 = parseJson(utf8ToUtf16(bytes));
    FUZZ_CHECK(fromUtf8.has_value() == fromUtf16.has_value());
    if (fromUtf8) {
        compareTrees(fromUtf8->root(), fromUtf16->root());
        walkTree(fromUtf8->root());
        const JsonDocument moved = std::move(*fromUtf8);
        FUZZ_CHECK(fromUtf8->root().kind() == JsonKind::Unset);
        FUZZ_CHECK(moved.root().kind() == JsonKind::Object || moved.root().kind() == JsonKind::Array);
    }

    // The same bytes as UTF-16 units: lone surrogates, NULs and every unit the UTF-8 path never produces.
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (const auto wide = parseJson(units)) walkTree(wide->root());
}

void fuzzReplay(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = asBytes(data, size);
    // Small chunks move every chunk boundary through the input; the length picks the size.
    const std::size_t smallChunk = 1 + size % 17;
    ScratchFiles& files = scratch();
    {
        std::ofstream out(files.replay, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        FUZZ_CHECK(out.good());
    }

    ReplayBlocks read[2];
    const HeaderTest tests[2] = {HeaderTest::Scan, HeaderTest::Details};
    for (int t = 0; t < 2; ++t) {
        read[t] = readReplayBytes(bytes, tests[t]);
        FUZZ_CHECK(sameBlocks(read[t], readReplayBytes(bytes, tests[t], smallChunk)));
        FUZZ_CHECK(sameBlocks(read[t], readReplayBlocks(files.replay, tests[t])));
        checkBlocks(read[t]);
    }

    const std::u16string path = u"/replays/fuzz.ivlreplay";
    checkRecord(read[0], battleRecordFromBlocks(read[0], path, fuzzLanguage()), path);
    checkDetails(read[1], battleDetailsFromBlocks(read[1], fuzzLanguage(), files.settings));
}

void fuzzPrefs(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = asBytes(data, size);
    PrefFile first = PrefFile::fromBytes(bytes);
    const std::string once = first.toBytes();
    const PrefFile second = PrefFile::fromBytes(once);
    FUZZ_CHECK(samePrefs(first, second));
    FUZZ_CHECK(second.toBytes() == once);

    // The language reads every key as the file does.
    const Language language(first);
    FUZZ_CHECK(language.message(0) == u"n/a" && language.message(Language::messageCount + 1) == u"n/a");
    for (int n = 1; n <= Language::messageCount; ++n) {
        // Messages the file lacks read as the program's own text where it has one.
        std::u16string_view fallback = u"n/a";
        for (const builtin::DefaultMessage& d : builtin::defaultMessages)
            if (d.message == n) fallback = d.text;
        FUZZ_CHECK(language.message(n) == first.text(u"text", u"txt" + decimal(n), fallback));
    }
    for (const PrefGroup& group : first.groups())
        for (const PrefLine& line : group.lines)
            if (line.kind == PrefLine::Kind::key)
                FUZZ_CHECK(language.lookup(group.name, line.key) == *first.find(group.name, line.key));

    // A group, key and value cut from the decoded text: stored when canStore allows it, and read back.
    const std::u16string text = utf8ToUtf16(bytes);
    const std::size_t a = size > 0 ? data[0] % (text.size() + 1) : 0;
    const std::size_t b = size > 1 ? a + data[1] % (text.size() - a + 1) : a;
    const std::u16string_view all = text;
    const std::u16string_view group = all.substr(0, a), key = all.substr(a, b - a), value = all.substr(b);
    const bool storable = PrefFile::canStore(group, key, value);
    FUZZ_CHECK(first.set(group, key, value) == storable);
    if (!storable) {
        FUZZ_CHECK(first.toBytes() == once);
        return;
    }
    FUZZ_CHECK(first.find(group, key) == trimBlanks(value));
    const PrefFile reread = PrefFile::fromBytes(first.toBytes());
    FUZZ_CHECK(reread.find(group, key) == trimBlanks(value));
}

const char* targetName(Target target) {
    switch (target) {
    case Target::Json:
        return "json";
    case Target::Replay:
        return "replay";
    case Target::Prefs:
        return "prefs";
    case Target::Xls:
        return "xls";
    case Target::ListModel:
        return "listmodel";
    case Target::Settings:
        return "settings";
    case Target::Paths:
        return "paths";
    case Target::Cache:
        return "cache";
    }
    return "";
}

} // namespace tapeloft::fuzz
