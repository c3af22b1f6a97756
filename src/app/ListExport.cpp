#include "app/ListExport.h"

#include "app/ListModel.h"
#include "app/ListSheet.h"
#include "app/Platform.h"
#include "base/Language.h"
#include "export/CsvExport.h"
#include "export/XlsxExport.h"

namespace tapeloft {

namespace {

// The closing question, or the failure instead of it.
ListExportResult tellUser(ListExportResult result, ExportFormat format, const Language& language,
                          Platform& platform) {
    if (!result.written) {
        // Message 117 speaks of .xls workbooks; the others give the limit in the error text.
        const MessageId message = result.error == ListExportError::TooManyRows && format == ExportFormat::Xls
                                      ? MsgTooManyRows
                                      : MsgNotWritten;
        std::u16string text = language.message(message) + result.fileName;
        if (!result.errorText.empty()) text += u"\n\n" + result.errorText;
        platform.messageBox(language.message(MsgErrorTitle), text);
        return result;
    }
    const std::u16string& ask = language.message(MsgOpenExported);
    if (platform.askYesNo(language.message(MsgExportQuestionTitle), ask + result.fileName + ask))
        platform.openWithAssociatedProgram(result.fileName);
    return result;
}

} // namespace

SheetSource sheetSourceOf(const ListModel& list) {
    return SheetSource{[&list] { return list.rowCount(); },
                       [&list](int row, int column) { return std::u16string(list.cell(row, column)); }};
}

ListExportResult writeListFile(const ExportTarget& target, const ListModel& list, ExportedColumns columns) {
    if (target.format == ExportFormat::Xls) return exportSheetToXls(target.fileName, sheetSourceOf(list));
    const Sheet sheet = columns == ExportedColumns::View ? sheetOfView(list) : sheetOfAllColumns(list);
    return target.format == ExportFormat::Xlsx ? exportSheetToXlsx(target.fileName, sheet)
                                               : exportSheetToCsv(target.fileName, sheet);
}

ListExportResult exportListToXls(std::u16string_view fileName, const ListModel& list,
                                 const Language& language, Platform& platform) {
    return tellUser(exportSheetToXls(fileName, sheetSourceOf(list)), ExportFormat::Xls, language, platform);
}

ListExportResult exportList(std::u16string_view fileName, ExportFormat picked, const ListModel& list,
                            const Language& language, Platform& platform) {
    const ExportTarget target = exportTargetOf(fileName, picked);
    return tellUser(writeListFile(target, list, ExportedColumns::View), target.format, language, platform);
}

} // namespace tapeloft
