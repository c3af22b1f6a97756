#include "export/ExportFormat.h"

#include "base/TextCodec.h"
#include "export/SheetExport.h"

namespace tapeloft {

namespace {

bool endsWithIgnoringCase(std::u16string_view text, std::u16string_view ending) {
    return text.size() >= ending.size() && equalsIgnoreCase(text.substr(text.size() - ending.size()), ending);
}

} // namespace

std::u16string_view extensionOf(ExportFormat format) {
    switch (format) {
    case ExportFormat::Xlsx:
        return u".xlsx";
    case ExportFormat::Csv:
        return u".csv";
    case ExportFormat::Xls:
        break;
    }
    return u".xls";
}

ExportTarget exportTargetOf(std::u16string_view given, ExportFormat picked) {
    for (const ExportFormat format : {ExportFormat::Xlsx, ExportFormat::Csv})
        if (endsWithIgnoringCase(given, extensionOf(format))) return {std::u16string(given), format};
    if (picked != ExportFormat::Xls && !endsWithIgnoringCase(given, extensionOf(ExportFormat::Xls)))
        return {std::u16string(given) + std::u16string(extensionOf(picked)), picked};
    return {finalXlsFileName(given), ExportFormat::Xls};
}

} // namespace tapeloft
