// The pictures of a report: the picture group's layout, the scales, damaged pictures, the
// bitmap made a PNG, and which files are pictures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <string>

#include "reports/U_rtfreport.h"
#include "reports/U_rtfreport_widgets.h"
#include "tests/reports/RtfFiles.h"

namespace {

// Runs a picture writer into a file of its own and gives its result and what it wrote.
template <typename Writer>
std::pair<int, std::string> Written(const RtfFolder& folder, Writer writer) {
    FILE* out = std::fopen(folder.Path("out.rtf").c_str(), "wb");
    const int result = writer(out);
    std::fclose(out);
    return {result, folder.Read("out.rtf")};
}

std::string Hex(const std::string& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : bytes) {
        hex.push_back(kHex[c >> 4]);
        hex.push_back(kHex[c & 15]);
    }
    return hex;
}

// The start of a PNG file of the given pixel size (signature and IHDR chunk, without its
// data's checksum): all that the writer reads of it.
std::string PngStart(unsigned width, unsigned height) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (const unsigned value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    return bytes;
}

TEST(PictureBlip, WritesTheBytesInLinesOf130HexDigits) {
    RtfFolder folder;
    for (const size_t length : {size_t{24}, size_t{65}, size_t{130}, size_t{131}}) {
        SCOPED_TRACE(length);
        std::string bytes = PngStart(10, 10);
        for (size_t i = bytes.size(); i < length; ++i) bytes.push_back(static_cast<char>(i));
        const std::string path = folder.Write("p.png", bytes);
        std::string lines;
        for (size_t i = 0; i < length; i += 65)
            lines += Hex(bytes.substr(i, 65)) + (i + 65 <= length ? "\n" : "");
        const auto [result, rtf] =
            Written(folder, [&](FILE* out) { return WritePngBlip(path, 0, 0, out); });
        EXPECT_EQ(result, static_cast<int>(length));
        EXPECT_EQ(rtf, "\n{\\pict\\pngblip\\picscalex100\\picscaley100\n" + lines + "\n}\n");
    }
}

TEST(PictureBlip, ScalesToTheAskedSize) {
    struct Case {
        int width;
        int height;
        const char* scales;
    };
    const Case cases[] = {
        {0, 0, "\\picscalex100\\picscaley100"},   {120, 0, "\\picscalex50\\picscaley50"},
        {0, 60, "\\picscalex50\\picscaley50"},    {120, 120, "\\picscalex50\\picscaley100"},
        {480, 0, "\\picscalex200\\picscaley200"}, {100, 0, "\\picscalex41\\picscaley41"},
    };
    RtfFolder folder;
    const std::string jpeg = folder.Path("p.jpg");
    ASSERT_TRUE(QImage(240, 120, QImage::Format_RGB32).save(ToQString(jpeg), "JPG"));
    const std::string png = folder.Write("p.png", PngStart(240, 120));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scales);
        const auto [jpegResult, jpegRtf] =
            Written(folder, [&](FILE* out) { return WriteJpegBlip(jpeg, c.width, c.height, out); });
        const size_t hexStart = jpegRtf.find('\n', 1) + 1;
        EXPECT_EQ(jpegRtf.substr(0, hexStart + 4),
                  "\n{\\pict\\jpegblip" + std::string(c.scales) + "\nffd8");
        EXPECT_EQ(jpegResult, static_cast<int>(RtfFolder::ReadFile(jpeg).size()));
        const auto [pngResult, pngRtf] =
            Written(folder, [&](FILE* out) { return WritePngBlip(png, c.width, c.height, out); });
        EXPECT_EQ(pngRtf.substr(0, pngRtf.find('\n', 1) + 1),
                  "\n{\\pict\\pngblip" + std::string(c.scales) + "\n");
        EXPECT_EQ(pngResult, 24);
    }
}

// The start of a PNG file with a pHYs chunk of that many pixels per metre after its IHDR
// chunk (data and checksums as zeros: the writer reads neither).
std::string PngWithDensity(unsigned width, unsigned height, unsigned perMetre) {
    std::string bytes = PngStart(width, height) + std::string(9, '\0');
    bytes += std::string("\0\0\0\x09pHYs", 8);
    for (int i = 0; i < 2; ++i)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>((perMetre >> shift) & 0xFF));
    return bytes + std::string("\x01\0\0\0\0", 5) + std::string("\0\0\0\0IDAT", 8);
}

// A picture given no size that is wider than the page's text keeps its proportions at the
// scale that makes it as wide as the text, by the density its file gives (96 pixels an inch
// without one); one that fits, or is given a size, keeps the scale of the rule before.
TEST(PictureBlip, FitsAPictureWithoutASizeIntoTheTextWidth) {
    RtfFolder folder;
    QImage image(240, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(7559);  // 192 pixels an inch: 1800 twips wide
    image.setDotsPerMeterY(7559);
    const std::string jpeg192 = folder.Path("p192.jpg");
    ASSERT_TRUE(image.save(ToQString(jpeg192), "JPG"));
    const std::string png = folder.Write("p.png", PngStart(240, 120));  // 3600 twips wide
    const std::string png192 = folder.Write("p192.png", PngWithDensity(240, 120, 7559));
    const struct {
        const std::string* path;
        int width;
        int textWidth;
        int scale;
    } cases[] = {
        {&png, 0, 0, 100},       {&png, 0, 3600, 100},  {&png, 0, 9638, 100},
        {&png, 0, 3599, 99},     {&png, 0, 1800, 50},   {&png, 0, 1000, 27},
        {&png, 0, 10, 1},        {&png, 120, 1000, 50}, {&png, 480, 1000, 200},
        {&png192, 0, 1900, 100}, {&png192, 0, 600, 33}, {&jpeg192, 0, 1900, 100},
        {&jpeg192, 0, 600, 33},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(*c.path + " " + std::to_string(c.width) + " in " +
                     std::to_string(c.textWidth));
        const bool isPng = c.path->ends_with(".png");
        const auto [result, rtf] = Written(folder, [&](FILE* out) {
            return isPng ? WritePngBlip(*c.path, c.width, 0, out, c.textWidth)
                         : WriteJpegBlip(*c.path, c.width, 0, out, c.textWidth);
        });
        EXPECT_GT(result, 0);
        const std::string scale = std::to_string(c.scale);
        EXPECT_EQ(rtf.substr(0, rtf.find('\n', 1)),
                  std::string("\n{\\pict\\") + (isPng ? "png" : "jpeg") + "blip\\picscalex" +
                      scale + "\\picscaley" + scale);
    }
}

// The text width of a template's page: the first paper width and margins of its body, an A4
// page and RTF's margins where it has none; header lines and escaped backslashes are text.
TEST(ReportTextWidth, IsThePaperWidthLessTheMargins) {
    const struct {
        const char* what;
        std::string body;
        int width;
    } cases[] = {
        {"portrait A4", "{\\rtf1\\ansi\n\\paperw11906\\paperh16838\\margl1134\\margr1134 x}", 9638},
        {"landscape A4", "{\\rtf1\\paperw16838\\paperh11906\\landscape\\margl1134\\margr1134}",
         14570},
        {"nothing set", "{\\rtf1\\ansi x}", 11906 - 3600},
        {"the paper only", "{\\rtf1\\paperw12240 x}", 12240 - 3600},
        {"margins with blanks and a later paper",
         "{\\rtf1\\margl1000 \\margr-0 x\\paperw9000\\paperw20000}", 8000},
        {"escaped text and other words",
         "{\\rtf1 a\\\\paperw5000 \\paperwx1\\marglsxn9\\paperw12000\\margl1000\\margr1000}",
         10000},
        {"binary data skipped", "{\\rtf1{\\pict\\bin8 \\paperw1}\\paperw10000\\margl0\\margr0}",
         10000},
        {"margins beyond the paper", "{\\rtf1\\paperw3000\\margl1800\\margr1800}", 0},
        {"a huge paper", "{\\rtf1\\paperw99999999999999\\margl1800\\margr1800}", 0},
    };
    RtfFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = TemplateText(c.body);
        text.replace(text.find("Name"), 4, "\\paperw100\\margl1\\margr1");
        EXPECT_EQ(ReportTextWidth(folder.Write("t.tlt", text)), c.width);
    }
    EXPECT_EQ(ReportTextWidth(folder.Path("missing.tlt")), 0);
}

// A picture that cannot be opened, or is no picture of its kind, writes nothing.
TEST(PictureBlip, ADamagedOrMissingPictureWritesNothing) {
    RtfFolder folder;
    const std::string good = folder.Path("good.jpg");
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(ToQString(good), "JPG"));
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file
        bool jpeg;
    };
    const Case cases[] = {
        {"missing JPEG", "", true},
        {"empty JPEG", std::string(), true},
        {"text as JPEG", "not a picture at all", true},
        {"a JPEG's first 20 bytes", RtfFolder::ReadFile(good).substr(0, 20), true},
        {"a PNG as JPEG", PngStart(4, 4), true},
        {"missing PNG", "", false},
        {"short PNG", PngStart(4, 4).substr(0, 23), false},
        {"wrong PNG signature", "\x88" + PngStart(4, 4).substr(1), false},
        {"a JPEG as PNG", RtfFolder::ReadFile(good), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = folder.Path("missing");
        if (std::string(c.what).find("missing") == std::string::npos)
            path = folder.Write("picture", c.bytes);
        const auto [result, rtf] = Written(folder, [&](FILE* out) {
            return c.jpeg ? WriteJpegBlip(path, 10, 0, out) : WritePngBlip(path, 0, 0, out);
        });
        EXPECT_EQ(result, -1);
        EXPECT_EQ(rtf, "");
    }
}

TEST(BitmapToPng, MakesAPngOfTheBitmapsPixelSize) {
    RtfFolder folder;
    QImage bitmap(240, 120, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    ASSERT_TRUE(bitmap.save(ToQString(folder.Path("chart.bmp")), "BMP"));
    ASSERT_TRUE(BitmapToPng(folder.Path("chart.bmp"), folder.Path("chart.png")));
    QImage png;
    ASSERT_TRUE(png.load(ToQString(folder.Path("chart.png")), "PNG"));
    EXPECT_EQ(png.size(), bitmap.size());
    EXPECT_EQ(png.pixel(10, 10), bitmap.pixel(10, 10));
    const auto [result, rtf] = Written(
        folder, [&](FILE* out) { return WritePngBlip(folder.Path("chart.png"), 0, 60, out); });
    EXPECT_GT(result, 0);
    EXPECT_EQ(rtf.substr(0, rtf.find('\n', 1)), "\n{\\pict\\pngblip\\picscalex50\\picscaley50");
}

TEST(BitmapToPng, ADamagedBitmapMakesNoFile) {
    RtfFolder folder;
    folder.Write("bad.bmp", "BM not really a bitmap");
    EXPECT_FALSE(BitmapToPng(folder.Path("bad.bmp"), folder.Path("bad.png")));
    EXPECT_FALSE(BitmapToPng(folder.Path("missing.bmp"), folder.Path("bad.png")));
    EXPECT_FALSE(folder.Exists("bad.png"));
}

// Mend: a JPEG named ".bmp" was shown by the album but left out of its report, as the bitmap
// reader went by the name. A picture is now written by its content.
TEST(WriteReportPicture, APictureGoesInByItsContentWhateverItsName) {
    RtfFolder folder;
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(ToQString(folder.Path("photo.bmp")), "JPG"));
    ASSERT_TRUE(picture.save(ToQString(folder.Path("chart.jpg")), "BMP"));
    ASSERT_TRUE(picture.save(ToQString(folder.Path("chart.bmp")), "BMP"));
    folder.Write("bad.bmp", "BM not really a bitmap");
    const struct {
        const char* file;
        const char* blip;  // nullptr: nothing written
    } cases[] = {
        {"photo.bmp", "\\jpegblip"},
        {"chart.jpg", "\\pngblip"},
        {"chart.bmp", "\\pngblip"},
        {"bad.bmp", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto [result, rtf] = Written(folder, [&](FILE* out) {
            return WriteReportPicture(folder.Path(c.file), {}, out, folder.Path(""));
        });
        if (c.blip == nullptr) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(rtf, "");
        } else {
            EXPECT_GT(result, 0);
            EXPECT_THAT(rtf, ::testing::ContainsRegex(c.blip));
        }
        EXPECT_FALSE(folder.Exists("Picture.png"));
    }
}

TEST(ReportPictureKind, GoesByTheExtensionInAnyCase) {
    struct Case {
        const char* path;
        TReportPicture kind;
    };
    const Case cases[] = {
        {"/a/IMG1.JPG", TReportPicture::Jpeg},  {"/a/p.jpg", TReportPicture::Jpeg},
        {"/a/p.jpeg", TReportPicture::Jpeg},    {"/a/p.JPEG", TReportPicture::Jpeg},
        {"/a/p.Jpeg", TReportPicture::Jpeg},    {"/a/Chart.bmp", TReportPicture::Bitmap},
        {"/a/p.BMP", TReportPicture::Bitmap},   {"/a/p.png", TReportPicture::None},
        {"/a/p.jpg.txt", TReportPicture::None}, {"/a.jpg/p", TReportPicture::None},
        {"/a/jpg", TReportPicture::None},       {"", TReportPicture::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ReportPictureKind(c.path), c.kind);
    }
}

}  // namespace
