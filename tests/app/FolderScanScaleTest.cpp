// Large and deep trees: the walk keeps no recursion on the call stack and the list only what it shows.
#include "app/ListModel.h"
#include "app/ReplayScan.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/FolderScan.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "support/Sanitizers.h"

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 50000;
constexpr int kFolders = 10;
constexpr int kDepth = 50;

// A small replay of day 10 + n of March 2015.
std::string tinyReplay(int n) {
    const std::string day = std::to_string(10 + n);
    return samples::assembleReplay(
        samples::validHeader(),
        R"({"dateTime":")" + day + R"(.03.2015 12:00:00","playerName":"P)" + std::to_string(n) +
            R"(","vehicles":{"1":{"name":"P)" + std::to_string(n) +
            R"(","team":1}},"clientVersionFromExe":"0, 9, 8, 0"})",
        R"([{"common":{"winnerTeam":1},"personal":{}},{"1":{"team":1}},{"1":{"frags":1}}])");
}

// Starts the peak below anew from what the process holds now, so earlier tests in the same run do not count.
void resetPeakResident() {
#if defined(__linux__)
    std::ofstream("/proc/self/clear_refs") << "5";
#endif
}

// Peak resident memory of the process in KiB, from /proc; 0 where that is not known.
long peakResidentKib() {
#if defined(__linux__)
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
#endif
    return 0;
}

std::set<std::u16string> pathColumn(const ListModel& list) {
    std::set<std::u16string> paths;
    for (int r = 0; r < list.rowCount(); ++r)
        paths.emplace(list.cell(r, 32));
    return paths;
}

} // namespace

TEST(FolderScanScale, FiftyThousandFiles) {
    TempDir dir;
    // One replay per day, and the tree made of hard links to them: creating 50,000 files with contents of
    // their own takes many times longer on some file systems than the scan itself.
    constexpr int kDays = 18;
    std::vector<fs::path> originals;
    for (int day = 0; day < kDays; ++day) {
        originals.push_back(dir.write("originals/" + std::to_string(day), tinyReplay(day)));
    }
    const fs::path tree = dir.path() / "tree";
    std::set<std::u16string> written;
    const auto start = std::chrono::steady_clock::now();
    for (int folder = 0; folder < kFolders; ++folder) {
        const fs::path sub = tree / ("f" + std::to_string(folder));
        fs::create_directories(sub);
        for (int i = folder; i < kFiles; i += kFolders) {
            const fs::path file = sub / (std::to_string(i) + ".ivlreplay");
            std::error_code ec;
            fs::create_hard_link(originals[static_cast<std::size_t>(i % kDays)], file, ec);
            if (ec) fs::copy_file(originals[static_cast<std::size_t>(i % kDays)], file);
            written.insert(textFromPath(file));
        }
    }
    const auto scanStart = std::chrono::steady_clock::now();

    ListModel list(std::vector<ListColumn>(40));
    FakePlatform platform;
    scanReplayFolder(textFromPath(tree), list, u"*", kReplayExtension, Language(), platform);
    const auto end = std::chrono::steady_clock::now();

    EXPECT_EQ(list.rowCount(), kFiles);
    EXPECT_TRUE(platform.messages.empty());
    ASSERT_EQ(platform.progressRanges.size(), 1u);
    EXPECT_EQ(platform.progressRanges[0], kFiles);
    EXPECT_EQ(pathColumn(list), written);
    // Newest first: the dates are days 10 ... 27 of March.
    EXPECT_EQ(list.cell(0, 1).substr(0, 2), u"27");
    EXPECT_EQ(list.cell(kFiles - 1, 1).substr(0, 2), u"10");

    using ms = std::chrono::milliseconds;
    std::cout << "writing " << std::chrono::duration_cast<ms>(scanStart - start).count() << " ms, scanning "
              << std::chrono::duration_cast<ms>(end - scanStart).count() << " ms, peak resident "
              << peakResidentKib() / 1024 << " MiB\n";
#if defined(__linux__) && !defined(TAPELOFT_UNDER_SANITIZER)
    // 50,000 rows of 40 short cells need some tens of MiB; the scan itself holds one replay at a time.
    EXPECT_LT(peakResidentKib(), 400 * 1024);
#endif
}

TEST(FolderScanScale, FiftyLevelsDeep) {
    TempDir dir;
    fs::path folder = dir.path();
    std::set<std::u16string> written;
    for (int level = 0; level < kDepth; ++level) {
        folder /= "level " + std::to_string(level);
        fs::create_directories(folder);
        const fs::path file = folder / "r.ivlreplay";
        std::ofstream(file, std::ios::binary) << tinyReplay(level % 18);
        written.insert(textFromPath(file));
        // A sibling folder at every level, so the walk has to come back up each time.
        fs::create_directories(folder.parent_path() / ("side " + std::to_string(level)));
        std::ofstream(folder.parent_path() / ("side " + std::to_string(level)) / "s.ivlreplay",
                      std::ios::binary)
            << tinyReplay((level + 9) % 18);
        written.insert(
            textFromPath(folder.parent_path() / ("side " + std::to_string(level)) / "s.ivlreplay"));
    }

    EXPECT_EQ(countFolderFiles(textFromPath(dir.path())), 2 * kDepth);
    ListModel list(std::vector<ListColumn>(40));
    FakePlatform platform;
    scanReplayFolder(textFromPath(dir.path()), list, u"*", kReplayExtension, Language(), platform);
    EXPECT_EQ(list.rowCount(), 2 * kDepth);
    EXPECT_EQ(pathColumn(list), written);
}

// A shared replay of hundreds of megabytes without a line break: read only up to the reader's limit,
// whatever the number of workers, and reported instead of dropped.
TEST(FolderScanScale, FourHundredMegabyteLineIsRefusedWithinHalfAGigabyte) {
    TempDir dir;
    const fs::path huge = dir.path() / "huge.ivlreplay";
    {
        std::ofstream out(huge, std::ios::binary);
        out << samples::validHeader() << R"({"dateTime":"01.02.2015 10:00:00","padding":")";
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 400; ++i)
            out << block;
        ASSERT_TRUE(out.good());
    }
    dir.write("small.ivlreplay", tinyReplay(1));
    for (const int workers : {1, 2, 8}) {
        SCOPED_TRACE(workers);
        resetPeakResident();
        ListModel list(std::vector<ListColumn>(40));
        FakePlatform platform;
        scanReplayFolder(textFromPath(dir.path()), list, u"*", kReplayExtension, Language(), platform,
                         workers);
        EXPECT_EQ(list.rowCount(), 1);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_NE(platform.messages[0].text.find(textFromPath(huge)), std::u16string::npos);
#if defined(__linux__) && !defined(TAPELOFT_UNDER_SANITIZER)
        EXPECT_LT(peakResidentKib(), 512 * 1024);
#endif
    }
}
