// Algorithm text in text edits: the colouring of the line that holds the caret.
#pragma once

class QTextEdit;

// Colours the line (paragraph) of the edit that holds the start of its selection as algorithm
// text, in the spans of BuildFormatTextStr and black elsewhere; then the caret stands at that
// start with nothing selected. Nothing is done for an empty text.
void FormatCaretLine(QTextEdit& edit);
