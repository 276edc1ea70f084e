// The pop-up calculator: the tape through its buttons and keys, the results it hands back, and
// the decimal errors it shows without losing the tape.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

#include "algorithms/Formq519calc.h"
#include "common/ScopedMessageDlg.h"
#include "platform/Locale.h"

namespace {

// A text with "," standing for the user's decimal separator.
std::string Sep(std::string text) {
    for (char& c : text)
        if (c == ',') c = DecimalSeparator();
    return text;
}

class Calculator : public ::testing::Test {
protected:
    Calculator() : calc(new TQ519Calc) {
        calc->ResultText = &result;
        calc->Confirmed = &confirmed;
        calc->FadeIn = false;
    }
    ~Calculator() override {
        if (!calc.isNull()) calc->close();
    }
    void Open(const std::string& start = "") {
        calc->StartText = start;
        calc->show();
    }
    std::vector<std::string> Tape() const {
        std::vector<std::string> lines;
        for (const TQ519Calc::TLine& line : calc->Lines()) lines.push_back(line.Text);
        return lines;
    }
    void Digits(const std::string& digits) {
        for (char c : digits) calc->BitBtnDigits[static_cast<size_t>(c - '0')]->click();
    }

    std::string result = "unset";
    bool confirmed = true;
    QPointer<TQ519Calc> calc;
};

using Lines = std::vector<std::string>;

TEST_F(Calculator, TypingContinuesTheStartText) {
    Open("100");
    Digits("5");
    EXPECT_EQ(Tape(), Lines{"1005"});
}

// A number wider than the tape shows its last digits.
TEST_F(Calculator, ANumberWiderThanTheTapeShowsItsEnd) {
    Open("-123456789.1234");
    QCoreApplication::processEvents();
    const QScrollBar& across = *calc->RichEditTablo->horizontalScrollBar();
    EXPECT_GT(across.maximum(), 0);
    EXPECT_EQ(across.value(), across.maximum());
}

TEST_F(Calculator, DividesAndHandsTheResultBack) {
    Open();
    Digits("7");
    calc->BitBtnDev->click();
    Digits("2");
    calc->BitBtnRes->click();
    EXPECT_EQ(Tape(), (Lines{"7", "/", "2", "=", Sep("3,5")}));
    Digits("9");  // a result is not typed into
    EXPECT_EQ(Tape().back(), Sep("3,5"));
    calc->BitBtnOK->click();
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(result, Sep("3,5"));
}

TEST_F(Calculator, AnOperatorAfterAPendingOneComputesFirst) {
    Open();
    Digits("5");
    calc->BitBtnPlus->click();
    Digits("3");
    calc->BitBtnPr->click();
    EXPECT_EQ(Tape(), (Lines{"5", "+", "3", "=", "8", "*", ""}));
    Digits("2");
    calc->BitBtnRes->click();
    EXPECT_EQ(Tape().back(), "16");
}

TEST_F(Calculator, EqualsWithOneNumberOnlyColoursIt) {
    Open();
    Digits("42");
    calc->BitBtnRes->click();
    EXPECT_EQ(Tape(), Lines{"42"});
    EXPECT_EQ(calc->Lines().back().Color, calc->TypingColor);
}

TEST_F(Calculator, BackspaceOnTheLineAfterAnOperatorTakesTheOperatorToo) {
    Open();
    Digits("12");
    calc->BitBtnMinus->click();
    calc->BitBtnBS->click();
    EXPECT_EQ(Tape(), Lines{"12"});
    calc->BitBtnBS->click();
    EXPECT_EQ(Tape(), Lines{"1"});
    calc->BitBtnNeg->click();
    EXPECT_EQ(Tape(), Lines{"-1"});
    calc->BitBtnNeg->click();
    EXPECT_EQ(Tape(), Lines{"1"});
    calc->BitBtnSep->click();
    calc->BitBtnSep->click();  // a second separator is not added
    EXPECT_EQ(Tape(), Lines{Sep("1,")});
}

TEST_F(Calculator, OkOnAnEmptyLineReturnsNothingConfirmed) {
    for (const bool afterOperator : {false, true}) {
        result = "unset";
        confirmed = true;
        if (!calc.isNull()) calc->close();
        calc = new TQ519Calc;
        calc->ResultText = &result;
        calc->Confirmed = &confirmed;
        calc->FadeIn = false;
        Open();
        if (afterOperator) {
            Digits("3");
            calc->BitBtnPlus->click();
        }
        calc->BitBtnOK->click();
        EXPECT_FALSE(confirmed);
        EXPECT_EQ(result, "");
    }
}

TEST_F(Calculator, OkNormalisesTheLastLine) {
    Open(Sep("0,10"));
    calc->BitBtnOK->click();
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(result, Sep("0,1"));
}

TEST_F(Calculator, DivisionByZeroShowsTheErrorAndKeepsTheTape) {
    ScopedMessageDlg boxes;
    Open();
    Digits("5");
    calc->BitBtnDev->click();
    Digits("0");
    calc->BitBtnRes->click();
    EXPECT_EQ(boxes.Texts(), Lines{"Division by zero"});
    EXPECT_EQ(Tape(), (Lines{"5", "/", "0"}));
    calc->BitBtnPlus->click();
    EXPECT_EQ(Tape(), (Lines{"5", "/", "0"}));
    EXPECT_EQ(boxes.Texts().size(), 2u);
}

// The error box takes the release of the key that pressed "=" or an operator: the button
// does not stay in its pressed colour.
TEST_F(Calculator, NoButtonStaysPressedAfterTheErrorBox) {
    ScopedMessageDlg boxes;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Plus}) {
        Open();
        QTest::keyClick(calc, Qt::Key_Escape);
        QTest::keyClicks(calc, "5/0");
        const QString normal = calc->BitBtnRes->styleSheet() + calc->BitBtnPlus->styleSheet();
        QTest::keyPress(calc, key, key == Qt::Key_Plus ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(calc->BitBtnRes->styleSheet() + calc->BitBtnPlus->styleSheet(), normal) << key;
    }
    EXPECT_EQ(boxes.Texts(), (Lines{"Division by zero", "Division by zero"}));
}

TEST_F(Calculator, AnUnreadableStartTextIsNeverComputedAndOkShowsTheError) {
    ScopedMessageDlg boxes;
    Open("x5");
    calc->BitBtnPlus->click();
    Digits("1");
    calc->BitBtnRes->click();  // the start text is no operand: nothing is computed
    EXPECT_EQ(Tape(), (Lines{"x5", "+", "1"}));
    calc->BitBtnBS->click();
    calc->BitBtnBS->click();
    EXPECT_EQ(Tape(), Lines{"x5"});
    calc->BitBtnOK->click();
    EXPECT_EQ(boxes.Texts(), Lines{"Malformed number text"});
    EXPECT_FALSE(calc.isNull());
    EXPECT_TRUE(calc->isVisible());
    EXPECT_EQ(Tape(), Lines{"x5"});
}

TEST_F(Calculator, Keys) {
    Open();
    QTest::keyClicks(calc, "12+3");
    EXPECT_EQ(Tape(), (Lines{"12", "+", "3"}));
    QTest::keyClick(calc, Qt::Key_Return);
    EXPECT_EQ(Tape().back(), "15");
    QTest::keyClick(calc, Qt::Key_Escape);
    EXPECT_TRUE(Tape().empty());
    QTest::keyClicks(calc, "75_");
    EXPECT_EQ(Tape(), Lines{"-75"});
    QTest::keyClick(calc, Qt::Key_Backspace);
    EXPECT_EQ(Tape(), Lines{"-7"});
    EXPECT_TRUE(calc->BitBtnBS->isEnabled());  // enabled again when the key is released
    QTest::keyClick(calc, Qt::Key_Space);
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(result, "-7");
}

// Comma, point and the keypad's separator key all enter the user's separator, once per number,
// and Ctrl+Enter hands the decimal number back (12,5 was handed back as 125).
TEST_F(Calculator, BothSeparatorKeysEnterTheDecimalSeparator) {
    struct Case {
        char key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case& typed : {Case{',', Qt::NoModifier}, Case{'.', Qt::NoModifier},
                              Case{'.', Qt::KeypadModifier}, Case{',', Qt::KeypadModifier}}) {
        SCOPED_TRACE(std::string(1, typed.key) + (typed.modifiers ? " (keypad)" : ""));
        confirmed = false;
        result.clear();
        QPointer<TQ519Calc> one = new TQ519Calc;
        one->ResultText = &result;
        one->Confirmed = &confirmed;
        one->FadeIn = false;
        one->show();
        QTest::keyClicks(one, "12");
        QTest::keyClick(one, typed.key, typed.modifiers);
        QTest::keyClick(one, typed.key, typed.modifiers);  // a second separator is not taken
        QTest::keyClicks(one, "5");
        QTest::keyClick(one, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_TRUE(confirmed);
        EXPECT_EQ(result, Sep("12,5"));
        if (!one.isNull()) one->close();
    }
}

}  // namespace
