// The journal as the tests of changes read and run it: the newest transaction, and a
// transaction undone or redone as the journal view's dialog runs it.
#pragma once

#include "schema/SchemaNames.h"
#include "store/U_dm.h"
#include "store/Utransactions_undo.h"

// The newest transaction's number (0 when the journal is empty).
inline int NewestTrans() {
    TBudgetTable journal(tbl::jTrans, false, {}, "");
    if (journal.Eof()) return 0;
    journal.Last();
    return static_cast<int>(journal.FieldByName(fld::NTrans).AsInteger());
}

// Runs the marked block to its end: true when every step succeeded.
inline bool RunToEnd(TJournalRun run) {
    while (run.Step()) {
    }
    return run.Result() >= 0;
}

// The transaction undone, or redone, alone.
inline bool UndoTrans(int nTrans) {
    const bool stop = false;
    return MarkUndo(nTrans) == 1 && RunToEnd(RunUndo(stop));
}
inline bool RedoTrans(int nTrans) {
    const bool stop = false;
    return MarkRedo(nTrans) == 1 && RunToEnd(RunRedo(stop));
}
