#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

// The tree of values a JSON block parses into, and the lookups the readers chain on it.
namespace tapeloft {

enum class JsonKind : std::int32_t {
    Unset = 0,
    String = 1,
    Object = 2,
    Null = 3,
    True = 4,
    False = 5,
    Array = 6,
    Integer = 7,
    Real = 8
};

namespace detail {
struct JsonMember;
struct JsonObject;
class JsonStorage;
template <class Unit> class JsonParser;
} // namespace detail

// One node of a parsed document, valid while its JsonDocument lives. Lookups never fail: when there
// is nothing to find they give the shared empty value (kind Unset, no children, every view empty).
class JsonValue final {
public:
    constexpr JsonValue() = default;

    JsonKind kind() const { return static_cast<JsonKind>(textSizeAndKind_ & kKindMask); }
    // Strings: the decoded text; Reals: the number as written, 'E' as 'e'. Empty when not set.
    std::u16string_view text() const { return {text_, textSizeAndKind_ >> kKindBits}; }
    // Arrays: the element count; Reals: the value rounded half to even. 0 when not set.
    std::int32_t integerValue() const { return integer_; }
    // 0.0 when not set.
    double realValue() const { return real_; }

    // The member with exactly this key; the empty value when absent or this is not an object.
    const JsonValue& member(std::u16string_view key) const;
    // 0 for anything but an object.
    std::int32_t memberCount() const;
    // Calls visit(std::u16string_view key, const JsonValue& value) once per member, in document
    // order of each key's first occurrence. Visits nothing for anything but an object.
    template <class Visit> void members(Visit&& visit) const;

    // 0 for anything but an array.
    std::int32_t count() const { return kind() == JsonKind::Array ? integer_ : 0; }
    // The empty value when the index is outside 0 .. count() - 1 or this is not an array.
    const JsonValue& element(std::int64_t index) const;

    // The shared read-only value that lookups give when they find nothing.
    static const JsonValue& empty();

private:
    template <class Unit> friend class detail::JsonParser;

    static constexpr unsigned kKindBits = 4;
    static constexpr std::uint32_t kKindMask = (1u << kKindBits) - 1;

    void setKind(JsonKind kind) {
        textSizeAndKind_ = (textSizeAndKind_ & ~kKindMask) | static_cast<std::uint32_t>(kind);
    }
    void setText(const char16_t* text, std::uint32_t size) {
        text_ = text;
        textSizeAndKind_ = (size << kKindBits) | (textSizeAndKind_ & kKindMask);
    }

    // A key given twice in one object parses its second value into the same node, so a node can
    // hold fields of more than one kind; the accessors look at the kind where that matters.
    const char16_t* text_ = nullptr;
    const JsonValue* elements_ = nullptr; // as many as integer_ while the kind is Array
    detail::JsonObject* object_ = nullptr;
    double real_ = 0.0;
    std::int32_t integer_ = 0;
    std::uint32_t textSizeAndKind_ = 0; // text size above the kind's four bits
};

namespace detail {

// One per distinct key text of a document, shared by every member with that key.
struct JsonKey {
    const char16_t* text = nullptr;
    std::uint32_t size = 0;
    std::uint32_t hash = 0;
};

struct JsonMember {
    const JsonKey* key = nullptr;
    JsonMember* next = nullptr;
    JsonValue value;
};

// Members in document order of first occurrence. Large objects also get an open-addressing index:
// `tags` holds a nonzero 16-bit digest of each slot's key hash (0 = empty), so that probing reads
// members only on a likely match.
struct JsonObject {
    JsonMember* first = nullptr;
    JsonMember** tail = nullptr; // the next pointer of the last member, or first
    JsonMember** slots = nullptr;
    std::uint16_t* tags = nullptr;
    std::uint32_t count = 0;
    std::uint32_t slotMask = 0;
    std::uint32_t id = 0;  // order of creation, for the parser's repeated-key check
    bool reopened = false; // a repeated key parsed a second object into this one
};

} // namespace detail

template <class Visit> void JsonValue::members(Visit&& visit) const {
    if (kind() != JsonKind::Object || object_ == nullptr) return;
    for (const detail::JsonMember* m = object_->first; m != nullptr; m = m->next)
        visit(std::u16string_view(m->key->text, m->key->size), static_cast<const JsonValue&>(m->value));
}

// A parsed document: owns every node and text of its tree. Move-only.
class JsonDocument final {
public:
    JsonDocument(JsonDocument&& other) noexcept;
    JsonDocument& operator=(JsonDocument&& other) noexcept;
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;
    ~JsonDocument();

    // The empty value for a moved-from document.
    const JsonValue& root() const;

private:
    explicit JsonDocument(std::unique_ptr<detail::JsonStorage> storage);
    template <class Unit> friend std::optional<JsonDocument> parseDocument(const Unit*, const Unit*);

    std::unique_ptr<detail::JsonStorage> storage_;
};

// nullopt when the text does not parse, or is 2^31 code units or longer, or holds a string or
// number of 2^28 units or more, or nests deeper than 512 objects and arrays.
std::optional<JsonDocument> parseJson(std::u16string_view text);
// Same result as parseJson(utf8ToUtf16(utf8)), without building the UTF-16 copy first; nullopt
// under the same conditions, the length limit counted in bytes.
std::optional<JsonDocument> parseJsonUtf8(std::string_view utf8);

} // namespace tapeloft
