// The work of the start-up helper VLStartup.
#include "exchange/StartupHelper.h"

#include <unistd.h>

#include <QLockFile>
#include <algorithm>
#include <exception>
#include <vector>

#include "exchange/RestartRequests.h"
#include "exchange/Uimportexport.h"
#include "shell/MessageDlg.h"
#include "shell/Ulanguage.h"
#include "store/Usettings.h"

namespace {

// The texts of "Startup.lng" [Startup] where the language file has none.
struct TDefault {
    const char* Key;
    const char* Text;
};
constexpr TDefault kDefaults[] = {
    {"Header", "Vemly could not do everything it was asked to at this start."},
    {"BackupFailed", "The budget could not be backed up:"},
    {"RecoveryFailed", "The budget could not be recovered:"},
    {"DeleteFailed", "The budget's folder could not be moved to the trash:"},
    {"TrashUnusable",
     "The budget's folder could not be moved to the trash: the trash cannot be used (no trash "
     "folder could be made for this account, or it did not take the folder). The folder:"},
    {"NoBackupCommand", "No archiver is set: [Backup] BackupCommand in vemly.ini is empty."},
    {"NoArchiveName", "No archive file was named for the backup of the budget:"},
    {"NoBudgetFolder", "The budget's folder does not exist:"},
    {"UnknownRequest", "The pending request is unknown:"},
    {"Failed", "The work stopped with an error:"},
    {"NotCleared",
     "The work asked for was done, but the request could not be cleared from the settings. The "
     "next start clears it without doing the work again. What the settings said:"},
    {"RecoveryUnfinished",
     "The budget's old folder is in the trash, but the recovered copy could not be put in its "
     "place. The next start puts it there. The copy:"},
    {"ListNotChanged",
     "The budget's folder was moved to the trash, but the budget could not be taken out of the "
     "budget list. The next start takes it out. The budget:"},
    {"NotDropped", "The request could not be dropped; it stays pending:"},
    {"DropRequest",
     "The budget was left as it was. Drop the request? Yes drops it; No keeps it, to be tried "
     "again at the next start."},
};

// The failures after which the budget is no longer as it was: the request stays, so that the
// next start finishes what was begun, and it is not offered to be dropped.
bool LeavesWorkToFinish(const TRequestFailure& failure) {
    return failure.Key == "NotCleared" || failure.Key == "RecoveryUnfinished" ||
           failure.Key == "ListNotChanged";
}

// Whether a request is still pending; false when the settings cannot be read.
bool RequestPending() {
    try {
        return GetSettingInt("Startup", kRequestNone) != kRequestNone;
    } catch (const std::exception&) {
        return false;
    }
}

std::string Text(const TLangFile& texts, const std::string& key) {
    for (const TDefault& entry : kDefaults)
        if (key == entry.Key) return texts.Read("Startup", key, entry.Text);
    // The refusals of an archive, named as the import names them.
    for (int p = 1; p <= static_cast<int>(TArchiveProblem::Outside); ++p) {
        const TProblemText refusal = ArchiveProblemText(static_cast<TArchiveProblem>(p));
        if (key == refusal.Key) return texts.Read("Startup", key, refusal.Text);
    }
    return key;
}

}  // namespace

bool MayRunStartupWork(const std::string& usersDataPath, std::unique_ptr<QLockFile>& own) {
    auto lock = MakeCopyLock(usersDataPath);
    if (lock->tryLock(0)) {
        own = std::move(lock);
        return true;
    }
    qint64 holder = 0;
    QString host, application;
    return lock->error() == QLockFile::LockFailedError &&
           lock->getLockInfo(&holder, &host, &application) && holder == getppid();
}

int RunStartupWork(const TMainState& state, TDateTime now) {
    const TLangFile texts(state.LangPath + "Startup.lng");
    std::vector<TRequestFailure> failures;
    try {
        RemovePartialBackups(state);
        failures = DailyBackup(state, now);
        if (TRequestResult failure = CarryOutRequest(state, now)) failures.push_back(*failure);
    } catch (const std::exception& error) {
        failures.push_back({"Failed", error.what()});
    }
    if (failures.empty()) return 0;
    std::string message = Text(texts, "Header");
    for (const TRequestFailure& failure : failures) {
        message += "\n\n" + Text(texts, failure.Key);
        if (!failure.Detail.empty()) message += "\n" + failure.Detail;
    }
    if (!RequestPending() || std::any_of(failures.begin(), failures.end(), LeavesWorkToFinish)) {
        MessageDlg(message, TMsgDlgType::mtError, mbOK, nullptr);
        return 1;
    }
    // Closing the box keeps the request: only Yes changes anything.
    message += "\n\n" + Text(texts, "DropRequest");
    if (MessageDlg(message, TMsgDlgType::mtError, mbYes | mbNo, nullptr) != mrYes) return 1;
    try {
        DropRestartRequest();
    } catch (const std::exception& error) {
        MessageDlg(Text(texts, "NotDropped") + "\n" + error.what(), TMsgDlgType::mtError, mbOK,
                   nullptr);
    }
    return 1;
}
