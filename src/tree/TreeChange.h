// Carrying out a change of the open budget's tree that a dialog has decided on.
#pragma once

#include <functional>
#include <optional>

// Saves the tree's state, prepares the change's transaction with `prepare` (which gives the
// transaction's number, or 0 when its preparation was not made ready), applies it, rebuilds the
// tree and selects the object the applier gives, or `select` when it is given (a deletion
// selects the parent). False, with nothing applied, when the preparation was not made ready:
// the program is ending.
bool ApplyTreeChange(const std::function<int()>& prepare, std::optional<int> select = std::nullopt);
