#include "app/ReplayScan.h"

#include "app/ListModel.h"
#include "app/Platform.h"
#include "app/ReplayList.h"
#include "base/BuiltInTexts.h"
#include "base/Language.h"
#include "library/CachedScan.h"
#include "library/RecordCache.h"
#include "replay/BattleRecord.h"
#include "replay/FolderScan.h"

namespace tapeloft {

namespace {

// The scan's reports as the window shows them: progress, rows and message boxes, with pending events let
// through after every file.
class ListScanObserver final : public FolderScanObserver {
public:
    ListScanObserver(ListModel& list, const Language& language, Platform& platform)
        : list_(list), language_(language), platform_(platform) {}

    void filesCounted(std::int32_t count) override { platform_.progressSetRange(count); }
    void fileReached(const std::u16string& path, std::int32_t index) override {
        platform_.progressSetFile(path);
        platform_.progressSetPosition(index);
    }
    void recordReady(const std::u16string& path, const BattleRecord& record) override {
        applyBattleRecord(record, path, list_, language_, platform_);
    }
    void fileUnreadable(const std::u16string& path) override { reportUnreadable(path, language_, platform_); }
    void fileDone() override { platform_.processOnePendingEvent(); }

private:
    ListModel& list_;
    const Language& language_;
    Platform& platform_;
};

} // namespace

namespace {

void showRecord(const BattleRecord& record, std::u16string_view path, ListModel& list,
                const Language& language, Platform& platform, bool inOrder) {
    if (record.kind == BattleRecordKind::Unreadable) {
        reportUnreadable(path, language, platform);
        return;
    }
    // The tint goes with the row: with the filter on, the last shown row may be another one.
    RowColours colours;
    if (record.kind == BattleRecordKind::NoResults)
        colours.background = ListColour::fromRgb(kNoResultsTintRgb);
    if (inOrder)
        list.addRowInOrder(record.rowText, colours);
    else
        list.appendRow(record.rowText, colours);
}

} // namespace

void reportUnreadable(std::u16string_view path, const Language& language, Platform& platform) {
    platform.messageBox(language.message(MsgUnreadableTitle), language.message(MsgUnreadableFile, path));
}

void applyBattleRecord(const BattleRecord& record, std::u16string_view path, ListModel& list,
                       const Language& language, Platform& platform) {
    showRecord(record, path, list, language, platform, false);
}

void placeBattleRecord(const BattleRecord& record, std::u16string_view path, ListModel& list,
                       const Language& language, Platform& platform) {
    showRecord(record, path, list, language, platform, true);
}

void addBattleRecord(std::u16string_view path, ListModel& list, const Language& language,
                     Platform& platform) {
    applyBattleRecord(extractBattleRecord(path, language), path, list, language, platform);
}

void scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter, const Language& language, Platform& platform,
                      const ReplayScanOptions& options) {
    platform.progressBegin(language.message(MsgScanTitle),
                           language.message(MsgScanCaption) + std::u16string(folder));
    ListScanObserver observer(list, language, platform);
    list.beginBulkUpdate();
    if ((options.cache != nullptr && options.cache->usable()) || options.stamps != nullptr) {
        CachedScanOptions cached;
        cached.workers = options.workers;
        cached.ignoreEntries = options.ignoreCache;
        cached.keepStamps = options.stamps != nullptr;
        CachedScanResult result = scanReplayFilesCached(folder, nameFilter, extensionFilter, language,
                                                        options.cache, observer, cached);
        if (options.stamps != nullptr) *options.stamps = std::move(result.stamps);
    } else {
        scanReplayFiles(folder, nameFilter, extensionFilter, language, observer, options.workers);
    }
    list.endBulkUpdate();
    platform.progressEnd();
    list.sortList(ColumnDate, SortDirection::Descending);
}

void scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter, const Language& language, Platform& platform,
                      int workers) {
    ReplayScanOptions options;
    options.workers = workers;
    scanReplayFolder(folder, list, nameFilter, extensionFilter, language, platform, options);
}

} // namespace tapeloft
