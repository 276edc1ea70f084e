// The table cursor on which the program keeps its data: TTable with its fields, and the helper
// that borrows a table with a filter of its own.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Database.h"
#include "platform/Dates.h"
#include "platform/FieldValue.h"
#include "platform/TableDef.h"
#include "platform/TableFilter.h"

class TTable;

// One column of an open table, read from and written to the table's current row. Obtained
// from TTable::FieldByName or TTable::Fields; valid until the table is closed.
//
// Reads: the value of the current row, read again from the file when any table of the folder
// wrote to this table since; in edit or insert mode the value being edited; with no current row
// (an empty view) the unset value. A field that was never written reads as 0, "" or day 0.
// Each kind has its accessor (AsInteger for integer fields, AsString for text fields,
// AsDateTime for date and time fields); Value and SetValue serve every kind (copying rows field
// by field). Asking a field for another kind throws EDatabaseError.
// Writes need edit or insert mode. A date field keeps the whole day of the value, a time field
// the fraction of the day. The record counter (field 0) is kept by the table and cannot be set.
class TField {
public:
    const std::string& FieldName() const { return name_; }
    TFieldKind Kind() const { return kind_; }
    // The position in the row: 0 is the record counter.
    int Index() const { return index_; }

    std::string AsString() const;
    int AsInteger() const;
    TDateTime AsDateTime() const;
    TFieldValue Value() const;

    void SetAsString(std::string_view value);
    void SetAsInteger(int value);
    void SetAsDateTime(TDateTime value);
    void SetValue(const TFieldValue& value);

private:
    friend class TTable;
    TField(TTable& table, int index, std::string name, TFieldKind kind)
        : table_(&table), index_(index), name_(std::move(name)), kind_(kind) {}
    TFieldValue Read(TFieldKind wanted, const char* accessor) const;

    TTable* table_;
    int index_;
    std::string name_;
    TFieldKind kind_;
};

enum class TDataSetState { Inactive, Browse, Edit, Insert };

// A cursor over one table of a folder: configured while closed, then opened, walked, searched
// and changed row by row.
//
// Configuration (while closed; changing it on an open table throws EDatabaseError, except
// the filter):
//   SetDatabaseName(folder)     the folder whose tables file holds the table
//   SetTableName("Objects.db")  the table file's name; the extension is dropped and the name is
//                               matched without regard to case ("Objects.DB", "objects")
//   SetIndexName("Index01")     the row order of a named index ("Index_NTrans" for jTrans),
//   SetIndexFieldNames("NTrans;NPart")  or of the listed fields; neither: the counter's order.
//                               Setting one clears the other. Rows that are equal in the index
//                               come in the order of their record counter (the order they were
//                               added in).
//   SetFilter(filter), SetFiltered(true)  the rows shown; a filter only counts while Filtered
//                               is on, and the empty filter lets every row through. Changing
//                               either on an open table shows the new view from its first row.
//   SetReadOnly(true)           Append, Insert, Edit and Delete throw
//
// Open shows the first row of the view (Bof true; Eof true when the view is empty). Navigation
// behaves as the program's algorithms expect:
//   First        the first row; Bof true.
//   Last         the last row; Eof true (so "Last; while not Bof: ...; Prior" walks back from it).
//   Next, Prior  one row on or back; at the end (start) the cursor stays and Eof (Bof) becomes
//                true. "First; while not Eof: ...; Next" walks the view.
// Bof and Eof are both true exactly when the view is empty. Otherwise at most one is: Bof after
// First or a Prior that found no row before, Eof after Last or a Next that found no row after,
// neither after any other move. So on a one-row view First gives Bof, and a Next then gives Eof
// with Bof false.
//   Locate("NTrans;NPart", {n, k})  the first row in view order whose fields equal the values
//                exactly (texts case-sensitive, dates as whole days); true when found, else
//                false and the cursor stays.
//   RecordCount, IsEmpty  the rows of the view now in the file.
// Rows that another TTable adds or deletes show when the cursor next reads rows from the file
// (at the latest after Open or Refresh); the values of the current row are always those in the
// file. A current row that another TTable deletes keeps its values (Edit and Delete then throw),
// and the cursor walks on from its place; neither it nor a current row that another TTable
// changed out of the view counts as a row of the view for First, Last and IsEmpty.
// A walk reads from the file only the fields that the table has been asked for (in this open or
// an earlier one); a field asked for the first time is read from the file by its row, and the
// walk reads it from then on.
//
// Changes:
//   Append (or Insert, which is the same: rows take their place by the index) starts a new row
//   with every field unset; Edit starts editing the current row; fields are set; Post writes the
//   row and leaves the cursor on it, in its place in the view's order (a row that the filter does
//   not show leaves the cursor on the row after its place, or the last); Cancel drops the edits.
//   Moving the cursor (First, Next, Locate, ...) or a new Append/Edit posts pending edits first;
//   Close drops them. Delete removes the current row and leaves the cursor on the next row, or on
//   the new last row when it was the last (Bof and Eof stay false unless the view is now empty).
//   Each Post and Delete is committed at once unless a TTransactionScope of the folder is open.
//
// FlushBuffers posts pending edits and writes every committed change of the folder into its
// tables file (the "save the table's changes to disk" before a table is closed).
//
// Events: BeforeClose runs when an open table is closed (not when it is destroyed). Data-change
// handlers run after every change of what the cursor shows: open, moves, refresh, post, delete,
// cancel and a new row (field null), and after each field set in edit or insert mode (that
// field). A handler may use other tables freely.
//
// Errors: every failure (a missing or damaged tables file, an unknown table, index or field, a
// value of the wrong kind, a write to a read-only table) throws EDatabaseError naming the file.
// A table whose Open failed stays closed.
//
// Every TTable on one folder shares one connection; all use runs on the GUI thread.
class TTable {
public:
    TTable();
    ~TTable();
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;

    void SetDatabaseName(std::string folder);
    const std::string& DatabaseName() const { return folder_; }
    void SetTableName(std::string name);
    const std::string& TableName() const { return tableName_; }
    void SetIndexName(std::string name);
    const std::string& IndexName() const { return indexName_; }
    void SetIndexFieldNames(std::string fields);
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_; }
    void SetFilter(TFilter filter);
    const TFilter& Filter() const { return filter_; }
    void SetFiltered(bool filtered);
    bool Filtered() const { return filtered_; }

    void Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::Inactive; }
    TDataSetState State() const { return state_; }
    // Reads the current row again and the rows around it from the file.
    void Refresh();

    void First();
    void Last();
    void Next();
    void Prior();
    bool Bof() const { return position_.Bof(); }
    bool Eof() const { return position_.Eof(); }
    bool IsEmpty();
    int RecordCount();
    // Changes with every write to the table through any TTable of its folder and with every
    // rollback on the folder: rows read while it stays the same are still the table's rows.
    // 0 while the table is closed.
    std::uint64_t Version() const { return Active() ? info_->Version : 0; }
    bool Locate(std::string_view fields, const std::vector<TFieldValue>& values);

    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Deletes every row of the view (all the table's rows when no filter counts) in one
    // statement, pending edits dropped, and shows the view again from its first row.
    void DeleteAll();
    void FlushBuffers();

    int FieldCount() const { return Active() ? static_cast<int>(fields_.size()) : 0; }
    TField& Fields(int index);
    TField& FieldByName(std::string_view name);
    // The field of that name, or null.
    TField* FindField(std::string_view name);

    std::function<void(TTable&)> BeforeClose;
    using TDataChange = std::function<void(TTable&, const TField* field)>;
    // Returns an id for RemoveDataChangeHandler.
    int AddDataChangeHandler(TDataChange handler);
    void RemoveDataChangeHandler(int id);

private:
    friend class TField;
    // The current row: its values, [0] being the record counter. A row read while walking holds
    // its counter at first; the others are read when asked for, from the walking statement
    // while it stands on the row and selected them, else from the file.
    struct TRow {
        std::vector<TFieldValue> Values;
        std::uint64_t Loaded = 0;  // bit i: Values[i] has been read
    };
    // Gives up the statement that reads the view row by row when the connection asks.
    struct TReader final : TLiveReader {
        explicit TReader(TTable& table) : table(table) {}
        void Park(const TTableInfo* changed) override;
        TTable& table;
    };
    enum class TStream { None, Forward, Backward };
    // Where the cursor stands in its view. Without a current row, either nothing is known of the
    // view (Unknown: the next move reads it from its start or its end) or it was read empty
    // (Empty). With one (row_), what is known of it:
    //   its standing: read in the view with no write to the table since (InView); written to
    //     since, and still in the file, so perhaps no longer in the view (Unchecked); or deleted
    //     by another table, its values kept (Gone);
    //   whether no row of the view lies before / after its place (as far as the cursor read);
    //   the end that the last move ran into (Bof, Eof) or none.
    // Invariants, which the constructors and changes below keep:
    //   - Bof and Eof are both true exactly when there is no current row;
    //   - with a row at most one of them is true: the end is the one that First or Last went
    //     to or a Next or Prior ran into, and any other move that finds a row clears it;
    //   - without a row nothing else is kept, and the changes below change nothing.
    class TPosition {
    public:
        enum class TEnd : std::uint8_t { None, Bof, Eof };
        static TPosition Unknown() { return TPosition(TPlace::Unknown); }
        static TPosition Empty() { return TPosition(TPlace::Empty); }
        // A row just read in the view.
        static TPosition Row(bool noneBefore, bool noneAfter) {
            TPosition position(TPlace::InView);
            position.noneBefore_ = noneBefore;
            position.noneAfter_ = noneAfter;
            return position;
        }

        bool HasRow() const { return place_ >= TPlace::InView; }
        bool KnownEmpty() const { return place_ == TPlace::Empty; }
        bool InView() const { return place_ == TPlace::InView; }
        bool Unchecked() const { return place_ == TPlace::Unchecked; }
        bool Gone() const { return place_ == TPlace::Gone; }
        bool Bof() const { return !HasRow() || end_ == TEnd::Bof; }
        bool Eof() const { return !HasRow() || end_ == TEnd::Eof; }
        // No row of the view lies after (forward) / before the current row's place.
        bool NoneBeyond(bool forward) const { return forward ? noneAfter_ : noneBefore_; }

        void SetEnd(TEnd end) {
            if (HasRow()) end_ = end;
        }
        void SetNoneBeyond(bool forward) {
            if (HasRow()) (forward ? noneAfter_ : noneBefore_) = true;
        }
        // The view was found to show the unchecked row.
        void Confirm() {
            if (place_ == TPlace::Unchecked) place_ = TPlace::InView;
        }
        // Another table wrote to the table: the row is unchecked or gone, and nothing is known of
        // its neighbours; without a row nothing is known of the view.
        void Written(bool gone) {
            if (!HasRow()) {
                place_ = TPlace::Unknown;
                return;
            }
            place_ = gone ? TPlace::Gone : TPlace::Unchecked;
            noneBefore_ = noneAfter_ = false;
        }

    private:
        enum class TPlace : std::uint8_t { Unknown, Empty, InView, Unchecked, Gone };
        explicit TPosition(TPlace place) : place_(place) {}
        TPlace place_;
        TEnd end_ = TEnd::None;
        bool noneBefore_ = false;
        bool noneAfter_ = false;
    };

    // Inline, as every field read and move runs them.
    void CheckActive() const {
        if (!Active()) Fail("The table is closed");
    }
    void CheckClosed(const char* what) const;
    void CheckWritable() const;
    void CheckBrowseMode();
    [[noreturn]] void Fail(const std::string& message) const;
    void BuildQueries();
    int ExistingColumn(std::string_view field) const;
    std::vector<int> ViewOrder() const;
    TFilter::TSql FilterSql() const;
    std::vector<int> KeysetColumns(const std::vector<int>& order,
                                   const std::vector<std::string>& fixed) const;
    std::string SelectOf(std::uint64_t columns) const;
    void BuildWalkQueries(std::uint64_t columns);
    void BuildLookupQueries();
    void BuildWriteQueries();
    void Reopen();
    void Notify(const TField* field);

    TFieldValue CurrentValue(int index);
    void SetFieldValue(int index, TFieldValue value);

    void Sync() {
        if (rowVersion_ != info_->Version) SyncAfterWrite();
    }
    void SyncAfterWrite();
    // The columns that a query selects, listed in column order, and the place of each in its
    // rows.
    struct TSelection {
        TSelection() = default;
        explicit TSelection(std::uint64_t columns);
        std::uint64_t Columns = 0;
        std::array<std::uint8_t, 64> Place{};
    };
    void ReadInto(TRow& row, const TStatement& statement, const TSelection& selected,
                  std::uint64_t columns) const;
    void Load(std::uint64_t columns);
    void LoadKeys();
    std::vector<TFieldValue> KeyOf(const TRow& row) const;
    std::optional<TRow> ReadByCounter(std::int64_t counter);
    bool Shows(std::int64_t counter);
    bool Step(TStream direction);
    void GoToEnd(TStream direction);
    void GoOn(TStream direction);
    void UpdateGuard();
    // The insert or update that writes the given fields (bit i: field i), held while open.
    TStatement& WriteStatement(bool inserting, std::uint64_t columns);
    void StartStream(TStream direction, const TRow* anchor);
    void StopStream();
    void ShowOnly(TRow& row);
    void SeekFrom(const TRow& anchor);
    void CloseQuietly();
    int ColumnIndex(std::string_view name) const;

    std::string folder_;
    std::string tableName_;
    std::string indexName_;
    std::string indexFieldNames_;
    bool readOnly_ = false;
    TFilter filter_;
    bool filtered_ = false;

    TDataSetState state_ = TDataSetState::Inactive;
    std::shared_ptr<TDatabase> db_;
    TTableInfo* info_ = nullptr;
    // The fields and queries are built again only when the table or the view changes shape.
    std::string fieldsFor_;
    std::string queriesFor_;
    std::vector<std::unique_ptr<TField>> fields_;
    std::unordered_map<std::string, int> fieldIndex_;  // by NameKey
    // The column of each slot of a spelling (see ColumnIndex), or one of these.
    static constexpr std::int8_t kNoColumn = -1;
    static constexpr std::int8_t kSharedSlot = -2;
    std::array<std::int8_t, 128> spellings_{};
    TRow unset_;
    std::vector<int> keyColumns_;  // columns of the keyset after the fixed ones, counter last
    std::uint64_t allColumns_ = 0;
    TSelection allSelection_;
    std::uint64_t keyMask_ = 0;  // the key columns and the counter
    // The columns that the cursor needed since the fields were made (so also in earlier opens of
    // the same table): those read through fields, and the key columns once a walk resumed from
    // a row. The walk selects only these and the counter. A column asked for that the walking
    // statement lacks is read from the file, and the walk goes on with a statement that selects
    // it too.
    std::uint64_t asked_ = 0;
    std::vector<TFieldValue> filterValues_;
    // The pieces that the view's queries are made of: the quoted table and counter, the filter
    // (" WHERE filter" and " WHERE filter AND ", or " WHERE "), the view's order both ways, and
    // the keyset with its parameters: "(Day,N)", "(?,?)".
    struct TViewSql {
        std::string table, counter, filter, where, whereAnd, ascending, descending, keyTuple,
            keyMarks;
    };
    struct TQueries {
        TViewSql view;
        TSelection walk;                         // the columns that the walk selects
        std::string first, last, after, before;  // the walk
        std::string byCounter, shows, count;
        std::string locatePrefix;          // the Locate query up to its conditions
        std::string locateFields, locate;  // the last Locate's fields and query
        std::vector<int> locateColumns;
        std::string remove;
    } sql_;

    // The cursor keeps its current row only. Walking on steps through one ordered query; after
    // a jump (Locate, Post, Delete, Refresh) or a turn, a query resumes after or before the
    // current row's index key.
    TRow row_;
    TPosition position_ = TPosition::Unknown();
    std::uint64_t rowVersion_ = 0;
    // Held while open, as Post runs often: one insert and one update per set of fields given.
    std::map<std::uint64_t, TStatement> inserts_;
    std::map<std::uint64_t, TStatement> updates_;
    std::uint64_t setColumns_ = 0;   // the fields set since Append or Edit
    std::uint64_t editVersion_ = 0;  // the table's version when Edit began
    std::optional<TStatement> stream_;
    // The columns that stream_ selects.
    TSelection streamSelection_;
    bool live_ = false;        // stream_ stands on the current row
    bool registered_ = false;  // the connection parks this table before writes
    TStream streamDirection_ = TStream::None;
    TReader reader_{*this};
    TRow buffer_;

    std::vector<std::pair<int, TDataChange>> handlers_;
    int nextHandlerId_ = 1;
};

// Borrows a table with a filter of its own, the way shared tables are borrowed: keeps the
// table's Filter and Filtered, closes it, sets the filter with Filtered on and opens it; at the
// end of the scope (or at Restore) closes it, puts Filter and Filtered back and opens it again.
// The table is open afterwards even when it was closed before. The empty filter shows every row.
// The destructor never throws: a failure to reopen there leaves the table closed and is not
// reported. A caller that must know calls Restore, which throws EDatabaseError; the scope then
// counts as restored, and the destructor does nothing more.
class TFilterScope {
public:
    TFilterScope(TTable& table, TFilter filter);
    ~TFilterScope() noexcept;
    TFilterScope(const TFilterScope&) = delete;
    TFilterScope& operator=(const TFilterScope&) = delete;

    void Restore();

private:
    TTable& table_;
    TFilter savedFilter_;
    bool savedFiltered_;
    bool restored_ = false;
};
