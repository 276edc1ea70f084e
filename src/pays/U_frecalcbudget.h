// The recalculation dialog: recalculates the open budget's automatic charges and balances for a
// period, interactively from the calendar frame or automatically after a change.
#pragma once

#include <string>

#include "pays/Uscheduler.h"
#include "shell/DialogBase.h"

class QCheckBox;
class TDateField;
class QLabel;
class QPlainTextEdit;
class QProgressBar;

// Made anew for each use by its opener and freed when it closes.
//
// Interactive (from the calendar frame's BtnRecalcBudget): the user picks the first day (or
// ticks CheckBoxFromBegin for the beginning of the budget's data) and the last day; OK rebuilds
// the calendar to 5 days after the run's last day and recalculates from the first day to the
// last day, or on to the latest pay event when that lies later (RecalcLastDay), writing one log
// line per calendar entry; the dialog stays open for further runs until Exit.
//
//     auto* dialog = new TfRecalcBudget(mainWindow);
//     dialog->exec();
//
// Automatic (RunAutoRecalc): no log, 242 pixels high; the run starts once the dialog is shown,
// from the given day or the beginning to LatestPayEventDate, and the dialog closes itself.
class TfRecalcBudget : public TDialogBase, public TRecalcLog, public TRecalcProgress {
    Q_OBJECT

public:
    // Interactive and ReloadPay set, FromBeginDate worked out from the open budget.
    explicit TfRecalcBudget(QWidget* parent);

    bool Interactive = true;
    bool StopFlag = false;  // cleared before each run; nothing sets it
    bool ReloadPay = true;
    TDateTime FromBeginDate = 0;  // RecalcFromBeginDate when the dialog was made
    TDateTime ChosenStart = 0;    // the first day when CheckBoxFromBegin is not ticked

    QLabel* LabelHeader;
    QLabel* LabelBudgetName;
    QLabel* LabelDateBegin;
    QCheckBox* CheckBoxFromBegin;
    TDateField* DateTimePicker1;
    QLabel* LabelDateEnd;
    TDateField* DateTimePicker2;
    QPlainTextEdit* MemoProgress;
    QProgressBar* ProgressBar1;
    QPlainTextEdit* MemoDescript;

    // Ticked: the first day is FromBeginDate and cannot be picked; not ticked: ChosenStart,
    // which can.
    void CheckBoxFromBeginClick();
    // The user picked a day: the first picker's day becomes ChosenStart.
    void DateTimePicker1CloseUp();
    // The interactive run: calendar rebuilt to RecalcLastDay(last day) + 5, recalculation from
    // the first day to that day.
    void BitBtnOKClick();

    // The memo and the progress bar of a run.
    void ClearLog() override;
    void AddLogLine(const std::string& line) override;
    void StartProgress(int maximum) override;
    void SetProgress(int position) override;

signals:
    // A run has ended (complete or not): the calendar and the history were written.
    void RunFinished();

protected:
    void FormShow() override;

private:
    // The automatic run, once the dialog is on the screen; then it closes.
    void FormActivate();
    void SetPicker1(TDateTime date);

    bool settingPicker_ = false;  // the first picker is being set by the dialog, not the user
};

// The automatic recalculation after a change of the open budget (RunAutomaticRecalc) in the
// automatic dialog over `parent`: from `date`, or from the beginning of the budget's data, to
// LatestPayEventDate. Returns when the dialog has closed; the number and pay frames then reload
// at their next show. What the run throws is thrown here after the dialog has closed.
void RunAutoRecalc(bool fromBeginning, TDateTime date, QWidget* parent);
