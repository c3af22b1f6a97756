#pragma once

#include "export/ExportFormat.h"
#include "export/SheetExport.h"

#include <string_view>

// Export of a replay list to a file, with the question whether to open it.
namespace tapeloft {

class Language;
class ListModel;
class Platform;

// Which columns the .xlsx and .csv formats hold; .xls always holds columns 0 ... 32.
enum class ExportedColumns {
    View, // what the user sees: sheetOfView
    All,  // record columns 1 ... 39 in creation order: sheetOfAllColumns
};

// Writes the list's shown rows to target in its format; nothing is shown or asked.
ListExportResult writeListFile(const ExportTarget& target, const ListModel& list, ExportedColumns columns);

// Exports a list (its rows in shown order, columns 0..32) and asks whether to open the workbook; opens
// it on Yes. A failure is shown in a message box (title message 78) instead of the question, and the
// result says what happened.
ListExportResult exportListToXls(std::u16string_view fileName, const ListModel& list,
                                 const Language& language, Platform& platform);

// The same for the format the name asks for (exportTargetOf, with the file type picked in the save
// dialog): .xls as above, .xlsx and .csv with what the user sees of the list.
ListExportResult exportList(std::u16string_view fileName, ExportFormat picked, const ListModel& list,
                            const Language& language, Platform& platform);

// The list as a sheet source: row -1 gives the headers.
SheetSource sheetSourceOf(const ListModel& list);

} // namespace tapeloft
