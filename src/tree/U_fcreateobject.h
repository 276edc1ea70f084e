// The create-object dialog: a new folder, table, image album, file collection, number or pay
// under the selected budget root or folder, written as one "ADD" transaction of the journal.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "shell/DialogBase.h"
#include "store/Utransactions.h"
#include "tree/WarningBlink.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QScrollArea;
class TfMain;

// Opened from the tree's popup menu for the selected budget root or folder, shown modally; it
// frees itself when it closes. Texts from the language folder's "CreateObject.lng"
// [CreateObject], its description from "CreateObjectTxt01.lng"; help topic 2010. OK writes the
// "ADD" transaction, has the journal apply it, rebuilds the tree and selects the new object.
class TfCreateObject : public TDialogBase {
    Q_OBJECT

public:
    // The largest name and description of an object.
    static constexpr int kMaxName = 70;
    static constexpr int kMaxDescript = 100;

    explicit TfCreateObject(TfMain& main);
    ~TfCreateObject() override;

    // True when the typed name is taken by a node of the budget under the same parent; shows
    // the warning then (blinking when the label was empty), else empties it.
    bool CheckNameTaken();
    // True when one of the eight kinds is checked.
    bool IsKindChosen() const;
    // Writes the "ADD" transaction of the new object of the chosen kind (OK is enabled only
    // once one is chosen) and gives its writer, not yet ready: OK makes it ready and applies it
    // (ApplyTreeChange); a writer dropped before leaves nothing behind.
    std::unique_ptr<TTransWriter> WriteAddTransaction();

    QLabel* LabelHeader;
    QLabel* LabelPlace;
    QLabel* LabelType;
    QLabel* LabelName;
    QLabel* LabelDescript;
    QPlainTextEdit* MemoPlase;  // the path of the place of the new object
    QScrollArea* ScrollBox1;    // the kinds
    QLabel* LabelAdditionalObj;
    QLabel* LabeMainObj;
    // The kinds, each with its tree icon; the caption keys are LabelTypeFolder ...
    // LabeTypePayNeutral.
    QRadioButton* RadioButtonFolder;
    QRadioButton* RadioButtonTable;
    QRadioButton* RadioButtonImages;
    QRadioButton* RadioButtonFiles;
    QRadioButton* RadioButtonNumber;
    QRadioButton* RadioButtonPayOut;
    QRadioButton* RadioButtonPayIn;
    QRadioButton* RadioButtonPayNeutral;
    QComboBox* ComboBoxExFImage;  // a folder's icon: 80, 82, ..., 110
    QLineEdit* EditName;          // at most 70 characters
    QLineEdit* EditDescript;      // at most 100
    QPlainTextEdit* MemoDescript;
    QLabel* LabelWarning;
    TWarningBlink Warning;

protected:
    void FormShow() override;
    void accept() override;

private:
    // After every change of the name and every click on a kind: OK is enabled when the name is
    // not empty, the name is free and a kind is chosen, tested in this order.
    void InputChanged();
    QRadioButton* NewKindButton(int kind);
    std::array<QRadioButton*, 8> KindButtons() const;
    // The kinds, the icon, the name, the description and the buttons: disabled while OK writes,
    // enabled again when the writing failed.
    void SetInputsEnabled(bool enabled);
    // The height of the place's memo that shows that many lines.
    int PlaceHeight(int lines) const;

    TfMain& main_;
    QButtonGroup* kinds_;
    // The parent of the new object (0: the budget root) and its budget, at show time.
    int idParent_ = 0;
    std::string folder_;
    std::string warnOExist_;
};
