// The warning label of the tree dialogs and its blink: a warning that appears on an empty label
// blinks between the button face colour and red, then stays red.
#pragma once

#include <QString>

class QLabel;
class QTimer;

class TWarningBlink {
public:
    // The label is made red; `Timer1`, a child of the label's window, drives the blink.
    explicit TWarningBlink(QLabel& label);

    // Shows the warning (an empty text clears the label). A warning shown while the label was
    // empty starts the blink: 7 ticks of 100 ms; one shown on a label that already held a text
    // neither restarts nor prolongs it.
    void Show(const QString& text);
    // One tick: red becomes the button face colour and any other colour red; after the last
    // the label is red and the timer stops.
    void Timer1Timer();

    QTimer* Timer1;

private:
    QLabel& label_;
    int countdown_ = 0;
};
