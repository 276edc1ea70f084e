// A table object's new rows written as one "CHANG" journal transaction and applied.
#pragma once

#include <string>
#include <vector>

#include "store/TransBlocks.h"

// Writes the change of the table `id` (named `nameObject` in the journal) to `rows`, in the
// layout that the journal's table applier and its undo read: the new rows, then the rows that
// Tables.db holds now, and has the journal apply it. An unchanged table is written all the same
// (its rows rewritten as they were). The applier's result, 0 when nothing was applied.
int JournalTableChange(int id, const std::string& nameObject,
                       const std::vector<TTableRowBlock>& rows);
