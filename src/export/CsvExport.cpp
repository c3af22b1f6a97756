#include "export/CsvExport.h"

#include "base/TextCodec.h"
#include "export/ReplacingFile.h"

#include <cerrno>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace tapeloft {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kRecordEnd = "\r\n";
// Records are collected and handed to the file in pieces of about this size.
constexpr std::size_t kFlushThreshold = std::size_t{1} << 20;

bool needsQuotes(std::u16string_view text) {
    return text.find_first_of(u",\"\r\n") != std::u16string_view::npos;
}

void appendField(std::string& out, std::u16string_view text, bool onlyField) {
    // A record of one empty field would be an empty line, which readers skip.
    if (!needsQuotes(text) && !(onlyField && text.empty())) {
        appendUtf16AsUtf8(out, text);
        return;
    }
    out.push_back('"');
    for (std::size_t start = 0;;) {
        const std::size_t quote = text.find(u'"', start);
        appendUtf16AsUtf8(out,
                          text.substr(start, quote == std::u16string_view::npos ? quote : quote - start));
        if (quote == std::u16string_view::npos) break;
        out += "\"\"";
        start = quote + 1;
    }
    out.push_back('"');
}

class CsvOutput final {
public:
    explicit CsvOutput(ReplacingFile& file) : file_(file) {}

    std::string& buffer() { return pending_; }

    // Hands what was collected to the file once there is enough of it (always when final).
    bool flush(bool final) {
        if (file_.writeFailed()) return false;
        if (!final && pending_.size() < kFlushThreshold) return true;
        if (std::fwrite(pending_.data(), 1, pending_.size(), file_.stream()) != pending_.size())
            file_.noteWriteFailure(errno);
        pending_.clear();
        return !file_.writeFailed();
    }

private:
    ReplacingFile& file_;
    std::string pending_;
};

} // namespace

ListExportResult exportSheetToCsv(std::u16string_view fileName, const Sheet& sheet) {
    ListExportResult result;
    result.fileName = fileName;
    ReplacingFile file;
    if (!file.open(fileName)) return writeFailed(std::move(result), file);

    const std::size_t columnCount = sheet.columns.size();
    const bool oneColumn = columnCount == 1;
    CsvOutput out(file);
    bool ok = true;
    try {
        std::string& text = out.buffer();
        text += kByteOrderMark;
        for (std::size_t c = 0; c < columnCount; ++c) {
            if (c > 0) text.push_back(',');
            appendField(text, sheet.columns[c].header, oneColumn);
        }
        text += kRecordEnd;
        std::vector<SheetCell> cells(columnCount);
        for (int row = 0; ok && row < sheet.rowCount; ++row) {
            sheet.fillRow(row, cells);
            for (std::size_t c = 0; c < columnCount; ++c) {
                if (c > 0) text.push_back(',');
                appendField(text, cells[c].text, oneColumn);
            }
            text += kRecordEnd;
            ok = out.flush(false);
        }
    } catch (const std::bad_alloc&) {
        file.noteWriteFailure(ENOMEM);
    }
    out.flush(true);
    if (!file.commit()) return writeFailed(std::move(result), file);
    result.written = true;
    return result;
}

} // namespace tapeloft
