#include "export/XlsWriter.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <new>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tapeloft {

namespace {

constexpr std::uint16_t kBof = 0x0009;
constexpr std::uint16_t kFormatCountId = 0x001F;
constexpr std::uint16_t kFormat = 0x001E;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kPrintGridlines = 0x002B;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kLabel = 0x0004;
constexpr std::uint16_t kEof = 0x000A;
// The code page of the texts where the system offers none of one byte or two per character.
constexpr int kFallbackCodePage = 1251;

// Built-in number formats, by index. Backslashes and double quotes belong to the format texts.
constexpr std::array<std::string_view, XlsWriter::kFormatCount> kFormats = {
    R"(General)",
    R"(0)",
    R"(0.00)",
    R"(#,##0)",
    R"(#,##0.00)",
    R"(#,##0\ "$";\-#,##0\ "$")",
    R"(#,##0\ "$";[Red]\-#,##0\ "$")",
    R"(#,##0.00\ "$";\-#,##0.00\ "$")",
    R"(#,##0.00\ "$";[Red]\-#,##0.00\ "$")",
    R"(0%)",
    R"(0.00%)",
    R"(0.00E+00)",
    R"(yyyy-mm-dd)",
    R"(dd/\ mmm\ yy)",
    R"(dd/\ mmm)",
    R"(mmm\ yy)",
    R"(h:mm\ AM/PM)",
    R"(h:mm:ss\ AM/PM)",
    R"(hh:mm)",
    R"(hh:mm:ss)",
    R"(dd/mm/yy\ hh:mm)",
    R"(##0.0E+0)",
    R"(mm:ss)",
    R"(@)",
};

// The buffered sink hands its bytes to the file in pieces of about this size.
constexpr std::size_t kFlushThreshold = std::size_t{1} << 20;

void put8(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFFu));
}

void put16(std::string& out, unsigned value) {
    put8(out, value);
    put8(out, value >> 8);
}

// Header (id, body length) and the start of a body of the given length.
std::string recordHeader(std::uint16_t id, std::size_t bodyLength) {
    std::string out;
    out.reserve(4 + bodyLength);
    put16(out, id);
    put16(out, static_cast<unsigned>(bodyLength));
    return out;
}

std::string record16(std::uint16_t id, unsigned value) {
    std::string out = recordHeader(id, 2);
    put16(out, value);
    return out;
}

// A record whose body is a counted text, as FORMAT is.
std::string countedTextRecord(std::uint16_t id, std::string_view bytes) {
    std::string out = recordHeader(id, bytes.size() + 1);
    put8(out, static_cast<unsigned>(bytes.size()));
    out.append(bytes);
    return out;
}

// Signed inputs are cut to their low bits the way a C cast to an unsigned type does.
unsigned low16(int value) {
    return static_cast<unsigned>(value) & 0xFFFFu;
}
unsigned low8(int value) {
    return static_cast<unsigned>(value) & 0xFFu;
}

#ifdef _WIN32
// Character by character, so that a double-byte code page is never cut inside a character. A character the
// code page lacks is one '?', as the table elsewhere writes it: no look-alike letter, and one for an emoji's
// two units, which the system would turn into two.
std::string systemCodePageText(std::u16string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        const std::size_t units = (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                                   text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                                      ? 2
                                      : 1;
        char bytes[8];
        BOOL lacking = FALSE;
        int count = WideCharToMultiByte(
            CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(text.data() + i),
            static_cast<int>(units), bytes, static_cast<int>(sizeof bytes), nullptr, &lacking);
        if (count <= 0 || lacking) {
            bytes[0] = '?';
            count = 1;
        }
        if (out.size() + static_cast<std::size_t>(count) > XlsWriter::kMaxTextLength) break;
        out.append(bytes, static_cast<std::size_t>(count));
        i += units;
    }
    return out;
}
#endif

} // namespace

int xlsCodePage() {
#ifdef _WIN32
    const UINT page = GetACP();
    if (page != CP_UTF8) return static_cast<int>(page);
#endif
    return kFallbackCodePage;
}

std::string xlsText(std::u16string_view text) {
#ifdef _WIN32
    if (GetACP() != CP_UTF8) return systemCodePageText(text);
#endif
    // One byte per character; a character takes at most two units, so this prefix always suffices.
    std::string out = utf16ToCp1251(text.substr(0, std::min(text.size(), 2 * XlsWriter::kMaxTextLength)));
    if (out.size() > XlsWriter::kMaxTextLength) out.resize(XlsWriter::kMaxTextLength);
    return out;
}

XlsWriter::XlsWriter(Sink sink) : sink_(sink) {}

XlsWriter::~XlsWriter() {
    discard();
}

// Drops the unfinished workbook: closes and removes the temporary file.
void XlsWriter::discard() {
    out_.discard();
    pending_.clear();
    pending_.shrink_to_fit();
}

bool XlsWriter::requireOpen() {
    if (isOpen()) return true;
    out_.fail(XlsWriteError::NotOpen, u"No workbook is open");
    return false;
}

bool XlsWriter::flushPending() {
    if (pending_.empty()) return !out_.writeFailed();
    const bool ok = std::fwrite(pending_.data(), 1, pending_.size(), out_.stream()) == pending_.size();
    pending_.clear();
    if (!ok) out_.noteWriteFailure(errno);
    return ok;
}

// Hands one record to the sink. After a failed write nothing more is written: the workbook is lost
// anyway, and close will say so.
bool XlsWriter::emit(const std::string& record) {
    if (out_.writeFailed()) return false;
    if (sink_ == Sink::Unbuffered) {
        if (std::fwrite(record.data(), 1, record.size(), out_.stream()) != record.size())
            out_.noteWriteFailure(errno);
        return !out_.writeFailed();
    }
    try {
        pending_ += record;
    } catch (const std::bad_alloc&) {
        out_.noteWriteFailure(ENOMEM);
        return false;
    }
    return pending_.size() < kFlushThreshold || flushPending();
}

bool XlsWriter::open(std::u16string_view fileName) {
    if (isOpen()) {
        out_.fail(XlsWriteError::AlreadyOpen, u"A workbook is already open");
        return false;
    }
    if (!out_.open(fileName)) return false;
    if (sink_ == Sink::Unbuffered) std::setvbuf(out_.stream(), nullptr, _IONBF, 0);

    std::string bof = recordHeader(kBof, 4);
    put16(bof, 0x0002); // BIFF2
    put16(bof, 0x0010); // worksheet
    bool ok = emit(bof) && emit(record16(kFormatCountId, kDeclaredFormatCount));
    for (std::size_t i = 0; ok && i < kFormats.size(); ++i)
        ok = emit(countedTextRecord(kFormat, kFormats[i]));
    if (!ok) {
        const std::u16string text = out_.writeFailureText();
        discard();
        out_.fail(XlsWriteError::WriteFailed, text);
        return false;
    }
    return true;
}

bool XlsWriter::writeCodePage(int codePage) {
    if (!requireOpen()) return false;
    return emit(record16(kCodePage, low16(codePage)));
}

bool XlsWriter::writePrintGridlines(int flag) {
    if (!requireOpen()) return false;
    return emit(record16(kPrintGridlines, flag != 0 ? 1 : 0));
}

bool XlsWriter::writeFont(std::u16string_view name, int points, int style) {
    if (!requireOpen()) return false;
    const std::string bytes = xlsText(name);
    std::string out = recordHeader(kFont, bytes.size() + 5);
    put16(out, (static_cast<unsigned>(points) * 20u) & 0xFFFFu);
    put8(out, low8(style));
    put8(out, 0x00);
    put8(out, static_cast<unsigned>(bytes.size()));
    out += bytes;
    return emit(out);
}

bool XlsWriter::writeLabel(std::u16string_view text, int row, int column, int numberFormat, int alignment,
                           int protection, int fontBits) {
    if (!requireOpen()) return false;
    const std::string bytes = xlsText(text);
    std::string out = recordHeader(kLabel, bytes.size() + 8);
    put16(out, low16(row));
    put16(out, low16(column));
    put8(out, low8(protection));
    put8(out, low8(numberFormat | fontBits));
    put8(out, low8(alignment));
    put8(out, static_cast<unsigned>(bytes.size()));
    out += bytes;
    return emit(out);
}

bool XlsWriter::close() {
    if (!requireOpen()) return false;
    emit(recordHeader(kEof, 0));
    flushPending();
    const bool committed = out_.commit();
    pending_.clear();
    pending_.shrink_to_fit();
    return committed;
}

} // namespace tapeloft
