// Checks whether a character or a text is a digit, a run of digits or a decimal number.
#pragma once

#include <string>
#include <string_view>

// True for "0" to "9" only.
bool IsDigitChar(char c);
// True when every character is a digit; true for the empty text.
bool IsDigitString(std::string_view text);
// A digit or the locale's decimal separator.
bool IsDecimalChar(char c);
// A decimal number in the user's locale: an optional "-" in front, then digits with at
// most one locale decimal separator among them; true for the empty text and "-".
bool IsDecimalString(std::string_view text);

// A number text as stored (an optional "-", digits, at most one "," or "." among them) with its
// separator written as the user's; any other text as it stands. Amounts stored under another
// locale show so in the user's separator, their digits unchanged.
std::string WithUserSeparator(std::string_view text);
