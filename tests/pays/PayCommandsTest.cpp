// The pay frame's commands on a real budget: deleting an event and changing the direction
// through the journal (and undoing them), the filter dialog, and the spreadsheet export read
// back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "common/ScopedMessageDlg.h"
#include "common/TypedDates.h"
#include "common/XlsxParts.h"
#include "decimal/SeparatorScope.h"
#include "pays/PayChangeJournal.h"
#include "pays/PayFrameFixture.h"
#include "pays/U_changemanualevent_parts.h"
#include "pays/U_fchangedirectpay.h"
#include "pays/U_ffilterpay.h"
#include "schema/SchemaNames.h"
#include "shell/DateField.h"
#include "shell/ShellOpen.h"
#include "store/Utransactions_undo.h"

namespace {

// The parts of a transaction, in part order.
std::vector<TFieldValue> Parts(const char* table, int nTrans) {
    return Column(table, "Value", Where(fld::NTrans) == nTrans);
}

// A field of the journal's rows, oldest first.
std::vector<TFieldValue> Journal(const char* field) {
    return Column(tbl::jTrans, field, {}, idx::Index_NTrans);
}

int LastTrans() {
    const std::vector<TFieldValue> numbers = Journal("NTrans");
    return numbers.empty() ? 0 : static_cast<int>(numbers.back().Integer());
}

// Undoes the newest transaction as the journal view's Back does.
void UndoNewest() {
    ASSERT_GT(MarkUndo(LastTrans()), 0);
    const bool stop = false;
    TJournalRun run = RunUndo(stop);
    while (run.Step()) {
    }
}

using PayCommands = PayFrameFixture;

TEST_F(PayCommands, DeletingAPaymentWritesItsEventAndTheRowGoes) {
    TfrPay& frame = ShowFrame();
    frame.SetCurrentRow(2);  // the payment of 5 March, number 2 of its day
    ScopedMessageDlg answers(mrYes);
    frame.BitBtnDelItem->click();
    ASSERT_EQ(answers.Texts(), std::vector<std::string>{"Delete this payment?"});
    EXPECT_EQ(answers.Calls()[0].Buttons, mbYes | mbNo | mbCancel);
    const int n = LastTrans();
    ASSERT_GT(n, 0);
    EXPECT_EQ(Journal("Status").back(), TFieldValue("APPLY"));
    EXPECT_EQ(Journal("Act").back(), TFieldValue("CHANG"));
    EXPECT_EQ(Journal("Type").back(), TFieldValue(60));
    EXPECT_EQ(Journal("NameObject").back(), TFieldValue("Flat"));
    EXPECT_EQ(Parts(tbl::jTrInteger, n), (std::vector<TFieldValue>{6043, 2}));
    EXPECT_EQ(Parts(tbl::jTrText, n), (std::vector<TFieldValue>{Decimal("7,00"), "cash"}));
    EXPECT_EQ(Parts(tbl::jTrDate, n), (std::vector<TFieldValue>{Day(3, 5)}));
    EXPECT_EQ(CountRows(tbl::PayHistory, Where(fld::Descript) == "cash"), 0);
    // The other event of that day keeps its number.
    EXPECT_EQ(Column(tbl::PayHistory, "NManOper", Where(fld::Descript) == "water"),
              std::vector<TFieldValue>{1});
    // The budget runs: the recalculation from that day dropped the automatic charge, whose
    // auto charge the pay does not have.
    EXPECT_EQ(Shown(frame), (std::vector<std::string>{"CN 1", "CH 5", "PY 10"}));

    UndoNewest();
    EXPECT_EQ(Column(tbl::PayHistory, "NManOper", Where(fld::Descript) == "cash"),
              std::vector<TFieldValue>{2});
}

TEST_F(PayCommands, NoAndCancelWriteNothingAndKeepTheButtons) {
    TfrPay& frame = ShowFrame();
    frame.SetCurrentRow(0);
    for (int answer : {mrNo, mrCancel}) {
        ScopedMessageDlg answers(answer);
        frame.BitBtnDelItem->click();
        EXPECT_EQ(answers.Texts(), std::vector<std::string>{"Delete this counter reading?"});
        EXPECT_TRUE(Journal("NTrans").empty());
        EXPECT_EQ(CountRows(tbl::PayHistory), 5);
        EXPECT_TRUE(frame.BitBtnDelItem->isEnabled());
        EXPECT_TRUE(frame.SpeedButtonFilter->isEnabled());
        EXPECT_FALSE(frame.BitBtnAddCounter->isEnabled());  // its dialog is not there
    }
}

TEST_F(PayCommands, DeletingInAStoppedBudgetRemovesTheRowWithoutRecalculation) {
    shell.state.BudgetState = 3;
    TfrPay& frame = ShowFrame();
    ScopedMessageDlg answers(mrYes);
    frame.SetCurrentRow(4);
    frame.BitBtnDelItem->click();
    EXPECT_EQ(Shown(frame), (std::vector<std::string>{"CN 1", "CH 5", "PY 5", "CH 5"}));
    EXPECT_EQ(ToStdString(frame.LabelCurBalanceVal->text()), "???");
    EXPECT_EQ(frame.TotalCell(5, 1), "???");
    for (const std::string& call : shell.calls)
        EXPECT_EQ(call.find("RunAutoRecalc"), std::string::npos);
    // The current row is the new last one; its buttons follow it (an automatic charge).
    EXPECT_EQ(frame.CurrentRow(), 3);
    EXPECT_FALSE(frame.BitBtnDelItem->isEnabled());
}

TEST_F(PayCommands, AnEventAddedThroughItsDialogShowsInAStoppedBudget) {
    shell.state.BudgetState = 3;
    TfrPay& frame = ShowFrame();
    std::vector<int> modes;
    frame.Dialogs.ManualEvent = [&modes](int mode, const std::string&) {
        modes.push_back(mode);
        TPayEventParts parts = EventAddParts(mode, Day(3, 7), "5", "tip");
        EXPECT_GT(JournalPayChange(1, parts), 0);
    };
    frame.ShowFor(Node());  // as a pay's selection does: the buttons follow the dialogs given
    frame.SetCurrentRow(4);
    ASSERT_TRUE(frame.BitBtnAddPay->isEnabled());
    frame.BitBtnAddPay->click();
    EXPECT_EQ(modes, std::vector<int>{kPayAddPayment});
    // No recalculation reloads the view of a stopped budget: the frame reads it again itself.
    EXPECT_EQ(Shown(frame),
              (std::vector<std::string>{"CN 1", "CH 5", "PY 5", "CH 5", "PY 7", "PY 10"}));
    EXPECT_EQ(frame.CurrentRow(), 4);
    // The buttons follow the new row, not the states saved before the dialog.
    EXPECT_TRUE(frame.BitBtnEditItem->isEnabled());
    EXPECT_TRUE(frame.BitBtnDelItem->isEnabled());
}

TEST_F(PayCommands, TheJournalFindsTheEventWhateverTheFrameFilters) {
    TfrPay& frame = ShowFrame();
    frame.Filter = Kinds(false, false, false, true);
    frame.SpeedButtonFilter->click();
    frame.SetCurrentRow(0);
    ScopedMessageDlg answers(mrYes);
    frame.BitBtnDelItem->click();
    EXPECT_EQ(CountRows(tbl::PayHistory, Where(fld::Descript) == "cash"), 0);
    // The shared table shows counter readings only while the undo adds the payment back.
    frame.Filter = Kinds(true, false, false, false);
    frame.SpeedButtonFilter->click();
    frame.SpeedButtonFilter->click();
    UndoNewest();
    EXPECT_EQ(CountRows(tbl::PayHistory, Where(fld::Descript) == "cash"), 1);
}

TEST_F(PayCommands, TheDirectionDialogChangesThePayThroughTheJournal) {
    TfrPay& frame = ShowFrame();
    std::vector<int> icons;
    QObject::connect(&frame, &TfrPay::PayIconChanged, [&](int icon) { icons.push_back(icon); });
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TfChangeDirectPay*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->OldDirection, 'O');
        EXPECT_TRUE(dialog->RadioButtonPayOut->isChecked());
        EXPECT_FALSE(dialog->BitBtnOK->isEnabled());
        EXPECT_EQ(ToStdString(dialog->LabelFor->text()), "of the pay 'Flat'");
        dialog->RadioButtonPayIn->click();
        EXPECT_TRUE(dialog->BitBtnOK->isEnabled());
        dialog->RadioButtonPayOut->click();
        EXPECT_FALSE(dialog->BitBtnOK->isEnabled());
        dialog->RadioButtonPayIn->click();
        dialog->BitBtnOK->click();
    });
    frame.BtnChangeDirect->click();
    const int n = LastTrans();
    EXPECT_EQ(Parts(tbl::jTrInteger, n), std::vector<TFieldValue>{6050});
    EXPECT_EQ(Parts(tbl::jTrText, n), std::vector<TFieldValue>{"IO"});
    EXPECT_EQ(dm.GetPayDirection(1), 'I');
    EXPECT_EQ(Column(tbl::Objects, "Image", Where(fld::ID) == 1), std::vector<TFieldValue>{26});
    EXPECT_EQ(icons, std::vector<int>{26});
    EXPECT_TRUE(frame.BtnChangeDirect->isEnabled());

    UndoNewest();
    EXPECT_EQ(dm.GetPayDirection(1), 'O');
    EXPECT_EQ(Column(tbl::Objects, "Image", Where(fld::ID) == 1), std::vector<TFieldValue>{24});
}

// Mend: a direction that could not be written was lost with the dialog. The dialog stays open
// with the choice; OK once the cause is gone changes the pay once.
TEST_F(PayCommands, ADirectionThatCannotBeWrittenStaysChosenInTheOpenDialog) {
    TfrPay& frame = ShowFrame();
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    ScopedMessageDlg ok;
    bool kept = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TfChangeDirectPay*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->RadioButtonPayIn->click();
        {
            FailingKind failing({"CHANG", otPay, kPayChangeDirection}, DiskFull);
            dialog->BitBtnOK->click();
        }
        kept = dialog->isVisible() && dialog->RadioButtonPayIn->isChecked() &&
               dialog->BitBtnOK->isEnabled();
        EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
        dialog->BitBtnOK->click();
    });
    frame.BtnChangeDirect->click();
    EXPECT_TRUE(kept);
    ASSERT_EQ(ok.Calls().size(), 1u);
    EXPECT_EQ(ok.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_NE(ok.Texts()[0].find("database or disk is full"), std::string::npos);
    EXPECT_EQ(dm.GetPayDirection(1), 'I');
    EXPECT_EQ(Column(tbl::Objects, "Image", Where(fld::ID) == 1), std::vector<TFieldValue>{26});
    const std::vector<TFieldValue> statuses = Journal("Status");
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), TFieldValue("APPLY")), 1);
}

// ---- The filter dialog -----------------------------------------------------------------------

class FilterDialog : public PayFrameFixture {
protected:
    FilterDialog() : frame(ShowFrame()) {}
    // A dialog loaded from the frame's filter, shown without its event loop.
    TfFilterPay& Open(const PayFilterInfo& filter) {
        frame.Filter = filter;
        dialog = new TfFilterPay(frame, QColor(0x50, 0x50, 0x50), logo);
        dialog->PayName = "Flat";
        dialog->LoadFromFrame();
        dialog->show();
        return *dialog;
    }
    ~FilterDialog() override { delete dialog; }

    TfrPay& frame;
    QPointer<TfFilterPay> dialog;
};

PayFilterInfo All() {
    PayFilterInfo filter;
    filter.ShowCounters = filter.ShowAutoCharges = filter.ShowManualCharges = filter.ShowPayments =
        true;
    filter.DateFrom = filter.DateTo = Day(3, 5);
    return filter;
}

TEST_F(FilterDialog, NoKindDisablesOkAndBlinksTheWarningSevenTimes) {
    TfFilterPay& d = Open(All());
    EXPECT_TRUE(d.BitBtnOK->isEnabled());
    EXPECT_EQ(ToStdString(d.LabelForObject->text()), "For the pay 'Flat'");
    const std::string description = ToStdString(d.MemoDescript->toPlainText());
    EXPECT_FALSE(description.empty());
    for (QCheckBox* box : {d.CheckBoxCounter, d.CheckBoxChargeAuto, d.CheckBoxChargeManual})
        box->click();
    EXPECT_TRUE(d.BitBtnOK->isEnabled());
    d.CheckBoxPay->click();
    EXPECT_FALSE(d.BitBtnOK->isEnabled());
    EXPECT_TRUE(d.WarningShown);
    EXPECT_EQ(ToStdString(d.MemoDescript->toPlainText()),
              "     Choose at least one kind of events.");
    EXPECT_EQ(d.Timer1->interval(), 100);
    EXPECT_TRUE(d.Timer1->isActive());
    const QColor face = d.palette().color(QPalette::Button);
    std::vector<bool> faces;
    for (int tick = 0; tick < 7; ++tick) {
        ASSERT_TRUE(d.Timer1->isActive()) << tick;
        d.Timer1Timer();
        faces.push_back(d.MemoDescript->palette().color(QPalette::Text) == face);
    }
    EXPECT_EQ(faces, (std::vector<bool>{true, false, true, false, true, false, false}));
    EXPECT_FALSE(d.Timer1->isActive());
    EXPECT_EQ(d.MemoDescript->palette().color(QPalette::Text), QColor(255, 0, 0));
    // A date changed without a kind keeps OK disabled.
    d.DateTimePickerFrom->setDate(ToQDate(Day(3, 1)));
    EXPECT_FALSE(d.BitBtnOK->isEnabled());
    d.CheckBoxPay->click();
    EXPECT_TRUE(d.BitBtnOK->isEnabled());
    EXPECT_FALSE(d.WarningShown);
    EXPECT_EQ(ToStdString(d.MemoDescript->toPlainText()), description);
}

TEST_F(FilterDialog, TheLastDayNeverPrecedesTheFirst) {
    PayFilterInfo filter = All();
    filter.UseDateFrom = filter.UseDateTo = true;
    filter.DateTo = Day(3, 9);
    TfFilterPay& d = Open(filter);
    EXPECT_FALSE(d.CheckBoxOnlyThisDay->isChecked());
    d.DateTimePickerFrom->setDate(ToQDate(Day(3, 20)));
    EXPECT_EQ(FromQDate(d.DateTimePickerTo->date()), Day(3, 20));
    d.DateTimePickerTo->setDate(ToQDate(Day(3, 2)));
    EXPECT_EQ(FromQDate(d.DateTimePickerTo->date()), Day(3, 20));
}

TEST_F(FilterDialog, OnlyThisDayIsLoadedAndStoredAsOneDay) {
    PayFilterInfo filter = All();
    filter.UseDateFrom = filter.UseDateTo = true;
    TfFilterPay& loaded = Open(filter);
    EXPECT_TRUE(loaded.CheckBoxOnlyThisDay->isChecked());
    EXPECT_FALSE(loaded.RadioButtonToEnd->isEnabled());
    EXPECT_FALSE(loaded.RadioButtonTo->isEnabled());
    EXPECT_FALSE(loaded.DateTimePickerTo->isEnabled());
    loaded.RadioButtonFromBegin->click();
    EXPECT_FALSE(loaded.CheckBoxOnlyThisDay->isChecked());
    EXPECT_FALSE(loaded.CheckBoxOnlyThisDay->isEnabled());
    EXPECT_TRUE(loaded.RadioButtonTo->isEnabled());
    delete dialog;

    // "To the end" selected, then only this day: the view is that one day.
    TfFilterPay& d = Open(All());
    d.RadioButtonFrom->click();
    d.DateTimePickerFrom->setDate(ToQDate(Day(3, 5)));
    d.CheckBoxOnlyThisDay->click();
    EXPECT_TRUE(d.RadioButtonToEnd->isChecked());
    d.BitBtnOK->click();
    EXPECT_TRUE(frame.FilterAccepted);
    EXPECT_TRUE(frame.Filter.UseDateFrom);
    EXPECT_TRUE(frame.Filter.UseDateTo);
    EXPECT_EQ(frame.Filter.DateFrom, Day(3, 5));
    EXPECT_EQ(frame.Filter.DateTo, Day(3, 5));
    frame.SpeedButtonFilter->click();
    EXPECT_EQ(Shown(frame), (std::vector<std::string>{"CH 5", "PY 5", "CH 5"}));
}

TEST_F(FilterDialog, ExitLeavesTheFrameUntouched) {
    TfFilterPay& d = Open(All());
    d.CheckBoxCounter->click();
    d.BtnExit->click();
    EXPECT_FALSE(frame.FilterAccepted);
    EXPECT_TRUE(frame.Filter.ShowCounters);
}

// ---- The export ------------------------------------------------------------------------------
class PayExport : public PayFrameFixture {
protected:
    PayExport() {
        SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url.toLocalFile().toStdString());
            return desktopOpens;
        });
    }
    ~PayExport() override { SetUrlOpener({}); }
    bool desktopOpens = true;
    std::vector<std::string> opened;
};

TEST_F(PayExport, AWorkbookTheDesktopCannotOpenIsToldWithItsPath) {
    TfrPay& frame = ShowFrame();
    desktopOpens = false;
    ScopedMessageDlg answers;
    frame.BitBtnExpToXls->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_regular_file(opened.front()));
    ASSERT_EQ(answers.Calls().size(), 1u);
    EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtWarning);
    EXPECT_TRUE(answers.Calls()[0].Text.ends_with("\n" + opened.front()));
}

TEST_F(PayExport, TheWorkbookHoldsTheRowsShownWithTheirColoursAndNumbers) {
    TfrPay& frame = ShowFrame();
    frame.Filter = Kinds(false, true, true, true);
    frame.SpeedButtonFilter->click();
    frame.SetCurrentRow(1);
    frame.BitBtnExpToXls->click();
    ASSERT_EQ(opened.size(), 1u);
    const std::string& path = opened.front();
    EXPECT_EQ(std::filesystem::path(path).parent_path(), shell.state.ExportPath);
    EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("Flat_", 0), 0u);
    const std::string cells = XlsxPart(path, "xl/worksheets/sheet1.xml");
    const std::string strings = XlsxPart(path, "xl/sharedStrings.xml");
    const std::string styles = XlsxPart(path, "xl/styles.xml");
    ASSERT_FALSE(cells.empty());
    for (const char* text : {"Flat", "Water and rent", "N", "Event", "Description", "Manual charge",
                             "Automatic charge", "Payment", "cash",
                             "History (Automatic charge, Manual charge, Payment):"})
        EXPECT_NE(strings.find(std::string(">") + text + "<"), std::string::npos) << text;
    // The running numbers, amounts and balances are number cells a spreadsheet can sum.
    const std::multiset<std::string> numbers = XlsxNumbers(cells);
    for (const char* value :
         {"1", "2", "3", "4", "10.5", "-10.5", "7", "-3.5", "20", "-23.5", "30", "6.5"})
        EXPECT_EQ(numbers.count(value), 1u) << value;
    EXPECT_EQ(strings.find(">" + Decimal("10,50") + "<"), std::string::npos);
    EXPECT_EQ(strings.find(">reading<"), std::string::npos);  // the counter is not shown
    EXPECT_NE(cells.find("<c r=\"I9\""), std::string::npos);
    EXPECT_EQ(cells.find("<c r=\"A10\""), std::string::npos);
    EXPECT_NE(cells.find("<v>" + std::to_string(static_cast<int>(Day(3, 5))) + "</v>"),
              std::string::npos);
    for (const char* colour : {"FFFFCC99", "FFCCFFCC", "FFFF0000", "FF008000"})
        EXPECT_NE(styles.find(colour), std::string::npos) << colour;
    EXPECT_EQ(styles.find("FFC0C0C0"), std::string::npos);
    // The grid keeps its row.
    EXPECT_EQ(frame.CurrentRow(), 1);
}

// Counter readings keep the separator they were typed with; the Counter column takes each as a
// number cell, whichever separator the user's locale has.
TEST_F(PayExport, CounterReadingsTypedWithEitherSeparatorAreNumberCells) {
    AddEvent("CN", Day(3, 2), 1, 0, "Counter", "12345,6", "", "comma");
    AddEvent("CN", Day(3, 3), 1, 0, "Counter", "358.905", "", "point");
    TfrPay& frame = ShowFrame();
    frame.Filter = Kinds(true, false, false, false);
    frame.SpeedButtonFilter->click();
    for (const char separator : {',', '.'}) {
        SCOPED_TRACE(std::string("separator ") + separator);
        const SeparatorScope scope(separator);
        opened.clear();
        frame.BitBtnExpToXls->click();
        ASSERT_EQ(opened.size(), 1u);
        const std::string cells = XlsxPart(opened.front(), "xl/worksheets/sheet1.xml");
        const std::string strings = XlsxPart(opened.front(), "xl/sharedStrings.xml");
        const std::multiset<std::string> numbers = XlsxNumbers(cells);
        for (const char* value : {"100", "12345.6", "358.905"})
            EXPECT_EQ(numbers.count(value), 1u) << value;
        for (const char* text : {"12345,6", "358.905"})
            EXPECT_EQ(strings.find(std::string(">") + text + "<"), std::string::npos) << text;
        std::filesystem::remove(opened.front());
    }
}

TEST_F(PayExport, AnEmptyViewAndAnUnsafeNameAndAnUnwritableFolder) {
    AddPay(2, "a/b*\"c\"");
    TfrPay& frame = ShowFrame();
    frame.ShowFor({1, otPay, 2, 0, "a/b*\"c\"", "", budget});
    frame.BitBtnExpToXls->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(std::filesystem::path(opened.front()).filename().string().rfind("a_b__c__", 0), 0u);
    const std::string cells = XlsxPart(opened.front(), "xl/worksheets/sheet1.xml");
    EXPECT_NE(cells.find("<c r=\"I5\""), std::string::npos);
    EXPECT_EQ(cells.find("<c r=\"A6\""), std::string::npos);

    shell.state.ExportPath = folders.UsersDataPath() + "plain file";
    { std::ofstream(shell.state.ExportPath) << "x"; }
    ScopedMessageDlg answers;
    frame.BitBtnExpToXls->click();
    EXPECT_EQ(answers.Texts(), std::vector<std::string>{"Unable to open Excel"});
    EXPECT_EQ(answers.Calls()[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(opened.size(), 1u);
}

// The filter's days show four-digit years ("01.01.99" meant 2099) and are the days typed.
TEST_F(FilterDialog, TheDaysShowFourDigitYearsAndAreTheDaysTyped) {
    PayFilterInfo filter = All();
    filter.UseDateFrom = filter.UseDateTo = true;
    filter.DateFrom = EncodeDate(1999, 1, 1);
    filter.DateTo = EncodeDate(1999, 2, 1);
    TfFilterPay& d = Open(filter);
    EXPECT_EQ(d.DateTimePickerFrom->text(), TypedDate(QDate(1999, 1, 1)));
    EXPECT_NE(d.DateTimePickerFrom->text().indexOf(QStringLiteral("1999")), -1);
    d.RadioButtonFrom->click();
    d.RadioButtonTo->click();
    ASSERT_TRUE(d.DateTimePickerFrom->isEnabled());
    ASSERT_TRUE(d.DateTimePickerTo->isEnabled());
    ExpectTypedDatesTaken(*d.DateTimePickerFrom);
    d.DateTimePickerFrom->setDate(QDate(1900, 1, 1));
    ExpectTypedDatesTaken(*d.DateTimePickerTo);
}

}  // namespace
