// The start-up helper VLStartup: the program runs it before it starts when a backup, recovery
// or deletion is pending or the day's first start is due. It makes the daily backups, carries
// out the pending request, and says in one message box what it could not do.
#include <QApplication>
#include <exception>

#include "exchange/HelperServices.h"
#include "exchange/RestartRequests.h"
#include "exchange/Uimportexport.h"
#include "shell/MessageDlg.h"
#include "shell/Ulanguage.h"

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
    {"NoBackupCommand", "No archiver is set: [Backup] BackupCommand in vemly.ini is empty."},
    {"NoArchiveName", "No archive file was named for the backup of the budget:"},
    {"NoBudgetFolder", "The budget's folder does not exist:"},
    {"UnknownRequest", "The pending request is unknown:"},
    {"Failed", "The work stopped with an error:"},
    {"Pending", "The budget was left as it was; the request is tried again at the next start."},
};

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

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    THelperServices services;
    const TLangFile texts(services.state.LangPath + "Startup.lng");
    std::vector<TRequestFailure> failures;
    bool pending = false;
    try {
        failures = DailyBackup(services.state, Now());
        if (TRequestResult failure = CarryOutRequest(services.state, Now())) {
            failures.push_back(*failure);
            pending = true;
        }
    } catch (const std::exception& error) {
        failures.push_back({"Failed", error.what()});
        pending = true;
    }
    if (failures.empty()) return 0;
    std::string message = Text(texts, "Header");
    for (const TRequestFailure& failure : failures) {
        message += "\n\n" + Text(texts, failure.Key);
        if (!failure.Detail.empty()) message += "\n" + failure.Detail;
    }
    if (pending) message += "\n\n" + Text(texts, "Pending");
    MessageDlg(message, TMsgDlgType::mtError, mbOK, nullptr);
    return 1;
}
