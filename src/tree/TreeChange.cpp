// Carrying out a change of the open budget's tree that a dialog has decided on.
#include "tree/TreeChange.h"

#include <string>

#include "shell/ShellServices.h"
#include "store/Utransactions.h"

bool ApplyTreeChange(const std::function<int()>& prepare, std::optional<int> select) {
    TShellServices& shell = ShellServices();
    const std::string folder = shell.BudgetPath();
    shell.SaveTreeState();
    const int nTrans = prepare();
    if (nTrans <= 0) return false;
    const int id = ApplyTransaction(nTrans);
    shell.RebuildTree();
    shell.SelectObject(select.value_or(id), folder);
    return true;
}
