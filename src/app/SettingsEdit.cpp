#include "app/SettingsEdit.h"

#include "base/Settings.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <system_error>

namespace tapeloft {

namespace {

constexpr std::u16string_view kLanguageSuffix = u".lng";

bool hasLanguageSuffix(std::u16string_view name) {
    // A bare ".lng" counts too, as "*.lng" matches it.
    return name.size() >= kLanguageSuffix.size() &&
           equalsIgnoreCase(name.substr(name.size() - kLanguageSuffix.size()), kLanguageSuffix);
}

} // namespace

std::vector<std::u16string> listLanguageFiles(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::vector<std::u16string> names;
    std::error_code ec;
    fs::directory_iterator entry(folder.empty() ? fs::path(u".") : folder, ec);
    for (const fs::directory_iterator end; !ec && entry != end; entry.increment(ec)) {
        const std::u16string name = textFromPath(entry->path().filename());
        if (!hasLanguageSuffix(name)) continue;
        std::error_code typeError;
        // An entry whose type cannot be told is no folder we know of, so it is offered.
        if (entry->is_directory(typeError)) continue;
        names.push_back(name);
    }
    return names;
}

int languageFileIndex(std::span<const std::u16string> files, std::u16string_view languageFile) {
    const auto found = std::find(files.begin(), files.end(), languageFile);
    return found == files.end() ? -1 : static_cast<int>(found - files.begin());
}

ListModel makeColumnChoiceList(const ListModel& replayList) {
    ListModel choices({ListColumn{u"", kColumnChoiceWidth, ColumnAlignment::Left}});
    const int rows = std::min(kColumnChoiceRows, replayList.columnCount() - 1);
    for (int row = 0; row < rows; ++row) {
        // The header is the row's one cell; a line feed in it would start a cell the list does not have.
        const std::u16string_view header = replayList.headerText(row + 1);
        const int added = choices.appendRow(header.substr(0, header.find(u'\n')));
        choices.setChecked(added, replayList.columnWidth(row + 1) != 0);
    }
    return choices;
}

void applyColumnChoices(const ListModel& choices, ListModel& replayList, ListModel& favouritesList) {
    const int rows = std::min(kColumnChoiceRows, choices.rowCount());
    for (int row = 0; row < rows; ++row) {
        const int column = row + 1;
        if (column >= replayList.columnCount()) break;
        if (!choices.isChecked(row)) {
            replayList.setColumnWidth(column, 0);
            favouritesList.setColumnWidth(column, 0);
        } else if (replayList.columnWidth(column) == 0) {
            replayList.setColumnWidth(column, kShownColumnWidth);
            favouritesList.setColumnWidth(column, kShownColumnWidth);
        }
    }
}

AccountSettings readAccountSettings(const std::filesystem::path& settingsFile) {
    const PrefFile prefs = readSettings(settingsFile);
    return {prefs.text(settings::groupAccount, settings::keyLogin, u""),
            prefs.text(settings::groupAccount, settings::keyPassword, u"")};
}

bool storeSettingsEdit(const std::filesystem::path& settingsFile, const SettingsEdit& edit) {
    using namespace settings;
    std::vector<SettingWrite> writes{
        {std::u16string(groupAccount), std::u16string(keyLogin), edit.account.userName},
        {std::u16string(groupAccount), std::u16string(keyPassword), edit.account.password},
    };
    if (edit.languageFile)
        writes.push_back({std::u16string(groupFolders), std::u16string(keyLanguageFile), *edit.languageFile});
    return writeSettings(settingsFile, writes);
}

bool saveSettingsEdit(const std::filesystem::path& settingsFile, const SettingsEdit& edit,
                      const ListModel& choices, ListModel& replayList, ListModel& favouritesList) {
    applyColumnChoices(choices, replayList, favouritesList);
    return storeSettingsEdit(settingsFile, edit);
}

} // namespace tapeloft
