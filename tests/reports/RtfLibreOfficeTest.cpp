// A report made by the engine, read by a real word processor: a source compiled, filled with
// values that need escaping and with pictures, checked for its structure, converted to PDF by
// LibreOffice and its text compared.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <string>

#include "reports/U_rtfreport.h"
#include "reports/U_rtfreport_widgets.h"
#include "tests/reports/RtfChecks.h"

namespace {

TEST(ReportInLibreOffice, ShowsEveryValueAndPicture) {
    if (!ReportReadersHere()) GTEST_SKIP() << "no LibreOffice, poppler's tools or fonts";

    RtfFolder folder;
    // Word's way: a label broken by a bold toggle, a table row per group ending "\row }".
    const std::string source = folder.Write(
        "source.rtf",
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\n"
        "\\pard\\plain\\f0\\fs24 Name: {\\b RptStr.B}{\\b .000.E.PaySName}\n"
        "Note: RptStr.B.000.S.PaySDscr\\par\n"
        "RptImg.B.001.S.01200000\\par\n"
        "RptImg.B.002.S.00000000\\par\n"
        "RptTxt.B.000.S.StartTbl\n"
        "{\\trowd\\cellx2000\\cellx6000\\pard\\intbl No\\cell Description\\cell \\row }\n"
        "{\\trowd\\cellx2000\\cellx6000\\pard\\intbl RptStr.B.000.S.All_NRow\\cell "
        "RptStr.B.000.S.PayD_Add\\cell \\row }\n"
        "\\pard\\par End of report\\par\n}\n");
    ASSERT_EQ(CompileTemplateWord(source, folder.Path("T.tlt"), "Pay", "", "source.rtf",
                                  "RowsInFile=0;ObjectType=60;"),
              kCompileDone);
    QImage picture(240, 120, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(ToQString(folder.Path("photo.JPEG")), "JPG"));
    ASSERT_TRUE(picture.save(ToQString(folder.Path("chart.bmp")), "BMP"));
    ASSERT_TRUE(BitmapToPng(folder.Path("chart.bmp"), folder.Path("chart.png")));

    const auto [closed, stripped] = FillTemplate(
        folder.Path("T.tlt"), folder.Path("report.rtf"), 3,
        [&](FILE* report, const TRTFReportRow& label, int row) {
            const TLabelPictureSize size = LabelPictureSize(label.Ident);
            if (label.Kind == 3 && label.Number == 1)
                WriteJpegBlip(folder.Path("photo.JPEG"), size.Width, size.Height, report);
            if (label.Kind == 3 && label.Number == 2)
                WritePngBlip(folder.Path("chart.png"), size.Width, size.Height, report);
            if (label.Kind != 1) return;
            std::string value =
                "Row " + std::to_string(row) + " }{ \xd0\xa1\xd1\x87\xd1\x91\xd1\x82";
            if (label.Ident == "PaySName") value = "\xd0\x93\xd0\xb0\xd0\xb7 {x} a\\b";
            if (label.Ident == "PaySDscr") value = "Euro \xe2\x82\xac smile \xf0\x9f\x98\x80 end";
            if (label.Ident == "All_NRow") value = std::to_string(row);
            WriteReportText(report, value, label.Number, label.Letter2);
        });
    ASSERT_EQ(closed, 0);
    ASSERT_EQ(stripped, kStripDone);
    ExpectSoundRtf(folder.Read("report.rtf"));

    const std::string pdf = ReportsInLibreOffice(folder, {"report.rtf"}, kLiberationSans)[0];
    const std::string text = PdfTool("pdftotext", pdf);
    ASSERT_FALSE(text.empty());
    for (const char* expected :
         {"Name: \xd0\x93\xd0\xb0\xd0\xb7 {x} a\\b", "Note: Euro \xe2\x82\xac smile",
          "\xf0\x9f\x98\x80 end", "Row 1 }{ \xd0\xa1\xd1\x87\xd1\x91\xd1\x82",
          "Row 3 }{ \xd0\xa1\xd1\x87\xd1\x91\xd1\x82", "End of report"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_EQ(text.find("comment"), std::string::npos);
    // Both pictures: pdfimages lists one line per image after its two title lines.
    const std::string images = PdfTool("pdfimages", pdf, {"-list"});
    EXPECT_NE(images.find("240   120"), std::string::npos) << images;
    EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 4) << images;
}

}  // namespace
