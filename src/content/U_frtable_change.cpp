// A table object's new rows written as one "CHANG" journal transaction and applied.
#include "content/U_frtable_change.h"

#include "shell/ObjectIndex.h"
#include "store/TransBlockRows.h"
#include "store/TransKindContent.h"
#include "store/Utransactions.h"

int JournalTableChange(int id, const std::string& nameObject,
                       const std::vector<TTableRowBlock>& rows) {
    TTransWriter writer(kActChange, id, otTable, nameObject);
    TTableChangeParts parts{rows, TableRowBlocks(id)};
    WriteParts(writer, parts);
    return writer.Apply();
}
