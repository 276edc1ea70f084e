// The schedule dialog: when an automatic charge falls due (on one date, on days of chosen
// months or on chosen weekdays) and its priority among the charges of one day.
#pragma once

#include <QCheckBox>
#include <array>
#include <string>

#include "pays/Uscheduler.h"
#include "shell/DialogBase.h"

class QCalendarWidget;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSlider;
class QToolButton;
class QWidget;

// A box for "all of them": grayed for a mix, set only by the program; a user's click on it
// checks it when it is unchecked or grayed and unchecks it when it is checked.
class TAllCheckBox : public QCheckBox {
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

// Edits the schedule at Target in place: OK writes every control into it (whatever the
// periodicity, the two panels not shown included) and sets *Confirmed; Exit leaves both as they
// were. Mode 'A' (a charge being added) enables OK from the start, 'E' only after a change. It
// frees itself when it closes.
class TfSchedule : public TDialogBase {
    Q_OBJECT

public:
    explicit TfSchedule(QWidget* parent);

    std::string ChargeName;
    char Mode = 'A';
    Schedule* Target = nullptr;
    bool* Confirmed = nullptr;

    QLabel* LabelHeader;
    QLabel* LabelStep2;
    QLabel* LabelStep3;
    QToolButton* SpBtnUnitary;
    QToolButton* SpBtnByMonth;
    QToolButton* SpBtnByWeek;
    QWidget* PanelUnitary;
    QCalendarWidget* MonthCalendar1;
    QLabel* LabelDate;
    QWidget* PanelByMonth;
    std::array<QCheckBox*, 12> CheckBoxM{};  // CheckBoxM01 ... CheckBoxM12, January first
    std::array<QComboBox*, 12> ComboBoxM{};  // ComboBoxM01 ... ComboBoxM12
    TAllCheckBox* CheckBoxMAll;
    QComboBox* ComboBoxMAll;
    QWidget* PanelByWeek;
    std::array<QCheckBox*, 7> CheckBoxD{};  // CheckBoxD1 ... CheckBoxD7, Monday first
    TAllCheckBox* CheckBoxDAll;
    QWidget* PanelPriority;
    QSlider* TrackBarPriority;
    std::array<QLabel*, 10> LabelPrty{};  // LabelPrty1 ... LabelPrty10
    QPlainTextEdit* MemoDescript;

    // The periodicity shown: 'U', 'M' or 'W'.
    char Periodicity() const;

    void ComboBoxMAllChange(int index);
    void BitBtnOKClick();

protected:
    void FormShow() override;

private:
    void BuildControls();
    QWidget* BuildMonthPanel();
    QWidget* BuildWeekPanel();
    QWidget* BuildPriorityPanel();
    // Shows the panel of the periodicity ('U', 'M', 'W') with its button down.
    void ShowPanel(char periodicity);
    void ShowRecord(const Schedule& schedule);
    void WriteRecord(Schedule& schedule) const;
    // The all-months or all-days box takes the state of its boxes: checked when all are,
    // unchecked when none is, grayed for a mix.
    template <size_t N>
    static void ShowAllState(QCheckBox& all, const std::array<QCheckBox*, N>& boxes);
    void TrackBarPriorityChange();
    void ShowDate();
    void Changed();
};

// Opens the schedule dialog modally on the schedule for the charge `chargeName` in the mode
// ('A' or 'E'); true when the user left it with OK, and only then has the schedule changed.
bool EditSchedule(QWidget* parent, const std::string& chargeName, char mode, Schedule& schedule);
