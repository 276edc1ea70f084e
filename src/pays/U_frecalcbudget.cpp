// The recalculation dialog: recalculates the open budget's automatic charges and balances for a
// period, interactively from the calendar frame or automatically after a change.
#include "pays/U_frecalcbudget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "algorithms/Uq519algorithm01.h"
#include "pays/U_fmakecalendar.h"
#include "pays/U_frpay.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"

namespace {

constexpr const char* kFile = "RecalcBudget.lng";
constexpr const char* kSection = "RecalcBudget";
constexpr int kWidth = 487;
constexpr int kHeight = 368;
constexpr int kAutomaticHeight = 242;
constexpr TDateTime kCalendarMargin = 5;  // days the interactive rebuild reaches past the run

TDateField* NewPicker(QWidget* parent, const char* name) {
    auto* picker = Named<TDateField>(parent, name);
    picker->setMinimumWidth(110);
    return picker;
}

}  // namespace

TfRecalcBudget::TfRecalcBudget(QWidget* parent)
    : TDialogBase("TfRecalcBudget", parent, Qt::Tool),
      FromBeginDate(RecalcFromBeginDate()),
      LabelHeader(NewHeaderLabel(this)),
      LabelBudgetName(Named<QLabel>(this, "LabelBudgetName")),
      LabelDateBegin(Named<QLabel>(this, "LabelDateBegin")),
      CheckBoxFromBegin(Named<QCheckBox>(this, "CheckBoxFromBegin")),
      DateTimePicker1(NewPicker(this, "DateTimePicker1")),
      LabelDateEnd(Named<QLabel>(this, "LabelDateEnd")),
      DateTimePicker2(NewPicker(this, "DateTimePicker2")),
      MemoProgress(Named<QPlainTextEdit>(this, "MemoProgress")),
      ProgressBar1(Named<QProgressBar>(this, "ProgressBar1")),
      MemoDescript(Named<QPlainTextEdit>(this, "MemoDescript")) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setWindowTitle(QStringLiteral("Vemly"));
    resize(kWidth, kHeight);
    SetTextKey(*LabelBudgetName, "");
    // No help topic: the button and F1 have no action.
    NewHelpButton(std::nullopt);

    QFont budget = LabelBudgetName->font();
    budget.setBold(true);
    LabelBudgetName->setFont(budget);
    MemoProgress->setReadOnly(true);
    MemoProgress->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoProgress->setLineWrapMode(QPlainTextEdit::NoWrap);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(12);
    MemoDescript->setReadOnly(true);
    MemoDescript->setFixedHeight(78);
    MemoDescript->setBackgroundRole(QPalette::Button);

    auto* top = new QHBoxLayout;
    top->addWidget(LabelHeader, 1);
    top->addWidget(ButtonHelp, 0, Qt::AlignTop);
    auto* period = new QGridLayout;
    period->addWidget(LabelDateBegin, 0, 0);
    period->addWidget(DateTimePicker1, 0, 1);
    period->addWidget(CheckBoxFromBegin, 0, 2);
    period->addWidget(LabelDateEnd, 1, 0);
    period->addWidget(DateTimePicker2, 1, 1);
    period->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LabelBudgetName);
    layout->addWidget(MemoDescript);
    layout->addLayout(period);
    layout->addWidget(MemoProgress, 1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(NewFooter(TFooter::OKExit, TFooterDefaults::Empty));

    connect(CheckBoxFromBegin, &QCheckBox::clicked, this, &TfRecalcBudget::CheckBoxFromBeginClick);
    connect(DateTimePicker1, &TDateField::dateChanged, this,
            &TfRecalcBudget::DateTimePicker1CloseUp);
    connect(DateTimePicker2, &TDateField::dateChanged, this,
            &TfRecalcBudget::DateTimePicker1CloseUp);
    // OK runs the recalculation and leaves the dialog open.
    disconnect(BitBtnOK, nullptr, this, nullptr);
    connect(BitBtnOK, &QPushButton::clicked, this, &TfRecalcBudget::BitBtnOKClick);
}

void TfRecalcBudget::FormShow() {
    MemoProgress->clear();
    if (const auto* main = qobject_cast<const TfMain*>(parentWidget()))
        ImageLogo->setPixmap(QPixmap::fromImage(main->LogoBitmap));
    ReadTexts(kFile, kSection);
    LabelBudgetName->setText(ToQString(ShellServices().BudgetName()));
    LoadDescription(ShellServices().LangPath() +
                        (Interactive ? "RecalcBudgetTxt01.lng" : "RecalcBudgetTxt02.lng"),
                    *MemoDescript);
    if (Interactive) {
        ChosenStart = Today();
        SetPicker1(Today());
        CheckBoxFromBegin->setChecked(true);
        CheckBoxFromBeginClick();
        DateTimePicker2->setDate(ToQDate(DM->LatestPayEventDate()));
    } else {
        DateTimePicker1->setEnabled(false);
        CheckBoxFromBegin->setEnabled(false);
        DateTimePicker2->setDate(
            ToQDate(std::max(DM->LatestManualPayEventDate(), Today())));
        DateTimePicker2->setEnabled(false);
        MemoProgress->hide();
        // The layout without the log first, so that the smaller height is not held back by
        // the log's room and no row takes the room the log had.
        layout()->activate();
        resize(kWidth, kAutomaticHeight);
        QTimer::singleShot(0, this, &TfRecalcBudget::FormActivate);
    }
}

void TfRecalcBudget::SetPicker1(TDateTime date) {
    settingPicker_ = true;
    DateTimePicker1->setDate(ToQDate(date));
    settingPicker_ = false;
}

void TfRecalcBudget::CheckBoxFromBeginClick() {
    const bool fromBegin = CheckBoxFromBegin->isChecked();
    SetPicker1(fromBegin ? FromBeginDate : ChosenStart);
    DateTimePicker1->setEnabled(!fromBegin);
}

void TfRecalcBudget::DateTimePicker1CloseUp() {
    if (!settingPicker_) ChosenStart = FromQDate(DateTimePicker1->date());
}

void TfRecalcBudget::BitBtnOKClick() {
    BtnExit->setEnabled(false);
    BitBtnOK->setEnabled(false);
    const TDateTime from = FromQDate(DateTimePicker1->date());
    const TDateTime to = FromQDate(DateTimePicker2->date());
    StopFlag = false;
    RunGuarded([&] {
        // The run goes on past the last day to the latest pay event: the calendar must too.
        RebuildCalendar(from, RecalcLastDay(to) + kCalendarMargin, this);
        ErrWatch().HasErrors = false;
        LetMessagesRun();
        RecalculateBudget(StopFlag, this, this, from, to);
    });
    if (ReloadPay) ReloadPayFrame();
    emit RunFinished();
    BtnExit->setEnabled(true);
    BitBtnOK->setEnabled(true);
}

void TfRecalcBudget::FormActivate() {
    if (!isVisible()) return;
    BtnExit->setEnabled(false);
    BitBtnOK->setEnabled(false);
    StopFlag = false;
    LetMessagesRun();
    RunGuarded([this] {
        RunAutomaticRecalc(CheckBoxFromBegin->isChecked(), FromQDate(DateTimePicker1->date()),
                           this);
    });
    if (ReloadPay) ReloadPayFrame();
    emit RunFinished();
    accept();
}

void TfRecalcBudget::ClearLog() {
    MemoProgress->clear();
}

void TfRecalcBudget::AddLogLine(const std::string& line) {
    MemoProgress->appendPlainText(ToQString(line));
}

void TfRecalcBudget::StartProgress(int maximum) {
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(0);
}

void TfRecalcBudget::SetProgress(int position) {
    ProgressBar1->setValue(position);
}

void RunAutoRecalc(bool fromBeginning, TDateTime date, QWidget* parent) {
    auto* dialog = new TfRecalcBudget(parent);
    dialog->CheckBoxFromBegin->setChecked(fromBeginning);
    dialog->Interactive = false;
    dialog->ReloadPay = true;
    dialog->ChosenStart = date;
    dialog->DateTimePicker1->setDate(ToQDate(date));
    dialog->CheckBoxFromBeginClick();
    LetMessagesRun();
    dialog->ExecModal();
}
