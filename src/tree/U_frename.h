// The rename dialog: a new name and description for the selected node of the main tree, and a
// new icon for a folder; an object through the journal, a budget in the budget list.
#pragma once

#include <memory>
#include <string>

#include "shell/DialogBase.h"
#include "store/Utransactions.h"
#include "tree/WarningBlink.h"

class QComboBox;
class QLabel;
class QLineEdit;
class TfMain;

// Opened from the tree's popup menu for the selected node (never a calendar or a journal),
// shown modally; it frees itself when it closes. An object's change is one "REN" transaction
// that the journal applies (and can undo); a budget root's goes straight into its budget list
// row, outside the journal (its VLBudget.ini keeps the name it was created with).
class TfRename : public TDialogBase {
    Q_OBJECT

public:
    // The largest name, and the largest description of an object and of a budget.
    static constexpr int kMaxName = 70;
    static constexpr int kMaxObjectDescript = 100;
    static constexpr int kMaxBudgetDescript = 250;

    explicit TfRename(TfMain& main);
    ~TfRename() override;

    // True when the typed name is taken by another node of the budget with the same parent;
    // shows the warning then (blinking when the label was empty), else empties it.
    bool CheckNameTaken();
    // True when the icon (of a folder), the name or the description differs from the values at
    // show time.
    bool IsChanged() const;
    // Writes the "REN" transaction of the selected object and gives its writer, not yet ready:
    // OK makes it ready and applies it (ApplyTreeChange).
    std::unique_ptr<TTransWriter> WriteRenTransaction();

    QLabel* LabelHeader;
    QLabel* LabelImage;
    QLabel* LabelName;
    QLabel* LabelDescript;
    QComboBox* ComboBoxExFImage;  // a folder's icon: 80, 82, ..., 110
    QLabel* Image1;               // the icon of anything else
    QLineEdit* EditName;
    QLineEdit* EditDescript;
    QLabel* LabelWarning;
    TWarningBlink Warning;

protected:
    void FormShow() override;
    void accept() override;

private:
    // After every change of the name, the description or the icon: OK is enabled when the name
    // is not empty, something changed and the name is free, tested in this order.
    void InputChanged();
    int ChosenIcon() const;
    bool IsFolder() const;
    // The icon, the name, the description and the buttons: disabled while OK writes, enabled
    // again when the writing failed.
    void SetInputsEnabled(bool enabled);
    // Writes the new name and description into the budget's budget list row and the open
    // budget's state; false, with an error shown and nothing written, when the list has no row
    // for the folder. A failed writing throws, the list's row as it was.
    bool RenameBudget(const std::string& folder);

    TfMain& main_;
    // The node at show time.
    int type_ = 0;
    int id_ = 0;
    int idParent_ = 0;
    std::string folder_;
    int icon_ = 0;  // the stored (collapsed) icon
    std::string name_;
    std::string descript_;
    std::string warnOExist_;
    std::string errNoBudget_;
};
