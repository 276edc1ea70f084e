// The undo and redo dialog in the real main window, driven through its widgets: marking when it
// is shown, the "YES" confirmation, a run with its progress, STOP!, Exit before OK, refused
// markings, and the journal view's buttons set again by the view's rule when it closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "shell/BudgetsFixture.h"
#include "shell/JournalKinds.h"
#include "shell/MainFrames.h"
#include "store/TransKindObject.h"
#include "store/U_fback.h"
#include "store/U_frlog.h"
#include "store/Utransactions.h"

namespace {

// The Home budget of the main window's tests, open, with three renamings of its objects applied
// through the journal (NTrans 1: Flat -> Flat 1, 2: Rent -> Rent 2, 3: Car -> Car 3), and two
// buttons standing for the journal view's, which the view's rule sets on every change of its
// data set: Back on "APPLY", Forward on "BACK".
class BackTest : public BudgetsFixture {
protected:
    BackTest() {
        RegisterJournalKinds();
        Start();
        window->SelectObject(11, home);
        for (const auto& [id, name] : {std::pair(11, "Flat 1"), {12, "Rent 2"}, {13, "Car 3"}})
            Rename(id, name);
        view = dm.TablejTrans.AddDataChangeHandler([this](TTable& trans, const TField*) {
            const std::string status =
                trans.IsEmpty() ? "" : trans.FieldByName("Status").AsString();
            back.setEnabled(status == "APPLY");
            forward.setEnabled(status == "BACK");
        });
    }
    ~BackTest() override { dm.TablejTrans.RemoveDataChangeHandler(view); }

    static void Rename(int id, const std::string& name) {
        const ObjectInfo* object =
            ShellServices().Index().FindObject(id, ShellServices().BudgetPath());
        TTransWriter writer("REN", id, object->Type, name);
        TRenameParts parts{object->Type + 1, object->Type + 1, "", object->Name, object->Descript};
        WriteParts(writer, parts);
        ASSERT_EQ(writer.Apply(), id);
    }

    // Selects the transaction in the view's data set and opens the dialog on it in the mode,
    // not modally; lets it mark.
    TfBack& Open(int nTrans, int mode) {
        dm.TablejTrans.Locate("NTrans", {nTrans});
        dialog = new TfBack(*window, back, forward);
        dialog->Mode = mode;
        dialog->show();
        QCoreApplication::processEvents();
        return *dialog;
    }
    static void Type(QLineEdit* edit, const char* text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Lets the event loop turn until the dialog has gone.
    void WaitClosed() {
        for (int turn = 0; turn < 1000 && !dialog.isNull() && dialog->isVisible(); ++turn)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        ASSERT_TRUE(dialog.isNull() || !dialog->isVisible());
    }
    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        TTable trans;
        trans.SetDatabaseName(home);
        trans.SetTableName("jTrans");
        trans.SetIndexName("Index_NTrans");
        trans.Open();
        for (; !trans.Eof(); trans.Next())
            statuses.push_back(trans.FieldByName("Status").AsString());
        return statuses;
    }
    std::string Name(int id) const { return ObjectField(home, id, "Name"); }
    std::string SelectedText() const {
        const QTreeWidgetItem* item = window->TreeViewMain->currentItem();
        return item ? ToStdString(item->text(0)) : "<none>";
    }

    QPushButton back{QStringLiteral("Back")}, forward{QStringLiteral("Forward")};
    QPointer<TfBack> dialog;
    int view = 0;
};

}  // namespace

TEST_F(BackTest, UndoOfTheNewestTransactionAloneRebuildsTheTreeAndSelectsTheJournalAgain) {
    TfBack& undo = Open(3, TfBack::kModeUndo);
    EXPECT_EQ(undo.MarkCount, 1);
    EXPECT_EQ(undo.NTrans, 3);
    EXPECT_EQ(undo.ProgressBar1->maximum(), 1);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "TOBACK"}));
    EXPECT_FALSE(back.isEnabled());  // the view's button of the mode, while the dialog is open
    EXPECT_EQ(undo.LabelMes->text(), "Type YES and press OK to start.");
    EXPECT_EQ(undo.LabelHeader->text(), "Undo changes of the budget\n 'Home'");
    EXPECT_TRUE(undo.ImageUndo->isVisibleTo(&undo));
    EXPECT_FALSE(undo.ImageRedo->isVisibleTo(&undo));
    EXPECT_FALSE(undo.MemoDescript->toPlainText().isEmpty());

    std::vector<int> progress;
    QObject::connect(undo.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { progress.push_back(value); });
    Type(undo.EditYes, "yes");
    undo.BitBtnOK->click();
    WaitClosed();
    EXPECT_EQ(progress, std::vector<int>{1});
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "BACK"}));
    EXPECT_EQ(Name(13), "Car");
    EXPECT_EQ(SelectedText(), "Journal of changes");
    EXPECT_EQ(window->State().TypeObject, otLog);
    EXPECT_TRUE(messages.Calls().empty());
}

TEST_F(BackTest, OnlyTheWordYesInAnyLetterCaseEnablesOK) {
    TfBack& undo = Open(3, TfBack::kModeUndo);
    const struct {
        const char* typed;
        const char* shown;
        bool ok;
    } cases[] = {{"yes", "YES", true}, {"Yes", "YES", true},    {"YES", "YES", true},
                 {"ye", "YE", false},  {"yess", "YESS", false}, {"no", "NO", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Type(undo.EditYes, c.typed);
        EXPECT_EQ(undo.EditYes->text(), c.shown);
        EXPECT_EQ(undo.EditYes->cursorPosition(), undo.EditYes->text().size());
        EXPECT_EQ(undo.BitBtnOK->isEnabled(), c.ok);
    }
}

TEST_F(BackTest, LeavingBeforeOKTakesBackTheMarksWhicheverWayTheDialogCloses) {
    const std::function<void(TfBack&)> ways[] = {
        [](TfBack& d) { d.BtnExit->click(); },
        [](TfBack& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](TfBack& d) { d.close(); },
    };
    for (const auto& leave : ways) {
        TfBack& undo = Open(1, TfBack::kModeUndo);
        EXPECT_EQ(Statuses(), std::vector<std::string>(3, "TOBACK"));
        Type(undo.EditYes, "YES");
        leave(undo);
        WaitClosed();
        EXPECT_EQ(Statuses(), std::vector<std::string>(3, "APPLY"));
        EXPECT_TRUE(back.isEnabled());
        EXPECT_EQ(Name(11), "Flat 1");
    }
}

TEST_F(BackTest, StopEndsTheRunAfterTheStepInProgressAndTheOthersGetTheirFormerStatus) {
    TfBack& undo = Open(1, TfBack::kModeUndo);
    Type(undo.EditYes, "YES");
    undo.BitBtnOK->click();
    EXPECT_TRUE(undo.BitBtnStop->isEnabled());
    EXPECT_FALSE(undo.BtnExit->isEnabled());
    undo.close();  // refused while the run goes on
    EXPECT_TRUE(undo.isVisible());
    undo.BitBtnStop->click();
    EXPECT_EQ(undo.LabelMes->text(), "Stopping after the change in progress...");
    EXPECT_EQ(undo.BitBtnStop->text(), "START");
    EXPECT_FALSE(undo.BitBtnStop->isEnabled());
    WaitClosed();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "BACK"}));
    EXPECT_EQ(Name(13), "Car");
    EXPECT_EQ(Name(12), "Rent 2");
    EXPECT_EQ(SelectedText(), "Journal of changes");
}

TEST_F(BackTest, RedoOfEveryUndoneTransactionLeavesForwardDisabledAndBackEnabled) {
    TfBack& undo = Open(1, TfBack::kModeUndo);
    Type(undo.EditYes, "YES");
    undo.BitBtnOK->click();
    WaitClosed();
    ASSERT_EQ(Statuses(), std::vector<std::string>(3, "BACK"));
    EXPECT_EQ(Name(11), "Flat");

    TfBack& redo = Open(3, TfBack::kModeRedo);
    EXPECT_EQ(redo.MarkCount, 3);
    EXPECT_FALSE(forward.isEnabled());
    EXPECT_TRUE(redo.ImageRedo->isVisibleTo(&redo));
    EXPECT_EQ(redo.LabelHeader->text(), "Redo changes of the budget\n 'Home'");
    Type(redo.EditYes, "YES");
    redo.BitBtnOK->click();
    WaitClosed();
    EXPECT_EQ(Statuses(), std::vector<std::string>(3, "APPLY"));
    EXPECT_EQ(Name(11), "Flat 1");
    dm.TablejTrans.Last();
    EXPECT_FALSE(forward.isEnabled());
    EXPECT_TRUE(back.isEnabled());
}

TEST_F(BackTest, AnEmptyBlockRunsNothingAndARefusedMarkingShowsItsMessageAndCloses) {
    // Nothing to mark: OK runs nothing.
    TfBack& undo = Open(3, TfBack::kModeUndo);
    Type(undo.EditYes, "YES");
    undo.BitBtnOK->click();
    WaitClosed();
    ASSERT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "BACK"}));
    TfBack& empty = Open(3, TfBack::kModeUndo);
    EXPECT_EQ(empty.MarkCount, 0);
    EXPECT_EQ(empty.ProgressBar1->value(), 0);
    Type(empty.EditYes, "YES");
    empty.BitBtnOK->click();
    WaitClosed();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "BACK"}));
    EXPECT_TRUE(messages.Calls().empty());

    // Redo below the undone block, and undo over a transaction that never finished.
    Open(1, TfBack::kModeRedo);
    WaitClosed();
    {
        TTable trans;
        trans.SetDatabaseName(home);
        trans.SetTableName("jTrans");
        trans.SetReadOnly(false);
        trans.Open();
        trans.Append();
        trans.FieldByName("NTrans").SetAsInteger(4);
        trans.FieldByName("Act").SetAsString("REN");
        trans.FieldByName("Status").SetAsString("ACT");
        trans.Post();
    }
    dm.TablejTrans.Refresh();
    Open(1, TfBack::kModeUndo);
    WaitClosed();
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{
                  "Fatal Error !!!",
                  "These changes cannot be undone or redone: the journal holds a change that "
                  "was never completed, or marks left by an interrupted run."}));
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "BACK", "ACT"}));
}

// The journal view of the real main window opens the dialog from its buttons, each in its mode.
TEST_F(BackTest, TheJournalViewsButtonsOpenTheDialogInTheirModes) {
    RegisterMainFrames(*window);
    window->SelectObject(10, home);  // the budget's journal node
    auto* log = window->findChild<TfrLog*>();
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(log->isVisible());
    const auto modeOpenedBy = [](QPushButton* button) {
        int mode = 0;
        QTimer::singleShot(0, [&] {
            auto* open = qobject_cast<TfBack*>(QApplication::activeModalWidget());
            if (!open) return;
            mode = open->Mode;
            open->BtnExit->click();
        });
        button->click();
        return mode;
    };
    ASSERT_TRUE(log->BitBtnBack->isEnabled());
    EXPECT_EQ(modeOpenedBy(log->BitBtnBack), TfBack::kModeUndo);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "APPLY"}));

    dm.TablejTrans.Locate("NTrans", {3});
    TfBack& undo = Open(3, TfBack::kModeUndo);
    Type(undo.EditYes, "YES");
    undo.BitBtnOK->click();
    WaitClosed();
    window->SelectObject(10, home);
    ASSERT_TRUE(log->BitBtnForward->isEnabled());
    EXPECT_EQ(modeOpenedBy(log->BitBtnForward), TfBack::kModeRedo);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"APPLY", "APPLY", "BACK"}));
}
