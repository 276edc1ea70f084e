// The manual event dialog on a running budget: the value carried per mode in both decimal
// separators, the proposed dates, the number of an event kept on its day, the value field's keys
// and check, OK's enabling, one transaction per OK, and the transactions applied, undone and
// redone by the journal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "PayDialogs.h"
#include "RecordedHelp.h"
#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "common/ScopedMessageDlg.h"
#include "common/TextsFit.h"
#include "common/TypedDates.h"
#include "pays/U_changemanualevent.h"
#include "platform/Text.h"
#include "shell/DateField.h"

namespace {

class ManualEvent : public PayDialogs {
protected:
    // The dialog in the mode on the current row, shown (not modal).
    TfChangeManualEvent* Open(int mode, const TManualEvent& row = {}) {
        dialog = new TfChangeManualEvent(nullptr, mode);
        dialog->IDPay = kPay;
        dialog->PayName = "Flat";
        dialog->CurrentRow = row;
        dialog->show();
        return dialog;
    }
    void Ok() {
        dialog->BitBtnOK->click();
        FreeClosed();
    }
    // The pay's events (it has no auto charges): "type day value description number", "," for the separator.
    static std::vector<std::string> Events() {
        std::vector<std::string> rows;
        for (TBudgetTable events(tbl::PayHistory, false,
                                 Where(fld::ID) == kPay);
             !events.Eof(); events.Next()) {
            const std::string type = events.FieldByName(fld::TypeEvent).AsString();
            const char* column = type == "CN" ? fld::Counter : type == "CH" ? fld::Charge : fld::Payment;
            std::string row = type + " " +
                              std::to_string(DecodeDate(events.FieldByName(fld::DateEvent).AsDateTime()).day) +
                              " " + events.FieldByName(column).AsString() + " " +
                              events.FieldByName(fld::Descript).AsString() + " " +
                              std::to_string(events.FieldByName(fld::NManOper).AsInteger());
            for (char& c : row)
                if (c == DecimalSeparator()) c = ',';
            rows.push_back(row);
        }
        return rows;
    }

    QPointer<TfChangeManualEvent> dialog;
    const TDateTime today = Today();
};

TEST_F(ManualEvent, TheValueIsRoundedToTwoDecimalsInEveryModeButACounterReading) {
    AddManual(kPay, Day(5, 3), "CN", "1", 1);
    const struct {
        int mode;
        const char* typed;
        const char* carried;  // "," for the separator
    } cases[] = {
        {kPayAddManualCharge, "12,345", "CH 3 12,35 fee 2"},
        {kPayAddCounter, "12,345", "CN 3 12,345 fee 3"},
        {kPayAddCounter, "007", "CN 3 007 fee 4"},
        {kPayAddPayment, "-0,005", "PY 3 -0,01 fee 5"},
        {kPayAddPayment, "5,10", "PY 3 5,1 fee 6"},
        {kPayAddPayment, "", "PY 3 0 fee 7"},
    };
    for (const auto& c : cases) {
        Open(c.mode, {Day(5, 3), "", "", 0});
        dialog->EditValue->setText(ToQString(Decimal(c.typed)));
        dialog->EditDescript->setText(QStringLiteral("fee"));
        Ok();
        ASSERT_TRUE(dialog.isNull());
        const std::vector<std::string> events = Events();
        EXPECT_NE(std::find(events.begin(), events.end(), c.carried), events.end()) << c.carried;
    }
    EXPECT_TRUE(shell.fatalTexts.empty());
}

// A changed counter reading keeps its text as typed, whichever separator it was typed with:
// changing only the description of a reading of three decimals leaves the reading as it was.
TEST_F(ManualEvent, AChangedCounterReadingKeepsItsTextAsTyped) {
    const struct {
        const char* stored;   // the reading before the change
        const char* typed;    // what the value field holds at OK (null: left as it was)
        const char* carried;  // the reading after the change, as stored
    } cases[] = {
        {"358,905", nullptr, "358,905"},
        {"358.905", nullptr, "358.905"},
        {"1", "12,345", "12,345"},
        {"1", "12.345", "12.345"},
        {"1", "0012,5000", "0012,5000"},
    };
    int day = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored + std::string(" ") + (c.typed ? c.typed : "-"));
        const TDateTime date = Day(12, ++day);
        AddManual(kPay, date, "CN", c.stored, 1);
        Open(kPayChangeCounter, {date, c.stored, "", 1});
        if (c.typed) dialog->EditValue->setText(QString::fromLatin1(c.typed));
        dialog->EditDescript->setText(QStringLiteral("water"));
        Ok();
        ASSERT_TRUE(dialog.isNull());
        std::vector<std::string> rows;
        for (TBudgetTable events(tbl::PayHistory, false,
                                 Where(fld::ID) == kPay && Where(fld::DateEvent) == date);
             !events.Eof(); events.Next())
            rows.push_back(events.FieldByName(fld::Counter).AsString() + " " +
                           events.FieldByName(fld::Descript).AsString());
        EXPECT_EQ(rows, std::vector<std::string>{c.carried + std::string(" water")});
    }
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(ManualEvent, AnAdditionProposesTheCurrentRowsDayOrTodayOnAnEmptyHistory) {
    // current row's day -> proposed day
    const struct {
        TDateTime row, proposed;
    } cases[] = {{0, Today()}, {999, Today()}, {Day(5, 3), Day(5, 3)}};
    for (const auto& c : cases) {
        Open(kPayAddPayment, {c.row, "", "", 0});
        EXPECT_EQ(FromQDate(dialog->DTPickerDateEvent->date()), c.proposed);
        EXPECT_EQ(dialog->EditValue->text(), QStringLiteral("0"));
        EXPECT_FALSE(dialog->BitBtnOK->isEnabled());
        EXPECT_EQ(ToStdString(dialog->LabelFor->text()), "to the pay 'Flat'");
        dialog->BtnExit->click();
        FreeClosed();
    }
    EXPECT_EQ(Newest(), 0);
}

TEST_F(ManualEvent, AChangeOpensWithOkEnabledUnlessTheFieldsKeepTheirTexts) {
    // old value, old description -> OK enabled at the opening
    const struct {
        const char* value;
        const char* descript;
        bool enabled;
    } cases[] = {{"0", "", false}, {"5", "", true}, {"0", "rent", true}};
    for (const auto& c : cases) {
        Open(kPayChangeManualCharge, {Day(5, 3), c.value, c.descript, 1});
        EXPECT_EQ(dialog->BitBtnOK->isEnabled(), c.enabled) << c.value << c.descript;
        dialog->close();
        FreeClosed();
    }
}

TEST_F(ManualEvent, AChangeKeepsTheEventsNumberOnItsDayAndNumbersItAnewOnAnother) {
    AddManual(kPay, Day(5, 3), "CH", "10", 1);
    AddManual(kPay, Day(5, 3), "CH", "20", 2);
    AddManual(kPay, Day(5, 7), "CH", "30", 1);
    // the new day -> I2 written, the event afterwards
    const struct {
        TDateTime day;
        int i2;
        const char* event;
    } cases[] = {{Day(5, 3), 2, "CH 3 25 moved 2"}, {Day(5, 7), -1, "CH 7 25 moved 2"}};
    for (const auto& c : cases) {
        const std::vector<std::string> before = Events();
        Open(kPayChangeManualCharge, {Day(5, 3), "20", "", 2});
        // Another day and back again counts as the same day.
        dialog->DTPickerDateEvent->setDate(ToQDate(Day(5, 9)));
        dialog->DTPickerDateEvent->setDate(ToQDate(c.day));
        dialog->EditValue->setText(QStringLiteral("25"));
        dialog->EditDescript->setText(QStringLiteral("moved"));
        Ok();
        const int n = Newest();
        TTransReader parts(n);
        EXPECT_EQ(parts.Int(1), kPayChangeManualCharge);
        EXPECT_EQ(parts.Int(3), 2);
        EXPECT_EQ(parts.Text(3), "20");
        EXPECT_EQ(parts.Date(2), Day(5, 3));
        // The applier numbers a moved event and writes its number into I2.
        EXPECT_EQ(parts.Int(2), c.i2 == -1 ? 2 : c.i2);
        const std::vector<std::string> events = Events();
        EXPECT_NE(std::find(events.begin(), events.end(), c.event), events.end()) << c.event;
        ASSERT_TRUE(Undo(n));
        EXPECT_EQ(Events(), before);
        PurgeUndoneTransactions();
    }
}

// A number text with "D" for the user's decimal separator and "G" for the other one, which
// groups the thousands.
std::string Grouped(std::string text) {
    const char decimal = DecimalSeparator();
    for (char& c : text)
        if (c == 'D' || c == 'G') c = (c == 'D') == (decimal == ',') ? ',' : '.';
    return text;
}

TEST_F(ManualEvent, TheValueFieldTakesOnlyANumber) {
    ScopedMessageDlg ok;
    Open(kPayAddManualCharge);
    // keys typed -> the field's text, and whether the text was refused on the way (the message,
    // the field emptied, the keys after it typed anew)
    const struct {
        const char* keys;
        const char* text;
        bool refused;
    } cases[] = {{"4-5a", "45", false},
                 {"-7", "-7", false},
                 {"12G5", "12G5", false},  // one separator of either kind is the decimal one
                 {"1G234D56", "1234D56", false},
                 {"-1G234G567D8", "-1234567D8", false},
                 {"1G234G56", "1G234G56", false},  // the last group still being typed
                 {"12D5D3", "3", true},
                 {"1G2G", "", true},
                 {"1G23D4", "4", true},
                 {"1D234G5", "5", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Grouped(c.keys));
        const size_t before = ok.Calls().size();
        dialog->EditValue->clear();
        QTest::keyClicks(dialog->EditValue, QString::fromLatin1(Grouped(c.keys)));
        EXPECT_EQ(ToStdString(dialog->EditValue->text()), Grouped(c.text));
        EXPECT_EQ(ok.Calls().size(), before + (c.refused ? 1 : 0));
    }
    // Pasted texts the keys would have refused: the message, and the field emptied.
    const size_t typed = ok.Calls().size();
    for (const char* pasted : {"1-2", "1,2,3", "abc"}) {
        dialog->EditValue->setText(QString::fromLatin1(pasted));
        EXPECT_TRUE(dialog->EditValue->text().isEmpty()) << pasted;
    }
    EXPECT_EQ(ok.Texts(), std::vector<std::string>(typed + 3, "Incorrect number !"));
    EXPECT_EQ(ok.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
    dialog->EditValue->setText(QString(60, u'9'));
    EXPECT_EQ(dialog->EditValue->text().size(), 50);
    dialog->close();
}

// Enter on an amount typed with grouped thousands books the amount typed (1.234,56 was booked
// as 1,23); a group left unfinished is refused and the dialog stays open.
TEST_F(ManualEvent, EnterOnGroupedThousandsBooksTheAmountTyped) {
    ScopedMessageDlg ok;
    Open(kPayAddManualCharge, {Day(5, 3), "", "", 0});
    dialog->EditValue->clear();
    QTest::keyClicks(dialog->EditValue, QString::fromLatin1(Grouped("1G234G5")));
    QTest::keyClick(dialog->EditValue, Qt::Key_Return);
    EXPECT_EQ(ok.Texts(), std::vector<std::string>{"Incorrect number !"});
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Newest(), 0);
    QTest::keyClicks(dialog->EditValue, QString::fromLatin1(Grouped("1G234G567")));
    QTest::keyClick(dialog->EditValue, Qt::Key_Return);
    FreeClosed();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Events(), std::vector<std::string>{"CH 3 1234567  1"});
    Open(kPayAddPayment, {Day(5, 3), "", "", 0});
    dialog->EditValue->clear();
    QTest::keyClicks(dialog->EditValue, QString::fromLatin1(Grouped("1G234D56")));
    QTest::keyClick(dialog->EditValue, Qt::Key_Return);
    FreeClosed();
    EXPECT_EQ(Events(), (std::vector<std::string>{"CH 3 1234567  1", "PY 3 1234,56  2"}));
    EXPECT_EQ(ok.Calls().size(), 1u);
}

// Tab from the amount goes on to the description, never to the calculator button, and Enter
// there is OK; a click on the calculator button leaves the focus in the amount.
TEST_F(ManualEvent, TabFromTheAmountSkipsTheCalculatorAndEnterIsOk) {
    Open(kPayAddPayment, {Day(5, 3), "", "", 0});
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    dialog->EditValue->setFocus();
    dialog->EditValue->setText(QStringLiteral("12"));
    QTest::keyClick(dialog->EditValue, Qt::Key_Tab);
    // Enter with the focus on the calculator button would open the calculator and wait.
    ASSERT_EQ(QApplication::focusWidget(), dialog->EditDescript);
    EXPECT_EQ(dialog->BitBtnCalc->focusPolicy(), Qt::NoFocus);
    QTest::keyClicks(dialog->EditDescript, QStringLiteral("cash"));
    QTest::keyClick(dialog->EditDescript, Qt::Key_Return);
    FreeClosed();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Events(), std::vector<std::string>{"PY 3 12 cash 1"});
}

TEST_F(ManualEvent, ASecondOkWritesNothing) {
    Open(kPayAddPayment);
    dialog->EditValue->setText(QStringLiteral("5"));
    dialog->BitBtnOKClick();
    dialog->BitBtnOKClick();
    FreeClosed();
    EXPECT_EQ(Newest(), 1);
    EXPECT_EQ(Events().size(), 1u);
}

// Mend: OK closed the dialog when the event could not be written, and what was typed was lost.
// The dialog stays open with the value as typed (not rounded) and the description; OK once the
// cause is gone writes the event once.
TEST_F(ManualEvent, AnEventThatCannotBeWrittenStaysInTheOpenDialog) {
    AddManual(kPay, Day(5, 3), "CN", "1", 1);
    const struct {
        int mode;
        const char* carried;  // the event written at last, "," for the separator
    } cases[] = {
        {kPayAddPayment, "PY 3 12,35 fee 2"},
        {kPayChangeCounter, "CN 3 12,345 fee 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
        Open(c.mode, {Day(5, 3), "1", "", 1});
        dialog->EditValue->setText(ToQString(Decimal("12,345")));
        dialog->EditDescript->setText(QStringLiteral("fee"));
        ScopedMessageDlg ok;
        {
            FailingKind failing({"CHANG", otPay, c.mode}, DiskFull);
            Ok();
        }
        ASSERT_FALSE(dialog.isNull());
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->EditValue->text(), ToQString(Decimal("12,345")));
        EXPECT_EQ(dialog->EditDescript->text(), QStringLiteral("fee"));
        EXPECT_TRUE(dialog->EditValue->isEnabled());
        EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
        ASSERT_EQ(ok.Calls().size(), 1u);
        EXPECT_EQ(ok.Calls()[0].Type, TMsgDlgType::mtError);
        EXPECT_NE(ok.Texts()[0].find("database or disk is full"), std::string::npos);
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);

        Ok();
        EXPECT_TRUE(dialog.isNull());
        const std::vector<std::string> events = Events();
        EXPECT_EQ(std::count(events.begin(), events.end(), c.carried), 1) << c.carried;
    }
    EXPECT_EQ(Events().size(), 2u);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(ManualEvent, AnAdditionAndAChangeAreUndoneAndRedoneByTheJournal) {
    shell.state.BudgetState = 3;  // stopped: the tables hold only what the journal writes
    AddManual(kPay, Day(5, 3), "PY", "10", 1);
    const std::string start = DumpBudget(budget, TDumpScope::WithoutJournal);
    Open(kPayAddManualCharge, {Day(5, 3), "", "", 0});
    dialog->EditValue->setText(QStringLiteral("40"));
    Ok();
    const int added = Newest();
    const std::string afterAdd = DumpBudget(budget, TDumpScope::WithoutJournal);
    Open(kPayChangePayment, {Day(5, 3), "10", "", 1});
    dialog->DTPickerDateEvent->setDate(ToQDate(Day(5, 4)));
    Ok();
    const int changed = Newest();
    EXPECT_EQ(Events(), (std::vector<std::string>{"CH 3 40  2", "PY 4 10  1"}));
    const std::string afterChange = DumpBudget(budget, TDumpScope::WithoutJournal);
    EXPECT_EQ(changed, added + 1);

    ASSERT_TRUE(Undo(changed));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), afterAdd);
    ASSERT_TRUE(Undo(added));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), start);
    ASSERT_TRUE(Redo(added));
    ASSERT_TRUE(Redo(changed));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), afterChange);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(ManualEvent, EachKindOpensItsOwnHelpTopicAlsoWithF1AndHasItsRowsColour) {
    RecordedHelp help(shell.state.LangPath);
    const std::pair<int, QColor> modes[] = {{kPayAddCounter, QColor(255, 255, 255)},
                                            {kPayChangeManualCharge, QColor(255, 249, 224)},
                                            {kPayAddPayment, QColor(240, 255, 208)}};
    for (const auto& [mode, color] : modes) {
        Open(mode);
        for (const QWidget* input : {static_cast<QWidget*>(dialog->DTPickerDateEvent),
                                     static_cast<QWidget*>(dialog->EditValue),
                                     static_cast<QWidget*>(dialog->EditDescript)})
            EXPECT_EQ(input->palette().color(QPalette::Base), color) << mode;
        dialog->ButtonHelp->click();
        QTest::keyClick(dialog, Qt::Key_F1);
        dialog->close();
        FreeClosed();
    }
    EXPECT_EQ(help.Topics(),
              (std::vector<std::string>{"2520", "2520", "2530", "2530", "2540", "2540"}));
}

// A long pay name wraps under the header across the dialog: the inputs and the description
// keep the widths they have for a short name, and every text shows whole.
TEST_F(ManualEvent, ALongPayNameLeavesTheInputsAndTheDescriptionTheirWidths) {
    const auto widths = [&](const std::string& name) {
        dialog = new TfChangeManualEvent(nullptr, kPayAddCounter);
        dialog->IDPay = kPay;
        dialog->PayName = name;
        dialog->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(CutLabels(*dialog), std::vector<std::string>{}) << name;
        const std::pair<int, int> result{dialog->EditDescript->width(),
                                         dialog->MemoDescript->width()};
        dialog->BtnExit->click();
        FreeClosed();
        return result;
    };
    EXPECT_EQ(widths("Электроэнергия — квартира на Невском проспекте, счётчик в подвале"),
              widths("Flat"));
}

// The event's day is the day typed ("31.12.2026" gave 31.01.2025).
TEST_F(ManualEvent, TheEventsDayIsTheDayTyped) {
    Open(kPayAddPayment, {Day(5, 3), "", "", 0});
    ExpectTypedDatesTaken(*dialog->DTPickerDateEvent);
    dialog->DTPickerDateEvent->setDate(QDate(2025, 1, 31));
    TypeOver(*dialog->DTPickerDateEvent, TypedDate(QDate(2026, 12, 31)));
    dialog->EditValue->setText(QStringLiteral("5"));
    Ok();
    ASSERT_TRUE(dialog.isNull());
    TBudgetTable events(tbl::PayHistory, false, Where(fld::ID) == kPay);
    ASSERT_FALSE(events.Eof());
    EXPECT_EQ(events.FieldByName(fld::DateEvent).AsDateTime(), EncodeDate(2026, 12, 31));
}

}  // namespace
