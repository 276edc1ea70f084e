// A pay's auto charges without a window: the list the auto-charge dialogs edit in memory, its
// loading from the pay's rows, and the journal transaction that replaces the stored list by it.
#include "pays/U_fautocharges_list.h"

#include <algorithm>
#include <cmath>

#include "numbers/U_frnumber_chronology.h"
#include "pays/PayChangeJournal.h"
#include "schema/SchemaNames.h"
#include "store/TransBlockRows.h"
#include "store/U_dm.h"

namespace {

constexpr size_t kAlgorithmTextLength = 100;

TAutoChargeBlock ChargeBlockOf(const AutoChargeInfo& charge) {
    TAutoChargeBlock block;
    block.Name = charge.Name;
    block.Descript = charge.Descript;
    block.DateBegin = charge.DateBegin;
    block.RestrictTime = charge.Restricted ? "L" : "U";
    block.DateEnd = charge.DateEnd;
    block.Activity = charge.Active ? "A" : "P";
    block.ItemType = std::string(1, charge.ItemType);
    block.ConstValue = charge.ConstValue;
    if (charge.ItemType == 'A') {
        block.Algorithm = AlgorithmBlockOf(charge.Algorithm);
        block.Algorithm.Name = CutChars(block.Algorithm.Name, kAlgorithmTextLength);
        block.Algorithm.Descript = CutChars(block.Algorithm.Descript, kAlgorithmTextLength);
    }
    const Schedule& schedule = charge.Schedule;
    block.ScheduleId = schedule.ID;
    block.Periodicity = schedule.Periodicity ? std::string(1, schedule.Periodicity) : "";
    block.UnitaryDate = schedule.UnitaryDate;
    block.MonthesDays = EncodeMonthesDays(schedule);
    block.WeekDays = EncodeWeekDays(schedule);
    block.Priority = schedule.Priority;
    return block;
}

// The charge of a stored row's block; an 'A' charge takes its algorithm as stored.
AutoChargeInfo ChargeOf(const TAutoChargeBlock& block, int idAlg) {
    AutoChargeInfo charge;
    charge.Name = block.Name;
    charge.Descript = block.Descript;
    charge.DateBegin = block.DateBegin;
    charge.Restricted = block.RestrictTime == "L";
    charge.DateEnd = block.DateEnd;
    charge.Active = block.Activity == "A";
    charge.ItemType = block.ItemType.empty() ? '\0' : block.ItemType[0];
    charge.ConstValue = block.ConstValue;
    if (charge.ItemType == 'A') charge.Algorithm = DM->LoadAlgorithm(idAlg);
    Schedule& schedule = charge.Schedule;
    schedule.ID = block.ScheduleId;
    schedule.Periodicity = block.Periodicity.empty() ? '\0' : block.Periodicity[0];
    schedule.UnitaryDate = block.UnitaryDate;
    DecodeMonthesDays(block.MonthesDays, schedule);
    DecodeWeekDays(block.WeekDays, schedule);
    schedule.Priority = block.Priority;
    charge.State = 'i';
    return charge;
}

}  // namespace

void SortCharges(TAutoChargesList& charges) {
    std::stable_sort(charges.begin(), charges.end(),
                     [](const AutoChargeInfo& a, const AutoChargeInfo& b) {
                         return std::trunc(a.DateBegin) < std::trunc(b.DateBegin);
                     });
}

int ShownIndex(const TAutoChargesList& charges, int n) {
    int shown = 0;
    for (size_t i = 0; i < charges.size(); ++i)
        if (charges[i].IsShown() && ++shown == n) return static_cast<int>(i);
    return -1;
}

int ShownCount(const TAutoChargesList& charges) {
    return static_cast<int>(std::count_if(charges.begin(), charges.end(),
                                          [](const AutoChargeInfo& c) { return c.IsShown(); }));
}

int LoadCharges(int idPay, TAutoChargesList& charges) {
    const TShellServices& shell = ShellServices();
    if (shell.Index().GetObjectType(idPay, shell.BudgetPath()) != otPay) return -1;
    TAutoChargesList loaded;
    for (TBudgetTable rows(tbl::PayAutoCharges, false, Where(fld::ID) == idPay); !rows.Eof();
         rows.Next()) {
        const std::optional<TAutoChargeBlock> block = AutoChargeBlockOf(rows);
        if (!block) return -1;
        loaded.push_back(ChargeOf(*block, static_cast<int>(rows.FieldByName(fld::IDAlg).AsInteger())));
    }
    charges = std::move(loaded);
    return static_cast<int>(charges.size());
}

std::optional<TAutoChargesChangeParts> AutoChargesChangeParts(TAutoChargesList& charges,
                                                              int idPay,
                                                              TDateTime firstChangedDate) {
    TAutoChargesChangeParts parts;
    parts.EffectiveDate = firstChangedDate;
    SortCharges(charges);
    for (const AutoChargeInfo& charge : charges)
        if (charge.IsShown()) parts.NewCharges.push_back(ChargeBlockOf(charge));
    for (TBudgetTable rows(tbl::PayAutoCharges, false, Where(fld::ID) == idPay); !rows.Eof();
         rows.Next()) {
        std::optional<TAutoChargeBlock> old = AutoChargeBlockOf(rows);
        if (!old) return std::nullopt;
        parts.OldCharges.push_back(std::move(*old));
    }
    return parts;
}

int JournalAutoCharges(TAutoChargesList& charges, int idPay, TDateTime firstChangedDate) {
    std::optional<TAutoChargesChangeParts> parts =
        AutoChargesChangeParts(charges, idPay, firstChangedDate);
    if (!parts) return 0;
    return JournalPayChange(idPay, *parts);
}
