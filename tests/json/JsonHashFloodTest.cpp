// Keys chosen to share one hash value must not make parsing slow: replays come from anyone.
#include "JsonTestSupport.h"

#include "base/TextCodec.h"
#include "samplegen/HostileJson.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>

namespace tapeloft::test {
namespace {

constexpr int kKeys = 100000;

// The fastest of up to `runs` parses, in seconds; stops early once a parse beats `enough`.
double fastestParse(const std::string& text, int runs, double enough) {
    double best = 1e9;
    for (int run = 0; run < runs && best > enough; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const auto doc = parseJsonUtf8(text);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(doc.has_value());
        best = std::min(best, took.count());
    }
    return best;
}

std::vector<std::u16string> keysOf(const JsonValue& object) {
    std::vector<std::u16string> keys;
    object.members([&](std::u16string_view key, const JsonValue&) { keys.emplace_back(key); });
    return keys;
}

TEST(JsonHashFlood, CraftedKeysReallyCollideForTheUnkeyedHash) {
    const auto doc = parseJsonUtf8(samples::collidingKeysObject(1000));
    ASSERT_TRUE(doc);
    const std::vector<std::u16string> keys = keysOf(doc->root());
    ASSERT_EQ(keys.size(), 1000u);
    std::set<std::uint32_t> hashes;
    for (const auto& key : keys)
        hashes.insert(samples::unkeyedKeyHash(key));
    EXPECT_EQ(hashes.size(), 1u);
    // The ordinary keys of the same shape spread.
    const auto ordinary = parseJsonUtf8(samples::ordinaryKeysObject(1000));
    ASSERT_TRUE(ordinary);
    hashes.clear();
    for (const auto& key : keysOf(ordinary->root()))
        hashes.insert(samples::unkeyedKeyHash(key));
    EXPECT_GT(hashes.size(), 990u);
}

TEST(JsonHashFlood, CollidingKeysParseAboutAsFastAsOrdinaryOnes) {
    const std::string ordinary = samples::ordinaryKeysObject(kKeys);
    const std::string crafted = samples::collidingKeysObject(kKeys);
    const double ordinarySeconds = fastestParse(ordinary, 3, 0.0);
    const double craftedSeconds = fastestParse(crafted, 3, 5 * ordinarySeconds);
    EXPECT_LE(craftedSeconds, 5 * ordinarySeconds)
        << "ordinary keys " << ordinarySeconds << " s, colliding keys " << craftedSeconds << " s";
}

TEST(JsonHashFlood, CollidingKeysKeepOrderAndLookups) {
    // Repeats among the colliding keys: the second value lands in the first member, order is kept.
    const std::string once = samples::collidingKeysObject(3000);
    std::string text = once.substr(0, once.size() - 1) + "," + once.substr(1);
    text.replace(text.rfind(":0"), 2, ":7");
    const auto doc = parseBoth(text);
    ASSERT_TRUE(doc);
    const JsonValue& root = doc->root();
    const std::vector<std::u16string> keys = keysOf(root);
    ASSERT_EQ(root.memberCount(), 3000);
    ASSERT_EQ(keys.size(), 3000u);
    EXPECT_EQ(keys, keysOf(parseJsonUtf8(once)->root()));
    for (std::size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(root.member(keys[i]).integerValue(), i + 1 == keys.size() ? 7 : 0) << i;
    std::u16string absent = keys.front();
    absent.back() = u'x';
    EXPECT_EQ(root.member(absent).kind(), JsonKind::Unset);
}

} // namespace
} // namespace tapeloft::test
