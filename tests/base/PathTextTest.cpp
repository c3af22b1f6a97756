#include "base/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

using namespace tapeloft;

TEST(PathText, UnicodeNamesRoundTrip) {
    const std::u16string text = u"/replays/Бой на карте 🎯/a b.ivlreplay";
    EXPECT_EQ(textFromPath(pathFromText(text)), text);
}

#ifndef _WIN32
// POSIX names are bytes: a name copied from an old disk in another encoding must still name its file.
TEST(PathText, NamesThatAreNotUtf8KeepTheirBytes) {
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"\xCF\xF0\xE8.ivlreplay", u"\xDCCF\xDCF0\xDCE8.ivlreplay"}, // Windows-1251
        {"a\xFF", u"a\xDCFF"},
        {"\xE2\x82", u"\xDCE2\xDC82"},                   // a character cut short
        {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},         // an encoded surrogate
        {"\xC3\xA9\x80\xC3\xA9", u"\u00E9\xDC80\u00E9"}, // valid around a stray byte
        {"\xF0\x9F\x8E\xAF\xF0\x9F", u"🎯\xDCF0\xDC9F"},
        // A character beyond the 16-bit plane whose low bits look like a kept byte is still that character.
        {"\xF0\x9D\xB2\x80", u"\U0001DC80"},
    };
    for (const Case& c : cases) {
        const std::filesystem::path path(c.bytes);
        EXPECT_EQ(textFromPath(path), c.text) << c.bytes;
        EXPECT_EQ(pathFromText(c.text).native(), c.bytes) << c.bytes;
    }
}

TEST(PathText, OtherLoneSurrogatesStillBecomeReplacementCharacters) {
    EXPECT_EQ(pathFromText(u"a\xD800"
                           u"b\xDC00"
                           u"c\xDD80")
                  .native(),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD"
              "c\xEF\xBF\xBD");
}
#endif

TEST(PathText, ATrailingSeparatorIsAddedOnlyWhenMissing) {
    const std::u16string sep(nativeSeparator());
    EXPECT_EQ(withTrailingSeparator(u"/r/fav"), u"/r/fav" + sep);
    EXPECT_EQ(withTrailingSeparator(u"/r/fav" + sep), u"/r/fav" + sep);
    EXPECT_EQ(withTrailingSeparator(u""), sep);
    EXPECT_TRUE(isPathSeparator(u'/'));
    EXPECT_FALSE(isPathSeparator(u':'));
#ifdef _WIN32
    EXPECT_TRUE(isPathSeparator(u'\\'));
    EXPECT_EQ(withTrailingSeparator(u"C:/r/"), u"C:/r/");
#else
    EXPECT_FALSE(isPathSeparator(u'\\')); // an ordinary character of a name here
    EXPECT_EQ(withTrailingSeparator(u"/r\\"), u"/r\\/");
#endif
}
