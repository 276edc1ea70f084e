// The date charts: the bars' pixels over the day scale and the value scale, the picture and
// its scroll bar, the two-series line through zero, highlighting and scrolling to a date.
#include <gtest/gtest.h>

#include <QFrame>
#include <QScrollBar>
#include <set>
#include <tuple>

#include "numbers/Uq519chart01.h"

namespace {

const TDateTime kDay = 46000;  // a day in 2025

TChartItems01 Bars(const std::vector<std::pair<int, std::string>>& dayValues) {
    TChartItems01 items;
    for (const auto& [day, value] : dayValues) items.push_back({kDay + day, value, kChartNavy, {}});
    return items;
}

// A chart area as the frames have it: a panel of client size 400 x 56 (so W 395, H 52), its
// scroll bar and its picture.
struct ChartArea {
    QFrame panel;
    QScrollBar scrollBar{Qt::Horizontal};
    TChartImage* image;
    ChartArea() : image(new TChartImage(&panel)) {
        panel.resize(400, 56);
        scrollBar.resize(400, 12);
    }
};

struct ScaleCase {
    const char* name;
    std::vector<std::pair<int, std::string>> items;
    float pixelsPerDay;
    std::vector<TChartRect> rects;
};

class ScaleChart01Test : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleChart01Test, BarsFollowTheDayAndValueScales) {
    TChartItems01 items = Bars(GetParam().items);
    ScaleChart01(items, 395, 52);
    EXPECT_FLOAT_EQ(PixelsPerDay01(items, 395).PixelsPerDay, GetParam().pixelsPerDay);
    ASSERT_EQ(items.size(), GetParam().rects.size());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].Rect, GetParam().rects[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleChart01Test,
    ::testing::Values(
        // 395 / 8 = 49.375 pixels a day is more than 15 for the one-day gap: 15, bars 5 wide.
        ScaleCase{"OneDayApart", {{0, "5"}, {1, "10"}}, 15, {{2, 24, 7, 50}, {17, -1, 22, 50}}},
        // Sorted by date first; heights 26 and 52, the latter held at 51 (Top -1).
        ScaleCase{"Unsorted", {{1, "10"}, {0, "5"}}, 15, {{2, 24, 7, 50}, {17, -1, 22, 50}}},
        // Two items of one day then later ones: the smallest positive gap (1) counts.
        ScaleCase{"SameDayFirst",
                  {{0, "1"}, {0, "1"}, {2, "1"}, {3, "2"}},
                  395.0f / 10 > 15 ? 15.0f : 395.0f / 10,
                  {{2, 24, 7, 50}, {2, 24, 7, 50}, {32, 24, 37, 50}, {47, -1, 52, 50}}},
        // Mend: every item on one day takes the gap of one day (no division by zero).
        ScaleCase{"AllOnOneDay", {{0, "3"}, {0, "6"}}, 15, {{2, 24, 7, 50}, {2, -1, 7, 50}}},
        // Mend: a largest value of 0 gives no scale, every bar 0 high.
        ScaleCase{"AllZero", {{0, "0"}, {4, "0"}}, 15.0f / 4, {{2, 50, 7, 50}, {17, 50, 22, 50}}},
        // Mend: a largest value below 0 the same; a negative value beside positives is 0 high.
        ScaleCase{"AllNegative", {{0, "-3"}, {1, "-6"}}, 15, {{2, 50, 7, 50}, {17, 50, 22, 50}}},
        ScaleCase{"NegativeAmongPositive",
                  {{0, "-30"}, {1, "10"}},
                  15,
                  {{2, 50, 7, 50}, {17, -1, 22, 50}}},
        // Mend: a value that is no number charts as 0; one of 60 digits is the largest and
        // reaches the top (the scale is not truncated to 0).
        ScaleCase{"NoNumberAndLongNumber",
                  {{0, "12a"}, {1, ""}, {2, std::string(60, '9')}},
                  15,
                  {{2, 50, 7, 50}, {17, 50, 22, 50}, {32, -1, 37, 50}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawChart01Test, FourHundredDaysMakeAPictureWiderThanThePanel) {
    ChartArea area;
    TChartItems01 items;
    for (int day = 0; day <= 400; ++day) items.push_back({kDay + day, "1", kChartNavy, {}});
    DrawChart01(items, Qt::white, area.panel, area.scrollBar, *area.image);

    EXPECT_FLOAT_EQ(PixelsPerDay01(items, 395).PixelsPerDay, 1.0f);  // 395 / 407 below 1
    EXPECT_EQ(items.back().Rect, (TChartRect{402, -1, 403, 50}));
    EXPECT_EQ(area.image->Bitmap.size(), QSize(403, 52));
    EXPECT_EQ(area.image->size(), QSize(403, 52));
    EXPECT_EQ(area.image->pos(), QPoint(0, 2));
    EXPECT_TRUE(area.scrollBar.isVisibleTo(&area.panel) || !area.scrollBar.isHidden());
    EXPECT_TRUE(area.scrollBar.isEnabled());
    EXPECT_EQ(area.scrollBar.maximum(), 3);
    EXPECT_EQ(area.scrollBar.value(), 3);  // the latest days are shown
}

TEST(DrawChart01Test, DrawsBarsAxesAndBackground) {
    ChartArea area;
    TChartItems01 items = Bars({{0, "5"}, {1, "10"}});
    DrawChart01(items, Qt::white, area.panel, area.scrollBar, *area.image);
    const QImage& bitmap = area.image->Bitmap;
    EXPECT_EQ(bitmap.size(), QSize(22, 52));
    EXPECT_EQ(bitmap.pixelColor(3, 30), kChartNavy);          // inside the first bar (24..49)
    EXPECT_EQ(bitmap.pixelColor(3, 20), QColor(Qt::white));   // above it
    EXPECT_EQ(bitmap.pixelColor(18, 0), kChartNavy);          // the second reaches the top
    EXPECT_EQ(bitmap.pixelColor(0, 10), QColor(Qt::black));   // vertical axis
    EXPECT_EQ(bitmap.pixelColor(10, 51), QColor(Qt::black));  // bottom axis
    EXPECT_TRUE(area.scrollBar.isHidden());
}

TEST(DrawChart01Test, FewerThanTwoItemsLeaveAnEmptyPictureAndHideTheScrollBar) {
    ChartArea area;
    TChartItems01 many;
    for (int day = 0; day <= 400; ++day) many.push_back({kDay + day, "1", kChartNavy, {}});
    DrawChart01(many, Qt::white, area.panel, area.scrollBar, *area.image);
    ASSERT_FALSE(area.scrollBar.isHidden());
    TChartItems01 one = Bars({{0, "1"}});
    DrawChart01(one, Qt::white, area.panel, area.scrollBar, *area.image);
    EXPECT_TRUE(area.image->Bitmap.isNull());
    EXPECT_TRUE(area.scrollBar.isHidden());
}

TEST(HighlightChart01DateTest, PaintsTheBarOfExactlyThatDate) {
    ChartArea area;
    TChartItems01 items = Bars({{0, "5"}, {1, "10"}});
    DrawChart01(items, Qt::white, area.panel, area.scrollBar, *area.image);
    QImage& bitmap = area.image->Bitmap;
    HighlightChart01Date(bitmap, kChartBlue, items, kDay + 1.25);  // a time of day: no bar
    HighlightChart01Date(bitmap, kChartBlue, items, kDay + 7);     // no such bar
    EXPECT_EQ(bitmap.pixelColor(18, 10), kChartNavy);
    HighlightChart01Date(bitmap, kChartBlue, items, kDay + 1);
    EXPECT_EQ(bitmap.pixelColor(18, 10), kChartBlue);
    EXPECT_EQ(bitmap.pixelColor(3, 30), kChartNavy);
}

struct ScrollCase {
    const char* name;
    int start;     // the scroll position before
    int day;       // the date scrolled to
    int expected;  // the position after
};

class ScrollChart01Test : public ::testing::TestWithParam<ScrollCase> {};

// 401 days at 1 pixel a day in a panel 400 wide: positions 0 to 3.
TEST_P(ScrollChart01Test, BringsTheBarIntoViewWithItsMargin) {
    ChartArea area;
    area.panel.resize(200, 56);
    TChartItems01 items;
    for (int day = 0; day <= 400; ++day) items.push_back({kDay + day, "1", kChartNavy, {}});
    DrawChart01(items, Qt::white, area.panel, area.scrollBar, *area.image);
    ASSERT_EQ(area.scrollBar.maximum(), 203);
    area.scrollBar.setValue(GetParam().start);
    ScrollChart01ToDate(-GetParam().start, area.panel.width(), area.scrollBar, items,
                        kDay + GetParam().day);
    EXPECT_EQ(area.scrollBar.value(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScrollChart01Test,
    ::testing::Values(ScrollCase{"AlreadyVisible", 203, 300, 203},
                      ScrollCase{"LeftOfTheView", 203, 100, 101},  // Left 102 - 1
                      ScrollCase{"FirstDay", 203, 0, 1},
                      ScrollCase{"RightOfTheView", 0, 300, 104},  // Right 303 - 200 + 1
                      ScrollCase{"NoSuchDate", 50, 1000, 50}),
    [](const auto& info) { return std::string(info.param.name); });

TChartItems01a Points(const std::vector<std::tuple<int, std::string, std::string>>& points) {
    TChartItems01a items;
    for (const auto& [day, value, value2] : points)
        items.push_back({kDay + day, value, value2, kChartNavy, {}, {}});
    return items;
}

TEST(ScaleChart01aTest, BarsAndLinePointsAroundTheZeroLine) {
    // H 52: the zero line z = 26. Values 10 and -5: scale1 = min(26/10, 26/5) = 2.6.
    TChartItems01a items = Points({{0, "10", "4"}, {1, "-5", "-8"}, {2, "0", "0"}});
    ScaleChart01a(items, 395, 52);
    EXPECT_EQ(items[0].Rect, (TChartRect{2, 25 - 26, 7, 25}));    // 10 x 2.6 = 26 above z - 1
    EXPECT_EQ(items[1].Rect, (TChartRect{17, 28, 22, 28 + 13}));  // -5 x 2.6 = -13 below z + 2
    EXPECT_EQ(items[2].Rect, (TChartRect{32, 28, 37, 29}));       // 0: one row below z + 2
    // scale2 = min(26/4, 26/8) = 3.25: 4 -> 13 above z, -8 -> 26 below z.
    EXPECT_EQ(items[0].Rect2, (TChartRect{2, 13, 7, 26}));
    EXPECT_EQ(items[1].Rect2, (TChartRect{17, 26, 22, 52}));
}

TEST(ScaleChart01aTest, ValuesAllAtOrAboveZeroTakeTheGapOfOneDay) {
    TChartItems01a items = Points({{0, "1", "1"}, {100, "2", "2"}});
    // A group of fewer than two items has gap 0, the smaller gap is 0 and becomes 1; then
    // 395 / 107 pixels a day.
    EXPECT_FLOAT_EQ(PixelsPerDay01a(items, 395).PixelsPerDay, 395.0f / 107);
    EXPECT_EQ(PixelsPerDay01a(items, 395).BarWidth, 3);
}

TEST(DrawChart01aTest, TheLineIsLimeAboveZeroAndRedBelow) {
    ChartArea area;
    TChartItems01a items = Points({{0, "1", "10"}, {1, "1", "-10"}});
    DrawChart01a(items, Qt::white, area.panel, area.scrollBar, *area.image);
    const QImage& bitmap = area.image->Bitmap;
    ASSERT_EQ(bitmap.size(), QSize(22, 52));
    // Points (4, 0) and (19, 52); the crossing at x 4 + 7.5 -> 12 (7 + 1, 0.5 above 0.4).
    auto colours = [&bitmap](int y) {
        std::set<QRgb> found;
        for (int x = 0; x < bitmap.width(); ++x) found.insert(bitmap.pixel(x, y));
        return found;
    };
    EXPECT_TRUE(colours(12).count(kChartLime.rgb()));
    EXPECT_FALSE(colours(12).count(kChartRed.rgb()));
    EXPECT_TRUE(colours(40).count(kChartRed.rgb()));
    EXPECT_FALSE(colours(40).count(kChartLime.rgb()));
    EXPECT_EQ(bitmap.pixelColor(0, 10), QColor(Qt::black));   // axis
    EXPECT_EQ(bitmap.pixelColor(20, 26), QColor(Qt::black));  // zero line, right of the line
}

TEST(DrawSignSegmentTest, CrossingRoundsUpAboveFourTenths) {
    struct Case {
        QPoint p0, p1;
        int crossingX;  // the first red pixel on the zero line's row, right of the crossing
    };
    // dz / slope: 10 / (20 / 9) = 4.5 -> 5; 10 / (20 / 7.5)... use whole pixels: dx 10, dy 24,
    // dz 10: t = 10 / 2.4 = 4.1666 -> 4.
    for (const Case& c : {Case{{0, 0}, {9, 20}, 5}, Case{{0, 0}, {10, 24}, 4}}) {
        QImage bitmap(30, 30, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        DrawSignSegment(10, bitmap, c.p0, false, c.p1, true);
        EXPECT_EQ(bitmap.pixelColor(c.crossingX, 10), kChartRed) << c.crossingX;
        EXPECT_EQ(bitmap.pixelColor(c.crossingX - 1, 9), kChartLime) << c.crossingX;
    }
}

TEST(ScrollChart01aTest, MarginOfSevenPixels) {
    ChartArea area;
    area.panel.resize(200, 56);
    TChartItems01a items;
    for (int day = 0; day <= 400; ++day)
        items.push_back({kDay + day, "1", "1", kChartNavy, {}, {}});
    DrawChart01a(items, Qt::white, area.panel, area.scrollBar, *area.image);
    ASSERT_EQ(area.scrollBar.maximum(), 403 - 200 + 7);
    ScrollChart01aToDate(-area.scrollBar.value(), 200, area.scrollBar, items, kDay + 100);
    EXPECT_EQ(area.scrollBar.value(), 102 - 7);
    // The first bar's Left 2 - 7 is held at the scroll bar's minimum.
    ScrollChart01aToDate(-area.scrollBar.value(), 200, area.scrollBar, items, kDay);
    EXPECT_EQ(area.scrollBar.value(), 0);
}

TEST(HighlightChart01aDateTest, MatchesDateAndColour) {
    ChartArea area;
    TChartItems01a items = Points({{0, "10", "1"}, {1, "5", "1"}});
    DrawChart01a(items, Qt::white, area.panel, area.scrollBar, *area.image);
    QImage& bitmap = area.image->Bitmap;
    HighlightChart01aDate(bitmap, kChartBlue, kChartRed, false, items, kDay + 1);  // colour differs
    EXPECT_EQ(bitmap.pixelColor(18, 24), kChartNavy);
    HighlightChart01aDate(bitmap, kChartBlue, kChartNavy, false, items, kDay + 1);
    EXPECT_EQ(bitmap.pixelColor(18, 24), kChartBlue);
    HighlightChart01aDate(bitmap, kChartBlue, kChartNavy, true, items, kDay + 1);
    EXPECT_EQ(bitmap.pixelColor(18, 24), kChartNavy);
}

}  // namespace
