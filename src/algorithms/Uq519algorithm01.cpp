// Algorithms: their records, the error codes, the error context of one user action, and the
// formula language's parser, checker and interpreter.
#include "algorithms/Uq519algorithm01.h"

#include <QString>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "algorithms/Uq519algtextformat.h"
#include "algorithms/Uq519arithmeticslf.h"
#include "decimal/Large.h"
#include "decimal/Large_fix.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/ShellServices.h"

namespace {

constexpr auto npos = std::string::npos;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != npos;
}

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
    return std::any_of(parts.begin(), parts.end(),
                       [&](std::string_view part) { return Contains(text, part); });
}

std::string RemoveBlanks(std::string_view text) {
    return RemoveChar(text, ' ');
}

std::string TrimLeft(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    return std::string(text.substr(first));
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return QString::compare(ToQString(a), ToQString(b), Qt::CaseInsensitive) == 0;
}

// The byte count of the UTF-8 character that begins with the lead byte.
size_t Utf8Length(char lead) {
    const auto c = static_cast<unsigned char>(lead);
    if (c >= 0xF0 && c <= 0xF7) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

// The trimmed texts between each "{" and the following "}".
std::vector<std::string> SplitConditions(std::string_view conditions) {
    std::vector<std::string> parts;
    size_t pos = 0;
    for (size_t open = conditions.find('{'); open != npos; open = conditions.find('{', pos)) {
        const size_t close = conditions.find('}', open + 1);
        if (close == npos) break;
        parts.push_back(TrimText(conditions.substr(open + 1, close - open - 1)));
        pos = close + 1;
    }
    return parts;
}

// ---------------------------------------------------------------------------------------------
// Parsing

void AddParsedLine(TProgram01& program, const std::string& line, int number) {
    std::string statement = StripComment(line);
    const size_t colon = statement.find(':');
    const bool hasLabel = colon != npos;
    std::string label;
    if (hasLabel) {
        label = TrimText(std::string_view(statement).substr(0, colon));
        statement.erase(0, colon + 1);
    }
    if (!hasLabel && RemoveBlanks(statement).empty()) return;
    Operator01 op;
    op.NLine = number;
    op.Label = std::move(label);
    op.Text = std::move(statement);
    program.push_back(std::move(op));
}

// ---------------------------------------------------------------------------------------------
// Checking

// How the statement part of a line splits: Kind 0 plain, 10 goto, 20 else, 30 else goto, or
// minus the error code.
struct SplitResult {
    int Kind = 0;
    std::string Conditions;
    std::string Statement;
    std::string Detail;
};

SplitResult SplitStatement(std::string_view text) {
    SplitResult split;
    std::string s = TrimText(text);
    if (RemoveBlanks(s).empty()) return split;

    const size_t gotoAt = s.find("goto ");
    const bool hasGoto = gotoAt != npos;
    if (hasGoto) {
        split.Statement = TrimText(std::string_view(s).substr(gotoAt + 5));
        if (gotoAt == 0) {
            split.Kind = 10;
            return split;
        }
        s = TrimLeft(std::string_view(s).substr(0, gotoAt));
    }

    const size_t elseAt = s.find("else ");
    const bool hasElse = elseAt != npos;
    if (hasElse) {
        if (elseAt > 0) {
            split.Kind = -kErrElsePlace;
            return split;
        }
        s = TrimText(std::string_view(s).substr(4));
    }

    while (s.size() >= 4 && s.compare(0, 3, "if(") == 0) {
        const TextRange brackets = FindBracketPair(s, 3);
        if (brackets.End < 0) {
            split.Kind = -kErrParentheses;
            return split;
        }
        std::string condition = RemoveBlanks(std::string_view(s).substr(2, brackets.End - 2));
        condition.front() = '{';
        condition.back() = '}';
        split.Conditions += condition;
        s = TrimText(std::string_view(s).substr(brackets.End));
    }

    if (hasGoto && !s.empty()) {
        split.Kind = -kErrTextBeforeGoto;
        split.Detail = s;
        return split;
    }
    if (!hasGoto && ContainsAny(s, {"if", "else", "goto"})) {
        split.Kind = -kErrKeyword;
        split.Detail = s;
        return split;
    }
    if (ContainsAny(split.Conditions, {"if", "else", "goto"})) {
        split.Kind = -kErrKeyword;
        return split;
    }
    if (!hasGoto) split.Statement = s;
    split.Kind = hasGoto ? (hasElse ? 30 : 10) : (hasElse ? 20 : 0);
    return split;
}

// The checks of one line; each returns true when the line failed.
class LineChecker {
public:
    LineChecker(TErrorList01& errors, int line) : errors_(errors), line_(line) {}

    void Add(int code, std::string detail) {
        errors_.push_back(Error01{"", line_, code, std::move(detail)});
    }

    // Every character outside the syntax (label, keywords, "if" brackets, "goto" target,
    // references) must be a digit, an operator, a comparison sign, a separator, a parenthesis
    // or a blank; each other character is reported once.
    bool CheckCharacters(const std::string& text) {
        constexpr std::string_view kAllowed = "0123456789+-*/<>=.,() ";
        std::vector<bool> syntax(text.size(), false);
        for (const FormatTextPiece& span : BuildFormatTextStr(1, text))
            for (int k = std::max(span.Start, 0);
                 k < span.Start + span.Length && k < static_cast<int>(text.size()); ++k)
                syntax[static_cast<size_t>(k)] = true;
        std::string rest;
        for (size_t i = 0; i < text.size(); ++i)
            if (!syntax[i]) rest += text[i];
        std::vector<std::string> wrong;
        for (size_t i = 0; i < rest.size();) {
            const size_t n = std::min(Utf8Length(rest[i]), rest.size() - i);
            std::string character = rest.substr(i, n);
            i += n;
            if (n == 1 && Contains(kAllowed, character)) continue;
            if (std::find(wrong.begin(), wrong.end(), character) != wrong.end()) continue;
            Add(kErrCharacter, character);
            wrong.push_back(std::move(character));
        }
        return !wrong.empty();
    }

    bool CheckAssignment(const std::string& t) {
        std::vector<std::string> parts;
        size_t pos = 0;
        for (size_t eq = t.find('='); eq != npos; eq = t.find('=', pos)) {
            parts.push_back(TrimText(std::string_view(t).substr(pos, eq - pos)));
            pos = eq + 1;
        }
        std::string last = TrimText(std::string_view(t).substr(pos));
        if (!last.empty()) parts.push_back(std::move(last));

        bool failed = false;
        if (parts.size() == 1) {
            Add(kErrNoAssignment, t);
            failed = true;
        }
        if (parts.size() > 1) {
            const auto targets = std::vector<std::string>(parts.begin(), parts.end() - 1);
            for (const std::string& part : targets) {
                if (FindReference(part, 1, "", 'I').Found) {
                    Add(kErrDatumAssigned, part);
                    failed = true;
                }
            }
            for (const std::string& part : targets) {
                const LFVar ref = FindReference(part, 1, "", 'V');
                if (!ref.Found || ref.Length < static_cast<int>(part.size())) {
                    Add(kErrTarget, part);
                    failed = true;
                }
            }
        }
        if (!parts.empty() && CheckExpression(parts.back())) failed = true;
        return failed;
    }

    bool CheckCondition(const std::string& conditions) {
        bool failed = false;
        for (const std::string& part : SplitConditions(conditions))
            if (CheckComparison(part)) failed = true;
        return failed;
    }

    void CheckDataReferences(const std::string& t, const TExtDataList& data) {
        for (LFVar ref = FindReference(t, 1, "", 'I'); ref.Found;
             ref = FindReference(t, ref.End + 1, "", 'I')) {
            const bool hasSource = std::any_of(data.begin(), data.end(), [&](const ExtData& e) {
                return e.IDObject >= 0 && e.N == ref.Number;
            });
            if (!hasSource) Add(kErrNoDatum, "I" + ref.Name);
        }
    }

private:
    bool CheckComparison(const std::string& x) {
        bool failed = false;
        std::string y = RemoveBlanks(x);
        const auto removeAll = [&y](std::string_view op, auto onEach) {
            for (size_t at = y.find(op); at != npos; at = y.find(op)) {
                y.erase(at, op.size());
                onEach();
            }
        };
        for (const std::string_view op : {"><", "=<", "=>"}) {
            removeAll(op, [&] {
                Add(kErrComparisonOperator, std::string(op));
                failed = true;
            });
        }
        int count = 0;
        for (const std::string_view op : {"==", "<=", ">=", "<>"}) removeAll(op, [&] { ++count; });
        removeAll("=", [&] {
            Add(kErrComparisonOperator, "=");
            failed = true;
        });
        for (const std::string_view op : {">", "<"}) removeAll(op, [&] { ++count; });
        if (count == 0 || count > 1) {
            Add(count == 0 ? kErrNoComparison : kErrManyComparisons, "");
            failed = true;
        }
        if (failed) return true;
        const std::string left = x.substr(0, x.find_first_of("<>="));
        const std::string right = x.substr(x.find_last_of("<>=") + 1);
        const bool leftFailed = CheckExpression(left);
        const bool rightFailed = CheckExpression(right);
        return leftFailed || rightFailed;
    }

    bool CheckExpression(const std::string& e) {
        bool failed = false;
        const auto refuse = [&](int code) {
            Add(code, e);
            failed = true;
        };

        int depth = 0;
        bool closedTooSoon = false;
        for (const char c : e) {
            if (c == '(') ++depth;
            if (c == ')' && --depth < 0) closedTooSoon = true;
        }
        if (closedTooSoon || depth != 0) refuse(kErrParentheses);

        // The pattern: "n" a reference, "N" a number, "z" an operator other than minus.
        std::string p = e;
        for (LFVar ref = FindReference(p, 1, "", 'A'); ref.Found;
             ref = FindReference(p, 1, "", 'A'))
            p = ReplaceTextRange(p, std::string(1, ref.Kind), ref.Start, ref.Length);
        for (LFNumber number = FindNumberToken(p, 1); number.Found;
             number = FindNumberToken(p, 1)) {
            if (std::count_if(number.Text.begin(), number.Text.end(),
                              [](char c) { return c == ',' || c == '.'; }) > 1)
                Add(kErrNumber, number.Text);
            p = ReplaceTextRange(p, "N", number.Start, number.Length);
        }
        p = RemoveBlanks(p);
        for (char& c : p) {
            if (c == '+' || c == '*' || c == '/') c = 'z';
            if (c == 'V' || c == 'I') c = 'n';
        }

        // ")(" too: two parenthesised groups side by side would run their values together.
        if (ContainsAny(p, {"nn", "NN", "Nn", "nN", ")n", ")N", "n(", "N(", ")("}))
            refuse(kErrMissingOperator);
        if (ContainsAny(p, {"z-n", "(-n"})) refuse(kErrMinusBeforeReference);
        if (p.starts_with("-n")) refuse(kErrMinusBeforeReference);
        if (p.starts_with("z")) refuse(kErrLeadingOperator);
        // A minus stands only before a number or a group, so "--" is a subtraction followed
        // by a sign: it needs an operand before it.
        if (ContainsAny(p, {"zz", "-z", "z-(", "(z", "z)", "-)", "z--", "(--", "---"}) ||
            p.starts_with("--"))
            refuse(kErrMisplacedOperator);
        if (p.ends_with("z") || p.ends_with("-")) refuse(kErrTrailingOperator);
        return failed;
    }

    TErrorList01& errors_;
    int line_;
};

// ---------------------------------------------------------------------------------------------
// Preparing

TextPieces SplitAtReferences(std::string_view text) {
    TextPieces pieces;
    size_t pos = 0;
    for (LFVar ref = FindReference(text, 1, "", 'A'); ref.Found;
         ref = FindReference(text, ref.End + 1, "", 'A')) {
        const size_t start = static_cast<size_t>(ref.Start - 1);
        pieces.push_back(
            TextPiece{std::string(text.substr(pos, start - pos)), ref.Kind, ref.Number});
        pos = static_cast<size_t>(ref.End);
    }
    pieces.push_back(TextPiece{std::string(text.substr(pos)), 0, 0});
    return pieces;
}

// The index of the first line with that NLine; the line count when there is none.
size_t IndexOfLine(const std::vector<PreparedLine>& lines, int nline) {
    const auto it = std::find_if(lines.begin(), lines.end(),
                                 [nline](const PreparedLine& l) { return l.Op.NLine == nline; });
    return static_cast<size_t>(it - lines.begin());
}

// ---------------------------------------------------------------------------------------------
// Running

large_fix ValueOf(const std::string& text) {
    try {
        return large_fix(text.c_str());
    } catch (const LargeError& error) {
        throw ExpressionError(kErrRunFailed, std::string("not a number: ") + error.what());
    }
}

// One call of RunProgram.
class Interpreter {
public:
    Interpreter(std::vector<std::string>& variables, const TExtDataList& data, PrMarker& marker,
                RunHooks& hooks)
        : variables_(variables), marker_(marker), hooks_(hooks) {
        // The first datum with a number gives that reference its value.
        for (auto it = data.rbegin(); it != data.rend(); ++it)
            if (it->N >= 1 && it->N <= kVariableCount)
                data_[static_cast<size_t>(it->N)] = &it->DataStr;
    }

    enum class Outcome { Next, Jumped };

    Outcome RunLine(const PreparedLine& line) {
        const Operator01& op = line.Op;
        const OperatorPlan& plan = line.Plan;
        if (hooks_.Shows()) {
            if (op.Condition.size() > 1)
                hooks_.ShowLineValues(op.NLine, 1, variables_, plan.CondRefCount);
            if (!op.IsGoto)
                hooks_.ShowLineValues(op.NLine, plan.CondRefCount + plan.EqCount + 1, variables_,
                                      0);
        }
        hooks_.LetMessagesRun();
        if (op.IsElse && !marker_.ElseArmed) return Outcome::Next;
        marker_.ElseArmed = false;

        if (!op.Condition.empty()) {
            const std::string c = Render(line.Condition);
            if (!Spend(c.size(), op.NLine,
                       ReplaceAllText(ReplaceAllText(op.Condition, "{", "if("), "}", ")")))
                return Outcome::Next;
            bool holds = false;
            try {
                holds = EvaluateCondition(c);
            } catch (const ExpressionError& error) {
                Fail(error.RunErrCode(), op.NLine,
                     ReplaceAllText(ReplaceAllText(c, "{", "if("), "}", ")"));
                return Outcome::Next;
            }
            if (!holds) {
                marker_.ElseArmed = true;
                return Outcome::Next;
            }
        }

        if (op.IsGoto) {
            if (++marker_.GotoCount > kMaxJumps) {
                Fail(kErrTooManyJumps, op.NLine, "goto " + op.Text);
                return Outcome::Next;
            }
            marker_.Line = op.GotoLine;
            return Outcome::Jumped;
        }

        const std::string x = Render(line.Expression);
        if (!Spend(x.size(), op.NLine, op.Text)) return Outcome::Next;
        std::string value;
        try {
            value = EvaluateExpression(x);
        } catch (const ExpressionError& error) {
            Fail(error.RunErrCode(), op.NLine, x);
            return Outcome::Next;
        }
        if (!Spend(value.size(), op.NLine, op.Text)) return Outcome::Next;
        for (const int target : plan.Targets) variables_[static_cast<size_t>(target - 1)] = value;
        if (hooks_.Shows())
            hooks_.ShowLineValues(op.NLine, plan.CondRefCount + 1, variables_,
                                  plan.CondRefCount + plan.EqCount);
        return Outcome::Next;
    }

    const Error01& Result() const { return result_; }

private:
    std::string Render(const TextPieces& pieces) const {
        std::string out;
        for (const TextPiece& piece : pieces) {
            out += piece.Literal;
            if (piece.Kind == 'V') out += variables_[static_cast<size_t>(piece.Number - 1)];
            if (piece.Kind == 'I') {
                const std::string* value = data_[static_cast<size_t>(piece.Number)];
                out += value != nullptr ? *value : "0";
            }
        }
        return out;
    }

    // Adds the work of reading or making a text of that length to the run's; when the run has
    // now done more than it may, fails it with 1040 on the line, showing it as written.
    bool Spend(size_t length, int line, const std::string& written) {
        const auto n = static_cast<int64_t>(length);
        marker_.Work += n * n;
        if (marker_.Work <= kMaxRunWork) return true;
        Fail(kErrTooManyDigits, line, written);
        return false;
    }

    void Fail(int code, int line, std::string text) {
        result_.ErrCode = code;
        result_.NLine = line;
        result_.Text = std::move(text);
        marker_.Stop = true;
    }

    std::vector<std::string>& variables_;
    PrMarker& marker_;
    RunHooks& hooks_;
    std::array<const std::string*, kVariableCount + 1> data_{};
    Error01 result_;
};

}  // namespace

int ValidVarOfResult(int stored) {
    return stored >= 1 && stored <= kVariableCount ? stored : 1;
}

TProgram01 ParseAlgorithm(std::string_view text) {
    TProgram01 program;
    std::string line;
    int number = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') line += c;
        if (c == '\n' || i + 1 == text.size()) {
            AddParsedLine(program, line, ++number);
            line.clear();
        }
    }
    return program;
}

OperatorPlan AnalyzeStatement(const Operator01& op) {
    OperatorPlan plan;
    if (!op.Condition.empty())
        plan.CondRefCount = static_cast<int>(CollectReferences(op.Condition, 'V').size());
    size_t afterLast = 0;
    for (size_t i = 0; i < op.Text.size(); ++i) {
        if (op.Text[i] == '=') {
            ++plan.EqCount;
            afterLast = i + 1;
        }
    }
    for (const LFVar& ref :
         CollectReferences(std::string_view(op.Text).substr(0, afterLast + 1), 'V'))
        plan.Targets.push_back(ref.Number);
    plan.Expression = op.Text.substr(afterLast);
    return plan;
}

TErrorList01 CheckAlgorithm(TProgram01& program, const TExtDataList& data) {
    TErrorList01 errors;
    std::vector<std::string> labels;
    for (size_t i = 0; i < program.size(); ++i) {
        Operator01& op = program[i];
        LineChecker check(errors, op.NLine);

        bool failed = check.CheckCharacters(op.Text);
        if (Contains(op.Label, " ")) check.Add(kErrLabelBlank, op.Label);
        if (!op.Label.empty()) {
            if (std::any_of(labels.begin(), labels.end(), [&](const std::string& seen) {
                    return SameIgnoringCase(seen, op.Label);
                }))
                check.Add(kErrLabelTwice, op.Label);
            labels.push_back(op.Label);
        }
        if (failed) continue;

        SplitResult split = SplitStatement(op.Text);
        if (split.Kind < 0) {
            check.Add(-split.Kind, split.Detail);
            failed = true;
        }
        op.IsGoto = split.Kind == 10 || split.Kind == 30;
        op.IsElse = split.Kind == 20 || split.Kind == 30;
        op.Condition = std::move(split.Conditions);
        op.Text = std::move(split.Statement);
        if (ContainsAny(op.Text, {">", "<", "=="})) {
            check.Add(kErrComparisonInStatement, op.Text);
            failed = true;
        }
        if (failed) continue;

        const bool statementFailed = !op.IsGoto && check.CheckAssignment(op.Text);
        const bool conditionFailed = check.CheckCondition(op.Condition);
        if (statementFailed || conditionFailed) continue;

        if (op.IsGoto) {
            const auto target =
                std::find_if(program.begin(), program.end(),
                             [&](const Operator01& o) { return o.Label == op.Text; });
            if (target != program.end())
                op.GotoLine = target->NLine;
            else
                check.Add(kErrNoLabel, op.Text);
        }
        check.CheckDataReferences(op.Text, data);
        check.CheckDataReferences(op.Condition, data);
        if (op.IsElse && (i == 0 || program[i - 1].Condition.empty()))
            check.Add(kErrElseWithoutCondition, "");
    }
    return errors;
}

PreparedAlgorithm PrepareAlgorithm(std::string_view text, const TExtDataList& data) {
    PreparedAlgorithm prepared;
    TProgram01 program = ParseAlgorithm(text);
    prepared.Errors = CheckAlgorithm(program, data);
    if (!prepared.Errors.empty()) return prepared;
    prepared.Lines.reserve(program.size());
    for (Operator01& op : program) {
        PreparedLine line;
        if (!op.Text.empty()) {
            line.Plan = AnalyzeStatement(op);
            line.Condition = SplitAtReferences(op.Condition);
            if (!op.IsGoto) line.Expression = SplitAtReferences(line.Plan.Expression);
        }
        line.Op = std::move(op);
        prepared.Lines.push_back(std::move(line));
    }
    for (PreparedLine& line : prepared.Lines)
        if (line.Op.IsGoto)
            line.GotoIndex = static_cast<int>(IndexOfLine(prepared.Lines, line.Op.GotoLine));
    return prepared;
}

std::shared_ptr<const PreparedAlgorithm> TPreparedAlgorithms::Get(std::string_view text,
                                                                  const TExtDataList& data) {
    std::string key(text);
    key += '\0';
    std::string withSource(kVariableCount, '0');
    for (const ExtData& e : data)
        if (e.IDObject >= 0 && e.N >= 1 && e.N <= kVariableCount)
            withSource[static_cast<size_t>(e.N - 1)] = '1';
    key += withSource;
    const auto found = prepared_.find(key);
    if (found != prepared_.end()) return found->second;
    auto prepared = std::make_shared<const PreparedAlgorithm>(PrepareAlgorithm(text, data));
    prepared_.emplace(std::move(key), prepared);
    return prepared;
}

GlobatErrWatch& ErrWatch() {
    static GlobatErrWatch watch;
    return watch;
}

void ResetGlobalErrors() {
    GlobatErrWatch& watch = ErrWatch();
    watch.HasErrors = false;
    watch.NameObject.clear();
    watch.NameAlg.clear();
    watch.CalcCount = 0;
    watch.Errors.clear();
    watch.Prepared.Clear();
}

void AddGlobalError(const std::string& name, const Error01& error) {
    GlobatErrWatch& watch = ErrWatch();
    Error01 copy = error;
    copy.NameAlg = name;
    watch.Errors.push_back(std::move(copy));
    watch.HasErrors = true;
}

void AddGlobalErrors(const std::string& name, const TErrorList01& list) {
    for (const Error01& error : list) AddGlobalError(name, error);
    ErrWatch().HasErrors = true;
}

namespace {
std::function<void()>& GlobalErrorsWindow() {
    static std::function<void()> window;
    return window;
}
}  // namespace

void ReportGlobalErrors() {
    if (!ErrWatch().HasErrors) return;
    if (GlobalErrorsWindow())
        GlobalErrorsWindow()();
    else
        ShellServices().StopBudget();
}

std::function<void()> SetGlobalErrorsWindow(std::function<void()> window) {
    return std::exchange(GlobalErrorsWindow(), std::move(window));
}

void RunHooks::LetMessagesRun() {
    // Reading the clock costs more than a short line; look at it every 16th time only.
    if (++calls_ % 16 != 1) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastEvents_ < std::chrono::milliseconds(20)) return;
    lastEvents_ = now;
    ::LetMessagesRun();
}

std::vector<std::string> NewVariables() {
    return std::vector<std::string>(static_cast<size_t>(kVariableCount), "0");
}

Error01 RunProgram(std::vector<std::string>& variables, int varOfResult,
                   const PreparedAlgorithm& program, const TExtDataList& data, PrMarker& marker,
                   RunHooks& hooks) {
    if (variables.size() < static_cast<size_t>(kVariableCount))
        variables.resize(static_cast<size_t>(kVariableCount), "0");
    const std::vector<PreparedLine>& lines = program.Lines;
    Interpreter interpreter(variables, data, marker, hooks);
    const auto showNext = [&](size_t index) {
        if (hooks.Shows() && index < lines.size()) hooks.ShowNextLine(lines[index].Op.NLine);
    };

    marker.Done = false;
    size_t current = marker.Line < 0 ? 0 : IndexOfLine(lines, marker.Line);
    while (current < lines.size()) {
        hooks.LetMessagesRun();
        const PreparedLine& line = lines[current];
        if (!line.Op.Text.empty() && interpreter.RunLine(line) == Interpreter::Outcome::Jumped) {
            // A taken jump goes on at its target without looking at Pause; in step mode it
            // ends the call there.
            const size_t target = static_cast<size_t>(line.GotoIndex);
            showNext(target);
            if (marker.Step) return interpreter.Result();
            current = target;
            continue;
        }
        hooks.LetMessagesRun();
        if (marker.Stop) return interpreter.Result();
        ++current;
        if ((marker.Pause || marker.Step) && current < lines.size()) {
            marker.Line = lines[current].Op.NLine;
            showNext(current);
            return interpreter.Result();
        }
        showNext(current);
    }
    // The run reached the end of the text (a failed line always returns above).
    marker.Stop = true;
    marker.Done = true;
    marker.Result = variables[static_cast<size_t>(ValidVarOfResult(varOfResult) - 1)];
    return interpreter.Result();
}

bool EvaluateCondition(std::string_view conditions) {
    for (const std::string& part : SplitConditions(conditions))
        if (!EvaluateComparison(part)) return false;
    return true;
}

bool EvaluateComparison(std::string_view x) {
    for (const std::string_view op : {"==", ">=", "<=", "<>", ">", "<"}) {
        const size_t at = x.find(op);
        if (at == npos) continue;
        const large_fix left = ValueOf(EvaluateExpression(x.substr(0, at)));
        const large_fix right = ValueOf(EvaluateExpression(x.substr(at + op.size())));
        if (op == "==") return left == right;
        if (op == ">=") return left >= right;
        if (op == "<=") return left <= right;
        if (op == "<>") return left != right;
        if (op == ">") return left > right;
        return left < right;
    }
    return true;
}
