// The window of the errors that the algorithms calculated in one user action gathered, and
// ShowGlobalErrors, which shows it and stops the open budget.
#include "algorithms/U_fglobalerror.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "algorithms/Uq519algorithm01.h"
#include "algorithms/Uq519algtextformat.h"
#include "platform/Text.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"

namespace {

QTextEdit* ReadOnlyEdit(QWidget* parent, const char* name) {
    auto* edit = new QTextEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

}  // namespace

TfGlobalError::TfGlobalError(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfGlobalError"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral(" error"));
    setFixedSize(449, 356);

    RichEditTitle = ReadOnlyEdit(this, "RichEditTitle");
    RichEditTitle->setFixedHeight(49);
    RichEditTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette title = RichEditTitle->palette();
    title.setColor(QPalette::Base, Qt::black);
    title.setColor(QPalette::Text, Qt::red);
    RichEditTitle->setPalette(title);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(15);
    titleFont.setBold(true);
    RichEditTitle->setFont(titleFont);
    LabelTitle = new QLabel(this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    LabelTitle->setWordWrap(true);
    ButtonHelp = new QPushButton(QStringLiteral("?"), this);
    ButtonHelp->setObjectName(QStringLiteral("ButtonHelp"));
    ButtonHelp->setFixedWidth(25);
    RichEditDescript = ReadOnlyEdit(this, "RichEditDescript");
    RichEditDescript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette descript = RichEditDescript->palette();
    descript.setColor(QPalette::Base, descript.color(QPalette::Button));
    RichEditDescript->setPalette(descript);
    BitBtnOK = new QPushButton(this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    ImageLogo = new QLabel(this);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(LabelTitle, 1);
    titleRow->addWidget(ButtonHelp);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ImageLogo);
    bottom->addStretch(1);
    bottom->addWidget(BitBtnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichEditTitle);
    layout->addLayout(titleRow);
    layout->addWidget(RichEditDescript, 1);
    layout->addLayout(bottom);

    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::close);
}

void TfGlobalError::showEvent(QShowEvent* event) {
    if (!shown_) FormShow();
    shown_ = true;
    QDialog::showEvent(event);
}

void TfGlobalError::FormShow() {
    BitBtnOK->setDefault(true);
    const std::string lang = ShellServices().LangPath();
    {
        const TLangFile texts(lang + "GlobalError.lng");
        const auto read = [&texts](const char* key) { return texts.Read("GlobalError", key, ""); };
        StrObjName = read("StrObjName");
        StrAlgName = read("StrAlgName");
        StrErrList = read("StrErrList");
        StrInAlg = read("StrInAlg");
        StrInStr = read("StrInStr");
        LabelTitle->setText(ToQString(read("LabelTitle")));
        BitBtnOK->setText(ToQString(read("BtnOK")));
        TitleStr1 = read("TitleStr1");
        TitleStr2 =
            ReplaceAllText(read("TitleStr2"), "[budget_name]", ShellServices().BudgetName());
    }

    RichEditTitle->setPlainText(ToQString(TitleStr1 + "\n" + TitleStr2));
    QTextCursor title(RichEditTitle->document());
    title.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    title.mergeBlockFormat(centred);

    const GlobatErrWatch& watch = ErrWatch();
    std::string text = StrObjName + " " + watch.NameObject + "\n" + StrAlgName + " " +
                       watch.NameAlg + "\n\n\n" + StrErrList;
    // The language's texts get their line breaks before the names and texts of algorithms go
    // in, so that these stand as they are.
    const TLangFile errors(lang + "Errors.lng");
    const std::string heading = ExpandLineBreaks(StrInAlg);
    int n = 0;
    for (const Error01& error : watch.Errors) {
        const std::string code = std::to_string(error.ErrCode);
        const std::string place =
            error.NLine > 0 ? "(" + StrInStr + " №" + std::to_string(error.NLine) + ")" : "";
        text += "\n\n" + std::to_string(++n) + "). " +
                ReplaceAllText(ReplaceAllText(heading, "[in_string]", place), "[alg_name]",
                               error.NameAlg);
        text += "\n     " + ExpandLineBreaks(errors.Read("ErrCode", "err" + code, "")) +
                (error.Text.empty() ? "" : " '" + error.Text + "'") + ".";
        for (const char* key : {"descr", "example"}) {
            const std::string more = errors.Read("ErrCode", key + code, "");
            if (!more.empty()) text += "\n     " + ExpandLineBreaks(more);
        }
    }
    RichEditDescript->setPlainText(ToQString(text));

    QTextCursor names(RichEditDescript->document());
    names.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 5);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    names.mergeCharFormat(bold);
}

void ShowGlobalErrors() {
    if (!ErrWatch().HasErrors) return;
    auto* window = new TfGlobalError;
    window->exec();
    ShellServices().StopBudget();
}
