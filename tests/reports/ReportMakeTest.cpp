// The report window's template handling and the table and number reports: params, the listed
// templates, deletion by name, the source's save name, and filled reports checked label by
// label and for their structure.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reports/U_freport_templates.h"
#include "reports/U_reportmake.h"
#include "tests/reports/RtfChecks.h"

namespace {

TEST(TemplateParams, KeysAndObjectTypes) {
    struct Case {
        const char* params;
        const char* key;
        const char* value;
        int type;
    };
    const Case cases[] = {
        {"RowsInFile=0;ObjectType=60;", "ObjectType", "60", 60},
        {"ObjectType=20", "ObjectType", "20", 20},
        {"RowsInFile=0;ObjectType=;", "ObjectType", "", -1},
        {"RowsInFile=0;", "ObjectType", "", -1},
        {"ObjectType=6a;", "ObjectType", "6a", -1},
        {"ObjectType=-5;", "ObjectType", "-5", -1},
        {"ObjectType=99999999999;", "ObjectType", "99999999999", -1},
        {"ObjectType=50;ObjectType=60;", "ObjectType", "50", 50},
        {"RowsInFile=3;ObjectType=30;", "RowsInFile", "3", 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.params);
        EXPECT_EQ(GetTemplateParam(c.params, c.key), c.value);
        EXPECT_EQ(GetTemplateObjectType(c.params), c.type);
    }
}

TEST(TemplateFiles, ListsOnlyTheTypesTemplatesSortedByName) {
    RtfFolder folder;
    const auto header = [](const char* banner, const char* name, int type) {
        return std::string(banner) + "\n" + name +
               "\nd\nsrc.rtf\nRowsInFile=0;ObjectType=" + std::to_string(type) + ";\nx\n{\\rtf1 }";
    };
    folder.Write("b.tlt", header("RTF_Report v1.0 Template", "Second", 20));
    folder.Write("a.tlt", header("RTF_Report v1.0 Template", "First", 20));
    folder.Write("c.tlt", header("RTF_Report v1.0 Template", "Pay", 60));
    folder.Write("d.tlt", header("Not a template", "Other", 20));
    folder.Write("e.txt", header("RTF_Report v1.0 Template", "Text", 20));
    const std::vector<TTemplateEntry> list = ListTemplates(folder.Path(""), 20);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].FileName, "a.tlt");
    EXPECT_EQ(list[0].Info.Name, "First");
    EXPECT_EQ(list[1].Info.Name, "Second");
    EXPECT_EQ(list[1].Info.SourceFile, "src.rtf");
    EXPECT_TRUE(ListTemplates(folder.Path("missing/"), 20).empty());
}

TEST(TemplateFiles, DeletesTheTemplateWithItsRowFilesOnly) {
    RtfFolder folder;
    for (const char* name :
         {"Report60_2.tlt", "Report60_2.tlt.001", "Report60_2.tlt.002", "Report60_2.tlt.tmp",
          "Report60_20.tlt", "Report60_20.tlt.001", "Report60_2.tltx"})
        folder.Write(name, "x");
    EXPECT_EQ(DeleteTemplateFiles(folder.Path(""), "Report60_2.tlt"), 4);
    for (const char* gone : {"Report60_2.tlt", "Report60_2.tlt.001", "Report60_2.tlt.tmp"})
        EXPECT_FALSE(folder.Exists(gone)) << gone;
    for (const char* kept : {"Report60_20.tlt", "Report60_20.tlt.001", "Report60_2.tltx"})
        EXPECT_TRUE(folder.Exists(kept)) << kept;
    EXPECT_EQ(DeleteTemplateFiles(folder.Path(""), ""), 0);
    EXPECT_TRUE(folder.Exists("Report60_20.tlt"));
}

TEST(TemplateFiles, SourceKeptWhileAnotherTemplateUsesIt) {
    std::vector<TTemplateEntry> list(3);
    list[0].Info.SourceFile = "a.rtf";
    list[1].Info.SourceFile = "b.rtf";
    list[2].Info.SourceFile = "a.rtf";
    EXPECT_TRUE(SourceStillUsed(list, 0, "a.rtf"));
    EXPECT_FALSE(SourceStillUsed(list, 1, "b.rtf"));
}

TEST(TemplateFiles, SourceSavedAsRtf) {
    const std::pair<const char*, const char*> cases[] = {
        {"/d/copy.RTF", "/d/copy.rtf"},
        {"/d/copy.rtf", "/d/copy.rtf"},
        {"/d/notes", "/d/notes.rtf"},
        {"/d/a.b.doc", "/d/a.b.rtf"},
    };
    for (const auto& [typed, saved] : cases) EXPECT_EQ(SourceSaveName(typed), saved) << typed;
}

// A template with the values of its type in the main text and a row marker with row file 001.
struct FilledReport {
    RtfFolder folder;
    std::string report;
    int result = -1;

    FilledReport(const std::string& mainLabels, const std::string& rowLabels, TReportData& data,
                 int type) {
        std::string text = TemplateText("{\\rtf1 A" + mainLabels + "B" + Marker("001") + "C}");
        text.replace(text.find("ObjectType=60"), 13, "ObjectType=" + std::to_string(type));
        const std::string tlt = folder.Write("r.tlt", text);
        folder.Write("r.tlt.001", "{\\trowd " + rowLabels + "\\row }");
        TReportCommon common{"01.02.2024", "10:11:12", "Home", "Our budget", "12.50"};
        result = MakeReport(tlt, folder.Path("out.rtf"), common, data, nullptr);
        report = folder.Read("out.rtf");
    }
};

TEST(TableReport, FillsEveryIdentifierAndOneRowPerUsedRow) {
    TTableReportData data;
    data.Name = "Books";
    data.Descript = "On {shelf} \\ 2";
    data.Rows = {{"Anna", "Каренина"}, {"", ""}, {"Faust", "1808 😀"}};
    const FilledReport r(Group("RptStr.B.000.S.TblSName") + Group("RptStr.B.000.E.TblSDscr") +
                             Group("RptStr.B.000.S.AllBName") + Group("RptStr.B.004.S.AllBDscr") +
                             Group("RptStr.B.000.S.AllBBlns") + Group("RptStr.B.000.S.All_Date") +
                             Group("RptStr.B.000.S.All_NRow") + Group("RptStr.B.000.S.TblDC001") +
                             Group("RptImg.B.001.S.01000000"),
                         Group("RptStr.B.000.S.All_NRow") + "|" + Group("RptStr.B.000.S.TblDC001") +
                             "|" + Group("RptStr.B.000.S.TblDC002") + "|" +
                             Group("RptStr.B.000.S.TblSName") + ";",
                         data, 20);
    ASSERT_EQ(r.result, kReportMade);
    ExpectSoundRtf(r.report);
    for (const char* part :
         {"Books", "On \\{shelf\\} \\\\ 2\n\\par\n", "Home", "Our \n", "12.50", "01.02.2024",
          "\n1\n|\nAnna\n|\n\\u1050?\\u1072?\\u1088?", "\n2\n|\n\n|\n\n|\nBooks\n;",
          "\n3\n|\nFaust\n|\n1808 \\u-10179?\\u-8704?\n|\nBooks\n;"})
        EXPECT_NE(r.report.find(part), std::string::npos) << part;
    // "All_NRow" and the rows' identifiers write nothing in the main template, nor a picture in a
    // table report.
    EXPECT_EQ(r.report.find("Anna"), r.report.rfind("Anna"));
    EXPECT_EQ(r.report.find("\\pict"), std::string::npos);
}

TEST(TableReport, AnUnreadableTemplateOrReportIsReported) {
    RtfFolder folder;
    TTableReportData data;
    EXPECT_EQ(MakeReport(folder.Path("none.tlt"), folder.Path("out.rtf"), {}, data, nullptr),
              kReportTemplateUnread);
    EXPECT_FALSE(folder.Exists("out.rtf"));
    const std::string tlt = folder.Write("t.tlt", TemplateText("{\\rtf1 x}"));
    EXPECT_EQ(MakeReport(tlt, folder.Path("no/such/out.rtf"), {}, data, nullptr),
              kReportNotWritten);
}

TEST(NumberReport, IdentifiersGiveTheFramesValues) {
    TNumberReportData data;
    data.Name = "Rent";
    data.Descript = "Monthly";
    data.InForce = {"01.01.2024", "500", "now"};
    data.Selected = {"01.06.2023", "450", "old"};
    data.Rows = {{"01.06.2023", "450", "old"}, {"01.01.2024", "500", "now"}};
    const std::pair<const char*, const char*> mainCases[] = {
        {"NumSName", "Rent"}, {"NumSDscr", "Monthly"}, {"NumSTDat", "01.01.2024"},
        {"NumSTVal", "500"},  {"NumSTDsc", "now"},     {"NumS_Dat", "01.06.2023"},
        {"NumS_Val", "450"},  {"NumS_Dsc", "old"},     {"NumD_Val", ""},
        {"TblSName", ""},     {"StartTbl", ""},
    };
    for (const auto& [ident, value] : mainCases) EXPECT_EQ(data.ObjectValue(ident), value) << ident;
    const std::pair<const char*, const char*> rowCases[] = {
        {"NumD_Dat", "01.01.2024"}, {"NumD_Val", "500"}, {"NumD_Dsc", "now"}, {"NumSName", ""}};
    for (const auto& [ident, value] : rowCases) EXPECT_EQ(data.RowValue(ident, 2), value) << ident;

    // Two markers write the rows twice, numbered from 1 each time.
    RtfFolder folder;
    const std::string tlt =
        folder.Write("n.tlt", TemplateText("{\\rtf1 " + Group("RptStr.B.000.S.NumSTVal") +
                                           Marker("001") + Marker("001") + "}"));
    folder.Write("n.tlt.001", "[" + Group("RptStr.B.000.S.All_NRow") + ":" +
                                  Group("RptStr.B.000.S.NumD_Dat") + "]");
    ASSERT_EQ(MakeReport(tlt, folder.Path("n.rtf"), {}, data, nullptr), kReportMade);
    const std::string report = folder.Read("n.rtf");
    ExpectSoundRtf(report);
    const std::string rows = "[\n1\n:\n01.06.2023\n][\n2\n:\n01.01.2024\n]";
    EXPECT_EQ(report, "{\\rtf1 \n500\n\n" + rows + "\n\n" + rows + "\n}");
}

TEST(ImagesReport, IdentifiersAndThePicturesEachPlaceChooses) {
    TImagesReportData data;
    data.Name = "Holidays";
    data.Descript = "Summer";
    data.Album = "/b/Images/IMG30";
    data.ShownFileName = "sea.jpeg";
    data.ShownDescript = "The sea";
    data.Entries = {{"sea.jpeg", "The sea"}, {"hill.BMP", "A hill"}, {"noext", ""}};
    const std::pair<const char*, const char*> values[] = {
        {"ImgSName", "Holidays"}, {"ImgSDscr", "Summer"}, {"ImgS_Nam", "sea.jpeg"},
        {"ImgS_Dsc", "The sea"},  {"ImgD_Nam", ""},       {"TblSName", ""}};
    for (const auto& [ident, value] : values) EXPECT_EQ(data.ObjectValue(ident), value) << ident;
    EXPECT_EQ(data.RowValue("ImgD_Nam", 2), "hill.BMP");
    EXPECT_EQ(data.RowValue("ImgD_Dsc", 2), "A hill");
    EXPECT_EQ(data.RowCount(), 3);

    struct Case {
        int Number, Row;
        const char* Path;
    };
    const Case cases[] = {
        {1, 0, "/b/Images/IMG30/mini/sea.bmp"},
        {2, 0, "/b/Images/IMG30/sea.jpeg"},
        {101, 0, ""},
        {1, 2, ""},
        {101, 2, "/b/Images/IMG30/mini/hill.bmp"},
        {102, 2, "/b/Images/IMG30/hill.BMP"},
        {101, 3, "/b/Images/IMG30/mini/noext.bmp"},
        {3, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(data.PicturePath(c.Number, c.Row), c.Path) << c.Number << " in row " << c.Row;
    data.ShownFileName.clear();
    EXPECT_EQ(data.PicturePath(1, 0), "");
    EXPECT_EQ(data.PicturePath(2, 0), "");
}

// Every picture label, in the main template and in row files, is written with the size it asks
// for and the text width of the template's page.
TEST(MakeReport, GivesEachPictureItsLabelsSizeAndThePagesTextWidth) {
    struct TRecordingPictures : TTableReportData {
        void WritePicture(FILE*, int number, TLabelPictureSize size, int row) override {
            asked.push_back(std::to_string(number) + "@" + std::to_string(row) + ": " +
                            std::to_string(size.Width) + "x" + std::to_string(size.Height) +
                            " in " + std::to_string(size.TextWidth));
        }
        std::vector<std::string> asked;
    } data;
    data.Rows = {{"a", "1"}, {"b", "2"}};
    RtfFolder folder;
    const std::string tlt =
        folder.Write("r.tlt", TemplateText("{\\rtf1\\paperw12000\\margl1500\\margr1000 " +
                                           Group("RptImg.B.001.S.00000000") + Marker("001") + "}"));
    folder.Write("r.tlt.001", "{\\trowd " + Group("RptImg.B.101.S.01200080") + "\\row }");
    ASSERT_EQ(MakeReport(tlt, folder.Path("out.rtf"), {}, data, nullptr), kReportMade);
    EXPECT_EQ(data.asked, (std::vector<std::string>{"1@0: 0x0 in 9500", "101@1: 120x80 in 9500",
                                                    "101@2: 120x80 in 9500"}));
}

}  // namespace
