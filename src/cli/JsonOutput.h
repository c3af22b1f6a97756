#pragma once

#include <string>
#include <string_view>

namespace tapeloft::cli {

// Appends text as a JSON string literal in UTF-8. A lone surrogate is written as a \uXXXX escape, so
// the output maps back to the exact UTF-16 code units.
void appendJsonString(std::string& out, std::u16string_view text);

} // namespace tapeloft::cli
