// The restart requests for a budget's backup, recovery and deletion: written by the program's
// dialogs into the settings, carried out by the start-up helper VLStartup at the next start,
// which also makes the daily backups.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Dates.h"
#include "shell/MainState.h"

// The request codes of the setting "Startup".
enum TRestartRequest : int {
    kRequestNone = 0,
    kRequestBackup = 1,           // back up the budget into Startup1
    kRequestRecovery = 20,        // recover the budget from Startup1
    kRequestBackupRecovery = 21,  // back up, then recover
    kRequestDelete = 30,          // delete the budget
    kRequestBackupDelete = 31,    // back up, then delete
};

// The backup dialog's proposal: <backup folder>/<last part of the budget's folder>_
// <yyyymmdd-hhnnss>.vlbackup, the budget's part made fit for a file name.
std::string DefaultBackupName(const std::string& backupPath, const std::string& budget,
                              TDateTime now);

// Records the request for the budget: Startup := code and the budget's folder, and Startup1 :=
// the archive when one is given (a deletion leaves it as it was); StartupId := a new id, by
// which the helper knows the work of this request done.
void WriteRestartRequest(int code, const std::string& budget,
                         const std::optional<std::string>& archive);
// Clears the pending request (Startup := none); the archives it made stay.
void DropRestartRequest();

// Why a piece of the helper's work was not done: the language key of the message of the
// helper's "Startup.lng" and what the system or the archiver said.
struct TRequestFailure {
    std::string Key;
    std::string Detail;
    bool operator==(const TRequestFailure&) const = default;
};
using TRequestResult = std::optional<TRequestFailure>;

// Packs the budget's folder into the archive with [Backup] BackupCommand (the folder of the
// archive made when missing).
TRequestResult BackupBudget(const std::string& budget, const std::string& archive);
// The budget's folder is taken in its normal form (NormalBudgetPath) by each of the three.
// Unpacks the archive into a staging folder <budget>.recovery beside the budget's, checks it as
// an import does (against EmptyBases of the data folder), marks it checked (the file
// <budget>.recovery-checked, holding the request's id), and only then moves the budget's folder
// into the trash and the staging folder into its place; the mark stays until the request is
// cleared. Any failure before the trash leaves the budget as it was. A staging folder left by
// an earlier run is finished or done again: a checked one beside a missing budget folder (a run
// broken off between the two moves) is put in its place; any other is removed and the recovery
// done again. A recovery whose mark holds `requestId` and has put its copy in place is done:
// nothing more happens.
TRequestResult RecoverBudget(const std::string& budget, const std::string& archive,
                             const std::string& requestId);
// Moves the budget's folder into the trash and takes its rows out of the budget list; a
// folder that is gone already leaves only the rows to take out.
TRequestResult DeleteBudget(const std::string& budget);

// Carries out the request pending in the settings (the backups of 21 and 31 into an archive of
// the default name in the backup folder, made first while the budget's folder exists: at the
// request's first try, reused by its retries) and clears Startup once it is done; a failure
// leaves the request pending. A request is carried out at most once: when its work is done but
// the request cannot be cleared (the settings held by another process), the failure is
// "NotCleared", and the next start, finding the work done on disk (the recovery's mark, a
// backup's mark StartupBackupDone in the users-data folder, a deleted budget's folder gone),
// only clears it. Nothing pending: nothing done.
TRequestResult CarryOutRequest(const TMainState& state, TDateTime now);
// On the first start of a day (the setting LastStart before today) with DeilyBackup 1: backs up
// every budget of the budget list whose folder is complete into the backup folder, then keeps
// its BackupCount newest backups (at least the one just made). The failures, in list order.
std::vector<TRequestFailure> DailyBackup(const TMainState& state, TDateTime now);
// Deletes all but the `count` newest backups of the budget's folder name in the backup folder
// (by the date and time in their names); at least one stays.
void KeepNewestBackups(const std::string& backupPath, const std::string& budget, int count);
// Removes what packings killed at the last run left (RemovePartialArchives) in the backup
// folder, the export folder and the folder of the last requested archive (Startup1).
void RemovePartialBackups(const TMainState& state);
