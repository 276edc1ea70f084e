// The journal kinds that change a pay ("CHANG" of Type 60), one per PayChangeCode, with their
// layouts: the code is the first integer part (I1) and chooses the kind.
#pragma once

#include <string>
#include <vector>

#include "pays/Upaytables.h"
#include "store/TransBlocks.h"
#include "store/TransKind.h"

// A pay change of one code. Every one but the change of direction rebuilds a running budget's
// calendar and recalculates it from the date it touches, after the change and after its undo.
class TPayChangeKind : public TTransKind {
public:
    TPayChangeKind(PayChangeCode code, TDerivedUpdate update);
    // The first line of every pay change's detail text: ActPayChType, one blank and the word of
    // the code (ActPayChAutoCharge, ActPayChAddCounter ...); the kinds add their second line.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// ---- 6010, the whole list of auto charges replaced: I1 the code, I2 the number of charges
// after the change, I3 before; D1 the date from which the change takes effect; the new list's
// auto-charge blocks, then the old one's (integers from I4, texts from T1, dates from D2); then
// the old-half locator: three integer parts, how many integer, text and date parts come before
// the first old block.
struct TAutoChargesChangeParts {
    int Code = kPayReplaceAutoCharges;
    TDateTime EffectiveDate = 0;
    std::vector<TAutoChargeBlock> NewCharges, OldCharges;
    TPartMark OldHalf;  // filled in when written
    template <class Io>
    void Parts(Io& io) {
        io.Int(Code);
        io.Date(EffectiveDate);
        io.Count(NewCharges);
        io.Count(OldCharges);
        io.Blocks(NewCharges);
        io.Mark(OldHalf);
        io.Blocks(OldCharges);
        io.Int(OldHalf.Ints);
        io.Int(OldHalf.Texts);
        io.Int(OldHalf.Dates);
    }
    bool operator==(const TAutoChargesChangeParts&) const = default;
};

class TAutoChargesChangeKind : public TPayChangeKind {
public:
    using TParts = TAutoChargesChangeParts;
    TAutoChargesChangeKind();
};

// ---- A manual event (counter reading, manual charge, payment) added (6021, 6031, 6041) or
// removed (6023, 6033, 6043): I1 the code, I2 its NManOper (-1 in an addition until its Apply
// numbers the event and writes the number here); T1 its value (decimal text), T2 its
// description; D1 its date.
struct TPayEventParts {
    int Code = 0;
    int NManOper = -1;
    std::string Value, Descript;
    TDateTime Date = 0;
    template <class Io>
    void Parts(Io& io) {
        io.Int(Code);
        io.Int(NManOper);
        io.Text(Value);
        io.Text(Descript);
        io.Date(Date);
    }
    bool operator==(const TPayEventParts&) const = default;
};

// A manual event added or removed.
class TPayEventKind : public TPayChangeKind {
public:
    using TParts = TPayEventParts;
    using TPayChangeKind::TPayChangeKind;
    // Then the event: "   " and its date, "  :  " and its value, "  :  " and its description,
    // each piece only when its part is there.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// 6021, 6031, 6041.
class TPayEventAddKind : public TPayEventKind {
public:
    explicit TPayEventAddKind(PayChangeCode code);
};

// 6023, 6033, 6043; undone by adding the event again from the same parts.
class TPayEventDeleteKind : public TPayEventKind {
public:
    explicit TPayEventDeleteKind(PayChangeCode code);
};

// ---- A manual event changed (6022, 6032, 6042): I1 the code, I2 the new NManOper (-1 when the
// date changes, until its Apply numbers the event and writes the number here), I3 the old one;
// T1 the new value, T2 the new description, T3 the old value, T4 the old description; D1 the
// new date, D2 the old one.
struct TPayEventChangeParts {
    int Code = 0;
    int NewNManOper = -1, OldNManOper = 0;
    std::string NewValue, NewDescript, OldValue, OldDescript;
    TDateTime NewDate = 0, OldDate = 0;
    template <class Io>
    void Parts(Io& io) {
        io.Int(Code);
        io.Int(NewNManOper);
        io.Int(OldNManOper);
        io.Text(NewValue);
        io.Text(NewDescript);
        io.Text(OldValue);
        io.Text(OldDescript);
        io.Date(NewDate);
        io.Date(OldDate);
    }
    bool operator==(const TPayEventChangeParts&) const = default;
};

class TPayEventChangeKind : public TPayChangeKind {
public:
    using TParts = TPayEventChangeParts;
    explicit TPayEventChangeKind(PayChangeCode code);
    // Then old "   >>>   " new: "   " and the old date (D2), "  :  " and the old value (T3),
    // "  :  " and the old description (T4), "   >>>   ", the new date (D1), "  :  " and the new
    // value (T1), "  :  " and the new description (T2), each piece only when its part is there.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// ---- 6050, the pay's Direction changed: I1 the code; T1 two letters ("O", "I" or "N"), the new
// direction followed by the old one. Neither the change nor its undo touches the calendar.
struct TPayDirectionParts {
    int Code = kPayChangeDirection;
    std::string Directions;
    template <class Io>
    void Parts(Io& io) {
        io.Int(Code);
        io.Text(Directions);
    }
    bool operator==(const TPayDirectionParts&) const = default;
};

class TPayDirectionKind : public TPayChangeKind {
public:
    using TParts = TPayDirectionParts;
    TPayDirectionKind();
    // Then old "   >>>   " new: the word (DirectO, DirectI, DirectN) of T1's second letter, of its
    // first one; a letter that is missing or another letter has an empty word, and without T1
    // the line is empty.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};
