// The delete-object dialog: deletes the selected object of the main tree, after the user typed
// "YES", as one "DEL" transaction whose snapshot lets the journal bring the object back.
#pragma once

#include <string>

#include "shell/DialogBase.h"
#include "tree/WarningBlink.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TfMain;

// Opened from the tree's popup menu for a selected object (never a budget root, a calendar or a
// journal), shown modally; it frees itself when it closes. Texts from the language folder's
// "DelObject.lng" [DelObject], its description from "DelObjectTxt01.lng"; help topic 2040.
// At every activation it checks whether the object may go: one with children, or a number or
// pay that another object's algorithm takes as an initial datum, is refused with the reasons in
// the memo and a blinking red header, and OK is never enabled.
class TfDelObject : public TDialogBase {
    Q_OBJECT

public:
    explicit TfDelObject(TfMain& main);
    ~TfDelObject() override;

    QLabel* LabelHeader;
    QLabel* Image1;
    QLabel* LabelName;
    QLabel* LabelDescript;
    QPlainTextEdit* MemoDescript;  // the description, or the refusal
    QLineEdit* EditYes;
    TWarningBlink Blink;  // the header's blink, driven by its Timer1

    bool HasChildren = false;  // the object has at least one child node
    bool InUse = false;        // a number or pay that another object's algorithm uses
    std::string Header2Text, Str01Text, Reason1Text, Reason2Text;

protected:
    void FormShow() override;
    void accept() override;
    bool event(QEvent* event) override;

private:
    // At every activation: computes HasChildren and InUse afresh and shows the refusal when one
    // is set.
    void FormActivate();
    // Upper-cases a to z, caret at the end; OK is enabled for exactly "YES" unless refused.
    void EditYesChange();

    TfMain& main_;
    // The node at show time.
    int id_ = 0;
    int idParent_ = 0;
    std::string folder_;
    std::string errSnapshot_;
};
