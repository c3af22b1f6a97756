#include "base/Settings.h"

#include "base/TextCodec.h"

#include <vector>

namespace tapeloft {

std::u16string settings::columnWidthKey(int column) {
    return u"Col" + decimal(column);
}

PrefFile readSettings(const std::filesystem::path& file) {
    return loadPrefFile(file).file;
}

std::u16string readSettingText(const std::filesystem::path& file, std::u16string_view group,
                               std::u16string_view key, std::u16string_view fallback) {
    return readSettings(file).text(group, key, fallback);
}

std::int32_t readSettingInt(const std::filesystem::path& file, std::u16string_view group,
                            std::u16string_view key, std::int32_t fallback) {
    return readSettings(file).integer(group, key, fallback);
}

bool writeSettings(const std::filesystem::path& file, std::span<const SettingWrite> writes) {
    PrefLoad loaded = loadPrefFile(file);
    // A file that is there but could not be read would be replaced by an almost empty one.
    if (loaded.status == PrefLoadStatus::unreadable) return false;
    for (const SettingWrite& write : writes)
        if (!loaded.file.set(write.group, write.key, write.value)) return false;
    return savePrefFile(loaded.file, file);
}

bool writeSettingText(const std::filesystem::path& file, std::u16string_view group, std::u16string_view key,
                      std::u16string_view value) {
    const SettingWrite write{std::u16string(group), std::u16string(key), std::u16string(value)};
    return writeSettings(file, std::span(&write, 1));
}

bool writeSettingInt(const std::filesystem::path& file, std::u16string_view group, std::u16string_view key,
                     std::int32_t value) {
    return writeSettingText(file, group, key, decimal(value));
}

PrefLoadStatus ensureSettingsFile(const std::filesystem::path& file) {
    const PrefLoadStatus status = loadPrefFile(file).status;
    if (status == PrefLoadStatus::missing) (void)savePrefFile(PrefFile{}, file);
    return status;
}

WindowSettings readWindowSettings(const std::filesystem::path& file, int columnCount) {
    using namespace settings;
    const PrefFile prefs = readSettings(file);
    WindowSettings window;
    window.height = prefs.integer(groupWindow, keyWindowHeight, defaultWindowHeight);
    window.width = prefs.integer(groupWindow, keyWindowWidth, defaultWindowWidth);
    window.y = prefs.integer(groupWindow, keyWindowY, defaultWindowY);
    window.x = prefs.integer(groupWindow, keyWindowX, defaultWindowX);
    window.maximised = prefs.integer(groupWindow, keyWindowMaximised, 0) != 0;
    for (int i = 0; i < columnCount; ++i)
        window.columnWidths.push_back(prefs.integer(groupWindow, columnWidthKey(i), defaultColumnWidth));
    return window;
}

bool writeWindowSettings(const std::filesystem::path& file, const WindowSettings& window) {
    using namespace settings;
    const std::u16string group(groupWindow);
    std::vector<SettingWrite> writes{
        {group, std::u16string(keyWindowX), decimal(window.x)},
        {group, std::u16string(keyWindowY), decimal(window.y)},
        {group, std::u16string(keyWindowWidth), decimal(window.width)},
        {group, std::u16string(keyWindowHeight), decimal(window.height)},
        {group, std::u16string(keyWindowMaximised), decimal(window.maximised ? 1 : 0)},
    };
    for (std::size_t i = 0; i < window.columnWidths.size(); ++i)
        writes.push_back({group, columnWidthKey(static_cast<int>(i)), decimal(window.columnWidths[i])});
    return writeSettings(file, writes);
}

std::optional<WindowPlace> readWindowPlace(const std::filesystem::path& file, std::u16string_view group) {
    using namespace settings;
    const PrefFile prefs = readSettings(file);
    for (const std::u16string_view key : {keyWindowX, keyWindowY, keyWindowWidth, keyWindowHeight})
        if (!prefs.find(group, key)) return std::nullopt;
    return WindowPlace{prefs.integer(group, keyWindowX, 0), prefs.integer(group, keyWindowY, 0),
                       prefs.integer(group, keyWindowWidth, 0), prefs.integer(group, keyWindowHeight, 0)};
}

bool writeWindowPlace(const std::filesystem::path& file, std::u16string_view group,
                      const WindowPlace& place) {
    using namespace settings;
    const std::u16string name(group);
    const SettingWrite writes[] = {
        {name, std::u16string(keyWindowX), decimal(place.x)},
        {name, std::u16string(keyWindowY), decimal(place.y)},
        {name, std::u16string(keyWindowWidth), decimal(place.width)},
        {name, std::u16string(keyWindowHeight), decimal(place.height)},
    };
    return writeSettings(file, writes);
}

} // namespace tapeloft
