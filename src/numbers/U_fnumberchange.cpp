// The number value dialog: adds a dated item to the number in the number frame, or changes the
// item of the frame's selected row, in the frame's list in memory.
#include "numbers/U_fnumberchange.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "algorithms/U_fcalculation.h"
#include "algorithms/ValueFields.h"
#include "algorithms/Uq519arithmeticslf.h"
#include "numbers/U_frnumber.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kHelpTopic = 2410;
constexpr int kConstLength = 50;  // characters of a constant and of a description
const char kFile[] = "Number.lng";
const char kDescriptionFile[] = "NumberChoiceTxt01.lng";

size_t CharCount(std::string_view text) {
    size_t count = 0;
    for (const char byte : text) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

}  // namespace

TfNumberChange::TfNumberChange(TfrNumber& frame)
    : TDialogBase("TfNumberChange", &frame, Qt::Tool), frame_(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
}

void TfNumberChange::BuildControls() {
    setMinimumSize(450, 337);
    QLabel* header = NewHeaderLabel(this);
    LabelDateBegin = Named<QLabel>(this, "LabelDateBegin");
    SetTextKey(*LabelDateBegin, "DateBegin");
    DateTimePicker1 = Named<TDateField>(this, "DateTimePicker1");
    // The algorithm button shows the algorithm's name and glyph; a click opens the editor.
    const TValueControls value =
        NewValueControls(*this, "EditConstValue", TValueKinds::ConstantOrAlgorithm);
    LabelChoiceType = value.LabelChoiceType;
    RadioButtonTypeConst = value.TypeConst;
    RadioButtonTypeAlg = value.TypeAlg;
    EditConstValue = value.Field;
    BitBtnCalc = value.Calc;
    BitBtnAlg = value.Alg;
    LabelValue = Named<QLabel>(this, "LabelValue");
    SetTextKey(*LabelValue, "");
    LabelDescript = Named<QLabel>(this, "LabelDescript");
    EditDescript = Named<QLineEdit>(this, "EditDescript");
    EditDescript->setMaxLength(kConstLength);
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setReadOnly(true);
    MemoDescript->setStyleSheet(QStringLiteral("background: palette(button); color: #505050"));
    NewHelpButton(kHelpTopic);

    auto* inputs = new QVBoxLayout;
    inputs->addWidget(LabelDateBegin);
    inputs->addWidget(DateTimePicker1);
    inputs->addSpacing(6);
    inputs->addWidget(LabelChoiceType);
    inputs->addWidget(RadioButtonTypeConst);
    inputs->addWidget(RadioButtonTypeAlg);
    inputs->addSpacing(6);
    inputs->addWidget(LabelValue);
    inputs->addLayout(value.Row);
    inputs->addSpacing(6);
    inputs->addWidget(LabelDescript);
    inputs->addWidget(EditDescript);
    inputs->addStretch();

    // The inputs take two thirds of the width, so that a description of a few words fits
    // its field and the column keeps its width when the algorithm button replaces the value.
    LayOutBesideMemo(*header, inputs, 2, *MemoDescript, [this] { BitBtnOKClick(); });

    connect(RadioButtonTypeConst, &QRadioButton::clicked, this, [this] {
        RadioButtonTypeConstClick();
        Changed();
    });
    connect(RadioButtonTypeAlg, &QRadioButton::clicked, this, [this] {
        RadioButtonTypeAlgClick();
        Changed();
    });
    connect(DateTimePicker1, &TDateField::dateChanged, this, &TfNumberChange::Changed);
    connect(DateTimePicker1->calendarWidget(), &QCalendarWidget::clicked, this,
            &TfNumberChange::DateTimePicker1CloseUp);
    connect(EditConstValue, &QLineEdit::textChanged, this, [this] {
        EditConstValueChange();
        Changed();
    });
    connect(EditDescript, &QLineEdit::textChanged, this, &TfNumberChange::Changed);
    connect(BitBtnCalc, &QPushButton::clicked, this, &TfNumberChange::BitBtnCalcClick);
    connect(BitBtnAlg, &QPushButton::clicked, this, &TfNumberChange::BitBtnAlgClick);
}

void TfNumberChange::Changed() {
    if (!filling_) BitBtnOK->setEnabled(true);
}

void TfNumberChange::FormShow() {
    filling_ = true;
    const std::string section = Mode == 'A' ? "NumberChoiceAppend" : "NumberChoiceEdit";
    const TLangFile texts = ReadTexts(kFile, section);
    StrValueConst = texts.Read(section, "StrValueConst", "");
    StrValueAlg = texts.Read(section, "StrValueAlg", "");
    StrNameAlg = texts.Read(section, "StrNameAlg", "");
    StrItemExist = texts.Read(section, "StrItemExist", "");
    StrValIncorrect = texts.Read(section, "StrValIncorrect", "");
    LoadDescription(ShellServices().LangPath() + kDescriptionFile, *MemoDescript);

    if (Mode == 'A') {
        DateTimePicker1->setDate(ToQDate(Today()));
        FirstDate = Today() + 1;
        RadioButtonTypeConst->setChecked(true);
        RadioButtonTypeConstClick();
        EditConstValue->setText(QStringLiteral("0"));
        AlgName = DefaultAlgName();
        ItemKind = 'C';
        InitAlgorithm();
        Algorithm.Name = AlgName;
        ShowAlgorithmButton();
    } else if (const int index = SelectedItem(); index >= 0) {
        const NumberItemInfo& item = frame_.Items[static_cast<size_t>(index)];
        DateTimePicker1->setDate(ToQDate(item.DateBegin));
        FirstDate = item.DateBegin;
        ItemKind = item.ItemType;
        (item.ItemType == 'C' ? RadioButtonTypeConst : RadioButtonTypeAlg)->setChecked(true);
        if (item.ItemType == 'C')
            RadioButtonTypeConstClick();
        else
            RadioButtonTypeAlgClick();
        EditConstValue->setText(ToQString(item.ConstValue));
        EditDescript->setText(ToQString(item.Descript));
        if (item.ItemType == 'A') SetAlgorithm(item.Algorithm01);
        AlgName = Algorithm.Name;
        ShowAlgorithmButton();
    }
    filling_ = false;
    BitBtnOK->setEnabled(false);
}

void TfNumberChange::InitAlgorithm() {
    Algorithm = Algorithm01{};
    Algorithm.ID = 0;
    Algorithm.Valid = true;
    Algorithm.IDParent = IDObject;
    Algorithm.VarOfResult = 1;
}

void TfNumberChange::SetAlgorithm(const Algorithm01& algorithm) {
    Algorithm = algorithm;
}

void TfNumberChange::ShowAlgorithmButton() {
    ::ShowAlgorithmButton(*BitBtnAlg, AlgName, Algorithm.Valid);
}

std::string TfNumberChange::DefaultAlgName() const {
    const std::string date = DateToStr(FromQDate(DateTimePicker1->date()));
    std::string name;
    for (size_t at = 0; at < StrNameAlg.size();) {
        if (StrNameAlg.compare(at, 6, "[name]") == 0) {
            name += NameObject;
            at += 6;
        } else if (StrNameAlg.compare(at, 6, "[date]") == 0) {
            name += date;
            at += 6;
        } else {
            name += StrNameAlg[at++];
        }
    }
    return name;
}

bool TfNumberChange::HasItemOnDay(TDateTime date) const {
    return ItemOnDay(date) >= 0;
}

int TfNumberChange::ItemOnDay(TDateTime date) const {
    const long day = DayNumber(date);
    for (size_t i = 0; i < frame_.Items.size(); ++i)
        if (frame_.Items[i].IsLive() && DayNumber(frame_.Items[i].DateBegin) == day)
            return static_cast<int>(i);
    return -1;
}

int TfNumberChange::SelectedItem() const {
    int live = -1;
    const int wanted = frame_.Row() - 1;
    if (wanted < 0) return -1;
    for (size_t i = 0; i < frame_.Items.size(); ++i)
        if (frame_.Items[i].IsLive() && ++live == wanted) return static_cast<int>(i);
    return -1;
}

void TfNumberChange::RadioButtonTypeConstClick() {
    LabelValue->setText(ToQString(StrValueConst));
    BitBtnAlg->hide();
    EditConstValue->show();
    BitBtnCalc->show();
}

void TfNumberChange::RadioButtonTypeAlgClick() {
    LabelValue->setText(ToQString(StrValueAlg));
    BitBtnAlg->show();
    EditConstValue->hide();
    BitBtnCalc->hide();
    if (ItemKind != 'A' && !NameChanged) {
        InitAlgorithm();
        AlgName = DefaultAlgName();
        Algorithm.Name = AlgName;
        ShowAlgorithmButton();
    }
}

void TfNumberChange::DateTimePicker1CloseUp() {
    if (!NameChanged) {
        AlgName = DefaultAlgName();
        ShowAlgorithmButton();
    }
    if (Mode == 'A' && HasItemOnDay(PickedDay()))
        MessageDlg(StrItemExist, TMsgDlgType::mtWarning, mbOK, this);
}

void TfNumberChange::EditConstValueChange() {
    CheckNumberField(*EditConstValue, StrValIncorrect, this);
}

void TfNumberChange::BitBtnCalcClick() {
    CalculateIntoField(*EditConstValue, StrValIncorrect, this);
}

void TfNumberChange::BitBtnAlgClick() {
    // The editor changes the dialog's algorithm in place, and only on its OK.
    if (EditAlgorithm(this, Algorithm, PickedDay())) Changed();
    NameChanged = AlgName != Algorithm.Name;
    AlgName = Algorithm.Name;
    ShowAlgorithmButton();
}

void TfNumberChange::SetInputsEnabled(bool enabled) {
    for (QWidget* input :
         {static_cast<QWidget*>(DateTimePicker1), static_cast<QWidget*>(RadioButtonTypeConst),
          static_cast<QWidget*>(RadioButtonTypeAlg), static_cast<QWidget*>(BitBtnAlg),
          static_cast<QWidget*>(EditConstValue), static_cast<QWidget*>(BitBtnCalc),
          static_cast<QWidget*>(EditDescript)})
        input->setEnabled(enabled);
}

TDateTime TfNumberChange::PickedDay() const {
    return FromQDate(DateTimePicker1->date());
}

void TfNumberChange::FillItem(NumberItemInfo& item, char state) {
    item.DateBegin = PickedDay();
    FirstDate = std::min(FirstDate, item.DateBegin);
    item.ItemType = RadioButtonTypeConst->isChecked() ? 'C' : 'A';
    if (item.ItemType == 'A') {
        item.Algorithm01 = Algorithm;
        EvaluateAlgorithmItem(item, NameObject);
    } else {
        item.ConstValue = NormalizeNumberText(ToStdString(EditConstValue->text()));
    }
    item.Descript = ToStdString(EditDescript->text());
    item.State = state;
}

void TfNumberChange::AddItem() {
    NumberItemInfo item;
    FillItem(item, 'a');
    frame_.Items.push_back(std::move(item));
    frame_.ShowChronology();
    frame_.SelectDateRow(PickedDay());
}

void TfNumberChange::EditItem(int index) {
    if (index < 0) {
        AddItem();
        return;
    }
    // A constant keeps the algorithm the item had; FillItem replaces it for an algorithm.
    FillItem(frame_.Items[static_cast<size_t>(index)], 'e');
    frame_.ShowChronology();
    frame_.SelectDateRow(PickedDay());
}

void TfNumberChange::BitBtnOKClick() {
    SetInputsEnabled(false);
    LetMessagesRun();
    if (EditConstValue->text().isEmpty()) EditConstValue->setText(QStringLiteral("0"));
    if (RadioButtonTypeConst->isChecked() &&
        CharCount(NormalizeNumberText(ToStdString(EditConstValue->text()))) >
            static_cast<size_t>(kConstLength)) {
        MessageDlg(StrValIncorrect, TMsgDlgType::mtError, mbOK, this);
        SetInputsEnabled(true);
        return;
    }
    if (Mode == 'A') {
        const int sameDay = ItemOnDay(PickedDay());
        if (sameDay >= 0) {
            // Yes replaces the live item of that day; any other answer keeps the dialog open.
            if (MessageDlg(StrItemExist, TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel,
                           this) != mrYes) {
                SetInputsEnabled(true);
                return;
            }
            EditItem(sameDay);
        } else {
            AddItem();
        }
    } else {
        EditItem(SelectedItem());
    }
    frame_.EarliestChange = std::min(frame_.EarliestChange, FirstDate);
    frame_.BitBtnApply->setEnabled(true);
    accept();
}
