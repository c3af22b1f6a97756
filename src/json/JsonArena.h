#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace tapeloft::detail {

// Bump allocator that owns every node, member, index and text of one document. All of them are
// trivially destructible, so releasing a document frees a few blocks and nothing else.
class JsonArena final {
public:
    explicit JsonArena(std::size_t firstBlockBytes) : nextBlockBytes_(firstBlockBytes) {}

    // The free space always starts on a multiple of kAlign, so allocating needs no alignment step.
    static constexpr std::size_t kAlign = 8;

    // Room for count objects of type T, not yet constructed.
    template <class T> T* allocate(std::size_t count) {
        static_assert(alignof(T) <= kAlign && std::is_trivially_destructible_v<T>);
        const std::size_t size = roundUp(count * sizeof(T));
        if (static_cast<std::size_t>(limit_ - cur_) < size) addBlock(size);
        char* const p = cur_;
        cur_ = p + size;
        return reinterpret_cast<T*>(p);
    }

    template <class T> T* make() { return ::new (allocate<T>(1)) T(); }

    // A text is written in place after everything allocated so far and closed when complete;
    // nothing else may be allocated while it is open.
    char16_t* openText(char16_t*& capacityEnd, std::size_t units) {
        if (static_cast<std::size_t>(limit_ - cur_) < units * sizeof(char16_t))
            addBlock(units * sizeof(char16_t));
        capacityEnd = reinterpret_cast<char16_t*>(limit_);
        return reinterpret_cast<char16_t*>(cur_);
    }

    // Moves the open text [start, write) to a new block with room for at least `more` further
    // units; the room doubles with the text so that long texts move O(1) times per unit. A text that
    // has its block to itself gives that block up, so a long string holds one copy, not every size it
    // had on the way.
    void growText(char16_t*& start, char16_t*& write, char16_t*& capacityEnd, std::size_t more) {
        const std::size_t size = static_cast<std::size_t>(write - start);
        const bool alone = !blocks_.empty() && reinterpret_cast<char*>(start) == blocks_.back().get();
        std::unique_ptr<char[]> old = alone ? std::move(blocks_.back()) : nullptr;
        if (alone) blocks_.pop_back();
        addBlock((size * 2 + more + 64) * sizeof(char16_t));
        auto* moved = reinterpret_cast<char16_t*>(cur_);
        std::memcpy(moved, start, size * sizeof(char16_t));
        start = moved;
        write = moved + size;
        capacityEnd = reinterpret_cast<char16_t*>(limit_);
    }

    void closeText(char16_t* write) { cur_ = alignUp(reinterpret_cast<char*>(write)); }

    // Gives back a text that was the last thing closed.
    void dropText(const char16_t* start, std::size_t size) {
        if (alignUp(const_cast<char*>(reinterpret_cast<const char*>(start + size))) == cur_)
            cur_ = const_cast<char*>(reinterpret_cast<const char*>(start));
    }

private:
    static constexpr std::size_t kMaxBlockBytes = std::size_t{4} << 20;

    static std::size_t roundUp(std::size_t size) { return (size + kAlign - 1) & ~(kAlign - 1); }

    static char* alignUp(char* p) {
        const auto address = reinterpret_cast<std::uintptr_t>(p);
        return p + (roundUp(address) - address);
    }

    // Blocks come from operator new[], aligned for any fundamental type, and their sizes are
    // multiples of kAlign.
    void addBlock(std::size_t minBytes) {
        const std::size_t size = roundUp(std::max(nextBlockBytes_, minBytes));
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        cur_ = blocks_.back().get();
        limit_ = cur_ + size;
        nextBlockBytes_ = std::min(size * 2, kMaxBlockBytes);
    }

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* cur_ = nullptr;
    char* limit_ = nullptr;
    std::size_t nextBlockBytes_;
};

} // namespace tapeloft::detail
