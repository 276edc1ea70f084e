// Number texts, the scanners of references and number tokens, and the arithmetic of expressions.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One reference [Vnnn(value)] or [Innn(value)] found in a text. Positions count from 1; when
// Found is false the other fields mean nothing.
struct LFVar {
    bool Found = false;
    int Start = 0;      // position of the "["
    int End = 0;        // position of the "]"
    int Length = 0;     // End - Start + 1
    char Kind = 0;      // 'V' variable, 'I' initial datum
    int Number = 0;     // value of the three digits, 1 to 100
    std::string Name;   // the three digits as written ("007")
    std::string Value;  // the text between the parentheses; "0" when they are empty
};

using TVarsVector = std::vector<LFVar>;

// One run of digits, "." and "," found in a text; positions count from 1.
struct LFNumber {
    bool Found = false;
    int Start = 0;
    int End = 0;
    int Length = 0;
    std::string Text;
};

// True when every character is one of "-,.0123456789", "-" stands only first and "," and "."
// occur at most once together. True for the empty text and for "-".
bool IsNumberText(std::string_view text);

// The form in which numbers are stored: trimmed, the fraction without trailing zeros, no
// leading zeros (0,5 becomes ,5), "0" for nothing left; a leading "-" is kept.
std::string NormalizeNumberText(std::string_view text);

// The text without any occurrence of the character.
std::string RemoveChar(std::string_view text, char c);

// The text with count characters from position (from 1) replaced by part.
std::string ReplaceTextRange(std::string_view text, std::string_view part, int position, int count);

// The text without blanks and control characters at both ends.
std::string TrimText(std::string_view text);

// The first reference at or after start whose kind is 'V' or 'I' ('A' accepts both) and, when
// filter is not empty, whose three digits equal it.
LFVar FindReference(std::string_view text, int start, std::string_view filter, char kind);

// The first run of digits, "." and "," at or after start.
LFNumber FindNumberToken(std::string_view text, int start);

// An expression that cannot be evaluated. RunErrCode() is the error code under which the run
// reports it: 1000 for a division by zero, 20 for anything else (an operand that is not a
// number text).
class ExpressionError : public std::runtime_error {
public:
    ExpressionError(int runErrCode, const std::string& what);
    int RunErrCode() const { return runErrCode_; }

private:
    int runErrCode_;
};

// The value of an arithmetic expression of numbers, + - * / and parentheses, computed exactly
// ("*" and "/" before "+" and "-", each from left to right; division with 20 more decimals
// than the dividend, truncated). Characters outside the language are dropped first. A text in
// which no operator is left is returned as it stands ("5,0" stays "5,0"). Throws
// ExpressionError.
std::string EvaluateExpression(std::string_view e);
