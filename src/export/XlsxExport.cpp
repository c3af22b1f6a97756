#include "export/XlsxExport.h"

#include "base/TextCodec.h"
#include "export/ReplacingFile.h"

#include <xlsxwriter.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace tapeloft {

namespace fs = std::filesystem;

namespace {

constexpr char kPercentFormat[] = "0%";
constexpr char kDateTimeFormat[] = "dd.mm.yyyy hh:mm:ss";

// The name as the library's C interface takes it: the bytes of the name on POSIX, UTF-8 on Windows.
std::string libraryName(const fs::path& path) {
#ifdef _WIN32
    return utf16ToUtf8(textFromPath(path));
#else
    return path.native();
#endif
}

// Cut to what a cell holds, never inside a surrogate pair.
std::u16string_view cellText(std::u16string_view text) {
    if (text.size() <= kMaxXlsxCellText) return text;
    std::size_t size = kMaxXlsxCellText;
    if (text[size - 1] >= 0xD800 && text[size - 1] <= 0xDBFF) --size;
    return text.substr(0, size);
}

struct Formats {
    lxw_format* header = nullptr;
    lxw_format* percent = nullptr;
    lxw_format* dateTime = nullptr;
};

class CellWriter final {
public:
    CellWriter(lxw_worksheet* sheet, const Formats& formats) : sheet_(sheet), formats_(formats) {}

    lxw_error text(lxw_row_t row, lxw_col_t column, std::u16string_view text, lxw_format* format = nullptr) {
        // An empty cell stays empty, unless it carries a format.
        if (text.empty() && format == nullptr) return LXW_NO_ERROR;
        utf8_.clear();
        appendUtf16AsUtf8(utf8_, cellText(text));
        return worksheet_write_string(sheet_, row, column, utf8_.c_str(), format);
    }

    lxw_error cell(lxw_row_t row, lxw_col_t column, const SheetCell& cell) {
        switch (cell.kind) {
        case SheetCellKind::Number:
            if (!std::isfinite(cell.number)) break;
            return worksheet_write_number(sheet_, row, column, cell.number, nullptr);
        case SheetCellKind::Percent:
            if (!std::isfinite(cell.number)) break;
            return worksheet_write_number(sheet_, row, column, cell.number, formats_.percent);
        case SheetCellKind::DateTime: {
            const SheetDateTime& d = cell.dateTime;
            lxw_datetime moment{d.year, d.month, d.day, d.hour, d.minute, static_cast<double>(d.second)};
            return worksheet_write_datetime(sheet_, row, column, &moment, formats_.dateTime);
        }
        case SheetCellKind::Text:
            break;
        }
        return text(row, column, cell.text);
    }

private:
    lxw_worksheet* sheet_;
    const Formats& formats_;
    std::string utf8_;
};

// Everything but workbook_close, which writes the package; the first error ends it.
lxw_error fillWorkbook(lxw_workbook* book, const Sheet& sheet) {
    lxw_worksheet* worksheet = workbook_add_worksheet(book, nullptr);
    Formats formats{workbook_add_format(book), workbook_add_format(book), workbook_add_format(book)};
    if (worksheet == nullptr || !formats.header || !formats.percent || !formats.dateTime)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    format_set_bold(formats.header);
    format_set_num_format(formats.percent, kPercentFormat);
    format_set_num_format(formats.dateTime, kDateTimeFormat);

    const auto columnCount = static_cast<lxw_col_t>(sheet.columns.size());
    lxw_error error = LXW_NO_ERROR;
    for (lxw_col_t c = 0; error == LXW_NO_ERROR && c < columnCount; ++c)
        error = worksheet_set_column_pixels(
            worksheet, c, c, static_cast<std::uint32_t>(std::max(sheet.columns[c].widthPixels, 0)), nullptr);
    if (error != LXW_NO_ERROR) return error;
    worksheet_freeze_panes(worksheet, 1, 0);
    if (columnCount > 0) {
        error =
            worksheet_autofilter(worksheet, 0, 0, static_cast<lxw_row_t>(sheet.rowCount), columnCount - 1);
        if (error != LXW_NO_ERROR) return error;
    }

    CellWriter writer(worksheet, formats);
    for (lxw_col_t c = 0; error == LXW_NO_ERROR && c < columnCount; ++c)
        error = writer.text(0, c, sheet.columns[c].header, formats.header);
    std::vector<SheetCell> cells(columnCount);
    for (int row = 0; error == LXW_NO_ERROR && row < sheet.rowCount; ++row) {
        sheet.fillRow(row, cells);
        const auto sheetRow = static_cast<lxw_row_t>(row + 1);
        for (lxw_col_t c = 0; error == LXW_NO_ERROR && c < columnCount; ++c)
            error = writer.cell(sheetRow, c, cells[c]);
    }
    return error;
}

// --- Reading the package back ------------------------------------------------------------------------

std::uint32_t le16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8);
}

std::uint32_t le32(const std::string& bytes, std::size_t at) {
    return le16(bytes, at) | (le16(bytes, at + 2) << 16);
}

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::size_t kEndOfDirectorySize = 22;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint32_t kStored = 0;
constexpr std::uint32_t kDeflated = 8;
constexpr std::size_t kHeadBytes = 4096;
constexpr std::size_t kTailBytes = 256;

// How an XML part whose start is `head` must end: the closing tag of its root element ("</worksheet>"), or
// "/>" when the root closes itself; empty when the start names no element.
std::string endOfRoot(std::string_view head) {
    std::size_t at = 0;
    while ((at = head.find('<', at)) != std::string_view::npos) {
        if (at + 1 < head.size() && head[at + 1] != '?' && head[at + 1] != '!') break;
        ++at;
    }
    if (at == std::string_view::npos) return {};
    const std::size_t nameEnd = head.find_first_of(" \t\r\n/>", at + 1);
    const std::size_t tagEnd = head.find('>', at + 1);
    if (nameEnd == std::string_view::npos || tagEnd == std::string_view::npos) return {};
    if (head[tagEnd - 1] == '/') return "/>";
    return "</" + std::string(head.substr(at + 1, nameEnd - at - 1)) + ">";
}

// Inflates one member, checking its size and checksum; for an XML part also that it ends as it began.
bool memberIsWhole(std::string_view data, std::uint32_t method, std::uint32_t size, std::uint32_t crc,
                   bool xml) {
    std::string head; // enough of the start to hold the root element's start tag
    std::string tail; // the last bytes
    std::uint64_t total = 0;
    std::uint32_t sum = crc32(0, nullptr, 0);
    const auto take = [&](const char* bytes, std::size_t count) {
        sum = crc32(sum, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(count));
        total += count;
        if (head.size() < kHeadBytes) head.append(bytes, std::min(count, kHeadBytes - head.size()));
        if (count >= kTailBytes) {
            tail.assign(bytes + count - kTailBytes, kTailBytes);
        } else {
            tail.append(bytes, count);
            if (tail.size() > kTailBytes) tail.erase(0, tail.size() - kTailBytes);
        }
    };
    if (method == kStored) {
        take(data.data(), data.size());
    } else if (method == kDeflated) {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        stream.avail_in = static_cast<uInt>(data.size());
        char out[1 << 16];
        int status = Z_OK;
        while (status == Z_OK) {
            stream.next_out = reinterpret_cast<Bytef*>(out);
            stream.avail_out = sizeof out;
            status = inflate(&stream, Z_NO_FLUSH);
            take(out, sizeof out - stream.avail_out);
            if (status == Z_BUF_ERROR && stream.avail_in == 0) break;
        }
        inflateEnd(&stream);
        if (status != Z_STREAM_END) return false;
    } else {
        return false;
    }
    if (total != size || sum != crc) return false;
    if (!xml) return true;
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r' || tail.back() == ' '))
        tail.pop_back();
    const std::string closing = endOfRoot(head);
    return !closing.empty() && tail.ends_with(closing);
}

} // namespace

bool xlsxPackageIsWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < kEndOfDirectorySize) return false;
    // The library writes no archive comment, so the directory's end is the last record.
    const std::size_t end = bytes.size() - kEndOfDirectorySize;
    if (le32(bytes, end) != kEndOfDirectory) return false;
    const std::uint32_t entries = le16(bytes, end + 10);
    std::size_t at = le32(bytes, end + 16);
    if (entries == 0) return false;
    for (std::uint32_t i = 0; i < entries; ++i) {
        if (at + kDirectoryEntrySize > end || le32(bytes, at) != kDirectoryEntry) return false;
        const std::uint32_t method = le16(bytes, at + 10);
        const std::uint32_t crc = le32(bytes, at + 16);
        const std::uint32_t packed = le32(bytes, at + 20);
        const std::uint32_t size = le32(bytes, at + 24);
        const std::size_t nameLength = le16(bytes, at + 28);
        const std::size_t skip = nameLength + le16(bytes, at + 30) + le16(bytes, at + 32);
        const std::size_t local = le32(bytes, at + 42);
        if (at + kDirectoryEntrySize + skip > end) return false;
        const std::string_view name(bytes.data() + at + kDirectoryEntrySize, nameLength);
        at += kDirectoryEntrySize + skip;

        if (local + kLocalHeaderSize > end || le32(bytes, local) != kLocalHeader) return false;
        const std::size_t data = local + kLocalHeaderSize + le16(bytes, local + 26) + le16(bytes, local + 28);
        if (data > end || packed > end - data) return false;
        const bool xml = name.ends_with(".xml") || name.ends_with(".rels");
        if (!memberIsWhole(std::string_view(bytes).substr(data, packed), method, size, crc, xml))
            return false;
    }
    return true;
}

ListExportResult exportSheetToXlsx(std::u16string_view fileName, const Sheet& sheet) {
    ListExportResult result;
    result.fileName = fileName;
    if (sheet.rowCount > kMaxXlsxDataRows) {
        result.error = ListExportError::TooManyRows;
        result.errorText = u"The list has " + decimal(sheet.rowCount) + u" rows; a sheet holds at most " +
                           decimal(kMaxXlsxDataRows) + u" besides the header";
        return result;
    }
    ReplacingFile file;
    if (!file.open(fileName)) return writeFailed(std::move(result), file);
    // The library writes the package under the temporary name itself, and its scratch files beside it, on
    // the disk the user chose.
    file.closeStream();
    const std::string name = libraryName(file.temporary());
    std::string scratch = libraryName(file.temporary().parent_path());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = scratch.data();
    lxw_workbook* book = workbook_new_opt(name.c_str(), &options);
    if (book == nullptr) {
        file.noteWriteFailure(ENOMEM);
    } else {
        const lxw_error filled = fillWorkbook(book, sheet);
        // Closing writes the package, and frees the workbook in any case.
        const lxw_error closed = workbook_close(book);
        const lxw_error error = filled != LXW_NO_ERROR ? filled : closed;
        if (error != LXW_NO_ERROR)
            file.noteWriteFailure(0, lxw_strerror(error));
        else if (!xlsxPackageIsWhole(file.temporary()))
            file.noteWriteFailure(0, "a part of the workbook was cut short; is the disk full?");
    }
    if (!file.commit()) return writeFailed(std::move(result), file);
    result.written = true;
    return result;
}

} // namespace tapeloft
