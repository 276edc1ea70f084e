// A pay's auto charges: the 6010 transaction's numbering and its blocks, written from the list
// and applied, undone and redone by the pay appliers; the list dialog's states, commands and
// questions; the editor's proposals, values, dates and algorithm names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "PayDialogs.h"
#include "algorithms/U_fcalculation.h"
#include "RecordedHelp.h"
#include "common/BudgetDump.h"
#include "common/FailingKind.h"
#include "common/ScopedMessageDlg.h"
#include "common/TextsFit.h"
#include "common/TypedDates.h"
#include "pays/Formschedule.h"
#include "pays/U_fautochargechange.h"
#include "pays/U_fautocharges.h"
#include "platform/Text.h"
#include "shell/DateField.h"
#include "store/U_dm.h"

namespace {

// Saves the picture where VEMLY_SCREENSHOT_DIR names a folder (for a look by eye).
void KeepScreenshot(const QImage& image, const char* name) {
    if (const char* folder = std::getenv("VEMLY_SCREENSHOT_DIR"))
        image.save(QString::fromLocal8Bit(folder) + u'/' + QLatin1String(name));
}

// A charge for the list: a constant of 10, by month on the 1st, from the day given.
AutoChargeInfo Constant(const std::string& name, TDateTime begin, char state = 'a') {
    AutoChargeInfo charge;
    charge.Name = name;
    charge.DateBegin = begin;
    charge.ConstValue = "10";
    SetDefaultSchedule(charge.Schedule);
    charge.State = state;
    return charge;
}

AutoChargeInfo WithAlgorithm(const std::string& name, TDateTime begin, std::string text) {
    AutoChargeInfo charge = Constant(name, begin);
    charge.ItemType = 'A';
    charge.ConstValue.clear();
    charge.Algorithm.Valid = true;
    charge.Algorithm.IDParent = 1;
    charge.Algorithm.Name = name;
    charge.Algorithm.Text = std::move(text);
    charge.Algorithm.VarOfResult = 1;
    return charge;
}

class AutoCharges : public PayDialogs {
protected:
    AutoCharges() { shell.state.BudgetState = 3; }  // stopped unless a test runs it

    // A stored constant charge of the pay with a schedule of its own; returns the schedule's ID.
    static int StoreCharge(const std::string& name, TDateTime begin, const char* value = "10") {
        TCharge charge;
        charge.Pay = kPay;
        charge.Name = name;
        charge.DateBegin = begin;
        charge.ConstValue = value;
        charge.IDSchedule = AddSchedule();
        AddCharge(charge);
        return charge.IDSchedule;
    }
    // A stored algorithm charge; returns the algorithm's ID.
    static int StoreAlgorithmCharge(const std::string& name, const std::string& algorithmName) {
        Algorithm01 algorithm;
        algorithm.Valid = true;
        algorithm.IDParent = kPay;
        algorithm.Name = algorithmName;
        algorithm.Text = "[V001()] = 5";
        TCharge charge;
        charge.Pay = kPay;
        charge.Name = name;
        charge.ItemType = "A";
        charge.ConstValue = "";
        charge.IDAlg = DM->SaveAlgorithm(algorithm);
        charge.IDSchedule = AddSchedule();
        AddCharge(charge);
        return charge.IDAlg;
    }

    // The list dialog of the pay, shown (not modal).
    TfAutoCharges* Open() {
        list = new TfAutoCharges(nullptr);
        list->IDPay = kPay;
        list->show();
        return list;
    }
    // Runs the slide to its end.
    void Slide() {
        while (list && list->Timer1->isActive()) list->Timer1Timer();
        FreeClosed();
    }
    // The editor over the list in the mode, shown (not modal).
    TfAutoChargeChange* OpenEditor(char mode) {
        editor = new TfAutoChargeChange(*list);
        editor->Mode = mode;
        editor->IDPay = kPay;
        editor->show();
        return editor;
    }
    // Adds a charge of the name from the day through the list's Add and its modal editor.
    void AddWithEditor(const char* name, TDateTime begin) {
        QTimer::singleShot(0, [name, begin] {
            auto* added = qobject_cast<TfAutoChargeChange*>(QApplication::activeModalWidget());
            if (!added) return QApplication::activeModalWidget()->close(), void();
            added->EditName->setText(QString::fromUtf8(name));
            added->DTPickerDateBegin->setDate(ToQDate(begin));
            added->BitBtnOK->click();
        });
        list->BitBtnAdd->click();
    }
    void EditorOk() {
        editor->BitBtnOK->click();
        FreeClosed();
    }
    std::vector<std::string> GridNames() const {
        std::vector<std::string> names;
        for (int row = 0; row < list->StringGridItems->rowCount(); ++row)
            names.push_back(ToStdString(list->StringGridItems->item(row, 1)->text()));
        return names;
    }
    // Integer parts of the transaction from part `from` on.
    static std::vector<int> Ints(int nTrans, int from, int to) {
        TTransReader parts(nTrans);
        std::vector<int> values;
        for (int part = from; part <= to; ++part) values.push_back(parts.Int(part).value_or(-999));
        return values;
    }
    static void DeleteRows(const char* table) {
        TBudgetTable rows(table, true);
        DeleteAllRows(rows);
    }
    static int PartCount(const char* table, int nTrans) {
        return CountRows(table, Where(fld::NTrans) == nTrans);
    }
    // The pay's stored charges: "name IDSchedule", in index order.
    static std::vector<std::string> StoredCharges() {
        std::vector<std::string> rows;
        for (TBudgetTable charges(tbl::PayAutoCharges, false, Where(fld::ID) == kPay);
             !charges.Eof(); charges.Next())
            rows.push_back(charges.FieldByName(fld::Name).AsString() + " " +
                           std::to_string(charges.FieldByName(fld::IDSchedule).AsInteger()));
        return rows;
    }

    QPointer<TfAutoCharges> list;
    QPointer<TfAutoChargeChange> editor;
    const TDateTime today = Today();
};

// ---- The transaction

TEST_F(AutoCharges, TwoConstantsOverOneOldAreNumberedInEachPartTable) {
    StoreCharge("Old", Day(2, 1));
    TAutoChargesList charges{Constant("B", Day(3, 5)), Constant("A", Day(3, 1)),
                             Constant("Gone", Day(1, 1), 'd')};
    ASSERT_GT(JournalAutoCharges(charges, kPay, Day(1, 1)), 0);
    const int n = Newest();
    EXPECT_EQ(PartCount(tbl::jTrText, n), 27);
    EXPECT_EQ(PartCount(tbl::jTrDate, n), 10);
    EXPECT_EQ(PartCount(tbl::jTrInteger, n), 12);
    EXPECT_EQ(Ints(n, 1, 3), (std::vector<int>{6010, 2, 1}));
    EXPECT_EQ(Ints(n, 10, 12), (std::vector<int>{7, 18, 7}));
    TTransReader parts(n);
    EXPECT_EQ(parts.Date(1), Day(1, 1));
    // The new block in the grid's order, the old one after it.
    EXPECT_EQ(parts.Text(1), "A");
    EXPECT_EQ(parts.Text(10), "B");
    EXPECT_EQ(parts.Text(19), "Old");
    EXPECT_EQ(parts.Int(4), 0);  // a schedule never stored
    EXPECT_EQ(StoredCharges().size(), 2u);
    EXPECT_EQ(charges[1].Name, "A");  // the list sorted in place
}

TEST_F(AutoCharges, AnEmptyNewOrOldListLeavesItsBlockOutAndTheTailFollows) {
    // stored charges, new charges -> the head's counts and the tail
    const struct {
        int stored, added;
        std::vector<int> ints;
    } cases[] = {
        {1, 0, {6010, 0, 1, /*old*/ 1, 5, /*tail*/ 3, 0, 1}},
        {0, 1, {6010, 1, 0, /*new*/ 0, 5, /*tail*/ 5, 9, 4}},
    };
    for (const auto& c : cases) {
        PurgeUndoneTransactions();
        DeleteRows(tbl::PayAutoCharges);
        if (c.stored) StoreCharge("Old", Day(2, 1));
        TAutoChargesList charges;
        if (c.added) charges.push_back(Constant("New", Day(3, 1)));
        ASSERT_GT(JournalAutoCharges(charges, kPay, Day(3, 1)), 0);
        EXPECT_EQ(Ints(Newest(), 1, 8), c.ints) << c.stored;
        EXPECT_EQ(StoredCharges().size(), static_cast<size_t>(c.added));
        ASSERT_TRUE(Undo(Newest()));
        EXPECT_EQ(StoredCharges().size(), static_cast<size_t>(c.stored));
    }
}

TEST_F(AutoCharges, AnAlgorithmsTextGoesInPiecesOfAHundredAndItsNameIsCutInTheNewBlockOnly) {
    const std::string longName(120, 'n');
    StoreAlgorithmCharge("Stored", longName);
    // text length -> pieces (I part 9 of the algorithm block)
    const struct {
        size_t length;
        int pieces;
    } cases[] = {{0, 0}, {100, 1}, {101, 2}};
    for (const auto& c : cases) {
        TAutoChargesList charges{WithAlgorithm("New", Day(3, 1), std::string(c.length, 'x'))};
        charges[0].Algorithm.Name = longName;
        TAutoChargesChangeParts parts = *AutoChargesChangeParts(charges, kPay, Day(3, 1));
        ASSERT_EQ(parts.NewCharges.size(), 1u);
        EXPECT_EQ(parts.NewCharges[0].Algorithm.TextPieces.size(), static_cast<size_t>(c.pieces));
        if (c.pieces == 2) {
            EXPECT_EQ(parts.NewCharges[0].Algorithm.TextPieces[1], "x");
        }
        EXPECT_EQ(parts.NewCharges[0].Algorithm.Name, std::string(100, 'n'));
        EXPECT_EQ(parts.OldCharges[0].Algorithm.Name, longName);
    }
}

TEST_F(AutoCharges, NothingIsWrittenWhenAStoredChargesAlgorithmIsGone) {
    const int idAlg = StoreAlgorithmCharge("Stored", "power");
    DM->DeleteAlgorithm(idAlg);
    TAutoChargesList charges{Constant("New", Day(3, 1))};
    EXPECT_EQ(JournalAutoCharges(charges, kPay, Day(3, 1)), 0);
    EXPECT_EQ(Newest(), 0);
    EXPECT_FALSE(shell.fatalTexts.empty());
}

TEST_F(AutoCharges, AStoredChargeWhoseScheduleIsGoneCarriesItsOwnIdAndNoPeriodicity) {
    const int schedule = StoreCharge("Orphan", Day(2, 1));
    DeleteSchedule(schedule);
    TAutoChargesList charges;
    ASSERT_GE(LoadCharges(kPay, charges), 1);
    EXPECT_EQ(charges[0].Schedule.ID, schedule);
    EXPECT_EQ(charges[0].Schedule.Periodicity, '\0');
    ASSERT_GT(JournalAutoCharges(charges, kPay, Day(2, 1)), 0);
    // The charge keeps its schedule ID and the schedule that comes back falls on no date.
    EXPECT_EQ(StoredCharges(), (std::vector<std::string>{"Orphan " + std::to_string(schedule)}));
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(AutoCharges, LoadingANodeThatIsNoPayLeavesTheListAlone) {
    AddObject(5, 0, 50, "Rate");
    TAutoChargesList charges{Constant("Kept", Day(3, 1))};
    EXPECT_EQ(LoadCharges(5, charges), -1);
    EXPECT_EQ(LoadCharges(77, charges), -1);
    ASSERT_EQ(charges.size(), 1u);
    EXPECT_EQ(charges[0].Name, "Kept");
}

// ---- Through the dialog and the journal

TEST_F(AutoCharges, AChangedListIsAppliedUndoneAndRedoneWithUniqueScheduleIds) {
    shell.state.BudgetState = 0;  // running: the calendar follows
    StoreCharge("First", Day(3, 1));
    const int second = StoreCharge("Second", Day(3, 10));  // the largest schedule ID
    shell.RebuildCalendar(0, DM->LatestPayEventDate() + 5);
    shell.RunAutoRecalc(true, Today());
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    ScopedMessageDlg yes(mrYes);
    Open();
    EXPECT_EQ(GridNames(), (std::vector<std::string>{"First", "Second"}));
    list->BitBtnEdit->click();
    Slide();
    AddWithEditor("Third", Day(3, 5));
    EXPECT_EQ(GridNames(), (std::vector<std::string>{"First", "Third", "Second"}));
    EXPECT_EQ(list->FirstChangedDate, Day(3, 5));
    list->BitBtnApply->click();
    Slide();
    EXPECT_TRUE(list.isNull());
    // The new charge takes an ID no kept charge has.
    EXPECT_EQ(StoredCharges(), (std::vector<std::string>{"First 1", "Third 3",
                                                         "Second " + std::to_string(second)}));
    EXPECT_EQ(CountRows(tbl::Schedules), 3);
    EXPECT_EQ(Ints(Newest(), 1, 3), (std::vector<int>{6010, 3, 2}));
    const std::string after = DumpBudget(budget, TDumpScope::WithoutJournal);
    EXPECT_NE(after.find("Third"), std::string::npos);
    ASSERT_TRUE(Undo(Newest()));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);
    ASSERT_TRUE(Redo(Newest()));
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), after);
    EXPECT_TRUE(shell.fatalTexts.empty());
}

// Mend: Apply closed the list when the charges could not be written, and the edits were lost.
// Edit mode goes on with the list as edited; Apply once the cause is gone writes it once.
TEST_F(AutoCharges, AListThatCannotBeWrittenStaysInEditModeWithTheEdits) {
    StoreCharge("First", Day(3, 1));
    const std::string before = DumpBudget(budget, TDumpScope::WithoutJournal);
    Open();
    list->BitBtnEdit->click();
    Slide();
    AddWithEditor("Second", Day(3, 5));
    const int newest = Newest();
    ScopedMessageDlg yes(mrYes);
    {
        FailingKind failing({"CHANG", otPay, kPayReplaceAutoCharges}, DiskFull);
        list->BitBtnApply->click();
        Slide();
    }
    ASSERT_FALSE(list.isNull());
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(GridNames(), (std::vector<std::string>{"First", "Second"}));
    EXPECT_TRUE(list->EditMode);
    EXPECT_FALSE(list->BitBtnEdit->isEnabled());
    for (QPushButton* button : {list->BitBtnApply, list->BitBtnCansel, list->BitBtnAdd,
                                list->BitBtnClear, list->BtnExit})
        EXPECT_TRUE(button->isEnabled()) << ToStdString(button->objectName());
    ASSERT_EQ(yes.Calls().size(), 2u);  // the question, then the failure
    EXPECT_EQ(yes.Calls()[1].Type, TMsgDlgType::mtError);
    EXPECT_NE(yes.Texts()[1].find("database or disk is full"), std::string::npos);
    EXPECT_EQ(DumpBudget(budget, TDumpScope::WithoutJournal), before);

    list->BitBtnApply->click();
    Slide();
    EXPECT_TRUE(list.isNull());
    EXPECT_EQ(StoredCharges(), (std::vector<std::string>{"First 1", "Second 2"}));
    EXPECT_EQ(Newest(), newest + 2);  // the failed one, rolled back, and the one applied
    EXPECT_TRUE(shell.fatalTexts.empty());
}

TEST_F(AutoCharges, TheListDialogsStepsSetItsButtonsItsDateAndItsQuestions) {
    StoreCharge("First", Day(3, 1));
    StoreCharge("Second", Day(3, 10));
    ScopedMessageDlg yes(mrYes);
    Open();
    struct TStep {
        const char* step;
        std::function<void()> act;
        bool edit, apply, cansel, add, clear;
        TDateTime firstChanged;
        std::vector<std::string> questions;
    };
    const std::vector<TStep> steps = {
        {"shown", [] {}, true, false, false, false, false, today + 1, {}},
        {"edit", [&] { list->BitBtnEdit->click(); }, false, false, true, true, true, today + 1, {}},
        {"delete row 2",
         [&] {
             list->SetRow(2);
             list->BitBtnDelRow->click();
         },
         false, true, true, true, true, std::min(today + 1, Day(3, 10)),
         {"Delete the charge \n'Second' ?"}},
        {"cansel", [&] { list->BitBtnCansel->click(); }, true, false, false, false, false,
         today + 1, {"Drop the changes? "}},
        {"edit again", [&] { list->BitBtnEdit->click(); }, false, false, true, true, true,
         today + 1, {}},
        {"clear", [&] { list->BitBtnClear->click(); }, false, true, true, true, true,
         std::min(today + 1, Day(3, 1)), {"Delete every charge of the list? "}},
    };
    size_t asked = 0;
    for (const TStep& s : steps) {
        s.act();
        Slide();
        EXPECT_EQ(list->BitBtnEdit->isEnabled(), s.edit) << s.step;
        EXPECT_EQ(list->BitBtnApply->isEnabled(), s.apply) << s.step;
        EXPECT_EQ(list->BitBtnCansel->isEnabled(), s.cansel) << s.step;
        EXPECT_EQ(list->BitBtnAdd->isEnabled(), s.add) << s.step;
        EXPECT_EQ(list->BitBtnClear->isEnabled(), s.clear) << s.step;
        EXPECT_EQ(list->FirstChangedDate, s.firstChanged) << s.step;
        EXPECT_EQ(list->GridLeft(), s.edit ? 3 : 32) << s.step;
        const std::vector<std::string> texts = yes.Texts();
        EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<long>(asked), texts.end()),
                  s.questions)
            << s.step;
        asked = texts.size();
    }
    // The cleared list shows one empty row; the popup offers only the addition.
    EXPECT_EQ(GridNames(), (std::vector<std::string>{""}));
    list->PMenuChargesPopup();
    EXPECT_TRUE(list->AddCharge->isEnabled());
    EXPECT_FALSE(list->EditCharge->isEnabled());
    EXPECT_FALSE(list->DelCharge->isEnabled());
    list->close();
    FreeClosed();
    EXPECT_EQ(Newest(), 0);
}

TEST_F(AutoCharges, DeletingTheLastRowSelectsTheNewLastAndAPastRowChangesNothing) {
    StoreCharge("First", Day(3, 1));
    StoreCharge("Second", Day(3, 10));
    ScopedMessageDlg yes(mrYes);
    Open();
    list->BitBtnEdit->click();
    Slide();
    // A current row past the shown charges (deleted charges still counted in the list).
    list->Charges[0].State = 'd';
    list->ShowCharges();
    list->StringGridItems->setRowCount(2);  // a stale row the grid still has
    list->StringGridItems->setCurrentCell(1, 1);
    list->BitBtnDelRow->click();
    EXPECT_EQ(list->Charges[1].State, 'i');
    list->SetRow(1);
    list->BitBtnDelRow->click();
    EXPECT_EQ(GridNames(), (std::vector<std::string>{""}));
    EXPECT_EQ(list->Row(), 1);
    EXPECT_TRUE(list->RichEditDetail->toPlainText().isEmpty());
    list->close();
}

TEST_F(AutoCharges, TheGridShowsValuesActivityAndTheDetailOfTheSelectedCharge) {
    const int idAlg = StoreAlgorithmCharge("Power", "power use");
    TCharge passive;
    passive.Pay = kPay;
    passive.Name = "Water";
    passive.Activity = "P";
    passive.RestrictTime = "L";
    passive.DateBegin = Day(2, 1);
    passive.DateEnd = Day(6, 30);
    passive.IDSchedule = AddSchedule('W');
    AddCharge(passive);
    {
        TBudgetTable algorithms(tbl::Algorithms, true, Where(fld::ID) == idAlg);
        algorithms.Edit();
        algorithms.FieldByName(fld::Valid).SetValue(0);
        algorithms.Post();
    }
    Open();
    EXPECT_EQ(list->RowKinds, "IC");
    const QTableWidget& grid = *list->StringGridItems;
    EXPECT_EQ(ToStdString(grid.item(0, 5)->text()), "[error]");
    EXPECT_EQ(ToStdString(grid.item(0, 4)->text()), "unlimited");
    EXPECT_EQ(ToStdString(grid.item(1, 2)->text()), "passive");
    EXPECT_EQ(ToStdString(grid.item(1, 4)->text()), DateToStr(Day(6, 30)));
    EXPECT_NE(grid.item(1, 1)->foreground().color(), grid.item(0, 1)->foreground().color());
    EXPECT_EQ(ToStdString(list->LabelFor->text()), "of the pay 'Flat'");
    const std::string detail = ToStdString(list->RichEditDetail->toPlainText());
    EXPECT_NE(detail.find("Name: Power"), std::string::npos) << detail;
    EXPECT_NE(detail.find("Value: algorithm 'power use'"), std::string::npos) << detail;
    list->close();
}

// An amount of twelve characters shows whole: its column widens and the name's column gives up
// the room, so that the first six columns still fill the grid's width.
TEST_F(AutoCharges, ALongAmountWidensItsColumnAndTheNameGivesWay) {
    TCharge charge;
    charge.Pay = kPay;
    charge.ConstValue = "-123456789.12";
    AddCharge(charge);
    Open();
    QCoreApplication::processEvents();
    QTableWidget& grid = *list->StringGridItems;
    EXPECT_GE(grid.columnWidth(5), NeededWidth(grid, 5));
    int shown = 0;
    for (int column = 0; column < 6; ++column) shown += grid.columnWidth(column);
    EXPECT_EQ(shown, grid.viewport()->width() - 7);
    list->close();
}

TEST_F(AutoCharges, ExitAsksOnlyAboutChangesMadeInEditMode) {
    StoreCharge("First", Day(3, 1));
    // answer -> the dialog closed
    for (const int answer : {mrNo, mrYes}) {
        ScopedMessageDlg answers(answer);
        Open();
        list->BitBtnEdit->click();
        Slide();
        list->BtnExit->click();  // no change yet: closes at once
        FreeClosed();
        EXPECT_TRUE(list.isNull());
        EXPECT_TRUE(answers.Calls().empty());
        Open();
        list->BitBtnEdit->click();
        {
            ScopedMessageDlg yes(mrYes);
            list->BitBtnClear->click();
        }
        list->BtnExit->click();
        FreeClosed();
        EXPECT_EQ(answers.Texts(), (std::vector<std::string>{"Drop the changes? "}));
        EXPECT_EQ(list.isNull(), answer == mrYes);
        if (list) list->close();
        FreeClosed();
    }
    EXPECT_EQ(StoredCharges().size(), 1u);
}

TEST_F(AutoCharges, AnEditorLeftWithExitStillEnablesApplyWhichWritesTheListUnchanged) {
    StoreCharge("Rent", Day(3, 1));
    StoreAlgorithmCharge("Power", "power use");
    ScopedMessageDlg yes(mrYes);
    Open();
    QTest::keyClick(list, Qt::Key_F4);  // nothing to apply yet
    EXPECT_EQ(yes.Calls().size(), 0u);
    QTest::keyClick(list, Qt::Key_F3);
    EXPECT_TRUE(list->EditMode);
    Slide();
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    list->BitBtnAdd->click();
    EXPECT_TRUE(list->BitBtnApply->isEnabled());
    QTest::keyClick(list, Qt::Key_F4);
    Slide();
    EXPECT_TRUE(list.isNull());
    const int n = Newest();
    EXPECT_EQ(Ints(n, 1, 3), (std::vector<int>{6010, 2, 2}));
    EXPECT_EQ(TTransReader(n).Date(1), today + 1);
    // The same charges again, the algorithm stored anew and named by its charge.
    EXPECT_EQ(CountRows(tbl::PayAutoCharges), 2);
    EXPECT_EQ(CountRows(tbl::Algorithms), 1);
    EXPECT_EQ(CountRows(tbl::PayAutoCharges,
                        Where(fld::IDAlg) ==
                            TBudgetTable(tbl::Algorithms).FieldByName(fld::ID).AsInteger()),
              1);
}

TEST_F(AutoCharges, WithoutLanguageFilesTheDialogsShowEmptyTextsAndStillWork) {
    shell.state.LangPath = folders.Root() + "/nolang/";
    std::filesystem::create_directories(shell.state.LangPath);
    StoreCharge("Rent", Day(3, 1));
    ScopedMessageDlg yes(mrYes);
    Open();
    EXPECT_EQ(ToStdString(list->LabelFor->text()), " 'Flat'");
    list->BitBtnEdit->click();
    OpenEditor('A');
    EXPECT_EQ(ToStdString(editor->EditName->text()), " 2");
    EditorOk();
    list->SetRow(1);
    list->BitBtnDelRow->click();
    list->BitBtnApply->click();
    Slide();
    EXPECT_EQ(yes.Texts(), (std::vector<std::string>{" \n'Rent' ?", " "}));
    ASSERT_EQ(StoredCharges().size(), 1u);
    EXPECT_EQ(StoredCharges()[0].substr(0, 3), " 2 ");
}

TEST_F(AutoCharges, TheListAndTheEditorOpenTheirHelpTopicsAlsoWithF1) {
    RecordedHelp help(shell.state.LangPath);
    Open();
    QTest::keyClick(list, Qt::Key_F1);
    OpenEditor('A');
    QTest::keyClick(editor, Qt::Key_F1);
    editor->ButtonHelp->click();
    EXPECT_EQ(help.Topics(), (std::vector<std::string>{"2510", "2511", "2511"}));
    editor->close();
    list->close();
}

// ---- The editor

TEST_F(AutoCharges, ANewChargeIsProposedPassiveConstantFromTodayWithoutEnd) {
    StoreCharge("One", Day(3, 1));
    StoreCharge("Two", Day(3, 2));
    StoreCharge("Three", Day(3, 3));
    Open();
    list->Charges[1].State = 'd';
    OpenEditor('A');
    EXPECT_EQ(ToStdString(editor->EditName->text()), "Charge 4");
    EXPECT_TRUE(editor->BitBtnOK->isEnabled());
    EXPECT_FALSE(editor->DTPickerDateEnd->isEnabled());
    EXPECT_EQ(ToStdString(editor->LabelFor->text()), "of the pay 'Flat'");
    KeepScreenshot(editor->grab().toImage(), "editor.png");
    Schedule expected;
    SetDefaultSchedule(expected);
    EXPECT_EQ(ToStdString(editor->RichEditSchedule->toPlainText()), DescribeSchedule(expected));
    EditorOk();
    const AutoChargeInfo& added = list->Charges.back();
    EXPECT_EQ(added.Name, "Charge 4");
    EXPECT_FALSE(added.Active);
    EXPECT_FALSE(added.Restricted);
    EXPECT_EQ(added.DateBegin, today);
    EXPECT_EQ(added.DateEnd, EncodeDate(2110, 1, 19));
    EXPECT_EQ(added.ItemType, 'C');
    EXPECT_EQ(added.ConstValue, "0");
    EXPECT_EQ(added.State, 'a');
    EXPECT_EQ(EncodeMonthesDays(added.Schedule), EncodeMonthesDays(expected));
    list->close();
}

// A name and a description of sixty characters show whole in their fields, in both kinds of
// value, and the pay's long name above them.
TEST_F(AutoCharges, TheEditorShowsALongNameAndDescriptionWhole) {
    AddPay(2, "Stromabschlag Ferienwohnung Ostseeküste, Zähler 2 im Keller");
    Open();
    editor = new TfAutoChargeChange(*list);
    editor->Mode = 'A';
    editor->IDPay = 2;
    editor->show();
    const std::pair<QLineEdit*, const char*> cases[] = {
        {editor->EditName, "Abschlag Fernwärme Wohnung Müller-Kowalczyk, 3. Obergeschoss"},
        {editor->EditDescript, "Monatlicher Abschlag laut Vertrag mit den Stadtwerken Kassel"}};
    for (const bool algorithm : {false, true}) {
        if (algorithm) editor->RadioButtonTypeAlg->click();
        for (const auto& [field, text] : cases) {
            field->setText(QString::fromUtf8(text));
            QCoreApplication::processEvents();
            EXPECT_TRUE(ShowsWhole(*field)) << text << " " << algorithm;
        }
        EXPECT_EQ(CutLabels(*editor), std::vector<std::string>{}) << algorithm;
    }
    editor->reject();
    FreeClosed();
    list->close();
}

TEST_F(AutoCharges, AConstantIsNormalisedButNeverRounded) {
    Open();
    // typed -> stored, "," for the separator
    const std::pair<const char*, const char*> cases[] = {
        {"0012,500", "12,5"}, {"1,005", "1,005"}, {"", "0"}};
    for (const auto& [typed, stored] : cases) {
        OpenEditor('A');
        editor->EditConstValue->setText(ToQString(Decimal(typed)));
        EditorOk();
        EXPECT_EQ(list->Charges.back().ConstValue, Decimal(stored)) << typed;
    }
    list->close();
}

TEST_F(AutoCharges, MovingAnEditedChargesBeginLowersTheFirstChangedDateToTheEarlierDay) {
    // old begin, new begin -> FirstChangedDate (it was tomorrow)
    const struct {
        TDateTime from, to, first;
    } cases[] = {{Day(3, 10), Day(3, 20), Day(3, 10)}, {Day(3, 20), Day(3, 10), Day(3, 10)}};
    for (const auto& c : cases) {
        DeleteRows(tbl::PayAutoCharges);
        StoreCharge("Rent", c.from);
        Open();
        list->SetRow(1);
        OpenEditor('E');
        EXPECT_FALSE(editor->BitBtnOK->isEnabled());
        editor->DTPickerDateBegin->setDate(ToQDate(c.to));
        EXPECT_TRUE(editor->BitBtnOK->isEnabled());
        EditorOk();
        EXPECT_EQ(list->FirstChangedDate, c.first);
        EXPECT_EQ(list->Charges[0].State, 'e');
        EXPECT_EQ(list->Charges[0].DateBegin, c.to);
        list->close();
        FreeClosed();
    }
}

TEST_F(AutoCharges, TheAlgorithmIsNamedAfterTheChargeUntilTheUserRenamesIt) {
    Open();
    OpenEditor('A');
    editor->EditName->setText(QStringLiteral("Rent"));
    editor->RadioButtonTypeAlg->click();
    EXPECT_EQ(editor->Algorithm.Name, "Charge 'Rent'");
    EXPECT_EQ(ToStdString(editor->BitBtnAlg->text()), "Charge 'Rent'");
    EXPECT_FALSE(editor->EditConstValue->isVisibleTo(editor));
    // Edited without a new name, then constant and algorithm again: the default once more.
    editor->Algorithm.Text = "[V001()] = 1";
    editor->RadioButtonTypeConst->click();
    editor->RadioButtonTypeAlg->click();
    EXPECT_TRUE(editor->Algorithm.Text.empty());
    // A date change renames a derived name.
    editor->EditName->setText(QStringLiteral("Gas"));
    editor->DTPickerDateBegin->setDate(ToQDate(Day(4, 1)));
    EXPECT_EQ(editor->Algorithm.Name, "Charge 'Gas'");
    // A name the user gave stays, and so does the algorithm.
    editor->Algorithm.Name = std::string(40, 'w');
    editor->AlgName = editor->Algorithm.Name;
    editor->AlgRenamed = true;
    editor->Algorithm.Text = "[V001()] = 2";
    editor->RadioButtonTypeConst->click();
    editor->RadioButtonTypeAlg->click();
    editor->DTPickerDateBegin->setDate(ToQDate(Day(4, 2)));
    EXPECT_EQ(editor->Algorithm.Text, "[V001()] = 2");
    EXPECT_EQ(editor->Algorithm.Name, std::string(40, 'w'));
    EditorOk();
    EXPECT_EQ(list->Charges.back().Algorithm.Name, std::string(40, 'w'));
    EXPECT_EQ(list->Charges.back().ItemType, 'A');
    EXPECT_TRUE(list->Charges.back().ConstValue.empty());
    list->close();
}

// The algorithm button opens the editor for the charge's first day; a name given there counts
// as the user's.
TEST_F(AutoCharges, TheAlgorithmButtonOpensTheEditor) {
    Open();
    OpenEditor('A');
    editor->EditName->setText(QStringLiteral("Rent"));
    editor->RadioButtonTypeAlg->click();
    editor->DTPickerDateBegin->setDate(ToQDate(Day(4, 7)));
    editor->BitBtnOK->setEnabled(false);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* calculation = qobject_cast<TfCalculation*>(QApplication::activeModalWidget());
        ASSERT_NE(calculation, nullptr);
        seen = true;
        EXPECT_EQ(calculation->DateTimePDateCalc->date(), ToQDate(Day(4, 7)));
        calculation->BitBtnEdit->click();
        calculation->StringGridTitle->item(0, 1)->setText(QStringLiteral("Rent rule"));
        calculation->TypeText("[V001()] = 5");
        const ScopedMessageDlg yes(mrYes);
        calculation->BitBtnOKClick();
    });
    editor->BitBtnAlg->click();
    ASSERT_TRUE(seen);
    EXPECT_EQ(editor->Algorithm.Text, "[V001()] = 5");
    EXPECT_TRUE(editor->AlgRenamed);
    EXPECT_EQ(ToStdString(editor->BitBtnAlg->text()), "Rent rule");
    EXPECT_TRUE(editor->BitBtnOK->isEnabled());
    list->close();
}

TEST_F(AutoCharges, AnEditedChargesOwnAlgorithmKeepsItsNameWhenTheDateChanges) {
    StoreAlgorithmCharge("Power", "power use");
    Open();
    OpenEditor('E');
    EXPECT_EQ(ToStdString(editor->BitBtnAlg->text()), "power use");
    editor->DTPickerDateBegin->setDate(ToQDate(Day(5, 1)));
    EditorOk();
    EXPECT_EQ(list->Charges[0].Algorithm.Name, "power use");
    EXPECT_EQ(list->Charges[0].Algorithm.Text, "[V001()] = 5");
    list->close();
}

TEST_F(AutoCharges, OnlyAScheduleLeftWithOkChangesTheScheduleAndEnablesOk) {
    StoreCharge("Rent", Day(3, 1));
    Open();
    // the schedule dialog's button -> OK enabled, priority afterwards
    const struct {
        bool ok;
        int priority;
    } cases[] = {{false, 5}, {true, 9}};
    for (const auto& c : cases) {
        OpenEditor('E');
        QTimer::singleShot(0, [&] {
            auto* schedule = qobject_cast<TfSchedule*>(QApplication::activeModalWidget());
            if (!schedule) return QApplication::activeModalWidget()->close(), void();
            schedule->TrackBarPriority->setValue(9);
            (c.ok ? schedule->BitBtnOK : schedule->BtnExit)->click();
        });
        editor->ButtonScheduleClick();
        EXPECT_EQ(editor->BitBtnOK->isEnabled(), c.ok);
        EXPECT_EQ(editor->Schedule.Priority, c.priority);
        editor->close();
        FreeClosed();
    }
    list->close();
}

TEST_F(AutoCharges, ASecondOkAppendsNothing) {
    Open();
    OpenEditor('A');
    editor->BitBtnOKClick();
    editor->BitBtnOKClick();
    FreeClosed();
    EXPECT_EQ(list->Charges.size(), 1u);
    list->close();
}

}  // namespace

namespace {

// The number of pixels of the region that differ from its top left pixel.
int Marked(const QImage& image, const QRect& region) {
    int marked = 0;
    const QRgb ground = image.pixel(region.topLeft());
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) marked += image.pixel(x, y) != ground;
    return marked;
}

TEST_F(AutoCharges, InEditModeTheGridUncoversTheRowButtonsBesideTheSelectedRow) {
    StoreCharge("Rent", Day(3, 1));
    StoreCharge("Water", Day(3, 5));
    Open();
    list->resize(828, 442);
    list->SetRow(2);
    const QImage view = list->grab().toImage();
    list->BitBtnEdit->click();
    Slide();
    list->SetRow(2);
    const QImage edit = list->grab().toImage();
    KeepScreenshot(view, "autocharges-view.png");
    KeepScreenshot(edit, "autocharges-edit.png");
    // The strip left of the grid: covered by the grid in view mode, showing the buttons beside
    // row 2 in edit mode.
    const QPoint strip = list->PanelGrid->mapTo(list.data(), QPoint(4, 0));
    const QRect buttons(strip.x(), list->PanelGrid->mapTo(list.data(), list->BitBtnEditRow->pos()).y(),
                        24, 19);
    EXPECT_TRUE(list->BitBtnEditRow->isVisible());
    EXPECT_EQ(list->GridLeft(), 32);
    const int rowTop = list->StringGridItems->rowViewportPosition(1) +
                       list->StringGridItems->viewport()->y();
    EXPECT_EQ(list->BitBtnEditRow->y(), rowTop);
    EXPECT_GT(Marked(edit, buttons), 20);
    EXPECT_GT(Marked(view, QRect(strip.x(), buttons.y(), 24, 19)), 0);  // the grid's cells
    list->close();
}

TEST_F(AutoCharges, TheScheduleDialogShowsTheMonthsPanelAndTheBoldPriority) {
    Schedule record;
    SetDefaultSchedule(record);
    bool confirmed = false;
    QPointer<TfSchedule> dialog = new TfSchedule(nullptr);
    dialog->ChargeName = "Rent";
    dialog->Target = &record;
    dialog->Confirmed = &confirmed;
    dialog->resize(640, 480);
    dialog->show();
    const QImage image = dialog->grab().toImage();
    KeepScreenshot(image, "schedule.png");
    const QRect months(dialog->PanelByMonth->mapTo(dialog.data(), QPoint(0, 0)),
                       dialog->PanelByMonth->size());
    EXPECT_GT(Marked(image, months), 500);  // boxes and day lists drawn
    EXPECT_TRUE(dialog->LabelPrty[4]->font().bold());
    dialog->close();
}

// The charge's first and last days are the days typed.
TEST_F(AutoCharges, TheEditorsDaysAreTheDaysTyped) {
    Open();
    OpenEditor('A');
    ExpectTypedDatesTaken(*editor->DTPickerDateBegin);
    editor->CheckBoxNotRestrict->setChecked(false);
    ASSERT_TRUE(editor->DTPickerDateEnd->isEnabled());
    ExpectTypedDatesTaken(*editor->DTPickerDateEnd);
    editor->close();
    list->close();
}

}  // namespace
