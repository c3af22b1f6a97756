#include "export/XlsWriter.h"

#include "base/TextCodec.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "xlsrecords/XlsRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
using namespace tapeloft::xlsrecords;
namespace fs = std::filesystem;

namespace {

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// Names of everything in a folder, to see that no temporary file was left behind.
std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The bytes that the operations between open and close wrote.
std::string bodyBetweenPrologueAndEof(const std::string& file) {
    if (file.size() < kPrologueBytes + 4) return {};
    return file.substr(kPrologueBytes, file.size() - kPrologueBytes - 4);
}

class XlsWriterTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path target() const { return dir.path() / "book.xls"; }
    std::u16string targetText() const { return textFromPath(target()); }

    // Opens, runs the operations, closes, and returns what lies between the prologue and EOF.
    template <typename Ops> std::string written(Ops ops, XlsWriter::Sink sink = XlsWriter::Sink::Buffered) {
        XlsWriter writer(sink);
        EXPECT_TRUE(writer.open(targetText()));
        ops(writer);
        EXPECT_TRUE(writer.close());
        return bodyBetweenPrologueAndEof(readBytes(target()));
    }
};

} // namespace

TEST_F(XlsWriterTest, EmptyWorkbookIsPrologueAndEof) {
    XlsWriter writer;
    ASSERT_TRUE(writer.open(targetText()));
    EXPECT_TRUE(writer.isOpen());
    ASSERT_TRUE(writer.close());
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(writer.error(), XlsWriteError::None);

    const std::string file = readBytes(target());
    ASSERT_EQ(file.size(), 8u + 6u + 378u + 4u);
    EXPECT_EQ(file.substr(0, 19), bytesOf({0x09, 0x00, 0x04, 0x00, 0x02, 0x00, 0x10, 0x00, 0x1F, 0x00, 0x02,
                                           0x00, 0x17, 0x00, 0x1E, 0x00, 0x08, 0x00, 0x07}));
    EXPECT_EQ(file.substr(file.size() - 4), bytesOf({0x0A, 0x00, 0x00, 0x00}));
    // Only the workbook is left in the folder.
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.xls"});
}

TEST_F(XlsWriterTest, FormatTableHoldsTheTwentyFourTextsInOrder) {
    XlsWriter writer;
    ASSERT_TRUE(writer.open(targetText()));
    ASSERT_TRUE(writer.close());
    bool complete = false;
    const auto records = parseRecords(readBytes(target()), &complete);
    ASSERT_TRUE(complete);
    ASSERT_EQ(records.size(), kPrologueRecords + 1);
    EXPECT_EQ(records[0].id, kBofId);
    EXPECT_EQ(records[1].id, kFormatCountId);
    EXPECT_EQ(le16(records[1].body, 0), 23u);

    const char* const expected[] = {
        "General",
        "0",
        "0.00",
        "#,##0",
        "#,##0.00",
        "#,##0\\ \"$\";\\-#,##0\\ \"$\"",
        "#,##0\\ \"$\";[Red]\\-#,##0\\ \"$\"",
        "#,##0.00\\ \"$\";\\-#,##0.00\\ \"$\"",
        "#,##0.00\\ \"$\";[Red]\\-#,##0.00\\ \"$\"",
        "0%",
        "0.00%",
        "0.00E+00",
        "yyyy-mm-dd",
        "dd/\\ mmm\\ yy",
        "dd/\\ mmm",
        "mmm\\ yy",
        "h:mm\\ AM/PM",
        "h:mm:ss\\ AM/PM",
        "hh:mm",
        "hh:mm:ss",
        "dd/mm/yy\\ hh:mm",
        "##0.0E+0",
        "mm:ss",
        "@",
    };
    for (std::size_t i = 0; i < 24; ++i) {
        const XlsRecord& r = records[2 + i];
        EXPECT_EQ(r.id, kFormatId) << i;
        ASSERT_FALSE(r.body.empty()) << i;
        EXPECT_EQ(static_cast<unsigned char>(r.body[0]), r.body.size() - 1) << i;
        EXPECT_EQ(r.body.substr(1), expected[i]) << "format " << i;
    }
    EXPECT_EQ(records.back().id, kEofId);
    EXPECT_TRUE(records.back().body.empty());
}

TEST_F(XlsWriterTest, RecordsHaveTheirExactBytes) {
    // Font "Arial", 18 points, italic.
    EXPECT_EQ(written([](XlsWriter& w) { EXPECT_TRUE(w.writeFont(u"Arial", 18, 2)); }),
              bytesOf({0x31, 0x00, 0x0A, 0x00, 0x68, 0x01, 0x02, 0x00, 0x05}) + "Arial");
    // An empty left-aligned label at A1.
    EXPECT_EQ(written([](XlsWriter& w) { EXPECT_TRUE(w.writeLabel(u"", 0, 0, 0, 1, 0, 0)); }),
              bytesOf({0x04, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(written([](XlsWriter& w) { EXPECT_TRUE(w.writeCodePage(1251)); }),
              bytesOf({0x42, 0x00, 0x02, 0x00, 0xE3, 0x04}));
    EXPECT_EQ(written([](XlsWriter& w) {
                  EXPECT_TRUE(w.writePrintGridlines(0));
                  EXPECT_TRUE(w.writePrintGridlines(7));
              }),
              bytesOf({0x2B, 0x00, 0x02, 0x00, 0x00, 0x00, 0x2B, 0x00, 0x02, 0x00, 0x01, 0x00}));
}

TEST_F(XlsWriterTest, NumericFieldsAreCutToTheirWidth) {
    // Row 65539 wraps to 3, column -1 to FFFF; format 5 | font 3 (192) and the other bytes keep 8 bits.
    EXPECT_EQ(written([](XlsWriter& w) { EXPECT_TRUE(w.writeLabel(u"x", 65539, -1, 5, 0x103, 0x1FF, 192)); }),
              bytesOf({0x04, 0x00, 0x09, 0x00, 0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xC5, 0x03, 0x01, 'x'}));
    // 4000 points are 80000 twentieths, 0x13880, kept to 0x3880; style 0x1FF keeps 0xFF.
    EXPECT_EQ(written([](XlsWriter& w) { EXPECT_TRUE(w.writeFont(u"A", 4000, 0x1FF)); }),
              bytesOf({0x31, 0x00, 0x06, 0x00, 0x80, 0x38, 0xFF, 0x00, 0x01, 'A'}));
    EXPECT_EQ(written([](XlsWriter& w) { EXPECT_TRUE(w.writeCodePage(0x1FFFF)); }),
              bytesOf({0x42, 0x00, 0x02, 0x00, 0xFF, 0xFF}));
}

TEST_F(XlsWriterTest, TextsAreWrittenInCp1251WithOneByteCounts) {
    if (!systemCodePageIs1251()) GTEST_SKIP() << "the ANSI code page is not 1251";
    const std::string body = written([](XlsWriter& w) {
        EXPECT_TRUE(w.writeLabel(u"Привет, Ёж №1", 1, 2, 0, 1, 0, 0));
        EXPECT_TRUE(w.writeFont(u"Шрифт", 10, 0));
        // A character the code page lacks is one '?', a surrogate pair included.
        EXPECT_TRUE(w.writeLabel(u"a\u4E2D\U0001F600b", 0, 0, 0, 1, 0, 0));
    });
    const auto records = parseRecords(body);
    ASSERT_EQ(records.size(), 3u);
    const XlsLabel first = decodeLabel(records[0]);
    EXPECT_TRUE(first.countMatches);
    EXPECT_EQ(first.text, "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \xB9"
                          "1");
    EXPECT_EQ(le16(records[0].body, 0), 1u);
    EXPECT_EQ(records[1].body.substr(5), "\xD8\xF0\xE8\xF4\xF2");
    EXPECT_EQ(static_cast<unsigned char>(records[1].body[4]), 5u);
    const XlsLabel third = decodeLabel(records[2]);
    EXPECT_TRUE(third.countMatches);
    EXPECT_EQ(third.text, "a??b");
    EXPECT_EQ(records[2].body.size(), 8u + 4u);
}

TEST_F(XlsWriterTest, LongTextsAreCutTo255Characters) {
    if (!systemCodePageIs1251()) GTEST_SKIP() << "the ANSI code page is not 1251";
    struct Case {
        std::u16string text;
        std::string expected;
    };
    const std::u16string pairAtTheEdge = std::u16string(254, u'a') + u"\U0001F600" + u"tail";
    const Case cases[] = {
        {std::u16string(255, u'я'), std::string(255, '\xFF')},
        {std::u16string(300, u'я'), std::string(255, '\xFF')},
        {std::u16string(1000, u'z'), std::string(255, 'z')},
        // The pair is one character: it fits as the 255th and the rest is cut.
        {pairAtTheEdge, std::string(254, 'a') + "?"},
        {std::u16string(600, u'\xD83D'), std::string(255, '?')}, // lone surrogates
    };
    for (const Case& c : cases) {
        const std::string body = written([&c](XlsWriter& w) {
            EXPECT_TRUE(w.writeLabel(c.text, 0, 0, 0, 1, 0, 0));
            EXPECT_TRUE(w.writeFont(c.text, 10, 0));
        });
        bool complete = false;
        const auto records = parseRecords(body, &complete);
        ASSERT_TRUE(complete);
        ASSERT_EQ(records.size(), 2u);
        const XlsLabel label = decodeLabel(records[0]);
        EXPECT_TRUE(label.countMatches);
        EXPECT_EQ(label.text, c.expected);
        EXPECT_EQ(records[1].body.size(), 5u + c.expected.size());
        EXPECT_EQ(static_cast<unsigned char>(records[1].body[4]), c.expected.size());
        EXPECT_EQ(records[1].body.substr(5), c.expected);
    }
}

TEST_F(XlsWriterTest, OperationsOutsideOpenAndCloseWriteNothing) {
    XlsWriter writer;
    const auto allFail = [&writer] {
        EXPECT_FALSE(writer.writeCodePage(1251));
        EXPECT_FALSE(writer.writePrintGridlines(1));
        EXPECT_FALSE(writer.writeFont(u"Arial", 10, 0));
        EXPECT_FALSE(writer.writeLabel(u"x", 0, 0, 0, 1, 0, 0));
        EXPECT_EQ(writer.error(), XlsWriteError::NotOpen);
        EXPECT_FALSE(writer.close());
        EXPECT_EQ(writer.error(), XlsWriteError::NotOpen);
    };
    allFail();
    EXPECT_TRUE(listing(dir.path()).empty());

    ASSERT_TRUE(writer.open(targetText()));
    ASSERT_TRUE(writer.close());
    const std::string closed = readBytes(target());
    allFail();
    EXPECT_EQ(readBytes(target()), closed);
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.xls"});
}

TEST_F(XlsWriterTest, UnbufferedSinkWritesTheSameBytes) {
    const auto ops = [](XlsWriter& w) {
        w.writeCodePage(1251);
        w.writePrintGridlines(0);
        w.writeFont(u"Arial", 10, 5);
        for (int row = 0; row < 50; ++row)
            for (int column = 0; column < 33; ++column)
                w.writeLabel(u"Ячейка " + decimal(row * 33 + column), row, column, 0, 1, 0, 0);
    };
    const std::string buffered = written(ops);
    const std::string unbuffered = written(ops, XlsWriter::Sink::Unbuffered);
    EXPECT_GT(buffered.size(), 50u * 33u * 12u);
    EXPECT_EQ(buffered, unbuffered);
}

TEST_F(XlsWriterTest, ExistingWorkbookIsReplacedOnlyByClose) {
    dir.write("book.xls", "old contents");
    XlsWriter writer;
    ASSERT_TRUE(writer.open(targetText()));
    ASSERT_TRUE(writer.writeLabel(u"new", 0, 0, 0, 1, 0, 0));
    // Until close the old file is there as it was.
    EXPECT_EQ(readBytes(target()), "old contents");
    ASSERT_TRUE(writer.close());
    const std::string file = readBytes(target());
    EXPECT_EQ(file.size(), kPrologueBytes + 4 + 11 + 4);
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.xls"});
}

TEST_F(XlsWriterTest, AbandonedWorkbookLeavesTheTargetAlone) {
    dir.write("book.xls", "old contents");
    {
        XlsWriter writer;
        ASSERT_TRUE(writer.open(targetText()));
        writer.writeLabel(u"never", 0, 0, 0, 1, 0, 0);
    }
    EXPECT_EQ(readBytes(target()), "old contents");
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.xls"});
}

TEST_F(XlsWriterTest, SecondOpenIsRefusedAndTheFirstWorkbookGoesOn) {
    XlsWriter writer;
    ASSERT_TRUE(writer.open(targetText()));
    EXPECT_FALSE(writer.open(textFromPath(dir.path() / "other.xls")));
    EXPECT_EQ(writer.error(), XlsWriteError::AlreadyOpen);
    EXPECT_TRUE(writer.writeCodePage(1251));
    EXPECT_TRUE(writer.close());
    EXPECT_EQ(readBytes(target()).size(), kPrologueBytes + 6 + 4);
    EXPECT_FALSE(fs::exists(dir.path() / "other.xls"));
}

TEST_F(XlsWriterTest, OpenRefusesTargetsThatCannotBeReplaced) {
    dir.write("plain.txt", "a file, not a folder");
    dir.write("readonly.xls", "keep me");
    fs::permissions(dir.path() / "readonly.xls", fs::perms::owner_read | fs::perms::group_read);
    fs::create_directory(dir.path() / "folder.xls");
    dir.write("folder.xls/inside.txt", "x");

    struct Case {
        fs::path name;
        XlsWriteError error;
    };
    const Case cases[] = {
        {dir.path() / "missing" / "book.xls", XlsWriteError::FolderMissing},
        {dir.path() / "plain.txt" / "book.xls", XlsWriteError::FolderMissing},
        {dir.path() / "folder.xls", XlsWriteError::TargetIsDirectory},
        {dir.path() / "readonly.xls", XlsWriteError::TargetReadOnly},
    };
    for (const Case& c : cases) {
        XlsWriter writer;
        EXPECT_FALSE(writer.open(textFromPath(c.name))) << c.name;
        EXPECT_EQ(writer.error(), c.error) << c.name;
        EXPECT_FALSE(writer.errorText().empty());
        EXPECT_FALSE(writer.isOpen());
        EXPECT_FALSE(writer.writeLabel(u"x", 0, 0, 0, 1, 0, 0));
        EXPECT_FALSE(writer.close());
    }
    EXPECT_EQ(readBytes(dir.path() / "readonly.xls"), "keep me");
    EXPECT_EQ(readBytes(dir.path() / "plain.txt"), "a file, not a folder");
    EXPECT_EQ(listing(dir.path() / "folder.xls"), std::vector<std::string>{"inside.txt"});
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"folder.xls", "plain.txt", "readonly.xls"}));
}

TEST_F(XlsWriterTest, CloseFailsWhenTheTargetChangedMeanwhile) {
    {
        XlsWriter writer;
        ASSERT_TRUE(writer.open(targetText()));
        fs::create_directory(target());
        EXPECT_FALSE(writer.close());
        EXPECT_EQ(writer.error(), XlsWriteError::TargetIsDirectory);
        EXPECT_TRUE(fs::is_directory(target()));
        EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.xls"});
        fs::remove(target());
    }
    {
        dir.write("book.xls", "old");
        XlsWriter writer;
        ASSERT_TRUE(writer.open(targetText()));
        fs::permissions(target(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        EXPECT_FALSE(writer.close());
        EXPECT_EQ(writer.error(), XlsWriteError::TargetReadOnly);
        EXPECT_EQ(readBytes(target()), "old");
        EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.xls"});
    }
}

#ifndef _WIN32
// A file size limit makes writes fail even for root; the old file must survive and no temporary stay.
TEST_F(XlsWriterTest, FailedWritesAreReportedAndKeepTheOldFile) {
    for (const XlsWriter::Sink sink : {XlsWriter::Sink::Buffered, XlsWriter::Sink::Unbuffered}) {
        dir.write("book.xls", "old workbook");
        bool opened = false;
        bool allLabels = true;
        bool closed = true;
        XlsWriter writer(sink);
        {
            const FileSizeLimit limit(4096);
            ASSERT_TRUE(limit.active());
            opened = writer.open(targetText());
            for (int row = 0; row < 100; ++row)
                allLabels = writer.writeLabel(std::u16string(100, u'ж'), row, 0, 0, 1, 0, 0) && allLabels;
            closed = writer.close();
        }

        EXPECT_TRUE(opened);
        if (sink == XlsWriter::Sink::Unbuffered) {
            EXPECT_FALSE(allLabels);
        }
        EXPECT_FALSE(closed);
        EXPECT_EQ(writer.error(), XlsWriteError::WriteFailed);
        EXPECT_NE(writer.errorText().find(u"book.xls"), std::u16string::npos);
        EXPECT_EQ(readBytes(target()), "old workbook");
        EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.xls"});
    }
}
#endif
