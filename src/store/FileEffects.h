// Files and folders kept in step with a store transaction of the open budget: what a failed
// step created goes on rollback, what a step deletes or replaces goes only after the commit.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Database.h"

// The file effects of one store transaction. A step that creates a file or folder of the budget
// names it here, so that a rollback removes it again; a step that deletes one asks for the
// deletion here instead of deleting it, so that a rollback finds it still in place. The tables
// and the folders then agree whether the transaction commits or fails. A kill skips the removals
// of the rollback and the deletions after the commit alike, so it can only leave what no
// committed row names: an album's or collection's folder of that kind goes at the budget's next
// opening (RemoveUnnamedObjectFolders, store/Utransactions_undo.h).
class TFileEffects {
public:
    TFileEffects() = default;
    TFileEffects(const TFileEffects&) = delete;
    TFileEffects& operator=(const TFileEffects&) = delete;

    // A folder or file that the step has just created (that did not exist before): it is
    // removed, with whatever was put into it, when the transaction rolls back.
    void CreatedFolder(std::string path);
    void CreatedFile(std::string path);
    // A file or folder (with everything in it) to delete once the transaction has committed;
    // nothing happens when it rolls back. A path that does not exist then is no error; one that
    // stays is the main window's fatal error kFolderNotDeleted, and the other deletions go on.
    void DeleteAfterCommit(std::string path);
    // A file to replace with a copy of the file `source` once the transaction has committed,
    // in the order of the deletions: the copy is written beside it and renamed over it, so that
    // the file is never missing nor half written. Nothing happens when it rolls back; a copy
    // that fails leaves the file as it was, unreported.
    void ReplaceAfterCommit(std::string source, std::string path);

    // The transaction has committed: carries out the deletions and replacements in the order
    // asked for.
    void Committed();
    // The transaction has rolled back: removes what was created, the newest first; what
    // cannot be removed stays, unreported (the step that failed has reported already).
    void RolledBack();

private:
    // What waits for the commit: a deletion of Path (no Source), or its replacement by a copy
    // of Source.
    struct TAfterCommit {
        std::string Path;
        std::optional<std::string> Source;
    };
    std::vector<std::string> created_;
    std::vector<TAfterCommit> afterCommit_;
};

// A store transaction on the open budget's tables (TTransactionScope) with its file effects:
// Commit commits the tables and then carries out the deletions; leaving the scope without Commit
// rolls the tables back and then removes what was created. Nested in another store transaction
// its tables are a savepoint of the outer one, so only the outermost one may carry file effects
// that wait for the commit: pass its Files() down to the steps inside.
class TBudgetTransaction {
public:
    // Throws EDatabaseError when the folder's tables file cannot be opened.
    explicit TBudgetTransaction(const std::string& folder);
    ~TBudgetTransaction();
    TBudgetTransaction(const TBudgetTransaction&) = delete;
    TBudgetTransaction& operator=(const TBudgetTransaction&) = delete;

    TFileEffects& Files() { return files_; }
    void Commit();

private:
    std::optional<TTransactionScope> scope_;
    TFileEffects files_;
};
