#include "samplegen/SampleReplay.h"

#include "samplegen/SampleBattle.h"
#include "samplegen/SampleRandom.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <system_error>

namespace tapeloft::samples {

namespace {

namespace fs = std::filesystem;

// The readers take the first 11 pieces after the header; the tail must start after the 11th terminator.
constexpr int piecesRead = 11;
constexpr std::size_t maxTailBytes = 64 * 1024 * 1024;

// Bytes that may stand between the blocks: no terminator and no character of a block marker.
bool isFillerByte(unsigned char b) {
    return b != 0x00 && b != '\n' && b != '\r' && b != '{' && b != '}' && b != '[' && b != ']' && b != '"';
}

int headerSum(std::string_view header) {
    int sum = 0;
    for (const char c : header)
        sum = (sum + static_cast<unsigned char>(c)) & 0xFF;
    return sum;
}

bool passesScanTest(std::string_view header) {
    const int sum = headerSum(header);
    return sum >= 128 && sum <= 139;
}

// Header bytes 1..6 join the first piece of a reader that starts after byte 0, so they hold no terminator.
std::string randomHeader(SampleRandom& random, bool rejected, bool withResults) {
    for (;;) {
        std::string header;
        header += static_cast<char>(rejected ? 0x10 + random.below(0x60) : 0x12);
        header += "\x32\x34\x11";
        header += static_cast<char>(withResults ? 2 : 1);
        header += static_cast<char>(0x20 + random.below(0x5F));
        const int target = rejected ? static_cast<int>(random.below(256)) : random.between(128, 139);
        header += static_cast<char>((target - headerSum(header)) & 0xFF);
        bool fits = true;
        for (std::size_t i = 1; i < header.size(); ++i)
            fits = fits && isFillerByte(static_cast<unsigned char>(header[i]));
        if (rejected) fits = fits && header[0] != 0x12 && !passesScanTest(header);
        if (fits) return header;
    }
}

// Appends pieces and counts their terminators, never letting a lone CR run into a following LF.
class PieceWriter final {
public:
    explicit PieceWriter(std::string& out) : out_(out) {}

    void bytes(std::string_view data) {
        if (data.empty()) return;
        out_ += data;
        loneCr_ = false;
    }

    void filler(SampleRandom& random, int length) {
        for (int i = 0; i < length;) {
            const auto b = static_cast<unsigned char>(random.below(256));
            if (!isFillerByte(b)) continue;
            out_ += static_cast<char>(b);
            loneCr_ = false;
            ++i;
        }
    }

    // NUL most often, then LF, CR and CR LF; never a LF right after a lone CR.
    void terminator(SampleRandom& random) {
        const int kind = static_cast<int>(random.below(100));
        if (kind < 50 || (kind < 70 && loneCr_)) {
            terminator(std::string_view("\0", 1));
        } else if (kind < 70) {
            terminator("\n");
        } else if (kind < 85) {
            terminator("\r");
        } else {
            terminator("\r\n");
        }
    }

    void terminator(std::string_view text) {
        out_ += text;
        loneCr_ = text == "\r";
        ++count_;
    }

    int count() const { return count_; }

private:
    std::string& out_;
    bool loneCr_ = false;
    int count_ = 0;
};

void appendRandomBytes(std::string& out, SampleRandom& random, std::size_t count) {
    const std::size_t start = out.size();
    out.resize(start + count);
    for (std::size_t i = 0; i < count; i += 4) {
        std::uint32_t word = random.next();
        for (std::size_t k = i; k < std::min(count, i + 4); ++k, word >>= 8)
            out[start + k] = static_cast<char>(word & 0xFF);
    }
}

// Terminators in bytes, counted as a reader does: CR LF is one.
int countTerminators(std::string_view bytes) {
    int count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0' || c == '\n') {
            ++count;
        } else if (c == '\r') {
            ++count;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        }
    }
    return count;
}

std::string displayPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void setError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

// Creates folder and its missing parents, remembering what it created so a failed run can remove it.
bool ensureFolder(const fs::path& folder, std::vector<fs::path>& created, std::string* error) {
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) return true;
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !ensureFolder(parent, created, error)) return false;
    if (fs::create_directory(folder, ec)) {
        created.push_back(folder);
        return true;
    }
    if (fs::is_directory(folder)) return true;
    setError(error,
             "cannot create folder " + displayPath(folder) + (ec ? ": " + ec.message() : std::string()));
    return false;
}

// Writes through a temporary name, so a replay file is either complete or absent.
bool writeFile(const fs::path& target, std::string_view bytes, std::string* error) {
    std::error_code ec;
    if (fs::exists(target, ec) || ec) {
        setError(error, displayPath(target) + " already exists");
        return false;
    }
    fs::path partial = target;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(partial, ec);
            setError(error, "cannot write " + displayPath(target));
            return false;
        }
    }
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        setError(error, "cannot write " + displayPath(target));
        return false;
    }
    return true;
}

} // namespace

std::string validHeader() {
    return std::string("\x12\x32\x34\x11\x02\x41\xB7", 7);
}

std::string rejectedHeader() {
    return std::string("\x11\x32\x34\x11\x02\x41\x20", 7);
}

std::string assembleReplay(std::string_view header7, std::string_view descriptionJson,
                           std::string_view resultsJson, std::string_view tail) {
    std::string out;
    out.reserve(header7.size() + descriptionJson.size() + resultsJson.size() + tail.size() + 32);
    out += header7;
    out += '\0';
    out += descriptionJson;
    out += '\n';
    if (!resultsJson.empty()) {
        out += resultsJson;
        out += "\r\n";
    }
    const std::string_view body = std::string_view(out).substr(std::min<std::size_t>(7, out.size()));
    for (int n = countTerminators(body); n < piecesRead; ++n)
        out += '\0';
    out += tail;
    return out;
}

SampleReplay makeSampleReplay(std::uint32_t seed, const SampleOptions& options) {
    SampleRandom random(seed);
    const int vehicleCount = std::clamp(options.vehicleCount, 2, 100);
    const bool withResults = options.layout != ResultsLayout::None;

    SampleReplay replay;
    SampleFacts& facts = replay.facts;
    facts = simulateBattle(random, options.layout, vehicleCount, options.progress);
    facts.headerRejected = options.headerRejected;
    facts.descriptionUnreadable = options.descriptionUnreadable;
    facts.descriptionJson =
        options.descriptionUnreadable ? truncatedDescription(facts, random) : writeDescription(facts);
    if (withResults) facts.resultsJson = writeResults(facts, random);

    std::string& out = replay.bytes;
    const std::size_t tailBytes = std::min(options.tailBytes, maxTailBytes);
    out.reserve(7 + facts.descriptionJson.size() + facts.resultsJson.size() + tailBytes + 64);
    out += randomHeader(random, options.headerRejected, withResults);
    PieceWriter pieces(out);
    // Something like block sizes stands before each block; the readers only skip it.
    for (int n = random.between(1, 2); n > 0; --n) {
        pieces.filler(random, random.between(0, 4));
        pieces.terminator(random);
    }
    pieces.bytes(facts.descriptionJson);
    pieces.terminator(random);
    if (withResults) {
        if (random.chance(50)) {
            pieces.filler(random, random.between(1, 4));
            pieces.terminator(random);
        }
        pieces.bytes(facts.resultsJson);
        pieces.terminator(random);
    }
    const int wanted = piecesRead + random.between(0, 2);
    while (pieces.count() < wanted) {
        if (random.chance(20)) pieces.filler(random, random.between(1, 3));
        pieces.terminator(random);
    }
    facts.tailOffset = out.size();
    appendRandomBytes(out, random, tailBytes);
    return replay;
}

std::vector<fs::path> writeSampleFolder(const fs::path& folder, int count, std::uint32_t seed,
                                        const SampleOptions& options, bool flat, std::string* error) {
    setError(error, {});
    if (count < 0) {
        setError(error, "the count must not be negative");
        return {};
    }
    static const std::array<fs::path, 8> subFolders{fs::path(),
                                                    fs::path(u8"archive"),
                                                    fs::path(u8"archive/2015"),
                                                    fs::path(u8"archive/2015/older"),
                                                    fs::path(u8"keep"),
                                                    fs::path(u8"keep/лучшие"),
                                                    fs::path(u8"tournament games"),
                                                    fs::path(u8"tournament games/round 1")};

    std::vector<fs::path> created;
    std::vector<fs::path> written;
    const auto fail = [&]() {
        std::error_code ec;
        for (auto it = written.rbegin(); it != written.rend(); ++it)
            fs::remove(*it, ec);
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            fs::remove(*it, ec);
        return std::vector<fs::path>{};
    };
    if (!ensureFolder(folder, created, error)) return fail();

    SampleRandom placement(mixSeed(seed, 0xFFFFFFFFu));
    std::set<std::string> names;
    for (int i = 0; i < count; ++i) {
        // Two battles may share a minute, vehicle and map; such a file is made again from another seed.
        SampleReplay replay;
        for (std::uint32_t attempt = 0;; ++attempt) {
            replay =
                makeSampleReplay(mixSeed(mixSeed(seed, static_cast<std::uint32_t>(i)), attempt), options);
            if (names.insert(replay.facts.fileName).second) break;
        }
        const fs::path& sub = flat || placement.chance(40) ? subFolders[0] : placement.pick(subFolders);
        const fs::path target = (sub.empty() ? folder : folder / sub) / replay.facts.fileName;
        if (!ensureFolder(target.parent_path(), created, error) || !writeFile(target, replay.bytes, error))
            return fail();
        written.push_back(target);
    }
    return written;
}

} // namespace tapeloft::samples
