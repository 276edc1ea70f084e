// The auto-charge editor: adds one automatic charge to the auto-charge list dialog's list or
// changes the charge of its current row, in memory.
#pragma once

#include <string>

#include "pays/U_fautocharges_list.h"
#include "shell/DialogBase.h"

class QCheckBox;
class QComboBox;
class TDateField;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTextEdit;
class TfAutoCharges;

// Made by the list dialog for one show; it frees itself when it closes. Mode 'A' appends a new
// charge, 'E' rewrites the charge of the list's current grid row. OK lowers the list's
// FirstChangedDate to the earliest begin involved and has the list show itself again; Exit
// changes nothing.
class TfAutoChargeChange : public TDialogBase {
    Q_OBJECT

public:
    explicit TfAutoChargeChange(TfAutoCharges& list);

    char Mode = 'A';
    int IDPay = 0;
    ::Algorithm01 Algorithm;  // the working copy of the charge's algorithm
    ::Schedule Schedule;      // the working copy of its schedule
    TDateTime OldDateBegin = 0;
    char InitialType = 'C';
    std::string AlgName;
    bool AlgRenamed = false;
    std::string StrValueConst, StrValueAlg, StrValIncorrect, StrNameAlg, StrCharge;

    QLabel* LabelFor;
    QLineEdit* EditName;
    QLineEdit* EditDescript;
    TDateField* DTPickerDateBegin;
    TDateField* DTPickerDateEnd;
    QCheckBox* CheckBoxNotRestrict;
    QRadioButton* RadioButtonTypeConst;
    QRadioButton* RadioButtonTypeAlg;
    QLabel* LabelValue;
    QLineEdit* EditConstValue;
    QPushButton* BitBtnCalc;
    QPushButton* BitBtnAlg;
    QTextEdit* RichEditSchedule;
    QPushButton* ButtonSchedule;
    QComboBox* ComboBoxActivity;
    QPlainTextEdit* MemoDescript;

    // StrNameAlg with every "[name]" replaced by the text of EditName.
    std::string DerivedAlgName() const;

    void RadioButtonTypeConstClick();
    void RadioButtonTypeAlgClick();
    void DTPickerDateChange();
    // Opens the algorithm editor on the charge's algorithm.
    void BitBtnAlgClick();
    void ButtonScheduleClick();
    void BitBtnOKClick();

protected:
    void FormShow() override;

private:
    void BuildControls();
    // The default algorithm: ID 0, valid, owned by the pay, empty, result variable 1, the
    // derived name.
    void SetDefaultAlgorithm();
    void ShowAlgorithm();
    void ShowSchedule();
    void ShowActivityColor();
    void FillCharge(AutoChargeInfo& charge, bool added) const;
    void SetInputsEnabled(bool enabled);
    void Changed();

    TfAutoCharges& list_;
    bool broughtAlgorithm_ = false;  // Algorithm is the one the edited charge brought
};
