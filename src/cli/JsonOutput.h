#pragma once

#include <string>
#include <string_view>

namespace tapeloft::cli {

// Appends text as a JSON string literal in UTF-8. A lone surrogate is written as a \uXXXX escape, so
// the output maps back to the exact UTF-16 code units.
void appendJsonString(std::string& out, std::u16string_view text);

// Appends a finite number in its shortest form that reads back as the same double ("0.5", "612", "1e+21");
// anything else, which JSON cannot hold, as 0.
void appendJsonNumber(std::string& out, double value);

} // namespace tapeloft::cli
