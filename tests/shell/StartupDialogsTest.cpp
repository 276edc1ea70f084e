// The start-up form in the real main window, and the close, settings, language and about
// dialogs reached from its menu, with their help topics.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>

#include "BudgetsFixture.h"
#include "common/FakeShellServices.h"
#include "common/TextsFit.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "shell/Hookmousewheel.h"
#include "shell/ShellOpen.h"
#include "shell/U_fabout.h"
#include "shell/U_fclose.h"
#include "shell/U_finit.h"
#include "shell/U_flanguage.h"
#include "shell/U_fsettings.h"
#include "store/Usettings.h"
#include "tree/U_fcreatebudget.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

// The settings store of the test's users-data folder, read and written whether or not the main
// window runs.
class TSettings {
public:
    explicit TSettings(std::string usersData) : usersData_(std::move(usersData)) {}
    void SetInt(const std::string& key, int value) const {
        const FakeShellServices use(usersData_);
        SetSettingInt(key, value);
    }
    void SetDate(const std::string& key, TDateTime value) const {
        const FakeShellServices use(usersData_);
        SetSettingDate(key, value);
    }
    int Int(const std::string& key, int defaultValue) const {
        const FakeShellServices use(usersData_);
        return GetSettingInt(key, defaultValue);
    }
    TDateTime Date(const std::string& key, TDateTime defaultValue) const {
        const FakeShellServices use(usersData_);
        return GetSettingDate(key, defaultValue);
    }
    void Clear(const std::string& key) const {
        TTable rows;
        rows.SetDatabaseName(usersData_);
        rows.SetTableName("Settings");
        rows.SetFilter(Where("PName") == key);
        rows.SetFiltered(true);
        rows.Open();
        rows.DeleteAll();
    }

private:
    std::string usersData_;
};

void Trigger(TfMain& main, const char* item) {
    main.menuBar()->findChild<QAction*>(QString::fromLatin1(item))->trigger();
}

class StartupDialogs : public BudgetsFixture {
protected:
    StartupDialogs() {
        SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url.fragment());
            return true;
        });
    }
    ~StartupDialogs() override {
        SetUrlOpener({});
        SetFolderPicker({});
    }

    std::vector<QString> opened;
    TSettings settings{folders.UsersDataPath()};
};

// --- The start-up form ---------------------------------------------------------------------

class StartupForm : public StartupDialogs {
protected:
    std::string LastStartText() const { return DateToStr(settings.Date("LastStart", -1)); }
};

TEST_F(StartupForm, RunsItsPhasesOnceAndSelectsTheSavedNode) {
    const struct {
        const char* what;
        std::optional<TDateTime> lastStart;
        int selNode;
        int selected;  // the index selected afterwards, -1 none
        bool daily;    // the day's phases ran
    } cases[] = {
        {"no LastStart", std::nullopt, 3, 3, true},
        {"LastStart today", Today(), 0, 0, false},
        {"LastStart later (clock set back)", Today() + 4, 16, 16, false},
        {"SelNode beyond the tree", Today() - 1, 17, -1, true},
        {"SelNode negative", Today(), -1, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window.reset();
        settings.Clear("LastStart");
        if (c.lastStart) settings.SetDate("LastStart", *c.lastStart);
        settings.SetInt("SelNode", c.selNode);
        TfMain& main = Start();
        EXPECT_EQ(main.SelectedIndex(), c.selected);
        EXPECT_EQ(LastStartText(), DateToStr(Today()));
        // Only the day's phases or a selection open a budget.
        EXPECT_EQ(main.State().BudgetPath.empty(), !c.daily && c.selected < 0);
    }
}

// The form: its memo, after a first start of the day, holds the load line and the lines of
// both phases, the stopped budgets packed only; a screenshot of it is kept for a look.
TEST_F(StartupForm, ShowsTheLinesOfEveryPhase) {
    Create();
    window->State().LangPath = folders.DataPath() + "LangEN/";
    TfInit form(*window);
    form.show();
    settings.Clear("LastStart");
    form.FormActivate();
    const Strings lines = [&] {
        Strings result;
        for (const QString& line : form.MemoProcess->toPlainText().split('\n'))
            result.push_back(ToStdString(line));
        return result;
    }();
    EXPECT_EQ(lines,
              (Strings{"Loading the program: done.", "Packing the budgets:", "Packing \"Home\"...",
                       "Packing \"Cottage\"...", "Packing \"\"...", "The budgets are packed.",
                       "Recalculating the running budgets:", "Recalculating \"Home\"...",
                       "The budgets are recalculated."}));
    EXPECT_EQ(form.ProgressBar1->value(), 0);
    EXPECT_FALSE(form.isVisible());
    // Activated again, it does nothing more.
    form.FormActivate();
    EXPECT_EQ(form.MemoProcess->toPlainText().count('\n'), 8);
    if (const char* shots = std::getenv("VEMLY_SCREENSHOTS")) {
        form.show();
        form.grab().save(QString::fromUtf8(shots) + "/startup.png");
    }
}

// A budget that a phase cannot handle is reported once; the next start runs the day's phases
// again, since LastStart stays.
TEST_F(StartupForm, ABudgetThatFailsKeepsLastStartForTheNextStart) {
    std::ofstream(cottage + "/tables.sqlite", std::ios::trunc) << "not a tables file";
    settings.Clear("LastStart");
    Start();
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("Cottage"), std::string::npos) << messages.Texts()[0];
    EXPECT_EQ(LastStartText(), DateToStr(-1));
}

// --- The close dialog ----------------------------------------------------------------------

TEST_F(StartupDialogs, ClosingAsksFirstAndOnlyOKEndsTheProgram) {
    TfMain& main = Start();
    main.TreeViewMain->setCurrentItem(main.Nodes()[3]);
    const struct {
        const char* what;
        std::function<void(TfClose&)> answer;
        bool ends;
    } cases[] = {
        {"Exit", [](TfClose& dialog) { dialog.BtnExit->click(); }, false},
        {"Escape", [](TfClose& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }, false},
        {"close box", [](TfClose& dialog) { dialog.close(); }, false},
        {"OK", [](TfClose& dialog) { dialog.BitBtnOK->click(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string question;
        WhenOpen<TfClose>([&](TfClose& dialog) {
            question = ToStdString(dialog.LabelHeader->text());
            c.answer(dialog);
        });
        settings.SetInt("SelNode", 0);
        EXPECT_EQ(main.close(), c.ends);
        EXPECT_EQ(question, "Close Vemly?");
        EXPECT_EQ(main.isVisible(), !c.ends);
        // OK saves the tree state and removes the wheel rule; the others keep everything.
        EXPECT_EQ(settings.Int("SelNode", 0), c.ends ? 3 : 0);
        EXPECT_EQ(MouseWheelHookHandle() == nullptr, c.ends);
        EXPECT_EQ(main.LogoBitmap.isNull(), c.ends);
    }
}

TEST_F(StartupDialogs, ExitFromTheMenuAndTheCloseBoxGoThroughTheDialog) {
    TfMain& main = Start();
    int asked = 0;
    WhenOpen<TfClose>([&](TfClose& dialog) {
        ++asked;
        dialog.BtnExit->click();
    });
    Trigger(main, "Exit");
    EXPECT_TRUE(main.isVisible());
    WhenOpen<TfClose>([&](TfClose& dialog) {
        ++asked;
        dialog.BtnExit->click();
    });
    QCloseEvent close;
    QApplication::sendEvent(&main, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_EQ(asked, 2);
}

TEST_F(StartupDialogs, WithAnEmptyTreeOKSavesNothing) {
    TfMain& main = Start();
    settings.Clear("SelNode");
    TTable budgets;
    budgets.SetDatabaseName(folders.UsersDataPath());
    budgets.SetTableName("Budgets");
    budgets.Open();
    budgets.DeleteAll();
    budgets.Close();
    dm.TableBudgets.Refresh();
    main.RebuildTree();
    ASSERT_TRUE(main.Nodes().empty());
    WhenOpen<TfClose>([](TfClose& dialog) { dialog.BitBtnOK->click(); });
    EXPECT_TRUE(main.close());
    EXPECT_EQ(settings.Int("SelNode", 77), 77);
}

// --- The settings dialog -------------------------------------------------------------------

class SettingsDialog : public StartupDialogs {
protected:
    // Opens the dialog from the menu and lets `act` work in it.
    void Open(const std::function<void(TfSettings&)>& act) {
        WhenOpen<TfSettings>([&](TfSettings& dialog) {
            act(dialog);
            if (dialog.isVisible()) dialog.BtnExit->click();
        });
        Trigger(*window, "Settings");
    }
    static std::string Text(const QLineEdit* edit) { return ToStdString(edit->text()); }
};

TEST_F(SettingsDialog, MissingKeysShowTheirValuesAndOKStoresThem) {
    Start();
    for (const char* key : {"BackupCount", "DeilyBackup", "TransCount"}) settings.Clear(key);
    Open([&](TfSettings& dialog) {
        EXPECT_EQ(Text(dialog.EditCopiesCount), "370");
        EXPECT_TRUE(dialog.CheckBoxDailyBackup->isChecked());
        EXPECT_EQ(Text(dialog.EditTransCount), "500");
        EXPECT_EQ(Text(dialog.EditBackupFolder), window->State().BackupPath);
        EXPECT_EQ(ToStdString(dialog.LabelHeader->text()), "Settings");
        dialog.BitBtnOK->click();
    });
    EXPECT_EQ(settings.Int("BackupCount", -1), 370);
    EXPECT_EQ(settings.Int("DeilyBackup", -1), 1);
    EXPECT_EQ(settings.Int("TransCount", -1), 500);
}

// The explanations of the counts wrap onto as many lines as they need; nothing is cut.
TEST_F(SettingsDialog, EveryTextShowsWhole) {
    Start();
    for (int show = 0; show < 2; ++show)
        Open([](TfSettings& dialog) {
            QCoreApplication::processEvents();
            EXPECT_EQ(CutLabels(dialog), std::vector<std::string>{});
        });
}

TEST_F(SettingsDialog, DefaultsTakeEffectOnlyWithOK) {
    Start();
    Open([](TfSettings& dialog) {
        dialog.BtnDefault->click();
        dialog.BtnExit->click();
    });
    EXPECT_EQ(settings.Int("TransCount", -1), -1);
    Open([](TfSettings& dialog) {
        dialog.CheckBoxDailyBackup->setChecked(false);
        dialog.BtnDefault->click();
        dialog.BitBtnOK->click();
    });
    EXPECT_EQ(settings.Int("BackupCount", -1), 100);
    EXPECT_EQ(settings.Int("TransCount", -1), 1000);
    EXPECT_EQ(settings.Int("DeilyBackup", -1), 1);
    EXPECT_EQ(window->State().BackupPath, folders.UsersDataPath() + "BACKUP");
    EXPECT_EQ(ReadIni("Common", "BACKUP"), folders.UsersDataPath() + "BACKUP");
}

// A new folder is made and becomes the backup folder at once and at the next start; the other
// lines of vemly.ini stay; unchecking the box stores 0.
TEST_F(SettingsDialog, ANewFolderIsCreatedAndStored) {
    WriteIni("Common", "Keep", "this");
    Start();
    const std::string folder = folders.Root() + "/new backups";
    Open([&](TfSettings& dialog) {
        dialog.EditBackupFolder->setText(ToQString(folder));
        dialog.CheckBoxDailyBackup->setChecked(false);
        dialog.EditCopiesCount->setText(QStringLiteral(" 1200 "));
        dialog.BitBtnOK->click();
    });
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(window->State().BackupPath, folder);
    EXPECT_EQ(ReadIni("Common", "BACKUP"), folder);
    EXPECT_EQ(ReadIni("Common", "Keep"), "this");
    EXPECT_EQ(settings.Int("DeilyBackup", -1), 0);
    EXPECT_EQ(settings.Int("BackupCount", -1), 1200);
}

// A count that is no whole number of 0 or more, or a folder that cannot be made, is shown; the
// controls are enabled again and nothing is stored.
TEST_F(SettingsDialog, RefusedInputStoresNothing) {
    Start();
    const struct {
        const char* copies;
        const char* transactions;
        std::string folder;
        const char* error;
    } cases[] = {
        {"abc", "10", "", "Type a whole number of 0 or more."},
        {"5", "-5", "", "Type a whole number of 0 or more."},
        {"99999999999999999999", "10", "", "Type a whole number of 0 or more."},
        {"5", "", "", "Type a whole number of 0 or more."},
        {"5", "10", folders.Root() + "/missing/parent/backup",
         "The backup folder cannot be created."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.copies) + " / " + c.transactions);
        Open([&](TfSettings& dialog) {
            dialog.EditCopiesCount->setText(QString::fromLatin1(c.copies));
            dialog.EditTransCount->setText(QString::fromLatin1(c.transactions));
            if (!c.folder.empty()) dialog.EditBackupFolder->setText(ToQString(c.folder));
            dialog.BitBtnOK->click();
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(dialog.BitBtnOK->isEnabled());
            EXPECT_TRUE(dialog.EditCopiesCount->isEnabled());
        });
        ASSERT_FALSE(messages.Texts().empty());
        EXPECT_EQ(messages.Texts().back().rfind(c.error, 0), 0u) << messages.Texts().back();
        EXPECT_EQ(settings.Int("BackupCount", -1), -1);
        EXPECT_EQ(settings.Int("TransCount", -1), -1);
        EXPECT_EQ(ReadIni("Common", "BACKUP"), "<none>");
    }
}

// A vemly.ini that cannot be read is never written: the settings and the language dialogs say
// so, store nothing and stay open.
TEST_F(SettingsDialog, AnUnreadableIniIsNotOverwritten) {
    fs::create_directories(folders.DataPath() + "LangDE");
    std::ofstream(folders.DataPath() + "LangDE/VLLangModule.ini")
        << "[Lang]\nID=Vemly language module\n";
    Start();
    const std::string ini = folders.DataPath() + "vemly.ini";
    fs::remove(ini);
    fs::create_directory(ini);
    const std::string backup = window->State().BackupPath;
    Open([](TfSettings& dialog) {
        dialog.BitBtnOK->click();
        EXPECT_TRUE(dialog.isVisible());
    });
    WhenOpen<TfLanguage>([](TfLanguage& dialog) {
        dialog.StringGridLang->selectRow(0);  // LangDE
        dialog.BitBtnOK->click();
        EXPECT_TRUE(dialog.isVisible());
        dialog.BtnExit->click();
    });
    Trigger(*window, "Language");
    ASSERT_EQ(messages.Texts().size(), 2u);
    for (const std::string& text : messages.Texts())
        EXPECT_NE(text.find("vemly.ini"), std::string::npos) << text;
    EXPECT_TRUE(fs::is_directory(ini));
    EXPECT_EQ(window->State().BackupPath, backup);
    EXPECT_EQ(settings.Int("BackupCount", -1), -1);
}

TEST(ParseCount, TakesWholeNumbersOfZeroOrMore) {
    const struct {
        const char* text;
        std::optional<int> count;
    } cases[] = {{"0", 0},
                 {"1000", 1000},
                 {"  42 ", 42},
                 {"2147483647", 2147483647},
                 {"", {}},
                 {"  ", {}},
                 {"-5", {}},
                 {"+5", {}},
                 {"abc", {}},
                 {"12a", {}},
                 {"1.5", {}},
                 {"2147483648", {}},
                 {"99999999999999999999", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseCount(c.text), c.count);
    }
}

TEST_F(SettingsDialog, TheBrowseButtonTakesThePickedFolder) {
    Start();
    SetFolderPicker([](QWidget*, const QString& caption, const QString&) {
        EXPECT_EQ(caption, QStringLiteral("Choose the backup folder"));
        return QStringLiteral("/picked/folder");
    });
    Open([](TfSettings& dialog) {
        dialog.BitBtnSource->click();
        EXPECT_EQ(dialog.EditBackupFolder->text(), QStringLiteral("/picked/folder"));
    });
}

// --- The language dialog -------------------------------------------------------------------

TEST_F(StartupDialogs, TheLanguageDialogListsTheModulesAndStoresTheChoice) {
    const std::string data = folders.DataPath();
    const auto module = [&](const char* folder, const char* id) {
        fs::create_directories(data + folder);
        std::ofstream(data + folder + "/VLLangModule.ini")
            << "[Lang]\nID=" << id << "\nName=" << folder
            << " name\nLang=Other\nAuthor=Die Übersetzerinnen und Übersetzer der Gemeinde\n";
    };
    module("LangDE", "Vemly language module");
    module("LangXX", "Another program's module");
    fs::create_directories(data + "LangEmpty");
    std::ofstream(data + "LangFile") << "[Lang]\nID=Vemly language module\n";
    WriteIni("Common", "Keep", "this");
    Start();
    WhenOpen<TfLanguage>([&](TfLanguage& dialog) {
        QTableWidget& grid = *dialog.StringGridLang;
        ASSERT_EQ(grid.rowCount(), 3);  // two modules and the empty row
        EXPECT_EQ(dialog.FolderOfRow(0), "LangDE");
        EXPECT_EQ(dialog.FolderOfRow(1), "LangEN");
        EXPECT_EQ(dialog.FolderOfRow(2), "");
        EXPECT_EQ(ToStdString(grid.item(0, 0)->text()), "1");
        EXPECT_EQ(ToStdString(grid.item(0, 1)->text()), "LangDE name");
        EXPECT_EQ(ToStdString(grid.horizontalHeaderItem(1)->text()), "   Name");
        // A long author's name widens its column instead of being cut.
        EXPECT_GE(grid.columnWidth(3), NeededWidth(grid, 3));
        EXPECT_GT(grid.columnWidth(3), 128);
        // The language in use is selected and OK disabled; another module enables it, the
        // empty row disables it again.
        EXPECT_EQ(grid.currentRow(), 1);
        EXPECT_FALSE(dialog.BitBtnOK->isEnabled());
        grid.selectRow(2);
        EXPECT_FALSE(dialog.BitBtnOK->isEnabled());
        grid.selectRow(0);
        EXPECT_TRUE(dialog.BitBtnOK->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_F1);
        dialog.BitBtnOK->click();
    });
    Trigger(*window, "Language");
    EXPECT_EQ(ReadIni("Common", "VLLang"), "LangDE");
    EXPECT_EQ(ReadIni("Common", "Keep"), "this");
    EXPECT_EQ(messages.Texts(), Strings{"The new language is used from the next start of Vemly."});
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("7400")});
    // The running program keeps its texts.
    EXPECT_EQ(window->State().LangPath, folders.DataPath() + "LangEN/");
}

// --- The about dialog ----------------------------------------------------------------------

TEST_F(StartupDialogs, TheAboutBoxShowsTheNoticeAndOpensTheProjectsSite) {
    Start();
    WhenOpen<TfAbout>([&](TfAbout& dialog) {
        EXPECT_EQ(ToStdString(dialog.BitBtnOK->text()), "OK");
        EXPECT_NE(ToStdString(dialog.LabelLegalWarning->text()).find("no warranty"),
                  std::string::npos);
        EXPECT_FALSE(dialog.Image1->pixmap().isNull());
        emit dialog.LabelSite->linkActivated(QString::fromLatin1(TfAbout::kSite));
        dialog.BitBtnOK->click();
    });
    Trigger(*window, "About");
    EXPECT_EQ(opened, std::vector<QString>{QString()});
}

// --- Help ----------------------------------------------------------------------------------

TEST_F(StartupDialogs, F1InTheSettingsDialogOpensItsTopic) {
    Start();
    WhenOpen<TfSettings>([](TfSettings& dialog) {
        QTest::keyClick(dialog.EditTransCount, Qt::Key_F1);
        dialog.BtnExit->click();
    });
    Trigger(*window, "Settings");
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("7500")});
}

// Screenshots of the dialogs, for a look, when VEMLY_SCREENSHOTS names a folder.
TEST_F(StartupDialogs, Screenshots) {
    const char* shots = std::getenv("VEMLY_SCREENSHOTS");
    if (shots == nullptr) GTEST_SKIP();
    Start();
    const QString folder = QString::fromUtf8(shots);
    WhenOpen<TfClose>([&](TfClose& d) {
        d.grab().save(folder + "/close.png");
        d.BtnExit->click();
    });
    window->close();
    WhenOpen<TfSettings>([&](TfSettings& d) {
        d.grab().save(folder + "/settings.png");
        d.BtnExit->click();
    });
    Trigger(*window, "Settings");
    WhenOpen<TfLanguage>([&](TfLanguage& d) {
        d.grab().save(folder + "/language.png");
        d.BtnExit->click();
    });
    Trigger(*window, "Language");
    WhenOpen<TfAbout>([&](TfAbout& d) {
        d.grab().save(folder + "/about.png");
        d.BitBtnOK->click();
    });
    Trigger(*window, "About");
}

}  // namespace
