#include "Floor.h"

#include "BenchData.h"
#include "base/TextCodec.h"
#include "replay/FolderScan.h"
#include "replay/ReplayReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string_view>

#ifdef TAPELOFT_HAVE_SIMDJSON
#include <simdjson.h>
#endif

namespace fs = std::filesystem;

namespace tapeloft::bench {

namespace {

#ifdef TAPELOFT_HAVE_SIMDJSON
constexpr std::size_t kPadding = simdjson::SIMDJSON_PADDING;
#else
constexpr std::size_t kPadding = 64;
#endif

std::string readAll(const fs::path& file) {
    std::string bytes;
    std::FILE* in = openForReading(file);
    if (!in) return bytes;
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, n);
    std::fclose(in);
    return bytes;
}

// The reader's rule: a 7-byte header, then 11 pieces ended by NUL, LF or CR (CR LF ends one piece).
std::size_t leadBytesOf(std::string_view bytes) {
    std::size_t at = 7;
    if (at >= bytes.size()) return bytes.size();
    int pieces = 0;
    bool afterCr = false;
    while (pieces < 11 && at < bytes.size()) {
        const char c = bytes[at++];
        if (afterCr) {
            afterCr = false;
            if (c == '\n') continue;
        }
        if (c == '\0' || c == '\n' || c == '\r') {
            afterCr = c == '\r';
            ++pieces;
        }
    }
    return at;
}

// Where the block lies in the leading bytes; false when it is not one run of them.
bool locate(std::string_view lead, std::string_view block, std::size_t& at, std::size_t& size) {
    if (block.empty()) return true;
    const std::size_t found = lead.find(block);
    if (found == std::string_view::npos) return false;
    at = found;
    size = block.size();
    return true;
}

} // namespace

FloorPlan planFloor(const fs::path& folder) {
    FloorPlan plan;
    walkReplayFolder(textFromPath(folder), u"*", kReplayExtension, [&](const std::u16string& text) {
        FloorFile file;
        file.path = pathFromText(text);
        const std::string bytes = readAll(file.path);
        file.leadBytes = leadBytesOf(bytes);
        const std::string_view lead = std::string_view(bytes).substr(0, file.leadBytes);
        const ReplayBlocks blocks = readReplayBlocks(file.path, HeaderTest::Scan);
        if (blocks.status == ReplayStatus::Opened) {
            // The description block ends one character after its closing brace; the JSON ends at the brace.
            std::string_view description = blocks.descriptionUtf8;
            if (const auto brace = description.rfind('}'); brace != std::string_view::npos)
                description = description.substr(0, brace + 1);
            if (blocks.descriptionAt != 0 &&
                !locate(lead, description, file.descriptionAt, file.descriptionSize))
                ++plan.blocksNotInFile;
            if (blocks.resultsAt != 0 && !locate(lead, blocks.resultsUtf8, file.resultsAt, file.resultsSize))
                ++plan.blocksNotInFile;
        }
        plan.largestLead = std::max(plan.largestLead, file.leadBytes);
        plan.files.push_back(std::move(file));
    });
    return plan;
}

FloorTime measureFloor(const FloorPlan& plan) {
    using Clock = std::chrono::steady_clock;
    FloorTime time;
    // The parser may read up to kPadding bytes past a block; they lie inside this buffer.
    const auto buffer = std::make_unique<char[]>(plan.largestLead + kPadding);
#ifdef TAPELOFT_HAVE_SIMDJSON
    time.parserAvailable = true;
    // One parser for all runs, as a program would keep it: its buffers grow once, on the first documents.
    static simdjson::dom::parser parser;
#endif
    Clock::duration reading{}, parsing{};
    for (const FloorFile& file : plan.files) {
        const auto start = Clock::now();
        std::FILE* in = openForReading(file.path);
        if (!in) continue;
        std::setvbuf(in, nullptr, _IONBF, 0);
        const std::size_t got = std::fread(buffer.get(), 1, file.leadBytes, in);
        std::fclose(in);
        const auto read = Clock::now();
        reading += read - start;
        if (got != file.leadBytes) {
            ++time.parseErrors;
            continue;
        }
#ifdef TAPELOFT_HAVE_SIMDJSON
        for (const auto& [at, size] : {std::pair{file.descriptionAt, file.descriptionSize},
                                       std::pair{file.resultsAt, file.resultsSize}}) {
            if (size == 0) continue;
            simdjson::dom::element root;
            if (parser.parse(buffer.get() + at, size, false).get(root) != simdjson::SUCCESS)
                ++time.parseErrors;
        }
        parsing += Clock::now() - read;
#endif
    }
    time.readSeconds = std::chrono::duration<double>(reading).count();
    time.parseSeconds = std::chrono::duration<double>(parsing).count();
    return time;
}

} // namespace tapeloft::bench
