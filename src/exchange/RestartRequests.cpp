// The restart requests for a budget's backup, recovery and deletion, and their carrying out by
// the start-up helper with the daily backups.
#include "exchange/RestartRequests.h"

#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "exchange/Uimportexport.h"
#include "platform/Database.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"
#include "shell/BudgetList.h"
#include "shell/ShellServices.h"
#include "store/U_fileoperation.h"
#include "store/Usettings.h"
#include "tree/BudgetFolder.h"

namespace fs = std::filesystem;

namespace {

// The last part of a budget's folder, a trailing "/" not counting.
std::string FolderName(const std::string& budget) {
    fs::path path(budget);
    if (!path.has_filename()) path = path.parent_path();
    return FileNameOf(path.filename().string());
}

TRequestFailure Failure(const char* key, std::string detail) {
    return {key, std::move(detail)};
}

// The setting that names the safety backup the pending request made.
constexpr char kSafetyBackupKey[] = "StartupBackup";
// The setting that tells one request from every other: a new id for each request written.
constexpr char kRequestIdKey[] = "StartupId";

// The marks by which a start knows the work of the pending request done when an earlier start
// did it but could not clear the request (the settings locked by another process): small files
// that hold the request's id.
std::optional<std::string> ReadMark(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string id;
    std::getline(in, id);
    return id;
}

// The system's error when the mark could not be written whole.
std::error_code WriteMark(const fs::path& path, const std::string& id) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << id << "\n";
    out.close();
    if (out) return {};
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

// A backup request's mark, in the users-data folder, written once its archive is made.
fs::path BackupMark() {
    return fs::path(ShellServices().UsersDataPath()) / "StartupBackupDone";
}

// The recovery unpacks and checks the archive in a staging folder beside the budget's; once the
// checks have passed, the mark beside them says so. While the staging folder exists the mark
// says "this copy is checked"; once it has been renamed into the budget's place, the mark left
// alone says "this request's recovery is done". Every step that removes the staging folder
// otherwise removes the mark first.
fs::path StagingFolder(const fs::path& folder) {
    return folder.parent_path() / (folder.filename().string() + ".recovery");
}
fs::path RecoveryMark(const fs::path& folder) {
    return folder.parent_path() / (folder.filename().string() + ".recovery-checked");
}

bool RecoveryDone(const fs::path& folder, const std::string& id) {
    std::error_code error;
    return ReadMark(RecoveryMark(folder)) == id && !fs::exists(StagingFolder(folder), error) &&
           fs::is_directory(folder, error);
}

// Takes away a staging folder and its mark, the mark first.
void RemoveStaging(const fs::path& folder) {
    std::error_code error;
    fs::remove(RecoveryMark(folder), error);
    fs::remove_all(StagingFolder(folder), error);
}

// The last step of a recovery: the checked copy into the place of the budget's folder, which
// is in the trash. A failure leaves the copy and its mark for the next start to finish.
TRequestResult PutRecoveredInPlace(const fs::path& folder) {
    std::error_code error;
    fs::rename(StagingFolder(folder), folder, error);
    if (error)
        return Failure("RecoveryUnfinished",
                       StagingFolder(folder).string() + ": " + error.message());
    return std::nullopt;
}

// Moves the budget's folder into the trash; why it could not, as a failure. EIO is the trash
// that did not take the folder (none could be made for the account, or it refused the move).
TRequestResult TrashBudgetFolder(const std::string& folder) {
    const int result = ShellDeleteFolder(folder, true, true);
    if (result == kShellOk) return std::nullopt;
    if (result == EIO) return Failure("TrashUnusable", folder);
    return Failure("DeleteFailed", folder + ": " +
                                       (result > 0 ? std::generic_category().message(result)
                                                   : "code " + std::to_string(result)));
}

// The budget list's rows, in its order.
std::vector<std::string> ListedBudgets(const std::string& usersDataPath) {
    TTable budgets;
    budgets.SetDatabaseName(usersDataPath);
    budgets.SetTableName(tbl::Budgets);
    budgets.SetReadOnly(true);
    budgets.Open();
    std::vector<std::string> folders;
    for (budgets.First(); !budgets.Eof(); budgets.Next())
        folders.push_back(NormalBudgetPath(budgets.FieldByName(fld::Path).AsString()));
    return folders;
}

// The backup that a request backs up first: made at its first try, and reused by every retry
// while it exists, so that a request failing at every start does not add a backup each time
// (with a small BackupCount, those would rotate the older good backups out). A retry loses
// nothing by it: what changed since then goes to the trash with the replaced folder.
TRequestResult MakeSafetyBackup(const TMainState& state, const std::string& budget, TDateTime now) {
    const std::string made = GetSettingStr(kSafetyBackupKey, "");
    std::error_code error;
    if (!made.empty() && fs::is_regular_file(made, error)) return std::nullopt;
    const std::string archive = DefaultBackupName(state.BackupPath, budget, now);
    TRequestResult result = BackupBudget(budget, archive);
    if (!result) SetSettingStr(kSafetyBackupKey, archive);
    return result;
}

// The work of the request, unless an earlier start did it and could not clear the request. The
// safety backup of 21 and 31 is made of a budget folder that exists: a recovery that the last
// start broke off between its renames, or a deletion whose folder is already in the trash, has
// none left to back up, and finishes.
TRequestResult DoRequestWork(const TMainState& state, int code, const std::string& budget,
                             const std::string& archive, const std::string& id, TDateTime now) {
    const bool recovery = code == kRequestRecovery || code == kRequestBackupRecovery;
    if (code == kRequestBackup ? ReadMark(BackupMark()) == id
                               : recovery && RecoveryDone(budget, id))
        return std::nullopt;
    std::error_code error;
    if ((code == kRequestBackupRecovery || code == kRequestBackupDelete) &&
        fs::is_directory(budget, error))
        if (TRequestResult failure = MakeSafetyBackup(state, budget, now)) return failure;
    switch (code) {
        case kRequestBackup: {
            TRequestResult result = BackupBudget(budget, archive);
            // Without the mark (the users-data folder not writable) a start that cannot clear
            // the request makes the backup again at the next, of the budget as it is then.
            if (!result) (void)WriteMark(BackupMark(), id);
            return result;
        }
        case kRequestRecovery:
        case kRequestBackupRecovery:
            return RecoverBudget(budget, archive, id);
        case kRequestDelete:
        case kRequestBackupDelete:
            return DeleteBudget(budget);
        default:
            return Failure("UnknownRequest", std::to_string(code));
    }
}

}  // namespace

std::string DefaultBackupName(const std::string& backupPath, const std::string& budget,
                              TDateTime now) {
    const auto [year, month, day] = DecodeDate(now);
    // Whole seconds of the day; the small addition keeps a second that the day's fraction
    // cannot hold exactly from reading as the one before.
    const long seconds =
        std::min(86399L, static_cast<long>(std::floor((now - std::floor(now)) * 86400.0 + 1e-4)));
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02ld%02ld%02ld", year, month, day,
                  seconds / 3600, seconds / 60 % 60, seconds % 60);
    return backupPath + "/" + FolderName(budget) + "_" + stamp + ".vlbackup";
}

void WriteRestartRequest(int code, const std::string& budget,
                         const std::optional<std::string>& archive) {
    SetSettingStr(kRequestIdKey, QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString());
    SetSettingInt("Startup", code);
    SetSettingStr("Startup", budget);
    if (archive) SetSettingStr("Startup1", *archive);
    // A new request makes its own safety backup.
    SetSettingStr(kSafetyBackupKey, "");
}

void DropRestartRequest() {
    SetSettingInt("Startup", kRequestNone);
    SetSettingStr(kSafetyBackupKey, "");
}

TRequestResult BackupBudget(const std::string& budget, const std::string& archive) {
    if (archive.empty()) return Failure("NoArchiveName", budget);
    if (!fs::is_directory(budget)) return Failure("NoBudgetFolder", budget);
    std::error_code error;
    if (!ForceFolderPath(fs::path(archive).parent_path().string(), &error))
        return Failure("BackupFailed", archive + ": " + error.message());
    const bool stop = false;
    TTextMemo log;
    switch (PackFolder(budget + "/", archive, &log, stop)) {
        case TPackResult::Done:
            return std::nullopt;
        case TPackResult::NoCommand:
            return Failure("NoBackupCommand", "");
        default:
            return Failure("BackupFailed", archive + "\n" + log.Text);
    }
}

TRequestResult RecoverBudget(const std::string& budget, const std::string& archive,
                             const std::string& requestId) {
    // One normal form, so that the staging folder lies beside the budget's folder however the
    // request spells it (a trailing "/" included), never inside it.
    const fs::path folder = NormalBudgetPath(budget);
    if (!folder.has_filename()) return Failure("NoBudgetFolder", budget);
    const fs::path staging = StagingFolder(folder);
    std::error_code error;
    if (RecoveryDone(folder, requestId)) return std::nullopt;
    // A run that ended between its two renames left the old folder in the trash and the checked
    // copy beside it: the copy goes into place.
    if (!fs::exists(folder, error) && fs::is_directory(staging, error) &&
        ReadMark(RecoveryMark(folder)))
        return PutRecoveredInPlace(folder);
    if (!fs::is_directory(folder)) return Failure("NoBudgetFolder", budget);
    // Whatever an earlier run left beside the budget (a copy not checked, or beside the budget
    // it was to replace) goes, and the recovery is done again.
    RemoveStaging(folder);
    if (!fs::create_directories(staging, error))
        return Failure("RecoveryFailed", staging.string() + ": " + error.message());
    const TArchiveCheck check =
        UnpackArchive(archive, staging.string() + "/",
                      ShellServices().State().DataPath + "EmptyBases", TProcessEvents::PaintOnly);
    if (!check) {
        RemoveStaging(folder);
        return Failure(ArchiveProblemText(check.Problem).Key, check.Detail);
    }
    if (const std::error_code failed = WriteMark(RecoveryMark(folder), requestId)) {
        RemoveStaging(folder);
        return Failure("RecoveryFailed", RecoveryMark(folder).string() + ": " + failed.message());
    }
    if (TRequestResult failure = TrashBudgetFolder(folder.string())) {
        RemoveStaging(folder);
        return failure;
    }
    return PutRecoveredInPlace(folder);
}

TRequestResult DeleteBudget(const std::string& budget) {
    const std::string folder = NormalBudgetPath(budget);
    if (fs::exists(folder))
        if (TRequestResult failure = TrashBudgetFolder(folder)) return failure;
    // A list that cannot be changed now (another process holds the users-data tables) is
    // changed at the next start, which finds the folder gone and only takes the rows out.
    try {
        TTable budgets;
        budgets.SetDatabaseName(ShellServices().UsersDataPath());
        budgets.SetTableName(tbl::Budgets);
        budgets.Open();
        budgets.First();
        while (!budgets.Eof()) {
            if (NormalBudgetPath(budgets.FieldByName(fld::Path).AsString()) == folder)
                budgets.Delete();
            else
                budgets.Next();
        }
    } catch (const EDatabaseError& error) {
        return Failure("ListNotChanged", folder + "\n" + error.what());
    }
    return std::nullopt;
}

TRequestResult CarryOutRequest(const TMainState& state, TDateTime now) {
    const int code = GetSettingInt("Startup", kRequestNone);
    if (code == kRequestNone) return std::nullopt;
    const std::string budget = NormalBudgetPath(GetSettingStr("Startup", ""));
    const std::string archive = GetSettingStr("Startup1", "");
    const std::string id = GetSettingStr(kRequestIdKey, "");
    if (TRequestResult failure = DoRequestWork(state, code, budget, archive, id, now))
        return failure;
    try {
        DropRestartRequest();
    } catch (const EDatabaseError& error) {
        return Failure("NotCleared", error.what());
    }
    // Cleared: the marks of its work have served.
    std::error_code error;
    fs::remove(BackupMark(), error);
    fs::remove(RecoveryMark(budget), error);
    return std::nullopt;
}

std::vector<TRequestFailure> DailyBackup(const TMainState& state, TDateTime now) {
    std::vector<TRequestFailure> failures;
    const bool firstStartOfDay = std::floor(GetSettingDate("LastStart", 0)) < std::floor(now);
    if (!firstStartOfDay || GetSettingInt("DeilyBackup", 1) != 1) return failures;
    const int count = GetSettingInt("BackupCount", 370);
    for (const std::string& budget : ListedBudgets(state.UsersDataPath)) {
        if (!IsBudgetComplete(state.DataPath, budget)) continue;
        if (TRequestResult failure =
                BackupBudget(budget, DefaultBackupName(state.BackupPath, budget, now)))
            failures.push_back(*failure);
        else
            KeepNewestBackups(state.BackupPath, budget, count);
    }
    return failures;
}

void KeepNewestBackups(const std::string& backupPath, const std::string& budget, int count) {
    const std::string prefix = FolderName(budget) + "_";
    // "<name>_yyyymmdd-hhnnss.vlbackup": the stamp sorts as the time does.
    constexpr size_t kStampAndExtension = 15 + 9;
    std::vector<fs::path> backups;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(backupPath, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + kStampAndExtension && name.starts_with(prefix) &&
            name.ends_with(".vlbackup") && entry.is_regular_file(error))
            backups.push_back(entry.path());
    }
    std::sort(backups.begin(), backups.end());
    const size_t keep = static_cast<size_t>(std::max(count, 1));
    for (size_t i = 0; i + keep < backups.size(); ++i) fs::remove(backups[i], error);
}

void RemovePartialBackups(const TMainState& state) {
    RemovePartialArchives(state.BackupPath);
    RemovePartialArchives(state.ExportPath);
    const std::string requested = GetSettingStr("Startup1", "");
    if (!requested.empty()) RemovePartialArchives(fs::path(requested).parent_path().string());
}
