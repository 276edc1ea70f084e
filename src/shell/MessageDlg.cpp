// Message boxes of the program: one function shows them all, and tests can answer it.
#include "shell/MessageDlg.h"

#include <QMessageBox>
#include <exception>
#include <map>
#include <utility>

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

TMessageDlgAnswerer SetMessageDlgAnswerer(TMessageDlgAnswerer answerer) {
    return std::exchange(Answerer(), std::move(answerer));
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, QWidget* parent) {
    if (Answerer()) return Answerer()(TMessageDlgCall{text, type, buttons});

    struct TTypeInfo {
        QMessageBox::Icon Icon;
        const char* Caption;
    };
    static const std::map<TMsgDlgType, TTypeInfo> kTypes = {
        {TMsgDlgType::mtWarning, {QMessageBox::Warning, "Warning"}},
        {TMsgDlgType::mtError, {QMessageBox::Critical, "Error"}},
        {TMsgDlgType::mtInformation, {QMessageBox::Information, "Information"}},
        {TMsgDlgType::mtConfirmation, {QMessageBox::Question, "Confirm"}},
    };
    QMessageBox box(parent);
    box.setIcon(kTypes.at(type).Icon);
    box.setWindowTitle(QString::fromLatin1(kTypes.at(type).Caption));
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

bool RunShowingError(const std::function<void()>& work, QWidget* parent) {
    try {
        work();
        return true;
    } catch (const std::exception& failure) {
        MessageDlg(failure.what(), TMsgDlgType::mtError, mbOK, parent);
        return false;
    }
}
