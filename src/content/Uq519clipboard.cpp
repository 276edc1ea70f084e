// The clipboard of the image album: a bitmap put on it as a picture.
#include "content/Uq519clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

void CopyBitmapToClipboard(const QImage& bitmap) {
    if (!bitmap.isNull()) QGuiApplication::clipboard()->setImage(bitmap);
}
