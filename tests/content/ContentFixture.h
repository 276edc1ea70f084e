// A budget open as the main window opens one, registered in the budget list, with a table, an
// image album and a file collection in its tree, and the journal's kinds registered.
#pragma once

#include <string>

#include "common/OpenBudget.h"
#include "schema/SchemaNames.h"
#include "shell/JournalKinds.h"
#include "shell/ObjectIndex.h"

class ContentBudget : public OpenBudget {
protected:
    static constexpr int kTable = 20, kAlbum = 30, kFiles = 40;

    ContentBudget() {
        RegisterJournalKinds();
        shell.state.DataPath = folders.DataPath();
        shell.state.IDBudget = 1;
        shell.state.BudgetName = "Home";
        shell.state.BudgetState = 3;  // stopped: no recalculation after a change
        AddObject(kTable, otTable, "Phones", "Numbers to call");
        AddObject(kAlbum, otImages, "Holidays", "Summer pictures");
        AddObject(kFiles, otFiles, "Papers", "Contracts");
        AppendBudgetRow(folders.UsersDataPath(), budget, 3);
        dm.TableBudgets.Refresh();
        EXPECT_FALSE(shell.index.Build(dm.TableBudgets, shell.state));
    }

    static void AddObject(int id, int type, const std::string& name, const std::string& descript) {
        AddRow(tbl::Objects, {{fld::ID, id},
                              {fld::IDParent, 0},
                              {fld::Type, type},
                              {fld::Image, 16},
                              {fld::Name, name},
                              {fld::Descript, descript},
                              {fld::Expanded, "N"}});
    }
    const ObjectInfo& Node(int id) const { return *shell.index.FindObject(id, budget); }
};
