// The fuzz targets' entry functions on every build, without clang: each runs over its seed corpus, the
// inputs that once failed, and a few hundred mutations of the seeds. A broken check aborts the test.
#include "FuzzEntries.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using namespace tapeloft;
using fuzz::Seed;
using fuzz::Target;

namespace {

constexpr int kMutations = 300;
// Sanitizer builds run several times slower; the mutations stop early rather than hold up the suite.
constexpr std::chrono::seconds kTimeBudget{4};

// Pieces that mean something to one of the readers.
constexpr std::string_view kTokens[] = {
    "{\"",        "\"}",
    "[{",         "}}]",
    "\\u",        "\\ud800",
    "\\",         "\"",
    ":",          ",",
    "]",          "}",
    "1e999",      "-0.5",
    "\r\n",       "\r",
    "\n",         std::string_view("\0", 1),
    "\x12",       "\xFF",
    "\xC3",       "\xF0\x9F\x98",
    "=",          "[",
    ";",          "\xEF\xBB\xBF",
    "\t",         " ",
    "txt7",       "[text]",
    "playerName", "vehicles",
    "personal",   "99999999999999999999",
};

class Mutator final {
public:
    explicit Mutator(std::uint32_t seed) : random_(seed) {}

    std::string mutate(const std::vector<Seed>& seeds) {
        std::string bytes = seeds[below(seeds.size())].bytes;
        const int steps = 1 + static_cast<int>(below(4));
        for (int i = 0; i < steps; ++i)
            step(bytes, seeds);
        return bytes;
    }

private:
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random_() % n); }

    void step(std::string& bytes, const std::vector<Seed>& seeds) {
        const std::size_t at = below(bytes.size() + 1);
        switch (below(7)) {
        case 0: // flip a byte
            if (!bytes.empty()) bytes[below(bytes.size())] ^= static_cast<char>(1 + below(255));
            break;
        case 1: // a token
            bytes.insert(at, kTokens[below(std::size(kTokens))]);
            break;
        case 2: // cut a range out
            bytes.erase(at, below(64));
            break;
        case 3: // cut the end off
            bytes.resize(at);
            break;
        case 4: { // repeat a range
            const std::string range = bytes.substr(at, below(32));
            bytes.insert(at, range);
            break;
        }
        case 5: { // a piece of another seed
            const std::string& other = seeds[below(seeds.size())].bytes;
            const std::size_t from = below(other.size());
            bytes.insert(at, other.substr(from, below(256)));
            break;
        }
        default: // random bytes
            for (std::size_t n = below(8); n > 0; --n)
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(below(bytes.size() + 1)),
                             static_cast<char>(random_()));
            break;
        }
    }

    std::mt19937 random_;
};

void run(void (*entry)(const std::uint8_t*, std::size_t), std::string_view bytes) {
    entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::vector<Seed> corpus(Target target) {
    std::vector<Seed> seeds = fuzz::builtInSeeds(target);
    const auto fuzzDir = test::sourceDir() / "fuzz";
    for (const char* kind : {"seeds", "regressions"})
        for (auto& seed : fuzz::seedFiles(fuzzDir / kind / fuzz::targetName(target)))
            seeds.push_back(std::move(seed));
    if (target == Target::Prefs)
        for (auto& seed : fuzz::seedFiles(test::sourceDir() / "lang"))
            seeds.push_back(std::move(seed));
    return seeds;
}

// Returns how many mutations ran.
int runTarget(Target target, void (*entry)(const std::uint8_t*, std::size_t)) {
    const std::vector<Seed> seeds = corpus(target);
    EXPECT_GE(seeds.size(), 5u);
    for (const Seed& seed : seeds)
        run(entry, seed.bytes);

    Mutator mutator(static_cast<std::uint32_t>(target) + 1);
    const auto start = std::chrono::steady_clock::now();
    int done = 0;
    while (done < kMutations && std::chrono::steady_clock::now() - start < kTimeBudget) {
        run(entry, mutator.mutate(seeds));
        ++done;
    }
    return done;
}

} // namespace

TEST(FuzzEntries, JsonSeedsAndMutations) {
    EXPECT_GT(runTarget(Target::Json, fuzz::fuzzJson), 0);
}

TEST(FuzzEntries, ReplaySeedsAndMutations) {
    EXPECT_GT(runTarget(Target::Replay, fuzz::fuzzReplay), 0);
}

TEST(FuzzEntries, PrefsSeedsAndMutations) {
    EXPECT_GT(runTarget(Target::Prefs, fuzz::fuzzPrefs), 0);
}

TEST(FuzzEntries, XlsSeedsAndMutations) {
    EXPECT_GT(runTarget(Target::Xls, fuzz::fuzzXls), 0);
}

TEST(FuzzEntries, ListModelSeedsAndMutations) {
    EXPECT_GT(runTarget(Target::ListModel, fuzz::fuzzListModel), 0);
}

TEST(FuzzEntries, SettingsSeedsAndMutations) {
    EXPECT_GT(runTarget(Target::Settings, fuzz::fuzzSettings), 0);
}

TEST(FuzzEntries, PathsSeedsAndMutations) {
    EXPECT_GT(runTarget(Target::Paths, fuzz::fuzzPaths), 0);
}

TEST(FuzzEntries, CacheSeedsAndMutations) {
    EXPECT_GT(runTarget(Target::Cache, fuzz::fuzzCache), 0);
}
