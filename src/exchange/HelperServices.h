// The services of the main window for the helper programs, which have no main window: the
// program's folders and settings, the temp folder, and the fatal texts kept for one message.
#pragma once

#include <string>
#include <vector>

#include "shell/ShellServices.h"

// Installed while it lives. The folders are found as the program finds them; the window's
// actions (tree, selection, frames, budget state, calendar, busy messages, help) do nothing.
class THelperServices : public TShellServices {
public:
    THelperServices();
    ~THelperServices() override;
    THelperServices(const THelperServices&) = delete;
    THelperServices& operator=(const THelperServices&) = delete;

    const TMainState& State() const override { return state; }
    const TObjectIndex& Index() const override { return index_; }
    void ResetShownMark(TShownMark) override {}
    // Keeps the text and marks the state fatal.
    void CloseFatally(const std::string& text) override;
    void FatalError(int code, std::error_code error) override;
    void Close() override {}
    int ClearTempFolder() override { return ::ClearTempFolder(state); }
    void SaveTreeState() override {}
    void RebuildTree() override {}
    int SelectObject(int, const std::string&) override { return 0; }
    int SelectBudget(const std::string&) override { return 0; }
    void StartBudget() override {}
    void StopBudget() override {}
    void RebuildCalendar(TDateTime, TDateTime) override {}
    void RunAutoRecalc(bool, TDateTime) override {}
    void ShowBusyMessage(TBusyKind) override {}
    void HideBusyMessage() override {}
    void ShowHelp(int) override {}

    TMainState state;
    std::vector<std::string> fatalTexts;

private:
    TObjectIndex index_;
    TShellServices* previous_;
};
