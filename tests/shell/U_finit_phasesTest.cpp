// The daily phases of the start-up without a window: which budgets are packed and
// recalculated, the memo lines, the stop of a budget whose recalculation fails, and a budget
// that cannot be handled at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "algorithms/Uq519algorithm01.h"
#include "common/FakeShellServices.h"
#include "common/TestFolders.h"
#include "platform/Table.h"
#include "shell/U_finit_phases.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

// Records what the phases show.
class TRecordingSink : public TStartupSink {
public:
    void AddLine(const std::string& line) override { lines.push_back(line); }
    void LetMessagesRun() override {}
    TRecalcProgress* Progress() override { return nullptr; }
    void ResetProgress() override { ++resets; }
    void ShowError(const std::string& text) override { errors.push_back(text); }

    Strings lines;
    Strings errors;
    int resets = 0;
};

const TInitTexts kTexts{"Load",
                        "running",
                        "done",
                        "Pack",
                        "pack [budget_name] ([budget_name])",
                        "Packed",
                        "Recalc",
                        "recalc [budget_name]",
                        "Recalculated",
                        "[budget_name] failed: [error]"};

class PhasesTest : public ::testing::Test {
protected:
    PhasesTest() {
        shell.state.DataPath = folders.DataPath();
        shell.state.LangPath = folders.DataPath() + "LangEN/";
        DM = &dm;
        ResetGlobalErrors();
    }
    ~PhasesTest() override {
        ResetGlobalErrors();
        DM = nullptr;
    }

    // A budget folder and its budget list row.
    std::string Budget(int id, const std::string& name, int state) {
        const std::string folder = folders.MakeBudget(name);
        AppendRow(folders.UsersDataPath(), "Budgets",
                  {{"ID", id}, {"Name", name}, {"Path", folder}, {"State", state}});
        return folder;
    }

    // A pay with a payment of yesterday; an amount that is no number is an error of the
    // recalculation.
    static void AddPayment(const std::string& folder, const char* amount) {
        AppendRow(folder, "Objects", {{"ID", 11}, {"IDParent", 0}, {"Type", 60}, {"Name", "Flat"}});
        AppendRow(folder, "PayHistory",
                  {{"ID", 11},
                   {"DateEvent", Today() - 1},
                   {"TypeEvent", std::string("PY")},
                   {"Payment", std::string(amount)},
                   {"NManOper", 1}});
    }

    bool Run(TDateTime lastDay = 0) {
        dm.PrepareTables(folders.UsersDataPath());
        return RunDailyPhases(shell.state, kTexts, sink, lastDay, Today());
    }

    // The services' calls that name the recalculation's steps.
    Strings RecalcCalls() const {
        Strings calls;
        for (const std::string& call : shell.calls)
            if (call.rfind("RebuildCalendar", 0) == 0 || call == "StopBudget")
                calls.push_back(call.substr(0, call.find(' ')));
        return calls;
    }

    TestFolders folders;
    FakeShellServices shell{folders.UsersDataPath()};
    TDM dm;
    TRecordingSink sink;
};

}  // namespace

// A running budget first and a stopped one second: both packed, the running one recalculated,
// each line with the name put in wherever the text asks for it.
TEST_F(PhasesTest, PackEveryCompleteBudgetAndRecalculateTheRunningOnes) {
    Budget(1, "Home", 0);
    Budget(2, "Cottage", 3);
    const std::string gone = folders.UsersDataPath() + "Gone";
    AppendRow(folders.UsersDataPath(), "Budgets",
              {{"ID", 3}, {"Name", std::string("Gone")}, {"Path", gone}, {"State", 0}});
    EXPECT_TRUE(Run());
    EXPECT_EQ(sink.lines, (Strings{"Pack", "pack Home (Home)", "pack Cottage (Cottage)", "Packed",
                                   "Recalc", "recalc Home", "Recalculated"}));
    EXPECT_TRUE(sink.errors.empty());
    EXPECT_EQ(sink.resets, 1);
    // The calendar from five days before the last start's day to five days after today.
    ASSERT_EQ(RecalcCalls(), Strings{"RebuildCalendar"});
    EXPECT_EQ(shell.calls[0], "RebuildCalendar " + DateToStr(-5) + " " + DateToStr(Today() + 5));
    EXPECT_EQ(shell.state.BudgetName, "Home");
}

TEST_F(PhasesTest, WithoutCompleteBudgetsOnlyThePhaseLinesAppear) {
    AppendRow(folders.UsersDataPath(), "Budgets",
              {{"ID", 1},
               {"Name", std::string("Gone")},
               {"Path", folders.UsersDataPath() + "Gone"},
               {"State", 0}});
    EXPECT_TRUE(Run());
    EXPECT_EQ(sink.lines, (Strings{"Pack", "Packed", "Recalc", "Recalculated"}));
}

// The calendar reaches five days past a manual event that lies after today.
TEST_F(PhasesTest, TheCalendarReachesFiveDaysPastTheLatestManualEvent) {
    const std::string home = Budget(1, "Home", 0);
    AppendRow(home, "Objects", {{"ID", 11}, {"IDParent", 0}, {"Type", 60}, {"Name", "Flat"}});
    AppendRow(home, "PayHistory",
              {{"ID", 11},
               {"DateEvent", Today() + 30},
               {"TypeEvent", std::string("PY")},
               {"Payment", std::string("5")},
               {"NManOper", 1}});
    EXPECT_TRUE(Run(Today() - 3));
    EXPECT_EQ(shell.calls.at(0),
              "RebuildCalendar " + DateToStr(Today() - 8) + " " + DateToStr(Today() + 35));
}

// An automatic charge two months ahead, written by an earlier run to a later last day: the
// calendar and the run go on past today to it, and it is written again, not lost.
TEST_F(PhasesTest, AnAutomaticChargeAfterTodayIsWrittenAgainNotLost) {
    const std::string home = Budget(1, "Home", 0);
    const TDateTime due = Today() + 60;
    AppendRow(home, "Objects", {{"ID", 11}, {"IDParent", 0}, {"Type", 60}, {"Name", "Flat"}});
    AppendRow(
        home, "Schedules",
        {{"ID", 1}, {"Periodicity", std::string("U")}, {"UnitaryDate", due}, {"Priority", 5}});
    AppendRow(home, "PayAutoCharges",
              {{"ID", 11},
               {"Name", std::string("Rent")},
               {"DateBegin", Today() - 30},
               {"RestrictTime", std::string("U")},
               {"Activity", std::string("A")},
               {"ItemType", std::string("C")},
               {"ConstValue", std::string("10")},
               {"IDSchedule", 1}});
    AppendRow(home, "PayHistory",
              {{"ID", 11},
               {"DateEvent", due},
               {"TypeEvent", std::string("CH")},
               {"Charge", std::string("10")},
               {"CurBalance", std::string("-10")},
               {"IDCharge", 1},
               {"PrtyCharge", 5}});
    EXPECT_TRUE(Run(Today() - 3));
    EXPECT_EQ(shell.calls.at(0),
              "RebuildCalendar " + DateToStr(Today() - 8) + " " + DateToStr(due + 5));
    TTable charges;
    charges.SetDatabaseName(home);
    charges.SetTableName("PayHistory.db");
    charges.SetFilter(Where("IDCharge") == 1);
    charges.SetFiltered(true);
    charges.Open();
    ASSERT_EQ(charges.RecordCount(), 1);
    EXPECT_EQ(charges.FieldByName("DateEvent").AsDateTime(), due);
}

// The second of three running budgets reports an error of its recalculation: it is stopped,
// the third is recalculated next, the first once only, and the start counts as complete.
TEST_F(PhasesTest, ABudgetWhoseRecalculationFailsIsStoppedAndTheNextRecalculated) {
    Budget(1, "One", 0);
    AddPayment(Budget(2, "Two", 0), "abc");
    AddPayment(Budget(3, "Three", 0), "12");
    EXPECT_TRUE(Run());
    EXPECT_EQ(sink.lines,
              (Strings{"Pack", "pack One (One)", "pack Two (Two)", "pack Three (Three)", "Packed",
                       "Recalc", "recalc One", "recalc Two", "recalc Three", "Recalculated"}));
    const Strings calls = RecalcCalls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls.front(), "RebuildCalendar");
    EXPECT_EQ(calls[1], "RebuildCalendar");
    EXPECT_EQ(calls.back(), "RebuildCalendar");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "RebuildCalendar"), 3);
    EXPECT_GE(shell.stopRequests, 1);
    EXPECT_EQ(sink.resets, 3);
}

// A budget whose tables file is damaged is reported once, left out of the recalculation, and
// the others are packed and recalculated; the start does not count as complete.
TEST_F(PhasesTest, ABudgetThatCannotBeOpenedIsReportedOnceAndTheOthersGoOn) {
    Budget(1, "One", 0);
    const std::string broken = Budget(2, "Broken", 0);
    Budget(3, "Three", 0);
    std::ofstream(broken + "/tables.sqlite", std::ios::trunc) << "not a tables file";
    EXPECT_FALSE(Run());
    EXPECT_EQ(sink.lines, (Strings{"Pack", "pack One (One)", "pack Three (Three)", "Packed",
                                   "Recalc", "recalc One", "recalc Three", "Recalculated"}));
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0].rfind("Broken failed: ", 0), 0u) << sink.errors[0];
}

TEST(FirstStartOfDay, ComparesWholeDays) {
    const TDateTime today = 45000.75;
    const struct {
        TDateTime lastStart;
        bool first;
    } cases[] = {{0, true}, {44999.99, true}, {45000.0, false}, {45000.9, false}, {45001.2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastStart);
        EXPECT_EQ(IsFirstStartOfDay(c.lastStart, today), c.first);
    }
}
