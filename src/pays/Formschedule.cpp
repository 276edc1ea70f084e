// The schedule dialog: when an automatic charge falls due (on one date, on days of chosen
// months or on chosen weekdays) and its priority among the charges of one day.
#include "pays/Formschedule.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/Text.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kHelpTopic = 2512;
const char kFile[] = "Schedule.lng";
const char kSection[] = "Schedule";
constexpr int kFebruary = 1;       // index of February among the months
constexpr int kLastDayItem = 29;   // February's last-day item
constexpr int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

QString TwoDigits(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

void FillDays(QComboBox& list, int days) {
    for (int day = 1; day <= days; ++day) list.addItem(TwoDigits(day));
}

}  // namespace

void TAllCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

TfSchedule::TfSchedule(QWidget* parent) : TDialogBase("TfSchedule", parent, Qt::Tool) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
}

void TfSchedule::BuildControls() {
    LabelHeader = NewHeaderLabel(this);
    SetTextKey(*LabelHeader, "");
    LabelStep2 = Named<QLabel>(this, "LabelStep2");
    SetTextKey(*LabelStep2, "");
    LabelStep3 = Named<QLabel>(this, "LabelStep3");
    SetTextKey(*LabelStep3, "");
    NewHelpButton(kHelpTopic);

    SpBtnUnitary = Named<QToolButton>(this, "SpBtnUnitary");
    SpBtnByMonth = Named<QToolButton>(this, "SpBtnByMonth");
    SpBtnByWeek = Named<QToolButton>(this, "SpBtnByWeek");
    auto* group = new QButtonGroup(this);
    for (QToolButton* button : {SpBtnUnitary, SpBtnByMonth, SpBtnByWeek}) {
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setMinimumWidth(110);
        group->addButton(button);
    }
    SpBtnByMonth->setChecked(true);
    connect(SpBtnUnitary, &QToolButton::clicked, this, [this] {
        ShowPanel('U');
        Changed();
    });
    connect(SpBtnByMonth, &QToolButton::clicked, this, [this] {
        ShowPanel('M');
        Changed();
    });
    connect(SpBtnByWeek, &QToolButton::clicked, this, [this] {
        ShowPanel('W');
        Changed();
    });

    PanelUnitary = Named<QWidget>(this, "PanelUnitary");
    MonthCalendar1 = Named<QCalendarWidget>(PanelUnitary, "MonthCalendar1");
    MonthCalendar1->setGridVisible(true);
    LabelDate = Named<QLabel>(PanelUnitary, "LabelDate");
    SetTextKey(*LabelDate, "");
    auto* unitary = new QVBoxLayout(PanelUnitary);
    unitary->addWidget(MonthCalendar1);
    unitary->addWidget(LabelDate);
    connect(MonthCalendar1, &QCalendarWidget::clicked, this, [this] {
        ShowDate();
        Changed();
    });
    connect(MonthCalendar1, &QCalendarWidget::selectionChanged, this, &TfSchedule::ShowDate);
    connect(MonthCalendar1, &QCalendarWidget::currentPageChanged, this, &TfSchedule::Changed);

    PanelByMonth = BuildMonthPanel();
    PanelByWeek = BuildWeekPanel();
    PanelPriority = BuildPriorityPanel();

    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setStyleSheet(QStringLiteral("background: palette(button); color: #505050"));
    MemoDescript->setMinimumWidth(180);

    auto* periodicity = new QHBoxLayout;
    periodicity->addWidget(SpBtnUnitary);
    periodicity->addWidget(SpBtnByMonth);
    periodicity->addWidget(SpBtnByWeek);
    periodicity->addStretch();

    auto* inputs = new QVBoxLayout;
    inputs->addWidget(LabelStep2);
    inputs->addLayout(periodicity);
    inputs->addWidget(PanelUnitary);
    inputs->addWidget(PanelByMonth);
    inputs->addWidget(PanelByWeek);
    inputs->addStretch();
    inputs->addWidget(LabelStep3);
    inputs->addWidget(PanelPriority);

    LayOutBesideMemo(*LabelHeader, inputs, 2, *MemoDescript, [this] { BitBtnOKClick(); });
    BitBtnOK->setEnabled(false);
    ShowPanel('M');
}

QWidget* TfSchedule::BuildMonthPanel() {
    auto* panel = Named<QWidget>(this, "PanelByMonth");
    auto* grid = new QGridLayout(panel);
    for (int m = 0; m < 12; ++m) {
        const QByteArray box = "CheckBoxM" + TwoDigits(m + 1).toLatin1();
        const QByteArray list = "ComboBoxM" + TwoDigits(m + 1).toLatin1();
        CheckBoxM[m] = Named<QCheckBox>(panel, box.constData());
        CheckBoxM[m]->setChecked(true);
        ComboBoxM[m] = Named<QComboBox>(panel, list.constData());
        FillDays(*ComboBoxM[m], m == kFebruary ? 29 : kMonthDays[m]);
        grid->addWidget(CheckBoxM[m], m % 6, (m / 6) * 2);
        grid->addWidget(ComboBoxM[m], m % 6, (m / 6) * 2 + 1);
        const auto monthClick = [this] {
            ShowAllState(*CheckBoxMAll, CheckBoxM);
            Changed();
        };
        connect(CheckBoxM[m], &QCheckBox::clicked, this, monthClick);
        connect(ComboBoxM[m], &QComboBox::activated, this, monthClick);
    }
    CheckBoxMAll = Named<TAllCheckBox>(panel, "CheckBoxMAll");
    CheckBoxMAll->setTristate(true);
    CheckBoxMAll->setChecked(true);
    ComboBoxMAll = Named<QComboBox>(panel, "ComboBoxMAll");
    FillDays(*ComboBoxMAll, 31);
    grid->addWidget(CheckBoxMAll, 6, 0);
    grid->addWidget(ComboBoxMAll, 6, 1);
    connect(CheckBoxMAll, &QCheckBox::clicked, this, [this] {
        const bool on = CheckBoxMAll->checkState() == Qt::Checked;
        for (QCheckBox* month : CheckBoxM) month->setChecked(on);
        Changed();
    });
    connect(ComboBoxMAll, &QComboBox::activated, this, &TfSchedule::ComboBoxMAllChange);
    return panel;
}

QWidget* TfSchedule::BuildWeekPanel() {
    auto* panel = Named<QWidget>(this, "PanelByWeek");
    auto* column = new QVBoxLayout(panel);
    for (int d = 0; d < 7; ++d) {
        const QByteArray name = "CheckBoxD" + QByteArray::number(d + 1);
        CheckBoxD[d] = Named<QCheckBox>(panel, name.constData());
        CheckBoxD[d]->setChecked(true);
        column->addWidget(CheckBoxD[d]);
        connect(CheckBoxD[d], &QCheckBox::clicked, this, [this] {
            ShowAllState(*CheckBoxDAll, CheckBoxD);
            Changed();
        });
    }
    CheckBoxDAll = Named<TAllCheckBox>(panel, "CheckBoxDAll");
    CheckBoxDAll->setTristate(true);
    CheckBoxDAll->setChecked(true);
    column->addSpacing(6);
    column->addWidget(CheckBoxDAll);
    connect(CheckBoxDAll, &QCheckBox::clicked, this, [this] {
        const bool on = CheckBoxDAll->checkState() == Qt::Checked;
        for (QCheckBox* day : CheckBoxD) day->setChecked(on);
        Changed();
    });
    return panel;
}

QWidget* TfSchedule::BuildPriorityPanel() {
    auto* panel = Named<QWidget>(this, "PanelPriority");
    auto* grid = new QGridLayout(panel);
    TrackBarPriority = Named<QSlider>(panel, "TrackBarPriority", Qt::Horizontal);
    TrackBarPriority->setRange(1, 10);
    TrackBarPriority->setPageStep(1);
    TrackBarPriority->setTickPosition(QSlider::TicksBelow);
    grid->addWidget(TrackBarPriority, 0, 0, 1, 10);
    for (int p = 0; p < 10; ++p) {
        const QByteArray name = "LabelPrty" + QByteArray::number(p + 1);
        LabelPrty[p] = Named<QLabel>(panel, name.constData(), QString::number(p + 1));
        SetTextKey(*LabelPrty[p], "");
        LabelPrty[p]->setAlignment(Qt::AlignHCenter);
        grid->addWidget(LabelPrty[p], 1, p);
    }
    connect(TrackBarPriority, &QSlider::valueChanged, this, &TfSchedule::TrackBarPriorityChange);
    return panel;
}

void TfSchedule::FormShow() {
    const TLangFile texts = ReadTexts(kFile, kSection);
    if (ComboBoxM[kFebruary]->count() == kLastDayItem)
        ComboBoxM[kFebruary]->addItem(ToQString(texts.Read(kSection, "ComboBoxM02LastDay", "")));
    LoadDescription(ShellServices().LangPath() + "ScheduleTxt01.lng", *MemoDescript);
    const char* suffix = Mode == 'E' ? "Ed" : "Cr";
    const auto caption = [&](const char* key) {
        return ToQString(texts.Read(kSection, std::string(key) + suffix, ""));
    };
    LabelHeader->setText(caption("LabelHeader") + QStringLiteral(" '") + ToQString(ChargeName) +
                         QStringLiteral("'"));
    LabelStep2->setText(caption("LabelStep2"));
    LabelStep3->setText(caption("LabelStep3"));
    if (Confirmed) *Confirmed = false;
    if (Target) ShowRecord(*Target);
    if (Mode == 'E') {
        ComboBoxMAll->setCurrentIndex(-1);
        BitBtnOK->setEnabled(false);
    } else {
        BitBtnOK->setEnabled(true);
    }
}

void TfSchedule::ShowRecord(const Schedule& schedule) {
    MonthCalendar1->setSelectedDate(ToQDate(schedule.UnitaryDate));
    for (int m = 0; m < 12; ++m) {
        const ScheduleMonth& month = schedule.Months[static_cast<size_t>(m)];
        CheckBoxM[m]->setChecked(month.On);
        // A day the list lacks (0, or 31 in April) shows the nearest day it has.
        const int last = m == kFebruary ? kLastDayItem : ComboBoxM[m]->count() - 1;
        const int index = m == kFebruary && month.LastDay ? kLastDayItem : month.Day - 1;
        ComboBoxM[m]->setCurrentIndex(std::clamp(index, 0, last));
    }
    for (int d = 0; d < 7; ++d) CheckBoxD[d]->setChecked(schedule.WeekDays[static_cast<size_t>(d)]);
    ShowAllState(*CheckBoxMAll, CheckBoxM);
    ShowAllState(*CheckBoxDAll, CheckBoxD);
    TrackBarPriority->setValue(std::clamp(schedule.Priority, 1, 10));
    TrackBarPriorityChange();
    ShowPanel(schedule.Periodicity == 'U' || schedule.Periodicity == 'W' ? schedule.Periodicity
                                                                          : 'M');
}

void TfSchedule::WriteRecord(Schedule& schedule) const {
    schedule.Periodicity = Periodicity();
    schedule.UnitaryDate = FromQDate(MonthCalendar1->selectedDate());
    for (int m = 0; m < 12; ++m) {
        ScheduleMonth& month = schedule.Months[static_cast<size_t>(m)];
        month.On = CheckBoxM[m]->isChecked();
        month.Day = ComboBoxM[m]->currentIndex() + 1;
        month.LastDay = m == kFebruary && ComboBoxM[m]->currentIndex() == kLastDayItem;
    }
    for (int d = 0; d < 7; ++d) schedule.WeekDays[static_cast<size_t>(d)] = CheckBoxD[d]->isChecked();
    schedule.Priority = TrackBarPriority->value();
}

char TfSchedule::Periodicity() const {
    if (SpBtnUnitary->isChecked()) return 'U';
    return SpBtnByWeek->isChecked() ? 'W' : 'M';
}

void TfSchedule::ShowPanel(char periodicity) {
    (periodicity == 'U' ? SpBtnUnitary : periodicity == 'W' ? SpBtnByWeek : SpBtnByMonth)
        ->setChecked(true);
    PanelUnitary->setVisible(periodicity == 'U');
    PanelByMonth->setVisible(periodicity == 'M');
    PanelByWeek->setVisible(periodicity == 'W');
    if (periodicity == 'U') ShowDate();
}

template <size_t N>
void TfSchedule::ShowAllState(QCheckBox& all, const std::array<QCheckBox*, N>& boxes) {
    size_t on = 0;
    for (const QCheckBox* box : boxes) on += box->isChecked();
    all.setCheckState(on == N ? Qt::Checked : on == 0 ? Qt::Unchecked : Qt::PartiallyChecked);
}

void TfSchedule::ComboBoxMAllChange(int index) {
    for (int m = 0; m < 12; ++m) {
        if (m == kFebruary)
            ComboBoxM[m]->setCurrentIndex(index < 27 ? index : kLastDayItem);
        else
            ComboBoxM[m]->setCurrentIndex(std::min(index, kMonthDays[m] - 1));
    }
    Changed();
}

void TfSchedule::TrackBarPriorityChange() {
    for (int p = 0; p < 10; ++p) {
        QFont font = LabelPrty[p]->font();
        font.setBold(p + 1 == TrackBarPriority->value());
        LabelPrty[p]->setFont(font);
    }
    Changed();
}

void TfSchedule::ShowDate() {
    LabelDate->setText(ToQString(DateToStr(FromQDate(MonthCalendar1->selectedDate()))));
}

void TfSchedule::Changed() {
    BitBtnOK->setEnabled(true);
}

void TfSchedule::BitBtnOKClick() {
    if (Target) WriteRecord(*Target);
    if (Confirmed) *Confirmed = true;
    accept();
}

bool EditSchedule(QWidget* parent, const std::string& chargeName, char mode, Schedule& schedule) {
    bool confirmed = false;
    auto* dialog = new TfSchedule(parent);
    dialog->ChargeName = chargeName;
    dialog->Mode = mode;
    dialog->Target = &schedule;
    dialog->Confirmed = &confirmed;
    dialog->ExecModal();
    return confirmed;
}
