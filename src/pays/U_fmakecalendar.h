// The small busy window that rebuilds the open budget's calendar while it is shown.
#pragma once

#include "platform/Dates.h"
#include "shell/DialogBase.h"

class QLabel;

// A tool window holding only its header ("Reorganization of the budget calendar ..."): shown
// modally by RebuildCalendar, it rebuilds the calendar for RebuildFrom..RebuildTo from a
// zero-delay timer once it is on the screen, then closes itself and is freed.
class TfMakeCalendar : public TDialogBase {
    Q_OBJECT

public:
    explicit TfMakeCalendar(QWidget* parent);

    TDateTime RebuildFrom = 0;
    TDateTime RebuildTo = 0;
    QLabel* LabelHeader;

protected:
    // The header from "RecalcBudget.lng" [RebuildCalendar] (empty when missing); the rebuild
    // starts after the show.
    void FormShow() override;

private:
    // The rebuild (RebuildCalendarEntries), then the close.
    void FormActivate();
};

// Rebuilds the open budget's calendar so that from the day `from` on it holds exactly the
// entries of the days from to to, showing the rebuild window over `parent` meanwhile; returns
// the window's modal result. What the rebuild throws (a database error) is thrown here, after
// the window has closed; the calendar is then as it was.
int RebuildCalendar(TDateTime from, TDateTime to, QWidget* parent);
