// The main window: the program's start and stop, the tree of budgets and objects built from the
// object index, the frame switch, its commands and keys, and the services every part calls (its
// state and index live outside it).
#pragma once

#include <QColor>
#include <QImage>
#include <QMainWindow>
#include <QTreeWidgetItem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dates.h"
#include "shell/FrameRegistry.h"
#include "shell/ImageListTree.h"
#include "shell/MainState.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QLockFile;
class QMenu;
class QMenuBar;
class QProcess;
class QSplitter;
class QStatusBar;
class QTreeWidget;
class TfChoice;
class TfInProcess1;
class TfMain;

// A node of the main tree: it stands for the node of the object index at the same position.
class TTreeNode : public QTreeWidgetItem {
public:
    TTreeNode(const TfMain& owner, int index);

    const int Index;  // the position in tree order, in the tree and in the index

    const TIndexNode& Entry() const;
    const ObjectInfo& Info() const { return Entry().Info; }
    bool IsRoot() const { return Entry().IsRoot(); }
    // Shows the icons that the index holds for the node.
    void RefreshImages();
    // The node's font: a root larger, underlined while its budget is open; an object bold while
    // it is the selected object of the open budget.
    QVariant data(int column, int role) const override;

private:
    const TfMain& owner_;
};

class TfMain : public QMainWindow, public TShellServices {
    Q_OBJECT

public:
    // Builds the window and works out the folders: the program's, the data folder, the
    // users-data folder, temp, templates and export. It brings the installed data into the
    // data folder and users-data folder (BringInstalledData of InstalledData.h). Then it checks
    // the temp folder, the budget list and the settings tables (one refused or missing is
    // reported and makes the start fatal) and runs the start-up helper when it is due. It
    // installs itself as the shell services.
    TfMain();
    ~TfMain() override;

    // The main window's state; the window, its start-up and its dialogs write it.
    TMainState& State() { return state_; }

    // The font colour of the status bar and of description memos.
    QColor MemoColor{0x50, 0x50, 0x50};

    // The smoothed logos that the load phase makes: the main window's, shown below the tree
    // after start-up, and the small one of the dialogs.
    QImage MainLogoBitmap;
    QImage LogoBitmap;
    // The number frame's formula pictures (data folder's "formula01.bmp" and
    // "formula01inv.bmp"), read by the load phase; empty when a file is missing or unreadable.
    QImage FormulaIcon;
    QImage FormulaIconInv;

    // --- Frames ---------------------------------------------------------------------------

    // The frames of the frame panel by node type. Each frame's unit registers its frame here
    // at start, in the order in which the load phase reads their texts.
    TFrameRegistry& Frames() { return frames_; }
    // Lets the frame of the selected node (TypeObject) finish its edits before the selection
    // moves on, the window closes or a command rebuilds the tree. False when the frame must
    // stay (edits the user chose to keep could not be saved): the caller then stays on the node.
    bool LeaveFrame();
    // Shows the frame of the selected node's type for it and hides every other frame. A frame
    // with a reload mark (images, files, number, pay) loads the node only when its mark names
    // another node or budget, and the mark then names the node. With nothing selected the
    // start panel is seen; a type whose frame does not exist shows the empty frame area with
    // the node's name as its header.
    void ShowFrame();
    // After a rename: the header of the selected folder's or object's frame shows the node's
    // name and description.
    void RefreshFrameHeader();

    // --- Services of the main window (TShellServices) --------------------------------------

    const TMainState& State() const override { return state_; }
    const TObjectIndex& Index() const override { return index_; }
    void ResetShownMark(TShownMark mark) override;
    void CloseFatally(const std::string& text) override;
    using TShellServices::FatalError;
    void FatalError(int code, std::error_code error) override;
    void Close() override;
    int ClearTempFolder() override;
    // Stores SelNode and the expanded states (SaveTreeState of BudgetList.h).
    void SaveTreeState() override;
    // Builds the index again (TObjectIndex::Build: a budget whose row or tables cannot be read
    // is left out) and the tree from it, each node expanded as last saved. Leaves nothing
    // selected. The first error of a budget left out is thrown once the tree stands.
    void RebuildTree() override;
    int SelectObject(int id, const std::string& folder) override;
    int SelectBudget(const std::string& folder) override;
    // SetBudgetState of BudgetList.h with State 0 / icon 0 and State 3 / icon 4; the root's
    // icons in the tree follow.
    void StartBudget() override;
    void StopBudget() override;
    // The calendar's rebuild window (RebuildCalendar of src/pays/U_fmakecalendar.h) and the
    // automatic recalculation dialog (RunAutoRecalc of src/pays/U_frecalcbudget.h).
    void RebuildCalendar(TDateTime from, TDateTime to) override;
    void RunAutoRecalc(bool fromBeginning, TDateTime date) override;
    // The busy window with the busy text of that kind, and its hide.
    void ShowBusyMessage(TBusyKind kind) override;
    void HideBusyMessage() override;
    void ShowHelp(int topic) override;

    // The day of a date, at midnight (the fraction cut toward zero).
    static TDateTime DatePart(TDateTime date);

    // --- Budget list ------------------------------------------------------------------------

    // 1 when a folder of that name exists (relative names against the current folder).
    static int FolderExists(const std::string& path);
    // The character, or 0 for the ten characters that a folder name field refuses:
    // " * / : < > ? \ ^ |
    static QChar FilterPathChar(QChar c);
    // The text with each of " * / : < > ? \ ^ | replaced by "_": a budget's name gives one
    // folder name, never a deeper path.
    static std::string SanitizeFileName(const std::string& text);

    // --- Object tree ----------------------------------------------------------------------

    // The index in tree order of the selected node, or -1.
    int SelectedIndex() const;
    // Gives the selected node a new stored icon (a pay's direction): the index and the tree
    // show it.
    void SetSelectedImage(int image);
    // The tree index of the node for the same root or object as the given node, or -1.
    int NodeIndexOf(const TTreeNode* node) const;
    // The nodes in tree order, node i standing for node i of the index.
    const std::vector<TTreeNode*>& Nodes() const { return nodes_; }

    // --- Widgets, by their names ----------------------------------------------------------
    QTreeWidget* TreeViewMain;
    QFrame* PanelFrames;
    QFrame* Panel2;  // the start panel
    QFrame* Panel3;  // below the tree, holds ImageLogo
    QLabel* ImageLogo;
    QLabel* LabelFrameHeader;  // the header of the empty frame area
    QStatusBar* StatusBar1;
    QLabel* StatusBarText;  // the status bar's one simple panel
    QMenu* PMenuTree;
    TImageListTree ImageListTree;
    TfInProcess1* fInProcess1;  // the busy window, made with the main window
    // The tree chooser, made with the main window and reused; its tree is marked stale
    // whenever the main tree is rebuilt or another budget gets selected.
    TfChoice* fChoice;

    // The popup menu's items allowed now: by the selection's type, and only where the command
    // exists.
    void PMenuTreePopup();

signals:
    // The open budget was started or stopped (the frames whose buttons follow its state).
    void BudgetStateChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TfInit;  // the load phase fills the texts, pictures and logos

    // A command of a menu: its item and what it does; an item without an action stays
    // disabled (its dialog is not part of the program yet).
    struct TCommand {
        QAction* Item;
        std::function<void()> Run;
    };

    void BuildWindow();
    void BuildMenus();
    void BuildStartPanel();
    QAction* AddAction(QMenu* menu, const char* name);
    QAction* AddCommand(QMenu* menu, const char* name, std::function<void()> run);
    void FormCreate();
    void FormShow();
    void CopyInstalledData() const;
    void CheckUsersDataTables();
    bool AnotherCopyRuns();
    void RunStartupHelper();
    void WaitForStartupHelper(QProcess& helper);
    void SetupRun();
    void RunStartUp();
    void CloseLater();
    void CentreStartPanel();
    void PlaceFrames();
    TTreeNode* SelectedNode() const;
    void TreeViewMainChange();
    void ChangeSelection(const ObjectInfo& node);
    void ReselectShownNode();
    // The command runs only once the shown frame let itself be left.
    std::function<void()> AfterLeaving(std::function<void()> run);
    void SwitchBudget(const ObjectInfo& node);
    bool FormKeyDown(const QKeyEvent& key);
    void TreeViewMainKeyDown(const QKeyEvent& key);
    void SetBudgetState(int budgetState, int image);
    void SetNodeExpanded(TTreeNode* node, bool expanded);
    void TreeViewMainExpanded(QTreeWidgetItem* item, bool expanded);

    TMainState state_;
    TObjectIndex index_;
    TFrameRegistry frames_;
    std::vector<TCommand> popupCommands_;  // PMenuTree's items in their order
    bool shown_ = false;
    std::unique_ptr<QLockFile> copyLock_;
    TShellServices* previousServices_;
    std::vector<TTreeNode*> nodes_;
};

extern TfMain* fMain;
