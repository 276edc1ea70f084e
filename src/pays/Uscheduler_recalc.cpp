// Automatic charges and balances of the open budget's pays, and the recalculation that writes
// them anew for a period of the calendar.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

#include "algorithms/Ugetdata.h"
#include "algorithms/Uq519algorithm01.h"
#include "decimal/Large_fix.h"
#include "pays/Upaytables.h"
#include "pays/Uscheduler.h"
#include "platform/EventLoop.h"
#include "platform/IniFile.h"
#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace {

constexpr int kNoAutoCharge = -2;
// Paint and timer events run at most this often during a run.
constexpr std::chrono::milliseconds kEventInterval(50);

TDateTime WholeDay(TDateTime date) {
    return std::trunc(date);
}

std::string PayName(int payId) {
    const TShellServices& services = ShellServices();
    return services.Index().GetObjectName(payId, services.BudgetPath());
}

bool StartsWith(const std::string& text, char letter) {
    return !text.empty() && text.front() == letter;
}

// The value of an auto charge for the day: its constant unrounded, its algorithm's result
// rounded to cents (0 when the calculation failed: its errors are reported at once), 0 for
// another kind. kFatalObject in `fatal` when the algorithm does not exist.
large_fix ChargeValue(TTable& charge, int payId, TDateTime date, TAmountReader& amounts,
                      bool& fatal) {
    const std::string itemType = charge.FieldByName(fld::ItemType).AsString();
    if (StartsWith(itemType, 'C'))
        return amounts.Read(charge.FieldByName(fld::ConstValue).AsString());
    if (!StartsWith(itemType, 'A')) return large_fix();
    const bool fatalBefore = ShellServices().FatalClose();
    const Algorithm01 algorithm = DM->LoadAlgorithm(charge.FieldByName(fld::IDAlg).AsInteger());
    if (!fatalBefore && ShellServices().FatalClose()) {
        fatal = true;
        return large_fix();
    }
    ResetGlobalErrors();
    ErrWatch().NameObject = PayName(payId);
    const Error01 result = CalculateAlgorithm(date, algorithm);
    ReportGlobalErrors();
    if (result.ErrCode != 0) return large_fix();
    return amounts.Read(result.Text).Round(2);
}

void SetAmount(TTable& row, std::string_view field, const large_fix& value) {
    row.FieldByName(field).SetAsString(value.ToString());
}

// One calendar entry of a run.
struct TEntry {
    TDateTime Date;
    int Priority;
    int IDObject;
    int IDSchedule;
    std::string NameCharge;
    std::string StrSchedule;
};

std::vector<TEntry> EntriesOf(TDateTime from, TDateTime to) {
    std::vector<TEntry> entries;
    for (TBudgetTable calendar(tbl::Calendar, false,
                               Where(fld::Date) >= from && Where(fld::Date) <= to);
         !calendar.Eof(); calendar.Next())
        entries.push_back({calendar.FieldByName(fld::Date).AsDateTime(),
                           calendar.FieldByName(fld::Priority).AsInteger(),
                           calendar.FieldByName(fld::IDObject).AsInteger(),
                           calendar.FieldByName(fld::IDSchedule).AsInteger(),
                           calendar.FieldByName(fld::NameCharge).AsString(),
                           calendar.FieldByName(fld::StrSchedule).AsString()});
    return entries;
}

// Lets paint and timer events run when the interval has passed since they last ran.
class TEventThrottle {
public:
    void LetMessagesRun() {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < kEventInterval) return;
        last_ = now;
        ::LetMessagesRun();
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// The tables a run reads and writes, open for the whole run: the auto charges looked up, the
// history appended to, and two views of the history whose filter each step replaces (the
// balance before a charge, the charges and payments of a manual event's pay).
struct TChargeTables {
    TBudgetTable charges{tbl::PayAutoCharges};
    TBudgetTable history{tbl::PayHistory, true};
    TBudgetTable balances{tbl::PayHistory};
    TBudgetTable events{tbl::PayHistory, true};
};

int ComputeAutoCharge(TChargeTables& tables, int payId, int idSchedule, int priority,
                      TDateTime date) {
    date = WholeDay(date);
    TTable& charge = tables.charges;
    if (!charge.Locate("ID;IDSchedule", {payId, idSchedule})) return kNoAutoCharge;
    const std::string name = charge.FieldByName(fld::Name).AsString();
    TAmountReader amounts(payId, date);
    bool fatal = false;
    const large_fix value = ChargeValue(charge, payId, date, amounts, fatal);
    if (fatal) return kFatalObject;
    const large_fix balance =
        BalanceAfterEvent(kEventCharge, amounts.Read(GetPayBalanceAt(tables.balances, payId, date)),
                          value);

    TTable& history = tables.history;
    history.Append();
    history.FieldByName(fld::ID).SetAsInteger(payId);
    history.FieldByName(fld::DateEvent).SetAsDateTime(date);
    history.FieldByName(fld::TypeEvent).SetAsString(kEventCharge);
    history.FieldByName(fld::IDCharge).SetAsInteger(idSchedule);
    history.FieldByName(fld::PrtyCharge).SetAsInteger(priority);
    history.FieldByName(fld::NManOper).SetAsInteger(0);
    SetAmount(history, fld::Charge, value);
    SetAmount(history, fld::ForPayment, ForPaymentOf(balance));
    SetAmount(history, fld::CurBalance, balance);
    history.FieldByName(fld::Descript).SetAsString(name);
    history.Post();
    if (amounts.Failed()) ReportGlobalErrors();
    return 0;
}

void RecomputeEventBalance(TChargeTables& tables, int payId, int nManOper, TDateTime date) {
    date = WholeDay(date);
    TTable& events = tables.events;
    events.SetFilter(Where(fld::ID) == payId && Where(fld::TypeEvent) != kEventCounter);
    events.SetFiltered(true);
    if (!events.Locate("ID;DateEvent;NManOper", {payId, date, nManOper})) return;
    TAmountReader amounts(payId, date);
    large_fix previous;
    events.Prior();
    if (!events.Bof()) {
        previous = amounts.Read(events.FieldByName(fld::CurBalance).AsString());
        events.Next();
    }
    const std::string typeEvent = events.FieldByName(fld::TypeEvent).AsString();
    const bool charge = typeEvent == kEventCharge;
    const large_fix amount =
        amounts.Read(events.FieldByName(charge ? fld::Charge : fld::Payment).AsString());
    const large_fix balance =
        BalanceAfterEvent(charge ? kEventCharge : kEventPayment, previous, amount);
    events.Edit();
    SetAmount(events, fld::CurBalance, balance);
    if (charge) SetAmount(events, fld::ForPayment, ForPaymentOf(balance));
    events.Post();
    if (amounts.Failed()) ReportGlobalErrors();
}

}  // namespace

int ComputeAutoCharge(int payId, int idSchedule, int priority, TDateTime date) {
    TChargeTables tables;
    return ComputeAutoCharge(tables, payId, idSchedule, priority, date);
}

void RecomputeEventBalance(int payId, int nManOper, TDateTime date) {
    TChargeTables tables;
    RecomputeEventBalance(tables, payId, nManOper, date);
}

void DeleteAutoChargeRows(TDateTime date) {
    TTransactionScope scope(ShellServices().BudgetPath());
    {
        TBudgetTable charges(tbl::PayHistory, true,
                             Where(fld::DateEvent) >= WholeDay(date) &&
                                 Where(fld::TypeEvent) == kEventCharge && Where(fld::IDCharge) > 0);
        DeleteAllRows(charges);
    }
    scope.Commit();
}

void WriteLastRecalcDate(TDateTime date) {
    TIniFile ini((std::filesystem::path(ShellServices().BudgetPath()) / "VLBudget.ini").string());
    ini.WriteString("VLBudget", "lr", std::to_string(static_cast<long long>(WholeDay(date))));
}

TDateTime RecalcLastDay(TDateTime to) {
    return std::max(WholeDay(to), WholeDay(DM->LatestPayEventDate()));
}

bool RecalculateBudget(const bool& stop, TRecalcLog* log, TRecalcProgress* progress, TDateTime from,
                       TDateTime to) {
    from = WholeDay(from);
    // Every automatic charge from `from` on is deleted below: the run writes them all anew, and
    // the balances after them, up to the latest pay event even when `to` lies before it.
    to = RecalcLastDay(to);
    if (log != nullptr) log->ClearLog();
    const int maximum = std::max(0, static_cast<int>(to - from));
    if (progress != nullptr) progress->StartProgress(maximum);

    TTransactionScope scope(ShellServices().BudgetPath());
    DeleteAutoChargeRows(from);
    TEventThrottle events;
    TChargeTables tables;
    for (const TEntry& entry : EntriesOf(from, to)) {
        if (log != nullptr)
            log->AddLogLine(">>> " + DateToStr(entry.Date) + ": " + PayName(entry.IDObject) + ", " +
                            entry.NameCharge + ", " + entry.StrSchedule + ".");
        if (entry.Priority >= 0) {
            // A fatal error ends the program: the run leaves nothing of itself behind.
            if (ComputeAutoCharge(tables, entry.IDObject, entry.IDSchedule, entry.Priority,
                                  entry.Date) == kFatalObject)
                return false;
        } else {
            RecomputeEventBalance(tables, entry.IDObject, entry.Priority + kManualPriorityBase,
                                  entry.Date);
        }
        const int position = static_cast<int>(entry.Date - from);
        if (progress != nullptr && position > 0 && position < maximum)
            progress->SetProgress(position);
        events.LetMessagesRun();
        if (stop || ErrWatch().HasErrors) {
            scope.Commit();
            return false;
        }
    }
    scope.Commit();
    if (progress != nullptr) progress->SetProgress(maximum);
    WriteLastRecalcDate(to);
    return true;
}

TDateTime RecalcFromBeginDate() {
    return std::min(DM->FirstCalendarDate(), DM->EarliestPayEventDate());
}

bool RunAutomaticRecalc(bool fromBeginning, TDateTime date, TRecalcProgress* progress) {
    const bool stop = false;
    const TDateTime from = fromBeginning ? RecalcFromBeginDate() : date;
    const bool complete = RecalculateBudget(stop, nullptr, progress, from, DM->LatestPayEventDate());
    ShellServices().ResetShownMark(TShownMark::Number);
    ShellServices().ResetShownMark(TShownMark::Pay);
    return complete;
}

large_fix TAmountReader::Read(const std::string& text) {
    try {
        return large_fix(text.c_str());
    } catch (const LargeError&) {
        const std::string name = PayName(payId_);
        GlobatErrWatch& watch = ErrWatch();
        if (watch.NameObject.empty()) watch.NameObject = name;
        AddGlobalError(name, Error01{name, -1, kErrDatumNotObtained,
                                     "The amount '" + text + "' stored for " + name + " on " +
                                         DateToStr(date_) + " is not a number"});
        failed_ = true;
        return large_fix();
    }
}
