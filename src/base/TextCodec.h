#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Conversions between the program's UTF-16 text and the encodings it meets on disk.
namespace tapeloft {

// Invalid sequences become U+FFFD, one per maximal invalid subpart.
std::u16string utf8ToUtf16(std::string_view bytes);
// Appends the decoded text to out; same rules as utf8ToUtf16.
void appendUtf8AsUtf16(std::u16string& out, std::string_view bytes);
// Lone surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// Appends the encoded text to out; same rules as utf16ToUtf8.
void appendUtf16AsUtf8(std::string& out, std::u16string_view text);
// Appends one code point (at most U+10FFFF) in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);
bool isValidUtf8(std::string_view bytes);
// Length of the well-formed UTF-8 sequence at bytes[at] with its code point in codePoint; 0 when there is
// none, with invalidLength set to the length of the maximal invalid subpart there (at least 1).
std::size_t decodeUtf8At(std::string_view bytes, std::size_t at, char32_t& codePoint,
                         std::size_t& invalidLength);
// Decodes the sequence that starts at bytes[i] (i < size) into cp and returns its length in bytes;
// an invalid sequence gives U+FFFD and the length of its maximal invalid subpart, as above.
std::size_t decodeUtf8At(std::string_view bytes, std::size_t i, char32_t& cp);

// Windows-1251; a character the code page lacks becomes '?'.
std::u16string cp1251ToUtf16(std::string_view bytes);
std::string utf16ToCp1251(std::u16string_view text);

// ASCII literal to UTF-16 (for keys and fixed texts written in plain ASCII).
std::u16string ascii(std::string_view text);

// Lower case for ASCII, Latin-1 and Cyrillic letters; other units unchanged.
char16_t toLowerChar(char16_t c);
std::u16string toLower(std::u16string_view text);
// Compares ignoring letter case as toLowerChar folds it; <0, 0, >0.
int compareIgnoreCase(std::u16string_view a, std::u16string_view b);
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);

// Plain decimal with a leading '-' when negative.
std::u16string decimal(std::int64_t value);
// Leading decimal integer after optional blanks and sign ("%d" semantics); 0 when there is none.
// Values beyond 32 bits wrap to their low 32 bits.
std::int32_t leadingInt32(std::u16string_view text);

// Paths: the program's text form of a path and back. Never throws. On POSIX the bytes of a name that are not
// UTF-8 are kept as the lone surrogates U+DC80 ... U+DCFF, so every path read from the disk turns back into
// the same path.
std::filesystem::path pathFromText(std::u16string_view text);
std::u16string textFromPath(const std::filesystem::path& path);
// The native separator as text ("\\" on Windows, "/" elsewhere).
std::u16string_view nativeSeparator();
// Whether c separates path components here: "\\" and "/" on Windows, "/" elsewhere.
bool isPathSeparator(char16_t c);
// The folder with a separator at its end: unchanged when it already ends with one, the native one added
// otherwise (an empty folder becomes the separator alone).
std::u16string withTrailingSeparator(std::u16string_view folder);

} // namespace tapeloft
