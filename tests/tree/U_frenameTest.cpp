// The rename dialog in the real main window: its captions by node type, the rules that enable
// OK, the warning blink, renaming an object through the journal and a budget in the budget list.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <fstream>
#include <functional>
#include <sstream>

#include "PopupCommand.h"
#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "shell/BudgetsFixture.h"
#include "shell/JournalKinds.h"
#include "shell/ShellOpen.h"
#include "tree/U_frename.h"

namespace {

// A field's value as text, whatever its kind.
std::string Text(const TField& field) {
    return field.Kind() == TFieldKind::Integer ? std::to_string(field.AsInteger())
                                               : field.AsString();
}

// The budgets of the main window's tests (Home with Flat, Rent, Car ...) and a table 19 under
// Flat that has the name of its sibling Rent.
class RenameTest : public BudgetsFixture {
protected:
    RenameTest() {
        AddObject(home, 19, 11, otTable, 16, "Rent", "N", "twin");
        RegisterJournalKinds();
        Start();
    }

    // Selects the object (0: the budget's root) and opens the dialog on it, not modally.
    TfRename& Open(int id, const std::string& folder) {
        if (id == 0)
            window->SelectBudget(folder);
        else
            window->SelectObject(id, folder);
        dialog = new TfRename(*window);
        dialog->show();
        QCoreApplication::processEvents();
        return *dialog;
    }
    // Types the text into the edit as a user does, all of it replaced (the keys of the test
    // library know only ASCII; other letters are put in as an input method does).
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else
                edit->insert(QString(c));
        }
    }
    static void ChooseIcon(QComboBox* combo, int item) { combo->setCurrentIndex(item); }
    // The rows of a journal part table of the budget, as "NPart=Value".
    static std::vector<std::string> Parts(const std::string& folder, const char* table,
                                          int nTrans) {
        TTable rows;
        rows.SetDatabaseName(folder);
        rows.SetTableName(table);
        rows.SetReadOnly(true);
        rows.Open();
        std::vector<std::string> parts;
        for (; !rows.Eof(); rows.Next())
            if (rows.FieldByName("NTrans").AsInteger() == nTrans)
                parts.push_back(std::to_string(rows.FieldByName("NPart").AsInteger()) + "=" +
                                Text(rows.FieldByName("Value")));
        return parts;
    }
    std::string JournalRow(const std::string& folder, int nTrans) const {
        TTable rows;
        rows.SetDatabaseName(folder);
        rows.SetTableName("jTrans");
        rows.SetReadOnly(true);
        rows.Open();
        if (!rows.Locate("NTrans", {nTrans})) return "<no row>";
        std::ostringstream row;
        for (const char* field : {"Act", "Status", "IDObject", "Type", "NameObject"})
            row << Text(rows.FieldByName(field)) << "|";
        return row.str();
    }
    std::string SelectedText() const {
        const QTreeWidgetItem* item = window->TreeViewMain->currentItem();
        return item ? ToStdString(item->text(0)) : "<none>";
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QPointer<TfRename> dialog;
};

// 70 letters of two bytes each.
std::string Letters(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "ж";
    return text;
}

}  // namespace

TEST_F(RenameTest, ShowsTheNodeWithNumberedCaptionsAndTheFolderIconPicker) {
    const struct {
        int id;
        bool budget;
        std::vector<std::string> captions;  // LabelImage (when seen), LabelName, LabelDescript
        int comboItem;                      // -1: the picker is hidden
        std::string name, descript;
        int descriptLimit;
    } cases[] = {
        // Flat is expanded: its stored icon 80 is the picker's first item, not the shown 81.
        {11, false, {"1) Icon:", "2) Name:", "3) Description:"}, 0, "Flat", "The flat", 100},
        {13, false, {"1) Icon:", "2) Name:", "3) Description:"}, 1, "Car", "", 100},
        {12, false, {"1) Name:", "2) Description:"}, -1, "Rent", "Monthly rent", 100},
        {0, true, {"1) Name:", "2) Description of the budget:"}, -1, "Home", "", 250},
        // Named as its sibling: no warning until the user changes something.
        {19, false, {"1) Name:", "2) Description:"}, -1, "Rent", "twin", 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TfRename& rename = Open(c.id, home);
        std::vector<std::string> captions;
        for (QLabel* label : {rename.LabelImage, rename.LabelName, rename.LabelDescript})
            if (label->isVisible()) captions.push_back(ToStdString(label->text()));
        EXPECT_EQ(captions, c.captions);
        EXPECT_EQ(rename.ComboBoxExFImage->isVisible(), c.comboItem >= 0);
        EXPECT_EQ(rename.Image1->isVisible(), c.comboItem < 0);
        if (c.comboItem >= 0) {
            EXPECT_EQ(rename.ComboBoxExFImage->count(), 16);
            EXPECT_EQ(rename.ComboBoxExFImage->currentIndex(), c.comboItem);
        }
        EXPECT_EQ(ToStdString(rename.EditName->text()), c.name);
        EXPECT_EQ(ToStdString(rename.EditDescript->text()), c.descript);
        EXPECT_EQ(rename.EditName->maxLength(), 70);
        EXPECT_EQ(rename.EditDescript->maxLength(), c.descriptLimit);
        EXPECT_EQ(rename.LabelHeader->text(), QStringLiteral("Rename"));
        EXPECT_FALSE(rename.BitBtnOK->isEnabled());
        EXPECT_TRUE(rename.LabelWarning->text().isEmpty());
        EXPECT_FALSE(rename.Warning.Timer1->isActive());
        rename.BtnExit->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog.isNull());
    }
}

// Mend: a name that could not be written was lost, the dialog left open with every input
// disabled. The dialog stays open with what was typed; OK once the cause is gone renames once.
TEST_F(RenameTest, ANameThatCannotBeWrittenStaysInTheOpenDialog) {
    TfRename& rename = Open(11, home);
    window->SaveTreeState();  // as OK does first
    const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
    Type(rename.EditName, QStringLiteral("Flat 2"));
    Type(rename.EditDescript, QStringLiteral("new"));
    {
        FailingKind failing({"REN"}, DiskFull);
        rename.BitBtnOK->click();
        QCoreApplication::processEvents();
    }
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(rename.isVisible());
    EXPECT_EQ(rename.EditName->text(), QStringLiteral("Flat 2"));
    EXPECT_EQ(rename.EditDescript->text(), QStringLiteral("new"));
    EXPECT_TRUE(rename.EditName->isEnabled());
    EXPECT_TRUE(rename.BitBtnOK->isEnabled());
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_NE(messages.Texts()[0].find("database or disk is full"), std::string::npos);
    EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);

    rename.BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(ObjectField(home, 11, "Name"), "Flat 2");
    EXPECT_EQ(ObjectField(home, 11, "Descript"), "new");
    EXPECT_EQ(messages.Calls().size(), 1u);
}

TEST_F(RenameTest, OKIsEnabledForAFreeNonEmptyChangedNameOnly) {
    using TAct = std::function<void(TfRename&)>;
    const auto name = [](const std::string& text) {
        return [text](TfRename& r) { Type(r.EditName, ToQString(text)); };
    };
    const auto descript = [](TfRename& r) { Type(r.EditDescript, QStringLiteral("new")); };
    const std::string warning = "An object with this name already exists here.";
    const struct {
        const char* what;
        int id;
        std::vector<TAct> acts;
        bool ok;
        std::string warning;
    } cases[] = {
        {"nothing changed", 11, {}, false, ""},
        {"the old name typed again", 11, {name("Flat")}, false, ""},
        {"an empty name", 11, {name("")}, false, ""},
        {"a sibling's name", 11, {name("Car")}, false, warning},
        {"a sibling's name in other letter case", 11, {name("car")}, true, ""},
        {"the calendar's caption at top level",
         11,
         {name("Calendar of the budget")},
         false,
         warning},
        {"the icon alone", 11, {[](TfRename& r) { ChooseIcon(r.ComboBoxExFImage, 3); }}, true, ""},
        {"the icon chosen back",
         11,
         {[](TfRename& r) { ChooseIcon(r.ComboBoxExFImage, 3); },
          [](TfRename& r) { ChooseIcon(r.ComboBoxExFImage, 0); }},
         false,
         ""},
        {"the description alone", 11, {descript}, true, ""},
        {"a sibling's name below a folder", 12, {name("Meter")}, false, warning},
        {"the parent's name", 12, {name("Flat")}, true, ""},
        {"70 letters", 12, {name(Letters(70))}, true, ""},
        {"a twin's description alone", 19, {descript}, false, warning},
        {"a twin's name emptied, then its description", 19, {name(""), descript}, false, ""},
        {"a twin's name made free", 19, {name("Rent 2")}, true, ""},
        {"a budget with another budget's name", 0, {name("Cottage")}, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfRename& rename = Open(c.id, home);
        for (const TAct& act : c.acts) act(rename);
        EXPECT_EQ(rename.BitBtnOK->isEnabled(), c.ok);
        EXPECT_EQ(ToStdString(rename.LabelWarning->text()), c.warning);
        rename.BtnExit->click();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ObjectField(home, 11, "Name"), "Flat");
    EXPECT_EQ(BudgetField(1, "Name"), "Home");
}

TEST_F(RenameTest, AnObjectIsRenamedThroughTheJournalAndShownSelectedInTheTree) {
    const std::string quoted = "  \"Flat\" / a\\b";
    const struct {
        const char* what;
        int id;
        int iconItem;  // -1: not touched
        std::string name, descript;
        std::vector<std::string> ints, texts;
        std::string stored;  // Image|Name|Descript of the row afterwards
    } cases[] = {
        {"a folder's icon, name and description",
         11,
         2,
         quoted,
         "Our flat",
         {"1=84", "2=80"},
         {"1=Our flat", "2=Flat", "3=The flat"},
         "84|" + quoted + "|Our flat"},
        // Expanded, icon untouched: the stored even icon in both parts.
        {"a folder's name",
         11,
         -1,
         Letters(70),
         "Our flat",
         {"1=84", "2=84"},
         {"1=Our flat", "2=" + quoted, "3=Our flat"},
         "84|" + Letters(70) + "|Our flat"},
        {"a number's name and description",
         15,
         -1,
         "Gas meter",
         "Meter reading",
         {"1=22", "2=22"},
         {"1=Meter reading", "2=Meter", "3="},
         "22|Gas meter|Meter reading"},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfRename& rename = Open(c.id, home);
        if (c.iconItem >= 0) ChooseIcon(rename.ComboBoxExFImage, c.iconItem);
        Type(rename.EditName, ToQString(c.name));
        Type(rename.EditDescript, ToQString(c.descript));
        ASSERT_TRUE(rename.BitBtnOK->isEnabled());
        rename.BitBtnOK->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog.isNull());

        ++nTrans;
        EXPECT_EQ(JournalRow(home, nTrans), "REN|APPLY|" + std::to_string(c.id) + "|" +
                                                std::to_string(c.id == 11 ? 10 : 50) + "|" +
                                                c.name + "|");
        EXPECT_EQ(Parts(home, "jTrInteger", nTrans), c.ints);
        EXPECT_EQ(Parts(home, "jTrText", nTrans), c.texts);
        EXPECT_TRUE(Parts(home, "jTrDate", nTrans).empty());
        EXPECT_EQ(ObjectField(home, c.id, "Image") + "|" + ObjectField(home, c.id, "Name") + "|" +
                      ObjectField(home, c.id, "Descript"),
                  c.stored);
        EXPECT_EQ(window->State().IDObject, c.id);
        EXPECT_EQ(SelectedText(), c.name);
        EXPECT_EQ(window->TreeViewMain->currentItem()->isExpanded(), c.id == 11);
        EXPECT_EQ(window->TreeViewMain->focusWidget(), window->TreeViewMain);
    }
    EXPECT_EQ(ToStdString(window->LabelFrameHeader->text()), "Gas meter");
    EXPECT_TRUE(messages.Calls().empty());
}

TEST_F(RenameTest, ABudgetIsRenamedInTheBudgetListOutsideTheJournal) {
    const std::string ini = Read(home + "/VLBudget.ini");
    TfRename& rename = Open(0, home);
    window->SaveTreeState();  // as OK does first
    const std::string journal = DumpBudget(home);
    Type(rename.EditName, QStringLiteral("Cottage"));
    Type(rename.EditDescript, QString(250, QChar(u'd')));
    rename.BitBtnOK->click();
    QCoreApplication::processEvents();

    EXPECT_EQ(BudgetField(1, "Name"), "Cottage");
    EXPECT_EQ(BudgetField(1, "Descript"), std::string(250, 'd'));
    EXPECT_EQ(BudgetField(2, "Name"), "Cottage");
    EXPECT_EQ(Read(home + "/VLBudget.ini"), ini);
    EXPECT_EQ(DumpBudget(home), journal);  // no transaction, no object changed
    EXPECT_EQ(SelectedText(), "Cottage");
    EXPECT_EQ(window->State().TypeObject, otBudget);
    EXPECT_EQ(window->State().BudgetName, "Cottage");
    EXPECT_EQ(window->State().BudgetDescript, std::string(250, 'd'));
    EXPECT_TRUE(messages.Calls().empty());
}

// Mend: a budget whose budget list row is gone was renamed nowhere without a word.
TEST_F(RenameTest, ABudgetWithoutItsBudgetListRowIsReportedAndNothingIsWritten) {
    TfRename& rename = Open(0, cottage);
    {
        TTable budgets;
        budgets.SetDatabaseName(folders.UsersDataPath());
        budgets.SetTableName("Budgets.db");
        budgets.Open();
        ASSERT_TRUE(budgets.Locate("ID", {2}));
        budgets.Delete();
    }
    Type(rename.EditName, QStringLiteral("Barn"));
    rename.BitBtnOK->click();
    QCoreApplication::processEvents();

    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "The budget is not in the budget list. Nothing was renamed."});
    for (int id : {1, 3, 4, 5}) EXPECT_NE(BudgetField(id, "Name"), "Barn");
    EXPECT_EQ(window->State().BudgetName, "Cottage");
    EXPECT_TRUE(dialog.isNull());
}

// Mend: the dialog applied a transaction whose preparation had reported a fatal error.
TEST_F(RenameTest, APreparationAfterAFatalReportIsNeitherMadeReadyNorApplied) {
    TfRename& rename = Open(12, home);
    window->SaveTreeState();  // as OK does first
    const std::string before = DumpBudget(home);
    Type(rename.EditName, QStringLiteral("Lease"));
    window->State().FatalClose = true;  // as after a fatal report
    rename.BitBtnOK->click();
    QCoreApplication::processEvents();
    window->State().FatalClose = false;

    EXPECT_EQ(DumpBudget(home), before);
    EXPECT_EQ(JournalRow(home, 1), "<no row>");
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(RenameTest, ThePopupOffersRenameForObjectsAndBudgetsAndOpensTheDialogWithItsHelp) {
    // the tree
    QAction* item =
        PopupCommand(*window, "Rename", {{0, true}, {1, false}, {2, false}, {3, true}, {4, true}});
    ASSERT_NE(item, nullptr);

    RecordedHelp help(*window);
    window->TreeViewMain->setCurrentItem(window->Nodes().at(4));
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* open = qobject_cast<TfRename*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        shown = open->EditName->text();
        QTest::keyClick(open, Qt::Key_F1);
        QTest::keyClick(open, Qt::Key_Escape);
    });
    item->trigger();
    EXPECT_EQ(shown, QStringLiteral("Rent"));
    EXPECT_EQ(help.Topics(), std::vector<QString>{QStringLiteral("2020")});
    EXPECT_EQ(ObjectField(home, 12, "Name"), "Rent");
}
