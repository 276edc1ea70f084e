// The journal kinds that change a pay ("CHANG" of Type 60), one per PayChangeCode, with their
// layouts: the code is the first integer part (I1) and chooses the kind.
//
// Every step reads and checks all its parts before it writes anything: a part missing (a stream
// that ends early included) or an amount that is not a decimal text is fatal -1 with nothing
// written. The steps find a pay's events through views of their own, whatever filter the data
// module's history table holds for the pay frame. After a step the pay frame reloads the pay
// when it shows it. A running budget's calendar and charges follow through the step data
// (TStepData), from the day that DerivedFrom gives.
#pragma once

#include <string>
#include <vector>

#include "pays/Upaytables.h"
#include "store/TransBlocks.h"
#include "store/TransKind.h"

// The fatal code of a pay change without its code part ("FATAL ERROR: Unknown error").
constexpr int kFatalNoPayCode = -10;

// A pay change of one code. Every one but the change of direction rebuilds a running budget's
// calendar and recalculates it from the date it touches, after the change and after its undo.
class TPayChangeKind : public TTransKind {
public:
    TPayChangeKind(PayChangeCode code, TDerivedUpdate update);
    // The first line of every pay change's detail text: ActPayChType, one blank and the word of
    // the code (ActPayChAutoCharge, ActPayChAddCounter ...); the kinds add their second line.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
    // The date the change touches: D1 (day 0 without it).
    std::optional<TDateTime> DerivedFrom(const TTransRow& row, bool undo) const override;
};

// A pay change whose code has no kind, or without its code part: registered for "CHANG" of
// Type 60 without a code. Without I1 its apply and undo are fatal -10; any other code changes
// nothing and gives IDObject, so that it counts as applied (and as undone). No detail lines.
class TPayChangeOtherKind : public TTransKind {
public:
    TPayChangeOtherKind();
    std::optional<int> Apply(TStep& step) const override;
    std::optional<int> Undo(TStep& step) const override;
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
    // ReplaceAutoCharges: deletes the pay's auto charges with their algorithms and schedules
    // (TDM::DeleteAutoCharges) and stores the new list's blocks: an "A" charge's algorithm under
    // a new ID, each schedule under the block's ID, and the blocks with ID 0 under new IDs above
    // every ID stored and every ID a block keeps, so that no kept charge loses its ID to a new
    // one. The whole transaction, old half included, is read and checked first. Gives IDObject.
    std::optional<int> Apply(TStep& step) const override;
    // The same with the old list's blocks.
    std::optional<int> Undo(TStep& step) const override;
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

// A manual event added or removed. Its kind follows the code's middle digit: 2 a counter reading
// ("CN", value in Counter), 3 a manual charge ("CH", Charge, IDCharge 0), 4 a payment ("PY",
// Payment); PrtyCharge is 0, CurBalance and ForPayment are left to the recalculation. An event is
// found by the pay, its date and its NManOper.
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
    // AddPayEvent: appends the event; with NManOper -1 it takes NextManOperNumber of the pay and
    // day and writes it into I2, so that a redo gives the event the same number and the undo
    // finds it. Gives IDObject.
    std::optional<int> Apply(TStep& step) const override;
    // DeletePayEvent: deletes the event when it is there. Gives IDObject.
    std::optional<int> Undo(TStep& step) const override;
};

// 6023, 6033, 6043; undone by adding the event again from the same parts, with its number.
class TPayEventDeleteKind : public TPayEventKind {
public:
    explicit TPayEventDeleteKind(PayChangeCode code);
    // DeletePayEvent, as above.
    std::optional<int> Apply(TStep& step) const override;
    // AddPayEvent, as above.
    std::optional<int> Undo(TStep& step) const override;
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
    // ChangePayEvent. The same date: the event (D1, I2) gets the new value and description in
    // place when it is there. Another date: the old event (D2, I3) is deleted when it is there
    // and the new one appended as when adding (a NManOper of -1 numbered and written into I2).
    // Gives IDObject.
    std::optional<int> Apply(TStep& step) const override;
    // The old event back: in place (D1, I2) with the old value and description, or the event
    // (D1, I2) deleted and the old one appended on D2 with its old number I3. Gives IDObject.
    std::optional<int> Undo(TStep& step) const override;
    // The earlier of the two dates; for an event changed in place its date, or day 0 when the
    // event is not there (nothing was changed: the whole calendar is rebuilt).
    std::optional<TDateTime> DerivedFrom(const TTransRow& row, bool undo) const override;
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
    // ChangePayDirection: T1's first letter becomes the pay's Direction and its tree icon
    // (TDM::SetPayDirection); T1 missing or empty: fatal -1. Gives IDObject.
    std::optional<int> Apply(TStep& step) const override;
    // The same with T1's second letter; T1 without one: fatal -1.
    std::optional<int> Undo(TStep& step) const override;
    // Then old "   >>>   " new: the word (DirectO, DirectI, DirectN) of T1's second letter, of its
    // first one; a letter that is missing or another letter has an empty word, and without T1
    // the line is empty.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};
