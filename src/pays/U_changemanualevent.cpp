// The manual event dialog: adds or changes one counter reading, manual charge or payment of a
// pay as one journal transaction.
#include "pays/U_changemanualevent.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <optional>

#include "algorithms/ValueFields.h"
#include "decimal/Large.h"
#include "pays/PayChangeJournal.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/MessageDlg.h"
#include "shell/Ulanguage_widgets.h"

namespace {

const char kFile[] = "ChangeManualEvent.lng";
const char kIncorrect[] = "Incorrect number !";
constexpr int kDescriptLength = 99;

// What a mode chooses: its section of the language file, the colour of its inputs (the pay
// frame's background of the rows of its kind) and its help topic.
struct TEventMode {
    int Mode;
    const char* Section;
    QColor Color;
    int HelpTopic;
};

const TEventMode kModes[] = {
    {kPayAddCounter, "AddCounter", QColor(255, 255, 255), 2520},
    {kPayChangeCounter, "EditCounter", QColor(255, 255, 255), 2520},
    {kPayAddManualCharge, "AddCharge", QColor(255, 249, 224), 2530},
    {kPayChangeManualCharge, "EditCharge", QColor(255, 249, 224), 2530},
    {kPayAddPayment, "AddPayment", QColor(240, 255, 208), 2540},
    {kPayChangePayment, "EditPayment", QColor(240, 255, 208), 2540},
};

const TEventMode* ModeOf(int mode) {
    for (const TEventMode& known : kModes)
        if (known.Mode == mode) return &known;
    return nullptr;
}

}  // namespace

TfChangeManualEvent::TfChangeManualEvent(QWidget* parent, int mode)
    : TDialogBase("TfChangeManualEvent", parent, Qt::Tool), Mode(mode) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
}

void TfChangeManualEvent::BuildControls() {
    setMinimumSize(520, 300);
    QLabel* header = NewHeaderLabel(this);
    LabelFor = Named<QLabel>(this, "LabelFor");
    LabelDateBegin = Named<QLabel>(this, "LabelDateBegin");
    DTPickerDateEvent = Named<TDateField>(this, "DTPickerDateEvent");
    LabelValue = Named<QLabel>(this, "LabelValue");
    const TValueControls value = NewValueControls(*this, "EditValue", TValueKinds::ConstantOnly);
    EditValue = value.Field;
    BitBtnCalc = value.Calc;
    LabelDescript = Named<QLabel>(this, "LabelDescript");
    EditDescript = Named<QLineEdit>(this, "EditDescript");
    EditDescript->setMaxLength(kDescriptLength);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setStyleSheet(QStringLiteral("background: palette(button); color: #505050"));
    const TEventMode* mode = ModeOf(Mode);
    NewHelpButton(mode ? std::optional<int>(mode->HelpTopic) : std::nullopt);

    // The pay's name stands under the header across the dialog, so that a long name leaves the
    // inputs and the description their widths.
    LabelFor->setWordWrap(true);
    auto* inputs = new QVBoxLayout;
    inputs->addWidget(LabelDateBegin);
    inputs->addWidget(DTPickerDateEvent);
    inputs->addSpacing(6);
    inputs->addWidget(LabelValue);
    inputs->addLayout(value.Row);
    inputs->addSpacing(6);
    inputs->addWidget(LabelDescript);
    inputs->addWidget(EditDescript);
    inputs->addStretch();

    LayOutBesideMemo(*header, inputs, 2, *MemoDescript, [this] { BitBtnOKClick(); }, LabelFor);
    BitBtnOK->setEnabled(false);

    connect(DTPickerDateEvent, &TDateField::dateChanged, this, &TfChangeManualEvent::Changed);
    connect(EditValue, &QLineEdit::textChanged, this, [this] {
        CheckNumberField(*EditValue, kIncorrect, this);
        BitBtnOK->setEnabled(true);
    });
    connect(EditDescript, &QLineEdit::textChanged, this,
            [this] { BitBtnOK->setEnabled(true); });
    connect(BitBtnCalc, &QPushButton::clicked, this,
            [this] { CalculateIntoField(*EditValue, kIncorrect, this); });
}

// A date set by the dialog itself is no change; a value or description it fills in is one.
void TfChangeManualEvent::Changed() {
    if (!filling_) BitBtnOK->setEnabled(true);
}

void TfChangeManualEvent::FormShow() {
    const TEventMode* mode = ModeOf(Mode);
    const std::string section = mode ? mode->Section : "";
    const TLangFile texts = ReadTexts(kFile, section);
    QString caption = LabelFor->text();
    LabelFor->setText(caption.replace(QStringLiteral("[PayName]"), ToQString(PayName)));
    LoadDescription(ShellServices().LangPath() + "ChangeManualEventTxt01.lng", *MemoDescript);

    filling_ = true;
    if (IsEventChangeMode(Mode)) {
        OldDate = CurrentRow.Date;
        OldValue = CurrentRow.Value;
        OldDescript = CurrentRow.Descript;
        OldManOper = CurrentRow.NManOper;
        DTPickerDateEvent->setDate(ToQDate(OldDate));
        EditValue->setText(ToQString(OldValue));
        EditDescript->setText(ToQString(OldDescript));
    } else {
        DTPickerDateEvent->setDate(ToQDate(CurrentRow.Date < 1000 ? Today() : CurrentRow.Date));
        EditValue->setText(QStringLiteral("0"));
    }
    filling_ = false;

    if (mode) {
        QPalette palette = EditValue->palette();
        palette.setColor(QPalette::Base, mode->Color);
        for (QWidget* input : {static_cast<QWidget*>(DTPickerDateEvent),
                               static_cast<QWidget*>(EditValue),
                               static_cast<QWidget*>(EditDescript)})
            input->setPalette(palette);
    }
}

TDateTime TfChangeManualEvent::PickedDay() const {
    return FromQDate(DTPickerDateEvent->date());
}

void TfChangeManualEvent::SetInputsEnabled(bool enabled) {
    for (QWidget* input :
         {static_cast<QWidget*>(DTPickerDateEvent), static_cast<QWidget*>(EditValue),
          static_cast<QWidget*>(BitBtnCalc), static_cast<QWidget*>(EditDescript),
          static_cast<QWidget*>(BitBtnOK), static_cast<QWidget*>(BtnExit)})
        input->setEnabled(enabled);
}

int TfChangeManualEvent::WriteAddTransaction() {
    TPayEventParts parts = EventAddParts(Mode, PickedDay(), ToStdString(EditValue->text()),
                                         ToStdString(EditDescript->text()));
    return JournalPayChange(IDPay, parts);
}

int TfChangeManualEvent::WriteEditTransaction() {
    const TManualEvent old{OldDate, OldValue, OldDescript, OldManOper};
    TPayEventChangeParts parts = EventChangeParts(
        Mode, PickedDay(), ToStdString(EditValue->text()), ToStdString(EditDescript->text()), old);
    return JournalPayChange(IDPay, parts);
}

void TfChangeManualEvent::BitBtnOKClick() {
    // OK itself goes first, so that a second click while the messages run writes nothing.
    if (!BitBtnOK->isEnabled()) return;
    SetInputsEnabled(false);
    LetMessagesRun();
    const QString typed = EditValue->text();
    try {
        const QSignalBlocker rounding(EditValue);
        EditValue->setText(ToQString(EventValueText(Mode, ToStdString(typed))));
    } catch (const LargeError&) {
        // Only a text no check has seen (the calculator's) can get here.
        MessageDlg(kIncorrect, TMsgDlgType::mtError, mbOK, this);
        SetInputsEnabled(true);
        return;
    }
    const bool written = RunShowingError(
        [this] {
            if (IsEventChangeMode(Mode))
                WriteEditTransaction();
            else
                WriteAddTransaction();
        },
        this);
    if (!written) {
        // The event could not be written (the failure was shown): the dialog stays open with
        // the value as the user typed it, for OK again once the cause is gone.
        const QSignalBlocker restoring(EditValue);
        EditValue->setText(typed);
        SetInputsEnabled(true);
        return;
    }
    accept();
}

namespace {

void OpenEventDialog(QWidget* parent, int mode, int idPay, const std::string& payName,
                     const TManualEvent& row) {
    auto* dialog = new TfChangeManualEvent(parent, mode);
    dialog->IDPay = idPay;
    dialog->PayName = payName;
    dialog->CurrentRow = row;
    dialog->ExecModal();
}

}  // namespace

void AddManualEvent(QWidget* parent, int mode, int idPay, const std::string& payName,
                    TDateTime currentRowDate) {
    OpenEventDialog(parent, mode, idPay, payName, TManualEvent{currentRowDate, "", "", 0});
}

void EditManualEvent(QWidget* parent, int mode, int idPay, const std::string& payName,
                     const TManualEvent& event) {
    OpenEventDialog(parent, mode, idPay, payName, event);
}
