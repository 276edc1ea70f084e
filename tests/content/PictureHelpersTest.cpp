// The picture helpers: the reduction step and sizes, nearest-neighbour sampling, thumbnails of
// JPEG and BMP pictures (damaged ones refused), print sizes, printing to a PDF file and the
// clipboard.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <filesystem>
#include <fstream>

#include "common/TestFolders.h"
#include "content/Uq519clipboard.h"
#include "content/Uq519graphics.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {

// A picture whose every pixel tells its place: red x, green y (modulo 256), blue 7.
QImage Gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, 7));
    return image;
}

class PictureFiles : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return folders.TempPath() + name; }
    std::string Save(const std::string& name, const QImage& image, const char* format) const {
        EXPECT_TRUE(image.save(ToQString(Path(name)), format));
        return Path(name);
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    TestFolders folders;
};

TEST(ShrinkBitmap, SizesFollowTheRoundedStep) {
    struct Case {
        int W, H, Step, TargetW, TargetH;
    };
    const Case cases[] = {
        {100, 80, 1, 100, 80},   // fits: copied
        {234, 100, 2, 117, 50},  {300, 88, 3, 100, 29},
        {160, 120, 1, 160, 120},  // r 1.37: kept larger than the box
        {293, 88, 3, 97, 29},    {292, 88, 2, 146, 44},
        {100, 132, 2, 50, 66},    // r 1.5 by the height: to 2
        {292, 220, 2, 146, 110},  // r 2.5 by the height: to 2
        {409, 100, 3, 136, 33},   // r 3.4957
        {410, 100, 4, 102, 25},   // r 3.504
        {4000, 3000, 34, 117, 88},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H));
        EXPECT_EQ(ShrinkStep(c.W, c.H, 117, 88), c.Step);
        QImage target;
        ShrinkBitmap(Gradient(c.W, c.H), target, 117, nullptr, 88);
        EXPECT_EQ(target.size(), QSize(c.TargetW, c.TargetH));
    }
}

TEST(ShrinkBitmap, TakesEveryStepthPixelWithoutAveraging) {
    const QImage source = Gradient(300, 88);
    QImage target;
    ShrinkBitmap(source, target, 117, nullptr, 88);
    ASSERT_EQ(target.size(), QSize(100, 29));
    for (const QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(99, 28), QPoint(50, 10)})
        EXPECT_EQ(target.pixel(at), source.pixel(at * 3)) << at.x() << "," << at.y();
}

TEST_F(PictureFiles, LoadTellsMissingOtherKindsAndDamagedPictures) {
    const QImage picture = Gradient(40, 30);
    struct Case {
        std::string Path;
        int Result;
    };
    const std::string jpeg = Save("a.jpg", picture, "JPG");
    const std::string good = Bytes(jpeg);
    const Case cases[] = {
        {Path("missing.jpg"), kPictureMissing},
        {jpeg, kPictureLoaded},
        {Save("b.JPEG", picture, "JPG"), kPictureLoaded},
        {Save("c.bmp", picture, "BMP"), kPictureLoaded},
        {Save("jpeg named.bmp", picture, "JPG"), kPictureLoaded},
        {Save("d.png", picture, "PNG"), kPictureNotKind},
        {Write("empty.jpg", ""), kPictureDamaged},
        {Write("truncated.jpg", good.substr(0, good.size() / 2)), kPictureDamaged},
        {Write("garbage.bmp", "BM not really a bitmap"), kPictureDamaged},
        {Write("text.jpeg", "hello"), kPictureDamaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path);
        QImage bitmap(3, 3, QImage::Format_RGB32);
        EXPECT_EQ(LoadPictureBitmap(c.Path, bitmap), c.Result);
        EXPECT_EQ(bitmap.size(), c.Result == kPictureLoaded ? picture.size() : QSize(3, 3));
    }
}

TEST_F(PictureFiles, ThumbnailsHaveTheExactSizesAndReplaceTheOldOne) {
    const std::string mini = Path("mini");
    struct Case {
        std::string Name;
        QSize Size, Thumbnail;
        const char* Format;
    };
    const Case cases[] = {
        {"large.jpg", {4000, 3000}, {117, 88}, "JPG"},
        {"odd.JPEG", {1234, 567}, {112, 51}, "JPG"},  // step 11: DCT 1/8, then sampled
        {"wide.jpg", {293, 88}, {97, 29}, "JPG"},     // step 3: DCT 1/2
        {"small.jpg", {100, 80}, {100, 80}, "JPG"},
        {"bitmap.bmp", {300, 88}, {100, 29}, "BMP"},
        {"jpeg in.bmp", {234, 100}, {117, 50}, "JPG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string picture = Save(c.Name, Gradient(c.Size.width(), c.Size.height()), c.Format);
        ASSERT_EQ(MakeThumbnail(picture, mini, 117, nullptr, 88), kPictureLoaded);
        const fs::path thumbnail = fs::path(mini) / (fs::path(c.Name).stem().string() + ".bmp");
        QImage written;
        ASSERT_TRUE(written.load(ToQString(thumbnail.string()), "BMP"));
        EXPECT_EQ(written.size(), c.Thumbnail);
    }
    // Made again from another picture of the name: replaced.
    Save("small.jpg", Gradient(234, 100), "JPG");
    ASSERT_EQ(MakeThumbnail(Path("small.jpg"), mini, 117, nullptr, 88), kPictureLoaded);
    QImage replaced;
    ASSERT_TRUE(replaced.load(ToQString(mini + "/small.bmp"), "BMP"));
    EXPECT_EQ(replaced.size(), QSize(117, 50));
    // The JPEG thumbnail samples the picture where the full one does: a red-green gradient
    // keeps its colours within the JPEG's loss.
    QImage fromJpeg;
    ASSERT_TRUE(fromJpeg.load(ToQString(mini + "/wide.bmp"), "BMP"));
    EXPECT_NEAR(qRed(fromJpeg.pixel(50, 10)), 150, 12);
    EXPECT_NEAR(qGreen(fromJpeg.pixel(50, 10)), 30, 12);
}

TEST_F(PictureFiles, ADamagedPictureWritesNoThumbnailAndKeepsTheOldOne) {
    const std::string mini = Path("mini");
    const std::string picture = Save("photo.jpg", Gradient(300, 200), "JPG");
    ASSERT_EQ(MakeThumbnail(picture, mini, 117, nullptr, 88), kPictureLoaded);
    const std::string before = Bytes(mini + "/photo.bmp");
    const std::string good = Bytes(picture);
    for (const std::string& bytes : {std::string(), good.substr(0, 200), good.substr(0, good.size() - 400)}) {
        Write("photo.jpg", bytes);
        EXPECT_EQ(MakeThumbnail(picture, mini, 117, nullptr, 88), kPictureDamaged) << bytes.size();
        EXPECT_EQ(Bytes(mini + "/photo.bmp"), before);
    }
    EXPECT_EQ(MakeThumbnail(Path("gone.jpg"), mini, 117, nullptr, 88), kPictureMissing);
    EXPECT_FALSE(fs::exists(mini + "/gone.bmp"));
    for (const auto& entry : fs::directory_iterator(mini))
        EXPECT_NE(entry.path().extension(), ".part");
}

TEST(PrintSize, FollowsTheMode) {
    struct Case {
        int W, H;
        char Mode;
        QSize Size;
    };
    const Case cases[] = {
        {400, 300, 'f', {400, 300}},     // smaller than the page: its own size
        {2000, 500, 'f', {1000, 250}},   // twice as wide as the page: halved
        {500, 3000, 'f', {250, 1500}},   // too high
        {400, 300, 'n', {400, 300}},     {4000, 300, 'n', {4000, 300}},
        {400, 300, 'p', {1000, 750}},    {400, 800, 'p', {750, 1500}},
        {400, 300, 's', {1000, 1500}},   {400, 300, 'x', {400, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintSize(c.W, c.H, 1000, 1500, c.Mode), c.Size) << c.W << "x" << c.H << c.Mode;
}

TEST_F(PictureFiles, PrintingToAPdfFileWritesIt) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(ToQString(Path("printed.pdf")));
    EXPECT_TRUE(PrintBitmap(Gradient(200, 100), 16, 2, 'f', printer));
    EXPECT_EQ(printer.copyCount(), 2);
    EXPECT_EQ(Bytes(Path("printed.pdf")).substr(0, 5), "%PDF-");
    QPrinter none(QPrinter::HighResolution);
    none.setOutputFormat(QPrinter::PdfFormat);
    none.setOutputFileName(ToQString(Path("none.pdf")));
    EXPECT_FALSE(PrintBitmap(QImage(), 16, 1, 'f', none));
    EXPECT_FALSE(fs::exists(Path("none.pdf")));
}

TEST(Clipboard, TakesTheBitmap) {
    QImage shown = Gradient(30, 20), bitmap;
    ASSERT_EQ(PictureToBitmap(shown, bitmap), kPictureLoaded);
    CopyBitmapToClipboard(bitmap);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(30, 20));
    EXPECT_EQ(PictureToBitmap(QImage(), bitmap), kPictureNotKind);
    EXPECT_EQ(bitmap.size(), QSize(30, 20));
}

}  // namespace
