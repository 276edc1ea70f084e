// The templates that come with the program: each is what our compiler makes of its source in
// "Sources/", and each makes a sound report with its object's values, also as LibreOffice
// reads it.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

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

std::vector<Shipped> ShippedTemplates() {
    return {
        {"ForTable",
         "TableRows.rtf",
         "TableRows.tlt",
         "Table rows",
         "Every row of the table with its name and value",
         20,
         [](const RtfFolder&) {
             auto data = std::make_unique<TTableReportData>();
             data->Name = "Books {read}";
             data->Descript = "Shelf \\ 2";
             data->Rows = {
                 {"Anna", "\xd0\x9a\xd0\xb0\xd1\x80\xd0\xb5\xd0\xbd\xd0\xb8\xd0\xbd\xd0\xb0"},
                 {"Faust", "1808"}};
             return data;
         },
         {"Books {read}", "Shelf \\ 2", "Anna",
          "\xd0\x9a\xd0\xb0\xd1\x80\xd0\xb5\xd0\xbd\xd0\xb8\xd0\xbd\xd0\xb0", "Faust", "1808",
          "Home", "12.50", "01.02.2024", "End of the table Books {read}"}},
        {"ForNumber",
         "NumberHistory.rtf",
         "NumberHistory.tlt",
         "Number history",
         "The number's value today and every value it had",
         50,
         [](const RtfFolder&) {
             auto data = std::make_unique<TNumberReportData>();
             data->Name = "Rent";
             data->Descript = "Monthly rent";
             data->InForce = {"01.01.2024", "500", "raised"};
             data->Selected = {"01.06.2023", "450", "first"};
             data->Rows = {{"01.06.2023", "450", "first"}, {"01.01.2024", "500", "raised"}};
             return data;
         },
         {"Rent", "Monthly rent", "In force today: 01.01.2024 500 raised",
          "Selected: 01.06.2023 450 first", "raised", "End of the history of Rent"}},
        {"ForPay",
         "PayHistory.rtf",
         "PayHistory.tlt",
         "Pay history",
         "The pay's balance, totals, selected event and every event shown",
         60,
         [](const RtfFolder&) {
             auto data = std::make_unique<TPayReportData>();
             data->Name = "Flat";
             data->Descript = "Rent and water";
             data->Balance = "6.50";
             data->Period = "from 01.03.2024";
             data->TotalCharge = "30.50";
             data->TotalPay = "37";
             data->TotalBalance = "6.50";
             data->Selected = {"05.03.2024", "Payment", "", "", "", "7.00", "-3.50", "cash"};
             data->Rows = {{"01.03.2024", "Counter reading", "100", "", "", "", "", "reading"},
                           {"05.03.2024", "Payment", "", "", "", "7.00", "-3.50", "cash"}};
             return data;
         },
         {"Flat", "Rent and water", "Balance today: 6.50", "Period: from 01.03.2024",
          "Charged 30.50, paid 37", "Counter reading", "reading", "-3.50",
          "End of the history of Flat"}},
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
             data->ShownFileName = "sea.jpg";
             data->ShownDescript = "The sea";
             data->Entries = {{"sea.jpg", "The sea"}, {"hill.jpeg", "A hill"}};
             MakePictures(data->Album, {"sea.jpg", "hill.jpeg"});
             return data;
         },
         {"Holidays", "Summer {2024}", "Shown: sea.jpg, The sea", "sea.jpg: The sea",
          "hill.jpeg: A hill", "End of the album Holidays"}},
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

TEST(ShippedTemplates, MakeSoundReportsThatLibreOfficeShows) {
    for (const Shipped& t : ShippedTemplates()) {
        SCOPED_TRACE(t.Template);
        RtfFolder folder;
        const TReportCommon common{"01.02.2024", "10:11:12", "Home", "Our budget", "12.50"};
        std::unique_ptr<TReportData> data = t.Data(folder);
        ASSERT_EQ(MakeReport(DataFolder(t) + t.Template, folder.Path("report.rtf"), common, *data,
                             nullptr),
                  kReportMade);
        const std::string rtf = folder.Read("report.rtf");
        ExpectSoundRtf(rtf);
        // An album writes its shown picture and thumbnail and each entry's: JPEGs as they are,
        // the BMP thumbnails as PNG.
        if (t.ObjectType == 30) {
            EXPECT_EQ(Count(rtf, "\\jpegblip"), 3);
            EXPECT_EQ(Count(rtf, "\\pngblip"), 3);
        }
        const std::string text = ReportTextInLibreOffice(folder, "report.rtf");
        if (text.empty()) continue;  // no LibreOffice here: the structure check stands alone
        for (const std::string& expected : t.Expected)
            EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
        EXPECT_EQ(text.find("Rpt"), std::string::npos) << text;
    }
}

}  // namespace
