// The journal kinds of the object tree: creating ("ADD") and deleting ("DEL") an object, per
// object type, renaming ("REN") and moving ("MOVE") one, with their layouts.
#include "store/TransKindObject.h"

TRenameKind::TRenameKind()
    : TTransKind({std::string(kActRename)},
                 {.UndoBy = TUndoBy::OwnUndo, .UndoResult = TUndoResult::Zero}) {}

TMoveKind::TMoveKind()
    : TTransKind({std::string(kActMove)},
                 {.UndoBy = TUndoBy::OwnUndo, .UndoResult = TUndoResult::ObjectId}) {}
