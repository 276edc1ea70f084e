// The error windows: the list beside the editor and the window of an action's errors, with
// their texts from the language module.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <fstream>

#include "algorithms/U_ferrors.h"
#include "algorithms/U_fglobalerror.h"
#include "common/FakeShellServices.h"
#include "common/TextsFit.h"
#include "common/TestFolders.h"
#include "platform/Text.h"

namespace {

// The editor beside the list: a text of four lines, and a record of what it was asked.
class FakeEditor : public TErrorsHost {
public:
    FakeEditor() { edit.setPlainText(QStringLiteral("a = 1\nb = 2\nc = 3\nd = 4")); }

    void SetErrorsOpen(bool value) override { open = value; }
    void ClearLineMark() override {
        ++clears;
        marked = 0;
    }
    void MarkLine(int line, std::uint32_t color) override {
        marked = line;
        markColor = color;
    }
    int LineStart(int line) override {
        const QTextBlock block = edit.document()->findBlockByNumber(line - 1);
        return line > 0 && block.isValid() ? block.position() : -1;
    }
    QTextEdit& RichEditAlg() override { return edit; }

    QTextEdit edit;
    bool open = false;
    int clears = 0;
    int marked = 0;
    std::uint32_t markColor = 0;
};

class ErrorWindows : public ::testing::Test {
protected:
    ErrorWindows() {
        shell.state.LangPath = folders.DataPath() + "LangEN/";
        shell.state.BudgetName = "Home";
        ResetGlobalErrors();
    }
    ~ErrorWindows() override { ResetGlobalErrors(); }

    // Replaces a language file of the test's language folder.
    void WriteLangFile(const std::string& name, const std::string& text) {
        std::ofstream(shell.state.LangPath + name, std::ios::trunc) << text;
    }

    TestFolders folders;
    FakeShellServices shell{folders.UsersDataPath()};
};

std::string Text(const QTextEdit* edit) {
    return ToStdString(edit->toPlainText());
}

std::string Cell(const QTableWidget* grid, int row, int column) {
    return ToStdString(grid->item(row, column)->text());
}

// The character format at a position of an edit.
QTextCharFormat FormatAt(QTextEdit& edit, int position) {
    QTextCursor cursor(edit.document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

}  // namespace

TEST_F(ErrorWindows, TheListShowsEveryErrorAndTheDescriptionOfTheSelectedOne) {
    FakeEditor editor;
    auto* window = new TfErrors(editor);
    EXPECT_TRUE(editor.open);
    window->ErrorList = {
        {"", 3, kErrCharacter, "#"}, {"", -1, kErrDatumNotObtained, ""}, {"", 0, 999, "x"}};
    window->show();
    QCoreApplication::processEvents();

    QTableWidget* grid = window->StringGridErrors;
    // The error column takes the width the others leave: the list never scrolls sideways.
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(ToStdString(window->LabelHeader->text()), "Errors in the algorithm");
    EXPECT_EQ(ToStdString(grid->horizontalHeaderItem(1)->text()), " Line");
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(Cell(grid, 0, 0), "1");
    EXPECT_EQ(Cell(grid, 0, 1), "3");
    EXPECT_EQ(Cell(grid, 0, 2), "A character that is not allowed '#'");
    EXPECT_EQ(Cell(grid, 1, 1), "-1");
    EXPECT_EQ(Cell(grid, 1, 2), "The value of an initial datum was not obtained ''");
    EXPECT_EQ(Cell(grid, 2, 2), "Unknown error 'x'");

    // The first error is shown and its line marked, the editor's caret at its start.
    EXPECT_EQ(Text(window->RichEditDescr),
              "   Apart from references, labels, keywords and comments, a line may only hold"
              " digits, the characters + - * / < > = . , ( ) and blanks.\n"
              "   [V001()] = 5 # 3   // wrong: \"#\"\n"
              "[V001()] = 5 * 3   // right");
    EXPECT_EQ(editor.marked, 3);
    EXPECT_EQ(editor.markColor, 0x8899FFu);
    EXPECT_EQ(editor.edit.textCursor().position(), editor.LineStart(3));

    // Another row: an error of no line marks nothing and leaves the caret.
    editor.edit.moveCursor(QTextCursor::End);
    grid->setCurrentCell(1, 2);
    EXPECT_EQ(editor.marked, 0);
    EXPECT_EQ(editor.edit.textCursor().position(), editor.edit.toPlainText().size());
    EXPECT_NE(Text(window->RichEditDescr).find("An initial datum could not be read"),
              std::string::npos);
    grid->setCurrentCell(2, 0);  // a code without texts
    EXPECT_EQ(Text(window->RichEditDescr), "");

    const int clears = editor.clears;
    window->BitBtnOK->click();
    EXPECT_FALSE(editor.open);
    EXPECT_EQ(editor.clears, clears + 1);
}

TEST_F(ErrorWindows, TheListColoursTheExampleAsAlgorithmText) {
    WriteLangFile("Errors.lng",
                  "[ErrCode]\nerr400=No label\ndescr400=First\\nSecond line\n"
                  "example400=goto End // comment\n");
    FakeEditor editor;
    auto* window = new TfErrors(editor);
    window->ErrorList = {{"", 2, kErrNoLabel, "End"}};
    window->show();
    QTextEdit& descr = *window->RichEditDescr;
    EXPECT_EQ(Text(&descr), "   First\nSecond line\n   goto End // comment");
    const int example = static_cast<int>(descr.toPlainText().indexOf(QStringLiteral("goto")));
    EXPECT_EQ(FormatAt(descr, example).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatAt(descr, example + 5).foreground().color(), QColor(0x80, 0x80, 0x00));
    EXPECT_TRUE(FormatAt(descr, example + 10).fontItalic());
    EXPECT_EQ(FormatAt(descr, example + 10).foreground().color(), QColor(0x00, 0x80, 0x80));
    EXPECT_EQ(FormatAt(descr, 3).fontWeight(), QFont::Normal);
    EXPECT_EQ(FormatAt(descr, example).fontPointSize(), 8);
    // The defaults of a file without the keys.
    EXPECT_EQ(ToStdString(window->BitBtnOK->text()), "OK");
    EXPECT_EQ(ToStdString(window->StringGridErrors->horizontalHeaderItem(0)->text()), " N");
    EXPECT_EQ(ToStdString(window->StringGridErrors->horizontalHeaderItem(1)->text()), " Row");
    EXPECT_EQ(ToStdString(window->LabelHeader->text()), "Errors");
    EXPECT_EQ(Cell(window->StringGridErrors, 0, 2), "No label 'End'");
    EXPECT_EQ(editor.marked, 2);
    window->close();
}

// Every error code has its text, description and example in the English language module.
TEST_F(ErrorWindows, EveryCodeHasItsTexts) {
    FakeEditor editor;
    for (const int code : kAlgErrCodes) {
        auto* window = new TfErrors(editor);
        window->ErrorList = {{"", 1, code, ""}};
        window->show();
        EXPECT_EQ(Cell(window->StringGridErrors, 0, 2).find("Unknown error"), std::string::npos)
            << code;
        EXPECT_GE(window->RichEditDescr->document()->blockCount(), 2) << code;
        window->close();
    }
}

namespace {

void FillContext() {
    GlobatErrWatch& watch = ErrWatch();
    watch.NameObject = "Rent";
    watch.NameAlg = "Heating";
    AddGlobalError("Heating", {"", 3, kErrCharacter, "#"});
    AddGlobalError("Water", {"", -1, kErrDatumNotObtained, ""});
}

}  // namespace

TEST_F(ErrorWindows, TheActionsWindowListsEveryErrorWithItsAlgorithmAndLine) {
    FillContext();
    auto* window = new TfGlobalError;
    window->show();
    EXPECT_EQ(Text(window->RichEditTitle),
              "Errors in the calculation of algorithms\nThe budget \"Home\" has been stopped");
    EXPECT_EQ(Text(window->RichEditDescript),
              "Object: Rent\n"
              "First algorithm calculated: Heating\n"
              "\n"
              "\n"
              "Errors:\n"
              "\n"
              "1). In the algorithm \"Heating\" (line №3)\n"
              "     A character that is not allowed '#'.\n"
              "     Apart from references, labels, keywords and comments, a line may only hold"
              " digits, the characters + - * / < > = . , ( ) and blanks.\n"
              "     [V001()] = 5 # 3   // wrong: \"#\"\n"
              "[V001()] = 5 * 3   // right\n"
              "\n"
              "2). In the algorithm \"Water\" \n"
              "     The value of an initial datum was not obtained.\n"
              "     An initial datum could not be read: a parameter that is not a whole number, "
              "an amount stored in a pay that is not a number, or a date outside the calendar "
              "(the text names the datum). It also happens when an algorithm calculated before "
              "in the same action failed. The value was taken as 0.\n"
              "     [V001()] = [I001()] * 2   // needs the value of I001");
    QTextDocument& text = *window->RichEditDescript->document();
    // The names and the title of the list are bold, the errors are not.
    for (const int line : {0, 1, 4, 6, 7}) {
        QTextCursor cursor(text.findBlockByNumber(line));
        cursor.movePosition(QTextCursor::EndOfBlock);
        EXPECT_EQ(cursor.charFormat().fontWeight() == QFont::Bold, line < 5) << line;
    }
    EXPECT_EQ(ToStdString(window->BitBtnOK->text()), "OK");
    window->close();
}

// A long budget name wraps the title onto a third line: the title grows to show all of it.
TEST_F(ErrorWindows, TheActionsWindowsTitleShowsALongBudgetNameWhole) {
    shell.state.BudgetName = "Haushalt Müller-Kowalczyk (gemeinsames Budget der ganzen Familie)";
    FillContext();
    auto* window = new TfGlobalError;
    window->show();
    const QTextEdit& title = *window->RichEditTitle;
    EXPECT_GT(title.document()->blockCount(), 1);
    EXPECT_LE(title.document()->size().height(), title.viewport()->height());
    EXPECT_EQ(CutLabels(*window), std::vector<std::string>{});
    window->close();
}

// Names that hold a placeholder are put in as they are, in one pass, and never replaced again.
TEST_F(ErrorWindows, TheActionsWindowTakesNamesAsTheyAre) {
    WriteLangFile("GlobalError.lng",
                  "[GlobalError]\nTitleStr2=[budget_name] and [budget_name]\n"
                  "StrInAlg=Alg [alg_name] [in_string]\\nnext\nStrInStr=row\n");
    WriteLangFile("Errors.lng", "[ErrCode]\nerr20=Bad\\nvalue\n");
    shell.state.BudgetName = "B[budget_name]";
    AddGlobalError("A[alg_name][in_string]\\n", {"", 2, kErrRunFailed, "1/x"});
    auto* window = new TfGlobalError;
    window->show();
    EXPECT_EQ(Text(window->RichEditTitle), "\nB[budget_name] and B[budget_name]");
    EXPECT_EQ(Text(window->RichEditDescript),
              " \n \n\n\n\n\n1). Alg A[alg_name][in_string]\\n (row №2)\nnext\n"
              "     Bad\nvalue '1/x'.");
    window->close();
}

TEST_F(ErrorWindows, ShowGlobalErrorsShowsTheWindowAndStopsTheBudget) {
    ShowGlobalErrors();
    EXPECT_EQ(shell.stopRequests, 0);  // no errors: no window, the budget runs on

    FillContext();
    std::vector<std::string> shown;
    for (int time = 1; time <= 2; ++time) {
        QTimer::singleShot(0, [&shown] {
            auto* window = qobject_cast<TfGlobalError*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            shown.push_back(Text(window->RichEditDescript));
            window->BitBtnOK->click();
        });
        ShowGlobalErrors();
        EXPECT_EQ(shell.stopRequests, time);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_TRUE(ErrWatch().HasErrors);
    EXPECT_EQ(ErrWatch().Errors.size(), 2u);
}
