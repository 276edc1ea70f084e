// The main window's services that code without a window calls; tests put a fake in their place.
#pragma once

#include <stdexcept>
#include <string>

// The codes of TShellServices::FatalError.
constexpr int kFolderNotCreated = -2;
constexpr int kFolderNotDeleted = -3;

// What the store, the journal and the engines ask of the main window. TfMain implements it
// and installs itself with SetShellServices when it is created; a test installs a fake.
class TShellServices {
public:
    virtual ~TShellServices() = default;

    // The users-data folder (TfMain::UsersDataPath): it holds the budget list and the settings.
    virtual std::string UsersDataPath() const = 0;
    // The open budget's folder (TfMain::BudgetPath): its tables, "Images", "Files" and
    // "jTrFiles".
    virtual std::string BudgetPath() const = 0;
    // The language folder (TfMain::LangPath), ending with "/": the ".lng" files.
    virtual std::string LangPath() const = 0;
    // The open budget's name (TfMain::BudgetName).
    virtual std::string BudgetName() const = 0;
    // TfMain::StopBudget: stops the open budget (after an algorithm error was shown).
    virtual void StopBudget() = 0;

    // True once the main window is marked fatal (TfMain::FatalClose): the program is ending.
    virtual bool FatalClose() const = 0;
    // Shows the text in an error box with an OK button only, marks the main window fatal and
    // closes it without the close dialog; returns to the caller, and the program ends once
    // control is back in the message loop. The journal's fatal reports come here.
    virtual void CloseFatally(const std::string& text) = 0;
    // TfMain::FatalError: the main window's own fatal report of a folder that could not be
    // created (kFolderNotCreated) or deleted (kFolderNotDeleted), with the system's text of the
    // last error; it ends the program in the same way and returns to the caller.
    virtual void FatalError(int code) = 0;
    // The main window's ordinary closing, through its close dialog.
    virtual void Close() = 0;
};

namespace shell_services_detail {
inline TShellServices* installed = nullptr;
}

// Installs the services in use (null removes them); the caller keeps them alive meanwhile.
inline void SetShellServices(TShellServices* services) {
    shell_services_detail::installed = services;
}

// The services in use; throws std::logic_error when none are installed.
inline TShellServices& ShellServices() {
    if (shell_services_detail::installed == nullptr)
        throw std::logic_error("The main window's services are not installed");
    return *shell_services_detail::installed;
}
