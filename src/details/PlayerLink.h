#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tapeloft {

// The address a player's name in the details window opens: prefix (message 55 of the language file) followed
// by the name, percent-encoded as UTF-8 (every byte but A-Z a-z 0-9 - . _ ~). nullopt when the prefix is not
// an http or https address with a host and without blanks or control characters: anything else would let
// the name from a replay pick a file or program for the system to open.
std::optional<std::u16string> playerLinkAddress(std::u16string_view prefix, std::u16string_view name);

// Every UTF-8 byte of text but A-Z a-z 0-9 - . _ ~ as %XX (upper-case hex); lone surrogates as U+FFFD.
std::u16string percentEncode(std::u16string_view text);

} // namespace tapeloft
