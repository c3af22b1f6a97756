#include "details/PlayerLink.h"

#include "json/TextCodec.h"

namespace tapeloft {

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// The length of "http://" or "https://" at the start, in any letter case; 0 for anything else.
std::size_t schemeLength(std::u16string_view prefix) {
    for (const std::u16string_view scheme :
         {std::u16string_view(u"http://"), std::u16string_view(u"https://")})
        if (prefix.size() >= scheme.size() && equalsIgnoreCase(prefix.substr(0, scheme.size()), scheme))
            return scheme.size();
    return 0;
}

} // namespace

std::u16string percentEncode(std::u16string_view text) {
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    std::u16string out;
    for (const char byte : utf16ToUtf8(text)) {
        const auto c = static_cast<unsigned char>(byte);
        if (isUnreserved(c)) {
            out.push_back(c);
        } else {
            out.push_back(u'%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0xF]);
        }
    }
    return out;
}

std::optional<std::u16string> playerLinkAddress(std::u16string_view prefix, std::u16string_view name) {
    const std::size_t scheme = schemeLength(prefix);
    if (scheme == 0) return std::nullopt;
    for (const char16_t c : prefix)
        if (c <= u' ' || c == 0x7F) return std::nullopt;
    const std::u16string_view host = prefix.substr(scheme, prefix.substr(scheme).find_first_of(u"/?#"));
    if (host.empty()) return std::nullopt;
    return std::u16string(prefix) + percentEncode(name);
}

} // namespace tapeloft
