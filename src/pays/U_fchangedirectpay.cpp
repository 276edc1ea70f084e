// The direction dialog of the pay frame: whether the selected pay's balance counts as money
// going out, coming in or neither.
#include "pays/U_fchangedirectpay.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pays/U_frpay_view.h"
#include "pays/Upaytables.h"
#include "platform/Text.h"
#include "shell/ImageListTree.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"
#include "store/U_dm.h"

namespace {

constexpr int kHelpTopic = 2550;
constexpr const char* kFile = "ChangeDirectPay.lng";
constexpr const char* kSection = "ChangeDirectPay";

}  // namespace

TfChangeDirectPay::TfChangeDirectPay(QWidget* parent, const TImageListTree& icons,
                                     const QColor& memoColor, const QImage& logo)
    : TDialogBase("TfChangeDirectPay", parent, Qt::Tool),
      icons_(icons),
      logo_(logo) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(kHelpTopic);
    LabelFor = Named<QLabel>(this, "LabelFor");
    SetTextKey(*LabelFor, "");
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    StyleDescriptionMemo(*MemoDescript, memoColor);

    auto* choices = new QGridLayout;
    const auto row = [&](int at, const char* radio, const char* image, const char* label,
                         char letter, QRadioButton*& button, QLabel*& picture, QLabel*& caption) {
        button = Named<QRadioButton>(this, radio);
        SetTextKey(*button, "");
        picture = Named<QLabel>(this, image);
        SetTextKey(*picture, "");
        picture->setPixmap(icons_.Pixmap(PayIcon(letter)));
        caption = Named<QLabel>(this, label);
        choices->addWidget(button, at, 0);
        choices->addWidget(picture, at, 1);
        choices->addWidget(caption, at, 2);
        connect(button, &QRadioButton::clicked, this, [this, letter] { Choose(letter); });
    };
    row(0, "RadioButtonPayOut", "ImagePayOut", "LabelTypePayOut", 'O', RadioButtonPayOut,
        ImagePayOut, LabelTypePayOut);
    row(1, "RadioButtonPayIn", "ImagePayIn", "LabeTypePayIn", 'I', RadioButtonPayIn, ImagePayIn,
        LabeTypePayIn);
    row(2, "RadioButtonPayNeutral", "ImagePayNeutral", "LabeTypePayNeutral", 'N',
        RadioButtonPayNeutral, ImagePayNeutral, LabeTypePayNeutral);
    choices->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *ButtonHelp));
    layout->addWidget(LabelFor);
    layout->addWidget(MemoDescript);
    layout->addLayout(choices);
    layout->addLayout(NewFooter(TFooter::OKExit, TFooterDefaults::Empty));
    BitBtnOK->setEnabled(false);
}

void TfChangeDirectPay::FormShow() {
    ImageLogo->setPixmap(QPixmap::fromImage(logo_));
    const TLangFile texts = ReadTexts(kFile, kSection);
    setWindowTitle(LabelHeader->text());
    const TShellServices& services = ShellServices();
    const TMainState& state = services.State();
    const std::string name = services.Index().GetObjectName(state.IDObject, state.BudgetPath);
    LabelFor->setText(ToQString(texts.Read(kSection, "LabelFor", ""))
                          .replace(QStringLiteral("[PayName]"), ToQString(name)));
    LoadDescription(services.LangPath() + "ChangeDirectPayTxt01.lng", *MemoDescript);
    OldDirection = NewDirection = DM->GetPayDirection(state.IDObject);
    QRadioButton* checked = OldDirection == 'O'   ? RadioButtonPayOut
                            : OldDirection == 'I' ? RadioButtonPayIn
                            : OldDirection == 'N' ? RadioButtonPayNeutral
                                                  : nullptr;
    if (checked != nullptr) {
        checked->setChecked(true);
        Choose(OldDirection);
    }
    BitBtnOK->setDefault(true);
}

void TfChangeDirectPay::Choose(char direction) {
    NewDirection = direction;
    BitBtnOK->setEnabled(NewDirection != OldDirection);
}

int TfChangeDirectPay::WriteDirectionTransaction() {
    const TShellServices& services = ShellServices();
    const TMainState& state = services.State();
    return ::WriteDirectionTransaction(
        state.IDObject, services.Index().GetObjectName(state.IDObject, state.BudgetPath),
        NewDirection, OldDirection);
}

void TfChangeDirectPay::accept() {
    int result = 0;
    // A direction that could not be written (the failure was shown) stays chosen in the open
    // dialog, for OK again once the cause is gone.
    if (!RunShowingError([&] { result = WriteDirectionTransaction(); }, this)) return;
    if (result > 0 && Applied) Applied(PayIcon(NewDirection));
    TDialogBase::accept();
}
