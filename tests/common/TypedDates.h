// Dates typed into a date field key by key, in the user's own form of a date, for the tests of
// the field and of every dialog that has one.
#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QTest>
#include <string>
#include <vector>

#include "common/ScopedMessageDlg.h"
#include "platform/Dates.h"
#include "platform/Text.h"
#include "shell/DateField.h"

// The date in the user's short date format; with `oneDigit` the day and the month without
// their leading zero ("1.2.2026").
inline QString TypedDate(const QDate& date, bool oneDigit = false) {
    const QString format = ToQString(ShortDateFormat());
    QString shown;
    for (qsizetype i = 0; i < format.size();) {
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == format[i]) ++run;
        const bool twoDigits = run == 2 && (format[i] == u'd' || format[i] == u'M');
        shown += format.mid(i, oneDigit && twoDigits ? 1 : run);
        i += run;
    }
    return QLocale::system().toString(date, shown);
}

// Selects the field's text and types the text over it, key by key.
inline void TypeOver(TDateField& field, const QString& text) {
    field.selectAll();
    QTest::keyClicks(&field, text);
}

// A date held by the field and a date typed over it.
struct TTypedDate {
    QDate held, typed;
    bool oneDigit = false;
};

// The dates that went wrong when the field was read part by part: the day's two digits moved
// on to the month and the separator typed next skipped it; a day beyond the month of the year
// held was cut before the year was typed; the far ends of the years in use.
inline std::vector<TTypedDate> TypedDateCases() {
    return {{QDate(2025, 1, 31), QDate(2026, 12, 31)}, {QDate(2099, 12, 31), QDate(2026, 6, 15)},
            {QDate(2025, 1, 11), QDate(2025, 1, 1)},   {QDate(2027, 3, 1), QDate(2028, 2, 29)},
            {QDate(2026, 5, 5), QDate(1900, 1, 1)},    {QDate(1900, 1, 1), QDate(2099, 12, 31)},
            {QDate(2026, 5, 5), QDate(2026, 2, 1), true},
            {QDate(2026, 5, 5), QDate(2024, 10, 9), true}};
}

// Each case typed into the field: the field's date is the date typed as soon as its text names
// it, no message comes up, and the field shows the date in the short date format.
inline void ExpectTypedDatesTaken(TDateField& field) {
    ScopedMessageDlg boxes;
    for (const TTypedDate& c : TypedDateCases()) {
        const QString typed = TypedDate(c.typed, c.oneDigit);
        SCOPED_TRACE(ToStdString(typed) + " over " + ToStdString(c.held.toString(Qt::ISODate)));
        field.setDate(c.held);
        EXPECT_EQ(field.text(), ToQString(DateToStr(FromQDate(c.held))));
        TypeOver(field, typed);
        EXPECT_EQ(field.date(), c.typed);
    }
    EXPECT_TRUE(boxes.Calls().empty());
}
