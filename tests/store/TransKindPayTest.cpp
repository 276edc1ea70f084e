// Changing a pay through the journal: the list of auto charges replaced, manual events added,
// changed and removed, the direction changed; each applied, undone and redone on a real budget,
// running (its calendar and charges follow) or stopped; parts missing, malformed amounts,
// unknown codes, the data module's history table filtered, and a kill in the middle of a step.
#include <signal.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "KindFixture.h"
#include "common/BudgetDump.h"
#include "common/ChildProcess.h"
#include "pays/Uscheduler.h"
#include "store/TransBlockRows.h"
#include "store/TransKindPay.h"

namespace {

constexpr int kPay = 20, kOtherPay = 21;

TDateTime March(int day) {
    return EncodeDate(2024, 3, day);
}

// Every month on the day.
std::string EveryMonthOn(int day) {
    std::string months;
    for (int month = 0; month < 12; ++month)
        months += (day < 10 ? "Y0" : "Y") + std::to_string(day);
    return months;
}

TAutoChargeBlock Charge(const char* name, TDateTime begin, int scheduleId, int day) {
    return {.Name = name,
            .Descript = "monthly",
            .DateBegin = begin,
            .RestrictTime = "U",
            .DateEnd = 0,
            .Activity = "A",
            .ItemType = "C",
            .ConstValue = "100",
            .Algorithm = {},
            .ScheduleId = scheduleId,
            .Periodicity = "M",
            .UnitaryDate = 0,
            .MonthesDays = EveryMonthOn(day),
            .WeekDays = "YYYYYYY",
            .Priority = 5};
}

TAutoChargeBlock AlgorithmCharge() {
    TAutoChargeBlock charge = Charge("Power", March(1), 0, 15);
    charge.ItemType = "A";
    charge.ConstValue = "";
    charge.Algorithm = {.OldId = 7,
                        .Valid = 1,
                        .IDParent = kPay,
                        .Name = "Power",
                        .Descript = "",
                        .VarOfResult = 1,
                        .ExtData = {},
                        .VarDescr = {},
                        .TextPieces = AlgorithmTextPieces("[V001()] = 2 * 21")};
    return charge;
}

// A pay "Rent" with one auto charge (schedule 1, the 5th of every month) and manual events: a
// counter reading on 2 March, a manual charge and a payment on 5 March, a payment on 10 March;
// another pay beside it. The budget runs and its calendar and charges are as the engine leaves
// them.
class PayChangeTest
    : public KindFixture<TAutoChargesChangeKind, TPayDirectionKind, TPayChangeOtherKind> {
protected:
    PayChangeTest() {
        for (const PayChangeCode code : {kPayAddCounter, kPayAddManualCharge, kPayAddPayment})
            Register(std::make_unique<TPayEventAddKind>(code));
        for (const PayChangeCode code :
             {kPayChangeCounter, kPayChangeManualCharge, kPayChangePayment})
            Register(std::make_unique<TPayEventChangeKind>(code));
        for (const PayChangeCode code :
             {kPayDeleteCounter, kPayDeleteManualCharge, kPayDeletePayment})
            Register(std::make_unique<TPayEventDeleteKind>(code));

        for (const int pay : {kPay, kOtherPay}) {
            AddRow("Objects", {{"ID", pay},
                               {"IDParent", 0},
                               {"Type", 60},
                               {"Image", 24},
                               {"Expanded", "N"},
                               {"Name", pay == kPay ? "Rent" : "Gas"},
                               {"Descript", ""}});
            AddRow("Pays", {{"ID", pay}, {"Direction", "O"}, {"FilterMode", kNewPayFilterMode}});
        }
        StoreAutoCharge(kPay, Charge("Rent", March(1), 0, 5));
        StoreHistoryEvent(kPay, Event("CN", March(2), 1, "1200.5", "reading"));
        StoreHistoryEvent(kPay, Event("CH", March(5), 1, "12.25", "fee"));
        StoreHistoryEvent(kPay, Event("PY", March(5), 2, "600", "paid"));
        StoreHistoryEvent(kPay, Event("PY", March(10), 1, "50", "more"));
        StoreHistoryEvent(kOtherPay, Event("CN", March(10), 1, "7", "gas"));
        shell.RebuildCalendar(0, DM->LatestPayEventDate() + 5);
        shell.RunAutoRecalc(true, Today());
        shell.calls.clear();
    }

    static THistoryEventBlock Event(const char* type, TDateTime date, int nManOper,
                                    const char* value, const char* descript) {
        THistoryEventBlock event;
        event.DateEvent = date;
        event.TypeEvent = type;
        event.NManOper = nManOper;
        (type[1] == 'N' ? event.Counter : type[0] == 'C' ? event.Charge : event.Payment) = value;
        event.Descript = descript;
        return event;
    }

    template <class Layout>
    static int Prepare(Layout parts) {
        TTransWriter writer("CHANG", kPay, 60, "Rent");
        WriteParts(writer, parts);
        return writer.Ready();
    }
    static int AddEvent(int code, TDateTime date, const char* value) {
        return Prepare(TPayEventParts{code, -1, value, "new", date});
    }

    // The pay's auto charges as they stand, as the list dialog records its old half.
    static std::vector<TAutoChargeBlock> StoredCharges() {
        std::vector<TAutoChargeBlock> charges;
        TBudgetTable rows("PayAutoCharges", false, Where("ID") == kPay);
        for (; !rows.Eof(); rows.Next()) charges.push_back(*AutoChargeBlockOf(rows));
        return charges;
    }
    static int ReplaceCharges(TDateTime from, std::vector<TAutoChargeBlock> charges) {
        TAutoChargesChangeParts parts;
        parts.EffectiveDate = from;
        parts.NewCharges = std::move(charges);
        parts.OldCharges = StoredCharges();
        return Prepare(parts);
    }

    static TTransRow RowOf(int nTrans) { return {nTrans, "CHANG", kPay, 60, "Rent"}; }
    static std::optional<int> Undo(int nTrans) { return RunStep(RowOf(nTrans), true); }
    static std::optional<int> Redo(int nTrans) { return RunStep(RowOf(nTrans), false); }

    std::string Dump() const { return DumpBudget(budget, TDumpScope::WithoutJournal); }
    // The calendar rebuilds and recalculations asked for since the last call.
    std::vector<std::string> DerivedCalls() {
        std::vector<std::string> derived;
        for (const std::string& call : shell.calls)
            if (call.starts_with("RebuildCalendar") || call.starts_with("RunAutoRecalc"))
                derived.push_back(call);
        shell.calls.clear();
        return derived;
    }
    static std::vector<std::string> RebuiltFrom(TDateTime from) {
        return {
            "RebuildCalendar " + DateToStr(from) + " " + DateToStr(DM->LatestPayEventDate() + 5),
            "RunAutoRecalc " + DateToStr(from)};
    }
    // The pay's manual events as "type date number value descript", in the index's order.
    static std::vector<std::string> ManualEvents() {
        std::vector<std::string> events;
        TBudgetTable rows("PayHistory", false, Where("ID") == kPay && Where("PrtyCharge") == 0);
        for (; !rows.Eof(); rows.Next()) {
            const THistoryEventBlock e = HistoryEventBlockOf(rows);
            events.push_back(e.TypeEvent + " " + DateToStr(e.DateEvent) + " " +
                             std::to_string(e.NManOper) + " " + e.Counter + e.Charge + e.Payment +
                             " " + e.Descript);
        }
        return events;
    }
    static void ClearBalances() {
        TBudgetTable rows("PayHistory", true, Where("PrtyCharge") == 0);
        for (; !rows.Eof(); rows.Next()) {
            rows.Edit();
            rows.FieldByName("ForPayment").SetAsString("");
            rows.FieldByName("CurBalance").SetAsString("");
            rows.Post();
        }
    }
    void ResetFatal() {
        shell.state.FatalClose = false;
        shell.fatalTexts.clear();
    }
};

// ---- Round trips

// Every code, in a running and in a stopped budget: applied, undone, redone and undone again,
// the budget is exactly as before after each undo and as applied after the redo; a running
// budget's calendar and charges follow from the day the change touches, a stopped one's stay.
TEST_F(PayChangeTest, EveryChangeComesAndGoesWithItsUndoAndRedo) {
    const struct {
        const char* what;
        std::function<int()> prepare;
        TDateTime applyFrom, undoFrom;  // -1: no rebuild
    } cases[] = {
        {"6010",
         [] {
             return ReplaceCharges(March(3), {Charge("Water", March(3), 0, 8), AlgorithmCharge()});
         },
         March(3), March(3)},
        {"6010 to none", [] { return ReplaceCharges(March(1), {}); }, March(1), March(1)},
        {"6021", [] { return AddEvent(6021, March(7), "1300"); }, March(7), March(7)},
        {"6031", [] { return AddEvent(6031, March(5), "3.5"); }, March(5), March(5)},
        {"6041", [] { return AddEvent(6041, March(12), "20"); }, March(12), March(12)},
        {"6022 in place",
         [] {
             return Prepare(TPayEventChangeParts{6022, 1, 1, "1250", "corrected", "1200.5",
                                                 "reading", March(2), March(2)});
         },
         March(2), March(2)},
        {"6032 moved back",
         [] {
             return Prepare(TPayEventChangeParts{6032, -1, 1, "13", "fee", "12.25", "fee", March(3),
                                                 March(5)});
         },
         March(3), March(3)},
        {"6042 moved on",
         [] {
             return Prepare(TPayEventChangeParts{6042, -1, 1, "55", "more", "50", "more", March(12),
                                                 March(10)});
         },
         March(10), March(10)},
        {"6023",
         [] {
             return Prepare(TPayEventParts{6023, 1, "1200.5", "reading", March(2)});
         },
         March(2), March(2)},
        {"6033",
         [] {
             return Prepare(TPayEventParts{6033, 1, "12.25", "fee", March(5)});
         },
         March(5), March(5)},
        {"6043",
         [] {
             return Prepare(TPayEventParts{6043, 2, "600", "paid", March(5)});
         },
         March(5), March(5)},
        {"6050",
         [] {
             return Prepare(TPayDirectionParts{6050, "IO"});
         },
         -1, -1},
    };
    for (const int budgetState : {0, 3}) {
        shell.state.BudgetState = budgetState;
        // A stopped budget's events wait for its next start to get their balances: an event
        // that comes back with an undo has none, so that the budget is one whose events have
        // none yet.
        if (budgetState != 0) ClearBalances();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (budgetState == 0 ? " running" : " stopped"));
            const std::string before = Dump();
            const int nTrans = c.prepare();
            DerivedCalls();
            ASSERT_EQ(ApplyTransaction(nTrans), kPay);
            const bool rebuilds = budgetState == 0 && c.applyFrom >= 0;
            EXPECT_EQ(DerivedCalls(),
                      rebuilds ? RebuiltFrom(c.applyFrom) : std::vector<std::string>{});
            const std::string applied = Dump();
            EXPECT_NE(applied, before);

            EXPECT_EQ(Undo(nTrans), kPay);
            EXPECT_EQ(DerivedCalls(),
                      rebuilds ? RebuiltFrom(c.undoFrom) : std::vector<std::string>{});
            EXPECT_EQ(Dump(), before);
            EXPECT_EQ(Redo(nTrans), kPay);
            EXPECT_EQ(Dump(), applied);
            EXPECT_EQ(Undo(nTrans), kPay);
            EXPECT_EQ(Dump(), before);
            EXPECT_TRUE(shell.fatalTexts.empty());
        }
    }
}

// ---- Manual events

// An added event takes the next number of its day, which is written into I2: the redo gives it
// the same number, and the undo finds it by that number.
TEST_F(PayChangeTest, AnAddedEventKeepsTheNumberItWasGivenThroughUndoAndRedo) {
    const int first = AddEvent(6041, March(5), "1");
    ASSERT_EQ(ApplyTransaction(first), kPay);
    const int second = AddEvent(6041, March(5), "2");
    ASSERT_EQ(ApplyTransaction(second), kPay);
    EXPECT_EQ(TTransReader(first).Int(2), 3);
    EXPECT_EQ(TTransReader(second).Int(2), 4);

    ASSERT_EQ(Undo(second), kPay);
    ASSERT_EQ(Undo(first), kPay);
    // Another event of the day meanwhile would take number 3 again; the redo keeps its own.
    ASSERT_EQ(Redo(first), kPay);
    EXPECT_EQ(TTransReader(first).Int(2), 3);
    const std::string day2 = DateToStr(March(2)), day5 = DateToStr(March(5));
    EXPECT_EQ(ManualEvents(), (std::vector<std::string>{
                                  "CN " + day2 + " 1 1200.5 reading", "CH " + day5 + " 1 12.25 fee",
                                  "PY " + day5 + " 2 600 paid", "PY " + day5 + " 3 1 new",
                                  "PY " + DateToStr(March(10)) + " 1 50 more"}));
}

// A payment moved from the 10th to the 3rd: the old row goes, the new one takes the next number
// of the 3rd and the rebuild starts on the 3rd; moved back from the 3rd to the 10th it starts on
// the 3rd as well. A change of the value alone edits the same row, keeping its number.
TEST_F(PayChangeTest, AMovedEventIsNumberedInItsNewDayAndAValueChangeKeepsTheRow) {
    StoreHistoryEvent(kPay, Event("CN", March(3), 1, "1210", "mid"));
    const int there =
        Prepare(TPayEventChangeParts{6042, -1, 1, "50", "more", "50", "more", March(3), March(10)});
    ASSERT_EQ(ApplyTransaction(there), kPay);
    EXPECT_EQ(DerivedCalls(), RebuiltFrom(March(3)));
    EXPECT_EQ(TTransReader(there).Int(2), 2);
    const int back =
        Prepare(TPayEventChangeParts{6042, -1, 2, "50", "more", "50", "more", March(10), March(3)});
    ASSERT_EQ(ApplyTransaction(back), kPay);
    EXPECT_EQ(DerivedCalls(), RebuiltFrom(March(3)));
    EXPECT_EQ(TTransReader(back).Int(2), 1);

    const auto counterOf = [] {
        return Column("PayHistory", "N",
                      Where("ID") == kPay && Where("TypeEvent") == "CH" && Where("IDCharge") == 0);
    };
    const std::vector<TFieldValue> row = counterOf();
    const int value =
        Prepare(TPayEventChangeParts{6032, 1, 1, "99", "fee", "12.25", "fee", March(5), March(5)});
    ASSERT_EQ(ApplyTransaction(value), kPay);
    EXPECT_EQ(counterOf(), row);
    EXPECT_EQ(Column("PayHistory", "Charge",
                     Where("ID") == kPay && Where("TypeEvent") == "CH" && Where("IDCharge") == 0),
              std::vector<TFieldValue>{"99"});
    ASSERT_EQ(Undo(value), kPay);
    EXPECT_EQ(counterOf(), row);
}

// Kept as the pay's rules have it: an event to be changed in place that is not there changes
// nothing, and the calendar is rebuilt from day 0; one to be removed that is not there is
// skipped.
TEST_F(PayChangeTest, AnEventThatIsNotThereChangesNothingAndAnInPlaceChangeRebuildsAll) {
    const std::string before = Dump();
    const int change =
        Prepare(TPayEventChangeParts{6022, 9, 9, "1", "x", "2", "y", March(2), March(2)});
    ASSERT_EQ(ApplyTransaction(change), kPay);
    EXPECT_EQ(DerivedCalls(), RebuiltFrom(0));
    const int removal = Prepare(TPayEventParts{6043, 9, "1", "x", March(5)});
    ASSERT_EQ(ApplyTransaction(removal), kPay);
    EXPECT_EQ(Dump(), before);
}

// The pay frame leaves the data module's history table filtered to its pay and some kinds: the
// steps see the whole history all the same.
TEST_F(PayChangeTest, TheStepsFindTheEventsWhateverFilterTheSharedHistoryHolds) {
    const TFilterScope filter(DM->TablePayHistory,
                              Where("ID") == kOtherPay && Where("TypeEvent") == "CN");
    const int payment = AddEvent(6041, March(10), "5");
    ASSERT_EQ(ApplyTransaction(payment), kPay);
    EXPECT_EQ(TTransReader(payment).Int(2), 2);
    const std::vector<std::string> applied = ManualEvents();
    ASSERT_EQ(Undo(payment), kPay);
    EXPECT_EQ(CountRows("PayHistory", Where("ID") == kPay && Where("DateEvent") == March(10) &&
                                          Where("NManOper") == 2),
              0);
    ASSERT_EQ(Redo(payment), kPay);
    EXPECT_EQ(ManualEvents(), applied);
    EXPECT_TRUE(DM->TablePayHistory.Filtered());
    EXPECT_EQ(DM->TablePayHistory.RecordCount(), 1);
}

// ---- Auto charges

// A new charge's schedule gets an ID above every ID a kept charge has, so that the kept one,
// even further down the list, keeps its own; the undo brings back the old schedules under their
// IDs.
TEST_F(PayChangeTest, AKeptChargeKeepsItsScheduleIdAndANewOneGetsAFreeOne) {
    shell.state.BudgetState = 3;
    StoreAutoCharge(kPay, Charge("Gas", March(1), 0, 20));  // schedule 2
    std::vector<TAutoChargeBlock> charges = StoredCharges();
    ASSERT_EQ(charges.size(), 2u);
    const std::string before = Dump();
    const int nTrans = ReplaceCharges(March(1), {Charge("New", March(1), 0, 9), charges[0]});
    ASSERT_EQ(ApplyTransaction(nTrans), kPay);
    EXPECT_EQ(Column("PayAutoCharges", "Name", Where("ID") == kPay, ""),
              (std::vector<TFieldValue>{"New", "Rent"}));
    EXPECT_EQ(Column("PayAutoCharges", "IDSchedule", Where("ID") == kPay, ""),
              (std::vector<TFieldValue>{2, 1}));
    EXPECT_EQ(Column("Schedules", "ID"), (std::vector<TFieldValue>{1, 2}));
    ASSERT_EQ(Undo(nTrans), kPay);
    EXPECT_EQ(Dump(), before);
}

// An empty new list: every charge of the pay goes with its algorithm and schedule and none
// comes; the calendar and charges follow from D1. The other pay's schedule stays.
TEST_F(PayChangeTest, AnEmptyListTakesEveryChargeWithItsAlgorithmAndSchedule) {
    StoreAutoCharge(kPay, AlgorithmCharge());
    Schedule other;
    SetDefaultSchedule(other);
    const int otherSchedule = SaveSchedule(other);
    const int nTrans = ReplaceCharges(March(4), {});
    ASSERT_EQ(ApplyTransaction(nTrans), kPay);
    EXPECT_EQ(CountRows("PayAutoCharges"), 0);
    EXPECT_EQ(CountRows("Algorithms"), 0);
    EXPECT_EQ(Column("Schedules", "ID"), std::vector<TFieldValue>{otherSchedule});
    EXPECT_EQ(CountRows("PayHistory", Where("ID") == kPay && Where("IDCharge") != 0), 0);
    EXPECT_EQ(DerivedCalls(), RebuiltFrom(March(4)));
}

// ---- Direction

TEST_F(PayChangeTest, TheDirectionAndTheTreeIconFollowTheLettersOfTheChange) {
    const int nTrans = Prepare(TPayDirectionParts{6050, "IO"});
    ASSERT_EQ(ApplyTransaction(nTrans), kPay);
    EXPECT_EQ(Column("Pays", "Direction", Where("ID") == kPay), std::vector<TFieldValue>{"I"});
    EXPECT_EQ(Column("Objects", "Image", Where("ID") == kPay), std::vector<TFieldValue>{26});
    ASSERT_EQ(Undo(nTrans), kPay);
    EXPECT_EQ(Column("Pays", "Direction", Where("ID") == kPay), std::vector<TFieldValue>{"O"});
    EXPECT_EQ(Column("Objects", "Image", Where("ID") == kPay), std::vector<TFieldValue>{24});
    EXPECT_TRUE(DerivedCalls().empty());
}

// The pay frame loads the pay again after a change of the pay it shows, not of another one.
TEST_F(PayChangeTest, ThePayFrameReloadsThePayItShows) {
    shell.state.BudgetState = 3;  // no recalculation, which reloads every pay
    for (const int shown : {kOtherPay, kPay}) {
        shell.state.SetShown(TShownMark::Pay, shown, budget);
        ASSERT_EQ(ApplyTransaction(AddEvent(6041, March(12), "1")), kPay);
        EXPECT_EQ(shell.state.IsShown(TShownMark::Pay, shown, budget), shown != kPay);
    }
}

// ---- Codes

// A code without a kind changes nothing and counts as applied, and as undone; a change without
// its code is fatal -10.
TEST_F(PayChangeTest, AnUnknownCodeChangesNothingAndAMissingOneIsFatal) {
    const std::string before = Dump();
    const int unknown = Prepare(TPayDirectionParts{6060, "IO"});
    EXPECT_EQ(ApplyTransaction(unknown), kPay);
    EXPECT_EQ(Undo(unknown), kPay);
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(shell.fatalTexts.empty());

    const int missing = Prepare(TPayDirectionParts{6050, "IO"});
    DropPart("jTrInteger", missing, 1);
    EXPECT_EQ(ApplyTransaction(missing), kFatalNoPayCode);
    EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{"FATAL ERROR: Unknown error"});
    ResetFatal();
    EXPECT_EQ(Undo(missing), kFatalNoPayCode);
    EXPECT_EQ(shell.fatalTexts, std::vector<std::string>{"FATAL ERROR: Unknown error"});
    EXPECT_EQ(Dump(), before);
}

// ---- Bad input

// Every part is read and checked before anything is written: a part missing (a stream that ends
// early) or an amount that is not a decimal text is fatal -1, in the apply and in the undo, and
// the budget stays as it was. An empty counter reading is a reading.
TEST_F(PayChangeTest, APartMissingOrAMalformedAmountIsFatalAndWritesNothing) {
    const struct {
        const char* what;
        std::function<int()> prepare;
        const char* table;  // the part dropped, when one is
        int part;
        bool undo;  // the undo fails (the apply succeeds)
    } cases[] = {
        {"6021 without T2", [] { return AddEvent(6021, March(7), "1"); }, "jTrText", 2, false},
        {"6041 without D1", [] { return AddEvent(6041, March(7), "1"); }, "jTrDate", 1, false},
        {"6042 without I3",
         [] {
             return Prepare(
                 TPayEventChangeParts{6042, -1, 1, "5", "", "50", "", March(12), March(10)});
         },
         "jTrInteger", 3, false},
        {"6010 without its last part",
         [] { return ReplaceCharges(March(1), {Charge("Water", March(3), 0, 8)}); }, "jTrInteger",
         7, false},
        {"6010 with an old half cut short", [] { return ReplaceCharges(March(1), {}); }, "jTrText",
         9, false},
        {"6050 without T1",
         [] {
             return Prepare(TPayDirectionParts{6050, "IO"});
         },
         "jTrText", 1, false},
        {"6050 undone with one letter",
         [] {
             return Prepare(TPayDirectionParts{6050, "I"});
         },
         nullptr, 0, true},
        {"6041 of 1,2,3", [] { return AddEvent(6041, March(7), "1,2,3"); }, nullptr, 0, false},
        {"6031 of abc", [] { return AddEvent(6031, March(7), "abc"); }, nullptr, 0, false},
        {"6021 of 1e5", [] { return AddEvent(6021, March(7), "1e5"); }, nullptr, 0, false},
        {"6043 of x",
         [] {
             return Prepare(TPayEventParts{6043, 2, "x", "paid", March(5)});
         },
         nullptr, 0, false},
        {"6032 to 1..2",
         [] {
             return Prepare(TPayEventChangeParts{6032, 1, 1, "1..2", "fee", "12.25", "fee",
                                                 March(5), March(5)});
         },
         nullptr, 0, false},
        {"6032 from 1-",
         [] {
             return Prepare(
                 TPayEventChangeParts{6032, 1, 1, "13", "fee", "1-", "fee", March(5), March(5)});
         },
         nullptr, 0, false},
        {"6010 with a charge of 5 EUR",
         [] {
             TAutoChargeBlock charge = Charge("Water", March(3), 0, 8);
             charge.ConstValue = "5 EUR";
             return ReplaceCharges(March(1), {charge});
         },
         nullptr, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFatal();
        const int nTrans = c.prepare();
        if (c.table != nullptr) DropPart(c.table, nTrans, c.part);
        std::string before = Dump();
        if (c.undo) {
            ASSERT_EQ(ApplyTransaction(nTrans), kPay);
            before = Dump();
            EXPECT_EQ(Undo(nTrans), kFatalTransaction);
        } else {
            EXPECT_EQ(ApplyTransaction(nTrans), kFatalTransaction);
        }
        EXPECT_EQ(shell.fatalTexts,
                  std::vector<std::string>{"FATAL : Incorrect identifier of transaction"});
        EXPECT_EQ(Dump(), before);
        EXPECT_TRUE(DerivedCalls().empty());
    }

    ResetFatal();
    ASSERT_EQ(ApplyTransaction(AddEvent(6021, March(7), "")), kPay);
    EXPECT_EQ(CountRows("PayHistory", Where("ID") == kPay && Where("DateEvent") == March(7) &&
                                          Where("Counter") == ""),
              1);
}

// ---- A kill in the middle of a step

// The services of a child that is killed while a step rebuilds the calendar, inside the step's
// store transaction: everything the step wrote is written then, nothing committed.
class TKilledDuringRebuild : public FakeShellServices {
public:
    TKilledDuringRebuild(std::string usersData, int ready)
        : FakeShellServices(std::move(usersData)), ready_(ready) {}
    void RebuildCalendar(TDateTime from, TDateTime to) override {
        FakeShellServices::RebuildCalendar(from, to);
        Ready(ready_);
        pause();
    }

private:
    int ready_;
};

TEST_F(PayChangeTest, AProcessKilledDuringAStepLeavesThePayAsBeforeTheStep) {
    const int nTrans = Prepare(
        TPayEventChangeParts{6042, -1, 1, "55", "more", "50", "more", March(12), March(10)});
    for (const bool undo : {false, true}) {
        SCOPED_TRACE(undo ? "undo" : "apply");
        if (undo) {
            ASSERT_EQ(ApplyTransaction(nTrans), kPay);
        }
        const std::string before = Dump();
        const std::string status = undo ? "APPLY" : "ACT";
        dm.FlushAndCloseTables();
        KillDuring(
            [&](int ready) {
                TKilledDuringRebuild child(folders.UsersDataPath(), ready);
                TDM childDm;
                OpenBudgetIn(child, childDm, folders, budget);
                if (undo) {
                    RunStep(RowOf(nTrans), true);
                } else {
                    // The opening settled the ready row as undone: ready it again here.
                    TBudgetTable journal("jTrans", true, Where("NTrans") == nTrans, "");
                    SetTransStatus(journal, nTrans, "READY");
                    ApplyTransaction(nTrans);
                }
            },
            std::chrono::milliseconds(20));
        EXPECT_EQ(IntegrityOf(budget), "ok");
        DM = &dm;
        dm.OpenTables();
        EXPECT_EQ(Dump(), before);
        TBudgetTable trans("jTrans", false, Where("NTrans") == nTrans, "");
        EXPECT_EQ(trans.FieldByName("Status").AsString(), status);
        if (!undo) {
            // The crashed application left the row "ACT": make it ready to be applied again.
            TBudgetTable journal("jTrans", true, Where("NTrans") == nTrans, "");
            SetTransStatus(journal, nTrans, "READY");
        }
    }
}

}  // namespace
