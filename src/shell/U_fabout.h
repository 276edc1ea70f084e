// The about box: the program's picture, version and legal notice, and the project's web address.
#pragma once

#include "shell/DialogBase.h"

class QLabel;
class TfMain;

// Opened by the main window's About command, shown modally; frees itself when closed. Texts
// from "About.lng" [About] (LabelLegalWarning, BitBtnOK), defaults empty.
class TfAbout : public TDialogBase {
    Q_OBJECT

public:
    explicit TfAbout(TfMain& main);

    // The project's web address, the caption of LabelSite.
    static constexpr const char* kSite = "https://vemly.example.org/";

    QLabel* Image1;
    QLabel* Label3;  // the version line
    QLabel* Label2;  // the information line
    QLabel* LabelSite;
    QLabel* LabelLegalWarning;

protected:
    void FormShow() override;
};
