// The window of the errors that the algorithms calculated in one user action gathered, and
// ShowGlobalErrors, which shows it and stops the open budget.
#pragma once

#include <string>

#include "shell/DialogBase.h"

class QLabel;
class QTextEdit;

// Lists every error of the action's error context with its algorithm, line, text, description
// and example; texts from the language folder's "GlobalError.lng" and "Errors.lng". Its help
// button has no action; OK closes it, and it frees itself when closed.
class TfGlobalError : public TDialogBase {
    Q_OBJECT

public:
    explicit TfGlobalError(QWidget* parent = nullptr);

    // The texts of "GlobalError.lng", read at the show.
    std::string TitleStr1, TitleStr2, StrObjName, StrAlgName, StrErrList, StrInAlg, StrInStr;

    QTextEdit* RichEditTitle;
    QLabel* LabelTitle;
    QTextEdit* RichEditDescript;  // its first five lines bold

protected:
    void FormShow() override;
};

// When the action's error context holds errors: shows them in a TfGlobalError until the user
// closes it, then stops the open budget. Does nothing without errors; the context is kept.
void ShowGlobalErrors();
