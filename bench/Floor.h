#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The floor of the scan figure: what reading the same bytes and parsing the same blocks with a fast
// JSON parser costs, without anything of ours in between.
namespace tapeloft::bench {

struct FloorFile {
    std::filesystem::path path;
    std::size_t leadBytes = 0; // header and the pieces the reader looks at
    // Byte ranges of the two blocks inside those leading bytes; length 0 = no such block.
    std::size_t descriptionAt = 0, descriptionSize = 0;
    std::size_t resultsAt = 0, resultsSize = 0;
};

struct FloorPlan {
    std::vector<FloorFile> files;
    std::size_t largestLead = 0;
    int blocksNotInFile = 0; // blocks that are not one run of the file's bytes (left out of the floor)
};

// Reads every replay below the folder once (untimed) to learn how many bytes the reader takes from it
// and where its two blocks lie.
FloorPlan planFloor(const std::filesystem::path& folder);

struct FloorTime {
    bool parserAvailable = false; // false: built without simdjson, parseSeconds stays 0
    double readSeconds = 0;       // open, read the leading bytes, close
    double parseSeconds = 0;      // simdjson parsing both blocks
    int parseErrors = 0;
    double total() const { return readSeconds + parseSeconds; }
};

// One timed pass over the plan's files.
FloorTime measureFloor(const FloorPlan& plan);

} // namespace tapeloft::bench
