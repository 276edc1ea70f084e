// The pictures of a report: JPEG and PNG files written as RTF picture groups, scaled to the
// size a label asks for.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <string>

#include "reports/ReportFiles.h"
#include "reports/U_rtfreport.h"

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

struct TPixelSize {
    int Width = 0;
    int Height = 0;
};

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the reader, and the messages of warnings are not printed.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Jump, 1);
}

void JpegNoMessage(j_common_ptr) {}

// The pixel size in a JPEG file's header; false when the file holds no readable header.
// (No object with a destructor lives here: the error handler jumps over this frame.)
bool ReadJpegSize(FILE* file, TPixelSize& size) {
    jpeg_decompress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegNoMessage;
    if (setjmp(error.Jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    const bool read = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    size = {static_cast<int>(info.image_width), static_cast<int>(info.image_height)};
    jpeg_destroy_decompress(&info);
    return read;
}

// The pixel size in a PNG file's header (the signature, then the IHDR chunk with the width and
// height as big-endian 32-bit numbers); false when the file does not begin so.
bool ReadPngSize(FILE* file, TPixelSize& size) {
    static constexpr unsigned char kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                                 0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    unsigned char header[24];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) return false;
    for (size_t i = 0; i < sizeof kStart; ++i)
        if (header[i] != kStart[i]) return false;
    const auto bigEndian = [&](int at) {
        return (static_cast<unsigned long>(header[at]) << 24) | (header[at + 1] << 16) |
               (header[at + 2] << 8) | header[at + 3];
    };
    // PNG sizes are at most 2^31 - 1.
    if (bigEndian(16) > 0x7FFFFFFFul || bigEndian(20) > 0x7FFFFFFFul) return false;
    size = {static_cast<int>(bigEndian(16)), static_cast<int>(bigEndian(20))};
    return true;
}

long long ScaleOf(int asked, int own) {
    return static_cast<long long>(asked) * 100 / own;
}

// Writes the picture group of an open picture file.
int WriteBlip(FILE* picture, const char* blip, TPixelSize own, int width, int height,
              FILE* report) {
    long long scaleX = 100;
    long long scaleY = 100;
    if (own.Width > 0 && own.Height > 0) {
        if (width != 0 && height != 0) {
            scaleX = ScaleOf(width, own.Width);
            scaleY = ScaleOf(height, own.Height);
        } else if (width != 0) {
            scaleX = scaleY = ScaleOf(width, own.Width);
        } else if (height != 0) {
            scaleX = scaleY = ScaleOf(height, own.Height);
        }
    }
    std::rewind(picture);
    std::fprintf(report, "\n{\\pict\\%s\\picscalex%lld\\picscaley%lld\n", blip, scaleX, scaleY);
    static constexpr char kHex[] = "0123456789abcdef";
    int bytes = 0;
    int c = 0;
    while ((c = getc_unlocked(picture)) != EOF) {
        putc_unlocked(kHex[c >> 4], report);
        putc_unlocked(kHex[c & 15], report);
        if (++bytes % 65 == 0) putc_unlocked('\n', report);
    }
    std::fputs("\n}\n", report);
    return bytes;
}

int WritePicture(const std::string& path, const char* blip, bool (*readSize)(FILE*, TPixelSize&),
                 int width, int height, FILE* report) {
    const TCFile picture = OpenCFile(path, "rb");
    TPixelSize own;
    if (!picture || !readSize(picture.get(), own)) return -1;
    return WriteBlip(picture.get(), blip, own, width, height, report);
}

}  // namespace

int WriteJpegBlip(const std::string& jpegPath, int width, int height, FILE* report) {
    return WritePicture(jpegPath, "jpegblip", ReadJpegSize, width, height, report);
}

int WritePngBlip(const std::string& pngPath, int width, int height, FILE* report) {
    return WritePicture(pngPath, "pngblip", ReadPngSize, width, height, report);
}

TReportPicture ReportPictureKind(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot))
        return TReportPicture::None;
    std::string extension(path.substr(dot));
    for (char& c : extension)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (extension == ".JPG" || extension == ".JPEG") return TReportPicture::Jpeg;
    if (extension == ".BMP") return TReportPicture::Bitmap;
    return TReportPicture::None;
}
