// Writes a workbook from a UTF-8 text table, so that another program can read it back.
// Usage: xls_sample <table.tsv> <workbook name>
// The first line of the table is the header; cells are separated by tabs, rows by line feeds.
#include "base/TextCodec.h"
#include "export/SheetExport.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace tapeloft;
    if (argc != 3) {
        std::cerr << "usage: xls_sample <table.tsv> <workbook name>\n";
        return 2;
    }
    // The reader's expectations are those of code page 1251.
    if (xlsCodePage() != 1251) {
        std::cerr << "the ANSI code page is not 1251\n";
        return 77;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 2;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::vector<std::vector<std::u16string>> rows;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::vector<std::u16string> cells;
        std::size_t cellStart = start;
        for (;;) {
            const std::size_t tab = bytes.find('\t', cellStart);
            const std::size_t cellEnd = (tab == std::string::npos || tab > end) ? end : tab;
            cells.push_back(utf8ToUtf16(std::string_view(bytes).substr(cellStart, cellEnd - cellStart)));
            if (cellEnd == end) break;
            cellStart = cellEnd + 1;
        }
        rows.push_back(std::move(cells));
        start = end + 1;
    }
    if (rows.empty()) rows.emplace_back();

    const SheetSource source{[&rows] { return static_cast<int>(rows.size()) - 1; },
                             [&rows](int row, int column) {
                                 const auto& cells = rows[static_cast<std::size_t>(row + 1)];
                                 return static_cast<std::size_t>(column) < cells.size()
                                            ? cells[static_cast<std::size_t>(column)]
                                            : std::u16string();
                             }};
    const ListExportResult result = exportSheetToXls(utf8ToUtf16(argv[2]), source);
    if (!result.written) {
        std::cerr << "not written: " << utf16ToUtf8(result.errorText) << "\n";
        return 1;
    }
    std::cout << utf16ToUtf8(result.fileName) << "\n";
    return 0;
}
