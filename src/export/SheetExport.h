#pragma once

#include "export/ExportResult.h"
#include "export/XlsWriter.h"

#include <functional>
#include <string>
#include <string_view>

// A sheet of text cells written as a workbook: a header row, then one sheet row per source row.
namespace tapeloft {

// The rows as the export sees them. Row -1 is the header; columns are numbered in creation order.
struct SheetSource {
    std::function<int()> rowCount;
    std::function<std::u16string(int row, int column)> cell;
};

// Sheet columns 0..32: column 32 of a replay list holds the replay's path, later columns are never exported.
inline constexpr int kExportedColumns = 33;
// The row field of a cell has 16 bits and sheet row 0 is the header.
inline constexpr int kMaxExportedRows = 65535;

// The name the workbook is written under: given, unless its file part (after the last '\' or '/') lacks
// the extension "xls" (case-sensitive), in which case ".xls" is appended. Never fails.
std::u16string finalXlsFileName(std::u16string_view given);

// Writes the whole sheet of source to finalXlsFileName(givenName): the code page of xlsCodePage(), no
// printed grid, the four fonts, the header row and every list row, 33 text cells each. On failure (too many
// rows, or the file could not be written) written is false, errorText says why and an existing file is
// unchanged.
ListExportResult exportSheetToXls(std::u16string_view givenName, const SheetSource& source,
                                  XlsWriter::Sink sink = XlsWriter::Sink::Buffered);

} // namespace tapeloft
