// The one definition of every table of a budget folder and of the users-data folder.
#pragma once

#include <vector>

#include "platform/TableDef.h"

// The seventeen tables of a budget folder (and of EmptyBases).
std::vector<TTableDef> BudgetTables();

// The tables of the users-data folder: the budget list and the settings.
std::vector<TTableDef> UsersDataTables();
