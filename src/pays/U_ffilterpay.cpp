// The filter dialog of the pay frame: which kinds of events the filtered view shows and its
// period.
#include "pays/U_ffilterpay.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "pays/U_frpay.h"
#include "platform/Dates.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/FrameWidgets.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kHelpTopic = 2560;
constexpr int kBlinks = 7;
constexpr int kBlinkInterval = 100;
const QColor kRed(255, 0, 0);

// Sets the check box's or radio button's state; a change runs its handler as a click would.
template <class Button>
void SetChecked(Button& button, bool checked) {
    if (button.isChecked() == checked) return;
    button.setChecked(checked);
    emit button.clicked(checked);
}

}  // namespace

TfFilterPay::TfFilterPay(TfrPay& frame, const QColor& memoColor, const QImage& logo)
    : TDialogBase("TfFilterPay", &frame, Qt::Tool),
      frame_(frame),
      memoColor_(memoColor),
      logo_(logo) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(kHelpTopic);
    LabelForObject = Named<QLabel>(this, "LabelForObject");
    SetTextKey(*LabelForObject, "");
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    StyleDescriptionMemo(*MemoDescript, memoColor_);

    GroupBoxStep1 = Named<QGroupBox>(this, "GroupBoxStep1");
    CheckBoxCounter = Named<QCheckBox>(GroupBoxStep1, "CheckBoxCounter");
    CheckBoxChargeAuto = Named<QCheckBox>(GroupBoxStep1, "CheckBoxChargeAuto");
    CheckBoxChargeManual = Named<QCheckBox>(GroupBoxStep1, "CheckBoxChargeManual");
    CheckBoxPay = Named<QCheckBox>(GroupBoxStep1, "CheckBoxPay");
    auto* kinds = new QVBoxLayout(GroupBoxStep1);
    for (QCheckBox* box : {CheckBoxCounter, CheckBoxChargeAuto, CheckBoxChargeManual, CheckBoxPay}) {
        kinds->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this] { CheckKinds(); });
    }

    GroupBoxStep2 = Named<QGroupBox>(this, "GroupBoxStep2");
    RadioButtonFromBegin = Named<QRadioButton>(GroupBoxStep2, "RadioButtonFromBegin");
    RadioButtonFrom = Named<QRadioButton>(GroupBoxStep2, "RadioButtonFrom");
    RadioButtonFrom->setChecked(true);
    DateTimePickerFrom = Named<TDateField>(GroupBoxStep2, "DateTimePickerFrom");
    CheckBoxOnlyThisDay = Named<QCheckBox>(GroupBoxStep2, "CheckBoxOnlyThisDay");
    auto* from = new QGridLayout(GroupBoxStep2);
    from->addWidget(RadioButtonFromBegin, 0, 0, 1, 2);
    from->addWidget(RadioButtonFrom, 1, 0);
    from->addWidget(DateTimePickerFrom, 1, 1);
    from->addWidget(CheckBoxOnlyThisDay, 2, 1);

    GroupBoxStep3 = Named<QGroupBox>(this, "GroupBoxStep3");
    RadioButtonToEnd = Named<QRadioButton>(GroupBoxStep3, "RadioButtonToEnd");
    RadioButtonTo = Named<QRadioButton>(GroupBoxStep3, "RadioButtonTo");
    DateTimePickerTo = Named<TDateField>(GroupBoxStep3, "DateTimePickerTo");
    auto* to = new QGridLayout(GroupBoxStep3);
    to->addWidget(RadioButtonToEnd, 0, 0, 1, 2);
    to->addWidget(RadioButtonTo, 1, 0);
    to->addWidget(DateTimePickerTo, 1, 1);
    to->setRowStretch(2, 1);
    for (TDateField* picker : {DateTimePickerFrom, DateTimePickerTo})
        connect(picker, &TDateField::dateChanged, this, &TfFilterPay::DateChanged);
    connect(RadioButtonFromBegin, &QRadioButton::clicked, this,
            &TfFilterPay::RadioButtonFromBeginClick);
    connect(RadioButtonFrom, &QRadioButton::clicked, this, &TfFilterPay::RadioButtonFromClick);
    connect(RadioButtonToEnd, &QRadioButton::clicked, this, &TfFilterPay::RadioButtonToEndClick);
    connect(RadioButtonTo, &QRadioButton::clicked, this, &TfFilterPay::RadioButtonToClick);
    connect(CheckBoxOnlyThisDay, &QCheckBox::clicked, this, &TfFilterPay::CheckBoxOnlyThisDayClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TfFilterPay::Timer1Timer);

    auto* steps = new QHBoxLayout;
    steps->addWidget(GroupBoxStep1);
    steps->addWidget(GroupBoxStep2);
    steps->addWidget(GroupBoxStep3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *ButtonHelp));
    layout->addWidget(LabelForObject);
    layout->addWidget(MemoDescript);
    layout->addLayout(steps);
    layout->addLayout(NewFooter(TFooter::OKExit, TFooterDefaults::Empty));
    BitBtnOK->setEnabled(false);
}

void TfFilterPay::FormShow() {
    ImageLogo->setPixmap(QPixmap::fromImage(logo_));
    const TLangFile texts = ReadTexts("Pay.lng", "FilterMode");
    setWindowTitle(LabelHeader->text());
    LabelForObject->setText(
        ToQString(texts.Read("FilterMode", "LabelForObject", "") + " '" + PayName + "'"));
    WarningText = "     " + texts.Read("FilterMode", "WarnStr1", "");
    if (!WarningShown) {
        LoadDescription(ShellServices().LangPath() + "PayTxt01.lng", *MemoDescript);
        DescriptText = ToStdString(MemoDescript->toPlainText());
    }
    BitBtnOK->setDefault(true);
}

void TfFilterPay::SetMemoColor(const QColor& color) {
    QPalette palette = MemoDescript->palette();
    palette.setColor(QPalette::Text, color);
    MemoDescript->setPalette(palette);
}

void TfFilterPay::LoadFromFrame() {
    const PayFilterInfo& filter = frame_.Filter;
    SetChecked(*CheckBoxCounter, filter.ShowCounters);
    SetChecked(*CheckBoxChargeAuto, filter.ShowAutoCharges);
    SetChecked(*CheckBoxChargeManual, filter.ShowManualCharges);
    SetChecked(*CheckBoxPay, filter.ShowPayments);
    SetChecked(*(filter.UseDateFrom ? RadioButtonFrom : RadioButtonFromBegin), true);
    DateTimePickerFrom->setDate(ToQDate(filter.DateFrom));
    SetChecked(*(filter.UseDateTo ? RadioButtonTo : RadioButtonToEnd), true);
    DateTimePickerTo->setDate(ToQDate(filter.DateTo));
    KeepDateOrder();
    SetChecked(*CheckBoxOnlyThisDay, filter.UseDateFrom && filter.UseDateTo &&
                                         ToQDate(filter.DateFrom) == ToQDate(filter.DateTo));
}

void TfFilterPay::SaveToFrame() {
    PayFilterInfo& filter = frame_.Filter;
    filter.ShowCounters = CheckBoxCounter->isChecked();
    filter.ShowAutoCharges = CheckBoxChargeAuto->isChecked();
    filter.ShowManualCharges = CheckBoxChargeManual->isChecked();
    filter.ShowPayments = CheckBoxPay->isChecked();
    filter.UseDateFrom = RadioButtonFrom->isChecked();
    filter.DateFrom = FromQDate(DateTimePickerFrom->date());
    const bool onlyThisDay = CheckBoxOnlyThisDay->isChecked() && filter.UseDateFrom;
    filter.UseDateTo = onlyThisDay || RadioButtonTo->isChecked();
    filter.DateTo = onlyThisDay ? filter.DateFrom : FromQDate(DateTimePickerTo->date());
}

bool TfFilterPay::CheckKinds() {
    const bool none = !CheckBoxCounter->isChecked() && !CheckBoxChargeAuto->isChecked() &&
                      !CheckBoxChargeManual->isChecked() && !CheckBoxPay->isChecked();
    BitBtnOK->setEnabled(!none);
    if (none)
        ShowWarning();
    else
        HideWarning();
    return none;
}

void TfFilterPay::ShowWarning() {
    if (WarningShown) return;
    MemoDescript->clear();
    SetMemoColor(kRed);
    MemoDescript->setPlainText(ToQString(WarningText));
    WarningShown = true;
    BlinkCount = kBlinks;
    Timer1->start(kBlinkInterval);
}

void TfFilterPay::HideWarning() {
    if (!WarningShown) return;
    MemoDescript->clear();
    SetMemoColor(memoColor_);
    MemoDescript->setPlainText(ToQString(DescriptText));
    WarningShown = false;
}

void TfFilterPay::Timer1Timer() {
    const QColor face = palette().color(QPalette::Button);
    SetMemoColor(MemoDescript->palette().color(QPalette::Text) == face ? kRed : face);
    if (!WarningShown) BlinkCount = 0;
    if (--BlinkCount <= 0) {
        SetMemoColor(WarningShown ? kRed : memoColor_);
        Timer1->stop();
    }
}

void TfFilterPay::KeepDateOrder() {
    if (DateTimePickerTo->date() < DateTimePickerFrom->date())
        DateTimePickerTo->setDate(DateTimePickerFrom->date());
}

void TfFilterPay::RadioButtonFromBeginClick() {
    DateTimePickerFrom->setEnabled(false);
    CheckBoxOnlyThisDay->setChecked(false);
    CheckBoxOnlyThisDay->setEnabled(false);
    CheckBoxOnlyThisDayClick();
}

void TfFilterPay::RadioButtonFromClick() {
    DateTimePickerFrom->setEnabled(true);
    CheckBoxOnlyThisDay->setEnabled(true);
}

void TfFilterPay::RadioButtonToEndClick() {
    DateTimePickerTo->setEnabled(false);
}

void TfFilterPay::RadioButtonToClick() {
    DateTimePickerTo->setEnabled(!CheckBoxOnlyThisDay->isChecked());
}

void TfFilterPay::CheckBoxOnlyThisDayClick() {
    const bool only = CheckBoxOnlyThisDay->isChecked();
    if (only) DateTimePickerTo->setDate(DateTimePickerFrom->date());
    RadioButtonToEnd->setEnabled(!only);
    RadioButtonTo->setEnabled(!only);
    DateTimePickerTo->setEnabled(!only && RadioButtonTo->isChecked());
}

void TfFilterPay::DateChanged() {
    const bool any = CheckBoxCounter->isChecked() || CheckBoxChargeAuto->isChecked() ||
                     CheckBoxChargeManual->isChecked() || CheckBoxPay->isChecked();
    if (any) BitBtnOK->setEnabled(true);
    KeepDateOrder();
}

void TfFilterPay::accept() {
    SaveToFrame();
    frame_.FilterAccepted = true;
    TDialogBase::accept();
}
