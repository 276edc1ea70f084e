// Which commands of the tree's popup menu a selected node allows.
#include "shell/TreePopup.h"

#include "shell/ObjectIndex.h"

TTreePopupItems TreePopupItems(int typeObject) {
    if (typeObject == -1) return {};
    const int t = typeObject;
    const bool container = t == otBudget || t == otFolder;
    const bool journalOrCalendar = t == otCalendar || t == otLog;
    TTreePopupItems items;
    items.CreateObject = container;
    items.Import = container;
    items.Rename = !journalOrCalendar;
    items.Delete = !journalOrCalendar;
    items.Move = !journalOrCalendar && t != otBudget;
    items.Export = items.Move;
    return items;
}
