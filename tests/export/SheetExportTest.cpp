#include "export/SheetExport.h"

#include "base/TextCodec.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "xlsrecords/XlsRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
using namespace tapeloft::xlsrecords;
namespace fs = std::filesystem;

namespace {

// A list held as rows of cells; row 0 of `rows` is the header. Records the widest column asked for.
struct FakeList {
    std::vector<std::vector<std::u16string>> rows;
    int widestColumn = -1;
    int cellCalls = 0;

    SheetSource source() {
        return {[this] { return static_cast<int>(rows.size()) - 1; },
                [this](int row, int column) {
                    ++cellCalls;
                    widestColumn = std::max(widestColumn, column);
                    const auto& cells = rows.at(static_cast<std::size_t>(row + 1));
                    return column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)]
                                                                   : std::u16string();
                }};
    }
};

std::vector<std::u16string> headerRow() {
    std::vector<std::u16string> header(40);
    header[1] = u"Дата";
    header[2] = u"Карта";
    header[32] = u"Путь";
    header[39] = u"never exported";
    return header;
}

std::vector<std::u16string> dataRow(int k) {
    std::vector<std::u16string> row(40);
    for (int c = 1; c < 40; ++c)
        row[static_cast<std::size_t>(c)] = u"r" + decimal(k) + u"c" + decimal(c);
    row[2] = u"Утёс " + decimal(k);
    row[32] = u"/replays/бой " + decimal(k) + u".ivlreplay";
    return row;
}

std::string fontBody(std::string_view name, unsigned twentieths, unsigned style) {
    std::string body;
    body.push_back(static_cast<char>(twentieths & 0xFF));
    body.push_back(static_cast<char>(twentieths >> 8));
    body.push_back(static_cast<char>(style));
    body.push_back('\0');
    body.push_back(static_cast<char>(name.size()));
    body.append(name);
    return body;
}

// Checks everything after the prologue: CODEPAGE, PRINTGRIDLINES, the fonts, the labels of `list`
// (columns 0..32 of each row, row by row) and EOF.
void expectSheet(const std::string& file, const FakeList& list) {
    bool complete = false;
    const auto records = parseRecords(file, &complete);
    ASSERT_TRUE(complete);
    const std::size_t labels = list.rows.size() * 33;
    ASSERT_EQ(records.size(), kPrologueRecords + 2 + 4 + labels + 1);
    std::size_t i = kPrologueRecords;
    EXPECT_EQ(records[i].id, kCodePageId);
    EXPECT_EQ(le16(records[i++].body, 0), 1251u);
    EXPECT_EQ(records[i].id, kPrintGridlinesId);
    EXPECT_EQ(le16(records[i++].body, 0), 0u);
    const std::string fonts[] = {fontBody("Microsoft Sans Serif", 200, 0), fontBody("Arial", 200, 1),
                                 fontBody("Arial", 200, 5), fontBody("Arial", 360, 2)};
    for (const std::string& font : fonts) {
        EXPECT_EQ(records[i].id, kFontId);
        EXPECT_EQ(records[i++].body, font);
    }
    for (std::size_t row = 0; row < list.rows.size(); ++row) {
        for (unsigned column = 0; column < 33; ++column, ++i) {
            ASSERT_EQ(records[i].id, kLabelId);
            const XlsLabel label = decodeLabel(records[i]);
            EXPECT_EQ(label.row, row);
            EXPECT_EQ(label.column, column);
            EXPECT_EQ(label.attributes[0], 0u);
            EXPECT_EQ(label.attributes[1], 0u);
            EXPECT_EQ(label.attributes[2], 1u);
            EXPECT_TRUE(label.countMatches);
            EXPECT_EQ(cp1251ToUtf16(label.text), list.rows[row][column]) << row << "," << column;
        }
    }
    EXPECT_EQ(records[i].id, kEofId);
}

class ListExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!systemCodePageIs1251()) GTEST_SKIP() << "the ANSI code page is not 1251";
    }
    TempDir dir;
    std::u16string name(std::string_view file) const { return textFromPath(dir.path() / file); }
};

} // namespace

TEST(FinalXlsFileName, AppendsXlsUnlessTheFilePartEndsInIt) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"report", u"report.xls"},
        {u"report.xls", u"report.xls"},
        {u"report.XLS", u"report.XLS.xls"},
        {u"a.b", u"a.b.xls"},
        {u"old.files\\report", u"old.files\\report.xls"},
        {u"old.files/report", u"old.files/report.xls"},
        {u"C:\\Отчёты\\бои.xls", u"C:\\Отчёты\\бои.xls"},
        {u"dir.xls/report", u"dir.xls/report.xls"},
        {u"dir\\sub.xls\\report", u"dir\\sub.xls\\report.xls"},
        {u"book.xlsx", u"book.xlsx.xls"},
        {u"book.xls.bak", u"book.xls.bak.xls"},
        {u"book.", u"book..xls"},
        {u".xls", u".xls"},
        {u"", u".xls"},
    };
    for (const auto& [given, expected] : cases)
        EXPECT_EQ(finalXlsFileName(given), expected) << utf16ToUtf8(given);
}

TEST_F(ListExportTest, EmptyListGivesTheHeaderRowOnly) {
    FakeList list;
    list.rows = {headerRow()};
    const ListExportResult result = exportSheetToXls(name("empty"), list.source());
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.error, ListExportError::None);
    EXPECT_TRUE(result.errorText.empty());
    EXPECT_EQ(result.fileName, name("empty.xls"));
    expectSheet(readBytes(dir.path() / "empty.xls"), list);
    EXPECT_EQ(list.widestColumn, 32);
}

TEST_F(ListExportTest, EveryRowBecomesThirtyThreeLabelsInListOrder) {
    FakeList list;
    list.rows = {headerRow(), dataRow(3), dataRow(1), dataRow(2)};
    for (const XlsWriter::Sink sink : {XlsWriter::Sink::Buffered, XlsWriter::Sink::Unbuffered}) {
        list.cellCalls = 0;
        const ListExportResult result = exportSheetToXls(name("three.xls"), list.source(), sink);
        ASSERT_TRUE(result.written) << utf16ToUtf8(result.errorText);
        const std::string file = readBytes(dir.path() / "three.xls");
        expectSheet(file, list);
        EXPECT_EQ(list.cellCalls, 4 * 33);
        // The first label is A1 with the empty header of column 0.
        const XlsLabel first = decodeLabel(parseRecords(file)[kPrologueRecords + 6]);
        EXPECT_EQ(first.row, 0u);
        EXPECT_EQ(first.column, 0u);
        EXPECT_TRUE(first.text.empty());
    }
}

TEST_F(ListExportTest, OverlongListIsRefusedWithoutTouchingTheFile) {
    dir.write("big.xls", "previous export");
    bool cellAsked = false;
    const SheetSource source{[] { return kMaxExportedRows + 1; },
                             [&cellAsked](int, int) {
                                 cellAsked = true;
                                 return std::u16string();
                             }};
    const ListExportResult result = exportSheetToXls(name("big.xls"), source);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error, ListExportError::TooManyRows);
    EXPECT_NE(result.errorText.find(u"65536"), std::u16string::npos);
    EXPECT_FALSE(cellAsked);
    EXPECT_EQ(readBytes(dir.path() / "big.xls"), "previous export");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(ListExportTest, LargestListFillsTheLastRowNumber) {
    // Empty cells keep this at about 26 MB.
    const SheetSource source{[] { return kMaxExportedRows; }, [](int, int) { return std::u16string(); }};
    const ListExportResult result = exportSheetToXls(name("full"), source);
    ASSERT_TRUE(result.written) << utf16ToUtf8(result.errorText);
    const std::string file = readBytes(dir.path() / "full.xls");
    ASSERT_EQ(file.size(), kPrologueBytes + 6 + 6 + (9 + 20) + 3 * (9 + 5) + 65536u * 33u * 12u + 4);
    const auto last = parseRecords(file.substr(file.size() - 16));
    ASSERT_EQ(last.size(), 2u);
    const XlsLabel label = decodeLabel(last[0]);
    EXPECT_EQ(label.row, 65535u);
    EXPECT_EQ(label.column, 32u);
}

TEST_F(ListExportTest, UnwritableTargetsAreReportedAndLeftAsTheyWere) {
    dir.write("locked.xls", "keep");
    fs::permissions(dir.path() / "locked.xls", fs::perms::owner_read);
    fs::create_directory(dir.path() / "folder.xls");
    FakeList list;
    list.rows = {headerRow(), dataRow(1)};

    struct Case {
        std::u16string given;
        std::u16string finalName;
        XlsWriteError error;
    };
    const Case cases[] = {
        {name("no-such-folder/report"), name("no-such-folder/report.xls"), XlsWriteError::FolderMissing},
        {name("folder"), name("folder.xls"), XlsWriteError::TargetIsDirectory},
        {name("locked.xls"), name("locked.xls"), XlsWriteError::TargetReadOnly},
    };
    for (const Case& c : cases) {
        const ListExportResult result = exportSheetToXls(c.given, list.source());
        EXPECT_FALSE(result.written);
        EXPECT_EQ(result.fileName, c.finalName);
        EXPECT_EQ(result.error, ListExportError::Write);
        EXPECT_EQ(result.writeError, c.error);
        EXPECT_FALSE(result.errorText.empty());
    }
    EXPECT_EQ(readBytes(dir.path() / "locked.xls"), "keep");
    EXPECT_TRUE(fs::is_empty(dir.path() / "folder.xls"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

#ifndef _WIN32
TEST_F(ListExportTest, WriteFailureMidwayIsReportedAndKeepsTheOldFile) {
    dir.write("report.xls", "last week's export");
    FakeList list;
    list.rows = {headerRow()};
    for (int k = 0; k < 200; ++k)
        list.rows.push_back(dataRow(k));
    for (const XlsWriter::Sink sink : {XlsWriter::Sink::Buffered, XlsWriter::Sink::Unbuffered}) {
        ListExportResult result;
        {
            const FileSizeLimit limit(8192);
            ASSERT_TRUE(limit.active());
            result = exportSheetToXls(name("report"), list.source(), sink);
        }
        EXPECT_FALSE(result.written);
        EXPECT_EQ(result.error, ListExportError::Write);
        EXPECT_EQ(result.writeError, XlsWriteError::WriteFailed);
        EXPECT_NE(result.errorText.find(u"report.xls"), std::u16string::npos);
        EXPECT_EQ(readBytes(dir.path() / "report.xls"), "last week's export");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}
#endif
