#include "export/SheetExport.h"

#include "base/TextCodec.h"

namespace tapeloft {

namespace {

struct SheetFont {
    std::u16string_view name;
    int points;
    int style; // bit 0 bold, bit 1 italic, bit 2 underline
};

constexpr SheetFont kFonts[] = {
    {u"Microsoft Sans Serif", 10, 0},
    {u"Arial", 10, 1},
    {u"Arial", 10, 5},
    {u"Arial", 18, 2},
};

// Every cell: format 0 ("General"), font 0, left-aligned, unlocked, no borders.
constexpr int kNumberFormat = 0;
constexpr int kAlignLeft = 1;
constexpr int kProtection = 0;
constexpr int kFontBits = 0;

ListExportResult writeFailure(ListExportResult result, const XlsWriter& writer) {
    result.error = ListExportError::Write;
    result.writeError = writer.error();
    result.errorText = writer.errorText();
    return result;
}

} // namespace

std::u16string finalXlsFileName(std::u16string_view given) {
    const std::size_t separator = given.find_last_of(u"\\/");
    const std::u16string_view filePart =
        separator == std::u16string_view::npos ? given : given.substr(separator + 1);
    const std::size_t dot = filePart.rfind(u'.');
    const std::u16string_view extension =
        dot == std::u16string_view::npos ? std::u16string_view() : filePart.substr(dot + 1);
    std::u16string name(given);
    if (extension != u"xls") name += u".xls";
    return name;
}

ListExportResult exportSheetToXls(std::u16string_view givenName, const SheetSource& source,
                                  XlsWriter::Sink sink) {
    ListExportResult result;
    result.fileName = finalXlsFileName(givenName);

    const auto tooMany = [&result](int rows) {
        result.error = ListExportError::TooManyRows;
        result.errorText = u"The list has " + decimal(rows) + u" rows; a sheet holds at most " +
                           decimal(kMaxExportedRows) + u" besides the header";
        return result;
    };
    // Refused before the file is touched: the 16-bit row field would make later rows overwrite earlier ones.
    if (const int rows = source.rowCount(); rows > kMaxExportedRows) return tooMany(rows);

    XlsWriter writer(sink);
    if (!writer.open(result.fileName)) return writeFailure(std::move(result), writer);
    bool ok = writer.writeCodePage(xlsCodePage()) && writer.writePrintGridlines(0);
    for (const SheetFont& font : kFonts)
        ok = ok && writer.writeFont(font.name, font.points, font.style);
    for (int row = -1; ok && row < source.rowCount(); ++row) {
        // Unfinished workbooks are dropped with the writer; the target stays as it was.
        if (row + 1 > kMaxExportedRows) return tooMany(source.rowCount());
        for (int column = 0; ok && column < kExportedColumns; ++column)
            ok = writer.writeLabel(source.cell(row, column), row + 1, column, kNumberFormat, kAlignLeft,
                                   kProtection, kFontBits);
    }
    // After a failed write, close drops the workbook and records why.
    const bool closed = writer.close();
    if (!ok || !closed) return writeFailure(std::move(result), writer);
    result.written = true;
    return result;
}

} // namespace tapeloft
