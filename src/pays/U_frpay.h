// The pay frame: a pay's history of counter readings, charges and payments with their balances,
// whole or through the pay's filter, the totals and the chart of what is shown, today's
// balance, and the commands on the pay's events.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "numbers/Uq519chart01.h"
#include "pays/U_frpay_view.h"
#include "platform/TableGridModel.h"
#include "reports/U_reportmake.h"
#include "shell/FrameRegistry.h"

class QAction;
class QGroupBox;
class QMenu;
class QPushButton;
class QScrollBar;
class QTableView;
class QTableWidget;
class QToolButton;
class TImageListTree;
class TTable;

// The dialogs of the pay's events and auto charges and the report window, which the frame opens
// but which live elsewhere. A command whose dialog is not given has no action: its button and
// popup item stay disabled.
struct TPayDialogs {
    // The manual event dialog in its mode (6021 add a counter reading ... 6042 change a
    // payment) for the pay of that name; it reads the history's current row.
    std::function<void(int mode, const std::string& payName)> ManualEvent;
    // The auto-charge list of the pay.
    std::function<void(int payId)> AutoCharges;
    // The report window of the object.
    std::function<void(int idObject)> Report;
};

// Shows the pay selected in the tree. The history grid shows the data module's history table
// as the frame filters it (the pay's rows, or those its filter lets through), reading only the
// rows on the screen; the table's current row follows the grid's, so that the dialogs read the
// selected event from it. The frame writes no table of its own: the filter is stored when the
// pay is left, the deletion and the direction go through the journal.
class TfrPay : public TFrameBase {
    Q_OBJECT

public:
    // `history`: the data module's history table; `icons`: the tree's icons; `memoColor` and
    // `logo` for its dialogs. All outlive the frame.
    TfrPay(TTable& history, const TImageListTree& icons, const QColor& memoColor,
           const QImage& logo, QWidget* parent);
    ~TfrPay() override;

    // The pay of the node: its icon, name and description, then LoadPay; then ShowKept.
    void ShowFor(const ObjectInfo& node) override;
    // LabelWarning visible while the budget is stopped, the balance today.
    void ShowKept(const ObjectInfo& node) override;
    // Stores the pay's filter (TDM::WritePayFilter).
    bool Leave() override;
    // Hides, and lets go of the grid's rows.
    void HideFrame() override;
    QWidget* MainControl() const override;

    // The pay's stored filter, and its view: filtered when the filter is on, else full.
    void LoadPay();
    // The rows that Filter lets through, with their totals (of the kinds shown), chart and
    // captions; FilterOn set.
    void ShowFilteredHistory();
    // Every row of the pay with the totals of all; FilterOn cleared.
    void ShowFullHistory();
    // One pass over the rows shown: TotalCharged, TotalPaid, PeriodBalance, ChartItems (by
    // date), ShownRowCount, and the chart drawn. An amount that is no number counts as 0 and is
    // reported once the view is shown.
    void ComputeTotals();
    void BuildPeriodText();
    // The balance today; "???" in grey while the budget is stopped.
    void ShowCurrentBalance();
    // The totals grid's columns 0 to 7 as wide as the history grid's.
    void AlignTotalColumns();
    // Widens the amount columns to an amount of 12 characters and to the totals under them, so
    // that no amount is cut; the description takes what they leave.
    void FitAmountColumns();

    // The commands.
    void SaveButtonStates();
    void DisableButtons();
    void RestoreButtonStates();
    void SpeedButtonFilterClick();
    void ButtonFilterSettingClick();
    void BitBtnDelItemClick();
    void BtnChangeDirectClick();
    void ExportToExcel();
    void PMenuPayPopup();
    // The current row changed (also once when a view is bound): the edit and delete buttons
    // follow the row's kind and the chart's highlight its date.
    void DataSourcePayHistDataChange();

    // The pay report's values as the frame shows them: the selected row, the totals, the rows
    // shown in the grid's order, and the chart as pictures 1 (as shown) and 2 (without the
    // highlight, drawn on a copy).
    std::unique_ptr<TReportData> ReportSource(const std::string& name,
                                              const std::string& descript) const;

    // The history row shown at the grid's row, or null.
    const TTableGridModel::TRow* GridRow(int row) const;
    // The grid's current row, -1 with none.
    int CurrentRow() const;
    void SetCurrentRow(int row);
    // The text of the totals grid's cell.
    std::string TotalCell(int column, int row) const;

    // Controls.
    QLabel* Image1;
    QLabel* LabelCurBalance;
    QLabel* LabelCurBalanceVal;
    QLabel* LabelHistory;
    QTableView* DBGridPayHistory;
    QFrame* PanelTotal;
    QTableWidget* StringGridTotal;
    QFrame* StringGrid2;
    QLabel* LabeChart;
    QFrame* PanelChart;
    TChartImage* ImageChart;
    QScrollBar* ScrollBarChart;
    QGroupBox* GroupBoxControl;
    QPushButton* BitBtnAddCounter;
    QPushButton* BitBtnAddChargeManual;
    QPushButton* BitBtnAddPay;
    QPushButton* BitBtnEditItem;
    QPushButton* BitBtnDelItem;
    QPushButton* BitBtnAddChargeAuto;
    QPushButton* BtnChangeDirect;
    QPushButton* SpeedButtonFilter;
    QPushButton* ButtonFilterSetting;
    QPushButton* BitBtnReport;
    QPushButton* BitBtnExpToXls;
    QLabel* LabelWarning;
    QMenu* PMenuPay;
    QAction* AddCounter;
    QAction* AddChargeManual;
    QAction* AddPay;
    QAction* line1;
    QAction* Edit;
    QAction* Delete;

    // State.
    int PayID = 0;
    PayFilterInfo Filter;
    bool FilterAccepted = false;
    bool Loaded = false;
    large_fix TotalCharged, TotalPaid, PeriodBalance;
    TChartItems01a ChartItems;
    int ShownRowCount = 0;
    int SelectedRowBottom = 0;
    TDateTime SelectedDate = 0;
    QColor SelectedColor;
    std::string PeriodText;
    std::array<bool, 10> SavedEnabled{};
    TPayWords Words;
    TPayDialogs Dialogs;

    // The row colours by kind, and the glyphs of the edit and delete buttons.
    static const QColor CounterColor, CounterSelColor, ChargeColor, ChargeSelColor, PaymentColor,
        PaymentSelColor;

signals:
    // The direction changed: the selected tree node takes the pay's new icon.
    void PayIconChanged(int icon);

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void FrameResize();
    // The view's common start and end: the buttons reset, the table given the view's filter,
    // the totals computed or "???", the grid bound at its last row.
    void ShowView(const TFilter& view);
    void ResetItemButtons();
    void SetTotalCells(bool charged, bool paid, bool balance);
    void DrawChart();
    void MoveTableToRow(int row);
    // The command frame around a dialog: states saved and disabled, the dialog, messages let
    // run, states restored.
    void RunCommand(const std::function<void()>& command);
    // Runs a command that may change the history through the journal (a deletion, a dialog's
    // addition or change) as RunCommand does, then shows the history as it now stands, near the
    // row that was current, the balance, and the edit and delete buttons of the current row.
    void RunJournalCommand(const std::function<void()>& change);
    std::array<QWidget*, 10> CommandControls() const;
    void SetDialogButtons();
    QPixmap Glyph(const char* file) const;
    bool BudgetRuns() const;

    TTable& history_;
    const TImageListTree& icons_;
    QColor memoColor_;
    const QImage& logo_;
    TTableGridModel* model_;
    std::array<QIcon, 9> menuImages_;
    std::string btnEditEmpty_, btnDelEmpty_;
    std::string btnEditCounter_, btnEditManualCharge_, btnEditPay_;
    std::string btnDelCounter_, btnDelManualCharge_, btnDelPay_;
    std::string strTotal_, strTotalOfPeriod_, curBalanceText_;
    bool reportMalformed_ = false;
    int viewsShown_ = 0;  // views built since the frame was made
    int keptRow_ = -1;    // the current row when the frame was hidden with rows
};

// Makes the pay frame in the main window's frame panel `parent` (hidden) on the data module's
// history table and registers it for pays. The recalculation reloads it after its runs
// (ReloadPayFrame).
TfrPay& RegisterPayFrame(TFrameRegistry& frames, QWidget& parent, const TImageListTree& icons,
                         const QColor& memoColor, const QImage& logo);

// After a recalculation: the registered pay frame, when it is on the screen, loads its pay
// again (its view, totals and chart from the stored filter).
void ReloadPayFrame();
