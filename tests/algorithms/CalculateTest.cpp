// Calculating an algorithm for a date within one user action: outcomes, the errors gathered in
// the action's context, the limit of calculations and the events let through meanwhile.
#include <gtest/gtest.h>

#include <QThread>
#include <QTimer>

#include "common/RecordingDispatcher.h"
#include "algorithms/Ugetdata.h"
#include "platform/Locale.h"

namespace {

const TDateTime kDate = EncodeDate(2024, 3, 14);  // a Thursday

// An initial datum from the calendar: the day of the month (14), or, with a month decrement,
// the number of days of that earlier month.
ExtData DayOfMonth(int n, std::string param2 = "") {
    ExtData datum;
    datum.Name = "I00" + std::to_string(n);
    datum.N = n;
    datum.IDObject = 0;
    datum.TypeObject = kSourceCalendar;
    datum.SubSource = param2.empty() ? 5 : 4;
    datum.Param1 = "1";
    datum.Param2 = std::move(param2);
    return datum;
}

Algorithm01 Algorithm(std::string name, std::string text, TExtDataList data = {},
                      int varOfResult = 1) {
    Algorithm01 a;
    a.Name = std::move(name);
    a.Text = std::move(text);
    a.INDataList = std::move(data);
    a.VarOfResult = varOfResult;
    return a;
}

class Calculate : public ::testing::Test {
protected:
    Calculate() { ResetGlobalErrors(); }
    ~Calculate() override { ResetGlobalErrors(); }
    GlobatErrWatch& watch = ErrWatch();
};

// A value with "." standing for the user's decimal separator.
std::string WithSeparator(std::string text) {
    for (char& c : text)
        if (c == '.') c = DecimalSeparator();
    return text;
}

struct TOutcome {
    const char* text;
    int varOfResult;
    int errCode;
    int nline;
    const char* value;  // Text of the outcome, "." standing for the user's separator
};

}  // namespace

TEST_F(Calculate, GivesTheResultOrTheErrorOfTheRun) {
    const TOutcome cases[] = {
        {"", 1, 0, -1, "0"},
        {"// nothing but comments\n\n   // here", 1, 0, -1, "0"},
        {"[V002()] = 5", 1, 0, -1, "0"},  // the result variable is never assigned
        {"[V001()] = 5,0", 1, 0, -1, "5,0"},
        {"[V001()] = [I001()] * 2 + [I002()]", 1, 0, -1, "57"},  // 14 * 2 + 29
        {"[V007()] = [I001()] / 4", 7, 0, -1, "3.5"},
        {"[V001()] = 3\n[V002()] = 4", 0, 0, -1, "3"},    // read as variable 1
        {"[V001()] = 3\n[V002()] = 4", 101, 0, -1, "3"},  // read as variable 1
        {"[V001()] = 1\n[V001()] = [I001()] / ([I001()] - 14)", 1, kErrDivisionByZero, 2,
         " 14 / (14 - 14)"},
        {"[V001()] = 2\nL: [V001()] = [V001()] * [V001()]\ngoto L", 1, kErrTooManyDigits, 2,
         "[V001()] = [V001()] * [V001()]"},
        {"L: goto L", 1, kErrTooManyJumps, 1, "goto L"},
    };
    for (const TOutcome& c : cases) {
        SCOPED_TRACE(c.text);
        ResetGlobalErrors();
        const Error01 outcome = CalculateAlgorithm(
            kDate,
            Algorithm("Heating", c.text, {DayOfMonth(1), DayOfMonth(2, "1")}, c.varOfResult));
        EXPECT_EQ(outcome.ErrCode, c.errCode);
        EXPECT_EQ(outcome.NLine, c.nline);
        EXPECT_EQ(outcome.Text, WithSeparator(c.value));
        EXPECT_EQ(watch.HasErrors, c.errCode != 0);
        if (c.errCode != 0) {
            ASSERT_EQ(watch.Errors.size(), 1u);
            EXPECT_EQ(watch.Errors[0].NameAlg, "Heating");
            EXPECT_EQ(watch.Errors[0].ErrCode, c.errCode);
            EXPECT_EQ(watch.Errors[0].NLine, c.nline);
            EXPECT_EQ(watch.Errors[0].Text, c.value);
        }
        EXPECT_EQ(watch.NameAlg, "Heating");
        EXPECT_EQ(watch.CalcCount, 1);
    }
}

TEST_F(Calculate, ReportsCheckErrorsOneByOneWithTheirLines) {
    const Error01 outcome = CalculateAlgorithm(
        kDate, Algorithm("Water", "[V001()] = 1\n\n[V001()] = 5 # [I003()]", {DayOfMonth(1)}));
    EXPECT_EQ(outcome.ErrCode, kErrCheckFailed);
    EXPECT_EQ(outcome.NLine, -1);
    EXPECT_EQ(outcome.Text, "");
    ASSERT_EQ(watch.Errors.size(), 1u);
    EXPECT_EQ(watch.Errors[0].NameAlg, "Water");
    EXPECT_EQ(watch.Errors[0].NLine, 3);
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrCharacter);
    EXPECT_EQ(watch.Errors[0].Text, "#");

    ResetGlobalErrors();
    CalculateAlgorithm(
        kDate, Algorithm("Water", "[V001()] = (2)(3)\n[V001()] = [I003()]", {DayOfMonth(1)}));
    ASSERT_EQ(watch.Errors.size(), 2u);
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrMissingOperator);
    EXPECT_EQ(watch.Errors[0].NLine, 1);
    EXPECT_EQ(watch.Errors[1].ErrCode, kErrNoDatum);
    EXPECT_EQ(watch.Errors[1].NLine, 2);
    EXPECT_EQ(watch.Errors[1].Text, "I003");
}

// Once a calculation of the action failed, every later one fails with 1020 without running.
TEST_F(Calculate, AfterOneFailureTheActionsLaterCalculationsFail) {
    watch.NameObject = "Rent";
    CalculateAlgorithm(kDate, Algorithm("First", "[V001()] = 1 / 0"));
    const Error01 second = CalculateAlgorithm(kDate, Algorithm("Second", "[V001()] = 7"));
    EXPECT_EQ(second.ErrCode, kErrDatumNotObtained);
    EXPECT_EQ(second.NLine, -1);
    EXPECT_EQ(second.Text, "");
    ASSERT_EQ(watch.Errors.size(), 2u);
    EXPECT_EQ(watch.Errors[0].NameAlg, "First");
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrDivisionByZero);
    EXPECT_EQ(watch.Errors[1].NameAlg, "Second");
    EXPECT_EQ(watch.Errors[1].ErrCode, kErrDatumNotObtained);
    EXPECT_EQ(watch.Errors[1].NLine, -1);
    EXPECT_EQ(watch.NameAlg, "First");
    EXPECT_EQ(watch.NameObject, "Rent");
    EXPECT_EQ(watch.CalcCount, 2);

    ResetGlobalErrors();
    EXPECT_EQ(CalculateAlgorithm(kDate, Algorithm("Second", "[V001()] = 7")).Text, "7");
}

// An unreadable parameter makes its datum "0" with an error naming it, and the calculation
// that needed it fails (1020) instead of the program.
TEST_F(Calculate, FailsWhenADatumCannotBeObtained) {
    const Error01 outcome = CalculateAlgorithm(
        kDate, Algorithm("Gas", "[V001()] = [I002()] + 1", {DayOfMonth(1), DayOfMonth(2, "x")}));
    EXPECT_EQ(outcome.ErrCode, kErrDatumNotObtained);
    ASSERT_EQ(watch.Errors.size(), 2u);
    EXPECT_EQ(watch.Errors[0].NameAlg, "Gas");
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrDatumNotObtained);
    EXPECT_EQ(watch.Errors[0].Text, "I002: x");
    EXPECT_EQ(watch.Errors[1].Text, "");
}

TEST_F(Calculate, RunsAtMostAHundredCalculationsInOneAction) {
    const Algorithm01 a = Algorithm("Rate", "[V001()] = [I001()]", {DayOfMonth(1)});
    for (int i = 1; i <= kMaxCalculations; ++i) {
        const Error01 outcome = CalculateAlgorithm(kDate, a);
        ASSERT_EQ(outcome.ErrCode, 0) << i;
        ASSERT_EQ(outcome.Text, "14") << i;
    }
    EXPECT_FALSE(watch.HasErrors);
    const Error01 over = CalculateAlgorithm(kDate, a);
    EXPECT_EQ(over.ErrCode, kErrTooManyCalculations);
    EXPECT_EQ(over.NLine, -1);
    EXPECT_EQ(CalculateAlgorithm(kDate, a).ErrCode, kErrTooManyCalculations);
    ASSERT_EQ(watch.Errors.size(), 2u);
    EXPECT_EQ(watch.Errors[0].ErrCode, kErrTooManyCalculations);
    EXPECT_EQ(watch.Errors[0].NameAlg, "Rate");
    EXPECT_EQ(watch.CalcCount, kMaxCalculations + 2);

    ResetGlobalErrors();
    EXPECT_EQ(CalculateAlgorithm(kDate, a).ErrCode, 0);
}

// The algorithm is parsed and checked once per action however often it is calculated, for
// whichever date; a new action prepares it again.
TEST_F(Calculate, PreparesEachAlgorithmOncePerAction) {
    const Algorithm01 a = Algorithm("Rate", "[V001()] = [I001()] * 2", {DayOfMonth(1)});
    EXPECT_EQ(CalculateAlgorithm(kDate, a).Text, "28");
    EXPECT_EQ(CalculateAlgorithm(kDate + 1, a).Text, "30");
    EXPECT_EQ(CalculateAlgorithm(EncodeDate(2024, 4, 1), a).Text, "2");
    EXPECT_EQ(watch.Prepared.Size(), 1u);
    CalculateAlgorithm(kDate, Algorithm("Other", "[V001()] = 1"));
    EXPECT_EQ(watch.Prepared.Size(), 2u);
    ResetGlobalErrors();
    EXPECT_EQ(watch.Prepared.Size(), 0u);
}

TEST_F(Calculate, LeavesTheCallersAlgorithmAsItWas) {
    Algorithm01 a = Algorithm("Rate", "[V001()] = [I001()]", {DayOfMonth(1)});
    a.INDataList[0].Date = 12.0;
    a.INDataList[0].DataStr = "old";
    EXPECT_EQ(CalculateAlgorithm(kDate, a).Text, "14");
    EXPECT_EQ(a.INDataList[0].Date, 12.0);
    EXPECT_EQ(a.INDataList[0].DataStr, "old");
}

TEST_F(Calculate, FillsTheInitialDataForTheDate) {
    TExtDataList data = {DayOfMonth(1), DayOfMonth(2, "0")};
    data[1].TypeObject = 12345;  // a kind of source without values
    data[1].DataStr = "old";
    FillExtDataValues(data, kDate, "Rate");
    EXPECT_EQ(data[0].Date, kDate);
    EXPECT_EQ(data[0].DataStr, "14");
    EXPECT_EQ(data[1].Date, kDate);
    EXPECT_EQ(data[1].DataStr, "");
    EXPECT_FALSE(watch.HasErrors);
}

TEST_F(Calculate, LetsTimerEventsThroughDuringALongCalculation) {
    bool fired = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&fired] { fired = true; });
    timer.start(0);
    // Long enough to outlast the 20 ms between two passes, whenever the calculations before
    // this one in the same program let events through last.
    const Error01 outcome = CalculateAlgorithm(
        kDate, Algorithm("Loop", "L: [V001()] = [V001()] + 1\nif([V001()] < 90000) goto L"));
    EXPECT_EQ(outcome.Text, "90000");
    EXPECT_TRUE(fired);
}

// No user input reaches the program while a calculation runs, so no second user action can
// start inside it.
TEST_F(Calculate, NeverLetsUserInputThrough) {
    std::vector<QEventLoop::ProcessEventsFlags> calls;
    Error01 outcome;
    QThread* thread = QThread::create([&outcome] {
        outcome = CalculateAlgorithm(
            kDate, Algorithm("Loop", "L: [V001()] = [V001()] + 1\nif([V001()] < 40000) goto L"));
    });
    thread->setEventDispatcher(new RecordingDispatcher(calls));
    thread->start();
    ASSERT_TRUE(thread->wait(60000));
    delete thread;
    EXPECT_EQ(outcome.Text, "40000");
    ASSERT_FALSE(calls.empty());
    for (const QEventLoop::ProcessEventsFlags flags : calls)
        EXPECT_TRUE(flags.testFlag(QEventLoop::ExcludeUserInputEvents));
}
