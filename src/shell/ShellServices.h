// The main window's services that code without a window calls; tests put a fake in their place.
#pragma once

#include <stdexcept>
#include <string>

// What the store, the journal and the engines ask of the main window. TfMain implements it
// and installs itself with SetShellServices when it is created; a test installs a fake.
class TShellServices {
public:
    virtual ~TShellServices() = default;

    // The users-data folder (TfMain::UsersDataPath): it holds the budget list and the settings.
    virtual std::string UsersDataPath() const = 0;
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
