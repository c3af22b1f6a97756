#pragma once

#include "base/Messages.h"
#include "base/PrefFile.h"

#include <array>
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

    // Message n (1 ... messageCount); "n/a" when the file lacks it and for any other n.
    const std::u16string& message(int n) const;
    // The value of key in group, read as PrefFile::text reads it; the key itself when absent.
    std::u16string lookup(std::u16string_view group, std::u16string_view key) const;

private:
    using Names = std::unordered_map<std::u16string, std::u16string>;

    std::u16string lookupOr(std::u16string_view group, std::u16string_view key,
                            std::u16string_view fallback) const;

    // Index 0 stays empty, as message numbers start at 1.
    std::array<std::u16string, messageCount + 1> messages_;
    // Group and key names folded with toLower, so a lookup is one hash probe per level.
    std::unordered_map<std::u16string, Names> groups_;
};

} // namespace tapeloft
