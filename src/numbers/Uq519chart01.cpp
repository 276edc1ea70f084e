// The date charts of numbers, pays and reports: one bar per dated value (one series) or bars
// around a zero line with a line through a second series (two series), drawn into an image
// that sits in a panel with a horizontal scroll bar below it.
#include "numbers/Uq519chart01.h"

#include <QFrame>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "decimal/Large_fix.h"

namespace {

constexpr int kBarGapMin = 1;   // pixels the smallest gap between two days covers at least
constexpr int kBarGapMax = 15;  // ... and at most
constexpr int kBarWidthMax = 5;
constexpr int kSpanMargin = 7;  // days added to the span when the width is shared out
constexpr int kLeftMargin = 2;  // pixels left of the first bar

long DayOf(TDateTime date) {
    return static_cast<long>(std::trunc(date));
}

// A value as the chart reads it: a text that is no number charts as 0.
large_fix ChartValue(const std::string& text) {
    try {
        return large_fix(text.c_str());
    } catch (const LargeError&) {
        return large_fix();
    }
}

// The value rounded half away from zero to a whole number, held within the int range.
int RoundedPixels(large_fix value) {
    value.Round(0);
    if (value > large_fix(INT_MAX)) return INT_MAX;
    if (value < large_fix(INT_MIN + 1)) return INT_MIN + 1;
    return static_cast<int>(std::strtol(value.ToString().c_str(), nullptr, 10));
}

// px := W / (span + 7); the smallest gap g then covers 1 to 15 pixels; the bar is g x px wide,
// 1 to 5 pixels.
TDayScale ScaleForGap(long gap, long span, int width) {
    TDayScale scale;
    scale.PixelsPerDay = static_cast<float>(width) / static_cast<float>(span + kSpanMargin);
    const float g = static_cast<float>(gap);
    if (g * scale.PixelsPerDay < kBarGapMin)
        scale.PixelsPerDay = kBarGapMin / g;
    else if (g * scale.PixelsPerDay > kBarGapMax)
        scale.PixelsPerDay = kBarGapMax / g;
    scale.BarWidth = std::clamp(static_cast<int>(g * scale.PixelsPerDay), 1, kBarWidthMax);
    return scale;
}

int BarLeft(TDateTime date, TDateTime first, float pixelsPerDay) {
    return static_cast<int>(static_cast<float>(DayOf(date) - DayOf(first)) * pixelsPerDay +
                            kLeftMargin);
}

void FillRect(QPainter& painter, const TChartRect& rect, const QColor& color) {
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
    painter.fillRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top, color);
}

void LineTo(QPainter& painter, QPoint from, QPoint to, const QColor& color) {
    painter.setPen(color);
    painter.drawLine(from, to);
}

// An empty picture of the chart's size with the background, the vertical axis at x 0 and the
// horizontal axis at y `axis`.
QImage NewBitmap(int width, int height, const QColor& background, int axis) {
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(background);
    QPainter painter(&bitmap);
    LineTo(painter, {0, 0}, {0, height - 1}, Qt::black);
    LineTo(painter, {1, axis}, {width, axis}, Qt::black);
    return bitmap;
}

// Places the picture at the panel's top and sets the scroll bar: shown at its end when the
// picture is wider than the panel (its end `extra` pixels further), else hidden.
void PlaceImage(QFrame& panel, QScrollBar& scrollBar, TChartImage& image, int extra) {
    image.Changed();
    image.move(0, 2);
    if (image.width() > panel.width()) {
        scrollBar.setEnabled(true);
        scrollBar.setMinimum(0);
        scrollBar.setMaximum(image.width() - panel.width() + extra);
        scrollBar.setValue(scrollBar.maximum());
        scrollBar.show();
    } else {
        scrollBar.setEnabled(false);
        scrollBar.hide();
    }
}

template <class Items>
void ScrollToDate(int imageLeft, int panelWidth, QScrollBar& scrollBar, const Items& items,
                  TDateTime date, int margin) {
    if (items.size() < 2 || !scrollBar.isVisibleTo(scrollBar.parentWidget())) return;
    const auto item = std::find_if(items.begin(), items.end(),
                                   [date](const auto& entry) { return entry.Date == date; });
    if (item == items.end()) return;
    const TChartRect& rect = item->Rect;
    const bool leftOut = rect.Left + imageLeft<0, rightOut = rect.Right + imageLeft> panelWidth;
    if (!leftOut && !rightOut) return;
    const int position = rightOut ? rect.Right - panelWidth + margin : rect.Left - margin;
    scrollBar.setValue(std::clamp(position, scrollBar.minimum(), scrollBar.maximum()));
}

// The pixels of a value on a scale of `pixels` for `range`: value x pixels / range, rounded. The
// product is formed first, so that a range of many digits does not truncate the scale to 0.
int ScaledPixels(const large_fix& value, int pixels, const large_fix& range) {
    return RoundedPixels(value * large_fix(pixels) / range);
}

// The range that z pixels cover on either side of the zero line: the larger of the largest
// value above 0 and the smallest below 0 taken positive; nothing when the series is all 0 (a
// scale of 1 pixel per unit).
std::optional<large_fix> SeriesRange(const std::vector<large_fix>& values) {
    large_fix largest, smallest;
    for (const large_fix& value : values) {
        if (value > largest) largest = value;
        if (value < smallest) smallest = value;
    }
    const large_fix range = std::max(largest, smallest * large_fix(-1));
    if (range == large_fix()) return std::nullopt;
    return range;
}

int SeriesPixels(const large_fix& value, int z, const std::optional<large_fix>& range) {
    return range ? ScaledPixels(value, z, *range) : RoundedPixels(value);
}

}  // namespace

TChartImage::TChartImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TChartImage::Changed() {
    resize(Bitmap.size());
    update();
}

void TChartImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Bitmap);
}

TDayScale PixelsPerDay01(const TChartItems01& items, int width) {
    long gap = 0;
    for (size_t i = 1; i < items.size(); ++i) {
        const long difference = DayOf(items[i].Date) - DayOf(items[i - 1].Date);
        if (difference > 0 && (gap == 0 || difference < gap)) gap = difference;
    }
    // Items all on one day have no gap between days: they take one day.
    if (gap == 0) gap = 1;
    const long span = DayOf(items.back().Date) - DayOf(items.front().Date);
    return ScaleForGap(gap, span, width);
}

TDayScale PixelsPerDay01a(const TChartItems01a& items, int width) {
    // Per sign of Value, the smallest difference between consecutive items of that sign.
    long gaps[2] = {0, 0};
    const ChartItem01a* last[2] = {nullptr, nullptr};
    bool first[2] = {true, true};
    for (const ChartItem01a& item : items) {
        const int group = ChartValue(item.Value) < large_fix() ? 1 : 0;
        if (last[group] != nullptr) {
            const long difference = DayOf(item.Date) - DayOf(last[group]->Date);
            if (first[group] || difference < gaps[group]) gaps[group] = difference;
            first[group] = false;
        }
        last[group] = &item;
    }
    const long gap = std::max(std::min(gaps[0], gaps[1]), 1L);
    const long span = DayOf(items.back().Date) - DayOf(items.front().Date);
    return ScaleForGap(gap, span, width);
}

void ScaleChart01(TChartItems01& items, int width, int height) {
    std::sort(items.begin(), items.end(),
              [](const ChartItem01& a, const ChartItem01& b) { return a.Date < b.Date; });
    if (items.size() < 2) return;
    std::vector<large_fix> values;
    values.reserve(items.size());
    large_fix largest;
    for (const ChartItem01& item : items) {
        values.push_back(ChartValue(item.Value));
        if (values.size() == 1 || values.back() > largest) largest = values.back();
    }
    // A largest value of 0 or below gives no scale: every bar is drawn with height 0.
    const bool scaled = largest > large_fix();
    const TDayScale days = PixelsPerDay01(items, width);
    for (size_t i = 0; i < items.size(); ++i) {
        TChartRect& rect = items[i].Rect;
        rect.Left = BarLeft(items[i].Date, items.front().Date, days.PixelsPerDay);
        rect.Right = rect.Left + days.BarWidth;
        rect.Bottom = height - 2;
        // A negative value: height 0.
        int h = scaled ? std::max(ScaledPixels(values[i], height, largest), 0) : 0;
        if (h > rect.Bottom) h = rect.Bottom + 1;
        rect.Top = rect.Bottom - h;
    }
}

void ScaleChart01a(TChartItems01a& items, int width, int height) {
    if (items.size() < 2) return;
    const int z = height / 2;
    std::vector<large_fix> values, values2;
    for (const ChartItem01a& item : items) {
        values.push_back(ChartValue(item.Value));
        values2.push_back(ChartValue(item.Value2));
    }
    const std::optional<large_fix> range1 = SeriesRange(values), range2 = SeriesRange(values2);
    const TDayScale days = PixelsPerDay01a(items, width);
    for (size_t i = 0; i < items.size(); ++i) {
        ChartItem01a& item = items[i];
        const int x = BarLeft(item.Date, items.front().Date, days.PixelsPerDay);
        item.Rect.Left = item.Rect2.Left = x;
        item.Rect.Right = item.Rect2.Right = x + days.BarWidth;
        if (values[i] > large_fix()) {
            item.Rect.Bottom = z - 1;
            item.Rect.Top = item.Rect.Bottom - std::max(SeriesPixels(values[i], z, range1), 1);
        } else {
            item.Rect.Top = z + 2;
            item.Rect.Bottom = item.Rect.Top - std::min(SeriesPixels(values[i], z, range1), -1);
        }
        if (values2[i] > large_fix()) {
            item.Rect2.Bottom = z;
            item.Rect2.Top = z - std::max(SeriesPixels(values2[i], z, range2), 1);
        } else {
            item.Rect2.Top = z;
            item.Rect2.Bottom = z - std::min(SeriesPixels(values2[i], z, range2), -1);
        }
    }
}

void DrawChart01(TChartItems01& items, const QColor& background, QFrame& panel,
                 QScrollBar& scrollBar, TChartImage& image) {
    panel.setFrameShape(QFrame::NoFrame);
    const int width = panel.contentsRect().width() - 5;
    const int height = panel.contentsRect().height() - 4;
    ScaleChart01(items, width, height);
    if (items.size() < 2) {
        image.Bitmap = QImage();
    } else {
        image.Bitmap = NewBitmap(items.back().Rect.Right, height, background, height - 1);
        QPainter painter(&image.Bitmap);
        for (const ChartItem01& item : items) FillRect(painter, item.Rect, item.Color);
    }
    PlaceImage(panel, scrollBar, image, 0);
}

void DrawSignSegment(int z, QImage& bitmap, QPoint p0, bool negative0, QPoint p1, bool negative1) {
    QPainter painter(&bitmap);
    const QColor color0 = negative0 ? kChartRed : kChartLime;
    const QColor color1 = negative1 ? kChartRed : kChartLime;
    if (negative0 == negative1) {
        LineTo(painter, p0, p1, color0);
        return;
    }
    const double dx = std::abs(p1.x() - p0.x()), dy = std::abs(p1.y() - p0.y());
    const double dz = std::abs(z - p0.y());
    const double slope = dx == 0 ? 1 : dy / dx;
    const double t = dz / slope;
    const int k = static_cast<int>(std::trunc(t)) + (t - std::trunc(t) > 0.4 ? 1 : 0);
    const QPoint crossing(p0.x() + k, z);
    LineTo(painter, p0, crossing, color0);
    LineTo(painter, crossing, p1, color1);
}

void DrawChart01a(TChartItems01a& items, const QColor& background, QFrame& panel,
                  QScrollBar& scrollBar, TChartImage& image) {
    image.Bitmap = QImage();
    if (items.size() < 2) {
        image.Changed();
        return;
    }
    const int height = panel.contentsRect().height() - 4;
    const int z = height / 2;
    ScaleChart01a(items, panel.contentsRect().width() - 5, height);
    image.Bitmap = NewBitmap(items.back().Rect.Right, height, background, z);
    PlaceImage(panel, scrollBar, image, kSpanMargin);
    // The line, then the bars over it.
    const int half = (items.front().Rect2.Right - items.front().Rect2.Left) / 2;
    auto point = [half](const ChartItem01a& item, bool negative) {
        return QPoint(item.Rect2.Left + half, negative ? item.Rect2.Bottom : item.Rect2.Top);
    };
    for (size_t i = 1; i < items.size(); ++i) {
        const bool negative0 = ChartValue(items[i - 1].Value2) < large_fix();
        const bool negative1 = ChartValue(items[i].Value2) < large_fix();
        DrawSignSegment(z, image.Bitmap, point(items[i - 1], negative0), negative0,
                        point(items[i], negative1), negative1);
    }
    QPainter painter(&image.Bitmap);
    for (const ChartItem01a& item : items) FillRect(painter, item.Rect, item.Color);
    image.update();
}

void HighlightChart01Date(QImage& bitmap, const QColor& color, const TChartItems01& items,
                          TDateTime date) {
    if (items.size() < 2) return;
    const auto item = std::find_if(items.begin(), items.end(),
                                   [date](const ChartItem01& entry) { return entry.Date == date; });
    if (item == items.end()) return;
    QPainter painter(&bitmap);
    FillRect(painter, item->Rect, color);
}

void HighlightChart01aDate(QImage& bitmap, const QColor& color, const QColor& match, bool ownColor,
                           const TChartItems01a& items, TDateTime date) {
    if (items.size() < 2) return;
    const auto item =
        std::find_if(items.begin(), items.end(), [date, &match](const ChartItem01a& entry) {
            return entry.Date == date && entry.Color == match;
        });
    if (item == items.end()) return;
    QPainter painter(&bitmap);
    FillRect(painter, item->Rect, ownColor ? item->Color : color);
}

void ScrollChart01ToDate(int imageLeft, int panelWidth, QScrollBar& scrollBar,
                         const TChartItems01& items, TDateTime date) {
    ScrollToDate(imageLeft, panelWidth, scrollBar, items, date, 1);
}

void ScrollChart01aToDate(int imageLeft, int panelWidth, QScrollBar& scrollBar,
                          const TChartItems01a& items, TDateTime date) {
    ScrollToDate(imageLeft, panelWidth, scrollBar, items, date, kSpanMargin);
}

TChartControls NewChartControls(QWidget& frame) {
    auto* panel = new QFrame(&frame);
    panel->setObjectName(QStringLiteral("PanelChart"));
    panel->setAutoFillBackground(true);
    panel->setStyleSheet(QStringLiteral("QFrame#PanelChart { background: white; }"));
    auto* image = new TChartImage(panel);
    image->setObjectName(QStringLiteral("ImageChart"));
    auto* scrollBar = new QScrollBar(Qt::Horizontal, &frame);
    scrollBar->setObjectName(QStringLiteral("ScrollBarChart"));
    scrollBar->hide();
    QObject::connect(scrollBar, &QScrollBar::valueChanged, image,
                     [image](int position) { image->move(-position, image->y()); });
    return {panel, image, scrollBar};
}
