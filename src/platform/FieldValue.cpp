// The kinds of table columns and one value of a field, filter condition or search key.
#include "platform/FieldValue.h"

#include <charconv>
#include <cmath>

const char* KindName(TFieldKind kind) {
    switch (kind) {
        case TFieldKind::Integer:
            return "integer";
        case TFieldKind::Text:
            return "text";
        case TFieldKind::Date:
            return "date";
        case TFieldKind::Time:
            return "time";
    }
    return "unknown";
}

std::string TFieldValue::Describe() const {
    if (IsText()) {
        std::string text = "'";
        for (const char c : Text()) {
            text += c;
            if (c == '\'') text += '\'';
        }
        return text + "'";
    }
    // std::to_chars writes the C form whatever the locale ("45000.5", never "45000,5").
    char buffer[32];
    const auto result = IsInteger() ? std::to_chars(buffer, buffer + sizeof buffer, Integer())
                                    : std::to_chars(buffer, buffer + sizeof buffer, Real());
    return std::string(buffer, result.ptr);
}

bool ToStoredForm(TFieldKind kind, TFieldValue& value) {
    switch (kind) {
        case TFieldKind::Integer:
            return value.IsInteger();
        case TFieldKind::Text:
            return value.IsText();
        case TFieldKind::Date:
        case TFieldKind::Time: {
            if (value.IsText()) return false;
            const double number =
                value.IsReal() ? value.Real() : static_cast<double>(value.Integer());
            value =
                kind == TFieldKind::Date ? std::trunc(number) : std::fabs(std::fmod(number, 1.0));
            return true;
        }
    }
    return false;
}

TFieldValue UnsetValue(TFieldKind kind) {
    switch (kind) {
        case TFieldKind::Integer:
            return TFieldValue(0);
        case TFieldKind::Text:
            return TFieldValue(std::string());
        case TFieldKind::Date:
        case TFieldKind::Time:
            return TFieldValue(0.0);
    }
    return TFieldValue();
}
