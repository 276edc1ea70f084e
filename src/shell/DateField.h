// The date field of every dialog: a date typed whole in the user's short date format, or picked
// from its drop-down calendar.
#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;
class QFrame;

// The field shows its date in the short date format (four-digit years) and reads what the user
// types as one text, never part by part: the day and the month with one or two digits, the
// separators of the format, the year with four digits ("1.2.2026" and "01.02.2026" are the
// same day). While the text names a date, that date is the field's date; while it names none,
// the field shows it red and its date is the one it held when the typing began. Enter, or
// leaving the field, finishes the typing: a text that names a date is shown in the format; a
// text that names none is refused with a message ("StrDateIncorrect" of Main.lng [Main]), and
// the field shows its earlier date again. The button at its right end, F4 and Alt+Down open
// the calendar, where a click or Enter takes a day; Up and Down move the date by one day.
class TDateField : public QLineEdit {
    Q_OBJECT

public:
    explicit TDateField(QWidget* parent = nullptr);

    QDate date() const { return date_; }
    // Shows the date (an invalid one is ignored); dateChanged when it differs.
    void setDate(const QDate& date);
    // The drop-down calendar; a day clicked there becomes the field's date.
    QCalendarWidget* calendarWidget() const { return calendar_; }
    // Opens the calendar under the field at the field's date.
    void ShowCalendar();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void dateChanged(const QDate& date);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Takes the date the text names, or, when it names none, the date of the typing's start.
    void ReadTyped(const QString& text);
    // Ends the typing: true when the text names a date; else refuses it and shows the earlier
    // date again (false).
    bool FinishTyping();
    void Take(const QDate& date);
    void ShowText();
    void MarkNoDate(bool noDate);

    QDate date_;
    QDate startDate_;  // the date when the typing began
    bool finishing_ = false;
    QFrame* popup_;
    QCalendarWidget* calendar_;
};
