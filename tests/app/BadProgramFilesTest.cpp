// Start-up loading over damaged program files: it goes on with what it can read, and a file it could not
// read is never written over.
#include "app/AppState.h"
#include "app/ListModel.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "support/BadInputCatalogue.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

struct Folder {
    TempDir dir;
    fs::path settings = dir.path() / "Settings.ini";
    fs::path language = dir.path() / "rus.lng";

    // The damaged file, and good ones for the rest.
    explicit Folder(const DamagedProgramFile& damaged) {
        if (damaged.fileName != "Settings.ini") dir.write("Settings.ini", goodSettings());
        if (damaged.fileName != "rus.lng") dir.write("rus.lng", goodLanguage());
        EXPECT_TRUE(writeDamagedProgramFile(dir.path(), damaged));
    }
};

bool isEmptyFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec) && fs::is_empty(path, ec);
}

} // namespace

TEST(BadProgramFiles, DamagedSettingsFileStartsWithWhatItHolds) {
    for (const DamagedProgramFile& damaged : damagedProgramFiles()) {
        if (damaged.fileName != "Settings.ini") continue;
        SCOPED_TRACE(damaged.what);
        Folder f(damaged);
        AppState state;
        const StartupFiles found = loadSettingsAndLanguage(state, f.dir.path());
        EXPECT_EQ(found.settings, damaged.bytes ? PrefLoadStatus::loaded : PrefLoadStatus::unreadable);
        EXPECT_EQ(state.message(0), u"n/a");
        // None of the damaged files names a usable folder.
        EXPECT_FALSE(isConfiguredFolder(state.replayFolder)) << utf16ToUtf8(state.replayFolder);
        EXPECT_FALSE(isConfiguredFolder(state.favouritesFolder));
        const WindowSettings window = readWindowSettings(f.settings, RecordColumnCount);
        (void)window; // any numbers at all; the window clamps them to the screen

        if (!damaged.bytes) {
            // A folder in the file's place: defaults, the language of the default name, and no write.
            EXPECT_EQ(state.languageFile, u"rus.lng");
            EXPECT_EQ(state.message(3), u"WIN");
            EXPECT_FALSE(writeSettingText(f.settings, u"WndSett", u"wndX", u"5"));
            EXPECT_TRUE(isEmptyFolder(f.settings));
            continue;
        }
        // Loading read it, so it is still exactly as it was; a later write keeps whatever it held.
        EXPECT_EQ(readBytes(f.settings), *damaged.bytes);
        const PrefFile before = PrefFile::fromBytes(*damaged.bytes);
        ASSERT_TRUE(writeSettingText(f.settings, u"WndSett", u"wndX", u"5"));
        const PrefFile after = PrefFile::fromBytes(readBytes(f.settings));
        EXPECT_EQ(after.find(u"WndSett", u"wndX"), u"5");
        for (const PrefGroup& group : before.groups())
            for (const PrefLine& line : group.lines)
                if (line.kind == PrefLine::Kind::key && !equalsIgnoreCase(line.key, u"wndX")) {
                    EXPECT_EQ(after.find(group.name, line.key), before.find(group.name, line.key));
                }
    }
}

TEST(BadProgramFiles, DamagedLanguageFileLeavesMessagesUnavailable) {
    for (const DamagedProgramFile& damaged : damagedProgramFiles()) {
        if (damaged.fileName != "rus.lng") continue;
        SCOPED_TRACE(damaged.what);
        Folder f(damaged);
        AppState state;
        const StartupFiles found = loadSettingsAndLanguage(state, f.dir.path());
        EXPECT_EQ(found.settings, PrefLoadStatus::loaded);
        EXPECT_EQ(found.language, damaged.bytes ? PrefLoadStatus::loaded : PrefLoadStatus::unreadable);
        // None of the damaged files holds message 7; missing folders fall back to message 1 and 2.
        EXPECT_EQ(state.message(7), u"n/a");
        EXPECT_EQ(state.replayFolder, state.message(1));
        EXPECT_FALSE(isConfiguredFolder(state.replayFolder));

        // The language file is only ever read.
        if (damaged.bytes) {
            EXPECT_EQ(readBytes(f.language), *damaged.bytes);
        } else {
            EXPECT_TRUE(isEmptyFolder(f.language));
        }
    }
}

TEST(BadProgramFiles, GarbageLanguageKeysReadOnlyTheirExactNames) {
    const auto cases = damagedProgramFiles();
    const auto garbage = std::find_if(cases.begin(), cases.end(), [](const DamagedProgramFile& d) {
        return d.fileName == "rus.lng" && d.what == "garbage text";
    });
    ASSERT_NE(garbage, cases.end());
    const Language language(PrefFile::fromBytes(*garbage->bytes));
    EXPECT_EQ(language.message(1), u"n/a"); // "txt1" without "=" is no key
    EXPECT_EQ(language.message(2), u"");    // present and empty
    EXPECT_EQ(language.message(3), u"three");
    EXPECT_EQ(language.message(7), u"n/a"); // "txt007" is another key
    EXPECT_EQ(language.message(0), u"n/a");
    EXPECT_EQ(language.message(Language::messageCount + 1), u"n/a");
    EXPECT_EQ(language.lookup(u"mapnames", u""), u"nameless");
}

// Whatever reads ColumnOrder.Dat, none of the damaged files holds an order a list would take.
TEST(BadProgramFiles, NoDamagedColumnOrderIsAnOrder) {
    int checked = 0;
    for (const DamagedProgramFile& damaged : damagedProgramFiles()) {
        if (damaged.fileName != "ColumnOrder.Dat" || !damaged.bytes) continue;
        SCOPED_TRACE(damaged.what);
        const std::string& bytes = *damaged.bytes;
        std::vector<int> order(bytes.size() / 4);
        for (std::size_t i = 0; i < order.size(); ++i) {
            std::uint32_t v = 0;
            for (int k = 0; k < 4; ++k)
                v |= std::uint32_t{static_cast<unsigned char>(bytes[4 * i + k])} << (8 * k);
            order[i] = static_cast<std::int32_t>(v);
        }
        ListModel list(std::vector<ListColumn>(40));
        const std::vector<int> built = list.columnOrder();
        // A file of the right length must still be refused; any other length is refused by its size.
        if (bytes.size() == 160) {
            EXPECT_FALSE(list.setColumnOrder(order));
        }
        EXPECT_EQ(list.columnOrder(), built);
        ++checked;
    }
    EXPECT_GE(checked, 8);
}
