// Message boxes of the program: one function shows them all, and tests can answer it.
#pragma once

#include <functional>
#include <string>

class QWidget;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// The buttons of a box, combined with "|".
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;

// The button the user pressed. Closing the box without a button (Esc, the title bar) answers
// mrCancel when the box has Cancel, else mrNo when it has No, else mrOk.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Shows the text in a modal box with the type's icon and caption ("Warning", "Error",
// "Information", "Confirm") and the buttons, in the order Yes, No, OK, Cancel; the first is the
// default button. Returns the button pressed. The text is shown as it is, line breaks included.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
               QWidget* parent = nullptr);

// Runs `work`; an exception it throws is shown in an error box over `parent` and gives false.
// The savers of frames and dialogs use it: after a failed save the frame keeps its edits and
// the dialog stays open with what the user typed, for a new try once the cause is gone.
bool RunShowingError(const std::function<void()>& work, QWidget* parent);

// What a box would have shown.
struct TMessageDlgCall {
    std::string Text;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
};

// While an answerer is set, MessageDlg shows nothing: it passes each box to the answerer and
// returns its answer. An empty function shows boxes again. Tests set one. Returns the answerer
// that was set before.
using TMessageDlgAnswerer = std::function<int(const TMessageDlgCall&)>;
TMessageDlgAnswerer SetMessageDlgAnswerer(TMessageDlgAnswerer answerer);
