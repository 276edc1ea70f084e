// The filter dialog of the pay frame: which kinds of events the filtered view shows and its
// period.
#pragma once

#include <QColor>
#include <string>

#include "shell/DialogBase.h"

class QCheckBox;
class TDateField;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QTimer;
class TfrPay;

// Made by the frame for one show; it frees itself when it closes. It works on the frame's
// Filter in memory only: OK writes the controls into it and sets the frame's FilterAccepted;
// Exit leaves it untouched. No kind chosen disables OK and blinks a red warning in the memo.
class TfFilterPay : public TDialogBase {
    Q_OBJECT

public:
    TfFilterPay(TfrPay& frame, const QColor& memoColor, const QImage& logo);

    // The controls from the frame's Filter; a check box or radio button whose state changes
    // runs its handler as a click would.
    void LoadFromFrame();
    // The controls into the frame's Filter (FilterOn as it is). "Only this day" stores the
    // first day as the last one, with the last day used.
    void SaveToFrame();
    // True when no kind is chosen: OK disabled and the warning shown; else OK enabled and the
    // description back.
    bool CheckKinds();
    void ShowWarning();
    void HideWarning();
    // The last day is moved to the first when it lies on an earlier day.
    void KeepDateOrder();
    void Timer1Timer();

    void RadioButtonFromBeginClick();
    void RadioButtonFromClick();
    void RadioButtonToEndClick();
    void RadioButtonToClick();
    void CheckBoxOnlyThisDayClick();
    void DateChanged();

    std::string PayName;
    std::string WarningText;
    std::string DescriptText;
    bool WarningShown = false;
    int BlinkCount = 0;

    QLabel* LabelHeader;
    QLabel* LabelForObject;
    QPlainTextEdit* MemoDescript;
    QGroupBox* GroupBoxStep1;
    QCheckBox* CheckBoxCounter;
    QCheckBox* CheckBoxChargeAuto;
    QCheckBox* CheckBoxChargeManual;
    QCheckBox* CheckBoxPay;
    QGroupBox* GroupBoxStep2;
    QRadioButton* RadioButtonFromBegin;
    QRadioButton* RadioButtonFrom;
    TDateField* DateTimePickerFrom;
    QCheckBox* CheckBoxOnlyThisDay;
    QGroupBox* GroupBoxStep3;
    QRadioButton* RadioButtonToEnd;
    QRadioButton* RadioButtonTo;
    TDateField* DateTimePickerTo;
    QTimer* Timer1;

protected:
    void FormShow() override;
    void accept() override;

private:
    void SetMemoColor(const QColor& color);

    TfrPay& frame_;
    QColor memoColor_;
    const QImage& logo_;
};
