// The algorithm editor with a text of 500 lines offscreen: one typed character in the middle
// (the change handler and its colouring), a paste of 50 lines, the colouring of every line at
// load, against the text edit's own setPlainText of the same text.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <string>

#include "algorithms/U_fcalculation.h"
#include "common/FakeShellServices.h"
#include "common/TestFolders.h"

namespace {

constexpr int kLines = 500;

// Lines of every kind: labels, conditions, jumps, references and comments.
std::string Lines(int count, int first = 0) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
        switch (i % 5) {
            case 0: text += "L" + std::to_string(i) + ": [V001()] = [V001()] + [I001()] * 2\n"; break;
            case 1: text += "if([V001()] > 100) [V002()] = [V001()] / 3  // a comment\n"; break;
            case 2: text += "else [V002()] = ([V002()] - 1,5) * [V003()]\n"; break;
            case 3: text += "if([V002()] < 0) goto L" + std::to_string(i - 3) + "\n"; break;
            default: text += "[V100()] = [V002()] + 7\n"; break;
        }
    }
    return text;
}

class NoChooser : public TCalculationHost {
public:
    void ChooseSource(ExtData&, int) override {}
};

class Open {
public:
    Open() : shell_(folders_.UsersDataPath()) {
        shell_.state.DataPath = folders_.DataPath();
        shell_.state.LangPath = folders_.DataPath() + "LangEN/";
        algorithm_.Text = Lines(kLines);
        editor = new TfCalculation(chooser_);
        editor->Algorithm = &algorithm_;
        editor->DateCalc = 45000;
        editor->show();
        QCoreApplication::processEvents();
        editor->BitBtnEdit->click();
    }
    ~Open() { delete editor; }
    // The caret in the middle of line 250.
    void CaretMiddle() {
        QTextCursor caret(editor->RichEditAlg().document()->findBlockByNumber(kLines / 2));
        caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 12);
        editor->RichEditAlg().setTextCursor(caret);
    }

    TfCalculation* editor = nullptr;

private:
    TestFolders folders_;
    FakeShellServices shell_;
    NoChooser chooser_;
    Algorithm01 algorithm_;
};

void BM_TypeOneCharacterMidText(benchmark::State& state) {
    Open open;
    open.CaretMiddle();
    QTextEdit& edit = open.editor->RichEditAlg();
    bool add = true;
    for (auto _ : state) {
        // A character typed, then taken away again: two keystrokes per pass.
        QTest::keyClick(&edit, add ? Qt::Key_Space : Qt::Key_Backspace);
        add = !add;
    }
}

void BM_Paste50Lines(benchmark::State& state) {
    Open open;
    QApplication::clipboard()->setText(QString::fromStdString(Lines(50, 1000)));
    QTextEdit& edit = open.editor->RichEditAlg();
    for (auto _ : state) {
        state.PauseTiming();
        open.CaretMiddle();
        state.ResumeTiming();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        state.PauseTiming();
        edit.undo();
        state.ResumeTiming();
    }
}

void BM_ColourAllLinesAtLoad(benchmark::State& state) {
    Open open;
    for (auto _ : state) open.editor->ColorAllLines();
}

void BM_SetPlainTextAlone(benchmark::State& state) {
    QTextEdit edit;
    edit.setLineWrapMode(QTextEdit::NoWrap);
    const QString text = QString::fromStdString(Lines(kLines));
    for (auto _ : state) edit.setPlainText(text);
}

}  // namespace

BENCHMARK(BM_TypeOneCharacterMidText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paste50Lines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColourAllLinesAtLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetPlainTextAlone)->Unit(benchmark::kMillisecond);
