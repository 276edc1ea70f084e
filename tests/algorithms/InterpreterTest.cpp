// Running prepared algorithms: values, conditions, else lines, jumps, limits, step mode, pauses,
// run errors, the hooks of a run and the prepared algorithms of one user action.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <string>
#include <vector>

#include "common/RecordingDispatcher.h"
#include "algorithms/Uq519algorithm01.h"
#include "decimal/Large_fix.h"
#include "decimal/SeparatorScope.h"

namespace {

ExtData Datum(int n, const std::string& value) {
    ExtData d;
    d.Name = "I00" + std::to_string(n);
    d.N = n;
    d.IDObject = 3;
    d.DataStr = value;
    return d;
}

struct Outcome {
    Error01 error;
    PrMarker marker;
    std::vector<std::string> vars = NewVariables();
};

// Prepares the text (which must pass the check) and runs it to its end in one call.
Outcome RunText(const std::string& text, const TExtDataList& data = {}, int varOfResult = 1,
                std::vector<std::string> vars = NewVariables()) {
    const PreparedAlgorithm program = PrepareAlgorithm(text, data);
    EXPECT_TRUE(program.Errors.empty()) << text;
    Outcome run;
    run.vars = std::move(vars);
    RunHooks hooks;
    run.error = RunProgram(run.vars, varOfResult, program, data, run.marker, hooks);
    return run;
}

// The value of V001 after a run that must succeed.
std::string Value(const std::string& text, const TExtDataList& data = {}) {
    const Outcome run = RunText(text, data);
    EXPECT_EQ(run.error.ErrCode, 0) << text << ": " << run.error.Text;
    EXPECT_TRUE(run.marker.Done) << text;
    return run.marker.Result;
}

// Hooks that record what a run shows and can press Pause at a given line.
class RecordingHooks : public RunHooks {
public:
    void LetMessagesRun() override { ++yields; }
    bool Shows() const override { return true; }
    void ShowLineValues(int line, int first, const std::vector<std::string>& variables,
                        int last) override {
        shown.push_back("values " + std::to_string(line) + " " + std::to_string(first) + ".." +
                        std::to_string(last) + " V001=" + variables[0]);
        if (line == pauseAtLine && marker != nullptr) marker->Pause = true;
    }
    void ShowNextLine(int line) override { shown.push_back("next " + std::to_string(line)); }

    int yields = 0;
    int pauseAtLine = 0;
    PrMarker* marker = nullptr;
    std::vector<std::string> shown;
};

}  // namespace

TEST(RunProgram, AssignsAndReachesTheEnd) {
    const Outcome run = RunText("[V001()] = 2\n[V002()] = [V001()] * 3 + 1", {}, 2);
    EXPECT_EQ(run.error.ErrCode, 0);
    EXPECT_EQ(run.error.NLine, -1);
    EXPECT_TRUE(run.marker.Done);
    EXPECT_TRUE(run.marker.Stop);
    EXPECT_EQ(run.marker.Result, "7");
    EXPECT_EQ(run.marker.Line, -2);
    EXPECT_EQ(run.vars[0], "2");
}

TEST(RunProgram, ComputesValuesOfLines) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        // Conditions and else lines.
        {"if([V002()]>0) [V001()] = 1\nelse [V001()] = 2", "2"},
        {"[V002()] = 5\nif([V002()]>0) [V001()] = 1\nelse [V001()] = 2", "1"},
        {"if(0<1) [V001()] = 1\nelse if(1>0) [V001()] = 2\nelse [V001()] = 3", "1"},
        {"[V002()] = 7\nif([V002()]<5) [V001()] = 1\nelse if([V002()]<10) [V001()] = 2\n"
         "else [V001()] = 3",
         "2"},
        {"[V002()] = 12\nif([V002()]<5) [V001()] = 1\nelse if([V002()]<10) [V001()] = 2\n"
         "else [V001()] = 3",
         "3"},
        {"if(1>0) if(2<1) [V001()] = 1\nelse [V001()] = 9", "9"},
        {"if(1==1) if(2<>1) if(2>=2) if(2<=2) [V001()] = 4", "4"},
        // Labels and jumps: the sum of 1 to 1000 in a loop.
        {"Loop: [V002()] = [V002()] + 1\n[V001()] = [V001()] + [V002()]\n"
         "if([V002()] < 1000) goto Loop",
         "500500"},
        {"goto Skip\n[V001()] = 1\nSkip:\n[V001()] = [V001()] + 2", "2"},
        {"goto End\n[V001()] = 1\nEnd:", "0"},
        // Several targets; text kept as written; comparison by value.
        {"[V001()] = [V002()] = 7\n[V001()] = [V001()] + [V002()]", "14"},
        {"[V001()] = 5,0", "5,0"},
        {"[V002()] = 5,0\nif([V002()] == 5) [V001()] = 1", "1"},
        // A result variable never assigned.
        {"[V002()] = 3", "0"},
        // Comment lines only.
        {"// nothing\n\n", "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Value(c.text), c.expected) << c.text;
}

// Each expression either passes the check and gives the value that the language's rules give
// (signs before numbers and groups, brackets, "*" and "/" before "+" and "-", left to right), or
// is refused by the check; none runs to a wrong value or fails at run time. V002 holds 4.
TEST(RunProgram, SignsBracketsAndOperatorsGiveTheirValueOrAreRefused) {
    const struct {
        const char* expression;
        const char* value;  // nullptr: refused with the code
        int code;
    } cases[] = {
        {"-3", "-3", 0},
        {"5--3", "8", 0},
        {"5-3-1", "1", 0},
        {"-3*-2", "6", 0},
        {"2*-3", "-6", 0},
        {"2/-4", "-0,5", 0},
        {"1+-3", "-2", 0},
        {"(-3)", "-3", 0},
        {"-(-3)", "3", 0},
        {"-(2-5)", "3", 0},
        {"5--(2-5)", "2", 0},
        {"1-(-2)", "3", 0},
        {"(-3)*2", "-6", 0},
        {"2+3*4", "14", 0},
        {"(2+3)*4", "20", 0},
        {"8/2*4", "16", 0},
        {"2*(3+(4-6))", "2", 0},
        {"0-[V002()]", "-4", 0},
        {"5--3*[V002()]", "17", 0},
        {"[V002()]--2", "6", 0},
        {"([V002()])--(2)", "6", 0},
        // Two signs where only one may stand.
        {"--3", nullptr, kErrMisplacedOperator},
        {"---3", nullptr, kErrMisplacedOperator},
        {"1 + --3", nullptr, kErrMisplacedOperator},
        {"--2+2*6,3", nullptr, kErrMisplacedOperator},
        {"2 * --3", nullptr, kErrMisplacedOperator},
        {"5---3", nullptr, kErrMisplacedOperator},
        {"(--3)", nullptr, kErrMisplacedOperator},
        {"--(3)", nullptr, kErrMisplacedOperator},
        {"--[V002()]*6", nullptr, kErrMisplacedOperator},
        {"+-3", nullptr, kErrLeadingOperator},
        {"-+3", nullptr, kErrMisplacedOperator},
        {"2*-(3)", nullptr, kErrMisplacedOperator},
        {"-[V002()]", nullptr, kErrMinusBeforeReference},
        {"2*-[V002()]", nullptr, kErrMinusBeforeReference},
    };
    for (const char separator : {',', '.'}) {
        SeparatorScope scope(separator);
        for (const auto& c : cases) {
            const std::string text = std::string("[V002()] = 4\n[V001()] = ") + c.expression;
            const PreparedAlgorithm program = PrepareAlgorithm(text, {});
            if (c.value == nullptr) {
                ASSERT_FALSE(program.Errors.empty()) << c.expression;
                EXPECT_EQ(program.Errors[0].ErrCode, c.code) << c.expression;
                EXPECT_EQ(program.Errors[0].NLine, 2) << c.expression;
                continue;
            }
            std::string expected = c.value;
            std::replace(expected.begin(), expected.end(), ',', separator);
            EXPECT_EQ(Value(text), expected) << c.expression;
        }
    }
}

TEST(RunProgram, PutsInTheValuesOfInitialData) {
    for (const char separator : {',', '.'}) {
        SeparatorScope scope(separator);
        EXPECT_EQ(Value("[V001()] = [I001()] * 2", {Datum(1, "7,5")}), "15");
        EXPECT_EQ(Value("[V001()] = [I002()] / 4", {Datum(2, "1")}),
                  std::string("0") + separator + "25");
        EXPECT_EQ(Value("if([I001(3)] > 2) [V001()] = [I001()]", {Datum(1, "2.5")}), "2.5");
        // The first datum of a number gives the value.
        EXPECT_EQ(Value("[V001()] = [I001()] + 0", {Datum(1, "3"), Datum(1, "4")}), "3");
    }
}

TEST(RunProgram, ReportsRunErrorsWithTheirLineAndText) {
    const struct {
        const char* text;
        TExtDataList data;
        int line;
        int code;
        const char* detail;
    } cases[] = {
        {"[V002()] = 5\n[V001()] = 5 / [V003()]", {}, 2, kErrDivisionByZero, " 5 / 0"},
        {"[V001()] = 5\nif([V001()]/[V002()]>1) goto L\nL:",
         {},
         2,
         kErrDivisionByZero,
         "if(5/0>1)"},
        // A malformed value of an initial datum fails the line, never the program.
        {"[V001()] = [I001()] + 1", {Datum(1, "1,2,3")}, 1, kErrRunFailed, " 1,2,3 + 1"},
        {"if([I001()] > 0) [V001()] = 1", {Datum(1, "1,2,3")}, 1, kErrRunFailed, "if(1,2,3>0)"},
        {"L: goto L", {}, 1, kErrTooManyJumps, "goto L"},
    };
    for (const auto& c : cases) {
        const Outcome run = RunText(c.text, c.data);
        EXPECT_EQ(run.error.NLine, c.line) << c.text;
        EXPECT_EQ(run.error.ErrCode, c.code) << c.text;
        EXPECT_EQ(run.error.Text, c.detail) << c.text;
        EXPECT_TRUE(run.error.NameAlg.empty());
        EXPECT_TRUE(run.marker.Stop) << c.text;
        EXPECT_FALSE(run.marker.Done) << c.text;
        EXPECT_EQ(run.marker.Result, "???") << c.text;
    }
}

TEST(RunProgram, StopsAtTheJumpLimit) {
    const Outcome run = RunText("[V001()] = 4\nL: goto L");
    EXPECT_EQ(run.error.ErrCode, kErrTooManyJumps);
    EXPECT_EQ(run.marker.GotoCount, kMaxJumps + 1);
    EXPECT_EQ(run.vars[0], "4");
}

// Endless loops whose values grow at every pass (multiplying, squaring, dividing) end at the
// work limit, long before the jump limit, on the line that made or read the long values; so
// does a loop that reads a long value at every pass. The variable keeps its last value.
TEST(RunProgram, StopsEndlessLoopsOfGrowingValuesAtTheWorkLimit) {
    const std::string longValue = "1" + std::string(20000, '0');
    const struct {
        std::string text;
        int line;
        std::string shown;
    } cases[] = {
        {"[V001()] = 2\nL: [V001()] = [V001()] * 1,05\ngoto L", 2, "[V001()] = [V001()] * 1,05"},
        {"[V001()] = 2\nL: [V001()] = [V001()] * [V001()]\ngoto L", 2,
         "[V001()] = [V001()] * [V001()]"},
        {"[V001()] = 2\nL: [V001()] = [V001()] / 3\ngoto L", 2, "[V001()] = [V001()] / 3"},
        {"[V001()] = 10000\nL: [V001()] = [V001()] + [V001()] / 7\ngoto L", 2,
         "[V001()] = [V001()] + [V001()] / 7"},
        {"[V001()] = " + longValue + "\nL: [V002()] = [V002()] + 1\nif([V002()] < [V001()]) goto L",
         3, "if([V002()]<[V001()])"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        const Outcome run = RunText(c.text);
        EXPECT_EQ(run.error.ErrCode, kErrTooManyDigits);
        EXPECT_EQ(run.error.NLine, c.line);
        EXPECT_EQ(run.error.Text, c.shown);
        EXPECT_GT(run.marker.Work, kMaxRunWork);
        EXPECT_LT(run.marker.GotoCount, kMaxJumps / 10);
        EXPECT_TRUE(run.marker.Stop);
        EXPECT_FALSE(run.marker.Done);
        EXPECT_NO_THROW(large_fix(run.vars[0].c_str()));
    }
}

namespace {

// A positive decimal worked out digit by digit, apart from the decimal arithmetic: its digits,
// least significant first, and how many of them are decimals. Every operation leaves it as
// the decimal arithmetic does, without trailing zero decimals.
struct DigitDecimal {
    std::vector<int> digits;
    int scale = 0;

    explicit DigitDecimal(int whole) {
        for (; whole > 0; whole /= 10) digits.push_back(whole % 10);
    }
    void Normalize() {
        while (scale > 0 && !digits.empty() && digits.front() == 0) {
            digits.erase(digits.begin());
            --scale;
        }
        while (!digits.empty() && digits.back() == 0) digits.pop_back();
        if (digits.empty()) scale = 0;
    }
    void Rescale(int to) {
        digits.insert(digits.begin(), static_cast<size_t>(to - scale), 0);
        scale = to;
    }
    void Multiply(int factor) {
        int carry = 0;
        for (int& d : digits) {
            carry += d * factor;
            d = carry % 10;
            carry /= 10;
        }
        for (; carry > 0; carry /= 10) digits.push_back(carry % 10);
        Normalize();
    }
    // The quotient by a whole number with 20 more decimals, the rest cut off.
    void Divide(int divisor) {
        Rescale(scale + 20);
        int rest = 0;
        for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
            rest = rest * 10 + *d;
            *d = rest / divisor;
            rest %= divisor;
        }
        Normalize();
    }
    // Adds the other, or subtracts it when sign is -1 (the result must stay positive).
    void Add(DigitDecimal other, int sign = 1) {
        const int to = std::max(scale, other.scale);
        Rescale(to);
        other.Rescale(to);
        other.digits.resize(std::max(digits.size(), other.digits.size()), 0);
        digits.resize(other.digits.size() + 1, 0);
        int carry = 0;
        for (size_t i = 0; i < digits.size(); ++i) {
            carry += digits[i] + sign * (i < other.digits.size() ? other.digits[i] : 0);
            digits[i] = (carry + 10) % 10;
            carry = carry < 0 ? -1 : carry / 10;
        }
        Normalize();
    }
    std::string Text() const {
        std::string text;
        for (size_t i = 0; i < std::max(digits.size(), static_cast<size_t>(scale) + 1); ++i) {
            if (i == static_cast<size_t>(scale) && scale > 0) text += '.';
            text += static_cast<char>('0' + (i < digits.size() ? digits[i] : 0));
        }
        return {text.rbegin(), text.rend()};
    }
};

}  // namespace

// A monthly loan at 7 % a year from 10000, 50 paid a month, over 30 and 50 years: each
// division keeps 20 more decimals, so its value grows by about 15 digits a month, and the run
// still gives it whole, as the arithmetic worked out digit by digit gives it.
TEST(RunProgram, ComputesALongLoanLoopExactly) {
    for (const int months : {360, 600}) {
        DigitDecimal expected(10000);
        for (int month = 0; month < months; ++month) {
            DigitDecimal interest = expected;
            interest.Multiply(7);
            interest.Divide(1200);
            expected.Add(interest);
            expected.Add(DigitDecimal(50), -1);
        }
        std::string value = Value(
            "[V001()] = 10000\nL: [V002()] = [V002()] + 1\n"
            "[V001()] = [V001()] + [V001()] * 7 / 1200 - 50\nif([V002()] < " +
            std::to_string(months) + ") goto L");
        std::replace(value.begin(), value.end(), ',', '.');
        EXPECT_EQ(value, expected.Text()) << months;
        EXPECT_GT(value.size(), static_cast<size_t>(months * 14)) << months;
    }
}

TEST(RunProgram, ReadsAResultVariableOutsideTheRangeAsTheFirst) {
    for (const int stored : {0, -3, 101, 100000}) {
        const Outcome run = RunText("[V001()] = 11\n[V100()] = 12", {}, stored);
        EXPECT_EQ(run.marker.Result, "11") << stored;
    }
    EXPECT_EQ(RunText("[V001()] = 11\n[V100()] = 12", {}, 100).marker.Result, "12");
    EXPECT_EQ(ValidVarOfResult(0), 1);
    EXPECT_EQ(ValidVarOfResult(57), 57);
}

TEST(RunProgram, StepModeRunsOneLinePerCall) {
    const std::string text = "[V001()] = 1\nL:\ngoto M\n[V001()] = 5\nM: [V001()] = [V001()] + 1";
    const PreparedAlgorithm program = PrepareAlgorithm(text, {});
    ASSERT_TRUE(program.Errors.empty());
    std::vector<std::string> vars = NewVariables();
    PrMarker marker;
    marker.Step = true;
    RunHooks hooks;
    const auto step = [&] { return RunProgram(vars, 1, program, {}, marker, hooks); };

    step();  // line 1
    EXPECT_EQ(vars[0], "1");
    EXPECT_EQ(marker.Line, 2);
    EXPECT_FALSE(marker.Stop);
    step();  // the label-only line takes a step of its own
    EXPECT_EQ(marker.Line, 3);
    step();  // the jump ends the step at its target
    EXPECT_EQ(marker.Line, 5);
    EXPECT_EQ(marker.GotoCount, 1);
    EXPECT_FALSE(marker.Done);
    const Error01 last = step();  // the last line completes the run
    EXPECT_EQ(last.ErrCode, 0);
    EXPECT_TRUE(marker.Done);
    EXPECT_TRUE(marker.Stop);
    EXPECT_EQ(marker.Result, "2");
}

TEST(RunProgram, ResumesAPausedRunWithItsValues) {
    const std::string text =
        "Loop: [V002()] = [V002()] + 1\nif([V002()] < 10) goto Loop\n[V001()] = [V002()] * 2";
    const PreparedAlgorithm program = PrepareAlgorithm(text, {});
    std::vector<std::string> vars = NewVariables();
    PrMarker marker;
    RecordingHooks hooks;
    hooks.marker = &marker;
    hooks.pauseAtLine = 1;

    RunProgram(vars, 1, program, {}, marker, hooks);
    EXPECT_FALSE(marker.Stop);
    EXPECT_FALSE(marker.Done);
    EXPECT_EQ(marker.Line, 2);
    EXPECT_EQ(vars[1], "1");

    hooks.pauseAtLine = 0;
    marker.Pause = false;
    RunProgram(vars, 1, program, {}, marker, hooks);
    EXPECT_TRUE(marker.Done);
    EXPECT_EQ(marker.Result, "20");
    EXPECT_EQ(marker.GotoCount, 9);
}

TEST(RunProgram, PauseDuringTheLastLineCompletesTheRun) {
    const PreparedAlgorithm program = PrepareAlgorithm("[V001()] = 1\n[V001()] = 2", {});
    std::vector<std::string> vars = NewVariables();
    PrMarker marker;
    RecordingHooks hooks;
    hooks.marker = &marker;
    hooks.pauseAtLine = 2;
    RunProgram(vars, 1, program, {}, marker, hooks);
    EXPECT_TRUE(marker.Done);
    EXPECT_EQ(marker.Result, "2");
}

TEST(RunProgram, ResumingAtNoLineCompletesAtOnce) {
    const PreparedAlgorithm program = PrepareAlgorithm("[V001()] = 1", {});
    std::vector<std::string> vars = NewVariables();
    vars[0] = "8";
    PrMarker marker;
    marker.Line = 42;
    RunHooks hooks;
    RunProgram(vars, 1, program, {}, marker, hooks);
    EXPECT_TRUE(marker.Done);
    EXPECT_EQ(marker.Result, "8");
}

TEST(RunProgram, ElseStateAndJumpsSurviveSteps) {
    const PreparedAlgorithm program =
        PrepareAlgorithm("if(1>2) [V001()] = 1\nelse [V001()] = 2", {});
    std::vector<std::string> vars = NewVariables();
    PrMarker marker;
    marker.Step = true;
    RunHooks hooks;
    RunProgram(vars, 1, program, {}, marker, hooks);
    EXPECT_TRUE(marker.ElseArmed);
    RunProgram(vars, 1, program, {}, marker, hooks);
    EXPECT_TRUE(marker.Done);
    EXPECT_EQ(marker.Result, "2");
}

TEST(RunProgram, ShowsTheRunToTheEditor) {
    const PreparedAlgorithm program =
        PrepareAlgorithm("if([V001()] < 1) [V001()] = [V002()] + 1\nL:\n[V003()] = [V001()]", {});
    std::vector<std::string> vars = NewVariables();
    PrMarker marker;
    RecordingHooks hooks;
    RunProgram(vars, 3, program, {}, marker, hooks);
    EXPECT_TRUE(marker.Done);
    EXPECT_EQ(hooks.shown, (std::vector<std::string>{
                               "values 1 1..1 V001=0",  // the condition's references
                               "values 1 3..0 V001=0",  // the right side
                               "values 1 2..2 V001=1",  // the target, after the assignment
                               "next 2",
                               "next 3",
                               "values 3 2..0 V001=1",
                               "values 3 1..1 V001=1",
                           }));
    EXPECT_EQ(hooks.yields, 3 + 2 + 3);  // a label-only line lets messages run twice
}

TEST(RunHooks, LetTimerEventsThroughDuringALongCalculation) {
    bool fired = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&fired] { fired = true; });
    timer.start(0);
    EXPECT_EQ(Value("L: [V001()] = [V001()] + 1\nif([V001()] < 3000) goto L"), "3000");
    EXPECT_TRUE(fired);
}

TEST(RunHooks, NeverLetUserInputThroughOutsideTheEditor) {
    std::vector<QEventLoop::ProcessEventsFlags> calls;
    std::string result;
    QThread* thread = QThread::create(
        [&result] { result = Value("L: [V001()] = [V001()] + 1\nif([V001()] < 100) goto L"); });
    thread->setEventDispatcher(new RecordingDispatcher(calls));
    thread->start();
    ASSERT_TRUE(thread->wait(60000));
    EXPECT_EQ(result, "100");
    ASSERT_FALSE(calls.empty());
    for (const QEventLoop::ProcessEventsFlags flags : calls)
        EXPECT_TRUE(flags.testFlag(QEventLoop::ExcludeUserInputEvents));
    delete thread;
}

TEST(PrepareAlgorithm, KeepsCheckErrorsAndRunsNothing) {
    const PreparedAlgorithm program = PrepareAlgorithm("[V001()] = 5*\n[V002()] = 1", {});
    ASSERT_EQ(program.Errors.size(), 1u);
    EXPECT_EQ(program.Errors[0].ErrCode, kErrTrailingOperator);
    EXPECT_TRUE(program.Lines.empty());
    EXPECT_TRUE(PrepareAlgorithm("\n// only\n", {}).Lines.empty());
    EXPECT_TRUE(PrepareAlgorithm("\n// only\n", {}).Errors.empty());
}

TEST(TPreparedAlgorithms, PreparesEachAlgorithmOnce) {
    TPreparedAlgorithms cache;
    const std::string text = "[V001()] = [I001()] * 2";
    ExtData datum = Datum(1, "3");
    const auto first = cache.Get(text, {datum});
    datum.DataStr = "4";  // another date: other values, the same check
    const auto second = cache.Get(text, {datum});
    EXPECT_EQ(first.get(), second.get());
    EXPECT_TRUE(first->Errors.empty());
    EXPECT_EQ(cache.Size(), 1u);

    datum.IDObject = -1;  // without a source the check differs
    const auto unsourced = cache.Get(text, {datum});
    EXPECT_NE(unsourced.get(), first.get());
    ASSERT_EQ(unsourced->Errors.size(), 1u);
    EXPECT_EQ(unsourced->Errors[0].ErrCode, kErrNoDatum);

    EXPECT_NE(cache.Get(text + " ", {Datum(1, "3")}).get(), first.get());
    EXPECT_EQ(cache.Size(), 3u);
    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(first->Lines.size(), 1u);  // a prepared algorithm in use outlives the cache
}
