// The tree chooser: the open budget's tree, from which the user picks a node; in its move mode
// the folder (or the budget's top level) that the selected object of the main tree moves into.
#pragma once

#include <QPointer>
#include <QTreeWidgetItem>
#include <memory>
#include <string>
#include <vector>

#include "shell/DialogBase.h"
#include "shell/ObjectIndex.h"
#include "store/Utransactions.h"

class QFrame;
class QLabel;
class QSplitter;
class QStyleOptionViewItem;
class QTreeWidget;
class TfMain;
class TfrChoiceDataSource;
class TfrChoiceFolder;
struct ExtData;

// A node of the chooser's tree with the record it stands for (of the root: Type 0, ID 0,
// IDParent -1, the budget's name and description).
class TChoiceNode : public QTreeWidgetItem {
public:
    TChoiceNode(ObjectInfo info, int image);

    const ObjectInfo Info;
    const int Image;  // the icon, also while selected or expanded
};

// Made once with the main window and kept until the end: each use sets Mode and shows it
// modally; closing only hides it. The hosted frame of the mode is made at each show and freed
// at each close. Its tree is built from the main window's object index and kept between shows;
// it is built again at the next show only when Rebuild is set (the main window sets it whenever
// it rebuilds its tree or another budget gets selected).
class TfChoice : public TDialogBase {
    Q_OBJECT

public:
    // Mode: move the main tree's selected object into another folder by one "MOVE"
    // transaction.
    static constexpr int kModeMove = 30;
    // Mode: choose the source of an initial datum of an algorithm (a number, a pay's value or a
    // date function of the calendar); OK writes it into Source, Exit leaves Source untouched.
    static constexpr int kModeDataSource = 40;

    explicit TfChoice(TfMain& main);
    ~TfChoice() override;

    int Mode = kModeMove;  // set by the caller before each show
    bool Rebuild = true;   // the tree is built anew at the next show
    // The object types that the current mode accepts; the others are drawn grey.
    std::vector<int> AllowedTypes;

    // Data-source mode: set by the caller before the show. The number whose algorithm is edited
    // cannot be chosen.
    int IDExcluded = -1;
    ExtData* Source = nullptr;
    // The object chosen last in this budget; -1 for none (the main window resets it when it
    // switches to another budget).
    int LastChoice = -1;
    // The type of the selected node; 0 when none is selected.
    int ChosenType = 0;
    // The warning shown when the excluded number is selected.
    std::string WarningText;

    // Data-source mode: selects the source's object (for a new datum the last choice, else the
    // main tree's selected object) and puts its sub-source and parameters into the frame.
    void RestoreSourceSelection();

    // Selects and focuses the first node of the tree, in tree order, with that ID, opening the
    // collapsed nodes above it; false, with nothing selected, when there is none.
    bool SelectChoiceNode(int id);
    // The node selected in the tree, or null.
    const TChoiceNode* SelectedNode() const;
    // Writes the "MOVE" of the main tree's selected object into the selected folder (the root:
    // the budget's top level) and gives its writer, not yet ready: OK makes it ready and applies
    // it (ApplyTreeChange).
    std::unique_ptr<TTransWriter> WriteMoveTransaction();
    // The colours of a node: a type the mode does not accept is grey on the tree's background,
    // also when selected; an accepted one is drawn as usual; in the move mode the object being
    // moved is green while it is not selected.
    void TreeViewChoiceCustomDrawItem(const TChoiceNode& node, QStyleOptionViewItem& option) const;

    QFrame* Panel4;
    QTreeWidget* TreeViewChoice;
    QSplitter* Splitter1;
    QFrame* Panel3;        // holds the mode's frame
    QLabel* LabelPrepare;  // the wait text of Panel3 until the frame is placed
    QFrame* Panel2;        // the footer
    // The frame of the move mode while the chooser is shown; null otherwise.
    QPointer<TfrChoiceFolder> FrameFolder;
    // The frame of the data-source mode while the chooser is shown; null otherwise.
    QPointer<TfrChoiceDataSource> FrameDataSource;

protected:
    void FormShow() override;
    void FormClose() override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void accept() override;

private:
    // Runs once after each show, once the dialog has painted with its wait text: builds the
    // tree when it is stale, collapses it, places the frame and preselects a node.
    void FormActivate();
    // A node for the record with its icon.
    TChoiceNode* NewNode(ObjectInfo info, int image) const;
    // Adds the children of the index node as children of the tree node, depth first.
    void AddChoiceNodes(int parentIndex, QTreeWidgetItem* parentNode);
    // After every selection: by the mode, what the frame shows and whether OK is enabled.
    void TreeViewChoiceChange();
    // Move mode: true when the node may take the moved object: a folder or the root, neither
    // the object nor its present parent, and not below the object at any depth.
    bool IsMoveTarget(const ObjectInfo& target) const;
    // The frame of the mode, or null.
    QFrame* HostedFrame() const;
    // The selection handler of the data-source mode.
    void DataSourceChange(const TChoiceNode* node);
    // OK in the data-source mode: the choice into Source.
    void WriteSource();

    TfMain& main_;
    // Move mode: the object at show time and the budget it lies in.
    ObjectInfo moved_;
    std::string folder_;
};
