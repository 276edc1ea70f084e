// What the journal's content blocks become in the open budget's tables.
#include "store/TransBlockRows.h"

#include <string>
#include <string_view>

#include "decimal/Large_fix.h"
#include "pays/Uscheduler.h"
#include "schema/SchemaNames.h"
#include "store/U_dm.h"

namespace {

std::string FirstChar(const std::string& text) {
    return text.substr(0, 1);
}

bool IsAmount(const std::string& text) {
    try {
        large_fix value(text.c_str());
        return true;
    } catch (const LargeError&) {
        return false;
    }
}

// A constant's value must be an amount; an algorithm item's ConstValue is not used.
bool IsValidConstant(const std::string& itemType, const std::string& value) {
    return IsAlgorithmItem(itemType) || IsAmount(value);
}

}  // namespace

Algorithm01 AlgorithmOf(const TAlgorithmBlock& block) {
    Algorithm01 algorithm;
    algorithm.Valid = block.Valid == 1;
    algorithm.IDParent = block.IDParent;
    algorithm.Name = block.Name;
    algorithm.Descript = block.Descript;
    algorithm.VarOfResult = block.VarOfResult;
    for (const TExtDataBlock& datum : block.ExtData) {
        ExtData& data = algorithm.INDataList.emplace_back();
        data.Name = datum.Name;
        data.N = datum.Ni;
        data.IDObject = datum.IDObject;
        data.TypeObject = datum.TypeObject;
        data.ParentObject = datum.ParentObject;
        data.SubSource = datum.SubSource;
        data.Param1 = datum.Param1;
        data.Param2 = datum.Param2;
        data.Param3 = datum.Param3;
    }
    for (const TVarDescrBlock& var : block.VarDescr)
        algorithm.VarDescrList.push_back({var.NVar, var.Descript});
    for (const std::string& piece : block.TextPieces) algorithm.Text += piece;
    return algorithm;
}

void StoreNumberItem(int numberId, const TNumberItemBlock& item) {
    const bool algorithmItem = IsAlgorithmItem(item.ItemType);
    const int idAlg = algorithmItem ? DM->SaveAlgorithm(AlgorithmOf(item.Algorithm)) : 0;
    TBudgetTable items(tbl::Numbers, true);
    items.Append();
    items.FieldByName(fld::ID).SetAsInteger(numberId);
    items.FieldByName(fld::DateBegin).SetAsDateTime(item.DateBegin);
    items.FieldByName(fld::ItemType).SetAsString(FirstChar(item.ItemType));
    items.FieldByName(fld::ConstValue).SetAsString(item.ConstValue);
    if (algorithmItem) items.FieldByName(fld::IDAlg).SetAsInteger(idAlg);
    items.FieldByName(fld::Descript).SetAsString(item.Descript);
    items.Post();
}

void StoreAutoCharge(int payId, const TAutoChargeBlock& charge) {
    const bool algorithmCharge = IsAlgorithmItem(charge.ItemType);
    const int idAlg = algorithmCharge ? DM->SaveAlgorithm(AlgorithmOf(charge.Algorithm)) : 0;
    Schedule schedule;
    schedule.ID = charge.ScheduleId;
    schedule.Periodicity = charge.Periodicity.empty() ? 0 : charge.Periodicity[0];
    schedule.UnitaryDate = charge.UnitaryDate;
    DecodeMonthesDays(charge.MonthesDays, schedule);
    DecodeWeekDays(charge.WeekDays, schedule);
    schedule.Priority = charge.Priority;
    const int idSchedule = SaveSchedule(schedule);

    TBudgetTable charges(tbl::PayAutoCharges, true);
    charges.Append();
    charges.FieldByName(fld::ID).SetAsInteger(payId);
    charges.FieldByName(fld::Name).SetAsString(charge.Name);
    charges.FieldByName(fld::Descript).SetAsString(charge.Descript);
    charges.FieldByName(fld::DateBegin).SetAsDateTime(charge.DateBegin);
    charges.FieldByName(fld::RestrictTime).SetAsString(charge.RestrictTime);
    charges.FieldByName(fld::DateEnd).SetAsDateTime(charge.DateEnd);
    charges.FieldByName(fld::Activity).SetAsString(charge.Activity);
    charges.FieldByName(fld::ItemType).SetAsString(FirstChar(charge.ItemType));
    charges.FieldByName(fld::ConstValue).SetAsString(charge.ConstValue);
    if (algorithmCharge) charges.FieldByName(fld::IDAlg).SetAsInteger(idAlg);
    charges.FieldByName(fld::IDSchedule).SetAsInteger(idSchedule);
    charges.Post();
}

void StoreHistoryEvent(int payId, const THistoryEventBlock& event) {
    TBudgetTable history(tbl::PayHistory, true);
    history.Append();
    history.FieldByName(fld::ID).SetAsInteger(payId);
    history.FieldByName(fld::DateEvent).SetAsDateTime(event.DateEvent);
    history.FieldByName(fld::TypeEvent).SetAsString(event.TypeEvent);
    history.FieldByName(fld::Counter).SetAsString(event.Counter);
    history.FieldByName(fld::IDCharge).SetAsInteger(event.IDCharge);
    history.FieldByName(fld::PrtyCharge).SetAsInteger(event.PrtyCharge);
    history.FieldByName(fld::NManOper).SetAsInteger(event.NManOper);
    history.FieldByName(fld::Charge).SetAsString(event.Charge);
    history.FieldByName(fld::ForPayment).SetAsString(event.ForPayment);
    history.FieldByName(fld::Payment).SetAsString(event.Payment);
    history.FieldByName(fld::CurBalance).SetAsString(event.CurBalance);
    history.FieldByName(fld::Descript).SetAsString(event.Descript);
    history.Post();
}

bool HasValidAmounts(const TNumberItemBlock& item) {
    return IsValidConstant(item.ItemType, item.ConstValue);
}

bool HasValidAmounts(const TAutoChargeBlock& charge) {
    return IsValidConstant(charge.ItemType, charge.ConstValue);
}

bool HasValidAmounts(const THistoryEventBlock& event) {
    for (const std::string* amount :
         {&event.Counter, &event.Charge, &event.ForPayment, &event.Payment, &event.CurBalance})
        if (!IsAmount(*amount)) return false;
    return true;
}
