// Calculating a 5-line algorithm that reads two numbers and a pay on a small budget, 10,000
// times: with the algorithm prepared once per user action (100 calculations), prepared at every
// calculation, and the parts of a calculation (parsing and checking, fetching the data) alone.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "algorithms/Ugetdata.h"
#include "common/FakeShellServices.h"
#include "common/SourceDatum.h"
#include "common/TestFolders.h"
#include "schema/SchemaNames.h"
#include "store/U_dm.h"

namespace {

constexpr int kBaseReading = 20;  // a number with one constant item
constexpr int kTariff = 21;       // a number with two constant items
constexpr int kMeter = 22;        // a pay with a year of monthly readings, charges and payments

// An automatic charge: the consumption since the base reading times the tariff, with a minimum
// and a fee.
const std::string kText =
    "[V002()] = [I003()] - [I001()]   // consumption\n"
    "if([V002()] < 0) [V002()] = 0\n"
    "[V003()] = [V002()] * [I002()]   // charge\n"
    "if([V003()] < 5) [V003()] = 5\n"
    "[V001()] = [V003()] + 0,75   // fee";

const TDateTime kDate = EncodeDate(2024, 11, 20);

void AddRow(const char* file, const std::vector<std::pair<const char*, TFieldValue>>& values) {
    TBudgetTable table(file, true, {}, "");
    table.Append();
    for (const auto& [field, value] : values) table.FieldByName(field).SetValue(value);
    table.Post();
}

// The program's folders with one budget open in the data module, as the main window holds it.
class SmallBudget {
public:
    SmallBudget() {
        shell_.state.BudgetPath = budget_;
        shell_.state.LangPath = folders_.DataPath() + "LangEN/";
        for (TTable* table : dm_.BudgetTables()) {
            table->SetDatabaseName(budget_);
            table->SetIndexName(table == &dm_.TablejTrans ? idx::Index_NTrans : idx::Index01);
            table->Open();
        }
        DM = &dm_;
        AddRow(tbl::Objects, {{"ID", kBaseReading}, {"Type", kSourceNumber}, {"Name", "Base"}});
        AddRow(tbl::Objects, {{"ID", kTariff}, {"Type", kSourceNumber}, {"Name", "Tariff"}});
        AddRow(tbl::Objects, {{"ID", kMeter}, {"Type", kSourcePay}, {"Name", "Electricity"}});
        AddItem(kBaseReading, EncodeDate(2024, 1, 1), "1490,1");
        AddItem(kTariff, EncodeDate(2024, 1, 1), "0,29");
        AddItem(kTariff, EncodeDate(2024, 3, 1), "0,318");
        for (int month = 1; month <= 12; ++month) {
            const std::string reading = std::to_string(1490 + 35 * month) + ",4";
            AddEvent(EncodeDate(2024, month, 3), "CN", "Counter", reading, "");
            AddEvent(EncodeDate(2024, month, 5), "CH", "Charge", "11,2", "-11,2");
            AddEvent(EncodeDate(2024, month, 20), "PY", "Payment", "11,2", "0");
        }
        algorithm.Name = "Electricity charge";
        algorithm.Text = kText;
        algorithm.INDataList = {SourceDatum(1, kBaseReading, kSourceNumber, 0),
                                SourceDatum(2, kTariff, kSourceNumber, 0),
                                SourceDatum(3, kMeter, kSourcePay, 1)};
    }
    ~SmallBudget() { DM = nullptr; }

    Algorithm01 algorithm;

private:
    static void AddItem(int number, TDateTime begin, const char* value) {
        AddRow(tbl::Numbers,
               {{"ID", number}, {"DateBegin", begin}, {"ItemType", "C"}, {"ConstValue", value}});
    }
    static void AddEvent(TDateTime date, const char* type, const char* field,
                         const std::string& amount, const char* balance) {
        AddRow(tbl::PayHistory, {{"ID", kMeter},
                                 {"DateEvent", date},
                                 {"TypeEvent", type},
                                 {field, amount},
                                 {"CurBalance", balance}});
    }

    TestFolders folders_;
    const std::string budget_ = folders_.MakeBudget();
    FakeShellServices shell_{folders_.UsersDataPath()};
    TDM dm_;
};

void Check(const Error01& outcome) {
    if (outcome.ErrCode != 0 || outcome.Text.empty())
        throw std::runtime_error("calculation failed: " + std::to_string(outcome.ErrCode));
}

// One user action runs 100 calculations (the most it may), preparing the algorithm once.
void BM_FiveLinesCached(benchmark::State& state) {
    SmallBudget budget;
    ResetGlobalErrors();
    int inAction = 0;
    for (auto _ : state) {
        if (++inAction > kMaxCalculations) {
            ResetGlobalErrors();
            inAction = 1;
        }
        Check(CalculateAlgorithm(kDate, budget.algorithm));
    }
    ResetGlobalErrors();
}

// Every calculation parses and checks the algorithm again.
void BM_FiveLinesUncached(benchmark::State& state) {
    SmallBudget budget;
    for (auto _ : state) {
        ResetGlobalErrors();
        Check(CalculateAlgorithm(kDate, budget.algorithm));
    }
    ResetGlobalErrors();
}

// The parts: parsing and checking; fetching the three data.
void BM_FiveLinesPrepare(benchmark::State& state) {
    SmallBudget budget;
    for (auto _ : state)
        benchmark::DoNotOptimize(PrepareAlgorithm(kText, budget.algorithm.INDataList));
}

void BM_FiveLinesFetchData(benchmark::State& state) {
    SmallBudget budget;
    TExtDataList data = budget.algorithm.INDataList;
    for (auto _ : state) FillExtDataValues(data, kDate, budget.algorithm.Name);
}

BENCHMARK(BM_FiveLinesCached)->Iterations(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FiveLinesUncached)->Iterations(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FiveLinesPrepare)->Iterations(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FiveLinesFetchData)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
