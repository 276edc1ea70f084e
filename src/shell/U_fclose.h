// The close dialog: closing the program asks first; its OK saves the tree and lets go of what
// the start made for the whole run.
#pragma once

#include "shell/DialogBase.h"

class QLabel;
class TfMain;

// Shown modally by the main window's close handler for every close request but a fatal close
// and a restart (TfMain::closeEvent). Accepted: the program ends; rejected (Exit, Esc, the
// close box): the program keeps running, everything intact.
class TfClose : public TDialogBase {
    Q_OBJECT

public:
    explicit TfClose(TfMain& main);

    QLabel* LabelHeader;

protected:
    // The small logo; the question (LabelHeaderQ of "Close.lng" [Close]) as the header, the
    // closing text (LabelHeader) kept for OK, the buttons' captions (BtnOK, BtnExit).
    void FormShow() override;
    // The closing text with both buttons disabled, painted; the tree's state saved when the tree
    // has a node (TfMain::SaveTreeState); the logos freed and the mouse-wheel rule removed; then
    // the dialog closes accepted.
    void accept() override;

private:
    TfMain& main_;
    std::string closingText_;
};
