// A template with one row marker filled with 10,000 rows through the fill engine (open, a
// text value at every label, the row file once per row, close, strip), against writing the
// report's finished bytes with one fwrite.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "reports/U_rtfreport.h"

namespace {

constexpr int kRows = 10000;

// A source document as a word processor saves it: a heading with the pay's name, then a
// table whose one row holds the row's number, date and description.
constexpr const char* kSource =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}}\n"
    "\\pard\\plain\\f0\\fs28 Pay report: RptStr.B.000.E.PaySName\\par\n"
    "\\pard RptTxt.B.000.S.StartTbl\\par\n"
    "{\\trowd\\trgaph108\\cellx1000\\cellx3000\\cellx9000\n"
    "\\pard\\intbl RptStr.B.000.S.All_NRow\\cell RptStr.B.010.S.PayD_Dat\\cell "
    "RptStr.B.000.S.PayD_Add\\cell \\row }\n"
    "\\pard\\par Made RptStr.B.000.S.All_Date\\par\n}";

class TReportFolder {
public:
    TReportFolder() {
        char name[] = "/tmp/vemly-report-bench-XXXXXX";
        path_ = mkdtemp(name);
        std::ofstream(path_ / "source.rtf", std::ios::binary) << kSource;
        CompileTemplateWord((path_ / "source.rtf").string(), Template(), "Pay", "", "source.rtf",
                            "RowsInFile=0;ObjectType=60;");
    }
    ~TReportFolder() { std::filesystem::remove_all(path_); }

    std::string Template() const { return (path_ / "Report60_1.tlt").string(); }
    std::string Report() const { return (path_ / "report.rtf").string(); }
    std::string Copy() const { return (path_ / "copy.rtf").string(); }

private:
    std::filesystem::path path_;
};

std::string RowValue(const TRTFReportRow& label, int row) {
    if (label.Ident == "All_NRow") return std::to_string(row);
    if (label.Ident == "PayD_Dat") return "01.02.2024";
    if (label.Ident == "PayD_Add")
        return "Payment for electricity {meter " + std::to_string(row) + "}";
    return "Electricity";
}

// The report as a generator writes it.
void FillReport(const TReportFolder& folder) {
    TRTFReportLbl lbl;
    lbl.Path = folder.Template();
    lbl.OutPath = folder.Report();
    for (int result = OpenReportTemplate(lbl); result == kLabelFound;
         result = NextReportLabel(lbl)) {
        if (lbl.Kind == 1)
            WriteReportText(lbl.OutFile.get(), RowValue(lbl, 0), lbl.Number, lbl.Letter2);
        if (lbl.Kind != 4) continue;
        TRTFReportRow row;
        row.Path = lbl.Path + "." + lbl.Ident;
        for (int r = 1; r <= kRows; ++r) {
            for (int found = OpenRowTemplate(row, lbl.OutFile.get()); found == kLabelFound;
                 found = NextRowLabel(row, lbl.OutFile.get()))
                WriteReportText(lbl.OutFile.get(), RowValue(row, r), row.Number, row.Letter2);
            CloseRowTemplate(row, lbl.OutFile.get());
        }
    }
    CloseReportTemplate(lbl);
    StripReportMarkers(lbl.OutPath, nullptr);
}

void BM_FillTemplate10000Rows(benchmark::State& state) {
    const TReportFolder folder;
    for (auto _ : state) FillReport(folder);
    std::ifstream in(folder.Report(), std::ios::binary | std::ios::ate);
    state.counters["report_bytes"] = static_cast<double>(in.tellg());
}
BENCHMARK(BM_FillTemplate10000Rows)->Unit(benchmark::kMillisecond);

void BM_OneFwriteOfTheSameBytes(benchmark::State& state) {
    const TReportFolder folder;
    FillReport(folder);
    std::ifstream in(folder.Report(), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    for (auto _ : state) {
        FILE* out = std::fopen(folder.Copy().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    state.counters["report_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_OneFwriteOfTheSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
