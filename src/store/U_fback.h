// The undo and redo dialog: marks a block of the open budget's journal, asks for "YES", runs the
// block one step per turn of the event loop with a progress bar, a blinking lamp and a stop
// button, and cancels the marks a run did not reach when it closes.
#pragma once

#include <optional>
#include <string>

#include "shell/DialogBase.h"
#include "store/Utransactions_undo.h"

class QAbstractButton;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class TfMain;

// The journal view opens it from its Back button (undo, mode 10) or its Forward button (redo,
// mode 20), each time anew, and shows it modally; it frees itself when it closes:
//
//     auto* back = new TfBack(*fMain, *BitBtnBack, *BitBtnForward);
//     back->Mode = TfBack::kModeUndo;  // TfBack::kModeRedo from BitBtnForward
//     back->exec();
//
// The block starts at the view's selected transaction: the current row of the data module's
// journal table (DM->TablejTrans), read when the dialog has been shown. While it is open the
// dialog keeps the view's button of its mode disabled; it refreshes DM->TablejTrans after the
// marking, after every step and when it closes, so that the view's data-change event shows the
// statuses and sets both buttons again by its rule. After a run it rebuilds the main tree and
// selects the budget's journal node again, then closes; whenever it closes without a complete
// run (Exit, Esc, the close box, a refused marking, a stop, a failed step) it cancels the marks
// that are left.
class TfBack : public TDialogBase {
    Q_OBJECT

public:
    static constexpr int kModeUndo = 10;
    static constexpr int kModeRedo = 20;

    // backButton and forwardButton: the journal view's BitBtnBack and BitBtnForward.
    TfBack(TfMain& main, QAbstractButton& backButton, QAbstractButton& forwardButton);
    ~TfBack() override;

    int Mode = kModeUndo;  // set by the journal view before the dialog is shown
    int NTrans = 0;        // the selected transaction, read when the dialog was shown
    int MarkCount = 0;     // MarkUndo's or MarkRedo's result: the block's size, or refused
    bool StopRequested = false;
    bool Executed = false;  // a run finished the whole block: nothing to cancel

    QLabel* LabelHeader;
    QLabel* ImageUndo;
    QLabel* ImageRedo;
    QPlainTextEdit* MemoDescript;
    QLabel* LabelMes;
    QFrame* PanelLamp;
    QProgressBar* ProgressBar1;
    QLineEdit* EditYes;
    QPushButton* BitBtnStop;
    QTimer* Timer1;  // the lamp's blink while work goes on

    // Marks the block of the mode from the selected transaction (MarkUndo or MarkRedo); the
    // progress bar's maximum becomes the count.
    void PrepareMarks();
    // Runs the marked block: one step per turn of the event loop, then the end of the run.
    void RunSteps();

protected:
    void FormShow() override;
    void FormClose() override;
    // OK: runs the block.
    void accept() override;
    // Exit, Esc and the close box: refused while a run goes on.
    void reject() override;

private:
    // After the show: the marking, with the lamp on and the preparing message.
    void FormActivate();
    void EditYesChange();
    void BitBtnStopClick();
    void Timer1Timer();
    // Runs the next step of the run; schedules the one after it or ends the run.
    void NextStep();
    void RunEnded();
    void SetLamp(bool on);
    void SetStopCaption(const std::string& caption, const QColor& colour);

    TfMain& main_;
    QAbstractButton& backButton_;
    QAbstractButton& forwardButton_;
    QTimer* stepTimer_;
    std::optional<TJournalRun> run_;
    bool lampOn_ = false;
    std::string msgStart_, msgProcess_, msgStops_, msgStopped_, msgCancel_, msgErr01_;
    std::string stopCaption_, startCaption_, prepareMessage_;
};
