#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The line-oriented preference format shared by Settings.ini and the language files.
//
// What a round trip keeps:
// - Lines before the first group are kept in place and written back before it; no group name reaches
//   them (they are not read as keys of any group, as in common INI readers).
// - A group name may occur more than once; the groups stay separate in the file, and reads and writes
//   treat them as one group whose lines are taken in file order.
// - A key may occur more than once; the first one wins on read and is the one a write changes. The
//   later ones are kept unchanged.
// - A line without "=" is kept as it was written (after its leading blanks) and is not a key.
// - Lost only where the format forces it: empty lines, leading blanks of lines, text after the "]" of a
//   group line, the spelling of the blanks around "=", and the original encoding (files are written as
//   UTF-8).
namespace tapeloft {

struct PrefLine final {
    enum class Kind { key, comment, other };
    Kind kind = Kind::key;
    // Key lines: the text before the first "=", without trailing spaces and tabs.
    std::u16string key;
    // Key lines: the text after the "=", without leading spaces and tabs.
    // Comments: the text after ";" and one following space. Other lines: the whole line.
    std::u16string text;

    // Key lines: the value as reads give it, without trailing spaces and tabs.
    std::u16string_view value() const;
};

struct PrefGroup final {
    std::u16string name;
    std::vector<PrefLine> lines;
};

class PrefFile final {
public:
    // Decodes file bytes: UTF-8 after a byte-order mark; otherwise the ANSI code page on Windows, and
    // elsewhere UTF-8 when the bytes are valid UTF-8, else Windows-1251. Never fails.
    static PrefFile fromBytes(std::string_view bytes);
    // Parses already decoded text. Never fails: every line is something.
    static PrefFile parse(std::u16string_view text);
    // The whole file as UTF-8: byte-order mark, CR LF, then the lines, each ended by CR LF.
    std::string toBytes() const;

    // The value of the first matching key, without leading and trailing blanks; nullopt when absent.
    std::optional<std::u16string_view> find(std::u16string_view group, std::u16string_view key) const;
    // The value, or fallback when the key is absent.
    std::u16string text(std::u16string_view group, std::u16string_view key,
                        std::u16string_view fallback) const;
    // The leading decimal integer of the value (0 when it has none), or fallback when the key is absent.
    std::int32_t integer(std::u16string_view group, std::u16string_view key, std::int32_t fallback) const;

    // Sets the first matching key, or adds it to the group (creating the group at the end). Returns false,
    // changing nothing, when the names or the value would not read back as given (see canStore).
    bool set(std::u16string_view group, std::u16string_view key, std::u16string_view value);
    bool setInteger(std::u16string_view group, std::u16string_view key, std::int32_t value);
    // Whether a group, key and value survive a save and load unchanged (blanks around the value aside):
    // no line breaks and no unpaired surrogates anywhere, no "]" in the group, no "=" in the key, and the key
    // neither begins with a blank, "[" or ";" nor ends with a blank.
    static bool canStore(std::u16string_view group, std::u16string_view key, std::u16string_view value);

    const std::vector<PrefLine>& leadingLines() const { return leading_; }
    const std::vector<PrefGroup>& groups() const { return groups_; }

private:
    PrefLine* findLine(std::u16string_view group, std::u16string_view key);

    std::vector<PrefLine> leading_;
    std::vector<PrefGroup> groups_;
};

enum class PrefLoadStatus { loaded, missing, unreadable };

struct PrefLoad final {
    PrefLoadStatus status = PrefLoadStatus::missing;
    PrefFile file; // empty unless loaded
};

// Reads a preference file. "missing" only when nothing exists at the path; a folder, a file without read
// access or a read error give "unreadable" and an empty file.
PrefLoad loadPrefFile(const std::filesystem::path& file);
// Writes the whole file atomically (see writeFileAtomically); false on any failure, the old file untouched.
bool savePrefFile(const PrefFile& prefs, const std::filesystem::path& file);

} // namespace tapeloft
