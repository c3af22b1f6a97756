// A scan keeps its memory whatever a single replay holds. (Scans of large folders are measured by the
// benchmark, which also checks that every replay gets its row.)
#include "app/ListModel.h"
#include "app/ReplayScan.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/FolderScan.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"
#include "support/Sanitizers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

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
[[maybe_unused]] void resetPeakResident() {
#if defined(__linux__)
    std::ofstream("/proc/self/clear_refs") << "5";
#endif
}

// Peak resident memory of the process in KiB, from /proc; 0 where that is not known.
[[maybe_unused]] long peakResidentKib() {
#if defined(__linux__)
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
#endif
    return 0;
}

} // namespace

// A shared replay of hundreds of megabytes without a line break: read only up to the reader's limit,
// whatever the number of workers, and reported instead of dropped.
TEST(ScanMemory, FourHundredMegabyteLineIsRefusedWithinHalfAGigabyte) {
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
