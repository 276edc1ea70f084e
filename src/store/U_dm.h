// The data module: the budget list and the seventeen tables of the open budget, shared by the
// whole program.
#pragma once

#include <array>

#include "platform/Table.h"

// One instance, DM, created before every window and kept to the end of the run. Its tables are
// configured as the module holds them before the program sets them up: each has its table file
// name and is read-only, the four journal tables are ordered by "NTrans", and TableObjects'
// BeforeClose is bound to TableObjectsBeforeClose. The load phase and the opening of a budget
// set folders, indexes and read-only flags; nobody frees or replaces the tables.
class TDM {
public:
    TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    TTable TableBudgets;
    TTable TablejTrans;
    TTable TablejTrInteger;
    TTable TablejTrText;
    TTable TablejTrDate;
    TTable TableObjects;
    TTable TableTables;
    TTable TableImages;
    TTable TableNumbers;
    TTable TableAlgorithms;
    TTable TableAlgExtData;
    TTable TableAlgVarDescr;
    TTable TableAlgText;
    TTable TablePays;
    TTable TablePayHistory;
    TTable TableAutoCharges;
    TTable TableSchedules;
    TTable TableCalendar;

    // Saves the changes of each of the seventeen budget tables into the folder's tables file
    // and closes it (a failed save is not reported; the table is closed all the same), then lets
    // the message loop run once. TableBudgets is not touched. Packing calls it before it
    // replaces the budget's tables.
    void FlushAndCloseTables();
    // Opens the seventeen budget tables again with the folder, index, filter and read-only
    // flag they had.
    void OpenTables();
    // The setup run: every "[users_data]" (letter case counts) in the Path of the budget list's
    // rows becomes the users-data folder; every row is written again. Table errors reach the
    // caller.
    void ResolveBudgetPaths();
    // Bound to TableObjects' BeforeClose; does nothing.
    void TableObjectsBeforeClose(TTable& dataSet);

    // The seventeen budget tables in the order in which they are opened on a budget: the
    // thirteen object tables, then the journal's four with jTrans last.
    std::array<TTable*, 17> BudgetTables();
};

extern TDM* DM;
