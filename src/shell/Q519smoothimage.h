// Logo smoothing: puts the panel colour in place of a logo's white background and softens the
// drawing's edges into it with a short colour gradient.
#pragma once

#include <QImage>
#include <cstdint>
#include <span>

// Colours are 32-bit values. With the high byte 0 the value is an RGB colour packed as
// 0x00BBGGRR (red in the low byte). With the high byte not 0 it names a system colour whose low
// byte is its index in the window system's table (15 is the button face, see ColorChannel).

// The button-face system colour: the colour of the main window's panels.
constexpr std::uint32_t clBtnFace = 0xFF00000F;

// The halo SmoothLogo draws: its width in pixels and the power of its fading, held as a float as
// the gradients were always computed with it.
constexpr int LogoHaloWidth = 3;
constexpr float LogoFadingPower = 2.7F;

// The channel 'R', 'G' or 'B' of the colour (0..255); any other letter gives 0. A system colour
// is read from the application palette first: the button face as its Button colour, the others
// as the palette role nearest to their meaning (the Window colour when none fits).
int ColorChannel(std::uint32_t colour, char channel);

// The colour as RGB: an RGB colour stays as it is, a system colour becomes its palette colour.
std::uint32_t ResolveColor(std::uint32_t colour);

// Fills `values` (n of them) with levels that leave `from` towards `to`, slowly at first: each
// value i moves from `from` by ((i + 1) x step) / (n + 1 - i)^power, truncated, where step is
// |to - from| / (n + 1) in whole levels; every value is clamped to 0..255. A contrast below
// n + 1 levels gives step 0, so every value equals `from`.
void ChannelGradient(std::span<int> values, int from, float power, int to);

// ChannelGradient for each channel of the two colours, packed as RGB colours.
void ColorGradient(std::span<std::uint32_t> colours, std::uint32_t from, float power,
                   std::uint32_t to);

// Per channel: the larger of a and b when it lies above the background's channel, else the
// smaller. Mixing a pixel with several values gives, per channel, the largest of them when any
// lies above the background, else the smallest; mixing with the background itself changes
// nothing, so the result of several mixes does not depend on their order.
std::uint32_t MixEdgeColor(std::uint32_t a, std::uint32_t b, std::uint32_t background);

// Every pixel of the RGB colour `from` becomes `to`. The image is turned into Format_RGB32
// first (when it is not), so that every colour is stored exactly.
void ReplaceColor(QImage& image, std::uint32_t from, std::uint32_t to);

// The four passes of edge smoothing, each in one direction. A pixel of `source` that is not
// `background` (and, unless `allColours`, is `edgeColour`) and whose neighbour on that side is
// `background` starts a run: the up to `width` background pixels beyond it on that side, as far
// as the run meets no other pixel and stays inside the picture, get a gradient from the
// background (farthest) towards the pixel's colour (nearest) computed with `power`. A target
// pixel that is background takes the gradient colour, any other is mixed with it
// (MixEdgeColor). The source is only read and the target only written; `background` must be an
// RGB colour, and positions outside the picture never count as background. The target is
// turned into Format_RGB32 first (when it is not); positions outside it are left alone.
void SmoothEdgesLeft(const QImage& source, QImage& target, std::uint32_t background, float power,
                     int width, std::uint32_t edgeColour, bool allColours);
void SmoothEdgesRight(const QImage& source, QImage& target, std::uint32_t background, float power,
                      int width, std::uint32_t edgeColour, bool allColours);
void SmoothEdgesUp(const QImage& source, QImage& target, std::uint32_t background, float power,
                   int width, std::uint32_t edgeColour, bool allColours);
void SmoothEdgesDown(const QImage& source, QImage& target, std::uint32_t background, float power,
                     int width, std::uint32_t edgeColour, bool allColours);

// Makes a logo for a panel of the given colour (RGB or system colour): the source's white
// becomes the panel colour, and every edge between the drawing and it gets a halo of
// LogoHaloWidth pixels fading with LogoFadingPower. The target becomes the result
// (Format_RGB32, the source's size).
void SmoothLogo(const QImage& source, QImage& target, std::uint32_t panelColour);
