#include "details/PlayerLinks.h"

#include <gtest/gtest.h>

#include <string>

using namespace tapeloft;

TEST(PlayerLinks, NamesArePercentEncodedAsUtf8) {
    struct Case {
        std::u16string name;
        std::u16string encoded;
    };
    const Case cases[] = {
        {u"", u""},
        {u"A-Z.a_z~09", u"A-Z.a_z~09"}, // the unreserved characters stay
        {u"a b", u"a%20b"},
        {u"&#?/=+%", u"%26%23%3F%2F%3D%2B%25"},
        {u"javascript:alert(1)", u"javascript%3Aalert%281%29"},
        {u"Жук", u"%D0%96%D1%83%D0%BA"},
        {u"\U0001F600", u"%F0%9F%98%80"},             // a surrogate pair is one code point
        {std::u16string(1, u'\xD800'), u"%EF%BF%BD"}, // a lone surrogate is written as U+FFFD
        {u"a\nb\r", u"a%0Ab%0D"},
        {std::u16string(u"x\0y", 3), u"x%00y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.encoded));
        EXPECT_EQ(percentEncode(c.name), c.encoded);
    }
}

TEST(PlayerLinks, OnlyHttpAndHttpsAddressesWithAHostMayBeOpened) {
    struct Case {
        std::u16string address;
        bool web;
    };
    const Case cases[] = {
        {u"https://stats.ironvale.example/player/Ann", true},
        {u"HTTPS://Stats.Example/p/", true},
        {u"https://статистика.example/игрок", true},
        {u"", false},
        {u"n/a", false},
        {u"n/aAnn", false}, // what a missing message 55 gives
        {u"http://", false},
        {u"https:///path", false},
        {u"http:/x", false},
        {u"httpx://x", false},
        {u"ftp://x", false},
        {u"file:///etc/passwd", false},
        {u"javascript:alert(1)", false},
        {u" https://x", false},
        {u"https://x y", false},
        {u"https://x\n", false},
        {u"https://x\x7F", false},
        {u"https://x\u2028", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.address));
        EXPECT_EQ(isWebAddress(c.address), c.web);
    }
}

TEST(PlayerLinks, HostileNamesStayInsideTheLinkPath) {
    const std::u16string base = u"https://stats.example/player/";
    const std::u16string address = playerLinkAddress(base, u"x/../../?a=1#f @evil.example");
    EXPECT_EQ(address, u"https://stats.example/player/x%2F..%2F..%2F%3Fa%3D1%23f%20%40evil.example");
    EXPECT_TRUE(isWebAddress(address));
    // Without a language file message 55 reads "n/a": no name makes that an address.
    for (const std::u16string name : {u"Ann", u"//evil.example", u"http://evil.example"})
        EXPECT_FALSE(isWebAddress(playerLinkAddress(u"n/a", name)));
}
