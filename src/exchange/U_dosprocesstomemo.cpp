// Running the user's archiver through QProcess, its output shown in a memo.
#include "exchange/U_dosprocesstomemo.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <cerrno>

#include "platform/EventLoop.h"

namespace {

constexpr int kChunk = 255;
constexpr int kPollMs = 50;

bool Russian(std::string_view language) {
    return language == "RU";
}

std::string StartErrorText(std::string_view language) {
    return Russian(language) ? "Ошибка запуска процесса " : "Error of start of process ";
}

std::string StoppedText(std::string_view language) {
    return Russian(language) ? "Процесс остановлен пользователем !"
                             : "The process is stopped by the user !";
}

void Say(TProcessMemo* memo, const std::string& line) {
    if (memo) memo->AddLine(line);
}

}  // namespace

void LetEventsRun(TProcessEvents events) {
    if (events == TProcessEvents::All)
        QCoreApplication::processEvents();
    else
        LetMessagesRun();
}

void TTextMemo::AddLine(const std::string& line) {
    if (!Text.empty() && Text.back() != '\n') Text += '\n';
    Text += line;
    Text += '\n';
}

std::string TCommand::Line() const {
    std::string line;
    auto add = [&line](const std::string& word) {
        if (!line.empty()) line += ' ';
        const bool quote = word.empty() || word.find_first_of(" \t\"") != std::string::npos;
        line += quote ? "\"" + word + "\"" : word;
    };
    add(Program);
    for (const std::string& argument : Arguments) add(argument);
    return line;
}

std::optional<TCommand> ExpandCommand(std::string_view commandTemplate,
                                      const std::map<std::string, std::string>& placeholders) {
    const QStringList words = QProcess::splitCommand(
        QString::fromUtf8(commandTemplate.data(), static_cast<qsizetype>(commandTemplate.size())));
    if (words.isEmpty()) return std::nullopt;
    std::vector<std::string> expanded;
    for (const QString& word : words) {
        QString value = word;
        for (const auto& [placeholder, text] : placeholders)
            value.replace(QString::fromStdString(placeholder), QString::fromStdString(text));
        expanded.push_back(value.toStdString());
    }
    if (expanded.front().empty()) return std::nullopt;
    TCommand command{expanded.front(), {expanded.begin() + 1, expanded.end()}};
    return command;
}

int RunProcessToMemo(const TCommand& command, TProcessMemo* memo, const bool& stop,
                     std::string_view language, TProcessEvents events) {
    // One pipe for the output and the errors of the process and of every process it starts:
    // its end (every writer gone) is the end of the run, as an archiver's compressor may
    // outlive it.
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return kProcessNoPipe;
    const int readEnd = pipe[0], writeEnd = pipe[1];
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // In the child: the pipe becomes its output and errors, and it leads a process group of its
    // own, so that a stop ends everything it started.
    process.setChildProcessModifier([writeEnd] {
        ::dup2(writeEnd, STDOUT_FILENO);
        ::dup2(writeEnd, STDERR_FILENO);
        ::setpgid(0, 0);
    });
    QStringList arguments;
    for (const std::string& argument : command.Arguments)
        arguments << QString::fromStdString(argument);
    process.start(QString::fromStdString(command.Program), arguments);
    const bool started = process.waitForStarted(-1);
    ::close(writeEnd);
    if (!started) {
        ::close(readEnd);
        Say(memo, StartErrorText(language) + command.Line());
        Say(memo, process.errorString().toStdString());
        return kProcessNotStarted;
    }
    const pid_t group = static_cast<pid_t>(process.processId());
    char buffer[kChunk];
    for (;;) {
        pollfd wait{readEnd, POLLIN, 0};
        if (::poll(&wait, 1, kPollMs) > 0) {
            const ssize_t count = ::read(readEnd, buffer, sizeof buffer);
            if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) break;
            if (count > 0 && memo)
                memo->Append(std::string_view(buffer, static_cast<size_t>(count)));
        }
        if (stop) {
            ::kill(-group, SIGKILL);
            process.kill();
            process.waitForFinished(-1);
            ::close(readEnd);
            Say(memo, StoppedText(language));
            return kProcessStopped;
        }
        LetEventsRun(events);
    }
    ::close(readEnd);
    process.waitForFinished(-1);
    if (stop) {
        Say(memo, StoppedText(language));
        return kProcessStopped;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return kProcessFailed;
    return kProcessDone;
}
