// A main window on temporary program folders, its message boxes answered, with helpers that
// write budget list rows, objects, vemly.ini entries and helper programs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/AppendRow.h"
#include "common/ScopedEnv.h"
#include "common/ScopedMessageDlg.h"
#include "common/TestFolders.h"
#include "platform/FieldValue.h"
#include "shell/U_formmain.h"
#include "store/U_dm.h"


// Acts on the dialog of that class once it is the open modal window, from the event loop that
// shows it (the close dialog that a close request of the main window opens, a menu's dialog).
template <class TDialog>
void WhenOpen(std::function<void(TDialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

// A main window starts, unless a test stores otherwise, after an earlier start of the same day
// (the day's packing and recalculation are left out) and with no node to select.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // Creates the main window (its folders, first start and start-up checks).
    TfMain& Create();
    // Creates it and shows it the first time, then lets the queued events run.
    TfMain& Start();
    // The program folder: "<root>/prefix/bin/", empty; the installed data would lie in
    // "<root>/prefix/share/vemly".
    std::string ProgramDir() const { return folders.Root() + "/prefix/bin/"; }
    // Writes an executable shell script into the program folder.
    void WriteHelper(const std::string& name, const std::string& script) const;
    // The text as one word of a shell script, whatever quotes and blanks it holds.
    static std::string ShellWord(const std::string& text);

    // A row of the budget list.
    void AddBudgetRow(int id, const std::string& name, const std::string& path, int state = 0,
                      int image = 0, const std::string& expanded = "N") const;
    // A row of a budget's Objects table.
    void AddObject(const std::string& folder, int id, int parent, int type, int image,
                   const std::string& name, const std::string& expanded = "N",
                   const std::string& descript = "") const;
    // The value of a column of the first budget list row with that ID.
    std::string BudgetField(int id, const char* field) const;
    std::string ObjectField(const std::string& folder, int id, const char* field) const;
    void WriteIni(const std::string& section, const std::string& key,
                  const std::string& value) const;
    std::string ReadIni(const std::string& section, const std::string& key) const;

    TestFolders folders;
    ScopedEnv program{"VEMLY_PROGRAM_DIR", folders.Root() + "/prefix/bin"};
    ScopedMessageDlg messages;
    TDM dm;
    std::unique_ptr<TfMain> window;
};
