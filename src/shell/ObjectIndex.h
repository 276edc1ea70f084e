// The budgets and objects of the main tree as records, without the tree widget: the object
// index with its lookups by object ID and budget folder.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Table.h"

struct TMainState;

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

// One node of the index: its record, its icons and where it stands.
struct TIndexNode {
    ObjectInfo Info;
    int Image = 0;              // the icon shown: the stored (collapsed) one, +1 while expanded
    int SelectedImage = 0;      // the icon shown while selected, +1 while expanded
    bool Expanded = false;      // only a node with children is ever expanded
    int Parent = -1;            // the parent's index; -1 on a root
    std::vector<int> Children;  // the children's indexes, in tree order

    bool IsRoot() const { return Info.IDParent == -1; }
};

// The nodes of the main tree in tree order: every complete budget of the budget list (in the
// list's order) as a root, each followed by its objects depth first, each level in the order
// of the budget's Objects table. The main window builds its tree widget from it, node i of the
// widget standing for node i of the index.
//
// Lookup rule of FindObject, IndexOf and the four Get lookups: only nodes of the budget folder
// (exact, case-sensitive) count; ID 0 means the budget's root, any other ID an object node
// (never a root) with that ID; the first match in tree order wins.
class TObjectIndex {
public:
    // Builds the index anew from the budget list (read from its first row to its last) and the
    // budgets' Objects tables; a budget whose folder is not complete (IsBudgetComplete against
    // the state's DataPath) is left out. Calendar and log nodes take the state's CalendarCaption
    // and LogCaption as their names. A budget whose row or tables cannot be read is left out
    // too and the build goes on; the first such error is returned. Objects whose parents form a
    // loop are added once each. An error of the budget list itself leaves the index unchanged
    // and is thrown.
    std::optional<EDatabaseError> Build(TTable& budgets, const TMainState& state);

    const std::vector<TIndexNode>& Nodes() const { return nodes_; }
    const TIndexNode& Node(int index) const { return nodes_.at(index); }
    int Count() const { return static_cast<int>(nodes_.size()); }

    // Expands or collapses a node: the icons follow (+1 while expanded). A node without
    // children stays collapsed; a node already in that state is left as it is.
    void SetExpanded(int index, bool expanded);
    // Gives the node a new stored (collapsed) icon; it shows the next one while expanded.
    void SetImage(int index, int image);

    // The index of the node by the lookup rule, or -1.
    int IndexOf(int id, const std::string& folder) const;
    // The node's record by the lookup rule, or null.
    const ObjectInfo* FindObject(int id, const std::string& folder) const;
    std::string GetObjectName(int id, const std::string& folder) const;      // "" when none
    std::string GetObjectDescript(int id, const std::string& folder) const;  // "" when none
    int GetObjectImage(int id, const std::string& folder) const;  // the shown icon; 0 when none
    int GetObjectType(int id, const std::string& folder) const;   // 0 when none
    // Puts the names of the object and its ancestors, each followed by the separator, in front
    // of `path` (root first). 0, or -1 when the object is not in the index; a broken chain of
    // parents ends the names there and still answers 0. Lets the message loop run at every
    // step up from an object.
    int GetObjectPath(std::string& path, const std::string& separator, int id,
                      const std::string& folder) const;
    // True when `ancestorId` is the parent, grandparent ... of the object in that budget (the
    // object itself is not compared); at most 10000 steps up.
    bool IsAncestor(int ancestorId, int objectId, const std::string& folder) const;
    // 1 when a node of that budget with parent `parentId` and an ID other than `excludedId` has
    // exactly that name (letter case counts), else 0.
    int NameExists(int parentId, int excludedId, const std::string& name,
                   const std::string& folder) const;
    // 1 when no node of that budget has `id` as its parent, else 0.
    int HasNoChildren(int id, const std::string& folder) const;

private:
    std::vector<TIndexNode> nodes_;
    // The first root and the first object node of each ID, by budget folder: the lookup rule
    // without a walk over the nodes.
    std::unordered_map<std::string, int> roots_;
    std::unordered_map<std::string, std::unordered_map<int, int>> objects_;
};
