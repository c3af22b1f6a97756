#include "samplegen/HostileJson.h"

#include "base/TextCodec.h"

#include <bit>

namespace tapeloft::samples {

namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t lowBytesWord(std::u16string_view units) {
    std::uint64_t word = 0;
    for (std::size_t k = units.size(); k > 0; --k)
        word = (word << 8) | (units[k - 1] & 0xFFu);
    return word;
}

// The 64-bit state from the units' low bytes, before the high bytes and the final mixing step.
std::uint64_t lowByteState(std::u16string_view key) {
    std::uint64_t h = key.size();
    std::uint64_t word;
    if (key.size() >= 8) {
        for (std::size_t k = 0; k + 8 < key.size(); k += 8)
            h = std::rotl(h, 23) ^ (lowBytesWord(key.substr(k, 8)) * kMultiplier);
        word = lowBytesWord(key.substr(key.size() - 8));
    } else {
        word = lowBytesWord(key);
    }
    return std::rotl(h, 23) ^ word;
}

// A key of sixteen units 0x0100 + byte, whose bytes are the eight of `first` and then the eight of `second`.
std::u16string keyOf(std::uint64_t first, std::uint64_t second) {
    std::u16string key;
    for (const std::uint64_t word : {first, second})
        for (int k = 0; k < 8; ++k)
            key.push_back(static_cast<char16_t>(0x0100 + ((word >> (8 * k)) & 0xFF)));
    return key;
}

template <class MakeKey> std::string objectOf(int count, MakeKey&& makeKey) {
    std::string text = "{";
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += ',';
        text += '"';
        text += utf16ToUtf8(makeKey(static_cast<std::uint64_t>(i)));
        text += "\":0";
    }
    text += '}';
    return text;
}

} // namespace

std::uint32_t unkeyedKeyHash(std::u16string_view key) {
    std::uint64_t h = lowByteState(key);
    char16_t seen = 0;
    for (const char16_t unit : key)
        seen |= unit;
    if ((seen & 0xFF00) != 0) {
        std::uint64_t high = 0;
        for (const char16_t unit : key)
            high = std::rotl(high, 7) ^ (unit >> 8);
        h ^= std::rotl(high * kMultiplier, 31);
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h);
}

std::string collidingKeysObject(int count) {
    // Sixteen units hash as state = rotl(rotl(16, 23) ^ first * multiplier, 23) ^ second, and the high
    // bytes, all 0x01, add the same for every key: any first word has a second that gives state 0.
    return objectOf(count, [](std::uint64_t first) {
        const std::uint64_t partial = lowByteState(keyOf(first, 0));
        return keyOf(first, partial);
    });
}

std::string ordinaryKeysObject(int count) {
    return objectOf(count, [](std::uint64_t first) { return keyOf(first, first * kMultiplier); });
}

} // namespace tapeloft::samples
