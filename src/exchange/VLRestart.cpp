// The restart helper VLRestart: the program starts it as it closes for a backup, recovery or
// deletion; it waits until the program has ended (its lock in the users-data folder is free)
// and starts the program again, whose start runs the start-up helper.
#include <QCoreApplication>
#include <QLockFile>
#include <QProcess>

#include "shell/MainState.h"

namespace {

// How long the helper waits for the program to end before it starts it all the same (the new
// copy then says that another one runs).
constexpr int kWaitMs = 120'000;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    TMainState state;
    SetProgramFolders(state);
    {
        QLockFile lock(QString::fromStdString(state.UsersDataPath + kLockFileName));
        lock.setStaleLockTime(0);
        if (lock.tryLock(kWaitMs)) lock.unlock();
    }
    return QProcess::startDetached(QString::fromStdString(state.ProgramPath + "vemly"), {}) ? 0
                                                                                             : 1;
}
