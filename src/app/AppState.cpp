#include "app/AppState.h"

#include "base/Settings.h"
#include "base/TextCodec.h"

namespace tapeloft {

StartupFiles loadSettingsAndLanguage(AppState& state, const std::filesystem::path& folder) {
    StartupFiles found;
    state.columnOrder.fill(0);
    state.replayFilterOn = false;
    state.favouriteFilterOn = false;
    state.detailsClosed = true;
    state.version = programVersion;
    state.settingsFile = settings::fileName;

    const std::filesystem::path settingsPath = folder / pathFromText(state.settingsFile);
    found.settings = ensureSettingsFile(settingsPath);
    // Nothing writes the file between here and the folder reads below, so one reading serves both.
    const PrefFile prefs = readSettings(settingsPath);
    state.languageFile =
        prefs.text(settings::groupFolders, settings::keyLanguageFile, settings::defaultLanguageFile);

    const PrefLoad language = loadPrefFile(folder / pathFromText(state.languageFile));
    found.language = language.status;
    state.language = language.status == PrefLoadStatus::loaded ? Language(language.file) : Language();

    state.replayFolder =
        prefs.text(settings::groupFolders, settings::keyReplayFolder, state.message(MsgChooseReplayFolder));
    state.favouritesFolder = prefs.text(settings::groupFolders, settings::keyFavouritesFolder,
                                        state.message(MsgChooseFavouritesFolder));

    constexpr std::size_t linkSlots = 512;
    state.team1Links.clear();
    state.team2Links.clear();
    state.team1Links.reserve(linkSlots);
    state.team2Links.reserve(linkSlots);
    return found;
}

bool isConfiguredFolder(std::u16string_view path) {
#ifdef _WIN32
    return path.find(u":\\") != std::u16string_view::npos;
#else
    return !path.empty() && path.front() == u'/';
#endif
}

} // namespace tapeloft
