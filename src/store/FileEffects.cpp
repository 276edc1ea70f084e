// Files and folders kept in step with a store transaction of the open budget: what a failed
// step created goes on rollback, what a step deletes or replaces goes only after the commit.
#include "store/FileEffects.h"

#include <unistd.h>

#include <cstdlib>
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

// Replaces the file with a copy of the source: the copy goes into a new file beside it, which
// is then renamed over it. A failure leaves the file as it was and no copy behind.
void ReplaceNow(const std::string& source, const std::string& path) {
    const fs::path target(path);
    std::string temp =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int file = mkstemp(temp.data());
    if (file < 0) return;
    close(file);
    std::error_code error;
    fs::copy_file(source, temp, fs::copy_options::overwrite_existing, error);
    if (!error) fs::rename(temp, target, error);
    if (error) fs::remove(temp, error);
}

}  // namespace

void TFileEffects::CreatedFolder(std::string path) {
    created_.push_back(std::move(path));
}

void TFileEffects::CreatedFile(std::string path) {
    created_.push_back(std::move(path));
}

void TFileEffects::DeleteAfterCommit(std::string path) {
    afterCommit_.push_back({std::move(path), std::nullopt});
}

void TFileEffects::ReplaceAfterCommit(std::string source, std::string path) {
    afterCommit_.push_back({std::move(path), std::move(source)});
}

void TFileEffects::Committed() {
    created_.clear();
    std::vector<TAfterCommit> effects = std::move(afterCommit_);
    afterCommit_.clear();
    for (const TAfterCommit& effect : effects) {
        if (effect.Source)
            ReplaceNow(*effect.Source, effect.Path);
        else
            DeleteNow(effect.Path);
    }
}

void TFileEffects::RolledBack() {
    afterCommit_.clear();
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
