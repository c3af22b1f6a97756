#include "JsonTestSupport.h"

#include "base/TextCodec.h"

#include <cstring>
#include <vector>

namespace tapeloft::test {

namespace {

::testing::AssertionResult compare(const JsonValue& a, const JsonValue& b, const std::string& path) {
    auto differ = [&](const char* what) {
        return ::testing::AssertionFailure() << what << " differs at " << (path.empty() ? "root" : path);
    };
    if (a.kind() != b.kind()) return differ("kind");
    if (a.text() != b.text()) return differ("text");
    if (a.integerValue() != b.integerValue()) return differ("integerValue");
    // Bitwise, so that -0.0 and 0.0 or two infinities are told apart exactly.
    const double ra = a.realValue(), rb = b.realValue();
    if (std::memcmp(&ra, &rb, sizeof ra) != 0) return differ("realValue");
    if (a.count() != b.count()) return differ("count");
    for (std::int32_t i = 0; i < a.count(); ++i) {
        auto result = compare(a.element(i), b.element(i), path + "[" + std::to_string(i) + "]");
        if (!result) return result;
    }
    if (a.memberCount() != b.memberCount()) return differ("memberCount");
    std::vector<std::pair<std::u16string_view, const JsonValue*>> left, right;
    a.members([&](std::u16string_view key, const JsonValue& value) { left.emplace_back(key, &value); });
    b.members([&](std::u16string_view key, const JsonValue& value) { right.emplace_back(key, &value); });
    if (left.size() != right.size()) return differ("visited member count");
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (left[i].first != right[i].first) return differ("member order");
        auto result = compare(*left[i].second, *right[i].second, path + "." + narrow(left[i].first));
        if (!result) return result;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

::testing::AssertionResult sameTree(const JsonValue& a, const JsonValue& b) {
    return compare(a, b, "");
}

std::optional<JsonDocument> parseBoth(std::string_view utf8) {
    auto direct = parseJsonUtf8(utf8);
    const auto viaUtf16 = parseJson(utf8ToUtf16(utf8));
    EXPECT_EQ(direct.has_value(), viaUtf16.has_value()) << "entry points disagree on: " << utf8;
    if (direct && viaUtf16) {
        EXPECT_TRUE(sameTree(direct->root(), viaUtf16->root())) << "input: " << utf8;
    }
    return direct;
}

std::string narrow(std::u16string_view text) {
    return utf16ToUtf8(text);
}

} // namespace tapeloft::test
