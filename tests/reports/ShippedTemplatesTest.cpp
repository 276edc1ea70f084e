// The templates that come with the program: each is what our compiler makes of its source in
// "Sources/", and each makes a sound report with its object's values in which LibreOffice,
// with either of the fonts the test command installs, shows every value whole on the page.
#include <gtest/gtest.h>

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "numbers/Uq519chart01.h"
#include "reports/U_freport_templates.h"
#include "reports/U_reportmake.h"
#include "reports/U_rtfreport_widgets.h"
#include "store/U_dm.h"
#include "tests/reports/RtfChecks.h"

namespace {

struct Shipped {
    const char* Folder;    // under data/Templates/
    const char* Source;    // in its Sources/
    const char* Template;  // the .tlt
    const char* Name;
    const char* Descript;
    int ObjectType;
    // The object's values; pictures, where the report has them, are made in the folder.
    std::function<std::unique_ptr<TReportData>(const RtfFolder& folder)> Data;
    std::vector<std::string> Expected;  // texts of the report as LibreOffice shows it
};

// An album whose pictures are written as the album frame writes them.
struct TAlbumWithPictures : TImagesReportData {
    explicit TAlbumWithPictures(std::string temp) : Temp(std::move(temp)) {}
    void WritePicture(FILE* report, int number, TLabelPictureSize size, int row) override {
        const std::string path = PicturePath(number, row);
        if (!path.empty()) WriteReportPicture(path, size, report, Temp);
    }
    std::string Temp;
};

// Each picture as a JPEG of its own colour and its thumbnail as a BMP in "mini/".
void MakePictures(const std::string& album, const std::vector<std::string>& names) {
    std::filesystem::create_directories(album + "/mini");
    int hue = 0;
    for (const std::string& name : names) {
        QImage picture(160, 120, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(hue += 90, 200, 200));
        ASSERT_TRUE(picture.save(ToQString(album + "/" + name), "JPG"));
        ASSERT_TRUE(
            picture.scaled(80, 60).save(ToQString(album + "/mini/" + ThumbnailName(name)), "BMP"));
    }
}

// A report whose pictures 1 and 2 are the frame's chart, written as the pay and number frames
// write it.
template <class Data>
struct TWithChart : Data {
    TWithChart(std::string temp, QImage chart) : Temp(std::move(temp)), Chart(std::move(chart)) {}
    void WritePicture(FILE* report, int number, TLabelPictureSize size, int row) override {
        if (row != 0 || (number != 1 && number != 2)) return;
        WriteReportImage(Chart, size, report, Temp);
    }
    std::string Temp;
    QImage Chart;
};

// A small chart of one colour.
QImage SmallChart(int height) {
    QImage chart(60, height, QImage::Format_RGB32);
    chart.fill(QColor(200, 220, 255));
    return chart;
}

// The chart of `days` daily events as the number frame (one series) or the pay frame (two
// series) draws it in its panel: at least a pixel a day, so a long history is wider than the
// panel and the page.
QImage DailyChart(int days, bool twoSeries) {
    QWidget frame;
    const TChartControls chart = NewChartControls(frame);
    chart.Panel->resize(600, 200);
    const TDateTime first = 43831;  // 1 January 2020
    if (twoSeries) {
        TChartItems01a items;
        for (int day = 0; day < days; ++day)
            items.push_back({first + day,
                             std::to_string(day % 40 - 10),
                             std::to_string(day - days / 2),
                             kChartBlue,
                             {},
                             {}});
        DrawChart01a(items, Qt::white, *chart.Panel, *chart.ScrollBar, *chart.Image);
    } else {
        TChartItems01 items;
        for (int day = 0; day < days; ++day)
            items.push_back({first + day, std::to_string(100 + day % 40), kChartBlue, {}});
        DrawChart01(items, Qt::white, *chart.Panel, *chart.ScrollBar, *chart.Image);
    }
    return chart.Image->Bitmap;
}

// Amounts of 10 to 12 characters, negative balances, non-ASCII names and descriptions, and
// names long enough to wrap: each value of `Expected` must stand whole on one line, as must
// the column titles.
std::vector<Shipped> ShippedTemplates() {
    const std::string karenina = "\xd0\x9a\xd0\xb0\xd1\x80\xd0\xb5\xd0\xbd\xd0\xb8\xd0\xbd\xd0\xb0";
    const std::string rent =
        "\xd0\x9a\xd0\xb2\xd0\xb0\xd1\x80\xd1\x82\xd0\xbf\xd0\xbb\xd0\xb0"
        "\xd1\x82\xd0\xb0";
    const std::string transfer =
        "\xc3\x9c"
        "berweisung";
    const std::string reading = "Z\xc3\xa4hlerstand";
    const std::string street = "Flat on \xc5\x9awi\xc4\x99toja\xc5\x84ska";
    return {
        {"ForTable",
         "TableRows.rtf",
         "TableRows.tlt",
         "Table rows",
         "Every row of the table with its name and value",
         20,
         [=](const RtfFolder&) {
             auto data = std::make_unique<TTableReportData>();
             data->Name = "Books {read}";
             data->Descript = "Shelf \\ 2";
             data->Rows = {{"Anna", karenina},
                           {"Grandmother's sewing machine and its oak table", "-12345678.90"},
                           {"Faust", "1808"}};
             return data;
         },
         {"No", "Name", "Value", "Books {read}", "Shelf \\ 2", "Anna", karenina, "Faust", "1808",
          "-12345678.90", "Home", "-9876543.21", "01.02.2024", "End of the table Books {read}"}},
        {"ForNumber",
         "NumberHistory.rtf",
         "NumberHistory.tlt",
         "Number history",
         "The number's value today and every value it had",
         50,
         [=](const RtfFolder& folder) {
             auto data =
                 std::make_unique<TWithChart<TNumberReportData>>(folder.Path(""), SmallChart(52));
             data->Name = "Electricity meter";
             data->Descript = "Monthly " + reading;
             data->InForce = {"01.01.2024", "12345678.901", "raised"};
             data->Selected = {"01.06.2023", "-1234567.89", "first"};
             data->Rows = {{"01.06.2023", "-1234567.89", "first"},
                           {"01.01.2024", "12345678.901",
                            "Read by the caretaker after the new meter was fitted, " + transfer}};
             return data;
         },
         {"No", "Date", "Value", "Description", "Electricity meter", "Monthly " + reading,
          "In force today: 01.01.2024 12345678.901 raised",
          "Selected: 01.06.2023 -1234567.89 first", "01.06.2023", "-1234567.89", "12345678.901",
          "caretaker", transfer, "End of the history of Electricity meter"}},
        {"ForPay",
         "PayHistory.rtf",
         "PayHistory.tlt",
         "Pay history",
         "The pay's balance, totals, selected event and every event shown",
         60,
         [=](const RtfFolder& folder) {
             auto data =
                 std::make_unique<TWithChart<TPayReportData>>(folder.Path(""), SmallChart(64));
             data->Name = street;
             data->Descript = "Rent and water";
             data->Balance = "-12345678.90";
             data->Period = "from 01.03.2024";
             data->TotalCharge = "123456789.01";
             data->TotalPay = "9876543210";
             data->TotalBalance = "-12345678.90";
             data->Rows = {
                 {"01.03.2024", "Counter reading", "12345678.901", "", "", "", "", reading},
                 {"02.03.2024", "Automatic charge", "", "123456789.01", "123456789.01", "",
                  "-12345678.90", rent},
                 {"05.03.2024", "Payment", "", "", "", "9876543210", "-2469135.79", transfer},
                 {"06.03.2024", "Manual charge", "", "-1234567.89", "-1234567.89", "",
                  "-3703703.68", "Gutschrift f\xc3\xbcr die Nebenkosten des Vorjahres"}};
             data->Selected = data->Rows[2];
             return data;
         },
         {"No",
          "Date",
          "Event",
          "Counter",
          "Charge",
          "To pay",
          "Payment",
          "Balance",
          "Note",
          street,
          "Rent and water",
          "Balance today: -12345678.90",
          "Period: from 01.03.2024",
          "Charged 123456789.01, paid 9876543210",
          "01.03.2024",
          "06.03.2024",
          "Counter reading",
          "Automatic charge",
          "Manual charge",
          "12345678.901",
          "123456789.01",
          "9876543210",
          "-12345678.90",
          "-2469135.79",
          "-1234567.89",
          "-3703703.68",
          reading,
          rent,
          transfer,
          "End of the history of " + street}},
        {"ForImages",
         "AlbumPictures.rtf",
         "AlbumPictures.tlt",
         "Album pictures",
         "The picture shown and every picture of the album with its thumbnail",
         30,
         [](const RtfFolder& folder) {
             auto data = std::make_unique<TAlbumWithPictures>(folder.Path(""));
             data->Name = "Holidays";
             data->Descript = "Summer {2024}";
             data->Album = folder.Path("album");
             data->ShownFileName = "IMG_20240715_183045.jpg";
             data->ShownDescript = "The sea";
             data->Entries = {{"IMG_20240715_183045.jpg",
                               "The beach of \xc5\x9awinouj\xc5\x9b\x63ie at sunset, "
                               "seen from the pier on our last evening"},
                              {"hill.jpeg", "A hill"}};
             MakePictures(data->Album, {"IMG_20240715_183045.jpg", "hill.jpeg"});
             return data;
         },
         {"No", "Thumbnail", "Picture", "File and description", "Holidays", "Summer {2024}",
          "Shown: IMG_20240715_183045.jpg, The sea", "IMG_20240715_183045.jpg:",
          "\xc5\x9awinouj\xc5\x9b\x63ie", "hill.jpeg: A hill", "End of the album Holidays"}},
    };
}

std::string DataFolder(const Shipped& t) {
    return std::string(VEMLY_SOURCE_DATA_DIR) + "/Templates/" + t.Folder + "/";
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The template's bytes without its sixth header line, the time it was made.
std::string WithoutStamp(const std::string& tlt) {
    std::size_t at = 0;
    for (int line = 0; line < 5; ++line) at = tlt.find('\n', at) + 1;
    return tlt.substr(0, at) + tlt.substr(tlt.find('\n', at) + 1);
}

TEST(ShippedTemplates, AreOurCompilersOutputOfTheirSources) {
    for (const Shipped& t : ShippedTemplates()) {
        SCOPED_TRACE(t.Template);
        RtfFolder folder;
        const std::string params = "RowsInFile=0;ObjectType=" + std::to_string(t.ObjectType) + ";";
        ASSERT_EQ(
            CompileTemplateWord(DataFolder(t) + "Sources/" + t.Source, folder.Path(t.Template),
                                t.Name, t.Descript, t.Source, params),
            kCompileDone);
        const std::string shipped = DataFolder(t) + t.Template;
        EXPECT_EQ(WithoutStamp(RtfFolder::ReadFile(shipped)),
                  WithoutStamp(folder.Read(t.Template)));
        const std::string row = std::string(t.Template) + ".001";
        EXPECT_EQ(RtfFolder::ReadFile(DataFolder(t) + row), folder.Read(row));
        EXPECT_FALSE(folder.Exists(std::string(t.Template) + ".002"));
        // The report window lists it for its type only.
        ASSERT_EQ(ListTemplates(DataFolder(t), t.ObjectType).size(), 1u);
        EXPECT_TRUE(ListTemplates(DataFolder(t), 10).empty());
    }
}

// Where the words of a PDF lie across its pages, in points from pdftotext's word boxes: the left
// end of the leftmost word, the right end of the rightmost, and the widest page.
struct TWordSpan {
    double Left = 1e9, Right = 0, Page = 0;
};
TWordSpan WordSpan(const std::string& boxes) {
    TWordSpan span;
    const QRegularExpression number(R"((xMin|xMax|<page width)="([0-9.]+)\")");
    for (auto match = number.globalMatch(QString::fromStdString(boxes)); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        const double value = m.captured(2).toDouble();
        if (m.captured(1) == "xMin") span.Left = std::min(span.Left, value);
        if (m.captured(1) == "xMax") span.Right = std::max(span.Right, value);
        if (m.captured(1) == "<page width") span.Page = std::max(span.Page, value);
    }
    return span;
}

// The pictures of a PDF from pdfimages' list (after two title lines, the width in pixels in
// column 4 and the resolution in pixels per inch across and down in columns 13 and 14).
struct TPdfPicture {
    int Width = 0;
    int PpiX = 0;
    int PpiY = 0;
};
std::vector<TPdfPicture> PdfPictures(const std::string& list) {
    std::vector<TPdfPicture> pictures;
    const QStringList lines = QString::fromStdString(list).split('\n', Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList columns = lines[i].split(' ', Qt::SkipEmptyParts);
        if (columns.size() >= 14)
            pictures.push_back({columns[3].toInt(), columns[12].toInt(), columns[13].toInt()});
    }
    return pictures;
}

// The least resolution of the PDF's pictures in pixels per inch; 0 without pictures.
int LeastPicturePpi(const std::string& list) {
    int least = 0;
    for (const TPdfPicture& picture : PdfPictures(list))
        for (const int ppi : {picture.PpiX, picture.PpiY})
            least = least == 0 ? ppi : std::min(least, ppi);
    return least;
}

TEST(ShippedTemplates, MakeSoundReportsThatReadWellInLibreOffice) {
    const std::vector<Shipped> templates = ShippedTemplates();
    RtfFolder folder;
    std::vector<std::string> reports;
    for (const Shipped& t : templates) {
        SCOPED_TRACE(t.Template);
        const TReportCommon common{"01.02.2024", "10:11:12", "Home", "Our budget", "-9876543.21"};
        std::unique_ptr<TReportData> data = t.Data(folder);
        reports.push_back(std::string(t.Folder) + ".rtf");
        ASSERT_EQ(MakeReport(DataFolder(t) + t.Template, folder.Path(reports.back()), common, *data,
                             nullptr),
                  kReportMade);
        const std::string rtf = folder.Read(reports.back());
        ExpectSoundRtf(rtf);
        // An album writes its shown picture and thumbnail and each entry's: JPEGs as they are,
        // the BMP thumbnails as PNG.
        if (t.ObjectType == 30) {
            EXPECT_EQ(Count(rtf, "\\jpegblip"), 3);
            EXPECT_EQ(Count(rtf, "\\pngblip"), 3);
        }
    }
    if (!ReportReadersHere()) GTEST_SKIP() << "no LibreOffice, poppler's tools or fonts";

    // With Arial's measures and with the wider DejaVu Sans alike.
    for (const TReportFonts& fonts : {kLiberationSans, kDejaVuSans}) {
        const std::vector<std::string> pdfs = ReportsInLibreOffice(folder, reports, fonts);
        for (size_t i = 0; i < templates.size(); ++i) {
            const Shipped& t = templates[i];
            SCOPED_TRACE(std::string(t.Template) + " in " + fonts.Family);
            const std::string text = PdfTool("pdftotext", pdfs[i]);
            ASSERT_FALSE(text.empty());
            // A value or title that wraps has a line end inside it.
            for (const std::string& expected : t.Expected)
                EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
            EXPECT_EQ(text.find("Rpt"), std::string::npos) << text;
            // Only the pinned family was used.
            const QStringList used = QString::fromStdString(PdfTool("pdffonts", pdfs[i]))
                                         .split('\n', Qt::SkipEmptyParts)
                                         .mid(2);
            EXPECT_FALSE(used.isEmpty());
            for (const QString& font : used)
                EXPECT_TRUE(font.contains(QString(fonts.Family).remove(' '))) << font.toStdString();
            // The tables stay inside the text width: no word reaches further into the right
            // margin than a point (the templates' margins are alike on both sides).
            const TWordSpan span = WordSpan(PdfTool("pdftotext", pdfs[i], {"-bbox"}));
            EXPECT_LE(span.Right, span.Page - span.Left + 1)
                << span.Left << " to " << span.Right << " of " << span.Page;
            // The frames' charts are small pictures: never stretched past the screen's
            // resolution.
            if (t.ObjectType == 50 || t.ObjectType == 60) {
                EXPECT_GE(LeastPicturePpi(PdfTool("pdfimages", pdfs[i], {"-list"})), 90);
            }
        }
    }
}

// Mend: a chart wider than the page's text (a history of three years or more, at a pixel a
// day) was written at its own size and cut off at the page's edge, its newest part lost. The
// pay and number reports now fit a chart of five years of daily events into the text width,
// its height in proportion, while a chart of a few weeks keeps its own size.
TEST(ShippedTemplates, FitALongHistorysChartIntoTheTextWidth) {
    RtfFolder folder;
    const TReportCommon common{"01.02.2024", "10:11:12", "Home", "Our budget", "0"};
    const int fiveYears = 5 * 365 + 1;
    const int fewWeeks = 3 * 7;
    std::vector<std::string> reports;
    for (const int days : {fiveYears, fewWeeks}) {
        for (const bool pay : {false, true}) {
            const QImage chart = DailyChart(days, pay);
            ASSERT_GE(chart.width(), days < 100 ? 100 : days);
            std::unique_ptr<TReportData> data;
            if (pay)
                data = std::make_unique<TWithChart<TPayReportData>>(folder.Path(""), chart);
            else
                data = std::make_unique<TWithChart<TNumberReportData>>(folder.Path(""), chart);
            reports.push_back(std::string(pay ? "Pay" : "Number") + std::to_string(days) + ".rtf");
            const std::string tlt = pay ? "ForPay/PayHistory.tlt" : "ForNumber/NumberHistory.tlt";
            ASSERT_EQ(MakeReport(std::string(VEMLY_SOURCE_DATA_DIR) + "/Templates/" + tlt,
                                 folder.Path(reports.back()), common, *data, nullptr),
                      kReportMade);
            const std::string rtf = folder.Read(reports.back());
            ExpectSoundRtf(rtf);
            EXPECT_EQ(Count(rtf, "\\pict"), 2);
        }
    }
    if (!ReportReadersHere()) GTEST_SKIP() << "no LibreOffice, poppler's tools or fonts";

    const std::vector<std::string> pdfs = ReportsInLibreOffice(folder, reports, kLiberationSans);
    for (size_t i = 0; i < reports.size(); ++i) {
        SCOPED_TRACE(reports[i]);
        // The text runs from the left margin to as far from the right edge (the templates'
        // margins are alike), in points.
        const TWordSpan span = WordSpan(PdfTool("pdftotext", pdfs[i], {"-bbox"}));
        const double textWidth = span.Page - 2 * span.Left;
        ASSERT_GT(textWidth, 300);
        const std::vector<TPdfPicture> pictures =
            PdfPictures(PdfTool("pdfimages", pdfs[i], {"-list"}));
        ASSERT_EQ(pictures.size(), 2u);
        for (const TPdfPicture& picture : pictures) {
            const double shown = picture.Width * 72.0 / picture.PpiX;
            EXPECT_LE(shown, textWidth + 1) << picture.Width << " pixels at " << picture.PpiX;
            // In proportion: as many pixels an inch down as across.
            EXPECT_NEAR(picture.PpiY, picture.PpiX, 1);
            if (reports[i].find(std::to_string(fewWeeks) + ".rtf") != std::string::npos) {
                EXPECT_EQ(picture.PpiX, 96);  // its own size
            } else {
                EXPECT_GT(picture.PpiX, 96);
                EXPECT_GT(shown, textWidth * 0.95);  // the whole width, not less
            }
        }
    }
}

}  // namespace
