// Whether a window shows its texts whole at its size: for the tests of the dialogs' layouts.
#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

// The names of the window's shown labels that cut their text (a wrapped label lower than its
// lines need, another one narrower or lower than its text) or that lie partly outside the
// window.
inline std::vector<std::string> CutLabels(QWidget& window) {
    std::vector<std::string> cut;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || label->text().isEmpty()) continue;
        const QRect place(label->mapTo(&window, QPoint(0, 0)), label->size());
        const QSize need = label->minimumSizeHint();
        const bool fits =
            label->wordWrap()
                ? label->height() >= label->heightForWidth(label->width())
                : label->width() >= need.width() && label->height() >= need.height();
        if (!fits || !window.rect().contains(place))
            cut.push_back(label->objectName().toStdString());
    }
    return cut;
}

// The width the grid's column needs to show its title and the texts of the rows in view whole.
inline int NeededWidth(QTableView& grid, int column) {
    return std::max(static_cast<QAbstractItemView&>(grid).sizeHintForColumn(column),
                    grid.horizontalHeader()->sectionSizeHint(column));
}

// Whether the line edit shows its whole text at its width: with the cursor at the end, the
// first character still stands at the left edge.
inline bool ShowsWhole(QLineEdit& edit) {
    edit.end(false);
    return edit.cursorPositionAt(QPoint(edit.contentsRect().left() + 1, edit.height() / 2)) == 0;
}
