// The number frame: a number's dated items in a grid, the value in force today, a date chart,
// and in edit mode the changes of its items, applied as one journal transaction.
#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "numbers/U_frnumber_chronology.h"
#include "numbers/Uq519chart01.h"
#include "reports/U_reportmake.h"
#include "shell/FrameRegistry.h"

class QFrame;
class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QScrollBar;
class QTableView;
class QTimer;

// The grid's rows over the frame's items: one row per live item (its running number, date,
// value and description), or one empty row when there is none; the header row is the view's.
class TNumberGridModel : public QAbstractTableModel {
public:
    struct TRow {
        std::array<QString, 4> Cells;
        TDateTime Date = 0;  // the item's DateBegin
        char Kind = 0;       // 'C' constant, 'V' algorithm computed, 'I' algorithm failed; 0 empty
    };
    explicit TNumberGridModel(QObject* parent) : QAbstractTableModel(parent) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetRows(std::vector<TRow> rows);
    const TRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
    void SetHeader(int column, const QString& text);
    // The day whose rows are drawn bold (the row in force); none: no row.
    void SetDayInForce(std::optional<long> day);

private:
    std::vector<TRow> rows_;
    std::array<QString, 4> header_;
    std::optional<long> dayInForce_;
};

// Shows the number selected in the tree; Edit enters edit mode, in which Add, the row buttons,
// Clear and the popup menu change the items in memory, Apply writes them through the journal
// and Cancel drops them.
class TfrNumber : public TFrameBase {
    Q_OBJECT

public:
    TfrNumber(QWidget* parent);

    void ShowFor(const ObjectInfo& node) override;
    void ShowKept(const ObjectInfo& node) override;
    bool Leave() override;
    void HideFrame() override;
    QWidget* MainControl() const override;

    // The items of the number `id` from the open budget; -1 (nothing changes) when the object
    // is no number.
    int LoadChronology(int id);
    // Sorts the items and fills the grid, the row kinds and the chart.
    void ShowChronology();
    // The item in force today: its value in LabeCurValue.
    void ShowCurrentValue();
    // The grid with one empty row.
    void ClearGrid();
    // Selects the row of the live item of the date's day (the last row when none has it).
    void SelectDateRow(TDateTime date);
    // Selects the row in force, then the column when it is 0 or more.
    void SelectCurrentRow(int column);
    // Shows the row buttons beside the row while it is visible and there are items.
    void PlaceRowButtons(int row);
    // Writes the pending changes as one journal transaction and has the journal apply it:
    // the applier's result, 0 when nothing was written.
    int SaveChronology();
    // Writes the number into a new workbook in the export folder and opens it.
    void ExportToExcel();

    // The grid's current row as the frame counts it (1 the first item row) and its row count
    // with the header row.
    int Row() const;
    int RowCount() const;
    void SetRow(int row);

    // The number report's values: the item in force today, the selected row and the grid's
    // rows, each as the frame shows them.
    TNumberReportData ReportData() const;
    // The same with the object's name and description, and the chart as pictures 1 (as shown)
    // and 2 (without the highlight): what the report window fills a template with.
    std::unique_ptr<TReportData> ReportSource(const std::string& name,
                                              const std::string& descript) const;

    // The commands.
    void BitBtnEditClick();
    void BitBtnReportClick();
    void BitBtnAddClick();
    void BitBtnEditRowClick();
    void BitBtnDelRowClick();
    void BitBtnClearClick();
    void BitBtnCanselClick();
    void BitBtnApplyClick();
    void Timer1Timer();
    void PMenuNumberPopup();
    void StringGridItemsClick();

    // Controls.
    QLabel* LabelCurValueL;
    QLabel* LabeCurValue;
    QLabel* LabelHistory;
    QTableView* StringGridItems;
    TNumberGridModel* Grid;
    QPushButton* BitBtnEditRow;
    QLabel* ImageEditRow;
    QPushButton* BitBtnDelRow;
    QLabel* ImageDelRow;
    QLabel* LabeChart;
    QFrame* PanelChart;
    TChartImage* ImageChart;
    QScrollBar* ScrollBarChart;
    QPushButton* BitBtnEdit;
    QPushButton* BitBtnApply;
    QPushButton* BitBtnCansel;
    QPushButton* BitBtnAdd;
    QPushButton* BitBtnClear;
    QPushButton* BitBtnExpToXls;
    QPushButton* BitBtnReport;
    QTimer* Timer1;
    QMenu* PMenuNumber;
    QAction* AddValue;
    QAction* EditValue;
    QAction* DelValue;

    // Display.
    TChronologyNumber Items;
    int IDObject = 0;
    std::string RowKinds;
    int SelCellBottom = 0;
    QPixmap IconValid, IconInvalid;
    TChartItems01 ChartItems;
    TDateTime ChartDate = 0;
    TDateTime DateInForce = 0;
    std::string ValueInForce, DescriptInForce;
    int InForceCode = -2;
    int SelectedRow = 0;
    std::string StrErrorCalc;

    // Editing.
    TDateTime EarliestChange = 0;
    bool EditLayout = false;
    bool Interactive = false;
    int SlideStep = 2;
    int SlideInterval = 10;
    char SlideMode = 'e';

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void FrameResize();
    // The grid's width for its left edge, and its last column filling the rest.
    void PlaceGrid(int left, int width);
    void FitLastColumn();
    void SetEditMode(bool edit);
    void SlideBack();
    void OpenValueDialog(char mode);
    // Saves the changes and leaves edit mode. False when they could not be saved (the failure
    // was shown): edit mode goes on with them.
    bool ApplyEdits();
    // The answer to the question of the key (its text followed by `tail`) with Yes, No and
    // Cancel: mrYes, mrNo, or mrCancel also for Esc and the closed box.
    int Ask(const char* key, const std::string& tail);
    void Redraw();
};

// Makes the number frame in the main window's frame panel (hidden) and registers it for
// numbers.
TfrNumber& RegisterNumberFrame(TFrameRegistry& frames, QWidget& parent);
