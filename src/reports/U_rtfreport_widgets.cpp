// The picture conversion of the reports that needs Qt's image readers.
#include "reports/U_rtfreport_widgets.h"

#include <QImage>
#include <QSaveFile>

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
