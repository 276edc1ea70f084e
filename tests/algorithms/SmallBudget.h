// A small budget open as the main window opens one, for the tests of calculations, data sources
// and balances: objects, number items, stored algorithms and pay events added in a line each.
#pragma once

#include <string>
#include <string_view>

#include "algorithms/Uq519algorithm01.h"
#include "common/OpenBudget.h"
#include "platform/Locale.h"

// The budget of OpenBudget, named "Home"; the action's error context starts empty. Its calendar
// and journal hold the object IDs 9 and 10.
class SmallBudget : public OpenBudget {
protected:
    SmallBudget() {
        shell.state.BudgetName = "Home";
        ResetGlobalErrors();
    }
    ~SmallBudget() override { ResetGlobalErrors(); }

    static void AddObject(int id, int parent, int type, const std::string& name) {
        AddRow("Objects.db", {{"ID", id}, {"IDParent", parent}, {"Type", type}, {"Name", name}});
    }

    // A pay's event: its kind, the amount (Counter, Charge or Payment by the kind), the balance
    // after it and the auto charge that made it (0: a manual event).
    static void AddEvent(int pay, TDateTime date, std::string_view type, const char* amount,
                         const char* balance = "", int idCharge = 0) {
        const char* field = type == "CN" ? "Counter" : type == "CH" ? "Charge" : "Payment";
        AddRow("PayHistory.db", {{"ID", pay},
                                 {"DateEvent", date},
                                 {"TypeEvent", type},
                                 {field, amount},
                                 {"CurBalance", balance},
                                 {"IDCharge", idCharge}});
    }
};

// A decimal text written with "," as it reads with the user's separator.
inline std::string Decimal(std::string text) {
    for (char& c : text)
        if (c == ',') c = DecimalSeparator();
    return text;
}
