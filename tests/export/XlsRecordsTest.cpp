// The record reader that the export tests and the xls fuzz target check workbooks with: it must tell a
// complete file from one whose last record runs past the end, or it would let broken files through.
#include "xlsrecords/XlsRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tapeloft::xlsrecords;

namespace {

using namespace std::string_literals;

TEST(XlsRecords, SplitsCompleteFilesAndFlagsTruncatedOnes) {
    const std::string eof = "\x0A\x00\x00\x00"s;
    const std::string label = "\x04\x00\x09\x00"s + "\x01\x00\x02\x00\x00\x00\x01\x01Z"s;
    const struct {
        const char* what;
        std::string bytes;
        bool complete;
        std::vector<unsigned> ids;
    } cases[] = {
        {"empty", "", true, {}},
        {"one empty record", eof, true, {kEofId}},
        {"label then EOF", label + eof, true, {kLabelId, kEofId}},
        {"header cut short", label + "\x0A\x00\x00"s, false, {kLabelId}},
        {"body runs past the end", "\x04\x00\x09\x00\x01"s, false, {}},
        {"length of 0xFFFF", "\x04\x00\xFF\xFF"s + std::string(100, 'x'), false, {}},
        {"a lone byte", "\x09"s, false, {}},
    };
    for (const auto& c : cases) {
        bool complete = !c.complete;
        const auto records = parseRecords(c.bytes, &complete);
        EXPECT_EQ(complete, c.complete) << c.what;
        std::vector<unsigned> ids;
        for (const auto& record : records)
            ids.push_back(record.id);
        EXPECT_EQ(ids, c.ids) << c.what;
    }
}

TEST(XlsRecords, DecodesALabelAndChecksItsCount) {
    const struct {
        const char* what;
        std::string body;
        unsigned row, column;
        std::string text;
        bool countMatches;
    } cases[] = {
        {"plain",
         "\x01\x00\x02\x01\x00\x00\x01\x02"
         "ab"s,
         1, 0x102, "ab", true},
        {"count too high",
         "\xFF\xFF\x00\x00\x00\x00\x01\x05"
         "ab"s,
         0xFFFF, 0, "ab", false},
        {"empty text", "\x00\x00\x00\x00\x00\x00\x01\x00"s, 0, 0, "", true},
        {"body too short", "\x01\x00\x02"s, 0, 0, "", false},
    };
    for (const auto& c : cases) {
        const XlsLabel label = decodeLabel({kLabelId, c.body});
        EXPECT_EQ(label.row, c.row) << c.what;
        EXPECT_EQ(label.column, c.column) << c.what;
        EXPECT_EQ(label.text, c.text) << c.what;
        EXPECT_EQ(label.countMatches, c.countMatches) << c.what;
    }
}

} // namespace
