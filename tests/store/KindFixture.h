// Real journal kinds registered in place of whatever was registered under their keys, and a
// budget open with them, whose undo and redo steps run as the undo and redo runs run them.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "common/OpenBudget.h"
#include "store/TransKind.h"

// The kinds registered while it lives; the kinds they replaced come back afterwards.
template <class... Kinds>
class TRegisteredKinds {
public:
    TRegisteredKinds() { (Register(std::make_unique<Kinds>()), ...); }
    ~TRegisteredKinds() {
        for (const TKindKey& key : keys_) TransKinds().Remove(key);
        for (auto& kind : previous_) TransKinds().Add(std::move(kind));
    }
    TRegisteredKinds(const TRegisteredKinds&) = delete;
    TRegisteredKinds& operator=(const TRegisteredKinds&) = delete;

    // Registers one more kind.
    void Register(std::unique_ptr<TTransKind> kind) {
        keys_.push_back(kind->Key());
        if (auto replaced = TransKinds().Add(std::move(kind)))
            previous_.push_back(std::move(replaced));
    }

private:
    std::vector<TKindKey> keys_;
    std::vector<std::unique_ptr<TTransKind>> previous_;
};

template <class... Kinds>
class KindFixture : public OpenBudget {
protected:
    // The undo step of the row, or its redo (the kind's Apply again), in a store transaction of
    // its own, which commits when the step succeeded (an undo gives 0 or more, a redo more than
    // 0) and rolls back otherwise.
    static std::optional<int> RunStep(const TTransRow& row, bool undo) {
        TBudgetTransaction transaction(ShellServices().BudgetPath());
        TStep step{row, transaction.Files()};
        const std::optional<int> result = TransKinds().Step(step, undo);
        if (result && (undo ? *result >= 0 : *result > 0)) transaction.Commit();
        return result;
    }
    // The journal row of the transaction as the undo and redo runs read it.
    static TTransRow RowOf(int nTrans) {
        TBudgetTable trans("jTrans", false, Where("NTrans") == nTrans, "");
        return {nTrans, trans.FieldByName("Act").AsString(),
                static_cast<int>(trans.FieldByName("IDObject").AsInteger()),
                static_cast<int>(trans.FieldByName("Type").AsInteger()),
                trans.FieldByName("NameObject").AsString()};
    }
    // The undo or the redo step of the transaction in the journal.
    static std::optional<int> Undo(int nTrans) { return RunStep(RowOf(nTrans), true); }
    static std::optional<int> Redo(int nTrans) { return RunStep(RowOf(nTrans), false); }
    // Deletes part k of the transaction from a part table.
    static void DropPart(const char* table, int nTrans, int part) {
        TBudgetTable rows(table, true, Where("NTrans") == nTrans && Where("NPart") == part);
        DeleteAllRows(rows);
    }

    // Registers one more kind for the test.
    void Register(std::unique_ptr<TTransKind> kind) { kinds_.Register(std::move(kind)); }

private:
    TRegisteredKinds<Kinds...> kinds_;
};
