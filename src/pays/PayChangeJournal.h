// A pay's change written as one journal transaction in its kind's layout and applied.
#pragma once

#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/TransKind.h"
#include "store/Utransactions.h"

// Writes the parts as a "CHANG" of the pay (Type 60, named as the tree names the pay in the open
// budget) and has the journal apply it through the same writer: the applier's result, or 0 when
// the preparation gave nothing to apply.
template <class Layout>
int JournalPayChange(int idPay, Layout& parts) {
    const TShellServices& shell = ShellServices();
    TTransWriter writer(kActChange, idPay, otPay,
                        shell.Index().GetObjectName(idPay, shell.BudgetPath()));
    WriteParts(writer, parts);
    return writer.Apply();
}
