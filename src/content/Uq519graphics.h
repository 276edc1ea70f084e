// Picture helpers of the image album: BMP and JPEG pictures loaded into bitmaps, thumbnails by
// an integer step (large JPEGs decoded already reduced), and printing.
#pragma once

#include <QImage>
#include <string>
#include <string_view>
#include <system_error>

class QPrinter;
class QProgressBar;

// The kinds of picture an album holds, told by the name's extension in any letter case: ".bmp"
// a bitmap, ".jpg" and ".jpeg" a JPEG picture.
bool IsPictureName(std::string_view name);
bool IsJpegName(std::string_view name);

// The results of the loaders.
inline constexpr int kPictureLoaded = 0;
inline constexpr int kPictureMissing = -1;  // no such file
inline constexpr int kPictureNotKind = -2;  // neither a bitmap nor a JPEG picture by its name
inline constexpr int kPictureDamaged =
    -3;  // its data cannot be decoded (damaged, truncated, empty)
inline constexpr int kPictureNotWritten = -4;  // MakeThumbnail: its thumbnail could not be written

// Loads the picture at its full size into `bitmap`. The name says whether it is a picture at all;
// its data say how it is decoded, so that a JPEG picture named ".bmp" loads too. The bitmap is
// left as it was unless the result is kPictureLoaded.
int LoadPictureBitmap(const std::string& path, QImage& bitmap);

// The picture a viewer shows copied into `bitmap`: kPictureLoaded, or kPictureNotKind when it
// shows none (the bitmap is left as it was).
int PictureToBitmap(const QImage& shown, QImage& bitmap);

// The step by which a picture of w x h pixels is reduced into a box of boxWidth x boxHeight:
// the larger of w / boxWidth and h / boxHeight in single precision (the width's when equal),
// rounded to the nearest integer with halves to the even one; 1 when the picture fits.
int ShrinkStep(int w, int h, int boxWidth, int boxHeight);

// The target a copy of the source when it fits into the box, else the source reduced by its
// step s to trunc(w / s) x trunc(h / s), each target pixel (i, j) the source pixel (i·s, j·s).
// A progress bar, when given, goes from 0 to 100 by source column, and the paint and timer
// events run meanwhile.
void ShrinkBitmap(const QImage& source, QImage& target, int boxWidth, QProgressBar* progress,
                  int boxHeight);

// Writes the thumbnail of the picture into `folder` (made when missing, one level) as a BMP
// file named after the picture with ".bmp" in place of its extension, replacing one of that name
// (a failed write keeps the old one). Its size is ShrinkBitmap's; a JPEG picture is decoded with
// the largest DCT reduction that is not above the step, then sampled to that size. The loaders'
// results: kPictureLoaded when written; kPictureMissing, kPictureNotKind or kPictureDamaged
// (nothing written); kPictureNotWritten when the thumbnail cannot be written, with the system's
// error in `writeError` when it is given.
int MakeThumbnail(const std::string& picture, const std::string& folder, int boxWidth,
                  QProgressBar* progress, int boxHeight, std::error_code* writeError = nullptr);

// The size a picture of w x h pixels is printed at on a page of pageWidth x pageHeight device
// pixels in the mode: 'f' fit (reduced to the page in proportion only when larger), 'n' its own
// size, 'p' the page's width in proportion (its height when that is too high), 's' the whole
// page; another letter: 'n'.
QSize PrintSize(int w, int h, int pageWidth, int pageHeight, char mode);

// Prints the bitmap with `copies` copies on `printer` at the page's top left corner, in the
// mode's size (PrintSize), converted to `bitsPerPixel` (16 or 24/32) first. False when the
// bitmap is empty or the printer cannot be started.
bool PrintBitmap(const QImage& bitmap, int bitsPerPixel, int copies, char mode, QPrinter& printer);
