#pragma once

#include "app/ListModel.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The data behind the settings window: the language files on offer, the account, and the column list
// whose check marks choose the visible columns of both record lists.
namespace tapeloft {

// Row r of the column list stands for column r + 1 of the record lists (column 0 is never offered).
inline constexpr int kColumnChoiceRows = 39;
inline constexpr int kColumnChoiceWidth = 240;
// The width a hidden column gets when it is checked again.
inline constexpr int kShownColumnWidth = 100;

// The names of the files in folder (empty: the current directory) whose names end in ".lng", letter case
// ignored, in the order the listing returns them; folders are skipped. Empty when the folder cannot be
// listed; an error part-way keeps the names listed until then.
std::vector<std::u16string> listLanguageFiles(const std::filesystem::path& folder);

// The index of the entry equal to languageFile, letter case included; -1 when there is none.
int languageFileIndex(std::span<const std::u16string> files, std::u16string_view languageFile);

// The column list: one column kColumnChoiceWidth wide with an empty header, and for every column 1 ... 39
// of replayList a row holding its header text, checked while its width is not 0. Columns replayList lacks
// give no row. Never fails.
ListModel makeColumnChoiceList(const ListModel& replayList);

// Applies the check marks of the column list to both record lists: a checked row whose column is hidden
// in replayList shows that column 100 wide in both lists, an unchecked row hides its column in both, and
// a checked row whose column is visible changes nothing. Rows and columns that do not exist are skipped.
void applyColumnChoices(const ListModel& choices, ListModel& replayList, ListModel& favouritesList);

struct AccountSettings final {
    std::u16string userName; // "MRlog"
    std::u16string password; // "MRpass", stored as plain text
};

// "MRlog" and "MRpass" of group "accaunts"; empty texts for whatever is missing or unreadable.
AccountSettings readAccountSettings(const std::filesystem::path& settingsFile);

struct SettingsEdit final {
    AccountSettings account;
    // The chosen language file for "Lang"; nullopt leaves the stored value as it is.
    std::optional<std::u16string> languageFile;
};

// Writes "MRlog", "MRpass" and, when chosen, "Lang" in one atomic save. Returns false, leaving the file as
// it was, when writeSettings fails (unreadable file, a value the format cannot hold, failed save).
bool storeSettingsEdit(const std::filesystem::path& settingsFile, const SettingsEdit& edit);

// The Save of the settings window: applyColumnChoices, then storeSettingsEdit. The widths are applied even
// when the store fails; returns whether the values were stored.
bool saveSettingsEdit(const std::filesystem::path& settingsFile, const SettingsEdit& edit,
                      const ListModel& choices, ListModel& replayList, ListModel& favouritesList);

} // namespace tapeloft
