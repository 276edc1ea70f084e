// The create-budget dialog: a new budget's name, description and folder; OK makes the folder
// from the empty-budget template, registers it in the budget list and selects its root.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "shell/DialogBase.h"
#include "tree/WarningBlink.h"

class QLineEdit;
class QPlainTextEdit;

// Asks the user for a folder: the picker's caption and the folder shown first; answers the
// folder picked, or an empty text when the user cancelled.
using TFolderPicker =
    std::function<QString(QWidget* parent, const QString& caption, const QString& start)>;
// Replaces the folder picker (the desktop's folder dialog) with the given one, or brings the
// desktop's back for an empty function; tests answer the picker this way. Returns the one set
// before.
TFolderPicker SetFolderPicker(TFolderPicker picker);
// Asks through the folder picker set (the desktop's folder dialog unless a test set another).
QString PickFolder(QWidget* parent, const QString& caption, const QString& start);

// Opened by the main window's create-budget command, shown modally; frees itself when closed.
// Texts from the language folder's "CreateBudget.lng" [CreateBudget], its description from
// "CreateBudgetTxt01.lng"; help topic 1100.
class TfCreateBudget : public TDialogBase {
    Q_OBJECT

public:
    explicit TfCreateBudget(QWidget* parent = nullptr);

    // The texts read at the show: the budget-exists and folder-exists warnings and the folder
    // picker's caption.
    std::string WarnBExist, WarnFExist, SelFolder;
    // The user has typed into EditPath since the show: the folder no longer follows the name.
    bool PathEdited = false;

    // Shows the warning that applies to the folder of EditPath and answers whether one does:
    // WarnFExist when a folder of that path exists, else WarnBExist when the budget list has a
    // row for that folder, else none.
    bool CheckWarnings();

    QLabel* LabelHeader;
    QLabel* LabelName;
    QLabel* LabelDescript;
    QLabel* LabelPath;
    QLineEdit* EditName;      // at most 70 characters
    QLineEdit* EditDescript;  // at most 250
    QLineEdit* EditPath;      // the budget's folder, at most 250
    QPushButton* btnPath;     // the folder picker
    QPlainTextEdit* MemoDescript;
    QLabel* LabelWarning;
    TWarningBlink Warning;

protected:
    void FormShow() override;
    // Makes the budget and closes; a budget that could not be made leaves the dialog open with
    // what was typed.
    void accept() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EditNameChange();
    void EditPathChange();
    void btnPathClick();
    void EnableOK();
    // The inputs and the buttons: disabled while OK makes the budget, enabled again when it
    // could not be made.
    void SetInputsEnabled(bool enabled);
};
