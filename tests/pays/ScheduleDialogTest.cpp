// The schedule dialog on a schedule record: the record shown and written back through every
// panel, the all-months day list, the tri-state all-boxes, the priority labels, OK and Exit.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "common/OpenBudget.h"
#include "pays/Formschedule.h"
#include "platform/Text.h"
#include "RecordedHelp.h"

namespace {

Schedule Default() {
    Schedule schedule;
    SetDefaultSchedule(schedule);
    schedule.ID = 42;
    return schedule;
}

class ScheduleDialog : public OpenBudget {
protected:
    // The dialog on `record` in the mode, shown (not modal).
    TfSchedule* Open(char mode) {
        dialog = new TfSchedule(nullptr);
        dialog->ChargeName = "Rent";
        dialog->Mode = mode;
        dialog->Target = &record;
        dialog->Confirmed = &confirmed;
        dialog->show();
        return dialog;
    }
    // The day index every month's list shows, January first.
    std::vector<int> MonthIndexes() const {
        std::vector<int> indexes;
        for (const QComboBox* list : dialog->ComboBoxM) indexes.push_back(list->currentIndex());
        return indexes;
    }
    void Ok() {
        dialog->BitBtnOK->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Schedule record = Default();
    bool confirmed = true;  // the dialog sets it false when it opens
    QPointer<TfSchedule> dialog;
};

TEST_F(ScheduleDialog, TheNewChargesScheduleOpensWithItsTextsAndOkWritesItUnchanged) {
    Open('A');
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(ToStdString(dialog->LabelHeader->text()), "Schedule of the new charge 'Rent'");
    EXPECT_EQ(ToStdString(dialog->SpBtnByMonth->text()), "By months");
    EXPECT_EQ(dialog->ComboBoxM[1]->count(), 30);
    EXPECT_EQ(ToStdString(dialog->ComboBoxM[1]->itemText(29)), "last");
    EXPECT_EQ(dialog->ComboBoxM[3]->count(), 30);
    EXPECT_EQ(dialog->ComboBoxM[0]->count(), 31);
    EXPECT_TRUE(dialog->SpBtnByMonth->isChecked());
    EXPECT_TRUE(dialog->PanelByMonth->isVisibleTo(dialog));
    EXPECT_FALSE(dialog->PanelByWeek->isVisibleTo(dialog));
    EXPECT_EQ(dialog->CheckBoxMAll->checkState(), Qt::Checked);
    EXPECT_FALSE(dialog->MemoDescript->toPlainText().isEmpty());
    EXPECT_TRUE(dialog->BitBtnOK->isEnabled());  // a proposed schedule is taken unchanged
    Ok();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(EncodeMonthesDays(record), EncodeMonthesDays(Default()));
    EXPECT_EQ(EncodeWeekDays(record), "YYYYYYY");
    EXPECT_EQ(record.Priority, 5);
    EXPECT_EQ(record.Periodicity, 'M');
    EXPECT_EQ(record.ID, 42);
}

TEST_F(ScheduleDialog, TheAllMonthsDayListFitsEachMonthsLength) {
    // choice (day) -> February's index, April's, January's
    const struct {
        int day, february, april, january;
    } cases[] = {{1, 0, 0, 0}, {27, 26, 26, 26}, {28, 29, 27, 27}, {30, 29, 29, 29},
                 {31, 29, 29, 30}};
    for (const auto& c : cases) {
        Open('E');
        dialog->ComboBoxMAll->setCurrentIndex(c.day - 1);
        dialog->ComboBoxMAllChange(c.day - 1);
        EXPECT_EQ(dialog->ComboBoxM[1]->currentIndex(), c.february) << c.day;
        for (const int thirty : {3, 5, 8, 10})
            EXPECT_EQ(dialog->ComboBoxM[thirty]->currentIndex(), c.april) << c.day;
        for (const int long_ : {0, 2, 4, 6, 7, 9, 11})
            EXPECT_EQ(dialog->ComboBoxM[long_]->currentIndex(), c.january) << c.day;
        EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
        Ok();
        EXPECT_EQ(record.Months[1].LastDay, c.day >= 28) << c.day;
        EXPECT_EQ(record.Months[1].Day, c.february + 1) << c.day;
        EXPECT_EQ(record.Months[3].Day, c.april + 1) << c.day;
    }
}

TEST_F(ScheduleDialog, TheAllBoxesFollowTheUsersClicksAndSetEveryBoxWhenClicked) {
    Open('E');
    EXPECT_FALSE(dialog->BitBtnOK->isEnabled());
    EXPECT_EQ(dialog->ComboBoxMAll->currentIndex(), -1);
    QTest::mouseClick(dialog->CheckBoxM[2], Qt::LeftButton);  // March off
    EXPECT_EQ(dialog->CheckBoxMAll->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
    for (int m = 0; m < 12; ++m)
        if (m != 2) dialog->CheckBoxM[m]->click();
    EXPECT_EQ(dialog->CheckBoxMAll->checkState(), Qt::Unchecked);
    for (QCheckBox* month : dialog->CheckBoxM) month->click();
    EXPECT_EQ(dialog->CheckBoxMAll->checkState(), Qt::Checked);

    // A click on a grayed box checks it and every month; on a checked one unchecks them all.
    dialog->CheckBoxM[5]->click();
    dialog->CheckBoxMAll->click();
    EXPECT_EQ(dialog->CheckBoxMAll->checkState(), Qt::Checked);
    for (const QCheckBox* month : dialog->CheckBoxM) EXPECT_TRUE(month->isChecked());
    dialog->CheckBoxMAll->click();
    for (const QCheckBox* month : dialog->CheckBoxM) EXPECT_FALSE(month->isChecked());

    // The weekdays alike.
    dialog->CheckBoxD[6]->click();
    EXPECT_EQ(dialog->CheckBoxDAll->checkState(), Qt::PartiallyChecked);
    dialog->CheckBoxDAll->click();
    for (const QCheckBox* day : dialog->CheckBoxD) EXPECT_TRUE(day->isChecked());
    dialog->CheckBoxDAll->click();
    EXPECT_EQ(dialog->CheckBoxDAll->checkState(), Qt::Unchecked);
    Ok();
    // No month and no weekday: taken as it is.
    EXPECT_EQ(EncodeWeekDays(record), "NNNNNNN");
    for (const ScheduleMonth& month : record.Months) EXPECT_FALSE(month.On);
}

TEST_F(ScheduleDialog, ARecordOpensAsStoredAndEveryPanelIsWrittenBack) {
    record.Periodicity = 'W';
    record.UnitaryDate = EncodeDate(2024, 5, 3);
    record.Months[1] = {true, 32, true};  // February's last day, as the table gives it back
    record.Months[3] = {false, 31, false};  // a day April lacks
    record.Months[6] = {true, 17, false};
    DecodeWeekDays("YNYNYNN", record);
    record.Priority = 3;
    Open('E');
    EXPECT_EQ(ToStdString(dialog->LabelHeader->text()), "Schedule of the charge 'Rent'");
    EXPECT_TRUE(dialog->SpBtnByWeek->isChecked());
    EXPECT_TRUE(dialog->PanelByWeek->isVisibleTo(dialog));
    EXPECT_FALSE(dialog->PanelByMonth->isVisibleTo(dialog));
    EXPECT_EQ(dialog->ComboBoxM[1]->currentIndex(), 29);
    EXPECT_EQ(dialog->ComboBoxM[3]->currentIndex(), 29);
    EXPECT_EQ(dialog->CheckBoxMAll->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(dialog->CheckBoxDAll->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(dialog->BitBtnOK->isEnabled());

    dialog->TrackBarPriority->setValue(7);
    for (int p = 0; p < 10; ++p) EXPECT_EQ(dialog->LabelPrty[p]->font().bold(), p == 6) << p;
    EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
    dialog->SpBtnUnitary->click();
    EXPECT_TRUE(dialog->PanelUnitary->isVisibleTo(dialog));
    EXPECT_EQ(ToStdString(dialog->LabelDate->text()), DateToStr(EncodeDate(2024, 5, 3)));
    Ok();
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(record.Periodicity, 'U');
    EXPECT_EQ(record.UnitaryDate, EncodeDate(2024, 5, 3));
    EXPECT_EQ(record.Priority, 7);
    EXPECT_EQ(record.Months[1].Day, 30);
    EXPECT_TRUE(record.Months[1].LastDay);
    EXPECT_EQ(record.Months[3].Day, 30);
    EXPECT_EQ(record.Months[6].Day, 17);
    EXPECT_EQ(EncodeWeekDays(record), "YNYNYNN");
}

TEST_F(ScheduleDialog, ExitAfterChangesLeavesTheRecordAndConfirmedAlone) {
    const std::string months = EncodeMonthesDays(record);
    Open('A');
    dialog->CheckBoxM[0]->click();
    dialog->TrackBarPriority->setValue(9);
    dialog->SpBtnByWeek->click();
    dialog->BtnExit->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(EncodeMonthesDays(record), months);
    EXPECT_EQ(record.Priority, 5);
    EXPECT_EQ(record.Periodicity, 'M');
}

TEST_F(ScheduleDialog, F1OpensTheSameHelpTopicAsTheHelpButton) {
    RecordedHelp help(shell.state.LangPath);
    Open('A');
    dialog->ButtonHelp->click();
    QTest::keyClick(dialog, Qt::Key_F1);
    EXPECT_EQ(help.Topics(), (std::vector<std::string>{"2512", "2512"}));
    dialog->close();
}

}  // namespace
