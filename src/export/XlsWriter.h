#pragma once

#include "export/ReplacingFile.h"

#include <cstdint>
#include <string>
#include <string_view>

// Writer of single-sheet BIFF2 workbooks whose cells are all text.
namespace tapeloft {

// Why the last failing writer operation failed.
using XlsWriteError = ExportFileError;

// Record layer of the workbook: open, then records, then close. The workbook goes to a temporary file
// beside the target; close moves it over the target only when every byte was written, so a failed
// export never damages an existing file.
class XlsWriter final {
public:
    // Buffered collects records in a large buffer (the default). Unbuffered hands every record to the
    // file in its own unbuffered write call; it exists to measure the difference.
    enum class Sink { Buffered, Unbuffered };

    // open writes 24 FORMAT records; its FORMATCOUNT record declares 23 of them as built in.
    static constexpr int kFormatCount = 24;
    static constexpr int kDeclaredFormatCount = 23;
    static constexpr std::size_t kMaxTextLength = 255;

    explicit XlsWriter(Sink sink = Sink::Buffered);
    // Discards a workbook that was opened but not closed; the target stays as it was.
    ~XlsWriter();
    XlsWriter(const XlsWriter&) = delete;
    XlsWriter& operator=(const XlsWriter&) = delete;

    // Starts a workbook for fileName and writes BOF, FORMATCOUNT and the FORMAT table.
    // false, with nothing open and the target untouched, when the target is a folder, read-only or
    // not a regular file, its folder is missing, or the temporary file cannot be created or written.
    bool open(std::u16string_view fileName);
    // One CODEPAGE record; false when nothing is open or the write failed.
    bool writeCodePage(int codePage);
    // One PRINTGRIDLINES record (1 when flag is non-zero); false when nothing is open or the write failed.
    bool writePrintGridlines(int flag);
    // One FONT record, height = points x 20 cut to 16 bits; false when nothing is open or the write failed.
    bool writeFont(std::u16string_view name, int points, int style);
    // One LABEL record; fontBits is the font index times 64. Row and column are cut to 16 bits, attribute
    // bytes to 8 bits. false when nothing is open or the write failed.
    bool writeLabel(std::u16string_view text, int row, int column, int numberFormat, int alignment,
                    int protection, int fontBits);
    // Writes EOF, finishes the file and puts it in place of the target; nothing is open afterwards.
    // false, with the target untouched and the temporary file removed, when any write of this workbook
    // failed or the target could not be replaced.
    bool close();

    bool isOpen() const { return out_.stream() != nullptr; }
    // The reason of the last failure; None after a successful close.
    XlsWriteError error() const { return out_.error(); }
    // A readable description of the last failure naming the file; empty when there was none.
    const std::u16string& errorText() const { return out_.errorText(); }

private:
    bool emit(const std::string& record);
    bool flushPending();
    bool requireOpen();
    void discard();

    Sink sink_;
    ReplacingFile out_;
    std::string pending_;
};

// The code page xlsText writes in, for the workbook's CODEPAGE record: the system's ANSI code page on
// Windows, 1251 elsewhere and where that code page is UTF-8.
int xlsCodePage();
// Text in xlsCodePage(), cut to 255 bytes so that it fits the one-byte count of a record, never inside a
// character; a character the code page lacks becomes one '?'.
std::string xlsText(std::u16string_view text);

} // namespace tapeloft
