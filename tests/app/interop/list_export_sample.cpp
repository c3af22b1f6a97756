// Exports a replay list through the program's own export, so that other programs can read the files back.
// Usage: list_export_sample LANGUAGE TABLE OUT_BASE [VIEW...]
// TABLE holds one list row per line, 40 cells separated by tabs, with \t, \r and \\ escaped. VIEW steps,
// applied in order as the user would: filter=COLUMN:TEXT, hide=COLUMN, width=COLUMN:PIXELS,
// move=COLUMN:POSITION (display position), sort=COLUMN:asc|desc.
// Writes OUT_BASE.xlsx and OUT_BASE.csv and prints the list's 40 headers, one per line, in creation order.
#include "app/ListExport.h"
#include "app/ListModel.h"
#include "app/Platform.h"
#include "app/ReplayList.h"
#include "base/Language.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace tapeloft;

std::u16string unescaped(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            out.push_back('\n'); // the list's own cell separator
        } else if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            out.push_back(next == 't' ? '\t' : next == 'r' ? '\r' : next);
        } else {
            out.push_back(line[i]);
        }
    }
    return utf8ToUtf16(out);
}

bool applyStep(ListModel& list, const std::string& step) {
    const std::size_t equals = step.find('=');
    if (equals == std::string::npos) return false;
    const std::string what = step.substr(0, equals);
    const std::string value = step.substr(equals + 1);
    const std::size_t colon = value.find(':');
    const int column = std::stoi(value.substr(0, colon));
    const std::string rest = colon == std::string::npos ? std::string() : value.substr(colon + 1);
    if (what == "filter") return list.setFilterText(column, utf8ToUtf16(rest));
    if (what == "hide") return list.setColumnWidth(column, 0);
    if (what == "width") return list.setColumnWidth(column, std::stoi(rest));
    if (what == "sort")
        return list.sortList(column, rest == "desc" ? SortDirection::Descending : SortDirection::Ascending);
    if (what == "move") {
        std::vector<int> order = list.columnOrder();
        order.erase(std::find(order.begin(), order.end(), column));
        order.insert(order.begin() + std::stoi(rest), column);
        return list.setColumnOrder(order);
    }
    return false;
}

} // namespace

#ifdef _WIN32
// The narrow arguments are in the ANSI code page, which lacks much of what a filter text may hold.
int wmain(int argc, wchar_t** wideArgv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(utf16ToUtf8(textFromPath(std::filesystem::path(wideArgv[i]))));
#else
int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
#endif
    if (args.size() < 4) {
        std::cerr << "usage: list_export_sample LANGUAGE TABLE OUT_BASE [VIEW...]\n";
        return 2;
    }
    const Language language = Language::load(pathFromText(utf8ToUtf16(args[1])));
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);
    std::ifstream in(pathFromText(utf8ToUtf16(args[2])), std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << args[2] << "\n";
        return 2;
    }
    for (std::string line; std::getline(in, line);)
        list.appendRow(unescaped(line));
    for (std::size_t i = 4; i < args.size(); ++i)
        if (!applyStep(list, args[i])) {
            std::cerr << "cannot apply " << args[i] << "\n";
            return 2;
        }
    WindowlessPlatform platform;
    const std::string& base = args[3];
    for (const char* extension : {".xlsx", ".csv"}) {
        const ListExportResult result =
            exportList(utf8ToUtf16(base + extension), ExportFormat::Xls, list, language, platform);
        if (!result.written) {
            std::cerr << "not written: " << utf16ToUtf8(result.errorText) << "\n";
            return 1;
        }
    }
    for (int c = 0; c < list.columnCount(); ++c)
        std::cout << utf16ToUtf8(list.headerText(c)) << "\n";
    return 0;
}
