// The picture conversion of the reports that needs Qt's image readers.
#include "reports/U_rtfreport_widgets.h"

#include <QImage>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

#include "platform/Text.h"

bool BitmapToPng(const std::string& bmpPath, const std::string& pngPath) {
    QImage image;
    if (!image.load(ToQString(bmpPath), "BMP")) return false;
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
    switch (ReportPictureKind(path)) {
        case TReportPicture::Jpeg:
            return WriteJpegBlip(path, size.Width, size.Height, report);
        case TReportPicture::Bitmap: {
            const std::string png = tempFolder + "Picture.png";
            const int written =
                BitmapToPng(path, png) ? WritePngBlip(png, size.Width, size.Height, report) : -1;
            std::error_code error;
            std::filesystem::remove(png, error);
            return written;
        }
        case TReportPicture::None:
            break;
    }
    return -1;
}

int WriteReportImage(const QImage& image, TLabelPictureSize size, FILE* report,
                     const std::string& tempFolder) {
    const std::string png = tempFolder + "Chart.png";
    const int written =
        image.save(ToQString(png), "PNG") ? WritePngBlip(png, size.Width, size.Height, report) : -1;
    std::error_code error;
    std::filesystem::remove(png, error);
    return written;
}
