// The pictures of a report: JPEG and PNG files written as RTF picture groups, scaled to the
// size a label asks for or, without one, to the page's text width when they are wider.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "reports/ReportFiles.h"
#include "reports/U_rtfreport.h"

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

// A picture's own size: its pixels, and how many of them make an inch across as the file says
// (0 when it says nothing; readers then take a screen's 96).
struct TPixelSize {
    int Width = 0;
    int Height = 0;
    double PixelsPerInch = 0;
};

constexpr double kScreenPixelsPerInch = 96;
constexpr double kTwipsPerInch = 1440;

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
    size = {static_cast<int>(info.image_width), static_cast<int>(info.image_height), 0};
    // The JFIF density in dots per inch (unit 1) or per centimetre (unit 2); unit 0 gives only
    // the pixels' aspect.
    if (info.saw_JFIF_marker && info.X_density > 0 && info.density_unit == 1)
        size.PixelsPerInch = info.X_density;
    if (info.saw_JFIF_marker && info.X_density > 0 && info.density_unit == 2)
        size.PixelsPerInch = info.X_density * 2.54;
    jpeg_destroy_decompress(&info);
    return read;
}

uint32_t BigEndian32(const unsigned char* bytes) {
    return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
           (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

// The density of a PNG file from its pHYs chunk (pixels per metre, unit 1), read from the file's
// position after the IHDR chunk up to the image data, before which the chunk must stand; 0
// without one.
double ReadPngDensity(FILE* file) {
    unsigned char chunk[8];
    while (std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {
        const uint32_t length = BigEndian32(chunk);
        const std::string_view type(reinterpret_cast<const char*>(chunk + 4), 4);
        if (type == "IDAT" || type == "IEND" || length > 0x7FFFFFFFu) return 0;
        if (type == "pHYs" && length == 9) {
            unsigned char phys[9];
            if (std::fread(phys, 1, sizeof phys, file) != sizeof phys) return 0;
            return phys[8] == 1 ? BigEndian32(phys) * 0.0254 : 0;
        }
        // The chunk's data and its checksum.
        if (std::fseek(file, static_cast<long>(length) + 4, SEEK_CUR) != 0) return 0;
    }
    return 0;
}

// The pixel size in a PNG file's header (the signature, then the IHDR chunk with the width and
// height as big-endian 32-bit numbers) and its density; false when the file does not begin so.
bool ReadPngSize(FILE* file, TPixelSize& size) {
    static constexpr unsigned char kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                                 0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    unsigned char header[24];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) return false;
    for (size_t i = 0; i < sizeof kStart; ++i)
        if (header[i] != kStart[i]) return false;
    // PNG sizes are at most 2^31 - 1.
    if (BigEndian32(header + 16) > 0x7FFFFFFFu || BigEndian32(header + 20) > 0x7FFFFFFFu)
        return false;
    size = {static_cast<int>(BigEndian32(header + 16)), static_cast<int>(BigEndian32(header + 20)),
            0};
    // Past the rest of the IHDR chunk: five bytes of its data and its checksum.
    if (std::fseek(file, 9, SEEK_CUR) == 0) size.PixelsPerInch = ReadPngDensity(file);
    return true;
}

long long ScaleOf(int asked, int own) {
    return static_cast<long long>(asked) * 100 / own;
}

// The scale, in percent, that makes a picture without a size as wide as the text when it is
// wider (rounded down, at least 1); 100 when it fits or there is no text width.
long long FitScale(TPixelSize own, int textWidth) {
    const double perInch = own.PixelsPerInch > 0 ? own.PixelsPerInch : kScreenPixelsPerInch;
    const double width = own.Width * kTwipsPerInch / perInch;
    if (textWidth <= 0 || width <= textWidth) return 100;
    return std::max(1LL, static_cast<long long>(textWidth * 100.0 / width));
}

// Writes the picture group of an open picture file.
int WriteBlip(FILE* picture, const char* blip, TPixelSize own, int width, int height, int textWidth,
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
        } else {
            scaleX = scaleY = FitScale(own, textWidth);
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
                 int width, int height, FILE* report, int textWidth) {
    const TCFile picture = OpenCFile(path, "rb");
    TPixelSize own;
    if (!picture || !readSize(picture.get(), own)) return -1;
    return WriteBlip(picture.get(), blip, own, width, height, textWidth, report);
}

}  // namespace

int WriteJpegBlip(const std::string& jpegPath, int width, int height, FILE* report, int textWidth) {
    return WritePicture(jpegPath, "jpegblip", ReadJpegSize, width, height, report, textWidth);
}

int WritePngBlip(const std::string& pngPath, int width, int height, FILE* report, int textWidth) {
    return WritePicture(pngPath, "pngblip", ReadPngSize, width, height, report, textWidth);
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
