#include "app/DetailsClose.h"

#include "app/AppState.h"
#include "base/PrefFile.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "details/BattleDetails.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

using namespace tapeloft;
using tapeloft::test::FakePlatform;
using tapeloft::test::TempDir;

namespace {

struct Closing {
    TempDir dir;
    std::filesystem::path settings = dir.path() / "Settings.ini";
    AppState state;
    FakePlatform platform;
    Closing() {
        state.language = Language(PrefFile::parse(u"[text]\ntxt78=ERR\ntxt116=Not written:\n"));
        state.priceKey = u"N01_Warden";
        state.priceText = u"before";
        state.detailsClosed = false;
    }
    std::u16string stored() const {
        return readSettingText(settings, settings::groupShellPrices, state.priceKey, u"<none>");
    }
};

} // namespace

TEST(DetailsClose, PriceIsStoredWhenItsLeadingNumberIsNotZero) {
    struct Case {
        std::u16string field;
        std::u16string key;
        PriceStoreResult result;
    };
    for (const Case& c : {Case{u"37", u"N01_Warden", PriceStoreResult::Stored},
                          Case{u"007", u"N01_Warden", PriceStoreResult::Stored}, // stored as typed
                          Case{u"0", u"N01_Warden", PriceStoreResult::NotStored},
                          Case{u"", u"N01_Warden", PriceStoreResult::NotStored},
                          Case{u"12", u"", PriceStoreResult::NotStored}}) { // no vehicle tag
        SCOPED_TRACE(utf16ToUtf8(c.field));
        Closing f;
        f.state.priceKey = c.key;
        EXPECT_EQ(closeDetails(f.state, f.settings, c.field, f.platform), c.result);
        EXPECT_TRUE(f.state.detailsClosed);
        EXPECT_TRUE(f.platform.messages.empty());
        const bool stored = c.result == PriceStoreResult::Stored;
        EXPECT_EQ(f.state.priceText, stored ? c.field : u"before");
        EXPECT_EQ(std::filesystem::exists(f.settings), stored);
        EXPECT_EQ(f.stored(), stored ? c.field : u"<none>");
    }
}

TEST(DetailsClose, AFailedWriteIsReportedAndTheCloseGoesOn) {
    Closing f;
    const std::filesystem::path unwritable = f.dir.path() / "missing-folder" / "Settings.ini";
    EXPECT_EQ(closeDetails(f.state, unwritable, u"12", f.platform), PriceStoreResult::WriteFailed);
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].title, u"ERR");
    EXPECT_EQ(f.platform.messages[0].text, u"Not written:Settings.ini");
    EXPECT_TRUE(f.state.detailsClosed);

    // A tag that cannot be a key of the file is refused the same way, and the file is left as it was.
    Closing g;
    g.dir.write("Settings.ini", "[cenasnaryda]\r\nA=1\r\n");
    const std::string before = tapeloft::test::readBytes(g.settings);
    g.state.priceKey = u"bad=tag";
    EXPECT_EQ(closeDetails(g.state, g.settings, u"12", g.platform), PriceStoreResult::WriteFailed);
    EXPECT_EQ(g.platform.messages.size(), 1u);
    EXPECT_EQ(tapeloft::test::readBytes(g.settings), before);
}

TEST(DetailsClose, StoredPriceIsReadForTheNextReplayOfTheSameVehicle) {
    Closing f;
    samples::SampleOptions options;
    options.tailBytes = 64;
    const samples::SampleReplay replay = samples::makeSampleReplay(11, options);
    const std::u16string path = textFromPath(f.dir.write("a.ivlreplay", replay.bytes));

    const BattleDetails first = readBattleDetails(path, f.state.language, f.settings);
    ASSERT_EQ(first.shellPriceText, u"0");
    f.state.priceKey = first.priceKey;
    ASSERT_EQ(closeDetails(f.state, f.settings, u"25", f.platform), PriceStoreResult::Stored);

    const BattleDetails second = readBattleDetails(path, f.state.language, f.settings);
    EXPECT_EQ(second.shellPriceText, u"25");
    EXPECT_EQ(second.ammoCostText, decimal(std::int64_t{replay.facts.personal.shots} * 25));
}
