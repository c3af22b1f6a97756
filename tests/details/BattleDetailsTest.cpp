#include "details/BattleDetails.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tapeloft;
using tapeloft::test::TempDir;

namespace {

// Recognisable messages and a few names.
constexpr std::string_view kLanguage =
    "\xEF\xBB\xBF[text]\r\ntxt3=WIN\r\ntxt4=LOSS\r\ntxt5=DRAW\r\ntxt6=--\r\ntxt7=NOT A REPLAY\r\n"
    "txt57=M57\r\ntxt58=M58\r\ntxt59=M59\r\ntxt60=M60\r\ntxt61=M61\r\ntxt62=M62\r\ntxt63=M63\r\n"
    "txt64=H0\r\ntxt65=H1\r\ntxt66=H2\r\ntxt67=H3\r\ntxt68=H4\r\ntxt69=H5\r\ntxt70=H6\r\n"
    "[mapnames]\r\n05_red_steppe=Red Steppe\r\n[gameplayIDs]\r\nctf=Standard\r\n"
    "[nations]\r\nnordland=Nordland\r\n[vehicles]\r\nN01_Warden=Warden\r\nS02_Falke=Falke\r\n"
    "=NO KEY\r\n"; // an empty key, so that a lookup of nothing would show

struct Fixture {
    TempDir dir;
    Language language;
    std::filesystem::path settings;
    Fixture()
        : language(Language::load(dir.write("test.lng", kLanguage))), settings(dir.path() / "Settings.ini") {}

    void storePrice(const std::string& tag, const std::string& price) const {
        dir.write("Settings.ini", "[cenasnaryda]\r\n" + tag + "=" + price + "\r\n");
    }

    BattleDetails readBytes(const std::string& bytes, const std::string& name = "a.ivlreplay") const {
        return readBattleDetails(textFromPath(dir.write(name, bytes)), language, settings);
    }
    BattleDetails read(const std::string& description, const std::string& results = {}) const {
        return readBytes(samples::assembleReplay(samples::validHeader(), description, results));
    }
};

// A participant entry of the description or of results element 1.
std::string entry(int id, const std::string& name, int team, const std::string& clan = {},
                  const std::string& type = "nordland:N01_Warden", const std::string& alive = "true") {
    return "\"" + std::to_string(id) + R"(":{"vehicleType":")" + type + R"(","name":")" + name +
           R"(","clanAbbrev":")" + clan + R"(","team":)" + std::to_string(team) + ",\"isAlive\":" + alive +
           "}";
}

// Ann (id 222, clan ABC) and Bob (id 111) plus `extra` further participants with ids from 1000.
std::string vehiclesObject(int extra = 0) {
    std::string v = "{" + entry(111, "Bob", 2, "", "sudmark:S02_Falke") + "," + entry(222, "Ann", 1, "ABC");
    for (int i = 0; i < extra; ++i)
        v += "," + entry(1000 + i, "P" + std::to_string(i), 1 + i % 2);
    return v + "}";
}

// Ends with the player name: the reader cuts the description at its first `"}`.
std::string description(const std::string& vehicles = vehiclesObject(),
                        const std::string& version = "0, 9, 8, 0") {
    return R"({"dateTime":"31.12.2014 23:59:59","mapName":"05_red_steppe","gameplayID":"ctf",)"
           R"("playerVehicle":"nordland-N01_Warden","vehicles":)" +
           vehicles + R"(,"clientVersionFromExe":")" + version + R"(","playerName":"Ann"})";
}

struct Personal {
    std::string shots = "20";
    std::string hits = "15";
    std::string credits = "5000";
    std::string repair = "1000";
    std::string achievements = "[34,999,147]";
    std::string heroIds = "[5,222,222]";
    std::string heroIndices = "[1,2,7]";
};

std::string personalObject(const Personal& p) {
    return R"({"xp":1500,"credits":)" + p.credits + R"(,"repair":)" + p.repair +
           R"(,"damageReceived":400,"potentialDamageReceived":900,"shots":)" + p.shots + R"(,"hits":)" +
           p.hits + R"(,"achievements":)" + p.achievements + R"(,"heroVehicleIDs":)" + p.heroIds +
           R"(,"achieveIndices":)" + p.heroIndices + "}";
}

// Current layout: personal results keyed by the type code of the player's vehicle (id 222).
std::string results(const Personal& p = {}, int finishReason = 1, const std::string& element1 = {}) {
    const std::string states = element1.empty()
                                   ? "{" + entry(111, "Bob", 2, "", "sudmark:S02_Falke", "true") + "," +
                                         entry(222, "Ann", 1, "ABC", "nordland:N01_Warden", "false") + "}"
                                   : element1;
    return R"([{"common":{"winnerTeam":1,"finishReason":)" + std::to_string(finishReason) +
           R"(},"personal":{"5377":)" + personalObject(p) +
           R"(},"vehicles":{"222":[{"typeCompDescr":5377}]}},)" + states +
           R"(,{"111":{"frags":4},"222":{"frags":2}}])";
}

std::vector<std::u16string> names(const std::vector<TeamRow>& rows) {
    std::vector<std::u16string> result;
    for (const TeamRow& row : rows)
        result.push_back(row.name);
    return result;
}

} // namespace

TEST(BattleDetails, FullBattleInTheCurrentLayout) {
    Fixture f;
    f.storePrice("N01_Warden", "12");
    const BattleDetails d = f.read(description(), results());
    ASSERT_EQ(d.status, BattleDetailsStatus::Opened);
    EXPECT_TRUE(d.hasResults);
    EXPECT_EQ(d.playerText, u"Ann[ABC]");
    EXPECT_EQ(d.mapText, u"Red Steppe (Standard)");
    EXPECT_EQ(d.nationText, u"Nordland");
    EXPECT_EQ(d.vehicleText, u"Warden");
    EXPECT_EQ(d.dateText, u"31.12.2014 23:59:59");
    EXPECT_EQ(d.priceKey, u"N01_Warden");
    EXPECT_EQ(d.resultText, u"WIN");
    EXPECT_EQ(d.fragsText, u"2");
    EXPECT_EQ(d.xpText, u"1500");
    EXPECT_EQ(d.creditsText, u"5000");
    EXPECT_EQ(d.repairText, u"1000");
    EXPECT_EQ(d.damageReceivedText, u"400 (900)");
    EXPECT_EQ(d.shotsText, u"20/15 (75%)");
    EXPECT_EQ(d.shellPriceText, u"12");
    EXPECT_EQ(d.ammoCostText, u"240");
    EXPECT_EQ(d.netCreditsText, u"3760");
    // Named codes in order, then the hero entries of the player's vehicle (index 2; index 7 names nothing).
    EXPECT_EQ(d.achievements, (std::vector<std::u16string>{u"Воин", u"Бомбардир", u"H2"}));

    // Fewer than 30 participants: the rows come from results element 1, with frags and state by key.
    ASSERT_EQ(d.team1Rows.size(), 1u);
    ASSERT_EQ(d.team2Rows.size(), 1u);
    const TeamRow& ann = d.team1Rows[0];
    EXPECT_EQ(ann.name, u"Ann");
    EXPECT_EQ(ann.clan, u"ABC");
    EXPECT_EQ(ann.vehicle, u"Warden");
    EXPECT_EQ(ann.fragsText, u"2");
    EXPECT_EQ(ann.alive, 0);
    EXPECT_TRUE(ann.isPlayer);
    const TeamRow& bob = d.team2Rows[0];
    EXPECT_EQ(bob.name, u"Bob");
    EXPECT_EQ(bob.clan, u"");
    EXPECT_EQ(bob.vehicle, u"Falke");
    EXPECT_EQ(bob.fragsText, u"4");
    EXPECT_EQ(bob.alive, 1);
    EXPECT_FALSE(bob.isPlayer);
}

TEST(BattleDetails, WithoutResultsOnlyTheDescriptionIsShown) {
    Fixture f;
    f.storePrice("N01_Warden", "12");
    const BattleDetails d = f.read(description());
    ASSERT_EQ(d.status, BattleDetailsStatus::Opened);
    EXPECT_FALSE(d.hasResults);
    EXPECT_EQ(d.playerText, u"Ann"); // the clan needs the results
    EXPECT_EQ(d.mapText, u"Red Steppe (Standard)");
    EXPECT_EQ(d.priceKey, u"N01_Warden");
    for (const auto* text :
         {&d.resultText, &d.fragsText, &d.xpText, &d.creditsText, &d.repairText, &d.damageReceivedText,
          &d.shotsText, &d.shellPriceText, &d.ammoCostText, &d.netCreditsText})
        EXPECT_FALSE(text->has_value());
    EXPECT_TRUE(d.achievements.empty());
    EXPECT_TRUE(d.team1Rows.empty()); // two participants in the description, no results
    EXPECT_TRUE(d.team2Rows.empty());
}

TEST(BattleDetails, TeamRowsComeFromTheDescriptionFromThirtyParticipantsOn) {
    struct Case {
        int participants;
        bool withResults;
        std::size_t rows;
        bool fromDescription;
    };
    for (const Case c : {Case{29, true, 2, false}, Case{29, false, 0, false}, Case{30, true, 30, true},
                         Case{30, false, 30, true}}) {
        SCOPED_TRACE(std::to_string(c.participants) + (c.withResults ? " with results" : " without results"));
        Fixture f;
        const BattleDetails d =
            f.read(description(vehiclesObject(c.participants - 2)), c.withResults ? results() : "");
        ASSERT_EQ(d.status, BattleDetailsStatus::Opened);
        EXPECT_EQ(d.team1Rows.size() + d.team2Rows.size(), c.rows);
        if (c.rows == 0) continue;
        // Results element 1 knows only Ann and Bob; the description knows everybody, in its own order.
        if (c.fromDescription) {
            ASSERT_GE(d.team1Rows.size(), 2u);
            ASSERT_GE(d.team2Rows.size(), 2u);
            EXPECT_EQ(d.team1Rows[0].name, u"Ann");
            EXPECT_EQ(d.team1Rows[1].name, u"P0");
            EXPECT_EQ(d.team2Rows[0].name, u"Bob");
            EXPECT_EQ(d.team2Rows[1].name, u"P1");
        }
        for (const auto* rows : {&d.team1Rows, &d.team2Rows}) {
            for (const TeamRow& row : *rows) {
                if (!c.withResults) {
                    EXPECT_EQ(row.fragsText, u"--");
                    EXPECT_EQ(row.alive, 1);
                } else if (row.name == u"Ann") {
                    EXPECT_EQ(row.fragsText, u"2");
                    EXPECT_EQ(row.alive, 0);
                } else if (row.name == u"Bob") {
                    EXPECT_EQ(row.fragsText, u"4");
                    EXPECT_EQ(row.alive, 1);
                } else { // in the description only: nothing in the results under its key
                    EXPECT_EQ(row.fragsText, u"0");
                    EXPECT_EQ(row.alive, 0);
                }
            }
        }
    }
}

TEST(BattleDetails, TeamRowsSkipOtherTeamsAndReadTheVehicleFromTheSecondField) {
    Fixture f;
    const std::string element1 = "{" + entry(1, "Zero", 0) + "," + entry(2, "Three", 3) + "," +
                                 entry(3, "Plain", 1, "", "N01_Warden") + "," +
                                 entry(4, "Many", 1, "", "x:S02_Falke:y") + "," +
                                 entry(5, "Unknown", 2, "", "ostria:O01_Lynx") + "," +
                                 entry(6, "Trailing", 2, "", "ostria:") + "," + entry(7, "Minus", -1) + "}";
    const BattleDetails d = f.read(description(), results({}, 1, element1));
    EXPECT_EQ(names(d.team1Rows), (std::vector<std::u16string>{u"Plain", u"Many"}));
    EXPECT_EQ(names(d.team2Rows), (std::vector<std::u16string>{u"Unknown", u"Trailing"}));
    ASSERT_EQ(d.team1Rows.size(), 2u);
    ASSERT_EQ(d.team2Rows.size(), 2u);
    EXPECT_EQ(d.team1Rows[0].vehicle, u""); // no ':' at all
    EXPECT_EQ(d.team1Rows[1].vehicle, u"Falke");
    EXPECT_EQ(d.team2Rows[0].vehicle, u"O01_Lynx"); // not in the language file: the key itself
    EXPECT_EQ(d.team2Rows[1].vehicle, u"");
    EXPECT_FALSE(d.team1Rows[0].isPlayer);
}

TEST(BattleDetails, LayoutFollowsTheClientVersion) {
    // Both places hold personal results; the version decides which one is read.
    const std::string both =
        R"([{"common":{"finishReason":1},"personal":{"shots":7,"hits":7,"5377":{"shots":9,"hits":3}},)"
        R"("vehicles":{"222":[{"typeCompDescr":5377}]}},{},{"222":{}}])";
    struct Case {
        const char* version;
        const char16_t* shots;
    };
    for (const Case c : {Case{"0, 9, 7, 0", u"7/7 (100%)"}, Case{"0, 9, 8, 0", u"9/3 (33%)"},
                         Case{"0, 9, 10, 0", u"9/3 (33%)"}, Case{"", u"7/7 (100%)"}}) {
        SCOPED_TRACE(c.version);
        Fixture f;
        const BattleDetails d = f.read(description(vehiclesObject(), c.version), both);
        EXPECT_EQ(d.shotsText, c.shots);
    }
}

TEST(BattleDetails, FinishReasonNamesTheResult) {
    struct Case {
        int reason;
        std::optional<std::u16string> text;
    };
    for (const Case& c : {Case{1, u"WIN"}, Case{3, u"LOSS"}, Case{2, u"DRAW"}, Case{0, std::nullopt},
                          Case{4, std::nullopt}, Case{-1, std::nullopt}}) {
        SCOPED_TRACE(c.reason);
        Fixture f;
        const BattleDetails d = f.read(description(), results({}, c.reason));
        EXPECT_TRUE(d.hasResults);
        EXPECT_EQ(d.resultText, c.text);
    }
}

TEST(BattleDetails, HitShareIsTruncatedAndCannotOverflow) {
    struct Case {
        const char* shots;
        const char* hits;
        const char16_t* text;
    };
    for (const Case& c : {
             Case{"0", "0", u"0/0 (0%)"},
             Case{"0", "5", u"0/5 (0%)"},
             Case{"3", "2", u"3/2 (66%)"},
             Case{"3", "-2", u"3/-2 (-66%)"},
             Case{"1", "2147483647", u"1/2147483647 (214748364700%)"},
             // INT_MIN / -1 traps in 32 bits; here it is just a large number.
             Case{"-1", "-2147483648", u"-1/-2147483648 (214748364800%)"},
         }) {
        SCOPED_TRACE(std::string(c.shots) + " " + c.hits);
        Fixture f;
        Personal p;
        p.shots = c.shots;
        p.hits = c.hits;
        EXPECT_EQ(f.read(description(), results(p)).shotsText, c.text);
    }
}

TEST(BattleDetails, AmmunitionCostAndNetCreditsFromTheStoredPrice) {
    struct Case {
        const char* price; // nullptr: nothing stored
        const char* shots;
        const char* credits;
        const char* repair;
        const char16_t* priceText;
        const char16_t* ammo;
        const char16_t* net;
    };
    for (const Case& c : {
             Case{"12", "20", "5000", "1000", u"12", u"240", u"3760"},
             Case{nullptr, "20", "5000", "1000", u"0", u"0", u"4000"},
             Case{"12", "20", "100", "1000", u"12", u"240", u"-1140"},
             Case{"12 credits", "20", "5000", "1000", u"12 credits", u"240", u"3760"}, // kept as stored
             Case{"abc", "20", "5000", "1000", u"abc", u"0", u"4000"},
             // 10^10 keeps its low 32 bits.
             Case{"100000", "100000", "0", "0", u"100000", u"1410065408", u"-1410065408"},
             // The product's low 32 bits read as a signed number.
             Case{"2147483647", "2", "0", "0", u"2147483647", u"-2", u"2"},
             // Net credits wrap in 32 bits.
             Case{"1", "1", "-2147483648", "0", u"1", u"1", u"2147483647"},
         }) {
        SCOPED_TRACE(c.price ? c.price : "(none)");
        Fixture f;
        if (c.price) f.storePrice("N01_Warden", c.price);
        Personal p;
        p.shots = c.shots;
        p.credits = c.credits;
        p.repair = c.repair;
        const BattleDetails d = f.read(description(), results(p));
        EXPECT_EQ(d.shellPriceText, c.priceText);
        EXPECT_EQ(d.ammoCostText, c.ammo);
        EXPECT_EQ(d.netCreditsText, c.net);
    }
}

TEST(BattleDetails, PriceOfAnotherVehicleIsNotUsed) {
    Fixture f;
    f.storePrice("S02_Falke", "50");
    const BattleDetails d = f.read(description(), results());
    EXPECT_EQ(d.shellPriceText, u"0");
    EXPECT_EQ(d.ammoCostText, u"0");
}

TEST(BattleDetails, AchievementTable) {
    const Language none;
    Fixture f;
    EXPECT_EQ(achievementName(34, f.language), u"Воин");
    EXPECT_EQ(achievementName(110, f.language), u"Медаль героев рассейняя");
    EXPECT_EQ(achievementName(236, f.language), u"Бронетанковый кулак");
    for (int code = 50; code <= 56; ++code)
        EXPECT_EQ(achievementName(code, f.language), u"M" + decimal(code + 7));
    EXPECT_EQ(achievementName(50, none), u"n/a");
    for (const int code : {0, 33, 41, 49, 57, 999, -34})
        EXPECT_FALSE(achievementName(code, f.language).has_value()) << code;
}

TEST(BattleDetails, HeroAchievementsOfThePlayersVehicleOnly) {
    struct Case {
        const char* ids;
        const char* indices;
        std::vector<std::u16string> heroes;
    };
    for (const Case& c : {
             Case{"[222]", "[2]", {u"H2"}},
             Case{"[222]", "[7]", {}},
             Case{"[222]", "[-1]", {}},
             Case{"[222,222]", "[0,6]", {u"H0", u"H6"}},
             Case{"[111]", "[2]", {}},
             // The index of the second entry is missing: it names nothing (not message 64).
             Case{"[222,222]", "[3]", {u"H3"}},
             Case{"[222]", "[]", {}},
             Case{"[222]", "5", {}},
         }) {
        SCOPED_TRACE(std::string(c.ids) + " " + c.indices);
        Fixture f;
        Personal p;
        p.achievements = "[]";
        p.heroIds = c.ids;
        p.heroIndices = c.indices;
        EXPECT_EQ(f.read(description(), results(p)).achievements, c.heroes);
    }
}

TEST(BattleDetails, PlayerTextCarriesTheClanOfThePlayersEntry) {
    Fixture f;
    // No clan: the name alone.
    std::string vehicles = "{" + entry(111, "Bob", 2, "XYZ") + "," + entry(222, "Ann", 1) + "}";
    EXPECT_EQ(f.read(description(vehicles), results()).playerText, u"Ann");
    // The player in no entry: vehicle id 0 and no clan, whatever the others carry.
    vehicles = "{" + entry(111, "Bob", 2, "XYZ") + "}";
    EXPECT_EQ(f.read(description(vehicles), results()).playerText, u"Ann");
}

TEST(BattleDetails, StatusOfFilesThatCannotBeShown) {
    Fixture f;
    EXPECT_EQ(
        readBattleDetails(textFromPath(f.dir.path() / "missing.ivlreplay"), f.language, f.settings).status,
        BattleDetailsStatus::NotOpened);

    // Only byte 0 counts: 0x12 passes even when the seven bytes fail the folder scan's test.
    std::string header = samples::validHeader();
    header[0] = 0x12;
    header[1] = 0x70;
    BattleDetails d = f.readBytes(samples::assembleReplay(header, description(), results()));
    EXPECT_EQ(d.status, BattleDetailsStatus::Opened);
    EXPECT_EQ(d.playerText, u"Ann[ABC]");
    header = samples::validHeader();
    header[0] = 0x13;
    d = f.readBytes(samples::assembleReplay(header, description(), results()));
    EXPECT_EQ(d.status, BattleDetailsStatus::HeaderRejected);
    EXPECT_EQ(d.mapText, u"");
    EXPECT_EQ(f.readBytes(samples::assembleReplay(samples::rejectedHeader(), description())).status,
              BattleDetailsStatus::HeaderRejected);
    EXPECT_EQ(f.readBytes("").status, BattleDetailsStatus::HeaderRejected);

    // A description that does not parse, and text without any description start marker.
    d = f.read(R"({"playerName":"Ann","vehicles":{"1":{"name":"x"})", results());
    EXPECT_EQ(d.status, BattleDetailsStatus::DescriptionUnreadable);
    EXPECT_TRUE(d.team1Rows.empty());
    EXPECT_FALSE(d.hasResults);
    // Without a start marker nothing counts as the description, although this cut would parse: the six
    // header bytes after byte 0 are read as text, blanks here.
    EXPECT_EQ(f.readBytes(samples::assembleReplay(std::string("\x12      ", 7),
                                                  R"({ "playerName":"Ann","mapName":"05_red_steppe"})"))
                  .status,
              BattleDetailsStatus::DescriptionUnreadable);
}

TEST(BattleDetails, ResultsWithoutTheirStartMarkerAreIgnored) {
    Fixture f;
    // "[ {" is no start marker, and there is no other. The cut would then begin with the description,
    // which parses.
    const std::string r = R"([ {"common":{"finishReason":1},"personal":{"shots":3}},)"
                          R"({"222":{"name":"Ann","team":1}},{"222":{"frags":2}}])";
    const BattleDetails d = f.read(description(), r);
    ASSERT_EQ(d.status, BattleDetailsStatus::Opened);
    EXPECT_FALSE(d.hasResults);
    EXPECT_FALSE(d.resultText.has_value());
    EXPECT_FALSE(d.shotsText.has_value());
    EXPECT_TRUE(d.team1Rows.empty());
    EXPECT_EQ(d.playerText, u"Ann");

    // A results block that does not parse counts as none as well.
    const BattleDetails broken = f.read(description(), R"([{"common":}}])");
    EXPECT_FALSE(broken.hasResults);
    EXPECT_FALSE(broken.creditsText.has_value());
}

TEST(BattleDetails, MissingValuesReadAsZero) {
    Fixture f;
    const BattleDetails d = f.read(R"({"playerName":"Ann"})", R"([{"x":{}}])");
    ASSERT_EQ(d.status, BattleDetailsStatus::Opened);
    EXPECT_TRUE(d.hasResults);
    EXPECT_EQ(d.mapText, u" ()");
    EXPECT_EQ(d.priceKey, u"");
    EXPECT_FALSE(d.resultText.has_value());
    EXPECT_EQ(d.shotsText, u"0/0 (0%)");
    EXPECT_EQ(d.damageReceivedText, u"0 (0)");
    EXPECT_EQ(d.netCreditsText, u"0");
    EXPECT_EQ(d.fragsText, u"0");
}

// Generated battles: what the reader finds agrees with what the generator put in.
TEST(BattleDetails, GeneratedReplaysAgreeWithTheirFacts) {
    struct Case {
        samples::ResultsLayout layout;
        int vehicles;
    };
    int checked = 0;
    for (const Case c : {Case{samples::ResultsLayout::Current, 30}, Case{samples::ResultsLayout::Earlier, 30},
                         Case{samples::ResultsLayout::Current, 14}, Case{samples::ResultsLayout::Earlier, 29},
                         Case{samples::ResultsLayout::None, 30}, Case{samples::ResultsLayout::None, 20}}) {
        for (std::uint32_t seed = 1; seed <= 6; ++seed) {
            SCOPED_TRACE("layout " + std::to_string(static_cast<int>(c.layout)) + ", " +
                         std::to_string(c.vehicles) + " vehicles, seed " + std::to_string(seed));
            samples::SampleOptions options;
            options.layout = c.layout;
            options.vehicleCount = c.vehicles;
            options.tailBytes = 256;
            const samples::SampleReplay replay = samples::makeSampleReplay(seed, options);
            const samples::SampleFacts& facts = replay.facts;
            Fixture f;
            f.storePrice(facts.tag, "7");
            const BattleDetails d = f.readBytes(replay.bytes);
            ASSERT_EQ(d.status, BattleDetailsStatus::Opened);
            const bool withResults = c.layout != samples::ResultsLayout::None;
            EXPECT_EQ(d.hasResults, withResults);
            EXPECT_EQ(d.dateText, utf8ToUtf16(facts.dateTime));
            EXPECT_EQ(d.priceKey, utf8ToUtf16(facts.tag));
            const auto lookup = [&](std::u16string_view group, const std::string& key) {
                return f.language.lookup(group, utf8ToUtf16(key));
            };
            EXPECT_EQ(d.nationText, lookup(u"nations", facts.nation));
            EXPECT_EQ(d.vehicleText, lookup(u"vehicles", facts.tag));
            EXPECT_EQ(d.mapText, lookup(u"mapnames", facts.mapName) + u" (" +
                                     lookup(u"gameplayIDs", facts.gameplayId) + u")");
            const std::string player =
                facts.playerName +
                (withResults && !facts.playerClan.empty() ? "[" + facts.playerClan + "]" : "");
            EXPECT_EQ(d.playerText, utf8ToUtf16(player));

            const bool rows = withResults || c.vehicles >= 30;
            std::size_t players = 0;
            std::vector<TeamRow> expected1, expected2;
            for (const samples::SampleVehicle& v : facts.vehicles) {
                TeamRow row;
                row.name = utf8ToUtf16(v.name);
                row.clan = utf8ToUtf16(v.clanAbbrev);
                row.vehicle = lookup(u"vehicles", v.tag);
                row.fragsText = withResults ? decimal(v.frags) : u"--";
                row.alive = withResults ? v.alive : 1;
                row.isPlayer = v.name == facts.playerName;
                players += row.isPlayer;
                if (rows) (v.team == 1 ? expected1 : expected2).push_back(row);
            }
            EXPECT_EQ(players, 1u);
            ASSERT_EQ(d.team1Rows.size(), expected1.size());
            ASSERT_EQ(d.team2Rows.size(), expected2.size());
            for (std::size_t i = 0; i < expected1.size(); ++i) {
                EXPECT_EQ(d.team1Rows[i].name, expected1[i].name);
                EXPECT_EQ(d.team1Rows[i].clan, expected1[i].clan);
                EXPECT_EQ(d.team1Rows[i].vehicle, expected1[i].vehicle);
                EXPECT_EQ(d.team1Rows[i].fragsText, expected1[i].fragsText);
                EXPECT_EQ(d.team1Rows[i].alive, expected1[i].alive);
                EXPECT_EQ(d.team1Rows[i].isPlayer, expected1[i].isPlayer);
            }
            for (std::size_t i = 0; i < expected2.size(); ++i) {
                EXPECT_EQ(d.team2Rows[i].name, expected2[i].name);
                EXPECT_EQ(d.team2Rows[i].fragsText, expected2[i].fragsText);
                EXPECT_EQ(d.team2Rows[i].alive, expected2[i].alive);
            }
            if (!withResults) {
                EXPECT_FALSE(d.creditsText.has_value());
                continue;
            }

            const samples::SamplePersonal& p = facts.personal;
            const std::u16string results[] = {u"WIN", u"DRAW", u"LOSS"};
            EXPECT_EQ(d.resultText, results[facts.finishReason - 1]);
            EXPECT_EQ(d.fragsText, decimal(facts.playerFrags));
            EXPECT_EQ(d.xpText, decimal(p.xp));
            EXPECT_EQ(d.creditsText, decimal(p.credits));
            EXPECT_EQ(d.repairText, decimal(p.repair));
            EXPECT_EQ(d.damageReceivedText,
                      decimal(p.damageReceived) + u" (" + decimal(p.potentialDamageReceived) + u")");
            const std::int64_t share = p.shots == 0 ? 0 : std::int64_t{p.hits} * 100 / p.shots;
            EXPECT_EQ(d.shotsText,
                      decimal(p.shots) + u"/" + decimal(p.hits) + u" (" + decimal(share) + u"%)");
            EXPECT_EQ(d.shellPriceText, u"7");
            EXPECT_EQ(d.ammoCostText, decimal(p.shots * 7));
            EXPECT_EQ(d.netCreditsText, decimal(p.credits - p.shots * 7 - p.repair));

            std::vector<std::u16string> achievements;
            for (const int code : p.achievements)
                if (auto name = achievementName(code, f.language)) achievements.push_back(*name);
            for (std::size_t i = 0; i < p.heroVehicleIds.size(); ++i)
                if (p.heroVehicleIds[i] == facts.playerVehicleId && p.achieveIndices[i] >= 0 &&
                    p.achieveIndices[i] <= 6)
                    achievements.push_back(u"H" + decimal(p.achieveIndices[i]));
            EXPECT_EQ(d.achievements, achievements);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 24);
}

TEST(BattleDetails, GeneratedUnreadableAndRejectedReplays) {
    Fixture f;
    samples::SampleOptions options;
    options.descriptionUnreadable = true;
    EXPECT_EQ(f.readBytes(samples::makeSampleReplay(3, options).bytes).status,
              BattleDetailsStatus::DescriptionUnreadable);
    options = {};
    options.headerRejected = true;
    EXPECT_EQ(f.readBytes(samples::makeSampleReplay(4, options).bytes).status,
              BattleDetailsStatus::HeaderRejected);
}
