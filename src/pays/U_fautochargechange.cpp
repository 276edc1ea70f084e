// The auto-charge editor: adds one automatic charge to the auto-charge list dialog's list or
// changes the charge of its current row, in memory.
#include "pays/U_fautochargechange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextEdit>
#include <cmath>

#include "algorithms/U_fcalculation.h"
#include "algorithms/Uq519algtextformat.h"
#include "algorithms/Uq519arithmeticslf.h"
#include "algorithms/ValueFields.h"
#include "pays/Formschedule.h"
#include "pays/U_fautocharges.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/FrameWidgets.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kHelpTopic = 2511;
const char kFile[] = "AutoCharges.lng";
constexpr int kTextLength = 99;
constexpr TDateTime kNoEnd = 76721;  // 19 January 2110
const QColor kPassiveColor(128, 128, 0);
const QColor kActiveColor(0, 128, 0);

}  // namespace

TfAutoChargeChange::TfAutoChargeChange(TfAutoCharges& list)
    : TDialogBase("TfAutoChargeChange", &list, Qt::Tool), list_(list) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
}

void TfAutoChargeChange::BuildControls() {
    // 640 by 420, wider where the fields need it.
    resize(640, 420);
    QLabel* header = NewHeaderLabel(this);
    LabelFor = Named<QLabel>(this, "LabelFor");
    SetTextKey(*LabelFor, "");
    auto* labelName = Named<QLabel>(this, "LabelName");
    EditName = Named<QLineEdit>(this, "EditName");
    EditName->setMaxLength(kTextLength);
    auto* labelDescript = Named<QLabel>(this, "LabelDescript");
    EditDescript = Named<QLineEdit>(this, "EditDescript");
    EditDescript->setMaxLength(kTextLength);
    // A long name shows whole, and a description as long under it.
    EditName->setMinimumWidth(CharactersWidth(*EditName, kWholeNameLength));
    auto* labelBegin = Named<QLabel>(this, "LabelDateBegin");
    DTPickerDateBegin = Named<TDateField>(this, "DTPickerDateBegin");
    auto* labelEnd = Named<QLabel>(this, "LabelDateEnd");
    DTPickerDateEnd = Named<TDateField>(this, "DTPickerDateEnd");
    CheckBoxNotRestrict = Named<QCheckBox>(this, "CheckBoxNotRestrict");
    SetTextKey(*CheckBoxNotRestrict, "NotRestrict");
    // The algorithm button shows the algorithm's name and glyph; a click opens the editor.
    const TValueControls value =
        NewValueControls(*this, "EditConstValue", TValueKinds::ConstantOrAlgorithm);
    QLabel* labelType = value.LabelChoiceType;
    RadioButtonTypeConst = value.TypeConst;
    RadioButtonTypeAlg = value.TypeAlg;
    EditConstValue = value.Field;
    BitBtnCalc = value.Calc;
    BitBtnAlg = value.Alg;
    LabelValue = Named<QLabel>(this, "LabelValue");
    SetTextKey(*LabelValue, "");
    auto* labelSchedule = Named<QLabel>(this, "LabelSchedule");
    RichEditSchedule = Named<QTextEdit>(this, "RichEditSchedule");
    RichEditSchedule->setReadOnly(true);
    RichEditSchedule->setFixedHeight(48);
    ButtonSchedule = Named<QPushButton>(this, "ButtonSchedule", QStringLiteral("..."));
    SetTextKey(*ButtonSchedule, "");
    ButtonSchedule->setFixedWidth(28);
    auto* labelActivity = Named<QLabel>(this, "LabelActivity");
    ComboBoxActivity = Named<QComboBox>(this, "ComboBoxActivity");
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setStyleSheet(QStringLiteral("background: palette(button); color: #505050"));
    // The description keeps lines of a few words beside the wide fields.
    MemoDescript->setMinimumWidth(CharactersWidth(*MemoDescript, 30));
    NewHelpButton(kHelpTopic);

    auto* schedule = new QHBoxLayout;
    schedule->addWidget(RichEditSchedule, 1);
    schedule->addWidget(ButtonSchedule, 0, Qt::AlignTop);

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(labelName, row, 0);
    grid->addWidget(EditName, row++, 1, 1, 2);
    grid->addWidget(labelDescript, row, 0);
    grid->addWidget(EditDescript, row++, 1, 1, 2);
    grid->addWidget(labelBegin, row, 0);
    grid->addWidget(DTPickerDateBegin, row++, 1);
    grid->addWidget(labelEnd, row, 0);
    grid->addWidget(DTPickerDateEnd, row, 1);
    grid->addWidget(CheckBoxNotRestrict, row++, 2);
    grid->addWidget(labelType, row, 0);
    grid->addWidget(RadioButtonTypeConst, row, 1);
    grid->addWidget(RadioButtonTypeAlg, row++, 2);
    grid->addWidget(LabelValue, row, 0);
    grid->addLayout(value.Row, row++, 1, 1, 2);
    grid->addWidget(labelSchedule, row, 0, Qt::AlignTop);
    grid->addLayout(schedule, row++, 1, 1, 2);
    grid->addWidget(labelActivity, row, 0);
    grid->addWidget(ComboBoxActivity, row++, 1);
    grid->setRowStretch(row, 1);

    LayOutBesideMemo(*header, grid, 2, *MemoDescript, [this] { BitBtnOKClick(); }, LabelFor);
    BitBtnOK->setEnabled(false);

    connect(EditName, &QLineEdit::textChanged, this, &TfAutoChargeChange::Changed);
    connect(EditDescript, &QLineEdit::textChanged, this, &TfAutoChargeChange::Changed);
    connect(DTPickerDateBegin, &TDateField::dateChanged, this,
            &TfAutoChargeChange::DTPickerDateChange);
    connect(DTPickerDateEnd, &TDateField::dateChanged, this,
            &TfAutoChargeChange::DTPickerDateChange);
    connect(CheckBoxNotRestrict, &QCheckBox::toggled, this, [this](bool notRestricted) {
        DTPickerDateEnd->setEnabled(!notRestricted);
        Changed();
    });
    connect(RadioButtonTypeConst, &QRadioButton::clicked, this, [this] {
        RadioButtonTypeConstClick();
        Changed();
    });
    connect(RadioButtonTypeAlg, &QRadioButton::clicked, this, [this] {
        RadioButtonTypeAlgClick();
        Changed();
    });
    connect(EditConstValue, &QLineEdit::textChanged, this, [this] {
        CheckNumberField(*EditConstValue, StrValIncorrect, this);
        Changed();
    });
    connect(BitBtnCalc, &QPushButton::clicked, this,
            [this] { CalculateIntoField(*EditConstValue, StrValIncorrect, this); });
    connect(BitBtnAlg, &QPushButton::clicked, this, &TfAutoChargeChange::BitBtnAlgClick);
    connect(ButtonSchedule, &QPushButton::clicked, this, &TfAutoChargeChange::ButtonScheduleClick);
    connect(ComboBoxActivity, &QComboBox::activated, this, [this] {
        ShowActivityColor();
        Changed();
    });
}

// The passive item in olive, the active one in green, in the list and in the box.
void TfAutoChargeChange::ShowActivityColor() {
    QPalette palette = ComboBoxActivity->palette();
    const QColor color = ComboBoxActivity->currentIndex() == 1 ? kActiveColor : kPassiveColor;
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    ComboBoxActivity->setPalette(palette);
}

void TfAutoChargeChange::Changed() {
    BitBtnOK->setEnabled(true);
}

void TfAutoChargeChange::BitBtnAlgClick() {
    // The editor's trial date is the whole day of the charge's beginning.
    EditAlgorithm(this, Algorithm, std::trunc(FromQDate(DTPickerDateBegin->date())));
    AlgRenamed = Algorithm.Name != AlgName;
    AlgName = Algorithm.Name;
    ShowAlgorithm();
    Changed();
}

std::string TfAutoChargeChange::DerivedAlgName() const {
    return ReplaceAllText(StrNameAlg, "[name]", ToStdString(EditName->text()));
}

void TfAutoChargeChange::SetDefaultAlgorithm() {
    Algorithm = Algorithm01{};
    Algorithm.ID = 0;
    Algorithm.Valid = true;
    Algorithm.IDParent = IDPay;
    Algorithm.VarOfResult = 1;
    AlgName = DerivedAlgName();
    Algorithm.Name = AlgName;
    broughtAlgorithm_ = false;
    ShowAlgorithm();
}

void TfAutoChargeChange::ShowAlgorithm() {
    ShowAlgorithmButton(*BitBtnAlg, AlgName, Algorithm.Valid);
}

void TfAutoChargeChange::ShowSchedule() {
    RichEditSchedule->setPlainText(ToQString(DescribeSchedule(Schedule)));
}

void TfAutoChargeChange::FormShow() {
    const std::string section = Mode == 'A' ? "AutoChargeAppend" : "AutoChargeEdit";
    const TLangFile texts = ReadTexts(kFile, section);
    const auto text = [&](const char* key) { return texts.Read(section, key, ""); };
    StrValueConst = text("StrValueConst");
    StrValueAlg = text("StrValueAlg");
    StrNameAlg = text("StrNameAlg");
    StrValIncorrect = text("StrValIncorrect");
    StrCharge = text("StrCharge");
    const TShellServices& shell = ShellServices();
    LabelFor->setText(ToQString(text("LabelFor") + "'" +
                                shell.Index().GetObjectName(IDPay, shell.BudgetPath()) + "'"));
    ComboBoxActivity->clear();
    ComboBoxActivity->addItem(ToQString(text("StrPassive")));
    ComboBoxActivity->addItem(ToQString(text("StrActive")));
    ComboBoxActivity->setItemData(0, kPassiveColor, Qt::ForegroundRole);
    ComboBoxActivity->setItemData(1, kActiveColor, Qt::ForegroundRole);
    LoadDescription(shell.LangPath() + "AutoChargeEditTxt01.lng", *MemoDescript);

    const int index = ShownIndex(list_.Charges, list_.Row());
    if (Mode == 'E' && index >= 0) {
        const AutoChargeInfo& charge = list_.Charges[static_cast<size_t>(index)];
        EditName->setText(ToQString(charge.Name));
        EditDescript->setText(ToQString(charge.Descript));
        DTPickerDateBegin->setDate(ToQDate(charge.DateBegin));
        OldDateBegin = std::trunc(charge.DateBegin);
        DTPickerDateEnd->setDate(ToQDate(charge.DateEnd));
        CheckBoxNotRestrict->setChecked(!charge.Restricted);
        (charge.ItemType == 'A' ? RadioButtonTypeAlg : RadioButtonTypeConst)->setChecked(true);
        EditConstValue->setText(charge.ItemType == 'A' ? QStringLiteral("0")
                                                        : ToQString(charge.ConstValue));
        InitialType = charge.ItemType;
        if (charge.ItemType == 'A') {
            Algorithm = charge.Algorithm;
            broughtAlgorithm_ = true;
        }
        AlgName = Algorithm.Name;
        ShowAlgorithm();
        Schedule = charge.Schedule;
        ComboBoxActivity->setCurrentIndex(charge.Active ? 1 : 0);
    } else {
        Mode = 'A';
        EditName->setText(ToQString(StrCharge + " " + std::to_string(list_.Charges.size() + 1)));
        DTPickerDateBegin->setDate(ToQDate(Today()));
        DTPickerDateEnd->setDate(ToQDate(kNoEnd));
        CheckBoxNotRestrict->setChecked(true);
        RadioButtonTypeConst->setChecked(true);
        EditConstValue->setText(QStringLiteral("0"));
        InitialType = 'C';
        SetDefaultAlgorithm();
        SetDefaultSchedule(Schedule);
        ComboBoxActivity->setCurrentIndex(0);
    }
    DTPickerDateEnd->setEnabled(!CheckBoxNotRestrict->isChecked());
    if (RadioButtonTypeAlg->isChecked()) {
        LabelValue->setText(ToQString(StrValueAlg));
        BitBtnAlg->show();
        EditConstValue->hide();
        BitBtnCalc->hide();
    } else {
        RadioButtonTypeConstClick();
    }
    ShowSchedule();
    ShowActivityColor();
    // A proposed charge can be taken unchanged; a charge being changed needs a change first.
    BitBtnOK->setEnabled(Mode == 'A');
}

void TfAutoChargeChange::RadioButtonTypeConstClick() {
    LabelValue->setText(ToQString(StrValueConst));
    BitBtnAlg->hide();
    EditConstValue->show();
    BitBtnCalc->show();
}

void TfAutoChargeChange::RadioButtonTypeAlgClick() {
    LabelValue->setText(ToQString(StrValueAlg));
    BitBtnAlg->show();
    EditConstValue->hide();
    BitBtnCalc->hide();
    if (InitialType != 'A' && !AlgRenamed) SetDefaultAlgorithm();
}

// The name derived again follows the dates while the user kept it; an algorithm the edited
// charge brought keeps its own name.
void TfAutoChargeChange::DTPickerDateChange() {
    if (!AlgRenamed && !broughtAlgorithm_) {
        AlgName = DerivedAlgName();
        Algorithm.Name = AlgName;
        ShowAlgorithm();
    }
    Changed();
}

void TfAutoChargeChange::ButtonScheduleClick() {
    const bool confirmed = EditSchedule(this, ToStdString(EditName->text()), Mode, Schedule);
    ShowSchedule();
    if (confirmed) Changed();
}

void TfAutoChargeChange::SetInputsEnabled(bool enabled) {
    for (QWidget* input :
         {static_cast<QWidget*>(EditName), static_cast<QWidget*>(EditDescript),
          static_cast<QWidget*>(DTPickerDateBegin), static_cast<QWidget*>(DTPickerDateEnd),
          static_cast<QWidget*>(CheckBoxNotRestrict), static_cast<QWidget*>(RadioButtonTypeConst),
          static_cast<QWidget*>(RadioButtonTypeAlg), static_cast<QWidget*>(BitBtnAlg),
          static_cast<QWidget*>(EditConstValue), static_cast<QWidget*>(BitBtnCalc),
          static_cast<QWidget*>(ButtonSchedule), static_cast<QWidget*>(ComboBoxActivity),
          static_cast<QWidget*>(BitBtnOK), static_cast<QWidget*>(BtnExit)})
        input->setEnabled(enabled);
}

void TfAutoChargeChange::FillCharge(AutoChargeInfo& charge, bool added) const {
    charge.Name = ToStdString(EditName->text());
    charge.Descript = ToStdString(EditDescript->text());
    charge.DateBegin = FromQDate(DTPickerDateBegin->date());
    charge.Restricted = !CheckBoxNotRestrict->isChecked();
    charge.DateEnd = FromQDate(DTPickerDateEnd->date());
    charge.Active = ComboBoxActivity->currentIndex() == 1;
    charge.ItemType = RadioButtonTypeConst->isChecked() ? 'C' : 'A';
    if (charge.ItemType == 'C')
        charge.ConstValue = NormalizeNumberText(ToStdString(EditConstValue->text()));
    else if (added)
        charge.ConstValue.clear();
    if (charge.ItemType == 'A') charge.Algorithm = Algorithm;
    charge.Schedule = Schedule;
    charge.State = added ? 'a' : 'e';
}

void TfAutoChargeChange::BitBtnOKClick() {
    // OK itself goes first, so that a second click while the messages run changes nothing.
    if (!BitBtnOK->isEnabled()) return;
    SetInputsEnabled(false);
    LetMessagesRun();
    if (EditConstValue->text().isEmpty()) EditConstValue->setText(QStringLiteral("0"));
    TDateTime earliest = std::trunc(FromQDate(DTPickerDateBegin->date()));
    const int index = ShownIndex(list_.Charges, list_.Row());
    if (Mode == 'E' && index >= 0) {
        FillCharge(list_.Charges[static_cast<size_t>(index)], false);
        earliest = std::min(earliest, OldDateBegin);
    } else {
        AutoChargeInfo charge;
        FillCharge(charge, true);
        list_.Charges.push_back(std::move(charge));
    }
    list_.FirstChangedDate = std::min(list_.FirstChangedDate, earliest);
    const int row = list_.Row();
    list_.ShowCharges();
    list_.SetRow(row);
    accept();
}
