// The key table on its own: one entry per key text however the parser meets the key, the two spellings
// of the key hash agreeing, and the in-place comparison of a guessed key.
#include "json/JsonArena.h"
#include "json/JsonKeys.h"
#include "json/KeyHash.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tapeloft::test {
namespace {

using Table = detail::JsonKeyTable<unsigned char>;
using Entry = Table::Entry;

const unsigned char* bytesOf(const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

std::u16string widened(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

std::string keyOfLength(std::size_t length) {
    std::string key;
    for (std::size_t i = 0; i < length; ++i)
        key += static_cast<char>('a' + (i * 7) % 26);
    return key;
}

// hashBytes reads a word at a time where eight bytes are there to read and byte by byte at the input's
// end; either way it must give hashKey of the decoded text, or lookups by UTF-16 text miss.
TEST(JsonKeyTable, BytesOfAPlainKeyHashAsItsText) {
    detail::JsonArena arena(1024);
    const Table table(arena);
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string key = keyOfLength(length);
        const std::u16string text = widened(key);
        const std::uint32_t expected = detail::hashKey(detail::keyHashSecret(), text.data(), text.size());
        for (const std::string& input : {key, key + "\":1,\"padding\":2}"}) {
            EXPECT_EQ(table.hashBytes(bytesOf(input), length, bytesOf(input) + input.size()), expected)
                << length << " bytes, " << input.size() - length << " after";
        }
    }
}

// A unit's high byte is hashed too: texts that share their low bytes differ.
TEST(JsonKeyTable, TextsSharingLowBytesHashApart) {
    const std::vector<std::pair<std::u16string, std::u16string>> pairs = {
        {u"\u0141ab", u"Aab"},
        {u"caf\u00E9", u"caf\u01E9"},
        {u"\u0100", std::u16string(1, u'\0')},
        {u"abcdefgh\u0169", u"abcdefghi"},
        {u"\u4E2D\u6587", u"\u002D\u0087"}};
    const auto& secret = detail::keyHashSecret();
    for (const auto& [a, b] : pairs) {
        EXPECT_NE(detail::hashKey(secret, a.data(), a.size()), detail::hashKey(secret, b.data(), b.size()))
            << a.size() << " and " << b.size() << " units";
    }
}

// Enough keys to double the table twice, each met as plain bytes at two places, decoded into the arena,
// and looked up as text.
TEST(JsonKeyTable, OneEntryPerKeyHoweverItIsMet) {
    constexpr int kKeys = 600;
    std::vector<std::string> keys;
    std::string input;
    std::vector<std::size_t> first, second;
    for (int i = 0; i < kKeys; ++i)
        keys.push_back(keyOfLength(static_cast<std::size_t>(i % 23)) + std::to_string(i));
    for (std::vector<std::size_t>* offsets : {&first, &second}) {
        for (const std::string& key : keys) {
            input += '"';
            offsets->push_back(input.size());
            input += key + "\":0,";
        }
    }
    const unsigned char* const begin = bytesOf(input);
    const unsigned char* const end = begin + input.size();
    detail::JsonArena arena(256);
    Table table(arena);

    std::vector<Entry*> entries;
    for (int i = 0; i < kKeys; ++i) {
        Entry* const entry =
            table.plainKey(begin + first[i], static_cast<std::uint32_t>(keys[i].size()), end);
        ASSERT_EQ(std::u16string_view(entry->record.text, entry->record.size), widened(keys[i])) << i;
        EXPECT_EQ(entry->raw, begin + first[i]) << i;
        entries.push_back(entry);
    }
    EXPECT_EQ(std::set<Entry*>(entries.begin(), entries.end()).size(), static_cast<std::size_t>(kKeys));

    for (int i = 0; i < kKeys; ++i) {
        const auto size = static_cast<std::uint32_t>(keys[i].size());
        // The later occurrence becomes the one compared against next.
        EXPECT_EQ(table.plainKey(begin + second[i], size, end), entries[i]) << i;
        EXPECT_EQ(entries[i]->raw, begin + second[i]) << i;
        const std::u16string text = widened(keys[i]);
        EXPECT_EQ(table.find(text.data(), size), entries[i]) << i;
        // A decoded repeat hands its text back to the arena: the next text starts where it did.
        char16_t* capacityEnd = nullptr;
        char16_t* const decoded = arena.openText(capacityEnd, size);
        std::copy(text.begin(), text.end(), decoded);
        arena.closeText(decoded + size);
        EXPECT_EQ(table.intern(decoded, size), entries[i]) << i;
        EXPECT_EQ(arena.openText(capacityEnd, 1), decoded) << i;
    }

    const std::u16string absent = u"not a key";
    EXPECT_EQ(table.find(absent.data(), static_cast<std::uint32_t>(absent.size())), nullptr);
    char16_t* capacityEnd = nullptr;
    char16_t* const decoded = arena.openText(capacityEnd, absent.size());
    std::copy(absent.begin(), absent.end(), decoded);
    arena.closeText(decoded + absent.size());
    Entry* const added = table.intern(decoded, static_cast<std::uint32_t>(absent.size()));
    EXPECT_EQ(added->record.text, decoded);
    EXPECT_EQ(added->raw, nullptr);
    EXPECT_EQ(table.find(absent.data(), static_cast<std::uint32_t>(absent.size())), added);
    // Met plain afterwards, it is compared with its decoded text and remembers where it stood.
    const std::string plain = "not a key\"";
    EXPECT_EQ(table.plainKey(bytesOf(plain), static_cast<std::uint32_t>(absent.size()),
                             bytesOf(plain) + plain.size()),
              added);
    EXPECT_EQ(added->raw, bytesOf(plain));
}

// The guess is compared with its closing quote, sixteen bytes at a time where the input allows: every
// length across the block edges, one byte changed anywhere, the quote missing, and the input ending
// anywhere from the key's start to well after it.
TEST(JsonKeyTable, GuessComparesKeyAndQuoteInPlace) {
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string key = keyOfLength(length);
        const std::string input = "\"" + key + "\":1,\"" + key + "\":2," + std::string(20, ' ');
        const unsigned char* const raw = bytesOf(input) + 1;
        const std::size_t at = 1 + length + 5;
        for (std::size_t cut = at; cut <= input.size(); ++cut) {
            const bool whole = cut >= at + length + 1;
            EXPECT_EQ(Table::sameRawKey(raw, bytesOf(input) + at, length, bytesOf(input) + cut), whole)
                << length << " bytes, input cut " << cut - at << " after the key's start";
        }
        for (std::size_t k = 0; k <= length; ++k) {
            std::string changed = input;
            changed[at + k] = k == length ? 'x' : '"'; // a byte of the key, or its quote
            const unsigned char* const p = bytesOf(changed) + at;
            EXPECT_FALSE(
                Table::sameRawKey(bytesOf(changed) + 1, p, length, bytesOf(changed) + changed.size()))
                << length << " bytes, changed at " << k;
        }
    }
}

} // namespace
} // namespace tapeloft::test
