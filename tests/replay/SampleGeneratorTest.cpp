// The sample generator is checked independently of the program's own reader and parser: the pieces are read
// and the blocks cut here with plain byte and string searches, and a small strict JSON reader below checks
// that the blocks are standard JSON holding what the facts say.
#include "samplegen/SampleReplay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

using namespace tapeloft::samples;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;

// ---- reading as the replay readers do ----

struct ReadText {
    std::string text;    // the 11 pieces joined, terminators dropped
    std::size_t end = 0; // file offset just after the 11th terminator (or the file's end)
};

ReadText readPieces(std::string_view bytes, std::size_t start) {
    ReadText read;
    std::size_t i = start;
    for (int piece = 0; piece < 11; ++piece) {
        while (i < bytes.size() && bytes[i] != '\0' && bytes[i] != '\n' && bytes[i] != '\r')
            read.text += bytes[i++];
        if (i < bytes.size()) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            ++i;
        }
    }
    read.end = i;
    return read;
}

struct Blocks {
    bool hasDescription = false;
    std::string
        description; // from the first {" through the brace of the first "} after it, plus one character
    bool hasResults = false;
    std::string results; // from the first [{ through the first }}]
};

Blocks cutBlocks(const std::string& text) {
    Blocks blocks;
    const std::size_t p1 = text.find("{\"");
    const std::string kept = p1 == std::string::npos ? text : text.substr(p1);
    blocks.hasDescription = p1 != std::string::npos;
    const std::size_t p2 = kept.find("\"}");
    if (p2 != std::string::npos) blocks.description = kept.substr(0, p2 + 3);
    const std::size_t p3 = kept.find("[{");
    const std::size_t p4 = kept.find("}}]");
    blocks.hasResults = p3 != std::string::npos;
    if (p3 != std::string::npos && p4 != std::string::npos && p4 >= p3)
        blocks.results = kept.substr(p3, p4 - p3 + 3);
    return blocks;
}

// Long texts compare without printing them whole on failure.
::testing::AssertionResult sameText(std::string_view actual, std::string_view expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return ::testing::AssertionFailure()
           << "texts of " << actual.size() << " and " << expected.size() << " characters differ at " << at
           << ": '" << actual.substr(at, 40) << "' instead of '" << expected.substr(at, 40) << "'";
}

// 'd' stands for a digit, every other character for itself.
bool fitsPattern(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i])
            return false;
    return true;
}

int headerSum(std::string_view bytes) {
    int sum = 0;
    for (std::size_t i = 0; i < 7 && i < bytes.size(); ++i)
        sum = (sum + static_cast<unsigned char>(bytes[i])) & 0xFF;
    return sum;
}
bool passesScanTest(std::string_view bytes) {
    return headerSum(bytes) >= 128 && headerSum(bytes) <= 139;
}
bool passesDetailsTest(std::string_view bytes) {
    return !bytes.empty() && bytes[0] == '\x12';
}

// ---- a strict JSON reader ----

struct Json {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool flag = false;
    bool integral = true;
    long long number = 0;
    std::string text;
    std::vector<Json> elements;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](std::string_view key) const {
        static const Json none;
        for (const auto& [name, value] : members)
            if (name == key) return value;
        return none;
    }
    const Json& operator[](std::size_t index) const {
        static const Json none;
        return index < elements.size() ? elements[index] : none;
    }
    bool has(std::string_view key) const {
        for (const auto& member : members)
            if (member.first == key) return true;
        return false;
    }
    long long operator()(std::string_view key) const { return (*this)[key].number; }
};

class StrictJson final {
public:
    explicit StrictJson(std::string_view text) : text_(text) {}

    // The value at the start of the text; used tells how many characters it took.
    std::optional<Json> parse(std::size_t& used) {
        Json value;
        if (!parseValue(value)) return std::nullopt;
        used = at_;
        return value;
    }

private:
    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t'))
            ++at_;
    }
    bool eat(char c) {
        skipBlanks();
        if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
        return false;
    }
    bool parseString(std::string& out) {
        if (!eat('"')) return false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (at_ >= text_.size()) return false;
                const char e = text_[at_++];
                if (e != '"' && e != '\\' && e != '/') return false; // the generator needs no other escape
                out += e;
            } else {
                out += c;
            }
        }
        return false;
    }
    bool parseValue(Json& value) {
        skipBlanks();
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            value.kind = Json::Kind::Object;
            if (eat('}')) return true;
            do {
                std::string key;
                Json member;
                if (!parseString(key) || !eat(':') || !parseValue(member)) return false;
                for (const auto& existing : value.members)
                    if (existing.first == key) return false; // duplicate keys would be merged by readers
                value.members.emplace_back(std::move(key), std::move(member));
            } while (eat(','));
            return eat('}');
        }
        if (c == '[') {
            ++at_;
            value.kind = Json::Kind::Array;
            if (eat(']')) return true;
            do {
                Json element;
                if (!parseValue(element)) return false;
                value.elements.push_back(std::move(element));
            } while (eat(','));
            return eat(']');
        }
        if (c == '"') {
            value.kind = Json::Kind::String;
            return parseString(value.text);
        }
        for (const auto& [word, kind, flag] :
             {std::tuple{"true", Json::Kind::Boolean, true}, std::tuple{"false", Json::Kind::Boolean, false},
              std::tuple{"null", Json::Kind::Null, false}}) {
            if (text_.substr(at_).starts_with(word)) {
                at_ += std::string_view(word).size();
                value.kind = kind;
                value.flag = flag;
                value.number = flag ? 1 : 0;
                return true;
            }
        }
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        while (at_ < text_.size() &&
               (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.'))
            ++at_;
        const std::string token(text_.substr(start, at_ - start));
        if (token.empty() || token == "-") return false;
        value.kind = Json::Kind::Number;
        value.integral = token.find('.') == std::string::npos;
        value.number = std::stoll(token);
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::optional<Json> parseWhole(std::string_view text) {
    std::size_t used = 0;
    auto value = StrictJson(text).parse(used);
    if (!value || used != text.size()) return std::nullopt;
    return value;
}

const Json& personalOf(const Json& results, const SampleFacts& facts) {
    const Json& personal = results[0]["personal"];
    return facts.layout == ResultsLayout::Earlier ? personal : personal[std::to_string(facts.playerTypeCode)];
}

struct Variant {
    const char* name;
    SampleOptions options;
};

const std::vector<Variant>& variants() {
    static const std::vector<Variant> all = [] {
        std::vector<Variant> list;
        list.push_back({"current", {}});
        SampleOptions earlier;
        earlier.layout = ResultsLayout::Earlier;
        list.push_back({"earlier", earlier});
        SampleOptions none;
        none.layout = ResultsLayout::None;
        list.push_back({"no results", none});
        SampleOptions rejected;
        rejected.headerRejected = true;
        list.push_back({"header rejected", rejected});
        SampleOptions unreadable;
        unreadable.descriptionUnreadable = true;
        list.push_back({"description unreadable", unreadable});
        SampleOptions small;
        small.vehicleCount = 2;
        small.tailBytes = 0;
        list.push_back({"two vehicles, no tail", small});
        SampleOptions progress;
        progress.progress = true;
        list.push_back({"progress", progress});
        return list;
    }();
    return all;
}

constexpr std::uint32_t seedsPerVariant = 40;

// ---- tests ----

TEST(SampleGenerator, SameSeedGivesSameBytesAndOtherSeedsDiffer) {
    for (const Variant& variant : variants()) {
        SCOPED_TRACE(variant.name);
        const SampleReplay a = makeSampleReplay(1234, variant.options);
        const SampleReplay b = makeSampleReplay(1234, variant.options);
        EXPECT_TRUE(a.bytes == b.bytes);
        EXPECT_EQ(a.facts.fileName, b.facts.fileName);
        EXPECT_FALSE(a.bytes == makeSampleReplay(1235, variant.options).bytes);
    }
    // Pinned so that a change of the byte stream (another library, another distribution) is noticed.
    // Pinned, so that another standard library or platform giving other bytes for a seed is noticed.
    const SampleReplay pinned = makeSampleReplay(7);
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : pinned.bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    EXPECT_EQ(pinned.facts.fileName, "20150923_1843_sudmark-S02_Falke_08_old_harbour.ivlreplay");
    EXPECT_EQ(pinned.bytes.size(), 79375u);
    EXPECT_EQ(hash, 3755540966978708900ull);
}

TEST(SampleGenerator, HeadersPassOrFailBothTests) {
    EXPECT_EQ(validHeader().size(), 7u);
    EXPECT_TRUE(passesScanTest(validHeader()));
    EXPECT_TRUE(passesDetailsTest(validHeader()));
    EXPECT_EQ(rejectedHeader().size(), 7u);
    EXPECT_FALSE(passesScanTest(rejectedHeader()));
    EXPECT_FALSE(passesDetailsTest(rejectedHeader()));
    for (const Variant& variant : variants()) {
        SCOPED_TRACE(variant.name);
        for (std::uint32_t seed = 0; seed < seedsPerVariant; ++seed) {
            const std::string bytes = makeSampleReplay(seed, variant.options).bytes;
            EXPECT_EQ(passesScanTest(bytes), !variant.options.headerRejected) << "seed " << seed;
            EXPECT_EQ(passesDetailsTest(bytes), !variant.options.headerRejected) << "seed " << seed;
            // A reader that starts after byte 0 reads bytes 1..6 as text: no terminators there.
            EXPECT_EQ(bytes.substr(1, 6).find_first_of(std::string("\0\n\r", 3)), std::string::npos);
        }
    }
}

TEST(SampleGenerator, BlocksAreFoundWhereTheReadersLookFromEitherHeaderTest) {
    for (const Variant& variant : variants()) {
        SCOPED_TRACE(variant.name);
        for (std::uint32_t seed = 0; seed < seedsPerVariant; ++seed) {
            const SampleReplay replay = makeSampleReplay(seed, variant.options);
            const SampleFacts& facts = replay.facts;
            for (const std::size_t start : {std::size_t{7}, std::size_t{1}}) {
                SCOPED_TRACE("seed " + std::to_string(seed) + ", reading from " + std::to_string(start));
                const ReadText read = readPieces(replay.bytes, start);
                // The tail stays out of the 11 pieces.
                EXPECT_LE(read.end, facts.tailOffset);
                const Blocks blocks = cutBlocks(read.text);
                ASSERT_TRUE(blocks.hasDescription);
                // The cut ends at the description's closing brace plus the one character the parser ignores.
                ASSERT_FALSE(blocks.description.empty());
                // (The extra character is missing when the read text ends with the brace.)
                EXPECT_TRUE(sameText(blocks.description.substr(0, facts.descriptionJson.size()),
                                     facts.descriptionJson));
                EXPECT_LE(blocks.description.size(), facts.descriptionJson.size() + 1);
                if (variant.options.layout == ResultsLayout::None) {
                    EXPECT_FALSE(blocks.hasResults);
                    EXPECT_TRUE(facts.resultsJson.empty());
                } else {
                    EXPECT_TRUE(sameText(blocks.results, facts.resultsJson));
                }
            }
            EXPECT_EQ(replay.bytes.size() - facts.tailOffset,
                      std::min<std::size_t>(variant.options.tailBytes, 64 * 1024 * 1024));
        }
    }
}

TEST(SampleGenerator, BlocksAreWholeJsonValuesWithoutMarkersInside) {
    for (const ResultsLayout layout : {ResultsLayout::Current, ResultsLayout::Earlier}) {
        for (std::uint32_t seed = 0; seed < seedsPerVariant; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            SampleOptions options;
            options.layout = layout;
            const SampleFacts facts = makeSampleReplay(seed, options).facts;
            const std::string& description = facts.descriptionJson;
            const std::string& results = facts.resultsJson;
            // The closing brace of the object is the brace of the first "}.
            EXPECT_EQ(description.find("\"}"), description.size() - 2);
            EXPECT_EQ(description.find("[{"), std::string::npos);
            EXPECT_EQ(description.find("}}]"), std::string::npos);
            EXPECT_EQ(results.find("[{"), 0u);
            EXPECT_EQ(results.find("}}]"), results.size() - 3);
            for (const std::string* block : {&description, &results})
                EXPECT_EQ(block->find_first_of(std::string("\0\n\r", 3)), std::string::npos);
            const auto d = parseWhole(description);
            ASSERT_TRUE(d);
            EXPECT_EQ(d->kind, Json::Kind::Object);
            const auto r = parseWhole(results);
            ASSERT_TRUE(r);
            ASSERT_EQ(r->kind, Json::Kind::Array);
            EXPECT_EQ(r->elements.size(), 3u);
        }
    }
}

TEST(SampleGenerator, BlockSizesAreNearTheTargets) {
    for (std::uint32_t seed = 0; seed < seedsPerVariant; ++seed) {
        const SampleReplay replay = makeSampleReplay(seed);
        EXPECT_GT(replay.facts.descriptionJson.size(), 5000u);
        EXPECT_LT(replay.facts.descriptionJson.size(), 8000u);
        EXPECT_GT(replay.facts.resultsJson.size(), 36000u);
        EXPECT_LT(replay.facts.resultsJson.size(), 46000u);
        EXPECT_EQ(replay.bytes.size() - replay.facts.tailOffset, 32u * 1024u);
    }
    SampleOptions big;
    big.tailBytes = 100000;
    EXPECT_EQ(makeSampleReplay(1, big).bytes.size() - makeSampleReplay(1, big).facts.tailOffset, 100000u);
}

TEST(SampleGenerator, DescriptionHoldsTheFacts) {
    const std::set<std::string> nations{"nordland", "sudmark", "ostria", "westmere"};
    for (const Variant& variant : {variants()[0], variants()[1], variants()[5]}) {
        for (std::uint32_t seed = 0; seed < seedsPerVariant; ++seed) {
            SCOPED_TRACE(std::string(variant.name) + ", seed " + std::to_string(seed));
            const SampleFacts facts = makeSampleReplay(seed, variant.options).facts;
            const auto d = parseWhole(facts.descriptionJson);
            ASSERT_TRUE(d);
            EXPECT_EQ((*d)["playerName"].text, facts.playerName);
            EXPECT_EQ((*d)["dateTime"].text, facts.dateTime);
            EXPECT_TRUE(fitsPattern(facts.dateTime, "dd.dd.dddd dd:dd:dd")) << facts.dateTime;
            const std::string& t = facts.dateTime;
            EXPECT_EQ(facts.fileName, t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2) + "_" +
                                          t.substr(11, 2) + t.substr(14, 2) + "_" + facts.nation + "-" +
                                          facts.tag + "_" + facts.mapName + ".ivlreplay");
            EXPECT_EQ((*d)["mapName"].text, facts.mapName);
            EXPECT_EQ((*d)["gameplayID"].text, facts.gameplayId);
            EXPECT_EQ((*d)["playerVehicle"].text, facts.nation + "-" + facts.tag);
            EXPECT_TRUE(nations.count(facts.nation));
            EXPECT_EQ((*d)["serverName"].text, facts.serverName);
            EXPECT_EQ((*d)["clientVersionFromXml"].text, facts.clientVersionFromXml);
            EXPECT_EQ((*d)["clientVersionFromExe"].text,
                      variant.options.layout == ResultsLayout::Earlier ? "0, 9, 7, 0" : "0, 9, 8, 0");
            EXPECT_GE((*d)("battleType"), 1);
            EXPECT_LE((*d)("battleType"), 7);
            EXPECT_EQ(d->has("gameplayType"), facts.hasGameplayType);

            const Json& vehicles = (*d)["vehicles"];
            ASSERT_EQ(vehicles.members.size(), static_cast<std::size_t>(variant.options.vehicleCount));
            int named = 0;
            for (const auto& [key, entry] : vehicles.members) {
                EXPECT_EQ(key, std::to_string(std::stoll(key))); // a plain decimal id
                EXPECT_TRUE(entry("team") == 1 || entry("team") == 2);
                const std::string type = entry["vehicleType"].text;
                ASSERT_NE(type.find(':'), std::string::npos);
                EXPECT_TRUE(nations.count(type.substr(0, type.find(':')))) << type;
                EXPECT_EQ(entry["isAlive"].kind, Json::Kind::Boolean);
                // Each entry ends with a literal, so no "} occurs before the end of the description.
                EXPECT_NE(entry.members.back().second.kind, Json::Kind::String);
                if (entry["name"].text == facts.playerName) {
                    ++named;
                    EXPECT_EQ(key, std::to_string(facts.playerVehicleId));
                    EXPECT_EQ(type, facts.nation + ":" + facts.tag);
                    EXPECT_EQ(entry("team"), facts.playerTeam);
                    EXPECT_EQ(entry["clanAbbrev"].text, facts.playerClan);
                }
            }
            EXPECT_EQ(named, 1);
            EXPECT_EQ(d->members.back().second.kind, Json::Kind::String);
        }
    }
}

TEST(SampleGenerator, ResultsFollowTheLayoutAndHoldThePersonalFacts) {
    for (const ResultsLayout layout : {ResultsLayout::Current, ResultsLayout::Earlier}) {
        for (std::uint32_t seed = 0; seed < seedsPerVariant; ++seed) {
            SCOPED_TRACE(std::string(layout == ResultsLayout::Current ? "current" : "earlier") + ", seed " +
                         std::to_string(seed));
            SampleOptions options;
            options.layout = layout;
            const SampleFacts facts = makeSampleReplay(seed, options).facts;
            const auto r = parseWhole(facts.resultsJson);
            ASSERT_TRUE(r);
            const std::string id = std::to_string(facts.playerVehicleId);
            const Json& element0 = (*r)[0];
            EXPECT_EQ(element0["common"]("winnerTeam"), facts.winnerTeam);
            EXPECT_EQ(element0["common"]("finishReason"), facts.finishReason);
            EXPECT_EQ(element0["vehicles"][id][0]("typeCompDescr"), facts.playerTypeCode);
            const Json& p = personalOf(*r, facts);
            ASSERT_EQ(p.kind, Json::Kind::Object);
            const SamplePersonal& f = facts.personal;
            const std::map<std::string, long long> expected{
                {"lifeTime", f.lifeTime},
                {"xp", f.xp},
                {"freeXP", f.freeXP},
                {"xpPenalty", f.xpPenalty},
                {"originalXP", f.originalXP},
                {"credits", f.credits},
                {"creditsPenalty", f.creditsPenalty},
                {"repair", f.repair},
                {"damageDealt", f.damageDealt},
                {"potentialDamageDealt", f.potentialDamageDealt},
                {"damageReceived", f.damageReceived},
                {"potentialDamageReceived", f.potentialDamageReceived},
                {"shots", f.shots},
                {"hits", f.hits},
                {"shotsReceived", f.shotsReceived},
                {"health", f.health},
                {"capturePoints", f.capturePoints},
                {"droppedCapturePoints", f.droppedCapturePoints},
                {"killerID", f.killerId},
                {"markOfMastery", f.markOfMastery},
            };
            for (const auto& [key, value] : expected) {
                EXPECT_TRUE(p.has(key)) << key;
                EXPECT_EQ(p(key), value) << key;
            }
            EXPECT_EQ(p["autoLoadCost"].elements.size(), 2u);
            EXPECT_EQ(p["autoLoadCost"][0].number, f.autoLoadCost[0]);
            EXPECT_EQ(p["autoEquipCost"][0].number, f.autoEquipCost[0]);
            ASSERT_EQ(p["achievements"].elements.size(), f.achievements.size());
            for (std::size_t i = 0; i < f.achievements.size(); ++i)
                EXPECT_EQ(p["achievements"][i].number, f.achievements[i]);
            ASSERT_EQ(p["heroVehicleIDs"].elements.size(), f.heroVehicleIds.size());
            EXPECT_EQ(p["achieveIndices"].elements.size(), f.heroVehicleIds.size());
            // The daily factor is where each layout keeps it, and only there.
            if (layout == ResultsLayout::Current) {
                EXPECT_EQ(p("dailyXPFactor10"), f.dailyXPFactor10);
                EXPECT_FALSE(element0.has("factors"));
            } else {
                EXPECT_FALSE(p.has("dailyXPFactor10"));
                EXPECT_EQ(element0["factors"]("dailyXPFactor10"), f.dailyXPFactor10);
            }
            EXPECT_EQ((*r)[1][id]["name"].text, facts.playerName);
            EXPECT_EQ((*r)[1][id]["isAlive"].flag, facts.playerAlive);
            EXPECT_EQ((*r)[2][id]("frags"), facts.playerFrags);
            if (facts.personal.killerId != 0) {
                EXPECT_EQ((*r)[1][std::to_string(facts.personal.killerId)]["name"].text, facts.killerName);
            }
        }
    }
}

// Plausibility across many battles: the numbers agree with each other and with the outcome.
TEST(SampleGenerator, BattlesAreConsistent) {
    for (const bool progress : {false, true}) {
        SCOPED_TRACE(progress ? "with progress" : "without progress");
        SampleOptions options;
        options.progress = progress;
        std::set<int> codes;
        int wins = 0, losses = 0, deadPlayers = 0;
        for (std::uint32_t seed = 0; seed < 150; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            const SampleFacts facts = makeSampleReplay(seed, options).facts;
            const auto r = parseWhole(facts.resultsJson);
            ASSERT_TRUE(r);
            const SamplePersonal& p = facts.personal;
            EXPECT_LE(p.hits, p.shots);
            EXPECT_LE(p.damageDealt, p.potentialDamageDealt);
            EXPECT_LE(p.damageReceived, p.potentialDamageReceived);
            EXPECT_EQ(p.xp, std::max(0, p.originalXP * p.dailyXPFactor10 / 10 - p.xpPenalty));
            EXPECT_EQ(facts.finishReason, facts.winnerTeam == facts.playerTeam ? 1
                                          : facts.winnerTeam == 0              ? 2
                                                                               : 3);
            wins += facts.finishReason == 1;
            losses += facts.finishReason == 3;
            if (p.dailyXPFactor10 > 10) {
                EXPECT_EQ(facts.finishReason, 1);
            }
            codes.insert(p.achievements.begin(), p.achievements.end());

            std::map<std::string, int> team;
            for (const auto& [id, state] : (*r)[1].members)
                team[id] = static_cast<int>(state("team"));
            int deaths = 0, frags = 0;
            for (const auto& [id, state] : (*r)[1].members) {
                const Json& numbers = (*r)[0]["vehicles"][id][0];
                EXPECT_LE(numbers("hits"), numbers("shots"));
                EXPECT_LE(numbers("pierced"), numbers("hits"));
                EXPECT_EQ(numbers("kills"), (*r)[2][id]("frags"));
                frags += static_cast<int>((*r)[2][id]("frags"));
                if (state["isAlive"].flag) {
                    EXPECT_EQ(numbers("killerID"), 0);
                    EXPECT_GT(numbers("health"), 0);
                } else {
                    ++deaths;
                    EXPECT_EQ(numbers("health"), 0);
                    const std::string killer = std::to_string(numbers("killerID"));
                    ASSERT_TRUE(team.count(killer)) << "killer " << killer;
                    EXPECT_NE(team[killer], team[id]);
                }
            }
            EXPECT_EQ(frags, deaths);
            if (!facts.playerAlive) {
                ++deadPlayers;
                EXPECT_EQ(p.health, 0);
                EXPECT_FALSE(facts.killerName.empty());
            }
            // What one team dealt, the other received.
            for (const int side : {1, 2}) {
                long long dealt = 0, received = 0;
                for (const auto& [id, entry] : (*r)[0]["vehicles"].members)
                    (team[id] == side ? dealt : received) +=
                        entry[0](team[id] == side ? "damageDealt" : "damageReceived");
                EXPECT_EQ(dealt, received);
            }
            long long detailed = 0;
            for (const auto& [id, detail] : personalOf(*r, facts)["details"].members) {
                EXPECT_NE(team[id], facts.playerTeam);
                detailed += detail("damageDealt");
            }
            EXPECT_EQ(detailed, p.damageDealt);
        }
        // Over many battles both outcomes, destroyed players and achievements the details window knows and
        // does not know turn up.
        EXPECT_GT(wins, 20);
        EXPECT_GT(losses, 20);
        EXPECT_GT(deadPlayers, 10);
        EXPECT_TRUE(codes.count(34) || codes.count(147) || codes.count(36) || codes.count(35));
        EXPECT_TRUE(codes.count(41) || codes.count(79) || codes.count(99) || codes.count(120));
    }
}

TEST(SampleGenerator, WithProgressThePlayerDoesBetterLaterAndKeepsToAFewVehicles) {
    SampleOptions options;
    options.progress = true;
    options.tailBytes = 0;
    // The current layout's battles lie from 14 May to 31 December 2015; the first and the last third.
    const std::int64_t early = 1431561600 + 77 * 86400, late = 1431561600 + 154 * 86400;
    struct Third {
        int battles = 0, wins = 0;
        long long damage = 0;
    } first, last;
    std::map<std::string, int> vehicles;
    for (std::uint32_t seed = 0; seed < 600; ++seed) {
        const SampleFacts facts = makeSampleReplay(seed, options).facts;
        ++vehicles[facts.playerVehicle];
        if (facts.battleStart >= early && facts.battleStart < late) continue;
        Third& third = facts.battleStart < early ? first : last;
        ++third.battles;
        third.wins += facts.finishReason == 1;
        third.damage += facts.personal.damageDealt;
    }
    ASSERT_GT(first.battles, 100);
    ASSERT_GT(last.battles, 100);
    const double firstRate = static_cast<double>(first.wins) / first.battles;
    const double lastRate = static_cast<double>(last.wins) / last.battles;
    EXPECT_GT(lastRate - firstRate, 0.15) << firstRate << " then " << lastRate;
    EXPECT_GT(static_cast<double>(last.damage) / last.battles,
              1.3 * static_cast<double>(first.damage) / first.battles);
    // Half the battles in one nation's five vehicles.
    int nordland = 0;
    for (const auto& [vehicle, battles] : vehicles)
        if (vehicle.starts_with("nordland-")) nordland += battles;
    EXPECT_GT(nordland, 240);
}

TEST(SampleGenerator, UnreadableDescriptionNeverParsesButKeepsItsStartMarker) {
    SampleOptions options;
    options.descriptionUnreadable = true;
    for (std::uint32_t seed = 0; seed < seedsPerVariant; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const SampleReplay replay = makeSampleReplay(seed, options);
        const Blocks blocks = cutBlocks(readPieces(replay.bytes, 7).text);
        ASSERT_TRUE(blocks.hasDescription);
        std::size_t used = 0;
        EXPECT_FALSE(StrictJson(blocks.description).parse(used)); // no complete value at its start
        // Not even a lenient reader can finish it: the cut text ends with objects still open.
        int depth = 0;
        bool inString = false;
        for (const char c : blocks.description) {
            if (c == '"') inString = !inString;
            if (!inString && c == '{') ++depth;
            if (!inString && c == '}') --depth;
        }
        EXPECT_GE(depth, 1);
        EXPECT_TRUE(parseWhole(blocks.results)); // the results are intact
    }
}

TEST(SampleGenerator, AssembleKeepsTheGivenBlocksAndTheTailOutOfTheRead) {
    const std::string description = R"({"playerName": "A"})";
    const std::string results = R"([{"a": 1}, {}, {"1": {"frags": 0}}])";
    const std::string tail(100, '\n');
    for (const std::string& header : {validHeader(), rejectedHeader()}) {
        const std::string bytes = assembleReplay(header, description, results, tail);
        EXPECT_EQ(bytes.substr(0, 7), header);
        const ReadText read = readPieces(bytes, 7);
        EXPECT_EQ(read.end, bytes.size() - tail.size());
        const Blocks blocks = cutBlocks(read.text);
        EXPECT_EQ(blocks.description.substr(0, description.size()), description);
        EXPECT_EQ(blocks.results, results);
    }
    // Without results there is no results start marker; raw line breaks in a block use up pieces.
    const std::string bare = assembleReplay(validHeader(), description, {}, "[{}}]");
    EXPECT_FALSE(cutBlocks(readPieces(bare, 7).text).hasResults);
    const std::string broken = assembleReplay(validHeader(), "{\"a\":\n\n1}", results, "tail");
    EXPECT_EQ(readPieces(broken, 7).end, broken.size() - 4);
}

TEST(SampleGenerator, WritesANestedFolderOnceAndIdenticallyForASeed) {
    TempDir first, second;
    std::string error;
    const auto written = writeSampleFolder(first.path(), 60, 99, {}, false, &error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(written.size(), 60u);
    std::set<std::string> names;
    std::size_t nested = 0;
    for (const auto& path : written) {
        EXPECT_TRUE(std::filesystem::is_regular_file(path));
        EXPECT_EQ(path.extension(), ".ivlreplay");
        names.insert(path.filename().string());
        const auto relative = std::filesystem::relative(path, first.path());
        if (std::distance(relative.begin(), relative.end()) >= 3) ++nested;
        const std::string bytes = readBytes(path);
        EXPECT_TRUE(passesScanTest(bytes));
        EXPECT_TRUE(parseWhole(cutBlocks(readPieces(bytes, 7).text).results));
    }
    EXPECT_EQ(names.size(), written.size()); // unique names, also across folders
    EXPECT_GT(nested, 0u);

    const auto again = writeSampleFolder(second.path(), 60, 99);
    ASSERT_EQ(again.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(std::filesystem::relative(again[i], second.path()),
                  std::filesystem::relative(written[i], first.path()));
        EXPECT_TRUE(sameText(readBytes(again[i]), readBytes(written[i])));
    }

    TempDir flatDir;
    for (const auto& path : writeSampleFolder(flatDir.path(), 10, 99, {}, true))
        EXPECT_EQ(path.parent_path(), flatDir.path());
}

TEST(SampleGenerator, AnExistingFileStopsTheRunAndLeavesNothingBehind) {
    TempDir probe, target;
    const auto planned = writeSampleFolder(probe.path(), 12, 5);
    ASSERT_EQ(planned.size(), 12u);
    // Occupy the place of the last file: the eleven written before it must go again.
    const auto relative = std::filesystem::relative(planned.back(), probe.path());
    const auto occupied = target.write(relative, "mine");
    std::string error;
    EXPECT_TRUE(writeSampleFolder(target.path(), 12, 5, {}, false, &error).empty());
    EXPECT_NE(error.find("already exists"), std::string::npos) << error;
    EXPECT_EQ(readBytes(occupied), "mine");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(target.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);
    EXPECT_TRUE(writeSampleFolder(target.path(), -1, 5, {}, false, &error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(SampleGenerator, ThousandsOfReplaysTakeLittleTime) {
    const auto start = std::chrono::steady_clock::now();
    std::size_t bytes = 0;
    for (std::uint32_t seed = 0; seed < 2000; ++seed)
        bytes += makeSampleReplay(seed).bytes.size();
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(bytes, 2000u * 70000u);
    // 10,000 replays must take a few seconds; this bound leaves room for slow and instrumented builds.
    EXPECT_LT(seconds, 20.0);
}

} // namespace
