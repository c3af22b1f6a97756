#include "replay/ReplayReader.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string_view>

#ifdef _WIN32
#include <share.h>
#endif

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TAPELOFT_READER_SSE2 1
#endif

namespace tapeloft {

namespace {

constexpr std::size_t kChunkSize = kReplayReadChunk;
constexpr int kPieceCount = 11;
// Repairing a piece can triple it (a stray byte becomes U+FFFD), which still leaves positions in 32 bits.
static_assert(kMaxReplayTextBytes * 3 < 0x7FFFFFF0);
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

struct FileCloser final {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle openForReading(const std::filesystem::path& file) {
#ifdef _WIN32
    // Others may read the file while we do, but not write it.
    return FileHandle(_wfsopen(file.c_str(), L"rb", _SH_DENYWR));
#else
    return FileHandle(std::fopen(file.c_str(), "rb"));
#endif
}

// The file read front to back in large chunks; nothing beyond the chunk in hand is read. Bytes already in
// memory are handed out in chunks of the same kind, so both take the same path through the scanning below.
class ChunkedFile final {
public:
    explicit ChunkedFile(std::FILE* file)
        : file_(file), buffer_(std::make_unique_for_overwrite<unsigned char[]>(kChunkSize)) {
        // Our own buffer is the only one needed; stdio's would cost a second copy.
        std::setvbuf(file_, nullptr, _IONBF, 0);
    }
    ChunkedFile(std::string_view bytes, std::size_t chunkSize)
        : file_(nullptr), memory_(reinterpret_cast<const unsigned char*>(bytes.data())),
          memoryLeft_(bytes.size()), memoryChunk_(std::max<std::size_t>(chunkSize, 1)) {}

    // False at the end of the file or on a read error (see failed()).
    bool refill() {
        pos = 0;
        if (file_ == nullptr) {
            size = std::min(memoryChunk_, memoryLeft_);
            data = memory_;
            memory_ += size;
            memoryLeft_ -= size;
            return size > 0;
        }
        size = std::fread(buffer_.get(), 1, kChunkSize, file_);
        data = buffer_.get();
        return size > 0;
    }
    bool atChunkEnd() const { return pos == size; }
    bool failed() const { return file_ != nullptr && std::ferror(file_) != 0; }

    // Next byte, 0 past the end of the file.
    unsigned char nextByteOrZero() {
        if (atChunkEnd() && !refill()) return 0;
        return data[pos++];
    }

    const unsigned char* data = nullptr;
    std::size_t pos = 0;
    std::size_t size = 0;

private:
    std::FILE* file_;
    std::unique_ptr<unsigned char[]> buffer_;
    const unsigned char* memory_ = nullptr;
    std::size_t memoryLeft_ = 0;
    std::size_t memoryChunk_ = 0;
};

bool headerPasses(ChunkedFile& in, HeaderTest test) {
    if (test == HeaderTest::Details) return in.nextByteOrZero() == 0x12;
    unsigned char sum = 0;
    for (int i = 0; i < 7; ++i)
        sum = static_cast<unsigned char>(sum + in.nextByteOrZero());
    return sum >= 128 && sum <= 139;
}

inline bool isTerminator(unsigned char b) {
    return b == 0 || b == '\n' || b == '\r';
}

// Word-at-a-time tests for the scanning loops below; mostly ASCII JSON goes through 8 bytes a step.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

inline std::uint64_t load8(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}
inline bool hasZeroByte(std::uint64_t word) {
    return ((word - kOnes) & ~word & kHighBits) != 0;
}
inline bool hasTerminator(std::uint64_t word) {
    return hasZeroByte(word) || hasZeroByte(word ^ (kOnes * '\n')) || hasZeroByte(word ^ (kOnes * '\r'));
}

// First terminator in [p, end), or end; ORs every byte passed over into `high`.
const unsigned char* findTerminator(const unsigned char* p, const unsigned char* end, std::uint64_t& high) {
#ifdef TAPELOFT_READER_SSE2
    // Sixteen bytes a step; the block holding the terminator is finished by the loops below.
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    __m128i passed = zero;
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, zero),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
        if (_mm_movemask_epi8(hits) != 0) break;
        passed = _mm_or_si128(passed, bytes);
        p += 16;
    }
    if (_mm_movemask_epi8(passed) != 0) high |= kHighBits;
#endif
    while (end - p >= 8) {
        const std::uint64_t word = load8(p);
        if (hasTerminator(word)) break;
        high |= word;
        p += 8;
    }
    while (p != end && !isTerminator(*p))
        high |= *p++;
    return p;
}

const unsigned char* skipAscii(const unsigned char* p, const unsigned char* end) {
    while (end - p >= 8 && (load8(p) & kHighBits) == 0)
        p += 8;
    while (p != end && *p < 0x80)
        ++p;
    return p;
}

// Each piece is decoded on its own, so a piece is made valid UTF-8 before the next is appended.
// The rule of utf8ToUtf16, so the repaired bytes decode to what per-piece decoding gives.
std::size_t wellFormedAt(const unsigned char* p, const unsigned char* end, std::size_t& invalid) {
    char32_t cp = 0;
    return decodeUtf8At(std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p)),
                        0, cp, invalid);
}

void sanitisePiece(std::string& text, std::size_t pieceStart) {
    const auto* const end = reinterpret_cast<const unsigned char*>(text.data() + text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data() + pieceStart);
    std::size_t invalid = 0;
    while ((p = skipAscii(p, end)) != end) {
        const std::size_t n = wellFormedAt(p, end, invalid);
        if (n == 0) break;
        p += n;
    }
    if (p == end) return;

    // Repairing never more than triples the bytes (one byte to U+FFFD); written through a pointer,
    // as the bytes here are mostly binary noise.
    const std::size_t bad = static_cast<std::size_t>(reinterpret_cast<const char*>(p) - text.data());
    std::string fixed(static_cast<std::size_t>(end - p) * kReplacementUtf8.size(), '\0');
    char* out = fixed.data();
    while (p != end) {
        if (*p < 0x80) {
            *out++ = static_cast<char>(*p++);
            continue;
        }
        const std::size_t n = wellFormedAt(p, end, invalid);
        if (n == 0) {
            std::memcpy(out, kReplacementUtf8.data(), kReplacementUtf8.size());
            out += kReplacementUtf8.size();
            p += invalid;
        } else {
            std::memcpy(out, p, n);
            out += n;
            p += n;
        }
    }
    fixed.resize(static_cast<std::size_t>(out - fixed.data()));
    text.resize(bad);
    text += fixed;
}

enum class PiecesRead { Complete, Failed, Oversized };

// Appends the first 11 pieces after the current position, each as valid UTF-8, terminators dropped. The
// length limit is checked on the bytes before they are appended, so an oversized file costs no more
// memory than the limit.
PiecesRead readPieces(ChunkedFile& in, std::string& text) {
    text.reserve(kChunkSize);
    int pieces = 0;
    std::size_t pieceStart = text.size();
    std::size_t bytesRead = 0;
    std::uint64_t pieceHigh = 0; // OR of the piece's bytes: a set high bit means it needs checking
    bool afterCr = false;        // an LF right after a CR belongs to the same terminator

    while (pieces < kPieceCount) {
        if (in.atChunkEnd() && !in.refill()) {
            if (in.failed()) return PiecesRead::Failed;
            break; // end of file ends this piece; every piece after it is empty
        }
        if (afterCr) {
            afterCr = false;
            if (in.data[in.pos] == '\n') {
                ++in.pos;
                continue;
            }
        }
        const unsigned char* begin = in.data + in.pos;
        const unsigned char* end = in.data + in.size;
        const unsigned char* p = findTerminator(begin, end, pieceHigh);
        bytesRead += static_cast<std::size_t>(p - begin);
        if (bytesRead > kMaxReplayTextBytes) return PiecesRead::Oversized;
        text.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(p - begin));
        in.pos = static_cast<std::size_t>(p - in.data);
        if (p == end) continue;

        afterCr = *p == '\r';
        ++in.pos;
        if (pieceHigh & kHighBits) sanitisePiece(text, pieceStart);
        pieceStart = text.size();
        pieceHigh = 0;
        ++pieces;
    }
    if (pieceHigh & kHighBits) sanitisePiece(text, pieceStart);
    return PiecesRead::Complete;
}

// UTF-16 length of valid UTF-8.
std::size_t utf16Length(std::string_view s) {
    std::size_t units = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    while (p != end) {
        const unsigned char* ascii = skipAscii(p, end);
        units += static_cast<std::size_t>(ascii - p);
        for (p = ascii; p != end && *p >= 0x80; ++p) {
            units += (*p & 0xC0) != 0x80; // one per character...
            units += *p >= 0xF0;          // ...and the second half of a surrogate pair
        }
    }
    return units;
}

// First occurrence of an ASCII marker. JSON is full of quotes and braces, so the search runs on the
// marker's rarest character (`key`) and checks the rest around it.
std::size_t findMarker(std::string_view text, std::string_view marker, std::size_t key) {
    const std::size_t tail = marker.size() - key;
    for (std::size_t from = key; from < text.size();) {
        const void* hit = std::memchr(text.data() + from, marker[key], text.size() - from);
        if (!hit) break;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (at + tail <= text.size() && std::equal(marker.begin(), marker.end(), text.begin() + (at - key)))
            return at - key;
        from = at + 1;
    }
    return std::string_view::npos;
}

// The first `units` UTF-16 units of valid UTF-8 `s`, as UTF-8. UTF-8 cannot hold half a surrogate
// pair, so a cut through one leaves U+FFFD in that unit's place.
std::string firstUnits(std::string_view s, std::int64_t units) {
    std::size_t i = 0;
    while (units > 0 && i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t bytes = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        const int width = bytes == 4 ? 2 : 1;
        if (width > units) return std::string(s.substr(0, i)) + std::string(kReplacementUtf8);
        units -= width;
        i += bytes;
    }
    return std::string(s.substr(0, i));
}

std::int32_t positionOf(std::string_view text, std::size_t byteOffset) {
    if (byteOffset == std::string_view::npos) return 0;
    return static_cast<std::int32_t>(utf16Length(text.substr(0, byteOffset)) + 1);
}

void cutBlocks(std::string_view text, ReplayBlocks& blocks) {
    const std::size_t start = findMarker(text, "{\"", 0);
    blocks.descriptionAt = positionOf(text, start);
    const std::string_view kept = start == std::string_view::npos ? text : text.substr(start);

    // The description runs through the closing brace of the first `"}` and one character more.
    const std::size_t descEnd = findMarker(kept, "\"}", 1);
    if (descEnd == std::string_view::npos) {
        blocks.descriptionUtf8 = firstUnits(kept, 2);
    } else {
        blocks.descriptionUtf8.reserve(descEnd + 2 + 4);
        blocks.descriptionUtf8.assign(kept.substr(0, descEnd + 2));
        blocks.descriptionUtf8 += firstUnits(kept.substr(descEnd + 2), 1);
    }

    const std::size_t resStart = findMarker(kept, "[{", 0);
    const std::size_t resEnd = findMarker(kept, "}}]", 2);
    const std::int32_t p3 = positionOf(kept, resStart);
    blocks.resultsAt = p3;
    if (resStart != std::string_view::npos && resEnd != std::string_view::npos && resEnd > resStart) {
        blocks.resultsUtf8.assign(kept.substr(resStart, resEnd + 3 - resStart)); // the usual case
        return;
    }
    // Markers missing or out of order: p4 - p3 + 3 characters from p3, where 0 and 1 both mean
    // the first character.
    const std::int64_t length = std::int64_t{positionOf(kept, resEnd)} - p3 + 3;
    if (length <= 0) return;
    blocks.resultsUtf8 = firstUnits(kept.substr(p3 == 0 ? 0 : resStart), length);
}

} // namespace

std::u16string ReplayBlocks::descriptionText() const {
    return utf8ToUtf16(descriptionUtf8);
}
std::u16string ReplayBlocks::resultsText() const {
    return utf8ToUtf16(resultsUtf8);
}

namespace {

// The header test and the 11 pieces; false when the blocks cannot be cut (the status then says why).
bool readHeaderAndPieces(ChunkedFile& in, HeaderTest test, ReplayBlocks& blocks, std::string& text) {
    const bool passes = headerPasses(in, test);
    if (in.failed()) return false; // e.g. a folder: it opens, but cannot be read
    if (!passes) {
        blocks.status = ReplayStatus::HeaderRejected;
        return false;
    }
    switch (readPieces(in, text)) {
    case PiecesRead::Complete:
        return true;
    case PiecesRead::Failed:
        return false;
    case PiecesRead::Oversized:
        blocks.status = ReplayStatus::Oversized;
        return false;
    }
    return false;
}

} // namespace

ReplayBlocks readReplayBlocks(const std::filesystem::path& file, HeaderTest test) {
    ReplayBlocks blocks;
    try {
        std::string text;
        {
            const FileHandle handle = openForReading(file);
            if (!handle) return blocks;
            ChunkedFile in(handle.get());
            if (!readHeaderAndPieces(in, test, blocks, text)) return blocks;
        } // closed here, before the cutting
        cutBlocks(text, blocks);
        blocks.status = ReplayStatus::Opened;
        return blocks;
    } catch (const std::exception&) {
        // Out of memory: treat it as a file that cannot be read.
        return ReplayBlocks{};
    }
}

ReplayBlocks readReplayBytes(std::string_view bytes, HeaderTest test, std::size_t chunkSize) {
    ReplayBlocks blocks;
    try {
        std::string text;
        ChunkedFile in(bytes, chunkSize);
        if (!readHeaderAndPieces(in, test, blocks, text)) return blocks;
        cutBlocks(text, blocks);
        blocks.status = ReplayStatus::Opened;
        return blocks;
    } catch (const std::exception&) {
        return ReplayBlocks{};
    }
}

} // namespace tapeloft
