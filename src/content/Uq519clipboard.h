// The clipboard of the image album: a bitmap put on it as a picture.
#pragma once

class QImage;

// Places the bitmap on the clipboard as an image; an empty bitmap places nothing.
void CopyBitmapToClipboard(const QImage& bitmap);
