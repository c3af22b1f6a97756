#include "base/Language.h"

#include "base/BuiltInTexts.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <vector>

namespace tapeloft {

namespace {

const std::u16string& notAvailable() {
    static const std::u16string text = u"n/a";
    return text;
}

// FNV-1a over every group, key and value in sorted order, each text ended by a unit no text holds here.
std::uint64_t fingerprintOf(
    const std::unordered_map<std::u16string, std::unordered_map<std::u16string, std::u16string>>& groups) {
    constexpr std::uint64_t kPrime = 0x100000001B3ull;
    std::uint64_t hash = 0xCBF29CE484222325ull;
    const auto add = [&hash](std::u16string_view text) {
        for (const char16_t unit : text) {
            hash = (hash ^ (unit & 0xFFu)) * kPrime;
            hash = (hash ^ (unit >> 8)) * kPrime;
        }
        hash = (hash ^ 0xFFFFu) * kPrime;
    };
    std::vector<const std::u16string*> names;
    for (const auto& group : groups)
        names.push_back(&group.first);
    std::sort(names.begin(), names.end(), [](auto a, auto b) { return *a < *b; });
    for (const std::u16string* name : names) {
        add(*name);
        const auto& entries = groups.at(*name);
        std::vector<const std::pair<const std::u16string, std::u16string>*> keys;
        for (const auto& entry : entries)
            keys.push_back(&entry);
        std::sort(keys.begin(), keys.end(), [](auto a, auto b) { return a->first < b->first; });
        for (const auto* entry : keys) {
            add(entry->first);
            add(entry->second);
        }
    }
    return hash;
}

// The program's own text of message n, or "n/a" when it has none.
std::u16string_view defaultMessage(int n) {
    for (const builtin::DefaultMessage& d : builtin::defaultMessages)
        if (d.message == n) return d.text;
    return notAvailable();
}

} // namespace

Language::Language() : fingerprint_(fingerprintOf({})) {
    for (int n = 1; n <= messageCount; ++n)
        messages_[static_cast<std::size_t>(n)] = defaultMessage(n);
}

Language::Language(const PrefFile& prefs) {
    // Groups of the same name read as one, and the first of equal keys wins: emplace never overwrites.
    for (const PrefGroup& group : prefs.groups()) {
        Names& names = groups_[toLower(group.name)];
        for (const PrefLine& line : group.lines)
            if (line.kind == PrefLine::Kind::key)
                names.emplace(toLower(line.key), std::u16string(line.value()));
    }
    for (int n = 1; n <= messageCount; ++n)
        messages_[static_cast<std::size_t>(n)] = lookupOr(u"text", u"txt" + decimal(n), defaultMessage(n));
    fingerprint_ = fingerprintOf(groups_);
}

Language Language::load(const std::filesystem::path& file) {
    const PrefLoad loaded = loadPrefFile(file);
    return loaded.status == PrefLoadStatus::loaded ? Language(loaded.file) : Language();
}

const std::u16string& Language::message(int n) const {
    if (n < 1 || n > messageCount) return notAvailable();
    return messages_[static_cast<std::size_t>(n)];
}

std::u16string Language::message(int n, std::u16string_view argument) const {
    std::u16string text = message(n);
    if (const auto at = text.find(u"%1"); at != std::u16string::npos) text.replace(at, 2, argument);
    return text;
}

std::u16string Language::lookup(std::u16string_view group, std::u16string_view key) const {
    return lookupOr(group, key, key);
}

std::u16string Language::lookup(std::u16string_view group, std::u16string_view key,
                                std::u16string_view fallback) const {
    return lookupOr(group, key, fallback);
}

std::u16string Language::lookupOr(std::u16string_view group, std::u16string_view key,
                                  std::u16string_view fallback) const {
    const auto g = groups_.find(toLower(group));
    if (g == groups_.end()) return std::u16string(fallback);
    const auto k = g->second.find(toLower(key));
    return k == g->second.end() ? std::u16string(fallback) : k->second;
}

} // namespace tapeloft
