#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tapeloft {

class Language;
struct BattleRecord;

inline constexpr std::u16string_view kReplayExtension = u"ivlreplay";

// Number of files in the folder and every folder below it, whatever their names; an unreadable
// folder counts 0. Links to folders are not followed; links count only when they lead to a regular file.
std::int32_t countFolderFiles(std::u16string_view folder);

// The files walkReplayFolder would give, in the order of the walk, and every folder it could list (the root
// first, each with its trailing separator); both empty when the root cannot be listed.
struct ReplayFolderListing final {
    std::vector<std::u16string> files;
    std::vector<std::u16string> folders;
};
ReplayFolderListing listReplayFolder(std::u16string_view folder, std::u16string_view nameFilter,
                                     std::u16string_view extensionFilter);

// Walks the tree depth-first in listing order and calls onFile with the full path of every file whose
// lower-cased base name and extension pass the filters ("*" passes anything). Folders that cannot be
// listed, links to folders and links to anything but a regular file (pipes, devices, nothing) are skipped.
// On Windows an entry whose path is too long for the system to tell or open comes to onFile whatever its
// name, so that reading it fails and says so instead of the entry going unnoticed.
void walkReplayFolder(std::u16string_view folder, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter,
                      const std::function<void(const std::u16string& path)>& onFile);

// What a scan reports, in the order of the plain walk and all on the calling thread, whatever the number
// of workers: filesCounted once, then for every accepted file fileReached, its record or fileUnreadable,
// and fileDone.
class FolderScanObserver {
public:
    virtual ~FolderScanObserver() = default;

    // Every file below the folder, whatever its name, before the first file is reported.
    virtual void filesCounted(std::int32_t /*count*/) {}
    // The next accepted file; index counts them from 0.
    virtual void fileReached(const std::u16string& /*path*/, std::int32_t /*index*/) {}
    // A record that makes a row: a full one, one without results, or the marker of a rejected header.
    virtual void recordReady(const std::u16string& /*path*/, const BattleRecord& /*record*/) {}
    // The file cannot be opened, read or parsed: no row.
    virtual void fileUnreadable(const std::u16string& /*path*/) {}
    // The file has been reported; a caller with windows lets pending events through here.
    virtual void fileDone() {}
    // Asked before each file: true ends the scan there, with the files reported so far kept.
    virtual bool stopRequested() { return false; }
};

// Where a scan gets the record of a file. Called on the scan's worker threads, so it must be safe to call
// from several at once.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual BattleRecord record(const std::u16string& path) const = 0;
};

// The record as the file holds it: read and extracted in the language.
class ExtractingRecordSource final : public RecordSource {
public:
    explicit ExtractingRecordSource(const Language& language) : language_(language) {}
    BattleRecord record(const std::u16string& path) const override;

private:
    const Language& language_;
};

// Reports the battle record of every accepted file below the folder to the observer. Records come from
// `source` on `workers` background threads (0: one per core; 1: none, the plain walk); what the observer
// hears is the same either way. False when the observer stopped the scan before its last file.
bool scanReplayFiles(std::u16string_view folder, std::u16string_view nameFilter,
                     std::u16string_view extensionFilter, const RecordSource& source,
                     FolderScanObserver& observer, int workers = 0);
// The same, each record read and extracted in the language.
bool scanReplayFiles(std::u16string_view folder, std::u16string_view nameFilter,
                     std::u16string_view extensionFilter, const Language& language,
                     FolderScanObserver& observer, int workers = 0);

} // namespace tapeloft
