#pragma once

#include "json/Json.h"
#include "json/JsonArena.h"
#include "json/JsonSimd.h"
#include "json/KeyHash.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The plain-key lookup is large and has a single caller, the parser's key path, which was tuned with it
// inline; left to its size limits the compiler would make it a call.
#if defined(_MSC_VER)
#define TAPELOFT_JSON_ALWAYS_INLINE __forceinline
#else
#define TAPELOFT_JSON_ALWAYS_INLINE inline __attribute__((always_inline))
#endif

// Object keys: each distinct key text once per document, found through one table, and the members of an
// object found by key. Everything here runs per key or per member, so it is inline for the parser.
namespace tapeloft::detail {

// Objects with more members than this get a hash index; smaller ones are searched in order.
inline constexpr std::uint32_t kIndexThreshold = 64;

inline std::uint16_t tagOf(std::uint32_t hash) {
    return static_cast<std::uint16_t>((hash >> 16) | 1);
}

inline bool sameKey(const JsonMember& m, const char16_t* key, std::size_t size) {
    // Keys of one object often differ only at the end ("field10", "field11").
    const JsonKey& k = *m.key;
    return k.size == size && (size == 0 || (k.text[size - 1] == key[size - 1] &&
                                            std::memcmp(k.text, key, size * sizeof(char16_t)) == 0));
}

// The member with the key text; `hash` (its hashKey) is needed only when the object has an index.
inline const JsonMember* findMember(const JsonObject& object, const char16_t* key, std::size_t size,
                                    std::uint32_t hash) {
    if (object.slots == nullptr) {
        for (const JsonMember* m = object.first; m != nullptr; m = m->next)
            if (sameKey(*m, key, size)) return m;
        return nullptr;
    }
    const std::uint16_t tag = tagOf(hash);
    for (std::uint32_t slot = hash & object.slotMask;; slot = (slot + 1) & object.slotMask) {
        const std::uint16_t found = object.tags[slot];
        if (found == 0) return nullptr;
        if (found == tag && sameKey(*object.slots[slot], key, size)) return object.slots[slot];
    }
}

inline void insertIntoIndex(JsonObject& object, JsonMember* member) {
    const std::uint32_t hash = member->key->hash;
    std::uint32_t slot = hash & object.slotMask;
    while (object.tags[slot] != 0)
        slot = (slot + 1) & object.slotMask;
    object.tags[slot] = tagOf(hash);
    object.slots[slot] = member;
}

// Every distinct key text of the document once, in the arena; a repeat gives its text back. Equal keys
// are then one pointer, and each key remembers the object it was last added to.
template <class Unit> struct JsonKeyEntry {
    JsonKey record;               // what the members point to
    JsonKeyEntry* next = nullptr; // the key that followed this one last time
    JsonMember* lastMember = nullptr;
    const Unit* raw = nullptr;      // UTF-8 only: the latest plain occurrence in the input
    std::uint32_t lastObjectId = 0; // 0: in no object yet
};

// Fills the objects of one document as the parser reads them. It keeps the arena itself rather than
// taking it per call, so that the parser loads it only where something is allocated.
class JsonObjectBuilder final {
public:
    explicit JsonObjectBuilder(JsonArena& arena) : arena_(arena) {}

    // The member of the object under the key, added when new; the index, once there, is kept up to
    // date. Objects are numbered as they are created and are filled in one go (their descendants
    // numbered higher), so a key last added to an object numbered lower than this one cannot be in it,
    // and one last added to this very object is found at once. Only a key last seen deeper down, or an
    // object filled a second time, needs a search.
    template <class Unit> JsonMember& memberFor(JsonObject& object, JsonKeyEntry<Unit>& key) {
        JsonMember* found = nullptr;
        if (object.reopened || key.lastObjectId > object.id)
            found = search(object, key.record);
        else if (key.lastObjectId == object.id)
            found = key.lastMember;
        if (found == nullptr) {
            found = arena_.make<JsonMember>();
            found->key = &key.record;
            *object.tail = found;
            object.tail = &found->next;
            ++object.count;
            if (object.slots != nullptr) {
                if (object.count * 2 > object.slotMask + 1)
                    buildIndex(object);
                else
                    insertIntoIndex(object, found);
            }
        }
        key.lastObjectId = object.id;
        key.lastMember = found;
        return *found;
    }

    void indexIfLarge(JsonObject& object) {
        if (object.slots == nullptr && object.count > kIndexThreshold) buildIndex(object);
    }

private:
    // The member with the interned key: equal keys are equal pointers. A large object gets its index
    // here if it has none yet.
    JsonMember* search(JsonObject& object, const JsonKey& key) {
        indexIfLarge(object);
        if (object.slots == nullptr) {
            for (JsonMember* m = object.first; m != nullptr; m = m->next)
                if (m->key == &key) return m;
            return nullptr;
        }
        const std::uint16_t tag = tagOf(key.hash);
        for (std::uint32_t slot = key.hash & object.slotMask;; slot = (slot + 1) & object.slotMask) {
            const std::uint16_t found = object.tags[slot];
            if (found == 0) return nullptr;
            if (found == tag && object.slots[slot]->key == &key) return object.slots[slot];
        }
    }

    // At most half the slots are in use, so probes stay short.
    void buildIndex(JsonObject& object) {
        const std::uint32_t slotCount = std::bit_ceil(object.count * 2 + 2);
        object.slots = arena_.allocate<JsonMember*>(slotCount);
        object.tags = arena_.allocate<std::uint16_t>(slotCount);
        std::fill_n(object.tags, slotCount, std::uint16_t{0});
        object.slotMask = slotCount - 1;
        for (JsonMember* m = object.first; m != nullptr; m = m->next)
            insertIntoIndex(object, m);
    }

    JsonArena& arena_;
};

// The key entries of one document: open addressing over them by their hash, half full at most. Unit is
// the parser's; the UTF-8 lookups read plain keys (no quote, backslash or non-ASCII byte) where they
// stand in the input, and take the input's end to know how far words can be read. The parser passes its
// own end rather than the table keeping a copy, which it would have to load again.
template <class Unit> class JsonKeyTable final {
public:
    using Entry = JsonKeyEntry<Unit>;

    explicit JsonKeyTable(JsonArena& arena) : arena_(arena) {}

    // UTF-8 only: the entry of the plain key of `size` bytes at p, added when new.
    TAPELOFT_JSON_ALWAYS_INLINE Entry* plainKey(const Unit* p, std::uint32_t size, const Unit* end) {
        const std::uint32_t hash = hashBytes(p, size, end);
        const auto mask = static_cast<std::uint32_t>(table_.size() - 1);
        std::uint32_t slot = hash & mask;
        for (; table_[slot] != nullptr; slot = (slot + 1) & mask) {
            Entry& entry = *table_[slot];
            if (entry.record.hash == hash && entry.record.size == size &&
                (entry.raw != nullptr ? sameBytes(entry.raw, p, size, end)
                                      : sameText(entry.record.text, p, size))) {
                entry.raw = p;
                return &entry;
            }
        }
        Entry* const entry = addKey(slot, widen(p, size), size, hash);
        entry->raw = p;
        return entry;
    }

    // The entry of the key text, which stands in UTF-16 input; nullptr when the key is new.
    Entry* find(const char16_t* key, std::uint32_t size) const {
        const std::uint32_t hash = hashKey(secret_, key, size);
        const auto mask = static_cast<std::uint32_t>(table_.size() - 1);
        for (std::uint32_t slot = hash & mask; table_[slot] != nullptr; slot = (slot + 1) & mask) {
            Entry& entry = *table_[slot];
            if (entry.record.hash == hash && entry.record.size == size &&
                std::memcmp(entry.record.text, key, size * sizeof(char16_t)) == 0)
                return &entry;
        }
        return nullptr;
    }

    // The entry of the decoded key, which was the last text closed; a repeat gives that text back.
    Entry* intern(const char16_t* key, std::uint32_t size) {
        const std::uint32_t hash = hashKey(secret_, key, size);
        const auto mask = static_cast<std::uint32_t>(table_.size() - 1);
        std::uint32_t slot = hash & mask;
        for (; table_[slot] != nullptr; slot = (slot + 1) & mask) {
            Entry& entry = *table_[slot];
            if (entry.record.hash == hash && entry.record.size == size &&
                std::memcmp(entry.record.text, key, size * sizeof(char16_t)) == 0) {
                arena_.dropText(key, size);
                return &entry;
            }
        }
        return addKey(slot, key, size, hash);
    }

    // UTF-8 only: whether the size bytes at p and the quote after them equal those at raw, an
    // earlier plain key of that size with its closing quote.
    static bool sameRawKey(const Unit* raw, const Unit* p, std::size_t size, const Unit* end) {
        const std::size_t length = size + 1;
#ifdef TAPELOFT_JSON_SSE2
        // raw lies before p, so sixteen bytes can be read at both wherever they can at p.
        if (end - p >= 16) {
            if (length <= 16) return (differ16(raw, p) & ((1u << length) - 1)) == 0;
            if (static_cast<std::size_t>(end - p) < length) return false;
            for (std::size_t k = 0; k + 16 < length; k += 16)
                if (differ16(raw + k, p + k) != 0) return false;
            return differ16(raw + length - 16, p + length - 16) == 0; // the last sixteen, overlapping
        }
#endif
        if (static_cast<std::size_t>(end - p) < length) return false;
        return p[size] == '"' && sameBytes(raw, p, size, end);
    }

    // UTF-8 only: hashKey of a plain key's decoding, from its bytes.
    std::uint32_t hashBytes(const Unit* p, std::size_t size, const Unit* end) const {
        KeyHasher hasher(secret_);
        std::size_t k = 0;
        for (; k + 8 <= size; k += 8)
            hasher.add(littleEndianWord(p + k));
        return hasher.finish(loadPartial(p + k, size - k, end) | KeyHasher::lengthTag(size, false));
    }

private:
    // A new entry in the free slot found by probing; the table doubles when more than half full.
    Entry* addKey(std::uint32_t slot, const char16_t* text, std::uint32_t size, std::uint32_t hash) {
        Entry* const entry = arena_.make<Entry>();
        entry->record = JsonKey{text, size, hash};
        table_[slot] = entry;
        if (++count_ * 2 > table_.size()) {
            const std::vector<Entry*> old = std::move(table_);
            table_.assign(old.size() * 2, nullptr);
            const auto mask = static_cast<std::uint32_t>(table_.size() - 1);
            for (Entry* const e : old) {
                if (e == nullptr) continue;
                std::uint32_t s = e->record.hash & mask;
                while (table_[s] != nullptr)
                    s = (s + 1) & mask;
                table_[s] = e;
            }
        }
        return entry;
    }

    // UTF-8 only: the plain key of `size` bytes at p as a new arena text.
    const char16_t* widen(const Unit* p, std::size_t size) {
        char16_t* const text = arena_.template allocate<char16_t>(size);
        for (std::size_t k = 0; k < size; ++k)
            text[k] = p[k];
        return text;
    }

    // UTF-8 only: whether the plain key of `size` bytes at p decodes to the text.
    static bool sameText(const char16_t* text, const Unit* p, std::size_t size) {
        for (std::size_t k = 0; k < size; ++k)
            if (text[k] != p[k]) return false;
        return true;
    }

    // Reads the size < 8 bytes at p as one little-endian word, in one load where eight bytes are
    // there to read.
    static std::uint64_t loadPartial(const Unit* p, std::size_t size, const Unit* end) {
        if (std::endian::native == std::endian::little && end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            return word & ((std::uint64_t{1} << (8 * size)) - 1);
        }
        std::uint64_t word = 0;
        for (std::size_t k = size; k > 0; --k)
            word = (word << 8) | p[k - 1];
        return word;
    }

    // The eight bytes at p as a little-endian word.
    static std::uint64_t littleEndianWord(const Unit* p) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if constexpr (std::endian::native == std::endian::big) {
            std::uint64_t swapped = 0;
            for (int k = 0; k < 8; ++k, word >>= 8)
                swapped = (swapped << 8) | (word & 0xFF);
            word = swapped;
        }
        return word;
    }

#ifdef TAPELOFT_JSON_SSE2
    // A bit for every one of the sixteen bytes at a and b that differs.
    static unsigned differ16(const Unit* a, const Unit* b) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y))) ^ 0xFFFFu;
    }
#endif

    static bool sameBytes(const Unit* a, const Unit* b, std::size_t size, const Unit* end) {
        if (size < 8) return loadPartial(a, size, end) == loadPartial(b, size, end);
        std::uint64_t x, y;
        for (std::size_t k = 0; k + 8 < size; k += 8) {
            std::memcpy(&x, a + k, sizeof x);
            std::memcpy(&y, b + k, sizeof y);
            if (x != y) return false;
        }
        std::memcpy(&x, a + size - 8, sizeof x);
        std::memcpy(&y, b + size - 8, sizeof y);
        return x == y;
    }

    JsonArena& arena_;
    const KeyHashSecret secret_ = keyHashSecret();
    std::vector<Entry*> table_ = std::vector<Entry*>(256, nullptr);
    std::size_t count_ = 0;
};

} // namespace tapeloft::detail
