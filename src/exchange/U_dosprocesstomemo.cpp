// Running the user's archiver through QProcess, its output shown in a memo.
#include "exchange/U_dosprocesstomemo.h"

#include <QCoreApplication>
#include <QProcess>

#include "platform/EventLoop.h"

namespace {

constexpr int kChunk = 255;
constexpr int kPollMs = 50;

bool Russian(std::string_view language) { return language == "RU"; }

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

void LetEventsRun(TProcessEvents events) {
    if (events == TProcessEvents::All)
        QCoreApplication::processEvents();
    else
        LetMessagesRun();
}

// Hands what the process has written to the memo, in pieces of at most 255 bytes.
void DrainOutput(QProcess& process, TProcessMemo* memo) {
    while (process.bytesAvailable() > 0) {
        const QByteArray piece = process.read(kChunk);
        if (piece.isEmpty()) break;
        if (memo) memo->Append(std::string_view(piece.constData(), static_cast<size_t>(piece.size())));
    }
}

}  // namespace

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
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setInputChannelMode(QProcess::ManagedInputChannel);
    QStringList arguments;
    for (const std::string& argument : command.Arguments)
        arguments << QString::fromStdString(argument);
    process.start(QString::fromStdString(command.Program), arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        Say(memo, StartErrorText(language) + command.Line());
        Say(memo, process.errorString().toStdString());
        return kProcessNotStarted;
    }
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(kPollMs);
        DrainOutput(process, memo);
        if (stop) {
            process.kill();
            process.waitForFinished(-1);
            Say(memo, StoppedText(language));
            return kProcessStopped;
        }
        LetEventsRun(events);
    }
    DrainOutput(process, memo);
    if (stop) {
        Say(memo, StoppedText(language));
        return kProcessStopped;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return kProcessFailed;
    return kProcessDone;
}
