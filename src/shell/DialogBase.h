// The base of the program's dialogs: the show and close hooks, texts by control name, the help
// button with F1, and the OK/Exit footer.
#pragma once

#include <QDialog>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shell/Ulanguage.h"

class QHBoxLayout;
class QLabel;
class QLayout;
class QPushButton;

// The buttons of a dialog's footer: `BitBtnOK` alone, or `BitBtnOK` and `BtnExit`.
enum class TFooter { OK, OKExit };
// The captions of the footer's buttons before the language file is read: "OK" and "Exit", or
// empty for the dialogs whose every text defaults to empty.
enum class TFooterDefaults { OKExit, Empty };

// A dialog of the program. The dialog builds its controls in its constructor, named with
// Named() after their language keys, adds the help button and the footer it has, and reads its
// texts in FormShow, which runs at every show.
class TDialogBase : public QDialog {
    Q_OBJECT

public:
    // Made by NewHelpButton and NewFooter; null in a dialog that has none.
    QPushButton* ButtonHelp = nullptr;
    QLabel* ImageLogo = nullptr;
    QPushButton* BitBtnOK = nullptr;  // the default button (Enter); it accepts the dialog
    QPushButton* BtnExit = nullptr;   // the cancel button (Esc clicks it); it rejects the dialog

    // Closes the dialog with the result: runs FormClose first when the dialog is open. Every
    // way of closing comes here: OK, Exit, Esc, the close box, close().
    void done(int result) override;

    // Shows the dialog modally (exec) and, once it has closed, throws what work run through
    // RunGuarded threw meanwhile; a dialog shown again reports only its new show's failure.
    // Safe for a dialog freed at its close: nothing of it is touched after exec returns.
    int ExecModal();

protected:
    // `name`: the dialog's class name (TfRename), its objectName.
    TDialogBase(const char* name, QWidget* parent, Qt::WindowFlags flags = {});

    // Runs each time the dialog is shown, before it appears (not when the desktop shows it
    // again after it was minimised): the dialog reads its texts and fills its controls here.
    virtual void FormShow() = 0;
    // Runs once each time the open dialog closes, however it is closed.
    virtual void FormClose() {}

    // Runs work that the dialog does while it is shown (from a timer or a button) so that an
    // exception it throws does not cross the event loop: the first one is kept, and ExecModal
    // throws it after the close. The caller closes the dialog as after the work.
    void RunGuarded(const std::function<void()>& work);

    // Makes `ButtonHelp` (NewHelpButton); with a topic, F1 anywhere in the dialog clicks it.
    QPushButton* NewHelpButton(std::optional<int> topic);
    // Makes the footer: `ImageLogo` (its picture is not a language text), a stretch,
    // `BitBtnOK` (caption key `BtnOK`) and with TFooter::OKExit `BtnExit` (key `BtnExit`).
    // Returns the row for the dialog's layout; a dialog inserts its further buttons into it.
    QHBoxLayout* NewFooter(TFooter buttons, TFooterDefaults defaults = TFooterDefaults::OKExit);

    // Lays the dialog out as its header row (`header` and ButtonHelp, which must exist), the
    // optional `below` under it, the inputs beside the description memo, and the OK/Exit footer
    // (NewFooter), whose OK runs `onOK` instead of accepting the dialog.
    void LayOutBesideMemo(QLabel& header, QLayout* inputs, int inputsStretch, QWidget& memo,
                          std::function<void()> onOK, QWidget* below = nullptr);

    // Makes the dialog as tall as its laid-out texts need at its present width: a wrapped label
    // (inside a group box too) may need more lines for the texts read than it had before.
    void FitHeightToTexts();

    // Opens the language folder's `file`, sets the captions and hints of the dialog's named
    // controls from `section` (ReadCaptions) and returns the file for the dialog's other keys.
    TLangFile ReadTexts(const std::string& file, std::string_view section);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool f1ClicksHelp_ = false;
    std::exception_ptr failure_;
};
