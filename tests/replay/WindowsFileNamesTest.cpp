// Replays whose names the ANSI code page cannot hold are found by the walk and read by the reader, each
// under its exact name.
#include "replay/FolderScan.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/BattleRecord.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::test::TempDir;

namespace {

class PathObserver final : public FolderScanObserver {
public:
    std::vector<std::u16string> records;
    std::vector<std::u16string> unreadable;

    void recordReady(const std::u16string& path, const BattleRecord&) override { records.push_back(path); }
    void fileUnreadable(const std::u16string& path) override { unreadable.push_back(path); }
};

} // namespace

TEST(WindowsFileNames, ReplaysOutsideTheCodePageAreWalkedAndRead) {
    const std::u16string relatives[] = {
        u"Бой на карте Красная степь.ivlreplay",
        u"🎯💥 battle 🚀.ivlreplay",
        u"папка 🚀\\Ωμέγα.ivlreplay",
        u"日本\\名前.IVLREPLAY",
    };
    TempDir dir;
    std::vector<std::u16string> expected;
    for (std::size_t i = 0; i < std::size(relatives); ++i) {
        const std::filesystem::path file = dir.path() / pathFromText(relatives[i]);
        std::filesystem::create_directories(file.parent_path());
        // Written through the C library's wide call, independent of the code under test.
        std::FILE* out = _wfopen(file.c_str(), L"wb");
        ASSERT_NE(out, nullptr) << utf16ToUtf8(relatives[i]);
        const std::string bytes = samples::makeSampleReplay(static_cast<std::uint32_t>(i + 1)).bytes;
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
        std::fclose(out);
        expected.push_back(withTrailingSeparator(textFromPath(dir.path())) + relatives[i]);
    }
    for (const int workers : {1, 2}) {
        SCOPED_TRACE(workers);
        PathObserver observer;
        scanReplayFiles(textFromPath(dir.path()), u"*", kReplayExtension, Language(), observer, workers);
        std::sort(observer.records.begin(), observer.records.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(observer.records, expected);
        EXPECT_TRUE(observer.unreadable.empty());
    }
}
