// The delete-budget dialog: the open budget is deleted at the next start, backed up first when
// asked.
#pragma once

#include "exchange/RestartDialog.h"

// Opened by the tree popup's Delete on a budget root. OK is enabled while "YES" is typed; it
// saves the tree's state and records the request 30, or 31 with CheckBoxYBackup.
class TfDelBudget : public TRestartDialog {
    Q_OBJECT

public:
    explicit TfDelBudget(TfMain& main);

    QLabel* LabelStep1;
    QLabel* LabelStep2;
    QCheckBox* CheckBoxYBackup;

protected:
    bool OKAllowed() const override { return YesTyped(); }
    int RequestCode() const override;
    QList<QWidget*> Inputs() const override;
    void BeforeRequest() override;
};
