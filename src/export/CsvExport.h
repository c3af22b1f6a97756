#pragma once

#include "export/ExportResult.h"
#include "export/Sheet.h"

#include <string_view>

// Comma-separated values of a sheet, for scripts and any spreadsheet.
namespace tapeloft {

// Writes the header row and every row of the sheet to fileName as RFC 4180 text: UTF-8 after a byte-order
// mark (so that spreadsheets pick the encoding), commas between fields, CR LF after every record, a field
// quoted when it holds a comma, a quote, CR or LF, and its quotes doubled. Every cell as shown. On failure
// written is false, errorText says why and an existing file is unchanged.
ListExportResult exportSheetToCsv(std::u16string_view fileName, const Sheet& sheet);

} // namespace tapeloft
