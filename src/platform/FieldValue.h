// The kinds of table columns and one value of a field, filter condition or search key.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Dates.h"

// What a column holds. Dates are whole day numbers (day 0 = 30 December 1899), times the
// fraction of a day; both are kept as real numbers. Amounts are texts.
enum class TFieldKind { Integer, Text, Date, Time };

// "integer", "text", "date" or "time", for messages.
const char* KindName(TFieldKind kind);

// An integer, a real number (a TDateTime for date and time columns) or a UTF-8 text.
// Built implicitly from C++ values: 5 is an integer, 45000.0 or a TDateTime a real, "CH" a text.
class TFieldValue {
public:
    TFieldValue() : value_(std::int64_t{0}) {}
    // Not from bool or char: 'O' is meant as the text "O", which is written so.
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) TFieldValue(T value)
        : value_(static_cast<std::int64_t>(value)) {}
    template <std::floating_point T>
    TFieldValue(T value) : value_(static_cast<double>(value)) {}
    TFieldValue(std::string value) : value_(std::move(value)) {}
    TFieldValue(std::string_view value) : value_(std::in_place_type<std::string>, value) {}
    TFieldValue(const char* value) : value_(std::in_place_type<std::string>, value) {}

    bool IsInteger() const { return std::holds_alternative<std::int64_t>(value_); }
    bool IsReal() const { return std::holds_alternative<double>(value_); }
    bool IsText() const { return std::holds_alternative<std::string>(value_); }

    // The held value; asking for another alternative than the held one is a programming error
    // (std::bad_variant_access).
    std::int64_t Integer() const { return std::get<std::int64_t>(value_); }
    double Real() const { return std::get<double>(value_); }
    const std::string& Text() const& { return std::get<std::string>(value_); }
    std::string Text() && { return std::get<std::string>(std::move(value_)); }

    // The value as a filter or message shows it: 5, 45000.5, 'CH' (quotes doubled inside).
    std::string Describe() const;

    bool operator==(const TFieldValue&) const = default;

private:
    std::variant<std::int64_t, double, std::string> value_;
};

// Turns the value into the form a column of that kind stores: integers for integer columns,
// texts for text columns, the whole day (date) or the fraction of the day (time) of a number for
// date and time columns. False, leaving the value as it was, when it does not suit the kind (a
// text for an integer column, a real for an integer column).
bool ToStoredForm(TFieldKind kind, TFieldValue& value);

// The value of an unset field of that kind: 0, "" or day 0.
TFieldValue UnsetValue(TFieldKind kind);
