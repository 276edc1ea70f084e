// The balances of the open budget and of its folders today.
#include <gtest/gtest.h>

#include "algorithms/SmallBudget.h"
#include "algorithms/Ugetdata.h"

namespace {

constexpr int kFolder = 10;
constexpr int kPay = 60;
constexpr int kTable = 20;

}  // namespace

class Balances : public SmallBudget {
protected:
    Balances() {
        //  1 Home            2 Rent (O, 100)  3 Salary (I, 30)  14 a table
        //    4 Car           5 Repairs
        //                      6 Loan (O, -25,5)
        //  7 Savings (N, 1000)   8 Empty   21 Neutral: 22 Cash (N, 5)
        //  11 Future (O, events after today only)   13 Loose: 12 a pay without a Pays row
        AddObject(1, 0, kFolder, "Home");
        AddPay(2, 1, "Out", "100");
        AddPay(3, 1, "In", "30");
        AddObject(14, 1, kTable, "Notes");
        AddObject(4, 1, kFolder, "Car");
        AddObject(5, 4, kFolder, "Repairs");
        AddPay(6, 5, "O", "-25,5");
        AddPay(7, 0, "N", "1000");
        AddObject(8, 0, kFolder, "Empty");
        AddObject(21, 0, kFolder, "Neutral");
        AddPay(22, 21, "Neutral", "5");
        AddObject(11, 0, kPay, "Future");
        AddRow("Pays.db", {{"ID", 11}, {"Direction", "O"}});
        AddEvent(11, Today() + 10, "CH", "50", "-50");
        AddObject(13, 0, kFolder, "Loose");
        AddObject(12, 13, kPay, "Stray");
        AddEvent(12, Today() - 1, "PY", "7", "7");
    }

    // A pay object with its Pays.db row and one payment yesterday leaving the balance.
    void AddPay(int id, int parent, const char* direction, const char* balance) {
        AddObject(id, parent, kPay, "Pay " + std::to_string(id));
        AddRow("Pays.db", {{"ID", id}, {"Direction", direction}});
        AddEvent(id, Today() - 3, "CH", "1", "-1");
        AddEvent(id, Today() - 1, "PY", "2", balance);
    }
};

TEST_F(Balances, AddOutgoingAndSubtractIncomingPaysAtAnyDepth) {
    EXPECT_EQ(CalcTotalBalance(), Decimal("44,5"));  // 100 - 30 - 25,5
    EXPECT_EQ(CalcFolderBalance(1), Decimal("44,5"));
    EXPECT_EQ(CalcFolderBalance(4), Decimal("-25,5"));  // two folders deep
    EXPECT_EQ(CalcFolderBalance(5), Decimal("-25,5"));
    EXPECT_EQ(CalcFolderBalance(0), Decimal("44,5"));  // the top level
    EXPECT_EQ(CalcFolderBalance(8), "0");              // no pays
    EXPECT_EQ(CalcFolderBalance(21), "0");             // neutral pays only
    EXPECT_EQ(CalcFolderBalance(13), "0");             // a pay without its row counts as neutral
    EXPECT_EQ(CalcFolderBalance(99), "0");
}

TEST_F(Balances, ComeOutExactAndLeaveThePaysTableAsItWas) {
    AddPay(15, 1, "O", "0,1");
    AddPay(16, 1, "O", "0,2");
    dm.TablePays.SetFilter(Where("ID") == 3);
    dm.TablePays.SetFiltered(true);
    EXPECT_EQ(CalcTotalBalance(), Decimal("44,8"));
    EXPECT_EQ(dm.TablePays.Filter(), Where("ID") == 3);
    EXPECT_TRUE(dm.TablePays.Filtered());
    EXPECT_TRUE(dm.TablePays.Active());
    EXPECT_EQ(dm.TablePays.RecordCount(), 1);
    EXPECT_EQ(CalcFolderBalance(1), Decimal("44,8"));
    EXPECT_EQ(dm.TablePays.Filter(), Where("ID") == 3);
}

TEST_F(Balances, OfABudgetWithoutPaysAreZero) {
    TestFolders other;
    shell.state.BudgetPath = other.MakeBudget();
    for (TTable* table : {&dm.TablePays, &dm.TableObjects}) {
        table->Close();
        table->SetDatabaseName(shell.state.BudgetPath);
        table->Open();
    }
    EXPECT_EQ(CalcTotalBalance(), "0");
    EXPECT_EQ(CalcFolderBalance(0), "0");
}

// Folders whose parents run in a circle (a damaged tree) are each summed once, instead of the
// recursion running until the stack overflows.
TEST_F(Balances, SumEachFolderOnceWhenTheTreeRunsInACircle) {
    AddObject(30, 31, kFolder, "Ring A");
    AddObject(31, 30, kFolder, "Ring B");
    AddPay(32, 31, "O", "9");
    AddObject(33, 33, kFolder, "Own parent");
    AddPay(34, 33, "I", "4");
    EXPECT_EQ(CalcFolderBalance(30), "9");
    EXPECT_EQ(CalcFolderBalance(31), "9");
    EXPECT_EQ(CalcFolderBalance(33), "-4");
}

// A stored balance that is no number is reported to the caller (the top level shows it) instead
// of being counted as anything.
TEST_F(Balances, RefuseAStoredBalanceThatIsNoNumber) {
    AddPay(17, 8, "O", "12..5");
    EXPECT_THROW(CalcTotalBalance(), EDataSourceError);
    EXPECT_THROW(CalcFolderBalance(8), EDataSourceError);
    EXPECT_TRUE(dm.TablePays.Active());
}
