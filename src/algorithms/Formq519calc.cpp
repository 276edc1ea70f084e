// The pop-up calculator: a tape of numbers and operators worked out in exact decimals beside an
// input field, handing the last line back.
#include "algorithms/Formq519calc.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "decimal/Large_fix.h"
#include "decimal/Uchecksymbols.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kFadeTicks = 10;
constexpr int kButtonSize = 21;
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlack(0x00, 0x00, 0x00);
const QColor kPressedDigit(0xA6, 0xCA, 0xF0);
const QColor kPressedOperator(0xC0, 0xC0, 0xC0);
const QColor kPressedClear(0xFF, 0xAA, 0xAA);

bool IsOperatorLine(const std::string& line) {
    return line == "+" || line == "-" || line == "*" || line == "/";
}

void SetButtonColor(QPushButton& button, const QColor& color) {
    button.setStyleSheet(
        QStringLiteral("color: %1; font-weight: bold; font-family: Calibri;").arg(color.name()));
}

}  // namespace

TQ519Calc::TQ519Calc(QWidget* parent)
    : TDialogBase("TQ519Calc", parent, Qt::Tool | Qt::WindowCloseButtonHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
}

void TQ519Calc::BuildControls() {
    setFixedSize(144, 236);
    RichEditTablo = Named<QTextEdit>(this, "RichEditTablo");
    RichEditTablo->setReadOnly(true);
    // Lines are as wide as the tape, so that they stand right-aligned, and never wrap.
    RichEditTablo->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEditTablo->setWordWrapMode(QTextOption::NoWrap);
    RichEditTablo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditTablo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditTablo->setFixedSize(129, 77);
    RichEditTablo->setFocusPolicy(Qt::NoFocus);

    auto button = [this](const char* name, const QString& caption) {
        QPushButton* made = Named<QPushButton>(this, name, caption);
        made->setFixedSize(kButtonSize, kButtonSize);
        made->setAutoDefault(false);
        made->installEventFilter(this);
        return made;
    };
    static const char* const kDigitNames[] = {"BitBtn0", "BitBtn1", "BitBtn2", "BitBtn3",
                                              "BitBtn4", "BitBtn5", "BitBtn6", "BitBtn7",
                                              "BitBtn8", "BitBtn9"};
    for (int digit = 0; digit < 10; ++digit) {
        BitBtnDigits[static_cast<size_t>(digit)] =
            button(kDigitNames[digit], QString::number(digit));
        connect(BitBtnDigits[static_cast<size_t>(digit)], &QPushButton::clicked, this,
                [this, digit] { TypeChar(static_cast<char>('0' + digit)); });
    }
    BitBtnNeg = button("BitBtnNeg", QStringLiteral("+/-"));
    BitBtnSep = button("BitBtnSep", QStringLiteral(","));
    BitBtnBS = button("BitBtnBS", QStringLiteral("\u2190"));
    BitBtnClear = button("BitBtnClear", QStringLiteral("C"));
    BitBtnPr = button("BitBtnPr", QStringLiteral("*"));
    BitBtnDev = button("BitBtnDev", QStringLiteral("/"));
    BitBtnPlus = button("BitBtnPlus", QStringLiteral("+"));
    BitBtnMinus = button("BitBtnMinus", QStringLiteral("-"));
    BitBtnRes = button("BitBtnRes", QStringLiteral("="));
    BitBtnRes->setFixedWidth(2 * kButtonSize + 2);
    BitBtnOK = button("BitBtnOK", QStringLiteral("OK"));
    BitBtnOK->setFixedWidth(2 * kButtonSize + 2);
    connect(BitBtnNeg, &QPushButton::clicked, this, &TQ519Calc::BitBtnNegClick);
    connect(BitBtnSep, &QPushButton::clicked, this, &TQ519Calc::BitBtnSepClick);
    connect(BitBtnBS, &QPushButton::clicked, this, &TQ519Calc::BitBtnBSClick);
    connect(BitBtnClear, &QPushButton::clicked, this, &TQ519Calc::BitBtnClearClick);
    connect(BitBtnRes, &QPushButton::clicked, this, &TQ519Calc::BitBtnResClick);
    connect(BitBtnOK, &QPushButton::clicked, this, &TQ519Calc::BitBtnOKClick);
    for (const auto& [control, op] : {std::pair{BitBtnPlus, "+"}, std::pair{BitBtnMinus, "-"},
                                      std::pair{BitBtnPr, "*"}, std::pair{BitBtnDev, "/"}})
        connect(control, &QPushButton::clicked, this, [this, op = op] { OperatorClick(op); });

    Label1 = Named<QLabel>(this, "Label1", QStringLiteral("_ Q-519 ___________________"));
    Label1->setStyleSheet(QStringLiteral("font-family: Calibri; color: #808080"));

    auto* keys = new QGridLayout;
    keys->setSpacing(2);
    const int digitsAt[10][2] = {{3, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 0},
                                 {1, 1}, {1, 2}, {0, 0}, {0, 1}, {0, 2}};
    for (int digit = 0; digit < 10; ++digit)
        keys->addWidget(BitBtnDigits[static_cast<size_t>(digit)], digitsAt[digit][0],
                        digitsAt[digit][1]);
    keys->addWidget(BitBtnNeg, 3, 1);
    keys->addWidget(BitBtnSep, 3, 2);
    keys->addWidget(BitBtnBS, 0, 3);
    keys->addWidget(BitBtnClear, 0, 4);
    keys->addWidget(BitBtnPr, 1, 3);
    keys->addWidget(BitBtnDev, 1, 4);
    keys->addWidget(BitBtnPlus, 2, 3);
    keys->addWidget(BitBtnMinus, 2, 4);
    keys->addWidget(BitBtnRes, 3, 3, 1, 2);
    keys->addWidget(BitBtnOK, 4, 3, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 6, 7, 4);
    layout->setSpacing(6);
    layout->addWidget(RichEditTablo);
    layout->addLayout(keys);
    layout->addStretch();
    layout->addWidget(Label1);

    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &TQ519Calc::Timer1Timer);
    ResetButtonColors();
}

void TQ519Calc::FormShow() {
    if (Confirmed != nullptr) *Confirmed = false;
    RichEditTablo->setStyleSheet(
        QStringLiteral("background: #F0F0F0; color: %1;").arg(TapeColor.name()));
    ResetButtonColors();
    BitBtnOK->setFocus();
    lines_.clear();
    if (!StartText.empty()) lines_.push_back({StartText, TapeColor});
    ShowTape();
    if (FadeIn) {
        Timer1->setInterval(TickInterval);
        TickCount = 0;
        setWindowOpacity(0);
        Timer1->start();
    }
}

void TQ519Calc::Timer1Timer() {
    ++TickCount;
    setWindowOpacity(std::min(1.0, windowOpacity() + 25.0 / 255.0));
    if (TickCount >= kFadeTicks) {
        Timer1->stop();
        setWindowOpacity(1.0);
    }
}

void TQ519Calc::ShowTape() {
    QString html;
    for (const TLine& line : lines_)
        html +=
            QStringLiteral("<div align=\"right\" style=\"color:%1; font-weight:bold\">%2</div>")
                .arg(line.Color.name(), line.Text.empty() ? QStringLiteral("&nbsp;")
                                                          : ToQString(line.Text).toHtmlEscaped());
    RichEditTablo->setHtml(html);
    // The newest line and the ends of the numbers are in view: a number wider than the tape
    // shows its last digits.
    RichEditTablo->verticalScrollBar()->setValue(RichEditTablo->verticalScrollBar()->maximum());
    RichEditTablo->horizontalScrollBar()->setValue(RichEditTablo->horizontalScrollBar()->maximum());
}

void TQ519Calc::SetLast(const std::string& text, const QColor& color) {
    lines_.back() = {text, color};
}

void TQ519Calc::TypeChar(char c) {
    if (lines_.empty()) lines_.push_back({"", TypingColor});
    const size_t n = lines_.size();
    if (n >= 2 && IsDecimalString(lines_[n - 1].Text) && lines_[n - 2].Text == "=") return;
    if (lines_.back().Text == "=" || IsOperatorLine(lines_.back().Text))
        lines_.push_back({"", TypingColor});
    SetLast(lines_.back().Text + c, TypingColor);
    ShowTape();
}

bool TQ519Calc::IsPending() const {
    const size_t n = lines_.size();
    return n > 2 && IsDecimalString(lines_[n - 1].Text) && IsOperatorLine(lines_[n - 2].Text) &&
           IsDecimalString(lines_[n - 3].Text);
}

std::string TQ519Calc::Compute() const {
    const size_t n = lines_.size();
    const large_fix a(lines_[n - 3].Text.c_str());
    const large_fix b(lines_[n - 1].Text.c_str());
    switch (lines_[n - 2].Text[0]) {
        case '+':
            return (a + b).ToString();
        case '-':
            return (a - b).ToString();
        case '*':
            return (a * b).ToString();
        case '/':
            return (a / b).ToString();
        default:
            return "";
    }
}

void TQ519Calc::PutOperator(const std::string& op) {
    if (lines_.empty() || lines_.back().Text.empty()) return;
    lines_.back().Color = TapeColor;
    lines_.push_back({op, TapeColor});
    lines_.push_back({"", TapeColor});
    ShowTape();
}

void TQ519Calc::ShowDecimalError(const std::exception& error) {
    MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    // The box took the release of the key that pressed a button: no button stays pressed.
    ResetButtonColors();
}

void TQ519Calc::OperatorClick(const std::string& op) {
    if (lines_.empty() || lines_.back().Text.empty()) return;
    if (IsPending()) {
        std::string result;
        try {
            result = Compute();
        } catch (const LargeError& error) {
            ShowDecimalError(error);
            return;
        }
        PutOperator("=");
        SetLast(result, TypingColor);
    }
    PutOperator(op);
}

void TQ519Calc::BitBtnResClick() {
    if (lines_.empty() || lines_.back().Text.empty()) return;
    if (IsPending()) {
        SetButtonColor(*BitBtnRes, kPressedOperator);
        std::string result;
        try {
            result = Compute();
        } catch (const LargeError& error) {
            ShowDecimalError(error);
            return;
        }
        PutOperator("=");
        SetLast(result, TypingColor);
    }
    lines_.back().Color = TypingColor;
    ShowTape();
}

void TQ519Calc::BitBtnNegClick() {
    if (lines_.empty() || lines_.back().Text.empty()) return;
    std::string& text = lines_.back().Text;
    if (text[0] == '-')
        text.erase(0, 1);
    else
        text.insert(0, 1, '-');
    ShowTape();
}

void TQ519Calc::BitBtnSepClick() {
    const char separator = DecimalSeparator();
    if (!lines_.empty() && lines_.back().Text.find(separator) != std::string::npos) return;
    TypeChar(separator);
}

void TQ519Calc::BitBtnBSClick() {
    if (lines_.empty()) return;
    if (!lines_.back().Text.empty()) {
        lines_.back().Text.pop_back();
    } else {
        lines_.pop_back();
        if (!lines_.empty() && IsOperatorLine(lines_.back().Text)) lines_.pop_back();
    }
    ShowTape();
}

void TQ519Calc::BitBtnClearClick() {
    lines_.clear();
    ShowTape();
}

void TQ519Calc::BitBtnOKClick() {
    std::string result;
    bool confirmed = false;
    if (!lines_.empty() && !lines_.back().Text.empty()) {
        try {
            result = large_fix(lines_.back().Text.c_str()).ToString();
        } catch (const LargeError& error) {
            ShowDecimalError(error);  // the calculator stays open
            return;
        }
        confirmed = true;
    }
    if (ResultText != nullptr) *ResultText = result;
    if (Confirmed != nullptr) *Confirmed = confirmed;
    accept();
}

void TQ519Calc::ResetButtonColors() {
    for (QPushButton* digit : BitBtnDigits) SetButtonColor(*digit, kNavy);
    SetButtonColor(*BitBtnNeg, kNavy);
    SetButtonColor(*BitBtnSep, kNavy);
    for (QPushButton* op : {BitBtnPlus, BitBtnRes, BitBtnDev, BitBtnMinus})
        SetButtonColor(*op, ButtonColor);
    SetButtonColor(*BitBtnPr, kBlack);
    SetButtonColor(*BitBtnOK, kBlack);
    SetButtonColor(*BitBtnClear, kRed);
    SetButtonColor(*BitBtnBS, kRed);
    BitBtnBS->setEnabled(true);
}

void TQ519Calc::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ControlModifier)) {
        BitBtnOKClick();
        return;
    }
    BitBtnRes->setFocus();
    ShiftDown = (event->modifiers() & Qt::ShiftModifier) != 0;
    const QString text = event->text();
    const char c = text.size() == 1 ? text[0].toLatin1() : 0;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        BitBtnResClick();
    } else if (key == Qt::Key_Space) {
        BitBtnOKClick();
    } else if (key == Qt::Key_Escape) {
        SetButtonColor(*BitBtnClear, kPressedClear);
        BitBtnClearClick();
    } else if (key == Qt::Key_Backspace) {
        BitBtnBSClick();
        BitBtnBS->setEnabled(false);
    } else if (key == Qt::Key_F1) {
        MessageDlg("Show Help ...", TMsgDlgType::mtInformation, mbOK, this);
    } else if (c >= '0' && c <= '9') {
        SetButtonColor(*BitBtnDigits[static_cast<size_t>(c - '0')], kPressedDigit);
        TypeChar(c);
    } else if (c == '+' || c == '*' || c == '/') {
        SetButtonColor(c == '+'   ? *BitBtnPlus
                       : c == '*' ? *BitBtnPr
                                  : *BitBtnDev,
                       kPressedOperator);
        OperatorClick(std::string(1, c));
    } else if (c == '-' && !ShiftDown) {
        SetButtonColor(*BitBtnMinus, kPressedOperator);
        OperatorClick("-");
    } else if (c == '-' || c == '_') {
        SetButtonColor(*BitBtnNeg, kPressedDigit);
        BitBtnNegClick();
    } else if (c == ',' || c == '.') {
        // Either separator key, the keypad's included, enters the user's separator.
        SetButtonColor(*BitBtnSep, kPressedDigit);
        BitBtnSepClick();
    }
}

void TQ519Calc::keyReleaseEvent(QKeyEvent*) {
    ResetButtonColors();
}

bool TQ519Calc::eventFilter(QObject* watched, QEvent* event) {
    // Every key reaches the calculator first, whichever button has the focus.
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::KeyRelease) {
        keyReleaseEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return TDialogBase::eventFilter(watched, event);
}

std::string ShowCalculator(const std::string& startText, int left, int top) {
    std::string result;
    bool confirmed = false;
    auto* calculator = new TQ519Calc;
    calculator->StartText = startText;
    calculator->ResultText = &result;
    calculator->Confirmed = &confirmed;
    calculator->FadeIn = true;
    calculator->TickInterval = 15;
    calculator->move(left, top);
    calculator->exec();  // it frees itself when it closes
    return confirmed ? result : startText;
}
