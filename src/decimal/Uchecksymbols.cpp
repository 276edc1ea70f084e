// Checks whether a character or a text is a digit, a run of digits or a decimal number.
#include "decimal/Uchecksymbols.h"

#include <algorithm>

#include "platform/Locale.h"

bool IsDigitChar(char c) {
    return c >= '0' && c <= '9';
}

bool IsDigitString(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigitChar);
}

bool IsDecimalChar(char c) {
    return IsDigitChar(c) || c == DecimalSeparator();
}

bool IsDecimalString(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    const char separator = DecimalSeparator();
    bool point = false;
    for (const char c : text) {
        if (!IsDecimalChar(c)) return false;
        if (c == separator) {
            if (point) return false;
            point = true;
        }
    }
    return true;
}

std::string WithUserSeparator(std::string_view text) {
    std::string shown(text);
    const size_t at = shown.find_first_of(",.");
    if (at == std::string::npos || shown.find_first_of(",.", at + 1) != std::string::npos)
        return shown;
    shown[at] = '0';
    if (!IsDigitString(shown.front() == '-' ? shown.substr(1) : shown)) return std::string(text);
    shown[at] = DecimalSeparator();
    return shown;
}
