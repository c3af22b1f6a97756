#include "base/TextCodec.h"
#include "support/TempDir.h"

#include "base/Messages.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Checks the shipped language files as data: encoding, line ends, the 120 messages and the name groups.
// The files are read here by hand with the preference-file rules, so a fault in the files is not
// hidden (or caused) by the program's own reader.

namespace {

using tapeloft::ascii;
using tapeloft::toLower;
using tapeloft::utf16ToUtf8;
using tapeloft::utf8ToUtf16;

constexpr char16_t kNoBreakSpace = u'\u00A0';

struct LanguageFile {
    std::string bytes;
    // group (lower case) -> key (lower case) -> value as written after "=" and leading blanks.
    std::map<std::u16string, std::map<std::u16string, std::u16string>> groups;
    std::vector<std::string> problems; // duplicate groups/keys, lines the reader would not understand
};

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string trimBlanks(std::u16string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

LanguageFile loadLanguageFile(const std::string& name) {
    LanguageFile file;
    file.bytes = tapeloft::test::readBytes(tapeloft::test::sourceDir() / "lang" / name);
    std::u16string text = utf8ToUtf16(file.bytes);
    if (!text.empty() && text.front() == u'\uFEFF') text.erase(0, 1);

    std::set<std::u16string> seenGroups;
    std::u16string group;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string::npos) end = text.size();
        std::u16string_view line(text.data() + pos, end - pos);
        pos = end;
        if (pos < text.size() && text[pos] == u'\r') ++pos;
        if (pos < text.size() && text[pos] == u'\n') ++pos;

        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        if (line.empty() || line.front() == u';') continue;
        if (line.front() == u'[') {
            const size_t close = line.find(u']');
            if (close == std::u16string_view::npos) file.problems.push_back("unclosed group line");
            group = toLower(line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1));
            if (!seenGroups.insert(group).second)
                file.problems.push_back("group twice: " + utf16ToUtf8(group));
            continue;
        }
        const size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos) {
            file.problems.push_back("line without '=': " + utf16ToUtf8(line));
            continue;
        }
        const std::u16string key = toLower(trimBlanks(line.substr(0, equals)));
        std::u16string_view value = line.substr(equals + 1);
        while (!value.empty() && isBlank(value.front()))
            value.remove_prefix(1);
        if (!file.groups[group].emplace(key, std::u16string(value)).second)
            file.problems.push_back("key twice: [" + utf16ToUtf8(group) + "] " + utf16ToUtf8(key));
    }
    return file;
}

// The value a reader sees: leading and trailing spaces and tabs dropped; empty when absent.
std::u16string readValue(const LanguageFile& file, std::string_view group, std::u16string_view key) {
    const auto g = file.groups.find(toLower(ascii(group)));
    if (g == file.groups.end()) return {};
    const auto k = g->second.find(toLower(key));
    return k == g->second.end() ? std::u16string() : trimBlanks(k->second);
}

std::u16string message(const LanguageFile& file, int n) {
    return readValue(file, "text", ascii("txt" + std::to_string(n)));
}

// The internal names the sample replays use, by group.
const std::vector<std::pair<std::string, std::vector<std::string>>>& internalNames() {
    static const std::vector<std::pair<std::string, std::vector<std::string>>> names = {
        {"mapnames",
         {"01_saltmarsh", "02_cinder_hollow", "03_north_quarry", "04_lantern_bay", "05_red_steppe",
          "06_mill_crossing", "07_frostgate", "08_old_harbour"}},
        {"gameplayIDs", {"ctf", "domination", "assault"}},
        {"nations", {"nordland", "sudmark", "ostria", "westmere"}},
        {"vehicles", {"N01_Warden",  "N02_Bastion", "N03_Fjell",   "N04_Stormcaller", "N05_Glacier",
                      "S01_Kestrel", "S02_Falke",   "S03_Ramhorn", "S04_Eisenwolf",   "S05_Donner",
                      "O01_Lynx",    "O02_Sable",   "O03_Marten",  "O04_Aurochs",     "O05_Taiga",
                      "W01_Heron",   "W02_Bulwark", "W03_Lancer",  "W04_Rampart",     "W05_Sentinel"}},
    };
    return names;
}

class LanguageFileTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        file_ = loadLanguageFile(GetParam());
        ASSERT_FALSE(file_.bytes.empty()) << "missing or empty: lang/" << GetParam();
    }
    LanguageFile file_;
};

TEST_P(LanguageFileTest, IsUtf8WithByteOrderMarkAndCrLfLineEnds) {
    const std::string& b = file_.bytes;
    ASSERT_GE(b.size(), 3u);
    EXPECT_EQ(b.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_TRUE(tapeloft::isValidUtf8(b));
    // A UTF-8 BOM must not appear a second time (e.g. after concatenating files).
    EXPECT_EQ(b.find("\xEF\xBB\xBF", 3), std::string::npos);
    for (size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\r') {
            ASSERT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << "lone CR at byte " << i;
        } else if (b[i] == '\n') {
            ASSERT_TRUE(i > 0 && b[i - 1] == '\r') << "lone LF at byte " << i;
        } else {
            ASSERT_FALSE(static_cast<unsigned char>(b[i]) < 0x20) << "control byte at " << i;
        }
    }
    EXPECT_EQ(b.substr(b.size() - 2), "\r\n") << "last line has no line end";
}

TEST_P(LanguageFileTest, EveryLineIsUnderstoodAndNothingIsDefinedTwice) {
    for (const auto& problem : file_.problems)
        ADD_FAILURE() << problem;
    EXPECT_EQ(file_.groups.count(u""), 0u) << "keys before the first group";
}

// The messages the program shows beyond the first 120.
constexpr tapeloft::MessageId kLaterMessages[] = {tapeloft::MsgXlsxFileType, tapeloft::MsgCsvFileType,
                                                  tapeloft::MsgCacheBypassed};

TEST_P(LanguageFileTest, HoldsExactlyTheMessagesOneTo120AndTheLaterOnesAllNonEmpty) {
    const auto text = file_.groups.find(u"text");
    ASSERT_NE(text, file_.groups.end());
    std::set<std::u16string> expected;
    std::vector<int> numbers;
    for (int n = 1; n <= 120; ++n)
        numbers.push_back(n);
    numbers.insert(numbers.end(), std::begin(kLaterMessages), std::end(kLaterMessages));
    // The texts the program once showed in Russian whatever the file said.
    for (int n = tapeloft::MsgUnreadableTitle; n <= tapeloft::MsgExportQuestionTitle; ++n)
        numbers.push_back(n);
    for (const int n : numbers) {
        const std::u16string key = ascii("txt" + std::to_string(n));
        expected.insert(key);
        EXPECT_FALSE(message(file_, n).empty()) << "txt" << n << " missing or empty";
    }
    for (const auto& [key, value] : text->second)
        EXPECT_TRUE(expected.count(key)) << "unexpected key in [text]: " << utf16ToUtf8(key);
}

TEST_P(LanguageFileTest, NoValueReliesOnBlanksTheReaderDrops) {
    // Leading and trailing spaces and tabs of a value are dropped when read; a separator that must
    // survive is written as a no-break space.
    for (const auto& [group, keys] : file_.groups)
        for (const auto& [key, value] : keys) {
            EXPECT_FALSE(value.empty()) << utf16ToUtf8(group) << "/" << utf16ToUtf8(key) << " is empty";
            EXPECT_FALSE(!value.empty() && isBlank(value.back()))
                << utf16ToUtf8(group) << "/" << utf16ToUtf8(key) << " ends with a blank that is lost";
            EXPECT_EQ(value.find(u'\uFFFD'), std::u16string::npos) << utf16ToUtf8(key);
        }
}

TEST_P(LanguageFileTest, MessagesFitTheirRoles) {
    // The default folder texts must never count as a configured folder.
    for (int n : {1, 2})
        EXPECT_EQ(message(file_, n).find(u":\\"), std::u16string::npos) << "message " << n;

    // Victory, defeat, draw and the missing-value placeholder must be told apart in the list.
    const std::set<std::u16string> results = {message(file_, 3), message(file_, 4), message(file_, 5),
                                              message(file_, 6)};
    EXPECT_EQ(results.size(), 4u);

    // Player links: the name is appended directly to this address.
    const std::u16string link = message(file_, 55);
    EXPECT_EQ(link.rfind(u"https://", 0), 0u) << utf16ToUtf8(link);
    EXPECT_EQ(link.back(), u'/');
    EXPECT_EQ(link.find_first_of(u" \t\u00A0"), std::u16string::npos);

    // Texts followed directly by a number, a folder or a file name end in a no-break space.
    for (int n : {75, 76, 83, 84, 115, 116, 117, 119}) {
        const std::u16string m = message(file_, n);
        ASSERT_FALSE(m.empty());
        EXPECT_EQ(m.back(), kNoBreakSpace) << "message " << n << ": " << utf16ToUtf8(m);
    }
    // Message 84 also stands directly after the file name.
    EXPECT_EQ(message(file_, 84).front(), kNoBreakSpace);
}

TEST_P(LanguageFileTest, NameGroupsCoverEveryInternalName) {
    for (const auto& [group, names] : internalNames())
        for (const auto& name : names) {
            const std::u16string shown = readValue(file_, group, ascii(name));
            EXPECT_FALSE(shown.empty()) << "[" << group << "] " << name << " missing";
            EXPECT_NE(shown, ascii(name)) << "[" << group << "] " << name << " is not translated";
        }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFileTest, ::testing::Values("rus.lng", "eng.lng"),
                         [](const auto& info) { return info.param.substr(0, 3); });

TEST(LanguageFiles, RussianAndEnglishDifferInTheirTexts) {
    const LanguageFile rus = loadLanguageFile("rus.lng");
    const LanguageFile eng = loadLanguageFile("eng.lng");
    int same = 0;
    for (int n = 1; n <= 120; ++n)
        if (message(rus, n) == message(eng, n)) ++same;
    // Only the placeholder, the link address and the reserved numbers may coincide.
    EXPECT_LE(same, 10);
}

} // namespace
