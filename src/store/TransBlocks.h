// The blocks that the layouts of several journal kinds repeat: a table row, a picture, an
// algorithm, a number item, an auto charge with its schedule and a pay's history event.
//
// Each block continues the counting of each part table where the layout around it stands; the
// comments name the parts in their order within each table.
#pragma once

#include <string>
#include <vector>

#include "platform/Dates.h"

// A row of a table object: T NameRow, T ValueRow.
struct TTableRowBlock {
    std::string NameRow, ValueRow;
    template <class Io>
    void Parts(Io& io) {
        io.Text(NameRow);
        io.Text(ValueRow);
    }
    bool operator==(const TTableRowBlock&) const = default;
};

// A picture of an image album: T FileName, T Descript.
struct TImageBlock {
    std::string FileName, Descript;
    template <class Io>
    void Parts(Io& io) {
        io.Text(FileName);
        io.Text(Descript);
    }
    bool operator==(const TImageBlock&) const = default;
};

// An initial datum of an algorithm (AlgExtData.db): T Name, I Ni, I IDObject, I TypeObject,
// I ParentObject, I SubSource, T Param1, T Param2, T Param3.
struct TExtDataBlock {
    std::string Name;
    int Ni = 0, IDObject = 0, TypeObject = 0, ParentObject = 0, SubSource = 0;
    std::string Param1, Param2, Param3;
    template <class Io>
    void Parts(Io& io) {
        io.Text(Name);
        io.Int(Ni);
        io.Int(IDObject);
        io.Int(TypeObject);
        io.Int(ParentObject);
        io.Int(SubSource);
        io.Text(Param1);
        io.Text(Param2);
        io.Text(Param3);
    }
    bool operator==(const TExtDataBlock&) const = default;
};

// A variable description of an algorithm (AlgVarDescr.db): I NVar, T Descript.
struct TVarDescrBlock {
    int NVar = 0;
    std::string Descript;
    template <class Io>
    void Parts(Io& io) {
        io.Int(NVar);
        io.Text(Descript);
    }
    bool operator==(const TVarDescrBlock&) const = default;
};

// An algorithm, after a number item or auto charge of type "A": I its old ID (not used when it
// is stored again, under a new ID), I Valid (1 valid), I IDParent (the owning object), T Name,
// T Descript, I VarOfResult, I the number of initial data, I of variable descriptions, I of
// text pieces; then the initial data, the variable descriptions and the text's pieces (T each,
// at most 100 characters, joined in order).
struct TAlgorithmBlock {
    int OldId = 0, Valid = 0, IDParent = 0;
    std::string Name, Descript;
    int VarOfResult = 0;
    std::vector<TExtDataBlock> ExtData;
    std::vector<TVarDescrBlock> VarDescr;
    std::vector<std::string> TextPieces;
    template <class Io>
    void Parts(Io& io) {
        io.Int(OldId);
        io.Int(Valid);
        io.Int(IDParent);
        io.Text(Name);
        io.Text(Descript);
        io.Int(VarOfResult);
        io.Count(ExtData);
        io.Count(VarDescr);
        io.Count(TextPieces);
        io.Blocks(ExtData);
        io.Blocks(VarDescr);
        io.Blocks(TextPieces);
    }
    bool operator==(const TAlgorithmBlock&) const = default;
};

// An item of type "A" carries an algorithm block; only the first character of ItemType counts.
inline bool IsAlgorithmItem(const std::string& itemType) {
    return !itemType.empty() && itemType[0] == 'A';
}

// A number item (a Numbers.db row): D DateBegin, T ItemType ("C" constant, "A" algorithm),
// T ConstValue, T Descript, then the algorithm block for an "A" item.
struct TNumberItemBlock {
    TDateTime DateBegin = 0;
    std::string ItemType, ConstValue, Descript;
    TAlgorithmBlock Algorithm;  // for an "A" item only
    template <class Io>
    void Parts(Io& io) {
        io.Date(DateBegin);
        io.Text(ItemType);
        io.Text(ConstValue);
        io.Text(Descript);
        if (IsAlgorithmItem(ItemType)) Algorithm.Parts(io);
    }
    bool operator==(const TNumberItemBlock&) const = default;
};

// An auto charge of a pay (a PayAutoCharges.DB row) with its schedule: T Name, T Descript,
// D DateBegin, T RestrictTime, D DateEnd, T Activity, T ItemType, T ConstValue, the algorithm
// block for an "A" charge; then the schedule: I its ID (0: a new one), T Periodicity,
// D UnitaryDate, T MonthesDays (3 characters a month from January: "Y" when chosen, the day in
// two digits, 32 the last day), T WeekDays (7 characters from Monday, "Y" when chosen),
// I Priority.
struct TAutoChargeBlock {
    std::string Name, Descript;
    TDateTime DateBegin = 0;
    std::string RestrictTime;
    TDateTime DateEnd = 0;
    std::string Activity, ItemType, ConstValue;
    TAlgorithmBlock Algorithm;  // for an "A" charge only
    int ScheduleId = 0;
    std::string Periodicity;
    TDateTime UnitaryDate = 0;
    std::string MonthesDays, WeekDays;
    int Priority = 0;
    template <class Io>
    void Parts(Io& io) {
        io.Text(Name);
        io.Text(Descript);
        io.Date(DateBegin);
        io.Text(RestrictTime);
        io.Date(DateEnd);
        io.Text(Activity);
        io.Text(ItemType);
        io.Text(ConstValue);
        if (IsAlgorithmItem(ItemType)) Algorithm.Parts(io);
        io.Int(ScheduleId);
        io.Text(Periodicity);
        io.Date(UnitaryDate);
        io.Text(MonthesDays);
        io.Text(WeekDays);
        io.Int(Priority);
    }
    bool operator==(const TAutoChargeBlock&) const = default;
};

// An event of a pay's history (a PayHistory.db row): D DateEvent, T TypeEvent, T Counter,
// I IDCharge, I PrtyCharge, I NManOper, T Charge, T ForPayment, T Payment, T CurBalance,
// T Descript. Amounts are decimal texts.
struct THistoryEventBlock {
    TDateTime DateEvent = 0;
    std::string TypeEvent, Counter;
    int IDCharge = 0, PrtyCharge = 0, NManOper = 0;
    std::string Charge, ForPayment, Payment, CurBalance, Descript;
    template <class Io>
    void Parts(Io& io) {
        io.Date(DateEvent);
        io.Text(TypeEvent);
        io.Text(Counter);
        io.Int(IDCharge);
        io.Int(PrtyCharge);
        io.Int(NManOper);
        io.Text(Charge);
        io.Text(ForPayment);
        io.Text(Payment);
        io.Text(CurBalance);
        io.Text(Descript);
    }
    bool operator==(const THistoryEventBlock&) const = default;
};
