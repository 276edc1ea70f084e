// Running the user's archiver: one command as an argument vector, its merged output shown in a
// memo while it runs, a stop on the caller's request, and a code that says how it ended.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How a run ended.
enum TProcessResult : int {
    kProcessDone = 0,        // ran to its end with exit code 0
    kProcessNoPipe = 1,      // the output channel could not be made; nothing was started
    kProcessNotStarted = 2,  // the program could not be started (missing, no access, empty)
    kProcessStopped = 3,     // ended by the caller's stop flag
    kProcessFailed = 4,      // ended by itself with a non-zero exit code, or crashed
};

// One command: the program and its arguments, passed to it as they are (no shell).
struct TCommand {
    std::string Program;
    std::vector<std::string> Arguments;
    // The command as one line for messages: the words joined by blanks, each word holding a
    // blank or a quote shown in double quotes.
    std::string Line() const;
};

// Makes a command of a command-line template of vemly.ini: the template is split into words
// once (blanks separate, double quotes group, a tripled quote is a quote), then every
// placeholder is replaced inside each word by its value, so that a value with blanks, quotes,
// "$" or ";" stays one argument and is never read by a shell. Nothing for a template without a
// program.
std::optional<TCommand> ExpandCommand(std::string_view commandTemplate,
                                      const std::map<std::string, std::string>& placeholders);

// Where the output is shown: the pieces as they arrive, and the runner's messages as lines of
// their own.
class TProcessMemo {
public:
    virtual ~TProcessMemo() = default;
    virtual void Append(std::string_view text) = 0;
    virtual void AddLine(const std::string& line) = 0;
};

// A memo that keeps its text (the helper programs' log, tests).
class TTextMemo : public TProcessMemo {
public:
    void Append(std::string_view text) override { Text += text; }
    // Starts a new line unless the text is empty or ends one, then adds the line and a break.
    void AddLine(const std::string& line) override;
    std::string Text;
};

// What the runner lets run between two reads: the whole message loop (a dialog whose Stop
// button sets the flag), or only paint and timer events (inside the journal, where no user
// action may start).
enum class TProcessEvents { All, PaintOnly };
// Lets the message loop run so far as `events` allows.
void LetEventsRun(TProcessEvents events);

// Runs the command with its standard output and error merged into one pipe, appending each
// piece of output (at most 255 bytes) to the memo when one is given (null: none), and returns
// when the output has ended (the process and every process it started that holds the pipe).
// While it runs it checks `stop` after each piece and at least every 50 ms; once set, the
// process and every process it started are killed, the memo gets "The process is stopped by the
// user !" and the result is kProcessStopped. A program that cannot be started gives
// kProcessNotStarted, and the memo gets "Error of start of process " with the command line, then
// the system's reason. `language` "RU" (exactly) gives the Russian texts.
int RunProcessToMemo(const TCommand& command, TProcessMemo* memo, const bool& stop,
                     std::string_view language, TProcessEvents events = TProcessEvents::All);
