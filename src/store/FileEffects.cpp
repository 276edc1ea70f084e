// Files and folders kept in step with a store transaction of the open budget: what a failed
// step created goes on rollback, what a step deletes goes only after the commit.
#include "store/FileEffects.h"

#include <filesystem>
#include <utility>

#include "shell/ShellServices.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

// Deletes a file, or a folder with everything in it, when there is one; one that stays is the
// main window's fatal error.
void DeleteNow(const std::string& path) {
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    if (error || type == fs::file_type::directory || type == fs::file_type::not_found) {
        DeleteBudgetFolder(path);
        return;
    }
    fs::remove(path, error);
    if (error) ShellServices().FatalError(kFolderNotDeleted, error);
}

}  // namespace

void TFileEffects::CreatedFolder(std::string path) {
    created_.push_back(std::move(path));
}

void TFileEffects::CreatedFile(std::string path) {
    created_.push_back(std::move(path));
}

void TFileEffects::DeleteAfterCommit(std::string path) {
    toDelete_.push_back(std::move(path));
}

void TFileEffects::Committed() {
    created_.clear();
    std::vector<std::string> paths = std::move(toDelete_);
    toDelete_.clear();
    for (const std::string& path : paths) DeleteNow(path);
}

void TFileEffects::RolledBack() {
    toDelete_.clear();
    for (auto path = created_.rbegin(); path != created_.rend(); ++path) {
        std::error_code error;
        fs::remove_all(*path, error);
    }
    created_.clear();
}

TBudgetTransaction::TBudgetTransaction(const std::string& folder) : scope_(std::in_place, folder) {}

TBudgetTransaction::~TBudgetTransaction() {
    if (!scope_) return;
    scope_.reset();  // rolls the tables back
    files_.RolledBack();
}

void TBudgetTransaction::Commit() {
    scope_->Commit();
    scope_.reset();
    files_.Committed();
}
