// A new budget's folder without the dialog: which paths may hold it, whether the budget list
// already names it, and making it from the empty-budget template.
#include "tree/BudgetFolder.h"

#include <cerrno>
#include <filesystem>

#include "platform/Database.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

// The path without "." and ".." parts and without a trailing "/" (the root stays "/").
fs::path Lexical(const std::string& path) {
    fs::path result = fs::path(path).lexically_normal();
    if (!result.has_filename() && result.has_relative_path()) result = result.parent_path();
    return result;
}

}  // namespace

std::string CleanBudgetPath(const std::string& path) {
    return Lexical(path).string();
}

std::string NormalBudgetPath(const std::string& path) {
    const fs::path lexical = Lexical(path);
    if (lexical.is_relative()) return lexical.string();
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(lexical, error);
    return error ? lexical.string() : Lexical(resolved.string()).string();
}

bool IsBudgetPathUsable(const std::string& path) {
    const fs::path lexical = Lexical(path);
    if (!lexical.is_absolute() || !lexical.has_relative_path()) return false;
    std::error_code error;
    return fs::is_directory(lexical.parent_path(), error);
}

bool BudgetListHasFolder(const std::string& usersDataPath, const std::string& folder) {
    const std::string wanted = NormalBudgetPath(folder);
    TTable budgets;
    budgets.SetDatabaseName(usersDataPath);
    budgets.SetTableName(tbl::Budgets);
    budgets.SetReadOnly(true);
    budgets.Open();
    for (budgets.First(); !budgets.Eof(); budgets.Next())
        if (NormalBudgetPath(budgets.FieldByName(fld::Path).AsString()) == wanted) return true;
    return false;
}

TNewBudget MakeBudgetFolder(const std::string& dataPath, const std::string& folder,
                            const std::string& name, const std::string& descript) {
    std::error_code error;
    if (!fs::create_directory(folder, error)) return TNewBudget::FolderNotMade;

    const std::string emptyBases = dataPath + "EmptyBases";
    int copied = kShellOk;
    try {
        CheckpointTables(emptyBases);
        copied = ShellCopyFiles(emptyBases + "/*.*", folder + "/", false);
    } catch (const EDatabaseError&) {
        copied = EIO;
    }
    if (copied != kShellOk) {
        ShellDeleteFolder(folder, true, false);
        return TNewBudget::TemplateNotCopied;
    }

    TIniFile description(folder + "/VLBudget.ini");
    description.WriteString("VLBudget", "Name", name);
    description.WriteString("VLBudget", "Descript", descript);
    return TNewBudget::Made;
}
