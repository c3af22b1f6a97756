// Random sequences of scans, deletes, moves both ways and filter changes over a tree of replays: after
// every step each list holds exactly the replay files of its folder, and no replay is lost or damaged
// except by an explicit delete.
#include "CommandSession.h"

#include <gtest/gtest.h>

#include <random>

using namespace tapeloft;
using namespace tapeloft::test;

namespace {

constexpr ReplayListKind kKinds[] = {ReplayListKind::Replays, ReplayListKind::Favourites};

class Walk final {
public:
    Walk(std::uint32_t seed, bool faults) : random_(seed), faults_(faults) {
        const char* replayFolders[] = {"replays", "replays/a", "replays/a/b", "replays/c"};
        const char* favouriteFolders[] = {"favourites", "favourites/f"};
        for (int i = 0; i < 24; ++i) {
            samples::SampleOptions options;
            options.tailBytes = 512;
            options.vehicleCount = 6;
            const samples::SampleReplay replay =
                samples::makeSampleReplay(seed * 100 + static_cast<unsigned>(i), options);
            const bool favourite = i % 4 == 0;
            const char* folder = favourite ? favouriteFolders[i % 2] : replayFolders[i % 4];
            s_.dir.write(fs::path(folder) / ("r" + std::to_string(i) + ".ivlreplay"), replay.bytes);
            copies_[replay.bytes] = 1;
        }
        s_.commands->rescan();
    }

    // One random step, then the checks.
    void step(int number) {
        SCOPED_TRACE("step " + std::to_string(number));
        const ReplayListKind kind = kKinds[pick(2)];
        ListModel& list = s_.list(kind);
        s_.platform.messages.clear();
        arrangeFaults();
        const std::map<std::string, int> before = countCopies();
        std::map<std::string, int> deleted;
        bool exact = true;

        switch (pick(6)) {
        case 0:
            s_.commands->rescan();
            break;
        case 1: {
            selectSome(list);
            std::vector<fs::path> selected;
            for (int r = 0; r < list.rowCount(); ++r)
                if (list.isSelected(r)) selected.push_back(pathFromText(list.cell(r, ColumnPath)));
            std::map<fs::path, std::string> bytes;
            for (const fs::path& p : selected)
                if (fs::exists(p)) bytes[p] = readBytes(p);
            s_.commands->deleteSelected(kind);
            for (const auto& [p, b] : bytes)
                if (!fs::exists(p)) ++deleted[b];
            // A row that stayed belongs to a file that is still there, and the user was told.
            for (int r = 0; r < list.rowCount(); ++r) {
                if (list.isSelected(r)) {
                    EXPECT_TRUE(fs::exists(pathFromText(list.cell(r, ColumnPath))));
                }
            }
            break;
        }
        case 2:
        case 3: {
            selectSome(list);
            const MoveOutcome outcome = s_.commands->moveSelected(kind);
            // A copy onto a namesake holding the same replay (left by an earlier failed delete) merges two
            // copies into one; nothing is lost, but the counts need not stay equal.
            if (outcome.sourcesKept != 0) exact = false;
            for (const auto& [bytes, count] : before)
                if (count > 1) exact = false;
            break;
        }
        case 4:
            s_.commands->toggleFilterBar(kind);
            break;
        case 5:
            if (s_.commands->filterBarOn(kind) && list.rowCount() > 0) {
                const int column = 6; // vehicle
                const std::u16string cell(list.cell(pick(list.rowCount()), column));
                s_.commands->setFilterText(kind, column, cell.substr(0, 1 + pick(2)));
            } else {
                s_.commands->toggleFilterBar(kind);
            }
            break;
        }
        clearFaults();

        const std::map<std::string, int> after = countCopies();
        for (const auto& [bytes, count] : before) {
            const int now = after.contains(bytes) ? after.at(bytes) : 0;
            const int removed = deleted.contains(bytes) ? deleted.at(bytes) : 0;
            if (exact) {
                EXPECT_EQ(now, count - removed);
            } else if (count - removed > 0) {
                EXPECT_GE(now, 1) << "a replay was lost";
            }
        }
        for (const auto& [bytes, count] : after)
            EXPECT_TRUE(before.contains(bytes)) << "a file appeared that is no whole replay";
        for (ReplayListKind k : kKinds)
            expectRowsMatchDisk(k);
    }

private:
    int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    void selectSome(ListModel& list) {
        list.clearSelection();
        for (int r = 0; r < list.rowCount(); ++r)
            if (pick(3) == 0) list.setSelected(r, true);
    }

    // Sometimes a folder turns read-only, a file cannot be deleted or the disk fills during copies.
    void arrangeFaults() {
        if (!faults_) return;
        switch (pick(6)) {
        case 0:
            s_.files.readOnlyFolders.insert(pick(2) == 0 ? s_.replayDir : s_.favouriteDir / "f");
            break;
        case 1:
            for (const auto& [path, bytes] : contentsBelow(s_.dir.path()))
                if (pick(4) == 0) s_.files.failRemove.insert(path);
            break;
        case 2:
            s_.files.failNewFileAfterBytes = pick(2000);
            break;
        case 3:
            s_.files.failRename = true;
            break;
        default:
            break;
        }
    }
    void clearFaults() {
        s_.files.readOnlyFolders.clear();
        s_.files.failRemove.clear();
        s_.files.failNewFileAfterBytes = -1;
        s_.files.failRename = false;
    }

    // How many files hold each replay; anything else below the work folder fails the test.
    std::map<std::string, int> countCopies() {
        std::map<std::string, int> counts;
        for (const fs::path& folder : {s_.replayDir, s_.favouriteDir})
            for (const auto& [path, bytes] : contentsBelow(folder)) {
                EXPECT_TRUE(copies_.contains(bytes)) << "stray or damaged file " << path;
                ++counts[bytes];
            }
        return counts;
    }

    // With the filter bar off the rows are exactly the files; with it on, the shown rows are some of them
    // and the hidden ones make up the count.
    void expectRowsMatchDisk(ReplayListKind kind) {
        if (!s_.commands->filterBarOn(kind)) {
            expectListMatchesDisk(s_, kind);
            return;
        }
        const ListModel& list = s_.list(kind);
        std::size_t onDisk = 0;
        for (const auto& [path, bytes] : contentsBelow(s_.folder(kind)))
            onDisk += path.extension() == ".ivlreplay";
        EXPECT_EQ(static_cast<std::size_t>(list.totalRowCount()), onDisk);
        for (int r = 0; r < list.rowCount(); ++r)
            EXPECT_TRUE(fs::is_regular_file(pathFromText(list.cell(r, ColumnPath))));
    }

    Session s_{0, 0};
    std::mt19937 random_;
    bool faults_;
    std::map<std::string, int> copies_; // every replay written at the start
};

} // namespace

TEST(NothingLost, RandomCommandsOnAHealthyDisk) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Walk walk(seed, false);
        for (int step = 0; step < 60 && !HasFailure(); ++step)
            walk.step(step);
    }
}

TEST(NothingLost, RandomCommandsWhileFileOperationsFail) {
    for (std::uint32_t seed : {11u, 12u, 13u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Walk walk(seed, true);
        for (int step = 0; step < 60 && !HasFailure(); ++step)
            walk.step(step);
    }
}
