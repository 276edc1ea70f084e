// The table frame: a table object's numbered rows of a name and a value in a grid, edited in an
// edit mode with row insertion, deletion, appending, clearing and a one-step undo and redo, and
// written as one journal transaction.
#pragma once

#include <QStringList>
#include <string>
#include <vector>

#include "reports/U_reportmake.h"
#include "shell/FrameRegistry.h"
#include "store/TransBlocks.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class TTableCellDelegate;

// Shows the table selected in the tree. Grid rows are counted as the frame counts them: row 0
// is the header, rows 1 to RowCount()-1 the data rows; column 0 the row's number, 1 its name,
// 2 its value.
class TfrTable : public TFrameBase {
    Q_OBJECT

public:
    explicit TfrTable(QWidget* parent);

    void ShowFor(const ObjectInfo& node) override;
    bool Leave() override;
    void HideFrame() override;
    QWidget* MainControl() const override;

    // The rows of the table `id` of the open budget into the grid: 0, or -1 (nothing changes)
    // when the object is no table. The grid keeps MinRowCount rows, one more than the table's
    // rows when it has as many; row 1, column 1 is selected afterwards. Not renumbered.
    int LoadTable(int id);
    // "1", "2", ... into column 0 of the data rows.
    void NumberRows();
    // The last data row whose name or value is not empty: UsedRowCount gives 0 when there is
    // none, LastUsedRow 1 (a report of an empty table writes one empty row).
    int UsedRowCount() const;
    int LastUsedRow() const;

    // The row operations of the edit actions and their undo.
    void DeleteRow(int row);
    void InsertRow(int row, const QString& name, const QString& value);
    void AppendRow(const QString& name, const QString& value);
    void ClearRows();
    // Shows the row buttons beside the row while it is in view in edit mode.
    void PlaceRowButtons(int row);
    // The top of the append button, left of the grid at its bottom.
    int AppendButtonTop() const;
    // The rows 1 to UsedRowCount as the table change writes them (empty rows between used ones
    // included).
    std::vector<TTableRowBlock> UsedRows() const;
    // Writes the grid's rows as the table's change and has the journal apply it: the applier's
    // result.
    int PrepareTableChange();

    int RowCount() const;
    void SetRowCount(int count);
    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);
    int RowHeight(int row) const;
    // The grid's current row (1 when none is current).
    int CurrentRow() const;
    // Selects the cell (column 1 when the column is not a text column).
    void SelectCell(int column, int row);

    // The table report's values: rows 1 to LastUsedRow as the grid shows them.
    TTableReportData ReportData() const;

    // The commands.
    void BitBtnEditClick();
    void BitBtnReportClick();
    void BitBtnApplyClick();
    void BitBtnCanselClick();
    void BitBtnClearClick();
    void BitBtnUndoClick();
    void BitBtnRedoClick();
    void BitBtnInsRowClick();
    void BitBtnDelRowClick();
    void BitBtnAppendRowClick();
    void Timer1Timer();
    // A cell became the current one; the text of the cell being edited changed.
    void StringGridTableSelectCell(int column, int row);
    void StringGridTableSetEditText(int column, int row, const QString& text);
    // Runs the animation under way to its end at once, so that a new action starts from a
    // finished one.
    void FinishAnimation();

    // Controls.
    QLabel* Image1;
    QTableWidget* StringGridTable;
    QPushButton* BitBtnEdit;
    QPushButton* BitBtnApply;
    QPushButton* BitBtnCansel;
    QPushButton* BitBtnClear;
    QPushButton* BitBtnUndo;
    QPushButton* BitBtnRedo;
    QPushButton* BitBtnReport;
    QPushButton* BitBtnInsRow;
    QPushButton* BitBtnDelRow;
    QPushButton* BitBtnAppendRow;
    QLabel* ImageInsRow;
    QLabel* ImageDelRow;
    QLabel* ImageAppendRow;
    QTimer* Timer1;

    // State.
    int IDObject = 0;
    int SelectedRow = 1;
    int ActionRow = 0;
    QString SavedText1, SavedText2;
    char ActionCode = 0;
    bool Undoing = false;
    bool DeletedLastRow = false;
    bool DeletedAtMinimum = false;
    bool DeleteShrank = false;  // the deletion took a row from the grid
    int ValueWidth = 0;
    int NameWidth = 0;  // the widest name loaded, in the grid's font
    bool EditRecorded = false;
    int ActionCol = 0;
    QString CellTextAtSelect;
    int TimerInterval = 10;
    int SlideStep = 2;
    int MinRowCount = 30;
    bool EditMode = false;
    int ChangeCount = 0;
    bool SlideOnLeave = true;
    QStringList ClearedNames, ClearedValues;
    std::string WordTable, SentChanged, SentSaveChanges;

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void FrameResize();
    // The grid at its left edge, its width filling the frame but 3 pixels, the value column
    // filling the rest.
    void PlaceGrid(int left);
    // The name column as wide as the longest name loaded, from its own width up to half the
    // grid; the value column takes the rest, or the longest value's width when that is more.
    void FitColumns();
    // View mode at once: the buttons of view mode, the grid at the left, no row buttons.
    void EnterViewMode();
    void LeaveEditMode();
    void SetUndoRedo(bool undo, bool redo);
    void StartTimer();
    // Closes the cell editor, keeping its text.
    void EndCellEdit();
    // An action may start in edit mode only, after the cell editor and the running animation
    // have finished: false outside edit mode.
    bool ReadyForAction();
    // The running row animation takes a row away ('D' done or redone, 'I' undone).
    bool Shrinking() const;
    // The action is the one step that Undo takes back.
    void RecordAction(char code);
    // After an undo, a redo or a row's removal: the next keystroke in the current cell is an
    // edit of its own, from the text the cell has now.
    void RearmCellEdit();
    // The row's number into column 0, not editable.
    void SetNumberCell(int row);

    TTableCellDelegate* delegate_;
    bool loading_ = false;
};

// Makes the table frame in the main window's frame panel (hidden) and registers it for tables.
TfrTable& RegisterTableFrame(TFrameRegistry& frames, QWidget& parent);
