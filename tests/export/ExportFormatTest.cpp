#include "export/ExportFormat.h"

#include "base/TextCodec.h"

#include <gtest/gtest.h>

using namespace tapeloft;

TEST(ExportFormat, TheNameDecidesAndThePickedTypeOnlyFillsInAMissingExtension) {
    struct Case {
        std::u16string_view given;
        ExportFormat picked;
        std::u16string_view fileName;
        ExportFormat format;
    };
    constexpr ExportFormat xls = ExportFormat::Xls;
    constexpr ExportFormat xlsx = ExportFormat::Xlsx;
    constexpr ExportFormat csv = ExportFormat::Csv;
    const Case cases[] = {
        // The name's own extension wins over any picked type, in any letter case.
        {u"report.xlsx", xls, u"report.xlsx", xlsx},
        {u"report.XLSX", csv, u"report.XLSX", xlsx},
        {u"report.csv", xlsx, u"report.csv", csv},
        {u"report.Csv", xls, u"report.Csv", csv},
        {u"/data/old.files/report.xlsx", xls, u"/data/old.files/report.xlsx", xlsx},
        // The old rule, unchanged, for every other name with the .xls type.
        {u"report", xls, u"report.xls", xls},
        {u"report.xls", xls, u"report.xls", xls},
        {u"report.XLS", xls, u"report.XLS.xls", xls},
        {u"a.b", xls, u"a.b.xls", xls},
        {u"old.files\\report", xls, u"old.files\\report.xls", xls},
        {u"report.xlsx.bak", xls, u"report.xlsx.bak.xls", xls},
        {u"report.csvx", xls, u"report.csvx.xls", xls},
        // A picked new type adds its extension to a name that has none of the three.
        {u"report", xlsx, u"report.xlsx", xlsx},
        {u"report", csv, u"report.csv", csv},
        {u"a.b", csv, u"a.b.csv", csv},
        {u"old.files/report", xlsx, u"old.files/report.xlsx", xlsx},
        {u"report.txt", csv, u"report.txt.csv", csv},
        // ... but not to one ending in ".xls": that name keeps the old rule.
        {u"report.xls", xlsx, u"report.xls", xls},
        {u"report.XLS", csv, u"report.XLS.xls", xls},
    };
    for (const Case& c : cases) {
        const ExportTarget target = exportTargetOf(c.given, c.picked);
        const std::string shown = utf16ToUtf8(c.given);
        EXPECT_EQ(target.fileName, c.fileName) << shown;
        EXPECT_EQ(target.format, c.format) << shown;
    }
}

TEST(ExportFormat, ExtensionsNameTheirFormats) {
    for (const ExportFormat format : {ExportFormat::Xls, ExportFormat::Xlsx, ExportFormat::Csv}) {
        // A name of the format's extension alone stays as it is and writes that format.
        const ExportTarget target = exportTargetOf(u"list" + std::u16string(extensionOf(format)));
        EXPECT_EQ(target.format, format);
        EXPECT_EQ(target.fileName, u"list" + std::u16string(extensionOf(format)));
    }
}
