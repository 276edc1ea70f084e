// The look that the frames of the frame panel share: header, description memo, read-only table
// grid and navigator buttons.
#include "shell/FrameWidgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <algorithm>

#include "shell/FrameRegistry.h"
#include "shell/Ulanguage_widgets.h"

QString TElidedLabel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize TElidedLabel::minimumSizeHint() const {
    const QSize plain = QLabel::minimumSizeHint();
    return wordWrap() ? plain : QSize(0, plain.height());
}

void TElidedLabel::paintEvent(QPaintEvent* event) {
    if (wordWrap()) return QLabel::paintEvent(event);
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), ShownText(), foregroundRole());
}

QFont PixelFont(const char* family, int pixels, bool bold) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void StyleFrameHeader(TFrameBase& frame) {
    frame.LabelHeader->setFont(PixelFont("Arial", 13, true));
    frame.ButtonHelp->setFont(PixelFont("Arial", 15, true));
    QPalette navy = frame.ButtonHelp->palette();
    navy.setColor(QPalette::ButtonText, QColor(0, 0, 128));
    frame.ButtonHelp->setPalette(navy);
    frame.ButtonHelp->setFocusPolicy(Qt::ClickFocus);
}

void StyleDescriptionMemo(QPlainTextEdit& memo, const QColor& memoColor) {
    memo.setReadOnly(true);
    memo.setFixedHeight(65);
    memo.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo.setFont(PixelFont("Microsoft Sans Serif", 11, false));
    QPalette description = memo.palette();
    description.setColor(QPalette::Base, description.color(QPalette::Button));
    description.setColor(QPalette::Text, memoColor);
    memo.setPalette(description);
}

void StyleTableGrid(QTableView& grid, const std::vector<int>& columnWidths) {
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    grid.setTabKeyNavigation(true);
    grid.setWordWrap(false);
    grid.setFont(PixelFont("Tahoma", 11, false));
    grid.horizontalHeader()->setFont(PixelFont("Arial", 11, true));
    grid.horizontalHeader()->setSectionsMovable(false);
    grid.horizontalHeader()->setHighlightSections(false);
    grid.horizontalHeader()->setStretchLastSection(true);
    grid.verticalHeader()->setDefaultSectionSize(18);
    grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.verticalHeader()->setFixedWidth(12);
    for (int column = 0; column < static_cast<int>(columnWidths.size()); ++column)
        grid.setColumnWidth(column, columnWidths[column]);
    QPalette palette = grid.palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    grid.setPalette(palette);
}

void WidenColumnToTexts(QTableView& grid, int column, int least) {
    grid.resizeColumnToContents(column);
    grid.setColumnWidth(column, std::max(least, grid.columnWidth(column)));
}

int CharactersWidth(const QWidget& widget, int characters) {
    return widget.fontMetrics().horizontalAdvance(QString(characters, QLatin1Char('x')));
}

QToolButton* NewNavigatorButton(QWidget& navigator, const char* name,
                                QStyle::StandardPixmap icon) {
    auto* button = Named<QToolButton>(&navigator, name);
    SetTextKey(*button, "");
    button->setIcon(navigator.style()->standardIcon(icon));
    button->setFixedSize(24, 21);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QPixmap RowButtonPicture(TRowPicture kind) {
    QPixmap picture(16, 8);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    switch (kind) {
        case TRowPicture::Edit:
            painter.setPen(QPen(QColor(0, 0, 0x80), 2));
            painter.drawLine(2, 6, 12, 2);
            break;
        case TRowPicture::Delete:
            painter.setPen(QPen(QColor(0xC0, 0, 0), 2));
            painter.drawLine(4, 1, 10, 7);
            painter.drawLine(10, 1, 4, 7);
            break;
        case TRowPicture::Insert:
            painter.setPen(QPen(QColor(0, 0x80, 0), 2));
            painter.drawLine(3, 4, 11, 4);
            painter.drawLine(7, 0, 7, 8);
            break;
        case TRowPicture::Up:
        case TRowPicture::Down: {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 0, 0x80));
            const bool up = kind == TRowPicture::Up;
            const QPoint arrow[] = {{3, up ? 7 : 1}, {11, up ? 7 : 1}, {7, up ? 1 : 7}};
            painter.drawPolygon(arrow, 3);
            break;
        }
    }
    return picture;
}
