#include "base/TextCodec.h"
#include "export/CsvExport.h"
#include "export/XlsxExport.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

// A sheet whose texts the test owns; cells are text unless made otherwise.
struct TestSheet {
    std::vector<SheetColumn> columns;
    std::vector<std::vector<SheetCell>> rows;
    std::deque<std::u16string> texts;
    int fillCalls = 0;

    std::u16string_view keep(std::u16string text) { return texts.emplace_back(std::move(text)); }
    void addRow(const std::vector<std::u16string>& cells) {
        auto& row = rows.emplace_back();
        for (const auto& text : cells) {
            SheetCell cell;
            cell.text = keep(text);
            row.push_back(cell);
        }
    }
    Sheet sheet() {
        Sheet out{columns, static_cast<int>(rows.size()), nullptr};
        out.fillRow = [this](int row, std::span<SheetCell> cells) {
            ++fillCalls;
            for (std::size_t c = 0; c < cells.size(); ++c)
                cells[c] = rows[static_cast<std::size_t>(row)][c];
        };
        return out;
    }
};

// Rows of every kind of cell, enough of them that the written files run to many kilobytes.
TestSheet mixedSheet(int rowCount) {
    TestSheet t;
    t.columns = {{u"Дата", 120}, {u"Карта", 150}, {u"Кредиты", 80}, {u"Урон, %", 60}, {u"Игрок", 100}};
    for (int r = 0; r < rowCount; ++r) {
        const std::u16string n = decimal(r);
        t.addRow({u"13.12.2015 21:21:" + decimal(10 + r % 50), u"Солончак, север " + n, decimal(r * 37 - 900),
                  decimal(r % 101) + u" %", u"Игрок \"" + n + u"\""});
        auto& row = t.rows.back();
        row[0].kind = SheetCellKind::DateTime;
        row[0].dateTime = {2015, 12, 13, 21, 21, 10 + r % 50};
        row[2].kind = SheetCellKind::Number;
        row[2].number = r * 37 - 900;
        row[3].kind = SheetCellKind::Percent;
        row[3].number = (r % 101) / 100.0;
    }
    return t;
}

using SheetWriter = ListExportResult (*)(std::u16string_view, const Sheet&);
struct WriterCase {
    const char* name;
    SheetWriter write;
    const char* extension;
};
const WriterCase kWriters[] = {{"csv", exportSheetToCsv, ".csv"}, {"xlsx", exportSheetToXlsx, ".xlsx"}};

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST(CsvExport, FieldsAreQuotedOnlyWhereTheFormatAsksAndRecordsEndInCrLf) {
    struct Case {
        std::u16string text;
        std::string field;
    };
    const Case cases[] = {
        {u"plain", "plain"},
        {u"", ""},
        {u" padded ", " padded "},
        {u"semi;colon\ttab", "semi;colon\ttab"},
        {u"a,b", "\"a,b\""},
        {u"say \"hi\"", "\"say \"\"hi\"\"\""},
        {u"\"", "\"\"\"\""},
        {u"two\nlines", "\"two\nlines\""},
        {u"cr\ronly", "\"cr\ronly\""},
        {u"crlf\r\nend", "\"crlf\r\nend\""},
        {u"Ёжик, «щит»", "\"" + utf16ToUtf8(u"Ёжик, «щит»") + "\""},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)) + u"x", "\xEF\xBF\xBDx"},
    };
    TestSheet t;
    t.columns = {{u"Текст", 100}, {u"Next, quoted", 100}};
    std::string expected = "\xEF\xBB\xBF" + utf16ToUtf8(u"Текст") + ",\"Next, quoted\"\r\n";
    for (const Case& c : cases) {
        t.addRow({c.text, u"x"});
        expected += c.field + ",x\r\n";
    }
    TempDir dir;
    const fs::path file = dir.path() / "list.csv";
    const ListExportResult result = exportSheetToCsv(textFromPath(file), t.sheet());
    ASSERT_TRUE(result.written) << utf16ToUtf8(result.errorText);
    EXPECT_EQ(result.fileName, textFromPath(file));
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(CsvExport, ARecordOfOneEmptyFieldIsQuotedSoThatItIsNoBlankLine) {
    TestSheet t;
    t.columns = {{u"", 100}};
    t.addRow({u""});
    t.addRow({u"a"});
    TempDir dir;
    const fs::path file = dir.path() / "one.csv";
    ASSERT_TRUE(exportSheetToCsv(textFromPath(file), t.sheet()).written);
    EXPECT_EQ(readBytes(file), "\xEF\xBB\xBF\"\"\r\n\"\"\r\na\r\n");
}

TEST(XlsxExport, MoreRowsThanASheetHoldsAreRefusedBeforeTheFileIsTouched) {
    TempDir dir;
    const fs::path file = dir.write("big.xlsx", "older");
    TestSheet t;
    t.columns = {{u"A", 100}};
    Sheet sheet = t.sheet();
    sheet.rowCount = kMaxXlsxDataRows + 1;
    const ListExportResult result = exportSheetToXlsx(textFromPath(file), sheet);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error, ListExportError::TooManyRows);
    EXPECT_NE(result.errorText.find(u"1048575"), std::u16string::npos);
    EXPECT_EQ(t.fillCalls, 0);
    EXPECT_EQ(readBytes(file), "older");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(XlsxExport, AWrittenWorkbookIsAWholePackageWithNothingLeftBeside) {
    TempDir dir;
    TestSheet t = mixedSheet(50);
    const fs::path file = dir.path() / "book.xlsx";
    const ListExportResult result = exportSheetToXlsx(textFromPath(file), t.sheet());
    ASSERT_TRUE(result.written) << utf16ToUtf8(result.errorText);
    EXPECT_EQ(readBytes(file).substr(0, 4), "PK\x03\x04");
    EXPECT_TRUE(xlsxPackageIsWhole(file));
    EXPECT_EQ(t.fillCalls, 50);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(TypedSheetExport, UnwritableTargetsAreReportedAndLeftAsTheyWere) {
    for (const WriterCase& w : kWriters) {
        SCOPED_TRACE(w.name);
        TempDir dir;
        const std::string ext = w.extension;
        const fs::path locked = dir.write("locked" + ext, "keep");
        fs::permissions(locked, fs::perms::owner_read);
        const fs::path folder = dir.path() / ("folder" + ext);
        fs::create_directory(folder);
        struct Case {
            fs::path target;
            ExportFileError error;
        };
        const Case cases[] = {
            {dir.path() / "missing" / ("x" + ext), ExportFileError::FolderMissing},
            {folder, ExportFileError::TargetIsDirectory},
            {locked, ExportFileError::TargetReadOnly},
        };
        for (const Case& c : cases) {
            TestSheet t = mixedSheet(3);
            const ListExportResult result = w.write(textFromPath(c.target), t.sheet());
            EXPECT_FALSE(result.written);
            EXPECT_EQ(result.error, ListExportError::Write);
            EXPECT_EQ(result.writeError, c.error);
            EXPECT_FALSE(result.errorText.empty());
        }
        EXPECT_EQ(readBytes(locked), "keep");
        EXPECT_TRUE(fs::is_empty(folder));
        EXPECT_EQ(entriesIn(dir.path()), 2u);
    }
}

TEST(ZipPackageCheck, DamagedOrCutFilesAreNotWhole) {
    TempDir dir;
    TestSheet t = mixedSheet(200);
    const fs::path good = dir.path() / "good.xlsx";
    ASSERT_TRUE(exportSheetToXlsx(textFromPath(good), t.sheet()).written);
    const std::string bytes = readBytes(good);
    std::string flipped = bytes;
    flipped[bytes.size() / 2] = static_cast<char>(flipped[bytes.size() / 2] ^ 0x10);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"cut in half", bytes.substr(0, bytes.size() / 2)},
        {"last byte missing", bytes.substr(0, bytes.size() - 1)},
        {"one bit flipped", flipped},
        {"empty", ""},
        {"text", "not a workbook at all, just text that is long enough to be looked at"},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(xlsxPackageIsWhole(dir.write(std::string("bad-") + c.what, c.bytes))) << c.what;
    EXPECT_FALSE(xlsxPackageIsWhole(dir.path() / "absent.xlsx"));
}

namespace {

std::uint32_t crc32Of(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char b : bytes) {
        crc ^= static_cast<std::uint8_t>(b);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A well-formed zip of one stored member, checksum and sizes right, whatever the member holds.
std::string storedZip(std::string_view name, std::string_view data) {
    const auto size = static_cast<std::uint32_t>(data.size());
    const std::uint32_t crc = crc32Of(data);
    std::string zip;
    put32(zip, 0x04034b50);
    for (const std::uint32_t v : {20u, 0u, 0u, 0u, 0u})
        put16(zip, v);
    put32(zip, crc);
    put32(zip, size);
    put32(zip, size);
    put16(zip, static_cast<std::uint32_t>(name.size()));
    put16(zip, 0);
    zip += name;
    zip += data;
    const auto directory = static_cast<std::uint32_t>(zip.size());
    put32(zip, 0x02014b50);
    for (const std::uint32_t v : {20u, 20u, 0u, 0u, 0u, 0u})
        put16(zip, v);
    put32(zip, crc);
    put32(zip, size);
    put32(zip, size);
    put16(zip, static_cast<std::uint32_t>(name.size()));
    for (const std::uint32_t v : {0u, 0u, 0u, 0u})
        put16(zip, v);
    put32(zip, 0);
    put32(zip, 0); // the local header's offset
    zip += name;
    const auto directorySize = static_cast<std::uint32_t>(zip.size()) - directory;
    put32(zip, 0x06054b50);
    for (const std::uint32_t v : {0u, 0u, 1u, 1u})
        put16(zip, v);
    put32(zip, directorySize);
    put32(zip, directory);
    put16(zip, 0);
    return zip;
}

} // namespace

// What a full disk leaves when the library's scratch file fails: a sound zip around a part cut short.
TEST(ZipPackageCheck, AnXmlPartMustEndAsItsRootBegan) {
    struct Case {
        const char* name;
        const char* data;
        bool whole;
    };
    const Case cases[] = {
        {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?>\n<worksheet a=\"1\"><row/></worksheet>\n",
         true},
        {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?>\n<worksheet a=\"1\"><row/><row>", false},
        {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?>\n<worksheet a=\"1\"><row/></works", false},
        {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?>\n", false},
        {"xl/worksheets/sheet1.xml", "", false},
        {"docProps/custom.xml", "<?xml version=\"1.0\"?>\n<Properties xmlns=\"x\"/>", true},
        {"_rels/.rels", "<Relationships><Relationship Id=\"1\"/></Relationships>", true},
        {"_rels/.rels", "<Relationships><Relationship Id=\"1\"/>", false},
        {"xl/media/image1.png", "any bytes at all", true},
    };
    TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        const fs::path file = dir.write("case" + std::to_string(n++) + ".zip", storedZip(c.name, c.data));
        EXPECT_EQ(xlsxPackageIsWhole(file), c.whole) << c.name << ": " << c.data;
    }
}

#ifndef _WIN32
// Every point where the disk may fill: either the complete file is in place, or the old one is untouched
// and nothing is left beside it.
TEST(TypedSheetExport, ADiskThatFillsAnywhereNeverLeavesADamagedFile) {
    for (const WriterCase& w : kWriters) {
        SCOPED_TRACE(w.name);
        TempDir dir;
        TestSheet t = mixedSheet(3000);
        const fs::path reference = dir.path() / (std::string("reference") + w.extension);
        ASSERT_TRUE(w.write(textFromPath(reference), t.sheet()).written);
        const std::uintmax_t size = fs::file_size(reference);
        fs::remove(reference);

        const fs::path target = dir.write(std::string("list") + w.extension, "the export of last week");
        int failures = 0;
        for (std::uintmax_t limit = 64; limit < 64 * size; limit *= 2) {
            ListExportResult result;
            {
                const FileSizeLimit cap(limit);
                ASSERT_TRUE(cap.active());
                result = w.write(textFromPath(target), t.sheet());
            }
            if (result.written) {
                EXPECT_GE(limit, size);
                // The workbook's creation time makes its packed size differ by a byte or two; a part cut
                // short would make it far smaller.
                const auto written = static_cast<std::intmax_t>(fs::file_size(target));
                EXPECT_LE(std::abs(written - static_cast<std::intmax_t>(size)), 16) << "limit " << limit;
                fs::remove(target);
                dir.write(std::string("list") + w.extension, "the export of last week");
            } else {
                ++failures;
                EXPECT_EQ(result.writeError, ExportFileError::WriteFailed) << "limit " << limit;
                EXPECT_NE(result.errorText.find(textFromPath(target)), std::u16string::npos);
                EXPECT_TRUE(readBytes(target) == "the export of last week") << "limit " << limit;
            }
            EXPECT_EQ(entriesIn(dir.path()), 1u) << "limit " << limit;
        }
        EXPECT_GT(failures, 3);
    }
}

// The library writes the sheet's XML to a scratch file first, far larger than the finished package; a disk
// that has room for the package but not for that file must still fail the export.
TEST(XlsxExport, ADiskTooSmallForTheScratchFileFailsTheExport) {
    TempDir dir;
    TestSheet t = mixedSheet(3000);
    const fs::path target = dir.path() / "book.xlsx";
    ASSERT_TRUE(exportSheetToXlsx(textFromPath(target), t.sheet()).written);
    const std::uintmax_t size = fs::file_size(target);
    dir.write("book.xlsx", "older");
    ListExportResult result;
    {
        const FileSizeLimit cap(size * 2);
        ASSERT_TRUE(cap.active());
        result = exportSheetToXlsx(textFromPath(target), t.sheet());
    }
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(readBytes(target) == "older"); // not the whole workbook in the failure message
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}
#endif
