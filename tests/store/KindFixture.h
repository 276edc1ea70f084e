// A budget open with one real journal kind registered in place of whatever was registered, and
// the undo and redo steps run as the undo and redo runs run them.
#pragma once

#include <memory>
#include <optional>

#include "common/OpenBudget.h"
#include "store/TransKind.h"

template <class Kind>
class KindFixture : public OpenBudget {
protected:
    KindFixture() { previous_ = TransKinds().Add(std::make_unique<Kind>()); }
    ~KindFixture() override {
        TransKinds().Remove(Kind().Key());
        if (previous_) TransKinds().Add(std::move(previous_));
    }

    // The undo step of the row, or its redo (the kind's Apply again), in a store transaction of
    // its own.
    static std::optional<int> RunStep(const TTransRow& row, bool undo) {
        TBudgetTransaction transaction(ShellServices().BudgetPath());
        TStep step{row, transaction.Files()};
        const std::optional<int> result =
            undo ? TransKinds().Undo(step) : TransKinds().KindOf(row)->Apply(step);
        transaction.Commit();
        return result;
    }
    // Deletes part k of the transaction from a part table.
    static void DropPart(const char* table, int nTrans, int part) {
        TBudgetTable rows(table, true, Where("NTrans") == nTrans && Where("NPart") == part);
        DeleteAllRows(rows);
    }

private:
    std::unique_ptr<TTransKind> previous_;
};
