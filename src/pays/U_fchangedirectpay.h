// The direction dialog of the pay frame: whether the selected pay's balance counts as money
// going out, coming in or neither.
#pragma once

#include <QColor>
#include <functional>

#include "shell/DialogBase.h"

class QLabel;
class QPlainTextEdit;
class QRadioButton;
class TImageListTree;

// Made by the pay frame for one show; it frees itself when it closes. It changes the direction
// of the main window's selected pay through one journal transaction, which the journal view can
// undo; the pay's history and balances stay as they are.
class TfChangeDirectPay : public TDialogBase {
    Q_OBJECT

public:
    TfChangeDirectPay(QWidget* parent, const TImageListTree& icons, const QColor& memoColor,
                      const QImage& logo);

    // The letter of a choice; OK enabled exactly when it differs from the old one.
    void Choose(char direction);
    // Writes and applies the direction transaction of the selected pay; the applier's result
    // (0: nothing applied).
    int WriteDirectionTransaction();

    char OldDirection = 'N';
    char NewDirection = 'N';
    // After the change was applied: the pay's new tree icon.
    std::function<void(int icon)> Applied;

    QLabel* LabelHeader;
    QLabel* LabelFor;
    QPlainTextEdit* MemoDescript;
    QRadioButton* RadioButtonPayOut;
    QLabel* ImagePayOut;
    QLabel* LabelTypePayOut;
    QRadioButton* RadioButtonPayIn;
    QLabel* ImagePayIn;
    QLabel* LabeTypePayIn;
    QRadioButton* RadioButtonPayNeutral;
    QLabel* ImagePayNeutral;
    QLabel* LabeTypePayNeutral;

protected:
    void FormShow() override;
    void accept() override;

private:
    const TImageListTree& icons_;
    const QImage& logo_;
};
