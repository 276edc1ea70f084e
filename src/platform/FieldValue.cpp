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

std::optional<TFieldValue> StoredForm(TFieldKind kind, const TFieldValue& value) {
    switch (kind) {
        case TFieldKind::Integer:
            if (value.IsInteger()) return value;
            return std::nullopt;
        case TFieldKind::Text:
            if (value.IsText()) return value;
            return std::nullopt;
        case TFieldKind::Date:
        case TFieldKind::Time: {
            if (value.IsText()) return std::nullopt;
            const double number =
                value.IsReal() ? value.Real() : static_cast<double>(value.Integer());
            if (kind == TFieldKind::Date) return std::trunc(number);
            return std::fabs(std::fmod(number, 1.0));
        }
    }
    return std::nullopt;
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
