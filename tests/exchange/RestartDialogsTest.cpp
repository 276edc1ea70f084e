// The backup, recovery and delete-budget dialogs in the real main window: what each proposes,
// the "YES" rule, the request each writes, the restart message and the close; Exit writes
// nothing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "../tree/PopupCommand.h"
#include "exchange/ArchivePicker.h"
#include "exchange/RestartRequests.h"
#include "exchange/U_delbudget.h"
#include "exchange/U_fbackup.h"
#include "exchange/U_frecovery.h"
#include "platform/Text.h"
#include "shell/BudgetsFixture.h"
#include "store/Usettings.h"

namespace fs = std::filesystem;

namespace {

void Screenshot(QWidget& widget, const std::string& name) {
    if (const char* folder = std::getenv("VEMLY_SCREENSHOTS")) {
        fs::create_directories(folder);
        widget.grab().save(QString::fromStdString(std::string(folder) + "/" + name + ".png"));
    }
}

class RestartDialogsTest : public BudgetsFixture {
protected:
    RestartDialogsTest() {
        Start();
        window->SelectObject(11, home);  // Flat of Home: Home is the open budget
    }
    ~RestartDialogsTest() override { SetArchivePicker({}); }

    // Triggers the command and runs `use` on the dialog of that class once it is shown.
    template <class Dialog>
    void Use(QAction* command, const std::function<void(Dialog&)>& use) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* open = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(open, nullptr);
            shown = true;
            use(*open);
        });
        command->trigger();
        QCoreApplication::processEvents();
        EXPECT_TRUE(shown);
    }
    QAction* Menu(const char* name) const {
        return window->menuBar()->findChild<QAction*>(QString::fromLatin1(name));
    }
    static void Type(QLineEdit& edit, const char* text) {
        edit.clear();
        QTest::keyClicks(&edit, QString::fromLatin1(text));
    }
    // The request as the settings hold it.
    static std::string Request() {
        return std::to_string(GetSettingInt("Startup", 0)) + " " + GetSettingStr("Startup", "") +
               " " + GetSettingStr("Startup1", "-");
    }
    // The last box was the restart notice: a warning with OK alone.
    void ExpectRestartNotice() const {
        ASSERT_FALSE(messages.Calls().empty());
        EXPECT_EQ(messages.Calls().back().Type, TMsgDlgType::mtWarning);
        EXPECT_EQ(messages.Calls().back().Buttons, static_cast<TMsgDlgButtons>(mbOK));
    }
};

TEST_F(RestartDialogsTest, BackupProposesANameAndRequestsTheBackup) {
    const std::string chosen = folders.Root() + "/my backup.vlbackup";
    SetArchivePicker([&](QWidget*, const TArchivePick& pick) {
        EXPECT_TRUE(pick.Save);
        return QString::fromStdString(chosen);
    });
    Use<TfBackup>(Menu("Backup"), [&](TfBackup& backup) {
        const std::string proposed = ToStdString(backup.EditArcFile->text());
        EXPECT_TRUE(proposed.starts_with(window->State().BackupPath + "/Home_")) << proposed;
        EXPECT_TRUE(proposed.ends_with(".vlbackup"));
        EXPECT_EQ(backup.LabelBudgetName->text(), QStringLiteral("'Home'"));
        EXPECT_TRUE(backup.BitBtnOK->isEnabled());
        backup.EditArcFile->clear();
        EXPECT_FALSE(backup.BitBtnOK->isEnabled()) << "no request for an empty path";
        backup.BitBtnChoiceFile->click();
        EXPECT_TRUE(backup.BitBtnOK->isEnabled());
        Screenshot(backup, "backup");
        backup.BitBtnOK->click();
    });
    EXPECT_EQ(Request(), "1 " + home + " " + chosen);
    ExpectRestartNotice();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "The program restarts now and backs up the budget before it "
                                    "starts again."});
    EXPECT_TRUE(window->State().RestartRequested);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RestartDialogsTest, RecoveryNeedsAnExistingArchiveAndYes) {
    const std::string archive = folders.Root() + "/old.vlbackup";
    std::ofstream(archive) << "x";
    struct Case {
        std::string path;
        const char* typed;
        const char* shown;
        bool enabled;
    } cases[] = {
        {archive, "yes", "YES", true},     {archive, "YES ", "YES ", false},
        {archive, "yess", "YESS", false},  {"", "yes", "YES", false},
        {archive + "x", "YES", "YES", false},
    };
    Use<TfRecovery>(Menu("Recovery"), [&](TfRecovery& recovery) {
        EXPECT_FALSE(recovery.BitBtnOK->isEnabled());
        EXPECT_TRUE(recovery.CheckBoxYBackup->isChecked());
        for (const Case& c : cases) {
            recovery.EditArcFile->setText(QString::fromStdString(c.path));
            Type(*recovery.EditYES, c.typed);
            EXPECT_EQ(recovery.EditYES->text(), QString::fromLatin1(c.shown)) << c.typed;
            EXPECT_EQ(recovery.BitBtnOK->isEnabled(), c.enabled) << c.path << " " << c.typed;
        }
        // Choosing the archive after "YES" enables OK; clearing it disables OK again.
        SetArchivePicker([&](QWidget*, const TArchivePick&) { return QString::fromStdString(archive); });
        recovery.EditArcFile->clear();
        EXPECT_FALSE(recovery.BitBtnOK->isEnabled());
        recovery.BitBtnSource->click();
        EXPECT_TRUE(recovery.BitBtnOK->isEnabled());
        recovery.CheckBoxYBackup->setChecked(false);
        Screenshot(recovery, "recovery");
        recovery.BitBtnOK->click();
    });
    EXPECT_EQ(Request(), "20 " + home + " " + archive);
    ExpectRestartNotice();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RestartDialogsTest, DeletingABudgetFromItsRootsPopup) {
    SetSettingStr("Startup1", "earlier");
    QAction* del = PopupCommand(*window, "Delete", {{0, true}});
    ASSERT_NE(del, nullptr);
    Use<TfDelBudget>(del, [&](TfDelBudget& dialog) {
        EXPECT_FALSE(dialog.BitBtnOK->isEnabled());
        Type(*dialog.EditYES, "yes");
        EXPECT_TRUE(dialog.BitBtnOK->isEnabled());
        dialog.CheckBoxYBackup->setChecked(false);
        Screenshot(dialog, "delete-budget");
        dialog.BitBtnOK->click();
    });
    EXPECT_EQ(Request(), "30 " + home + " earlier");
    ExpectRestartNotice();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RestartDialogsTest, BackupFirstGivesTheOtherCodes) {
    QAction* del = PopupCommand(*window, "Delete", {{0, true}});
    ASSERT_NE(del, nullptr);
    Use<TfDelBudget>(del, [&](TfDelBudget& dialog) {
        Type(*dialog.EditYES, "YES");
        dialog.BitBtnOK->click();
    });
    EXPECT_EQ(GetSettingInt("Startup", 0), kRequestBackupDelete);
}

TEST_F(RestartDialogsTest, ExitWritesNothing) {
    const std::string archive = folders.Root() + "/old.vlbackup";
    std::ofstream(archive) << "x";
    Use<TfBackup>(Menu("Backup"), [](TfBackup& backup) { backup.BtnExit->click(); });
    Use<TfRecovery>(Menu("Recovery"), [&](TfRecovery& recovery) {
        recovery.EditArcFile->setText(QString::fromStdString(archive));
        Type(*recovery.EditYES, "YES");
        QTest::keyClick(&recovery, Qt::Key_Escape);
    });
    EXPECT_EQ(Request(), "0  -");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->State().RestartRequested);
    EXPECT_TRUE(messages.Calls().empty());
}

}  // namespace
