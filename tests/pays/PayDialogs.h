// A running budget with the pay "Flat" and the real journal kinds, for the tests of the dialogs
// that change a pay through the journal: the newest transaction, its undo and its redo.
#pragma once

#include <QCoreApplication>
#include <QEvent>

#include "common/JournalSteps.h"
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

    static int Newest() { return NewestTrans(); }
    static bool Undo(int nTrans) { return UndoTrans(nTrans); }
    static bool Redo(int nTrans) { return RedoTrans(nTrans); }
    // Lets a dialog that closed itself be freed.
    static void FreeClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};
