#include "app/ListExport.h"

#include "app/ListModel.h"
#include "app/ReplayList.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "support/FakePlatform.h"
#include "xlsrecords/XlsRecords.h"

#include <gtest/gtest.h>

using namespace tapeloft;
using tapeloft::test::FakePlatform;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;

namespace {

struct ExportFixture {
    TempDir dir;
    Language language{
        Language::load(dir.write("t.lng", "[text]\ntxt78=ERR\ntxt84=##\ntxt116=CANNOT WRITE:\n"))};
    FakePlatform platform;
    ListModel list = makeReplayListModel(language, ReplayListKind::Favourites);

    ExportFixture() {
        std::u16string row;
        for (int c = 0; c < RecordColumnCount; ++c)
            row += (c ? u"\n" : u"") + decimal(c);
        list.appendRow(row);
        list.appendRow(u"\nsecond");
    }
};

} // namespace

TEST(ExportList, AsksWithTheFinalNameAndOpensOnlyOnYes) {
    ExportFixture f;
    f.platform.yesNoAnswers = {false, true};
    const std::u16string given = textFromPath(f.dir.path() / "report");
    const ListExportResult first = exportListToXls(given, f.list, f.language, f.platform);
    ASSERT_TRUE(first.written);
    EXPECT_EQ(first.fileName, given + u".xls");
    ASSERT_EQ(f.platform.questions.size(), 1u);
    EXPECT_EQ(f.platform.questions[0].title, u"Excel Writer");
    EXPECT_EQ(f.platform.questions[0].text, u"##" + given + u".xls##");
    EXPECT_TRUE(f.platform.opened.empty());

    exportListToXls(given, f.list, f.language, f.platform);
    EXPECT_EQ(f.platform.opened, std::vector<std::u16string>{given + u".xls"});

    // The sheet: headers of the favourites list, rows in list order, 33 columns.
    const auto records = xlsrecords::parseRecords(readBytes(f.dir.path() / "report.xls"));
    std::vector<xlsrecords::XlsLabel> labels;
    for (const auto& r : records)
        if (r.id == 0x0004) labels.push_back(xlsrecords::decodeLabel(r));
    ASSERT_EQ(labels.size(), 3u * kExportedColumns);
    EXPECT_EQ(labels[33 + 32].text, "32");
    EXPECT_EQ(labels[66 + 1].text, "second");
    EXPECT_EQ(labels[1].text, "n/a"); // header of column 1 from a language file that lacks it
}

TEST(ExportList, FailureIsShownInsteadOfTheQuestionAndKeepsTheOldFile) {
    ExportFixture f;
    const auto target = f.dir.write("old.xls", "precious");
    const std::u16string intoMissing = textFromPath(f.dir.path() / "missing" / "x.xls");
    const ListExportResult result = exportListToXls(intoMissing, f.list, f.language, f.platform);
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(f.platform.questions.empty());
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].title, u"ERR");
    EXPECT_EQ(f.platform.messages[0].text.rfind(u"CANNOT WRITE:" + intoMissing, 0), 0u);

    std::filesystem::create_directory(f.dir.path() / "dir.xls");
    EXPECT_FALSE(
        exportListToXls(textFromPath(f.dir.path() / "dir.xls"), f.list, f.language, f.platform).written);
    EXPECT_EQ(f.platform.messages.size(), 2u);
    EXPECT_EQ(readBytes(target), "precious");
}

TEST(ExportList, TheNameOrThePickedTypeChoosesTheFormatAndTheSameQuestionFollows) {
    struct Case {
        const char* given;
        ExportFormat picked;
        const char* written;
        std::string_view start; // how a file of that format begins
    };
    constexpr std::string_view zip = "PK\x03\x04";
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    constexpr std::string_view biff = std::string_view("\x09\x00\x04\x00", 4);
    const Case cases[] = {
        {"a.XLSX", ExportFormat::Xls, "a.XLSX", zip}, {"b", ExportFormat::Csv, "b.csv", bom},
        {"c", ExportFormat::Xlsx, "c.xlsx", zip},     {"d.csv", ExportFormat::Xlsx, "d.csv", bom},
        {"e", ExportFormat::Xls, "e.xls", biff},      {"f.xls", ExportFormat::Csv, "f.xls", biff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        ExportFixture f;
        f.platform.yesNoAnswers = {true};
        const ListExportResult result =
            exportList(textFromPath(f.dir.path() / c.given), c.picked, f.list, f.language, f.platform);
        const std::u16string written = textFromPath(f.dir.path() / c.written);
        ASSERT_TRUE(result.written);
        EXPECT_EQ(result.fileName, written);
        EXPECT_EQ(readBytes(f.dir.path() / c.written).substr(0, c.start.size()), c.start);
        ASSERT_EQ(f.platform.questions.size(), 1u);
        EXPECT_EQ(f.platform.questions[0].title, u"Excel Writer");
        EXPECT_EQ(f.platform.questions[0].text, u"##" + written + u"##");
        EXPECT_EQ(f.platform.opened, std::vector<std::u16string>{written});
    }
}

TEST(ExportList, TheNewFormatsHoldTheViewAndTheOldOneItsFixedColumns) {
    ExportFixture f;
    f.list.setColumnWidth(ColumnLifeTime, 0);
    const std::string csv = [&] {
        exportList(textFromPath(f.dir.path() / "v.csv"), ExportFormat::Xls, f.list, f.language, f.platform);
        return readBytes(f.dir.path() / "v.csv");
    }();
    // Row one of the fixture holds each column's number: the view skips columns 0 and 2.
    EXPECT_NE(csv.find("\r\n1,3,4,5,"), std::string::npos);
    EXPECT_NE(csv.find(",37,38,39\r\n"), std::string::npos);
    exportList(textFromPath(f.dir.path() / "v"), ExportFormat::Xls, f.list, f.language, f.platform);
    std::size_t labels = 0;
    for (const auto& r : xlsrecords::parseRecords(readBytes(f.dir.path() / "v.xls")))
        labels += r.id == 0x0004;
    EXPECT_EQ(labels, 3u * kExportedColumns);
}
