// The main window: the program's folders and start and stop, the budget list and the open
// budget, the tree of budgets and objects with its lookups, and the services every part calls.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QTreeWidgetItem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dates.h"
#include "shell/ImageListTree.h"
#include "shell/ObjectIndex.h"

class QAction;
class QFrame;
class QLabel;
class QLockFile;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QTreeWidget;
class TfMain;

// A node of the main tree: its record, its icons and its place in tree order.
class TTreeNode : public QTreeWidgetItem {
public:
    TTreeNode(const TfMain& owner, ObjectInfo info, int image, int selectedImage);

    ObjectInfo Info;
    int ImageIndex;          // the icon shown, +1 while expanded
    int SelectedImageIndex;  // the icon shown while selected, +1 while expanded
    int Index = -1;          // the position in tree order

    bool IsRoot() const { return Info.IDParent == -1; }
    // Sets both icons (the icons of the image list).
    void SetImages(int image, int selectedImage);
    // The node's font: a root larger, underlined while its budget is open; an object bold while
    // it is the selected object of the open budget.
    QVariant data(int column, int role) const override;

private:
    const TfMain& owner_;
};

class TfMain : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window and works out the folders: the program's, the data folder, the
    // users-data folder, temp, templates and export. On the first start on a machine it copies
    // the installed data folder and users-data folder into place. Then it checks the budget
    // list and the settings tables (a missing one is reported and makes the start fatal) and
    // runs the start-up helper when it is due.
    TfMain();
    ~TfMain() override;

    // Folders, each ending with "/" except ExportPath.
    std::string ProgramPath;    // the folder of the executable: the helper programs
    std::string DataPath;       // vemly.ini, fcharset.cfg, EmptyBases, Templates/, Lang*/
    std::string UsersDataPath;  // the budget list, the settings, the default backup folder
    std::string TempPath;       // the program's own temp folder, ".../VemlyTEMP/"
    std::string TemplatesPath;
    std::string ExportPath;
    std::string BackupPath;  // vemly.ini [Common] BACKUP
    std::string LangPath;    // DataPath + [Common] VLLang + "/"
    std::string HelpFile;    // LangPath + "VemlyHelp.html"

    // The font colour of the status bar and of description memos.
    QColor MemoColor{0x50, 0x50, 0x50};
    // Closing skips the close dialog (a fatal error, a second copy, the setup run).
    bool FatalClose = false;
    // Closing starts the restart helper in the program's place.
    bool RestartRequested = false;

    // Texts of the language module read at start.
    std::string MesPrepare, MesLoad, MesProcessing;
    std::string CalendarCaption, LogCaption;
    std::string NamesSep;

    // The open budget.
    std::string BudgetPath;
    int IDBudget = -1;
    std::string BudgetName;
    std::string BudgetDescript;
    int BudgetState = 0;

    // The selected node: object ID (0 for a root) and ObjectType (-1 while none is selected).
    int IDObject = 0;
    int TypeObject = -1;
    bool TreeChanging = false;
    bool TreeRebuilding = false;

    // Reload marks of the content frames: the object (ID and budget folder) each frame holds;
    // an ID of -1 makes the frame reload at its next show.
    int ImagesShownID = -1;
    std::string ImagesShownPath;
    int FilesShownID = -1;
    std::string FilesShownPath;
    int NumberShownID = -1;
    std::string NumberShownPath;
    int PayShownID = -1;
    std::string PayShownPath;

    // --- Services of the main window -------------------------------------------------------

    // Reports a fatal error (-2: a folder could not be created, -3: one could not be deleted)
    // with the system's text of the last error, and ends the program: the window closes
    // without the close dialog once control is back in the message loop. Returns to the caller.
    void FatalError(int code);
    // Shows the text in an error box and ends the program in the same way (the journal's fatal
    // reports). Returns to the caller.
    void CloseFatally(const std::string& text);
    // Deletes everything inside the temp folder (the folder stays), without asking and not into
    // the trash; returns 0 or the error of the deletion. Only the program's own temp folder is
    // ever emptied: a TempPath that does not end in a real folder "VemlyTEMP" (a link, say)
    // is left alone and the answer is EINVAL.
    int ClearTempFolder();
    // The day of a date, at midnight (the fraction cut toward zero).
    static TDateTime DatePart(TDateTime date);

    // --- Budget list and the open budget --------------------------------------------------

    // 1 when the folder exists and holds every file and sub-folder of the top level of
    // DataPath + "EmptyBases" (same name, same kind; the tables file's write-ahead companions
    // "-wal", "-shm" and "-journal" are not compared), else 0. An empty or missing EmptyBases
    // makes every existing folder complete. A trailing "/" does not matter.
    int IsBudgetComplete(const std::string& folder) const;
    // 1 when a folder of that name exists (relative names against the current folder).
    static int FolderExists(const std::string& path);
    // Appends the budget list row of a budget folder just filled: the next ID, the folder as
    // given, Name and Descript from its VLBudget.ini, stopped (State 2, Image 4), not expanded.
    void RegisterBudget(const std::string& folder);
    // Switch the open budget to running (State 0, icon 0) or stopped (State 3, icon 4): its
    // row in the budget list, BudgetState and its root's icon.
    void StartBudget();
    void StopBudget();
    // Points the data module's seventeen budget tables at BudgetPath and opens them, the
    // thirteen object tables writable, the four journal tables read-only when asked.
    void OpenBudgetTables(bool journalReadOnly);
    // Selects and focuses the root of the budget in that folder; 1, or 0 when there is none.
    int SelectBudget(const std::string& folder);
    // The character, or 0 for the ten characters that a folder name field refuses:
    // " * / : < > ? \ ^ |
    static QChar FilterPathChar(QChar c);
    // The text with each of " * / : < > ? ^ | replaced by "_" (the backslash stays).
    static std::string SanitizeFileName(const std::string& text);

    // --- Object tree ----------------------------------------------------------------------

    // Clears the tree and builds it again: every complete budget of the budget list (in its
    // order) with its objects, each expanded as last saved. Leaves nothing selected. A budget
    // whose row or tables cannot be read gets no node; the first such error is thrown once the
    // rest of the tree stands.
    void RebuildTree();
    // Adds the objects below `parentId` of the budget's Objects table as children of the node,
    // with their own children, each level in the table's order.
    void AddObjectNodes(int parentId, int budgetId, TTreeNode* parentNode,
                        const std::string& folder);
    // Stores the selected node's index as SelNode (0 when none) and every node's expanded state
    // into the budget list and the budgets' Objects tables.
    void SaveTreeState();

    // Lookups by object ID and budget folder (ID 0: the budget's root; the first match in
    // tree order counts).
    const ObjectInfo* FindObject(int id, const std::string& folder) const;
    // Selects and focuses the node (a root or folder is also expanded); 1, or 0 when none.
    int SelectObject(int id, const std::string& folder);
    // The index in tree order of the selected node, or -1.
    int SelectedIndex() const;
    std::string GetObjectName(int id, const std::string& folder) const;      // "" when none
    std::string GetObjectDescript(int id, const std::string& folder) const;  // "" when none
    int GetObjectImage(int id, const std::string& folder) const;             // 0 when none
    int GetObjectType(int id, const std::string& folder) const;              // 0 when none
    // Puts the names of the object and its ancestors, each followed by the separator, in front
    // of `path` (root first). 0, or -1 when the object is not in the tree.
    int GetObjectPath(std::string& path, const std::string& separator, int id,
                      const std::string& folder);
    // True when `ancestorId` is the parent, grandparent ... of the object, in the open budget.
    bool IsAncestor(int ancestorId, int objectId) const;
    // 1 when a child of `parentId` in the open budget, other than `excludedId`, has that name.
    int NameExists(int parentId, int excludedId, const std::string& name) const;
    // 1 when no node of that budget has `id` as its parent.
    int HasNoChildren(int id, const std::string& folder) const;
    // The tree index of the node for the same root or object as the given node, or -1.
    int NodeIndexOf(const TTreeNode* node) const;

    // The nodes in tree order (depth first, each root followed by its descendants).
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
    void PrepareDataModule();
    void LoadTexts();
    void CloseLater();
    void CentreStartPanel();
    void SetBudgetState(int state, int image);
    void SetNodeExpanded(TTreeNode* node, bool expanded);
    void TreeViewMainExpanded(QTreeWidgetItem* item);
    void TreeViewMainCollapsed(QTreeWidgetItem* item);
    TTreeNode* FindNode(int id, const std::string& folder) const;

    bool shown_ = false;
    std::unique_ptr<QLockFile> copyLock_;
    std::unique_ptr<class TfMainServices> services_;
    std::vector<TTreeNode*> nodes_;
};

extern TfMain* fMain;
