// Packing a budget: the journal trimmed to the transactions kept, their folders with it, and
// the tables file compacted.
#include <charconv>
#include <filesystem>
#include <system_error>

#include "decimal/Uchecksymbols.h"
#include "platform/Database.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kTransFilesFolder = "jTrFiles";

// The number a transaction folder's name stands for: a name of digits only that fits an
// integer. Any other name is not a transaction's folder.
std::optional<int> TransFolderNumber(const std::string& name) {
    if (name.empty() || !IsDigitString(name)) return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size()) return std::nullopt;
    return number;
}

// The NTrans of the journal's first row and of the row before its last (of the only row when
// there is one); 0 and 0 for an empty journal.
std::pair<int, int> JournalSpan(const std::string& folder) {
    TTable journal;
    journal.SetDatabaseName(folder);
    journal.SetTableName(tbl::jTrans);
    journal.SetIndexName(idx::Index_NTrans);
    journal.Open();
    if (journal.IsEmpty()) return {0, 0};
    const int first = journal.FieldByName(fld::NTrans).AsInteger();
    journal.Last();
    journal.Prior();
    return {first, journal.FieldByName(fld::NTrans).AsInteger()};
}

// Deletes the rows of one journal table whose NTrans is below the threshold.
void DeleteJournalRowsBelow(const std::string& folder, std::string_view file, int threshold) {
    TTable table;
    table.SetDatabaseName(folder);
    table.SetTableName(std::string(file));
    table.SetFilter(Where(fld::NTrans) < threshold);
    table.SetFiltered(true);
    table.Open();
    table.DeleteAll();
}

// The NTrans of the first transaction the journal keeps, or none when it is empty.
std::optional<int> FirstKept(const std::string& folder) {
    const auto [first, secondToLast] = JournalSpan(folder);
    if (first == 0 && secondToLast == 0) return std::nullopt;
    return first;
}

// Removes every entry of jTrFiles but the folders of the transactions from `keepFrom` on.
void RemoveDroppedTransFolders(const std::string& folder, int keepFrom) {
    std::error_code error;
    const fs::path files = fs::path(folder) / kTransFilesFolder;
    std::vector<fs::path> dropped;
    for (fs::directory_iterator it(files, error), end; !error && it != end; it.increment(error)) {
        const std::optional<int> number = TransFolderNumber(it->path().filename().string());
        const bool isFolder = it->symlink_status(error).type() == fs::file_type::directory;
        if (!(isFolder && number && *number >= keepFrom)) dropped.push_back(it->path());
    }
    // A folder that cannot be removed now stays for the next pack.
    for (const fs::path& path : dropped) fs::remove_all(path, error);
}

}  // namespace

int PackThreshold(int first, int secondToLast, int transCount) {
    if (transCount <= 0) return 0;
    const long long span = static_cast<long long>(secondToLast) - first;
    return span > transCount ? static_cast<int>(span - transCount) : 0;
}

void TDM::PackBudget(int transCount) {
    const std::string folder = TablejTrans.DatabaseName();
    const auto [first, secondToLast] = JournalSpan(folder);
    const int threshold = PackThreshold(first, secondToLast, transCount);
    if (threshold > 0) {
        TTransactionScope scope(folder);
        for (const std::string_view file :
             {tbl::jTrans, tbl::jTrInteger, tbl::jTrText, tbl::jTrDate})
            DeleteJournalRowsBelow(folder, file, threshold);
        scope.Commit();
    }
    // Folders below the first transaction kept belong to none: a pack cut short after its
    // commit left them.
    RemoveDroppedTransFolders(folder, std::max(threshold, FirstKept(folder).value_or(0)));

    FlushAndCloseTables();
    CompactTables(folder);
    OpenTables();
}
