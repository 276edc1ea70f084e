// The picture conversion of the reports that needs Qt's image readers.
#include "reports/U_rtfreport_widgets.h"

#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

#include "platform/Text.h"

bool BitmapToPng(const std::string& picturePath, const std::string& pngPath) {
    QImageReader reader(ToQString(picturePath));
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) return false;
    QSaveFile file(ToQString(pngPath));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int WriteReportPicture(const std::string& path, TLabelPictureSize size, FILE* report,
                       const std::string& tempFolder) {
    if (ReportPictureKind(path) == TReportPicture::None) return -1;
    // The name's extension may lie (a JPEG saved as ".bmp" is shown by the album all the same):
    // a JPEG by its content goes in as it is, any other picture is made a PNG first.
    if (const int jpeg = WriteJpegBlip(path, size.Width, size.Height, report, size.TextWidth);
        jpeg >= 0)
        return jpeg;
    const std::string png = tempFolder + "Picture.png";
    const int written = BitmapToPng(path, png)
                            ? WritePngBlip(png, size.Width, size.Height, report, size.TextWidth)
                            : -1;
    std::error_code error;
    std::filesystem::remove(png, error);
    return written;
}

int WriteReportImage(const QImage& image, TLabelPictureSize size, FILE* report,
                     const std::string& tempFolder) {
    const std::string png = tempFolder + "Chart.png";
    const int written = image.save(ToQString(png), "PNG")
                            ? WritePngBlip(png, size.Width, size.Height, report, size.TextWidth)
                            : -1;
    std::error_code error;
    std::filesystem::remove(png, error);
    return written;
}
