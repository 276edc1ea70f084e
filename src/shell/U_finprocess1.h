// The busy window: one line of text over the main window while an operation works.
#pragma once

#include <QWidget>

class QLabel;

// A small tool window without a title-bar menu that stays on top and appears at the centre of
// the window it belongs to. It never takes the focus: it is there to be read, not used. The
// busy messages set LabelMessage and show and hide it.
class TfInProcess1 : public QWidget {
    Q_OBJECT

public:
    explicit TfInProcess1(QWidget* owner);

    QLabel* LabelMessage;

protected:
    // Fits the window to its text (at least 187 x 26) and centres it on its owner.
    void showEvent(QShowEvent* event) override;
};
