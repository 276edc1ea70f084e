// The recovery dialog: asks for the archive from which the open budget is recovered at the
// next start, backed up first when asked.
#pragma once

#include "exchange/RestartDialog.h"

class QPushButton;

// Opened by the Admin menu's Recovery. OK is enabled while the archive exists and "YES" is
// typed; it records the request 20, or 21 with CheckBoxYBackup, with the archive.
class TfRecovery : public TRestartDialog {
    Q_OBJECT

public:
    explicit TfRecovery(TfMain& main);

    QLabel* LabelStep1;
    QLabel* LabelStep2;
    QLabel* LabelStep3;
    QLineEdit* EditArcFile;
    QPushButton* BitBtnSource;
    QCheckBox* CheckBoxYBackup;

protected:
    bool OKAllowed() const override;
    int RequestCode() const override;
    std::optional<std::string> RequestArchive() const override;
    QList<QWidget*> Inputs() const override;

private:
    void BitBtnSourceClick();
};
