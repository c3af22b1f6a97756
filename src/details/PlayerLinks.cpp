#include "details/PlayerLinks.h"

#include "base/TextCodec.h"

namespace tapeloft {

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

bool startsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

std::u16string percentEncode(std::u16string_view text) {
    constexpr char16_t hex[] = u"0123456789ABCDEF";
    std::u16string out;
    out.reserve(text.size());
    for (const char byte : utf16ToUtf8(text)) {
        const auto c = static_cast<unsigned char>(byte);
        if (isUnreserved(c)) {
            out.push_back(static_cast<char16_t>(c));
            continue;
        }
        out.push_back(u'%');
        out.push_back(hex[c >> 4]);
        out.push_back(hex[c & 0x0F]);
    }
    return out;
}

std::u16string playerLinkAddress(std::u16string_view base, std::u16string_view name) {
    std::u16string address(base);
    address += percentEncode(name);
    return address;
}

bool isWebAddress(std::u16string_view address) {
    std::u16string_view rest;
    if (startsWithIgnoreCase(address, u"http://"))
        rest = address.substr(7);
    else if (startsWithIgnoreCase(address, u"https://"))
        rest = address.substr(8);
    else
        return false;
    if (rest.empty() || rest.front() == u'/' || rest.front() == u'?' || rest.front() == u'#') return false;
    for (const char16_t c : address)
        if (c <= 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029) return false;
    return true;
}

} // namespace tapeloft
