// The journal kinds that change a pay ("CHANG" of Type 60), one per PayChangeCode, with their
// layouts: the code is the first integer part (I1) and chooses the kind.
#include "store/TransKindPay.h"

#include <algorithm>

#include "pays/Uscheduler.h"
#include "schema/SchemaNames.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/TransBlockRows.h"
#include "store/U_dm.h"

namespace {

// The word of each code in the detail text.
constexpr std::pair<PayChangeCode, std::string_view> kCodeWords[] = {
    {kPayReplaceAutoCharges, "ActPayChAutoCharge"}, {kPayAddCounter, "ActPayChAddCounter"},
    {kPayAddManualCharge, "ActPayChAddCharge"},     {kPayAddPayment, "ActPayChAddPay"},
    {kPayDeleteCounter, "ActPayChDelCounter"},      {kPayDeleteManualCharge, "ActPayChDelCharge"},
    {kPayDeletePayment, "ActPayChDelPay"},          {kPayChangeCounter, "ActPayChChCounter"},
    {kPayChangeManualCharge, "ActPayChChCharge"},   {kPayChangePayment, "ActPayChChPay"},
    {kPayChangeDirection, "ActPayChDirectPay"}};

// The pieces of an event: `lead` and the date D<date>, "  :  " and the value T<value>, "  :  "
// and the description T<value + 1>, each only when its part is there.
std::string EventPieces(TTransReader& parts, std::string_view lead, int date, int value) {
    std::string line;
    if (const std::optional<TDateTime> day = parts.Date(date))
        line += std::string(lead) + DateToStr(*day);
    for (const int text : {value, value + 1})
        if (const std::optional<std::string> piece = parts.Text(text)) line += "  :  " + *piece;
    return line;
}

// The word of a direction letter; another letter has none.
std::string DirectionWord(const TTransKind::TWords& word, char letter) {
    switch (letter) {
        case 'O':
            return word("DirectO");
        case 'I':
            return word("DirectI");
        case 'N':
            return word("DirectN");
        default:
            return {};
    }
}

// ---- Steps

// The kind of manual event of a code, by its middle digit: 2 counter reading, 3 manual charge,
// 4 payment.
struct TManualEventKind {
    std::string_view TypeEvent;
    const char* ValueField;
    std::string THistoryEventBlock::*Value;
};

TManualEventKind ManualEventKindOf(int code) {
    switch (code / 10 % 10) {
        case 2:
            return {kEventCounter, fld::Counter, &THistoryEventBlock::Counter};
        case 3:
            return {kEventCharge, fld::Charge, &THistoryEventBlock::Charge};
        default:
            return {kEventPayment, fld::Payment, &THistoryEventBlock::Payment};
    }
}

// The history row of a manual event: IDCharge and PrtyCharge 0, the balances left to the
// recalculation.
THistoryEventBlock ManualEvent(int code, TDateTime date, int nManOper, const std::string& value,
                               const std::string& descript) {
    const TManualEventKind kind = ManualEventKindOf(code);
    THistoryEventBlock event;
    event.DateEvent = date;
    event.TypeEvent = kind.TypeEvent;
    event.NManOper = nManOper;
    event.*kind.Value = value;
    event.Descript = descript;
    return event;
}

// Reports the fatal error and gives its code.
int Fatal(int code) {
    ReportFatalError(code);
    return code;
}

// Reads the whole layout of the step's transaction; nothing, reported as fatal -1, when a part
// is missing or `valid` refuses what was read.
template <class Layout, class Valid>
std::optional<Layout> ReadChecked(const TStep& step, Valid valid) {
    std::optional<Layout> parts = ReadParts<Layout>(step.Row.NTrans);
    if (parts && !valid(*parts)) parts.reset();
    if (!parts) ReportFatalError(kFatalTransaction);
    return parts;
}

// A writable view of its own on the pay's history rows of the event (pay, date, nManOper),
// standing on the first of them when there is one.
struct TEventRow {
    TEventRow(int pay, TDateTime date, int nManOper)
        : history(tbl::PayHistory, true,
                  Where(fld::ID) == pay && Where(fld::DateEvent) == date &&
                      Where(fld::NManOper) == nManOper),
          found(!history.IsEmpty()) {}
    TBudgetTable history;
    bool found;
};

void DeleteEvent(int pay, TDateTime date, int nManOper) {
    TEventRow event(pay, date, nManOper);
    if (event.found) event.history.Delete();
}

// Sets the value and description of the event in place, when it is there.
void EditEvent(int code, int pay, TDateTime date, int nManOper, const std::string& value,
               const std::string& descript) {
    TEventRow event(pay, date, nManOper);
    if (!event.found) return;
    event.history.Edit();
    event.history.FieldByName(ManualEventKindOf(code).ValueField).SetAsString(value);
    event.history.FieldByName(fld::Descript).SetAsString(descript);
    event.history.Post();
}

// Appends the event; a NManOper of -1 takes the next number of the pay and day, which is
// written into integer part `numberPart` of the transaction.
void AddEvent(const TStep& step, int code, TDateTime date, int nManOper, int numberPart,
              const std::string& value, const std::string& descript) {
    const int pay = step.Row.IDObject;
    if (nManOper == -1) {
        nManOper = NextManOperNumber(pay, date);
        RewriteIntPart(step.Row.NTrans, numberPart, nManOper);
    }
    StoreHistoryEvent(pay, ManualEvent(code, date, nManOper, value, descript));
}

// The end of every pay step: the pay frame loads the pay again when it shows it next. Gives the
// pay's ID, the step's result.
int PayChanged(const TStep& step) {
    TShellServices& services = ShellServices();
    if (services.State().IsShown(TShownMark::Pay, step.Row.IDObject, services.BudgetPath()))
        services.ResetShownMark(TShownMark::Pay);
    return step.Row.IDObject;
}

// The event's value (for a change, its new and its old one) is a decimal text; the empty text
// reads as 0.
bool HasValidEvent(const TPayEventParts& parts) {
    return HasValidAmounts(
        ManualEvent(parts.Code, parts.Date, parts.NManOper, parts.Value, parts.Descript));
}

bool HasValidEvents(const TPayEventChangeParts& parts) {
    return HasValidAmounts(ManualEvent(parts.Code, parts.NewDate, parts.NewNManOper, parts.NewValue,
                                       parts.NewDescript)) &&
           HasValidAmounts(ManualEvent(parts.Code, parts.OldDate, parts.OldNManOper, parts.OldValue,
                                       parts.OldDescript));
}

bool HasValidCharges(const TAutoChargesChangeParts& parts) {
    const auto valid = [](const TAutoChargeBlock& charge) { return HasValidAmounts(charge); };
    return std::ranges::all_of(parts.NewCharges, valid) &&
           std::ranges::all_of(parts.OldCharges, valid);
}

// Replaces the pay's auto charges by the blocks. A block with schedule ID 0 gets an ID above
// every stored one and every one the blocks keep, given before the blocks are stored, so that
// the list keeps its order and a kept ID is never taken by a new schedule.
void ReplaceAutoCharges(int pay, std::vector<TAutoChargeBlock> charges) {
    DM->DeleteAutoCharges(pay);
    int next = NextScheduleId();
    for (const TAutoChargeBlock& charge : charges) next = std::max(next, charge.ScheduleId + 1);
    for (TAutoChargeBlock& charge : charges) {
        if (charge.ScheduleId == 0) charge.ScheduleId = next++;
        StoreAutoCharge(pay, charge);
    }
}

}  // namespace

TPayChangeKind::TPayChangeKind(PayChangeCode code, TDerivedUpdate update)
    : TTransKind({std::string(kActChange), otPay, code}, {.UndoBy = TUndoBy::OwnUndo,
                                                          .UndoResult = TUndoResult::ObjectId,
                                                          .AfterApply = update,
                                                          .AfterUndo = update,
                                                          .WholeInStep = true}) {}

void TPayChangeKind::Detail(const TTransRow&, const TWords& word,
                            std::vector<std::string>& lines) const {
    std::string_view codeWord;
    for (const auto& [code, key] : kCodeWords)
        if (code == Key().Code) codeWord = key;
    lines.push_back(word("ActPayChType") + " " + word(codeWord));
}

TAutoChargesChangeKind::TAutoChargesChangeKind()
    : TPayChangeKind(kPayReplaceAutoCharges, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventAddKind::TPayEventAddKind(PayChangeCode code)
    : TPayEventKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventDeleteKind::TPayEventDeleteKind(PayChangeCode code)
    : TPayEventKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventChangeKind::TPayEventChangeKind(PayChangeCode code)
    : TPayChangeKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayDirectionKind::TPayDirectionKind()
    : TPayChangeKind(kPayChangeDirection, TDerivedUpdate::None) {}

void TPayEventKind::Detail(const TTransRow& row, const TWords& word,
                           std::vector<std::string>& lines) const {
    TPayChangeKind::Detail(row, word, lines);
    TTransReader parts(row.NTrans);
    lines.push_back(EventPieces(parts, "   ", 1, 1));
}

void TPayEventChangeKind::Detail(const TTransRow& row, const TWords& word,
                                 std::vector<std::string>& lines) const {
    TPayChangeKind::Detail(row, word, lines);
    TTransReader parts(row.NTrans);
    lines.push_back(EventPieces(parts, "   ", 2, 3) + "   >>>   " + EventPieces(parts, "", 1, 1));
}

void TPayDirectionKind::Detail(const TTransRow& row, const TWords& word,
                               std::vector<std::string>& lines) const {
    TPayChangeKind::Detail(row, word, lines);
    const std::optional<std::string> letters = TTransReader(row.NTrans).Text(1);
    if (!letters) {
        lines.emplace_back();
        return;
    }
    const auto letter = [&letters](std::size_t at) {
        return at < letters->size() ? (*letters)[at] : '\0';
    };
    lines.push_back(DirectionWord(word, letter(1)) + "   >>>   " + DirectionWord(word, letter(0)));
}

std::optional<TDateTime> TPayChangeKind::DerivedFrom(const TTransRow& row, bool) const {
    return TTransReader(row.NTrans).Date(1).value_or(0);
}

// ---- Codes without a kind

TPayChangeOtherKind::TPayChangeOtherKind()
    : TTransKind({std::string(kActChange), otPay}, {.UndoBy = TUndoBy::OwnUndo}) {}

std::optional<int> TPayChangeOtherKind::Apply(TStep& step) const {
    if (!TTransReader(step.Row.NTrans).Int(1)) return Fatal(kFatalNoPayCode);
    return step.Row.IDObject;
}

std::optional<int> TPayChangeOtherKind::Undo(TStep& step) const {
    return Apply(step);
}

// ---- 6010

std::optional<int> TAutoChargesChangeKind::Apply(TStep& step) const {
    std::optional<TParts> parts = ReadChecked<TParts>(step, HasValidCharges);
    if (!parts) return kFatalTransaction;
    ReplaceAutoCharges(step.Row.IDObject, std::move(parts->NewCharges));
    return PayChanged(step);
}

std::optional<int> TAutoChargesChangeKind::Undo(TStep& step) const {
    std::optional<TParts> parts = ReadChecked<TParts>(step, HasValidCharges);
    if (!parts) return kFatalTransaction;
    ReplaceAutoCharges(step.Row.IDObject, std::move(parts->OldCharges));
    return PayChanged(step);
}

// ---- Manual events added and removed

namespace {

// AddPayEvent on the parts of an addition or a removal: the number in I2.
std::optional<int> AddPayEvent(TStep& step, int code) {
    const std::optional<TPayEventParts> parts = ReadChecked<TPayEventParts>(step, HasValidEvent);
    if (!parts) return kFatalTransaction;
    AddEvent(step, code, parts->Date, parts->NManOper, 2, parts->Value, parts->Descript);
    return PayChanged(step);
}

// DeletePayEvent: the event (D1, I2).
std::optional<int> DeletePayEvent(TStep& step) {
    const std::optional<TPayEventParts> parts = ReadChecked<TPayEventParts>(step, HasValidEvent);
    if (!parts) return kFatalTransaction;
    DeleteEvent(step.Row.IDObject, parts->Date, parts->NManOper);
    return PayChanged(step);
}

}  // namespace

std::optional<int> TPayEventAddKind::Apply(TStep& step) const {
    return AddPayEvent(step, Key().Code);
}

std::optional<int> TPayEventAddKind::Undo(TStep& step) const {
    return DeletePayEvent(step);
}

std::optional<int> TPayEventDeleteKind::Apply(TStep& step) const {
    return DeletePayEvent(step);
}

std::optional<int> TPayEventDeleteKind::Undo(TStep& step) const {
    return AddPayEvent(step, Key().Code);
}

// ---- Manual events changed

std::optional<int> TPayEventChangeKind::Apply(TStep& step) const {
    const std::optional<TParts> parts = ReadChecked<TParts>(step, HasValidEvents);
    if (!parts) return kFatalTransaction;
    const int pay = step.Row.IDObject;
    if (parts->NewDate == parts->OldDate) {
        EditEvent(Key().Code, pay, parts->NewDate, parts->NewNManOper, parts->NewValue,
                  parts->NewDescript);
    } else {
        DeleteEvent(pay, parts->OldDate, parts->OldNManOper);
        AddEvent(step, Key().Code, parts->NewDate, parts->NewNManOper, 2, parts->NewValue,
                 parts->NewDescript);
    }
    return PayChanged(step);
}

std::optional<int> TPayEventChangeKind::Undo(TStep& step) const {
    const std::optional<TParts> parts = ReadChecked<TParts>(step, HasValidEvents);
    if (!parts) return kFatalTransaction;
    const int pay = step.Row.IDObject;
    if (parts->NewDate == parts->OldDate) {
        EditEvent(Key().Code, pay, parts->NewDate, parts->NewNManOper, parts->OldValue,
                  parts->OldDescript);
    } else {
        DeleteEvent(pay, parts->NewDate, parts->NewNManOper);
        AddEvent(step, Key().Code, parts->OldDate, parts->OldNManOper, 3, parts->OldValue,
                 parts->OldDescript);
    }
    return PayChanged(step);
}

std::optional<TDateTime> TPayEventChangeKind::DerivedFrom(const TTransRow& row, bool) const {
    const std::optional<TParts> parts = ReadParts<TParts>(row.NTrans);
    if (!parts) return TDateTime(0);
    if (parts->NewDate != parts->OldDate) return std::min(parts->NewDate, parts->OldDate);
    const TEventRow event(row.IDObject, parts->NewDate, parts->NewNManOper);
    return event.found ? parts->NewDate : TDateTime(0);
}

// ---- 6050

namespace {

// Sets the pay's direction to the letter of T1 at `at`; T1 without it: fatal -1.
std::optional<int> SetDirection(TStep& step, std::size_t at) {
    const std::optional<TPayDirectionParts> parts = ReadChecked<TPayDirectionParts>(
        step, [at](const TPayDirectionParts& read) { return read.Directions.size() > at; });
    if (!parts) return kFatalTransaction;
    DM->SetPayDirection(step.Row.IDObject, parts->Directions[at]);
    return PayChanged(step);
}

}  // namespace

std::optional<int> TPayDirectionKind::Apply(TStep& step) const {
    return SetDirection(step, 0);
}

std::optional<int> TPayDirectionKind::Undo(TStep& step) const {
    return SetDirection(step, 1);
}
