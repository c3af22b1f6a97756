#include "details/DetailsClose.h"

#include "details/BattleDetails.h"
#include "samplegen/SampleReplay.h"
#include "shell/AppState.h"
#include "shell/PrefFile.h"
#include "shell/Settings.h"
#include "support/FakePlatform.h"
#include "json/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

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
        state.language = Language(PrefFile::parse(u"[text]\ntxt78=ERR\ntxt116=Not written: \n"));
        state.priceKey = u"N01_Warden";
        state.priceText = u"before";
        state.detailsClosed = false;
    }
    std::u16string stored() const {
        return readSettingText(settings, settings::groupCenasnaryda, state.priceKey, u"<none>");
    }
};

} // namespace

TEST(DetailsClose, PriceIsStoredWhenItsLeadingNumberIsNotZero) {
    struct Case {
        std::u16string field;
        PriceStoreResult result;
    };
    for (const Case& c : {Case{u"37", PriceStoreResult::Stored}, Case{u"007", PriceStoreResult::Stored},
                          Case{u"0", PriceStoreResult::NotStored}, Case{u"000", PriceStoreResult::NotStored},
                          Case{u"", PriceStoreResult::NotStored}, Case{u"x5", PriceStoreResult::NotStored}}) {
        SCOPED_TRACE(utf16ToUtf8(c.field));
        Closing f;
        EXPECT_EQ(closeDetails(f.state, f.settings, c.field, f.platform), c.result);
        EXPECT_TRUE(f.state.detailsClosed);
        EXPECT_TRUE(f.platform.messages.empty());
        if (c.result == PriceStoreResult::Stored) {
            EXPECT_EQ(f.stored(), c.field); // as typed, leading zeros included
            EXPECT_EQ(f.state.priceText, c.field);
        } else {
            EXPECT_FALSE(std::filesystem::exists(f.settings)); // nothing written at all
            EXPECT_EQ(f.state.priceText, u"before");
        }
    }
}

TEST(DetailsClose, OtherSettingsAndPricesStay) {
    Closing f;
    f.dir.write("Settings.ini",
                "[filepath]\r\nLang=eng.lng\r\n[cenasnaryda]\r\nS02_Falke=9\r\nN01_Warden=5\r\n");
    EXPECT_EQ(closeDetails(f.state, f.settings, u"12", f.platform), PriceStoreResult::Stored);
    EXPECT_EQ(f.stored(), u"12");
    EXPECT_EQ(readSettingText(f.settings, settings::groupCenasnaryda, u"S02_Falke", u""), u"9");
    EXPECT_EQ(readSettingText(f.settings, settings::groupFilepath, settings::keyLang, u""), u"eng.lng");
}

TEST(DetailsClose, WithoutAVehicleTagNothingIsStored) {
    Closing f;
    f.state.priceKey.clear();
    EXPECT_EQ(closeDetails(f.state, f.settings, u"12", f.platform), PriceStoreResult::NotStored);
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(f.settings));
    EXPECT_TRUE(f.state.detailsClosed);
}

TEST(DetailsClose, AFailedWriteIsReportedAndTheCloseGoesOn) {
    Closing f;
    const std::filesystem::path unwritable = f.dir.path() / "missing-folder" / "Settings.ini";
    EXPECT_EQ(closeDetails(f.state, unwritable, u"12", f.platform), PriceStoreResult::WriteFailed);
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].title, u"ERR");
    EXPECT_EQ(f.platform.messages[0].text, f.state.message(116) + u"Settings.ini");
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

    BattleDetails first = readBattleDetails(path, f.state.language, f.settings);
    ASSERT_EQ(first.status, BattleDetailsStatus::Opened);
    EXPECT_EQ(first.shellPriceText, u"0");
    f.state.priceKey = first.priceKey;
    ASSERT_EQ(closeDetails(f.state, f.settings, u"25", f.platform), PriceStoreResult::Stored);

    const BattleDetails second = readBattleDetails(path, f.state.language, f.settings);
    EXPECT_EQ(second.shellPriceText, u"25");
    EXPECT_EQ(second.ammoCostText, decimal(std::int64_t{replay.facts.personal.shots} * 25));
    EXPECT_EQ(second.priceKey, utf8ToUtf16(replay.facts.tag));
}
