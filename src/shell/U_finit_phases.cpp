// The daily phases of the start-up, without a window: packing every complete budget and
// recalculating every complete running one on the first start of a day, with the phase texts.
#include "shell/U_finit_phases.h"

#include <cmath>
#include <exception>
#include <set>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "algorithms/Uq519algtextformat.h"
#include "pays/Uscheduler.h"
#include "schema/SchemaNames.h"
#include "shell/BudgetList.h"
#include "shell/MainState.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "store/U_dm.h"
#include "store/Usettings.h"

namespace {

constexpr const char* kDefaultPhaseError =
    "The budget \"[budget_name]\" was left out of the start of the day: [error]";

// One row of the budget list as the phases read it.
struct TBudgetRow {
    std::string Path;
    std::string Name;
    int State;
};

std::vector<TBudgetRow> ReadBudgetList() {
    TTable& budgets = DM->TableBudgets;
    std::vector<TBudgetRow> rows;
    for (budgets.First(); !budgets.Eof(); budgets.Next())
        rows.push_back({budgets.FieldByName(fld::Path).AsString(),
                        budgets.FieldByName(fld::Name).AsString(),
                        budgets.FieldByName(fld::State).AsInteger()});
    return rows;
}

// Runs one phase over the budgets it takes: each becomes the open budget and gets its line
// and its work; a budget whose work fails is reported once, marked failed and left out of the
// later phases.
class TPhaseRunner {
public:
    TPhaseRunner(TMainState& state, const TInitTexts& texts, TStartupSink& sink)
        : state_(state), texts_(texts), sink_(sink) {}

    template <class TTakes, class TWork>
    void Run(const std::vector<TBudgetRow>& rows, const std::string& head,
             const std::string& inProcess, const std::string& tail, TTakes takes, TWork work) {
        Add(head);
        for (const TBudgetRow& row : rows) {
            if (failed_.count(row.Path) != 0 || !takes(row)) continue;
            if (IsBudgetComplete(state_.DataPath, row.Path) == 0) continue;
            try {
                state_.BudgetPath = row.Path;
                state_.BudgetName = row.Name;
                DM->OpenBudget(row.Path);
                Add(WithBudgetName(inProcess, row.Name));
                work();
            } catch (const std::exception& error) {
                failed_.insert(row.Path);
                sink_.ShowError(ReplaceAllText(WithBudgetName(texts_.PhaseError, row.Name),
                                               "[error]", error.what()));
            }
        }
        sink_.AddLine(tail);
    }

    bool AnyFailed() const { return !failed_.empty(); }

private:
    void Add(const std::string& line) {
        sink_.AddLine(line);
        sink_.LetMessagesRun();
    }

    TMainState& state_;
    const TInitTexts& texts_;
    TStartupSink& sink_;
    std::set<std::string> failed_;
};

}  // namespace

TInitTexts TInitTexts::Read(const std::string& langPath) {
    const TLangFile file(langPath + "Init.lng");
    const auto read = [&](const char* key, const char* defaultText = "") {
        return file.Read("Init", key, defaultText);
    };
    return {read("PhaseEnd"),
            read("PhaseEnd_InProcess"),
            read("PhaseEnd_OK"),
            read("PhasePack"),
            read("PhasePack_InProcess"),
            read("PhasePack_OK"),
            read("PhaseRecalc"),
            read("PhaseRecalc_InProcess"),
            read("PhaseRecalc_OK"),
            read("PhaseError", kDefaultPhaseError)};
}

std::string WithBudgetName(const std::string& text, const std::string& name) {
    return ReplaceAllText(text, "[budget_name]", name);
}

bool IsFirstStartOfDay(TDateTime lastStart, TDateTime today) {
    return std::trunc(lastStart) < std::trunc(today);
}

bool RunDailyPhases(TMainState& state, const TInitTexts& texts, TStartupSink& sink,
                    TDateTime lastDay, TDateTime today) {
    const std::vector<TBudgetRow> rows = ReadBudgetList();
    TPhaseRunner runner(state, texts, sink);
    const auto every = [](const TBudgetRow&) { return true; };
    runner.Run(rows, texts.PhasePack, texts.PhasePack_InProcess, texts.PhasePack_OK, every,
               [] { DM->PackBudget(GetSettingInt("TransCount", 500)); });

    const auto running = [](const TBudgetRow& row) { return row.State == 0; };
    runner.Run(rows, texts.PhaseRecalc, texts.PhaseRecalc_InProcess, texts.PhaseRecalc_OK, running,
               [&] {
                   // The run goes on past today to the latest pay event: the calendar too.
                   ShellServices().RebuildCalendar(lastDay - 5, RecalcLastDay(today) + 5);
                   ErrWatch().HasErrors = false;
                   const bool stop = false;
                   RecalculateBudget(stop, nullptr, sink.Progress(), lastDay, today);
                   if (ErrWatch().HasErrors) ShellServices().StopBudget();
                   sink.ResetProgress();
               });
    return !runner.AnyFailed();
}
