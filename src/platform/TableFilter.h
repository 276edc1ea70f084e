// Typed filter conditions of a table: comparisons of fields with values, joined by AND, OR, NOT.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FieldValue.h"

enum class TCompare { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

// Which rows of a table a cursor shows. Built from comparisons and joined with &&, || and !:
//
//   Where("ID") == payId && Where("DateEvent") <= date &&
//       (Where("TypeEvent") == "CH" || Where("TypeEvent") == "PY")
//
// An integer value compares with an integer field, a text with a text field (exactly, case
// matters), a TDateTime with a date field as whole days (the time of day of the value is
// dropped, as a date field holds none; an integer day number does as well) or with a time field.
// The default filter is empty and lets every row through; AnyOf of nothing lets none through.
// The table layer turns a filter into SQL with bound parameters.
class TFilter {
public:
    TFilter() = default;

    static TFilter Compare(std::string field, TCompare compare, TFieldValue value);
    // Every one / at least one of the filters: the pay frame builds its list of kinds this way.
    static TFilter AllOf(std::vector<TFilter> filters);
    static TFilter AnyOf(std::vector<TFilter> filters);

    friend TFilter operator&&(TFilter left, TFilter right);
    friend TFilter operator||(TFilter left, TFilter right);
    friend TFilter operator!(TFilter filter);

    // True for the filter that lets every row through.
    bool IsEmpty() const { return node_ == nullptr; }

    // The filter written out for messages and test output:
    // "ID=5 AND (TypeEvent='CH' OR TypeEvent='PY')"; dates appear as day numbers.
    std::string Text() const;

    bool operator==(const TFilter& other) const;

    // For the table layer: the SQL condition with "?" for every value, the values in order
    // (in the form the fields store them), and the fields that the filter fixes to one value
    // through a comparison "field = value" joined by AND at the top. `column` gives the column
    // name and kind of a field name and throws EDatabaseError for an unknown field;
    // `mismatch` is called for a value that does not suit its field's kind and must throw.
    struct TSql {
        std::string Where;
        std::vector<TFieldValue> Values;
        std::vector<std::string> FixedColumns;
    };
    using TColumnOf = std::function<std::pair<std::string, TFieldKind>(std::string_view field)>;
    using TMismatch = std::function<void(const std::string& field, const TFieldValue& value)>;
    TSql ToSql(const TColumnOf& column, const TMismatch& mismatch) const;

    struct TNode;

private:
    explicit TFilter(std::shared_ptr<const TNode> node) : node_(std::move(node)) {}
    std::shared_ptr<const TNode> node_;
};

// The field side of a comparison: Where("ID") == 5.
class TWhere {
public:
    explicit TWhere(std::string field) : field_(std::move(field)) {}
    TFilter operator==(TFieldValue value) const;
    TFilter operator!=(TFieldValue value) const;
    TFilter operator<(TFieldValue value) const;
    TFilter operator<=(TFieldValue value) const;
    TFilter operator>(TFieldValue value) const;
    TFilter operator>=(TFieldValue value) const;

private:
    std::string field_;
};

inline TWhere Where(std::string field) {
    return TWhere(std::move(field));
}
