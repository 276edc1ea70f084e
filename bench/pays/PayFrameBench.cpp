// The pay frame showing a pay of 20,000 history rows of every kind in a running budget (its
// view, totals, chart and the first screen painted), against reading the same rows and columns
// with sqlite3; the blocks of rows the grid reads when it scrolls to the end and back; and the
// pay report of every shown row through the shipped one-row-marker template, against one fwrite
// of the report's bytes.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "FrameBenchBudget.h"
#include "pays/U_frpay.h"
#include "platform/TableGridModel.h"
#include "reports/U_reportmake.h"
#include "shell/ImageListTree.h"

namespace {

constexpr int kRows = 20000;
constexpr int kPay = 60;

// The pay and its history, four events a day (a reading, a manual charge, an automatic charge,
// a payment), written directly.
void WritePay(sqlite3* db) {
    Exec(db,
         "INSERT INTO Objects (ID, IDParent, Type, Image, Name, Descript, Expanded) VALUES "
         "(60, 0, 60, 24, 'Power', 'Electricity', 'N')");
    Exec(db, "INSERT INTO Pays (ID, Direction, FilterMode) VALUES (60, 'O', '011110000000000')");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO PayHistory (ID, DateEvent, TypeEvent, Counter, IDCharge, "
                       "PrtyCharge, NManOper, Charge, ForPayment, Payment, CurBalance, Descript) "
                       "VALUES (60, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    const char* types[4] = {"CN", "CH", "CH", "PY"};
    for (int i = 0; i < kRows; ++i) {
        const int kind = i % 4;
        const bool charge = kind == 1 || kind == 2;
        const std::string amount = std::to_string(10 + i % 90) + ".25";
        const std::string balance = std::to_string(i % 300 - 150) + ".5";
        const std::string descript = "event " + std::to_string(i);
        sqlite3_bind_int(insert, 1, 40000 + i / 4);
        sqlite3_bind_text(insert, 2, types[kind], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, kind == 0 ? amount.c_str() : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 4, kind == 2 ? 7 : 0);
        sqlite3_bind_int(insert, 5, kind == 2 ? 5 : 0);
        sqlite3_bind_int(insert, 6, kind == 2 ? 0 : kind + 1);
        sqlite3_bind_text(insert, 7, charge ? amount.c_str() : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, charge ? "0" : "", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 9, kind == 3 ? amount.c_str() : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 10, kind == 0 ? "" : balance.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 11, descript.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
}

class Shown : public TFrameBenchBudget {
public:
    Shown() : TFrameBenchBudget([](const std::string& folder) { WriteDirect(folder, WritePay); }) {
        frame = &RegisterPayFrame(frames, window, icons_, QColor(0x50, 0x50, 0x50), logo_);
        TFrameBenchBudget::Show(*frame, 1000, 600);
    }
    const ObjectInfo& Node() const { return TFrameBenchBudget::Node(kPay); }
    const TTableGridModel& Model() const {
        return *static_cast<const TTableGridModel*>(frame->DBGridPayHistory->model());
    }

    TfrPay* frame = nullptr;

private:
    TImageListTree icons_;
    QImage logo_;
};

void BM_LoadPayOf20000RowsToTheFirstScreen(benchmark::State& state) {
    Shown shown;
    for (auto _ : state) {
        shown.frame->ShowFor(shown.Node());
        benchmark::DoNotOptimize(shown.frame->grab());
        if (shown.Model().rowCount() != kRows) state.SkipWithError("rows missing");
    }
}

// Scrolls the shown grid to its end and back to its start, one screen at each, painting it;
// the counter tells how many blocks of 64 rows the model read for that.
void BM_ScrollToTheEndAndBack(benchmark::State& state) {
    Shown shown;
    shown.frame->ShowFor(shown.Node());
    QScrollBar& bar = *shown.frame->DBGridPayHistory->verticalScrollBar();
    const int before = shown.Model().BlocksRead();
    int scrolls = 0;
    for (auto _ : state) {
        bar.setValue(bar.minimum());
        shown.frame->DBGridPayHistory->viewport()->repaint();
        bar.setValue(bar.maximum());
        shown.frame->DBGridPayHistory->viewport()->repaint();
        ++scrolls;
    }
    state.counters["blocks_per_round_trip"] =
        static_cast<double>(shown.Model().BlocksRead() - before) / scrolls;
    state.counters["rows"] = shown.Model().rowCount();
}

void BM_ReadPayRowsWithSqlite(benchmark::State& state) {
    Shown shown;
    ReadRowsWithSqlite(state, shown.Folder(),
                       "SELECT DateEvent, TypeEvent, Counter, Charge, ForPayment, Payment, "
                       "CurBalance, Descript, IDCharge, N FROM PayHistory WHERE ID = ? "
                       "ORDER BY ID, DateEvent, PrtyCharge, NManOper, N",
                       kPay, kRows, {1, 2, 3, 4, 5, 6, 7});
}

}  // namespace

// The report of the shown pay: its values read from the frame and every row written through the
// template's row file, then the markers stripped.
void BM_PayReportOf20000Rows(benchmark::State& state) {
    Shown shown;
    shown.frame->ShowFor(shown.Node());
    const std::string report = shown.Folder() + "/report.rtf";
    const std::string tlt = std::string(VEMLY_SOURCE_DATA_DIR) + "/Templates/ForPay/PayHistory.tlt";
    for (auto _ : state) {
        const std::unique_ptr<TReportData> data = shown.frame->ReportSource("Power", "Electricity");
        if (data->RowCount() != kRows) state.SkipWithError("rows missing");
        if (MakeReport(tlt, report, {}, *data, nullptr) != kReportMade)
            state.SkipWithError("no report");
    }
}

// The same report's bytes written with one fwrite.
void BM_WriteThePayReportsBytesWithOneFwrite(benchmark::State& state) {
    Shown shown;
    shown.frame->ShowFor(shown.Node());
    const std::string report = shown.Folder() + "/report.rtf";
    const std::string tlt = std::string(VEMLY_SOURCE_DATA_DIR) + "/Templates/ForPay/PayHistory.tlt";
    MakeReport(tlt, report, {}, *shown.frame->ReportSource("Power", "Electricity"), nullptr);
    std::ifstream in(report, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string copy = shown.Folder() + "/copy.rtf";
    for (auto _ : state) {
        FILE* file = std::fopen(copy.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

BENCHMARK(BM_LoadPayOf20000RowsToTheFirstScreen)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollToTheEndAndBack)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPayRowsWithSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PayReportOf20000Rows)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteThePayReportsBytesWithOneFwrite)->Unit(benchmark::kMillisecond);
