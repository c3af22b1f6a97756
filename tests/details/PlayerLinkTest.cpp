#include "details/PlayerLink.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace tapeloft;

TEST(PlayerLink, NamesArePercentEncoded) {
    struct Case {
        std::u16string name;
        std::u16string encoded;
    };
    const Case cases[] = {
        {u"Ann_01-x.y~z", u"Ann_01-x.y~z"},
        {u"a b&c=d?e#f/g\\h", u"a%20b%26c%3Dd%3Fe%23f%2Fg%5Ch"},
        {u"Иван", u"%D0%98%D0%B2%D0%B0%D0%BD"},
        {u"🎯", u"%F0%9F%8E%AF"},
        {u"..%2F", u"..%252F"},
        {u"a\nb\r\x7F", u"a%0Ab%0D%7F"},
        {u"x\xD800", u"x%EF%BF%BD"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(percentEncode(c.name), c.encoded);
        EXPECT_EQ(playerLinkAddress(u"https://players.example/show?name=", c.name),
                  u"https://players.example/show?name=" + c.encoded);
    }
}

TEST(PlayerLink, OnlyWebAddressesWithAHostAreOpened) {
    const std::u16string_view good[] = {u"http://example.org/p/", u"HTTPS://example.org", u"https://h?n=",
                                        u"http://h#"};
    for (const auto prefix : good)
        EXPECT_TRUE(playerLinkAddress(prefix, u"Ann").has_value())
            << std::string(prefix.begin(), prefix.end());
    // A missing or empty message, a local path, other schemes, no host, blanks: nothing is opened.
    const std::u16string_view bad[] = {u"",
                                       u"n/a",
                                       u"C:\\Windows\\System32\\",
                                       u"/usr/bin/",
                                       u"file:///home/",
                                       u"javascript:alert(1)//",
                                       u"mailto:",
                                       u"ftp://example.org/",
                                       u"http:/example.org/",
                                       u"https://",
                                       u"https:///path",
                                       u"https://?q=",
                                       u" https://example.org/",
                                       u"https://exa mple.org/",
                                       u"https://example.org/\t"};
    for (const auto prefix : bad)
        EXPECT_EQ(playerLinkAddress(prefix, u"Ann"), std::nullopt)
            << std::string(prefix.begin(), prefix.end());
}
