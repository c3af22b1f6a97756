#include "base/TextCodec.h"

#include <array>
#include <utility>

namespace tapeloft {

namespace {

// The code point at text[i], a surrogate pair taken whole (i then stands on its second half). A lone
// surrogate comes back as itself.
char32_t codePointAt(std::u16string_view text, std::size_t& i) {
    const char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
        ++i;
        return 0x10000 + ((unit - 0xD800) << 10) + (text[i] - 0xDC00);
    }
    return unit;
}

constexpr char16_t kReplacement = 0xFFFD;

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

} // namespace

std::size_t decodeUtf8At(std::string_view s, std::size_t i, char32_t& cp, std::size_t& invalid) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    invalid = 1;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= s.size()) return 0;
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (b < lo || b > hi) return 0;
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        invalid = k + 1;
    }
    return need + 1;
}

namespace {

// Windows-1251 bytes 0x80..0xFF; 0 marks the one unassigned byte (0x98).
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

char cp1251Byte(char16_t c) {
    if (c < 0x80) return static_cast<char>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<char>(c - 0x0410 + 0xC0);
    for (std::size_t k = 0; k < 0x40; ++k)
        if (kCp1251High[k] == c && c != 0) return static_cast<char>(0x80 + k);
    return '?';
}

} // namespace

void appendUtf8AsUtf16(std::u16string& out, std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) { // fast path for the ASCII that dominates replay JSON
            out.push_back(b);
            ++i;
            continue;
        }
        char32_t cp = 0;
        std::size_t invalid = 1;
        const std::size_t n = decodeUtf8At(bytes, i, cp, invalid);
        if (n == 0) {
            out.push_back(kReplacement);
            i += invalid;
        } else {
            appendCodePoint(out, cp);
            i += n;
        }
    }
}

std::u16string utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    appendUtf8AsUtf16(out, bytes);
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    appendUtf16AsUtf8(out, text);
    return out;
}

void appendUtf16AsUtf8(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) { // most cells are ASCII
            out.push_back(static_cast<char>(unit));
            continue;
        }
        char32_t cp = codePointAt(text, i);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = kReplacement; // a lone half of a pair
        appendUtf8(out, cp);
    }
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        std::size_t invalid = 1;
        const std::size_t n = decodeUtf8At(bytes, i, cp, invalid);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::size_t decodeUtf8At(std::string_view bytes, std::size_t i, char32_t& cp) {
    std::size_t invalid = 1;
    const std::size_t n = decodeUtf8At(bytes, i, cp, invalid);
    if (n != 0) return n;
    cp = kReplacement;
    return invalid;
}

std::u16string cp1251ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out.push_back(b);
        } else {
            const char16_t c = kCp1251High[b - 0x80];
            out.push_back(c == 0 ? kReplacement : c);
        }
    }
    return out;
}

std::string utf16ToCp1251(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        // A surrogate pair is one character and so one '?'.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        out.push_back(cp1251Byte(c));
    }
    return out;
}

std::u16string ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

char16_t toLowerChar(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);
    if (c >= 0x0490 && c <= 0x04BF && (c & 1) == 0) return static_cast<char16_t>(c + 1);
    return c;
}

std::u16string toLower(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out)
        c = toLowerChar(c);
    return out;
}

int compareIgnoreCase(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = toLowerChar(a[i]), y = toLowerChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && compareIgnoreCase(a, b) == 0;
}

std::u16string decimal(std::int64_t value) {
    char16_t buf[24];
    std::size_t n = 0;
    // Work on the magnitude as unsigned so INT64_MIN is safe.
    std::uint64_t mag = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        buf[n++] = static_cast<char16_t>(u'0' + mag % 10);
        mag /= 10;
    } while (mag != 0);
    std::u16string out;
    out.reserve(n + 1);
    if (value < 0) out.push_back(u'-');
    while (n > 0)
        out.push_back(buf[--n]);
    return out;
}

std::int32_t leadingInt32(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                               text[i] == u'\v' || text[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - u'0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

#ifndef _WIN32
namespace {

// A POSIX name is any bytes. Those that are not UTF-8 become the lone surrogates U+DC80 ... U+DCFF in the
// text and those bytes again in the path, so a name read from the disk names the same file afterwards.
constexpr char16_t kEscapedByteBase = 0xDC00;

bool isEscapedByte(char32_t c) {
    return c >= kEscapedByteBase + 0x80 && c <= kEscapedByteBase + 0xFF;
}

} // namespace
#endif

std::filesystem::path pathFromText(std::u16string_view text) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = codePointAt(text, i);
        if (isEscapedByte(cp)) {
            bytes.push_back(static_cast<char>(cp - kEscapedByteBase));
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = kReplacement;
        appendUtf8(bytes, cp);
    }
    return std::filesystem::path(std::move(bytes));
#endif
}

std::u16string textFromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& w = path.native();
    return std::u16string(w.begin(), w.end());
#else
    const std::string& bytes = path.native();
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        std::size_t invalid = 1;
        const std::size_t n = decodeUtf8At(bytes, i, cp, invalid);
        if (n != 0) {
            appendCodePoint(text, cp);
            i += n;
            continue;
        }
        for (const std::size_t end = i + invalid; i < end; ++i)
            text.push_back(static_cast<char16_t>(kEscapedByteBase + static_cast<unsigned char>(bytes[i])));
    }
    return text;
#endif
}

std::u16string_view nativeSeparator() {
#ifdef _WIN32
    return u"\\";
#else
    return u"/";
#endif
}

bool isPathSeparator(char16_t c) {
#ifdef _WIN32
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

std::u16string withTrailingSeparator(std::u16string_view folder) {
    std::u16string text(folder);
    if (text.empty() || !isPathSeparator(text.back())) text.append(nativeSeparator());
    return text;
}

} // namespace tapeloft
