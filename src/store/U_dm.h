// The data module: the budget list and the seventeen tables of the open budget, shared by the
// whole program, with its deletions, queries and algorithm storage on the open budget.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "platform/Table.h"
#include "schema/SchemaNames.h"

// A view of one table of the open budget (TfMain::BudgetPath) for one operation, the temporary
// table object of the program's operations: the table file named, ordered by the index named,
// read-only unless writable, showing the rows the filter lets through (the empty filter: all),
// opened at once and closed when it goes. Its reads and writes never disturb the data module's
// shared tables.
class TBudgetTable : public TTable {
public:
    explicit TBudgetTable(std::string_view file, bool writable = false, TFilter filter = {},
                          std::string_view index = idx::Index01);
};

// Deletes every row that the table shows, from the first.
void DeleteAllRows(TTable& table);

// Deletes the rows that the filter lets through from a shared table, borrowing it with that
// filter (TFilterScope) whatever filter it held; each, when given, is called on every row
// first (the table's cursor on it). In one store transaction.
void ClearRows(TTable& table, TFilter rows, const std::function<void(TTable& row)>& each = {});

// Deletes a folder of the open budget (an album's, a file collection's, a transaction's) with
// everything in it, when there is one. A folder that stays, or that cannot even be looked at, is
// the main window's fatal error kFolderNotDeleted with the error of the deletion, and the caller
// goes on to its end.
void DeleteBudgetFolder(const std::string& folder);

// The folder of an image album of the open budget (Images/IMG<id>: the pictures, "mini/" their
// thumbnails, "tmpload/" and "mini/tmpload/" for pictures not yet applied) and of a file
// collection (Files/DIR<id>); the same in the budget folder `budget`.
std::string AlbumFolder(int id);
std::string CollectionFolder(int id);
std::string AlbumFolder(const std::string& budget, int id);
std::string CollectionFolder(const std::string& budget, int id);
// The staging folders of an album's folder: the pictures added in an edit of the album and
// their thumbnails, until the change is applied.
std::string StagingFolder(const std::string& album);     // album + "/tmpload"
std::string StagedMiniFolder(const std::string& album);  // album + "/mini/tmpload"
// The name of a picture's thumbnail in "mini/": the picture's name with its extension replaced
// by ".bmp" (appended to a name without one).
std::string ThumbnailName(std::string_view picture);

// An algorithm's text as stored and journaled: pieces of 100 characters (the last one holds the
// rest; an empty text has none). A piece may end between the two characters of a line break.
std::vector<std::string> AlgorithmTextPieces(std::string_view text);

// The journal threshold of packing: the NTrans below which transactions go. `first` is the
// NTrans of the journal's first row, `secondToLast` that of the row before its last (of the
// only row when there is one; both 0 for an empty journal). 0 (nothing goes) when `transCount`
// is 0 or less or the span secondToLast - first is not above it; otherwise the span less
// `transCount`. The threshold is that difference alone, never added to `first`: a journal
// 1 ... 1000 with 500 kept gives 498, the next pack of 498 ... 1600 gives 601.
int PackThreshold(int first, int secondToLast, int transCount);

// The view filter of one pay's history (Pays.db FilterMode, FilterDateFrom, FilterDateTo).
struct PayFilterInfo {
    bool FilterOn = false;
    bool ShowCounters = false;       // "CN"
    bool ShowAutoCharges = false;    // "CH" with IDCharge not 0
    bool ShowManualCharges = false;  // "CH" with IDCharge 0
    bool ShowPayments = false;       // "PY"
    bool UseDateFrom = false;
    TDateTime DateFrom = 0;
    bool UseDateTo = false;
    TDateTime DateTo = 0;
    bool operator==(const PayFilterInfo&) const = default;
};

// One instance, DM, created before every window and kept to the end of the run. Its tables are
// configured as the module holds them before the program sets them up: each has its table file
// name and is read-only, the four journal tables are ordered by "NTrans", and TableObjects'
// BeforeClose is bound to TableObjectsBeforeClose. The load phase and the opening of a budget
// set folders, indexes and read-only flags; nobody frees or replaces the tables.
class TDM {
public:
    TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    TTable TableBudgets;
    TTable TablejTrans;
    TTable TablejTrInteger;
    TTable TablejTrText;
    TTable TablejTrDate;
    TTable TableObjects;
    TTable TableTables;
    TTable TableImages;
    TTable TableNumbers;
    TTable TableAlgorithms;
    TTable TableAlgExtData;
    TTable TableAlgVarDescr;
    TTable TableAlgText;
    TTable TablePays;
    TTable TablePayHistory;
    TTable TableAutoCharges;
    TTable TableSchedules;
    TTable TableCalendar;

    // The start's preparation: TableBudgets opened read-only on the users-data folder's budget
    // list with the index "Index01"; the seventeen budget tables closed, ordered by "Index01"
    // (jTrans by "Index_NTrans") and read-only, until a budget is opened. From then on a
    // budget's tables file must have exactly the schema of the data folder's EmptyBases when it
    // is first opened (SetSchemaReference), or it is refused with its bytes as they are.
    void PrepareTables(const std::string& usersDataPath);
    // Opens a budget: the marks an undo or redo run cut short by a crash left in its journal go
    // back (ResetStaleMarks of Utransactions_undo.h), the applications that rolled back are
    // settled (SettleRolledBackApplications) and the album and collection folders that no object
    // has are removed (RemoveUnnamedObjectFolders), then the seventeen budget tables are
    // closed, pointed at the budget folder, made writable and opened, in the order of
    // BudgetTables; their table names, indexes and filters stay. TableBudgets is not touched.
    void OpenBudget(const std::string& folder);
    // Saves the changes of each of the seventeen budget tables into the folder's tables file
    // and closes it (a failed save is not reported; the table is closed all the same), then lets
    // the message loop run once. TableBudgets is not touched. Packing calls it before it
    // replaces the budget's tables; the file may be replaced only once no table at all is open
    // on the folder (TDatabase::Find gives none), as any table left open keeps the connection to
    // the old file and its write-ahead log.
    void FlushAndCloseTables();
    // Opens the seventeen budget tables again with the folder, index, filter and read-only
    // flag they had.
    void OpenTables();
    // Packs the open budget (its seventeen tables open on its folder, as OpenBudget leaves
    // them), trimming its journal to `transCount` transactions by PackThreshold:
    // 1. in one store transaction, the jTrans rows below the threshold and their parts in
    //    jTrInteger, jTrText and jTrDate are deleted;
    // 2. then, in jTrFiles, every entry that is not the folder of a kept transaction goes: the
    //    folders of the transactions below the threshold or below the first one kept, loose
    //    files, and folders whose name is not a number of digits that fits an integer;
    // 3. then the tables file is compacted (CompactTables), the budget tables closed around it
    //    and opened again with their filters, each on its first row.
    // The object tables keep their rows, VLBudget.ini, Images/, Files/ and every other file of
    // the budget stay. A crash at any moment leaves the budget whole: before step 1's commit
    // nothing has changed, after it only folders of deleted transactions may remain, which the
    // next pack removes. Table errors reach the caller; a folder that cannot be removed stays.
    void PackBudget(int transCount);
    // The setup run: every "[users_data]" (letter case counts) in the Path of the budget list's
    // rows becomes the users-data folder; every row is written again. Table errors reach the
    // caller.
    void ResolveBudgetPaths();
    // Bound to TableObjects' BeforeClose; does nothing.
    void TableObjectsBeforeClose(TTable& dataSet);

    // Deletions without the journal, on the open budget's shared tables and folder, each taking
    // the object's ID. Every shared table they filter has its Filter and Filtered back and is
    // open afterwards. A row is found by its ID whatever filter a shared table holds.
    //
    // The object's Objects.db row; an ID without a row is the journal's fatal error -3 and
    // nothing is deleted. Lets the message loop run before and after.
    void DeleteObjectRecord(int id);
    // Its Tables.db rows, then its object row.
    void DeleteTableObject(int id);
    // Its Images.db rows and its folder Images/IMG<id> (a folder that exists and cannot be
    // deleted: TfMain::FatalError -3, and the object row still goes), then its object row.
    void DeleteImagesObject(int id);
    // Its folder Files/DIR<id> as above, then its object row.
    void DeleteFilesObject(int id);
    // DeleteNumberItems, then its object row.
    void DeleteNumberObject(int id);
    // DeletePayData, then its object row.
    void DeletePayObject(int id);
    // A number's Numbers.db rows and the algorithms of its "A" items.
    void DeleteNumberItems(int id);
    // DeletePayHistory, DeleteAutoCharges, then the pay's Pays.db row (none: no error).
    void DeletePayData(int id);
    // A pay's PayHistory.db rows.
    void DeletePayHistory(int id);
    // A pay's PayAutoCharges.DB rows, the algorithms of its "A" charges and the schedules of all
    // its charges.
    void DeleteAutoCharges(int id);

    // Dates of the open budget; today is the current day at midnight.
    //
    // The Date of the calendar's first row; today for an empty calendar.
    TDateTime FirstCalendarDate();
    // The earliest first event of any pay when it lies before today, else today.
    TDateTime EarliestPayEventDate();
    // The latest last event of any pay when it lies after today, else today.
    TDateTime LatestPayEventDate();
    // The same over the manual charges ("CH" with IDCharge 0) and the payments only.
    TDateTime LatestManualPayEventDate();

    // A pay's settings in Pays.db; a pay without a row reads the defaults and writes nothing.
    void WritePayFilter(int id, const PayFilterInfo& filter);
    PayFilterInfo ReadPayFilter(int id);
    // Filter off, the four kinds shown, no period bounds, both dates today.
    PayFilterInfo DefaultPayFilter();
    // Sets Direction and the pay's tree icon (Objects.db Image, PayIcon).
    void SetPayDirection(int id, char direction);
    // The first letter of Direction; 'N' for a pay without a row or with an empty Direction.
    char GetPayDirection(int id);

    // The algorithm storage of the open budget: Algorithms.db, AlgExtData.db, AlgVarDescr.db
    // and AlgText.db, keyed by the algorithm's ID.
    //
    // The stored algorithm with that ID (its initial data with Date 0 and DataStr empty). An ID
    // without an Algorithms.db row is the journal's fatal error -3; the record then holds the ID
    // alone and must not be stored or journaled.
    Algorithm01 LoadAlgorithm(int id);
    // Stores the algorithm under a new ID (NextAlgorithmId; the record's ID is not used) and
    // returns that ID.
    int SaveAlgorithm(const Algorithm01& algorithm);
    // Deletes every row of the algorithm in the four tables; an ID without rows changes nothing.
    void DeleteAlgorithm(int id);
    // The pay (PayAutoCharges.DB, looked at first) or number (Numbers.db) whose row refers to
    // the algorithm; -1 when none does.
    int FindAlgorithmOwner(int idAlg);
    // Fills users with the owner of every algorithm that takes the object as an initial datum,
    // once per referring datum (-1 for an algorithm that nothing owns), the object itself left
    // out; true when at least one was added.
    bool ListDataSourceUsers(int idObject, std::vector<int>& users);

    // The seventeen budget tables in the order in which they are opened on a budget: the
    // thirteen object tables, then the journal's four with jTrans last.
    std::array<TTable*, 17> BudgetTables();
};

extern TDM* DM;
