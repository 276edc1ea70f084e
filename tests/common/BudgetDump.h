// A canonical text of a budget folder for tests that compare a budget before and after a change:
// every table's rows and every file with its hash, in a fixed order.
#pragma once

#include <string>

// What the dump leaves out besides the record counters and the tables file itself.
enum class TDumpScope {
    Everything,
    // The journal (jTrans, jTrInteger, jTrText, jTrDate and the folder jTrFiles): for comparing
    // the budget's objects before a change and after its undo, whose journal rows moved on.
    WithoutJournal,
};

// Every table of the folder's tables file by name, each with its columns and all its rows
// (every column but the record counter, as SQL literals) sorted by their values, then every
// sub-folder and file below the folder by path, a file with its size and SHA-256. Two budgets
// that hold the same give the same text, so that
//     EXPECT_EQ(DumpBudget(budget), before);
// says "exactly as before" and shows what differs. Throws std::runtime_error when the tables
// file cannot be read.
std::string DumpBudget(const std::string& folder, TDumpScope scope = TDumpScope::Everything);
