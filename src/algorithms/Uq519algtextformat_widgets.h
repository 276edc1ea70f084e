// Algorithm text in text edits: the colouring of the line that holds the caret.
#pragma once

class QTextBlock;
class QTextDocument;
class QTextEdit;

// Colours one line (paragraph) of the document as algorithm text, in the spans of
// BuildFormatTextStr and black elsewhere. The caret of an edit showing the document stays
// where it is, so that no view scrolls.
void FormatLine(QTextDocument& document, const QTextBlock& line);

// Colours the line (paragraph) of the edit that holds the start of its selection as algorithm
// text, in the spans of BuildFormatTextStr and black elsewhere; then the caret stands at that
// start with nothing selected. Nothing is done for an empty text.
void FormatCaretLine(QTextEdit& edit);
