// The date charts of numbers, pays and reports: one bar per dated value (one series) or bars
// around a zero line with a line through a second series (two series), drawn into an image
// that sits in a panel with a horizontal scroll bar below it.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <vector>

#include "platform/Dates.h"

class QFrame;
class QScrollBar;

// A rectangle on the chart's bitmap, as the drawing computes it: it covers the pixels from Left
// to Right - 1 and from Top to Bottom - 1 (Top = Bottom is an empty bar).
struct TChartRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TChartRect&) const = default;
};

// One bar of the one-series chart. The caller fills Date, Value (a decimal text) and Color;
// DrawChart01 fills Rect.
struct ChartItem01 {
    TDateTime Date = 0;
    std::string Value;
    QColor Color;
    TChartRect Rect;
};
using TChartItems01 = std::vector<ChartItem01>;

// One date of the two-series chart: Value the bar, Value2 the line's point.
struct ChartItem01a {
    TDateTime Date = 0;
    std::string Value;
    std::string Value2;
    QColor Color;
    TChartRect Rect;
    TChartRect Rect2;
};
using TChartItems01a = std::vector<ChartItem01a>;

// The chart's picture inside its panel: it shows Bitmap and takes its size.
class TChartImage : public QWidget {
public:
    explicit TChartImage(QWidget* parent);
    QImage Bitmap;
    // Takes the bitmap's size and repaints; after a drawing or a highlight.
    void Changed();

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The chart of a frame: the panel `PanelChart` on white holding the picture `ImageChart`, and
// below it the scroll bar `ScrollBarChart` (hidden until a drawing needs it), which moves the
// picture. The frame places the panel and the scroll bar.
struct TChartControls {
    QFrame* Panel;
    TChartImage* Image;
    QScrollBar* ScrollBar;
};
TChartControls NewChartControls(QWidget& frame);

// The colours the charts use.
inline const QColor kChartNavy{0x00, 0x00, 0x80};
inline const QColor kChartBlue{0x00, 0x00, 0xFF};
inline const QColor kChartLime{0x00, 0xFF, 0x00};
inline const QColor kChartRed{0xFF, 0x00, 0x00};

// Sorts the items by date, computes every bar and draws them over the background, with the
// vertical axis and the bottom axis; the scroll bar shows the latest days (hidden when the
// picture fits the panel). Fewer than 2 items leave an empty picture and a hidden scroll bar.
// Items all on one day take a gap of one day; a largest value of 0 or below draws every bar
// with height 0, as does a negative value; a value that is no number draws as 0.
void DrawChart01(TChartItems01& items, const QColor& background, QFrame& panel,
                 QScrollBar& scrollBar, TChartImage& image);
// The two-series chart of items in ascending date order: bars above and below the zero line
// in the middle, the line through the second series lime at or above zero and red below.
// Fewer than 2 items empty the picture and leave the scroll bar as it was.
void DrawChart01a(TChartItems01a& items, const QColor& background, QFrame& panel,
                  QScrollBar& scrollBar, TChartImage& image);

// Fills the bar of the first item whose Date equals the date exactly with the colour
// (nothing with fewer than 2 items).
void HighlightChart01Date(QImage& bitmap, const QColor& color, const TChartItems01& items,
                          TDateTime date);
// Fills the bar of the first item with that Date and the colour `match` with its own colour
// (ownColor) or with `color`.
void HighlightChart01aDate(QImage& bitmap, const QColor& color, const QColor& match, bool ownColor,
                           const TChartItems01a& items, TDateTime date);
// Moves the scroll bar so that the bar of the date is visible with a margin of 1 pixel (7 for
// the two-series chart); `imageLeft` is the picture's left in the panel, `panelWidth` the
// panel's width. Nothing when the scroll bar is hidden or no item has exactly that date.
void ScrollChart01ToDate(int imageLeft, int panelWidth, QScrollBar& scrollBar,
                         const TChartItems01& items, TDateTime date);
void ScrollChart01aToDate(int imageLeft, int panelWidth, QScrollBar& scrollBar,
                          const TChartItems01a& items, TDateTime date);

// The steps of the drawing, for the drawing itself and its tests.
//
// Pixels per day and bar width: the smallest positive gap between days covers 1 to 15 pixels,
// the bar is that wide but 1 to 5 pixels.
struct TDayScale {
    float PixelsPerDay = 0;
    int BarWidth = 0;
};
// Over items in ascending order, W the drawing's width.
TDayScale PixelsPerDay01(const TChartItems01& items, int width);
TDayScale PixelsPerDay01a(const TChartItems01a& items, int width);
// Sorts the items and computes their bars for a drawing W x H (fewer than 2 items: nothing).
void ScaleChart01(TChartItems01& items, int width, int height);
// Computes the bars and the line's rectangles for a drawing W x H (fewer than 2 items: nothing).
void ScaleChart01a(TChartItems01a& items, int width, int height);
// Draws one piece of the second series' line from p0 to p1 (each negative when its value is
// below 0), crossing the zero line z in the colour of each side.
void DrawSignSegment(int z, QImage& bitmap, QPoint p0, bool negative0, QPoint p1, bool negative1);
