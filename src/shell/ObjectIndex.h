// The budgets and objects of the main tree as records, without the tree widget.
#pragma once

#include <string>

// The type code of a tree node, as Objects.db Type, the journal's Type and TfMain::TypeObject
// store it.
enum ObjectType {
    otBudget = 0,
    otFolder = 10,
    otTable = 20,
    otImages = 30,
    otFiles = 40,
    otNumber = 50,
    otPay = 60,
    otCalendar = 9500,
    otLog = 10000,
};

// What a node of the main tree stands for.
struct ObjectInfo {
    int IDBudget = 0;  // Budgets.db ID of the node's budget
    int Type = 0;      // ObjectType
    int ID = 0;        // Objects.db ID; on a root the budget's ID
    int IDParent = 0;  // 0 below the root; -1 on a root
    std::string Name;  // the node's text
    std::string Descript;
    std::string Path;  // the budget folder (Budgets.db Path)
};
