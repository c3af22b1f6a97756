// The settings target: the same bytes as ColumnOrder.Dat and as Settings.ini, read through the typed readers.
#include "FuzzEntries.h"
#include "FuzzSupport.h"

#include "app/ListModel.h"
#include "app/ReplayList.h"
#include "app/SettingsEdit.h"
#include "base/ColumnOrderFile.h"
#include "base/Language.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "replay/RecordColumns.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tapeloft::fuzz {

namespace {

namespace fs = std::filesystem;

// Keys read back one file read each; the first ones of a file are enough.
constexpr std::size_t kMaxKeysRead = 24;

ScratchFolder& scratch() {
    static ScratchFolder folder("settings");
    return folder;
}

// --- ColumnOrder.Dat ----------------------------------------------------------------------------------

// The file's layout: 40 little-endian 32-bit entries.
std::string orderBytes(std::span<const int> order) {
    std::string bytes;
    for (const int entry : order)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((static_cast<std::uint32_t>(entry) >> shift) & 0xFFu));
    return bytes;
}

bool isPermutation(std::span<const int> order) {
    std::vector<int> sorted(order.begin(), order.end());
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 0; k < sorted.size(); ++k)
        if (sorted[k] != static_cast<int>(k)) return false;
    return sorted.size() == static_cast<std::size_t>(RecordColumnCount);
}

std::vector<int> entriesOf(std::string_view bytes) {
    std::vector<int> entries;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < 4; ++b)
            value |= std::uint32_t{static_cast<unsigned char>(bytes[at + b])} << (8 * b);
        entries.push_back(static_cast<std::int32_t>(value));
    }
    return entries;
}

void checkColumnOrder(std::string_view bytes) {
    const fs::path file = scratch().path() / pathFromText(kColumnOrderFileName);
    FUZZ_CHECK(writeBytes(file, bytes));
    const std::optional<std::vector<std::int32_t>> stored = readColumnOrder(file, RecordColumnCount);
    // Taken exactly when the file is 40 entries that name every column once.
    const bool valid = bytes.size() == 4 * std::size_t{RecordColumnCount} && isPermutation(entriesOf(bytes));
    FUZZ_CHECK(stored.has_value() == valid);
    if (stored) FUZZ_CHECK(orderBytes(std::vector<int>(stored->begin(), stored->end())) == bytes);

    // The list takes a stored order as it is and keeps the built order otherwise.
    ListModel list = makeReplayListModel(Language(), ReplayListKind::Replays);
    std::vector<int> built(RecordColumnCount);
    std::iota(built.begin(), built.end(), 0);
    if (stored) FUZZ_CHECK(list.setColumnOrder(std::vector<int>(stored->begin(), stored->end())));
    const std::vector<int> order = list.columnOrder();
    FUZZ_CHECK(stored ? std::equal(order.begin(), order.end(), stored->begin(), stored->end())
                      : order == built);

    // What the program writes on exit reads back as the same order.
    const fs::path saved = scratch().path() / "saved.dat";
    FUZZ_CHECK(writeColumnOrder(saved, order, RecordColumnCount));
    const std::optional<std::vector<std::int32_t>> reread = readColumnOrder(saved, RecordColumnCount);
    FUZZ_CHECK(reread && std::equal(order.begin(), order.end(), reread->begin(), reread->end()));

    // Any 40 entries are written as given and read back only when they are an order; other lengths are
    // refused and leave the file alone.
    const std::vector<int> entries = entriesOf(bytes);
    const bool fits = entries.size() == static_cast<std::size_t>(RecordColumnCount);
    FUZZ_CHECK(writeColumnOrder(saved, entries, RecordColumnCount) == fits);
    const std::string savedBytes = readBytes(saved);
    FUZZ_CHECK(savedBytes == orderBytes(fits ? entries : order));
    FUZZ_CHECK(readColumnOrder(saved, RecordColumnCount).has_value() == (!fits || isPermutation(entries)));
}

// --- Settings.ini -------------------------------------------------------------------------------------

struct KeyName {
    std::u16string group;
    std::u16string key;
};

std::vector<KeyName> keysOf(const PrefFile& prefs) {
    std::vector<KeyName> keys;
    for (const PrefGroup& group : prefs.groups())
        for (const PrefLine& line : group.lines)
            if (line.kind == PrefLine::Kind::key && keys.size() < kMaxKeysRead)
                keys.push_back({group.name, line.key});
    return keys;
}

bool isWindowKey(const KeyName& name) {
    using namespace settings;
    if (!equalsIgnoreCase(name.group, groupWindow)) return false;
    for (const std::u16string_view key : {keyWindowX, keyWindowY, keyWindowWidth, keyWindowHeight})
        if (equalsIgnoreCase(name.key, key)) return true;
    for (int column = 0; column < RecordColumnCount; ++column)
        if (equalsIgnoreCase(name.key, columnWidthKey(column))) return true;
    return false;
}

bool sameWindow(const WindowSettings& a, const WindowSettings& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height &&
           a.columnWidths == b.columnWidths;
}

// Every typed reader gives what the file says, or its default where the file says nothing.
void checkReaders(const fs::path& ini, const PrefFile& file) {
    using namespace settings;
    FUZZ_CHECK(readSettings(ini).toBytes() == file.toBytes());
    for (const KeyName& name : keysOf(file)) {
        const std::optional<std::u16string_view> value = file.find(name.group, name.key);
        FUZZ_CHECK(value.has_value());
        FUZZ_CHECK(readSettingText(ini, name.group, name.key, u"-") == *value);
        FUZZ_CHECK(readSettingInt(ini, name.group, name.key, -1) == leadingInt32(*value));
    }
    // No group of a file has "]" in its name.
    FUZZ_CHECK(readSettingText(ini, u"]", keyLanguageFile, u"fallback") == u"fallback");
    FUZZ_CHECK(readSettingInt(ini, u"]", keyWindowX, 17) == 17);

    const WindowSettings window = readWindowSettings(ini, RecordColumnCount);
    FUZZ_CHECK(window.x == file.integer(groupWindow, keyWindowX, defaultWindowX));
    FUZZ_CHECK(window.y == file.integer(groupWindow, keyWindowY, defaultWindowY));
    FUZZ_CHECK(window.width == file.integer(groupWindow, keyWindowWidth, defaultWindowWidth));
    FUZZ_CHECK(window.height == file.integer(groupWindow, keyWindowHeight, defaultWindowHeight));
    FUZZ_CHECK(window.columnWidths.size() == std::size_t{RecordColumnCount});
    for (int column = 0; column < RecordColumnCount; ++column)
        FUZZ_CHECK(window.columnWidths[static_cast<std::size_t>(column)] ==
                   file.integer(groupWindow, columnWidthKey(column), defaultColumnWidth));

    const AccountSettings account = readAccountSettings(ini);
    FUZZ_CHECK(account.userName == file.text(groupAccount, keyLogin, u""));
    FUZZ_CHECK(account.password == file.text(groupAccount, keyPassword, u""));

    // An existing file is left as it is.
    const std::string before = readBytes(ini);
    FUZZ_CHECK(ensureSettingsFile(ini) == PrefLoadStatus::loaded);
    FUZZ_CHECK(readBytes(ini) == before);
}

// The window settings written on exit read back as written, and every other key keeps its value.
void checkWindowWrite(FuzzInput& input, const fs::path& ini, const PrefFile& file) {
    WindowSettings window = readWindowSettings(ini, RecordColumnCount);
    for (int n = static_cast<int>(input.below(6)); n > 0; --n) {
        const std::size_t field = input.below(4 + RecordColumnCount);
        const std::int32_t value = input.int32();
        if (field == 0) window.x = value;
        if (field == 1) window.y = value;
        if (field == 2) window.width = value;
        if (field == 3) window.height = value;
        if (field >= 4) window.columnWidths[field - 4] = value;
    }
    FUZZ_CHECK(writeWindowSettings(ini, window));
    FUZZ_CHECK(sameWindow(readWindowSettings(ini, RecordColumnCount), window));
    const PrefFile after = readSettings(ini);
    for (const KeyName& name : keysOf(file))
        if (!isWindowKey(name))
            FUZZ_CHECK(after.find(name.group, name.key) == file.find(name.group, name.key));
}

// A group, key and value from the input: stored when the format can hold them and read back without their
// outer blanks; refused otherwise with the file unchanged. Integers read back exactly.
void checkValueWrite(FuzzInput& input, const fs::path& ini) {
    using namespace settings;
    const std::u16string_view groups[] = {groupFolders, groupWindow, groupAccount, groupShellPrices};
    const std::u16string_view keys[] = {keyLanguageFile, keyReplayFolder, keyFavouritesFolder,
                                        keyLogin,        keyPassword,     keyWindowX};
    const std::u16string group =
        input.flag() ? std::u16string(groups[input.below(std::size(groups))]) : input.text(24);
    const std::u16string key =
        input.flag() ? std::u16string(keys[input.below(std::size(keys))]) : input.text(24);
    const std::u16string value = input.text(300);

    const std::string before = readBytes(ini);
    const bool storable = PrefFile::canStore(group, key, value);
    FUZZ_CHECK(writeSettingText(ini, group, key, value) == storable);
    if (!storable) {
        FUZZ_CHECK(readBytes(ini) == before);
        return;
    }
    FUZZ_CHECK(readSettingText(ini, group, key, u"\n") == trimBlanks(value));

    const std::int32_t number = input.int32();
    FUZZ_CHECK(writeSettingInt(ini, group, key, number));
    FUZZ_CHECK(readSettingInt(ini, group, key, number ^ 1) == number);
}

void checkSettings(std::string_view bytes, FuzzInput& input) {
    const fs::path ini = scratch().path() / pathFromText(settings::fileName);
    FUZZ_CHECK(writeBytes(ini, bytes));
    const PrefFile file = PrefFile::fromBytes(bytes);
    checkReaders(ini, file);
    checkWindowWrite(input, ini, file);
    checkValueWrite(input, ini);
}

} // namespace

void fuzzSettings(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = asBytes(data, size);
    checkColumnOrder(bytes);
    // The choices of the writes come from the end of the file, which the readers see as its last line.
    std::string_view tail = bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 64));
    FuzzInput input(tail);
    checkSettings(bytes, input);
}

} // namespace tapeloft::fuzz
