// The daily phases of the start-up, without a window: packing every complete budget and
// recalculating every complete running one on the first start of a day, with the phase texts.
#pragma once

#include <string>

#include "platform/Dates.h"

struct TMainState;
class TRecalcProgress;

// The phase texts of "Init.lng" [Init] (each empty when missing) and the text of the error box
// of a budget that a phase could not handle.
struct TInitTexts {
    std::string PhaseEnd, PhaseEnd_InProcess, PhaseEnd_OK;
    std::string PhasePack, PhasePack_InProcess, PhasePack_OK;
    std::string PhaseRecalc, PhaseRecalc_InProcess, PhaseRecalc_OK;
    // "[budget_name]" stands for the budget and "[error]" for what went wrong.
    std::string PhaseError;

    // Reads them from the language folder's "Init.lng".
    static TInitTexts Read(const std::string& langPath);
};

// Every "[budget_name]" of the text replaced by the name (exact match, letter case counts).
std::string WithBudgetName(const std::string& text, const std::string& name);

// True when the day of the last start lies strictly before today's.
bool IsFirstStartOfDay(TDateTime lastStart, TDateTime today);

// What the phases show: the start-up form's memo and progress bar, and its error boxes.
class TStartupSink {
public:
    virtual void AddLine(const std::string& line) = 0;
    // Lets pending window messages run, so that the memo repaints while a phase works.
    virtual void LetMessagesRun() = 0;
    // The progress bar the recalculation drives; null for none.
    virtual TRecalcProgress* Progress() = 0;
    // Sets the progress bar back to 0.
    virtual void ResetProgress() = 0;
    virtual void ShowError(const std::string& text) = 0;

protected:
    ~TStartupSink() = default;
};

// The pack phase and the recalculation phase of a first start of the day. The budget list
// (DM->TableBudgets) is read once at the start, so that every row is visited once whatever a
// phase writes to it. For each complete budget (IsBudgetComplete) of the list, in its order:
// - pack: the budget becomes the open one (state.BudgetPath, BudgetName; DM->OpenBudget), the
//   line PhasePack_InProcess with its name, then DM->PackBudget(setting TransCount, 500);
// - recalculation, for a running budget (State 0) only: it becomes the open one, the line
//   PhaseRecalc_InProcess, the calendar rebuilt (the services' RebuildCalendar) from
//   lastDay - 5 to five days after RecalcLastDay(today) (today, or the latest pay event when
//   later), the error context's HasErrors cleared and RecalculateBudget run from lastDay to
//   today, which goes on to that day, with the sink's progress; when an algorithm error set
//   HasErrors the budget is stopped (the services' StopBudget); the progress goes back to 0.
// Each phase is framed by its lines (PhasePack ... PhasePack_OK, PhaseRecalc ...
// PhaseRecalc_OK). An error of a budget (a folder whose tables cannot be opened, packed or
// recalculated) is shown once in an error box naming it (PhaseError); the budget is left out of
// the later phase and the phases go on with the next budget. Returns true when no budget
// failed.
bool RunDailyPhases(TMainState& state, const TInitTexts& texts, TStartupSink& sink,
                    TDateTime lastDay, TDateTime today);
