// The manual event dialog: adds or changes one counter reading, manual charge or payment of a
// pay as one journal transaction.
#pragma once

#include <string>

#include "pays/U_changemanualevent_parts.h"
#include "shell/DialogBase.h"

class TDateField;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Made for one show with its mode, a PayChangeCode of a manual event (6021, 6022, 6031, 6032,
// 6041, 6042), which chooses its texts, colours and help topic. The opener sets IDPay, PayName
// and CurrentRow (the pay frame's current history row: its date is proposed for an addition; in
// a change mode it is the event changed). OK writes one transaction and has the journal apply
// it; when the writing fails the dialog stays open with what was typed. Exit writes nothing. It
// frees itself when it closes.
class TfChangeManualEvent : public TDialogBase {
    Q_OBJECT

public:
    TfChangeManualEvent(QWidget* parent, int mode);

    const int Mode;
    int IDPay = 0;
    std::string PayName;
    TManualEvent CurrentRow;
    // The event being changed (change modes), read from CurrentRow at the show.
    TDateTime OldDate = 0;
    std::string OldValue, OldDescript;
    int OldManOper = 0;

    QLabel* LabelFor;
    QLabel* LabelDateBegin;
    TDateField* DTPickerDateEvent;
    QLabel* LabelValue;
    QLineEdit* EditValue;
    QPushButton* BitBtnCalc;
    QLabel* LabelDescript;
    QLineEdit* EditDescript;
    QPlainTextEdit* MemoDescript;

    // Write the addition or the change from the fields and have the journal apply it: the
    // applier's result (above 0 when applied), 0 when nothing was applied.
    int WriteAddTransaction();
    int WriteEditTransaction();

    void BitBtnOKClick();

protected:
    void FormShow() override;

private:
    void BuildControls();
    void SetInputsEnabled(bool enabled);
    TDateTime PickedDay() const;
    void Changed();

    bool filling_ = false;
};

// Opens the dialog modally to add an event of the mode (6021, 6031, 6041) to the pay, proposing
// the day of the pay frame's current row (today when that is below day 1000: an empty history).
void AddManualEvent(QWidget* parent, int mode, int idPay, const std::string& payName,
                    TDateTime currentRowDate);
// Opens the dialog modally to change the event (6022, 6032, 6042) of the pay.
void EditManualEvent(QWidget* parent, int mode, int idPay, const std::string& payName,
                     const TManualEvent& event);
