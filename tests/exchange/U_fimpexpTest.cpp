// The export and import dialog in the real main window: the popup that opens it, the phase
// lines of an export, a branch whose data lie outside it in red, the question before replacing
// an archive, an import through the journal with its undo and redo, a refused archive, and the
// Stop of an import's check.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <system_error>

#include "../tree/PopupCommand.h"
#include "ExchangeFixture.h"
#include "common/AppendRow.h"
#include "common/BudgetDump.h"
#include "exchange/ArchivePicker.h"
#include "exchange/U_fimpexp.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "shell/BudgetsFixture.h"
#include "shell/JournalKinds.h"
#include "store/TransKind.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

// Saves what the dialog shows for a look at it.
void Screenshot(QWidget& widget, const std::string& name) {
    const char* folder = std::getenv("VEMLY_SCREENSHOTS");
    if (!folder) return;
    fs::create_directories(folder);
    widget.grab().save(QString::fromStdString(std::string(folder) + "/" + name + ".png"));
}

class ImpExpTest : public BudgetsFixture {
protected:
    ImpExpTest() {
        RegisterJournalKinds();
        Start();
    }
    ~ImpExpTest() override { SetArchivePicker({}); }

    // Selects the node and opens the dialog in the mode, not modally, as the user sees it.
    TfImpExp& Open(int id, const std::string& folder, char mode) {
        window->SelectObject(id, folder);
        dialog = new TfImpExp(*window, mode);
        dialog->show();
        QCoreApplication::processEvents();
        return *dialog;
    }
    QStringList MemoLines() const { return dialog->MemoProcess->toPlainText().split(u'\n'); }
    QColor MemoColour() const { return dialog->MemoProcess->palette().color(QPalette::Text); }
    int JournalRows(const std::string& folder) const {
        TTable rows;
        rows.SetDatabaseName(folder);
        rows.SetTableName("jTrans");
        rows.SetReadOnly(true);
        rows.Open();
        return rows.RecordCount();
    }
    bool InTree(const std::string& name) const {
        for (const QTreeWidgetItem* node : window->Nodes())
            if (ToStdString(node->text(0)) == name) return true;
        return false;
    }

    // Makes the Car's archive (the Car and its collection Papers, which holds more than the
    // listing reads between two looks at the window) and has it unpacked by a script that
    // leaves "started" and "unpacked" in `marks` and, while `marks` holds "hold", does not end
    // once it has unpacked. Returns the archive.
    std::string LargeCarArchive() {
        WriteFile(home + "/Files/DIR14/big.bin", std::string(6 << 20, 'v'));
        const std::string archive = CarArchive();
        const std::string script = folders.Root() + "/unpack.sh";
        WriteFile(script,
                  "touch \"$3/started\"\n"
                  "tar -xzf \"$1\" -C \"$2\" || exit 1\n"
                  "touch \"$3/unpacked\"\n"
                  "if [ -e \"$3/hold\" ]; then exec sleep 120; fi\n");
        fs::create_directories(marks);
        WriteIni(
            "Backup", "RecoveryCommand",
            "sh " + CommandWord(script) + " \"[ArcName]\" \"[DestPath]\" " + CommandWord(marks));
        return archive;
    }
    // Exports the Car (13) with its collection Papers into car.vlexport; the archive.
    std::string CarArchive() {
        const std::string archive = folders.Root() + "/car.vlexport";
        window->SelectObject(13, home);
        EXPECT_TRUE(BuildBranchSet(13));
        const bool stop = false;
        EXPECT_EQ(PackBranchSet(archive, nullptr, stop), TPackResult::Done);
        return archive;
    }
    bool Marked(const char* name) const { return fs::exists(marks + "/" + name); }

    // Presses the dialog's Stop, enabled or not, the first time `pressWhen` holds while the
    // dialog runs (the timer fires whenever the run lets events through).
    void PressStopWhen(std::function<bool()> when) {
        pressWhen = std::move(when);
        pressed.reset();
        presser.setInterval(0);
        presser.callOnTimeout(&presser, [this] {
            if (pressed || !dialog || !pressWhen || !pressWhen()) return;
            pressed = dialog->BitBtnStop->isEnabled();
            if (*pressed) Screenshot(*dialog, "import-stop");
            dialog->BitBtnStop->click();
        });
        presser.start();
    }
    void StopPressing() {
        presser.stop();
        presser.disconnect();
    }

    QPointer<TfImpExp> dialog;
    const std::string marks = folders.Root() + "/marks";
    QTimer presser;
    std::function<bool()> pressWhen;
    std::optional<bool> pressed;  // whether Stop was enabled when it was pressed
    std::optional<bool> shownAfterClose;
};

TEST_F(ImpExpTest, ThePopupOffersExportOnObjectsAndImportOnRootsAndFolders) {
    // Home, its calendar and journal, Flat, Rent.
    PopupCommand(*window, "Export", {{0, false}, {1, false}, {2, false}, {3, true}, {4, true}});
    PopupCommand(*window, "Import", {{0, true}, {1, false}, {2, false}, {3, true}, {4, false}});
}

TEST_F(ImpExpTest, ExportShowsThreePhasesAndImportGoesThroughTheJournal) {
    RecordedHelp help(*window);
    QAction* exportItem = PopupCommand(*window, "Export", {{3, true}});
    ASSERT_NE(exportItem, nullptr);
    const std::string archive = window->State().ExportPath + "/Flat.vlexport";
    fs::remove(archive);
    QStringList lines;
    QString shownName;
    QTimer::singleShot(0, [&] {
        auto* open = qobject_cast<TfImpExp*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        dialog = open;
        shownName = open->EditArcFile->text();
        EXPECT_FALSE(open->BitBtnStop->isVisible()) << "an export has no Stop";
        QTest::keyClick(open, Qt::Key_F1);
        Screenshot(*open, "export-before");
        open->BitBtnOK->click();
    });
    exportItem->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(ToStdString(shownName), archive);
    EXPECT_TRUE(dialog.isNull()) << "a finished run closes the dialog";
    EXPECT_TRUE(fs::file_size(archive) > 0);
    EXPECT_EQ(help.Topics(), std::vector<QString>{QStringLiteral("2050")});
    EXPECT_EQ(JournalRows(home), 0) << "the export writes no transaction";

    // Into the Shed of the other budget, picked in the open dialog.
    SetArchivePicker([&](QWidget*, const TArchivePick& pick) {
        EXPECT_FALSE(pick.Save);
        return QString::fromStdString(archive);
    });
    TfImpExp& import = Open(2, cottage, 'I');
    EXPECT_FALSE(import.BitBtnOK->isEnabled());
    EXPECT_EQ(import.LabelBranchName->text(), QStringLiteral("Import under: Shed"));
    import.BitBtnSource->click();
    EXPECT_TRUE(import.BitBtnOK->isEnabled());
    Screenshot(import, "import-before");
    import.BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(JournalRows(cottage), 1);
    // Flat (now 11, after the calendar and journal nodes 9 and 10) went under the Shed (2)
    // with Rent, Meter and Power.
    EXPECT_EQ(ObjectField(cottage, 11, "Name"), "Flat");
    EXPECT_EQ(ObjectField(cottage, 11, "IDParent"), "2");
    for (int id : {12, 13, 14}) EXPECT_EQ(ObjectField(cottage, id, "IDParent"), "11") << id;
    TTable trans;
    trans.SetDatabaseName(cottage);
    trans.SetTableName("jTrans");
    trans.Open();
    EXPECT_EQ(trans.FieldByName("Act").AsString(), "IMP");
    EXPECT_EQ(trans.FieldByName("Status").AsString(), "APPLY");
    EXPECT_EQ(trans.FieldByName("IDObject").AsInteger(), 2);
    EXPECT_EQ(trans.FieldByName("Type").AsInteger(), 10);
    EXPECT_EQ(trans.FieldByName("NameObject").AsString(), "Import under: Shed");
    const int nTrans = trans.FieldByName("NTrans").AsInteger();
    trans.Close();
    EXPECT_EQ(ToStdString(window->TreeViewMain->currentItem()->text(0)), "Shed");

    // Undo and redo as the journal view's runs do them.
    const TTransRow row{nTrans, "IMP", 2, 10, "Import under: Shed"};
    for (const bool undo : {true, false}) {
        TBudgetTransaction transaction(cottage);
        TStep step{row, transaction.Files()};
        EXPECT_EQ(TransKinds().Step(step, undo), std::optional<int>(undo ? 0 : 2));
        transaction.Commit();
        EXPECT_EQ(ObjectField(cottage, 11, "Name"), undo ? "<no row>" : "Flat");
    }
    EXPECT_TRUE(messages.Calls().empty());
}

TEST_F(ImpExpTest, ABranchReadingDataOutsideItIsListedInRed) {
    AppendRow(home, "Algorithms", {{"ID", 1}, {"IDParent", 15}, {"Name", "alg"}, {"Valid", 1}});
    AppendRow(home, "AlgExtData",
              {{"IDAlg", 1}, {"Ni", 1}, {"IDObject", 14}, {"TypeObject", 50}, {"Name", "I001"}});
    AppendRow(home, "Numbers",
              {{"ID", 15}, {"DateBegin", 45000.0}, {"ItemType", "A"}, {"IDAlg", 1}});
    TfImpExp& exp = Open(11, home, 'E');
    fs::remove(ToStdString(exp.EditArcFile->text()));
    exp.BitBtnOK->click();
    QCoreApplication::processEvents();
    ASSERT_FALSE(dialog.isNull()) << "the dialog stays open";
    EXPECT_EQ(MemoLines(), (QStringList{
                               QStringLiteral("1) Checking the branch's data... ERROR"),
                               QString::fromStdString(exp.Phase1_DETAILED_ERROR),
                               QStringLiteral("> Meter"),
                           }));
    EXPECT_EQ(MemoColour(), QColor(255, 0, 0));
    EXPECT_FALSE(exp.BitBtnOK->isEnabled());
    EXPECT_TRUE(exp.BtnExit->isEnabled());
    EXPECT_FALSE(fs::exists(ToStdString(exp.EditArcFile->text())));
    Screenshot(exp, "export-refused");
    exp.BtnExit->click();
}

TEST_F(ImpExpTest, AnExistingArchiveIsReplacedOnlyAfterYes) {
    struct Case {
        int answer;
        bool replaced;
    } cases[] = {{mrNo, false}, {mrCancel, false}, {mrYes, true}};
    for (const Case& c : cases) {
        ScopedMessageDlg answers(c.answer);
        TfImpExp& exp = Open(12, home, 'E');
        const std::string archive = ToStdString(exp.EditArcFile->text());
        const std::string question = exp.ReplaceQ;
        std::ofstream(archive) << "old";
        exp.BitBtnOK->click();
        QCoreApplication::processEvents();
        ASSERT_EQ(answers.Texts(), std::vector<std::string>{question});
        EXPECT_EQ(fs::file_size(archive) != 3, c.replaced) << c.answer;
        if (!c.replaced) {
            ASSERT_FALSE(dialog.isNull());
            EXPECT_TRUE(exp.BitBtnOK->isEnabled());
            EXPECT_TRUE(exp.EditArcFile->isEnabled());
            EXPECT_TRUE(exp.MemoProcess->toPlainText().isEmpty());
            exp.BtnExit->click();
        } else {
            EXPECT_TRUE(dialog.isNull());
        }
    }
}

TEST_F(ImpExpTest, AMissingArchiverIsAnErrorLine) {
    WriteIni("Backup", "BackupCommand", "");
    TfImpExp& exp = Open(12, home, 'E');
    const std::string archive = ToStdString(exp.EditArcFile->text());
    fs::remove(archive);
    exp.BitBtnOK->click();
    QCoreApplication::processEvents();
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(MemoLines().last(), QString::fromStdString(exp.Phase3 + " " + exp.NoBackupCommand));
    EXPECT_EQ(MemoColour(), QColor(255, 0, 0));
    EXPECT_FALSE(fs::exists(archive));
    exp.BtnExit->click();
}

TEST_F(ImpExpTest, ARefusedArchiveIsNamedAndNothingIsWritten) {
    const std::string archive = folders.Root() + "/evil.vlexport";
    WriteTar(archive, {{"../escape", AE_IFREG, "x"}});
    TfImpExp& import = Open(0, home, 'I');
    import.EditArcFile->setText(QString::fromStdString(archive));
    ASSERT_TRUE(import.BitBtnOK->isEnabled());
    import.BitBtnOK->click();
    QCoreApplication::processEvents();
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(MemoLines(), (QStringList{
                               QStringLiteral("1) Checking the archive... ERROR"),
                               QStringLiteral("The archive holds an entry that leads out of its "
                                              "folder:"),
                               QStringLiteral("> ../escape"),
                           }));
    EXPECT_EQ(MemoColour(), QColor(255, 0, 0));
    EXPECT_FALSE(import.BitBtnStop->isEnabled());
    EXPECT_EQ(JournalRows(home), 0);
    EXPECT_FALSE(fs::exists(folders.Root() + "/escape"));
    Screenshot(import, "import-refused");
    import.BtnExit->click();
}

// An archive whose object has the ID "abc", which once threw out of the check and left the
// dialog stuck "in process": it is refused with the field named, the temp folder is left empty,
// and the dialog, closed and opened again, imports the sound archive.
TEST_F(ImpExpTest, AValueTheProgramNeverWritesIsRefusedAndTheDialogStaysUsable) {
    const std::string good = CarArchive();
    const std::string exported = folders.Root() + "/exported";
    Untar(good, exported);
    const std::string crafted = folders.Root() + "/abc.vlexport";
    Repack(
        exported, folders.Root() + "/abc",
        [](const fs::path& set) {
            Sql(set / kTablesFileName, "UPDATE Objects SET ID = 'abc' WHERE ID = 13");
        },
        crafted);

    TfImpExp& refused = Open(2, cottage, 'I');
    refused.EditArcFile->setText(QString::fromStdString(crafted));
    refused.BitBtnOK->click();
    QCoreApplication::processEvents();
    ASSERT_FALSE(dialog.isNull());
    const QStringList lines = MemoLines();
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("1) Checking the archive... ERROR"));
    EXPECT_EQ(lines[1],
              QStringLiteral("The archive's tables hold a value this program never writes:"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("> Objects, row "))) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(", field ID"))) << lines[2].toStdString();
    EXPECT_FALSE(refused.BitBtnStop->isEnabled());
    EXPECT_TRUE(refused.BtnExit->isEnabled());
    EXPECT_TRUE(fs::is_empty(window->State().TempPath));
    EXPECT_EQ(fs::status(window->State().TempPath).permissions(), fs::perms::owner_all);
    EXPECT_EQ(JournalRows(cottage), 0);
    Screenshot(refused, "import-bad-value");
    refused.BtnExit->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());

    TfImpExp& again = Open(2, cottage, 'I');
    EXPECT_TRUE(MemoLines().join("").isEmpty());
    again.EditArcFile->setText(QString::fromStdString(good));
    ASSERT_TRUE(again.BitBtnOK->isEnabled());
    again.BitBtnOK->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(JournalRows(cottage), 1);
    EXPECT_EQ(ObjectField(cottage, 11, "Name"), "Car");
}

// Files may grow to `bytes` at most while it lives; a larger write fails with the system's
// "File too large", as it does on a full disk.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit limit{bytes, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

TEST_F(ImpExpTest, AFailingWriteIsNamedInTheSystemsWordsAndTheDialogStaysOpen) {
    // The Car's collection with four pictures of random bytes: an archive larger than the
    // limit, each of whose files fits below it.
    std::mt19937 random(5);
    for (int k = 0; k < 4; ++k) {
        std::string bytes(100000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        WriteFile(home + "/Files/DIR14/r" + std::to_string(k) + ".bin", bytes);
    }
    const std::string archive = CarArchive();
    ASSERT_GT(fs::file_size(archive), 300000u);

    TfImpExp& import = Open(2, cottage, 'I');
    import.EditArcFile->setText(QString::fromStdString(archive));
    {
        const TFileSizeLimit limit(250000);
        import.BitBtnOK->click();
        QCoreApplication::processEvents();
    }
    ASSERT_FALSE(dialog.isNull()) << "the dialog stays open";
    const QStringList lines = MemoLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[1], QString::fromStdString(import.Phase2 + " " + import.Phase1_ERROR));
    EXPECT_EQ(lines[2],
              QString::fromStdString(std::make_error_code(std::errc::file_too_large).message()));
    EXPECT_TRUE(lines.contains(QString::fromStdString("> " + archive)));
    EXPECT_EQ(MemoColour(), QColor(255, 0, 0));
    EXPECT_TRUE(import.BtnExit->isEnabled());
    EXPECT_EQ(JournalRows(cottage), 0);
    EXPECT_FALSE(fs::exists(cottage + "/jTrFiles/1"));
    EXPECT_EQ(ObjectField(cottage, 11, "Name"), "<no row>");
    Screenshot(import, "import-write-failed");
    import.BtnExit->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
}

// Stop pressed at three moments of the check: while the archive is listed (the archiver never
// starts), while the archiver unpacks (it is ended), and while the unpacked set's tables are
// checked. Each time nothing is written, the temp folder is left empty with its mode, the memo
// says the check was stopped, and the same dialog then imports the archive.
TEST_F(ImpExpTest, StopDuringTheCheckWritesNothingAndTheDialogCanTryAgain) {
    const std::string archive = LargeCarArchive();
    const std::string temp = window->State().TempPath;
    struct Case {
        const char* moment;
        bool hold;  // the archiver does not end by itself
        std::function<bool()> when;
        bool archiverStarted;
    };
    const Case cases[] = {
        {"listing", false, [this] { return dialog->BitBtnStop->isEnabled(); }, false},
        {"archiver", true, [this] { return Marked("unpacked"); }, true},
        {"tables", false, [temp] { return fs::exists(temp + kTablesFileName); }, true},
    };
    int imported = 0;
    for (const Case& c : cases) {
        fs::remove_all(marks);
        fs::create_directories(marks);
        if (c.hold) WriteFile(marks + "/hold", "");
        const std::string before = DumpBudget(cottage);
        TfImpExp& import = Open(2, cottage, 'I');
        EXPECT_TRUE(import.BitBtnStop->isVisible());
        EXPECT_FALSE(import.BitBtnStop->isEnabled()) << "nothing runs yet";
        import.EditArcFile->setText(QString::fromStdString(archive));
        PressStopWhen(c.when);
        import.BitBtnOK->click();
        StopPressing();
        ASSERT_FALSE(dialog.isNull()) << c.moment;
        EXPECT_EQ(pressed, std::optional<bool>(true)) << c.moment;
        EXPECT_EQ(Marked("started"), c.archiverStarted) << c.moment;
        EXPECT_EQ(MemoLines(),
                  QStringList{QStringLiteral("1) Checking the archive... The check was stopped.")})
            << c.moment;
        EXPECT_NE(MemoColour(), QColor(255, 0, 0)) << c.moment;
        EXPECT_FALSE(import.BitBtnStop->isEnabled()) << c.moment;
        for (QWidget* control : std::initializer_list<QWidget*>{
                 import.EditArcFile, import.BitBtnSource, import.BitBtnOK, import.BtnExit})
            EXPECT_TRUE(control->isEnabled())
                << c.moment << " " << control->objectName().toStdString();
        EXPECT_EQ(DumpBudget(cottage), before) << c.moment;
        EXPECT_TRUE(fs::is_empty(temp)) << c.moment;
        EXPECT_EQ(fs::status(temp).permissions(), fs::perms::owner_all) << c.moment;
        Screenshot(import, "import-stopped");

        // Another try in the same dialog runs to its end.
        fs::remove(marks + "/hold");
        import.BitBtnOK->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog.isNull()) << c.moment;
        EXPECT_EQ(JournalRows(cottage), ++imported) << c.moment;
    }
    // Each try brought the Car and its Papers once, under new IDs.
    for (int car : {11, 13, 15}) {
        EXPECT_EQ(ObjectField(cottage, car, "Name"), "Car");
        EXPECT_EQ(ObjectField(cottage, car + 1, "IDParent"), std::to_string(car));
        EXPECT_TRUE(fs::exists(cottage + "/Files/DIR" + std::to_string(car + 1) + "/big.bin"));
    }
    EXPECT_EQ(ObjectField(cottage, 17, "Name"), "<no row>");
    EXPECT_TRUE(messages.Calls().empty());
}

// Once the check has passed, the import is one journal step: a Stop pressed while the journal
// applies it finds the button disabled, and the import is whole.
TEST_F(ImpExpTest, AStopAfterTheCheckFindsNothingToStop) {
    const std::string archive = LargeCarArchive();
    TfImpExp& import = Open(2, cottage, 'I');
    import.EditArcFile->setText(QString::fromStdString(archive));
    PressStopWhen([this] { return fs::exists(cottage + "/jTrFiles/1"); });
    import.BitBtnOK->click();
    StopPressing();
    QCoreApplication::processEvents();
    EXPECT_EQ(pressed, std::optional<bool>(false));
    EXPECT_TRUE(dialog.isNull()) << "the run ended and closed the dialog";
    TTable trans;
    trans.SetDatabaseName(cottage);
    trans.SetTableName("jTrans");
    trans.Open();
    EXPECT_EQ(trans.RecordCount(), 1);
    EXPECT_EQ(trans.FieldByName("Status").AsString(), "APPLY");
    trans.Close();
    EXPECT_EQ(ObjectField(cottage, 11, "Name"), "Car");
    EXPECT_EQ(ObjectField(cottage, 12, "IDParent"), "11");
    EXPECT_EQ(ReadBytes(cottage + "/Files/DIR12/big.bin").size(), std::size_t{6 << 20});
}

// The window closed while the check runs stays open until the run has ended (here by a Stop),
// then closes with nothing written.
TEST_F(ImpExpTest, ClosingDuringTheCheckTakesEffectWhenTheRunHasEnded) {
    const std::string archive = LargeCarArchive();
    const std::string before = DumpBudget(cottage);
    TfImpExp& import = Open(2, cottage, 'I');
    import.EditArcFile->setText(QString::fromStdString(archive));
    PressStopWhen([this] {
        if (!dialog->BitBtnStop->isEnabled()) return false;
        dialog->close();
        shownAfterClose = dialog->isVisible();
        return true;
    });
    import.BitBtnOK->click();
    StopPressing();
    QCoreApplication::processEvents();
    EXPECT_EQ(shownAfterClose, std::optional<bool>(true));
    EXPECT_EQ(pressed, std::optional<bool>(true));
    EXPECT_TRUE(dialog.isNull()) << "closed once the run had ended";
    EXPECT_EQ(DumpBudget(cottage), before);
    EXPECT_TRUE(fs::is_empty(window->State().TempPath));
}

TEST(FileNameOf, ControlCharactersAndSlashesBecomeUnderscores) {
    const std::pair<std::string, std::string> cases[] = {
        {"Flat", "Flat"}, {"a/b", "a_b"}, {"tab\there", "tab_here"},      {"x\x01y\x7f", "x_y_"},
        {"", "_"},        {"..", "_"},    {"Ünï $;\"q\"", "Ünï $;\"q\""},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(FileNameOf(name), expected) << name;
}

}  // namespace
