// The journal kinds that change a pay ("CHANG" of Type 60), one per PayChangeCode, with their
// layouts: the code is the first integer part (I1) and chooses the kind.
#include "store/TransKindPay.h"

#include "shell/ObjectIndex.h"

TPayChangeKind::TPayChangeKind(PayChangeCode code, TDerivedUpdate update)
    : TTransKind({std::string(kActChange), otPay, code}, {.UndoBy = TUndoBy::OwnUndo,
                                                          .UndoResult = TUndoResult::ObjectId,
                                                          .AfterApply = update,
                                                          .AfterUndo = update}) {}

TAutoChargesChangeKind::TAutoChargesChangeKind()
    : TPayChangeKind(kPayReplaceAutoCharges, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventAddKind::TPayEventAddKind(PayChangeCode code)
    : TPayChangeKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventDeleteKind::TPayEventDeleteKind(PayChangeCode code)
    : TPayChangeKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventChangeKind::TPayEventChangeKind(PayChangeCode code)
    : TPayChangeKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayDirectionKind::TPayDirectionKind()
    : TPayChangeKind(kPayChangeDirection, TDerivedUpdate::None) {}
