// Carrying out a change of the open budget's tree that a dialog has decided on.
#pragma once

#include <functional>
#include <memory>
#include <optional>

class TTransWriter;

// Saves the tree's state, writes the change's transaction with `prepare` (which gives the writer
// with its row, parts and files, or null when nothing could be written), makes it ready and applies
// it through the writer (TTransWriter::Apply: no other journal operation can come between the two
// and leave the "READY" row behind), rebuilds the tree and selects the object the applier gives, or
// `select` when it is given (a deletion selects the parent). False, with nothing changed, when
// nothing was applied: the preparation was not made ready or the application failed (the program is
// ending or closing).
bool ApplyTreeChange(const std::function<std::unique_ptr<TTransWriter>()>& prepare,
                     std::optional<int> select = std::nullopt);
