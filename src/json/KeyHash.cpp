#include "json/KeyHash.h"

#include <bit>
#include <chrono>
#include <cstdint>
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

} // namespace

const KeyHashSecret& keyHashSecret() {
    static const KeyHashSecret secret = drawSecret();
    return secret;
}

} // namespace tapeloft::detail
