#include "FuzzSupport.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace tapeloft::fuzz {

namespace {

using namespace std::string_view_literals;

// Numbers and dates for the sorter, letters of both cases for the filter, characters the code page lacks,
// surrogates alone and in pairs, line breaks that split cells, and the replay extension.
constexpr std::u16string_view kTokens[] = {
    u"0",
    u"7",
    u"12",
    u"-",
    u"+",
    u".",
    u"e",
    u" ",
    u"\t",
    u"31.12.2014 23:59:59",
    u"01.01.2015 00:00:00",
    u"2147483648",
    u"1e999",
    u"a",
    u"A",
    u"z",
    u"\u0436",
    u"\u0416",
    u"\u0451",
    u"\u0401",
    u"\u00E9",
    u"\u00C9",
    u"\u20AC",
    u"\u4E2D",
    u"\U0001F600",
    u"\xD800"sv,
    u"\xDC80"sv,
    u"\xDFFF"sv,
    u"\uFFFD",
    u"\uFFFF",
    u"\n",
    u"\0"sv,
    u"?",
    u"[",
    u"=",
    u".ivlreplay",
    u".IvlReplay",
};

} // namespace

[[noreturn]] void failCheck(const char* where, const char* what) {
    std::fprintf(stderr, "fuzz check failed in %s: %s\n", where, what);
    std::fflush(stderr);
    std::abort();
}

std::u16string_view textToken(std::size_t index) {
    return index < std::size(kTokens) ? kTokens[index] : std::u16string_view();
}

std::size_t textTokenCount() {
    return std::size(kTokens);
}

// --- FuzzInput -----------------------------------------------------------------------------------------

std::uint8_t FuzzInput::byte() {
    if (rest_.empty()) return 0;
    const auto value = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return value;
}

std::size_t FuzzInput::below(std::size_t n) {
    if (n <= 1) return 0;
    std::size_t value = byte();
    if (n > 256) value |= std::size_t{byte()} << 8;
    return value % n;
}

std::int32_t FuzzInput::int32() {
    std::uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8)
        value |= std::uint32_t{byte()} << shift;
    return static_cast<std::int32_t>(value);
}

std::string_view FuzzInput::take(std::size_t n) {
    const std::string_view taken = rest_.substr(0, std::min(n, rest_.size()));
    rest_.remove_prefix(taken.size());
    return taken;
}

std::u16string FuzzInput::text(std::size_t maxUnits) {
    return textOfKind(static_cast<TextKind>(below(kTextKinds)), maxUnits);
}

std::u16string FuzzInput::textOfKind(TextKind kind, std::size_t maxUnits) {
    std::u16string text;
    switch (kind) {
    case TextKind::Empty:
        break;
    case TextKind::Utf8:
        text = utf8ToUtf16(take(byte()));
        break;
    case TextKind::Cp1251:
        text = cp1251ToUtf16(take(byte()));
        break;
    case TextKind::Units: {
        const std::string_view bytes = take(2 * std::size_t{byte()});
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        break;
    }
    case TextKind::Tokens:
        for (std::size_t n = 1 + below(8); n > 0; --n)
            text += textToken(below(textTokenCount()));
        break;
    case TextKind::Long: {
        const std::size_t length = 200 + 8 * std::size_t{byte()};
        std::u16string piece = textOfKind(static_cast<TextKind>(below(kTextKinds - 1)), 64);
        if (piece.empty()) piece = u"a";
        while (text.size() < std::min(length, maxUnits))
            text += piece;
        text.resize(std::min(length, text.size()));
        break;
    }
    }
    if (text.size() > maxUnits) text.resize(maxUnits);
    return text;
}

// --- InputWriter ---------------------------------------------------------------------------------------

InputWriter& InputWriter::byte(std::uint8_t value) {
    bytes_.push_back(static_cast<char>(value));
    return *this;
}

InputWriter& InputWriter::choice(std::size_t value, std::size_t n) {
    if (n <= 1) return *this;
    byte(static_cast<std::uint8_t>(value & 0xFFu));
    if (n > 256) byte(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
    return *this;
}

InputWriter& InputWriter::int32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        byte(static_cast<std::uint8_t>((bits >> shift) & 0xFFu));
    return *this;
}

InputWriter& InputWriter::raw(std::string_view bytes) {
    bytes_.append(bytes);
    return *this;
}

InputWriter& InputWriter::counted(TextKind kind, std::string_view bytes) {
    bytes = bytes.substr(0, std::min<std::size_t>(bytes.size(), 255));
    byte(static_cast<std::uint8_t>(kind));
    byte(static_cast<std::uint8_t>(bytes.size()));
    return raw(bytes);
}

InputWriter& InputWriter::utf8(std::string_view bytes) {
    return counted(TextKind::Utf8, bytes);
}

InputWriter& InputWriter::cp1251(std::string_view bytes) {
    return counted(TextKind::Cp1251, bytes);
}

InputWriter& InputWriter::units(std::u16string_view units) {
    units = units.substr(0, std::min<std::size_t>(units.size(), 255));
    byte(static_cast<std::uint8_t>(TextKind::Units));
    byte(static_cast<std::uint8_t>(units.size()));
    for (const char16_t unit : units) {
        byte(static_cast<std::uint8_t>(unit & 0xFFu));
        byte(static_cast<std::uint8_t>(unit >> 8));
    }
    return *this;
}

InputWriter& InputWriter::longUtf8(std::uint8_t length, std::string_view bytes) {
    byte(static_cast<std::uint8_t>(TextKind::Long));
    byte(length);
    return utf8(bytes);
}

// --- Files ---------------------------------------------------------------------------------------------

ScratchFolder::ScratchFolder(std::string_view tag) {
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    path_ = base / ("tapeloft-fuzz-" + std::string(tag) + "-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path_, ec);
    if (ec) failCheck("ScratchFolder", "cannot create the scratch folder");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::u16string_view trimBlanks(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace tapeloft::fuzz
