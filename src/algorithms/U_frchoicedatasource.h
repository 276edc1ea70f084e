// The tree chooser's frame for the source of an initial datum: the chosen object and, for a pay
// or the calendar, which of its values is meant, with the day and month decrement it needs.
#pragma once

#include <QFrame>
#include <string>

class QColor;
class QComboBox;
class QLabel;
class QPixmap;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class TLangFile;

// Made by the chooser at each show in its data-source mode and freed when the chooser closes.
// The chooser selects nodes; the frame shows what the selection means.
class TfrChoiceDataSource : public QFrame {
    Q_OBJECT

public:
    TfrChoiceDataSource(QWidget* parent, const QColor& memoColor);

    // The captions, the description line, the 26 sub-sources and 7 date functions and the help
    // hint from the section [ChoiceDataSource]; the parameter groups hidden. Returns the
    // warning text ("WarningStr").
    std::string ReadTexts(const TLangFile& texts);

    // Shows or hides the day, month decrement and variable groups.
    void ShowParamControls(bool day, bool monthDecr, bool variable);
    // Shows the node's icon, name and description with LabelObject; a null picture and empty
    // texts clear the object and hide LabelObject.
    void ShowObject(const QPixmap& image, const std::string& name, const std::string& descript);
    // Shows the sub-source panel with the pay's sub-sources or the calendar's date functions
    // (the combo's close-up runs); hides it for anything else (type 0).
    void ShowSubSource(int type);
    // Shows the warning in red and blinks it (7 ticks of 100 ms, ending red); an empty text
    // hides it.
    void ShowWarning(const std::string& text);

    void ComboBoxSubSourceCloseUp();
    void ComboBoxSubDateCloseUp();
    // The day or month decrement changed: the description of a pay's or the calendar's choice.
    void EditDayChange();
    std::string DayText() const;
    std::string MonthDecrText() const;

    // The type of the node selected in the chooser (TfChoice::ChosenType).
    int ChosenType = 0;

    QLabel* LabelHeader;
    QPushButton* ButtonHelp;
    QPlainTextEdit* MemoDescript;
    QLabel* LabelObject;
    QLabel* ImageObject;
    QLabel* LabelObjectName;
    QLabel* LabelObjectDescript;
    QPlainTextEdit* MemoWarning;
    QLabel* LabelSubSource;
    QFrame* PanelSubSource;
    QComboBox* ComboBoxSubSource;
    QComboBox* ComboBoxSubDate;
    // The day (1 to 31) and the month decrement (0 to 999): spin boxes that take no typing, so
    // they always hold whole numbers within their ranges; their texts are Param1 and Param2.
    QSpinBox* UpDownDay;
    QLabel* LabelDay;
    QSpinBox* UpDownMonthDecr;
    QLabel* LabelMonthDecr;
    QComboBox* ComboBoxVar;
    QLabel* LabelNVar;
    QLabel* LabelSubDescr;
    QTimer* Timer1;

private:
    void Timer1Timer();
    void SetWarningColor(const QColor& color);

    int blinkCount_ = 0;
};
