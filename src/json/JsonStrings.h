#pragma once

#include "base/TextCodec.h"
#include "json/JsonArena.h"
#include "json/JsonSimd.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace tapeloft::detail {

// A string or number this long or longer fails: a node keeps its text size in 28 bits.
inline constexpr std::size_t kMaxTextUnits = std::size_t{1} << 28;

template <class Unit> int hexDigit(Unit c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    return -1;
}

// The strings of one input: decoded into new arena texts, as utf8ToUtf16 would decode UTF-8 input.
// Unit is char16_t for UTF-16 input and unsigned char for UTF-8.
template <class Unit> class JsonStringReader final {
public:
    JsonStringReader(const Unit* begin, const Unit* end, JsonArena& arena)
        : begin_(begin), end_(end), arena_(arena) {}

    // After the opening quote. Decodes up to and over the closing quote into a new arena text;
    // nullptr when the string does not close or is too long.
    const Unit* read(const Unit* p, const char16_t*& text, std::uint32_t& size) {
        char16_t* capacityEnd = nullptr;
        char16_t* start = arena_.openText(capacityEnd, 32);
        char16_t* write = start;
        for (;;) {
            copyPlainRun(p, start, write, capacityEnd);
            // Checked as the text grows: a string over the limit is refused before it is all decoded.
            if (static_cast<std::size_t>(write - start) >= kMaxTextUnits) return nullptr;
            if (p == end_) return nullptr;
            if (capacityEnd - write < 2) arena_.growText(start, write, capacityEnd, 2);
            const Unit c = *p;
            if (c == '"') {
                ++p;
                break;
            }
            if (c != '\\') {
                appendOrdinary(p, write);
                continue;
            }
            if (++p == end_) return nullptr;
            switch (*p) {
            case '"':
            case '\\':
            case '/':
                *write++ = static_cast<char16_t>(*p++);
                break;
            case 'n':
                *write++ = u'\n';
                ++p;
                break;
            case 'r':
                *write++ = u'\r';
                ++p;
                break;
            case 't':
                *write++ = u'\t';
                ++p;
                break;
            case 'b':
                *write++ = u'\b';
                ++p;
                break;
            case 'f':
                *write++ = u'\f';
                ++p;
                break;
            case 'u':
                if (!decodeUnicodeEscape(p, write)) return nullptr;
                break;
            default:
                // The backslash is dropped; the character is read as an ordinary one next round.
                break;
            }
        }
        if (static_cast<std::size_t>(write - start) >= kMaxTextUnits) return nullptr;
        arena_.closeText(write);
        text = start;
        size = static_cast<std::uint32_t>(write - start);
        return p;
    }

    // UTF-8 only: the first quote, backslash or non-ASCII byte at or after p, or the end.
    const Unit* findSpecial(const Unit* p) const {
#ifdef TAPELOFT_JSON_SSE2
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i backslash = _mm_set1_epi8('\\');
        while (end_ - p >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i special = _mm_or_si128(
                bytes, _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)));
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
            if (mask != 0) return p + std::countr_zero(mask);
            p += 16;
        }
#endif
        while (p != end_ && *p < 0x80 && *p != '"' && *p != '\\')
            ++p;
        return p;
    }

private:
    static constexpr bool kUtf8 = std::is_same_v<Unit, unsigned char>;

    // One character that is neither a quote nor a backslash; room for two units is there.
    void appendOrdinary(const Unit*& p, char16_t*& write) const {
        if constexpr (kUtf8) {
            if (*p < 0x80) {
                *write++ = *p++;
                return;
            }
            char32_t cp = 0;
            p += decodeUtf8At(utf8View(), static_cast<std::size_t>(p - begin_), cp);
            if (cp >= 0x10000) {
                *write++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                *write++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                *write++ = static_cast<char16_t>(cp);
            }
        } else {
            *write++ = *p++;
        }
    }

    // At the 'u'. More than four units must follow it; four are read as hex up to the first
    // non-hex unit and all four are consumed. Room for two units is there.
    bool decodeUnicodeEscape(const Unit*& at, char16_t*& write) const {
        unsigned value = 0;
        bool reading = true;
        auto take = [&](char32_t unit) {
            const int digit = unit < 0x80 ? hexDigit(unit) : -1;
            if (digit < 0) reading = false;
            if (reading) value = value * 16 + static_cast<unsigned>(digit);
        };
        if constexpr (kUtf8) {
            // Count in UTF-16 units: a four-byte character is two, and the fourth unit may be the
            // first half of a pair, whose second half is then the next character of the string.
            const Unit* p = at + 1;
            int units = 0;
            char16_t pendingLow = 0;
            while (units < 4) {
                if (p == end_) return false;
                if (*p < 0x80) {
                    take(*p++);
                    ++units;
                    continue;
                }
                char32_t cp = 0;
                p += decodeUtf8At(utf8View(), static_cast<std::size_t>(p - begin_), cp);
                reading = false;
                if (cp >= 0x10000) {
                    if (units == 3) pendingLow = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
                    units += 2;
                } else {
                    ++units;
                }
            }
            if (pendingLow == 0 && p == end_) return false;
            at = p;
            if (value != 0) *write++ = static_cast<char16_t>(value);
            if (pendingLow != 0) *write++ = pendingLow;
        } else {
            if (end_ - at - 1 <= 4) return false;
            for (int k = 1; k <= 4; ++k)
                take(at[k]);
            at += 5;
            if (value != 0) *write++ = static_cast<char16_t>(value);
        }
        return true;
    }

    // Copies the run of units that need no decoding: anything but quote and backslash, and for
    // UTF-8 only ASCII. Whole blocks are widened at once; units written past the run lie in room
    // that is reserved but not yet used. Stops once the text has reached the string limit.
    void copyPlainRun(const Unit*& at, char16_t*& start, char16_t*& write, char16_t*& capacityEnd) {
        const Unit* p = at;
        char16_t* w = write;
        // Each input unit of a run gives one unit of text.
        const Unit* const stop = p + std::min(static_cast<std::size_t>(end_ - p),
                                              kMaxTextUnits - static_cast<std::size_t>(w - start));
        if constexpr (kUtf8) {
#ifdef TAPELOFT_JSON_SSE2
            const __m128i quote = _mm_set1_epi8('"');
            const __m128i backslash = _mm_set1_epi8('\\');
            const __m128i zero = _mm_setzero_si128();
            while (stop - p >= 16) {
                if (capacityEnd - w < 16) {
                    arena_.growText(start, w, capacityEnd, 16);
                }
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                const __m128i special = _mm_or_si128(
                    bytes, _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)));
                const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_unpacklo_epi8(bytes, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(w + 8), _mm_unpackhi_epi8(bytes, zero));
                const auto plain = mask == 0 ? 16 : std::countr_zero(mask);
                w += plain;
                p += plain;
                if (mask != 0) {
                    at = p;
                    write = w;
                    return;
                }
            }
#else
            if constexpr (std::endian::native == std::endian::little) {
                constexpr std::uint64_t kOnes = 0x0101010101010101ull;
                constexpr std::uint64_t kHighs = 0x8080808080808080ull;
                while (stop - p >= 8) {
                    if (capacityEnd - w < 8) arena_.growText(start, w, capacityEnd, 8);
                    std::uint64_t word;
                    std::memcpy(&word, p, 8);
                    const std::uint64_t quote = word ^ (kOnes * '"');
                    const std::uint64_t backslash = word ^ (kOnes * '\\');
                    // The lowest flagged byte is exact: false flags only sit above a true one.
                    const std::uint64_t special =
                        (word | ((quote - kOnes) & ~quote) | ((backslash - kOnes) & ~backslash)) & kHighs;
                    const std::size_t plain =
                        special == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(special)) / 8;
                    const std::uint64_t low = spread(word & 0xFFFFFFFFu), high = spread(word >> 32);
                    std::memcpy(w, &low, sizeof low);
                    std::memcpy(w + 4, &high, sizeof high);
                    w += plain;
                    p += plain;
                    if (plain < 8) {
                        at = p;
                        write = w;
                        return;
                    }
                }
            }
#endif
        }
        for (;;) {
            if (p == stop || (kUtf8 && *p >= 0x80) || *p == '"' || *p == '\\') break;
            if (capacityEnd == w) arena_.growText(start, w, capacityEnd, 1);
            *w++ = *p++;
        }
        at = p;
        write = w;
    }

    // Four bytes to four little-endian 16-bit lanes.
    static std::uint64_t spread(std::uint64_t v) {
        v = (v | (v << 16)) & 0x0000FFFF0000FFFFull;
        return (v | (v << 8)) & 0x00FF00FF00FF00FFull;
    }

    std::string_view utf8View() const {
        return {reinterpret_cast<const char*>(begin_), static_cast<std::size_t>(end_ - begin_)};
    }

    const Unit* const begin_;
    const Unit* const end_;
    JsonArena& arena_;
};

} // namespace tapeloft::detail
