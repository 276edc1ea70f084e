// Number texts, the scanners of references and number tokens, and the arithmetic of expressions.
#include "algorithms/Uq519arithmeticslf.h"

#include <algorithm>
#include <utility>

#include "algorithms/Uq519algorithm01.h"
#include "algorithms/Uq519algtextformat.h"
#include "decimal/Large.h"
#include "decimal/Large_fix.h"
#include "decimal/Uchecksymbols.h"

namespace {

constexpr auto npos = std::string_view::npos;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Accepts the candidate "[...]" as a reference of the wanted kind and fills the fields that
// depend on its text only.
bool AcceptReference(std::string_view cand, std::string_view filter, char kind, LFVar& ref) {
    if (cand.size() < 8) return false;
    const char letter = cand[1];
    if (kind == 'A' ? (letter != 'V' && letter != 'I') : letter != kind) return false;
    const std::string_view digits = cand.substr(2, 3);
    if (!IsDigitString(digits) || (!filter.empty() && filter != digits)) return false;
    const int number = (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
    if (number < 1 || number > 100) return false;
    if (cand[5] != '(' || cand[cand.size() - 2] != ')') return false;
    // The value is the text inside the innermost parentheses: the last "(" before the first
    // ")" that follows a "(".
    const size_t firstClose = cand.find(')', 5);
    const size_t open = cand.rfind('(', firstClose);
    std::string value = "0";
    if (firstClose > open + 1) value.assign(cand.begin() + open + 1, cand.begin() + firstClose);
    if (!IsNumberText(value)) return false;
    ref.Kind = letter;
    ref.Number = number;
    ref.Name = std::string(digits);
    ref.Value = std::move(value);
    return true;
}

// An operand of the flat evaluation; a leading "n" marks a negative number.
large_fix Operand(std::string_view text) {
    std::string s(text);
    if (!s.empty() && s[0] == 'n') s[0] = '-';
    return large_fix(s.c_str());
}

// The text of a computed value, with "n" in place of a leading minus.
std::string MarkedText(const large_fix& value) {
    std::string s = value.ToString();
    if (!s.empty() && s[0] == '-') s[0] = 'n';
    return s;
}

large_fix Apply(char op, const large_fix& a, const large_fix& b) {
    switch (op) {
        case '*':
            return a * b;
        case '/':
            // Tested here so that the decimal type's own failure is never reached.
            if (b == large_fix()) throw ExpressionError(kErrDivisionByZero, "division by zero");
            return a / b;
        case '+':
            return a + b;
        default:
            return a - b;
    }
}

bool IsOperator(char c) {
    return c == '*' || c == '+' || c == '-' || c == '/';
}

// Applies the operators of one rank ("*" and "/", or "+" and "-") of a text without
// parentheses, always the first one from the left, until none is left.
std::string ApplyRank(std::string t, char op1, char op2) {
    const auto next = [&t, op1, op2] {
        return std::find_if(t.begin(), t.end(), [=](char c) { return c == op1 || c == op2; });
    };
    for (auto at = next(); at != t.end(); at = next()) {
        const size_t p = static_cast<size_t>(at - t.begin());
        size_t left = p;
        while (left > 0 && !IsOperator(t[left - 1])) --left;
        size_t right = p + 1;
        while (right < t.size() && !IsOperator(t[right])) ++right;
        const large_fix a = Operand(std::string_view(t).substr(left, p - left));
        const large_fix b = Operand(std::string_view(t).substr(p + 1, right - p - 1));
        t = ReplaceTextRange(t, MarkedText(Apply(t[p], a, b)), static_cast<int>(left) + 1,
                             static_cast<int>(right - left));
    }
    return t;
}

std::string EvaluateFlat(std::string t) {
    return ApplyRank(ApplyRank(std::move(t), '*', '/'), '+', '-');
}

}  // namespace

bool IsNumberText(std::string_view text) {
    int separators = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-') {
            if (i != 0) return false;
        } else if (c == ',' || c == '.') {
            if (++separators > 1) return false;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::string NormalizeNumberText(std::string_view text) {
    std::string s = TrimText(text);
    const bool negative = !s.empty() && s[0] == '-';
    if (negative) s.erase(0, 1);
    if (s.find_first_of(",.") != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (!s.empty() && (s.back() == ',' || s.back() == '.')) s.pop_back();
    }
    s.erase(0, s.find_first_not_of('0'));
    if (s.empty()) return "0";
    return negative ? "-" + s : s;
}

std::string RemoveChar(std::string_view text, char c) {
    std::string out;
    out.reserve(text.size());
    for (char x : text)
        if (x != c) out += x;
    return out;
}

std::string ReplaceTextRange(std::string_view text, std::string_view part, int position,
                             int count) {
    const size_t at = std::min(text.size(), static_cast<size_t>(std::max(position, 1) - 1));
    const size_t n = std::min(text.size() - at, static_cast<size_t>(std::max(count, 0)));
    std::string out(text.substr(0, at));
    out.append(part).append(text.substr(at + n));
    return out;
}

std::string TrimText(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlankOrControl(text[first])) ++first;
    while (last > first && IsBlankOrControl(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

LFVar FindReference(std::string_view text, int start, std::string_view filter, char kind) {
    LFVar ref;
    size_t pos = start < 1 ? 0 : static_cast<size_t>(start - 1);
    while (pos < text.size()) {
        size_t open = text.find('[', pos);
        if (open == npos) break;
        // A further "[" before the closing "]" starts the candidate anew.
        size_t close = open + 1;
        for (; close < text.size() && text[close] != ']'; ++close)
            if (text[close] == '[') open = close;
        if (close >= text.size()) break;
        if (AcceptReference(text.substr(open, close - open + 1), filter, kind, ref)) {
            ref.Found = true;
            ref.Start = static_cast<int>(open) + 1;
            ref.End = static_cast<int>(close) + 1;
            ref.Length = ref.End - ref.Start + 1;
            return ref;
        }
        pos = close;
    }
    return LFVar{};
}

LFNumber FindNumberToken(std::string_view text, int start) {
    constexpr std::string_view kNumberChars = "0123456789.,";
    LFNumber token;
    const size_t from = start < 1 ? 0 : static_cast<size_t>(start - 1);
    const size_t first = from < text.size() ? text.find_first_of(kNumberChars, from) : npos;
    if (first == npos) return token;
    size_t end = text.find_first_not_of(kNumberChars, first);
    if (end == npos) end = text.size();
    token.Found = true;
    token.Start = static_cast<int>(first) + 1;
    token.Length = static_cast<int>(end - first);
    token.End = token.Start + token.Length - 1;
    token.Text = std::string(text.substr(first, end - first));
    return token;
}

ExpressionError::ExpressionError(int runErrCode, const std::string& what)
    : std::runtime_error(what), runErrCode_(runErrCode) {}

std::string EvaluateExpression(std::string_view e) {
    constexpr std::string_view kKept = "0123456789,.()+-*/=[]VI><!";
    std::string s;
    for (char c : e)
        if (kKept.find(c) != npos) s += c;
    // "n" marks a unary minus; every "-" left afterwards stands between two operands.
    if (!s.empty() && s[0] == '-') s[0] = 'n';
    for (const auto& [from, to] :
         {std::pair{"(-", "(n"}, std::pair{"+-", "+n"}, std::pair{"--", "-n"},
          std::pair{"*-", "*n"}, std::pair{"/-", "/n"}})
        s = ReplaceAllText(s, from, to);
    try {
        // Parenthesised groups, innermost first.
        for (size_t firstOpen = s.find('('); firstOpen != npos; firstOpen = s.find('(')) {
            const size_t close = s.find(')', firstOpen);
            if (close == npos) break;
            size_t open = s.rfind('(', close);
            std::string value = EvaluateFlat(s.substr(open + 1, close - open - 1));
            // A negative group right after a unary minus: the two marks cancel.
            if (open > 0 && s[open - 1] == 'n' && !value.empty() && value[0] == 'n') {
                value.erase(0, 1);
                --open;
            }
            s = ReplaceTextRange(s, value, static_cast<int>(open) + 1,
                                 static_cast<int>(close - open) + 1);
        }
        s = EvaluateFlat(std::move(s));
    } catch (const LargeError& error) {
        throw ExpressionError(kErrRunFailed, std::string("not a number: ") + error.what());
    }
    if (!s.empty() && s[0] == 'n') s[0] = '-';
    return s;
}
