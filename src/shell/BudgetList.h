// The budget list (Budgets.db of the users-data folder, the data module's TableBudgets) and the
// table writes of the main window: completeness of a budget folder, registration, start and
// stop of the open budget and the saved state of the tree.
#pragma once

#include <string>

class TObjectIndex;
struct TMainState;

// 1 when the folder exists and holds every file and sub-folder of the top level of
// dataPath + "EmptyBases" (same name, same kind; the tables file's write-ahead companions
// "-wal", "-shm" and "-journal" are not compared), else 0. An empty or missing EmptyBases
// makes every existing folder complete. A trailing "/" does not matter.
int IsBudgetComplete(const std::string& dataPath, const std::string& folder);

// Appends the budget list row of a budget folder just filled: the next ID (1 + the largest),
// the folder as given, Name and Descript from its VLBudget.ini, stopped (State 2, Image 4), not
// expanded, Work 3. TableBudgets is writable meanwhile and read-only again afterwards.
void RegisterBudget(const std::string& folder);

// Switches the open budget (state.BudgetPath) to a state with its collapsed icon (running: 0
// and 0, stopped: 3 and 4): its budget list row when there is one (TableBudgets keeps its
// read-only flag), state.BudgetState, and the icons of its root in the index. Returns the
// root's index, or -1 when the index has none.
int SetBudgetState(TMainState& state, TObjectIndex& index, int budgetState, int image);

// Stores the selected node's index as the setting SelNode (0 when none is selected, -1) and
// the expanded state of every root and object node of the index into the budget list and the
// budgets' Objects tables. TableBudgets stays writable afterwards; TableObjects goes back to
// the folder, read-only flag and open state it had (closed when it had no folder).
void SaveTreeState(const TObjectIndex& index, int selectedIndex);
