// The journal's content blocks and the open budget's tables, both ways.
#include "store/TransBlockRows.h"

#include <string>
#include <string_view>

#include "decimal/Large_fix.h"
#include "pays/Uscheduler.h"
#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
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

namespace {

// Deletes the object's rows from a table of the open budget.
void DeleteRowsOf(const char* table, int id) {
    TBudgetTable rows(table, true, Where(fld::ID) == id);
    DeleteAllRows(rows);
}

}  // namespace

void ReplaceTableRows(int tableId, const std::vector<TTableRowBlock>& rows) {
    DeleteRowsOf(tbl::Tables, tableId);
    TBudgetTable table(tbl::Tables, true);
    int nRow = 0;
    for (const TTableRowBlock& row : rows) {
        table.Append();
        table.FieldByName(fld::ID).SetAsInteger(tableId);
        table.FieldByName(fld::NRow).SetAsInteger(++nRow);
        table.FieldByName(fld::NameRow).SetAsString(row.NameRow);
        table.FieldByName(fld::ValueRow).SetAsString(row.ValueRow);
        table.Post();
    }
}

void ReplacePictureRows(int albumId, const std::vector<TImageBlock>& pictures) {
    DeleteRowsOf(tbl::Images, albumId);
    TBudgetTable images(tbl::Images, true);
    int number = 0;
    for (const TImageBlock& picture : pictures) {
        images.Append();
        images.FieldByName(fld::ID).SetAsInteger(albumId);
        images.FieldByName(fld::Number).SetAsInteger(++number);
        images.FieldByName(fld::FileName).SetAsString(picture.FileName);
        images.FieldByName(fld::Descript).SetAsString(picture.Descript);
        images.Post();
    }
}

std::vector<TTableRowBlock> TableRowBlocks(int tableId) {
    std::vector<TTableRowBlock> blocks;
    for (TBudgetTable rows(tbl::Tables, false, Where(fld::ID) == tableId); !rows.Eof();
         rows.Next())
        blocks.push_back(
            {rows.FieldByName(fld::NameRow).AsString(), rows.FieldByName(fld::ValueRow).AsString()});
    return blocks;
}

std::vector<TImageBlock> PictureBlocks(int albumId) {
    std::vector<TImageBlock> blocks;
    for (TBudgetTable rows(tbl::Images, false, Where(fld::ID) == albumId); !rows.Eof(); rows.Next())
        blocks.push_back(
            {rows.FieldByName(fld::FileName).AsString(), rows.FieldByName(fld::Descript).AsString()});
    return blocks;
}

void ReplaceNumberItems(int numberId, const std::vector<TNumberItemBlock>& items) {
    DM->DeleteNumberItems(numberId);
    for (const TNumberItemBlock& item : items) StoreNumberItem(numberId, item);
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

// ---- Rows into blocks

TAlgorithmBlock AlgorithmBlockOf(const Algorithm01& algorithm) {
    TAlgorithmBlock block;
    block.OldId = algorithm.ID;
    block.Valid = algorithm.Valid ? 1 : 0;
    block.IDParent = algorithm.IDParent;
    block.Name = algorithm.Name;
    block.Descript = algorithm.Descript;
    block.VarOfResult = algorithm.VarOfResult;
    for (const ExtData& data : algorithm.INDataList)
        block.ExtData.push_back({data.Name, data.N, data.IDObject, data.TypeObject,
                                 data.ParentObject, data.SubSource, data.Param1, data.Param2,
                                 data.Param3});
    for (const VarDescr& var : algorithm.VarDescrList) {
        // The first piece of the text rule is the first 100 characters, never half a letter.
        const std::vector<std::string> pieces = AlgorithmTextPieces(var.Descript);
        block.VarDescr.push_back({var.NVar, pieces.empty() ? "" : pieces.front()});
    }
    block.TextPieces = AlgorithmTextPieces(algorithm.Text);
    return block;
}

std::optional<TAlgorithmBlock> StoredAlgorithmBlock(int idAlg) {
    const bool fatalBefore = ShellServices().FatalClose();
    const Algorithm01 algorithm = DM->LoadAlgorithm(idAlg);
    if (ShellServices().FatalClose() && !fatalBefore) return std::nullopt;
    return AlgorithmBlockOf(algorithm);
}

std::optional<TNumberItemBlock> NumberItemBlockOf(TTable& row) {
    TNumberItemBlock item;
    item.DateBegin = row.FieldByName(fld::DateBegin).AsDateTime();
    item.ItemType = FirstChar(row.FieldByName(fld::ItemType).AsString());
    item.ConstValue = row.FieldByName(fld::ConstValue).AsString();
    item.Descript = row.FieldByName(fld::Descript).AsString();
    if (IsAlgorithmItem(item.ItemType)) {
        std::optional<TAlgorithmBlock> algorithm =
            StoredAlgorithmBlock(row.FieldByName(fld::IDAlg).AsInteger());
        if (!algorithm) return std::nullopt;
        item.Algorithm = std::move(*algorithm);
    }
    return item;
}

std::optional<TAutoChargeBlock> AutoChargeBlockOf(TTable& row) {
    TAutoChargeBlock charge;
    charge.Name = row.FieldByName(fld::Name).AsString();
    charge.Descript = row.FieldByName(fld::Descript).AsString();
    charge.DateBegin = row.FieldByName(fld::DateBegin).AsDateTime();
    charge.RestrictTime = FirstChar(row.FieldByName(fld::RestrictTime).AsString());
    charge.DateEnd = row.FieldByName(fld::DateEnd).AsDateTime();
    charge.Activity = FirstChar(row.FieldByName(fld::Activity).AsString());
    charge.ItemType = FirstChar(row.FieldByName(fld::ItemType).AsString());
    charge.ConstValue = row.FieldByName(fld::ConstValue).AsString();
    if (IsAlgorithmItem(charge.ItemType)) {
        std::optional<TAlgorithmBlock> algorithm =
            StoredAlgorithmBlock(row.FieldByName(fld::IDAlg).AsInteger());
        if (!algorithm) return std::nullopt;
        charge.Algorithm = std::move(*algorithm);
    }
    const int idSchedule = row.FieldByName(fld::IDSchedule).AsInteger();
    Schedule schedule;  // a fresh record for each charge: a missing one leaves it as it is
    const bool found = LoadSchedule(idSchedule, schedule) == 1;
    charge.ScheduleId = idSchedule;
    charge.Periodicity =
        found && schedule.Periodicity != 0 ? std::string(1, schedule.Periodicity) : std::string();
    charge.UnitaryDate = found ? schedule.UnitaryDate : 0;
    charge.MonthesDays = EncodeMonthesDays(schedule);
    charge.WeekDays = EncodeWeekDays(schedule);
    charge.Priority = found ? schedule.Priority : 0;
    return charge;
}

THistoryEventBlock HistoryEventBlockOf(TTable& row) {
    THistoryEventBlock event;
    event.DateEvent = row.FieldByName(fld::DateEvent).AsDateTime();
    event.TypeEvent = row.FieldByName(fld::TypeEvent).AsString();
    event.Counter = row.FieldByName(fld::Counter).AsString();
    event.IDCharge = row.FieldByName(fld::IDCharge).AsInteger();
    event.PrtyCharge = row.FieldByName(fld::PrtyCharge).AsInteger();
    event.NManOper = row.FieldByName(fld::NManOper).AsInteger();
    event.Charge = row.FieldByName(fld::Charge).AsString();
    event.ForPayment = row.FieldByName(fld::ForPayment).AsString();
    event.Payment = row.FieldByName(fld::Payment).AsString();
    event.CurBalance = row.FieldByName(fld::CurBalance).AsString();
    event.Descript = row.FieldByName(fld::Descript).AsString();
    return event;
}
