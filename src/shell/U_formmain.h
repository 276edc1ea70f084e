// The main window: the program's start and stop, the tree of budgets and objects built from the
// object index, and the services every part calls (its state and index live outside it).
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QTreeWidgetItem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dates.h"
#include "shell/ImageListTree.h"
#include "shell/MainState.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"

class QAction;
class QFrame;
class QLabel;
class QLockFile;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QTreeWidget;
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
    // The text with each of " * / : < > ? ^ | replaced by "_" (the backslash stays).
    static std::string SanitizeFileName(const std::string& text);

    // --- Object tree ----------------------------------------------------------------------

    // The index in tree order of the selected node, or -1.
    int SelectedIndex() const;
    // The tree index of the node for the same root or object as the given node, or -1.
    int NodeIndexOf(const TTreeNode* node) const;
    // The nodes in tree order, node i standing for node i of the index.
    const std::vector<TTreeNode*>& Nodes() const { return nodes_; }

    // --- Widgets, by their names ----------------------------------------------------------
    QTreeWidget* TreeViewMain;
    QFrame* PanelFrames;
    QFrame* Panel2;  // the start panel
    QLabel* ImageLogo;
    QStatusBar* StatusBar1;
    QLabel* StatusBarText;  // the status bar's one simple panel
    QMenu* PMenuTree;
    TImageListTree ImageListTree;
    TfInProcess1* fInProcess1;  // the busy window, made with the main window

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BuildMenus();
    void BuildStartPanel();
    QAction* AddAction(QMenu* menu, const char* name);
    void FormCreate();
    void FormShow();
    void CopyInstalledData() const;
    void CheckUsersDataTables();
    bool AnotherCopyRuns();
    void RunStartupHelper();
    void SetupRun();
    void RunStartUp();
    void LoadTexts();
    void CloseLater();
    void CentreStartPanel();
    void SetBudgetState(int budgetState, int image);
    void SetNodeExpanded(TTreeNode* node, bool expanded);
    void TreeViewMainExpanded(QTreeWidgetItem* item, bool expanded);

    TMainState state_;
    TObjectIndex index_;
    bool shown_ = false;
    std::unique_ptr<QLockFile> copyLock_;
    TShellServices* previousServices_;
    std::vector<TTreeNode*> nodes_;
};

extern TfMain* fMain;
