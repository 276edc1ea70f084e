// A new budget's folder without the dialog: which paths may hold it, whether the budget list
// already names it, and making it from the empty-budget template.
#pragma once

#include <string>

// The path as a budget folder is stored: "." and ".." parts resolved, runs of "/" and a trailing
// "/" dropped (the root stays "/").
std::string CleanBudgetPath(const std::string& path);

// The path in one form for comparing budget folders: "." and ".." parts resolved, runs of "/"
// and a trailing "/" dropped, and links of the part that exists followed, so that two spellings
// of one folder compare equal. A relative path stays relative.
std::string NormalBudgetPath(const std::string& path);

// True when a new budget's folder may be made at the path: an absolute path that is not the
// root and whose parent folder exists.
bool IsBudgetPathUsable(const std::string& path);

// True when a row of the budget list (tables of the users-data folder) names the folder, both
// compared in their normal form (NormalBudgetPath).
bool BudgetListHasFolder(const std::string& usersDataPath, const std::string& folder);

enum class TNewBudget {
    Made,               // the folder holds the template and the budget's VLBudget.ini entries
    FolderNotMade,      // the folder could not be made (no parent, no right, it exists already)
    TemplateNotCopied,  // the template could not be copied; the folder made here is gone again
};

// Makes the folder (one level: its parent must exist, the folder itself must not), copies into
// it every entry of dataPath + "EmptyBases" (its tables written out first, so that the copy
// holds them whole) and writes Name and Descript into the section [VLBudget] of its
// VLBudget.ini, keeping the template's other entries. When the copy fails the folder made here
// is deleted with what was copied into it. Throws EIniFileException when VLBudget.ini cannot be
// written.
TNewBudget MakeBudgetFolder(const std::string& dataPath, const std::string& folder,
                            const std::string& name, const std::string& descript);
