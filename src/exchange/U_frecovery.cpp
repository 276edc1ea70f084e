// The recovery dialog.
#include "exchange/U_frecovery.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "exchange/ArchivePicker.h"
#include "exchange/RestartRequests.h"
#include "platform/Text.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {
constexpr int kHelpTopic = 7200;
}  // namespace

TfRecovery::TfRecovery(TfMain& main)
    : TRestartDialog(main, "TfRecovery", "Recovery", kHelpTopic) {
    LabelStep1 = Named<QLabel>(this, "LabelStep1");
    LabelStep2 = Named<QLabel>(this, "LabelStep2");
    LabelStep2->setWordWrap(true);
    LabelStep3 = Named<QLabel>(this, "LabelStep3");
    EditArcFile = Named<QLineEdit>(this, "EditArcFile");
    BitBtnSource = Named<QPushButton>(this, "BitBtnSource", QStringLiteral("..."));
    SetTextKey(*BitBtnSource, "");
    CheckBoxYBackup = Named<QCheckBox>(this, "CheckBoxYBackup");
    CheckBoxYBackup->setChecked(true);
    auto* file = new QHBoxLayout;
    file->addWidget(EditArcFile, 1);
    file->addWidget(BitBtnSource);
    Body()->addWidget(LabelStep1);
    Body()->addLayout(file);
    Body()->addWidget(LabelStep2);
    Body()->addWidget(CheckBoxYBackup);
    Body()->addWidget(LabelStep3);
    Body()->addWidget(NewEditYES());
    resize(521, 283);
    connect(EditArcFile, &QLineEdit::textChanged, this, &TfRecovery::UpdateOK);
    connect(BitBtnSource, &QPushButton::clicked, this, &TfRecovery::BitBtnSourceClick);
}

bool TfRecovery::OKAllowed() const {
    std::error_code error;
    return YesTyped() && std::filesystem::is_regular_file(ToStdString(EditArcFile->text()), error);
}

int TfRecovery::RequestCode() const {
    return CheckBoxYBackup->isChecked() ? kRequestBackupRecovery : kRequestRecovery;
}

std::optional<std::string> TfRecovery::RequestArchive() const {
    return ToStdString(EditArcFile->text());
}

QList<QWidget*> TfRecovery::Inputs() const {
    return {EditArcFile, BitBtnSource, CheckBoxYBackup, EditYES};
}

void TfRecovery::BitBtnSourceClick() {
    const QString path = PickArchive(
        this, {false, ToQString(ShellServices().State().BackupPath),
               QStringLiteral("Vemly backup files (*.vlbackup);;All files (*)"), {}});
    if (path.isEmpty()) return;
    EditArcFile->setText(path);
    EditArcFile->setCursorPosition(path.size());
}
