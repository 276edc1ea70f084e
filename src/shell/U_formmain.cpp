// The main window: the program's folders and start and stop, the budget list and the open
// budget, the tree of budgets and objects with its lookups, and the services every part calls.
#include "shell/U_formmain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "reports/U_rtfreport.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Usettings.h"
#include "schema/SchemaNames.h"

namespace fs = std::filesystem;

TfMain* fMain = nullptr;

// The main window's services for the parts without a window.
class TfMainServices : public TShellServices {
public:
    explicit TfMainServices(TfMain& main)
        : main_(main), previous_(shell_services_detail::installed) {
        SetShellServices(this);
    }
    ~TfMainServices() override { SetShellServices(previous_); }
    TfMainServices(const TfMainServices&) = delete;
    TfMainServices& operator=(const TfMainServices&) = delete;

    std::string UsersDataPath() const override { return main_.UsersDataPath; }
    std::string BudgetPath() const override { return main_.BudgetPath; }
    std::string LangPath() const override { return main_.LangPath; }
    std::string BudgetName() const override { return main_.BudgetName; }
    void StopBudget() override { main_.StopBudget(); }
    bool FatalClose() const override { return main_.FatalClose; }
    void CloseFatally(const std::string& text) override { main_.CloseFatally(text); }
    void FatalError(int code) override { main_.FatalError(code); }
    void Close() override { main_.close(); }

private:
    TfMain& main_;
    TShellServices* previous_;
};

namespace {

// The name under which the program's own temp folder lies in the temp folder.
constexpr const char* kTempFolderName = "VemlyTEMP";
// The lock file in the users-data folder that a running copy holds.
constexpr const char* kLockFileName = "vemly.lock";

// The two tables of the users-data folder and the fatal text of each one missing.
struct TUsersDataTable {
    const char* Name;
    const char* Missing;
};
constexpr TUsersDataTable kUsersDataTables[] = {
    {"Budgets.DB", "Fatal error ! Does not exist table of the budgets 'Budgets.DB'."},
    {"Settings.db", "Fatal error ! Does not exist table of the budgets 'Settings.db'."},
};

// The first thirteen of the data module's budget tables hold objects; the rest, the journal.
constexpr size_t kObjectTableCount = 13;

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// Creates one folder level; a failure is not reported (later uses of the folder fail).
void MakeFolder(const std::string& path) {
    QDir().mkdir(ToQString(path));
}

// The same for a folder that only its user may enter: the temp folder lies in a folder that
// every user of the machine shares, and the files staged in it are the user's books.
void MakePrivateFolder(const std::string& path) {
    QDir().mkdir(ToQString(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Entries that SQLite makes beside a tables file while it is open.
bool IsTablesCompanion(const std::string& name) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const size_t length = std::strlen(suffix);
        if (name.size() > length && name.compare(name.size() - length, length, suffix) == 0)
            return true;
    }
    return false;
}

// Copies the installed folder `from` (without the entry named `skip`) to `to`: first into a
// folder beside it, which then takes the name, so that an interrupted copy leaves nothing
// half-copied under the real name. The staging folder is this process's own, so that two
// copies started at once never work in one folder; the one that renames first wins and the
// other drops its copy. Nothing happens when `from` is missing or `to` exists.
void CopyFolderInPlace(const fs::path& from, const fs::path& to, const std::string& skip) {
    std::error_code error;
    if (!fs::is_directory(from, error) || fs::exists(to, error)) return;
    const fs::path staging = to.string() + ".part-" + std::to_string(QCoreApplication::applicationPid());
    fs::remove_all(staging, error);
    fs::create_directories(staging, error);
    if (error) return;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
        if (entry.path().filename() == skip) continue;
        fs::copy(entry.path(), staging / entry.path().filename(), fs::copy_options::recursive,
                 error);
        if (error) break;
    }
    if (!error) fs::rename(staging, to, error);
    if (error) fs::remove_all(staging, error);
}

// Closes the table, sets its read-only flag and opens it again.
void Reopen(TTable& table, bool readOnly) {
    table.Close();
    table.SetReadOnly(readOnly);
    table.Open();
}

std::string FieldText(TTable& table, const char* field) {
    return table.FieldByName(field).AsString();
}

int FieldInt(TTable& table, const char* field) {
    return table.FieldByName(field).AsInteger();
}

// One row of a budget's Objects table, as the tree shows it.
struct TObjectRow {
    ObjectInfo Info;
    int Image;
    bool Expanded;
};

}  // namespace

// --- Tree nodes --------------------------------------------------------------------------------

TTreeNode::TTreeNode(const TfMain& owner, ObjectInfo info, int image, int selectedImage)
    : Info(std::move(info)), ImageIndex(image), SelectedImageIndex(selectedImage), owner_(owner) {
    setText(0, ToQString(Info.Name));
    SetImages(image, selectedImage);
}

void TTreeNode::SetImages(int image, int selectedImage) {
    ImageIndex = image;
    SelectedImageIndex = selectedImage;
    setIcon(0, owner_.ImageListTree.NodeIcon(image, selectedImage));
}

QVariant TTreeNode::data(int column, int role) const {
    if (role != Qt::FontRole || treeWidget() == nullptr) return QTreeWidgetItem::data(column, role);
    QFont font = treeWidget()->font();
    const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : 9;
    const bool inOpenBudget = Info.Path == owner_.BudgetPath;
    if (IsRoot()) {
        font.setPointSizeF(size + 2);
        font.setUnderline(inOpenBudget);
    } else {
        font.setBold(inOpenBudget && Info.ID == owner_.IDObject);
    }
    return font;
}

// --- Creation, first show and close ------------------------------------------------------------

TfMain::TfMain() {
    BuildWindow();
    FormCreate();
}

TfMain::~TfMain() = default;

QAction* TfMain::AddAction(QMenu* menu, const char* name) {
    QAction* action = menu->addAction(QString::fromLatin1(name));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void TfMain::BuildWindow() {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Vemly"));
    BuildMenus();

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    setCentralWidget(splitter);

    auto* panel1 = new QFrame(splitter);
    panel1->setObjectName(QStringLiteral("Panel1"));
    auto* leftLayout = new QVBoxLayout(panel1);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    TreeViewMain = new QTreeWidget(panel1);
    TreeViewMain->setObjectName(QStringLiteral("TreeViewMain"));
    TreeViewMain->setHeaderHidden(true);
    TreeViewMain->setIndentation(19);
    TreeViewMain->setFocusPolicy(Qt::ClickFocus);
    TreeViewMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeViewMain->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeViewMain, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PMenuTree->popup(TreeViewMain->viewport()->mapToGlobal(at));
    });
    connect(TreeViewMain, &QTreeWidget::itemExpanded, this, &TfMain::TreeViewMainExpanded);
    connect(TreeViewMain, &QTreeWidget::itemCollapsed, this, &TfMain::TreeViewMainCollapsed);
    leftLayout->addWidget(TreeViewMain);
    auto* panel3 = new QFrame(panel1);
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setFixedHeight(75);
    ImageLogo = new QLabel(panel3);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setAlignment(Qt::AlignCenter);
    (new QHBoxLayout(panel3))->addWidget(ImageLogo);
    leftLayout->addWidget(panel3);

    PanelFrames = new QFrame(splitter);
    PanelFrames->setObjectName(QStringLiteral("PanelFrames"));
    PanelFrames->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelFrames->installEventFilter(this);
    BuildStartPanel();

    splitter->addWidget(panel1);
    splitter->addWidget(PanelFrames);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({233, 1007 - 233});

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBarText = new QLabel(StatusBar1);
    StatusBarText->setObjectName(QStringLiteral("SimpleText"));
    StatusBar1->addWidget(StatusBarText, 1);
    setStatusBar(StatusBar1);

    resize(1007, 651);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// The main menu and the tree's popup menu, their commands disabled until their dialogs exist.
void TfMain::BuildMenus() {
    auto* mainMenu = new QMenuBar(this);
    mainMenu->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(mainMenu);
    const auto addMenu = [&](const char* name) {
        QMenu* menu = mainMenu->addMenu(QString::fromLatin1(name));
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    QMenu* budget = addMenu("Budget");
    AddAction(budget, "CreateBudget")->setEnabled(false);
    connect(AddAction(budget, "Exit"), &QAction::triggered, this, &QWidget::close);
    QMenu* admin = addMenu("Admin");
    for (const char* name : {"Backup", "Recovery", "Language", "Settings"})
        AddAction(admin, name)->setEnabled(false);
    QMenu* help = addMenu("Help");
    connect(AddAction(help, "Help1"), &QAction::triggered, this,
            [this] { ShowHelp(HelpFile, 0, this); });
    AddAction(help, "About")->setEnabled(false);

    PMenuTree = new QMenu(this);
    PMenuTree->setObjectName(QStringLiteral("PMenuTree"));
    for (const char* name : {"CreateObject", "Rename", "Move", "Delete"})
        AddAction(PMenuTree, name)->setEnabled(false);
    PMenuTree->addSeparator()->setEnabled(false);
    for (const char* name : {"Export", "Import"}) AddAction(PMenuTree, name)->setEnabled(false);
}

// The start panel: the program's logo and name, seen while no node is selected.
void TfMain::BuildStartPanel() {
    Panel2 = new QFrame(PanelFrames);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedSize(345, 137);
    auto* layout = new QHBoxLayout(Panel2);
    auto* image = new QLabel(Panel2);
    image->setObjectName(QStringLiteral("Image1"));
    QPixmap logo(64, 64);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2E8B57));
    painter.drawRoundedRect(QRectF(4, 16, 56, 44), 8, 8);
    painter.setBrush(QColor(0xF2C94C));
    painter.drawEllipse(QRectF(20, 2, 24, 24));
    painter.setBrush(QColor(0x1F5F3B));
    painter.drawRoundedRect(QRectF(22, 28, 20, 4), 2, 2);
    painter.end();
    image->setPixmap(logo);
    layout->addWidget(image);

    auto* texts = new QVBoxLayout;
    auto* title = new QLabel(QStringLiteral("Vemly"), Panel2);
    title->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2.2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* subtitle = new QLabel(QStringLiteral("The books of a household"), Panel2);
    subtitle->setObjectName(QStringLiteral("Label2"));
    texts->addStretch();
    texts->addWidget(title);
    texts->addWidget(subtitle);
    texts->addStretch();
    layout->addLayout(texts, 1);
}

void TfMain::FormCreate() {
    services_ = std::make_unique<TfMainServices>(*this);

    ProgramPath = ProgramFolder() + "/";
    DataPath = GetCommonAppDataFolder() + "/";
    UsersDataPath = GetMyDocumentsFolder() + "/VemlyUsersData/";
    CopyInstalledData();
    TempPath = GetTempFolder() + kTempFolderName + "/";
    MakePrivateFolder(TempPath);
    TemplatesPath = DataPath + "Templates/";
    ExportPath = GetMyDocumentsFolder() + "/VemlyExport";
    MakeFolder(ExportPath);

    CheckUsersDataTables();
    if (FatalClose) return;

    const bool firstStartOfDay = DatePart(GetSettingDate("LastStart", 0)) < DatePart(Today());
    const int pendingRequest = GetSettingInt("Startup", 0);
    const bool setupMode =
        TIniFile(DataPath + "vemly.ini").ReadString("Common", "VLSMode", "0") == "1";
    QDir::setCurrent(ToQString(ProgramPath));
    if (!setupMode && (firstStartOfDay || pendingRequest >= 1)) RunStartupHelper();
}

// On a new machine the data folder and the users-data folder do not exist yet: they are
// copied from the installed data (<prefix>/share/vemly beside the program's bin folder; its
// "UsersData" holds the users-data folder), before the start-up checks look at them.
void TfMain::CopyInstalledData() const {
    const fs::path installed = fs::path(ProgramPath) / ".." / "share" / "vemly";
    const auto withoutSlash = [](const std::string& folder) {
        return fs::path(folder.substr(0, folder.size() - 1));
    };
    std::error_code error;
    fs::create_directories(withoutSlash(DataPath).parent_path(), error);
    CopyFolderInPlace(installed, withoutSlash(DataPath), "UsersData");
    fs::create_directories(withoutSlash(UsersDataPath).parent_path(), error);
    CopyFolderInPlace(installed / "UsersData", withoutSlash(UsersDataPath), "");
}

// The budget list and the settings must be tables of the users-data folder; each one that is
// missing or cannot be opened is reported, and the start becomes fatal.
void TfMain::CheckUsersDataTables() {
    for (const TUsersDataTable& table : kUsersDataTables) {
        try {
            TTable check;
            check.SetDatabaseName(UsersDataPath);
            check.SetTableName(table.Name);
            check.SetReadOnly(true);
            check.Open();
        } catch (const EDatabaseError&) {
            MessageDlg(table.Missing, TMsgDlgType::mtError, mbOK, this);
            FatalClose = true;
        }
    }
}

void TfMain::RunStartupHelper() {
    QProcess helper;
    helper.setProgram(ToQString(ProgramPath + "VLStartup"));
    helper.start();
    if (helper.waitForStarted()) helper.waitForFinished(-1);
}

void TfMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    try {
        FormShow();
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
}

void TfMain::FormShow() {
    if (FatalClose) {
        CloseLater();
        return;
    }
    if (AnotherCopyRuns()) {
        FatalClose = true;
        CloseLater();
        return;
    }
    const TIniFile ini(DataPath + "vemly.ini");
    if (ini.ReadString("Common", "VLSMode", "0") == "1") {
        SetupRun();
        return;
    }
    BackupPath = ini.ReadString("Common", "BACKUP", UsersDataPath + "BACKUP");
    MakeFolder(BackupPath);
    LangPath = DataPath + ini.ReadString("Common", "VLLang", "") + "/";
    HelpFile = LangPath + "VemlyHelp.html";
    RunStartUp();
}

// Only one copy of the program runs for a user: the first holds the lock file in the
// users-data folder for its whole run. A lock left by a copy that no longer runs (a crash) is
// taken over. A lock file that cannot be written at all does not keep the program from
// starting: the lock then answers that no other copy runs.
bool TfMain::AnotherCopyRuns() {
    copyLock_ = std::make_unique<QLockFile>(ToQString(UsersDataPath + kLockFileName));
    copyLock_->setStaleLockTime(0);
    if (copyLock_->tryLock(0)) return false;
    const bool lockedByOther = copyLock_->error() == QLockFile::LockFailedError;
    copyLock_.reset();
    return lockedByOther;
}

// The one start after an installation with [Common] VLSMode "1": the backup folder, the
// language module and the budget paths are set up, and the program closes. It closes also when
// a step fails, after showing the error: nothing else of the program is loaded in this start.
void TfMain::SetupRun() {
    try {
        TIniFile ini(DataPath + "vemly.ini");
        ini.WriteString("Common", "BACKUP", UsersDataPath + "BACKUP");
        strFCharsetInfo charset;
        charset.Path = DataPath + "fcharset.cfg";
        ReadCharsetConfig(charset);
        // Russian-speaking users get the Russian module and everybody else the English one, as
        // long as the chosen one is installed; otherwise the other.
        std::string language = charset.Charset == "204" ? "LangRU" : "LangEN";
        if (!FolderExists(DataPath + language))
            language = language == "LangRU" ? "LangEN" : "LangRU";
        ini.WriteString("Common", "VLLang", language);
        ini.WriteString("Common", "VLSMode", "0");
        DM->ResolveBudgetPaths();
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
    FatalClose = true;
    CloseLater();
}

// The work of a normal start after the first show, as far as it is built: the data module's
// tables prepared, the main window's texts read and the tree built.
void TfMain::RunStartUp() {
    PrepareDataModule();
    LoadTexts();
    NamesSep = GetSettingStr("NamesSep", "\\");
    RebuildTree();
    TreeViewMain->setFocus();
}

// The budget list is opened read-only on the users-data folder; the seventeen budget tables
// get their indexes and stay closed until a budget is opened.
void TfMain::PrepareDataModule() {
    TTable& budgets = DM->TableBudgets;
    budgets.Close();
    budgets.SetDatabaseName(UsersDataPath);
    budgets.SetTableName(tbl::Budgets);
    budgets.SetIndexName(idx::Index01);
    budgets.SetReadOnly(true);
    budgets.Open();
    for (TTable* table : DM->BudgetTables()) {
        table->Close();
        table->SetIndexName(table == &DM->TablejTrans ? idx::Index_NTrans : idx::Index01);
        table->SetReadOnly(true);
    }
    IDBudget = -1;
}

// The menus, the status bar, the busy texts, the tree's captions and its popup menu from the
// language module (Main.lng and PMenuTree.lng).
void TfMain::LoadTexts() {
    // The items are looked up inside their own menu, so that a frame's control of the same
    // name ("Delete", "Exit") is never taken for one.
    const auto setCaption = [](const QWidget* menu, const char* name, const std::string& text) {
        if (auto* submenu = menu->findChild<QMenu*>(QString::fromLatin1(name)))
            submenu->setTitle(ToQString(text));
        else if (auto* action = menu->findChild<QAction*>(QString::fromLatin1(name)))
            action->setText(ToQString(text));
    };
    {
        const TLangFile main(LangPath + "Main.lng");
        MesPrepare = main.Read("Main", "MesPrepare", "Prepare ...");
        MesLoad = main.Read("Main", "MesLoad", "Load ...");
        MesProcessing = main.Read("Main", "MesProcessing", "Processing ...");
        const std::pair<const char*, const char*> captions[] = {
            {"Budget", "Budget"},     {"CreateBudget", "Create budget"},
            {"Exit", "Exit"},         {"Admin", "Administrator"},
            {"Backup", "Backup"},     {"Recovery", "Recovery"},
            {"Language", "Language"}, {"Settings", "Settings"},
            {"Help", "Help"},         {"Help1", "Help"},
            {"About", "About"}};
        for (const auto& [name, defaultText] : captions)
            setCaption(menuBar(), name, main.Read("Main", name, defaultText));
        CalendarCaption = main.Read("Tree", "Calendar", "Calendar of the budget");
        LogCaption = main.Read("Tree", "Log", "Log of transactions");
        StatusBarText->setText(ToQString("   " + main.Read("Main", "StatusBar", "")));
        QPalette palette = StatusBarText->palette();
        palette.setColor(QPalette::WindowText, MemoColor);
        StatusBarText->setPalette(palette);
    }
    const TLangFile popup(LangPath + "PMenuTree.lng");
    const std::pair<const char*, const char*> items[] = {
        {"Item0", "CreateObject"}, {"Item1", "Rename"}, {"Item3", "Move"},
        {"Item4", "Delete"},       {"Item6", "Export"}, {"Item7", "Import"}};
    for (const auto& [key, item] : items)
        setCaption(PMenuTree, item, popup.Read("PMenuTree", key, item));
}

void TfMain::CloseLater() {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfMain::closeEvent(QCloseEvent* event) {
    QDir::setCurrent(ToQString(ProgramPath));
    // The close dialog is not part of the program yet: the window closes at once. The lock is
    // given up first, so that a copy the restart helper starts is not taken for a second one.
    copyLock_.reset();
    if (RestartRequested) QProcess::startDetached(ToQString(ProgramPath + "VLRestart"), {});
    event->accept();
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelFrames && event->type() == QEvent::Resize) CentreStartPanel();
    return QMainWindow::eventFilter(watched, event);
}

// The start panel stays in the middle of the frame panel while no node is selected.
void TfMain::CentreStartPanel() {
    if (TypeObject != -1) return;
    Panel2->move(PanelFrames->width() / 2 - Panel2->width() / 2,
                 PanelFrames->height() / 2 - Panel2->height() / 2);
}

// --- Services --------------------------------------------------------------------------------

void TfMain::FatalError(int code) {
    const std::string systemText = std::strerror(errno);
    std::string text = code == -2   ? "Fatal error ! Unable to create directory."
                       : code == -3 ? "Fatal error ! Unable to delete directory."
                                    : "Fatal error !";
    CloseFatally(text + "\n" + systemText);
}

void TfMain::CloseFatally(const std::string& text) {
    MessageDlg(text, TMsgDlgType::mtError, mbOK, this);
    FatalClose = true;
    close();
    LetMessagesRun();
    // Ends every running message loop, a modal dialog's included.
    QCoreApplication::exit(0);
}

int TfMain::ClearTempFolder() {
    const fs::path folder = fs::path(TempPath).parent_path();
    std::error_code error;
    if (folder.filename() != kTempFolderName || fs::is_symlink(folder, error) ||
        !fs::is_directory(folder, error))
        return EINVAL;
    return ShellDeleteFolder(TempPath, false, false);
}

TDateTime TfMain::DatePart(TDateTime date) {
    return std::trunc(date);
}

// --- Budget list and the open budget ---------------------------------------------------------

int TfMain::IsBudgetComplete(const std::string& folder) const {
    const fs::path budget = WithSlash(folder);
    std::error_code error;
    if (!fs::is_directory(budget, error)) return 0;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(DataPath + "EmptyBases", error)) {
        const std::string name = entry.path().filename().string();
        if (IsTablesCompanion(name)) continue;
        const bool present = entry.is_directory(error) ? fs::is_directory(budget / name, error)
                                                       : fs::is_regular_file(budget / name, error);
        if (!present) return 0;
    }
    return 1;
}

int TfMain::FolderExists(const std::string& path) {
    return QFileInfo(ToQString(path)).isDir() ? 1 : 0;
}

void TfMain::RegisterBudget(const std::string& folder) {
    const TIniFile description(WithSlash(folder) + "VLBudget.ini");
    const std::string name = description.ReadString("VLBudget", "Name", "");
    const std::string descript = description.ReadString("VLBudget", "Descript", "");
    TTable& budgets = DM->TableBudgets;
    Reopen(budgets, false);
    int newId = 1;
    for (budgets.First(); !budgets.Eof(); budgets.Next())
        newId = std::max(newId, FieldInt(budgets, "ID") + 1);
    budgets.Append();
    budgets.FieldByName(fld::ID).SetAsInteger(newId);
    budgets.FieldByName(fld::Path).SetAsString(folder);
    budgets.FieldByName(fld::Work).SetAsInteger(3);
    budgets.FieldByName(fld::State).SetAsInteger(2);
    budgets.FieldByName(fld::Image).SetAsInteger(4);
    budgets.FieldByName(fld::Expanded).SetAsString("N");
    budgets.FieldByName(fld::Name).SetAsString(name);
    budgets.FieldByName(fld::Descript).SetAsString(descript);
    budgets.Post();
    Reopen(budgets, true);
}

void TfMain::StartBudget() {
    SetBudgetState(0, 0);
}

void TfMain::StopBudget() {
    SetBudgetState(3, 4);
}

// The open budget's row gets the state and the collapsed icon, BudgetState the state, and its
// root the icon (+1 while expanded).
void TfMain::SetBudgetState(int state, int image) {
    TTable& budgets = DM->TableBudgets;
    const bool readOnly = budgets.ReadOnly();
    Reopen(budgets, false);
    if (budgets.Locate(fld::Path, {BudgetPath})) {
        budgets.Edit();
        budgets.FieldByName(fld::State).SetAsInteger(state);
        budgets.FieldByName(fld::Image).SetAsInteger(image);
        budgets.Post();
    }
    Reopen(budgets, readOnly);
    BudgetState = state;
    for (TTreeNode* node : nodes_) {
        if (node->Info.Path != BudgetPath) continue;
        const int shown = image + (node->isExpanded() ? 1 : 0);
        node->SetImages(shown, shown);
        break;
    }
}

void TfMain::OpenBudgetTables(bool journalReadOnly) {
    const auto tables = DM->BudgetTables();
    for (size_t i = 0; i < tables.size(); ++i) {
        tables[i]->Close();
        tables[i]->SetDatabaseName(BudgetPath);
        tables[i]->SetReadOnly(i < kObjectTableCount ? false : journalReadOnly);
        tables[i]->Open();
    }
}

int TfMain::SelectBudget(const std::string& folder) {
    for (TTreeNode* node : nodes_) {
        if (node->Info.Type == otBudget && node->Info.Path == folder) {
            TreeViewMain->setCurrentItem(node);
            TreeViewMain->setFocus();
            return 1;
        }
    }
    return 0;
}

QChar TfMain::FilterPathChar(QChar c) {
    return QStringLiteral("\"*/:<>?\\^|").contains(c) ? QChar(0) : c;
}

std::string TfMain::SanitizeFileName(const std::string& text) {
    std::string result = text;
    for (char& c : result)
        if (std::strchr("\"*/:<>?^|", c) != nullptr && c != '\0') c = '_';
    return result;
}

// --- Object tree -----------------------------------------------------------------------------

void TfMain::RebuildTree() {
    TypeObject = -1;
    TreeViewMain->setUpdatesEnabled(false);
    TreeRebuilding = true;
    struct TResume {
        TfMain& main;
        ~TResume() {
            main.TreeRebuilding = false;
            main.TreeViewMain->setUpdatesEnabled(true);
        }
    } resume{*this};
    TreeViewMain->clear();
    nodes_.clear();

    // A budget whose row or tables cannot be read gets no node (its nodes built so far go); the
    // first such error is thrown once the rest of the tree stands.
    std::optional<EDatabaseError> firstError;
    std::vector<std::pair<TTreeNode*, bool>> roots;
    TTable& budgets = DM->TableBudgets;
    for (budgets.First(); !budgets.Eof(); budgets.Next()) {
        const size_t first = nodes_.size();
        std::unique_ptr<TTreeNode> root;
        try {
            const std::string path = FieldText(budgets, "Path");
            if (!IsBudgetComplete(path)) continue;
            const int id = FieldInt(budgets, "ID");
            const int image = FieldInt(budgets, "Image");
            root = std::make_unique<TTreeNode>(
                *this,
                ObjectInfo{id, otBudget, id, -1, FieldText(budgets, "Name"),
                           FieldText(budgets, "Descript"), path},
                image, image);
            nodes_.push_back(root.get());
            AddObjectNodes(0, id, root.get(), path);
            const bool expanded = FieldText(budgets, "Expanded") == "Y";
            roots.emplace_back(root.release(), expanded);
        } catch (const EDatabaseError& error) {
            nodes_.resize(first);
            if (!firstError) firstError = error;
        }
    }

    QList<QTreeWidgetItem*> topLevel;
    for (const auto& [root, expanded] : roots) topLevel.append(root);
    TreeViewMain->addTopLevelItems(topLevel);
    for (size_t i = 0; i < nodes_.size(); ++i) nodes_[i]->Index = static_cast<int>(i);
    // Expanding after the nodes stand: every expansion adds 1 to the node's icons.
    for (const auto& [root, expanded] : roots)
        if (expanded) SetNodeExpanded(root, true);
    for (TTreeNode* node : nodes_)
        if (!node->IsRoot() && node->data(0, Qt::UserRole).toBool()) SetNodeExpanded(node, true);
    CentreStartPanel();
    if (firstError) throw *firstError;
}

// Reads the budget's Objects table once and adds the subtree below `parentId` from it, each
// parent's children in the table's order. A row is added at most once, so that a damaged table
// whose parents form a loop cannot make the tree endless.
void TfMain::AddObjectNodes(int parentId, int budgetId, TTreeNode* parentNode,
                            const std::string& folder) {
    std::vector<TObjectRow> rows;
    std::unordered_map<int, std::vector<size_t>> children;
    {
        TTable objects;
        objects.SetDatabaseName(folder);
        objects.SetTableName(tbl::Objects);
        objects.SetIndexName(idx::Index01);
        objects.SetReadOnly(true);
        objects.Open();
        TField& id = objects.FieldByName(fld::ID);
        TField& parent = objects.FieldByName(fld::IDParent);
        TField& type = objects.FieldByName(fld::Type);
        TField& name = objects.FieldByName(fld::Name);
        TField& descript = objects.FieldByName(fld::Descript);
        TField& image = objects.FieldByName(fld::Image);
        TField& expanded = objects.FieldByName(fld::Expanded);
        for (objects.First(); !objects.Eof(); objects.Next()) {
            TObjectRow row{{budgetId, type.AsInteger(), id.AsInteger(), parent.AsInteger(),
                            name.AsString(), descript.AsString(), folder},
                           image.AsInteger(),
                           expanded.AsString() == "Y"};
            if (row.Info.Type == otCalendar) row.Info.Name = CalendarCaption;
            if (row.Info.Type == otLog) row.Info.Name = LogCaption;
            children[row.Info.IDParent].push_back(rows.size());
            rows.push_back(std::move(row));
        }
    }

    std::vector<bool> added(rows.size(), false);
    // Depth first: a node, then its children's subtrees in order.
    std::vector<std::pair<TTreeNode*, size_t>> stack;
    const auto pushChildren = [&](TTreeNode* node, int id) {
        const auto found = children.find(id);
        if (found == children.end()) return;
        for (auto it = found->second.rbegin(); it != found->second.rend(); ++it)
            if (!added[*it]) stack.emplace_back(node, *it);
    };
    pushChildren(parentNode, parentId);
    while (!stack.empty()) {
        const auto [parent, index] = stack.back();
        stack.pop_back();
        if (added[index]) continue;
        added[index] = true;
        const TObjectRow& row = rows[index];
        auto* node = new TTreeNode(*this, row.Info, row.Image,
                                   row.Info.Type == otFiles ? row.Image + 1 : row.Image);
        // The saved state is applied once the node stands in the tree (RebuildTree).
        node->setData(0, Qt::UserRole, row.Expanded);
        parent->addChild(node);
        nodes_.push_back(node);
        pushChildren(node, row.Info.ID);
    }
}

// Expands a node that has children (one without children cannot be expanded) or collapses it.
void TfMain::SetNodeExpanded(TTreeNode* node, bool expanded) {
    node->setExpanded(expanded && node->childCount() > 0);
}

void TfMain::TreeViewMainExpanded(QTreeWidgetItem* item) {
    auto* node = static_cast<TTreeNode*>(item);
    node->SetImages(node->ImageIndex + 1, node->SelectedImageIndex + 1);
}

void TfMain::TreeViewMainCollapsed(QTreeWidgetItem* item) {
    auto* node = static_cast<TTreeNode*>(item);
    node->SetImages(node->ImageIndex - 1, node->SelectedImageIndex - 1);
}

void TfMain::SaveTreeState() {
    const int selected = SelectedIndex();
    SetSettingInt("SelNode", selected >= 0 ? selected : 0);

    TTable& objects = DM->TableObjects;
    const std::string openFolder = objects.DatabaseName();
    const bool objectsReadOnly = objects.ReadOnly();
    TTable& budgets = DM->TableBudgets;
    Reopen(budgets, false);
    bool anyBudget = false;
    for (budgets.First(); !budgets.Eof(); budgets.Next()) {
        anyBudget = true;
        const std::string path = FieldText(budgets, "Path");
        const TTreeNode* root = nullptr;
        std::unordered_map<int, const TTreeNode*> objectNodes;
        for (const TTreeNode* node : nodes_) {
            if (node->Info.Path != path) continue;
            if (node->IsRoot()) {
                if (root == nullptr && node->Info.Type == otBudget) root = node;
            } else {
                objectNodes.emplace(node->Info.ID, node);
            }
        }
        if (root == nullptr) continue;
        budgets.Edit();
        budgets.FieldByName(fld::Expanded).SetAsString(root->isExpanded() ? "Y" : "N");
        budgets.Post();

        objects.Close();
        objects.SetDatabaseName(path);
        Reopen(objects, false);
        TTransactionScope transaction(path);
        TField& id = objects.FieldByName(fld::ID);
        TField& expanded = objects.FieldByName(fld::Expanded);
        for (objects.First(); !objects.Eof(); objects.Next()) {
            const auto node = objectNodes.find(id.AsInteger());
            if (node == objectNodes.end()) continue;
            const std::string state = node->second->isExpanded() ? "Y" : "N";
            if (expanded.AsString() == state) continue;
            objects.Edit();
            expanded.SetAsString(state);
            objects.Post();
        }
        transaction.Commit();
    }
    if (!anyBudget) return;
    // The Objects table goes back to the budget it was open on; with no budget opened yet it
    // stays closed (there is no folder to open it on).
    objects.Close();
    objects.SetReadOnly(objectsReadOnly);
    objects.SetDatabaseName(openFolder);
    if (!openFolder.empty()) objects.Open();
}

TTreeNode* TfMain::FindNode(int id, const std::string& folder) const {
    for (TTreeNode* node : nodes_) {
        if (node->Info.Path != folder) continue;
        if (id == 0 ? node->IsRoot() : (!node->IsRoot() && node->Info.ID == id)) return node;
    }
    return nullptr;
}

const ObjectInfo* TfMain::FindObject(int id, const std::string& folder) const {
    const TTreeNode* node = FindNode(id, folder);
    return node != nullptr ? &node->Info : nullptr;
}

int TfMain::SelectObject(int id, const std::string& folder) {
    TTreeNode* node = FindNode(id, folder);
    if (node == nullptr) return 0;
    TreeViewMain->setCurrentItem(node);
    TreeViewMain->setFocus();
    if (node->Info.Type == otBudget || node->Info.Type == otFolder) SetNodeExpanded(node, true);
    return 1;
}

int TfMain::SelectedIndex() const {
    for (const TTreeNode* node : nodes_)
        if (node->isSelected()) return node->Index;
    return -1;
}

std::string TfMain::GetObjectName(int id, const std::string& folder) const {
    const TTreeNode* node = FindNode(id, folder);
    return node != nullptr ? node->Info.Name : std::string();
}

std::string TfMain::GetObjectDescript(int id, const std::string& folder) const {
    const TTreeNode* node = FindNode(id, folder);
    return node != nullptr ? node->Info.Descript : std::string();
}

int TfMain::GetObjectImage(int id, const std::string& folder) const {
    const TTreeNode* node = FindNode(id, folder);
    return node != nullptr ? node->ImageIndex : 0;
}

int TfMain::GetObjectType(int id, const std::string& folder) const {
    const TTreeNode* node = FindNode(id, folder);
    return node != nullptr ? node->Info.Type : 0;
}

int TfMain::GetObjectPath(std::string& path, const std::string& separator, int id,
                          const std::string& folder) {
    // Walks up the parents; a broken chain ends the walk, and a chain longer than the tree
    // (a loop of IDs in a damaged budget) cannot run on.
    bool first = true;
    for (size_t steps = 0; steps <= nodes_.size(); ++steps) {
        if (id != 0) LetMessagesRun();
        const TTreeNode* node = FindNode(id, folder);
        if (node == nullptr) return first ? -1 : 0;
        path = node->Info.Name + separator + path;
        if (id == 0) return 0;
        id = node->Info.IDParent;
        first = false;
    }
    return 0;
}

bool TfMain::IsAncestor(int ancestorId, int objectId) const {
    int id = objectId;
    for (int step = 0; step < 10000; ++step) {
        const TTreeNode* node = FindNode(id, BudgetPath);
        if (node == nullptr) return false;
        if (node->Info.IDParent == ancestorId) return true;
        if (node->IsRoot()) return false;
        id = node->Info.IDParent;
    }
    return false;
}

int TfMain::NameExists(int parentId, int excludedId, const std::string& name) const {
    for (const TTreeNode* node : nodes_) {
        if (node->Info.Path == BudgetPath && node->Info.IDParent == parentId &&
            node->Info.Name == name && node->Info.ID != excludedId)
            return 1;
    }
    return 0;
}

int TfMain::HasNoChildren(int id, const std::string& folder) const {
    for (const TTreeNode* node : nodes_)
        if (node->Info.Path == folder && node->Info.IDParent == id) return 0;
    return 1;
}

int TfMain::NodeIndexOf(const TTreeNode* node) const {
    if (node == nullptr) return -1;
    const TTreeNode* found = FindNode(node->IsRoot() ? 0 : node->Info.ID, node->Info.Path);
    return found != nullptr ? found->Index : -1;
}
