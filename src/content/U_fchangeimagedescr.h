// The picture description dialog: a new description for the picture shown in the album frame's
// edit mode, kept in the frame's edit list until its Apply.
#pragma once

#include <QColor>
#include <string>

#include "shell/DialogBase.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class TfrImages;

class TfChangeImageDescr : public TDialogBase {
    Q_OBJECT

public:
    explicit TfChangeImageDescr(TfrImages& frame);

    void EditNewDescrChange();
    void accept() override;

    QLabel* LabelHeader;
    QLabel* LabelChange;
    QLineEdit* EditNewDescr;

    QLabel* DescrLabel = nullptr;
    QGroupBox* Box = nullptr;
    bool Changed = false;
    bool WasNavy = false;
    std::string OldDescr;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    TfrImages& frame_;
    int number_ = 0;
};
