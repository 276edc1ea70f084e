// The main window's services for tests: a real state and object index that the test fills,
// and every action recorded.
#pragma once

#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "pays/Uscheduler.h"
#include "shell/ShellServices.h"

// Installed while it lives; the previous services come back afterwards. The actions change
// nothing but what is said at each; SelectObject and SelectBudget answer from the index.
class FakeShellServices : public TShellServices {
public:
    explicit FakeShellServices(std::string usersDataPath)
        : previous_(shell_services_detail::installed) {
        state.UsersDataPath = std::move(usersDataPath);
        SetShellServices(this);
    }
    ~FakeShellServices() override { SetShellServices(previous_); }
    FakeShellServices(const FakeShellServices&) = delete;
    FakeShellServices& operator=(const FakeShellServices&) = delete;

    const TMainState& State() const override { return state; }
    const TObjectIndex& Index() const override { return index; }
    // Resets the mark in the state.
    void ResetShownMark(TShownMark mark) override {
        calls.push_back("ResetShownMark " + std::to_string(static_cast<int>(mark)));
        state.ResetShownMark(mark);
    }

    // Marks the state fatal.
    void CloseFatally(const std::string& text) override {
        calls.push_back("CloseFatally");
        fatalTexts.push_back(text);
        state.FatalClose = true;
    }
    using TShellServices::FatalError;
    // Marks the state fatal.
    void FatalError(int code, std::error_code error) override {
        calls.push_back("FatalError " + std::to_string(code));
        fatalErrors.push_back(code);
        fatalCauses.push_back(error);
        state.FatalClose = true;
    }
    void Close() override {
        calls.push_back("Close");
        ++closeRequests;
    }
    // Empties the state's temp folder as the main window does.
    int ClearTempFolder() override {
        calls.push_back("ClearTempFolder");
        return ::ClearTempFolder(state);
    }
    void SaveTreeState() override { calls.push_back("SaveTreeState"); }
    void RebuildTree() override { calls.push_back("RebuildTree"); }
    int SelectObject(int id, const std::string& folder) override {
        calls.push_back("SelectObject " + std::to_string(id) + " " + folder);
        return index.IndexOf(id, folder) >= 0 ? 1 : 0;
    }
    int SelectBudget(const std::string& folder) override {
        calls.push_back("SelectBudget " + folder);
        return index.IndexOf(0, folder) >= 0 ? 1 : 0;
    }
    void StartBudget() override { calls.push_back("StartBudget"); }
    void StopBudget() override {
        calls.push_back("StopBudget");
        ++stopRequests;
    }
    // Both run the engine without a window while runsEngine is set.
    void RebuildCalendar(TDateTime from, TDateTime to) override {
        calls.push_back("RebuildCalendar " + DateToStr(from) + " " + DateToStr(to));
        if (runsEngine) RebuildCalendarEntries(from, to);
    }
    void RunAutoRecalc(bool fromBeginning, TDateTime date) override {
        calls.push_back(std::string("RunAutoRecalc ") + (fromBeginning ? "begin" : DateToStr(date)));
        if (runsEngine) RunAutomaticRecalc(fromBeginning, date, nullptr);
    }
    void ShowBusyMessage(TBusyKind kind) override {
        calls.push_back("ShowBusyMessage " + std::to_string(static_cast<int>(kind)));
    }
    void HideBusyMessage() override { calls.push_back("HideBusyMessage"); }
    void ShowHelp(int topic) override { calls.push_back("ShowHelp " + std::to_string(topic)); }

    TMainState state;
    TObjectIndex index;
    // The calendar rebuild and the recalculation run the engine; a test that only follows who
    // asks for them clears it.
    bool runsEngine = true;
    // What the main window was asked to do, in order, one line per call.
    std::vector<std::string> calls;
    int stopRequests = 0;                      // StopBudget
    std::vector<std::string> fatalTexts;       // CloseFatally
    std::vector<int> fatalErrors;              // FatalError's codes
    std::vector<std::error_code> fatalCauses;  // FatalError's errors
    int closeRequests = 0;                     // Close

private:
    TShellServices* previous_;
};
