// Picture helpers of the image album: BMP and JPEG pictures loaded into bitmaps, thumbnails by
// an integer step (large JPEGs decoded already reduced), and printing.
#include "content/Uq519graphics.h"

#include <QBuffer>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    std::string ext(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& data) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    data.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(data.data()), size);
    return in.gcount() == size;
}

bool LooksLikeJpeg(const std::vector<unsigned char>& data) {
    return data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// libjpeg's errors come back here instead of ending the program.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Back;
};

void JpegFailed(j_common_ptr info) {
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Back, 1);
}

void JpegWarning(j_common_ptr info, int level) {
    // A corrupt-data warning (level -1) means a damaged picture: it is refused, not guessed at.
    if (level < 0) JpegFailed(info);
}

// The decompressor's errors and warnings into `error`.
void RouteErrors(jpeg_decompress_struct& info, TJpegError& error) {
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegFailed;
    error.Manager.emit_message = JpegWarning;
}

// Decodes the JPEG data reduced by 1/denom (1, 2, 4 or 8) in the DCT, into RGB pixels. False on
// any error of the data, the picture left as it was.
bool DecodeJpeg(const std::vector<unsigned char>& data, int denom, QImage& picture) {
    jpeg_decompress_struct info{};
    TJpegError error{};
    RouteErrors(info, error);
    QImage decoded;
    if (setjmp(error.Back) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBX;  // four bytes a pixel, as QImage's RGBX8888
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(denom);
    if (denom > 1) {
        // A reduced picture is for a thumbnail: the fast DCT and plain upsampling do.
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
    }
    jpeg_start_decompress(&info);
    decoded = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                     QImage::Format_RGBX8888);
    if (decoded.isNull()) longjmp(error.Back, 1);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = decoded.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    picture = decoded.convertToFormat(QImage::Format_RGB32);
    return true;
}

// The picture file's data: kPictureLoaded, or why there are none to decode.
int ReadPictureData(const std::string& path, std::vector<unsigned char>& data) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return kPictureMissing;
    if (!IsPictureName(path)) return kPictureNotKind;
    if (!ReadWholeFile(path, data) || data.empty()) return kPictureDamaged;
    return kPictureLoaded;
}

// The picture's data decoded, reduced by 1/denom when it is a JPEG picture (a bitmap whole).
int DecodePicture(const std::vector<unsigned char>& data, int denom, QImage& picture) {
    if (LooksLikeJpeg(data)) return DecodeJpeg(data, denom, picture) ? kPictureLoaded : kPictureDamaged;
    QImage bitmap;
    if (!bitmap.loadFromData(data.data(), static_cast<int>(data.size()), "BMP"))
        return kPictureDamaged;
    picture = bitmap.convertToFormat(QImage::Format_RGB32);
    return kPictureLoaded;
}

// Samples `source` at every `step` / `scale` pixel into a target of w x h pixels: the source is
// the picture reduced by 1/scale already.
QImage Sample(const QImage& source, int w, int h, double step, QProgressBar* progress) {
    QImage target(w, h, QImage::Format_RGB32);
    if (progress != nullptr) progress->setValue(0);
    const int sw = source.width(), sh = source.height();
    for (int i = 0; i < w; ++i) {
        if (progress != nullptr) {
            progress->setValue(i * 100 / std::max(w, 1));
            LetMessagesRun();
        }
        const int x = std::min(static_cast<int>(i * step), sw - 1);
        for (int j = 0; j < h; ++j) {
            const int y = std::min(static_cast<int>(j * step), sh - 1);
            reinterpret_cast<QRgb*>(target.scanLine(j))[i] =
                reinterpret_cast<const QRgb*>(source.constScanLine(y))[x];
        }
    }
    if (progress != nullptr) {
        progress->setValue(100);
        LetMessagesRun();
    }
    return target;
}

// The size of the JPEG picture from its header; empty when the header cannot be read.
QSize JpegSize(const std::vector<unsigned char>& data) {
    jpeg_decompress_struct info{};
    TJpegError error{};
    RouteErrors(info, error);
    if (setjmp(error.Back) != 0) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    const QSize size(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
    jpeg_destroy_decompress(&info);
    return size;
}

}  // namespace

bool IsPictureName(std::string_view name) {
    const std::string ext = LowerExtension(name);
    return ext == ".bmp" || ext == ".jpg" || ext == ".jpeg";
}

bool IsJpegName(std::string_view name) {
    const std::string ext = LowerExtension(name);
    return ext == ".jpg" || ext == ".jpeg";
}

int LoadPictureBitmap(const std::string& path, QImage& bitmap) {
    std::vector<unsigned char> data;
    const int read = ReadPictureData(path, data);
    return read == kPictureLoaded ? DecodePicture(data, 1, bitmap) : read;
}

int PictureToBitmap(const QImage& shown, QImage& bitmap) {
    if (shown.isNull()) return kPictureNotKind;
    bitmap = shown;
    return kPictureLoaded;
}

int ShrinkStep(int w, int h, int boxWidth, int boxHeight) {
    if (w <= boxWidth && h <= boxHeight) return 1;
    float ratio = static_cast<float>(w) / static_cast<float>(boxWidth);
    if (static_cast<float>(h) / ratio > static_cast<float>(boxHeight))
        ratio = static_cast<float>(h) / static_cast<float>(boxHeight);
    return std::max(static_cast<int>(std::nearbyint(ratio)), 1);  // halves to the even one
}

void ShrinkBitmap(const QImage& source, QImage& target, int boxWidth, QProgressBar* progress,
                  int boxHeight) {
    const int w = source.width(), h = source.height();
    if (w <= boxWidth && h <= boxHeight) {
        target = source;
        return;
    }
    const int step = ShrinkStep(w, h, boxWidth, boxHeight);
    target = Sample(source.convertToFormat(QImage::Format_RGB32), w / step, h / step, step,
                    progress);
}

namespace {

// The thumbnail of the picture as MakeThumbnail writes it.
int ThumbnailOf(const std::string& picture, int boxWidth, int boxHeight, QProgressBar* progress,
                QImage& thumbnail) {
    std::vector<unsigned char> data;
    if (const int read = ReadPictureData(picture, data); read != kPictureLoaded) return read;
    if (!LooksLikeJpeg(data)) {
        QImage source;
        if (const int loaded = DecodePicture(data, 1, source); loaded != kPictureLoaded)
            return loaded;
        ShrinkBitmap(source, thumbnail, boxWidth, progress, boxHeight);
        return kPictureLoaded;
    }
    const QSize size = JpegSize(data);
    if (size.isEmpty()) return kPictureDamaged;
    const int w = size.width(), h = size.height();
    const int step = w <= boxWidth && h <= boxHeight ? 1 : ShrinkStep(w, h, boxWidth, boxHeight);
    // The largest reduction the DCT gives that leaves at least one pixel per sample.
    int denom = 1;
    for (const int d : {8, 4, 2})
        if (d <= step) {
            denom = d;
            break;
        }
    QImage reduced;
    if (!DecodeJpeg(data, denom, reduced)) return kPictureDamaged;
    thumbnail = step == 1 ? reduced
                          : Sample(reduced, w / step, h / step, static_cast<double>(step) / denom,
                                   progress);
    return kPictureLoaded;
}

}  // namespace

int MakeThumbnail(const std::string& picture, const std::string& folder, int boxWidth,
                  QProgressBar* progress, int boxHeight, std::error_code* writeError) {
    QImage thumbnail;
    if (const int made = ThumbnailOf(picture, boxWidth, boxHeight, progress, thumbnail);
        made != kPictureLoaded)
        return made;
    std::error_code error;
    fs::create_directory(folder, error);
    const fs::path target = fs::path(folder) / ThumbnailName(fs::path(picture).filename().string());
    const std::string part = target.string() + ".part";
    // Encoded in memory and written by our own writer, so that a full disk is named as one.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!thumbnail.save(&buffer, "BMP")) return kPictureDamaged;
    error = WriteFileWhole(part,
                           std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (!error) fs::rename(part, target, error);
    if (!error) return kPictureLoaded;
    std::error_code ignored;
    fs::remove(part, ignored);
    if (writeError != nullptr) *writeError = error;
    return kPictureNotWritten;
}

QSize PrintSize(int w, int h, int pageWidth, int pageHeight, char mode) {
    const float aspect = static_cast<float>(w) / static_cast<float>(std::max(h, 1));
    int width = w, height = h;
    switch (mode) {
        case 'f':
        case 'p':
            // To the page's width ('p' always, 'f' when wider), then to its height when higher.
            if (mode == 'p' || pageWidth < width) {
                width = pageWidth;
                height = static_cast<int>(static_cast<float>(width) / aspect);
            }
            if (pageHeight < height) {
                height = pageHeight;
                width = static_cast<int>(static_cast<float>(height) * aspect);
            }
            break;
        case 's':
            width = pageWidth;
            height = pageHeight;
            break;
        default:
            break;
    }
    return {width, height};
}

bool PrintBitmap(const QImage& bitmap, int bitsPerPixel, int copies, char mode, QPrinter& printer) {
    if (bitmap.isNull()) return false;
    const QImage printed = bitmap.convertToFormat(bitsPerPixel <= 16 ? QImage::Format_RGB16
                                                                     : QImage::Format_RGB32);
    printer.setCopyCount(std::max(copies, 1));
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSize size = PrintSize(printed.width(), printed.height(), page.width(), page.height(), mode);
    painter.drawImage(QRect(QPoint(0, 0), size), printed);
    return painter.end();
}
