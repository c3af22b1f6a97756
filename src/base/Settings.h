#pragma once

#include "base/PrefFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Settings.ini: its groups, keys and defaults, and access that opens the file, reads or writes and lets it
// go again; the file is never held open.
namespace tapeloft {

namespace settings {

inline constexpr std::u16string_view fileName = u"Settings.ini";

inline constexpr std::u16string_view groupFolders = u"filepath";
inline constexpr std::u16string_view keyLanguageFile = u"Lang";
inline constexpr std::u16string_view keyReplayFolder = u"path_repl";
inline constexpr std::u16string_view keyFavouritesFolder = u"path_izbr";
inline constexpr std::u16string_view defaultLanguageFile = u"rus.lng";

inline constexpr std::u16string_view groupWindow = u"WndSett";
inline constexpr std::u16string_view keyWindowX = u"wndX";
inline constexpr std::u16string_view keyWindowY = u"wndY";
inline constexpr std::u16string_view keyWindowWidth = u"wndW";
inline constexpr std::u16string_view keyWindowHeight = u"wndH";
// 1 when the window was maximised; wndX ... wndH are then its normal geometry. Older files lack it.
inline constexpr std::u16string_view keyWindowMaximised = u"wndMax";
inline constexpr std::int32_t defaultWindowX = 100;
inline constexpr std::int32_t defaultWindowY = 80;
inline constexpr std::int32_t defaultWindowWidth = 880;
inline constexpr std::int32_t defaultWindowHeight = 625;
inline constexpr std::int32_t defaultColumnWidth = 100;
// "Col" followed by the column number in decimal ("Col0" ... "Col39").
std::u16string columnWidthKey(int column);

// Where the statistics window was when it last closed, under the same four keys as the main window's.
inline constexpr std::u16string_view groupStatisticsWindow = u"StatWnd";

inline constexpr std::u16string_view groupAccount = u"accaunts";
inline constexpr std::u16string_view keyLogin = u"MRlog";
inline constexpr std::u16string_view keyPassword = u"MRpass";

// Keyed by vehicle tag; the value is the shell price as typed.
inline constexpr std::u16string_view groupShellPrices = u"cenasnaryda";
inline constexpr std::u16string_view defaultShellPrice = u"0";

} // namespace settings

// The settings as stored; empty when the file is missing or unreadable, so every read gives its default.
PrefFile readSettings(const std::filesystem::path& file);
// One value; fallback when the file, the group or the key is missing or the file cannot be read.
std::u16string readSettingText(const std::filesystem::path& file, std::u16string_view group,
                               std::u16string_view key, std::u16string_view fallback);
// The leading decimal integer of the value (0 when it has none); fallback as for readSettingText.
std::int32_t readSettingInt(const std::filesystem::path& file, std::u16string_view group,
                            std::u16string_view key, std::int32_t fallback);

struct SettingWrite final {
    std::u16string group;
    std::u16string key;
    std::u16string value;
};

// Stores all values with one load and one atomic save (a missing file is created). Returns false, leaving
// the file as it was, when it exists but cannot be read, when a name or value cannot be stored in the
// format (PrefFile::canStore), or when the save fails.
bool writeSettings(const std::filesystem::path& file, std::span<const SettingWrite> writes);
// One value; false as for writeSettings.
bool writeSettingText(const std::filesystem::path& file, std::u16string_view group, std::u16string_view key,
                      std::u16string_view value);
bool writeSettingInt(const std::filesystem::path& file, std::u16string_view group, std::u16string_view key,
                     std::int32_t value);

// Creates a settings file holding nothing (byte-order mark and CR LF) when nothing exists at the path.
// Returns the status of the file as found; a failed creation is not reported (reads give defaults).
PrefLoadStatus ensureSettingsFile(const std::filesystem::path& file);

// Group "WndSett": the main window's geometry and the widths of the list columns ("Col0", "Col1", ...).
struct WindowSettings final {
    std::int32_t x = settings::defaultWindowX;
    std::int32_t y = settings::defaultWindowY;
    std::int32_t width = settings::defaultWindowWidth;
    std::int32_t height = settings::defaultWindowHeight;
    bool maximised = false;
    std::vector<std::int32_t> columnWidths;
};

// The stored geometry and the widths of columnCount columns; defaults for whatever is missing or unreadable.
WindowSettings readWindowSettings(const std::filesystem::path& file, int columnCount);
// Writes wndX, wndY, wndW, wndH, wndMax and a width key for every column in one save; false as for
// writeSettings.
bool writeWindowSettings(const std::filesystem::path& file, const WindowSettings& window);

// A window's outer left and top and its inner size.
struct WindowPlace final {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

// The place stored in the group under wndX, wndY, wndW and wndH; nullopt unless all four are there.
std::optional<WindowPlace> readWindowPlace(const std::filesystem::path& file, std::u16string_view group);
// The four keys in one save; false as for writeSettings.
bool writeWindowPlace(const std::filesystem::path& file, std::u16string_view group, const WindowPlace& place);

} // namespace tapeloft
