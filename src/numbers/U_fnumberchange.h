// The number value dialog: adds a dated item to the number in the number frame, or changes the
// item of the frame's selected row, in the frame's list in memory.
#pragma once

#include <string>

#include "algorithms/Uq519algorithm01.h"
#include "numbers/U_frnumber_chronology.h"
#include "platform/Dates.h"
#include "shell/DialogBase.h"

class TDateField;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TfrNumber;

// Made by the number frame in edit mode for one show; it frees itself when it closes. Mode 'A'
// adds an item, 'E' changes the live item of the frame's current grid row. OK changes the
// frame's list, shows it again and enables the frame's Apply; Exit changes nothing.
class TfNumberChange : public TDialogBase {
    Q_OBJECT

public:
    explicit TfNumberChange(TfrNumber& frame);

    char Mode = 'A';
    int IDObject = 0;
    std::string NameObject;
    Algorithm01 Algorithm;
    std::string AlgName;
    char ItemKind = 0;
    bool NameChanged = false;
    TDateTime FirstDate = 0;

    // The texts kept at the show.
    std::string StrValueConst, StrValueAlg, StrNameAlg, StrItemExist, StrValIncorrect;

    QLabel* LabelDateBegin;
    TDateField* DateTimePicker1;
    QLabel* LabelChoiceType;
    QRadioButton* RadioButtonTypeConst;
    QRadioButton* RadioButtonTypeAlg;
    QLabel* LabelValue;
    QLineEdit* EditConstValue;
    QPushButton* BitBtnCalc;
    QPushButton* BitBtnAlg;
    QLabel* LabelDescript;
    QLineEdit* EditDescript;
    QPlainTextEdit* MemoDescript;

    // StrNameAlg with every "[name]" replaced by NameObject and every "[date]" by the picker's
    // date, in one pass (a name holding "[date]" stays as it is).
    std::string DefaultAlgName() const;
    // A live item of the frame's list begins on the date's day.
    bool HasItemOnDay(TDateTime date) const;

    void RadioButtonTypeConstClick();
    void RadioButtonTypeAlgClick();
    void DateTimePicker1CloseUp();
    void BitBtnCalcClick();
    // Opens the algorithm editor on the dialog's algorithm for the picker's date.
    void BitBtnAlgClick();
    void BitBtnOKClick();

protected:
    void FormShow() override;

private:
    void BuildControls();
    void InitAlgorithm();
    void SetAlgorithm(const Algorithm01& algorithm);
    void ShowAlgorithmButton();
    // The index in the frame's list of the live item of the frame's current row; -1 for none.
    int SelectedItem() const;
    // The index of the live item on the date's day; -1 for none.
    int ItemOnDay(TDateTime date) const;
    // The picker's day; the item's fields from the inputs (evaluating an algorithm).
    TDateTime PickedDay() const;
    void FillItem(NumberItemInfo& item, char state);
    void AddItem();
    void EditItem(int index);
    void EditConstValueChange();
    void SetInputsEnabled(bool enabled);
    void Changed();

    TfrNumber& frame_;
    bool filling_ = false;
};
