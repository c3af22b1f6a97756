#pragma once

#include "base/Messages.h"
#include "base/PrefFile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tapeloft {

// A language file, read once: the message table (group "text", keys "txt1" ... "txt200") and the name
// groups ("mapnames", "gameplayIDs", "nations", "vehicles") that turn internal names into display names.
class Language final {
public:
    static constexpr int messageCount = 200;

    // Empty: every message is "n/a" and every lookup gives its key.
    Language();
    explicit Language(const PrefFile& prefs);
    // A missing or unreadable file gives an empty Language; nothing is reported.
    static Language load(const std::filesystem::path& file);

    // Message n (1 ... messageCount). When the file lacks it: the program's own text for the messages that
    // have one (builtin::defaultMessages), "n/a" for the others and for any other n.
    const std::u16string& message(int n) const;
    // The message with "%1" replaced by the argument.
    std::u16string message(int n, std::u16string_view argument) const;
    // The value of key in group, read as PrefFile::text reads it; the key itself when absent.
    std::u16string lookup(std::u16string_view group, std::u16string_view key) const;
    // The same with the fallback when absent.
    std::u16string lookup(std::u16string_view group, std::u16string_view key,
                          std::u16string_view fallback) const;

    // The same for two languages that answer every message and lookup alike, and different otherwise
    // but for a chance of 2^-64: what a record cache keys the texts it keeps on.
    std::uint64_t fingerprint() const { return fingerprint_; }

private:
    using Names = std::unordered_map<std::u16string, std::u16string>;

    std::u16string lookupOr(std::u16string_view group, std::u16string_view key,
                            std::u16string_view fallback) const;

    // Index 0 stays empty, as message numbers start at 1.
    std::array<std::u16string, messageCount + 1> messages_;
    // Group and key names folded with toLower, so a lookup is one hash probe per level.
    std::unordered_map<std::u16string, Names> groups_;
    std::uint64_t fingerprint_ = 0;
};

} // namespace tapeloft
