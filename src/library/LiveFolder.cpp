#include "library/LiveFolder.h"

#include "base/TextCodec.h"
#include "replay/FolderScan.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace tapeloft {

LiveFolder::LiveFolder(std::u16string folder, const RecordSource& reader, StampReader stamp)
    : folder_(std::move(folder)), reader_(reader), stamp_(std::move(stamp)) {}

void LiveFolder::reset(std::unordered_map<std::u16string, FileStamp> shown) {
    shown_ = std::move(shown);
    settling_.clear();
}

std::vector<LiveChange> LiveFolder::poll(Clock::time_point now) {
    std::vector<LiveChange> changes;
    ReplayFolderListing listing = listReplayFolder(folder_, u"*", kReplayExtension);
    folders_ = std::move(listing.folders);
    std::unordered_set<std::u16string> present(listing.files.begin(), listing.files.end());

    for (const std::u16string& path : listing.files) {
        const std::optional<FileStamp> stamp = stamp_(pathFromText(path));
        if (!stamp) continue; // went between the listing and now: the next poll sees it gone
        const auto shown = shown_.find(path);
        if (shown != shown_.end() && shown->second == *stamp) {
            settling_.erase(path);
            continue;
        }
        const auto settling = settling_.find(path);
        if (settling == settling_.end() || !(settling->second.stamp == *stamp)) {
            settling_[path] = {*stamp, now};
            continue;
        }
        if (now - settling->second.since < kSettle) continue;
        settling_.erase(settling);

        LiveChange change;
        change.path = path;
        change.stamp = *stamp;
        change.record = reader_.record(path);
        const bool known = shown != shown_.end();
        if (change.record.kind == BattleRecordKind::Unreadable)
            change.kind = LiveChange::Kind::Unreadable;
        else
            change.kind = known ? LiveChange::Kind::Changed : LiveChange::Kind::Added;
        // Reported once, as a scan reports it: an unreadable file is looked at again when it changes.
        shown_[path] = *stamp;
        changes.push_back(std::move(change));
    }

    for (auto it = shown_.begin(); it != shown_.end();) {
        if (present.contains(it->first)) {
            ++it;
            continue;
        }
        changes.push_back({LiveChange::Kind::Removed, it->first, {}, {}});
        it = shown_.erase(it);
    }
    for (auto it = settling_.begin(); it != settling_.end();)
        it = present.contains(it->first) ? std::next(it) : settling_.erase(it);
    // In an order of their own, not the file system's: rows that go first, then the others by path.
    std::stable_sort(changes.begin(), changes.end(), [](const LiveChange& a, const LiveChange& b) {
        const bool aGoes = a.kind == LiveChange::Kind::Removed, bGoes = b.kind == LiveChange::Kind::Removed;
        return aGoes != bGoes ? aGoes : a.path < b.path;
    });
    return changes;
}

} // namespace tapeloft
