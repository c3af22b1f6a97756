#pragma once

#include "base/PrefFile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

// Settings.ini: its groups, keys and defaults, and access that opens the file, reads or writes and lets it
// go again; the file is never held open.
namespace tapeloft {

namespace settings {

inline constexpr std::u16string_view fileName = u"Settings.ini";

inline constexpr std::u16string_view groupFilepath = u"filepath";
inline constexpr std::u16string_view keyLang = u"Lang";
inline constexpr std::u16string_view keyPathRepl = u"path_repl";
inline constexpr std::u16string_view keyPathIzbr = u"path_izbr";
inline constexpr std::u16string_view defaultLang = u"rus.lng";

inline constexpr std::u16string_view groupWndSett = u"WndSett";
inline constexpr std::u16string_view keyWndX = u"wndX";
inline constexpr std::u16string_view keyWndY = u"wndY";
inline constexpr std::u16string_view keyWndW = u"wndW";
inline constexpr std::u16string_view keyWndH = u"wndH";
inline constexpr std::int32_t defaultWndX = 100;
inline constexpr std::int32_t defaultWndY = 80;
inline constexpr std::int32_t defaultWndW = 880;
inline constexpr std::int32_t defaultWndH = 625;
inline constexpr int columnCount = 40;
inline constexpr std::int32_t defaultColumnWidth = 100;
// "Col" followed by the column number in decimal ("Col0" ... "Col39").
std::u16string columnWidthKey(int column);

inline constexpr std::u16string_view groupAccaunts = u"accaunts";
inline constexpr std::u16string_view keyMRlog = u"MRlog";
inline constexpr std::u16string_view keyMRpass = u"MRpass";

// Keyed by vehicle tag; the value is the shell price as typed.
inline constexpr std::u16string_view groupCenasnaryda = u"cenasnaryda";
inline constexpr std::u16string_view defaultPrice = u"0";

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

// Group "WndSett": the main window's geometry and the widths of the 40 list columns.
struct WindowSettings final {
    std::int32_t x = settings::defaultWndX;
    std::int32_t y = settings::defaultWndY;
    std::int32_t width = settings::defaultWndW;
    std::int32_t height = settings::defaultWndH;
    std::array<std::int32_t, settings::columnCount> columnWidths = defaultColumnWidths();

    static constexpr std::array<std::int32_t, settings::columnCount> defaultColumnWidths() {
        std::array<std::int32_t, settings::columnCount> widths{};
        widths.fill(settings::defaultColumnWidth);
        return widths;
    }
};

// The stored geometry; defaults for whatever is missing or unreadable.
WindowSettings readWindowSettings(const std::filesystem::path& file);
// Writes wndX, wndY, wndW, wndH and Col0 ... Col39 in one save; false as for writeSettings.
bool writeWindowSettings(const std::filesystem::path& file, const WindowSettings& window);

} // namespace tapeloft
