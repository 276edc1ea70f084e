// A budget open as the main window opens one, with the number "Rate" (ID 50) in its tree,
// its items and stored algorithms added in a line each, and the error window recorded.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "common/OpenBudget.h"
#include "numbers/U_frnumber.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "schema/SchemaNames.h"
#include "shell/ObjectIndex.h"

class NumberBudget : public OpenBudget {
protected:
    static constexpr int kNumber = 50;

    NumberBudget() {
        shell.state.DataPath = folders.DataPath();
        shell.state.IDBudget = 1;
        shell.state.BudgetName = "Home";
        AddRow(tbl::Objects, {{fld::ID, kNumber},
                              {fld::IDParent, 0},
                              {fld::Type, static_cast<int>(otNumber)},
                              {fld::Image, 48},
                              {fld::Name, "Rate"},
                              {fld::Descript, "Heating rate"},
                              {fld::Expanded, "N"}});
        AppendBudgetRow(folders.UsersDataPath(), budget, 0);
        dm.TableBudgets.Refresh();
        EXPECT_FALSE(shell.index.Build(dm.TableBudgets, shell.state));
        ResetGlobalErrors();
        previousWindow_ = SetGlobalErrorsWindow([this] {
            errorWindows.push_back(ErrWatch().NameObject);
            shell.StopBudget();
        });
    }
    ~NumberBudget() override {
        SetGlobalErrorsWindow(previousWindow_);
        ResetGlobalErrors();
    }

    static void AddConst(TDateTime date, const std::string& value,
                         const std::string& descript = "") {
        AddRow(tbl::Numbers, {{fld::ID, kNumber},
                              {fld::DateBegin, date},
                              {fld::ItemType, "C"},
                              {fld::ConstValue, value},
                              {fld::Descript, descript}});
    }
    static Algorithm01 NewAlgorithm(const std::string& text, bool valid = true) {
        Algorithm01 algorithm;
        algorithm.Valid = valid;
        algorithm.IDParent = kNumber;
        algorithm.Name = "Heating";
        algorithm.Text = text;
        return algorithm;
    }
    // An algorithm item with its algorithm stored; the algorithm's ID.
    static int AddAlgorithmItem(TDateTime date, const std::string& text, bool valid = true,
                                const std::string& descript = "") {
        const int id = DM->SaveAlgorithm(NewAlgorithm(text, valid));
        AddRow(tbl::Numbers, {{fld::ID, kNumber},
                              {fld::DateBegin, date},
                              {fld::ItemType, "A"},
                              {fld::ConstValue, ""},
                              {fld::IDAlg, id},
                              {fld::Descript, descript}});
        return id;
    }

    // The names under which the error window was shown, once per showing.
    std::vector<std::string> errorWindows;

private:
    std::function<void()> previousWindow_;
};

// A decimal text written with "," as it reads with the user's separator.
inline std::string Decimal(std::string text) {
    for (char& c : text)
        if (c == ',') c = DecimalSeparator();
    return text;
}

// The value column of the number frame's grid, row by row.
inline std::vector<std::string> GridValues(const TfrNumber& frame) {
    std::vector<std::string> values;
    for (int row = 0; row < frame.Grid->rowCount(); ++row)
        values.push_back(ToStdString(frame.Grid->index(row, 2).data().toString()));
    return values;
}
