// Which commands of the tree's popup menu a selected node allows.
#pragma once

// The popup items that may be used, by command.
struct TTreePopupItems {
    bool CreateObject = false;
    bool Rename = false;
    bool Move = false;
    bool Delete = false;
    bool Export = false;
    bool Import = false;
    bool operator==(const TTreePopupItems&) const = default;
};

// The items the node type of the selection allows (TfMain::TypeObject): creating and importing
// under a budget root or a folder; renaming and deleting anything but a calendar or a journal;
// moving and exporting anything but a budget root, a calendar or a journal. With nothing
// selected (-1: no budget at all) no item is allowed, as every command needs a node.
TTreePopupItems TreePopupItems(int typeObject);
