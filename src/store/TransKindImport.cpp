// The journal kind that imports a branch archive ("IMP"), with its layout.
#include "store/TransKindImport.h"

TImportKind::TImportKind()
    : TTransKind({std::string(kActImport)},
                 {.UndoBy = TUndoBy::OwnUndo,
                  .UndoResult = TUndoResult::Zero,
                  .AfterApply = TDerivedUpdate::CalendarAndRecalcFromDate,
                  .AfterUndo = TDerivedUpdate::CalendarFromDateRecalcFromBeginning}) {}

void TImportKind::Detail(const TTransRow& row, const TWords& word,
                         std::vector<std::string>& lines) const {
    lines.push_back(word("DetailImport") + " " + TTransReader(row.NTrans).Text(1).value_or(""));
}
