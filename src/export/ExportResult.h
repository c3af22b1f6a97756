#pragma once

#include "export/ReplacingFile.h"

#include <string>

// What an export of a list or sheet to a file reports, whatever the format.
namespace tapeloft {

enum class ListExportError {
    None,
    TooManyRows, // more list rows than the sheet can number
    Write,       // the writer failed; writeError says why
};

struct ListExportResult {
    std::u16string fileName; // the final name, with an extension added where the rule asks for it
    bool written = false;
    ListExportError error = ListExportError::None;
    ExportFileError writeError = ExportFileError::None;
    std::u16string errorText; // empty when written
};

// The result of an export whose file failed to open or to be put in place: the file says why.
inline ListExportResult writeFailed(ListExportResult result, const ReplacingFile& file) {
    result.error = ListExportError::Write;
    result.writeError = file.error();
    result.errorText = file.errorText();
    return result;
}

} // namespace tapeloft
