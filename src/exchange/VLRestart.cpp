// The restart helper VLRestart: the program starts it as it closes for a backup, recovery or
// deletion, with its process number as the one argument. The helper waits until that process
// has ended and the program's lock in the users-data folder is free (or left by a copy that no
// longer runs), and only then starts the program again, whose start runs the start-up helper.
// When the program has not ended within the time limit, it says so and starts nothing.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QThread>

#include "exchange/HelperServices.h"
#include "shell/MessageDlg.h"
#include "shell/Ulanguage.h"

namespace {

constexpr int kWaitMs = 120'000;

// True while the process runs: it has an entry in /proc that is not a zombie's.
bool ProcessRuns(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    // "<pid> (<name>) <state> ...": the name may hold blanks and brackets.
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    if (end < 0 || end + 2 >= line.size()) return false;
    const char state = line[end + 2];
    return state != 'Z' && state != 'X';
}

// Waits until the process has ended; false when the deadline passed first.
bool WaitForProcess(qint64 pid, const QElapsedTimer& clock) {
    while (ProcessRuns(pid)) {
        if (clock.elapsed() >= kWaitMs) return false;
        QThread::msleep(50);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    THelperServices services;
    const TMainState& state = services.state;
    QElapsedTimer clock;
    clock.start();
    bool ended = true;
    if (argc > 1) {
        bool number = false;
        const qint64 pid = QString::fromLocal8Bit(argv[1]).toLongLong(&number);
        ended = number && pid > 0 && WaitForProcess(pid, clock);
    }
    if (ended) {
        const auto lock = MakeCopyLock(state.UsersDataPath);
        const int rest = static_cast<int>(std::max<qint64>(0, kWaitMs - clock.elapsed()));
        ended = lock->tryLock(rest);
    }
    if (!ended) {
        const TLangFile texts(state.LangPath + "Startup.lng");
        MessageDlg(texts.Read("Restart", "NotEnded",
                              "Vemly did not end within two minutes, so it was not started "
                              "again. Start it yourself once it has ended; the pending work is "
                              "done at that start."),
                   TMsgDlgType::mtError, mbOK, nullptr);
        return 1;
    }
    return QProcess::startDetached(QString::fromStdString(state.ProgramPath + "vemly"), {}) ? 0 : 1;
}
