// The algorithm editor through its real widgets offscreen: its modes, OK and its questions,
// Clear, the text as stored, the token buttons, colouring, initial data and trial runs.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include "algorithms/EditorFixture.h"
#include "algorithms/U_ferrors.h"
#include "common/SourceDatum.h"
#include "common/TextsFit.h"
#include "common/TypedDates.h"
#include "shell/DateField.h"

namespace {

using Editor = EditorFixture;

bool Enabled(QWidget* w) {
    return w->isEnabled();
}

}  // namespace

TEST_F(Editor, OpensInViewModeAndEditModeIsForGood) {
    TfCalculation& e = OpenText("[V001()] = 1");
    EXPECT_FALSE(e.EditMode);
    EXPECT_TRUE(Enabled(e.BitBtnEdit));
    for (QWidget* w : {static_cast<QWidget*>(e.BitBtnOK), static_cast<QWidget*>(e.BitBtnCancel),
                       static_cast<QWidget*>(e.BitBtnSample), static_cast<QWidget*>(e.BitBtnClear),
                       static_cast<QWidget*>(e.BitBtnPlus), static_cast<QWidget*>(e.ComboBoxResVar),
                       static_cast<QWidget*>(e.BitBtnPause), static_cast<QWidget*>(e.BitBtnStop)})
        EXPECT_FALSE(Enabled(w)) << ToStdString(w->objectName());
    EXPECT_TRUE(e.RichEditAlg().isReadOnly());
    EXPECT_TRUE(e.StringGridTitle->isHidden());
    EXPECT_EQ(e.StringGridIN->rowCount(), 100);
    EXPECT_EQ(ToStdString(e.StringGridIN->item(99, 0)->text()), " I100");
    EXPECT_EQ(ToStdString(e.StringGridVars->item(0, 0)->text()), " V001");
    // The name columns show their titles and the names whole.
    for (QTableWidget* grid : {e.StringGridIN, e.StringGridVars})
        EXPECT_GE(grid->columnWidth(0), NeededWidth(*grid, 0)) << ToStdString(grid->objectName());
    EXPECT_TRUE(e.EditIn[0]->isHidden());
    EXPECT_TRUE(e.InsertVar[0]->isHidden());
    EXPECT_EQ(ToStdString(e.LabelValid->text()), "valid");

    e.BitBtnEdit->click();
    EXPECT_TRUE(e.EditMode);
    EXPECT_FALSE(Enabled(e.BitBtnEdit));
    EXPECT_FALSE(Enabled(e.BitBtnOK));  // only a change enables it
    for (QWidget* w : {static_cast<QWidget*>(e.BitBtnCancel), static_cast<QWidget*>(e.BitBtnSample),
                       static_cast<QWidget*>(e.BitBtnClear), static_cast<QWidget*>(e.BitBtnPlus),
                       static_cast<QWidget*>(e.ComboBoxResVar)})
        EXPECT_TRUE(Enabled(w)) << ToStdString(w->objectName());
    EXPECT_FALSE(e.RichEditAlg().isReadOnly());
    EXPECT_FALSE(e.StringGridTitle->isHidden());
    EXPECT_EQ(ToStdString(e.StringGridTitle->item(0, 1)->text()), "Trial");
    EXPECT_FALSE(e.EditIn[0]->isHidden());
    EXPECT_TRUE(e.InsertIn[0]->isHidden());  // no datum in the row
    EXPECT_FALSE(e.InsertVar[0]->isHidden());
    EXPECT_TRUE(Enabled(e.BitBtnEdit) == false);
}

// OK asks; a valid text is stored; an invalid one lists its errors modally and asks again.
TEST_F(Editor, OkAndTheInvalidQuestion) {
    const struct {
        const char* text;
        int answerOK, answerInvalid;
        bool stored, closed, valid;
    } cases[] = {
        {"[V001()] = 2", mrYes, mrYes, true, true, true},
        {"[V001()] = 2", mrNo, mrYes, false, false, true},
        {"[V001()] = 2", mrCancel, mrYes, false, false, true},
        {"[V001()] = 2 # 1", mrYes, mrYes, true, true, false},
        {"[V001()] = 2 # 1", mrYes, mrNo, false, true, false},
        {"[V001()] = 2 # 1", mrYes, mrCancel, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.answerOK) + " " +
                     std::to_string(c.answerInvalid));
        stored = false;
        TfCalculation& e = OpenEditing("");
        e.TypeText(c.text);
        ASSERT_TRUE(Enabled(e.BitBtnOK));
        std::vector<int> answers = {c.answerOK, c.answerInvalid};
        size_t asked = 0;
        const TMessageDlgAnswerer previous =
            SetMessageDlgAnswerer([&](const TMessageDlgCall&) { return answers[asked++]; });
        CloseModals();
        e.BitBtnOKClick();
        SetMessageDlgAnswerer(previous);
        QCoreApplication::processEvents();
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(algorithm.Text == c.text, c.stored);
        if (c.stored) {
            EXPECT_EQ(algorithm.Valid, c.valid);
        }
        EXPECT_EQ(editor.isNull() || !editor->isVisible(), c.closed);
        delete editor.data();
    }
}

TEST_F(Editor, TextsAreShownWithOneFinalBreakAndStoredWithCrLf) {
    const struct {
        const char* stored;
        const char* shown;
        const char* storedAgain;
    } cases[] = {
        {"a", "a\n", "a\r\n"},
        {"", "", ""},
        {"[V001()] = 1\r[V002()] = 2", "[V001()] = 1\n[V002()] = 2\n",
         "[V001()] = 1\r\n[V002()] = 2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        TfCalculation& e = OpenText(c.stored);
        EXPECT_EQ(Text(), c.shown);
        e.BitBtnEdit->click();
        e.StringGridVars->item(0, 2)->setText(QStringLiteral("changed"));
        const ScopedMessageDlg yes(mrYes);
        CloseModals();  // "a" is no statement: its error list
        e.BitBtnOKClick();
        EXPECT_EQ(algorithm.Text, c.storedAgain);
        delete editor.data();
    }
}

TEST_F(Editor, AResultVariableOutsideItsRangeReadsAsV001) {
    for (const int stored : {0, 101, 37}) {
        SCOPED_TRACE(stored);
        Algorithm01 a;
        a.Text = "[V001()] = 1";
        a.VarOfResult = stored;
        TfCalculation& e = Open(a);
        const int expected = stored == 37 ? 37 : 1;
        EXPECT_EQ(e.ComboBoxResVar->currentIndex(), expected - 1);
        e.BitBtnEdit->click();
        e.TypeText(" ");
        const ScopedMessageDlg yes(mrYes);
        e.BitBtnOKClick();
        EXPECT_EQ(algorithm.VarOfResult, expected);
        delete editor.data();
    }
}

TEST_F(Editor, ClearKeepsNameAndDescriptionOnly) {
    AddConstant(2, "Tariff", Day(2024, 1, 1), "10");
    Algorithm01 a;
    a.Name = "Heating";
    a.Descript = "Monthly";
    a.Valid = false;
    a.VarOfResult = 5;
    a.Text = "[V005()] = [I001()] * 2";
    a.INDataList = {SourceDatum(1, 2, 50, 0)};
    a.VarDescrList = {{5, "the result"}};
    TfCalculation& e = Open(a);
    EXPECT_EQ(ToStdString(e.StringGridIN->item(0, 1)->text()), "10");
    EXPECT_EQ(Text(), "[V005()] = [I001(10)] * 2\n");
    e.BitBtnEdit->click();
    {
        const ScopedMessageDlg yes(mrYes);
        e.BitBtnClearClick();
    }
    EXPECT_TRUE(Enabled(e.BitBtnOK));
    const ScopedMessageDlg yes(mrYes);
    e.BitBtnOKClick();
    EXPECT_EQ(algorithm.Name, "Heating");
    EXPECT_EQ(algorithm.Descript, "Monthly");
    EXPECT_TRUE(algorithm.Valid);
    EXPECT_EQ(algorithm.VarOfResult, 1);
    EXPECT_TRUE(algorithm.INDataList.empty());
    EXPECT_TRUE(algorithm.VarDescrList.empty());
    EXPECT_EQ(algorithm.Text, "");
}

TEST_F(Editor, CancelAsksOnlyAfterAChange) {
    {
        TfCalculation& e = OpenEditing("[V001()] = 1");
        const ScopedMessageDlg no(mrNo);
        e.BitBtnCancel->click();
        EXPECT_TRUE(no.Calls().empty());
        EXPECT_TRUE(editor.isNull() || !editor->isVisible());
        delete editor.data();
    }
    TfCalculation& e = OpenEditing("[V001()] = 1");
    e.TypeText("x");
    QTest::keyClick(&e.RichEditAlg(), Qt::Key_Backspace);  // typed and removed again
    {
        const ScopedMessageDlg no(mrNo);
        e.BitBtnCancel->click();
        EXPECT_EQ(no.Calls().size(), 1u);
        EXPECT_TRUE(editor->isVisible());
    }
    const ScopedMessageDlg yes(mrYes);
    e.BitBtnCancel->click();
    EXPECT_FALSE(stored);
    EXPECT_EQ(algorithm.Text, "[V001()] = 1");
}

// The token buttons put blanks around their tokens as their neighbours ask.
TEST_F(Editor, TokenButtonsSpaceTheirTokens) {
    const struct {
        const char* text;
        int caret;
        QPushButton* TfCalculation::*button;
        const char* expected;
    } cases[] = {
        // the end of the text asks for no blank behind; an inner line break does
        {"[V001()] <", 10, &TfCalculation::BitBtnEqually, "[V001()] <=\n"},
        {"[V001()] a\nb", 10, &TfCalculation::BitBtnEqually, "[V001()] a = \nb\n"},
        {"ab\n\nc", 2, &TfCalculation::BitBtnPlus, "ab + \n\nc\n"},
        {"ab\nc", 4, &TfCalculation::BitBtnPlus, "ab\nc +\n"},
        {"[V001()] a", 10, &TfCalculation::BitBtnEqually, "[V001()] a =\n"},
        {"[V001()] ab", 10, &TfCalculation::BitBtnEqually, "[V001()] a = b\n"},
        {"if", 2, &TfCalculation::BitBtnLeftBracket, "if(\n"},
        {"xg", 2, &TfCalculation::BitBtnLeftBracket, "xg (\n"},
        {"a", 1, &TfCalculation::BitBtnPlus, "a+\n"},  // fewer than two characters before
        {"ab", 0, &TfCalculation::BitBtnGoto, "goto ab\n"},
        {"ab", 2, &TfCalculation::BitBtnColon, "ab:\n"},
        {"xx", 2, &TfCalculation::BitBtnComment, "xx //\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TfCalculation& e = OpenEditing(c.text);
        Caret(c.caret);
        (e.*c.button)->click();
        EXPECT_EQ(Text(), c.expected);
        delete editor.data();
    }
}

TEST_F(Editor, ReferenceButtonsSpaceAsOperands) {
    AddConstant(2, "Tariff", Day(2024, 1, 1), "10");
    Algorithm01 a;
    a.Text = "[V001()] = (x)";
    a.INDataList = {SourceDatum(3, 2, 50, 0)};
    TfCalculation& e = Open(a);
    e.BitBtnEdit->click();
    Caret(12);  // after "("
    e.InsertIn[2]->click();
    EXPECT_EQ(Text(), "[V001()] = ([I003(10)] x)\n");
    Caret(static_cast<int>(Text().rfind(')')));  // before ")"
    e.InsertVar[6]->click();
    EXPECT_EQ(Text(), "[V001()] = ([I003(10)] x [V007()])\n");
    Caret(0);  // fewer than two characters before
    e.InsertVar[1]->click();
    EXPECT_EQ(Text(), "[V002()] [V001()] = ([I003(10)] x [V007()])\n");
}

// A typed character colours its line; a paste colours every line it touched; both halves of a
// line split by Enter are coloured, by the key and by the button.
TEST_F(Editor, ColouringFollowsTyping) {
    const std::string kReference = "#000080";  // clNavy (blue-green-red 0x800000)
    TfCalculation& e = OpenEditing("x\n");
    Caret(0);
    QTest::keyClicks(&e.RichEditAlg(), "[V001()] = 1");
    EXPECT_EQ(ColorAt(0), kReference);

    QApplication::clipboard()->setText(QStringLiteral("[V002()] = 2\r\n[V003()] = 3\r\n"));
    Caret(static_cast<int>(Text().size()) - 1);
    QTest::keyClick(&e.RichEditAlg(), Qt::Key_V, Qt::ControlModifier);
    const std::string text = Text();
    EXPECT_EQ(ColorAt(static_cast<int>(text.find("[V002"))), kReference);
    EXPECT_EQ(ColorAt(static_cast<int>(text.find("[V003"))), kReference);

    for (const bool key : {true, false}) {
        SCOPED_TRACE(key);
        const int at = static_cast<int>(Text().find("[V003")) + 5;  // inside the reference
        Caret(at);
        if (key)
            QTest::keyClick(&e.RichEditAlg(), Qt::Key_Return);
        else
            e.BitBtnEnter->click();
        // "[V003" and "()] = 3" are no references any more: both halves are plain again.
        EXPECT_NE(ColorAt(at - 5), kReference);
        EXPECT_NE(ColorAt(at + 1), kReference);
        QTest::keyClick(&e.RichEditAlg(), Qt::Key_Backspace);
        EXPECT_EQ(ColorAt(at - 5), kReference);
    }
    EXPECT_TRUE(Enabled(e.BitBtnOK));
}

// Enter far down a long text keeps the caret in view, by the key and by the button.
TEST_F(Editor, EnterInALongTextKeepsTheCaretInView) {
    std::string text;
    for (int k = 1; k <= 200; ++k) text += "[V001()] = " + std::to_string(k) + "\n";
    for (const bool key : {true, false}) {
        SCOPED_TRACE(key);
        TfCalculation& e = OpenEditing(text);
        QTextEdit& edit = e.RichEditAlg();
        Caret(static_cast<int>(Text().find("= 150")) + 5);  // the end of line 150
        edit.ensureCursorVisible();
        QCoreApplication::processEvents();
        const int before = edit.verticalScrollBar()->value();
        ASSERT_GT(before, 0);
        if (key)
            QTest::keyClick(&edit, Qt::Key_Return);
        else
            e.BitBtnEnter->click();
        QCoreApplication::processEvents();
        EXPECT_GE(edit.verticalScrollBar()->value(), before);
        EXPECT_TRUE(edit.viewport()->rect().contains(edit.cursorRect().center()));
        EXPECT_EQ(edit.textCursor().block().blockNumber(), 150);
        delete editor.data();
    }
}

TEST_F(Editor, ColouringKeepsTheMarkAndEnablesNothing) {
    TfCalculation& e = OpenText("[V001()] = 1\n[V002()] = 2");
    e.MarkLine(2, kErrorLineColor);
    const int second = static_cast<int>(Text().find("[V002"));
    e.ColorAllLines();
    EXPECT_EQ(e.MarkedLine, 2);
    EXPECT_EQ(BackgroundAt(second), "#ff9988");
    e.BitBtnEdit->click();
    e.ColorAllLines();
    EXPECT_FALSE(Enabled(e.BitBtnOK));
    EXPECT_EQ(e.MarkedLine, 2);
    // A change of the characters removes the mark.
    Caret(0);
    QTest::keyClick(&e.RichEditAlg(), Qt::Key_Space);
    EXPECT_EQ(e.MarkedLine, -1);
    EXPECT_EQ(BackgroundAt(second + 1), "");
    EXPECT_TRUE(Enabled(e.BitBtnOK));
}

// Loading is no step of the undo history; one undo takes back a token button, a typed key or
// a paste with the colouring of its lines.
TEST_F(Editor, UndoTakesBackChangesNotColouring) {
    TfCalculation& e = OpenEditing("[V001()] = 1\n");
    const std::string original = Text();
    EXPECT_FALSE(e.RichEditAlg().document()->isUndoAvailable());
    const int end = static_cast<int>(original.find('\n'));
    Caret(end);
    e.BitBtnPlus->click();
    e.RichEditAlg().undo();
    EXPECT_EQ(Text(), original);
    // A typed character, a line split and a pasted line are one step each with their colouring.
    for (const Qt::Key key : {Qt::Key_2, Qt::Key_Return}) {
        Caret(end - 2);
        QTest::keyClick(&e.RichEditAlg(), key);
        ASSERT_NE(Text(), original) << key;
        e.RichEditAlg().undo();
        EXPECT_EQ(Text(), original) << key;
    }
    Caret(end);
    e.RichEditAlg().insertPlainText(QStringLiteral("\n[V002()] = 3"));
    ASSERT_NE(Text(), original);
    e.RichEditAlg().undo();
    EXPECT_EQ(Text(), original);
}

TEST_F(Editor, PopupPasteOnlyInEditMode) {
    TfCalculation& e = OpenText("[V001()] = 1");
    e.PopupRichEditAlgPopup();
    EXPECT_FALSE(e.Paste->isEnabled());
    EXPECT_TRUE(e.Copy->isEnabled());
    e.BitBtnEdit->click();
    e.PopupRichEditAlgPopup();
    EXPECT_TRUE(e.Paste->isEnabled());
}

// --- Initial data ----------------------------------------------------------------------------

TEST_F(Editor, ChoosingASourceFetchesItsValueIntoTheRowAndText) {
    AddConstant(2, "Tariff", Day(2024, 1, 1), "10");
    shell.state.IDObject = 7;
    TfCalculation& e = OpenEditing("[V001()] = [I002()] * 2");
    chooser.choose = [](ExtData& d) {
        d.IDObject = 2;
        d.TypeObject = 50;
        d.SubSource = 0;
    };
    e.EditIn[1]->click();
    ASSERT_EQ(chooser.excluded, std::vector<int>{7});
    EXPECT_EQ(ToStdString(e.StringGridIN->item(1, 1)->text()), "10");
    EXPECT_EQ(Text(), "[V001()] = [I002(10)] * 2\n");
    EXPECT_TRUE(Enabled(e.BitBtnOK));
    EXPECT_FALSE(e.InsertIn[1]->isHidden());
    EXPECT_EQ(errorWindows, 0);

    // A new trial date fetches the values again and writes them into the text.
    AddRow("Numbers.db", {{"ID", 2}, {"DateBegin", Day(2024, 7, 1)}, {"ItemType", "C"},
                          {"ConstValue", "12,5"}});
    e.DateTimePDateCalc->setDate(QDate(2024, 7, 2));
    e.DateTimePDateCalcCloseUp();
    EXPECT_EQ(ToStdString(e.StringGridIN->item(1, 1)->text()), "12,5");
    EXPECT_EQ(Text(), "[V001()] = [I002(12,5)] * 2\n");
    // Exit in the chooser on a row with a source fetches again with the trial date.
    chooser.choose = nullptr;
    e.DateTimePDateCalc->setDate(QDate(2023, 1, 1));  // before the first item: still "10"
    e.EditIn[1]->click();
    EXPECT_EQ(e.InData(2).Date, Day(2023, 1, 1));
}

// Mended: a source whose value cannot be fetched leaves the datum as it was before the chooser.
TEST_F(Editor, AFailedFetchAfterTheChooserPutsTheDatumBack) {
    AddConstant(2, "Tariff", Day(2024, 1, 1), "10");
    AddObject(5, 0, 9500, "Calendar");
    Algorithm01 a;
    a.Text = "[V001()] = [I001()]";
    a.INDataList = {SourceDatum(1, 2, 50, 0)};
    TfCalculation& e = Open(a);
    e.BitBtnEdit->click();
    chooser.choose = [](ExtData& d) {
        d.IDObject = 5;
        d.TypeObject = 9500;
        d.SubSource = 7;
        d.Param1 = "abc";
    };
    e.EditIn[0]->click();
    EXPECT_EQ(errorWindows, 1);
    EXPECT_EQ(e.InData(1).IDObject, 2);
    EXPECT_EQ(e.InData(1).TypeObject, 50);
    EXPECT_EQ(e.InData(1).DataStr, "10");
    EXPECT_FALSE(Enabled(e.BitBtnOK));
}

// Mended: a datum whose value cannot be fetched at the opening stays attached with "0".
TEST_F(Editor, ADatumThatCannotBeFetchedStaysWithZero) {
    AddObject(5, 0, 9500, "Calendar");
    Algorithm01 a;
    a.Name = "Alg";
    a.Text = "[V001()] = [I001()] + 1";
    ExtData bad = SourceDatum(1, 5, 9500, 7);
    bad.Param1 = "abc";
    bad.Param2 = "0";
    a.INDataList = {bad};
    TfCalculation& e = Open(a);
    EXPECT_EQ(errorWindows, 1);
    ASSERT_FALSE(shownErrors.empty());
    EXPECT_EQ(shownErrors.back().ErrCode, kErrDatumNotObtained);
    EXPECT_EQ(shownErrors.back().Text, "I001");
    EXPECT_EQ(e.InData(1).IDObject, 5);
    EXPECT_EQ(Text(), "[V001()] = [I001(0)] + 1\n");
    e.BitBtnEdit->click();
    e.TypeText(" ");
    const ScopedMessageDlg yes(mrYes);
    e.BitBtnOKClick();
    ASSERT_EQ(algorithm.INDataList.size(), 1u);
    EXPECT_EQ(algorithm.INDataList[0].Param1, "abc");
}

// Values go into the right places of texts with multi-byte characters, tabs and long lines:
// the scanners count UTF-8 bytes, the edit UTF-16 units.
TEST_F(Editor, ValuesLandInTextsOfEveryKindOfCharacter) {
    AddConstant(2, "Tariff", Day(2024, 1, 1), "10");
    const std::string longLine = std::string(10000, 'x');
    const struct {
        std::string stored;
        std::string shown;
        const char* result;  // a tab is a character the language refuses
    } cases[] = {
        {"// \xC3\xA9t\xC3\xA9 [I001()]\n\xE2\x82\xAC: [V001()] = [I001()]",
         "// \xC3\xA9t\xC3\xA9 [I001()]\n\xE2\x82\xAC: [V001()] = [I001(10)]\n", "= 10"},
        {"\t[V001()] =\t[I001(3)] + [I001()] // \xF0\x9F\x98\x80",
         "\t[V001()] =\t[I001(10)] + [I001(10)] // \xF0\x9F\x98\x80\n", "= 0"},
        {"[V001()] = [I001()] // \xF0\x9F\x98\x80 [I001()]",
         "[V001()] = [I001(10)] // \xF0\x9F\x98\x80 [I001()]\n", "= 10"},
        {"// " + longLine + "\n[V001()] = [I001()]", "// " + longLine + "\n[V001()] = [I001(10)]\n",
         "= 10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.substr(0, 40));
        Algorithm01 a;
        a.Text = c.stored;
        a.INDataList = {SourceDatum(1, 2, 50, 0)};
        TfCalculation& e = Open(a);
        EXPECT_EQ(Text(), c.shown);
        e.BitBtnStart->click();
        EXPECT_EQ(ToStdString(e.LabelResultValue->text()), c.result);
        EXPECT_EQ(Text().find("[V001(10)]") != std::string::npos,
                  std::string(c.result) == "= 10");
        delete editor.data();
    }
}

TEST_F(Editor, RemovingADatumThatTheTextUsesIsRefused) {
    AddConstant(2, "Tariff", Day(2024, 1, 1), "10");
    Algorithm01 a;
    a.Text = "[V001()] = [I001()]\n// [I002()]";
    a.INDataList = {SourceDatum(1, 2, 50, 0), SourceDatum(2, 2, 50, 0)};
    TfCalculation& e = Open(a);
    e.BitBtnEdit->click();
    {
        const ScopedMessageDlg yes(mrYes);
        e.DelIn[0]->click();
        ASSERT_EQ(yes.Calls().size(), 2u);
        EXPECT_EQ(yes.Calls()[0].Text, "Remove the initial datum I001 ?");
        EXPECT_EQ(yes.Calls()[1].Type, TMsgDlgType::mtError);
        EXPECT_EQ(std::count(yes.Calls()[1].Text.begin(), yes.Calls()[1].Text.end(), '\n'), 2);
        EXPECT_EQ(e.InData(1).IDObject, 2);
    }
    {
        const ScopedMessageDlg no(mrNo);
        e.DelIn[1]->click();
        EXPECT_EQ(e.InData(2).IDObject, 2);
    }
    const ScopedMessageDlg yes(mrYes);
    e.DelIn[1]->click();  // only a comment refers to it
    EXPECT_EQ(e.InData(2).IDObject, -1);
    EXPECT_TRUE(e.StringGridIN->item(1, 5)->text().isEmpty());
    EXPECT_TRUE(e.DelIn[1]->isHidden());
    e.BitBtnOKClick();
    ASSERT_EQ(algorithm.INDataList.size(), 1u);
    EXPECT_EQ(algorithm.INDataList[0].N, 1);
}

// --- Trial runs ------------------------------------------------------------------------------

TEST_F(Editor, StepFirstMarksThenRunsLineByLine) {
    TfCalculation& e = OpenText("[V001()] = 2\n\n[V002()] = [V001()] * 3\n[V001()] = [V002()] + 1");
    e.BitBtnStartStep->click();
    EXPECT_EQ(e.MarkedLine, 1);
    EXPECT_EQ(BackgroundAt(0), "#e9e9e9");
    EXPECT_EQ(Text().find("[V001(2)]"), std::string::npos);  // nothing ran
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= 0");
    EXPECT_TRUE(Enabled(e.BitBtnStop));
    EXPECT_FALSE(Enabled(e.BitBtnPause));

    e.BitBtnStartStep->click();
    EXPECT_EQ(Text().substr(0, 10), "[V001(2)] ");
    EXPECT_EQ(e.MarkedLine, 3);  // the blank line is passed over
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= ???");

    e.BitBtnStart->click();
    EXPECT_EQ(Text(), "[V001(2)] = 2\n\n[V002(6)] = [V001(2)] * 3\n[V001(7)] = [V002(6)] + 1\n");
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= 7");
    EXPECT_TRUE(e.Marker.Done);
    EXPECT_TRUE(e.FirstStep);
    EXPECT_FALSE(Enabled(e.BitBtnStop));
    EXPECT_TRUE(e.Timer1->isActive());  // the result blinks

    // A fresh step after a run that ended only marks the first line again.
    e.BitBtnStartStep->click();
    EXPECT_EQ(e.MarkedLine, 1);
    EXPECT_EQ(Text().substr(0, 9), "[V001()] ");
}

TEST_F(Editor, StopWhilePausedStartsAfreshAtTheNextStep) {
    TfCalculation& e = OpenText("[V001()] = 5\n[V002()] = 6\n[V003()] = 7");
    e.BitBtnStartStep->click();
    e.BitBtnStartStep->click();
    e.BitBtnStop->click();
    EXPECT_TRUE(e.Marker.Stop);
    EXPECT_FALSE(e.FirstStep);
    EXPECT_FALSE(Enabled(e.BitBtnStop));
    e.BitBtnStartStep->click();  // runs the first line at once
    EXPECT_EQ(Text().substr(0, 9), "[V001(5)]");
    EXPECT_EQ(e.MarkedLine, 2);
}

TEST_F(Editor, PauseAndStopAnswerDuringAnEndlessLoop) {
    TfCalculation& e = OpenText("L: [V001()] = [V001()] + 1\ngoto L");
    int ticks = 0;
    QTimer pause;
    QObject::connect(&pause, &QTimer::timeout, [&] {
        if (++ticks == 3) e.BitBtnPause->click();
    });
    pause.start(1);
    e.BitBtnStart->click();  // returns once paused
    pause.stop();
    EXPECT_FALSE(e.Marker.Stop);
    EXPECT_TRUE(e.Marker.Pause);
    EXPECT_TRUE(Enabled(e.BitBtnStart));
    const std::string paused = e.Vars[0];
    EXPECT_NE(paused, "0");

    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, [&] { e.BitBtnStop->click(); });
    stop.start(5);
    e.BitBtnStart->click();  // resumes with the same values until Stop
    stop.stop();
    EXPECT_TRUE(e.Marker.Stop);
    EXPECT_GE(std::stoi(e.Vars[0]), std::stoi(paused));
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= ???");
}

TEST_F(Editor, RunErrorsAndCheckErrorsAreListedBesideTheEditor) {
    const struct {
        const char* text;
        int code;
        int line;
        const char* result;
    } cases[] = {
        {"[V001()] = 1\n[V002()] = 1 / 0", kErrDivisionByZero, 2, "= ???"},
        {"L: goto L", kErrTooManyJumps, 1, "= ???"},
        {"[V001()] = 2 # 1", kErrCharacter, 1, "= 0"},  // a check error: no run
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TfCalculation& e = OpenText(c.text);
        e.BitBtnStart->click();
        ASSERT_FALSE(e.Errors.isNull());
        EXPECT_TRUE(e.ErrorsOpen);
        ASSERT_FALSE(e.Errors->ErrorList.empty());
        EXPECT_EQ(e.Errors->ErrorList[0].ErrCode, c.code);
        EXPECT_EQ(e.Errors->ErrorList[0].NLine, c.line);
        EXPECT_EQ(ToStdString(e.LabelValid->text()), "invalid");
        EXPECT_EQ(ToStdString(e.LabelResultValue->text()), c.result);
        EXPECT_TRUE(e.Marker.Stop);
        EXPECT_TRUE(Enabled(e.BitBtnStart));
        // A new run closes the list first.
        e.BitBtnStart->click();
        delete editor.data();
    }
}

TEST_F(Editor, BlankLinesRunAsAnEmptyProgram) {
    TfCalculation& e = OpenText("\n\n// only a comment\n");
    e.BitBtnStart->click();
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= 0");
    EXPECT_TRUE(e.Marker.Done);
    EXPECT_TRUE(e.Errors.isNull());
}

// A trial run writes its values into the text, so in edit mode OK is enabled; the stored text
// has them emptied.
TEST_F(Editor, RunValuesNeverReachTheStoredText) {
    TfCalculation& e = OpenEditing("[V001()] = 4 // [V002(9)]\nL[V003()]: [V002()] = [V001()] * 2");
    e.ComboBoxResVar->setCurrentIndex(1);
    emit e.ComboBoxResVar->activated(1);
    e.BitBtnStart->click();
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= 8");
    EXPECT_EQ(Text(), "[V001(4)] = 4 // [V002(9)]\nL[V003()]: [V002(8)] = [V001(4)] * 2\n");
    EXPECT_TRUE(Enabled(e.BitBtnOK));
    const ScopedMessageDlg yes(mrYes);
    e.BitBtnOKClick();
    EXPECT_EQ(algorithm.Text, "[V001()] = 4 // [V002(9)]\r\nL[V003()]: [V002()] = [V001()] * 2\r\n");
    EXPECT_EQ(algorithm.VarOfResult, 2);
}

// Cases of the interpreter run through the editor: the result label shows what the engine
// calculates.
TEST_F(Editor, EngineCasesThroughTheEditor) {
    const struct {
        const char* text;
        const char* result;
    } cases[] = {
        {"[V001()] = 10 / 4", "= 2.5"},
        {"if([V002()]>0) [V001()] = 1\nelse [V001()] = 2", "= 2"},
        {"[V002()] = 5\nif([V002()]>0) [V001()] = 1\nelse [V001()] = 2", "= 1"},
        {"if(1>0) if(2<1) [V001()] = 1\nelse [V001()] = 9", "= 9"},
        {"L: [V001()] = [V001()] + 1\nif([V001()] < 5) goto L", "= 5"},
        {"Loop: [V002()] = [V002()] + 1\n[V001()] = [V001()] + [V002()]\n"
         "if([V002()] < 1000) goto Loop",
         "= 500500"},
        {"goto Skip\n[V001()] = 1\nSkip:\n[V001()] = [V001()] + 2", "= 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TfCalculation& e = OpenText(c.text);
        e.BitBtnStart->click();
        std::string result = ToStdString(e.LabelResultValue->text());
        std::replace(result.begin(), result.end(), ',', '.');
        EXPECT_EQ(result, c.result);
        delete editor.data();
    }
}

TEST_F(Editor, FunctionKeysActOnlyThroughEnabledButtons) {
    TfCalculation& e = OpenText("[V001()] = 1");
    e.BitBtnStart->setEnabled(false);
    QTest::keyClick(&e.RichEditAlg(), Qt::Key_F9);
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= 0");
    e.BitBtnStart->setEnabled(true);
    QTest::keyClick(&e.RichEditAlg(), Qt::Key_F9);
    EXPECT_EQ(ToStdString(e.LabelResultValue->text()), "= 1");
    QTest::keyClick(&e.RichEditAlg(), Qt::Key_F8);
    EXPECT_EQ(e.MarkedLine, 1);
}

// The trial run's day is the day typed.
TEST_F(Editor, TheTrialDayIsTheDayTyped) {
    TfCalculation& e = OpenText("[V001()] = 1");
    ExpectTypedDatesTaken(*e.DateTimePDateCalc);
}
