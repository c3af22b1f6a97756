#pragma once

#include "export/ExportResult.h"
#include "export/Sheet.h"

#include <filesystem>
#include <string_view>

// Workbooks of the current spreadsheet format, with typed cells, written through libxlsxwriter.
namespace tapeloft {

// A sheet holds 1,048,576 rows; the first is the header.
inline constexpr int kMaxXlsxDataRows = 1048575;
// Characters a cell can hold; longer texts are cut.
inline constexpr std::size_t kMaxXlsxCellText = 32767;

// Writes the sheet to fileName: a bold, frozen header row with an autofilter over the data, the columns'
// widths, and every row's cells by their kind (numbers, percentages as fractions in a percent format,
// moments as date-times in the format dd.mm.yyyy hh:mm:ss, texts as shown; an empty text leaves the cell
// empty). On failure (too many rows, or the file could not be written) written is false, errorText says
// why and an existing file is unchanged.
ListExportResult exportSheetToXlsx(std::u16string_view fileName, const Sheet& sheet);

// Whether the file is a zip package whose every part is whole: each member inflates to its recorded size
// and checksum, and each XML part ends with the closing tag of its root element. The library writes
// parts through temporary files whose write errors it does not see; this is how we see them.
bool xlsxPackageIsWhole(const std::filesystem::path& file);

} // namespace tapeloft
