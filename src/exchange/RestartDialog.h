// What the backup, recovery and delete-budget dialogs share: the budget's name, the
// description, the confirmation word "YES", and an OK that records the restart request, says
// that the program restarts and closes the main window.
#pragma once

#include <QList>
#include <string>

#include "shell/DialogBase.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QVBoxLayout;
class TfMain;

// A tool window opened from the main window for the open budget, shown modally; frees itself
// when it closes. Texts from "<Name>.lng" [<Name>] (every default empty), the description from
// "<Name>Txt01.lng". Exit, Esc or the close box write nothing.
class TRestartDialog : public TDialogBase {
    Q_OBJECT

public:
    QLabel* LabelHeader;
    QLabel* LabelBudgetName;
    QPlainTextEdit* MemoDescript;
    // The confirmation word (recovery and deletion), else null.
    QLineEdit* EditYES = nullptr;
    // The restart message (key RestartStr).
    std::string RestartStr;

protected:
    // `name` the dialog's class, `texts` the stem of its language files ("Backup").
    TRestartDialog(TfMain& main, const char* name, const char* texts, int helpTopic);

    // The rows between the description and the footer go into this layout.
    QVBoxLayout* Body() const { return body_; }
    // Makes the confirmation word's edit EditYES: upper-cased as it is typed, and OK then
    // follows OKAllowed.
    QLineEdit* NewEditYES();
    // OK is enabled exactly when this is true (re-checked by UpdateOK).
    virtual bool OKAllowed() const { return true; }
    void UpdateOK();
    // The typed word is "YES".
    bool YesTyped() const;

    // What the dialog shows besides the shared texts; runs at the end of FormShow.
    virtual void ShowInputs() {}
    // The request: its code and the archive, when it names one.
    virtual int RequestCode() const = 0;
    virtual std::optional<std::string> RequestArchive() const { return std::nullopt; }
    // The inputs that OK disables besides both buttons.
    virtual QList<QWidget*> Inputs() const = 0;
    // Runs before the request is written (the deletion saves the tree's state).
    virtual void BeforeRequest() {}

    void FormShow() override;
    void accept() override;

    TfMain& main_;

private:
    const char* texts_;
    QVBoxLayout* body_;
};
