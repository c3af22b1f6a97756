#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// What the entry functions share: the check that aborts, the reader that turns the fuzzer's bytes into
// choices and texts, its writer for hand-made seeds, and a scratch folder per target.
namespace tapeloft::fuzz {

[[noreturn]] void failCheck(const char* where, const char* what);

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) ::tapeloft::fuzz::failCheck(__func__, #condition);                                 \
    } while (false)

inline std::string_view asBytes(const std::uint8_t* data, std::size_t size) {
    return size == 0 ? std::string_view{} : std::string_view(reinterpret_cast<const char*>(data), size);
}

// The kinds of text FuzzInput::text makes, by the byte that picks them.
enum class TextKind : std::uint8_t {
    Empty,
    Utf8,   // a length byte, then that many bytes decoded as UTF-8 (invalid bytes give U+FFFD)
    Cp1251, // a length byte, then that many bytes decoded as Windows-1251
    Units,  // a length byte, then that many UTF-16 units, little-endian: lone surrogates and all
    Tokens, // a count below 8 (plus one), then that many picks from textTokens()
    Long,   // a length byte, then a text of another kind repeated to 200 + 8 x length units
};
inline constexpr std::size_t kTextKinds = 6;

// Pieces that mean something to a sorter, a filter, the code page or a path.
std::u16string_view textToken(std::size_t index);
std::size_t textTokenCount();

// Takes choices from the front of the bytes. Once they run out every choice is 0 and every text empty,
// so that any input decodes to something and short inputs decode to short runs.
class FuzzInput final {
public:
    explicit FuzzInput(std::string_view bytes) : rest_(bytes) {}

    bool empty() const { return rest_.empty(); }
    std::uint8_t byte();
    // 0 ... n - 1: one byte while n <= 256, two beyond; n <= 1 gives 0 and takes nothing.
    std::size_t below(std::size_t n);
    bool flag() { return (byte() & 1) != 0; }
    // Four bytes, little-endian.
    std::int32_t int32();
    // Up to n bytes; fewer at the end.
    std::string_view take(std::size_t n);
    // A text of a kind picked by the next byte (see TextKind), cut to maxUnits units.
    std::u16string text(std::size_t maxUnits);

private:
    std::u16string textOfKind(TextKind kind, std::size_t maxUnits);

    std::string_view rest_;
};

// Writes the bytes FuzzInput reads back as the same choices; the seeds are built with it.
class InputWriter final {
public:
    InputWriter& byte(std::uint8_t value);
    InputWriter& choice(std::size_t value, std::size_t n);
    InputWriter& flag(bool value) { return byte(value ? 1 : 0); }
    InputWriter& int32(std::int32_t value);
    InputWriter& raw(std::string_view bytes);
    InputWriter& emptyText() { return byte(static_cast<std::uint8_t>(TextKind::Empty)); }
    // At most 255 bytes or units; longer ones are cut.
    InputWriter& utf8(std::string_view bytes);
    InputWriter& cp1251(std::string_view bytes);
    InputWriter& units(std::u16string_view units);
    // A text of 200 + 8 x length units repeating the UTF-8 text.
    InputWriter& longUtf8(std::uint8_t length, std::string_view bytes);

    const std::string& bytes() const { return bytes_; }

private:
    InputWriter& counted(TextKind kind, std::string_view bytes);

    std::string bytes_;
};

// A folder of this process below the temporary folder, emptied and removed when the process ends.
class ScratchFolder final {
public:
    explicit ScratchFolder(std::string_view tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Replaces the file with the bytes; false when that failed.
bool writeBytes(const std::filesystem::path& file, std::string_view bytes);

// The text without the blanks and tabs a preference file ignores around a value.
std::u16string_view trimBlanks(std::u16string_view s);
// The whole file; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& file);

} // namespace tapeloft::fuzz
