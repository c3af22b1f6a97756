#include "app/ListExport.h"

#include "app/ListModel.h"
#include "app/Platform.h"
#include "base/Language.h"

namespace tapeloft {

SheetSource sheetSourceOf(const ListModel& list) {
    return SheetSource{[&list] { return list.rowCount(); },
                       [&list](int row, int column) { return std::u16string(list.cell(row, column)); }};
}

ListExportResult exportListToXls(std::u16string_view fileName, const ListModel& list,
                                 const Language& language, Platform& platform) {
    const ListExportResult result = exportSheetToXls(fileName, sheetSourceOf(list));
    if (!result.written) {
        const MessageId message =
            result.error == ListExportError::TooManyRows ? MsgTooManyRows : MsgNotWritten;
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

} // namespace tapeloft
