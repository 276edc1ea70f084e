// The pop-up calculator: a tape of numbers and operators worked out in exact decimals beside an
// input field, handing the last line back.
#pragma once

#include <QColor>
#include <array>
#include <string>
#include <vector>

#include "shell/DialogBase.h"

class QLabel;
class QPushButton;
class QTextEdit;
class QTimer;

// One use: ShowCalculator makes it, shows it modally and it frees itself when it closes.
class TQ519Calc : public TDialogBase {
    Q_OBJECT

public:
    explicit TQ519Calc(QWidget* parent = nullptr);

    QColor ButtonColor{0x55, 0x55, 0x55};
    QColor TypingColor{0x55, 0x55, 0x55};
    QColor TapeColor{0x90, 0x90, 0x90};
    bool ShiftDown = false;
    std::string StartText;
    std::string* ResultText = nullptr;
    bool* Confirmed = nullptr;
    bool FadeIn = true;
    int TickCount = 0;
    int TickInterval = 10;

    QTextEdit* RichEditTablo;
    std::array<QPushButton*, 10> BitBtnDigits{};  // BitBtn0 ... BitBtn9
    QPushButton* BitBtnNeg;
    QPushButton* BitBtnSep;
    QPushButton* BitBtnBS;
    QPushButton* BitBtnClear;
    QPushButton* BitBtnPr;
    QPushButton* BitBtnDev;
    QPushButton* BitBtnPlus;
    QPushButton* BitBtnMinus;
    QPushButton* BitBtnRes;
    QLabel* Label1;
    QTimer* Timer1;

    // The tape, its last line last.
    struct TLine {
        std::string Text;
        QColor Color;
    };
    const std::vector<TLine>& Lines() const { return lines_; }

    // Appends a character to the number being entered (never to a result).
    void TypeChar(char c);
    // A number, an operator and a number wait at the end of the tape.
    bool IsPending() const;
    // The waiting computation's result as text; throws LargeError (division by zero, a number
    // the decimal type cannot read).
    std::string Compute() const;
    // Commits the number just entered with the operator and opens an empty line.
    void PutOperator(const std::string& op);

    void OperatorClick(const std::string& op);
    void BitBtnResClick();
    void BitBtnNegClick();
    void BitBtnSepClick();
    void BitBtnBSClick();
    void BitBtnClearClick();
    void BitBtnOKClick();
    void Timer1Timer();

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void ShowTape();
    void SetLast(const std::string& text, const QColor& color);
    void ResetButtonColors();
    // Shows the decimal type's error; the tape stays as it was.
    void ShowDecimalError(const std::exception& error);

    std::vector<TLine> lines_;
};

// Opens the calculator at the screen position with the start text as its first line; the last
// line when the user confirmed with OK, else the start text unchanged.
std::string ShowCalculator(const std::string& startText, int left, int top);
