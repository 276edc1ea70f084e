// The journal kind that imports a branch archive ("IMP"), with its layout.
#include "store/TransKindImport.h"

TImportKind::TImportKind()
    : TTransKind({std::string(kActImport)},
                 {.UndoBy = TUndoBy::OwnUndo,
                  .UndoResult = TUndoResult::Zero,
                  .AfterApply = TDerivedUpdate::CalendarAndRecalcFromDate,
                  .AfterUndo = TDerivedUpdate::CalendarFromDateRecalcFromBeginning}) {}
