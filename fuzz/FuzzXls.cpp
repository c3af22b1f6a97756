// The xls target: workbooks written record by record and sheets exported whole, read back record by record.
#include "FuzzEntries.h"
#include "FuzzSupport.h"

#include "base/TextCodec.h"
#include "export/SheetExport.h"
#include "export/XlsWriter.h"
#include "xlsrecords/XlsRecords.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tapeloft::fuzz {

namespace {

namespace fs = std::filesystem;
using xlsrecords::XlsLabel;
using xlsrecords::XlsRecord;

// Long enough that the cut at 255 characters falls anywhere, pairs included.
constexpr std::size_t kMaxCellUnits = 700;
constexpr std::size_t kMaxRecordCalls = 64;
constexpr std::size_t kMaxSheetRows = 24;

ScratchFolder& scratch() {
    static ScratchFolder folder("xls");
    return folder;
}

// What the code page holds: every byte as the reader decodes it, less the replacement character that the
// one unassigned byte reads as.
bool inCodePage(char16_t c) {
    static const std::u16string repertoire = [] {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all.push_back(static_cast<char>(b));
        std::u16string chars = cp1251ToUtf16(all);
        std::erase(chars, u'\uFFFD');
        return chars;
    }();
    return repertoire.find(c) != std::u16string::npos;
}

// A text as the workbook must give it back: characters of the code page as they are, any other character
// (a surrogate pair is one) as '?', and nothing after the 255th character.
std::u16string expectedText(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size() && out.size() < XlsWriter::kMaxTextLength; ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
            out.push_back(u'?');
            continue;
        }
        out.push_back(inCodePage(c) ? c : u'?');
    }
    return out;
}

// A counted text at the end of a body: the count byte at `at` matches what follows, and the bytes read as
// the text they were written from.
void checkCountedText(const std::string& body, std::size_t at, std::u16string_view written) {
    FUZZ_CHECK(body.size() > at);
    FUZZ_CHECK(static_cast<unsigned char>(body[at]) == body.size() - at - 1);
    FUZZ_CHECK(cp1251ToUtf16(std::string_view(body).substr(at + 1)) == expectedText(written));
}

// The whole file is records from BOF to EOF with the writer's prologue first. Returns the records after the
// prologue, EOF left out.
std::vector<XlsRecord> walkWorkbook(const std::string& file) {
    bool complete = false;
    const std::vector<XlsRecord> records = xlsrecords::parseRecords(file, &complete);
    FUZZ_CHECK(complete);
    FUZZ_CHECK(records.size() >= xlsrecords::kPrologueRecords + 1);
    FUZZ_CHECK(records.front().id == xlsrecords::kBofId);
    FUZZ_CHECK(records[1].id == xlsrecords::kFormatCountId);
    for (std::size_t i = 2; i < xlsrecords::kPrologueRecords; ++i) {
        FUZZ_CHECK(records[i].id == xlsrecords::kFormatId);
        FUZZ_CHECK(!records[i].body.empty());
        FUZZ_CHECK(static_cast<unsigned char>(records[i].body[0]) == records[i].body.size() - 1);
    }
    FUZZ_CHECK(records.back().id == xlsrecords::kEofId && records.back().body.empty());
    for (std::size_t i = 1; i + 1 < records.size(); ++i)
        FUZZ_CHECK(records[i].id != xlsrecords::kBofId && records[i].id != xlsrecords::kEofId);
    return {records.begin() + xlsrecords::kPrologueRecords, records.end() - 1};
}

// Nothing but the given files is left in the folder: no temporary file survives a write.
void checkOnlyFiles(std::size_t expected) {
    std::error_code ec;
    std::size_t found = 0;
    for (fs::directory_iterator it(scratch().path(), ec), end; !ec && it != end; it.increment(ec))
        ++found;
    FUZZ_CHECK(!ec && found == expected);
}

void removeFile(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

// --- Record by record ---------------------------------------------------------------------------------

struct RecordCall {
    enum class Kind { CodePage, Gridlines, Font, Label } kind = Kind::CodePage;
    std::u16string text;
    int values[6] = {}; // the call's numbers in the order the writer takes them
};

std::vector<RecordCall> recordCalls(FuzzInput& input) {
    std::vector<RecordCall> calls;
    while (!input.empty() && calls.size() < kMaxRecordCalls) {
        RecordCall call;
        call.kind = static_cast<RecordCall::Kind>(input.below(4));
        int numbers = 1;
        if (call.kind == RecordCall::Kind::Font) numbers = 2;
        if (call.kind == RecordCall::Kind::Label) numbers = 6;
        if (call.kind == RecordCall::Kind::Font || call.kind == RecordCall::Kind::Label)
            call.text = input.text(kMaxCellUnits);
        // Small numbers mostly; any 32-bit value now and then, which the writer must cut.
        for (int i = 0; i < numbers; ++i)
            call.values[i] = input.flag() ? input.int32() : static_cast<int>(input.byte());
        calls.push_back(std::move(call));
    }
    return calls;
}

bool writeCall(XlsWriter& writer, const RecordCall& call) {
    const int* v = call.values;
    switch (call.kind) {
    case RecordCall::Kind::CodePage:
        return writer.writeCodePage(v[0]);
    case RecordCall::Kind::Gridlines:
        return writer.writePrintGridlines(v[0]);
    case RecordCall::Kind::Font:
        return writer.writeFont(call.text, v[0], v[1]);
    case RecordCall::Kind::Label:
        return writer.writeLabel(call.text, v[0], v[1], v[2], v[3], v[4], v[5]);
    }
    return false;
}

unsigned low(int value, unsigned mask) {
    return static_cast<unsigned>(value) & mask;
}

void checkRecord(const XlsRecord& record, const RecordCall& call) {
    const int* v = call.values;
    switch (call.kind) {
    case RecordCall::Kind::CodePage:
        FUZZ_CHECK(record.id == xlsrecords::kCodePageId && record.body.size() == 2);
        FUZZ_CHECK(xlsrecords::le16(record.body, 0) == low(v[0], 0xFFFF));
        return;
    case RecordCall::Kind::Gridlines:
        FUZZ_CHECK(record.id == xlsrecords::kPrintGridlinesId && record.body.size() == 2);
        FUZZ_CHECK(xlsrecords::le16(record.body, 0) == (v[0] != 0 ? 1u : 0u));
        return;
    case RecordCall::Kind::Font:
        FUZZ_CHECK(record.id == xlsrecords::kFontId && record.body.size() >= 5);
        FUZZ_CHECK(xlsrecords::le16(record.body, 0) == ((static_cast<unsigned>(v[0]) * 20u) & 0xFFFFu));
        FUZZ_CHECK(static_cast<unsigned char>(record.body[2]) == low(v[1], 0xFF) && record.body[3] == 0);
        checkCountedText(record.body, 4, call.text);
        return;
    case RecordCall::Kind::Label: {
        FUZZ_CHECK(record.id == xlsrecords::kLabelId && record.body.size() >= 8);
        const XlsLabel label = xlsrecords::decodeLabel(record);
        FUZZ_CHECK(label.row == low(v[0], 0xFFFF) && label.column == low(v[1], 0xFFFF));
        FUZZ_CHECK(label.attributes[0] == low(v[4], 0xFF));
        FUZZ_CHECK(label.attributes[1] == low(v[2] | v[5], 0xFF));
        FUZZ_CHECK(label.attributes[2] == low(v[3], 0xFF));
        checkCountedText(record.body, 7, call.text);
        return;
    }
    }
}

// Both sinks write the same bytes, and every call gives exactly its record.
void checkRecordLayer(FuzzInput& input) {
    const std::vector<RecordCall> calls = recordCalls(input);
    const fs::path buffered = scratch().path() / "records.xls";
    const fs::path unbuffered = scratch().path() / "unbuffered.xls";
    for (const auto& [target, sink] : {std::pair{buffered, XlsWriter::Sink::Buffered},
                                       std::pair{unbuffered, XlsWriter::Sink::Unbuffered}}) {
        XlsWriter writer(sink);
        FUZZ_CHECK(writer.open(textFromPath(target)));
        for (const RecordCall& call : calls)
            FUZZ_CHECK(writeCall(writer, call));
        FUZZ_CHECK(writer.close());
        FUZZ_CHECK(writer.error() == XlsWriteError::None && writer.errorText().empty());
    }
    const std::string file = readBytes(buffered);
    FUZZ_CHECK(readBytes(unbuffered) == file);
    checkOnlyFiles(2);
    removeFile(buffered);
    removeFile(unbuffered);

    const std::vector<XlsRecord> records = walkWorkbook(file);
    FUZZ_CHECK(records.size() == calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i)
        checkRecord(records[i], calls[i]);
}

// --- Whole sheets -------------------------------------------------------------------------------------

// Rows of cells, row 0 the header; rows may be shorter or longer than the sheet.
using Sheet = std::vector<std::vector<std::u16string>>;

Sheet sheetFrom(FuzzInput& input) {
    Sheet sheet(1 + input.below(kMaxSheetRows + 1));
    for (auto& row : sheet) {
        row.resize(input.below(41));
        for (auto& cell : row)
            cell = input.text(kMaxCellUnits);
    }
    return sheet;
}

std::u16string_view sheetCell(const Sheet& sheet, int row, int column) {
    const auto& cells = sheet[static_cast<std::size_t>(row + 1)];
    return static_cast<std::size_t>(column) < cells.size() ? std::u16string_view(cells[column])
                                                           : std::u16string_view();
}

// The name a workbook goes under: the given one, with ".xls" added unless its file part already has that
// extension, so that the final name given again stays as it is.
void checkFinalName(std::u16string_view given) {
    const std::u16string name = finalXlsFileName(given);
    FUZZ_CHECK(name.starts_with(given) && name.ends_with(u".xls"));
    FUZZ_CHECK(name.size() == given.size() || name.substr(given.size()) == u".xls");
    FUZZ_CHECK(finalXlsFileName(name) == name);
}

void checkSheetExport(FuzzInput& input) {
    const auto sink = input.flag() ? XlsWriter::Sink::Unbuffered : XlsWriter::Sink::Buffered;
    const std::u16string given = textFromPath(scratch().path() / (input.flag() ? "sheet.xls" : "sheet"));
    // A list longer than the sheet can number is refused before anything is written.
    const bool tooMany = input.below(16) == 0;
    const int claimedRows = kMaxExportedRows + 1 + static_cast<int>(input.byte());
    const Sheet sheet = sheetFrom(input);
    const int rows = static_cast<int>(sheet.size()) - 1;
    for (const std::u16string& header : sheet.front())
        checkFinalName(header);

    int cellCalls = 0;
    const SheetSource source{[&] { return tooMany ? claimedRows : rows; },
                             [&](int row, int column) {
                                 FUZZ_CHECK(row >= -1 && row < rows);
                                 FUZZ_CHECK(column >= 0 && column < kExportedColumns);
                                 ++cellCalls;
                                 return std::u16string(sheetCell(sheet, row, column));
                             }};
    const ListExportResult result = exportSheetToXls(given, source, sink);
    FUZZ_CHECK(result.fileName.ends_with(u".xls"));
    const fs::path written = pathFromText(result.fileName);
    if (tooMany) {
        FUZZ_CHECK(!result.written && result.error == ListExportError::TooManyRows);
        FUZZ_CHECK(!result.errorText.empty() && cellCalls == 0);
        checkOnlyFiles(0);
        return;
    }
    FUZZ_CHECK(result.written && result.error == ListExportError::None && result.errorText.empty());
    const std::string file = readBytes(written);
    checkOnlyFiles(1);
    removeFile(written);

    const std::vector<XlsRecord> records = walkWorkbook(file);
    const std::size_t settingsRecords = 2 + 4; // CODEPAGE, PRINTGRIDLINES, the fonts
    FUZZ_CHECK(records.size() == settingsRecords + static_cast<std::size_t>(rows + 1) * kExportedColumns);
    FUZZ_CHECK(records[0].id == xlsrecords::kCodePageId && xlsrecords::le16(records[0].body, 0) == 1251);
    FUZZ_CHECK(records[1].id == xlsrecords::kPrintGridlinesId);
    for (std::size_t i = 2; i < settingsRecords; ++i)
        FUZZ_CHECK(records[i].id == xlsrecords::kFontId);
    std::size_t at = settingsRecords;
    for (int row = -1; row < rows; ++row) {
        for (int column = 0; column < kExportedColumns; ++column, ++at) {
            FUZZ_CHECK(records[at].id == xlsrecords::kLabelId);
            const XlsLabel label = xlsrecords::decodeLabel(records[at]);
            FUZZ_CHECK(label.row == static_cast<unsigned>(row + 1) &&
                       label.column == static_cast<unsigned>(column));
            checkCountedText(records[at].body, 7, sheetCell(sheet, row, column));
        }
    }
}

} // namespace

void fuzzXls(const std::uint8_t* data, std::size_t size) {
    // The reading back assumes code page 1251, which every system but a Windows set to another has.
    if (!xlsrecords::systemCodePageIs1251()) return;
    FuzzInput input(asBytes(data, size));
    if (input.flag())
        checkSheetExport(input);
    else
        checkRecordLayer(input);
}

} // namespace tapeloft::fuzz
