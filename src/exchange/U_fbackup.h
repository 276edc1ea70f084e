// The backup dialog: asks for the archive into which the open budget is backed up at the
// next start.
#pragma once

#include "exchange/RestartDialog.h"

class QPushButton;

// Opened by the Admin menu's Backup. OK (enabled while EditArcFile is not empty) records the
// request 1 with the archive.
class TfBackup : public TRestartDialog {
    Q_OBJECT

public:
    explicit TfBackup(TfMain& main);

    QLabel* LabelStep1;
    QLineEdit* EditArcFile;
    QPushButton* BitBtnChoiceFile;

protected:
    bool OKAllowed() const override;
    void ShowInputs() override;
    int RequestCode() const override;
    std::optional<std::string> RequestArchive() const override;
    QList<QWidget*> Inputs() const override;

private:
    void BitBtnChoiceFileClick();
};
