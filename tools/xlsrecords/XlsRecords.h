#pragma once

#include "export/XlsWriter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading workbook bytes back into records: the export tests and the xls fuzz target check what the
// writer wrote with it.
namespace tapeloft::xlsrecords {

struct XlsRecord {
    unsigned id = 0;
    std::string body;
};

inline unsigned le16(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// Splits bytes into records; ok is false when the last record runs past the end.
inline std::vector<XlsRecord> parseRecords(std::string_view bytes, bool* ok = nullptr) {
    std::vector<XlsRecord> records;
    std::size_t at = 0;
    bool complete = true;
    while (at < bytes.size()) {
        if (at + 4 > bytes.size()) {
            complete = false;
            break;
        }
        const unsigned length = le16(bytes, at + 2);
        if (at + 4 + length > bytes.size()) {
            complete = false;
            break;
        }
        records.push_back({le16(bytes, at), std::string(bytes.substr(at + 4, length))});
        at += 4 + length;
    }
    if (ok) *ok = complete;
    return records;
}

struct XlsLabel {
    unsigned row = 0;
    unsigned column = 0;
    unsigned attributes[3] = {0, 0, 0};
    std::string text;          // raw code-page bytes
    bool countMatches = false; // the count byte equals the bytes that follow
};

inline XlsLabel decodeLabel(const XlsRecord& record) {
    XlsLabel label;
    const std::string& b = record.body;
    if (b.size() < 8) return label;
    label.row = le16(b, 0);
    label.column = le16(b, 2);
    for (int i = 0; i < 3; ++i)
        label.attributes[i] = static_cast<unsigned char>(b[4 + i]);
    label.text = b.substr(8);
    label.countMatches = static_cast<unsigned char>(b[7]) == label.text.size();
    return label;
}

// Expected texts are written for code page 1251; a Windows system with another ANSI code page writes
// different bytes.
inline bool systemCodePageIs1251() {
    return tapeloft::xlsText(u"\u0416") == "\xC6";
}

inline constexpr unsigned kBofId = 0x0009;
inline constexpr unsigned kFormatCountId = 0x001F;
inline constexpr unsigned kFormatId = 0x001E;
inline constexpr unsigned kCodePageId = 0x0042;
inline constexpr unsigned kPrintGridlinesId = 0x002B;
inline constexpr unsigned kFontId = 0x0031;
inline constexpr unsigned kLabelId = 0x0004;
inline constexpr unsigned kEofId = 0x000A;
// BOF, FORMATCOUNT and the 24 FORMAT records.
inline constexpr std::size_t kPrologueRecords = 26;
inline constexpr std::size_t kPrologueBytes = 392;

} // namespace tapeloft::xlsrecords
