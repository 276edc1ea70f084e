// The main window's services that code without a window calls; tests put a fake in their place.
#pragma once

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/Dates.h"
#include "shell/MainState.h"
#include "shell/ObjectIndex.h"

// The codes of TShellServices::FatalError.
constexpr int kFolderNotCreated = -2;
constexpr int kFolderNotDeleted = -3;

// The busy texts of the main window (TMainState::MesPrepare, MesLoad, MesProcessing).
enum class TBusyKind { Prepare, Load, Processing };

// What the store, the journal, the engines and the dialogs ask of the main window: its state
// and object index to read, and its actions. TfMain implements it and installs itself with
// SetShellServices when it is created; a test installs a fake.
class TShellServices {
public:
    virtual ~TShellServices() = default;

    // --- State and object index ------------------------------------------------------------

    // The main window's state: folders, the open budget, the selection, flags, reload marks.
    virtual const TMainState& State() const = 0;
    // The budgets and objects of the tree with their lookups.
    virtual const TObjectIndex& Index() const = 0;
    // The content frame reloads at its next show (its mark's ID becomes -1): for the appliers
    // and the recalculation that change an object's stored content behind its frame.
    virtual void ResetShownMark(TShownMark mark) = 0;

    // The users-data folder: it holds the budget list and the settings.
    std::string UsersDataPath() const { return State().UsersDataPath; }
    // The open budget's folder: its tables, "Images", "Files" and "jTrFiles".
    std::string BudgetPath() const { return State().BudgetPath; }
    // The language folder, ending with "/": the ".lng" files.
    std::string LangPath() const { return State().LangPath; }
    // The open budget's name.
    std::string BudgetName() const { return State().BudgetName; }
    // True once the main window is marked fatal: the program is ending.
    bool FatalClose() const { return State().FatalClose; }

    // --- Ending the program ----------------------------------------------------------------

    // Shows the text in an error box with an OK button only, marks the main window fatal and
    // closes it without the close dialog; returns to the caller, and the program ends once
    // control is back in the message loop. The journal's fatal reports come here.
    virtual void CloseFatally(const std::string& text) = 0;
    // The main window's own fatal report of a folder that could not be created
    // (kFolderNotCreated) or deleted (kFolderNotDeleted): "Fatal error ! Unable to create
    // directory." or "... delete directory." ("Fatal error !" for another code), a line break
    // and the system's text of the error the caller got; it ends the program as CloseFatally
    // does and returns to the caller.
    virtual void FatalError(int code, std::error_code error) = 0;
    // The same for a caller that kept no error of its own: the text of the calling thread's
    // last error (errno), read now.
    void FatalError(int code) { FatalError(code, std::error_code(errno, std::generic_category())); }
    // The main window's ordinary closing, through its close dialog.
    virtual void Close() = 0;

    // --- Temp folder -----------------------------------------------------------------------

    // Empties the temp folder (ClearTempFolder of MainState.h); 0 or the deletion's error.
    virtual int ClearTempFolder() = 0;

    // --- Tree and selection ----------------------------------------------------------------

    // Stores the selected node's index and every node's expanded state (before a rebuild and
    // at the close).
    virtual void SaveTreeState() = 0;
    // Builds the index and the tree again from the tables; leaves nothing selected.
    virtual void RebuildTree() = 0;
    // Selects and focuses the node by the index's lookup rule (a root or folder is also
    // expanded); 1, or 0 when there is none and the selection stays.
    virtual int SelectObject(int id, const std::string& folder) = 0;
    // Selects and focuses the root of the budget in that folder; 1, or 0 when there is none.
    virtual int SelectBudget(const std::string& folder) = 0;

    // --- The open budget -------------------------------------------------------------------

    // Switch the open budget to running or stopped: its budget list row, BudgetState and its
    // root's icon. StopBudget is also called after an algorithm error was shown.
    virtual void StartBudget() = 0;
    virtual void StopBudget() = 0;

    // --- Calendar and recalculation of the open budget ------------------------------------

    // Rebuilds the calendar so that from the day `from` on it holds exactly the entries of the
    // days from to to (RebuildCalendarEntries of src/pays/Uscheduler.h), showing the small
    // rebuild window meanwhile; returns when it is done.
    virtual void RebuildCalendar(TDateTime from, TDateTime to) = 0;
    // The automatic recalculation (RunAutomaticRecalc of src/pays/Uscheduler.h) in its small
    // window, which closes itself: from the date, or from the beginning of the budget's data,
    // to LatestPayEventDate. Afterwards the number and pay frames reload at their next show
    // and a pay frame on show is loaded again. Returns when it is done.
    virtual void RunAutoRecalc(bool fromBeginning, TDateTime date) = 0;

    // --- Busy messages and help ------------------------------------------------------------

    // Shows the busy window with the busy text of that kind while the caller works, and hides
    // it again; each show is paired with a hide (TBusyMessage below pairs them for a scope).
    // Both let pending paint and timer events run once, never user input.
    virtual void ShowBusyMessage(TBusyKind kind) = 0;
    virtual void HideBusyMessage() = 0;
    // Shows the help file at the topic (0: at its start) over the main window.
    virtual void ShowHelp(int topic) = 0;
};

namespace shell_services_detail {
inline TShellServices* installed = nullptr;
}

// Installs the services in use (null removes them); the caller keeps them alive meanwhile.
inline void SetShellServices(TShellServices* services) {
    shell_services_detail::installed = services;
}

// Whether services are installed (a data module prepared without them, as in some tests,
// takes nothing from them).
inline bool ShellServicesInstalled() {
    return shell_services_detail::installed != nullptr;
}

// The services in use; throws std::logic_error when none are installed.
inline TShellServices& ShellServices() {
    if (shell_services_detail::installed == nullptr)
        throw std::logic_error("The main window's services are not installed");
    return *shell_services_detail::installed;
}

// Shows the busy window with the text of that kind for the life of the scope: the hide happens
// on every way out of it, an exception included. For work that has no progress bar of its own.
class TBusyMessage {
public:
    explicit TBusyMessage(TBusyKind kind) : services_(ShellServices()) {
        services_.ShowBusyMessage(kind);
    }
    ~TBusyMessage() { services_.HideBusyMessage(); }
    TBusyMessage(const TBusyMessage&) = delete;
    TBusyMessage& operator=(const TBusyMessage&) = delete;

private:
    TShellServices& services_;
};
