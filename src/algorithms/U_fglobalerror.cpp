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
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "algorithms/Uq519algorithm01.h"
#include "algorithms/Uq519algtextformat.h"
#include "platform/Text.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr int kTitleHeight = 49;  // the title's height for two lines

QTextEdit* ReadOnlyEdit(QWidget* parent, const char* name) {
    auto* edit = Named<QTextEdit>(parent, name);
    edit->setReadOnly(true);
    return edit;
}

}  // namespace

TfGlobalError::TfGlobalError(QWidget* parent) : TDialogBase("TfGlobalError", parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral(" error"));
    setFixedSize(449, 356);

    RichEditTitle = ReadOnlyEdit(this, "RichEditTitle");
    RichEditTitle->setFixedHeight(kTitleHeight);
    RichEditTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette title = RichEditTitle->palette();
    title.setColor(QPalette::Base, Qt::black);
    title.setColor(QPalette::Text, Qt::red);
    RichEditTitle->setPalette(title);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(15);
    titleFont.setBold(true);
    RichEditTitle->setFont(titleFont);
    LabelTitle = Named<QLabel>(this, "LabelTitle");
    LabelTitle->setWordWrap(true);
    NewHelpButton(std::nullopt);
    RichEditDescript = ReadOnlyEdit(this, "RichEditDescript");
    RichEditDescript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette descript = RichEditDescript->palette();
    descript.setColor(QPalette::Base, descript.color(QPalette::Button));
    RichEditDescript->setPalette(descript);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(LabelTitle, 1);
    titleRow->addWidget(ButtonHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichEditTitle);
    layout->addLayout(titleRow);
    layout->addWidget(RichEditDescript, 1);
    layout->addLayout(NewFooter(TFooter::OK, TFooterDefaults::Empty));
}

void TfGlobalError::FormShow() {
    {
        // LabelTitle and BitBtnOK take their captions by name; the rest are kept.
        const TLangFile texts = ReadTexts("GlobalError.lng", "GlobalError");
        const auto read = [&texts](const char* key) { return texts.Read("GlobalError", key, ""); };
        StrObjName = read("StrObjName");
        StrAlgName = read("StrAlgName");
        StrErrList = read("StrErrList");
        StrInAlg = read("StrInAlg");
        StrInStr = read("StrInStr");
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
    // A long budget name wraps the title onto more lines: the title grows to show them all
    // and the description below gives up the room.
    QTextDocument& lines = *RichEditTitle->document();
    lines.setTextWidth(RichEditTitle->viewport()->width());
    RichEditTitle->setFixedHeight(std::max(
        kTitleHeight, static_cast<int>(std::ceil(lines.size().height())) +
                          2 * RichEditTitle->frameWidth()));

    const GlobatErrWatch& watch = ErrWatch();
    std::string text = StrObjName + " " + watch.NameObject + "\n" + StrAlgName + " " +
                       watch.NameAlg + "\n\n\n" + StrErrList;
    // The language's texts get their line breaks before the names and texts of algorithms go
    // in, so that these stand as they are.
    const TLangFile errors(ShellServices().LangPath() + "Errors.lng");
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
