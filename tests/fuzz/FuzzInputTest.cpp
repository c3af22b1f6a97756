// The seed writer and the fuzz input reader agree, so hand-made seeds decode into the runs they were written
// for; and a used-up input decodes to zeros and empty texts.
#include "FuzzSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using tapeloft::fuzz::FuzzInput;
using tapeloft::fuzz::InputWriter;

namespace {

TEST(FuzzInput, ChoicesReadBackAsWrittenInOneOrTwoBytes) {
    const struct {
        std::size_t value;
        std::size_t n;
        std::size_t bytes; // written for the choice
    } cases[] = {
        {0, 0, 0},     {0, 1, 0},      {1, 2, 1},         {199, 200, 1}, {255, 256, 1},
        {256, 257, 2}, {999, 1000, 2}, {65535, 65536, 2}, {7, 24, 1},    {0, 257, 2},
    };
    for (const auto& c : cases) {
        InputWriter writer;
        writer.choice(c.value, c.n).byte(0xAB);
        ASSERT_EQ(writer.bytes().size(), c.bytes + 1) << c.value << " of " << c.n;
        FuzzInput input(writer.bytes());
        EXPECT_EQ(input.below(c.n), c.value) << c.value << " of " << c.n;
        EXPECT_EQ(input.byte(), 0xAB) << "the next choice starts where this one ended";
    }
}

TEST(FuzzInput, NumbersAndFlagsReadBackAsWritten) {
    InputWriter writer;
    const std::int32_t numbers[] = {0, 1251, -1, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max()};
    for (const std::int32_t n : numbers)
        writer.int32(n).flag(n < 0);
    FuzzInput input(writer.bytes());
    for (const std::int32_t n : numbers) {
        EXPECT_EQ(input.int32(), n);
        EXPECT_EQ(input.flag(), n < 0);
    }
    EXPECT_TRUE(input.empty());
}

TEST(FuzzInput, TextsReadBackAsWrittenAndCutToTheLimit) {
    const std::u16string ab200 = [] {
        std::u16string text;
        while (text.size() < 200)
            text += u"ab";
        return text;
    }();
    const struct {
        const char* what;
        std::function<void(InputWriter&)> write;
        std::size_t maxUnits;
        std::u16string expected;
    } cases[] = {
        {"empty", [](InputWriter& w) { w.emptyText(); }, 50, u""},
        {"UTF-8", [](InputWriter& w) { w.utf8("\xD0\x96\xD1\x83\xD0\xBA \xF0\x9F\x98\x80"); }, 50,
         u"\u0416\u0443\u043A \U0001F600"},
        {"invalid UTF-8", [](InputWriter& w) { w.utf8("a\xFF"); }, 50, u"a\uFFFD"},
        {"Windows-1251", [](InputWriter& w) { w.cp1251("\xC6\x88\x98"); }, 50, u"\u0416\u20AC\uFFFD"},
        {"lone surrogates", [](InputWriter& w) { w.units(u"\xD800x\xDC80"); }, 50, u"\xD800x\xDC80"},
        {"cut", [](InputWriter& w) { w.utf8("abcdef"); }, 4, u"abcd"},
        {"long", [](InputWriter& w) { w.longUtf8(0, "ab"); }, 1000, ab200},
        {"long, longest", [](InputWriter& w) { w.longUtf8(255, "a"); }, 5000, std::u16string(2240, u'a')},
        {"long, cut", [](InputWriter& w) { w.longUtf8(255, "xyz"); }, 7, u"xyzxyzx"},
        {"long of nothing", [](InputWriter& w) { w.longUtf8(0, ""); }, 1000, std::u16string(200, u'a')},
    };
    for (const auto& c : cases) {
        InputWriter writer;
        c.write(writer);
        writer.byte(0x5A);
        FuzzInput input(writer.bytes());
        EXPECT_EQ(input.text(c.maxUnits), c.expected) << c.what;
        EXPECT_EQ(input.byte(), 0x5A) << c.what << ": the text ends where it was written to end";
    }
}

TEST(FuzzInput, AUsedUpInputGivesZerosAndEmptyTexts) {
    FuzzInput input(std::string_view("\x01\x02", 2));
    EXPECT_EQ(input.take(5), std::string_view("\x01\x02", 2));
    EXPECT_TRUE(input.empty());
    EXPECT_EQ(input.byte(), 0);
    EXPECT_EQ(input.below(1000), 0u);
    EXPECT_FALSE(input.flag());
    EXPECT_EQ(input.int32(), 0);
    EXPECT_EQ(input.text(100), u"");
}

TEST(FuzzInput, TokensComeFromTheTable) {
    // Kind 4, three tokens: 0, 1, and one past the last, which wraps to 0.
    InputWriter writer;
    writer.byte(4).choice(2, 8);
    writer.choice(0, 256).choice(1, 256).byte(static_cast<std::uint8_t>(tapeloft::fuzz::textTokenCount()));
    FuzzInput input(writer.bytes());
    const std::u16string expected = std::u16string(tapeloft::fuzz::textToken(0)) +
                                    std::u16string(tapeloft::fuzz::textToken(1)) +
                                    std::u16string(tapeloft::fuzz::textToken(0));
    EXPECT_EQ(input.text(100), expected);
    EXPECT_TRUE(tapeloft::fuzz::textToken(tapeloft::fuzz::textTokenCount()).empty());
}

} // namespace
