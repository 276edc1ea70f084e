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
#include <cmath>
#include <cstring>
#include <optional>

#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "platform/Text.h"
#include "reports/U_rtfreport.h"
#include "schema/SchemaNames.h"
#include "shell/BudgetList.h"
#include "shell/InstalledData.h"
#include "shell/MessageDlg.h"
#include "shell/ShellOpen.h"
#include "shell/ShellServices.h"
#include "shell/U_finprocess1.h"
#include "shell/Ulanguage.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Usettings.h"

TfMain* fMain = nullptr;

namespace {

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

// Creates one folder level; a failure is not reported (later uses of the folder fail).
void MakeFolder(const std::string& path) {
    QDir().mkdir(ToQString(path));
}

}  // namespace

// --- Tree nodes --------------------------------------------------------------------------------

TTreeNode::TTreeNode(const TfMain& owner, int index) : Index(index), owner_(owner) {
    setText(0, ToQString(Info().Name));
    RefreshImages();
}

const TIndexNode& TTreeNode::Entry() const {
    return owner_.Index().Node(Index);
}

void TTreeNode::RefreshImages() {
    setIcon(0, owner_.ImageListTree.NodeIcon(Entry().Image, Entry().SelectedImage));
}

QVariant TTreeNode::data(int column, int role) const {
    if (role != Qt::FontRole || treeWidget() == nullptr) return QTreeWidgetItem::data(column, role);
    QFont font = treeWidget()->font();
    const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : 9;
    const TMainState& state = owner_.State();
    const bool inOpenBudget = Info().Path == state.BudgetPath;
    if (IsRoot()) {
        font.setPointSizeF(size + 2);
        font.setUnderline(inOpenBudget);
    } else {
        font.setBold(inOpenBudget && Info().ID == state.IDObject);
    }
    return font;
}

// --- Creation, first show and close ------------------------------------------------------------

TfMain::TfMain() : previousServices_(shell_services_detail::installed) {
    SetShellServices(this);
    BuildWindow();
    fInProcess1 = new TfInProcess1(this);
    FormCreate();
}

TfMain::~TfMain() {
    SetShellServices(previousServices_);
}

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
    connect(TreeViewMain, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { TreeViewMainExpanded(item, true); });
    connect(TreeViewMain, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { TreeViewMainExpanded(item, false); });
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
    connect(AddAction(help, "Help1"), &QAction::triggered, this, [this] { ShowHelp(0); });
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
    state_.ProgramPath = ProgramFolder() + "/";
    state_.DataPath = GetCommonAppDataFolder() + "/";
    state_.UsersDataPath = GetMyDocumentsFolder() + "/VemlyUsersData/";
    CopyInstalledData();
    // The temp folder lies in a folder that every user of the machine shares: one that is not
    // this user's alone is refused, and the start becomes fatal.
    state_.TempPath = GetTempFolder() + TempFolderName() + "/";
    if (const std::string refusal = MakeTempFolder(state_.TempPath); !refusal.empty()) {
        MessageDlg(refusal, TMsgDlgType::mtError, mbOK, this);
        state_.FatalClose = true;
    }
    state_.TemplatesPath = state_.DataPath + "Templates/";
    state_.ExportPath = GetMyDocumentsFolder() + "/VemlyExport";
    MakeFolder(state_.ExportPath);

    CheckUsersDataTables();
    if (state_.FatalClose) return;

    const bool firstStartOfDay = DatePart(GetSettingDate("LastStart", 0)) < DatePart(Today());
    const int pendingRequest = GetSettingInt("Startup", 0);
    const bool setupMode =
        TIniFile(state_.DataPath + "vemly.ini").ReadString("Common", "VLSMode", "0") == "1";
    QDir::setCurrent(ToQString(state_.ProgramPath));
    if (!setupMode && (firstStartOfDay || pendingRequest >= 1)) RunStartupHelper();
}

// The installed data (<prefix>/share/vemly beside the program's bin folder) makes the data
// folder and the users-data folder on a new machine and brings what a newer version adds into
// an existing data folder, before the start-up checks look at them.
void TfMain::CopyInstalledData() const {
    BringInstalledData(state_.ProgramPath + "../share/vemly/", state_.DataPath,
                       state_.UsersDataPath);
}

// The budget list and the settings must be tables of the users-data folder; each one that is
// missing or cannot be opened is reported, and the start becomes fatal. Where the tables file is
// there but cannot be opened (damaged, not a tables file, unreadable), a second line names the
// file and the reason: such a file may be repaired, and must not be taken for a missing one.
void TfMain::CheckUsersDataTables() {
    for (const TUsersDataTable& table : kUsersDataTables) {
        std::string text;
        try {
            TTable check;
            check.SetDatabaseName(state_.UsersDataPath);
            check.SetTableName(table.Name);
            check.SetReadOnly(true);
            check.Open();
            continue;
        } catch (const ETableMissing&) {
            text = table.Missing;
        } catch (const EDatabaseError& error) {
            text = std::string(table.Missing) + "\n" + error.what();
        }
        MessageDlg(text, TMsgDlgType::mtError, mbOK, this);
        state_.FatalClose = true;
    }
}

void TfMain::RunStartupHelper() {
    QProcess helper;
    helper.setProgram(ToQString(state_.ProgramPath + "VLStartup"));
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
    if (state_.FatalClose) {
        CloseLater();
        return;
    }
    if (AnotherCopyRuns()) {
        state_.FatalClose = true;
        CloseLater();
        return;
    }
    const TIniFile ini(state_.DataPath + "vemly.ini");
    if (ini.ReadString("Common", "VLSMode", "0") == "1") {
        SetupRun();
        return;
    }
    state_.BackupPath = ini.ReadString("Common", "BACKUP", state_.UsersDataPath + "BACKUP");
    MakeFolder(state_.BackupPath);
    state_.LangPath = state_.DataPath + ini.ReadString("Common", "VLLang", "") + "/";
    state_.HelpFile = state_.LangPath + "VemlyHelp.html";
    RunStartUp();
}

// Only one copy of the program runs for a user: the first holds the lock file in the
// users-data folder for its whole run. A lock left by a copy that no longer runs (a crash) is
// taken over. A lock file that cannot be written at all does not keep the program from
// starting: the lock then answers that no other copy runs.
bool TfMain::AnotherCopyRuns() {
    copyLock_ = std::make_unique<QLockFile>(ToQString(state_.UsersDataPath + kLockFileName));
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
        TIniFile ini(state_.DataPath + "vemly.ini");
        ini.WriteString("Common", "BACKUP", state_.UsersDataPath + "BACKUP");
        strFCharsetInfo charset;
        charset.Path = state_.DataPath + "fcharset.cfg";
        ReadCharsetConfig(charset);
        // Russian-speaking users get the Russian module and everybody else the English one, as
        // long as the chosen one is installed; otherwise the other.
        std::string language = charset.Charset == "204" ? "LangRU" : "LangEN";
        if (!FolderExists(state_.DataPath + language))
            language = language == "LangRU" ? "LangEN" : "LangRU";
        ini.WriteString("Common", "VLLang", language);
        ini.WriteString("Common", "VLSMode", "0");
        DM->ResolveBudgetPaths();
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
    state_.FatalClose = true;
    CloseLater();
}

// The work of a normal start after the first show, as far as it is built: the data module's
// tables prepared, the main window's texts read and the tree built.
void TfMain::RunStartUp() {
    DM->PrepareTables(state_.UsersDataPath);
    state_.IDBudget = -1;
    LoadTexts();
    state_.NamesSep = GetSettingStr("NamesSep", "\\");
    RebuildTree();
    TreeViewMain->setFocus();
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
        const TLangFile main(state_.LangPath + "Main.lng");
        state_.MesPrepare = main.Read("Main", "MesPrepare", "Prepare ...");
        state_.MesLoad = main.Read("Main", "MesLoad", "Load ...");
        state_.MesProcessing = main.Read("Main", "MesProcessing", "Processing ...");
        const std::pair<const char*, const char*> captions[] = {
            {"Budget", "Budget"},     {"CreateBudget", "Create budget"},
            {"Exit", "Exit"},         {"Admin", "Administrator"},
            {"Backup", "Backup"},     {"Recovery", "Recovery"},
            {"Language", "Language"}, {"Settings", "Settings"},
            {"Help", "Help"},         {"Help1", "Help"},
            {"About", "About"}};
        for (const auto& [name, defaultText] : captions)
            setCaption(menuBar(), name, main.Read("Main", name, defaultText));
        state_.CalendarCaption = main.Read("Tree", "Calendar", "Calendar of the budget");
        state_.LogCaption = main.Read("Tree", "Log", "Log of transactions");
        StatusBarText->setText(ToQString("   " + main.Read("Main", "StatusBar", "")));
        QPalette palette = StatusBarText->palette();
        palette.setColor(QPalette::WindowText, MemoColor);
        StatusBarText->setPalette(palette);
    }
    const TLangFile popup(state_.LangPath + "PMenuTree.lng");
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
    QDir::setCurrent(ToQString(state_.ProgramPath));
    // The close dialog is not part of the program yet: the window closes at once. The lock is
    // given up first, so that a copy the restart helper starts is not taken for a second one.
    copyLock_.reset();
    if (state_.RestartRequested)
        QProcess::startDetached(ToQString(state_.ProgramPath + "VLRestart"), {});
    event->accept();
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelFrames && event->type() == QEvent::Resize) CentreStartPanel();
    return QMainWindow::eventFilter(watched, event);
}

// The start panel stays in the middle of the frame panel while no node is selected.
void TfMain::CentreStartPanel() {
    if (state_.TypeObject != -1) return;
    Panel2->move(PanelFrames->width() / 2 - Panel2->width() / 2,
                 PanelFrames->height() / 2 - Panel2->height() / 2);
}

// --- Services --------------------------------------------------------------------------------

void TfMain::ResetShownMark(TShownMark mark) {
    state_.ResetShownMark(mark);
}

void TfMain::FatalError(int code, std::error_code error) {
    const std::string text = code == kFolderNotCreated ? "Fatal error ! Unable to create directory."
                             : code == kFolderNotDeleted
                                 ? "Fatal error ! Unable to delete directory."
                                 : "Fatal error !";
    CloseFatally(text + "\n" + error.message());
}

void TfMain::CloseFatally(const std::string& text) {
    MessageDlg(text, TMsgDlgType::mtError, mbOK, this);
    state_.FatalClose = true;
    close();
    LetMessagesRun();
    // Ends every running message loop, a modal dialog's included.
    QCoreApplication::exit(0);
}

void TfMain::Close() {
    close();
}

int TfMain::ClearTempFolder() {
    return ::ClearTempFolder(state_);
}

TDateTime TfMain::DatePart(TDateTime date) {
    return std::trunc(date);
}

void TfMain::ShowBusyMessage(TBusyKind kind) {
    const std::string& text = kind == TBusyKind::Prepare ? state_.MesPrepare
                              : kind == TBusyKind::Load  ? state_.MesLoad
                                                         : state_.MesProcessing;
    fInProcess1->LabelMessage->setText(ToQString(text));
    fInProcess1->show();
    LetMessagesRun();
}

void TfMain::HideBusyMessage() {
    fInProcess1->hide();
    LetMessagesRun();
}

void TfMain::ShowHelp(int topic) {
    ::ShowHelp(state_.HelpFile, topic, this);
}

// --- Budget list and the open budget ---------------------------------------------------------

int TfMain::FolderExists(const std::string& path) {
    return QFileInfo(ToQString(path)).isDir() ? 1 : 0;
}

void TfMain::StartBudget() {
    SetBudgetState(0, 0);
}

void TfMain::StopBudget() {
    SetBudgetState(3, 4);
}

void TfMain::SetBudgetState(int budgetState, int image) {
    const int root = ::SetBudgetState(state_, index_, budgetState, image);
    if (root >= 0 && root < static_cast<int>(nodes_.size())) nodes_[root]->RefreshImages();
}

int TfMain::SelectBudget(const std::string& folder) {
    const int root = index_.IndexOf(0, folder);
    if (root < 0 || index_.Node(root).Info.Type != otBudget) return 0;
    TreeViewMain->setCurrentItem(nodes_[root]);
    TreeViewMain->setFocus();
    return 1;
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
    state_.TypeObject = -1;
    TreeViewMain->setUpdatesEnabled(false);
    state_.TreeRebuilding = true;
    struct TResume {
        TfMain& main;
        ~TResume() {
            main.state_.TreeRebuilding = false;
            main.TreeViewMain->setUpdatesEnabled(true);
        }
    } resume{*this};
    TreeViewMain->clear();
    nodes_.clear();

    const std::optional<EDatabaseError> firstError = index_.Build(DM->TableBudgets, state_);
    nodes_.reserve(index_.Nodes().size());
    QList<QTreeWidgetItem*> topLevel;
    for (int i = 0; i < index_.Count(); ++i) {
        auto* node = new TTreeNode(*this, i);
        nodes_.push_back(node);
        const int parent = index_.Node(i).Parent;
        if (parent < 0)
            topLevel.append(node);
        else
            nodes_[parent]->addChild(node);
    }
    TreeViewMain->addTopLevelItems(topLevel);
    // The widget's nodes take the expanded state the index holds (which has counted the icons).
    for (int i = 0; i < index_.Count(); ++i)
        if (index_.Node(i).Expanded) nodes_[i]->setExpanded(true);
    CentreStartPanel();
    if (firstError) throw *firstError;
}

// Every expansion and collapse, by the user or by the program, goes into the index, whose icons
// follow (+1 while expanded); the node then shows them.
void TfMain::TreeViewMainExpanded(QTreeWidgetItem* item, bool expanded) {
    auto* node = static_cast<TTreeNode*>(item);
    index_.SetExpanded(node->Index, expanded);
    node->RefreshImages();
}

// Expands a node that has children (one without children cannot be expanded) or collapses it.
void TfMain::SetNodeExpanded(TTreeNode* node, bool expanded) {
    node->setExpanded(expanded && node->childCount() > 0);
}

void TfMain::SaveTreeState() {
    ::SaveTreeState(index_, SelectedIndex());
}

int TfMain::SelectObject(int id, const std::string& folder) {
    const int index = index_.IndexOf(id, folder);
    if (index < 0) return 0;
    TTreeNode* node = nodes_[index];
    TreeViewMain->setCurrentItem(node);
    TreeViewMain->setFocus();
    if (node->Info().Type == otBudget || node->Info().Type == otFolder) SetNodeExpanded(node, true);
    return 1;
}

int TfMain::SelectedIndex() const {
    for (const TTreeNode* node : nodes_)
        if (node->isSelected()) return node->Index;
    return -1;
}

int TfMain::NodeIndexOf(const TTreeNode* node) const {
    if (node == nullptr) return -1;
    return index_.IndexOf(node->IsRoot() ? 0 : node->Info().ID, node->Info().Path);
}
