// The calendar's windows on a real budget: the calendar frame with its grid and button, the
// recalculation dialog in both modes, and the rebuild window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "common/TextsFit.h"
#include "common/TypedDates.h"
#include "pays/PayBudget.h"
#include "pays/U_fmakecalendar.h"
#include "pays/U_frcalendar.h"
#include "pays/U_frecalcbudget.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/ImageListTree.h"
#include "store/U_dm.h"

namespace {

std::string Text(const QAbstractItemModel& model, int row, int column) {
    return ToStdString(model.index(row, column).data().toString());
}

// The budget "Home" with the pays "Flat" (1) and "Garage" (2) and a charge of a pay that is no
// longer in the tree (7), each on its own day of January 2024, at ten a charge.
class CalendarWindows : public PayBudget {
protected:
    CalendarWindows() {
        AddPay(1, "Flat");
        AddPay(2, "Garage");
        for (const auto& [pay, day] : {std::pair{1, 10}, std::pair{2, 5}, std::pair{7, 20}}) {
            TCharge charge;
            charge.Pay = pay;
            charge.IDSchedule = AddSchedule('U', 5, Day(1, day));
            AddCharge(charge);
        }
    }

    // The window of the frame, shown, with the frame's texts read as the load phase does.
    TfrCalendar& ShowFrame() {
        TfrCalendar& frame =
            RegisterCalendarFrame(frames, window, icons, QColor(0x50, 0x50, 0x50));
        frame.LoadTexts();
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&frame);
        window.resize(900, 500);
        window.show();
        frame.ShowFor({1, otCalendar, 9, 0, "Calendar", "", budget});
        return frame;
    }

    TImageListTree icons;
    TFrameRegistry frames;
    QWidget window;
};

TEST_F(CalendarWindows, TheFrameShowsTheCalendarWithPayNamesAndItsButtonFollowsTheBudgetState) {
    RebuildCalendarEntries(Day(1, 1), Day(1, 31));
    TfrCalendar& frame = ShowFrame();
    EXPECT_EQ(ToStdString(frame.LabelHeader->text()), "Calendar of the budget 'Home'");
    const QAbstractItemModel& grid = *frame.DBGridCalendar->model();
    ASSERT_EQ(grid.rowCount(), 3);
    const char* titles[] = {"Date", "Pay", "Charge", "Schedule"};
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(ToStdString(grid.headerData(column, Qt::Horizontal).toString()), titles[column]);
    // Day order; the pay's name, empty for the pay no longer in the tree.
    const std::string rows[3][3] = {{DateToStr(Day(1, 5)), "Garage", "Rent"},
                                    {DateToStr(Day(1, 10)), "Flat", "Rent"},
                                    {DateToStr(Day(1, 20)), "", "Rent"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(Text(grid, row, column), rows[row][column]) << row << " " << column;
    EXPECT_FALSE(frame.MemoDescript->toPlainText().isEmpty());

    // For a look at the grid with the names: VEMLY_SCREENSHOTS names a folder.
    if (const char* shots = std::getenv("VEMLY_SCREENSHOTS"))
        window.grab().save(QString::fromStdString(std::string(shots) + "/calendar.png"));

    EXPECT_TRUE(frame.BtnRecalcBudget->isEnabled());
    shell.state.BudgetState = 3;
    frame.SetRecalcButton();
    EXPECT_FALSE(frame.BtnRecalcBudget->isEnabled());
    frame.ShowFor({1, otCalendar, 9, 0, "Calendar", "", budget});
    EXPECT_FALSE(frame.BtnRecalcBudget->isEnabled());
}

// The navigator moves the grid's row: last, prior, first, next.
TEST_F(CalendarWindows, TheNavigatorMovesTheGridsRow) {
    RebuildCalendarEntries(Day(1, 1), Day(1, 31));
    TfrCalendar& frame = ShowFrame();
    const auto click = [&](const char* name) {
        frame.DBNavigatorCalendar->findChild<QAbstractButton*>(name)->click();
        return frame.DBGridCalendar->currentIndex().row();
    };
    EXPECT_EQ(click("Last"), 2);
    EXPECT_EQ(click("Next"), 2);
    EXPECT_EQ(click("Prior"), 1);
    EXPECT_EQ(click("First"), 0);
    EXPECT_EQ(click("Prior"), 0);
    EXPECT_EQ(click("Next"), 1);
}

// The rebuild window shows its header, rebuilds and closes itself.
TEST_F(CalendarWindows, TheRebuildWindowRebuildsAndClosesItself) {
    RebuildCalendar(Day(1, 1), Day(1, 15), nullptr);
    EXPECT_EQ(Calendar().size(), 2u);  // the 5th and the 10th
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TfMakeCalendar*>(widget), nullptr);
}

// The interactive dialog: from the beginning by default, today or the day last picked when
// the box is cleared; OK recalculates from the first day, past the last day on to the latest
// pay event, with the calendar rebuilt to 5 days after that, logs each entry and stays open
// for another run.
TEST_F(CalendarWindows, TheInteractiveRunRecalculatesThePeriodAndOnToTheLatestEventAndStaysOpen) {
    const TDateTime today = Today();
    TCharge soon;
    soon.IDSchedule = AddSchedule('U', 5, today + 3);
    AddCharge(soon);
    AddManual(2, today + 40, "PY", "40");
    auto* dialog = new TfRecalcBudget(nullptr);
    int runs = 0;
    QObject::connect(dialog, &TfRecalcBudget::RunFinished, [&runs] { ++runs; });
    dialog->show();
    EXPECT_TRUE(dialog->CheckBoxFromBegin->isChecked());
    EXPECT_EQ(FromQDate(dialog->DateTimePicker1->date()), RecalcFromBeginDate());
    EXPECT_FALSE(dialog->DateTimePicker1->isEnabled());
    EXPECT_EQ(FromQDate(dialog->DateTimePicker2->date()), DM->LatestPayEventDate());
    EXPECT_EQ(ToStdString(dialog->LabelBudgetName->text()), "Home");
    EXPECT_TRUE(dialog->MemoProgress->isVisible());

    dialog->CheckBoxFromBegin->click();
    EXPECT_EQ(FromQDate(dialog->DateTimePicker1->date()), Today());
    EXPECT_TRUE(dialog->DateTimePicker1->isEnabled());
    dialog->DateTimePicker1->setDate(ToQDate(Day(1, 6)));
    EXPECT_EQ(dialog->ChosenStart, Day(1, 6));
    dialog->CheckBoxFromBegin->click();
    EXPECT_EQ(FromQDate(dialog->DateTimePicker1->date()), RecalcFromBeginDate());
    dialog->CheckBoxFromBegin->click();
    EXPECT_EQ(FromQDate(dialog->DateTimePicker1->date()), Day(1, 6));

    dialog->DateTimePicker2->setDate(ToQDate(Day(1, 16)));
    dialog->BitBtnOK->click();
    // The 6th to the 16th asked for: the calendar, the charges and the log go on to the
    // payment 40 days ahead, the latest event, so that nothing after the 16th is lost.
    EXPECT_EQ(CalendarDays(),
              (std::vector<TDateTime>{Day(1, 10), Day(1, 20), today + 3, today + 40}));
    EXPECT_EQ(History(1), (std::vector<std::string>{"CH 10 -10 10", "CH 10 -20 20"}));
    EXPECT_EQ(History(2), (std::vector<std::string>{"PY 40 40 "}));
    EXPECT_EQ(History(7), (std::vector<std::string>{"CH 10 -10 10"}));
    const QStringList log = dialog->MemoProgress->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(log.size(), 4);
    EXPECT_TRUE(log[0].startsWith(ToQString(">>> " + DateToStr(Day(1, 10)) + ": Flat, Rent, ")));
    EXPECT_EQ(log[3], ToQString(">>> " + DateToStr(today + 40) + ": Garage, Payment, -."));
    EXPECT_EQ(dialog->ProgressBar1->value(), dialog->ProgressBar1->maximum());
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
    EXPECT_TRUE(dialog->BtnExit->isEnabled());
    dialog->BtnExit->click();
    EXPECT_FALSE(dialog->isVisible());
}

// The automatic run recalculates from the beginning to the latest event, closes itself and
// makes the number and pay frames reload.
TEST_F(CalendarWindows, TheAutomaticRunRecalculatesAndClosesItself) {
    RebuildCalendarEntries(0, Today() + 5);
    shell.state.NumberShownID = 4;
    shell.state.PayShownID = 1;
    RunAutoRecalc(true, Today(), nullptr);
    EXPECT_EQ(History(1), (std::vector<std::string>{"CH 10 -10 10"}));
    EXPECT_EQ(History(2), (std::vector<std::string>{"CH 10 -10 10"}));
    EXPECT_EQ(shell.state.NumberShownID, -1);
    EXPECT_EQ(shell.state.PayShownID, -1);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TfRecalcBudget*>(widget), nullptr);
}

// From a day: the charges before it stay as they were.
TEST_F(CalendarWindows, TheAutomaticRunFromADayKeepsWhatLiesBefore) {
    RebuildCalendarEntries(0, Today() + 5);
    RunAutoRecalc(false, Day(1, 8), nullptr);
    EXPECT_TRUE(History(2).empty());
    EXPECT_EQ(History(1), (std::vector<std::string>{"CH 10 -10 10"}));
}

// The automatic dialog without its log keeps its rows together, the budget's name right under
// the header; the rebuild window is as wide as its header needs. Nothing is cut. Both are
// freed before their own work would start.
TEST_F(CalendarWindows, TheAutomaticDialogAndTheRebuildWindowShowTheirTextsWhole) {
    shell.state.BudgetName = "Haushalt Müller-Kowalczyk (gemeinsames Budget)";
    auto* automatic = new TfRecalcBudget(nullptr);
    automatic->Interactive = false;
    automatic->show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const int headerBottom = std::max(automatic->LabelHeader->geometry().bottom(),
                                      automatic->ButtonHelp->geometry().bottom());
    EXPECT_LE(automatic->LabelBudgetName->y() - headerBottom - 1, automatic->layout()->spacing());
    EXPECT_EQ(CutLabels(*automatic), std::vector<std::string>{});
    delete automatic;

    auto* rebuild = new TfMakeCalendar(nullptr);
    rebuild->show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(ToStdString(rebuild->LabelHeader->text()), "Reorganization of the budget calendar...");
    EXPECT_EQ(CutLabels(*rebuild), std::vector<std::string>{});
    EXPECT_EQ(rebuild->height(), 45);
    delete rebuild;
}

// The period's days are the days typed.
TEST_F(CalendarWindows, TheRecalculationsDaysAreTheDaysTyped) {
    auto* dialog = new TfRecalcBudget(nullptr);
    dialog->show();
    dialog->CheckBoxFromBegin->click();
    ExpectTypedDatesTaken(*dialog->DateTimePicker1);
    ExpectTypedDatesTaken(*dialog->DateTimePicker2);
    TypeOver(*dialog->DateTimePicker1, TypedDate(QDate(2024, 1, 6), true));
    EXPECT_EQ(dialog->ChosenStart, Day(1, 6));
    dialog->BtnExit->click();
}

}  // namespace
