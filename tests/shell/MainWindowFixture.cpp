// A main window on temporary program folders, its message boxes answered, with helpers that
// write budget list rows, objects, vemly.ini entries and helper programs.
#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "common/AppendRow.h"
#include "platform/Dates.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "shell/Hookmousewheel.h"

namespace fs = std::filesystem;

MainWindowTest::~MainWindowTest() {
    fMain = nullptr;
    window.reset();
    DM = nullptr;
    // The load phase installed the wheel rule on the application: the next test starts without.
    RemoveMouseWheelHook();
}

TfMain& MainWindowTest::Create() {
    window = std::make_unique<TfMain>();
    fMain = window.get();
    return *window;
}

TfMain& MainWindowTest::Start() {
    Create();
    window->show();
    QCoreApplication::processEvents();
    return *window;
}

void MainWindowTest::WriteHelper(const std::string& name, const std::string& script) const {
    const std::string path = ProgramDir() + name;
    std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
    fs::permissions(path, fs::perms::owner_all);
}

std::string MainWindowTest::ShellWord(const std::string& text) {
    std::string word = "'";
    for (const char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

MainWindowTest::MainWindowTest() {
    // A fatal close of an earlier test ended every event loop (QCoreApplication::exit), which
    // makes a modal window's loop return at once until the application's loop has run again.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    fs::create_directories(ProgramDir());
    DM = &dm;
    AppendRow(folders.UsersDataPath(), "Settings",
              {{"PName", std::string("SelNode")}, {"ValueInt", -1}});
    AppendRow(folders.UsersDataPath(), "Settings",
              {{"PName", std::string("LastStart")}, {"ValueDate", Today()}});
}

void MainWindowTest::AddBudgetRow(int id, const std::string& name, const std::string& path,
                                  int state, int image, const std::string& expanded) const {
    AppendRow(folders.UsersDataPath(), "Budgets.db",
              {{"ID", id},
               {"Name", name},
               {"Path", path},
               {"State", state},
               {"Image", image},
               {"Expanded", expanded},
               {"Work", 3}});
}

void MainWindowTest::AddObject(const std::string& folder, int id, int parent, int type, int image,
                               const std::string& name, const std::string& expanded,
                               const std::string& descript) const {
    AppendRow(folder, "Objects.db",
              {{"ID", id},
               {"IDParent", parent},
               {"Type", type},
               {"Image", image},
               {"Name", name},
               {"Expanded", expanded},
               {"Descript", descript}});
}

namespace {

// A column of the first row of a table with that ID, as text.
std::string FieldOfRow(const std::string& folder, const char* table, int id, const char* field) {
    TTable rows;
    rows.SetDatabaseName(folder);
    rows.SetTableName(table);
    rows.SetReadOnly(true);
    rows.Open();
    if (!rows.Locate("ID", {id})) return "<no row>";
    const TField& value = rows.FieldByName(field);
    return value.Kind() == TFieldKind::Integer ? std::to_string(value.AsInteger())
                                               : value.AsString();
}

}  // namespace

std::string MainWindowTest::BudgetField(int id, const char* field) const {
    return FieldOfRow(folders.UsersDataPath(), "Budgets.db", id, field);
}

std::string MainWindowTest::ObjectField(const std::string& folder, int id,
                                        const char* field) const {
    return FieldOfRow(folder, "Objects.db", id, field);
}

void MainWindowTest::WriteIni(const std::string& section, const std::string& key,
                              const std::string& value) const {
    TIniFile(folders.DataPath() + "vemly.ini").WriteString(section, key, value);
}

std::string MainWindowTest::ReadIni(const std::string& section, const std::string& key) const {
    return TIniFile(folders.DataPath() + "vemly.ini").ReadString(section, key, "<none>");
}
