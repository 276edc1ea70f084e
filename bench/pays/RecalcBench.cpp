// Building the calendar and recalculating a budget of 200 pays over 10 years, against writing
// the same Calendar and PayHistory rows directly with SQLite in one transaction.
//
// Each pay has a monthly constant charge and a monthly payment; 20 of them also a daily charge,
// 10 a monthly charge computed by an algorithm that reads two numbers and the pay's balance.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <chrono>
#include <clocale>
#include <string>
#include <vector>

#include "algorithms/Ugetdata.h"
#include "common/FakeShellServices.h"
#include "common/SourceDatum.h"
#include "common/TestFolders.h"
#include "pays/Uscheduler.h"
#include "schema/SchemaNames.h"
#include "store/BenchBudget.h"
#include "store/U_dm.h"

namespace {

constexpr int kPays = 200;
constexpr int kDailyPays = 20;
constexpr int kAlgorithmPays = 10;
constexpr int kFirstYear = 2015;
constexpr int kYears = 10;
constexpr int kFirstPay = 100;
constexpr int kNumbers[] = {20, 21};

void AddCharge(int pay, const std::string& name, const std::string& itemType,
               const std::string& value, int idAlg, const Schedule& schedule) {
    TBudgetTable charges(tbl::PayAutoCharges, true);
    charges.Append();
    charges.FieldByName(fld::ID).SetAsInteger(pay);
    charges.FieldByName(fld::Name).SetAsString(name);
    charges.FieldByName(fld::DateBegin).SetAsDateTime(EncodeDate(kFirstYear, 1, 1));
    charges.FieldByName(fld::RestrictTime).SetAsString("U");
    charges.FieldByName(fld::Activity).SetAsString("A");
    charges.FieldByName(fld::ItemType).SetAsString(itemType);
    charges.FieldByName(fld::ConstValue).SetAsString(value);
    charges.FieldByName(fld::IDAlg).SetAsInteger(idAlg);
    charges.FieldByName(fld::IDSchedule).SetAsInteger(SaveSchedule(schedule));
    charges.Post();
}

Schedule Monthly(int day, int priority) {
    Schedule schedule;
    SetDefaultSchedule(schedule);
    schedule.Priority = priority;
    for (ScheduleMonth& month : schedule.Months) month.Day = day;
    return schedule;
}

void FillBudget(TDM& dm) {
    TTransactionScope scope(ShellServices().BudgetPath());
    for (int number : kNumbers) {
        TBudgetTable numbers(tbl::Numbers, true);
        numbers.Append();
        numbers.FieldByName(fld::ID).SetAsInteger(number);
        numbers.FieldByName(fld::DateBegin).SetAsDateTime(EncodeDate(kFirstYear, 1, 1));
        numbers.FieldByName(fld::ItemType).SetAsString("C");
        numbers.FieldByName(fld::ConstValue).SetAsString(number == kNumbers[0] ? "3,25" : "12");
        numbers.Post();
    }
    Schedule daily = Monthly(1, 1);
    daily.Periodicity = 'W';
    TBudgetTable history(tbl::PayHistory, true);
    for (int i = 0; i < kPays; ++i) {
        const int pay = kFirstPay + i;
        AddCharge(pay, "Rent", "C", "450,5", 0, Monthly(5, 5));
        if (i < kDailyPays) AddCharge(pay, "Parking", "C", "1,2", 0, daily);
        if (i < kAlgorithmPays) {
            Algorithm01 algorithm;
            algorithm.Name = "Power";
            algorithm.IDParent = pay;
            algorithm.Text = "[V001()] = [I001()] * [I002()] + [I003()] / 100";
            algorithm.INDataList = {SourceDatum(1, kNumbers[0], kSourceNumber, 0),
                                    SourceDatum(2, kNumbers[1], kSourceNumber, 0),
                                    SourceDatum(3, pay, kSourcePay, 11)};
            AddCharge(pay, "Power", "A", "", dm.SaveAlgorithm(algorithm), Monthly(10, 6));
        }
        for (int year = kFirstYear; year < kFirstYear + kYears; ++year)
            for (int month = 1; month <= 12; ++month) {
                history.Append();
                history.FieldByName(fld::ID).SetAsInteger(pay);
                history.FieldByName(fld::DateEvent).SetAsDateTime(EncodeDate(year, month, 20));
                history.FieldByName(fld::TypeEvent).SetAsString("PY");
                history.FieldByName(fld::NManOper).SetAsInteger(1);
                history.FieldByName(fld::Payment).SetAsString("500");
                history.Post();
            }
    }
    scope.Commit();
}

void BM_RebuildAndRecalculate(benchmark::State& state) {
    TestFolders folders;
    const std::string budget = folders.MakeBudget();
    FakeShellServices shell(folders.UsersDataPath());
    shell.state.BudgetPath = budget;
    shell.state.LangPath = folders.DataPath() + "LangEN/";
    TDM dm;
    dm.PrepareTables(folders.UsersDataPath());
    dm.OpenBudget(budget);
    DM = &dm;
    FillBudget(dm);
    const TDateTime to = EncodeDate(kFirstYear + kYears, 1, 5);

    double rebuild = 0, engine = 0, direct = 0;
    double rows = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        RebuildCalendarEntries(0, to);
        rebuild += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bool stop = false;
        if (!RecalculateBudget(stop, nullptr, nullptr, dm.FirstCalendarDate(), to))
            state.SkipWithError("the recalculation ended early");
        engine += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        sqlite3* db = nullptr;
        sqlite3_open_v2((budget + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        const std::vector<std::pair<std::string, TRows>> tables = {
            {"Calendar", ReadRows(db, "Calendar")}, {"PayHistory", ReadRows(db, "PayHistory")}};
        rows = 0;
        for (const auto& [name, table] : tables) rows += table.values.size() / table.columns;
        direct += WriteDirect(db, tables);
        sqlite3_close(db);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
    state.counters["engine_rows_per_s"] = rows * runs / engine;
    state.counters["direct_rows_per_s"] = rows * runs / direct;
    state.counters["ratio"] = engine / direct;
    state.counters["rebuild_s"] = rebuild / runs;
    state.counters["recalculation_s"] = (engine - rebuild) / runs;
    DM = nullptr;
}
BENCHMARK(BM_RebuildAndRecalculate)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
