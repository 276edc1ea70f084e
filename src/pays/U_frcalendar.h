// The calendar frame: the open budget's calendar in a read-only grid and the button that opens
// the recalculation dialog.
#pragma once

#include "shell/FrameRegistry.h"

class QColor;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;
class TImageListTree;
class TTable;
class TTableGridModel;

// The frame of a budget's calendar node. Its grid shows the data module's calendar table in its
// index order (day, then priority): the day, the pay's name (empty for a pay no longer in the
// tree), the charge's name and the schedule's description. It edits nothing: the calendar is
// built by the rebuild and the recalculation, which the frame's button offers while the budget
// runs. Only the rows the grid shows are read.
class TfrCalendar : public TFrameBase {
    Q_OBJECT

public:
    // `calendar`: the data module's calendar table; `icons`: the tree's icons (the header shows
    // the node's); `memoColor`: the font colour of the description. All outlive the frame.
    TfrCalendar(TTable& calendar, const TImageListTree& icons, const QColor& memoColor,
                QWidget* parent);
    ~TfrCalendar() override;

    // Header: the LabelHeader word, the budget's name and "'"; the grid shows the calendar as
    // it is now; BtnRecalcBudget enabled exactly while the budget runs.
    void ShowFor(const ObjectInfo& node) override;
    // Hides, and lets go of the grid's rows.
    void HideFrame() override;
    QWidget* MainControl() const override;

    // The grid reads the calendar again when it was written since it was read; the first row
    // is selected when none is.
    void RefreshGrid();
    // BtnRecalcBudget follows the open budget's state: enabled while it runs (state 0).
    void SetRecalcButton();
    // Opens the recalculation dialog in its interactive mode, modally; the grid follows each
    // of its runs.
    void BtnRecalcBudgetClick();

    QLabel* Image1;
    QPlainTextEdit* MemoDescript;
    QTableView* DBGridCalendar;
    QWidget* DBNavigatorCalendar;  // first, prior, next, last
    QPushButton* BtnRecalcBudget;

protected:
    void ReadFrameTexts(const TLangFile& texts, const std::string& section) override;

private:
    QToolButton* NavigatorButton(const char* name, int icon, int (*target)(int row, int count));

    TTable& calendar_;
    const TImageListTree& icons_;
    TTableGridModel* model_;
    std::string headerText_;
};

// Makes the calendar frame in the main window's frame panel `parent` (hidden) on the data
// module's calendar table and registers it for the calendar nodes.
TfrCalendar& RegisterCalendarFrame(TFrameRegistry& frames, QWidget& parent,
                                   const TImageListTree& icons, const QColor& memoColor);
