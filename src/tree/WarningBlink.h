// The warning label of the tree dialogs and its blink: a warning that appears on an empty label
// blinks between the button face colour and red, then stays red.
#pragma once

#include <QString>

class QLabel;
class QTimer;

class TWarningBlink {
public:
    // What blinks: a warning label, red from the start (it is empty until a warning shows), or
    // a header, which keeps its colour until its first blink.
    enum class TKind { Warning, Header };

    // `Timer1`, a child of the label's window, drives the blink.
    explicit TWarningBlink(QLabel& label, TKind kind = TKind::Warning);

    // Shows the warning (an empty text clears the label). A warning shown while the label was
    // empty starts the blink; one shown on a label that already held a text neither restarts
    // nor prolongs it.
    void Show(const QString& text);
    // Makes the label red and blinks it for 7 ticks of 100 ms, whatever it holds.
    void Start();
    // One tick: red becomes the button face colour and any other colour red; after the last
    // the label is red and the timer stops.
    void Timer1Timer();

    QTimer* Timer1;

private:
    QLabel& label_;
    int countdown_ = 0;
};
