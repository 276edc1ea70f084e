// Automatic charges and balances: the chain rule, the recalculation's log, progress, early ends,
// periods and bad data, and a recalculation killed half-way.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "algorithms/Ugetdata.h"
#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "common/OpenBudget.h"
#include "pays/PayBudget.h"
#include "platform/IniFile.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace {

// What a run showed: its log, its progress and the error windows, one line each.
class TRecorder : public TRecalcLog, public TRecalcProgress {
public:
    void ClearLog() override { shown.push_back("clear"); }
    void AddLogLine(const std::string& line) override {
        shown.push_back(line);
        if (++lines == stopAfter) stop = true;
    }
    void StartProgress(int maximum) override {
        shown.push_back("start " + std::to_string(maximum));
    }
    void SetProgress(int position) override { shown.push_back("at " + std::to_string(position)); }

    std::vector<std::string> shown;
    bool stop = false;
    int lines = 0;
    int stopAfter = -1;  // sets the stop flag after that many log lines
};

class Recalc : public PayBudget {
public:
    Recalc() {
        AddPay(1, "Flat");
        previousWindow_ = SetGlobalErrorsWindow([this] {
            ++errorWindows;
            shell.StopBudget();
        });
    }
    ~Recalc() override { SetGlobalErrorsWindow(previousWindow_); }

    // An auto charge of the pay on one day (a unitary schedule of that priority).
    int AddChargeOn(TDateTime date, const char* value, int pay = 1, int priority = 5,
                    const char* itemType = "C", int idAlg = 0) {
        TCharge charge;
        charge.Pay = pay;
        charge.IDSchedule = AddSchedule('U', priority, date);
        charge.ItemType = itemType;
        charge.ConstValue = value;
        charge.IDAlg = idAlg;
        AddCharge(charge);
        return charge.IDSchedule;
    }

    // An auto charge computed by an algorithm of that text.
    int AddAlgorithmChargeOn(TDateTime date, const std::string& text) {
        Algorithm01 algorithm;
        algorithm.Name = "Tariff";
        algorithm.IDParent = 1;
        algorithm.Text = text;
        return AddChargeOn(date, "", 1, 5, "A", dm.SaveAlgorithm(algorithm));
    }

    bool Run(TDateTime from, TDateTime to) {
        RebuildCalendarEntries(from, to);
        return RecalculateBudget(recorder.stop, &recorder, &recorder, from, to);
    }

    std::string LastRecalc() const {
        return TIniFile(budget + "/VLBudget.ini").ReadString("VLBudget", "lr", "none");
    }

    static std::string DayText(TDateTime date) {
        return std::to_string(static_cast<long long>(date));
    }

    TRecorder recorder;
    int errorWindows = 0;

private:
    std::function<void()> previousWindow_;
};

using THistory = std::vector<std::string>;

}  // namespace

// ---- The chain of balances

struct TChainCase {
    const char* what;
    std::function<void(Recalc&)> setup;  // events of pay 1 in January
    THistory history;                    // of pay 1 after recalculating January
};

using ChainRule = Recalc;

TEST_F(ChainRule, EachEventChainsOnThePreviousBalanceByItsKind) {
    const TChainCase cases[] = {
        {"a constant is charged unrounded",
         [](Recalc& r) { r.AddChargeOn(Day(1, 10), "12,345"); },
         {"CH 12,345 -12,345 12,345"}},
        {"an algorithm's result is rounded to cents",
         [](Recalc& r) { r.AddAlgorithmChargeOn(Day(1, 10), Decimal("[V001()] = 12,345")); },
         {"CH 12,35 -12,35 12,35"}},
        {"half a cent below zero rounds away from zero",
         [](Recalc& r) { r.AddAlgorithmChargeOn(Day(1, 10), Decimal("[V001()] = 0 - 0,005")); },
         {"CH -0,01 0,01 0"}},
        {"a charge, a payment above it and a charge that evens it out",
         [](Recalc& r) {
             r.AddChargeOn(Day(1, 10), "100");
             AddManual(1, Day(1, 12), "PY", "150");
             r.AddChargeOn(Day(1, 14), "50");
         },
         {"CH 100 -100 100", "PY 150 50 ", "CH 50 0 0"}},
        {"a manual charge without an amount keeps the balance",
         [](Recalc& r) {
             r.AddChargeOn(Day(1, 10), "10");
             AddManual(1, Day(1, 12), "CH", "");
         },
         {"CH 10 -10 10", "CH  -10 10"}},
        {"manual events of a day come before its automatic charges, whatever the order added",
         [](Recalc& r) {
             r.AddChargeOn(Day(1, 10), "1", 1, 2);
             AddManual(1, Day(1, 10), "PY", "20", 2);
             AddManual(1, Day(1, 10), "CH", "5", 1);
         },
         {"CH 5 -5 5", "PY 20 15 ", "CH 1 14 0"}},
    };
    for (const TChainCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRows(dm.TablePayHistory, {});
        ClearRows(dm.TableAutoCharges, {});
        c.setup(*this);
        EXPECT_TRUE(Run(Day(1, 1), Day(1, 31)));
        EXPECT_EQ(History(1), c.history);
    }
    EXPECT_EQ(errorWindows, 0);
}

TEST_F(ChainRule, AManualEventChainsOnlyOnTheRowBeforeItAnAutomaticChargeWalksBackPastEmptyOnes) {
    AddPay(2, "Power");
    for (int pay : {1, 2}) {
        AddEvent(pay, Day(1, 5), "PY", "30", "30");
        AddManual(pay, Day(1, 8), "CH", "7");  // not recalculated: its balance stays empty
    }
    AddManual(1, Day(1, 9), "PY", "5");
    AddChargeOn(Day(1, 9), "1", 2);
    EXPECT_TRUE(Run(Day(1, 9), Day(1, 31)));
    EXPECT_EQ(History(1), (THistory{"PY 30 30 ", "CH 7  ", "PY 5 5 "}));
    EXPECT_EQ(History(2), (THistory{"PY 30 30 ", "CH 7  ", "CH 1 29 0"}));
}

// ---- The run

TEST_F(Recalc, TheLogNamesEachEntryAndTheProgressCountsDaysToTheRunsLastDay) {
    const auto described = [](int idSchedule) {
        Schedule schedule;
        LoadSchedule(idSchedule, schedule);
        return DescribeSchedule(schedule);
    };
    const int first = AddChargeOn(Day(1, 1), "10");
    AddManual(1, Day(1, 15), "PY", "10");
    const int last = AddChargeOn(Day(1, 31), "10");
    // January of a past year: the run goes on to today, the latest pay event.
    EXPECT_TRUE(Run(Day(1, 1), Day(1, 31)));
    const std::string days = DayText(Today() - Day(1, 1));
    EXPECT_EQ(recorder.shown,
              (std::vector<std::string>{
                  "clear", "start " + days,
                  ">>> " + DateToStr(Day(1, 1)) + ": Flat, Rent, " + described(first) + ".",
                  ">>> " + DateToStr(Day(1, 15)) + ": Flat, Payment, -.", "at 14",
                  ">>> " + DateToStr(Day(1, 31)) + ": Flat, Rent, " + described(last) + ".",
                  "at 30", "at " + days}));
    EXPECT_EQ(LastRecalc(), DayText(Today()));
}

TEST_F(Recalc, AnEntryOfADeletedPayIsLoggedWithoutAName) {
    AddChargeOn(Day(1, 3), "10", 7);
    EXPECT_TRUE(Run(Day(1, 1), Day(1, 5)));
    ASSERT_EQ(recorder.shown.size(), 5u);
    EXPECT_EQ(recorder.shown[2].rfind(">>> " + DateToStr(Day(1, 3)) + ": , Rent, ", 0), 0u)
        << recorder.shown[2];
}

TEST_F(Recalc, TheStopFlagEndsTheRunAfterTheEntryAndKeepsTheLastDate) {
    WriteLastRecalcDate(Day(12, 1, 2023));
    AddChargeOn(Day(1, 10), "10");
    AddChargeOn(Day(1, 20), "20");
    AddEvent(1, Day(1, 25), "CH", "99", "-99", 77);  // an old automatic charge of the period
    recorder.stopAfter = 1;
    EXPECT_FALSE(Run(Day(1, 1), Day(1, 31)));
    EXPECT_EQ(History(1), (THistory{"CH 10 -10 10"}));
    EXPECT_EQ(LastRecalc(), DayText(Day(12, 1, 2023)));
    EXPECT_EQ(std::count_if(recorder.shown.begin(), recorder.shown.end(),
                            [](const std::string& line) { return line.starts_with(">>> "); }),
              1);
}

TEST_F(Recalc, AnAlgorithmErrorChargesZeroShowsTheErrorsStopsTheBudgetAndEndsTheRun) {
    WriteLastRecalcDate(Day(12, 1, 2023));
    AddChargeOn(Day(1, 5), "10");
    AddAlgorithmChargeOn(Day(1, 10), "[V001()] = 1 / 0");
    AddChargeOn(Day(1, 20), "20");
    EXPECT_FALSE(Run(Day(1, 1), Day(1, 31)));
    EXPECT_EQ(History(1), (THistory{"CH 10 -10 10", "CH 0 -10 10"}));
    EXPECT_EQ(errorWindows, 1);
    EXPECT_EQ(shell.stopRequests, 1);
    EXPECT_EQ(ErrWatch().NameObject, "Flat");
    EXPECT_EQ(LastRecalc(), DayText(Day(12, 1, 2023)));

    // Without an error window (no main window), the budget is stopped all the same.
    SetGlobalErrorsWindow({});
    ResetGlobalErrors();
    EXPECT_FALSE(Run(Day(1, 1), Day(1, 31)));
    EXPECT_EQ(shell.stopRequests, 2);
}

TEST_F(Recalc, TheRunDeletesEveryPaysAutomaticChargesFromItsFirstDayOnAndKeepsTheOtherEvents) {
    AddPay(2, "Power");
    for (int pay : {1, 2}) {
        AddEvent(pay, Day(12, 31, 2023), "CH", "1", "-1", 50);  // before the period: kept
        AddEvent(pay, Day(1, 10), "CH", "2", "-3", 50);
        AddEvent(pay, Day(3, 10), "CH", "3", "-6", 50);  // after the last day asked for
        AddManual(pay, Day(3, 11), "CH", "4");
        AddEvent(pay, Day(3, 12), "CN", "100");
    }
    EXPECT_TRUE(Run(Day(1, 1), Day(1, 31)));
    for (int pay : {1, 2}) {
        SCOPED_TRACE(pay);
        EXPECT_EQ(History(pay), (THistory{"CH 1 -1 ", "CH 4  "}));
        EXPECT_EQ(
            CountRows(tbl::PayHistory, Where(fld::ID) == pay && Where(fld::TypeEvent) == "CN"), 1);
    }
}

TEST_F(Recalc, AFirstDayAfterTheRunsLastDayHandlesNoEntryAndIsComplete) {
    const TDateTime today = Today();
    AddChargeOn(today + 7, "10");
    RebuildCalendarEntries(today, today + 30);
    EXPECT_TRUE(RecalculateBudget(recorder.stop, &recorder, &recorder, today + 10, today + 5));
    EXPECT_EQ(History(1), THistory{});
    EXPECT_EQ(recorder.shown, (std::vector<std::string>{"clear", "start 0", "at 0"}));
    EXPECT_EQ(LastRecalc(), DayText(today + 5));
}

// ---- A period within the budget's charges

// Two pays with half a year of charges before today and half a year after it: a monthly rent
// of 45,20 and a weekly 3,15 for power, payments and a manual charge among them, and a payment
// half a year ahead as the latest event. Recalculated from the beginning first, as starting the
// budget does.
class PeriodRun : public Recalc {
public:
    PeriodRun() {
        AddPay(2, "Power");
        const TDateTime today = Today();
        TCharge rent;
        rent.IDSchedule = AddSchedule();
        rent.DateBegin = today - 185;
        rent.ConstValue = Decimal("45,20");
        AddCharge(rent);
        TCharge power;
        power.Pay = 2;
        power.Name = "Power";
        power.IDSchedule = AddSchedule('W', 3, 0, "YNNNNNN");
        power.DateBegin = today - 185;
        power.ConstValue = Decimal("3,15");
        AddCharge(power);
        AddManual(1, today - 100, "PY", "150");
        AddManual(2, today - 60, "CH", "7");
        AddManual(2, today - 20, "PY", "40");
        AddManual(1, today + 180, "PY", "300");
        FullRun();
    }

    // As the folder frame's Start does: the whole calendar, then a run from the beginning.
    void FullRun() {
        RebuildCalendarEntries(0, DM->LatestPayEventDate() + 5);
        EXPECT_TRUE(RunAutomaticRecalc(true, Today(), nullptr));
    }

    // As the recalculation dialog's OK does with the first day not ticked.
    bool PeriodOnly(TDateTime from, TDateTime to) {
        RebuildCalendarEntries(from, RecalcLastDay(to) + 5);
        return RecalculateBudget(recorder.stop, nullptr, nullptr, from, to);
    }

    static std::vector<std::string> BalancesToday() {
        return {GetPayBalanceAt(1, Today()), GetPayBalanceAt(2, Today())};
    }
};

// A payment booked within the period that no run has seen yet: the period's run leaves the
// budget exactly as a full run over the same data, every charge after the period, its
// balances and the balances today included.
TEST_F(PeriodRun, APeriodRunLeavesEverythingAfterItAsAFullRunMakesIt) {
    const TDateTime today = Today();
    const std::pair<TDateTime, TDateTime> periods[] = {
        {today - 120, today - 60}, {today - 30, today + 30}, {today + 90, today + 150}};
    int operation = 10;
    for (const auto& [from, to] : periods) {
        SCOPED_TRACE(DateToStr(from) + " - " + DateToStr(to));
        AddManual(2, from + 10, "PY", "25", ++operation);
        const int charges = CountRows(tbl::PayHistory, Where(fld::IDCharge) > 0);
        EXPECT_TRUE(PeriodOnly(from, to));
        EXPECT_EQ(CountRows(tbl::PayHistory, Where(fld::IDCharge) > 0), charges);
        const std::string period = DumpBudget(budget);
        const std::vector<std::string> balances = BalancesToday();
        FullRun();
        EXPECT_EQ(BalancesToday(), balances);
        EXPECT_EQ(DumpBudget(budget), period);
    }
}

TEST_F(Recalc, EntriesWithoutTheirChargeOrEventAreSkippedAndTheRunGoesOn) {
    const int gone = AddChargeOn(Day(1, 10), "10");
    AddChargeOn(Day(1, 20), "20");
    AddManual(1, Day(1, 25), "PY", "5", 9000);  // its entry reads as an automatic one
    RebuildCalendarEntries(Day(1, 1), Day(1, 31));
    ClearRows(dm.TableAutoCharges, Where(fld::IDSchedule) == gone);
    ClearRows(dm.TablePayHistory, Where(fld::TypeEvent) == "PY");
    AddManual(1, Day(1, 25), "PY", "5", 9000);
    EXPECT_EQ(ComputeAutoCharge(1, gone, 5, Day(1, 10)), -2);
    EXPECT_TRUE(RecalculateBudget(recorder.stop, nullptr, nullptr, Day(1, 1), Day(1, 31)));
    EXPECT_EQ(History(1), (THistory{"CH 20 -20 20", "PY 5  "}));
}

TEST_F(Recalc, AMissingAlgorithmIsFatalAndTheRunLeavesNothingOfItself) {
    AddChargeOn(Day(1, 5), "10");
    AddChargeOn(Day(1, 10), "", 1, 5, "A", 404);
    AddEvent(1, Day(1, 20), "CH", "2", "-2", 50);
    RebuildCalendarEntries(Day(1, 1), Day(1, 31));
    const std::string before = DumpBudget(budget);
    EXPECT_FALSE(RecalculateBudget(recorder.stop, nullptr, nullptr, Day(1, 1), Day(1, 31)));
    EXPECT_EQ(shell.fatalTexts.size(), 1u);
    EXPECT_EQ(DumpBudget(budget), before);
}

struct TBadAmountCase {
    const char* what;
    std::function<void(Recalc&)> setup;
    THistory history;
};

using BadAmounts = Recalc;

TEST_F(BadAmounts, AnAmountThatIsNoNumberCountsZeroIsReportedAndEndsTheRun) {
    const TBadAmountCase cases[] = {
        {"a constant charge", [](Recalc& r) { r.AddChargeOn(Day(1, 10), "12x"); }, {"CH 0 0 0"}},
        {"the balance an automatic charge chains on",
         [](Recalc& r) {
             AddEvent(1, Day(12, 31, 2023), "PY", "1", "1;2");
             r.AddChargeOn(Day(1, 10), "3");
         },
         {"PY 1 1;2 ", "CH 3 -3 3"}},
        {"the balance a manual event chains on",
         [](Recalc&) {
             AddEvent(1, Day(12, 31, 2023), "PY", "1", "abc");
             AddManual(1, Day(1, 10), "PY", "4");
         },
         {"PY 1 abc ", "PY 4 4 "}},
        {"a manual charge",
         [](Recalc&) { AddManual(1, Day(1, 10), "CH", "1,2,3"); },
         {"CH 1,2,3 0 0"}},
        {"a payment", [](Recalc&) { AddManual(1, Day(1, 10), "PY", "x"); }, {"PY x 0 "}},
    };
    for (const TBadAmountCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRows(dm.TablePayHistory, {});
        ClearRows(dm.TableAutoCharges, {});
        ResetGlobalErrors();
        errorWindows = 0;
        c.setup(*this);
        AddChargeOn(Day(1, 20), "7");  // never reached
        RebuildCalendarEntries(Day(1, 1), Day(1, 31));
        EXPECT_FALSE(RecalculateBudget(recorder.stop, nullptr, nullptr, Day(1, 1), Day(1, 31)));
        EXPECT_EQ(History(1), c.history);
        EXPECT_EQ(errorWindows, 1);
        ASSERT_EQ(ErrWatch().Errors.size(), 1u);
        EXPECT_EQ(ErrWatch().Errors[0].ErrCode, kErrDatumNotObtained);
        const std::string& text = ErrWatch().Errors[0].Text;
        EXPECT_NE(text.find("Flat"), std::string::npos) << text;
        EXPECT_NE(text.find(DateToStr(Day(1, 10))), std::string::npos) << text;
    }
}

TEST_F(Recalc, TheLastDateIsWrittenIntoTheBudgetsIniMadeWhenMissing) {
    const std::string ini = budget + "/VLBudget.ini";
    std::filesystem::remove(ini);
    WriteLastRecalcDate(Day(2, 3) + 0.75);
    EXPECT_EQ(LastRecalc(), DayText(Day(2, 3)));
    TIniFile(ini).WriteString("VLBudget", "other", "kept");
    WriteLastRecalcDate(Day(2, 4));
    EXPECT_EQ(LastRecalc(), DayText(Day(2, 4)));
    EXPECT_EQ(TIniFile(ini).ReadString("VLBudget", "other", ""), "kept");
}

TEST_F(Recalc, ARunInsideAnOuterTransactionIsUndoneWithIt) {
    AddChargeOn(Day(1, 10), "10");
    RebuildCalendarEntries(Day(1, 1), Day(1, 31));
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    std::filesystem::copy_file(budget + "/VLBudget.ini", budget + "/saved.ini");
    {
        TTransactionScope outer(budget);
        RebuildCalendarEntries(0, Day(2, 28));
        EXPECT_TRUE(RecalculateBudget(recorder.stop, nullptr, nullptr, Day(1, 1), Day(2, 28)));
        EXPECT_EQ(History(1), (THistory{"CH 10 -10 10"}));
    }
    // "lr" is no store data: the outer action that rolls back decides what it says.
    std::filesystem::rename(budget + "/saved.ini", budget + "/VLBudget.ini");
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
}

// ---- A crash in the middle

TEST(RecalcAtomicity, AProcessKilledDuringARecalculationLeavesHistoryAndCalendarAsBefore) {
    TestFolders folders;
    const std::string budget = folders.MakeBudget();
    std::string before;
    {
        FakeShellServices shell(folders.UsersDataPath());
        TDM dm;
        OpenBudgetIn(shell, dm, folders, budget);
        for (int pay = 1; pay <= 20; ++pay) {
            Schedule schedule;
            SetDefaultSchedule(schedule);
            schedule.Periodicity = 'W';
            TBudgetTable charges(tbl::PayAutoCharges, true);
            charges.Append();
            charges.FieldByName(fld::ID).SetAsInteger(pay);
            charges.FieldByName(fld::Name).SetAsString("Daily");
            charges.FieldByName(fld::DateBegin).SetAsDateTime(Day(1, 1));
            charges.FieldByName(fld::RestrictTime).SetAsString("U");
            charges.FieldByName(fld::Activity).SetAsString("A");
            charges.FieldByName(fld::ItemType).SetAsString("C");
            charges.FieldByName(fld::ConstValue).SetAsString("1");
            charges.FieldByName(fld::IDSchedule).SetAsInteger(SaveSchedule(schedule));
            charges.Post();
        }
        RebuildCalendarEntries(0, Day(12, 31));
        bool stop = false;
        ASSERT_TRUE(RecalculateBudget(stop, nullptr, nullptr, Day(1, 1), Day(6, 30)));
        DM = nullptr;
    }
    before = DumpBudget(budget);

    // Killed while the recalculation from the first day has written part of its rows.
    struct TKillAt : TRecalcProgress {
        int ready = -1;
        void StartProgress(int) override {}
        void SetProgress(int position) override {
            if (position == 200) {
                Ready(ready);
                pause();
            }
        }
    };
    KillDuring(
        [&](int ready) {
            FakeShellServices shell(folders.UsersDataPath());
            TDM dm;
            OpenBudgetIn(shell, dm, folders, budget);
            TKillAt progress;
            progress.ready = ready;
            bool stop = false;
            RebuildCalendarEntries(0, Day(12, 31));
            RecalculateBudget(stop, nullptr, &progress, Day(1, 1), Day(12, 31));
        },
        std::chrono::milliseconds(20));

    EXPECT_EQ(IntegrityOf(budget), "ok");
    EXPECT_EQ(DumpBudget(budget), before);
}
