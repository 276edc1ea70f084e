// A running budget with the pay "Flat" and the real journal kinds, for the tests of the dialogs
// that change a pay through the journal: the newest transaction, its undo and its redo.
#pragma once

#include <QCoreApplication>
#include <QEvent>

#include "pays/PayBudget.h"
#include "shell/JournalKinds.h"
#include "store/Utransactions.h"
#include "store/Utransactions_undo.h"

class PayDialogs : public PayBudget {
protected:
    static constexpr int kPay = 1;

    PayDialogs() {
        RegisterJournalKinds();
        AddPay(kPay, "Flat");
        AddRow(tbl::Pays, {{"ID", kPay}, {"Direction", "O"}});
    }

    // The newest transaction's number (0 when the journal is empty).
    static int Newest() {
        TBudgetTable journal(tbl::jTrans, false, {}, "");
        if (journal.Eof()) return 0;
        journal.Last();
        return static_cast<int>(journal.FieldByName(fld::NTrans).AsInteger());
    }
    // The transaction undone, or redone, as the journal view's dialog runs it.
    static bool Undo(int nTrans) {
        const bool stop = false;
        return MarkUndo(nTrans) == 1 && Run(RunUndo(stop));
    }
    static bool Redo(int nTrans) {
        const bool stop = false;
        return MarkRedo(nTrans) == 1 && Run(RunRedo(stop));
    }
    // Lets a dialog that closed itself be freed.
    static void FreeClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private:
    static bool Run(TJournalRun run) {
        while (run.Step()) {
        }
        return run.Result() >= 0;
    }
};
