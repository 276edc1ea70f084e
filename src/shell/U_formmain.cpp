// The main window: the program's folders and start and stop, the budget list and the open
// budget, the tree of budgets and objects with its lookups, the frame switch, the commands and
// keys, and the services every part calls.
#include "shell/U_formmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressDialog>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>

#include "algorithms/U_fglobalerror.h"
#include "algorithms/Uq519algorithm01.h"
#include "pays/U_fmakecalendar.h"
#include "pays/U_frecalcbudget.h"
#include "platform/EventLoop.h"
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
#include "shell/TreePopup.h"
#include "shell/U_fabout.h"
#include "shell/U_fclose.h"
#include "shell/U_finit.h"
#include "shell/U_finprocess1.h"
#include "shell/U_flanguage.h"
#include "shell/U_fsettings.h"
#include "shell/Ulanguage.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Usettings.h"
#include "tree/U_fchoice.h"
#include "tree/U_fcreatebudget.h"
#include "tree/U_fcreateobject.h"
#include "exchange/RestartRequests.h"
#include "exchange/U_delbudget.h"
#include "exchange/U_fbackup.h"
#include "exchange/U_fimpexp.h"
#include "exchange/U_frecovery.h"
#include "tree/U_fdelobject.h"
#include "tree/U_frename.h"

TfMain* fMain = nullptr;

namespace {

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

// The main tree. While a selection change runs (TreeChanging) it refuses every new selection,
// and a node is never deselected without another taking its place (Ctrl+click on the selected
// node), so that the selected node always stands for the frame shown. A rebuild clears it
// freely.
class TTreeView : public QTreeWidget {
public:
    TTreeView(const TMainState& state, QWidget* parent) : QTreeWidget(parent), state_(state) {}

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        const QItemSelectionModel::SelectionFlags command =
            QTreeWidget::selectionCommand(index, event);
        if (state_.TreeRebuilding) return command;
        const bool deselects =
            (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) &&
            !(command & QItemSelectionModel::Select);
        return state_.TreeChanging || deselects ? QItemSelectionModel::NoUpdate : command;
    }

private:
    const TMainState& state_;
};

// Sets a flag for the life of a scope and clears it on every way out, an error's included.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
};

constexpr const char* kBudgetNotFound = "FATAL ERROR: Unable to find budget in 'Budgets.DB'";

// The keys that click a named button of the shown frame: the node types whose frame has it,
// the modifier the key needs (none: any), whether the tree must be without the focus, whether
// the button must be visible (else enabled), and when the key is consumed.
enum class TConsumed { Never, Always, WhenClicked };
struct TButtonKey {
    int Key;
    Qt::KeyboardModifier Modifier;
    std::initializer_list<int> Types;
    const char* Button;
    bool OutsideTree;
    bool WhenVisible;
    TConsumed Consumed;
};
const TButtonKey kButtonKeys[] = {
    {Qt::Key_F3,
     Qt::NoModifier,
     {otTable, otImages, otNumber},
     "BitBtnEdit",
     true,
     false,
     TConsumed::Never},
    {Qt::Key_F4,
     Qt::NoModifier,
     {otTable, otImages, otNumber},
     "BitBtnApply",
     true,
     false,
     TConsumed::Never},
    {Qt::Key_F6,
     Qt::NoModifier,
     {otTable, otImages, otNumber, otPay},
     "BitBtnReport",
     true,
     false,
     TConsumed::Always},
    {Qt::Key_F,
     Qt::AltModifier,
     {otPay},
     "SpeedButtonFilter",
     false,
     false,
     TConsumed::WhenClicked},
    {Qt::Key_S, Qt::AltModifier, {otPay}, "ButtonFilterSetting", false, false, TConsumed::Never},
    {Qt::Key_PageUp,
     Qt::ControlModifier,
     {otImages},
     "BitBtnPictureUp",
     true,
     true,
     TConsumed::Never},
    {Qt::Key_PageDown,
     Qt::ControlModifier,
     {otImages},
     "BitBtnPictureDown",
     true,
     true,
     TConsumed::Never},
};

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
    SetGlobalErrorsWindow(ShowGlobalErrors);
    BuildWindow();
    fInProcess1 = new TfInProcess1(this);
    fChoice = new TfChoice(*this);
    FormCreate();
}

TfMain::~TfMain() {
    SetGlobalErrorsWindow({});
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
    TreeViewMain = new TTreeView(state_, panel1);
    TreeViewMain->setObjectName(QStringLiteral("TreeViewMain"));
    TreeViewMain->setHeaderHidden(true);
    // Names stand whole: a long one makes the tree scroll sideways instead of being cut.
    TreeViewMain->header()->setStretchLastSection(false);
    TreeViewMain->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TreeViewMain->setIndentation(19);
    TreeViewMain->setFocusPolicy(Qt::ClickFocus);
    TreeViewMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeViewMain->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeViewMain, &QTreeWidget::itemSelectionChanged, this, &TfMain::TreeViewMainChange);
    connect(TreeViewMain, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PMenuTree->popup(TreeViewMain->viewport()->mapToGlobal(at));
    });
    connect(TreeViewMain, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { TreeViewMainExpanded(item, true); });
    connect(TreeViewMain, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { TreeViewMainExpanded(item, false); });
    leftLayout->addWidget(TreeViewMain);
    Panel3 = new QFrame(panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(75);
    ImageLogo = new QLabel(Panel3);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setAlignment(Qt::AlignCenter);
    (new QHBoxLayout(Panel3))->addWidget(ImageLogo);
    leftLayout->addWidget(Panel3);

    PanelFrames = new QFrame(splitter);
    PanelFrames->setObjectName(QStringLiteral("PanelFrames"));
    PanelFrames->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelFrames->installEventFilter(this);
    BuildStartPanel();
    LabelFrameHeader = new QLabel(PanelFrames);
    LabelFrameHeader->setObjectName(QStringLiteral("LabelFrameHeader"));
    QFont headerFont = LabelFrameHeader->font();
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.4);
    headerFont.setBold(true);
    LabelFrameHeader->setFont(headerFont);
    LabelFrameHeader->setContentsMargins(12, 8, 12, 8);
    LabelFrameHeader->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelFrameHeader->hide();

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
    // The window sees every key before the control that has the focus.
    qApp->installEventFilter(this);
}

QAction* TfMain::AddCommand(QMenu* menu, const char* name, std::function<void()> run) {
    QAction* item = AddAction(menu, name);
    item->setEnabled(run != nullptr);
    if (run) connect(item, &QAction::triggered, this, run);
    return item;
}

// The main menu and the tree's popup menu. A command whose dialog is not part of the program
// yet has no action and stays disabled.
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
    // The commands that rebuild the tree or restart the program first leave the shown frame, as
    // a selection change does: the tree comes back without the frame's pending edits.
    AddCommand(budget, "CreateBudget",
               AfterLeaving([this] { (new TfCreateBudget(this))->exec(); }));
    AddCommand(budget, "Exit", [this] { close(); });
    QMenu* admin = addMenu("Admin");
    // Backup and recovery are of the open budget: without one they stay disabled.
    QAction* backup =
        AddCommand(admin, "Backup", AfterLeaving([this] { (new TfBackup(*this))->exec(); }));
    QAction* recovery =
        AddCommand(admin, "Recovery", AfterLeaving([this] { (new TfRecovery(*this))->exec(); }));
    connect(admin, &QMenu::aboutToShow, this, [this, backup, recovery] {
        for (QAction* item : {backup, recovery}) item->setEnabled(!state_.BudgetPath.empty());
    });
    AddCommand(admin, "Language", [this] { (new TfLanguage(*this))->exec(); });
    AddCommand(admin, "Settings", [this] { (new TfSettings(*this))->exec(); });
    QMenu* help = addMenu("Help");
    AddCommand(help, "Help1", [this] { ShowHelp(0); });
    AddCommand(help, "About", [this] { (new TfAbout(*this))->exec(); });

    PMenuTree = new QMenu(this);
    PMenuTree->setObjectName(QStringLiteral("PMenuTree"));
    // The popup's commands with their dialogs; PMenuTreePopup enables them by the selection.
    const std::map<std::string, std::function<void()>> popupRuns = {
        {"CreateObject", AfterLeaving([this] { (new TfCreateObject(*this))->exec(); })},
        {"Rename", AfterLeaving([this] { (new TfRename(*this))->exec(); })},
        {"Move", AfterLeaving([this] {
             fChoice->Mode = TfChoice::kModeMove;
             fChoice->exec();
         })},
        {"Delete", AfterLeaving([this] {
             if (state_.TypeObject == otBudget)
                 (new TfDelBudget(*this))->exec();
             else
                 (new TfDelObject(*this))->exec();
         })},
        {"Export", [this] { (new TfImpExp(*this, 'E'))->ExecModal(); }},
        {"Import", AfterLeaving([this] { (new TfImpExp(*this, 'I'))->ExecModal(); })},
    };
    const auto addPopupCommand = [&](const char* name) {
        const auto run = popupRuns.find(name);
        const std::function<void()> action = run != popupRuns.end() ? run->second : nullptr;
        popupCommands_.push_back({AddCommand(PMenuTree, name, action), action});
    };
    for (const char* name : {"CreateObject", "Rename", "Move", "Delete"}) addPopupCommand(name);
    PMenuTree->addSeparator()->setEnabled(false);
    for (const char* name : {"Export", "Import"}) addPopupCommand(name);
    connect(PMenuTree, &QMenu::aboutToShow, this, &TfMain::PMenuTreePopup);
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
    SetProgramFolders(state_);
    CopyInstalledData();
    // A second copy ends silently before it touches anything: above all, the start-up helper
    // must not carry out a request on a budget that the running copy has open.
    if (AnotherCopyRuns()) {
        state_.FatalClose = true;
        return;
    }
    // The temp folder lies in a folder that every user of the machine shares: one that is not
    // this user's alone is refused, and the start becomes fatal.
    if (const std::string refusal = MakeTempFolder(state_.TempPath); !refusal.empty()) {
        MessageDlg(refusal, TMsgDlgType::mtError, mbOK, this);
        state_.FatalClose = true;
    }
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

// The helper's work at most starts take a moment; one that lasts longer shows the wait.
void TfMain::RunStartupHelper() {
    constexpr int kQuietWaitMs = 1000;
    QProcess helper;
    helper.setProgram(ToQString(state_.ProgramPath + "VLStartup"));
    helper.start();
    if (!helper.waitForStarted() || helper.waitForFinished(kQuietWaitMs)) return;
    WaitForStartupHelper(helper);
}

// A small window says that the start waits for the helper's work, so that a helper that cannot
// end (an archive on a share that stopped answering) is no silent hang before any window. Its
// Stop ends the helper: what it was asked stays pending, to be done at the next start.
void TfMain::WaitForStartupHelper(QProcess& helper) {
    TMainState configured = state_;
    ReadConfiguredFolders(configured);
    const TLangFile texts(configured.LangPath + "Startup.lng");
    QProgressDialog wait(QString(), ToQString(texts.Read("Wait", "BtnStop", "Stop")), 0, 0);
    auto* label = new QLabel(ToQString(texts.Read(
        "Wait", "Text",
        "Vemly is doing the work asked for at this start (backups, a recovery or a deletion). "
        "Stop ends it; what was asked is then done at the next start.")));
    label->setWordWrap(true);
    wait.setLabel(label);
    wait.setMinimumWidth(420);
    wait.setObjectName(QStringLiteral("StartupWait"));
    wait.setWindowTitle(QStringLiteral("Vemly"));
    wait.setAutoClose(false);
    wait.setAutoReset(false);
    wait.setMinimumDuration(0);
    connect(&wait, &QProgressDialog::canceled, &helper, &QProcess::kill);
    connect(&helper, &QProcess::finished, &wait, &QDialog::accept);
    if (helper.state() != QProcess::NotRunning) wait.exec();
    // However the window was closed, the start goes on only once the helper has ended.
    if (helper.state() != QProcess::NotRunning) {
        helper.kill();
        helper.waitForFinished(-1);
    }
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
    const TIniFile ini(state_.DataPath + "vemly.ini");
    if (ini.ReadString("Common", "VLSMode", "0") == "1") {
        SetupRun();
        return;
    }
    ReadConfiguredFolders(state_);
    MakeFolder(state_.BackupPath);
    RemovePartialBackups(state_);
    RunStartUp();
}

// Only one copy of the program runs for a user: the first holds the lock file in the
// users-data folder until its process ends. A lock left by a copy that no longer runs (a crash) is
// taken over. A lock file that cannot be written at all does not keep the program from
// starting: the lock then answers that no other copy runs.
bool TfMain::AnotherCopyRuns() {
    copyLock_ = MakeCopyLock(state_.UsersDataPath);
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

// The work of a normal start, before the window appears: the start-up form with its phases
// (which build the tree and select the saved node), then the smoothed logo below the tree.
void TfMain::RunStartUp() {
    TfInit::Run(*this);
    ImageLogo->setPixmap(QPixmap::fromImage(MainLogoBitmap));
}

void TfMain::CloseLater() {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfMain::closeEvent(QCloseEvent* event) {
    // Every close request but a fatal close and a restart first leaves the shown frame (unless a
    // selection change, which left it already, asks for the close) and then asks; a frame that
    // must stay and the answer Exit keep the program running. A fatal close and a restart leave
    // the frame alone: nothing is asked or dropped, and pictures staged in an album's edit stay
    // in its staging folders.
    if (!state_.FatalClose && !state_.RestartRequested &&
        ((!state_.TreeChanging && !LeaveFrame()) ||
         (new TfClose(*this))->exec() != QDialog::Accepted)) {
        event->ignore();
        return;
    }
    QDir::setCurrent(ToQString(state_.ProgramPath));
    // The lock stays held until this process has ended; the restart helper waits for this
    // process and then for the lock before it starts the program again.
    if (state_.RestartRequested)
        QProcess::startDetached(ToQString(state_.ProgramPath + "VLRestart"),
                                {QString::number(QCoreApplication::applicationPid())});
    event->accept();
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelFrames && event->type() == QEvent::Resize) {
        CentreStartPanel();
        PlaceFrames();
    }
    // A key reaches the window first while it is the active window: once, on its way to the
    // focus widget (or to the window itself when nothing has the focus).
    if (event->type() == QEvent::KeyPress && QApplication::activeWindow() == this) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : this;
        if (watched == target) return FormKeyDown(*static_cast<QKeyEvent*>(event));
    }
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

void TfMain::RebuildCalendar(TDateTime from, TDateTime to) {
    ::RebuildCalendar(from, to, this);
}

void TfMain::RunAutoRecalc(bool fromBeginning, TDateTime date) {
    ::RunAutoRecalc(fromBeginning, date, this);
}

void TfMain::SetBudgetState(int budgetState, int image) {
    const int root = ::SetBudgetState(state_, index_, budgetState, image);
    if (root >= 0 && root < static_cast<int>(nodes_.size())) nodes_[root]->RefreshImages();
    emit BudgetStateChanged();
}

void TfMain::SetSelectedImage(int image) {
    const int at = SelectedIndex();
    if (at < 0 || at >= static_cast<int>(nodes_.size())) return;
    index_.SetImage(at, image);
    nodes_[at]->RefreshImages();
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
        if (std::strchr("\"*/:<>?\\^|", c) != nullptr && c != '\0') c = '_';
    return result;
}

// --- Object tree -----------------------------------------------------------------------------

void TfMain::RebuildTree() {
    state_.TypeObject = -1;
    std::optional<EDatabaseError> firstError;
    {
        // The selection handler ignores every change meanwhile; the tree draws again at the
        // end, also when the budget list cannot be read.
        TFlagScope rebuilding(state_.TreeRebuilding);
        TreeViewMain->setUpdatesEnabled(false);
        const std::unique_ptr<QTreeWidget, void (*)(QTreeWidget*)> resume(
            TreeViewMain, [](QTreeWidget* tree) { tree->setUpdatesEnabled(true); });
        TreeViewMain->clear();
        nodes_.clear();
        fChoice->Rebuild = true;

        firstError = index_.Build(DM->TableBudgets, state_);
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
        // The widget's nodes take the expanded state the index holds (which has counted the
        // icons).
        for (int i = 0; i < index_.Count(); ++i)
            if (index_.Node(i).Expanded) nodes_[i]->setExpanded(true);
    }
    // Nothing is selected: every frame is hidden and the start panel is seen.
    ShowFrame();
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

// --- Selection and frame switching -------------------------------------------------------------

TTreeNode* TfMain::SelectedNode() const {
    const QList<QTreeWidgetItem*> selected = TreeViewMain->selectedItems();
    return selected.isEmpty() ? nullptr : static_cast<TTreeNode*>(selected.first());
}

// The selection moved to another node. While the change runs the tree refuses every new
// selection; the guard is cleared on every way out, also when the change fails, which is shown
// as the message loop shows an error, so that the tree takes selections again afterwards.
void TfMain::TreeViewMainChange() {
    if (state_.TreeRebuilding) return;
    const TTreeNode* selected = SelectedNode();
    if (selected == nullptr) return;
    const TFlagScope changing(state_.TreeChanging);
    try {
        // A copy: the frame being left may change the tables the index was read from.
        ChangeSelection(ObjectInfo(selected->Info()));
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
}

void TfMain::ChangeSelection(const ObjectInfo& node) {
    if (!LeaveFrame()) {
        ReselectShownNode();
        return;
    }
    state_.IDObject = node.Type == otBudget ? 0 : node.ID;
    state_.TypeObject = node.Type;
    if (node.IDBudget != state_.IDBudget) SwitchBudget(node);
    LetMessagesRun();
    ShowFrame();
}

// The node belongs to another budget: it becomes the open budget, with its budget list row's
// name, description and state, and its seventeen tables are opened on its folder. A budget
// that is missing from the budget list is reported and the window is asked to close; should
// the program go on, the budget's name and description come from its root node and it counts
// as stopped, so that nothing calculates into a budget whose state is unknown.
void TfMain::SwitchBudget(const ObjectInfo& node) {
    state_.IDBudget = node.IDBudget;
    state_.BudgetPath = node.Path;
    fChoice->Rebuild = true;
    fChoice->LastChoice = -1;
    TTable& budgets = DM->TableBudgets;
    if (budgets.Locate(fld::ID, {node.IDBudget})) {
        state_.BudgetState = budgets.FieldByName(fld::State).AsInteger();
        state_.BudgetName = budgets.FieldByName(fld::Name).AsString();
        state_.BudgetDescript = budgets.FieldByName(fld::Descript).AsString();
    } else {
        MessageDlg(kBudgetNotFound, TMsgDlgType::mtError, mbOK, this);
        Close();
        const ObjectInfo* root = index_.FindObject(0, node.Path);
        state_.BudgetName = root != nullptr ? root->Name : std::string();
        state_.BudgetDescript = root != nullptr ? root->Descript : std::string();
        state_.BudgetState = 3;
    }
    DM->OpenBudget(node.Path);
    // The underlined root moves to the open budget.
    TreeViewMain->viewport()->update();
}

bool TfMain::LeaveFrame() {
    TFrameBase* frame = frames_.FrameFor(state_.TypeObject);
    return frame == nullptr || frame->Leave();
}

// The frame refused to be left: the selection goes back to its node, which the members still
// describe, without a selection change (the frame keeps what it shows).
void TfMain::ReselectShownNode() {
    const int index = index_.IndexOf(state_.IDObject, state_.BudgetPath);
    if (index < 0) return;
    const QSignalBlocker quiet(TreeViewMain);
    // Straight to the selection model: the tree refuses selections while a change runs.
    TreeViewMain->setCurrentItem(nodes_[index], 0, QItemSelectionModel::ClearAndSelect);
    TreeViewMain->scrollToItem(nodes_[index]);
}

std::function<void()> TfMain::AfterLeaving(std::function<void()> run) {
    return [this, run = std::move(run)] {
        if (LeaveFrame()) run();
    };
}

void TfMain::ShowFrame() {
    const int type = state_.TypeObject;
    TFrameBase* shown = frames_.FrameFor(type);
    for (TFrameBase* frame : frames_.Frames())
        if (frame != shown) frame->HideFrame();
    const ObjectInfo* node =
        type == -1 ? nullptr : index_.FindObject(state_.IDObject, state_.BudgetPath);
    Panel2->setVisible(node == nullptr);
    LabelFrameHeader->setVisible(node != nullptr && shown == nullptr);
    if (node == nullptr) {
        CentreStartPanel();
        return;
    }
    PlaceFrames();
    if (shown == nullptr) {
        LabelFrameHeader->setText(ToQString(node->Name));
        return;
    }
    const std::optional<TShownMark> mark = ShownMarkOf(type);
    if (mark && state_.IsShown(*mark, state_.IDObject, state_.BudgetPath))
        shown->ShowKept(*node);
    else
        shown->ShowFor(*node);
    if (mark) state_.SetShown(*mark, state_.IDObject, state_.BudgetPath);
}

void TfMain::RefreshFrameHeader() {
    const int type = state_.TypeObject;
    if (type < otFolder || type > otPay) return;
    const ObjectInfo* node = index_.FindObject(state_.IDObject, state_.BudgetPath);
    if (node == nullptr) return;
    if (TFrameBase* frame = frames_.FrameFor(type))
        frame->RefreshHeader(*node);
    else
        LabelFrameHeader->setText(ToQString(node->Name));
}

// The frames and the empty area's header fill the frame panel.
void TfMain::PlaceFrames() {
    const QRect area = PanelFrames->contentsRect();
    for (TFrameBase* frame : frames_.Frames()) frame->setGeometry(area);
    LabelFrameHeader->setGeometry(area);
}

// --- Commands and keys -------------------------------------------------------------------------

void TfMain::PMenuTreePopup() {
    const TTreePopupItems allowed = TreePopupItems(state_.TypeObject);
    const bool rules[] = {allowed.CreateObject, allowed.Rename, allowed.Move, allowed.Delete,
                          allowed.Export,       allowed.Import};
    for (size_t i = 0; i < popupCommands_.size(); ++i)
        popupCommands_[i].Item->setEnabled(rules[i] && popupCommands_[i].Run != nullptr);
}

// F2 in the tree opens its popup menu beside the selected node, near the tree's right edge;
// with nothing selected there is no node to place it at and nothing happens.
void TfMain::TreeViewMainKeyDown(const QKeyEvent& key) {
    if (key.key() != Qt::Key_F2) return;
    const TTreeNode* node = SelectedNode();
    if (node == nullptr) return;
    const QRect rect = TreeViewMain->visualItemRect(node);
    PMenuTree->popup(
        TreeViewMain->viewport()->mapToGlobal(QPoint(TreeViewMain->width() - 50, rect.bottom())));
}

// The window's keys, before the focus widget sees them. Answers true when the key is consumed
// (no control sees it).
bool TfMain::FormKeyDown(const QKeyEvent& key) {
    const int type = state_.TypeObject;
    const bool inTree = QApplication::focusWidget() == TreeViewMain;
    TFrameBase* frame = frames_.FrameFor(type);
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);

    if (key.key() == Qt::Key_Tab && modifiers == Qt::ControlModifier) {
        if (!inTree)
            TreeViewMain->setFocus(Qt::TabFocusReason);
        else if (frame != nullptr && frame->MainControl() != nullptr)
            frame->MainControl()->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (key.key() == Qt::Key_F1) {
        if (inTree)
            ShowHelp(0);
        else if (frame != nullptr)
            frame->ButtonHelp->click();
        return false;
    }
    if (key.key() == Qt::Key_F2 && inTree) {
        TreeViewMainKeyDown(key);
        return false;
    }
    // In the images frame every key lets the pictures being drawn appear first.
    if (type == otImages && !inTree) LetMessagesRun();
    for (const TButtonKey& entry : kButtonKeys) {
        if (key.key() != entry.Key) continue;
        if (entry.Modifier != Qt::NoModifier && modifiers != entry.Modifier) continue;
        if (std::find(entry.Types.begin(), entry.Types.end(), type) == entry.Types.end()) continue;
        bool clicked = false;
        if (frame != nullptr && !(entry.OutsideTree && inTree)) {
            auto* button = frame->findChild<QAbstractButton*>(QString::fromLatin1(entry.Button));
            if (button != nullptr &&
                (entry.WhenVisible ? button->isVisible() : button->isEnabled())) {
                button->click();
                clicked = true;
            }
        }
        return entry.Consumed == TConsumed::Always ||
               (entry.Consumed == TConsumed::WhenClicked && clicked);
    }
    // F6 keeps the focus in the tree whatever the node.
    return key.key() == Qt::Key_F6;
}
