#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace tapeloft::samples {

// The engine's output is fixed by the language standard, the distributions of the standard library are
// not; so every distribution used by the generator is written out here.
class SampleRandom final {
public:
    explicit SampleRandom(std::uint32_t seed) : engine_(seed) {}

    std::uint32_t next() { return static_cast<std::uint32_t>(engine_()); }

    // Uniform in 0..n-1 without modulo bias; 0 when n is 0.
    std::uint32_t below(std::uint32_t n) {
        if (n <= 1) return 0;
        const std::uint64_t range = std::uint64_t{1} << 32;
        const std::uint64_t limit = range - range % n;
        for (;;) {
            const std::uint64_t r = next();
            if (r < limit) return static_cast<std::uint32_t>(r % n);
        }
    }

    // Uniform in lo..hi, both included; lo when hi < lo.
    int between(int lo, int hi) {
        if (hi <= lo) return lo;
        const auto span = static_cast<std::uint32_t>(static_cast<std::int64_t>(hi) - lo + 1);
        return static_cast<int>(static_cast<std::int64_t>(lo) + below(span));
    }

    bool chance(int percent) { return static_cast<int>(below(100)) < percent; }

    template <class Container> const auto& pick(const Container& items) {
        return items[below(static_cast<std::uint32_t>(std::size(items)))];
    }

    template <class T> void shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i) {
            const std::size_t j = below(static_cast<std::uint32_t>(i));
            std::swap(items[i - 1], items[j]);
        }
    }

private:
    std::mt19937 engine_;
};

// Mixes a seed with an index into a new seed, so that neighbouring indices give unrelated streams.
inline std::uint32_t mixSeed(std::uint32_t seed, std::uint32_t index) {
    std::uint64_t z = (std::uint64_t{seed} << 32 | index) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(z ^ (z >> 31));
}

} // namespace tapeloft::samples
