#pragma once

#include <string>
#include <string_view>

// Which format an export writes, decided by the file's name.
namespace tapeloft {

enum class ExportFormat { Xls, Xlsx, Csv };

struct ExportTarget final {
    std::u16string fileName;
    ExportFormat format = ExportFormat::Xls;
};

// ".xls", ".xlsx" or ".csv".
std::u16string_view extensionOf(ExportFormat format);

// Where and how an export given this name is written; picked is the file type chosen in the save dialog.
// A name ending in ".xlsx" or ".csv" (any letter case) writes that format under the name as given. A
// picked .xlsx or .csv type adds its extension to a name that ends in none of the three extensions. Every
// other name is a workbook of the old format, named by finalXlsFileName. Never fails.
ExportTarget exportTargetOf(std::u16string_view given, ExportFormat picked = ExportFormat::Xls);

} // namespace tapeloft
