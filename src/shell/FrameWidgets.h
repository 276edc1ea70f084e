// The look that the frames of the frame panel share: header, description memo, read-only table
// grid and navigator buttons.
#pragma once

#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QStyle>
#include <vector>

class QColor;
class QPlainTextEdit;
class QTableView;
class QToolButton;
class TFrameBase;

// A label that shows as much of its one line of text as its width holds, ending it with "…"
// where the rest is cut, and asks for no width of its own (the frames' headers, whose names and
// descriptions may be longer than the frame is wide). With word wrap on it is a plain label.
class TElidedLabel : public QLabel {
public:
    explicit TElidedLabel(QWidget* parent = nullptr) : QLabel(parent) {}
    // The text as the label draws it at its width.
    QString ShownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A font of that family and size in pixels.
QFont PixelFont(const char* family, int pixels, bool bold);

// The frame's LabelHeader in bold and its "?" button in navy and bold, the button taking the
// focus only by a click.
void StyleFrameHeader(TFrameBase& frame);

// A read-only description memo of 65 pixels on the window's colour, its text in memoColor.
void StyleDescriptionMemo(QPlainTextEdit& memo, const QColor& memoColor);

// A read-only grid of whole rows, one selected at a time, in the frames' fonts, with fixed rows
// of 18 pixels, the given column widths, the last column stretched, and its selection shown in
// the highlight colours also while it has no focus.
void StyleTableGrid(QTableView& grid, const std::vector<int>& columnWidths);

// Sets the column as wide as its title and its shown texts need, and at least `least` wide, so
// that a name or an amount longer than the column's usual width shows whole.
void WidenColumnToTexts(QTableView& grid, int column, int least);

// The length of a long name that a dialog's name field or name column shows whole.
constexpr int kWholeNameLength = 60;
// The width of `characters` characters of the widget's font, each as wide as "x" (the measure
// of a line edit's own size hint): room for a text of that length in the usual mix of letters.
int CharactersWidth(const QWidget& widget, int characters);

// The small pictures beside a grid's row or an album's picture in edit mode: a pencil-like
// stroke (change it), a red cross (delete it), a green plus (insert or append one), an arrow
// up or down (move it), 16 by 8 pixels.
enum class TRowPicture { Edit, Delete, Insert, Up, Down };
QPixmap RowButtonPicture(TRowPicture picture);
// The height of the button under such a picture: the picture's 8 pixels and the button's frame
// of 2 pixels above and below, so that the picture shows whole inside the button's face.
constexpr int kRowButtonHeight = 12;
// Where the picture lies in its button: left of its middle, centred from top to bottom.
constexpr int kRowPictureLeft = 11, kRowPictureTop = 2;

// A navigator button of the row `navigator` holds: the style's picture, 24 x 21 pixels, never
// focused; its name is kept out of the language file. The caller connects its click.
QToolButton* NewNavigatorButton(QWidget& navigator, const char* name, QStyle::StandardPixmap icon);
