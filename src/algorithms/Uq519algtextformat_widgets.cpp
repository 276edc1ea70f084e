// Algorithm text in text edits: the colouring of the line that holds the caret.
#include "algorithms/Uq519algtextformat_widgets.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "algorithms/Uq519algtextformat.h"

namespace {

// Formats positions from..to of the document as the piece says.
void ApplyTextFormat(QTextDocument& document, int from, int to, const FormatTextPiece& format) {
    QTextCursor range(&document);
    range.setPosition(from);
    range.setPosition(to, QTextCursor::KeepAnchor);
    QTextCharFormat chars;
    chars.setForeground(QColor(static_cast<int>(format.Color & 0xFF),
                               static_cast<int>((format.Color >> 8) & 0xFF),
                               static_cast<int>((format.Color >> 16) & 0xFF)));
    chars.setFontPointSize(format.Size);
    chars.setFontWeight(format.Bold ? QFont::Bold : QFont::Normal);
    chars.setFontItalic(format.Italic);
    chars.setFontUnderline(format.Underline);
    chars.setFontStrikeOut(format.StrikeOut);
    range.mergeCharFormat(chars);
}

}  // namespace

void FormatLine(QTextDocument& document, const QTextBlock& line) {
    // The spans count the bytes of the line's UTF-8 text; the document counts UTF-16 units.
    const QByteArray text = line.text().toUtf8();
    const auto position = [&](int byte) {
        return line.position() + static_cast<int>(QString::fromUtf8(text.left(byte)).size());
    };
    const FormatTextPiece plain;
    int current = 0;
    for (const FormatTextPiece& piece :
         BuildFormatTextStr(1, std::string_view(text.constData(), text.size()))) {
        if (piece.Start > current)
            ApplyTextFormat(document, position(current), position(piece.Start), plain);
        ApplyTextFormat(document, position(piece.Start), position(piece.Start + piece.Length),
                        piece);
        current = piece.Start + piece.Length;
    }
    if (current < text.size())
        ApplyTextFormat(document, position(current), position(text.size()), plain);
}

void FormatCaretLine(QTextEdit& edit) {
    QTextDocument& document = *edit.document();
    if (document.isEmpty()) return;
    const int caret = edit.textCursor().selectionStart();
    FormatLine(document, document.findBlock(caret));
    QTextCursor restored(&document);
    restored.setPosition(caret);
    edit.setTextCursor(restored);
}
