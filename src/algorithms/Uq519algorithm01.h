// Algorithms: their records, the error codes, the error context of one user action, and the
// formula language's parser, checker and interpreter.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Dates.h"

// ---------------------------------------------------------------------------------------------
// Records

// One initial datum: an input of the algorithm, referred to in its text as [Innn(...)].
struct ExtData {
    std::string Name;    // "I" and N with three digits ("I001")
    int N = 0;           // the nnn by which the text refers to it, 1 to 100 (stored as "Ni")
    TDateTime Date = 0;  // the date for which DataStr was fetched
    int IDObject = -1;   // the object that supplies the value; negative: no source chosen yet
    int TypeObject = 0;  // 50 number, 60 pay, 9500 calendar
    int ParentObject = 0;
    int SubSource = 0;   // which value of the source; 0 for a number
    std::string Param1;  // day parameter of the sub-sources that need one
    std::string Param2;  // month-decrement parameter of the sub-sources that need one
    std::string Param3;
    std::string DataStr;  // the value fetched for Date, a decimal text
};

// What the user wrote about one variable.
struct VarDescr {
    int NVar = 0;  // 1 to 100
    std::string Descript;
};

using TExtDataList = std::vector<ExtData>;
using TVarDescrList = std::vector<VarDescr>;

// One algorithm; a plain value, copied wherever it is passed.
struct Algorithm01 {
    int ID = 0;
    bool Valid = false;  // the text passed the check when it was last edited
    int IDParent = 0;    // the number or pay that owns it
    std::string Name;    // its errors are reported under this name
    std::string Descript;
    TExtDataList INDataList;
    TVarDescrList VarDescrList;
    std::string Text;     // lines separated by line feeds
    int VarOfResult = 1;  // the variable whose value is the result, 1 to 100
};

// One error, or the outcome of one calculation (ErrCode 0, Text the value).
struct Error01 {
    std::string NameAlg;
    int NLine = -1;  // physical line of the text from 1; -1 when it belongs to no line
    int ErrCode = 0;
    std::string Text;
};

using TErrorList01 = std::vector<Error01>;

// The error codes of algorithms; the language file "Errors.lng", section "ErrCode", holds
// "err", "descr" and "example" + code for each.
enum AlgErrCode : int {
    kErrCheckFailed = 10,             // the check found errors (they are reported one by one)
    kErrRunFailed = 20,               // a condition or expression failed to evaluate
    kErrCharacter = 100,              // a character the language does not allow
    kErrLabelBlank = 110,             // a label holds a blank
    kErrLabelTwice = 120,             // a label is used a second time
    kErrElsePlace = 130,              // "else " not at the start of the statement
    kErrParentheses = 140,            // unbalanced parentheses
    kErrTextBeforeGoto = 150,         // text between the conditions and "goto "
    kErrKeyword = 151,                // a keyword where none may stand
    kErrComparisonInStatement = 152,  // a comparison operator in a statement
    kErrDatumAssigned = 160,          // an initial datum left of "="
    kErrNoAssignment = 170,           // a statement without "="
    kErrTarget = 171,                 // left of "=" is not exactly one variable reference
    kErrNumber = 180,                 // a number with more than one decimal separator
    kErrMissingOperator = 200,        // two operands without an operator between them
    kErrMinusBeforeReference = 201,   // a minus sign before a reference
    kErrLeadingOperator = 202,        // the expression begins with "+", "*" or "/"
    kErrMisplacedOperator = 203,      // misplaced operators or parentheses
    kErrTrailingOperator = 204,       // the expression ends with an operator
    kErrComparisonOperator = 300,     // a refused comparison operator
    kErrNoComparison = 310,           // a condition without a comparison
    kErrManyComparisons = 320,        // a condition with more than one comparison
    kErrNoLabel = 400,                // the label after "goto " does not exist
    kErrNoDatum = 500,                // an initial datum that does not exist or has no source
    kErrElseWithoutCondition = 600,   // "else" after a line without a condition
    kErrDivisionByZero = 1000,        // a division by zero at run time
    kErrTooManyJumps = 1010,          // more than kMaxJumps jumps in one run
    kErrDatumNotObtained = 1020,      // the value of an initial datum was not obtained
    kErrTooManyCalculations = 1030,   // more than kMaxCalculations in one user action
    kErrTooManyDigits = 1040,         // a run's values grew beyond kMaxRunWork
};

// Every error code, ascending.
inline constexpr std::array kAlgErrCodes = {
    kErrCheckFailed,
    kErrRunFailed,
    kErrCharacter,
    kErrLabelBlank,
    kErrLabelTwice,
    kErrElsePlace,
    kErrParentheses,
    kErrTextBeforeGoto,
    kErrKeyword,
    kErrComparisonInStatement,
    kErrDatumAssigned,
    kErrNoAssignment,
    kErrTarget,
    kErrNumber,
    kErrMissingOperator,
    kErrMinusBeforeReference,
    kErrLeadingOperator,
    kErrMisplacedOperator,
    kErrTrailingOperator,
    kErrComparisonOperator,
    kErrNoComparison,
    kErrManyComparisons,
    kErrNoLabel,
    kErrNoDatum,
    kErrElseWithoutCondition,
    kErrDivisionByZero,
    kErrTooManyJumps,
    kErrDatumNotObtained,
    kErrTooManyCalculations,
    kErrTooManyDigits,
};

constexpr int kVariableCount = 100;    // variables V001 to V100
constexpr int kMaxJumps = 100000;      // jumps in one run
constexpr int kMaxCalculations = 100;  // calculations in one user action
// The work one run may do, in squared characters: each line adds the squared length of every
// text it reads or makes (its condition and expression with the values in place, the value it
// assigns), since reading and writing a value's text takes time that grows with the square of
// its length. Values that grow at every pass (a factor with decimals, a division, a square)
// reach it within seconds, long before the jump limit, while a monthly loan over 50 years,
// whose values grow by 15 digits a pass, stays below two fifths of it. Counted, not timed, so a
// run gives the same result on every machine.
constexpr int64_t kMaxRunWork = 200'000'000'000;

// The result variable to use for a stored VarOfResult: values outside 1 to 100 read as 1.
int ValidVarOfResult(int stored);

// ---------------------------------------------------------------------------------------------
// The parsed language

// One line that has a label or a statement.
struct Operator01 {
    int NLine = 0;
    bool IsGoto = false;  // the line jumps (set by the check)
    int GotoLine = 0;     // NLine of the line carrying the jump's label (set by the check)
    bool IsElse = false;  // the line begins with "else" (set by the check)
    std::string Label;    // without ":", trimmed; empty when the line has none
    // After the check: the conditions, each in braces, blanks removed ("{[V001()]>5}").
    std::string Condition;
    // After parsing the statement part as written; after the check the assignment without
    // conditions and "else", or, for a jumping line, the target label.
    std::string Text;
};

using TProgram01 = std::vector<Operator01>;

// What the interpreter needs of one checked line.
struct OperatorPlan {
    int CondRefCount = 0;      // variable references in Condition
    int EqCount = 0;           // "=" characters in Text (for an assignment its targets)
    std::vector<int> Targets;  // variables before the last "=", in text order
    std::string Expression;    // Text after its last "="
};

// Splits the text into lines (line feeds; carriage returns ignored) and makes one Operator01
// per line that has a label or a statement; comments ("//") are dropped. Never fails.
TProgram01 ParseAlgorithm(std::string_view text);

OperatorPlan AnalyzeStatement(const Operator01& op);

// Checks every line of the program against the rules of the language and prepares it for the
// interpreter (changing it in place); returns all errors found, in the order found, each with
// its line. Initial-data references stay in the lines: the interpreter puts in their values,
// so one check serves every date. Never fails.
TErrorList01 CheckAlgorithm(TProgram01& program, const TExtDataList& data);

// ---------------------------------------------------------------------------------------------
// Prepared algorithms

// A checked text cut where its references stand: Literal is followed by the value of
// reference Kind/Number ('V' variable, 'I' initial datum; Kind 0 for the last piece).
struct TextPiece {
    std::string Literal;
    char Kind = 0;
    int Number = 0;
};

using TextPieces = std::vector<TextPiece>;

// One checked line with everything the interpreter needs of it worked out once.
struct PreparedLine {
    Operator01 Op;
    OperatorPlan Plan;
    TextPieces Condition;   // Op.Condition in pieces
    TextPieces Expression;  // Plan.Expression in pieces
    int GotoIndex = -1;     // index in Lines of the jump's target line
};

// An algorithm text parsed, checked and prepared once; it runs any number of times, for any
// values of its initial data.
struct PreparedAlgorithm {
    TErrorList01 Errors;              // empty when the algorithm may run
    std::vector<PreparedLine> Lines;  // empty when there are errors or no line
};

// ParseAlgorithm, CheckAlgorithm and the preparation of every line.
PreparedAlgorithm PrepareAlgorithm(std::string_view text, const TExtDataList& data);

// The algorithms prepared during one user action, so that each text is parsed and checked once
// however often it runs. The check depends on the text and on which initial data have a source,
// and that is the key.
class TPreparedAlgorithms {
public:
    std::shared_ptr<const PreparedAlgorithm> Get(std::string_view text, const TExtDataList& data);
    void Clear() { prepared_.clear(); }
    size_t Size() const { return prepared_.size(); }

private:
    std::unordered_map<std::string, std::shared_ptr<const PreparedAlgorithm>> prepared_;
};

// ---------------------------------------------------------------------------------------------
// The global error context

// The errors of all algorithms calculated during one user action. The protocol of an action:
// ResetGlobalErrors, set NameObject, calculate, use "0" for every result with an error, show
// the errors.
struct GlobatErrWatch {
    bool HasErrors = false;
    std::string NameObject;        // the object whose action started the calculations
    std::string NameAlg;           // the first algorithm calculated since the reset
    int CalcCount = 0;             // calculations started since the reset, nested ones included
    TErrorList01 Errors;           // in the order of adding, each under its own algorithm's name
    TPreparedAlgorithms Prepared;  // the algorithms prepared since the reset
};

// The one context of the program.
GlobatErrWatch& ErrWatch();

// Empties the context (and its prepared algorithms) for a new user action.
void ResetGlobalErrors();

// Adds a copy of the error under the given algorithm name.
void AddGlobalError(const std::string& name, const Error01& error);

// Adds every error of the list as AddGlobalError does; HasErrors is set even for an empty list.
void AddGlobalErrors(const std::string& name, const TErrorList01& list);

// Code without a window reports the action's errors through this: when the context holds
// errors, the error window that the windows installed shows them (ShowGlobalErrors, which also
// stops the open budget); with no window installed the open budget is only stopped, through
// the main window's services. Does nothing without errors; the context is kept.
void ReportGlobalErrors();
// Installs the error window (an empty function removes it); the main window installs
// ShowGlobalErrors, tests a recorder. Returns the one installed before.
std::function<void()> SetGlobalErrorsWindow(std::function<void()> window);

// ---------------------------------------------------------------------------------------------
// The interpreter

// The control of one run, kept by the caller between calls.
struct PrMarker {
    int Line = -2;           // NLine of the line at which the next call starts; negative: the first
    bool Pause = false;      // stop after the current line, resumable
    bool Stop = false;       // the run is over, or must end after the current line
    bool Done = false;       // the run reached the end without an error
    bool Step = false;       // each call runs one line
    bool ElseArmed = false;  // the condition of the last line run was false
    int GotoCount = 0;
    int64_t Work = 0;            // the work of the run so far (see kMaxRunWork)
    std::string Result = "???";  // the result, written when the run reaches the end
};

// How a run deals with its surroundings. A run calls LetMessagesRun before and after every
// line and once in between; the algorithm editor's trial run passes hooks of its own that let
// every event through (so that its Pause and Stop buttons work) and show the run in its text.
//
// The default hooks serve every calculation outside the editor: they let only paint and timer
// events through, never user input, so no second user action can start inside this one; and
// they do it at most every 20 ms, which keeps windows painted at a fraction of the cost.
class RunHooks {
public:
    virtual ~RunHooks() = default;
    virtual void LetMessagesRun();

    // True for the editor: the run then calls the two members below.
    virtual bool Shows() const { return false; }
    // Writes the values into the variable references of the line (NLine), from the first-th
    // to the last-th reference of its statement part (last 0: to the end), counted from 1.
    virtual void ShowLineValues(int /*line*/, int /*first*/,
                                const std::vector<std::string>& /*variables*/, int /*last*/) {}
    // Marks the line (NLine) that runs next and brings it into view.
    virtual void ShowNextLine(int /*line*/) {}

private:
    unsigned calls_ = 0;
    std::chrono::steady_clock::time_point lastEvents_{};
};

// 100 variables, every one "0".
std::vector<std::string> NewVariables();

// Runs the prepared algorithm (which must have no errors) over the variables (variable n at
// index n - 1), the initial data giving the values of its [Innn] references, from where the
// marker says: to the end, to an error, or for one line (Step), or until Pause or Stop is set.
// Returns the run error (NLine, ErrCode 20, 1000, 1010 or 1040, Text the failing condition or
// expression with the values in place; for 1040 the condition or statement as written, whose
// values are too long to show), or ErrCode 0. Nothing it meets escapes as an exception.
Error01 RunProgram(std::vector<std::string>& variables, int varOfResult,
                   const PreparedAlgorithm& program, const TExtDataList& data, PrMarker& marker,
                   RunHooks& hooks);

// True when every condition "{...}" of the text holds; throws ExpressionError.
bool EvaluateCondition(std::string_view conditions);

// One comparison of two expressions ("==", ">=", "<=", "<>", ">", "<"); true without one.
// Throws ExpressionError.
bool EvaluateComparison(std::string_view x);
