// The create-budget dialog in the real main window: when OK is allowed and which warning shows,
// the folder that follows the name, the folder picker and the key filter, the warning's blink,
// and the budget it makes (folder, VLBudget.ini, budget list row, selected root) or the errors.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "../shell/MainWindowFixture.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "shell/ShellOpen.h"
#include "tree/U_fcreatebudget.h"

namespace fs = std::filesystem;

namespace {

std::string Text(const QLineEdit* edit) {
    return ToStdString(edit->text());
}
std::string Text(const QLabel* label) {
    return ToStdString(label->text());
}

// The shipped English texts of the dialog.
const std::string kWarnFExist = "This folder already exists. Choose another name or folder.";
const std::string kWarnBExist = "A budget with this folder is already in the list of budgets.";

// Every file and folder below the folder, with a hash of each file's bytes.
std::map<std::string, size_t> Listing(const std::string& folder) {
    std::map<std::string, size_t> listing;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (name.ends_with("-wal") || name.ends_with("-shm")) continue;  // an open budget's
        if (entry.is_directory()) {
            listing[name + "/"] = 0;
        } else {
            std::ostringstream bytes;
            bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            listing[name] = std::hash<std::string>{}(bytes.str());
        }
    }
    return listing;
}

// The main window started on folders without budgets, and the dialog opened on it as the menu
// opens it (but not modally, so that the test drives it).
class CreateBudget : public MainWindowTest {
protected:
    CreateBudget() {
        std::ofstream(folders.DataPath() + "LangEN/VemlyHelp.html") << "<html></html>";
        SetUrlOpener([this](const QUrl& url) {
            helpOpened.push_back(url.fragment().toStdString());
            return true;
        });
        SetFolderPicker([this](QWidget*, const QString& caption, const QString& start) {
            pickerCalls.push_back({ToStdString(caption), ToStdString(start)});
            return ToQString(picked);
        });
    }
    ~CreateBudget() override {
        SetFolderPicker({});
        SetUrlOpener({});
    }

    TfCreateBudget& Open() {
        if (!window) Start();
        dialog = new TfCreateBudget(window.get());
        dialog->show();
        return *dialog;
    }

    // Types the text into the edit key by key, as the user does (any letter, unlike
    // QTest::keyClicks).
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &release);
        }
    }
    // Replaces the name as the user does.
    void TypeName(const QString& name) {
        dialog->EditName->setFocus();
        dialog->EditName->selectAll();
        QTest::keyClick(dialog->EditName, Qt::Key_Delete);
        Type(dialog->EditName, name);
    }
    // Pastes the path into the folder edit as the user does.
    void PastePath(const std::string& path) {
        QApplication::clipboard()->setText(ToQString(path));
        dialog->EditPath->setFocus();
        dialog->EditPath->selectAll();
        dialog->EditPath->paste();
    }
    // True when the dialog has closed and freed itself.
    bool Freed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }
    bool OkEnabled() const { return dialog->BitBtnOK->isEnabled(); }

    std::string Users() const { return folders.UsersDataPath(); }

    QPointer<TfCreateBudget> dialog;
    std::vector<std::string> helpOpened;
    std::string picked;  // the picker's answer: "" cancels
    std::vector<std::pair<std::string, std::string>> pickerCalls;  // caption, start folder
};

// OK needs a name, a folder that may be made, and no warning; the warning is looked at only
// once the first two hold.
TEST_F(CreateBudget, OkNeedsANameAUsableFolderAndNoWarning) {
    fs::create_directory(Users() + "Taken");
    std::ofstream(Users() + "AFile");
    // The budget list names folders that are gone, one of them spelt differently.
    AddBudgetRow(1, "Gone", Users() + "Gone");
    AddBudgetRow(2, "Old", Users() + "./Old/");
    const std::string parentLink = folders.Root() + "/link";
    fs::create_directory_symlink(Users(), parentLink);
    struct Case {
        const char* name;
        std::optional<std::string> path;  // pasted after the name; none: it follows the name
        bool ok;
        std::string warning;
    };
    const std::vector<Case> cases = {
        {"", std::nullopt, false, ""},
        {"", Users() + "Taken", false, ""},  // no name: the folder is not checked
        {"Home", std::nullopt, true, ""},
        {"Taken", std::nullopt, false, kWarnFExist},
        {"Home", Users() + "Taken/", false, kWarnFExist},
        {"Home", Users() + "Gone/../Taken", false, kWarnFExist},
        {"Home", "/", false, ""},
        {"Home", "//", false, ""},
        {"Home", Users() + "Missing/Home", false, ""},  // the parent does not exist
        {"Home", Users() + "AFile/Home", false, ""},    // the parent is a file
        {"Home", "Budgets/Home", false, ""},            // relative
        {"Home", "Home", false, ""},
        {"Home", Users() + "Deeper/../Home", true, ""},
        {"Gone", std::nullopt, false, kWarnBExist},
        {"Home", Users() + "Gone/", false, kWarnBExist},
        {"Home", Users() + "x/../Gone", false, kWarnBExist},
        {"Home", parentLink + "/Gone", false, kWarnBExist},  // through a link to its parent
        {"Old", std::nullopt, false, kWarnBExist},
        {"Home", Users() + "Gone2", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " | " + c.path.value_or("(follows)"));
        Open();
        TypeName(QString::fromUtf8(c.name));
        if (c.path) PastePath(*c.path);
        EXPECT_EQ(OkEnabled(), c.ok);
        EXPECT_EQ(Text(dialog->LabelWarning), c.warning);
        dialog->close();
    }
}

// Mend: the budget-exists warning asks the budget list, not whether a folder named like the
// budget exists in the current directory.
TEST_F(CreateBudget, AFolderNamedLikeTheBudgetInTheCurrentDirectoryIsNoWarning) {
    Open();  // the main window works in the program folder
    ASSERT_TRUE(fs::equivalent(fs::current_path(), ProgramDir()));
    fs::create_directory(ProgramDir() + "Home");
    TypeName("Home");
    EXPECT_TRUE(OkEnabled());
    EXPECT_EQ(Text(dialog->LabelWarning), "");
}

// The folder follows the name, with the characters a folder name cannot hold replaced, until the
// user types into it; a picked folder keeps following.
TEST_F(CreateBudget, TheFolderFollowsTheNameUntilTheUserEditsIt) {
    Open();
    TypeName(QStringLiteral("a?b:c/d\\e\"f*g<h>i|j^k ö"));
    EXPECT_EQ(Text(dialog->EditPath), Users() + "a_b_c_d_e_f_g_h_i_j_k ö");
    EXPECT_EQ(Text(dialog->EditName), "a?b:c/d\\e\"f*g<h>i|j^k ö");

    // The picker opens at the folder part and keeps the budget's own folder name.
    fs::create_directory(folders.Root() + "/Elsewhere");
    picked = folders.Root() + "/Elsewhere/";
    TypeName("Home");
    dialog->btnPath->click();
    ASSERT_EQ(pickerCalls.size(), 1U);
    EXPECT_EQ(pickerCalls[0].first, "Choose the folder that will hold the budget's folder");
    EXPECT_EQ(pickerCalls[0].second + "/", Users());
    EXPECT_EQ(Text(dialog->EditPath), folders.Root() + "/Elsewhere/Home");
    EXPECT_TRUE(OkEnabled());
    picked = "";  // cancelled: nothing changes
    dialog->btnPath->click();
    EXPECT_EQ(Text(dialog->EditPath), folders.Root() + "/Elsewhere/Home");
    EXPECT_FALSE(dialog->PathEdited);
    TypeName("Flat");
    EXPECT_EQ(Text(dialog->EditPath), Users() + "Flat");

    // Typing into the folder: the keys a folder name cannot hold are swallowed, and the folder
    // no longer follows the name.
    dialog->EditPath->setFocus();
    dialog->EditPath->end(false);
    Type(dialog->EditPath, QStringLiteral("\"*/:<>?\\^|2"));
    EXPECT_EQ(Text(dialog->EditPath), Users() + "Flat2");
    EXPECT_TRUE(dialog->PathEdited);
    TypeName("House");
    EXPECT_EQ(Text(dialog->EditPath), Users() + "Flat2");
}

// A warning that appears on an empty label blinks 7 ticks, swapping the button face colour and
// red, and ends red; a warning that replaces another does not blink again.
TEST_F(CreateBudget, AWarningBlinksWhenItAppears) {
    fs::create_directory(Users() + "Taken");
    AddBudgetRow(1, "Gone", Users() + "Gone");
    TfCreateBudget& d = Open();
    const auto colour = [&] { return d.LabelWarning->palette().color(QPalette::WindowText); };
    const QColor red(255, 0, 0);
    const QColor face = d.LabelWarning->palette().color(QPalette::Button);
    EXPECT_EQ(colour(), red);
    EXPECT_FALSE(d.Warning.Timer1->isActive());

    TypeName("Taken");
    EXPECT_TRUE(d.Warning.Timer1->isActive());
    EXPECT_EQ(d.Warning.Timer1->interval(), 100);
    std::vector<bool> faceAfterTick;
    for (int tick = 0; tick < 7; ++tick) {
        d.Warning.Timer1Timer();
        faceAfterTick.push_back(colour() == face);
    }
    EXPECT_EQ(faceAfterTick, (std::vector<bool>{true, false, true, false, true, false, false}));
    EXPECT_FALSE(d.Warning.Timer1->isActive());

    // The other warning replaces the first at once: the label held a text, so no new blink.
    QApplication::clipboard()->setText(QStringLiteral("Gone"));
    d.EditName->selectAll();
    d.EditName->paste();
    EXPECT_EQ(Text(d.LabelWarning), kWarnBExist);
    EXPECT_FALSE(d.Warning.Timer1->isActive());
    TypeName("Gon");  // typed key by key: cleared on the way, then raised again
    EXPECT_EQ(Text(d.LabelWarning), "");
    Type(d.EditName, QStringLiteral("e"));
    EXPECT_EQ(Text(d.LabelWarning), kWarnBExist);
    EXPECT_TRUE(d.Warning.Timer1->isActive());
}

// The texts of the shipped language module, the description and the help topic.
TEST_F(CreateBudget, TextsDescriptionAndHelp) {
    TfCreateBudget& d = Open();
    EXPECT_EQ(Text(d.LabelHeader), "Create a new budget");
    EXPECT_EQ(Text(d.LabelName), "Name:");
    EXPECT_EQ(Text(d.LabelPath), "Folder:");
    EXPECT_EQ(ToStdString(d.BitBtnOK->text()), "OK");
    EXPECT_EQ(ToStdString(d.BtnExit->text()), "Cancel");
    EXPECT_EQ(ToStdString(d.ButtonHelp->toolTip()), "Help");
    EXPECT_EQ(ToStdString(d.btnPath->text()), "...");
    EXPECT_TRUE(ToStdString(d.MemoDescript->toPlainText()).starts_with("A budget keeps"));
    EXPECT_TRUE(d.MemoDescript->isReadOnly());
    EXPECT_FALSE(OkEnabled());
    EXPECT_EQ(d.EditName->maxLength(), 70);
    EXPECT_EQ(d.EditDescript->maxLength(), 250);
    EXPECT_EQ(d.EditPath->maxLength(), 250);
    QTest::keyClick(d.EditName, Qt::Key_F1);
    EXPECT_EQ(helpOpened, std::vector<std::string>{"1100"});
    QCoreApplication::processEvents();  // the layout takes the texts in
    d.grab().save(QStringLiteral("/tmp/create-budget-empty.png"));
    TypeName("Home");
    d.grab().save(QStringLiteral("/tmp/create-budget.png"));
    QTest::keyClick(d.EditName, Qt::Key_Escape);
    EXPECT_TRUE(Freed());  // closed and freed, nothing made
    EXPECT_FALSE(fs::exists(Users() + "Home"));
}

// OK makes the folder as a copy of the template, writes the name and description as typed
// into its VLBudget.ini, registers it as a stopped budget and selects its root.
TEST_F(CreateBudget, OkMakesRegistersAndSelectsTheBudget) {
    AddBudgetRow(4, "Other", folders.MakeBudget("Other"), 0, 0, "N");
    std::string cyrillic;
    for (int i = 0; i < 70; ++i) cyrillic += "Ж";
    struct Case {
        std::string name;
        std::string descript;
        std::string folderName;
    };
    const std::vector<Case> cases = {
        {"\"Home\" 'n' \"", "The \"flat\" ", "_Home_ 'n' _"},
        {"  Leading blanks", "", "  Leading blanks"},
        {cyrillic, "  ", cyrillic},
    };
    int id = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TfMain& main = window ? *window : Start();
        Open();
        // The long name is cut at 70 characters.
        TypeName(ToQString(c.name == cyrillic ? c.name + "Жx" : c.name));
        EXPECT_EQ(Text(dialog->EditName), c.name);
        Type(dialog->EditDescript, ToQString(c.descript));
        const std::string folder = Users() + c.folderName;
        EXPECT_EQ(Text(dialog->EditPath), folder);
        ASSERT_TRUE(OkEnabled());
        QTest::keyClick(dialog->EditName, Qt::Key_Return);
        EXPECT_TRUE(Freed());
        EXPECT_TRUE(messages.Texts().empty());

        // The folder is the template with the budget's entries in its VLBudget.ini.
        std::map<std::string, size_t> made = Listing(folder);
        std::map<std::string, size_t> emptyBases = Listing(folders.DataPath() + "EmptyBases");
        const TIniFile ini(folder + "/VLBudget.ini");
        EXPECT_EQ(ini.ReadString("VLBudget", "Name", "<none>"), c.name);
        EXPECT_EQ(ini.ReadString("VLBudget", "Descript", "<none>"), c.descript);
        made.erase("VLBudget.ini");
        emptyBases.erase("VLBudget.ini");
        EXPECT_EQ(made, emptyBases);

        ++id;
        EXPECT_EQ(BudgetField(id, "Name"), c.name);
        EXPECT_EQ(BudgetField(id, "Descript"), c.descript);
        EXPECT_EQ(BudgetField(id, "Path"), folder);
        EXPECT_EQ(BudgetField(id, "State"), "2");
        EXPECT_EQ(BudgetField(id, "Image"), "4");
        EXPECT_EQ(BudgetField(id, "Work"), "3");
        EXPECT_EQ(BudgetField(id, "Expanded"), "N");

        // Its root is selected: the budget is open, stopped.
        const int selected = main.SelectedIndex();
        ASSERT_GE(selected, 0);
        EXPECT_TRUE(main.Nodes()[selected]->IsRoot());
        EXPECT_EQ(ToStdString(main.Nodes()[selected]->text(0)), c.name);
        EXPECT_EQ(main.State().BudgetPath, folder);
        EXPECT_EQ(main.State().IDBudget, id);
        EXPECT_EQ(main.State().TypeObject, 0);
        EXPECT_EQ(main.State().BudgetState, 2);
    }
}

// Mend: when the template cannot be copied, the folder the dialog made goes again, and the
// dialog stays open with what was typed; OK once the template is back makes the budget once.
TEST_F(CreateBudget, AFailedTemplateCopyRemovesTheNewFolderAndKeepsTheDialog) {
    const std::string emptyBases = folders.DataPath() + "EmptyBases";
    fs::rename(emptyBases, emptyBases + ".away");
    Open();
    TypeName("Home");
    dialog->EditDescript->setText(QStringLiteral("our flat"));
    ASSERT_TRUE(OkEnabled());
    dialog->BitBtnOK->click();
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_EQ(messages.Calls()[0].Text, "ERROR: Unable to copy empty bases.");
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(messages.Calls()[0].Buttons, static_cast<TMsgDlgButtons>(mbOK));
    ASSERT_FALSE(Freed());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->EditName->text(), QStringLiteral("Home"));
    EXPECT_EQ(dialog->EditDescript->text(), QStringLiteral("our flat"));
    EXPECT_TRUE(dialog->EditName->isEnabled());
    EXPECT_TRUE(OkEnabled());
    EXPECT_FALSE(fs::exists(Users() + "Home"));
    EXPECT_EQ(BudgetField(1, "Path"), "<no row>");

    fs::rename(emptyBases + ".away", emptyBases);
    dialog->BitBtnOK->click();
    EXPECT_EQ(messages.Calls().size(), 1U);
    EXPECT_TRUE(Freed());
    EXPECT_TRUE(fs::exists(Users() + "Home/VLBudget.ini"));
    EXPECT_EQ(BudgetField(1, "Descript"), "our flat");
    EXPECT_EQ(BudgetField(2, "Path"), "<no row>");
}

// A folder that cannot be made (here: it appeared after the check) is an error, a folder that
// was there before is left as it was, and the dialog stays open with what was typed.
TEST_F(CreateBudget, AFolderThatCannotBeMadeIsAnErrorAndNothingIsWritten) {
    Open();
    TypeName("Home");
    ASSERT_TRUE(OkEnabled());
    fs::create_directory(Users() + "Home");
    std::ofstream(Users() + "Home/keep.txt") << "mine";
    dialog->BitBtnOK->click();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR: Unable to create folder !"});
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    ASSERT_FALSE(Freed());
    EXPECT_EQ(dialog->EditName->text(), QStringLiteral("Home"));
    EXPECT_EQ(Listing(Users() + "Home"),
              (std::map<std::string, size_t>{{"keep.txt", std::hash<std::string>{}("mine")}}));
    EXPECT_EQ(BudgetField(1, "Path"), "<no row>");
    dialog->BtnExit->click();
    EXPECT_TRUE(Freed());
}

// The main menu's command opens the dialog modally.
TEST_F(CreateBudget, TheMenuCommandOpensTheDialog) {
    TfMain& main = Start();
    QAction* command = main.menuBar()->findChild<QAction*>(QStringLiteral("CreateBudget"));
    ASSERT_TRUE(command->isEnabled());
    bool seen = false;
    QPointer<TfCreateBudget> shown;
    QTimer::singleShot(0, [&] {
        shown = qobject_cast<TfCreateBudget*>(QApplication::activeModalWidget());
        seen = shown != nullptr;
        if (seen) shown->BtnExit->click();
    });
    command->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(shown.isNull());  // closed and freed
    EXPECT_EQ(main.findChildren<TfCreateBudget*>().size(), 0);
}

}  // namespace
