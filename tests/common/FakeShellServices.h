// The main window's services for tests: answers from fields the test sets.
#pragma once

#include <string>

#include "shell/ShellServices.h"

// Installed while it lives; the previous services come back afterwards.
class FakeShellServices : public TShellServices {
public:
    explicit FakeShellServices(std::string usersDataPath)
        : usersDataPath_(std::move(usersDataPath)), previous_(shell_services_detail::installed) {
        SetShellServices(this);
    }
    ~FakeShellServices() override { SetShellServices(previous_); }
    FakeShellServices(const FakeShellServices&) = delete;
    FakeShellServices& operator=(const FakeShellServices&) = delete;

    std::string UsersDataPath() const override { return usersDataPath_; }

private:
    std::string usersDataPath_;
    TShellServices* previous_;
};
