// The read-only grid model over a table: the rows of a table's view as a grid shows them, read
// lazily in blocks through a cursor of its own.
#include "platform/TableGridModel.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

// The rows read at a time, and the blocks kept: a grid shows a few dozen rows, so the rows in
// view and those around them stay read while the user scrolls back and forth.
constexpr int kBlockRows = 64;
constexpr std::size_t kKeptBlocks = 16;

}  // namespace

TTableGridModel::TTableGridModel(std::vector<std::string> fields, std::string key,
                                 std::vector<TColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), fields_(std::move(fields)), columns_(std::move(columns)) {
    keyIndex_ = FieldIndex(key);
    if (keyIndex_ < 0) throw std::logic_error("The grid's key " + key + " is not among its fields");
}

void TTableGridModel::SetTitle(int column, const QString& title) {
    columns_.at(column).Title = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int TTableGridModel::FieldIndex(std::string_view field) const {
    const auto found = std::find(fields_.begin(), fields_.end(), field);
    return found == fields_.end() ? -1 : static_cast<int>(found - fields_.begin());
}

TTableGridModel::TView TTableGridModel::ViewOf(const TTable& source) {
    if (!source.Active()) return {};
    return {true,
            source.DatabaseName(),
            source.TableName(),
            source.IndexName(),
            source.IndexFieldNames(),
            source.Filter(),
            source.Filtered()};
}

void TTableGridModel::Follow(const TTable& source) {
    const TView view = ViewOf(source);
    if (view == view_ && (!view.Active || cursor_.Version() == version_)) return;
    beginResetModel();
    try {
        if (view == view_)
            Forget();
        else
            Open(view);
        count_ = view_.Active ? cursor_.RecordCount() : 0;
        version_ = cursor_.Version();
    } catch (...) {
        Drop();
        endResetModel();
        throw;
    }
    endResetModel();
}

void TTableGridModel::Clear() {
    beginResetModel();
    Drop();
    endResetModel();
}

void TTableGridModel::Drop() {
    Forget();
    cursor_.Close();
    counter_.Close();
    view_ = {};
    count_ = 0;
    version_ = 0;
}

// Opens the model's cursor on the view; a closed view closes it.
void TTableGridModel::Open(const TView& view) {
    Drop();
    if (!view.Active) return;
    for (TTable* table : {&cursor_, &counter_}) {
        table->SetDatabaseName(view.Folder);
        table->SetTableName(view.Table);
        table->SetReadOnly(true);
    }
    if (!view.IndexName.empty())
        cursor_.SetIndexName(view.IndexName);
    else
        cursor_.SetIndexFieldNames(view.IndexFields);
    cursor_.SetFilter(view.Filter);
    cursor_.SetFiltered(view.Filtered);
    cursor_.Open();
    view_ = view;
}

// The rows read are dropped; the cursor's place is no longer known.
void TTableGridModel::Forget() {
    blocks_.clear();
    position_ = -1;
}

TFilter TTableGridModel::Filter() const {
    return view_.Filtered ? view_.Filter : TFilter();
}

int TTableGridModel::RowOf(const TFieldValue& key) {
    for (const auto& [start, rows] : blocks_)
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i][keyIndex_] == key) return start + static_cast<int>(i);
    if (!view_.Active) return -1;
    // The rows before it in the view's order are those with a smaller key.
    counter_.SetFilter(Filter() && TWhere(fields_[keyIndex_]) < key);
    counter_.SetFiltered(true);
    if (!counter_.Active()) counter_.Open();
    const int row = counter_.RecordCount();
    const TRow* found = Row(row);
    return found != nullptr && (*found)[keyIndex_] == key ? row : -1;
}

const TTableGridModel::TRow* TTableGridModel::Row(int row) {
    if (row < 0 || row >= count_) return nullptr;
    const int start = row - row % kBlockRows;
    auto block = blocks_.find(start);
    if (block == blocks_.end()) block = ReadBlock(start);
    const std::vector<TRow>& rows = block->second;
    const std::size_t at = static_cast<std::size_t>(row - start);
    return at < rows.size() ? &rows[at] : nullptr;
}

// Reads the block of rows from `start`, dropping the block farthest from it when the model
// keeps enough.
std::map<int, std::vector<TTableGridModel::TRow>>::iterator TTableGridModel::ReadBlock(int start) {
    ++blocksRead_;
    if (blocks_.size() >= kKeptBlocks) {
        const auto farthest = std::max_element(
            blocks_.begin(), blocks_.end(), [start](const auto& left, const auto& right) {
                return std::abs(left.first - start) < std::abs(right.first - start);
            });
        blocks_.erase(farthest);
    }
    std::vector<TRow> rows;
    const int end = std::min(start + kBlockRows, count_);
    MoveTo(start);
    for (int row = start; position_ == row && row < end; ++row) {
        TRow& values = rows.emplace_back();
        for (const std::string& field : fields_)
            values.push_back(cursor_.FieldByName(field).Value());
        if (row + 1 < end) MoveTo(row + 1);
    }
    return blocks_.emplace(start, std::move(rows)).first;
}

// Moves the cursor to the row, walking from where it stands, from the first row or from the
// last, whichever is nearest. The cursor stays short of it when the view has fewer rows.
void TTableGridModel::MoveTo(int row) {
    const int fromHere = position_ >= 0 ? std::abs(row - position_) : count_;
    const int fromLast = count_ - 1 - row;
    if (row <= fromHere && row <= fromLast) {
        cursor_.First();
        position_ = cursor_.IsEmpty() ? -1 : 0;
    } else if (fromLast < fromHere) {
        cursor_.Last();
        position_ = cursor_.IsEmpty() ? -1 : count_ - 1;
    }
    while (position_ >= 0 && position_ < row) {
        cursor_.Next();
        if (cursor_.Eof()) return;
        ++position_;
    }
    while (position_ > row) {
        cursor_.Prior();
        if (cursor_.Bof()) return;
        --position_;
    }
}

int TTableGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int TTableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TTableGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    try {
        // Reading a row fills the model's blocks: the model is not changed as the grid sees it.
        const TRow* row = const_cast<TTableGridModel*>(this)->Row(index.row());
        if (row == nullptr) return {};
        return columns_.at(index.column()).Text(*row);
    } catch (const std::exception&) {
        // A grid paints what it can: a row that cannot be read shows empty cells.
        return {};
    }
}

QVariant TTableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QString();
    return section >= 0 && section < static_cast<int>(columns_.size()) ? columns_[section].Title
                                                                       : QVariant();
}
