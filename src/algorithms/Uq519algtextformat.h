// The scanners of algorithm text: lines, comments, keywords, "if" brackets, "goto" targets,
// references, and the spans in which one line of algorithm text is coloured.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/Uq519arithmeticslf.h"

// Colours as blue-green-red values.
constexpr std::uint32_t clBlack = 0x000000;
constexpr std::uint32_t clTeal = 0x808000;
constexpr std::uint32_t clOlive = 0x008080;
constexpr std::uint32_t clNavy = 0x800000;
constexpr std::uint32_t clMaroon = 0x000080;

// One coloured span. Start counts from 0 (an edit's character position); positions and lengths
// count the bytes of the UTF-8 text, so a caller showing the text converts them to characters.
struct FormatTextPiece {
    int Start = 0;
    int Length = 0;
    std::uint32_t Color = clBlack;
    int Size = 9;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
};

using TFormatTextStr = std::vector<FormatTextPiece>;

// The line of a text that holds a caret: Begin and End count from 1 (End = Begin - 1 for an
// empty line), Caret is the caret given (-1 for an empty text).
struct StrInText {
    int Begin = 0;
    int End = 0;
    int Caret = -1;
    std::string Text;
};

// A found bracket pair or goto target; -1 and length 0 when not found.
struct TextRange {
    int Start = -1;
    int End = -1;
    int Length = 0;
};

// The spans of one line (without its line break) whose first character stands at position
// begin (from 1) of the whole text, sorted by Start: comment, label, keywords with the "if"
// brackets and the "goto" target, references.
TFormatTextStr BuildFormatTextStr(int begin, std::string_view line);

// The line of a text with CR LF line breaks that holds the caret position (from 0).
StrInText GetStrInText(std::string_view text, int caret);

// The text before its first "//".
std::string StripComment(std::string_view text);

// The positions (from 1, ascending) at which the keyword ("if ", "if(", "else ", "goto ")
// stands at the start of the text or after a blank or ")"; a keyword ending in a blank is also
// found at the end of the text without it.
std::vector<int> FindKeywordPositions(std::string_view keyword, std::string_view text);

// The "(" at or after from (blanks skipped) and its matching ")" (End -1 when unmatched).
TextRange FindBracketPair(std::string_view text, int from);

// The word at or after from (blanks skipped), up to the next blank.
TextRange FindGotoTarget(std::string_view text, int from);

// The references of the kind ('V', 'I', 'A' for both) in text order.
TVarsVector CollectReferences(std::string_view text, char kind);

// True when the initial datum named "Innn" is referenced outside comments in one of the lines.
bool IsInitialDatumUsed(std::string_view name, const std::vector<std::string>& lines);

// The text with every occurrence of from replaced by to, in one pass from the left: what to
// brings in is not searched again, so a replacement holding from is harmless.
std::string ReplaceAllText(std::string_view text, std::string_view from, std::string_view to);
