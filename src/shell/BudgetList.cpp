// The budget list (Budgets.db of the users-data folder, the data module's TableBudgets) and the
// table writes of the main window: completeness of a budget folder, registration, start and
// stop of the open budget and the saved state of the tree.
#include "shell/BudgetList.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <unordered_map>

#include "platform/IniFile.h"
#include "schema/SchemaNames.h"
#include "shell/MainState.h"
#include "shell/ObjectIndex.h"
#include "store/U_dm.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// Entries that SQLite makes beside a tables file while it is open.
bool IsTablesCompanion(const std::string& name) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const size_t length = std::strlen(suffix);
        if (name.size() > length && name.compare(name.size() - length, length, suffix) == 0)
            return true;
    }
    return false;
}

// Closes the table, sets its read-only flag and opens it again.
void Reopen(TTable& table, bool readOnly) {
    table.Close();
    table.SetReadOnly(readOnly);
    table.Open();
}

const char* ExpandedText(bool expanded) {
    return expanded ? "Y" : "N";
}

}  // namespace

int IsBudgetComplete(const std::string& dataPath, const std::string& folder) {
    const fs::path budget = WithSlash(folder);
    std::error_code error;
    if (!fs::is_directory(budget, error)) return 0;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(dataPath + "EmptyBases", error)) {
        const std::string name = entry.path().filename().string();
        if (IsTablesCompanion(name)) continue;
        const bool present = entry.is_directory(error) ? fs::is_directory(budget / name, error)
                                                       : fs::is_regular_file(budget / name, error);
        if (!present) return 0;
    }
    return 1;
}

void RegisterBudget(const std::string& folder) {
    const TIniFile description(WithSlash(folder) + "VLBudget.ini");
    const std::string name = description.ReadString("VLBudget", "Name", "");
    const std::string descript = description.ReadString("VLBudget", "Descript", "");
    TTable& budgets = DM->TableBudgets;
    Reopen(budgets, false);
    int newId = 1;
    for (budgets.First(); !budgets.Eof(); budgets.Next())
        newId = std::max(newId, budgets.FieldByName(fld::ID).AsInteger() + 1);
    budgets.Append();
    budgets.FieldByName(fld::ID).SetAsInteger(newId);
    budgets.FieldByName(fld::Path).SetAsString(folder);
    budgets.FieldByName(fld::Work).SetAsInteger(3);
    budgets.FieldByName(fld::State).SetAsInteger(2);
    budgets.FieldByName(fld::Image).SetAsInteger(4);
    budgets.FieldByName(fld::Expanded).SetAsString(ExpandedText(false));
    budgets.FieldByName(fld::Name).SetAsString(name);
    budgets.FieldByName(fld::Descript).SetAsString(descript);
    budgets.Post();
    Reopen(budgets, true);
}

int SetBudgetState(TMainState& state, TObjectIndex& index, int budgetState, int image) {
    TTable& budgets = DM->TableBudgets;
    const bool readOnly = budgets.ReadOnly();
    Reopen(budgets, false);
    if (budgets.Locate(fld::Path, {state.BudgetPath})) {
        budgets.Edit();
        budgets.FieldByName(fld::State).SetAsInteger(budgetState);
        budgets.FieldByName(fld::Image).SetAsInteger(image);
        budgets.Post();
    }
    Reopen(budgets, readOnly);
    state.BudgetState = budgetState;
    const int root = index.IndexOf(0, state.BudgetPath);
    if (root >= 0) index.SetImage(root, image);
    return root;
}

void SaveTreeState(const TObjectIndex& index, int selectedIndex) {
    SetSettingInt("SelNode", selectedIndex >= 0 ? selectedIndex : 0);

    TTable& objects = DM->TableObjects;
    const std::string openFolder = objects.DatabaseName();
    const bool objectsReadOnly = objects.ReadOnly();
    TTable& budgets = DM->TableBudgets;
    Reopen(budgets, false);
    bool anyBudget = false;
    for (budgets.First(); !budgets.Eof(); budgets.Next()) {
        anyBudget = true;
        const std::string path = budgets.FieldByName(fld::Path).AsString();
        const int root = index.IndexOf(0, path);
        if (root < 0) continue;
        budgets.Edit();
        budgets.FieldByName(fld::Expanded).SetAsString(ExpandedText(index.Node(root).Expanded));
        budgets.Post();

        objects.Close();
        objects.SetDatabaseName(path);
        Reopen(objects, false);
        TTransactionScope transaction(path);
        TField& id = objects.FieldByName(fld::ID);
        TField& expanded = objects.FieldByName(fld::Expanded);
        for (objects.First(); !objects.Eof(); objects.Next()) {
            const int node = index.IndexOf(id.AsInteger(), path);
            if (node < 0 || id.AsInteger() == 0) continue;
            const std::string saved = ExpandedText(index.Node(node).Expanded);
            if (expanded.AsString() == saved) continue;
            objects.Edit();
            expanded.SetAsString(saved);
            objects.Post();
        }
        transaction.Commit();
    }
    if (!anyBudget) return;
    // The Objects table goes back to the budget it was open on; with no budget opened yet it
    // stays closed (there is no folder to open it on).
    objects.Close();
    objects.SetReadOnly(objectsReadOnly);
    objects.SetDatabaseName(openFolder);
    if (!openFolder.empty()) objects.Open();
}
