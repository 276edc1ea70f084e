// Running algorithms: a 20-line algorithm with a 1,000-iteration loop and a short algorithm
// without a loop, each prepared once per user action (cached) or parsed and checked at every
// calculation (uncached), the cost of the parts of a calculation, and endless loops of growing
// values.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <clocale>
#include <string>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "algorithms/Uq519arithmeticslf.h"

namespace {

// A tariff over 1,000 periods: a loop of 8 lines run 1,000 times, 20 lines in all.
const std::string kLoopAlgorithm =
    "// Tariff over 1000 periods\n"
    "[V001()] = 0 // total\n"
    "[V002()] = 0 // period\n"
    "[V003()] = [I001()] // base tariff\n"
    "[V004()] = [I002()] // step\n"
    "[V005()] = 0 // steps taken\n"
    "Loop: [V002()] = [V002()] + 1\n"
    "if([V002()] > 500) [V006()] = [V003()] + [V004()] * 2\n"
    "else [V006()] = [V003()]\n"
    "[V001()] = [V001()] + [V006()]\n"
    "[V007()] = [V002()] / 4\n"
    "if([V007()] * 4 == [V002()]) [V005()] = [V005()] + 1\n"
    "[V008()] = [V001()] - [V005()] * [V004()]\n"
    "if([V002()] < 1000) goto Loop\n"
    "[V009()] = [V001()] / [V002()]\n"
    "[V010()] = [V008()] * 12 / 100\n"
    "if([V010()] > [V001()]) [V010()] = [V001()]\n"
    "[V011()] = [V009()] + [V010()] - [V005()]\n"
    "[V012()] = [V011()] + [V008()] - [V010()]\n"
    "[V001()] = [V012()] // result";

// An automatic charge: a reading difference times a tariff, with a minimum.
const std::string kShortAlgorithm =
    "[V002()] = [I001()] - [I002()] // consumption\n"
    "[V003()] = [V002()] * [I003()] // charge\n"
    "if([V003()] < 5) [V003()] = 5\n"
    "else [V003()] = [V003()] + 0,75 // fee\n"
    "[V001()] = [V003()]";

ExtData Datum(int n, const std::string& value) {
    ExtData d;
    d.N = n;
    d.IDObject = n;
    d.DataStr = value;
    return d;
}

const TExtDataList kLoopData = {Datum(1, "12,5"), Datum(2, "0,25")};
const TExtDataList kShortData = {Datum(1, "1523,4"), Datum(2, "1490,1"), Datum(3, "0,318")};

std::string Run(const PreparedAlgorithm& program, const TExtDataList& data) {
    std::vector<std::string> vars = NewVariables();
    PrMarker marker;
    RunHooks hooks;
    const Error01 error = RunProgram(vars, 1, program, data, marker, hooks);
    if (error.ErrCode != 0 || !marker.Done) throw std::runtime_error("run failed: " + error.Text);
    return marker.Result;
}

void Cached(benchmark::State& state, const std::string& text, const TExtDataList& data) {
    TPreparedAlgorithms prepared;
    for (auto _ : state) benchmark::DoNotOptimize(Run(*prepared.Get(text, data), data));
}

void Uncached(benchmark::State& state, const std::string& text, const TExtDataList& data) {
    for (auto _ : state) benchmark::DoNotOptimize(Run(PrepareAlgorithm(text, data), data));
}

void BM_LoopAlgorithmCached(benchmark::State& state) {
    Cached(state, kLoopAlgorithm, kLoopData);
}
void BM_LoopAlgorithmUncached(benchmark::State& state) {
    Uncached(state, kLoopAlgorithm, kLoopData);
}
void BM_ShortAlgorithmCached(benchmark::State& state) {
    Cached(state, kShortAlgorithm, kShortData);
}
void BM_ShortAlgorithmUncached(benchmark::State& state) {
    Uncached(state, kShortAlgorithm, kShortData);
}

// Parsing, checking and preparing alone.
void BM_PrepareLoopAlgorithm(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(PrepareAlgorithm(kLoopAlgorithm, kLoopData));
}

// What analysing a line costs; an interpreter doing it at every line executed pays this
// about 8,000 times per run of the loop algorithm.
void BM_AnalyzeStatementPerLine(benchmark::State& state) {
    TProgram01 program = ParseAlgorithm(kLoopAlgorithm);
    CheckAlgorithm(program, kLoopData);
    for (auto _ : state)
        for (const Operator01& op : program) benchmark::DoNotOptimize(AnalyzeStatement(op));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(program.size()));
}

// One expression of the loop, as the interpreter evaluates it.
void BM_EvaluateExpression(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(EvaluateExpression(" 6012,5 - 125 * 0,25"));
}

// Endless loops whose values grow at every pass: a factor with decimals, a square, a division,
// a division added to the value. Each must end at the work limit (error 1040) within 5 s.
const char* const kGrowingLoops[] = {
    "[V001()] = 2\nL: [V001()] = [V001()] * 1,05\ngoto L",
    "[V001()] = 2\nL: [V001()] = [V001()] * [V001()]\ngoto L",
    "[V001()] = 2\nL: [V001()] = [V001()] / 3\ngoto L",
    "[V001()] = 10000\nL: [V001()] = [V001()] + [V001()] / 7\ngoto L",
};

// Runs the text to its end or its error; the passes are the jumps taken plus the first.
Error01 RunCounted(benchmark::State& state, const PreparedAlgorithm& program) {
    std::vector<std::string> vars = NewVariables();
    PrMarker marker;
    RunHooks hooks;
    const Error01 error = RunProgram(vars, 1, program, {}, marker, hooks);
    state.counters["passes"] = marker.GotoCount + 1;
    state.counters["characters"] = static_cast<double>(vars[0].size());
    state.counters["work"] = static_cast<double>(marker.Work);
    return error;
}

void BM_EndlessGrowingLoop(benchmark::State& state) {
    const PreparedAlgorithm program = PrepareAlgorithm(kGrowingLoops[state.range(0)], {});
    for (auto _ : state)
        if (RunCounted(state, program).ErrCode != kErrTooManyDigits)
            throw std::runtime_error("the loop did not stop");
}

// A monthly loan at 7 % a year from 10000 over the given months: without rounding its value
// grows by about 15 digits a month, and the run must give it whole.
void BM_MonthlyLoan(benchmark::State& state) {
    const PreparedAlgorithm program = PrepareAlgorithm(
        "[V001()] = 10000\nL: [V002()] = [V002()] + 1\n"
        "[V001()] = [V001()] + [V001()] * 7 / 1200 - 50\nif([V002()] < " +
            std::to_string(state.range(0)) + ") goto L",
        {});
    for (auto _ : state) {
        const Error01 error = RunCounted(state, program);
        state.counters["error"] = error.ErrCode;
    }
}

BENCHMARK(BM_EndlessGrowingLoop)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthlyLoan)->Arg(360)->Arg(600)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopAlgorithmCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopAlgorithmUncached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShortAlgorithmCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShortAlgorithmUncached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrepareLoopAlgorithm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyzeStatementPerLine);
BENCHMARK(BM_EvaluateExpression);

}  // namespace

int main(int argc, char** argv) {
    // A running application, as in the program: the runs let its events through.
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
