// The table cursor on which the program keeps its data: TTable with its fields, and the helper
// that borrows a table with a filter of its own.
#include "platform/Table.h"

#include <bit>
#include <climits>
#include <cstring>
#include <filesystem>

namespace {

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

// Equal texts: for names as short as those of columns faster than a call of memcmp.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    std::size_t i = 0;
    for (; i + 8 <= a.size(); i += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) return false;
    }
    for (; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// What places a spelling of a column name in TTable::spellings_: its length and its first and
// last letters.
std::size_t SpellingHash(std::string_view name) {
    return name.size() * 31 + static_cast<unsigned char>(name.front()) * 7 +
           static_cast<unsigned char>(name.back());
}

// The bit of the record counter in a set of columns.
constexpr std::uint64_t kCounterColumn = 1;

}  // namespace

// ---- TField

TFieldValue TField::Read(TFieldKind wanted, const char* accessor) const {
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
    // This runs for every field read, and most callers spell the name as the table does: the
    // slot of that spelling names the column unless two columns share it.
    if (!name.empty()) {
        const int column = spellings_[SpellingHash(name) % spellings_.size()];
        if (column >= 0 && SameName(info_->Def.Columns[column].Name, name)) return column;
    }
    const auto found = fieldIndex_.find(NameKey(name));
    return found == fieldIndex_.end() ? -1 : found->second;
}

// ---- TTable: open and close

void TTable::Open() {
    if (Active()) return;
    if (folder_.empty()) Fail("No folder is set");
    db_ = TDatabase::Get(folder_);
    try {
        info_ = &db_->Table(TableStem(tableName_));
        const std::vector<TColumnDef>& columns = info_->Def.Columns;
        const std::string shape = std::to_string(db_->Serial()) + "\n" + NameKey(info_->Def.Name);
        if (shape != fieldsFor_) {
            if (columns.size() > 64) Fail("The table has more than 64 columns");
            fields_.clear();
            fieldIndex_.clear();
            spellings_.fill(kNoColumn);
            unset_ = {};
            for (std::size_t i = 0; i < columns.size(); ++i) {
                fields_.push_back(std::unique_ptr<TField>(
                    new TField(*this, static_cast<int>(i), columns[i].Name, columns[i].Kind)));
                unset_.Values.push_back(UnsetValue(columns[i].Kind));
                fieldIndex_.emplace(NameKey(columns[i].Name), static_cast<int>(i));
                std::int8_t& slot = spellings_[SpellingHash(columns[i].Name) % spellings_.size()];
                slot = slot == kNoColumn ? static_cast<std::int8_t>(i) : kSharedSlot;
            }
            allColumns_ =
                columns.size() == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << columns.size()) - 1;
            unset_.Loaded = allColumns_;
            allSelection_ = TSelection(allColumns_);
            asked_ = 0;
            fieldsFor_ = shape;
            queriesFor_.clear();
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
    position_ = TPosition::Unknown();
    StopStream();
    if (registered_ && db_) db_->RemoveReader(&reader_);
    registered_ = false;
    inserts_.clear();
    updates_.clear();
    state_ = TDataSetState::Inactive;
    buffer_ = {};
    row_ = {};
    info_ = nullptr;
    db_.reset();
}

int TTable::ExistingColumn(std::string_view field) const {
    const int index = ColumnIndex(field);
    if (index < 0) Fail("The field '" + std::string(field) + "' does not exist");
    return index;
}

std::vector<int> TTable::ViewOrder() const {
    // The index columns, then the record counter.
    const TTableDef& def = info_->Def;
    std::vector<int> order;
    if (!indexName_.empty()) {
        const auto index = std::find_if(
            def.Indexes.begin(), def.Indexes.end(),
            [&](const TIndexDef& i) { return NameKey(i.Name) == NameKey(indexName_); });
        if (index == def.Indexes.end()) Fail("The index '" + indexName_ + "' does not exist");
        for (const std::string& name : index->Columns) order.push_back(ExistingColumn(name));
    } else if (!indexFieldNames_.empty()) {
        for (const std::string& name : FieldList(indexFieldNames_))
            order.push_back(ExistingColumn(name));
    }
    if (std::find(order.begin(), order.end(), 0) == order.end()) order.push_back(0);
    return order;
}

TFilter::TSql TTable::FilterSql() const {
    if (!filtered_) return {};
    const std::vector<TColumnDef>& columns = info_->Def.Columns;
    return filter_.ToSql(
        [&](std::string_view field) {
            const TColumnDef& column = columns[ExistingColumn(field)];
            return std::pair(column.Name, column.Kind);
        },
        [&](const std::string& field, const TFieldValue& value) {
            Fail("The filter compares the " +
                 std::string(KindName(columns[ExistingColumn(field)].Kind)) + " field '" + field +
                 "' with " + value.Describe());
        });
}

std::vector<int> TTable::KeysetColumns(const std::vector<int>& order,
                                       const std::vector<std::string>& fixed) const {
    // The order columns without the leading ones that the filter fixes to one value, so that
    // SQLite seeks in the index.
    std::size_t skip = 0;
    while (skip + 1 < order.size() &&
           std::any_of(fixed.begin(), fixed.end(), [&](const std::string& name) {
               return NameKey(name) == NameKey(info_->Def.Columns[order[skip]].Name);
           }))
        ++skip;
    return std::vector<int>(order.begin() + static_cast<std::ptrdiff_t>(skip), order.end());
}

void TTable::BuildQueries() {
    const std::vector<int> order = ViewOrder();
    TFilter::TSql filter = FilterSql();
    const std::string shape = fieldsFor_ + "\n" + NameKey(indexName_) + "\n" +
                              NameKey(indexFieldNames_) + "\n" + filter.Where;
    position_ = TPosition::Unknown();  // a new view: nothing of it is known yet
    StopStream();
    UpdateGuard();
    filterValues_ = std::move(filter.Values);
    if (shape == queriesFor_) return;

    keyColumns_ = KeysetColumns(order, filter.FixedColumns);
    keyMask_ = kCounterColumn;
    for (const int index : keyColumns_) keyMask_ |= std::uint64_t{1} << index;

    const auto quoted = [&](int index) { return QuotedName(info_->Def.Columns[index].Name); };
    std::vector<std::string> ascending, descending, key;
    for (const int index : order) {
        ascending.push_back(quoted(index));
        descending.push_back(quoted(index) + " DESC");
    }
    for (const int index : keyColumns_) key.push_back(quoted(index));
    TViewSql& view = sql_.view;
    view.table = QuotedName(info_->Def.Name);
    view.counter = quoted(0);
    view.where = filter.Where.empty() ? "" : " WHERE " + filter.Where;
    view.whereAnd = filter.Where.empty() ? " WHERE " : " WHERE " + filter.Where + " AND ";
    view.filter = filter.Where;
    view.ascending = " ORDER BY " + Joined(ascending, ",");
    view.descending = " ORDER BY " + Joined(descending, ",");
    view.keyTuple = "(" + Joined(key, ",") + ")";
    view.keyMarks = "(" + Joined(std::vector<std::string>(key.size(), "?"), ",") + ")";
    BuildWalkQueries(kCounterColumn | asked_);
    BuildLookupQueries();
    BuildWriteQueries();
    queriesFor_ = shape;
}

std::string TTable::SelectOf(std::uint64_t columns) const {
    std::vector<std::string> names;
    for (std::uint64_t rest = columns; rest != 0; rest &= rest - 1)
        names.push_back(QuotedName(info_->Def.Columns[std::countr_zero(rest)].Name));
    return "SELECT " + Joined(names, ",") + " FROM " + sql_.view.table;
}

void TTable::BuildWalkQueries(std::uint64_t columns) {
    // From either end of the view, and on after or back before a row's key.
    const TViewSql& view = sql_.view;
    const std::string select = SelectOf(columns);
    sql_.walk = TSelection(columns);
    sql_.first = select + view.where + view.ascending;
    sql_.last = select + view.where + view.descending;
    sql_.after = select + view.whereAnd + view.keyTuple + ">" + view.keyMarks + view.ascending;
    sql_.before = select + view.whereAnd + view.keyTuple + "<" + view.keyMarks + view.descending;
}

void TTable::BuildLookupQueries() {
    // One row by its counter, whether the view shows it, the view's count, and the parts of the
    // Locate query, whose conditions come with the fields searched.
    const TViewSql& view = sql_.view;
    const std::string select = SelectOf(allColumns_);
    sql_.byCounter = select + " WHERE " + view.counter + "=?";
    sql_.shows = view.filter.empty() ? ""
                                     : "SELECT 1 FROM " + view.table + " WHERE " + view.counter +
                                           "=? AND " + view.filter;
    sql_.count = "SELECT count(*) FROM " + view.table + view.where;
    sql_.locatePrefix = select + view.whereAnd;
    sql_.locateFields.clear();
}

void TTable::BuildWriteQueries() {
    // Inserts and updates depend on the fields set and are built when posted
    // (WriteStatement).
    const TViewSql& view = sql_.view;
    sql_.remove = "DELETE FROM " + view.table + " WHERE " + view.counter + "=?";
}

// ---- TTable: reading rows

TTable::TSelection::TSelection(std::uint64_t columns) : Columns(columns) {
    std::uint8_t place = 0;
    for (std::uint64_t rest = columns; rest != 0; rest &= rest - 1)
        Place[std::countr_zero(rest)] = place++;
}

void TTable::ReadInto(TRow& row, const TStatement& statement, const TSelection& selected,
                      std::uint64_t columns) const {
    // `columns` of the `selected` ones.
    const std::vector<TColumnDef>& defs = info_->Def.Columns;
    row.Values.resize(defs.size());
    row.Loaded = columns;
    for (std::uint64_t rest = columns; rest != 0; rest &= rest - 1) {
        const int i = std::countr_zero(rest);
        row.Values[i] = statement.Column(selected.Place[i], defs[i].Kind);
    }
}

void TTable::Load(std::uint64_t columns) {
    const std::uint64_t missing = columns & ~row_.Loaded;
    if (missing == 0) return;
    // What the walking statement selected, while it still stands on the current row.
    const std::uint64_t walked = live_ ? missing & streamSelection_.Columns : 0;
    const std::vector<TColumnDef>& defs = info_->Def.Columns;
    for (std::uint64_t rest = walked; rest != 0; rest &= rest - 1) {
        const int i = std::countr_zero(rest);
        row_.Values[i] = stream_->Column(streamSelection_.Place[i], defs[i].Kind);
    }
    row_.Loaded |= walked;
    if (walked == missing) return;
    if (std::optional<TRow> fresh = ReadByCounter(row_.Values[0].Integer())) {
        row_ = std::move(*fresh);
    } else {
        // Deleted by another process before these values were read.
        for (std::uint64_t rest = missing & ~walked; rest != 0; rest &= rest - 1) {
            const int i = std::countr_zero(rest);
            row_.Values[i] = unset_.Values[i];
        }
        row_.Loaded |= missing;
    }
}

void TTable::LoadKeys() {
    // The walk resumes from the current row, while the statement may still stand on it. Walks
    // that only go on seldom need the keys: they are selected once they had to be read from
    // the file.
    const std::uint64_t atHand = row_.Loaded | (live_ ? streamSelection_.Columns : 0);
    if ((keyMask_ & ~atHand) != 0) asked_ |= keyMask_;
    Load(keyMask_);
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
    TRow row;
    ReadInto(row, statement, allSelection_, allColumns_);
    return row;
}

bool TTable::Shows(std::int64_t counter) {
    if (sql_.shows.empty()) return true;
    TStatement statement = db_->Prepare(sql_.shows);
    statement.Bind(1, TFieldValue(counter));
    statement.Bind(2, filterValues_);
    return statement.Step();
}

void TTable::UpdateGuard() {
    // The connection parks the table before any write while it has a statement open or a
    // current row with values not yet read: the row is then read whole while it still exists.
    const bool needed = stream_.has_value() || (position_.HasRow() && row_.Loaded != allColumns_);
    if (needed == registered_) return;
    if (needed)
        db_->AddReader(&reader_);
    else
        db_->RemoveReader(&reader_);
    registered_ = needed;
}

void TTable::StartStream(TStream direction, const TRow* anchor) {
    if (anchor == &row_) LoadKeys();
    StopStream();
    if ((kCounterColumn | asked_) != sql_.walk.Columns) BuildWalkQueries(kCounterColumn | asked_);
    const bool forward = direction == TStream::Forward;
    TStatement statement = db_->Prepare(anchor == nullptr ? (forward ? sql_.first : sql_.last)
                                                          : (forward ? sql_.after : sql_.before));
    const int next = statement.Bind(1, filterValues_);
    if (anchor != nullptr) statement.Bind(next, KeyOf(*anchor));
    stream_.emplace(std::move(statement));
    streamSelection_ = sql_.walk;
    streamDirection_ = direction;
    live_ = false;
    UpdateGuard();
}

void TTable::StopStream() {
    if (!stream_) return;
    stream_.reset();
    streamDirection_ = TStream::None;
    live_ = false;
    UpdateGuard();
}

void TTable::TReader::Park(const TTableInfo* changed) {
    // The connection has let go of the table. Before a change of its table the current row takes
    // what the file holds now, even if the change deletes it; a row that still lacks values is
    // parked again before the next write.
    table.registered_ = false;
    if (table.position_.HasRow() && (changed == nullptr || changed == table.info_)) {
        table.Load(table.allColumns_);
    } else if (table.position_.HasRow() && table.live_) {
        // What the walk needs to resume from the row, where the statement holds it.
        table.Load(table.keyMask_ & table.streamSelection_.Columns);
    }
    table.stream_.reset();
    table.streamDirection_ = TStream::None;
    table.live_ = false;
    table.UpdateGuard();
}

bool TTable::Step(TStream direction) {
    // Moves to the next (prior) row of the view, or to the first (last) row when the cursor
    // has none and knows nothing; false, with the cursor where it was, when there is none.
    // The end the cursor stands at stays as it is; the caller sets it.
    const bool forward = direction == TStream::Forward;
    const bool fromEnd = !position_.HasRow();
    if (fromEnd ? position_.KnownEmpty() : position_.NoneBeyond(forward)) return false;
    if (streamDirection_ != direction) StartStream(direction, fromEnd ? nullptr : &row_);
    live_ = false;  // the statement leaves the current row
    if (!stream_->Step()) {
        StopStream();
        if (fromEnd)
            position_ = TPosition::Empty();
        else
            position_.SetNoneBeyond(forward);
        return false;
    }
    ReadInto(row_, *stream_, streamSelection_, kCounterColumn);  // the rest when asked for
    live_ = true;
    // A row read from the start has none before it, one read from the end none after it.
    position_ = TPosition::Row(fromEnd && forward, fromEnd && !forward);
    return true;
}

void TTable::ShowOnly(TRow& row) {
    // Takes the row; `row` is left with the former current row (whose storage is used again).
    StopStream();
    std::swap(row_, row);
    position_ = TPosition::Row(false, false);
    rowVersion_ = info_->Version;
    UpdateGuard();
}

void TTable::SeekFrom(const TRow& anchor) {
    // The row after the anchor's place in the view, else the last row before it, else none.
    if (&anchor == &row_) LoadKeys();
    const TRow place = anchor;
    position_ = TPosition::Unknown();
    StopStream();
    rowVersion_ = info_->Version;
    for (const TStream direction : {TStream::Forward, TStream::Backward}) {
        StartStream(direction, &place);
        if (stream_->Step()) {
            ReadInto(row_, *stream_, streamSelection_, kCounterColumn);
            live_ = true;
            position_ = TPosition::Row(false, direction == TStream::Backward);
            return;
        }
        StopStream();
    }
    position_ = TPosition::Empty();
}

void TTable::SyncAfterWrite() {
    // Another table wrote to this one: read the current row afresh; the rows around it are read
    // again when the cursor moves. The row may have left the view meanwhile.
    StopStream();
    rowVersion_ = info_->Version;
    bool gone = false;
    if (position_.HasRow()) {
        if (std::optional<TRow> fresh = ReadByCounter(row_.Values[0].Integer())) {
            row_ = std::move(*fresh);
        } else {
            Load(allColumns_);
            gone = true;
        }
    }
    position_.Written(gone);
}

TFieldValue TTable::CurrentValue(int index) {
    CheckActive();
    if (state_ != TDataSetState::Browse) return buffer_.Values[index];
    const std::uint64_t column = std::uint64_t{1} << index;
    asked_ |= column;
    Sync();
    if (!position_.HasRow()) return unset_.Values[index];
    if ((row_.Loaded & column) == 0) {
        // Straight from the walking statement while it stands on the row.
        if (live_ && (streamSelection_.Columns & column) != 0)
            return stream_->Column(streamSelection_.Place[index], info_->Def.Columns[index].Kind);
        Load(column);
        // The walk goes on with a statement that selects the column too.
        if (stream_ && (streamSelection_.Columns & column) == 0) StopStream();
    }
    return row_.Values[index];
}

// ---- TTable: navigation

void TTable::Notify(const TField* field) {
    if (handlers_.empty()) return;
    const auto handlers = handlers_;
    for (const auto& [id, handler] : handlers) handler(*this, field);
}

void TTable::First() {
    GoToEnd(TStream::Forward);
}

void TTable::Last() {
    GoToEnd(TStream::Backward);
}

void TTable::GoToEnd(TStream direction) {
    // The first row (reading forward from the start) or the last (backward from the end).
    CheckActive();
    CheckBrowseMode();
    const bool forward = direction == TStream::Forward;
    if (!(position_.InView() && position_.NoneBeyond(!forward) && rowVersion_ == info_->Version)) {
        StopStream();
        position_ = TPosition::Unknown();
        rowVersion_ = info_->Version;
        Step(direction);
    }
    position_.SetEnd(forward ? TPosition::TEnd::Bof : TPosition::TEnd::Eof);
    Notify(nullptr);
}

void TTable::Next() {
    GoOn(TStream::Forward);
}

void TTable::Prior() {
    GoOn(TStream::Backward);
}

void TTable::GoOn(TStream direction) {
    // One row on or back; at the end of the view the cursor stays and Eof (Bof) is set, while
    // the other end is left.
    CheckActive();
    CheckBrowseMode();
    Sync();
    const bool forward = direction == TStream::Forward;
    if (!Step(direction)) {
        position_.SetEnd(forward ? TPosition::TEnd::Eof : TPosition::TEnd::Bof);
        return;
    }
    Notify(nullptr);
}

bool TTable::IsEmpty() {
    CheckActive();
    Sync();
    if (position_.Unchecked() && Shows(row_.Values[0].Integer())) position_.Confirm();
    if (position_.InView()) return false;
    if (position_.HasRow()) {
        // Another table deleted the current row or changed it out of the view: stand on its
        // neighbour.
        SeekFrom(row_);
    } else if (Step(TStream::Forward)) {
        // Rows came since the view was read empty: stand on the first.
        position_.SetEnd(TPosition::TEnd::Bof);
    } else {
        return true;
    }
    Notify(nullptr);
    return !position_.HasRow();
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
        sql_.locate =
            sql_.locatePrefix + Joined(conditions, " AND ") + sql_.view.ascending + " LIMIT 1";
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
        TFieldValue stored = values[i];
        if (!ToStoredForm(column.Kind, stored))
            Fail("Locate compares the " + std::string(KindName(column.Kind)) + " field '" +
                 column.Name + "' with " + values[i].Describe());
        statement.Bind(position++, stored);
    }
    if (!statement.Step()) return false;
    TRow found;
    ReadInto(found, statement, allSelection_, allColumns_);
    ShowOnly(found);
    Notify(nullptr);
    return true;
}

void TTable::Refresh() {
    CheckActive();
    CheckBrowseMode();
    if (!position_.HasRow()) {
        First();
        return;
    }
    const std::int64_t counter = row_.Values[0].Integer();
    std::optional<TRow> fresh = ReadByCounter(counter);
    if (fresh && Shows(counter))
        ShowOnly(*fresh);
    else
        SeekFrom(fresh ? *fresh : row_);  // from where the row stands now, or stood
    Notify(nullptr);
}

// ---- TTable: changes

void TTable::Append() {
    CheckActive();
    CheckWritable();
    CheckBrowseMode();
    buffer_ = unset_;
    setColumns_ = 0;
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
    if (!position_.HasRow()) Fail("There is no row to edit");
    if (position_.Gone()) Fail("The row to edit was deleted by another table");
    Load(allColumns_);
    buffer_ = row_;
    setColumns_ = 0;
    editVersion_ = info_->Version;
    state_ = TDataSetState::Edit;
}

void TTable::SetFieldValue(int index, TFieldValue value) {
    CheckActive();
    const TColumnDef& column = info_->Def.Columns[index];
    if (state_ == TDataSetState::Browse)
        Fail("The field '" + column.Name + "' cannot be set: the table is not being edited");
    if (index == 0) Fail("The record counter '" + column.Name + "' is kept by the table");
    if (!ToStoredForm(column.Kind, value))
        Fail("The " + std::string(KindName(column.Kind)) + " field '" + column.Name +
             "' cannot hold " + value.Describe());
    buffer_.Values[index] = std::move(value);
    setColumns_ |= std::uint64_t{1} << index;
    Notify(fields_[index].get());
}

void TTable::Post() {
    CheckActive();
    if (state_ == TDataSetState::Browse) return;
    const bool inserting = state_ == TDataSetState::Insert;
    // Another table wrote to this one while the row was edited: the fields this edit does not
    // write may have changed in the file.
    const bool othersWrote = !inserting && info_->Version != editVersion_;
    db_->BeginWrite(*info_);
    // A new row names only the fields that were set: the others take the column's default,
    // which is their unset value. An edit writes only the fields that were set, so that an
    // index whose columns did not change is not written either; an edit that set nothing
    // writes the row as it is (and so still finds out whether it was deleted).
    const std::uint64_t columns =
        inserting || setColumns_ != 0 ? setColumns_ : allColumns_ & ~std::uint64_t{1};
    TStatement& statement = WriteStatement(inserting, columns);
    int position = 1;
    for (std::uint64_t rest = columns; rest != 0; rest &= rest - 1)
        statement.Bind(position++, buffer_.Values[std::countr_zero(rest)]);
    if (!inserting) statement.Bind(position, buffer_.Values[0]);
    statement.Step();
    statement.Reset();
    if (inserting)
        buffer_.Values[0] = TFieldValue(db_->LastInsertId());
    else if (db_->Changes() == 0)
        Fail("The row being edited was deleted by another table");
    else if (othersWrote)
        if (std::optional<TRow> fresh = ReadByCounter(buffer_.Values[0].Integer()))
            buffer_ = std::move(*fresh);
    state_ = TDataSetState::Browse;
    if (Shows(buffer_.Values[0].Integer()))
        ShowOnly(buffer_);
    else
        SeekFrom(buffer_);
    Notify(nullptr);
}

TStatement& TTable::WriteStatement(bool inserting, std::uint64_t columns) {
    auto& held = inserting ? inserts_ : updates_;
    const auto found = held.find(columns);
    if (found != held.end()) return found->second;
    const std::vector<TColumnDef>& defs = info_->Def.Columns;
    std::vector<std::string> names;
    for (std::uint64_t rest = columns; rest != 0; rest &= rest - 1)
        names.push_back(QuotedName(defs[std::countr_zero(rest)].Name));
    const TViewSql& view = sql_.view;
    std::string sql;
    if (!inserting) {
        for (std::string& name : names) name += "=?";
        sql = "UPDATE " + view.table + " SET " +
              (names.empty() ? view.counter + "=" + view.counter : Joined(names, ",")) + " WHERE " +
              view.counter + "=?";
    } else if (names.empty()) {
        sql = "INSERT INTO " + view.table + " DEFAULT VALUES";
    } else {
        sql = "INSERT INTO " + view.table + " (" + Joined(names, ",") + ") VALUES (" +
              Joined(std::vector<std::string>(names.size(), "?"), ",") + ")";
    }
    return held.emplace(columns, db_->Prepare(sql)).first->second;
}

void TTable::Cancel() {
    CheckActive();
    if (state_ == TDataSetState::Browse) return;
    state_ = TDataSetState::Browse;
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
    Sync();
    if (!position_.HasRow()) Fail("There is no row to delete");
    if (position_.Gone()) Fail("The row to delete was deleted by another table");
    db_->BeginWrite(*info_);
    TStatement statement = db_->Prepare(sql_.remove);
    statement.Bind(1, row_.Values[0]);
    statement.Step();
    if (db_->Changes() == 0) Fail("The row to delete was deleted by another table");
    SeekFrom(row_);  // the row after the deleted one, or the new last
    Notify(nullptr);
}

void TTable::DeleteAll() {
    CheckActive();
    CheckWritable();
    if (state_ != TDataSetState::Browse) Cancel();
    const TFilter::TSql filter = FilterSql();
    db_->BeginWrite(*info_);
    TStatement statement = db_->Prepare("DELETE FROM " + QuotedName(info_->Def.Name) +
                                        (filter.Where.empty() ? "" : " WHERE " + filter.Where));
    statement.Bind(1, filter.Values);
    statement.Step();
    First();
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
    : table_(table), savedFilter_(table.Filter()), savedFiltered_(table.Filtered()) {
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

TFilterScope::~TFilterScope() noexcept {
    try {
        Restore();
    } catch (...) {
        // Left closed; the caller asked Restore when it had to know.
    }
}

void TFilterScope::Restore() {
    if (restored_) return;
    restored_ = true;
    table_.Close();
    table_.SetFilter(savedFilter_);
    table_.SetFiltered(savedFiltered_);
    table_.Open();
}
