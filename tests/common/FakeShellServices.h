// The main window's services for tests: answers from fields the test sets.
#pragma once

#include <string>
#include <utility>
#include <vector>

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
    std::string BudgetPath() const override { return budgetPath; }
    std::string LangPath() const override { return langPath; }
    std::string BudgetName() const override { return budgetName; }
    void StopBudget() override { ++stopRequests; }

    bool FatalClose() const override { return fatalClose; }
    void CloseFatally(const std::string& text) override {
        fatalTexts.push_back(text);
        fatalClose = true;
    }
    void FatalError(int code) override {
        fatalErrors.push_back(code);
        fatalClose = true;
    }
    void Close() override { ++closeRequests; }

    std::string budgetPath;
    std::string langPath;
    std::string budgetName;
    // What the main window was asked to do, in order.
    int stopRequests = 0;  // StopBudget
    bool fatalClose = false;
    std::vector<std::string> fatalTexts;  // CloseFatally
    std::vector<int> fatalErrors;         // FatalError
    int closeRequests = 0;                // Close

private:
    std::string usersDataPath_;
    TShellServices* previous_;
};
