// The delete-object dialog in the real main window: the refusals with their blinking header, the
// typed "YES", the help, the popup that opens it, deleting through the journal and undoing it,
// and a file that cannot be saved.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>

#include "PopupCommand.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "shell/BudgetsFixture.h"
#include "shell/JournalKinds.h"
#include "shell/ShellOpen.h"
#include "store/TransKind.h"
#include "store/Utransactions.h"
#include "tree/U_fdelobject.h"

namespace fs = std::filesystem;

namespace {

const QColor kRed(255, 0, 0);

using TValues = std::vector<std::pair<const char*, TFieldValue>>;

// The budgets of the main window's tests: Home with Flat (Rent, Meter, Power), Car (Papers) and
// Empty at its top level.
class DelObjectTest : public BudgetsFixture {
protected:
    DelObjectTest() {
        RegisterJournalKinds();
        Start();
    }

    void Add(const char* table, const TValues& values) const {
        TTable rows;
        rows.SetDatabaseName(home);
        rows.SetTableName(table);
        rows.Open();
        rows.Append();
        for (const auto& [field, value] : values) rows.FieldByName(field).SetValue(value);
        rows.Post();
    }
    // An algorithm `id` with one initial datum per source, owned by a number item of `owner`
    // (0: owned by nothing).
    void AddAlgorithm(int id, int owner, const std::vector<int>& sources) const {
        Add("Algorithms", {{"ID", id}, {"IDParent", owner}, {"Name", "alg"}, {"Valid", 1}});
        int n = 0;
        for (const int source : sources)
            Add("AlgExtData", {{"IDAlg", id},
                               {"Ni", ++n},
                               {"IDObject", source},
                               {"TypeObject", 50},
                               {"Name", "I00" + std::to_string(n)}});
        if (owner != 0)
            Add("Numbers",
                {{"ID", owner}, {"DateBegin", 45000.0}, {"ItemType", "A"}, {"IDAlg", id}});
    }

    // Selects the object and opens the dialog on it, not modally, as the user sees it.
    TfDelObject& Open(int id) {
        window->SelectObject(id, home);
        dialog = new TfDelObject(*window);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QCoreApplication::processEvents();
        return *dialog;
    }
    // Types the text as a user does (the keys of the test library know only ASCII; other
    // letters are put in as an input method does).
    void Type(const QString& text) {
        dialog->EditYes->clear();
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(dialog->EditYes, c.toLatin1());
            else
                dialog->EditYes->insert(QString(c));
        }
    }
    int JournalRows() const {
        TTable rows;
        rows.SetDatabaseName(home);
        rows.SetTableName("jTrans");
        rows.SetReadOnly(true);
        rows.Open();
        return rows.RecordCount();
    }
    std::string SelectedText() const {
        const QTreeWidgetItem* item = window->TreeViewMain->currentItem();
        return item ? ToStdString(item->text(0)) : "<none>";
    }
    bool InTree(const std::string& name) const {
        for (const QTreeWidgetItem* node : window->Nodes())
            if (ToStdString(node->text(0)) == name) return true;
        return false;
    }
    QColor HeaderColour() const {
        return dialog->LabelHeader->palette().color(QPalette::WindowText);
    }

    QPointer<TfDelObject> dialog;
};

}  // namespace

TEST_F(DelObjectTest, ShowsTheObjectAndWaitsForYes) {
    TfDelObject& del = Open(12);
    EXPECT_EQ(del.LabelHeader->text(), QStringLiteral("Delete the object"));
    EXPECT_EQ(del.LabelName->text(), QStringLiteral("Rent"));
    EXPECT_EQ(del.LabelDescript->text(), QStringLiteral("Monthly rent"));
    EXPECT_TRUE(del.MemoDescript->toPlainText().startsWith(QStringLiteral("Type the word YES")));
    EXPECT_FALSE(del.Image1->pixmap().isNull());
    EXPECT_FALSE(del.HasChildren || del.InUse);
    EXPECT_FALSE(del.Blink.Timer1->isActive());
    EXPECT_NE(HeaderColour(), kRed);
    EXPECT_FALSE(del.BitBtnOK->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), del.EditYes);

    const struct {
        QString typed, shown;
        bool ok;
    } cases[] = {
        {"yes", "YES", true},
        {"yEs", "YES", true},
        {" YES", " YES", false},
        {"YES ", "YES ", false},
        {"YESS", "YESS", false},
        {"YE", "YE", false},
        {"y\u00e9s", "Y\u00e9S", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Type(c.typed);
        EXPECT_EQ(del.EditYes->text(), c.shown);
        EXPECT_EQ(del.EditYes->cursorPosition(), c.shown.size());
        EXPECT_EQ(del.BitBtnOK->isEnabled(), c.ok);
    }
    Type(QStringLiteral("YES"));
    QTest::keyClick(del.EditYes, Qt::Key_Backspace);
    EXPECT_FALSE(del.BitBtnOK->isEnabled());
    del.BtnExit->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(JournalRows(), 0);
}

// The refusals: children, and a number or pay that another object's algorithm takes as an
// initial datum (one line per datum, duplicates kept; an algorithm nothing owns gives "> ").
TEST_F(DelObjectTest, RefusesAnObjectWithChildrenOrInUseAndSaysWhy) {
    AddObject(home, 30, 0, otNumber, 22, "Gas");
    AddObject(home, 31, 0, otNumber, 22, "Water");
    AddObject(home, 32, 31, otNumber, 22, "Below water");
    AddAlgorithm(1, 15, {30, 30});  // Meter's algorithm uses Gas twice
    AddAlgorithm(2, 30, {30});      // Gas's own algorithm uses Gas
    AddAlgorithm(3, 15, {31});      // Meter's algorithm uses Water
    AddAlgorithm(4, 0, {31});       // an algorithm nothing owns uses Water
    AddAlgorithm(5, 15, {12});      // a table is never tested for use
    window->RebuildTree();
    const QString intro = QStringLiteral("The object cannot be deleted now.\n\n");
    const QString children =
        QStringLiteral("It still holds other objects. Delete or move them first.");
    const QString users =
        QStringLiteral("Its values are initial data of the algorithms of these objects:");
    const struct {
        int id;
        bool refused;
        QString memo;
    } cases[] = {
        {11, true, intro + children},
        {30, true, intro + users + "\n> Meter\n> Meter"},
        {31, true, intro + children + "\n" + users + "\n> Meter\n> "},
        {15, false, {}},
        {12, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        TfDelObject& del = Open(c.id);
        EXPECT_EQ(del.HasChildren || del.InUse, c.refused);
        if (c.refused) {
            EXPECT_EQ(del.LabelHeader->text(), QStringLiteral("This object cannot be deleted"));
            EXPECT_EQ(del.MemoDescript->toPlainText(), c.memo);
            EXPECT_TRUE(del.Blink.Timer1->isActive());
            EXPECT_EQ(del.Blink.Timer1->interval(), 100);
        }
        Type(QStringLiteral("YES"));
        EXPECT_EQ(del.BitBtnOK->isEnabled(), !c.refused);
        del.BtnExit->click();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(JournalRows(), 0);
}

// The refused header changes colour at each of 7 ticks and ends red; a screenshot shows it.
TEST_F(DelObjectTest, TheRefusedHeaderBlinksSevenTicksAndStaysRed) {
    TfDelObject& del = Open(11);
    ASSERT_TRUE(del.Blink.Timer1->isActive());
    EXPECT_EQ(HeaderColour(), kRed);
    QColor last = HeaderColour();
    for (int tick = 1; tick <= 7; ++tick) {
        del.Blink.Timer1Timer();
        if (tick < 7) {
            EXPECT_NE(HeaderColour(), last) << tick;
        }
        last = HeaderColour();
    }
    EXPECT_FALSE(del.Blink.Timer1->isActive());
    EXPECT_EQ(HeaderColour(), kRed);

    const QPixmap shot = del.grab();
    ASSERT_TRUE(shot.save(QStringLiteral("/tmp/vemly-delobject-refusal.png")));
    const QImage header = shot.toImage().copy(
        QRect(del.LabelHeader->mapTo(&del, QPoint(0, 0)), del.LabelHeader->size()));
    int red = 0;
    for (int y = 0; y < header.height(); ++y)
        for (int x = 0; x < header.width(); ++x) {
            const QColor pixel = header.pixelColor(x, y);
            red += pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80;
        }
    EXPECT_GT(red, 20);
    del.BtnExit->click();
}

// The popup's Delete opens the dialog for an object only; F1 and "?" show help topic 2040; OK
// deletes through the journal and selects the parent; the undo brings the object back in its
// place.
TEST_F(DelObjectTest, FromThePopupOKDeletesAndTheUndoBringsTheObjectBack) {
    Add("Tables", {{"ID", 12}, {"NRow", 1}, {"NameRow", "rent"}, {"ValueRow", "500"}});
    // The tree: Home, its calendar and journal, Flat, Rent (a root's Delete opens the
    // delete-budget dialog).
    QAction* item =
        PopupCommand(*window, "Delete", {{0, true}, {1, false}, {2, false}, {3, true}, {4, true}});
    ASSERT_NE(item, nullptr);

    RecordedHelp help(*window);
    window->TreeViewMain->setCurrentItem(window->Nodes().at(4));
    QString name;
    QTimer::singleShot(0, [&] {
        auto* open = qobject_cast<TfDelObject*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        name = open->LabelName->text();
        QTest::keyClick(open, Qt::Key_F1);
        open->ButtonHelp->click();
        QTest::keyClicks(open->EditYes, QStringLiteral("yes"));
        open->BitBtnOK->click();
    });
    item->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(name, QStringLiteral("Rent"));
    EXPECT_EQ(help.Topics(),
              (std::vector<QString>{QStringLiteral("2040"), QStringLiteral("2040")}));

    EXPECT_FALSE(InTree("Rent"));
    EXPECT_EQ(SelectedText(), "Flat");
    EXPECT_EQ(window->State().IDObject, 11);
    EXPECT_EQ(ObjectField(home, 12, "Name"), "<no row>");
    EXPECT_EQ(JournalRows(), 1);

    {
        TBudgetTransaction transaction(home);
        const TTransRow row{1, "DEL", 12, otTable, "Rent"};
        TStep step{row, transaction.Files()};
        ASSERT_EQ(TransKinds().Undo(step), std::optional<int>(12));
        transaction.Commit();
    }
    window->RebuildTree();
    ASSERT_EQ(window->SelectObject(12, home), 1);
    EXPECT_EQ(SelectedText(), "Rent");
    EXPECT_EQ(ToStdString(window->TreeViewMain->currentItem()->parent()->text(0)), "Flat");
    EXPECT_EQ(ObjectField(home, 12, "Image"), "16");
    EXPECT_TRUE(messages.Calls().empty());
}

// An object at the top level: its parent 0 is the budget's root in the main window's lookup
// rule, which is selected afterwards.
TEST_F(DelObjectTest, DeletingATopLevelObjectSelectsTheBudgetRoot) {
    TfDelObject& del = Open(17);
    Type(QStringLiteral("YES"));
    del.BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_FALSE(InTree("Empty"));
    EXPECT_EQ(SelectedText(), "Home");
    EXPECT_EQ(window->State().IDObject, 0);
}

// A file of the collection that cannot be saved for undo: an error naming it, nothing deleted.
TEST_F(DelObjectTest, AFileThatCannotBeSavedIsNamedAndNothingIsDeleted) {
    const std::string pipe = home + "/Files/DIR14/a pipe";
    fs::create_directories(home + "/Files/DIR14");
    std::ofstream(home + "/Files/DIR14/letter.txt") << "kept";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    TfDelObject& del = Open(14);
    Type(QStringLiteral("YES"));
    del.BitBtnOK->click();
    QCoreApplication::processEvents();

    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find(pipe), std::string::npos);
    EXPECT_EQ(messages.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(JournalRows(), 0);
    EXPECT_FALSE(fs::exists(home + "/jTrFiles/1"));
    EXPECT_TRUE(InTree("Papers"));
    EXPECT_TRUE(fs::exists(home + "/Files/DIR14/letter.txt"));
    EXPECT_FALSE(window->State().FatalClose);
}
