#include "json/Json.h"

#include "json/JsonArena.h"
#include "json/JsonKeys.h"
#include "json/JsonNumbers.h"
#include "json/JsonStrings.h"
#include "json/KeyHash.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

// Keeps a rarely taken path out of the caller, whose registers it would otherwise claim.
#if defined(_MSC_VER)
#define TAPELOFT_JSON_NOINLINE __declspec(noinline)
#else
#define TAPELOFT_JSON_NOINLINE __attribute__((noinline))
#endif

namespace tapeloft {

namespace {

// Deeper documents fail: the parser recurses once per level and must not run out of stack.
constexpr int kMaxDepth = 512;
// Texts this long or longer fail, so every count and size fits in 31 bits.
constexpr std::size_t kMaxUnits = std::size_t{1} << 31;
constexpr JsonValue kEmptyValue{};

template <class Unit> bool isWhitespace(Unit c) {
    return c <= ' ' && (c == ' ' || c == '\n' || c == '\r' || c == '\t');
}

// Compares lower-cased; the literals are plain ASCII letters, so folding with 0x20 is exact.
template <class Unit> bool matchesLiteral(const Unit* p, std::string_view literal) {
    for (std::size_t k = 0; k < literal.size(); ++k)
        if (static_cast<char32_t>(p[k] | 0x20) != static_cast<char32_t>(literal[k])) return false;
    return true;
}

} // namespace

namespace detail {

class JsonStorage final {
public:
    explicit JsonStorage(std::size_t firstBlockBytes) : arena(firstBlockBytes) {}
    JsonArena arena;
    JsonValue root;
};

// One forward pass over the text. Unit is char16_t for UTF-16 input and unsigned char for UTF-8,
// which reads exactly as its UTF-16 decoding would: every structural character is ASCII, and
// string contents are decoded as utf8ToUtf16 decodes them.
template <class Unit> class JsonParser final {
public:
    JsonParser(const Unit* begin, const Unit* end, JsonArena& arena)
        : strings_(begin, end, arena), begin_(begin), end_(end), arena_(arena), keys_(arena),
          objects_(arena) {
        stack_.reserve(64);
    }

    bool parseRoot(JsonValue& root) {
        const Unit* p = begin_;
        if (p == end_) return false;
        if (*p == '{') return parseObject(p + 1, root) != nullptr;
        if (*p == '[') return parseArray(p + 1, root) != nullptr;
        return false;
    }

private:
    static constexpr bool kUtf8 = std::is_same_v<Unit, unsigned char>;
    using KeyEntry = JsonKeyEntry<Unit>;

    // The parse functions take the position to start at and give back the position after what
    // they read, or nullptr when the text does not parse.

    // The position of the first character that is not whitespace; the end when there is none.
    const Unit* skipWhitespace(const Unit* p) const {
        // Most tokens are followed by nothing or a single space.
        if (p != end_ && *p > ' ') return p;
        if (p != end_ && *p == ' ' && ++p != end_ && *p > ' ') return p;
        while (p != end_ && isWhitespace(*p))
            ++p;
        return p;
    }

    const Unit* parseValue(const Unit* p, JsonValue& node) {
        if (p == end_) return nullptr;
        switch (*p) {
        case '{':
            return parseObject(p + 1, node);
        case '[':
            return parseArray(p + 1, node);
        case '"': {
            const char16_t* text = nullptr;
            std::uint32_t size = 0;
            p = strings_.read(p + 1, text, size);
            if (p == nullptr) return nullptr;
            node.setText(text, size);
            node.setKind(JsonKind::String);
            return p;
        }
        default:
            if constexpr (kUtf8 && std::endian::native == std::endian::little) {
                if (const Unit* after = parseShortScalar(p, node)) return after;
            }
            return parseScalar(p, node);
        }
    }

    // UTF-8 only: reads the usual tokens, an integer of up to seven digits or a literal in lower
    // case, where eight bytes can be read at once; nullptr for anything else, which parseScalar
    // then reads.
    const Unit* parseShortScalar(const Unit* p, JsonValue& node) {
        const bool negative = *p == '-';
        const Unit* const digits = p + (negative ? 1 : 0);
        if (end_ - digits < 8) return nullptr;
        std::uint64_t word;
        std::memcpy(&word, digits, sizeof word);
        const std::uint64_t values = word ^ 0x3030303030303030ull;
        const std::uint64_t flags = nonDigitFlags(values);
        if (flags & 0x80) {
            // No digit first: a literal, or something for parseScalar to judge.
            if (negative) return nullptr;
            const auto low = static_cast<std::uint32_t>(word);
            if (low == 0x65757274u) return setLiteral(node, JsonKind::True, 1, p + 4); // "true"
            if (low == 0x6C6C756Eu) return setLiteral(node, JsonKind::Null, 0, p + 4); // "null"
            if (low == 0x736C6166u && digits[4] == 'e') return setLiteral(node, JsonKind::False, 0, p + 5);
            return nullptr;
        }
        if (flags == 0) return nullptr;
        const auto n = static_cast<std::size_t>(std::countr_zero(flags)) / 8;
        if (!kEndsNumber[digits[n]]) return nullptr;
        setInteger(node, negative ? 0 - digitValue(values, n) : digitValue(values, n));
        return digits + n;
    }

    const Unit* parseObject(const Unit* p, JsonValue& node) {
        if (++depth_ > kMaxDepth) return nullptr;
        // The guesses of a level are cleared when the document first gets that deep.
        while (guessedDepth_ < depth_)
            firstKeys_[++guessedDepth_] = nullptr;
        node.setKind(JsonKind::Object);
        if (node.object_ != nullptr) node.object_->reopened = true;
        p = skipWhitespace(p);
        if (p == end_) return nullptr;
        if (*p == '}') {
            --depth_;
            return p + 1;
        }
        if (node.object_ == nullptr) {
            node.object_ = arena_.make<JsonObject>();
            node.object_->id = ++objectCount_;
            node.object_->tail = &node.object_->first;
        }
        JsonObject& object = *node.object_;
        // Objects side by side tend to repeat their keys in the same order: guess each key as the
        // one that followed the previous key last time, or the first key of the last object opened
        // at this depth.
        KeyEntry* previous = nullptr;
        for (;;) {
            if (*p != '"') return nullptr;
            KeyEntry* const guess = previous == nullptr ? firstKeys_[depth_] : previous->next;
            KeyEntry* key = nullptr;
            p = parseKey(p + 1, guess, key);
            if (p == nullptr) return nullptr;
            if (previous == nullptr)
                firstKeys_[depth_] = key;
            else
                previous->next = key;
            previous = key;
            if (p == end_ || *p != ':') {
                p = skipWhitespace(p);
                if (p == end_ || *p != ':') return nullptr;
            }
            // A repeated key parses into the member it already has, without clearing it.
            p = parseValue(skipWhitespace(p + 1), objects_.memberFor(object, *key).value);
            if (p == nullptr) return nullptr;
            p = skipWhitespace(p);
            if (p == end_) return nullptr;
            if (*p == ',') {
                p = skipWhitespace(p + 1);
                if (p == end_ || *p == '}') return nullptr;
            } else if (*p == '}') {
                objects_.indexIfLarge(object);
                --depth_;
                return p + 1;
            }
            // Anything else starts the next member, comma or not.
        }
    }

    // After the opening quote of a key; sets `key` to its entry.
    const Unit* parseKey(const Unit* p, KeyEntry* guess, KeyEntry*& key) {
        if constexpr (kUtf8) {
            // The guess is compared together with its closing quote, which needs no scan for the
            // key's end: its earlier occurrence holds no quote, backslash or non-ASCII byte.
            if (guess != nullptr && guess->raw != nullptr &&
                JsonKeyTable<Unit>::sameRawKey(guess->raw, p, guess->record.size, end_)) {
                guess->raw = p; // the nearer copy is likelier in cache next time
                key = guess;
                return p + guess->record.size + 1;
            }
        }
        return parseOtherKey(p, guess, key);
    }

    // parseKey past the UTF-8 guess.
    TAPELOFT_JSON_NOINLINE const Unit* parseOtherKey(const Unit* p, [[maybe_unused]] KeyEntry* guess,
                                                     KeyEntry*& key) {
        if constexpr (kUtf8) {
            // Plain ASCII keys, the usual case, are looked up by their bytes without decoding.
            const Unit* const stop = strings_.findSpecial(p);
            if (stop != end_ && *stop == '"') {
                key = keys_.plainKey(p, static_cast<std::uint32_t>(stop - p), end_);
                return stop + 1;
            }
        } else {
            // A key without escapes is its own decoding: look it up where it stands.
            const Unit* stop = p;
            while (stop != end_ && *stop != '"' && *stop != '\\')
                ++stop;
            if (stop != end_ && *stop == '"') {
                const auto size = static_cast<std::uint32_t>(stop - p);
                if (guess != nullptr && guess->record.size == size &&
                    std::memcmp(guess->record.text, p, size * sizeof(char16_t)) == 0) {
                    key = guess;
                    return stop + 1;
                }
                if (KeyEntry* const found = keys_.find(p, size)) {
                    key = found;
                    return stop + 1;
                }
            }
        }
        const char16_t* text = nullptr;
        std::uint32_t textSize = 0;
        p = strings_.read(p, text, textSize);
        if (p == nullptr) return nullptr;
        key = keys_.intern(text, textSize);
        return p;
    }

    const Unit* parseArray(const Unit* p, JsonValue& node) {
        if (++depth_ > kMaxDepth) return nullptr;
        node.setKind(JsonKind::Array);
        p = skipWhitespace(p);
        if (p == end_) return nullptr;
        if (*p == ']') {
            node.elements_ = nullptr;
            node.integer_ = 0;
            --depth_;
            return p + 1;
        }
        // Elements wait on a shared stack until the array closes, then move to the arena in one piece.
        const std::size_t base = stack_.size();
        std::size_t index = 0;
        for (;;) {
            JsonValue element;
            p = parseValue(p, element);
            if (p == nullptr) return nullptr;
            if (stack_.size() == base + index)
                stack_.push_back(element);
            else
                stack_[base + index] = element; // a value without a comma before it replaces the last one
            p = skipWhitespace(p);
            if (p == end_) return nullptr;
            if (*p == ',') {
                ++index;
                p = skipWhitespace(p + 1);
            } else if (*p == ']') {
                ++p;
                break;
            } else if (*p == '}') {
                // An empty value would be read here again and again without consuming anything.
                return nullptr;
            }
        }
        const std::size_t count = index + 1;
        auto* elements = arena_.allocate<JsonValue>(count);
        std::copy(stack_.begin() + static_cast<std::ptrdiff_t>(base),
                  stack_.begin() + static_cast<std::ptrdiff_t>(base + count), elements);
        stack_.resize(base);
        node.elements_ = elements;
        node.integer_ = static_cast<std::int32_t>(count);
        --depth_;
        return p;
    }

    const Unit* parseScalar(const Unit* p, JsonValue& node) {
        const auto folded = static_cast<char32_t>(*p | 0x20);
        if (folded >= 'f' && (folded == 'n' || folded == 'f' || folded == 't')) {
            const auto left = static_cast<std::size_t>(end_ - p);
            if (left >= 4 && matchesLiteral(p, "null")) return setLiteral(node, JsonKind::Null, 0, p + 4);
            if (left >= 5 && matchesLiteral(p, "false")) return setLiteral(node, JsonKind::False, 0, p + 5);
            if (left >= 4 && matchesLiteral(p, "true")) return setLiteral(node, JsonKind::True, 1, p + 4);
        }
        const Unit* const start = p;
        const bool negative = *p == '-';
        if (negative) ++p;
        // Leading digits are summed on the way; most tokens are plain integers.
        const Unit* const digits = p;
        std::uint64_t magnitude = 0;
        if constexpr (kUtf8 && std::endian::native == std::endian::little) {
            while (end_ - p >= 8) {
                const std::size_t n = takeDigits(p, magnitude);
                p += n;
                if (n < 8) break;
            }
        }
        while (p != end_ && *p >= '0' && *p <= '9')
            magnitude = magnitude * 10 + static_cast<unsigned>(*p++ - '0');
        // Most tokens end right after their digits.
        if (p != end_ && (*p == ',' || *p == '}' || *p == ']' || isWhitespace(*p))) {
            setInteger(node, integerBits(negative, magnitude, digits, p));
            return p;
        }
        bool fraction = false;
        bool exponent = false;
        for (;; ++p) {
            if (p == end_) return nullptr;
            const Unit c = *p;
            if (c >= '0' && c <= '9') continue;
            if (c == '.') {
                fraction = true;
            } else if (c == 'e' || c == 'E') {
                exponent = true;
                if (p + 1 != end_ && (p[1] == '+' || p[1] == '-')) ++p;
            } else if (isWhitespace(c) || c == ',' || c == ']' || c == '}') {
                break;
            } else {
                return nullptr;
            }
        }
        if (!fraction && !exponent) {
            setInteger(node, integerBits(negative, magnitude, digits, p));
            return p;
        }
        const auto size = static_cast<std::size_t>(p - start);
        if (size >= kMaxTextUnits) return nullptr;
        setReal(node, start, size);
        return p;
    }

    static const Unit* setLiteral(JsonValue& node, JsonKind kind, std::int32_t value, const Unit* after) {
        node.setKind(kind);
        node.integer_ = value;
        node.real_ = value;
        return after;
    }

    // The low 32 bits of the 64-bit value, as a signed number.
    static void setInteger(JsonValue& node, std::uint64_t bits) {
        node.setKind(JsonKind::Integer);
        node.integer_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
        node.real_ = node.integer_;
    }

    void setReal(JsonValue& node, const Unit* token, std::size_t size) {
        char16_t* capacityEnd = nullptr;
        char16_t* text = arena_.openText(capacityEnd, size);
        for (std::size_t k = 0; k < size; ++k)
            text[k] = token[k] == 'E' ? u'e' : static_cast<char16_t>(token[k]);
        arena_.closeText(text + size);
        node.setKind(JsonKind::Real);
        node.setText(text, static_cast<std::uint32_t>(size));
        node.real_ = tokenDouble(token, size);
        node.integer_ = roundToInt32(node.real_);
    }

    // First, at the parser's own address: the key path hands it on without computing one.
    JsonStringReader<Unit> strings_;
    const Unit* const begin_;
    const Unit* const end_;
    JsonArena& arena_;
    JsonKeyTable<Unit> keys_;
    JsonObjectBuilder objects_;
    std::vector<JsonValue> stack_;
    // The first key of the last object at each depth, valid up to guessedDepth_.
    std::array<KeyEntry*, kMaxDepth + 1> firstKeys_;
    int guessedDepth_ = 0;
    std::uint32_t objectCount_ = 0;
    int depth_ = 0;
};

} // namespace detail

template <class Unit> std::optional<JsonDocument> parseDocument(const Unit* begin, const Unit* end) {
    if (static_cast<std::size_t>(end - begin) >= kMaxUnits) return std::nullopt;
    // Only U+0020 is trimmed; other whitespace before the root makes the text fail.
    while (begin != end && *begin == ' ')
        ++begin;
    while (end != begin && end[-1] == ' ')
        --end;
    if (begin == end || (*begin != '{' && *begin != '[')) return std::nullopt;
    try {
        // Nodes, members and texts take a few bytes per byte of typical input.
        const std::size_t units = static_cast<std::size_t>(end - begin);
        auto storage = std::make_unique<detail::JsonStorage>(
            std::clamp<std::size_t>(units * 8, 1024, std::size_t{1} << 22));
        detail::JsonParser<Unit> parser(begin, end, storage->arena);
        if (!parser.parseRoot(storage->root)) return std::nullopt;
        return JsonDocument(std::move(storage));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<JsonDocument> parseJson(std::u16string_view text) {
    return parseDocument(text.data(), text.data() + text.size());
}

std::optional<JsonDocument> parseJsonUtf8(std::string_view utf8) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    return parseDocument(bytes, bytes + utf8.size());
}

JsonDocument::JsonDocument(std::unique_ptr<detail::JsonStorage> storage) : storage_(std::move(storage)) {}
JsonDocument::JsonDocument(JsonDocument&& other) noexcept = default;
JsonDocument& JsonDocument::operator=(JsonDocument&& other) noexcept = default;
JsonDocument::~JsonDocument() = default;

const JsonValue& JsonDocument::root() const {
    return storage_ != nullptr ? storage_->root : JsonValue::empty();
}

const JsonValue& JsonValue::member(std::u16string_view key) const {
    if (kind() != JsonKind::Object || object_ == nullptr) return empty();
    const std::uint32_t hash =
        object_->slots != nullptr ? hashKey(detail::keyHashSecret(), key.data(), key.size()) : 0;
    const detail::JsonMember* found = findMember(*object_, key.data(), key.size(), hash);
    return found != nullptr ? found->value : empty();
}

std::int32_t JsonValue::memberCount() const {
    return kind() == JsonKind::Object && object_ != nullptr ? static_cast<std::int32_t>(object_->count) : 0;
}

const JsonValue& JsonValue::element(std::int64_t index) const {
    if (kind() != JsonKind::Array || index < 0 || index >= integer_) return empty();
    return elements_[index];
}

const JsonValue& JsonValue::empty() {
    return kEmptyValue;
}

} // namespace tapeloft
