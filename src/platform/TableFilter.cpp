// Typed filter conditions of a table: comparisons of fields with values, joined by AND, OR, NOT.
#include "platform/TableFilter.h"

#include "platform/TableDef.h"

struct TFilter::TNode {
    enum class TOp { Compare, All, Any, Not };
    TOp Op;
    std::string Field;
    TCompare Comparison = TCompare::Equal;
    TFieldValue Value;
    std::vector<TFilter> Children;
};

namespace {

using TOp = TFilter::TNode::TOp;

const char* OperatorText(TCompare compare) {
    switch (compare) {
        case TCompare::Equal:
            return "=";
        case TCompare::NotEqual:
            return "<>";
        case TCompare::Less:
            return "<";
        case TCompare::LessOrEqual:
            return "<=";
        case TCompare::Greater:
            return ">";
        case TCompare::GreaterOrEqual:
            return ">=";
    }
    return "=";
}

}  // namespace

TFilter TFilter::Compare(std::string field, TCompare compare, TFieldValue value) {
    return TFilter(std::make_shared<const TNode>(
        TNode{TOp::Compare, std::move(field), compare, std::move(value), {}}));
}

TFilter TFilter::AllOf(std::vector<TFilter> filters) {
    std::vector<TFilter> children;
    for (TFilter& filter : filters) {
        if (filter.IsEmpty()) continue;  // lets every row through: nothing to add
        if (filter.node_->Op == TOp::All) {
            children.insert(children.end(), filter.node_->Children.begin(),
                            filter.node_->Children.end());
        } else {
            children.push_back(std::move(filter));
        }
    }
    if (children.empty()) return TFilter();
    if (children.size() == 1) return children.front();
    return TFilter(std::make_shared<const TNode>(TNode{TOp::All, {}, {}, {}, std::move(children)}));
}

TFilter TFilter::AnyOf(std::vector<TFilter> filters) {
    std::vector<TFilter> children;
    for (TFilter& filter : filters) {
        if (filter.IsEmpty()) return TFilter();  // one alternative lets every row through
        if (filter.node_->Op == TOp::Any) {
            children.insert(children.end(), filter.node_->Children.begin(),
                            filter.node_->Children.end());
        } else {
            children.push_back(std::move(filter));
        }
    }
    if (children.size() == 1) return children.front();
    return TFilter(std::make_shared<const TNode>(TNode{TOp::Any, {}, {}, {}, std::move(children)}));
}

TFilter operator&&(TFilter left, TFilter right) {
    return TFilter::AllOf({std::move(left), std::move(right)});
}

TFilter operator||(TFilter left, TFilter right) {
    return TFilter::AnyOf({std::move(left), std::move(right)});
}

TFilter operator!(TFilter filter) {
    if (filter.IsEmpty()) return TFilter::AnyOf({});
    return TFilter(std::make_shared<const TFilter::TNode>(
        TFilter::TNode{TOp::Not, {}, {}, {}, {std::move(filter)}}));
}

std::string TFilter::Text() const {
    if (IsEmpty()) return "";
    const TNode& node = *node_;
    switch (node.Op) {
        case TOp::Compare:
            return node.Field + OperatorText(node.Comparison) + node.Value.Describe();
        case TOp::Not:
            return "NOT (" + node.Children.front().Text() + ")";
        case TOp::All:
        case TOp::Any: {
            if (node.Children.empty()) return "FALSE";
            const bool all = node.Op == TOp::All;
            std::string text;
            for (const TFilter& child : node.Children) {
                if (!text.empty()) text += all ? " AND " : " OR ";
                const bool group = child.node_->Op == (all ? TOp::Any : TOp::All);
                text += group ? "(" + child.Text() + ")" : child.Text();
            }
            return text;
        }
    }
    return "";
}

bool TFilter::operator==(const TFilter& other) const {
    if (IsEmpty() || other.IsEmpty()) return IsEmpty() == other.IsEmpty();
    const TNode& a = *node_;
    const TNode& b = *other.node_;
    return a.Op == b.Op && a.Field == b.Field && a.Comparison == b.Comparison &&
           a.Value == b.Value && a.Children == b.Children;
}

TFilter::TSql TFilter::ToSql(const TColumnOf& column, const TMismatch& mismatch) const {
    TSql sql;
    if (IsEmpty()) return sql;
    const std::function<std::string(const TFilter&)> write = [&](const TFilter& filter) {
        const TNode& node = *filter.node_;
        switch (node.Op) {
            case TOp::Compare: {
                const auto [name, kind] = column(node.Field);
                TFieldValue stored = node.Value;
                if (!ToStoredForm(kind, stored)) mismatch(node.Field, node.Value);
                sql.Values.push_back(std::move(stored));
                return QuotedName(name) + OperatorText(node.Comparison) + "?";
            }
            case TOp::Not:
                return "NOT (" + write(node.Children.front()) + ")";
            case TOp::All:
            case TOp::Any: {
                if (node.Children.empty()) return std::string("0");
                std::string text = "(";
                for (std::size_t i = 0; i < node.Children.size(); ++i) {
                    if (i > 0) text += node.Op == TOp::All ? " AND " : " OR ";
                    text += write(node.Children[i]);
                }
                return text + ")";
            }
        }
        return std::string("1");
    };
    sql.Where = write(*this);

    const auto fixes = [&](const TFilter& filter) {
        const TNode& node = *filter.node_;
        if (node.Op == TOp::Compare && node.Comparison == TCompare::Equal)
            sql.FixedColumns.push_back(column(node.Field).first);
    };
    if (node_->Op == TOp::All) {
        for (const TFilter& child : node_->Children) fixes(child);
    } else {
        fixes(*this);
    }
    return sql;
}

TFilter TWhere::operator==(TFieldValue value) const {
    return TFilter::Compare(field_, TCompare::Equal, std::move(value));
}
TFilter TWhere::operator!=(TFieldValue value) const {
    return TFilter::Compare(field_, TCompare::NotEqual, std::move(value));
}
TFilter TWhere::operator<(TFieldValue value) const {
    return TFilter::Compare(field_, TCompare::Less, std::move(value));
}
TFilter TWhere::operator<=(TFieldValue value) const {
    return TFilter::Compare(field_, TCompare::LessOrEqual, std::move(value));
}
TFilter TWhere::operator>(TFieldValue value) const {
    return TFilter::Compare(field_, TCompare::Greater, std::move(value));
}
TFilter TWhere::operator>=(TFieldValue value) const {
    return TFilter::Compare(field_, TCompare::GreaterOrEqual, std::move(value));
}
