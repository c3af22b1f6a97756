#include "json/KeyHash.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <random>
#include <thread>

namespace tapeloft::detail {

namespace {

KeyHashSecret drawSecret() {
    KeyHashSecret secret;
    try {
        std::random_device source;
        const auto word = [&source] {
            return (static_cast<std::uint64_t>(source()) << 32) | static_cast<std::uint64_t>(source());
        };
        secret.k0 = word();
        secret.k1 = word();
        return secret;
    } catch (const std::exception&) {
        // No random source: the clock, the thread and where things were loaded are still unknown to
        // whoever wrote the file, which is all the hash needs.
    }
    const auto ticks =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const auto thread = static_cast<std::uint64_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    int local = 0;
    secret.k0 = ticks ^ reinterpret_cast<std::uintptr_t>(&local);
    secret.k1 = std::rotl(thread, 17) ^ reinterpret_cast<std::uintptr_t>(&drawSecret);
    return secret;
}

// Four units' low bytes, from the little-endian word of the units.
inline std::uint64_t packLowBytes(std::uint64_t units) {
    units &= 0x00FF00FF00FF00FFull;
    units = (units | (units >> 8)) & 0x0000FFFF0000FFFFull;
    return (units | (units >> 16)) & 0xFFFFFFFFull;
}

// The low (or, with shift 8, the high) bytes of `count` (at most eight) units as one little-endian word;
// every unit is also OR-ed into `seen`, in some lane.
inline std::uint64_t unitBytes(const char16_t* units, std::size_t count, unsigned shift,
                               std::uint64_t& seen) {
    if (std::endian::native == std::endian::little && count == 8) {
        std::uint64_t first, second;
        std::memcpy(&first, units, sizeof first);
        std::memcpy(&second, units + 4, sizeof second);
        seen |= first | second;
        return packLowBytes(first >> shift) | (packLowBytes(second >> shift) << 32);
    }
    std::uint64_t word = 0;
    for (std::size_t k = count; k > 0; --k) {
        word = (word << 8) | ((units[k - 1] >> shift) & 0xFFu);
        seen |= units[k - 1];
    }
    return word;
}

} // namespace

const KeyHashSecret& keyHashSecret() {
    static const KeyHashSecret secret = drawSecret();
    return secret;
}

std::uint32_t hashKey(const KeyHashSecret& secret, const char16_t* key, std::size_t size) {
    KeyHasher hasher(secret);
    std::uint64_t seen = 0;
    std::size_t k = 0;
    for (; k + 8 <= size; k += 8)
        hasher.add(unitBytes(key + k, 8, 0, seen));
    const std::uint64_t tail = unitBytes(key + k, size - k, 0, seen);
    const bool high = (seen & 0xFF00FF00FF00FF00ull) != 0;
    if (high) {
        for (k = 0; k < size; k += 8)
            hasher.add(unitBytes(key + k, std::min<std::size_t>(8, size - k), 8, seen));
    }
    return hasher.finish(tail | KeyHasher::lengthTag(size, high));
}

} // namespace tapeloft::detail
