// The folder frame: a budget root or folder with its balance, its state and its children, and
// the start or stop of the open budget.
#pragma once

#include <string>

#include "shell/FrameRegistry.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class TImageListTree;

// Which of the frame's three controls had the focus last.
enum class TFocusMemory { None, HelpButton, List, StartStopButton };

// Shows a budget root (its balance, whether it runs, the button that starts or stops it) or a
// folder (its balance), and in both cases the node's children; a folder lists ".." first. A
// double-click or Enter on an entry selects its node in the main tree.
class TfrFolder : public TFrameBase {
    Q_OBJECT

public:
    // `icons`: the main window's tree icons, which the header and the list show; they must
    // outlive the frame.
    TfrFolder(const TImageListTree& icons, QWidget* parent);

    // Fills the frame for a budget root or folder of the open budget and shows it; the focus
    // memory is cleared.
    void ShowFor(const ObjectInfo& node) override;
    QWidget* MainControl() const override;

    // The user's answer to the start or stop question was Yes: starts the stopped open budget,
    // or stops the running one (the number and pay frames then reload at their next show),
    // and fills the frame again. Any other answer changes nothing.
    void ButtonStartStopBudgetClick();

    QLabel* Image1;
    QFrame* PanelControlBudget;
    QLabel* LabelBalanceBudget;
    QLabel* LabelBalansBudgetValue;
    QLabel* LabelStatus;
    QLabel* LabelBudgetStatus;
    QLabel* LabelWarning;
    QPushButton* ButtonStartStopBudget;
    QFrame* PanellControlFolder;
    QLabel* LabellBalanceFolder;
    QLabel* LabelFlderBalanceValue;
    QTreeWidget* ListViewContent;  // each entry's data (Qt::UserRole): its node's tree index

    // The frame's words, read in the load phase: the starts of the headers, the two button
    // captions and the two state words.
    std::string BeginHeaderBudget;
    std::string BeginHeaderFolder;
    std::string StartBudget;
    std::string StopBudget;
    std::string StatusActive;
    std::string StatusStopped;

    TFocusMemory FocusMemory = TFocusMemory::None;

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ListViewContentOpen();
    // The control that gets the focus back when the focus comes into the frame from outside.
    QWidget* RememberedControl() const;
    void ControlEntered(QObject* control);

    const TImageListTree& icons_;
    ObjectInfo shown_;
    bool focusInside_ = false;
};

// Makes the folder frame in the main window's frame panel `parent` (hidden; the main window
// places it to fill the panel) and registers it for budget roots and folders. The main window
// calls it once at start, after the journal view's and the calendar's registration.
TfrFolder& RegisterFolderFrame(TFrameRegistry& frames, QWidget& parent,
                               const TImageListTree& icons);
