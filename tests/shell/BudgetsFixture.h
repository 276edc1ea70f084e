// Budgets for the tests of the object index and the main tree: rows in the budget list and in
// the budgets' Objects tables.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "MainWindowFixture.h"

// Two complete budgets with objects of every kind, a budget list row whose folder is gone, one
// whose folder is incomplete and one without a name:
//   Home (running, expanded)          Cottage (stopped)      "" (no name)
//     Calendar, Log                     Shed (ID 2)            Calendar, Log
//     Flat (expanded): Rent, Meter, Power                      Calendar, Log
//     Car: Papers
//     Empty (saved expanded, no children)
class BudgetsFixture : public MainWindowTest {
protected:
    BudgetsFixture() {
        AddObject(home, 11, 0, otFolder, 80, "Flat", "Y", "The flat");
        AddObject(home, 12, 11, otTable, 16, "Rent", "N", "Monthly rent");
        AddObject(home, 13, 0, otFolder, 82, "Car");
        AddObject(home, 14, 13, otFiles, 20, "Papers");
        AddObject(home, 15, 11, otNumber, 22, "Meter");
        AddObject(home, 16, 11, otPay, 24, "Power");
        AddObject(home, 17, 0, otFolder, 84, "Empty", "Y");
        AddObject(home, 18, 99, otImages, 18, "Lost photos");
        AddObject(cottage, 2, 0, otFolder, 86, "Shed");
        std::filesystem::remove_all(incomplete + "/Images");
        AddBudgetRow(1, "Home", home, 0, 0, "Y");
        AddBudgetRow(2, "Cottage", cottage, 3, 4, "N");
        AddBudgetRow(3, "Gone", folders.UsersDataPath() + "Gone", 0, 0, "Y");
        AddBudgetRow(4, "Incomplete", incomplete, 0, 0, "Y");
        AddBudgetRow(5, "", nameless, 2, 4, "N");
    }

    const std::string home = folders.MakeBudget("Home");
    const std::string cottage = folders.MakeBudget("Cottage");
    const std::string incomplete = folders.MakeBudget("Incomplete");
    const std::string nameless = folders.MakeBudget("Nameless");
};

inline const std::vector<std::string> kTree = {"Home",
                                               "Calendar of the budget",
                                               "Journal of changes",
                                               "Flat",
                                               "Rent",
                                               "Meter",
                                               "Power",
                                               "Car",
                                               "Papers",
                                               "Empty",
                                               "Cottage",
                                               "Shed",
                                               "Calendar of the budget",
                                               "Journal of changes",
                                               "",
                                               "Calendar of the budget",
                                               "Journal of changes"};

// The icons of the fixture's nodes as built: the stored icon is the collapsed one, every expanded
// node shows the next one, a file collection shows the next one while selected, and a node
// without children is never expanded.
struct TIconCase {
    int index;
    int image;
    int selectedImage;
    bool expanded;
};
inline const std::vector<TIconCase> kIconCases = {
    {0, 1, 1, true},    {1, 10, 10, false}, {2, 12, 12, false}, {3, 81, 81, true},
    {4, 16, 16, false}, {6, 24, 24, false}, {7, 82, 82, false}, {8, 20, 21, false},
    {9, 84, 84, false}, {10, 4, 4, false}};
