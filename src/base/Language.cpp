#include "base/Language.h"

#include "base/TextCodec.h"

namespace tapeloft {

namespace {

const std::u16string& notAvailable() {
    static const std::u16string text = u"n/a";
    return text;
}

} // namespace

Language::Language() {
    for (int n = 1; n <= messageCount; ++n)
        messages_[static_cast<std::size_t>(n)] = notAvailable();
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
        messages_[static_cast<std::size_t>(n)] = lookupOr(u"text", u"txt" + decimal(n), notAvailable());
}

Language Language::load(const std::filesystem::path& file) {
    const PrefLoad loaded = loadPrefFile(file);
    return loaded.status == PrefLoadStatus::loaded ? Language(loaded.file) : Language();
}

const std::u16string& Language::message(int n) const {
    if (n < 1 || n > messageCount) return notAvailable();
    return messages_[static_cast<std::size_t>(n)];
}

std::u16string Language::lookup(std::u16string_view group, std::u16string_view key) const {
    return lookupOr(group, key, key);
}

std::u16string Language::lookupOr(std::u16string_view group, std::u16string_view key,
                                  std::u16string_view fallback) const {
    const auto g = groups_.find(toLower(group));
    if (g == groups_.end()) return std::u16string(fallback);
    const auto k = g->second.find(toLower(key));
    return k == g->second.end() ? std::u16string(fallback) : k->second;
}

} // namespace tapeloft
