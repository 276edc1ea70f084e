// The journal view: the open budget's transactions in a grid, the detail text of the selected
// one, and the buttons that start undo and redo from it.
#pragma once

#include <QColor>
#include <string_view>

#include "shell/FrameRegistry.h"
#include "store/JournalTexts.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;
class TImageListTree;
class TTable;
class TTableGridModel;

// The frame of a budget's journal node. Its grid shows the data module's journal table (one row
// per transaction in NTrans order: date, time, action, status, object) and follows its current
// row both ways: selecting a grid row or pressing the navigator moves the table, and every
// change of the table (a move, an open, a refresh, a status write of the journal) selects its
// row in the grid, sets the Back and Forward buttons and rebuilds the detail text. The view
// never writes the journal.
class TfrLog : public TFrameBase {
    Q_OBJECT

public:
    // `jTrans`: the data module's journal table, which the view follows while it is shown;
    // `icons`: the main window's tree icons (the header shows the node's); `memoColor`: the font
    // colour of the description. The table and the icons must outlive the frame.
    TfrLog(TTable& jTrans, const TImageListTree& icons, const QColor& memoColor, QWidget* parent);
    ~TfrLog() override;

    // Header: the LabelHeader word, the open budget's name and "'"; the frame shows and the
    // journal table goes to its last row, the newest transaction.
    void ShowFor(const ObjectInfo& node) override;
    // Hides, and lets go of the grid's rows.
    void HideFrame() override;
    QWidget* MainControl() const override;

    // The data-change event of the journal table, while the frame is shown (a hidden frame
    // catches up when it is shown): sets the buttons, rebuilds the detail text and selects the
    // table's row in the grid.
    void DataSourcejTransDataChange();
    // Back is enabled exactly at an applied transaction ("APPLY"), Forward exactly at an undone
    // one ("BACK"); any other status, no row or a closed table disables both.
    void SetButtons();

    // The font colour of a status caption in the grid, in a selected row or another one.
    static QColor StatusColor(std::string_view status, bool selected);

    const TLogWords& Words() const { return words_; }

    QLabel* Image1;
    QPlainTextEdit* MemoDescript;
    QTableView* DBGridLog;
    QLabel* LabelDetailed;
    QPlainTextEdit* MemoDetailed;
    QWidget* DBNavigatorLog;  // first, prior, next, last
    QPushButton* BitBtnBack;
    QPushButton* BitBtnForward;

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;

private:
    void BuildControls(const QColor& memoColor);
    QToolButton* NavigatorButton(const char* name, int icon, void (TTable::*move)());
    void ShowDetail();
    void SelectCurrentRow();
    void GridRowChanged(int row);
    void SetNavigator();

    TTable& jTrans_;
    const TImageListTree& icons_;
    TLogWords words_;
    TTableGridModel* model_;
    int handler_ = 0;
    bool selecting_ = false;  // the grid's selection is being set from the table
    std::vector<QToolButton*> navigator_;
};

// Makes the journal view in the main window's frame panel `parent` (hidden) on the data
// module's journal table and registers it for the journal nodes. The main window calls it once
// at start, first of the frames.
TfrLog& RegisterLogFrame(TFrameRegistry& frames, QWidget& parent, const TImageListTree& icons,
                         const QColor& memoColor);
