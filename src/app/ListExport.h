#pragma once

#include "export/SheetExport.h"

#include <string_view>

// Export of a replay list as a workbook, with the question whether to open it.
namespace tapeloft {

class Language;
class ListModel;
class Platform;

// Exports a list (its rows in shown order, columns 0..32) and asks whether to open the workbook; opens
// it on Yes. A failure is shown in a message box (title message 78) instead of the question, and the
// result says what happened.
ListExportResult exportListToXls(std::u16string_view fileName, const ListModel& list,
                                 const Language& language, Platform& platform);

// The list as a sheet source: row -1 gives the headers.
SheetSource sheetSourceOf(const ListModel& list);

} // namespace tapeloft
