#pragma once

#include "app/ReplayList.h"
#include "base/Settings.h"
#include "library/LiveFolder.h"
#include "library/RecordCache.h"
#include "replay/FolderScan.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The commands of the main window that act on folders, lists and files, without any window: the window
// calls them and shows what they changed.
namespace tapeloft {

struct AppState;
class FileOperations;
class ListModel;
class Platform;

// What the commands tell the window so it can show the new state.
class MainCommandsListener {
public:
    virtual ~MainCommandsListener() = default;
    // The folder of that list changed: its path field is to show it.
    virtual void folderChanged(ReplayListKind /*kind*/) {}
    // Row counts may have changed: the status bar is to show statusText() again.
    virtual void statusChanged() {}
    // A passing remark for the status bar that needs no answer (the record cache cannot be used).
    virtual void notice(std::u16string_view /*text*/) {}
};

enum class FolderChoice {
    Cancelled,   // the chooser was cancelled; nothing changed
    NotUsable,   // refused with message 114; the previous folder stays
    Overlapping, // refused with message 113; the previous folder stays
    Accepted,    // the folder is in use, shown and scanned (stored unless a message said otherwise)
};

struct MoveOutcome final {
    int moved = 0;                   // rows whose file is now in the destination folder only
    int notCopied = 0;               // rows whose copy failed or was refused (message 79 each)
    int sourcesKept = 0;             // copied, but the source could not be deleted (message 115 each)
    int vanished = 0;                // rows whose file was gone before the move (message 119 each)
    bool destinationMissing = false; // the destination folder is not configured (message 80)
};

enum class ExportOutcome {
    Cancelled, // the save dialog was cancelled
    Written,
    Failed, // the user was told why
};

struct ExitSaving final {
    bool settingsWritten = false;
    bool columnOrderWritten = false;
};

// folder + name, with the native separator between them unless the folder already ends with a
// separator; just the name for an empty folder. Never fails.
std::u16string joinFolderAndName(std::u16string_view folder, std::u16string_view name);

// Whether one folder lies inside the other or both are the same, comparing whole path components (and
// ignoring letter case on Windows). False when either is not a configured folder.
bool foldersOverlap(std::u16string_view a, std::u16string_view b);

class MainCommands final {
public:
    // Settings.ini and ColumnOrder.Dat are taken from workFolder (empty: the current folder). All
    // references must outlive the commands.
    MainCommands(AppState& state, ListModel& replays, ListModel& favourites, Platform& platform,
                 FileOperations& files, std::filesystem::path workFolder = {});

    MainCommands(const MainCommands&) = delete;
    MainCommands& operator=(const MainCommands&) = delete;

    void setListener(MainCommandsListener* listener) { listener_ = listener; }

    AppState& state() { return state_; }
    ListModel& list(ReplayListKind kind) { return kind == ReplayListKind::Replays ? replays_ : favourites_; }
    const std::u16string& folder(ReplayListKind kind) const;
    std::filesystem::path settingsPath() const;
    std::filesystem::path columnOrderPath() const;

    // --- Start-up, in this order after the window is built ------------------------------------------
    // The stored geometry and widths; defaults for whatever is missing.
    WindowSettings storedWindowSettings() const;
    // The stored widths to both lists.
    void applyColumnWidths(const WindowSettings& window);
    // ColumnOrder.Dat to the replay list, then to the favourites list. False, and the built order kept,
    // when the file is missing or not a valid order.
    bool applyStoredColumnOrder();
    // Both lists sort by header click, each column by its kind.
    void applySortKinds();

    // --- Commands ----------------------------------------------------------------------------------
    // Empties the list and scans its folder into it when the folder is configured; otherwise nothing.
    // Unchanged files come from the record cache unless ignoreCache asks for every file to be read.
    void scanFolder(ReplayListKind kind, bool ignoreCache = false);
    // Both folders, replays first, then the status bar.
    void rescan(bool ignoreCache = false);
    std::filesystem::path recordCachePath() const;
    // The folder chooser for one list. A cancelled chooser changes nothing; a refused folder (messages
    // 114, 113) keeps the previous one in memory and on disk. An accepted folder is stored in
    // Settings.ini (a failure to store is shown: message 116), shown, and scanned.
    FolderChoice chooseFolder(ReplayListKind kind);
    // The save dialog (message 77; the .xls, .xlsx and .csv file types, .xls first), then the export of the
    // list to the chosen file in the format its name or the picked type asks for.
    ExportOutcome exportList(ReplayListKind kind);
    // The save dialog's filter: "Excel file(*.xls) | *.xls | <message 121> | *.xlsx | <message 122> | *.csv".
    std::u16string exportFilter() const;
    // Deletes the files of the selected rows and removes their rows. A file that cannot be deleted keeps
    // its row and is reported (message 78 / 115 + path). Returns the number of rows removed.
    int deleteSelected(ReplayListKind kind);
    // Moves the files of the selected rows of `from` into the other list's folder (a namesake there is
    // replaced), then rescans that folder. A failed copy keeps the row (message 79); a source that cannot
    // be deleted after its copy keeps its row and is reported (message 115), the copy stays; a row whose
    // file is already gone leaves the list (message 119 + path).
    MoveOutcome moveSelected(ReplayListKind from);
    // The filter bar switch: on only sets the flag; off also clears every filter text, showing all rows.
    // Returns the new state.
    bool toggleFilterBar(ReplayListKind kind);
    bool filterBarOn(ReplayListKind kind) const;
    // A filter box changed; ignored while the bar is off. False for an unknown column.
    bool setFilterText(ReplayListKind kind, int column, std::u16string_view text);
    // The replay file of the current row; nullopt when no row is selected or its path cell is empty.
    std::optional<std::u16string> currentPath(ReplayListKind kind) const;
    // Opens the current row's replay with its associated program; false when there is no current row or
    // nothing was started.
    bool openCurrent(ReplayListKind kind);
    // Message 75 or 76 followed by the number of rows shown.
    std::u16string statusText(ReplayListKind kind) const;

    // --- Live folders --------------------------------------------------------------------------------
    // Brings both lists in step with their folders as they are now: new and changed replays get their
    // rows once they have settled (in the list's sort order, under its filter), replays that went lose
    // theirs, counts follow. True while files are still settling: poll again soon. Does nothing during a
    // scan.
    bool pollLive(std::chrono::steady_clock::time_point now);
    // Every folder the lists show, with all the folders below them: what to watch for changes.
    std::vector<std::u16string> watchedFolders() const;

    // --- Exit ----------------------------------------------------------------------------------------
    // WndSett (the given outer left and top, inner width and height, the replay list's widths) in one
    // write, then the replay list's column order to ColumnOrder.Dat. A file that could not be written is
    // reported (message 78 / 116 + its name) and left as it was.
    ExitSaving saveOnExit(int x, int y, int width, int height);

private:
    ReplayListKind other(ReplayListKind kind) const {
        return kind == ReplayListKind::Replays ? ReplayListKind::Favourites : ReplayListKind::Replays;
    }
    std::u16string& folderRef(ReplayListKind kind);
    void showError(std::u16string_view text);
    void reportNotStored(std::u16string_view fileName);
    void folderChanged(ReplayListKind kind);
    void statusChanged();
    std::optional<LiveFolder>& live(ReplayListKind kind) {
        return live_[kind == ReplayListKind::Replays ? 0 : 1];
    }
    bool applyLiveChanges(ReplayListKind kind, std::chrono::steady_clock::time_point now);

    AppState& state_;
    ListModel& replays_;
    ListModel& favourites_;
    Platform& platform_;
    FileOperations& files_;
    std::filesystem::path workFolder_;
    MainCommandsListener* listener_ = nullptr;
    // Opened at the first scan; bypassed for good when it cannot be used.
    std::optional<RecordCache> cache_;
    ExtractingRecordSource liveReader_;
    // One per list, from its last scan on; none while the list's folder is not configured.
    std::optional<LiveFolder> live_[2];
    bool scanning_ = false;
};

} // namespace tapeloft
