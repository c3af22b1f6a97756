#pragma once

#include "library/CachedScan.h"
#include "library/FileStamp.h"
#include "replay/BattleRecord.h"

#include <chrono>
#include <string>
#include <unordered_map>
#include <vector>

// Keeps one folder's list in step with its files while the program runs: what changed is decided here by
// comparing the folder's listing with what the list shows; the desktop only says when to look.
namespace tapeloft {

class RecordSource;

struct LiveChange final {
    enum class Kind {
        Added,      // a new file: its record makes a row
        Changed,    // a file the list knew, read again: its row is replaced
        Removed,    // the file is gone: its row goes
        Unreadable, // a new or changed file that cannot be read: its row, if any, goes and it is reported
    };
    Kind kind = Kind::Added;
    std::u16string path;
    BattleRecord record; // Added and Changed
    FileStamp stamp;     // Added, Changed and Unreadable: the stamp the record was made for
};

class LiveFolder final {
public:
    using Clock = std::chrono::steady_clock;
    // A file is read once its stamp has stayed the same this long: the game appends the results to a
    // replay at the end of the battle, and a half-written file would otherwise show without them.
    static constexpr std::chrono::milliseconds kSettle{1000};

    // `reader` makes the records of new and changed files; it must outlive the folder.
    LiveFolder(std::u16string folder, const RecordSource& reader, StampReader stamp = stampOf);

    // What the list shows now: the stamps of the files a full scan met.
    void reset(std::unordered_map<std::u16string, FileStamp> shown);

    // Lists the folder and returns what changed since the list was last brought in step. A file that
    // appeared or changed is read only after it stayed unchanged for kSettle; until then settling() is true
    // and the caller polls again soon. Unchanged files are never read. Removals come first, then the rest
    // in the order of their paths.
    std::vector<LiveChange> poll(Clock::time_point now);
    bool settling() const { return !settling_.empty(); }
    // The folders the last poll listed, the folder itself first: what the desktop watches.
    const std::vector<std::u16string>& folders() const { return folders_; }
    const std::u16string& folder() const { return folder_; }

private:
    struct Settling {
        FileStamp stamp;
        Clock::time_point since;
    };

    std::u16string folder_;
    const RecordSource& reader_;
    StampReader stamp_;
    std::unordered_map<std::u16string, FileStamp> shown_;
    std::unordered_map<std::u16string, Settling> settling_;
    std::vector<std::u16string> folders_;
};

} // namespace tapeloft
