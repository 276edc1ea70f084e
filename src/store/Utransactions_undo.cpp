// Undo and redo of the open budget's journal: marking a block of transactions, running it step by
// step, cancelling the marks a run did not reach, and putting back the marks a crash left.
#include "store/Utransactions_undo.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "platform/Database.h"
#include "platform/EventLoop.h"
#include "schema/SchemaNames.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/TransKind.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace {

// One row of the journal as the marking and the runs see it.
struct TEntry {
    int NTrans = 0;
    std::string Status;
};
using TEntries = std::vector<TEntry>;

// The whole journal of the open budget through a view of its own, in NTrans order.
class TJournalView : public TBudgetTable {
public:
    explicit TJournalView(bool writable = false)
        : TBudgetTable(tbl::jTrans, writable, {}, idx::Index_NTrans) {}
};

// Every row's NTrans and Status, oldest first.
TEntries ReadEntries(TTable& journal) {
    TEntries entries;
    for (journal.First(); !journal.Eof(); journal.Next())
        entries.push_back({journal.FieldByName(fld::NTrans).AsInteger(),
                           journal.FieldByName(fld::Status).AsString()});
    return entries;
}

// The position of row nTrans, or nothing.
std::optional<std::size_t> PositionOf(const TEntries& entries, int nTrans) {
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&](const TEntry& e) { return e.NTrans == nTrans; });
    if (entry == entries.end()) return std::nullopt;
    return static_cast<std::size_t>(entry - entries.begin());
}

// The position of the first row at or after nTrans (the end when there is none).
std::size_t FirstFrom(const TEntries& entries, int nTrans) {
    return static_cast<std::size_t>(
        std::find_if(entries.begin(), entries.end(),
                     [&](const TEntry& e) { return e.NTrans >= nTrans; }) -
        entries.begin());
}

bool IsSettled(const TEntry& entry) {
    return entry.Status == kStatusApply || entry.Status == kStatusBack;
}

// The start of the redo block: the row above the newest "APPLY" row, or the oldest row when
// there is none (the end when the newest row is "APPLY": nothing is undone).
std::size_t RedoBlockStart(const TEntries& entries) {
    for (std::size_t i = entries.size(); i > 0; --i)
        if (entries[i - 1].Status == kStatusApply) return i;
    return 0;
}

// The rows a marking or cancelling sets to its new status, oldest first: filled in by its
// selection, which gives 0, or a refusal code (nothing is written then).
using TSelect = std::function<int(const TEntries& entries, std::vector<int>& rows)>;

// Sets the selected rows to the status in one store transaction, holding the journal; gives how
// many, the selection's refusal, or kJournalBusy.
int SetStatuses(const TSelect& select, std::string_view status) {
    const TJournalGuard guard;
    if (!guard.Acquired()) return kJournalBusy;
    TBudgetTransaction transaction(ShellServices().BudgetPath());
    TJournalView journal(true);
    std::vector<int> rows;
    if (const int refused = select(ReadEntries(journal), rows); refused != 0) return refused;
    for (const int nTrans : rows) {
        SetTransStatus(journal, nTrans, status);
        LetMessagesRun();
    }
    RefreshJournalView();
    transaction.Commit();
    return static_cast<int>(rows.size());
}

// The rows from position first upward while they have the status.
void TakeWhile(const TEntries& entries, std::size_t first, std::string_view status,
               std::vector<int>& rows) {
    for (std::size_t i = first; i < entries.size() && entries[i].Status == status; ++i)
        rows.push_back(entries[i].NTrans);
}

}  // namespace

// ---- Marking and cancelling

int MarkUndo(int nTrans) {
    return SetStatuses(
        [nTrans](const TEntries& entries, std::vector<int>& rows) {
            const std::optional<std::size_t> chosen = PositionOf(entries, nTrans);
            if (!chosen) return kMarkRefused;
            for (std::size_t i = *chosen; i < entries.size(); ++i) {
                if (!IsSettled(entries[i])) return kMarkRefused;
                LetMessagesRun();
            }
            TakeWhile(entries, *chosen, kStatusApply, rows);
            return 0;
        },
        kStatusToBack);
}

int CancelUndoMarks(int nTrans) {
    return SetStatuses(
        [nTrans](const TEntries& entries, std::vector<int>& rows) {
            TakeWhile(entries, FirstFrom(entries, nTrans), kStatusToBack, rows);
            return 0;
        },
        kStatusApply);
}

int MarkRedo(int nTrans) {
    return SetStatuses(
        [nTrans](const TEntries& entries, std::vector<int>& rows) {
            const std::size_t start = RedoBlockStart(entries);
            for (std::size_t i = entries.size(); i > start; --i) {
                if (!IsSettled(entries[i - 1])) return kMarkRefused;
                LetMessagesRun();
            }
            const std::optional<std::size_t> chosen = PositionOf(entries, nTrans);
            if (!chosen) return kMarkRefused;
            if (*chosen < start) return kMarkBelowBlock;
            for (std::size_t i = start; i <= *chosen; ++i) rows.push_back(entries[i].NTrans);
            return 0;
        },
        kStatusToActB);
}

int CancelRedoMarks(int nTrans) {
    return SetStatuses(
        [nTrans](const TEntries& entries, std::vector<int>& rows) {
            const std::size_t start = RedoBlockStart(entries);
            if (start == entries.size() || nTrans < entries[start].NTrans) return kMarkBelowBlock;
            // Only the marked rows: one a marking refused keeps its status.
            for (std::size_t i = start; i < entries.size() && entries[i].NTrans <= nTrans; ++i)
                if (entries[i].Status == kStatusToActB) rows.push_back(entries[i].NTrans);
            return 0;
        },
        kStatusBack);
}

// ---- Running

TJournalRun::TJournalRun(bool undo, const bool& stop, TRunProgress progress)
    : undo_(undo), stop_(&stop), progress_(std::move(progress)) {
    const std::string_view mark = undo ? kStatusToBack : kStatusToActB;
    TJournalView journal;
    const TEntries entries = ReadEntries(journal);
    // From the newest row down: the first marked row and the marked rows right below it.
    auto entry = std::find_if(entries.rbegin(), entries.rend(),
                              [&](const TEntry& e) { return e.Status == mark; });
    for (; entry != entries.rend() && entry->Status == mark; ++entry)
        block_.push_back(entry->NTrans);
    if (!undo) std::reverse(block_.begin(), block_.end());
}

bool TJournalRun::Step() {
    if (Ended()) return false;
    const int nTrans = block_[next_];
    // Until the step has succeeded it counts as failed: a throw leaves the run ended there.
    failed_ = true;
    const TJournalGuard guard;
    if (!guard.Acquired() || ShellServices().FatalClose()) return false;
    {
        TBudgetTransaction transaction(ShellServices().BudgetPath());
        TJournalView journal(true);
        if (!journal.Locate(fld::NTrans, {nTrans}) ||
            journal.FieldByName(fld::Status).AsString() != (undo_ ? kStatusToBack : kStatusToActB))
            return false;
        const TTransRow row{nTrans, journal.FieldByName(fld::Act).AsString(),
                            journal.FieldByName(fld::IDObject).AsInteger(),
                            journal.FieldByName(fld::Type).AsInteger(),
                            journal.FieldByName(fld::NameObject).AsString()};
        TStep step{row, transaction.Files()};
        const std::optional<int> result = TransKinds().Step(step, undo_);
        const bool done = result && (undo_ ? *result >= 0 : *result > 0);
        if (done && SetTransStatus(journal, nTrans, undo_ ? kStatusBack : kStatusApply)) {
            RefreshJournalView();
            transaction.Commit();
            failed_ = false;
        }
    }
    if (failed_) {
        RefreshJournalView();  // after the rollback
        return false;
    }
    ++next_;
    if (progress_) progress_();
    if (*stop_) stopped_ = true;
    return !Ended();
}

TJournalRun RunUndo(const bool& stop, TRunProgress progress) {
    return TJournalRun(true, stop, std::move(progress));
}

TJournalRun RunRedo(const bool& stop, TRunProgress progress) {
    return TJournalRun(false, stop, std::move(progress));
}

// ---- Marks left by a crash

namespace {

// Opens a table of the budget in the folder (not the open budget's), filtered.
void OpenIn(TTable& table, const std::string& folder, const char* name, const char* index,
            bool writable, TFilter filter) {
    table.SetDatabaseName(folder);
    table.SetTableName(name);
    table.SetIndexName(index);
    table.SetReadOnly(!writable);
    table.SetFilter(std::move(filter));
    table.SetFiltered(true);
    table.Open();
}

}  // namespace

int ResetStaleMarks(const std::string& folder) {
    const auto open = [&](TTable& journal, bool writable, TFilter filter) {
        OpenIn(journal, folder, tbl::jTrans, idx::Index_NTrans, writable, std::move(filter));
    };
    TEntries marked;
    {
        TTable journal;
        open(journal, false,
             Where(fld::Status) == kStatusToBack || Where(fld::Status) == kStatusToActB);
        marked = ReadEntries(journal);
    }
    if (marked.empty()) return 0;
    TTransactionScope transaction(folder);
    TTable journal;
    open(journal, true, {});
    for (const TEntry& entry : marked)
        SetTransStatus(journal, entry.NTrans,
                       entry.Status == kStatusToBack ? kStatusApply : kStatusBack);
    journal.Close();
    transaction.Commit();
    return static_cast<int>(marked.size());
}

int SettleRolledBackApplications(const std::string& folder) {
    struct TLeft {
        int NTrans = 0;
        bool Undone = false;  // the row becomes "BACK"; else it goes
    };
    // Only the rows left unfinished are read, so that an opening costs nothing more in the usual
    // case of none; the newest row's number is read only when there is one.
    std::vector<std::pair<TTransRow, bool>> unfinished;  // with whether it is acting
    {
        TTable journal;
        OpenIn(journal, folder, tbl::jTrans, idx::Index_NTrans, false,
               Where(fld::Status) == kStatusAct || Where(fld::Status) == kStatusReady);
        for (; !journal.Eof(); journal.Next())
            unfinished.push_back({{journal.FieldByName(fld::NTrans).AsInteger(),
                                   journal.FieldByName(fld::Act).AsString(),
                                   journal.FieldByName(fld::IDObject).AsInteger(),
                                   journal.FieldByName(fld::Type).AsInteger(),
                                   journal.FieldByName(fld::NameObject).AsString()},
                                  journal.FieldByName(fld::Status).AsString() == kStatusAct});
    }
    if (unfinished.empty()) return 0;
    int newest = 0;
    {
        TTable journal;
        OpenIn(journal, folder, tbl::jTrans, idx::Index_NTrans, false, {});
        journal.Last();
        newest = journal.FieldByName(fld::NTrans).AsInteger();
    }
    // Each row's preparation is taken back before its row changes: a kill in between leaves the
    // row as it was, and taking back again finds what is left.
    std::vector<TLeft> settle;
    for (const auto& [row, acting] : unfinished) {
        const TTransKind* kind = TransKinds().KindOf(row);
        if (kind == nullptr || (acting && !kind->Steps().WholeInStep)) continue;
        const TPreparationLeft left = kind->TakeBackPreparation(folder, row);
        if (left == TPreparationLeft::Kept) continue;
        settle.push_back({row.NTrans, left == TPreparationLeft::Redoable && row.NTrans == newest});
    }
    if (settle.empty()) return 0;
    std::vector<std::string> folders;
    {
        TTransactionScope transaction(folder);
        TTable journal;
        OpenIn(journal, folder, tbl::jTrans, idx::Index_NTrans, true, {});
        for (const TLeft& row : settle) {
            if (row.Undone) {
                SetTransStatus(journal, row.NTrans, kStatusBack);
                continue;
            }
            for (const char* parts : {tbl::jTrInteger, tbl::jTrText, tbl::jTrDate}) {
                TTable rows;
                OpenIn(rows, folder, parts, "", true, Where(fld::NTrans) == row.NTrans);
                DeleteAllRows(rows);
            }
            if (journal.Locate(fld::NTrans, {row.NTrans})) journal.Delete();
            folders.push_back(TransFolder(folder, row.NTrans));
        }
        journal.Close();
        transaction.Commit();
    }
    for (const std::string& left : folders) {
        std::error_code error;
        std::filesystem::remove_all(left, error);
    }
    return static_cast<int>(settle.size());
}

int RemoveUnnamedObjectFolders(const std::string& folder) {
    namespace fs = std::filesystem;
    using TFolderOf = std::string (*)(const std::string&, int);
    const TFolderOf album = AlbumFolder;
    const TFolderOf collection = CollectionFolder;
    std::set<std::string> owned;
    {
        TTable objects;
        OpenIn(objects, folder, tbl::Objects, "", false,
               Where(fld::Type) == int(otImages) || Where(fld::Type) == int(otFiles));
        for (; !objects.Eof(); objects.Next()) {
            const TFolderOf folderOf =
                objects.FieldByName(fld::Type).AsInteger() == otImages ? album : collection;
            owned.insert(folderOf(folder, objects.FieldByName(fld::ID).AsInteger()));
        }
    }
    std::vector<std::string> unowned;
    for (const TFolderOf folderOf : {album, collection}) {
        const fs::path parent = fs::path(folderOf(folder, 0)).parent_path();
        std::error_code error;
        for (fs::directory_iterator entry(parent, error), end; !error && entry != end;
             entry.increment(error)) {
            // An object's folder is exactly the folder of the ID its name ends with.
            const std::string name = entry->path().filename().string();
            const std::size_t id = name.find_last_not_of("0123456789") + 1;
            if (id == 0 || id == name.size() || name.size() - id > 9) continue;
            const std::string path = folderOf(folder, std::stoi(name.substr(id)));
            std::error_code kind;
            if (path == (parent / name).string() && !owned.contains(path) &&
                entry->symlink_status(kind).type() == fs::file_type::directory)
                unowned.push_back(path);
        }
    }
    int removed = 0;
    for (const std::string& path : unowned) {
        std::error_code error;
        fs::remove_all(path, error);
        if (!error) ++removed;
    }
    return removed;
}
