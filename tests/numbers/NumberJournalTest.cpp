// A number changed in the frame, applied by the journal, undone and redone: the budget's
// tables exactly as before and after, and the frame loading the applied chronology again.
#include <gtest/gtest.h>

#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "NumberFixture.h"
#include "common/BudgetDump.h"
#include "common/JournalSteps.h"
#include "common/ScopedMessageDlg.h"
#include "numbers/U_fnumberchange.h"
#include "numbers/U_frnumber.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/JournalKinds.h"
#include "store/Utransactions.h"
#include "store/Utransactions_undo.h"

namespace {

class NumberJournal : public NumberBudget {
protected:
    NumberJournal() {
        RegisterJournalKinds();
        frame = &RegisterNumberFrame(frames, window);
        frame->LoadTexts();
        frame->setGeometry(0, 0, 545, 540);
        window.show();
    }
    void Show() { frame->ShowFor(*shell.index.FindObject(kNumber, budget)); }
    std::vector<std::string> Values() const { return GridValues(*frame); }
    TFrameRegistry frames;
    QWidget window;
    TfrNumber* frame;
    const TDateTime today = Today();
};

TEST_F(NumberJournal, AChangeAppliedUndoneAndRedoneFromTheFrame) {
    shell.state.BudgetState = 3;  // stopped: no recalculation
    AddConst(today - 10, "1,5", "first");
    AddAlgorithmItem(today - 5, "[V001()] = 2 * 3", true, "computed");
    AddConst(today - 1, "4");
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    Show();
    ScopedMessageDlg yes(mrYes);
    frame->BitBtnEdit->click();
    frame->SetRow(3);
    frame->BitBtnDelRow->click();
    QPointer<TfNumberChange> dialog = new TfNumberChange(*frame);
    dialog->Mode = 'A';
    dialog->IDObject = kNumber;
    dialog->NameObject = "Rate";
    dialog->show();
    dialog->DateTimePicker1->setDate(ToQDate(today));
    dialog->RadioButtonTypeAlg->click();
    dialog->Algorithm.Text = "[V001()] = 7";
    dialog->BitBtnOK->click();
    EXPECT_EQ(Values(), (std::vector<std::string>{Decimal("1,5"), "6", "7"}));
    frame->BitBtnApply->click();
    EXPECT_TRUE(shell.fatalTexts.empty());
    const std::string after = DumpBudget(budget, TDumpScope::WithoutJournal);
    EXPECT_NE(after, before);
    EXPECT_EQ(CountRows(tbl::Numbers, Where(fld::ID) == kNumber), 3);

    // The node shown again loads what the journal applied.
    shell.state.ResetShownMark(TShownMark::Number);
    Show();
    EXPECT_EQ(Values(), (std::vector<std::string>{Decimal("1,5"), "6", "7"}));
    EXPECT_EQ(frame->RowKinds, "CVV");

    const int n = NewestTrans();
    ASSERT_TRUE(UndoTrans(n));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    ASSERT_TRUE(RedoTrans(n));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), after);
}

}  // namespace
