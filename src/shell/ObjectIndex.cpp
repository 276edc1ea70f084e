// The budgets and objects of the main tree as records, without the tree widget: the object
// index with its lookups by object ID and budget folder.
#include "shell/ObjectIndex.h"

#include "platform/EventLoop.h"
#include "schema/SchemaNames.h"
#include "shell/BudgetList.h"
#include "shell/MainState.h"

namespace {

// One row of a budget's Objects table.
struct TObjectRow {
    ObjectInfo Info;
    int Image;
    bool Expanded;
};

// A node with its saved expanded state, before the children are known.
struct TPendingNode {
    TIndexNode Node;
    bool SavedExpanded;
};

// Reads the budget's Objects table once and appends the subtree below the root (at `root`)
// depth first, each parent's children in the table's order. A row is added at most once, so
// that a damaged table whose parents form a loop cannot make the tree endless.
void AddObjectNodes(std::vector<TPendingNode>& nodes, int root, const TMainState& state) {
    const ObjectInfo& budget = nodes[root].Node.Info;
    std::vector<TObjectRow> rows;
    std::unordered_map<int, std::vector<size_t>> children;
    {
        TTable objects;
        objects.SetDatabaseName(budget.Path);
        objects.SetTableName(tbl::Objects);
        objects.SetIndexName(idx::Index01);
        objects.SetReadOnly(true);
        objects.Open();
        TField& id = objects.FieldByName(fld::ID);
        TField& parent = objects.FieldByName(fld::IDParent);
        TField& type = objects.FieldByName(fld::Type);
        TField& name = objects.FieldByName(fld::Name);
        TField& descript = objects.FieldByName(fld::Descript);
        TField& image = objects.FieldByName(fld::Image);
        TField& expanded = objects.FieldByName(fld::Expanded);
        for (objects.First(); !objects.Eof(); objects.Next()) {
            TObjectRow row{{budget.IDBudget, type.AsInteger(), id.AsInteger(), parent.AsInteger(),
                            name.AsString(), descript.AsString(), budget.Path},
                           image.AsInteger(),
                           expanded.AsString() == "Y"};
            if (row.Info.Type == otCalendar) row.Info.Name = state.CalendarCaption;
            if (row.Info.Type == otLog) row.Info.Name = state.LogCaption;
            children[row.Info.IDParent].push_back(rows.size());
            rows.push_back(std::move(row));
        }
    }

    std::vector<bool> added(rows.size(), false);
    // Depth first: a node, then its children's subtrees in order.
    std::vector<std::pair<int, size_t>> stack;  // (parent node, row)
    const auto pushChildren = [&](int node, int id) {
        const auto found = children.find(id);
        if (found == children.end()) return;
        for (auto it = found->second.rbegin(); it != found->second.rend(); ++it)
            if (!added[*it]) stack.emplace_back(node, *it);
    };
    pushChildren(root, 0);
    while (!stack.empty()) {
        const auto [parent, index] = stack.back();
        stack.pop_back();
        if (added[index]) continue;
        added[index] = true;
        const TObjectRow& row = rows[index];
        TIndexNode node{row.Info, row.Image, row.Info.Type == otFiles ? row.Image + 1 : row.Image,
                        false,    parent,    {}};
        const int at = static_cast<int>(nodes.size());
        nodes[parent].Node.Children.push_back(at);
        nodes.push_back({std::move(node), row.Expanded});
        pushChildren(at, row.Info.ID);
    }
}

}  // namespace

std::optional<EDatabaseError> TObjectIndex::Build(TTable& budgets, const TMainState& state) {
    std::optional<EDatabaseError> firstError;
    std::vector<TPendingNode> pending;
    for (budgets.First(); !budgets.Eof(); budgets.Next()) {
        const size_t first = pending.size();
        try {
            const std::string path = budgets.FieldByName(fld::Path).AsString();
            if (!IsBudgetComplete(state.DataPath, path)) continue;
            const int id = budgets.FieldByName(fld::ID).AsInteger();
            const int image = budgets.FieldByName(fld::Image).AsInteger();
            ObjectInfo info{id,
                            otBudget,
                            id,
                            -1,
                            budgets.FieldByName(fld::Name).AsString(),
                            budgets.FieldByName(fld::Descript).AsString(),
                            path};
            const bool expanded = budgets.FieldByName(fld::Expanded).AsString() == "Y";
            pending.push_back({{std::move(info), image, image, false, -1, {}}, expanded});
            AddObjectNodes(pending, static_cast<int>(first), state);
        } catch (const EDatabaseError& error) {
            // The budget's nodes built so far go; the rest of the index is built.
            pending.resize(first);
            if (!firstError) firstError = error;
        }
    }

    TObjectIndex built;
    built.nodes_.reserve(pending.size());
    for (TPendingNode& node : pending) {
        built.nodes_.push_back(std::move(node.Node));
        const int at = built.Count() - 1;
        const ObjectInfo& info = built.nodes_.back().Info;
        if (info.IDParent == -1)
            built.roots_.emplace(info.Path, at);
        else
            built.objects_[info.Path].emplace(info.ID, at);
        if (node.SavedExpanded) built.SetExpanded(at, true);
    }
    *this = std::move(built);
    return firstError;
}

void TObjectIndex::SetExpanded(int index, bool expanded) {
    TIndexNode& node = nodes_.at(index);
    expanded = expanded && !node.Children.empty();
    if (node.Expanded == expanded) return;
    node.Expanded = expanded;
    const int step = expanded ? 1 : -1;
    node.Image += step;
    node.SelectedImage += step;
}

void TObjectIndex::SetImage(int index, int image) {
    TIndexNode& node = nodes_.at(index);
    node.Image = node.SelectedImage = image + (node.Expanded ? 1 : 0);
}

int TObjectIndex::IndexOf(int id, const std::string& folder) const {
    if (id == 0) {
        const auto root = roots_.find(folder);
        return root != roots_.end() ? root->second : -1;
    }
    const auto budget = objects_.find(folder);
    if (budget == objects_.end()) return -1;
    const auto object = budget->second.find(id);
    return object != budget->second.end() ? object->second : -1;
}

const ObjectInfo* TObjectIndex::FindObject(int id, const std::string& folder) const {
    const int index = IndexOf(id, folder);
    return index >= 0 ? &nodes_[index].Info : nullptr;
}

std::string TObjectIndex::GetObjectName(int id, const std::string& folder) const {
    const ObjectInfo* info = FindObject(id, folder);
    return info != nullptr ? info->Name : std::string();
}

std::string TObjectIndex::GetObjectDescript(int id, const std::string& folder) const {
    const ObjectInfo* info = FindObject(id, folder);
    return info != nullptr ? info->Descript : std::string();
}

int TObjectIndex::GetObjectImage(int id, const std::string& folder) const {
    const int index = IndexOf(id, folder);
    return index >= 0 ? nodes_[index].Image : 0;
}

int TObjectIndex::GetObjectType(int id, const std::string& folder) const {
    const ObjectInfo* info = FindObject(id, folder);
    return info != nullptr ? info->Type : 0;
}

int TObjectIndex::GetObjectPath(std::string& path, const std::string& separator, int id,
                                const std::string& folder) const {
    // Walks up the parents; a broken chain ends the walk, and a chain longer than the index
    // (a loop of IDs in a damaged budget) cannot run on.
    bool first = true;
    for (size_t steps = 0; steps <= nodes_.size(); ++steps) {
        if (id != 0) LetMessagesRun();
        const ObjectInfo* info = FindObject(id, folder);
        if (info == nullptr) return first ? -1 : 0;
        path = info->Name + separator + path;
        if (id == 0) return 0;
        id = info->IDParent;
        first = false;
    }
    return 0;
}

bool TObjectIndex::IsAncestor(int ancestorId, int objectId, const std::string& folder) const {
    int id = objectId;
    for (int step = 0; step < 10000; ++step) {
        const ObjectInfo* info = FindObject(id, folder);
        if (info == nullptr) return false;
        if (info->IDParent == ancestorId) return true;
        if (info->IDParent == -1) return false;
        id = info->IDParent;
    }
    return false;
}

int TObjectIndex::NameExists(int parentId, int excludedId, const std::string& name,
                             const std::string& folder) const {
    for (const TIndexNode& node : nodes_) {
        if (node.Info.Path == folder && node.Info.IDParent == parentId && node.Info.Name == name &&
            node.Info.ID != excludedId)
            return 1;
    }
    return 0;
}

int TObjectIndex::HasNoChildren(int id, const std::string& folder) const {
    for (const TIndexNode& node : nodes_)
        if (node.Info.Path == folder && node.Info.IDParent == id) return 0;
    return 1;
}
