// The .xlsx and .csv writers on Windows: a file named outside the ANSI code page, in a folder named outside
// it, is written under its exact name and leaves nothing beside it. libxlsxwriter takes names in UTF-8 only
// when built to open them through the wide-character API; opened in the code page, such a name fails.
#include "base/TextCodec.h"
#include "export/CsvExport.h"
#include "export/XlsxExport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tapeloft;
using namespace tapeloft::test;
namespace fs = std::filesystem;

namespace {

using SheetWriter = ListExportResult (*)(std::u16string_view, const Sheet&);
struct WriterCase {
    const char* name;
    SheetWriter write;
    const wchar_t* extension;
};
const WriterCase kWriters[] = {{"csv", exportSheetToCsv, L".csv"}, {"xlsx", exportSheetToXlsx, L".xlsx"}};

// In the code page, half in it, wholly outside it.
const wchar_t* const kFolders[] = {L"Выгрузка", L"Выгрузка 🎯", L"Ωμέγα 日本"};

constexpr std::u16string_view kCellText = u"Утёс «Щит» 🚀";

Sheet oneRowSheet() {
    Sheet sheet{{{u"Карта", 120}, {u"Бои", 60}}, 1, nullptr};
    sheet.fillRow = [](int, std::span<SheetCell> cells) {
        cells[0].text = kCellText;
        cells[1].kind = SheetCellKind::Number;
        cells[1].text = u"7";
        cells[1].number = 7;
    };
    return sheet;
}

// Names in the folder as the system lists them through the wide-character API.
std::vector<std::wstring> namesIn(const fs::path& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((folder / L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

} // namespace

TEST(WindowsExportNames, NamesOutsideTheCodePageAreWrittenExactlyAndLeaveNothingBeside) {
    ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8)) << "this run's system has UTF-8 for its code page";
    for (const WriterCase& w : kWriters)
        for (const wchar_t* folderName : kFolders) {
            const std::wstring fileName = std::wstring(L"бои 💥") + w.extension;
            SCOPED_TRACE(std::string(w.name) + " in " + utf16ToUtf8(textFromPath(fs::path(folderName))));
            TempDir dir;
            const fs::path folder = dir.path() / folderName;
            fs::create_directory(folder);
            const fs::path file = folder / fileName;

            const ListExportResult result = w.write(textFromPath(file), oneRowSheet());
            ASSERT_TRUE(result.written) << utf16ToUtf8(result.errorText);
            EXPECT_EQ(namesIn(folder), std::vector<std::wstring>{fileName});
            EXPECT_EQ(namesIn(dir.path()), std::vector<std::wstring>{folderName});
            if (w.write == exportSheetToXlsx) {
                EXPECT_TRUE(xlsxPackageIsWhole(file));
            } else {
                EXPECT_NE(readBytes(file).find(utf16ToUtf8(kCellText)), std::string::npos);
            }
        }
}
