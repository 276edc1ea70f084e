// The number value dialog over the number frame: adding and changing items with their checks,
// the same-day question, the constant's keys, the default algorithm name and the caption cut.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "NumberFixture.h"
#include "algorithms/Formq519calc.h"
#include "algorithms/U_fcalculation.h"
#include "algorithms/ValueFields.h"
#include "common/ScopedMessageDlg.h"
#include "common/TypedDates.h"
#include "numbers/U_fnumberchange.h"
#include "numbers/U_frnumber.h"
#include "platform/Text.h"
#include "shell/DateField.h"

namespace {

class NumberChange : public NumberBudget {
protected:
    NumberChange() {
        frame = &RegisterNumberFrame(frames, window);
        frame->LoadTexts();
        frame->setGeometry(0, 0, 545, 540);
        window.show();
    }
    void ShowFrameInEditMode() {
        frame->ShowFor(*shell.index.FindObject(kNumber, budget));
        frame->BitBtnEdit->click();
    }
    // The dialog over the frame in the mode, shown (not modal).
    TfNumberChange* Open(char mode) {
        auto* dialog = new TfNumberChange(*frame);
        dialog->Mode = mode;
        dialog->IDObject = kNumber;
        dialog->NameObject = "Rate";
        dialog->show();
        return dialog;
    }
    std::vector<std::string> Values() const { return GridValues(*frame); }

    TFrameRegistry frames;
    QWidget window;
    TfrNumber* frame;
    const TDateTime today = Today();
};

TEST_F(NumberChange, AddsAConstantOnItsDay) {
    AddConst(today - 10, "1");
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    EXPECT_EQ(ToStdString(dialog->LabelValue->text()), "Value:");
    EXPECT_FALSE(dialog->BitBtnOK->isEnabled());
    EXPECT_EQ(dialog->FirstDate, today + 1);
    dialog->DateTimePicker1->setDate(ToQDate(today - 2));
    dialog->EditConstValue->setText(QStringLiteral("2,50"));
    dialog->EditDescript->setText(QStringLiteral("new"));
    EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
    dialog->BitBtnOK->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Values(), (std::vector<std::string>{"1", Decimal("2,5")}));
    EXPECT_EQ(frame->Items.back().ConstValue, "2,5");
    EXPECT_EQ(frame->Items.back().State, 'a');
    EXPECT_EQ(frame->Items.back().Descript, "new");
    EXPECT_EQ(frame->Row(), 2);
    EXPECT_EQ(frame->EarliestChange, today - 2);
    EXPECT_TRUE(frame->BitBtnApply->isEnabled());
}

TEST_F(NumberChange, AnItemAWeekAheadLeavesTheEarliestChangeAtTomorrow) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->DateTimePicker1->setDate(ToQDate(today + 7));
    dialog->BitBtnOK->click();
    EXPECT_EQ(frame->EarliestChange, today + 1);
    EXPECT_EQ(frame->Items.size(), 1u);
    EXPECT_EQ(frame->Items[0].ConstValue, "0");
}

TEST_F(NumberChange, SameDayQuestionNoKeepsTheDialogOpenYesReplacesThatDaysItem) {
    AddConst(today - 5, "1");
    AddConst(today - 1, "2");
    ShowFrameInEditMode();
    frame->SetRow(1);  // the selected row is not the day's item
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->DateTimePicker1->setDate(ToQDate(today - 1));
    dialog->EditConstValue->setText(QStringLiteral("9"));
    {
        ScopedMessageDlg no(mrNo);
        dialog->BitBtnOK->click();
        EXPECT_EQ(no.Texts().size(), 1u);
        EXPECT_EQ(no.Calls()[0].Type, TMsgDlgType::mtConfirmation);
    }
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->EditConstValue->isEnabled());  // mend: the inputs are usable again
    EXPECT_TRUE(dialog->DateTimePicker1->isEnabled());
    EXPECT_EQ(Values(), (std::vector<std::string>{"1", "2"}));
    ScopedMessageDlg yes(mrYes);
    dialog->BitBtnOK->click();
    EXPECT_EQ(Values(), (std::vector<std::string>{"1", "9"}));  // mend: that day's item
    EXPECT_EQ(frame->Items.size(), 2u);
}

TEST_F(NumberChange, ADeletedItemOnTheDayAsksNothing) {
    AddConst(today - 1, "2");
    ShowFrameInEditMode();
    frame->Items[0].State = 'd';
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->DateTimePicker1->setDate(ToQDate(today - 1));
    ScopedMessageDlg boxes(mrYes);
    dialog->BitBtnOK->click();
    EXPECT_TRUE(boxes.Calls().empty());
    EXPECT_EQ(frame->Items.size(), 2u);
}

TEST_F(NumberChange, ConstantKeysAndPastedText) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    QLineEdit& edit = *dialog->EditConstValue;
    edit.clear();
    QTest::keyClicks(&edit, "12-a,345");  // "-" after a digit, a letter
    EXPECT_EQ(edit.text().toStdString(), "12,345");
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, "--");  // once, in front
    EXPECT_EQ(edit.text().toStdString(), "-12,345");
    ScopedMessageDlg boxes;
    edit.setText(QStringLiteral("12x"));  // as a paste
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"This is not a number."});
    EXPECT_EQ(boxes.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_TRUE(edit.text().isEmpty());
    dialog->BitBtnOK->click();
    EXPECT_EQ(frame->Items.back().ConstValue, "0");
}

// Works the calculator that the dialog opens: types the digits, the operator and the digits,
// then "=" and OK.
void AnswerCalculator(const std::string& a, char op, const std::string& b) {
    QTimer::singleShot(0, [a, op, b] {
        auto* calc = qobject_cast<TQ519Calc*>(QApplication::activeModalWidget());
        ASSERT_NE(calc, nullptr);
        calc->BitBtnClearClick();
        for (const char c : a) calc->TypeChar(c);
        calc->OperatorClick(std::string(1, op));
        for (const char c : b) calc->TypeChar(c);
        calc->BitBtnResClick();
        calc->BitBtnOKClick();
    });
}

TEST_F(NumberChange, TheCalculatorsResultFillsTheFieldUnlessItIsTooLong) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    AnswerCalculator("1", '/', "8");
    dialog->BitBtnCalc->click();
    EXPECT_EQ(dialog->EditConstValue->text().toStdString(), Decimal("0,125"));
    ScopedMessageDlg boxes;
    const std::string big(26, '9');
    AnswerCalculator(big, '*', big);  // 52 digits: refused, never cut
    dialog->BitBtnCalc->click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"This is not a number."});
    EXPECT_EQ(dialog->EditConstValue->text().toStdString(), Decimal("0,125"));
    dialog->BitBtnOK->click();
    EXPECT_EQ(ShownValue(frame->Items.back().ConstValue), Decimal("0,125"));
}

TEST_F(NumberChange, PickingADayThatHasAnItemWarns) {
    AddConst(today - 1, "2");
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    ScopedMessageDlg boxes;
    dialog->DateTimePicker1->setDate(ToQDate(today - 1));
    emit dialog->DateTimePicker1->calendarWidget()->clicked(ToQDate(today - 1));
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].Type, TMsgDlgType::mtWarning);
    EXPECT_EQ(boxes.Calls()[0].Text, "This number already has a value on that day. Replace it?");
    dialog->reject();
}

TEST_F(NumberChange, DescriptionsTakeFiftyCharacters) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->EditDescript->setText(QString(60, QChar(0xE4)));
    dialog->BitBtnOK->click();
    EXPECT_EQ(frame->Items.back().Descript, ToStdString(QString(50, QChar(0xE4))));
}

TEST_F(NumberChange, EditsTheSelectedConstantIntoAFreshAlgorithm) {
    AddConst(today - 3, "1");
    AddConst(today - 1, "2");
    ShowFrameInEditMode();
    frame->SetRow(2);
    QPointer<TfNumberChange> dialog = Open('E');
    EXPECT_EQ(FromQDate(dialog->DateTimePicker1->date()), today - 1);
    EXPECT_EQ(dialog->EditConstValue->text().toStdString(), "2");
    EXPECT_TRUE(dialog->RadioButtonTypeConst->isChecked());
    dialog->RadioButtonTypeAlg->click();
    EXPECT_EQ(dialog->Algorithm.ID, 0);
    EXPECT_EQ(dialog->Algorithm.VarOfResult, 1);
    EXPECT_EQ(dialog->Algorithm.IDParent, kNumber);
    EXPECT_EQ(dialog->AlgName, "Rate from " + DateToStr(today - 1));
    EXPECT_EQ(dialog->BitBtnAlg->text().toStdString(), dialog->AlgName);
    dialog->Algorithm.Text = "[V001()] = 4 * 2";
    dialog->BitBtnOK->click();
    EXPECT_EQ(frame->Items[1].ItemType, 'A');
    EXPECT_EQ(frame->Items[1].State, 'e');
    EXPECT_EQ(frame->Items[1].ConstValue, "8");
    EXPECT_EQ(Values(), (std::vector<std::string>{"1", "8"}));
    EXPECT_EQ(frame->RowKinds, "CV");
}

TEST_F(NumberChange, AFailingAlgorithmGivesZeroAndIsMarkedNotValid) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->RadioButtonTypeAlg->click();
    dialog->Algorithm.Text = "[V001()] = 1 / 0";
    dialog->BitBtnOK->click();
    EXPECT_EQ(errorWindows, std::vector<std::string>{"Rate"});
    EXPECT_EQ(frame->Items[0].ConstValue, "0");
    EXPECT_FALSE(frame->Items[0].Algorithm01.Valid);
    EXPECT_EQ(frame->RowKinds, "I");
}

// The inputs keep their width when the algorithm's button takes the value's place, and a
// description of a few words fits its field.
TEST_F(NumberChange, TheInputsKeepTheirWidthInBothKindsOfValue) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->NameObject = "Heizkostenpauschale für die Zweitwohnung im Dachgeschoss";
    dialog->EditDescript->setText(QString::fromUtf8("Nowa taryfa od stycznia według umowy"));
    QCoreApplication::processEvents();
    const int constant = dialog->EditDescript->width();
    EXPECT_GE(constant, dialog->EditDescript->fontMetrics().horizontalAdvance(
                            dialog->EditDescript->text()));
    dialog->RadioButtonTypeAlg->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog->BitBtnAlg->isVisible());
    EXPECT_EQ(dialog->EditDescript->width(), constant);
    dialog->reject();
}

TEST_F(NumberChange, DefaultNameInOnePassAndTheCaptionCut) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->StrNameAlg = "[name] and [name] on [date]";
    dialog->NameObject = "A [date] B";
    dialog->DateTimePicker1->setDate(ToQDate(today));
    EXPECT_EQ(dialog->DefaultAlgName(), "A [date] B and A [date] B on " + DateToStr(today));
    const std::string name35(35, 'n');
    EXPECT_EQ(CutCaption(name35, 35), name35);
    EXPECT_EQ(CutCaption(name35 + "m", 35), std::string(31, 'n') + " ...");
    std::string wide;
    for (int i = 0; i < 36; ++i) wide += "ж";
    EXPECT_EQ(CutCaption(wide, 35), CutChars(wide, 31) + " ...");
    dialog->reject();
}

// The item's day is the day typed ("01.01.2025" gave 11.01.2025).
TEST_F(NumberChange, TheItemsDayIsTheDayTyped) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    ExpectTypedDatesTaken(*dialog->DateTimePicker1);
    dialog->DateTimePicker1->setDate(QDate(2025, 1, 11));
    TypeOver(*dialog->DateTimePicker1, TypedDate(QDate(2025, 1, 1)));
    dialog->EditConstValue->setText(QStringLiteral("3"));
    dialog->BitBtnOK->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(dialog.isNull());
    EXPECT_EQ(frame->Items.back().DateBegin, EncodeDate(2025, 1, 1));
}

}  // namespace

// The algorithm button opens the editor on the dialog's algorithm for the picker's date; what
// OK in the editor stores is the dialog's algorithm, and the dialog's OK is enabled.
TEST_F(NumberChange, TheAlgorithmButtonOpensTheEditor) {
    ShowFrameInEditMode();
    QPointer<TfNumberChange> dialog = Open('A');
    dialog->RadioButtonTypeAlg->click();
    dialog->BitBtnOK->setEnabled(false);
    dialog->DateTimePicker1->setDate(QDate(2024, 3, 5));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<TfCalculation*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        seen = true;
        EXPECT_FALSE(editor->EditMode);
        EXPECT_EQ(editor->DateTimePDateCalc->date(), QDate(2024, 3, 5));
        editor->BitBtnEdit->click();
        editor->StringGridTitle->item(0, 1)->setText(QStringLiteral("Doubled"));
        editor->TypeText("[V001()] = 2 * 2");
        const ScopedMessageDlg yes(mrYes);
        editor->BitBtnOKClick();
    });
    dialog->BitBtnAlg->click();
    ASSERT_TRUE(seen);
    EXPECT_EQ(dialog->Algorithm.Text, "[V001()] = 2 * 2");
    EXPECT_EQ(dialog->Algorithm.Name, "Doubled");
    EXPECT_TRUE(dialog->Algorithm.Valid);
    EXPECT_EQ(ToStdString(dialog->BitBtnAlg->text()), "Doubled");
    EXPECT_TRUE(dialog->NameChanged);
    EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
    dialog->close();
}
