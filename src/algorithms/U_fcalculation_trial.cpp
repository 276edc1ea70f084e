// The algorithm editor's trial runs: the algorithm on the screen run for the trial date at once
// or line by line, with the running line marked and the values written into the text.
#include <QApplication>
#include <chrono>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "algorithms/U_fcalculation.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/ShellServices.h"

namespace {

const QColor kRed(0xFF, 0, 0);

}  // namespace

// The hooks of a trial run: every event goes through between the lines, so that Pause, Stop
// and the other controls answer, and the run shows itself in the text.
class TfCalculation::TrialHooks : public RunHooks {
public:
    explicit TrialHooks(TfCalculation& editor) : editor_(editor) {}

    // Every kind of event, user input included, but not more often than every 10 ms: a line
    // costs far less than a pass of the event loop.
    void LetMessagesRun() override {
        if (++calls_ % 8 != 1) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(10)) return;
        last_ = now;
        QCoreApplication::processEvents();
    }
    bool Shows() const override { return true; }
    void ShowLineValues(int line, int first, const std::vector<std::string>& variables,
                        int last) override {
        editor_.ShowLineValues(line, first, variables, last);
    }
    void ShowNextLine(int line) override { editor_.ShowRunLine(line); }

private:
    TfCalculation& editor_;
    unsigned calls_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

void TfCalculation::ShowRunLine(int line) {
    ClearLineMark();
    MarkLine(line, kRunLineColor);
    const int start = LineStart(line);
    if (start < 0) return;
    QTextCursor caret(RichEditAlg_->document());
    caret.setPosition(start);
    RichEditAlg_->setTextCursor(caret);
    RichEditAlg_->ensureCursorVisible();
}

void TfCalculation::SetButtonState(bool start, bool step, bool pause, bool stop) {
    BitBtnStart->setEnabled(start);
    BitBtnStartStep->setEnabled(step);
    BitBtnPause->setEnabled(pause);
    BitBtnStop->setEnabled(stop);
}

void TfCalculation::BitBtnStartClick() {
    if (RichEditAlg_->document()->blockCount() > 0) RunTrial(false);
}

void TfCalculation::BitBtnStartStepClick() {
    if (RichEditAlg_->document()->blockCount() == 0) return;
    SetButtonState(true, true, false, true);
    RunTrial(true);
}

void TfCalculation::BitBtnPauseClick() {
    SetButtonState(true, true, false, true);
    Marker.Pause = true;
}

void TfCalculation::BitBtnStopClick() {
    SetButtonState(true, true, false, false);
    Marker.Stop = true;
    FirstStep = false;
    if (EditMode) RichEditAlg_->setReadOnly(false);
}

void TfCalculation::RunTrial(bool step) {
    RichEditAlg_->setReadOnly(true);
    if (!Errors.isNull()) Errors->close();
    if (step)
        SetButtonState(true, true, false, true);
    else
        SetButtonState(false, false, true, true);

    if (Marker.Stop) {
        {
            const TBusyMessage busy(TBusyKind::Prepare);
            ClearVarValues(0);
            fetchedDate_ = FromQDate(DateTimePDateCalc->date());
            FetchTrialInputs(fetchedDate_);
            ShowInDataValues(0);
            WorkAlgorithm = BuildAlgorithm();
            Program = PrepareAlgorithm(WorkAlgorithm.Text, WorkAlgorithm.INDataList);
            CheckErrors = Program.Errors;
        }
        if (!CheckErrors.empty()) {
            AlgValid = false;
            ShowValidity();
            ShowErrors(CheckErrors, false);
            SetButtonState(true, true, false, false);
            if (EditMode) RichEditAlg_->setReadOnly(false);
            return;
        }
        // An empty program ends at once, its result "0".
        if (Program.Lines.empty()) BitBtnStopClick();
        AlgValid = true;
        ShowValidity();
        RunResult = Error01{"", -1, 0, ""};
        Marker = PrMarker{};
        Marker.Step = step;
        Vars = NewVariables();
        if (step && FirstStep && !Program.Lines.empty()) {
            ShowRunLine(Program.Lines.front().Op.NLine);
            FirstStep = false;
            return;
        }
    }
    Marker.Pause = false;
    Marker.Step = step;
    if (!hooks_) hooks_ = std::make_unique<TrialHooks>(*this);
    RunResult = RunProgram(Vars, VarOfResult, Program, WorkAlgorithm.INDataList, Marker, *hooks_);
    bool blink = Marker.Done;
    if (RunResult.ErrCode != 0) {
        AlgValid = false;
        ShowValidity();
        ShowErrors(TErrorList01{RunResult}, false);
        blink = true;
    }
    LabelResultValue->setText(ToQString("= " + Marker.Result));
    QPalette palette = LabelResultValue->palette();
    palette.setColor(QPalette::WindowText,
                     Marker.Done ? QApplication::palette().color(QPalette::WindowText) : kRed);
    LabelResultValue->setPalette(palette);
    if (Marker.Stop) {
        SetButtonState(true, true, false, false);
        FirstStep = true;
        if (EditMode) RichEditAlg_->setReadOnly(false);
    }
    if (blink) {
        BlinkCount = 7;
        Timer1->start(100);
    }
}

void TfCalculation::Timer1Timer() {
    const QColor shown =
        Marker.Done ? QApplication::palette().color(QPalette::WindowText) : kRed;
    const QColor face = QApplication::palette().color(QPalette::Button);
    QPalette palette = LabelResultValue->palette();
    const QColor now = palette.color(QPalette::WindowText);
    palette.setColor(QPalette::WindowText, now == face ? shown : face);
    if (--BlinkCount <= 0) {
        palette.setColor(QPalette::WindowText, shown);
        Timer1->stop();
    }
    LabelResultValue->setPalette(palette);
}

void TfCalculation::ClearVarValues(int n) {
    const std::string text = ToStdString(RichEditAlg_->toPlainText());
    ApplyChanges(0, text, ReferenceValueChanges(text, 'V', n, [](int) { return std::string(); }));
}

void TfCalculation::ShowLineValues(int line, int first, const std::vector<std::string>& variables,
                                   int last) {
    const QTextBlock block = RichEditAlg_->document()->findBlockByNumber(line - 1);
    if (line < 1 || !block.isValid()) return;
    const std::string text = ToStdString(block.text());
    ApplyChanges(block.position(), text, LineValueChanges(text, first, variables, last));
}
