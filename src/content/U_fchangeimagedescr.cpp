// The picture description dialog: a new description for the picture shown in the album frame's
// edit mode, kept in the frame's edit list until its Apply.
#include "content/U_fchangeimagedescr.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "content/U_frimages.h"
#include "platform/Text.h"
#include "shell/Ulanguage_widgets.h"

TfChangeImageDescr::TfChangeImageDescr(TfrImages& frame)
    : TDialogBase("TfChangeImageDescr", &frame), frame_(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    LabelHeader = NewHeaderLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *NewHelpButton(std::nullopt)));
    LabelChange = Named<QLabel>(this, "LabelChange");
    layout->addWidget(LabelChange);
    EditNewDescr = Named<QLineEdit>(this, "EditNewDescr");
    EditNewDescr->setMaxLength(99);
    EditNewDescr->setMinimumWidth(360);
    layout->addWidget(EditNewDescr);
    layout->addLayout(NewFooter(TFooter::OKExit));
    connect(EditNewDescr, &QLineEdit::textChanged, this, &TfChangeImageDescr::EditNewDescrChange);
}

void TfChangeImageDescr::FormShow() {
    Changed = false;
    ReadTexts("ChangeImageDescr.lng", "ChangeImageDescr");
    number_ = frame_.ShownNumber;
    DescrLabel = frame_.BoxPart("LDscr", number_);
    Box = frame_.Box(number_);
    if (DescrLabel == nullptr || Box == nullptr) {
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    OldDescr = ToStdString(DescrLabel->text());
    EditNewDescr->setText(DescrLabel->text());
    WasNavy = Box->property("colour").value<QColor>() == kBoxNavy;
    frame_.SetBoxColour(number_, kBoxBlue);
    BitBtnOK->setEnabled(false);
}

void TfChangeImageDescr::EditNewDescrChange() {
    BitBtnOK->setEnabled(ToStdString(EditNewDescr->text()) != OldDescr);
}

void TfChangeImageDescr::accept() {
    const int index = IndexOfNumber(frame_.Pictures, number_);
    if (index >= 0) {
        ImageInform& picture = frame_.Pictures[static_cast<size_t>(index)];
        picture.Descript = ToStdString(EditNewDescr->text());
        frame_.Redescribed.insert(picture.FileName);
        DescrLabel->setText(EditNewDescr->text());
        frame_.LabelDescrMain->setText(EditNewDescr->text());
        frame_.Modified = true;
        Changed = true;
    }
    TDialogBase::accept();
}

void TfChangeImageDescr::FormClose() {
    if (Box != nullptr && frame_.Box(number_) == Box)
        frame_.SetBoxColour(number_, Changed || WasNavy ? kBoxNavy
                                                        : frame_.palette().color(QPalette::WindowText));
}
