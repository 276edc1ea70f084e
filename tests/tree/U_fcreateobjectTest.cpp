// The create-object dialog in the real main window: its place path and texts, the rules that
// enable OK, the warning blink, the "ADD" layout of every kind, names reaching the journal
// exactly, creating through the journal, and the popup command that opens it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>

#include "PopupCommand.h"
#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "platform/Dates.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "shell/BudgetsFixture.h"
#include "shell/JournalKinds.h"
#include "shell/ShellOpen.h"
#include "store/TransKindObject.h"
#include "store/Utransactions.h"
#include "tree/U_fchoice.h"
#include "tree/U_fcreateobject.h"

namespace fs = std::filesystem;

namespace {

// Types the text into the edit as a user does, all of it replaced (the keys of the test
// library know only ASCII; other letters are put in as an input method does).
void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(edit, c.toLatin1());
        else
            edit->insert(QString(c));
    }
}

// The budgets of the main window's tests (Home with Flat, Rent, Car ...) and two folders below
// Flat, Drawer and within it Bills.
class CreateObjectTest : public BudgetsFixture {
protected:
    CreateObjectTest() {
        AddObject(home, 20, 11, otFolder, 86, "Drawer");
        AddObject(home, 21, 20, otFolder, 88, "Bills");
        RegisterJournalKinds();
        Start();
    }

    // Selects the node (0: the budget's root) and opens the dialog on it, not modally.
    TfCreateObject& Open(int id) {
        if (id == 0)
            window->SelectBudget(home);
        else
            window->SelectObject(id, home);
        dialog = new TfCreateObject(*window);
        dialog->show();
        QCoreApplication::processEvents();
        return *dialog;
    }
    // The row of the journal: Act|Status|IDObject|Type|NameObject|.
    std::string JournalRow(int nTrans) const {
        TTable rows;
        rows.SetDatabaseName(home);
        rows.SetTableName("jTrans");
        rows.SetReadOnly(true);
        rows.Open();
        if (!rows.Locate("NTrans", {nTrans})) return "<no row>";
        std::string row;
        for (const char* field : {"Act", "Status"}) row += rows.FieldByName(field).AsString() + "|";
        for (const char* field : {"IDObject", "Type"})
            row += std::to_string(rows.FieldByName(field).AsInteger()) + "|";
        return row + rows.FieldByName("NameObject").AsString() + "|";
    }
    // How many parts of the transaction a part table holds.
    int PartCount(const char* table, int nTrans) const {
        TTable rows;
        rows.SetDatabaseName(home);
        rows.SetTableName(table);
        rows.SetReadOnly(true);
        rows.Open();
        int count = 0;
        for (; !rows.Eof(); rows.Next()) count += rows.FieldByName("NTrans").AsInteger() == nTrans;
        return count;
    }
    std::string SelectedText() const {
        const QTreeWidgetItem* item = window->TreeViewMain->currentItem();
        return item ? ToStdString(item->text(0)) : "<none>";
    }

    QPointer<TfCreateObject> dialog;
};

std::string Letters(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "ж";
    return text;
}

using TAct = std::function<void(TfCreateObject&)>;
TAct Name(const std::string& text) {
    return [text](TfCreateObject& d) { Type(d.EditName, ToQString(text)); };
}
TAct Kind(QRadioButton* TfCreateObject::*button) {
    return [button](TfCreateObject& d) { QTest::mouseClick(d.*button, Qt::LeftButton); };
}
const TAct kFolderIcon3 = [](TfCreateObject& d) { d.ComboBoxExFImage->setCurrentIndex(3); };

}  // namespace

TEST_F(CreateObjectTest, ShowsThePlaceAndItsTextsWithNoKindChosen) {
    const struct {
        int id;
        std::string place;
    } cases[] = {
        {0, "Home"},
        {11, "Home\\Flat"},
        {20, "Home\\Flat\\Drawer"},
        {21, "Home\\Flat\\Drawer\\Bills"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        TfCreateObject& create = Open(c.id);
        EXPECT_EQ(ToStdString(create.MemoPlase->toPlainText()), c.place);
        EXPECT_EQ(create.LabelHeader->text(), QStringLiteral("Create an object"));
        EXPECT_EQ(create.RadioButtonPayIn->text(), QStringLiteral("Pay in (income)"));
        EXPECT_TRUE(
            create.MemoDescript->toPlainText().startsWith(QStringLiteral("The new object")));
        EXPECT_EQ(create.MemoPlase->focusPolicy() & Qt::TabFocus, 0);
        for (QRadioButton* button : create.findChildren<QRadioButton*>())
            EXPECT_FALSE(button->isChecked()) << button->objectName().toStdString();
        EXPECT_FALSE(create.IsKindChosen());
        EXPECT_EQ(create.ComboBoxExFImage->count(), 16);
        EXPECT_EQ(create.ComboBoxExFImage->currentData().toInt(), 80);
        EXPECT_TRUE(create.EditName->text().isEmpty());
        EXPECT_EQ(create.EditName->maxLength(), 70);
        EXPECT_EQ(create.EditDescript->maxLength(), 100);
        EXPECT_FALSE(create.BitBtnOK->isEnabled());
        EXPECT_TRUE(create.LabelWarning->text().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), create.EditName);
        create.BtnExit->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog.isNull());
    }
    EXPECT_EQ(JournalRow(1), "<no row>");
}

TEST_F(CreateObjectTest, OKIsEnabledForAFreeNonEmptyNameAndAChosenKind) {
    const std::string warning = "An object with this name already exists here.";
    const struct {
        const char* what;
        int parent;
        std::vector<TAct> acts;
        bool ok;
        std::string warning;
    } cases[] = {
        {"a name without a kind", 11, {Name("Gas")}, false, ""},
        {"a kind without a name", 11, {Kind(&TfCreateObject::RadioButtonTable)}, false, ""},
        {"a name and a kind",
         11,
         {Name("Gas"), Kind(&TfCreateObject::RadioButtonNumber)},
         true,
         ""},
        {"a kind, then a name",
         11,
         {Kind(&TfCreateObject::RadioButtonPayIn), Name("Gas")},
         true,
         ""},
        {"a sibling's name",
         11,
         {Kind(&TfCreateObject::RadioButtonTable), Name("Rent")},
         false,
         warning},
        {"a sibling's name in other letter case",
         11,
         {Kind(&TfCreateObject::RadioButtonTable), Name("rent")},
         true,
         ""},
        {"the name of an object in another folder",
         11,
         {Kind(&TfCreateObject::RadioButtonFiles), Name("Papers")},
         true,
         ""},
        {"the parent's own name",
         11,
         {Kind(&TfCreateObject::RadioButtonFolder), Name("Flat")},
         true,
         ""},
        {"a top-level object's name at top level",
         0,
         {Kind(&TfCreateObject::RadioButtonFolder), Name("Flat")},
         false,
         warning},
        {"the calendar's caption at top level",
         0,
         {Kind(&TfCreateObject::RadioButtonFolder), Name("Calendar of the budget")},
         false,
         warning},
        {"the journal's caption at top level",
         0,
         {Kind(&TfCreateObject::RadioButtonFolder), Name("Journal of changes")},
         false,
         warning},
        {"the calendar's caption below a folder",
         11,
         {Kind(&TfCreateObject::RadioButtonFolder), Name("Calendar of the budget")},
         true,
         ""},
        // The empty name is not checked: the warning stays as it was.
        {"a taken name emptied",
         11,
         {Kind(&TfCreateObject::RadioButtonTable), Name("Rent"), Name("")},
         false,
         warning},
        {"a taken name, then a kind clicked",
         11,
         {Name("Rent"), Kind(&TfCreateObject::RadioButtonTable)},
         false,
         warning},
        {"a name and another folder icon only", 11, {Name("Gas"), kFolderIcon3}, false, ""},
        {"70 letters", 11, {Kind(&TfCreateObject::RadioButtonNumber), Name(Letters(70))}, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfCreateObject& create = Open(c.parent);
        for (const TAct& act : c.acts) act(create);
        EXPECT_EQ(create.BitBtnOK->isEnabled(), c.ok);
        EXPECT_EQ(ToStdString(create.LabelWarning->text()), c.warning);
        create.BtnExit->click();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(JournalRow(1), "<no row>");
}

// A warning that appears blinks to its end in red; one raised again while it shows does not
// blink anew.
TEST_F(CreateObjectTest, TheWarningBlinksWhenItAppearsOnly) {
    TfCreateObject& create = Open(11);
    Type(create.EditName, QStringLiteral("Rent"));
    ASSERT_TRUE(create.Warning.Timer1->isActive());
    for (int tick = 0; tick < 7; ++tick) create.Warning.Timer1Timer();
    EXPECT_FALSE(create.Warning.Timer1->isActive());
    EXPECT_EQ(create.LabelWarning->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    QTest::mouseClick(create.RadioButtonTable, Qt::LeftButton);
    EXPECT_FALSE(create.Warning.Timer1->isActive());
    Type(create.EditName, QStringLiteral("Rent 2"));
    EXPECT_TRUE(create.LabelWarning->text().isEmpty());
    Type(create.EditName, QStringLiteral("Meter"));
    EXPECT_TRUE(create.Warning.Timer1->isActive());
}

namespace {

// A check of the typed layout of a transaction against the expected one.
using TLayoutCheck = std::function<void(int nTrans)>;
template <class Content>
TLayoutCheck Layout(int parent, int icon, const std::string& descript, Content content) {
    return [=](int nTrans) {
        const auto parts = ReadParts<TObjectParts<Content>>(nTrans);
        ASSERT_TRUE(parts.has_value());
        EXPECT_TRUE(*parts == (TObjectParts<Content>{parent, icon, descript, content}));
    };
}

}  // namespace

TEST_F(CreateObjectTest, EachKindWritesItsAddLayoutWithAnEmptyContent) {
    const TDateTime today = Today();
    const auto pay = [&](const char* direction) {
        TPayContent content;
        content.Direction = direction;
        content.FilterMode = "011110000000000";
        content.FilterDateFrom = content.FilterDateTo = today;
        content.EarliestChargeDate = today + 1;
        return content;
    };
    const struct {
        const char* what;
        int parent;
        std::vector<TAct> acts;
        int type;
        TLayoutCheck layout;
        int ints, texts, dates;  // the number of parts in each table
    } cases[] = {
        {"a folder with the first icon",
         0,
         {Kind(&TfCreateObject::RadioButtonFolder)},
         otFolder,
         Layout(0, 80, "d", TFolderContent{}),
         2,
         1,
         0},
        {"a folder with another icon",
         11,
         {Kind(&TfCreateObject::RadioButtonFolder), kFolderIcon3},
         otFolder,
         Layout(11, 86, "d", TFolderContent{}),
         2,
         1,
         0},
        // The picker counts only for a folder.
        {"a table",
         11,
         {kFolderIcon3, Kind(&TfCreateObject::RadioButtonTable)},
         otTable,
         Layout(11, 16, "d", TTableContent{}),
         3,
         1,
         0},
        {"an image album",
         20,
         {Kind(&TfCreateObject::RadioButtonImages)},
         otImages,
         Layout(20, 18, "d", TImagesContent{}),
         3,
         1,
         0},
        {"a file collection",
         0,
         {Kind(&TfCreateObject::RadioButtonFiles)},
         otFiles,
         Layout(0, 20, "d", TFilesContent{}),
         3,
         1,
         0},
        {"a number",
         11,
         {Kind(&TfCreateObject::RadioButtonNumber)},
         otNumber,
         Layout(11, 22, "d", TNumberContent{}),
         3,
         1,
         0},
        {"a pay out",
         11,
         {Kind(&TfCreateObject::RadioButtonPayOut)},
         otPay,
         Layout(11, 24, "d", pay("O")),
         4,
         3,
         3},
        {"a pay in",
         0,
         {Kind(&TfCreateObject::RadioButtonPayIn)},
         otPay,
         Layout(0, 26, "d", pay("I")),
         4,
         3,
         3},
        // The last kind clicked counts.
        {"a neutral pay",
         11,
         {Kind(&TfCreateObject::RadioButtonPayOut), Kind(&TfCreateObject::RadioButtonPayNeutral)},
         otPay,
         Layout(11, 28, "d", pay("N")),
         4,
         3,
         3},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfCreateObject& create = Open(c.parent);
        Type(create.EditName, QStringLiteral("New"));
        Type(create.EditDescript, QStringLiteral("d"));
        for (const TAct& act : c.acts) act(create);
        ASSERT_TRUE(create.BitBtnOK->isEnabled());
        EXPECT_EQ(create.WriteAddTransaction()->Ready(), ++nTrans);
        create.BtnExit->click();

        EXPECT_EQ(JournalRow(nTrans), "ADD|READY|-1|" + std::to_string(c.type) + "|New|");
        c.layout(nTrans);
        EXPECT_EQ(PartCount("jTrInteger", nTrans), c.ints);
        EXPECT_EQ(PartCount("jTrText", nTrans), c.texts);
        EXPECT_EQ(PartCount("jTrDate", nTrans), c.dates);
        const fs::path folder = fs::path(home) / "jTrFiles" / std::to_string(nTrans);
        EXPECT_EQ(fs::is_directory(folder), c.type == otFiles);
        EXPECT_EQ(fs::is_directory(folder) && fs::is_empty(folder), c.type == otFiles);
    }
    // The pay's counts are I3 and I4, both 0, after the parent and the icon.
    TTransReader parts(nTrans);
    EXPECT_EQ(parts.Int(3), std::optional<int>(0));
    EXPECT_EQ(parts.Int(4), std::optional<int>(0));
}

// Names up to 70 characters reach the journal's row exactly as typed, however odd; the 71st is
// not taken.
TEST_F(CreateObjectTest, NamesOfUpTo70CharactersReachTheJournalExactly) {
    const struct {
        std::string typed, stored;
    } cases[] = {
        {"  \"Flat\" / a\\b", "  \"Flat\" / a\\b"},
        {"it's 'quoted'", "it's 'quoted'"},
        {Letters(70), Letters(70)},
        {Letters(71), Letters(70)},
        {std::string(75, 'x'), std::string(70, 'x')},
    };
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        TfCreateObject& create = Open(11);
        QTest::mouseClick(create.RadioButtonTable, Qt::LeftButton);
        Type(create.EditName, ToQString(c.typed));
        EXPECT_EQ(ToStdString(create.EditName->text()), c.stored);
        ASSERT_EQ(create.WriteAddTransaction()->Ready(), ++nTrans);
        create.BtnExit->click();
        EXPECT_EQ(JournalRow(nTrans), "ADD|READY|-1|20|" + c.stored + "|");
    }
}

TEST_F(CreateObjectTest, ThePopupOffersCreatingUnderARootOrAFolderAndOpensTheDialogWithItsHelp) {
    // The tree: Home, its calendar and journal, Flat, Rent.
    QAction* item = PopupCommand(*window, "CreateObject",
                                 {{0, true}, {1, false}, {2, false}, {3, true}, {4, false}});
    ASSERT_NE(item, nullptr);

    RecordedHelp help(*window);
    window->TreeViewMain->setCurrentItem(window->Nodes().at(3));
    window->PMenuTreePopup();
    QString place;
    QTimer::singleShot(0, [&] {
        auto* open = qobject_cast<TfCreateObject*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        place = open->MemoPlase->toPlainText();
        QTest::keyClick(open, Qt::Key_F1);
        QTest::keyClick(open, Qt::Key_Escape);
    });
    item->trigger();
    EXPECT_EQ(place, QStringLiteral("Home\\Flat"));
    EXPECT_EQ(help.Topics(), std::vector<QString>{QStringLiteral("2010")});
    EXPECT_EQ(JournalRow(1), "<no row>");
}

TEST_F(CreateObjectTest, OKCreatesTheObjectThroughTheJournalAndSelectsIt) {
    const struct {
        const char* what;
        int parent;
        std::vector<TAct> acts;
        std::string name;
        int type, image, idParent;
    } cases[] = {
        {"a folder at top level",
         0,
         {Kind(&TfCreateObject::RadioButtonFolder), kFolderIcon3},
         "Garden",
         otFolder,
         86,
         0},
        {"a pay in a folder",
         11,
         {Kind(&TfCreateObject::RadioButtonPayIn)},
         "Salary",
         otPay,
         26,
         11},
        {"a file collection in a folder two levels down",
         20,
         {Kind(&TfCreateObject::RadioButtonFiles)},
         "Receipts",
         otFiles,
         20,
         20},
    };
    int id = 21;
    int nTrans = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfCreateObject& create = Open(c.parent);
        for (const TAct& act : c.acts) act(create);
        Type(create.EditName, ToQString(c.name));
        Type(create.EditDescript, QStringLiteral("new one"));
        ASSERT_TRUE(create.BitBtnOK->isEnabled());
        window->fChoice->Rebuild = false;
        create.BitBtnOK->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog.isNull());
        EXPECT_TRUE(window->fChoice->Rebuild);  // the tree chooser shows the new object too

        ++id;
        ++nTrans;
        EXPECT_EQ(JournalRow(nTrans), "ADD|APPLY|" + std::to_string(id) + "|" +
                                          std::to_string(c.type) + "|" + c.name + "|");
        EXPECT_EQ(ObjectField(home, id, "Name"), c.name);
        EXPECT_EQ(ObjectField(home, id, "Type"), std::to_string(c.type));
        EXPECT_EQ(ObjectField(home, id, "Image"), std::to_string(c.image));
        EXPECT_EQ(ObjectField(home, id, "IDParent"), std::to_string(c.idParent));
        EXPECT_EQ(ObjectField(home, id, "Descript"), "new one");
        EXPECT_EQ(ObjectField(home, id, "Expanded"), "N");
        EXPECT_EQ(window->State().IDObject, id);
        EXPECT_EQ(SelectedText(), c.name);
        EXPECT_EQ(window->TreeViewMain->focusWidget(), window->TreeViewMain);
    }
    EXPECT_TRUE(messages.Calls().empty());
}

// Mend: an object that could not be written was lost, the dialog left open with every input
// disabled. The dialog stays open with what was typed; OK once the cause is gone creates the
// object once.
TEST_F(CreateObjectTest, AnObjectThatCannotBeWrittenStaysInTheOpenDialog) {
    TfCreateObject& create = Open(11);
    window->SaveTreeState();  // as OK does first
    const std::string before = DumpBudget(home, TDumpScope::WithoutJournal);
    QTest::mouseClick(create.RadioButtonPayIn, Qt::LeftButton);
    Type(create.EditName, QStringLiteral("Salary"));
    Type(create.EditDescript, QStringLiteral("new one"));
    {
        FailingKind failing({"ADD", otPay}, DiskFull);
        create.BitBtnOK->click();
        QCoreApplication::processEvents();
    }
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(create.isVisible());
    EXPECT_TRUE(create.RadioButtonPayIn->isChecked());
    EXPECT_EQ(create.EditName->text(), QStringLiteral("Salary"));
    EXPECT_EQ(create.EditDescript->text(), QStringLiteral("new one"));
    for (QWidget* input : std::initializer_list<QWidget*>{create.RadioButtonPayIn, create.EditName,
                                                          create.EditDescript, create.BitBtnOK,
                                                          create.BtnExit})
        EXPECT_TRUE(input->isEnabled()) << ToStdString(input->objectName());
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_NE(messages.Texts()[0].find("database or disk is full"), std::string::npos);
    EXPECT_EQ(DumpBudget(home, TDumpScope::WithoutJournal), before);
    EXPECT_EQ(window->State().IDObject, 11);

    create.BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(ObjectField(home, 22, "Name"), "Salary");
    EXPECT_EQ(ObjectField(home, 23, "Name"), "<no row>");
    EXPECT_EQ(SelectedText(), "Salary");
    EXPECT_EQ(messages.Calls().size(), 1u);
}

// The transaction folder of a file collection cannot be made: the main window's fatal report,
// and nothing of the preparation stays or is applied. The report ends every message loop of the
// process (a modal dialog opened later would close at once): this test comes last.
TEST_F(CreateObjectTest, AFileCollectionWhoseFolderCannotBeMadeIsReportedAndNotWritten) {
    fs::remove_all(fs::path(home) / "jTrFiles");
    std::ofstream(fs::path(home) / "jTrFiles") << "in the way";
    TfCreateObject& create = Open(0);
    QTest::mouseClick(create.RadioButtonFiles, Qt::LeftButton);
    Type(create.EditName, QStringLiteral("Papers"));
    create.BitBtnOK->click();
    QCoreApplication::processEvents();

    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("Fatal error ! Unable to create directory.", 0), 0u);
    EXPECT_TRUE(window->State().FatalClose);
    EXPECT_EQ(JournalRow(1), "<no row>");
    EXPECT_EQ(PartCount("jTrInteger", 1), 0);
    EXPECT_TRUE(dialog.isNull());
}

// A place of long names wraps onto as many lines as it needs: the memo and the dialog grow, so
// that neither the path nor the description below it scrolls.
TEST_F(CreateObjectTest, ThePlaceShowsWholeHoweverDeep) {
    const std::string room = "Wohnzimmer, Schlafzimmer und Kueche der Dachgeschosswohnung";
    AddObject(home, 30, 21, otFolder, 88, room + " A");
    AddObject(home, 31, 30, otFolder, 88, room + " B");
    AddObject(home, 32, 31, otFolder, 88, room + " C");
    window->RebuildTree();
    const struct {
        int id;
        bool taller;  // than the dialog at its default size
    } cases[] = {{0, false}, {30, false}, {32, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        TfCreateObject& create = Open(c.id);
        EXPECT_EQ(create.MemoPlase->verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(create.MemoDescript->verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(create.height() > 560, c.taller);
        create.BtnExit->click();
        QCoreApplication::processEvents();
    }
}
