// Every fuzz target is wired up everywhere it must be: built, run by scripts/fuzz's default round (and so by
// scripts/test), given its dictionary, described in the README, and seeded with uniquely named seeds.
#include "FuzzEntries.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

using namespace tapeloft;

namespace {

std::string sourceFile(const char* relative) {
    return test::readBytes(test::sourceDir() / relative);
}

// The words of the line in scripts/fuzz that sets the default targets.
std::set<std::string> defaultFuzzTargets() {
    const std::string script = sourceFile("scripts/fuzz");
    std::smatch match;
    std::set<std::string> names;
    if (!std::regex_search(script, match, std::regex(R"(\] && targets=\(([^)]*)\))"))) return names;
    std::istringstream words(match[1].str());
    for (std::string word; words >> word;)
        names.insert(word);
    return names;
}

TEST(FuzzTargetList, EveryTargetIsBuiltRunDescribedAndHasADictionary) {
    const std::set<std::string> defaults = defaultFuzzTargets();
    const std::string cmake = sourceFile("fuzz/CMakeLists.txt");
    const std::string readme = sourceFile("fuzz/README.md");
    std::set<std::string> names;
    for (const fuzz::Target target : fuzz::kAllTargets) {
        const std::string name = fuzz::targetName(target);
        EXPECT_TRUE(names.insert(name).second) << name << " named twice";
        EXPECT_TRUE(defaults.contains(name)) << name << " is left out of the default round";
        EXPECT_TRUE(std::filesystem::is_regular_file(test::sourceDir() / "fuzz" / ("fuzz_" + name + ".cpp")))
            << name;
        EXPECT_TRUE(std::filesystem::is_regular_file(test::sourceDir() / "fuzz/dict" / (name + ".dict")))
            << name << ": scripts/fuzz passes the dictionary of every target";
        EXPECT_NE(cmake.find(" " + name), std::string::npos) << name << " is not built";
        EXPECT_NE(readme.find("| `fuzz_" + name + "` |"), std::string::npos) << name << " is not described";
    }
    EXPECT_EQ(defaults, names) << "the default round names a target that does not exist";
}

TEST(FuzzTargetList, SeedsHaveNamesOfTheirOwn) {
    // fuzz_seeds writes each seed to a file of its name; a name used twice loses a seed.
    for (const fuzz::Target target : fuzz::kAllTargets) {
        std::set<std::string> names;
        const auto seeds = fuzz::builtInSeeds(target);
        EXPECT_GE(seeds.size(), 5u) << fuzz::targetName(target);
        for (const auto& seed : seeds) {
            EXPECT_FALSE(seed.name.empty() || seed.name.find('/') != std::string::npos) << seed.name;
            EXPECT_TRUE(names.insert(seed.name).second) << fuzz::targetName(target) << ": " << seed.name;
        }
    }
}

} // namespace
