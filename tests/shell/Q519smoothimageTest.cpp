// Logo smoothing: colour channels, gradients, the edge mix and the halo drawn around a drawing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/Q519smoothimage.h"

namespace {

constexpr std::uint32_t Rgb(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue) << 16;
}

// The panel colour of the examples and the halos it gives around three drawing colours, from
// the pixel nearest the drawing outwards.
constexpr std::uint32_t B = Rgb(212, 208, 200);
constexpr std::uint32_t Black = Rgb(0, 0, 0);
constexpr std::uint32_t Black1 = Rgb(188, 184, 177);
constexpr std::uint32_t Black2 = Rgb(207, 203, 195);
constexpr std::uint32_t Black3 = Rgb(211, 207, 199);
constexpr std::uint32_t Red = Rgb(200, 0, 40);
constexpr std::uint32_t Red1 = Rgb(211, 184, 182);
constexpr std::uint32_t Red2 = Rgb(212, 203, 196);
constexpr std::uint32_t Red3 = Rgb(212, 207, 200);
constexpr std::uint32_t Light = Rgb(250, 250, 250);  // lighter than the panel in every channel
constexpr std::uint32_t Light1 = Rgb(216, 212, 205);
constexpr std::uint32_t Light2 = Rgb(212, 209, 201);
constexpr std::uint32_t White = Rgb(255, 255, 255);

using TRows = std::vector<std::vector<std::uint32_t>>;

QImage Picture(const TRows& rows) {
    QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
                 QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const std::uint32_t c = rows[y][x];
            image.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        }
    }
    return image;
}

TRows Rows(const QImage& image) {
    TRows rows(image.height(), std::vector<std::uint32_t>(image.width()));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            rows[y][x] = Rgb(qRed(p), qGreen(p), qBlue(p));
        }
    }
    return rows;
}

// The four passes as the logo gets them, over a copy of the picture.
TRows AllPasses(const TRows& picture, bool allColours = true, std::uint32_t edge = White) {
    const QImage source = Picture(picture);
    QImage target = source.copy();
    for (auto* pass : {SmoothEdgesLeft, SmoothEdgesRight, SmoothEdgesUp, SmoothEdgesDown})
        pass(source, target, B, LogoFadingPower, LogoHaloWidth, edge, allColours);
    return Rows(target);
}

// Sets application palette colours for one test and restores the palette afterwards.
class TScopedPalette {
public:
    TScopedPalette(std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours)
        : saved(QApplication::palette()) {
        QPalette palette = saved;
        for (const auto& [role, colour] : colours) palette.setColor(role, colour);
        QApplication::setPalette(palette);
    }
    ~TScopedPalette() { QApplication::setPalette(saved); }

private:
    QPalette saved;
};

TEST(LogoSmoothing, ChannelsOfRgbAndSystemColours) {
    EXPECT_EQ(ColorChannel(B, 'R'), 212);
    EXPECT_EQ(ColorChannel(B, 'G'), 208);
    EXPECT_EQ(ColorChannel(B, 'B'), 200);
    EXPECT_EQ(ColorChannel(B, 'r'), 0);
    EXPECT_EQ(ColorChannel(B, 'A'), 0);

    const TScopedPalette palette{{QPalette::Button, QColor(10, 20, 30)},
                                 {QPalette::Base, QColor(40, 50, 60)},
                                 {QPalette::Window, QColor(70, 80, 90)}};
    struct Case {
        std::uint32_t colour;
        std::uint32_t resolved;
    };
    for (const Case& c : {Case{0x00123456, 0x00123456}, Case{clBtnFace, Rgb(10, 20, 30)},
                          Case{0xFF000005, Rgb(40, 50, 60)},   // window background
                          Case{0x80000002, Rgb(70, 80, 90)}})  // active caption: no role
    {
        SCOPED_TRACE(c.colour);
        EXPECT_EQ(ResolveColor(c.colour), c.resolved);
    }
    EXPECT_EQ(ColorChannel(clBtnFace, 'G'), 20);
}

TEST(LogoSmoothing, ChannelGradientLeavesFromSlowlyTowardsTo) {
    struct Case {
        int from;
        int to;
        std::vector<int> expected;
    };
    for (const Case& c : {
             Case{212, 0, {211, 207, 188}}, Case{208, 0, {207, 203, 184}},
             Case{200, 40, {200, 196, 182}}, Case{212, 255, {212, 213, 216}},
             Case{212, 209, {212, 212, 212}},  // contrast below four levels: step 0
             Case{212, 215, {212, 212, 212}}, Case{100, 100, {100, 100, 100}},
             Case{0, 255, {19}},  // one value: 127 / 2^2.7
         }) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        std::vector<int> values(c.expected.size(), -1);
        ChannelGradient(values, c.from, LogoFadingPower, c.to);
        EXPECT_EQ(values, c.expected);
    }
}

TEST(LogoSmoothing, MixTakesTheLargerAboveTheBackgroundElseTheSmaller) {
    struct Case {
        std::uint32_t a;
        std::uint32_t b;
        std::uint32_t mixed;
    };
    for (const Case& c : {
             Case{Black1, Light1, Light1},
             Case{Rgb(188, 184, 177), Rgb(216, 213, 206), Rgb(216, 213, 206)},
             Case{Black1, Black2, Black1},
             Case{Rgb(220, 100, 140), Rgb(100, 220, 100), Rgb(220, 220, 100)},  // per channel
             Case{B, Red1, Red1},
             Case{Light2, B, Light2},
             Case{B, B, B},
         }) {
        SCOPED_TRACE(c.a);
        EXPECT_EQ(MixEdgeColor(c.a, c.b, B), c.mixed);
        EXPECT_EQ(MixEdgeColor(c.b, c.a, B), c.mixed);
    }
}

TEST(LogoSmoothing, EdgesGetAHaloThatStopsAtTheBorderAndAtOtherPixels) {
    struct Case {
        std::string name;
        TRows picture;
        TRows expected;
    };
    const std::vector<Case> cases = {
        {"a black pixel",
         {{B, B, B, B, Black, B, B}},
         {{B, Black3, Black2, Black1, Black, Black1, Black2}}},
        {"a dark red pixel", {{B, B, B, B, Red, B, B}}, {{B, Red3, Red2, Red1, Red, Red1, Red2}}},
        {"a column",
         {{B}, {B}, {B}, {B}, {Black}, {B}, {B}},
         {{B}, {Black3}, {Black2}, {Black1}, {Black}, {Black1}, {Black2}}},
        // Left of column 0 lies nothing: the row above must not be taken for it.
        {"column 0 below the first row",
         {{B, B, B}, {Black, B, B}},
         {{Black1, B, B}, {Black, Black1, Black2}}},
        {"a gap of one", {{B, Light, B, Black, B}}, {{Light1, Light, Light1, Black, Black1}}},
        {"a gap of two",
         {{B, Light, B, B, Black, B}},
         {{Light1, Light, Light1, Rgb(188, 209, 201), Black, Black1}}},
        // Blue is the only channel off the panel colour: the black pixel's run stops at it and
        // does not reach on beyond it.
        {"a run ends at the next pixel",
         {{Black, B, Rgb(212, 208, 250), B, B, B}},
         {{Black, Rgb(188, 184, 205), Rgb(212, 208, 250), Rgb(212, 208, 205), Rgb(212, 208, 201),
           B}}},
        {"no drawing", {{B, B}, {B, B}}, {{B, B}, {B, B}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AllPasses(c.picture), c.expected);
    }
}

TEST(LogoSmoothing, EachPassDrawsTheHaloOnItsOwnSideOnly) {
    TRows picture(5, std::vector<std::uint32_t>(5, B));
    picture[2][2] = Black;
    struct Case {
        std::string name;
        void (*pass)(const QImage&, QImage&, std::uint32_t, float, int, std::uint32_t, bool);
        std::vector<std::pair<int, int>> nearestThenNext;  // (x, y)
    };
    for (const Case& c : {
             Case{"left", SmoothEdgesLeft, {{1, 2}, {0, 2}}},
             Case{"right", SmoothEdgesRight, {{3, 2}, {4, 2}}},
             Case{"up", SmoothEdgesUp, {{2, 1}, {2, 0}}},
             Case{"down", SmoothEdgesDown, {{2, 3}, {2, 4}}},
         }) {
        SCOPED_TRACE(c.name);
        const QImage source = Picture(picture);
        QImage target = source.copy();
        c.pass(source, target, B, LogoFadingPower, LogoHaloWidth, White, true);
        TRows expected = picture;
        expected[c.nearestThenNext[0].second][c.nearestThenNext[0].first] = Black1;
        expected[c.nearestThenNext[1].second][c.nearestThenNext[1].first] = Black2;
        EXPECT_EQ(Rows(target), expected);
        EXPECT_EQ(Rows(source), picture);
    }
}

TEST(LogoSmoothing, WithoutAllColoursOnlyTheEdgeColourStartsRuns) {
    EXPECT_EQ(AllPasses({{B, Black, B, B, B, Red, B}}, false, Black),
              (TRows{{Black1, Black, Black1, Black2, Black3, Red, B}}));
}

TEST(LogoSmoothing, LogoTakesThePanelColourForWhiteAndAHalo) {
    EXPECT_EQ(static_cast<double>(LogoFadingPower), 2.700000047683716);

    // An 8-bit picture, as logos are often stored.
    QImage source(7, 1, QImage::Format_Indexed8);
    source.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    source.fill(0);
    source.setPixel(4, 0, 1);
    const TRows expected = {{B, Black3, Black2, Black1, Black, Black1, Black2}};

    QImage target;
    SmoothLogo(source, target, B);
    EXPECT_EQ(target.format(), QImage::Format_RGB32);
    EXPECT_EQ(Rows(target), expected);

    const TScopedPalette palette{{QPalette::Button, QColor(212, 208, 200)}};
    QImage onButtonFace;
    SmoothLogo(source, onButtonFace, clBtnFace);
    EXPECT_EQ(Rows(onButtonFace), expected);
}

TEST(LogoSmoothing, APictureWithoutWhiteOrPanelColourStaysAsItIs) {
    const TRows picture = {{Black, Red}, {Light, Rgb(10, 20, 30)}};
    QImage target;
    SmoothLogo(Picture(picture), target, B);
    EXPECT_EQ(Rows(target), picture);
}

}  // namespace
