// While the program runs, the lists follow their folders: after any change on disk, and after the user's own
// moves and deletes, each list shows what a fresh scan without the cache would show, in its sort order and
// under its filter.
#include "CommandSession.h"

#include "app/ReplayScan.h"

#include <gtest/gtest.h>

#include <random>

namespace tapeloft::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Every row as its text and tint, order aside.
std::multiset<std::u16string> rowsOf(const ListModel& list) {
    std::multiset<std::u16string> rows;
    for (int r = 0; r < list.rowCount(); ++r) {
        std::u16string row;
        for (int c = 0; c < list.columnCount(); ++c)
            row += std::u16string(list.cell(r, c)) + u'\t';
        row += list.backgroundColour(r, 0) ? u"tinted" : u"plain";
        rows.insert(std::move(row));
    }
    return rows;
}

std::multiset<std::u16string> freshScan(const Session& s, const fs::path& folder) {
    ListModel list = makeReplayListModel(s.state.language, ReplayListKind::Replays);
    FakePlatform platform;
    scanReplayFolder(withSeparator(folder), list, u"*", kReplayExtension, s.state.language, platform, 1);
    return rowsOf(list);
}

// Polls as the window's timer does until nothing is settling any more.
void settle(Session& s, Clock::time_point& now) {
    for (int round = 0; round < 10; ++round) {
        now += 600ms;
        if (!s.commands->pollLive(now)) return;
    }
    ADD_FAILURE() << "files never settled";
}

void expectSortedByDate(const ListModel& list) {
    for (int r = 1; r < list.rowCount(); ++r)
        ASSERT_GE(compareCells(SortKind::Date, list.cell(r - 1, ColumnDate), list.cell(r, ColumnDate)), 0)
            << r;
}

std::string replay(std::uint32_t seed) {
    samples::SampleOptions options;
    options.tailBytes = 64;
    options.vehicleCount = 4;
    options.layout = seed % 5 == 0 ? samples::ResultsLayout::None : samples::ResultsLayout::Current;
    return samples::makeSampleReplay(seed, options).bytes;
}

} // namespace

TEST(LiveLists, RandomChangesOnDiskAndByTheUserKeepBothListsAsAFreshScanShowsThem) {
    Session s(6, 3);
    Clock::time_point now{};
    std::mt19937 random(99);
    int later = 0;
    const auto stamped = [&](const fs::path& file) {
        fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(++later));
    };
    for (int step = 0; step < 50; ++step) {
        SCOPED_TRACE(step);
        const ReplayListKind kind = random() % 3 == 0 ? ReplayListKind::Favourites : ReplayListKind::Replays;
        const fs::path folder = s.folder(kind);
        const std::vector<fs::path> listed = Session::paths(s.list(kind));
        const fs::path some = listed.empty() ? folder / "none.ivlreplay" : listed[random() % listed.size()];
        switch (random() % 8) {
        case 0:
        case 1:
            stamped(s.dir.write(
                fs::relative(folder / ("new" + std::to_string(step) + ".ivlreplay"), s.dir.path()),
                replay(static_cast<std::uint32_t>(step * 7 + 1))));
            break;
        case 2: // rewritten in place
            if (fs::exists(some)) {
                std::ofstream(some, std::ios::binary | std::ios::trunc)
                    << replay(static_cast<std::uint32_t>(step));
                stamped(some);
            }
            break;
        case 3: // cut short, as by a crash
            if (fs::exists(some)) {
                std::ofstream(some, std::ios::binary | std::ios::trunc) << replay(3).substr(0, 200);
                stamped(some);
            }
            break;
        case 4:
            fs::remove(some);
            break;
        case 5:
            if (fs::exists(some))
                fs::rename(some, folder / ("renamed" + std::to_string(step) + ".ivlreplay"));
            break;
        case 6: // the user deletes a row's file
            if (s.list(kind).rowCount() > 0) {
                s.select(s.list(kind), {0});
                s.commands->deleteSelected(kind);
            }
            break;
        case 7: // the user moves a row to the other list
            if (s.list(kind).rowCount() > 0) {
                s.select(s.list(kind), {static_cast<int>(random() % s.list(kind).rowCount())});
                s.commands->moveSelected(kind);
            }
            break;
        }
        settle(s, now);
        for (const ReplayListKind k : {ReplayListKind::Replays, ReplayListKind::Favourites}) {
            ASSERT_EQ(rowsOf(s.list(k)), freshScan(s, s.folder(k)));
            expectSortedByDate(s.list(k));
        }
        // Unreadable replays are reported once each, as a scan reports them, not at every poll.
        s.platform.messages.clear();
        now += 5s;
        s.commands->pollLive(now);
        EXPECT_TRUE(s.platform.messages.empty());
    }
}

TEST(LiveLists, NewRowsFollowTheFilterAndTheStatusBarTheCounts) {
    Session s(4, 0);
    Clock::time_point now{};
    ListModel& list = s.list(ReplayListKind::Replays);
    // Filter on the date of the first row: a replay of another date comes in hidden.
    const std::u16string date(list.cell(0, ColumnDate));
    s.commands->toggleFilterBar(ReplayListKind::Replays);
    ASSERT_TRUE(s.commands->setFilterText(ReplayListKind::Replays, ColumnDate, date));
    const int shownBefore = list.rowCount();
    const int totalBefore = list.totalRowCount();
    const std::string extra = replay(1234);
    const bool extraShows = samples::makeSampleReplay(1234).facts.dateTime.starts_with(utf16ToUtf8(date));
    s.dir.write("replays/extra.ivlreplay", extra);
    const int updates = s.listener.statusUpdates;
    settle(s, now);
    EXPECT_EQ(list.totalRowCount(), totalBefore + 1);
    EXPECT_EQ(list.rowCount(), shownBefore + (extraShows ? 1 : 0));
    EXPECT_GT(s.listener.statusUpdates, updates);
    // A configured folder that vanishes empties its list without a box, and refills when it comes back.
    fs::rename(s.replayDir, s.dir.path() / "away");
    settle(s, now);
    EXPECT_EQ(list.totalRowCount(), 0);
    EXPECT_TRUE(s.platform.messages.empty());
    fs::rename(s.dir.path() / "away", s.replayDir);
    settle(s, now);
    EXPECT_EQ(list.totalRowCount(), totalBefore + 1);
}

} // namespace tapeloft::test
