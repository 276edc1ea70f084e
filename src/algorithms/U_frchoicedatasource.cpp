// The tree chooser's frame for the source of an initial datum: the chosen object and, for a pay
// or the calendar, which of its values is meant, with the day and month decrement it needs.
#include "algorithms/U_frchoicedatasource.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "algorithms/Ugetdata.h"
#include "platform/Text.h"
#include "shell/ShellOpen.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr const char* kSection = "ChoiceDataSource";
constexpr int kHelpTopic = 3200;
constexpr int kSubSources = 26;
constexpr int kDateFunctions = 7;
const QColor kRed(0xFF, 0, 0);

QSpinBox* NewSpin(QWidget* parent, const char* name, int from, int to) {
    auto* spin = Named<QSpinBox>(parent, name);
    spin->setRange(from, to);
    spin->setValue(from);
    // Only the arrows change the value.
    spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    spin->setReadOnly(false);
    spin->setKeyboardTracking(false);
    spin->setMinimumWidth(60);
    return spin;
}

}  // namespace

TfrChoiceDataSource::TfrChoiceDataSource(QWidget* parent, const QColor& memoColor)
    : QFrame(parent) {
    setObjectName(QStringLiteral("TfrChoiceDataSource"));
    LabelHeader = NewHeaderLabel(this);
    ButtonHelp = NewHelpButton(*this, kHelpTopic);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setFrameStyle(QFrame::NoFrame);
    MemoDescript->setFixedHeight(3 * MemoDescript->fontMetrics().lineSpacing() + 8);
    MemoDescript->setFocusPolicy(Qt::NoFocus);
    QPalette memoPalette = MemoDescript->palette();
    memoPalette.setColor(QPalette::Text, memoColor);
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    MemoDescript->setPalette(memoPalette);

    LabelObject = Named<QLabel>(this, "LabelObject");
    QFont bold = LabelObject->font();
    bold.setBold(true);
    LabelObject->setFont(bold);
    ImageObject = Named<QLabel>(this, "ImageObject");
    ImageObject->setFixedSize(20, 20);
    LabelObjectName = Named<QLabel>(this, "LabelObjectName");
    LabelObjectDescript = Named<QLabel>(this, "LabelObjectDescript");
    LabelObjectDescript->setWordWrap(true);
    for (QLabel* label : {ImageObject, LabelObjectName, LabelObjectDescript})
        SetTextKey(*label, "");

    MemoWarning = Named<QPlainTextEdit>(this, "MemoWarning");
    MemoWarning->setReadOnly(true);
    MemoWarning->setFrameStyle(QFrame::NoFrame);
    MemoWarning->setFocusPolicy(Qt::NoFocus);
    QPalette warningPalette = MemoWarning->palette();
    warningPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    MemoWarning->setPalette(warningPalette);
    MemoWarning->hide();
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TfrChoiceDataSource::Timer1Timer);

    LabelSubSource = Named<QLabel>(this, "LabelSubSource");
    LabelSubSource->setFont(bold);
    PanelSubSource = Named<QFrame>(this, "PanelSubSource");
    PanelSubSource->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ComboBoxSubSource = Named<QComboBox>(PanelSubSource, "ComboBoxSubSource");
    ComboBoxSubSource->setMaxVisibleItems(14);
    ComboBoxSubDate = Named<QComboBox>(PanelSubSource, "ComboBoxSubDate");
    ComboBoxSubDate->setMaxVisibleItems(14);
    UpDownDay = NewSpin(PanelSubSource, "UpDownDay", 1, 31);
    LabelDay = Named<QLabel>(PanelSubSource, "LabelDay");
    UpDownMonthDecr = NewSpin(PanelSubSource, "UpDownMonthDecr", 0, 999);
    LabelMonthDecr = Named<QLabel>(PanelSubSource, "LabelMonthDecr");
    ComboBoxVar = Named<QComboBox>(PanelSubSource, "ComboBoxVar");
    for (int n = 1; n <= 100; ++n)
        ComboBoxVar->addItem(QStringLiteral("V%1").arg(n, 3, 10, QLatin1Char('0')));
    LabelNVar = Named<QLabel>(PanelSubSource, "LabelNVar");
    LabelSubDescr = Named<QLabel>(PanelSubSource, "LabelSubDescr");
    SetTextKey(*LabelSubDescr, "");
    LabelSubDescr->setWordWrap(true);
    LabelSubDescr->setAlignment(Qt::AlignLeft | Qt::AlignBottom);

    auto* panel = new QGridLayout(PanelSubSource);
    panel->addWidget(ComboBoxSubSource, 0, 0, 1, 2);
    panel->addWidget(ComboBoxSubDate, 1, 0, 1, 2);
    panel->addWidget(UpDownDay, 2, 0);
    panel->addWidget(LabelDay, 2, 1);
    panel->addWidget(UpDownMonthDecr, 3, 0);
    panel->addWidget(LabelMonthDecr, 3, 1);
    panel->addWidget(ComboBoxVar, 4, 0);
    panel->addWidget(LabelNVar, 4, 1);
    panel->addWidget(LabelSubDescr, 5, 0, 1, 2);
    panel->setColumnStretch(1, 1);
    panel->setRowStretch(5, 1);

    auto* object = new QGridLayout;
    object->addWidget(LabelObject, 0, 0, 1, 2);
    object->addWidget(ImageObject, 1, 0, Qt::AlignTop);
    object->addWidget(LabelObjectName, 1, 1);
    object->addWidget(LabelObjectDescript, 2, 1);
    object->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *ButtonHelp));
    layout->addWidget(MemoDescript);
    layout->addLayout(object);
    layout->addWidget(MemoWarning);
    layout->addWidget(LabelSubSource);
    layout->addWidget(PanelSubSource, 1);
    layout->addStretch();

    connect(ComboBoxSubSource, &QComboBox::activated, this,
            &TfrChoiceDataSource::ComboBoxSubSourceCloseUp);
    connect(ComboBoxSubDate, &QComboBox::activated, this,
            &TfrChoiceDataSource::ComboBoxSubDateCloseUp);
    connect(UpDownDay, &QSpinBox::valueChanged, this, &TfrChoiceDataSource::EditDayChange);
    connect(UpDownMonthDecr, &QSpinBox::valueChanged, this, &TfrChoiceDataSource::EditDayChange);
    connect(ComboBoxVar, &QComboBox::activated, this, &TfrChoiceDataSource::EditDayChange);
}

std::string TfrChoiceDataSource::ReadTexts(const TLangFile& texts) {
    ReadCaptions(*this, texts, kSection);
    MemoDescript->setPlainText(ToQString(texts.Read(kSection, "Descript", "")));
    ComboBoxSubSource->clear();
    for (int n = 1; n <= kSubSources; ++n)
        ComboBoxSubSource->addItem(
            ToQString(texts.Read(kSection, "SubSource" + std::to_string(n), "")));
    ComboBoxSubSource->setCurrentIndex(0);
    ComboBoxSubDate->clear();
    for (int n = 1; n <= kDateFunctions; ++n)
        ComboBoxSubDate->addItem(ToQString(texts.Read(kSection, "SubDate" + std::to_string(n), "")));
    ComboBoxSubDate->setCurrentIndex(0);
    ShowParamControls(false, false, false);
    return texts.Read(kSection, "WarningStr", "");
}

void TfrChoiceDataSource::ShowParamControls(bool day, bool monthDecr, bool variable) {
    UpDownDay->setVisible(day);
    LabelDay->setVisible(day);
    UpDownMonthDecr->setVisible(monthDecr);
    LabelMonthDecr->setVisible(monthDecr);
    ComboBoxVar->setVisible(variable);
    LabelNVar->setVisible(variable);
}

void TfrChoiceDataSource::ShowObject(const QPixmap& image, const std::string& name,
                                     const std::string& descript) {
    ImageObject->setPixmap(image);
    LabelObjectName->setText(ToQString(name));
    LabelObjectDescript->setText(ToQString(descript));
    LabelObject->setVisible(!image.isNull() || !name.empty());
}

void TfrChoiceDataSource::ShowSubSource(int type) {
    const bool pay = type == kSourcePay;
    const bool calendar = type == kSourceCalendar;
    LabelSubSource->setVisible(pay || calendar);
    PanelSubSource->setVisible(pay || calendar);
    ComboBoxSubSource->setVisible(pay);
    ComboBoxSubDate->setVisible(calendar);
    if (pay) ComboBoxSubSourceCloseUp();
    if (calendar) ComboBoxSubDateCloseUp();
}

void TfrChoiceDataSource::ShowWarning(const std::string& text) {
    Timer1->stop();
    if (text.empty()) {
        MemoWarning->clear();
        MemoWarning->hide();
        return;
    }
    MemoWarning->setPlainText(ToQString(text));
    SetWarningColor(kRed);
    MemoWarning->show();
    blinkCount_ = 7;
    Timer1->start();
}

void TfrChoiceDataSource::SetWarningColor(const QColor& color) {
    QPalette palette = MemoWarning->palette();
    palette.setColor(QPalette::Text, color);
    MemoWarning->setPalette(palette);
}

void TfrChoiceDataSource::Timer1Timer() {
    const QColor face = palette().color(QPalette::Button);
    const bool red = MemoWarning->palette().color(QPalette::Text) == kRed;
    SetWarningColor(red ? face : kRed);
    if (--blinkCount_ <= 0) {
        SetWarningColor(kRed);
        Timer1->stop();
    }
}

std::string TfrChoiceDataSource::DayText() const {
    return std::to_string(UpDownDay->value());
}

std::string TfrChoiceDataSource::MonthDecrText() const {
    return std::to_string(UpDownMonthDecr->value());
}

void TfrChoiceDataSource::ComboBoxSubSourceCloseUp() {
    const int index = ComboBoxSubSource->currentIndex();
    if (index < 0) return;
    LabelSubDescr->setText(
        ToQString(DescribeSubSource(index + 1, DayText(), MonthDecrText())));
    if (index <= 11)
        ShowParamControls(index % 2 == 1, index % 2 == 1, false);
    else if (index == 12)
        ShowParamControls(false, false, false);
    else if (index == 13)
        ShowParamControls(true, true, false);
    else
        ShowParamControls(false, true, false);
}

void TfrChoiceDataSource::ComboBoxSubDateCloseUp() {
    const int index = ComboBoxSubDate->currentIndex();
    if (index < 0) return;
    LabelSubDescr->setText(ToQString(DescribeSubDate(index + 1, DayText(), MonthDecrText())));
    if (index == 2 || index == 3)
        ShowParamControls(false, true, false);
    else if (index == 6)
        ShowParamControls(true, true, false);
    else
        ShowParamControls(false, false, false);
}

void TfrChoiceDataSource::EditDayChange() {
    if (ChosenType == kSourcePay && ComboBoxSubSource->currentIndex() >= 0)
        LabelSubDescr->setText(ToQString(
            DescribeSubSource(ComboBoxSubSource->currentIndex() + 1, DayText(), MonthDecrText())));
    else if (ChosenType == kSourceCalendar && ComboBoxSubDate->currentIndex() >= 0)
        LabelSubDescr->setText(ToQString(
            DescribeSubDate(ComboBoxSubDate->currentIndex() + 1, DayText(), MonthDecrText())));
}
