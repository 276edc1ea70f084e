// Message boxes of the program: one function shows them all, and tests can answer it.
#include "shell/MessageDlg.h"

#include <QMessageBox>

#include "platform/Text.h"

namespace {

TMessageDlgAnswerer& Answerer() {
    static TMessageDlgAnswerer answerer;
    return answerer;
}

struct TButtonInfo {
    TMsgDlgBtn Button;
    QMessageBox::StandardButton Standard;
    TModalResult Result;
};

constexpr TButtonInfo kButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel},
};

}  // namespace

void SetMessageDlgAnswerer(TMessageDlgAnswerer answerer) {
    Answerer() = std::move(answerer);
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, QWidget* parent) {
    if (Answerer()) return Answerer()(TMessageDlgCall{text, type, buttons});

    QMessageBox box(parent);
    switch (type) {
        case TMsgDlgType::mtWarning:
            box.setIcon(QMessageBox::Warning);
            box.setWindowTitle(QStringLiteral("Warning"));
            break;
        case TMsgDlgType::mtError:
            box.setIcon(QMessageBox::Critical);
            box.setWindowTitle(QStringLiteral("Error"));
            break;
        case TMsgDlgType::mtInformation:
            box.setIcon(QMessageBox::Information);
            box.setWindowTitle(QStringLiteral("Information"));
            break;
        case TMsgDlgType::mtConfirmation:
            box.setIcon(QMessageBox::Question);
            box.setWindowTitle(QStringLiteral("Confirm"));
            break;
    }
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(text));
    QMessageBox::StandardButtons standard;
    for (const TButtonInfo& info : kButtons)
        if (buttons & info.Button) standard |= info.Standard;
    if (standard == QMessageBox::NoButton) standard = QMessageBox::Ok;
    box.setStandardButtons(standard);
    for (const TButtonInfo& info : kButtons) {
        if (standard & info.Standard) {
            box.setDefaultButton(info.Standard);
            break;
        }
    }
    box.exec();
    QAbstractButton* pressed = box.clickedButton();
    const QMessageBox::StandardButton answer =
        pressed != nullptr ? box.standardButton(pressed) : QMessageBox::NoButton;
    for (const TButtonInfo& info : kButtons)
        if (answer == info.Standard) return info.Result;
    if (standard & QMessageBox::Cancel) return mrCancel;
    if (standard & QMessageBox::No) return mrNo;
    return mrOk;
}
