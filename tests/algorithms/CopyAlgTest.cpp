// Copying an algorithm into the editor: the list of the budget's algorithms, OK refused on the
// edited one, the edited identity kept, the shared table given back with its filter.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>

#include "algorithms/EditorFixture.h"
#include "algorithms/U_fcopyalg.h"
#include "common/TextsFit.h"
#include "platform/TableFilter.h"
#include "store/U_dm.h"

namespace {

class CopyAlg : public EditorFixture {
protected:
    CopyAlg() {
        Algorithm01 a;
        a.Name = "Own";
        a.Descript = "own description";
        a.Valid = true;
        a.IDParent = 3;
        a.Text = "[V001()] = 1";
        ownId = dm.SaveAlgorithm(a);
        Algorithm01 b;
        b.Name = "Sample";
        b.Descript = "sample description";
        b.Valid = false;
        b.VarOfResult = 4;
        b.Text = "[V004()] = 7";
        b.VarDescrList = {{4, "seven"}};
        sampleId = dm.SaveAlgorithm(b);
    }

    TfCopyAlg& OpenCopy() {
        a = dm.LoadAlgorithm(ownId);
        TfCalculation& e = Open(a);
        e.BitBtnEdit->click();
        copy = new TfCopyAlg(e);
        copy->show();
        QCoreApplication::processEvents();
        return *copy;
    }
    void SelectRow(int row) { copy->DBGridAlgList->setCurrentIndex(copy->DBGridAlgList->model()->index(row, 0)); }

    int ownId = 0, sampleId = 0;
    Algorithm01 a;
    QPointer<TfCopyAlg> copy;
};

}  // namespace

TEST_F(CopyAlg, OkIsRefusedOnTheEditedAlgorithmsOwnRow) {
    TfCopyAlg& c = OpenCopy();
    ASSERT_EQ(c.DBGridAlgList->model()->rowCount(), 2);
    SelectRow(0);
    EXPECT_EQ(c.CurrentID(), ownId);
    EXPECT_FALSE(c.BitBtnOK->isEnabled());
    EXPECT_EQ(ToStdString(c.RichEditDetail->toPlainText()), "Name: Own\nDescription: own description");
    SelectRow(1);
    EXPECT_TRUE(c.BitBtnOK->isEnabled());
    SelectRow(0);
    EXPECT_FALSE(c.BitBtnOK->isEnabled());
    c.close();
}

// A name of sixty characters shows whole in the list, also when the list is long enough to
// scroll.
TEST_F(CopyAlg, ALongNameShowsWholeInTheList) {
    for (int n = 0; n < 20; ++n) {
        Algorithm01 other;
        other.Name = n == 0 ? "Abschlag Fernwärme Wohnung Müller-Kowalczyk, 3. Obergeschoss"
                            : "Algorithm " + std::to_string(n);
        other.Valid = true;
        other.Text = "[V001()] = 1";
        dm.SaveAlgorithm(other);
    }
    TfCopyAlg& c = OpenCopy();
    EXPECT_TRUE(c.DBGridAlgList->verticalScrollBar()->isVisible());
    EXPECT_GE(c.DBGridAlgList->columnWidth(0), NeededWidth(*c.DBGridAlgList, 0));
    c.close();
}

TEST_F(CopyAlg, CopyingKeepsTheEditedIdentityAndGivesTheTableBack) {
    DM->TableAlgorithms.Close();
    DM->TableAlgorithms.SetFilter(Where(fld::ID) == 999);
    DM->TableAlgorithms.SetFiltered(true);
    DM->TableAlgorithms.Open();
    TfCopyAlg& c = OpenCopy();
    SelectRow(1);
    c.BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(copy.isNull() || !copy->isVisible());
    EXPECT_TRUE(DM->TableAlgorithms.Filtered());
    EXPECT_EQ(DM->TableAlgorithms.RecordCount(), 0);

    EXPECT_EQ(Text(), "[V004()] = 7\n");
    EXPECT_EQ(ToStdString(editor->StringGridTitle->item(0, 1)->text()), "Own");
    EXPECT_EQ(editor->AlgID, ownId);
    EXPECT_EQ(editor->ComboBoxResVar->currentIndex(), 3);
    EXPECT_EQ(ToStdString(editor->LabelValid->text()), "invalid");
    const ScopedMessageDlg yes(mrYes);
    editor->BitBtnOKClick();
    EXPECT_EQ(algorithm.ID, ownId);
    EXPECT_EQ(algorithm.Name, "Own");
    EXPECT_EQ(algorithm.Descript, "own description");
    EXPECT_EQ(algorithm.IDParent, 3);
    EXPECT_EQ(algorithm.VarOfResult, 4);
    ASSERT_EQ(algorithm.VarDescrList.size(), 1u);
    EXPECT_EQ(algorithm.VarDescrList[0].Descript, "seven");
}
