// Logo smoothing: puts the panel colour in place of a logo's white background and softens the
// drawing's edges into it with a short colour gradient.
#include "shell/Q519smoothimage.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// What a position outside the picture reads as: no RGB colour equals it (its high byte is set),
// so it never counts as background.
constexpr std::uint32_t kOutside = 0xFFFFFFFF;

// The palette roles that stand for the window system's system colours, by index. Indices not
// listed (scroll bars, desktop, captions, borders, menus) take the Window colour.
struct TSystemColourRole {
    int Index;
    QPalette::ColorRole Role;
};
constexpr TSystemColourRole kSystemColourRoles[] = {
    {5, QPalette::Base},              // window background
    {7, QPalette::WindowText},        // menu text
    {8, QPalette::Text},              // window text
    {13, QPalette::Highlight},        // selection
    {14, QPalette::HighlightedText},  // selected text
    {15, QPalette::Button},           // button face
    {16, QPalette::Dark},             // button shadow
    {18, QPalette::ButtonText},       // button text
    {20, QPalette::Light},            // button highlight
    {21, QPalette::Shadow},           // dark 3D shadow
    {22, QPalette::Midlight},         // 3D light
    {23, QPalette::ToolTipText},      // tooltip text
    {24, QPalette::ToolTipBase},      // tooltip background
    {26, QPalette::Link},             // hot-tracked item
};

QPalette::ColorRole SystemColourRole(int index) {
    for (const TSystemColourRole& entry : kSystemColourRoles) {
        if (entry.Index == index) return entry.Role;
    }
    return QPalette::Window;
}

std::uint32_t Pack(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue) << 16;
}

std::uint32_t PixelAt(const QImage& image, int x, int y) {
    if (!image.valid(x, y)) return kOutside;
    const QRgb pixel = image.pixel(x, y);
    return Pack(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

void SetPixelAt(QImage& image, int x, int y, std::uint32_t rgb) {
    image.setPixel(x, y, qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
}

// Written pixels must read back as written: a format of fewer bits or a colour table would not
// keep them.
void MakeWritable(QImage& image) {
    if (image.format() != QImage::Format_RGB32) image.convertTo(QImage::Format_RGB32);
}

// One pass of edge smoothing: a run starts at a pixel whose neighbour one step of (dx, dy) away
// is background and reaches up to `width` steps that way. The order in which runs are taken
// does not change the result (see MixEdgeColor), so every pass walks the rows alike.
void SmoothEdges(const QImage& source, QImage& target, std::uint32_t background, float power,
                 int width, std::uint32_t edgeColour, bool allColours, int dx, int dy) {
    MakeWritable(target);
    std::vector<std::uint32_t> gradient(static_cast<std::size_t>(std::max(width, 0)));
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const std::uint32_t colour = PixelAt(source, x, y);
            if (colour == background || PixelAt(source, x + dx, y + dy) != background) continue;
            if (!allColours && colour != edgeColour) continue;
            ColorGradient(gradient, background, power, colour);
            for (int d = 1; d <= width; ++d) {
                const int kx = x + d * dx;
                const int ky = y + d * dy;
                if (PixelAt(source, kx, ky) != background) break;
                if (!target.valid(kx, ky)) continue;
                // Distance 1 takes the colour nearest the edge pixel's, distance `width` the
                // one nearest the background.
                const std::uint32_t halo = gradient[static_cast<std::size_t>(width - d)];
                const std::uint32_t old = PixelAt(target, kx, ky);
                SetPixelAt(target, kx, ky,
                           old == background ? halo : MixEdgeColor(old, halo, background));
            }
        }
    }
}

}  // namespace

int ColorChannel(std::uint32_t colour, char channel) {
    if ((colour & 0xFF000000) != 0) {
        const QColor system =
            QGuiApplication::palette().color(SystemColourRole(static_cast<int>(colour & 0xFF)));
        colour = Pack(system.red(), system.green(), system.blue());
    }
    switch (channel) {
        case 'R':
            return static_cast<int>(colour & 0xFF);
        case 'G':
            return static_cast<int>((colour >> 8) & 0xFF);
        case 'B':
            return static_cast<int>((colour >> 16) & 0xFF);
        default:
            return 0;
    }
}

std::uint32_t ResolveColor(std::uint32_t colour) {
    return Pack(ColorChannel(colour, 'R'), ColorChannel(colour, 'G'), ColorChannel(colour, 'B'));
}

void ChannelGradient(std::span<int> values, int from, float power, int to) {
    const int n = static_cast<int>(values.size());
    const int step = std::abs(to - from) / (n + 1);
    if (to == from) {
        std::fill(values.begin(), values.end(), to);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const auto d = static_cast<int>(
            (1.0 / std::pow(static_cast<double>(n + 1 - i), static_cast<double>(power))) *
            ((i + 1) * step));
        values[static_cast<std::size_t>(i)] = std::clamp(to > from ? from + d : from - d, 0, 255);
    }
}

void ColorGradient(std::span<std::uint32_t> colours, std::uint32_t from, float power,
                   std::uint32_t to) {
    const std::size_t n = colours.size();
    std::vector<int> red(n), green(n), blue(n);
    ChannelGradient(red, ColorChannel(from, 'R'), power, ColorChannel(to, 'R'));
    ChannelGradient(green, ColorChannel(from, 'G'), power, ColorChannel(to, 'G'));
    ChannelGradient(blue, ColorChannel(from, 'B'), power, ColorChannel(to, 'B'));
    for (std::size_t i = 0; i < n; ++i) colours[i] = Pack(red[i], green[i], blue[i]);
}

std::uint32_t MixEdgeColor(std::uint32_t a, std::uint32_t b, std::uint32_t background) {
    int mixed[3];
    const char channels[3] = {'R', 'G', 'B'};
    for (int c = 0; c < 3; ++c) {
        const int ac = ColorChannel(a, channels[c]);
        const int bc = ColorChannel(b, channels[c]);
        const int larger = std::max(ac, bc);
        mixed[c] = larger > ColorChannel(background, channels[c]) ? larger : std::min(ac, bc);
    }
    return Pack(mixed[0], mixed[1], mixed[2]);
}

void ReplaceColor(QImage& image, std::uint32_t from, std::uint32_t to) {
    MakeWritable(image);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (PixelAt(image, x, y) == from) SetPixelAt(image, x, y, to);
        }
    }
}

void SmoothEdgesLeft(const QImage& source, QImage& target, std::uint32_t background, float power,
                     int width, std::uint32_t edgeColour, bool allColours) {
    SmoothEdges(source, target, background, power, width, edgeColour, allColours, -1, 0);
}

void SmoothEdgesRight(const QImage& source, QImage& target, std::uint32_t background, float power,
                      int width, std::uint32_t edgeColour, bool allColours) {
    SmoothEdges(source, target, background, power, width, edgeColour, allColours, 1, 0);
}

void SmoothEdgesUp(const QImage& source, QImage& target, std::uint32_t background, float power,
                   int width, std::uint32_t edgeColour, bool allColours) {
    SmoothEdges(source, target, background, power, width, edgeColour, allColours, 0, -1);
}

void SmoothEdgesDown(const QImage& source, QImage& target, std::uint32_t background, float power,
                     int width, std::uint32_t edgeColour, bool allColours) {
    SmoothEdges(source, target, background, power, width, edgeColour, allColours, 0, 1);
}

void SmoothLogo(const QImage& source, QImage& target, std::uint32_t panelColour) {
    QImage work = source.convertToFormat(QImage::Format_RGB32);
    const std::uint32_t white = ResolveColor(0xFFFFFF);
    const std::uint32_t back = ResolveColor(panelColour);
    ReplaceColor(work, white, back);
    target = work.copy();
    for (auto* pass : {SmoothEdgesLeft, SmoothEdgesRight, SmoothEdgesUp, SmoothEdgesDown})
        pass(work, target, back, LogoFadingPower, LogoHaloWidth, white, true);
}
