#pragma once

#include "json/Json.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace tapeloft::test {

// Compares everything a reader can observe of two values, children included.
::testing::AssertionResult sameTree(const JsonValue& a, const JsonValue& b);

// Parses the UTF-8 text with both entry points (directly, and after utf8ToUtf16) and checks that
// they agree; returns the direct result.
std::optional<JsonDocument> parseBoth(std::string_view utf8);

// For messages: UTF-16 text as UTF-8.
std::string narrow(std::u16string_view text);

} // namespace tapeloft::test
