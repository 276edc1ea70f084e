// The number frame showing a number of 5,000 constant items offscreen (load, grid, chart, value
// in force and the row in force selected), against reading the same Numbers rows with sqlite3.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QTableView>
#include <clocale>
#include <cstdlib>
#include <string>

#include "FrameBenchBudget.h"
#include "numbers/U_frnumber.h"

namespace {

constexpr int kItems = 5000;
constexpr int kNumber = 50;

// The budget with the number and its items, written directly.
void WriteNumber(sqlite3* db) {
    Exec(db,
         "INSERT INTO Objects (ID, IDParent, Type, Image, Name, Descript, Expanded) VALUES "
         "(50, 0, 50, 48, 'Rate', 'Heating rate', 'N')");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Numbers (ID, DateBegin, ItemType, ConstValue, IDAlg, Descript) "
                       "VALUES (50, ?, 'C', ?, 0, ?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < kItems; ++i) {
        const std::string value = std::to_string(i % 97) + ".25";
        const std::string descript = "item " + std::to_string(i);
        sqlite3_bind_int(insert, 1, 40000 + 2 * i);
        sqlite3_bind_text(insert, 2, value.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, descript.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
}

class Shown : public TFrameBenchBudget {
public:
    Shown() : TFrameBenchBudget([](const std::string& folder) { WriteDirect(folder, WriteNumber); }) {
        frame = &RegisterNumberFrame(frames, window);
        TFrameBenchBudget::Show(*frame, 545, 540);
    }
    const ObjectInfo& Node() const { return TFrameBenchBudget::Node(kNumber); }
    void Paint() { window.repaint(); }

    TfrNumber* frame = nullptr;
};

void BM_ShowNumberOf5000Items(benchmark::State& state) {
    Shown shown;
    for (auto _ : state) {
        shown.frame->ShowFor(shown.Node());
        shown.Paint();
        if (shown.frame->Grid->rowCount() != kItems) state.SkipWithError("items missing");
    }
}

void BM_ReadNumberRowsWithSqlite(benchmark::State& state) {
    Shown shown;
    ReadRowsWithSqlite(state, shown.Folder(),
                       "SELECT DateBegin, ItemType, ConstValue, IDAlg, Descript FROM Numbers "
                       "WHERE ID = ? ORDER BY DateBegin",
                       kNumber, kItems, {2, 4});
}

}  // namespace

BENCHMARK(BM_ShowNumberOf5000Items)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNumberRowsWithSqlite)->Unit(benchmark::kMillisecond);
