// The journal kinds that replace the content of a table, an image album or a number ("CHANG"
// of Type 20, 30 and 50), with their layouts: the new content and, for the undo, the old one.
#include "store/TransKindContent.h"

TTableChangeKind::TTableChangeKind()
    : TTransKind({std::string(kActChange), otTable}, {.UndoBy = TUndoBy::OwnUndo}) {}

TImagesChangeKind::TImagesChangeKind()
    : TTransKind({std::string(kActChange), otImages}, {.UndoBy = TUndoBy::OwnUndo}) {}

TNumberChangeKind::TNumberChangeKind()
    : TTransKind({std::string(kActChange), otNumber},
                 {.UndoBy = TUndoBy::OwnUndo,
                  .UndoResult = TUndoResult::ObjectId,
                  .AfterApply = TDerivedUpdate::RecalcFromBeginning,
                  .AfterUndo = TDerivedUpdate::RecalcFromBeginning}) {}
