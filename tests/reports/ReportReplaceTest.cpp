// A report written over an older one of the same name: the old one stays whole until the new one
// is complete, through a failure and through a crash in the middle, and the user learns why.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "common/ChildProcess.h"
#include "reports/U_reportmake.h"
#include "tests/reports/RtfChecks.h"

namespace {

const std::string kOldReport = "{\\rtf1 the report of last month}";

// A table report on a template with the table's name and a row per table row.
struct OverOldReport {
    RtfFolder folder;
    std::string tlt = folder.Write(
        "r.tlt",
        TemplateText("{\\rtf1 A" + Group("RptStr.B.000.S.TblSName") + Marker("001") + "}"));
    std::string report = folder.Write("out.rtf", kOldReport);
    OverOldReport() { folder.Write("r.tlt.001", "{" + Group("RptStr.B.000.S.TblDC001") + "}"); }
};

// A table whose rows hold up the report: the first row's value tells the parent that the
// report is half written and waits to be killed.
struct THeldTable : TTableReportData {
    int ready = -1;
    std::string RowValue(std::string_view ident, int row) const override {
        if (row == 2) {
            Ready(ready);
            pause();
        }
        return TTableReportData::RowValue(ident, row);
    }
};

}  // namespace

// Mend: the report was truncated first and written in place, so a failure lost the old one.
TEST(ReportOverAnOldOne, AFailureKeepsTheOldReportAndSaysWhy) {
    OverOldReport r;
    TTableReportData data;
    data.Name = "Books";
    data.Rows = {{"Anna", ""}};
    std::filesystem::create_directory(r.report + ".tmp");  // the new report cannot be written
    std::string why;
    EXPECT_EQ(MakeReport(r.tlt, r.report, {}, data, nullptr, &why), kReportNotWritten);
    EXPECT_EQ(r.folder.Read("out.rtf"), kOldReport);
    EXPECT_FALSE(why.empty());

    std::filesystem::remove(r.report + ".tmp");
    ASSERT_EQ(MakeReport(r.tlt, r.report, {}, data, nullptr), kReportMade);
    EXPECT_NE(r.folder.Read("out.rtf").find("Books"), std::string::npos);
    EXPECT_FALSE(r.folder.Exists("out.rtf.tmp"));
}

TEST(ReportOverAnOldOne, AKillInTheMiddleLeavesTheOldReportWhole) {
    OverOldReport r;
    KillDuring(
        [&](int ready) {
            THeldTable data;
            data.ready = ready;
            data.Name = "Books";
            data.Rows.assign(3, {std::string(100000, 'x'), ""});
            MakeReport(r.tlt, r.report, {}, data, nullptr);
        },
        std::chrono::milliseconds(20));
    EXPECT_EQ(r.folder.Read("out.rtf"), kOldReport);
}
