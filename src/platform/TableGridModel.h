// The read-only grid model over a table: the rows of a table's view as a grid shows them, read
// lazily in blocks through a cursor of its own.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Table.h"

// The rows of a table's view (its folder, table, order and filter) for a grid that shows a
// table: the journal, the calendar, a pay's history. The model follows a source table, usually
// one of the data module's, whose view it shows; it reads only the rows the grid asks for, a
// block at a time, through a cursor of its own, and keeps a few blocks, never the whole table.
// It never moves the source's cursor and never writes.
class TTableGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The values that the model reads of one row: those of its fields, in their order.
    using TRow = std::vector<TFieldValue>;
    // A column of the grid: its title and the text of a row's cell.
    struct TColumn {
        QString Title;
        std::function<QString(const TRow&)> Text;
    };

    // `fields`: the fields read of every row; `key`: one of them, unique in the view and
    // ascending in the view's order (NTrans in the journal), by which RowOf finds a row.
    TTableGridModel(std::vector<std::string> fields, std::string key, std::vector<TColumn> columns,
                    QObject* parent = nullptr);

    void SetTitle(int column, const QString& title);

    // Shows the source's view. Called whenever the source changed (its data-change event): the
    // rows are read again when the source shows another view than the model (another folder,
    // table, order or filter, or it was opened or closed) or when the table was written since
    // they were read; a mere move of the source's cursor changes nothing. A closed source shows
    // no rows. Database errors reach the caller; the model then shows no rows.
    void Follow(const TTable& source);
    // Shows no rows and lets go of the table (the folder's connection is not held by the model).
    void Clear();

    // The row whose key field holds the value; -1 when the view has none.
    int RowOf(const TFieldValue& key);
    // The values of the row, read when needed; null outside the view's rows.
    const TRow* Row(int row);
    // How many blocks of rows the model has read from the table since it was made (what a
    // grid's scrolling costs).
    int BlocksRead() const { return blocksRead_; }
    // The place of a field in a TRow; -1 for a field the model does not read.
    int FieldIndex(std::string_view field) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // What identifies the view that the model shows.
    struct TView {
        bool Active = false;
        std::string Folder, Table, IndexName, IndexFields;
        TFilter Filter;
        bool Filtered = false;
        bool operator==(const TView&) const = default;
    };
    static TView ViewOf(const TTable& source);
    void Open(const TView& view);
    void Drop();
    void Forget();
    std::map<int, std::vector<TRow>>::iterator ReadBlock(int start);
    void MoveTo(int row);
    TFilter Filter() const;

    std::vector<std::string> fields_;
    int keyIndex_;
    std::vector<TColumn> columns_;

    TView view_;
    TTable cursor_;
    TTable counter_;  // counts the rows before a key
    std::uint64_t version_ = 0;
    int count_ = 0;
    int position_ = -1;                        // the row the cursor stands on; -1 not known
    std::map<int, std::vector<TRow>> blocks_;  // by the row they start at
    int blocksRead_ = 0;
};
