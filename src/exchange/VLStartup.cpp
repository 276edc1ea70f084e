// The start-up helper VLStartup: the program runs it before it starts when a backup, recovery
// or deletion is pending or the day's first start is due. It makes the daily backups, carries
// out the pending request, and says in one message box what it could not do. It does nothing
// while another copy of the program runs.
#include <QApplication>
#include <QLockFile>
#include <cstdio>
#include <memory>

#include "exchange/HelperServices.h"
#include "exchange/StartupHelper.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    THelperServices services;
    std::unique_ptr<QLockFile> lock;
    if (!MayRunStartupWork(services.state.UsersDataPath, lock)) {
        std::fprintf(stderr, "VLStartup: another copy of Vemly runs (%s%s); nothing was done.\n",
                     services.state.UsersDataPath.c_str(), kLockFileName);
        return 2;
    }
    return RunStartupWork(services.state, Now());
}
