// The table cursor on which the program keeps its data: TTable with its fields, and the helper
// that borrows a table with a filter of its own.
#include "platform/Table.h"

#include <climits>
#include <exception>
#include <filesystem>

namespace {

// How many rows a cursor keeps around the current one while it is walked in one direction.
constexpr std::size_t kWindowLimit = 4096;

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? separator : "") + parts[i];
    return text;
}

// "NTrans;NPart" gives NTrans and NPart; blanks around a name are dropped.
std::vector<std::string> FieldList(std::string_view list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        std::string_view name = list.substr(start, end - start);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        names.emplace_back(name);
        start = end + 1;
    }
    return names;
}

}  // namespace

// ---- TField

const TFieldValue& TField::Read(TFieldKind wanted, const char* accessor) const {
    const bool dateOrTime = kind_ == TFieldKind::Date || kind_ == TFieldKind::Time;
    if (wanted == TFieldKind::Date ? !dateOrTime : kind_ != wanted)
        table_->Fail("The field '" + name_ + "' is a " + KindName(kind_) + " field; " + accessor +
                     " cannot read it");
    return table_->CurrentValue(index_);
}

std::string TField::AsString() const {
    return Read(TFieldKind::Text, "AsString").Text();
}

int TField::AsInteger() const {
    const std::int64_t value = Read(TFieldKind::Integer, "AsInteger").Integer();
    if (value < INT_MIN || value > INT_MAX)
        table_->Fail("The value of the field '" + name_ + "' is too large for AsInteger");
    return static_cast<int>(value);
}

TDateTime TField::AsDateTime() const {
    return Read(TFieldKind::Date, "AsDateTime").Real();
}

TFieldValue TField::Value() const {
    return table_->CurrentValue(index_);
}

void TField::SetAsString(std::string_view value) {
    if (kind_ != TFieldKind::Text)
        table_->Fail("The field '" + name_ + "' is a " + KindName(kind_) +
                     " field; SetAsString cannot write it");
    table_->SetFieldValue(index_, TFieldValue(value));
}

void TField::SetAsInteger(int value) {
    if (kind_ != TFieldKind::Integer)
        table_->Fail("The field '" + name_ + "' is a " + KindName(kind_) +
                     " field; SetAsInteger cannot write it");
    table_->SetFieldValue(index_, TFieldValue(value));
}

void TField::SetAsDateTime(TDateTime value) {
    if (kind_ != TFieldKind::Date && kind_ != TFieldKind::Time)
        table_->Fail("The field '" + name_ + "' is a " + KindName(kind_) +
                     " field; SetAsDateTime cannot write it");
    table_->SetFieldValue(index_, TFieldValue(value));
}

void TField::SetValue(const TFieldValue& value) {
    table_->SetFieldValue(index_, value);
}

// ---- TTable: configuration

TTable::TTable() = default;

TTable::~TTable() {
    CloseQuietly();
}

void TTable::Fail(const std::string& message) const {
    const std::string text = "Table '" + tableName_ + "': " + message;
    if (db_) db_->Fail(text);
    throw EDatabaseError((std::filesystem::path(folder_) / kTablesFileName).string(), text);
}

void TTable::CheckActive() const {
    if (!Active()) Fail("The table is closed");
}

void TTable::CheckClosed(const char* what) const {
    if (Active()) Fail(std::string("Cannot change the ") + what + " of an open table");
}

void TTable::CheckWritable() const {
    if (readOnly_) Fail("The table is read-only");
}

void TTable::CheckBrowseMode() {
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) Post();
}

void TTable::SetDatabaseName(std::string folder) {
    CheckClosed("folder");
    folder_ = std::move(folder);
}

void TTable::SetTableName(std::string name) {
    CheckClosed("table name");
    tableName_ = std::move(name);
}

void TTable::SetIndexName(std::string name) {
    CheckClosed("index");
    indexName_ = std::move(name);
    indexFieldNames_.clear();
}

void TTable::SetIndexFieldNames(std::string fields) {
    CheckClosed("index");
    indexFieldNames_ = std::move(fields);
    indexName_.clear();
}

void TTable::SetReadOnly(bool readOnly) {
    CheckClosed("read-only flag");
    readOnly_ = readOnly;
}

void TTable::SetFilter(TFilter filter) {
    const bool changed = !(filter == filter_);
    filter_ = std::move(filter);
    if (changed && Active() && filtered_) Reopen();
}

void TTable::SetFiltered(bool filtered) {
    const bool changed = filtered != filtered_;
    filtered_ = filtered;
    if (changed && Active()) Reopen();
}

void TTable::Reopen() {
    CheckBrowseMode();
    try {
        BuildQueries();
        First();
    } catch (...) {
        CloseQuietly();
        throw;
    }
}

int TTable::ColumnIndex(std::string_view name) const {
    const std::string key = NameKey(name);
    const std::vector<TColumnDef>& columns = info_->Def.Columns;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (NameKey(columns[i].Name) == key) return static_cast<int>(i);
    return -1;
}

// ---- TTable: open and close

void TTable::Open() {
    if (Active()) return;
    if (folder_.empty()) Fail("No folder is set");
    db_ = TDatabase::Get(folder_);
    try {
        info_ = &db_->Table(TableStem(tableName_));
        const std::vector<TColumnDef>& columns = info_->Def.Columns;
        unset_.Values.clear();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            fields_.push_back(std::unique_ptr<TField>(
                new TField(*this, static_cast<int>(i), columns[i].Name, columns[i].Kind)));
            unset_.Values.push_back(UnsetValue(columns[i].Kind));
        }
        BuildQueries();
        state_ = TDataSetState::Browse;
        First();
    } catch (...) {
        CloseQuietly();
        throw;
    }
}

void TTable::Close() {
    if (!Active()) return;
    if (BeforeClose) BeforeClose(*this);
    CloseQuietly();
}

void TTable::CloseQuietly() {
    StopStream();
    state_ = TDataSetState::Inactive;
    buffer_ = {};
    rows_.clear();
    fields_.clear();
    unset_ = {};
    info_ = nullptr;
    db_.reset();
    bof_ = eof_ = true;
}

void TTable::BuildQueries() {
    const TTableDef& def = info_->Def;
    const auto column = [&](std::string_view field) -> int {
        const int index = ColumnIndex(field);
        if (index < 0) Fail("The field '" + std::string(field) + "' does not exist");
        return index;
    };

    // The view's order: the index columns, then the record counter.
    std::vector<int> order;
    if (!indexName_.empty()) {
        const auto index = std::find_if(
            def.Indexes.begin(), def.Indexes.end(),
            [&](const TIndexDef& i) { return NameKey(i.Name) == NameKey(indexName_); });
        if (index == def.Indexes.end()) Fail("The index '" + indexName_ + "' does not exist");
        for (const std::string& name : index->Columns) order.push_back(column(name));
    } else if (!indexFieldNames_.empty()) {
        for (const std::string& name : FieldList(indexFieldNames_)) order.push_back(column(name));
    }
    if (std::find(order.begin(), order.end(), 0) == order.end()) order.push_back(0);

    TFilter::TSql filter;
    if (filtered_) {
        filter = filter_.ToSql(
            [&](std::string_view field) {
                const int index = column(field);
                return std::pair(def.Columns[index].Name, def.Columns[index].Kind);
            },
            [&](const std::string& field, const TFieldValue& value) {
                Fail("The filter compares the " +
                     std::string(KindName(def.Columns[column(field)].Kind)) + " field '" + field +
                     "' with " + value.Describe());
            });
    }

    // The keyset that resumes the view after or before a row: the order columns without the
    // leading ones that the filter fixes to one value, so that SQLite seeks in the index.
    std::size_t skip = 0;
    while (skip + 1 < order.size() &&
           std::any_of(filter.FixedColumns.begin(), filter.FixedColumns.end(),
                       [&](const std::string& name) {
                           return NameKey(name) == NameKey(def.Columns[order[skip]].Name);
                       }))
        ++skip;
    std::vector<int> keyColumns(order.begin() + static_cast<std::ptrdiff_t>(skip), order.end());

    const auto quoted = [&](int index) { return QuotedName(def.Columns[index].Name); };
    std::vector<std::string> all, ascending, descending, key, marks, assignments, writable;
    for (std::size_t i = 0; i < def.Columns.size(); ++i) all.push_back(quoted(static_cast<int>(i)));
    for (const int index : order) {
        ascending.push_back(quoted(index));
        descending.push_back(quoted(index) + " DESC");
    }
    for (const int index : keyColumns) {
        key.push_back(quoted(index));
        marks.push_back("?");
    }
    for (std::size_t i = 1; i < def.Columns.size(); ++i) {
        writable.push_back(quoted(static_cast<int>(i)));
        assignments.push_back(quoted(static_cast<int>(i)) + "=?");
    }
    const std::string table = QuotedName(def.Name);
    const std::string counter = quoted(0);
    const std::string select = "SELECT " + Joined(all, ",") + " FROM " + table;
    const std::string where = filter.Where.empty() ? "" : " WHERE " + filter.Where;
    const std::string whereAnd =
        filter.Where.empty() ? " WHERE " : " WHERE " + filter.Where + " AND ";
    const std::string tuple = "(" + Joined(key, ",") + ")";
    const std::string values = "(" + Joined(marks, ",") + ")";
    const std::string asc = " ORDER BY " + Joined(ascending, ",");
    const std::string desc = " ORDER BY " + Joined(descending, ",");

    TQueries sql;
    sql.first = select + where + asc;
    sql.last = select + where + desc;
    sql.after = select + whereAnd + tuple + ">" + values + asc;
    sql.before = select + whereAnd + tuple + "<" + values + desc;
    sql.byCounter = select + " WHERE " + counter + "=?";
    if (!filter.Where.empty())
        sql.shows = "SELECT 1 FROM " + table + " WHERE " + counter + "=? AND " + filter.Where;
    sql.count = "SELECT count(*) FROM " + table + where;
    sql.insert = writable.empty()
                     ? "INSERT INTO " + table + " DEFAULT VALUES"
                     : "INSERT INTO " + table + " (" + Joined(writable, ",") + ") VALUES (" +
                           Joined(std::vector<std::string>(writable.size(), "?"), ",") + ")";
    sql.update =
        writable.empty()
            ? "UPDATE " + table + " SET " + counter + "=" + counter + " WHERE " + counter + "=?"
            : "UPDATE " + table + " SET " + Joined(assignments, ",") + " WHERE " + counter + "=?";
    sql.remove = "DELETE FROM " + table + " WHERE " + counter + "=?";
    sql.locatePrefix = select + whereAnd;
    sql.ascending = asc;

    StopStream();
    sql_ = std::move(sql);
    keyColumns_ = std::move(keyColumns);
    filterValues_ = std::move(filter.Values);
}

// ---- TTable: reading rows

TTable::TRow TTable::ReadRow(const TStatement& statement) const {
    TRow row;
    const std::vector<TColumnDef>& columns = info_->Def.Columns;
    row.Values.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
        row.Values.push_back(statement.Column(static_cast<int>(i), columns[i].Kind));
    return row;
}

std::vector<TFieldValue> TTable::KeyOf(const TRow& row) const {
    std::vector<TFieldValue> key;
    key.reserve(keyColumns_.size());
    for (const int index : keyColumns_) key.push_back(row.Values[index]);
    return key;
}

std::optional<TTable::TRow> TTable::ReadByCounter(std::int64_t counter) {
    TStatement statement = db_->Prepare(sql_.byCounter);
    statement.Bind(1, TFieldValue(counter));
    if (!statement.Step()) return std::nullopt;
    return ReadRow(statement);
}

bool TTable::Shows(std::int64_t counter) {
    if (sql_.shows.empty()) return true;
    TStatement statement = db_->Prepare(sql_.shows);
    statement.Bind(1, TFieldValue(counter));
    statement.Bind(2, filterValues_);
    return statement.Step();
}

void TTable::StartStream(TStream direction, const TRow* anchor) {
    StopStream();
    const bool forward = direction == TStream::Forward;
    TStatement statement = db_->Prepare(anchor == nullptr ? (forward ? sql_.first : sql_.last)
                                                          : (forward ? sql_.after : sql_.before));
    const int next = statement.Bind(1, filterValues_);
    if (anchor != nullptr) statement.Bind(next, KeyOf(*anchor));
    stream_.emplace(std::move(statement));
    streamDirection_ = direction;
    db_->AddReader(&reader_);
}

void TTable::StopStream() {
    if (!stream_) return;
    db_->RemoveReader(&reader_);
    stream_.reset();
    streamDirection_ = TStream::None;
}

void TTable::TReader::Park() {
    table.stream_.reset();
    table.streamDirection_ = TStream::None;
}

std::optional<TTable::TRow> TTable::StepStream() {
    if (!stream_->Step()) {
        StopStream();
        return std::nullopt;
    }
    return ReadRow(*stream_);
}

bool TTable::GrowForward() {
    if (tailKnown_) return false;
    if (streamDirection_ != TStream::Forward)
        StartStream(TStream::Forward, rows_.empty() ? nullptr : &rows_.back());
    std::optional<TRow> row = StepStream();
    if (!row) {
        tailKnown_ = true;
        return false;
    }
    rows_.push_back(std::move(*row));
    if (rows_.size() > kWindowLimit && cur_ > 0) {
        rows_.pop_front();
        --cur_;
        headKnown_ = false;
    }
    return true;
}

bool TTable::GrowBackward() {
    if (headKnown_) return false;
    if (streamDirection_ != TStream::Backward)
        StartStream(TStream::Backward, rows_.empty() ? nullptr : &rows_.front());
    std::optional<TRow> row = StepStream();
    if (!row) {
        headKnown_ = true;
        return false;
    }
    const bool first = rows_.empty();
    rows_.push_front(std::move(*row));
    cur_ = first ? 0 : cur_ + 1;
    if (rows_.size() > kWindowLimit && cur_ + 1 < rows_.size()) {
        rows_.pop_back();
        tailKnown_ = false;
    }
    return true;
}

void TTable::ShowOnly(TRow row) {
    StopStream();
    rows_.clear();
    rows_.push_back(std::move(row));
    cur_ = 0;
    headKnown_ = tailKnown_ = false;
    currentGone_ = false;
    windowVersion_ = info_->Version;
}

void TTable::SeekFrom(const TRow& anchor) {
    // The row after the anchor's place in the view, else the last row before it, else none.
    rows_.clear();
    cur_ = 0;
    headKnown_ = tailKnown_ = false;
    currentGone_ = false;
    windowVersion_ = info_->Version;
    StartStream(TStream::Forward, &anchor);
    if (std::optional<TRow> row = StepStream()) {
        rows_.push_back(std::move(*row));
        return;
    }
    tailKnown_ = true;
    StartStream(TStream::Backward, &anchor);
    if (std::optional<TRow> row = StepStream()) {
        rows_.push_back(std::move(*row));
        return;
    }
    headKnown_ = true;
}

void TTable::SettleAfterRemoval(const TRow& removed) {
    if (cur_ < rows_.size()) return;  // the next row is in the window
    if (rows_.empty()) {
        SeekFrom(removed);
        return;
    }
    // The removed row ended the window: the row after the window, else the new last row.
    GrowForward();
    cur_ = rows_.size() - 1;
}

void TTable::Sync() {
    if (windowVersion_ == info_->Version) return;
    // Another table wrote to this one: keep only the current row, read afresh, and read the
    // rows around it again when the cursor moves.
    StopStream();
    windowVersion_ = info_->Version;
    headKnown_ = tailKnown_ = false;
    if (rows_.empty()) return;
    TRow current = std::move(rows_[cur_]);
    rows_.clear();
    cur_ = 0;
    if (std::optional<TRow> fresh = ReadByCounter(current.Values[0].Integer())) {
        rows_.push_back(std::move(*fresh));
        currentGone_ = false;
    } else {
        rows_.push_back(std::move(current));
        currentGone_ = true;
    }
}

const TFieldValue& TTable::CurrentValue(int index) {
    CheckActive();
    if (state_ != TDataSetState::Browse) return buffer_.Values[index];
    Sync();
    if (rows_.empty()) return unset_.Values[index];
    return rows_[cur_].Values[index];
}

// ---- TTable: navigation

void TTable::Notify(const TField* field) {
    if (handlers_.empty()) return;
    const auto handlers = handlers_;
    for (const auto& [id, handler] : handlers) handler(*this, field);
}

void TTable::First() {
    CheckActive();
    CheckBrowseMode();
    StopStream();
    rows_.clear();
    cur_ = 0;
    headKnown_ = true;
    tailKnown_ = false;
    currentGone_ = false;
    windowVersion_ = info_->Version;
    GrowForward();
    bof_ = true;
    eof_ = rows_.empty();
    Notify(nullptr);
}

void TTable::Last() {
    CheckActive();
    CheckBrowseMode();
    StopStream();
    rows_.clear();
    cur_ = 0;
    headKnown_ = false;
    tailKnown_ = true;
    currentGone_ = false;
    windowVersion_ = info_->Version;
    GrowBackward();
    eof_ = true;
    bof_ = rows_.empty();
    Notify(nullptr);
}

void TTable::Next() {
    CheckActive();
    CheckBrowseMode();
    Sync();
    const bool leavingGone = currentGone_;
    bool moved = false;
    if (rows_.empty()) {
        moved = GrowForward();
        cur_ = 0;
    } else if (cur_ + 1 < rows_.size()) {
        ++cur_;
        moved = true;
    } else if (GrowForward()) {
        cur_ = rows_.size() - 1;
        moved = true;
    }
    if (!moved) {
        eof_ = true;
        return;
    }
    if (leavingGone) {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(cur_ - 1));
        --cur_;
        currentGone_ = false;
    }
    bof_ = eof_ = false;
    Notify(nullptr);
}

void TTable::Prior() {
    CheckActive();
    CheckBrowseMode();
    Sync();
    const bool leavingGone = currentGone_;
    bool moved = false;
    if (cur_ > 0) {
        --cur_;
        moved = true;
    } else if (GrowBackward()) {
        cur_ = 0;
        moved = true;
    }
    if (!moved) {
        bof_ = true;
        return;
    }
    if (leavingGone && rows_.size() > 1) {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(cur_ + 1));
        currentGone_ = false;
    }
    bof_ = eof_ = false;
    Notify(nullptr);
}

bool TTable::IsEmpty() {
    CheckActive();
    Sync();
    if (!rows_.empty() && !currentGone_) return false;
    if (currentGone_) {
        // The current row was deleted by another table: stand on its neighbour.
        const TRow gone = rows_[cur_];
        SeekFrom(gone);
        bof_ = eof_ = rows_.empty();
        Notify(nullptr);
        return rows_.empty();
    }
    if (headKnown_ && tailKnown_) return true;
    headKnown_ = true;
    if (!GrowForward()) return true;
    cur_ = 0;
    bof_ = true;
    eof_ = false;
    Notify(nullptr);
    return false;
}

int TTable::RecordCount() {
    CheckActive();
    TStatement statement = db_->Prepare(sql_.count);
    statement.Bind(1, filterValues_);
    statement.Step();
    return static_cast<int>(statement.ColumnInteger(0));
}

bool TTable::Locate(std::string_view fields, const std::vector<TFieldValue>& values) {
    CheckActive();
    CheckBrowseMode();
    if (fields != sql_.locateFields) {
        std::vector<int> columns;
        std::vector<std::string> conditions;
        for (const std::string& name : FieldList(fields)) {
            const int index = ColumnIndex(name);
            if (index < 0) Fail("The field '" + name + "' does not exist");
            columns.push_back(index);
            conditions.push_back(QuotedName(info_->Def.Columns[index].Name) + "=?");
        }
        sql_.locate = sql_.locatePrefix + Joined(conditions, " AND ") + sql_.ascending + " LIMIT 1";
        sql_.locateColumns = std::move(columns);
        sql_.locateFields = std::string(fields);
    }
    if (values.size() != sql_.locateColumns.size())
        Fail("Locate on '" + std::string(fields) + "' needs " +
             std::to_string(sql_.locateColumns.size()) + " values");
    TStatement statement = db_->Prepare(sql_.locate);
    int position = statement.Bind(1, filterValues_);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const TColumnDef& column = info_->Def.Columns[sql_.locateColumns[i]];
        std::optional<TFieldValue> stored = StoredForm(column.Kind, values[i]);
        if (!stored)
            Fail("Locate compares the " + std::string(KindName(column.Kind)) + " field '" +
                 column.Name + "' with " + values[i].Describe());
        statement.Bind(position++, *stored);
    }
    if (!statement.Step()) return false;
    ShowOnly(ReadRow(statement));
    bof_ = eof_ = false;
    Notify(nullptr);
    return true;
}

void TTable::Refresh() {
    CheckActive();
    CheckBrowseMode();
    if (rows_.empty()) {
        First();
        return;
    }
    const TRow current = rows_[cur_];
    const std::int64_t counter = current.Values[0].Integer();
    std::optional<TRow> fresh = ReadByCounter(counter);
    if (fresh && Shows(counter))
        ShowOnly(std::move(*fresh));
    else
        SeekFrom(current);
    bof_ = eof_ = rows_.empty();
    Notify(nullptr);
}

// ---- TTable: changes

void TTable::Append() {
    CheckActive();
    CheckWritable();
    CheckBrowseMode();
    buffer_ = unset_;
    state_ = TDataSetState::Insert;
    Notify(nullptr);
}

void TTable::Insert() {
    Append();
}

void TTable::Edit() {
    CheckActive();
    CheckWritable();
    if (state_ != TDataSetState::Browse) return;
    Sync();
    if (rows_.empty()) Fail("There is no row to edit");
    if (currentGone_) Fail("The row to edit was deleted by another table");
    buffer_ = rows_[cur_];
    state_ = TDataSetState::Edit;
}

void TTable::SetFieldValue(int index, const TFieldValue& value) {
    CheckActive();
    const TColumnDef& column = info_->Def.Columns[index];
    if (state_ == TDataSetState::Browse)
        Fail("The field '" + column.Name + "' cannot be set: the table is not being edited");
    if (index == 0) Fail("The record counter '" + column.Name + "' is kept by the table");
    std::optional<TFieldValue> stored = StoredForm(column.Kind, value);
    if (!stored)
        Fail("The " + std::string(KindName(column.Kind)) + " field '" + column.Name +
             "' cannot hold " + value.Describe());
    buffer_.Values[index] = std::move(*stored);
    Notify(fields_[index].get());
}

void TTable::Post() {
    CheckActive();
    if (state_ == TDataSetState::Browse) return;
    const bool inserting = state_ == TDataSetState::Insert;
    db_->BeginWrite(*info_);
    TStatement statement = db_->Prepare(inserting ? sql_.insert : sql_.update);
    int position = 1;
    for (std::size_t i = 1; i < buffer_.Values.size(); ++i)
        statement.Bind(position++, buffer_.Values[i]);
    if (!inserting) statement.Bind(position, buffer_.Values[0]);
    statement.Step();
    if (inserting)
        buffer_.Values[0] = TFieldValue(db_->LastInsertId());
    else if (db_->Changes() == 0)
        Fail("The row being edited was deleted by another table");
    state_ = TDataSetState::Browse;
    TRow row = std::move(buffer_);
    buffer_ = {};
    if (Shows(row.Values[0].Integer()))
        ShowOnly(std::move(row));
    else
        SeekFrom(row);
    bof_ = eof_ = rows_.empty();
    Notify(nullptr);
}

void TTable::Cancel() {
    CheckActive();
    if (state_ == TDataSetState::Browse) return;
    state_ = TDataSetState::Browse;
    buffer_ = {};
    Notify(nullptr);
}

void TTable::Delete() {
    CheckActive();
    CheckWritable();
    if (state_ == TDataSetState::Insert) {
        Cancel();
        return;
    }
    state_ = TDataSetState::Browse;
    buffer_ = {};
    Sync();
    if (rows_.empty()) Fail("There is no row to delete");
    if (currentGone_) Fail("The row to delete was deleted by another table");
    const TRow removed = rows_[cur_];
    db_->BeginWrite(*info_);
    TStatement statement = db_->Prepare(sql_.remove);
    statement.Bind(1, removed.Values[0]);
    statement.Step();
    if (db_->Changes() == 0) Fail("The row to delete was deleted by another table");
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(cur_));
    windowVersion_ = info_->Version;
    SettleAfterRemoval(removed);
    bof_ = eof_ = rows_.empty();
    Notify(nullptr);
}

void TTable::FlushBuffers() {
    CheckActive();
    CheckBrowseMode();
    db_->Checkpoint(false);
}

// ---- TTable: fields and events

TField& TTable::Fields(int index) {
    CheckActive();
    if (index < 0 || index >= FieldCount())
        Fail("There is no field number " + std::to_string(index));
    return *fields_[index];
}

TField* TTable::FindField(std::string_view name) {
    CheckActive();
    const int index = ColumnIndex(name);
    return index < 0 ? nullptr : fields_[index].get();
}

TField& TTable::FieldByName(std::string_view name) {
    TField* field = FindField(name);
    if (field == nullptr) Fail("The field '" + std::string(name) + "' does not exist");
    return *field;
}

int TTable::AddDataChangeHandler(TDataChange handler) {
    handlers_.emplace_back(nextHandlerId_, std::move(handler));
    return nextHandlerId_++;
}

void TTable::RemoveDataChangeHandler(int id) {
    std::erase_if(handlers_, [id](const auto& entry) { return entry.first == id; });
}

// ---- TFilterScope

TFilterScope::TFilterScope(TTable& table, TFilter filter)
    : table_(table),
      savedFilter_(table.Filter()),
      savedFiltered_(table.Filtered()),
      exceptionsAtStart_(std::uncaught_exceptions()) {
    table_.Close();
    table_.SetFilter(std::move(filter));
    table_.SetFiltered(true);
    try {
        table_.Open();
    } catch (...) {
        table_.SetFilter(savedFilter_);
        table_.SetFiltered(savedFiltered_);
        throw;
    }
}

TFilterScope::~TFilterScope() noexcept(false) {
    if (restored_) return;
    if (std::uncaught_exceptions() > exceptionsAtStart_) {
        // Leaving because of another error: that one is what the caller must see.
        try {
            Restore();
        } catch (...) {
        }
        return;
    }
    Restore();
}

void TFilterScope::Restore() {
    if (restored_) return;
    restored_ = true;
    table_.Close();
    table_.SetFilter(savedFilter_);
    table_.SetFiltered(savedFiltered_);
    table_.Open();
}
