#pragma once

#include <string>
#include <string_view>

// The web addresses behind the player names of the details window's team lists. Names come from replay
// files, which anybody can write, so they are encoded before they become part of an address.
namespace tapeloft {

// The text as UTF-8 with every byte outside the unreserved characters (A-Z a-z 0-9 - . _ ~) written as
// %XX (upper-case hex). Lone surrogates are encoded as U+FFFD. Never fails.
std::u16string percentEncode(std::u16string_view text);

// base followed directly by the percent-encoded name. Never fails.
std::u16string playerLinkAddress(std::u16string_view base, std::u16string_view name);

// Whether the address may be opened: "http://" or "https://" (any letter case) followed by a host, and no
// blank or control character anywhere. False for everything else, "n/a" and other schemes included.
bool isWebAddress(std::u16string_view address);

} // namespace tapeloft
