// The date field of the dialogs: dates typed key by key in the user's form give the date typed,
// a text that names no date is refused with a message and the earlier date comes back, Enter
// goes on to the dialog only with a date, and the calendar and the arrow keys set the date.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "common/FakeShellServices.h"
#include "common/ScopedMessageDlg.h"
#include "common/TestFolders.h"
#include "common/TypedDates.h"

namespace {

class DateField : public ::testing::Test {
protected:
    DateField() {
        shell.state.LangPath = folders.DataPath() + "LangEN/";
        auto* layout = new QVBoxLayout(&dialog);
        field = new TDateField(&dialog);
        ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        layout->addWidget(field);
        layout->addWidget(ok);
        dialog.show();
    }

    TestFolders folders;
    FakeShellServices shell{folders.UsersDataPath()};
    QDialog dialog;
    TDateField* field;
    QPushButton* ok;
};

TEST_F(DateField, ADateTypedInTheUsersFormIsTheDateTyped) {
    ExpectTypedDatesTaken(*field);
}

// Enter finishes the typing: the text is shown in the format and the dialog's OK follows.
TEST_F(DateField, EnterShowsTheDateInTheFormatAndReachesTheDialog) {
    field->setDate(QDate(2025, 1, 31));
    TypeOver(*field, TypedDate(QDate(2026, 2, 1), true));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->date(), QDate(2026, 2, 1));
    EXPECT_EQ(field->text(), TypedDate(QDate(2026, 2, 1)));
    EXPECT_EQ(accepted.count(), 1);
}

// A text that names no date: one message naming it, the date the field held before the typing
// comes back, and the Enter goes no further than the field.
TEST_F(DateField, ATextThatIsNoDateIsRefusedAndTheEarlierDateStays) {
    const QDate held(2026, 3, 15);
    const QString noLeapDay = TypedDate(QDate(2027, 2, 28)).replace(QStringLiteral("28"),
                                                                     QStringLiteral("29"));
    const QString twoDigitYear = TypedDate(QDate(2026, 7, 4)).replace(QStringLiteral("2026"),
                                                                       QStringLiteral("26"));
    for (const QString& typed : {noLeapDay, twoDigitYear, QStringLiteral("abc"), QString()}) {
        SCOPED_TRACE(ToStdString(typed));
        field->setDate(held);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        ScopedMessageDlg boxes;
        // While the text names no date the field's date stays, and its text is red.
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, typed);
        EXPECT_EQ(field->date(), held);
        EXPECT_EQ(field->palette().color(QPalette::Text), QColor(Qt::red));
        QTest::keyClick(field, Qt::Key_Return);
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].Type, TMsgDlgType::mtError);
        EXPECT_NE(boxes.Texts()[0].find("\"" + ToStdString(typed) + "\" is not a date"),
                  std::string::npos);
        EXPECT_EQ(field->date(), held);
        EXPECT_EQ(field->text(), TypedDate(held));
        EXPECT_NE(field->palette().color(QPalette::Text), QColor(Qt::red));
        EXPECT_EQ(accepted.count(), 0);
    }
}

// A date typed over part of the text, which named another date on the way, is refused whole:
// the date of the typing's start comes back, not the one passed on the way.
TEST_F(DateField, ARefusedTextBringsBackTheDateOfTheTypingsStart) {
    field->setDate(QDate(2026, 6, 15));
    field->setSelection(0, 2);  // "15" 
    QTest::keyClicks(field, QStringLiteral("3"));  // 3 June, a date
    EXPECT_EQ(field->date(), QDate(2026, 6, 3));
    QTest::keyClicks(field, QStringLiteral("1"));  // 31 June, none
    EXPECT_EQ(field->date(), QDate(2026, 6, 15));
    ScopedMessageDlg boxes;
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(field->date(), QDate(2026, 6, 15));
}

TEST_F(DateField, TheCalendarAndTheArrowKeysSetTheDate) {
    QSignalSpy changed(field, &TDateField::dateChanged);
    field->setDate(QDate(2028, 2, 28));
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(field->date(), QDate(2028, 2, 29));
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->date(), QDate(2028, 2, 27));
    QTest::keyClick(field, Qt::Key_F4);
    ASSERT_TRUE(field->calendarWidget()->isVisible());
    EXPECT_EQ(field->calendarWidget()->selectedDate(), QDate(2028, 2, 27));
    emit field->calendarWidget()->clicked(QDate(1999, 12, 31));
    EXPECT_FALSE(field->calendarWidget()->isVisible());
    EXPECT_EQ(field->date(), QDate(1999, 12, 31));
    EXPECT_EQ(field->text(), TypedDate(QDate(1999, 12, 31)));
    EXPECT_EQ(changed.count(), 5);
    // The same day again changes nothing.
    field->setDate(QDate(1999, 12, 31));
    EXPECT_EQ(changed.count(), 5);
}

}  // namespace
