// The auto-charge list dialog: a pay's automatic charges in a grid, changed in memory in an edit
// mode and applied as one journal transaction.
#pragma once

#include <string>

#include "pays/U_fautocharges_list.h"
#include "shell/DialogBase.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTableWidget;
class QTextEdit;
class QTimer;
class QWidget;

// Made for one show by its opener, which sets IDPay; it frees itself when it closes. Edit
// slides the grid right to uncover the row buttons; Add, the row buttons, Clear and the popup
// change the list in memory; Apply writes the shown charges and the stored rows as one 6010
// transaction, has the journal apply it, slides back and closes (when the writing fails, edit
// mode goes on with the list as edited); Cansel reloads the stored list.
class TfAutoCharges : public TDialogBase {
    Q_OBJECT

public:
    explicit TfAutoCharges(QWidget* parent);

    int IDPay = 0;
    TAutoChargesList Charges;
    // One letter per grid row: 'V' an algorithm charge whose algorithm is valid, 'I' one whose
    // algorithm is not, 'C' any other.
    std::string RowKinds;
    std::string StrErrorCalc, StrActive, StrPassive, StrTimeUnlimited, StrDescript, StrAlgorithm,
        StrTimeTable;
    bool CloseAfterSlide = false;
    // The earliest day the pending changes touch: tomorrow after the show and after Cansel,
    // lowered by every change.
    TDateTime FirstChangedDate = 0;
    bool EditMode = false;
    bool EditEntered = false;  // Edit was clicked once
    int LoadedCount = 0;       // rows read by the last load
    int SlideInterval = 10;    // ms
    int SlideStep = 2;         // pixels
    char SlideDirection = 'e';

    QLabel* LabelFor;
    QWidget* PanelGrid;  // the grid's strip, which also holds the row buttons
    QTableWidget* StringGridItems;
    QTextEdit* RichEditDetail;
    QPlainTextEdit* MemoDescript;
    QPushButton* BitBtnEdit;
    QPushButton* BitBtnApply;
    QPushButton* BitBtnCansel;
    QPushButton* BitBtnAdd;
    QPushButton* BitBtnClear;
    QPushButton* BitBtnEditRow;
    QPushButton* BitBtnDelRow;
    QMenu* PMenuCharges;
    QAction* AddCharge;
    QAction* EditCharge;
    QAction* DelCharge;
    QTimer* Timer1;

    // The current grid row, counted from 1 (0: none); setting it selects the row.
    int Row() const;
    void SetRow(int row);
    // The grid's left edge in its strip: 3 in view mode, 32 in edit mode.
    int GridLeft() const;

    // The pay's stored list (LoadCharges): -1, nothing changed, unless the ID names a pay.
    int LoadCharges(int idPay);
    // Sorts the list and refills the grid and RowKinds; an empty list shows one empty row.
    void ShowCharges();
    void ClearGrid();
    // The n-th shown charge (n from 1), or an empty one (empty texts, day 0, active).
    AutoChargeInfo GetVisibleItem(int n) const;
    // Shows the row buttons beside the row, or hides them when it is not in view.
    void PlaceRowButtons(int row);
    // Writes the 6010 transaction and has the journal apply it: the applier's result (above 0
    // when applied), 0 when nothing was applied.
    int WriteChargesTransaction();

    void BitBtnEditClick();
    void BitBtnCanselClick();
    void BitBtnApplyClick();
    void BtnExitClick();
    void BitBtnAddClick();
    void BitBtnEditRowClick();
    void BitBtnDelRowClick();
    void BitBtnClearClick();
    void StringGridItemsClick();
    void PMenuChargesPopup();
    void Timer1Timer();

protected:
    void FormShow() override;
    void keyPressEvent(QKeyEvent* event) override;
    // The grid keeps its left edge and fills its strip whenever the strip is resized.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void OpenEditor(char mode);
    int Ask(const char* key, const std::string& tail = "");
    void StartSlide(char direction);
    // The grid at its left edge, as wide as its strip allows, with the name column's rule.
    void PlaceGrid(int left);
    void SetNameColumnWidth();

    std::string texts_;  // the language file's path
    QString header_[7];
};

// Opens the auto-charge list of the pay modally (the pay frame's auto-charge command).
void EditAutoCharges(QWidget* parent, int idPay);
