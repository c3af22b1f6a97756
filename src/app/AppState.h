#pragma once

#include "base/Language.h"
#include "base/PrefFile.h"
#include "replay/RecordColumns.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tapeloft {

// The shell's state. The filter snapshots and window handles live in the GUI.
struct AppState final {
    std::u16string version;
    std::u16string settingsFile;
    std::u16string languageFile;
    Language language;
    std::u16string replayFolder;
    std::u16string favouritesFolder;
    std::array<std::int32_t, RecordColumnCount> columnOrder{};
    // Player name to web address, for the two team lists of the details window.
    std::unordered_map<std::u16string, std::u16string> team1Links;
    std::unordered_map<std::u16string, std::u16string> team2Links;
    bool replayFilterOn = false;
    bool favouriteFilterOn = false;
    bool detailsClosed = true;
    std::u16string priceKey;
    std::u16string priceText;

    // Message n of the language file; "n/a" when it is missing or n is out of range.
    const std::u16string& message(int n) const { return language.message(n); }
};

inline constexpr std::u16string_view programVersion = u"v.0.1.5 b";

// What loadSettingsAndLanguage found; start-up goes on with defaults whatever it says.
struct StartupFiles final {
    PrefLoadStatus settings = PrefLoadStatus::missing; // as found, before a missing file was created
    PrefLoadStatus language = PrefLoadStatus::missing;
};

// Fills the state from Settings.ini and the language file it names, creating an empty Settings.ini when
// there is none. Both files are looked up in `folder` (empty: the current directory). Missing or
// unreadable files give the defaults ("n/a" messages, folders "n/a"); nothing is reported.
StartupFiles loadSettingsAndLanguage(AppState& state, const std::filesystem::path& folder = {});

// Whether a folder setting names a real folder rather than the placeholder text: on Windows it contains
// ":\" (a drive path), elsewhere it is an absolute path. False for anything else.
bool isConfiguredFolder(std::u16string_view path);

} // namespace tapeloft
