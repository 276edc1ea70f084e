// The delete-budget dialog.
#include "exchange/U_delbudget.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "exchange/RestartRequests.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {
constexpr int kHelpTopic = 1200;
}  // namespace

TfDelBudget::TfDelBudget(TfMain& main)
    : TRestartDialog(main, "TfDelBudget", "DelBudget", kHelpTopic) {
    LabelStep1 = Named<QLabel>(this, "LabelStep1");
    LabelStep1->setWordWrap(true);
    LabelStep2 = Named<QLabel>(this, "LabelStep2");
    CheckBoxYBackup = Named<QCheckBox>(this, "CheckBoxYBackup");
    CheckBoxYBackup->setChecked(true);
    Body()->addWidget(LabelStep1);
    Body()->addWidget(CheckBoxYBackup);
    Body()->addWidget(LabelStep2);
    Body()->addWidget(NewEditYES());
    resize(521, 244);
}

int TfDelBudget::RequestCode() const {
    return CheckBoxYBackup->isChecked() ? kRequestBackupDelete : kRequestDelete;
}

QList<QWidget*> TfDelBudget::Inputs() const { return {CheckBoxYBackup, EditYES}; }

void TfDelBudget::BeforeRequest() { ShellServices().SaveTreeState(); }
