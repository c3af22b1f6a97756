#include "app/MainCommands.h"

#include "app/AppState.h"
#include "app/ListExport.h"
#include "app/ListModel.h"
#include "app/Platform.h"
#include "app/ReplayScan.h"
#include "base/ColumnOrderFile.h"
#include "base/FileOperations.h"
#include "base/TextCodec.h"
#include "replay/FolderScan.h"

#include <algorithm>
#include <set>
#include <vector>

namespace tapeloft {

namespace fs = std::filesystem;

namespace {

// The save dialog's file types, in the order of its filter; the first is the default.
constexpr ExportFormat kExportFileTypes[] = {ExportFormat::Xls, ExportFormat::Xlsx, ExportFormat::Csv};

// The folder as a prefix of the paths inside it: native separators, one at the end, and on Windows in
// lower case, since the file system ignores letter case there.
std::u16string folderPrefix(std::u16string_view folder) {
    std::u16string text(folder);
#ifdef _WIN32
    std::replace(text.begin(), text.end(), u'/', u'\\');
    text = toLower(text);
#endif
    return withTrailingSeparator(text);
}

// How a destination is remembered within one move, so that two sources of the same name never land on
// the same file.
std::u16string destinationKey(std::u16string_view path) {
#ifdef _WIN32
    return toLower(path);
#else
    return std::u16string(path);
#endif
}

} // namespace

std::u16string joinFolderAndName(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && !isPathSeparator(path.back())) path.append(nativeSeparator());
    path.append(name);
    return path;
}

bool foldersOverlap(std::u16string_view a, std::u16string_view b) {
    if (!isConfiguredFolder(a) || !isConfiguredFolder(b)) return false;
    const std::u16string first = folderPrefix(a);
    const std::u16string second = folderPrefix(b);
    return first.starts_with(second) || second.starts_with(first);
}

MainCommands::MainCommands(AppState& state, ListModel& replays, ListModel& favourites, Platform& platform,
                           FileOperations& files, fs::path workFolder)
    : state_(state), replays_(replays), favourites_(favourites), platform_(platform), files_(files),
      workFolder_(std::move(workFolder)), liveReader_(state.language) {}

const std::u16string& MainCommands::folder(ReplayListKind kind) const {
    return kind == ReplayListKind::Replays ? state_.replayFolder : state_.favouritesFolder;
}

std::u16string& MainCommands::folderRef(ReplayListKind kind) {
    return kind == ReplayListKind::Replays ? state_.replayFolder : state_.favouritesFolder;
}

fs::path MainCommands::settingsPath() const {
    return workFolder_ / pathFromText(settings::fileName);
}

fs::path MainCommands::recordCachePath() const {
    return workFolder_ / pathFromText(kRecordCacheFileName);
}

fs::path MainCommands::columnOrderPath() const {
    return workFolder_ / pathFromText(kColumnOrderFileName);
}

void MainCommands::showError(std::u16string_view text) {
    platform_.messageBox(state_.message(MsgErrorTitle), text);
}

void MainCommands::reportNotStored(std::u16string_view fileName) {
    showError(state_.message(MsgNotWritten) + std::u16string(fileName));
}

void MainCommands::folderChanged(ReplayListKind kind) {
    if (listener_) listener_->folderChanged(kind);
}

void MainCommands::statusChanged() {
    if (listener_) listener_->statusChanged();
}

// --- Start-up ------------------------------------------------------------------------------------------

WindowSettings MainCommands::storedWindowSettings() const {
    return readWindowSettings(settingsPath(), RecordColumnCount);
}

void MainCommands::applyColumnWidths(const WindowSettings& window) {
    for (std::size_t column = 0; column < window.columnWidths.size(); ++column) {
        const int width = window.columnWidths[column];
        replays_.setColumnWidth(static_cast<int>(column), width);
        favourites_.setColumnWidth(static_cast<int>(column), width);
    }
}

bool MainCommands::applyStoredColumnOrder() {
    const std::optional<std::vector<std::int32_t>> stored =
        readColumnOrder(columnOrderPath(), RecordColumnCount);
    if (!stored) return false;
    std::copy(stored->begin(), stored->end(), state_.columnOrder.begin());
    const std::vector<int> order(stored->begin(), stored->end());
    const bool replaysTook = replays_.setColumnOrder(order);
    const bool favouritesTook = favourites_.setColumnOrder(order);
    return replaysTook && favouritesTook;
}

void MainCommands::applySortKinds() {
    replays_.registerListSorter(true);
    setReplayListSortKinds(replays_, ReplayListKind::Replays);
    favourites_.registerListSorter(true);
    setReplayListSortKinds(favourites_, ReplayListKind::Favourites);
}

// --- Commands ------------------------------------------------------------------------------------------

void MainCommands::scanFolder(ReplayListKind kind, bool ignoreCache) {
    const std::u16string& path = folder(kind);
    if (!isConfiguredFolder(path)) {
        live(kind).reset();
        return;
    }
    if (!cache_) {
        cache_ = RecordCache::open(recordCachePath());
        if (!cache_->usable() && listener_) listener_->notice(state_.message(MsgCacheBypassed));
    }
    ListModel& target = list(kind);
    target.removeAllRows();
    std::unordered_map<std::u16string, FileStamp> stamps;
    ReplayScanOptions options;
    options.cache = &*cache_;
    options.ignoreCache = ignoreCache;
    options.stamps = &stamps;
    scanning_ = true;
    scanReplayFolder(path, target, u"*", kReplayExtension, state_.language, platform_, options);
    scanning_ = false;
    std::optional<LiveFolder>& watched = live(kind);
    if (!watched || watched->folder() != path) watched.emplace(path, liveReader_);
    watched->reset(std::move(stamps));
}

void MainCommands::rescan(bool ignoreCache) {
    scanFolder(ReplayListKind::Replays, ignoreCache);
    scanFolder(ReplayListKind::Favourites, ignoreCache);
    statusChanged();
}

FolderChoice MainCommands::chooseFolder(ReplayListKind kind) {
    const MessageId title =
        kind == ReplayListKind::Replays ? MsgChooseReplayFolder : MsgChooseFavouritesFolder;
    const std::optional<std::u16string> answer =
        platform_.chooseFolderFrom(state_.message(title), folder(kind));
    if (!answer || answer->empty()) return FolderChoice::Cancelled;
    if (!isConfiguredFolder(*answer)) {
        showError(state_.message(MsgFolderNotUsable));
        return FolderChoice::NotUsable;
    }
    if (foldersOverlap(*answer, folder(other(kind)))) {
        showError(state_.message(MsgFoldersOverlap));
        return FolderChoice::Overlapping;
    }
    folderRef(kind) = *answer;
    folderChanged(kind);
    const std::u16string_view key =
        kind == ReplayListKind::Replays ? settings::keyReplayFolder : settings::keyFavouritesFolder;
    if (!writeSettingText(settingsPath(), settings::groupFolders, key, *answer))
        reportNotStored(settings::fileName);
    scanFolder(kind);
    // The counts shown would otherwise still be those of the previous folder.
    statusChanged();
    return FolderChoice::Accepted;
}

std::u16string MainCommands::exportFilter() const {
    std::u16string filter = u"Excel file(*.xls) | *.xls";
    filter += u" | " + state_.message(MsgXlsxFileType) + u" | *.xlsx";
    filter += u" | " + state_.message(MsgCsvFileType) + u" | *.csv";
    return filter;
}

ExportOutcome MainCommands::exportList(ReplayListKind kind) {
    const std::optional<SaveFileChoice> choice =
        platform_.chooseSaveFile(state_.message(MsgExportTitle), exportFilter());
    if (!choice || choice->name.empty()) return ExportOutcome::Cancelled;
    const bool known =
        choice->fileType >= 0 && choice->fileType < static_cast<int>(std::size(kExportFileTypes));
    const ExportFormat picked = known ? kExportFileTypes[choice->fileType] : ExportFormat::Xls;
    return tapeloft::exportList(choice->name, picked, list(kind), state_.language, platform_).written
               ? ExportOutcome::Written
               : ExportOutcome::Failed;
}

int MainCommands::deleteSelected(ReplayListKind kind) {
    ListModel& rows = list(kind);
    int removed = 0;
    for (int row = 0; row < rows.rowCount();) {
        if (!rows.isSelected(row)) {
            ++row;
            continue;
        }
        const std::u16string path(rows.cell(row, ColumnPath));
        const fs::path file = pathFromText(path);
        // A file that was already gone counts as deleted: its row must not stay behind.
        if (files_.removeFile(file) || !files_.exists(file)) {
            rows.removeRow(row);
            ++removed;
            continue;
        }
        showError(state_.message(MsgNotDeleted) + path);
        ++row;
    }
    statusChanged();
    return removed;
}

MoveOutcome MainCommands::moveSelected(ReplayListKind from) {
    MoveOutcome outcome;
    const ReplayListKind to = other(from);
    const std::u16string destination = folder(to);
    if (!isConfiguredFolder(destination)) {
        showError(state_.message(MsgNoDestination));
        outcome.destinationMissing = true;
        return outcome;
    }
    ListModel& rows = list(from);
    std::set<std::u16string> written;
    for (int row = 0; row < rows.rowCount();) {
        if (!rows.isSelected(row)) {
            ++row;
            continue;
        }
        const std::u16string source(rows.cell(row, ColumnPath));
        const fs::path sourceFile = pathFromText(source);
        if (!files_.exists(sourceFile)) {
            // Nothing left to move; the row would show a replay that is gone. The user is told, since
            // the move they asked for did not happen.
            rows.removeRow(row);
            ++outcome.vanished;
            showError(state_.message(MsgReplayGone) + source);
            continue;
        }
        const std::u16string target = joinFolderAndName(destination, textFromPath(sourceFile.filename()));
        const fs::path targetFile = pathFromText(target);
        // Copying a file onto itself and then deleting the "source" would lose it, and so would a second
        // source of the same name replacing the copy this move just made.
        const bool refused =
            files_.isSameFile(sourceFile, targetFile) || written.contains(destinationKey(target));
        if (refused || !files_.copyFile(sourceFile, targetFile)) {
            ++outcome.notCopied;
            showError(state_.message(MsgNotCopied));
            ++row;
            continue;
        }
        written.insert(destinationKey(target));
        if (files_.removeFile(sourceFile) || !files_.exists(sourceFile)) {
            rows.removeRow(row);
            ++outcome.moved;
            continue;
        }
        ++outcome.sourcesKept;
        showError(state_.message(MsgNotDeleted) + source);
        ++row;
    }
    scanFolder(to);
    statusChanged();
    return outcome;
}

bool MainCommands::toggleFilterBar(ReplayListKind kind) {
    bool& on = kind == ReplayListKind::Replays ? state_.replayFilterOn : state_.favouriteFilterOn;
    on = !on;
    if (!on) list(kind).clearFilter();
    return on;
}

bool MainCommands::filterBarOn(ReplayListKind kind) const {
    return kind == ReplayListKind::Replays ? state_.replayFilterOn : state_.favouriteFilterOn;
}

bool MainCommands::setFilterText(ReplayListKind kind, int column, std::u16string_view text) {
    ListModel& rows = list(kind);
    if (column < 0 || column >= rows.columnCount()) return false;
    // A late box change after the bar went away must not filter a list without a bar.
    if (!filterBarOn(kind)) return true;
    return rows.setFilterText(column, text);
}

std::optional<std::u16string> MainCommands::currentPath(ReplayListKind kind) const {
    const ListModel& rows = kind == ReplayListKind::Replays ? replays_ : favourites_;
    const int row = rows.currentRow();
    if (row < 0) return std::nullopt;
    std::u16string path(rows.cell(row, ColumnPath));
    if (path.empty()) return std::nullopt;
    return path;
}

bool MainCommands::openCurrent(ReplayListKind kind) {
    const std::optional<std::u16string> path = currentPath(kind);
    return path && platform_.openWithAssociatedProgram(*path);
}

std::u16string MainCommands::statusText(ReplayListKind kind) const {
    const ListModel& rows = kind == ReplayListKind::Replays ? replays_ : favourites_;
    return state_.message(kind == ReplayListKind::Replays ? MsgReplayCount : MsgFavouriteCount) +
           decimal(rows.rowCount());
}

// --- Live folders --------------------------------------------------------------------------------------

bool MainCommands::pollLive(std::chrono::steady_clock::time_point now) {
    if (scanning_) return true;
    bool changed = false;
    bool settling = false;
    for (const ReplayListKind kind : {ReplayListKind::Replays, ReplayListKind::Favourites}) {
        if (!live(kind)) continue;
        changed = applyLiveChanges(kind, now) || changed;
        settling = settling || live(kind)->settling();
    }
    if (changed) statusChanged();
    return settling;
}

bool MainCommands::applyLiveChanges(ReplayListKind kind, std::chrono::steady_clock::time_point now) {
    LiveFolder& watched = *live(kind);
    const std::vector<LiveChange> changes = watched.poll(now);
    ListModel& rows = list(kind);
    std::vector<FreshRecord> fresh;
    for (const LiveChange& change : changes) {
        // A move or delete of Tapeloft's own already took the row: finding none is no error.
        rows.removeRowsWithCell(ColumnPath, change.path);
        if (change.kind == LiveChange::Kind::Removed) continue;
        if (change.record.contentRead) fresh.push_back({change.path, change.stamp, change.record});
        placeBattleRecord(change.record, change.path, rows, state_.language, platform_);
    }
    if (!fresh.empty() && cache_)
        cache_->update(withTrailingSeparator(watched.folder()), fresh, nullptr,
                       state_.language.fingerprint());
    return !changes.empty();
}

std::vector<std::u16string> MainCommands::watchedFolders() const {
    std::vector<std::u16string> folders;
    for (const auto& watched : live_) {
        if (!watched) continue;
        // Before the first poll, the folder itself; a folder that is gone is watched for coming back by
        // polling alone.
        if (watched->folders().empty())
            folders.push_back(withTrailingSeparator(watched->folder()));
        else
            folders.insert(folders.end(), watched->folders().begin(), watched->folders().end());
    }
    return folders;
}

// --- Exit ----------------------------------------------------------------------------------------------

ExitSaving MainCommands::saveOnExit(int x, int y, int width, int height) {
    ExitSaving saved;
    WindowSettings window;
    window.x = x;
    window.y = y;
    window.width = width;
    window.height = height;
    for (int column = 0; column < RecordColumnCount; ++column)
        window.columnWidths.push_back(replays_.columnWidth(column));
    saved.settingsWritten = writeWindowSettings(settingsPath(), window);

    const std::vector<int> order = replays_.columnOrder();
    if (order.size() == state_.columnOrder.size())
        std::copy(order.begin(), order.end(), state_.columnOrder.begin());
    saved.columnOrderWritten = writeColumnOrder(columnOrderPath(), order, RecordColumnCount);
    // Told now, or the next start would silently come up with other sizes and columns.
    if (!saved.settingsWritten) reportNotStored(settings::fileName);
    if (!saved.columnOrderWritten) reportNotStored(kColumnOrderFileName);
    return saved;
}

} // namespace tapeloft
