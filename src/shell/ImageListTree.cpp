// The small pictures of the tree's nodes, by the icon numbers that the budget list and the
// object tables store.
#include "shell/ImageListTree.h"

#include <QPainter>
#include <functional>

namespace {

constexpr int kSize = 16;
constexpr int kCount = 112;
constexpr int kFirstFolder = 80;

// The sixteen folder colours, in the order of their icon numbers.
constexpr QRgb kFolderColours[16] = {0xE8B93C, 0x4F86C6, 0x5BA55B, 0xD9534F, 0x9B6BC2, 0xF0883E,
                                     0x3FB5B0, 0x8C8C8C, 0xC8A165, 0xE26FA8, 0x2E5E9E, 0x7FB13F,
                                     0xA0522D, 0x6A6AD9, 0xD4C23A, 0x404040};

using TDraw = std::function<void(QPainter&)>;

QPixmap Paint(const TDraw& draw) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return pixmap;
}

// A money box: green while running, grey while stopped; lighter while expanded.
void DrawBudget(QPainter& p, bool running, bool expanded) {
    QColor body = running ? QColor(0x2E8B57) : QColor(0x8A8A8A);
    if (expanded) body = body.lighter(130);
    p.setPen(QPen(body.darker(150), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(1.5, 4.5, 13, 10), 2, 2);
    p.setPen(QPen(QColor(0x202020), 1.5));
    p.drawLine(QPointF(6, 7), QPointF(10, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2C94C));
    p.drawEllipse(QRectF(5.5, 0.5, 5, 5));
    if (!running) {
        p.setBrush(QColor(0xD9302C));
        p.drawEllipse(QRectF(9, 9, 6, 6));
    }
}

void DrawPage(QPainter& p) {
    p.setPen(QPen(QColor(0x707070), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
}

void DrawCalendar(QPainter& p) {
    DrawPage(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xD9302C));
    p.drawRect(QRectF(3, 2, 10, 3));
    p.setBrush(QColor(0x606060));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            p.drawRect(QRectF(4.5 + column * 3, 6.5 + row * 2.5, 1.5, 1.5));
}

void DrawJournal(QPainter& p) {
    DrawPage(p);
    p.setPen(QPen(QColor(0x4F86C6), 1));
    for (int line = 0; line < 4; ++line)
        p.drawLine(QPointF(5, 4.5 + line * 2.5), QPointF(11, 4.5 + line * 2.5));
}

void DrawUp(QPainter& p) {
    p.setPen(QPen(QColor(0x404040), 1.5));
    p.drawLine(QPointF(8, 3), QPointF(8, 13));
    p.drawLine(QPointF(8, 3), QPointF(4, 7));
    p.drawLine(QPointF(8, 3), QPointF(12, 7));
}

void DrawTable(QPainter& p) {
    p.setPen(QPen(QColor(0x505050), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4F86C6));
    p.drawRect(QRectF(2, 3, 12, 3));
    p.setPen(QPen(QColor(0x909090), 1));
    p.drawLine(QPointF(6.5, 6), QPointF(6.5, 13));
    p.drawLine(QPointF(2, 9.5), QPointF(14, 9.5));
}

void DrawImages(QPainter& p) {
    p.setPen(QPen(QColor(0x505050), 1));
    p.setBrush(QColor(0xCFE8FF));
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2C94C));
    p.drawEllipse(QRectF(9, 4, 3.5, 3.5));
    p.setBrush(QColor(0x5BA55B));
    p.drawPolygon(QPolygonF({{2, 13}, {6.5, 7}, {10, 11}, {12, 9}, {14, 13}}));
}

void DrawFiles(QPainter& p, bool selected) {
    p.setPen(QPen(QColor(0x707070), 1));
    p.setBrush(QColor(0xE0E0E0));
    p.drawRect(QRectF(4.5, 0.5, 10, 12));
    p.setBrush(selected ? QColor(0xFFF3C4) : QColor(Qt::white));
    p.drawRect(QRectF(1.5, 3.5, 10, 12));
    p.setPen(QPen(QColor(0x909090), 1));
    for (int line = 0; line < 3; ++line)
        p.drawLine(QPointF(3.5, 7 + line * 2.5), QPointF(9.5, 7 + line * 2.5));
}

void DrawNumber(QPainter& p) {
    p.setPen(QPen(QColor(0x505050), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(0xD9302C), 1.5));
    p.drawPolyline(QPolygonF({QPointF(3, 12), QPointF(6, 8), QPointF(9, 10), QPointF(13, 4)}));
}

// A coin with an arrow: out (red, pointing away), in (green, pointing to it) or neutral (grey).
void DrawPay(QPainter& p, int direction) {
    p.setPen(QPen(QColor(0xB8860B), 1));
    p.setBrush(QColor(0xF2C94C));
    p.drawEllipse(QRectF(0.5, 4.5, 10, 10));
    const QColor colours[3] = {QColor(0xD9302C), QColor(0x2E8B57), QColor(0x707070)};
    p.setPen(QPen(colours[direction], 1.8));
    p.drawLine(QPointF(9, 4), QPointF(15, 0.5 + 3));
    if (direction == 0) {
        p.drawLine(QPointF(15, 3.5), QPointF(12, 3));
        p.drawLine(QPointF(15, 3.5), QPointF(13.5, 6));
    } else if (direction == 1) {
        p.drawLine(QPointF(9, 4), QPointF(12, 4.5));
        p.drawLine(QPointF(9, 4), QPointF(10.5, 1.5));
    }
}

void DrawFolder(QPainter& p, QColor colour, bool open) {
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 6, 3));
    p.drawRect(QRectF(1.5, 4.5, 13, 10));
    p.setBrush(colour);
    if (open) {
        p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 14.5}, {1.5, 14.5}}));
    } else {
        p.drawRect(QRectF(1.5, 6.5, 13, 8));
    }
}

}  // namespace

TImageListTree::TImageListTree() : pixmaps_(kCount) {
    const auto set = [this](int index, const TDraw& draw) { pixmaps_[index] = Paint(draw); };
    set(0, [](QPainter& p) { DrawBudget(p, true, false); });
    set(1, [](QPainter& p) { DrawBudget(p, true, true); });
    set(4, [](QPainter& p) { DrawBudget(p, false, false); });
    set(5, [](QPainter& p) { DrawBudget(p, false, true); });
    set(10, DrawCalendar);
    set(12, DrawJournal);
    set(14, DrawUp);
    set(16, DrawTable);
    set(18, DrawImages);
    set(20, [](QPainter& p) { DrawFiles(p, false); });
    set(21, [](QPainter& p) { DrawFiles(p, true); });
    set(22, DrawNumber);
    for (int direction = 0; direction < 3; ++direction)
        set(24 + 2 * direction, [direction](QPainter& p) { DrawPay(p, direction); });
    for (int object : {10, 12, 16, 18, 22, 24, 26, 28}) pixmaps_[object + 1] = pixmaps_[object];
    for (int colour = 0; colour < 16; ++colour) {
        for (int open = 0; open < 2; ++open) {
            set(kFirstFolder + 2 * colour + open, [colour, open](QPainter& p) {
                DrawFolder(p, QColor(kFolderColours[colour]), open == 1);
            });
        }
    }
    empty_ = QPixmap(kSize, kSize);
    empty_.fill(Qt::transparent);
    for (QPixmap& pixmap : pixmaps_)
        if (pixmap.isNull()) pixmap = empty_;
}

QPixmap TImageListTree::Pixmap(int index) const {
    if (index >= 0 && index < Count()) return pixmaps_[index];
    return empty_;
}

QIcon TImageListTree::NodeIcon(int image, int selectedImage) const {
    const auto key = std::make_pair(image, selectedImage);
    auto found = icons_.find(key);
    if (found == icons_.end()) {
        QIcon icon;
        icon.addPixmap(Pixmap(image), QIcon::Normal);
        icon.addPixmap(Pixmap(selectedImage), QIcon::Selected);
        found = icons_.emplace(key, icon).first;
    }
    return found->second;
}
