// Carrying out a change of the open budget's tree that a dialog has decided on.
#include "tree/TreeChange.h"

#include <string>

#include "shell/ShellServices.h"
#include "store/Utransactions.h"

bool ApplyTreeChange(const std::function<std::unique_ptr<TTransWriter>()>& prepare,
                     std::optional<int> select) {
    TShellServices& shell = ShellServices();
    const std::string folder = shell.BudgetPath();
    shell.SaveTreeState();
    const std::unique_ptr<TTransWriter> writer = prepare();
    const int id = writer ? writer->Apply() : 0;
    if (id <= 0) return false;
    shell.RebuildTree();
    shell.SelectObject(select.value_or(id), folder);
    return true;
}
