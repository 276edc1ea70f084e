// The about box: the program's picture, version and legal notice, and the project's web address.
#include "shell/U_fabout.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Text.h"
#include "shell/ShellOpen.h"
#include "shell/U_finit.h"
#include "shell/U_formmain.h"
#include "shell/Ulanguage_widgets.h"

TfAbout::TfAbout(TfMain& main) : TDialogBase("TfAbout", &main, Qt::Tool) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vemly"));
    setFixedWidth(380);
    auto* panel1 = Named<QFrame>(this, "Panel1");
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setAutoFillBackground(true);
    QPalette white = panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel1->setPalette(white);
    Image1 = Named<QLabel>(panel1, "Image1");
    SetTextKey(*Image1, "");
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(QPixmap::fromImage(TfInit::LogoSource()));
    (new QVBoxLayout(panel1))->addWidget(Image1);

    Label3 = Named<QLabel>(this, "Label3", QStringLiteral("Vemly, version " VEMLY_VERSION));
    Label2 = Named<QLabel>(this, "Label2",
                           QStringLiteral("The books of a household, kept on your own computer."));
    for (QLabel* label : {Label3, Label2}) {
        SetTextKey(*label, "");
        label->setAlignment(Qt::AlignCenter);
    }
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    LabelSite = Named<QLabel>(this, "LabelSite", QString::fromLatin1(kSite));
    SetTextKey(*LabelSite, "");
    LabelSite->setAlignment(Qt::AlignRight);
    LabelSite->setCursor(Qt::PointingHandCursor);
    LabelSite->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromLatin1(kSite)));
    LabelSite->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(LabelSite, &QLabel::linkActivated, this,
            [](const QString& link) { OpenWebAddress(ToStdString(link)); });
    LabelLegalWarning = Named<QLabel>(this, "LabelLegalWarning");
    LabelLegalWarning->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel1);
    layout->addWidget(Label3);
    layout->addWidget(Label2);
    layout->addWidget(LabelSite);
    layout->addWidget(LabelLegalWarning);
    QHBoxLayout* footer = NewFooter(TFooter::OK, TFooterDefaults::Empty);
    SetTextKey(*BitBtnOK, "BitBtnOK");
    // The footer's logo is left out: the about box shows the program's picture above.
    ImageLogo->hide();
    layout->addLayout(footer);
}

void TfAbout::FormShow() {
    ReadTexts("About.lng", "About");
    adjustSize();
}
