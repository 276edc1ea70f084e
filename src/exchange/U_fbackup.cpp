// The backup dialog.
#include "exchange/U_fbackup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "exchange/ArchivePicker.h"
#include "exchange/RestartRequests.h"
#include "platform/Text.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {
constexpr int kHelpTopic = 7100;
const QString kFilter = QStringLiteral("Vemly backup files (*.vlbackup);;All files (*)");
}  // namespace

TfBackup::TfBackup(TfMain& main) : TRestartDialog(main, "TfBackup", "Backup", kHelpTopic) {
    LabelStep1 = Named<QLabel>(this, "LabelStep1");
    EditArcFile = Named<QLineEdit>(this, "EditArcFile");
    BitBtnChoiceFile = Named<QPushButton>(this, "BitBtnChoiceFile", QStringLiteral("..."));
    SetTextKey(*BitBtnChoiceFile, "");
    auto* file = new QHBoxLayout;
    file->addWidget(EditArcFile, 1);
    file->addWidget(BitBtnChoiceFile);
    Body()->addWidget(LabelStep1);
    Body()->addLayout(file);
    resize(521, 363);
    connect(EditArcFile, &QLineEdit::textChanged, this, &TfBackup::UpdateOK);
    connect(BitBtnChoiceFile, &QPushButton::clicked, this, &TfBackup::BitBtnChoiceFileClick);
}

bool TfBackup::OKAllowed() const { return !EditArcFile->text().isEmpty(); }

void TfBackup::ShowInputs() {
    const TMainState& state = ShellServices().State();
    EditArcFile->setText(ToQString(DefaultBackupName(state.BackupPath, state.BudgetPath, Now())));
    EditArcFile->setCursorPosition(EditArcFile->text().size());
}

int TfBackup::RequestCode() const { return kRequestBackup; }

std::optional<std::string> TfBackup::RequestArchive() const {
    return ToStdString(EditArcFile->text());
}

QList<QWidget*> TfBackup::Inputs() const { return {EditArcFile, BitBtnChoiceFile}; }

void TfBackup::BitBtnChoiceFileClick() {
    const QString path =
        PickArchive(this, {true, EditArcFile->text(), kFilter, QStringLiteral("vlbackup")});
    if (path.isEmpty()) return;
    EditArcFile->setText(path);
    EditArcFile->setCursorPosition(path.size());
}
