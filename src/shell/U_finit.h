// The start-up form: its phases (the load phase at every start, the pack and recalculation
// phases on the first start of a day, the tree and its selection) with a line of text each.
#pragma once

#include <QImage>

#include "pays/Uscheduler.h"
#include "shell/DialogBase.h"
#include "shell/U_finit_phases.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class TfMain;

// The window a normal start shows, alone, before the main window appears: a borderless form
// with the start-up picture, a caption, the memo of phase lines and a progress bar. The main
// window's first show runs it (Run): shown, it works through its phases, letting paint and
// timer events run between the steps, and closes itself.
class TfInit : public TDialogBase, public TStartupSink, public TRecalcProgress {
    Q_OBJECT

public:
    explicit TfInit(TfMain& main);

    // Shows the form and runs its phases; what a phase threw outside the budgets' own errors is
    // thrown here, after the form has closed.
    static void Run(TfMain& main);

    QLabel* Image1;
    QLabel* Image2;
    QLabel* Label2;
    QPlainTextEdit* MemoProcess;
    QProgressBar* ProgressBar1;

    // The phases, once, whatever activates the form again meanwhile (a window a phase opens):
    // 1. the load line (PhaseEnd + " " + PhaseEnd_InProcess), the first-start test against
    //    the setting LastStart (day 0 when missing), the load phase, the line's end
    //    PhaseEnd_OK;
    // 2. on the first start of the day the pack and recalculation phases (RunDailyPhases);
    // 3. the tree rebuilt (a budget that cannot be read is left out and reported, unless a phase
    //    reported a budget already) and given the focus; the node of the setting SelNode selected
    //    when it is a node of the tree (not negative, below the node count);
    // 4. today stored as LastStart, unless a budget failed in a phase, so that the next start
    //    runs the day's phases again;
    // 5. the form closes.
    void FormActivate();

    // Runs at every start, before the tree is built, in one pass: the two smoothed logos, the
    // data module's tables (the budget list open read-only, the seventeen budget tables named
    // and indexed but closed), no budget open (IDBudget -1), the main window's texts and status
    // bar from "Main.lng", each registered frame's texts in the order of registration, the
    // number frame's two formula pictures from the data folder (a missing or unreadable one
    // stays empty and the phase goes on), the tree popup's captions from "PMenuTree.lng", the
    // separator of names in object paths (setting NamesSep, default "\") and the mouse-wheel
    // rule. Nothing is reported: missing language files leave the compiled-in English texts.
    void LoadPhase();

    // The logos as drawn, on white: the main window's and the small one of the dialogs.
    static QImage LogoSource();
    static QImage SmallLogoSource();

protected:
    // The phase texts of "Init.lng".
    void FormShow() override;
    // The user cannot close the form: it closes itself when its phases are done.
    void reject() override {}

private:
    // The memo, the progress bar and the error boxes of the phases.
    void AddLine(const std::string& line) override;
    void LetMessagesRun() override;
    TRecalcProgress* Progress() override { return this; }
    void ResetProgress() override;
    void ShowError(const std::string& text) override;
    void StartProgress(int maximum) override;
    void SetProgress(int position) override;

    void ReadMainTexts();
    void ReadPopupTexts();

    TfMain& main_;
    TInitTexts texts_;
    bool started_ = false;
};
