#include "app/ReplayScan.h"

#include "app/ListModel.h"
#include "app/Platform.h"
#include "app/ReplayList.h"
#include "base/BuiltInTexts.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "library/CachedScan.h"
#include "library/RecordCache.h"
#include "replay/BattleRecord.h"
#include "replay/FolderScan.h"

#include <algorithm>

namespace tapeloft {

namespace {

// The scan's reports as the window shows them: progress and rows, with pending events let through after
// every file; the unreadable files are kept for the end.
class ListScanObserver final : public FolderScanObserver {
public:
    ListScanObserver(ListModel& list, Platform& platform, std::vector<std::u16string>& unreadable)
        : list_(list), platform_(platform), unreadable_(unreadable) {}

    void filesCounted(std::int32_t count) override { platform_.progressSetRange(count); }
    void fileReached(const std::u16string& path, std::int32_t index) override {
        platform_.progressSetFile(path);
        platform_.progressSetPosition(index);
    }
    void recordReady(const std::u16string& path, const BattleRecord& record) override {
        if (!applyBattleRecord(record, list_)) unreadable_.push_back(path);
    }
    void fileUnreadable(const std::u16string& path) override { unreadable_.push_back(path); }
    void fileDone() override { platform_.processOnePendingEvent(); }
    bool stopRequested() override { return platform_.stopRequested(); }

private:
    ListModel& list_;
    Platform& platform_;
    std::vector<std::u16string>& unreadable_;
};

} // namespace

namespace {

bool showRecord(const BattleRecord& record, ListModel& list, bool inOrder) {
    if (record.kind == BattleRecordKind::Unreadable) return false;
    // The tint goes with the row: with the filter on, the last shown row may be another one.
    RowColours colours;
    if (record.kind == BattleRecordKind::NoResults)
        colours.background = ListColour::fromRgb(kNoResultsTintRgb);
    if (inOrder)
        list.addRowInOrder(record.rowText, colours);
    else
        list.appendRow(record.rowText, colours);
    return true;
}

} // namespace

void reportUnreadable(std::u16string_view path, const Language& language, Platform& platform) {
    platform.messageBox(language.message(MsgUnreadableTitle), language.message(MsgUnreadableFile, path));
}

std::u16string listedLines(const std::vector<std::u16string>& lines, const Language& language) {
    std::u16string text;
    const std::size_t shown = std::min(lines.size(), kListedLinesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) text += u'\n';
        text += lines[i];
    }
    // A box taller than the screen would hide its own buttons.
    if (shown < lines.size())
        text +=
            u'\n' + language.message(MsgMoreFiles, decimal(static_cast<std::int64_t>(lines.size() - shown)));
    return text;
}

void reportUnreadableFiles(const std::vector<std::u16string>& paths, const Language& language,
                           Platform& platform) {
    if (paths.empty()) return;
    std::vector<std::u16string> lines;
    lines.reserve(paths.size());
    for (const std::u16string& path : paths)
        lines.push_back(language.message(MsgUnreadableFile, path));
    platform.messageBox(language.message(MsgUnreadableTitle), listedLines(lines, language));
}

bool applyBattleRecord(const BattleRecord& record, ListModel& list) {
    return showRecord(record, list, false);
}

bool placeBattleRecord(const BattleRecord& record, ListModel& list) {
    return showRecord(record, list, true);
}

void addBattleRecord(std::u16string_view path, ListModel& list, const Language& language,
                     Platform& platform) {
    if (!applyBattleRecord(extractBattleRecord(path, language), list))
        reportUnreadable(path, language, platform);
}

ReplayScanEnd scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                               std::u16string_view extensionFilter, const Language& language,
                               Platform& platform, const ReplayScanOptions& options) {
    platform.progressBegin(language.message(MsgScanTitle),
                           language.message(MsgScanCaption) + std::u16string(folder));
    std::vector<std::u16string> ownUnreadable;
    std::vector<std::u16string>& unreadable =
        options.unreadable != nullptr ? *options.unreadable : ownUnreadable;
    ListScanObserver observer(list, platform, unreadable);
    ReplayScanEnd end;
    list.beginBulkUpdate();
    if ((options.cache != nullptr && options.cache->usable()) || options.stamps != nullptr) {
        CachedScanOptions cached;
        cached.workers = options.workers;
        cached.ignoreEntries = options.ignoreCache;
        cached.keepStamps = options.stamps != nullptr;
        CachedScanResult result = scanReplayFilesCached(folder, nameFilter, extensionFilter, language,
                                                        options.cache, observer, cached);
        if (options.stamps != nullptr) *options.stamps = std::move(result.stamps);
        end.stopped = result.stopped;
    } else {
        end.stopped =
            !scanReplayFiles(folder, nameFilter, extensionFilter, language, observer, options.workers);
    }
    list.endBulkUpdate();
    platform.progressEnd();
    list.sortList(ColumnDate, SortDirection::Descending);
    if (options.unreadable == nullptr) reportUnreadableFiles(unreadable, language, platform);
    return end;
}

ReplayScanEnd scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                               std::u16string_view extensionFilter, const Language& language,
                               Platform& platform, int workers) {
    ReplayScanOptions options;
    options.workers = workers;
    return scanReplayFolder(folder, list, nameFilter, extensionFilter, language, platform, options);
}

} // namespace tapeloft
