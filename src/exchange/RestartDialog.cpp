// What the backup, recovery and delete-budget dialogs share.
#include "exchange/RestartDialog.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "exchange/RestartRequests.h"
#include "platform/EventLoop.h"
#include "platform/Text.h"
#include "shell/FrameWidgets.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"

TRestartDialog::TRestartDialog(TfMain& main, const char* name, const char* texts, int helpTopic)
    : TDialogBase(name, &main, Qt::Tool), main_(main), texts_(texts) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    LabelHeader = NewHeaderLabel(this);
    NewHelpButton(helpTopic);
    LabelBudgetName = Named<QLabel>(this, "LabelBudgetName");
    SetTextKey(*LabelBudgetName, "");
    MemoDescript = Named<QPlainTextEdit>(this, "MemoDescript");
    MemoDescript->setFocusPolicy(Qt::NoFocus);
    body_ = new QVBoxLayout;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(NewHeaderRow(*LabelHeader, *ButtonHelp));
    layout->addWidget(LabelBudgetName);
    layout->addWidget(MemoDescript);
    layout->addLayout(body_);
    layout->addStretch(1);
    layout->addLayout(NewFooter(TFooter::OKExit, TFooterDefaults::Empty));
}

QLineEdit* TRestartDialog::NewEditYES() {
    EditYES = Named<QLineEdit>(this, "EditYES");
    connect(EditYES, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const QSignalBlocker quiet(EditYES);
            EditYES->setText(upper);
        }
        EditYES->setCursorPosition(upper.size());
        UpdateOK();
    });
    return EditYES;
}

bool TRestartDialog::YesTyped() const { return EditYES && EditYES->text() == QStringLiteral("YES"); }

void TRestartDialog::UpdateOK() { BitBtnOK->setEnabled(OKAllowed()); }

void TRestartDialog::FormShow() {
    const TMainState& state = ShellServices().State();
    ImageLogo->setPixmap(QPixmap::fromImage(main_.LogoBitmap));
    StyleDescriptionMemo(*MemoDescript, main_.MemoColor);
    const TLangFile texts = ReadTexts(std::string(texts_) + ".lng", texts_);
    setWindowTitle(LabelHeader->text());
    RestartStr = texts.Read(texts_, "RestartStr", "");
    LoadDescription(state.LangPath + texts_ + "Txt01.lng", *MemoDescript);
    LabelBudgetName->setText(ToQString("'" + state.BudgetName + "'"));
    ShowInputs();
    UpdateOK();
    // The texts read may need more room than the dialog's size gives (wrapped steps).
    FitHeightToTexts();
}

void TRestartDialog::accept() {
    for (QWidget* control : Inputs()) control->setEnabled(false);
    BitBtnOK->setEnabled(false);
    BtnExit->setEnabled(false);
    LetMessagesRun();
    BeforeRequest();
    WriteRestartRequest(RequestCode(), ShellServices().BudgetPath(), RequestArchive());
    MessageDlg(RestartStr, TMsgDlgType::mtWarning, mbOK, this);
    main_.State().RestartRequested = true;
    TDialogBase::accept();
    main_.close();
}
