// The close dialog: closing the program asks first; its OK saves the tree and lets go of what
// the start made for the whole run.
#include "shell/U_fclose.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/Hookmousewheel.h"
#include "shell/MessageDlg.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

TfClose::TfClose(TfMain& main)
    : TDialogBase("TfClose", &main, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      LabelHeader(NewHeaderLabel(this, QStringLiteral("The application is closed ..."))),
      main_(main) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vemly"));
    SetTextKey(*LabelHeader, "LabelHeaderQ");
    LabelHeader->setMinimumWidth(300);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelHeader);
    layout->addSpacing(12);
    layout->addLayout(NewFooter(TFooter::OKExit));
}

void TfClose::FormShow() {
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    LabelHeader->setText(QString());
    const TLangFile texts = ReadTexts("Close.lng", "Close");
    closingText_ = texts.Read("Close", "LabelHeader", "");
    BitBtnOK->setFocus();
    adjustSize();
}

void TfClose::accept() {
    LabelHeader->setText(ToQString(closingText_));
    BitBtnOK->setEnabled(false);
    BtnExit->setEnabled(false);
    LetMessagesRun();
    // A tree state that cannot be saved is reported; the program ends all the same.
    try {
        if (!main_.Nodes().empty()) main_.SaveTreeState();
    } catch (const std::exception& error) {
        MessageDlg(error.what(), TMsgDlgType::mtError, mbOK, this);
    }
    main_.MainLogoBitmap = QImage();
    main_.LogoBitmap = QImage();
    RemoveMouseWheelHook();
    TDialogBase::accept();
}
