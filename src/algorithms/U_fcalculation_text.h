// The algorithm editor's work on its text without a window: the stored and the shown form of a
// text, the values written into references, the blanks around typed tokens and the shortening
// of source paths.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The text as the editor shows it: every CR LF and every lone CR becomes a line feed, and a
// text that does not end with a line feed gets one (the empty text stays empty).
std::string EditorAlgorithmText(std::string_view stored);
// The text as it is stored: every line feed becomes CR LF.
std::string StoredAlgorithmText(std::string_view shown);

// The UTF-16 units of a UTF-8 text: a text edit's count of its characters.
int Utf16Units(std::string_view utf8);

// One change of a text: Length bytes from Start (from 1) replaced by Text.
struct TTextChange {
    int Start = 0;
    int Length = 0;
    std::string Text;
    bool operator==(const TTextChange&) const = default;
};
using TTextChanges = std::vector<TTextChange>;

// The changes that put value(number) into the value part (between "(" and ")") of every
// reference of the kind ('I' or 'V') whose number is n (every number when n is 0), in text
// order. A reference with a "//" before it on its line, or else a ":" after it on its line,
// keeps its value: comments and labels are not touched.
TTextChanges ReferenceValueChanges(std::string_view text, char kind, int n,
                                   const std::function<std::string(int)>& value);

// The changes that write the variables (variable n at index n - 1) into the variable references
// of one line (without its line break), from the first-th to the last-th (last 0: to the end),
// counted from 1 within the statement part: the part before "//" and after the first ":".
// Nothing for a statement part shorter than 8 characters.
TTextChanges LineValueChanges(std::string_view line, int first,
                              const std::vector<std::string>& variables, int last);

// Which neighbours keep a token free of blanks: the characters before (after) it that need no
// blank between; null: never a blank on that side.
struct TTokenSpacing {
    const char* NoBlankBefore;
    const char* NoBlankAfter;
};
// The spacing of a reference or a calculator result.
inline constexpr TTokenSpacing kOperandSpacing{" (", " )"};

// The token with the blanks that it needs where it is typed: in front when at least two
// characters stand before it and the one just before (`before`) is not listed; behind when a
// character follows (`after`, 0 at the end of the text) that is not listed.
std::string SpacedToken(std::string_view token, const TTokenSpacing& spacing, int charsBefore,
                        char32_t before, char32_t after);

// The path shortened until `fits` accepts it: its leading elements (ending with the separator)
// give way one at a time to "..." followed by the separator, until only the last is left.
std::string ShortenPath(const std::string& path, const std::string& separator,
                        const std::function<bool(const std::string&)>& fits);
