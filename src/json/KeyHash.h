#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// The hash of object keys. Replays are shared between players, so whoever made a file chooses its keys:
// with a hash anyone can compute, keys made to share one value turn every lookup into a walk over all the
// keys before it. SipHash-1-3 under a key drawn once per process makes such keys as rare as any others.
namespace tapeloft::detail {

struct KeyHashSecret final {
    std::uint64_t k0 = 0;
    std::uint64_t k1 = 0;
};

// Drawn from the system's random source at first use; the same for the rest of the process.
const KeyHashSecret& keyHashSecret();

// Takes a key as 64-bit words; the caller encodes the text so that different keys give different words.
class KeyHasher final {
public:
    explicit KeyHasher(const KeyHashSecret& secret)
        : v0_(secret.k0 ^ 0x736F6D6570736575ull), v1_(secret.k1 ^ 0x646F72616E646F6Dull),
          v2_(secret.k0 ^ 0x6C7967656E657261ull), v3_(secret.k1 ^ 0x7465646279746573ull) {}

    void add(std::uint64_t word) {
        v3_ ^= word;
        round();
        v0_ ^= word;
    }

    // The last word holds the key's length in its top byte.
    std::uint32_t finish(std::uint64_t last) {
        add(last);
        v2_ ^= 0xFF;
        round();
        round();
        round();
        return static_cast<std::uint32_t>(v0_ ^ v1_ ^ v2_ ^ v3_);
    }

    // The top byte of the last word: the length modulo 128, and whether high bytes were added.
    static std::uint64_t lengthTag(std::size_t size, bool highBytes) {
        return (static_cast<std::uint64_t>(size & 0x7F) << 56) | (highBytes ? std::uint64_t{1} << 63 : 0);
    }

private:
    void round() {
        v0_ += v1_;
        v1_ = std::rotl(v1_, 13);
        v1_ ^= v0_;
        v0_ = std::rotl(v0_, 32);
        v2_ += v3_;
        v3_ = std::rotl(v3_, 16);
        v3_ ^= v2_;
        v0_ += v3_;
        v3_ = std::rotl(v3_, 21);
        v3_ ^= v0_;
        v2_ += v1_;
        v1_ = std::rotl(v1_, 17);
        v1_ ^= v2_;
        v2_ = std::rotl(v2_, 32);
    }

    std::uint64_t v0_, v1_, v2_, v3_;
};

// The hash of a key's text: its low bytes eight units a word, then its high bytes when there are any.
// An ASCII key so gives the words of its UTF-8 bytes (JsonKeyTable::hashBytes), so that a plain key in
// UTF-8 input needs no decoding to be looked up.
std::uint32_t hashKey(const KeyHashSecret& secret, const char16_t* key, std::size_t size);

} // namespace tapeloft::detail
