// The workbook's texts on Windows: converted by the system into its ANSI code page, which the workbook
// declares, one '?' for each character the page lacks.
#include "export/SheetExport.h"
#include "export/XlsWriter.h"

#include "base/TextCodec.h"
#include "support/TempDir.h"
#include "xlsrecords/XlsRecords.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
using namespace tapeloft::xlsrecords;
namespace fs = std::filesystem;

namespace {

constexpr UINT kRussianCodePage = 1251;
constexpr char16_t kFirstSurrogate = 0xD800;
constexpr char16_t kLastSurrogate = 0xDFFF;
constexpr char16_t kLastUnit = 0xFFFF;
// Windows gives the byte 1251 leaves unassigned to U+0098; the program's table has no character there.
constexpr char16_t kUnassignedByteCharacter = 0x98;

} // namespace

TEST(WindowsWorkbookText, TheWorkbookDeclaresTheSystemCodePage) {
    ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8)) << "this run's system has UTF-8 for its code page";
    EXPECT_EQ(xlsCodePage(), static_cast<int>(GetACP()));

    TempDir dir;
    const fs::path folder = dir.path() / L"Выгрузка 🎯";
    fs::create_directory(folder);
    const SheetSource source{[] { return 1; },
                             [](int row, int column) {
                                 if (column != 2) return std::u16string();
                                 return std::u16string(row < 0 ? u"Карта" : u"Утёс «Щит»");
                             }};
    const ListExportResult result = exportSheetToXls(textFromPath(folder / L"бои"), source);
    ASSERT_TRUE(result.written) << utf16ToUtf8(result.errorText);
    bool complete = false;
    const std::vector<XlsRecord> records = parseRecords(readBytes(folder / L"бои.xls"), &complete);
    ASSERT_TRUE(complete);
    std::vector<std::string> labels;
    for (const XlsRecord& record : records) {
        if (record.id == kCodePageId) {
            EXPECT_EQ(le16(record.body, 0), GetACP());
        }
        if (record.id == kLabelId && decodeLabel(record).column == 2)
            labels.push_back(decodeLabel(record).text);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{xlsText(u"Карта"), xlsText(u"Утёс «Щит»")}));
}

// Under code page 1251 the system's conversion and the program's own table give the same byte for every
// character, so a workbook from Windows reads as one from elsewhere.
TEST(WindowsWorkbookText, SystemConversionAgreesWithTheProgramsTable) {
    if (GetACP() != kRussianCodePage) GTEST_SKIP() << "the table is that of code page 1251";
    int differing = 0;
    for (char32_t unit = 1; unit <= kLastUnit; ++unit) {
        if ((unit >= kFirstSurrogate && unit <= kLastSurrogate) || unit == kUnassignedByteCharacter) continue;
        const std::u16string text(1, static_cast<char16_t>(unit));
        if (xlsText(text) != utf16ToCp1251(text) && ++differing <= 10)
            ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(unit) << ": system "
                          << testing::PrintToString(xlsText(text)) << ", table "
                          << testing::PrintToString(utf16ToCp1251(text));
    }
    EXPECT_EQ(differing, 0);
}

TEST(WindowsWorkbookText, CharactersOutsideTheCodePageAreOneQuestionMarkEach) {
    if (GetACP() != kRussianCodePage) GTEST_SKIP() << "the bytes are those of code page 1251";
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {u"Жёлтый", "\xC6\xB8\xEB\xF2\xFB\xE9"},
        {u"«Щит» №5 €", "\xAB\xD9\xE8\xF2\xBB \xB9\x35 \x88"},
        {u"café", "caf?"}, // no look-alike "e"
        {u"a😀b", "a?b"},   // one for both units of the pair
        {u"日本", "??"},
        {u"x\xD800y\xDC00", "x?y?"}, // lone surrogates
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.text));
        EXPECT_EQ(xlsText(c.text), c.bytes);
    }
}

// The 255-byte cut counts characters as written: a character the page lacks still takes one byte.
TEST(WindowsWorkbookText, LongTextsAreCutAfterWholeCharacters) {
    if (GetACP() != kRussianCodePage) GTEST_SKIP() << "the bytes are those of code page 1251";
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {std::u16string(300, u'Ж'), std::string(XlsWriter::kMaxTextLength, '\xC6')},
        {std::u16string(254, u'a') + u"😀tail", std::string(254, 'a') + "?"},
        {std::u16string(255, u'a') + u"😀", std::string(255, 'a')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        EXPECT_EQ(xlsText(c.text), c.bytes);
    }
}
