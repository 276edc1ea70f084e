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
// the archive when one is given (a deletion leaves it as it was).
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
// Unpacks the archive into a staging folder beside the budget's, checks it as an import does
// (against EmptyBases of the data folder), and only then moves the budget's folder into the
// trash and the staging folder into its place. Any failure leaves the budget as it was.
TRequestResult RecoverBudget(const std::string& budget, const std::string& archive);
// Moves the budget's folder into the trash and takes its rows out of the budget list.
TRequestResult DeleteBudget(const std::string& budget);

// Carries out the request pending in the settings (the backups of 21 and 31 into an archive of
// the default name in the backup folder, made first: at the request's first try, reused by its
// retries) and clears Startup once it is done; a failure leaves the request pending. Nothing
// pending: nothing done.
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
