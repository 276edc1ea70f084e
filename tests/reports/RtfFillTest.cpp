// The fill engine: templates and row files copied into a report label by label, the values
// written at the labels, the label groups stripped, and a template's header read.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "reports/U_rtfreport.h"
#include "tests/common/UndeletableFile.h"
#include "tests/reports/RtfFiles.h"

namespace {

// What a search reported.
struct Found {
    int result;
    int kind;
    std::string ident;
    std::int64_t start;
    std::int64_t end;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
    return out << "{" << f.result << ", " << f.kind << ", " << f.ident << ", " << f.start << ", "
               << f.end << "}";
}

Found FoundBy(int result, const TRTFReportRow& reader) {
    return {result, reader.Kind, reader.Ident, reader.LabelStart, reader.LabelEnd};
}

class Fill : public ::testing::Test {
protected:
    // Opens the template T.tlt (written from the body) into report.rtf and reads every label.
    std::vector<Found> Walk(const std::string& body) {
        lbl.Path = folder.Write("T.tlt", TemplateText(body));
        lbl.OutPath = folder.Path("report.rtf");
        std::vector<Found> found{FoundBy(OpenReportTemplate(lbl), lbl)};
        while (found.back().result == kLabelFound)
            found.push_back(FoundBy(NextReportLabel(lbl), lbl));
        EXPECT_EQ(CloseReportTemplate(lbl), 0);
        return found;
    }

    // Fills T.tlt the way a report does, with the text value that `valueOf` gives at each
    // text label.
    template <typename ValueOf>
    std::string Report(const std::string& body, int rows, ValueOf valueOf) {
        const auto [closed, stripped] = FillTemplate(
            folder.Write("T.tlt", TemplateText(body)), folder.Path("report.rtf"), rows,
            [&](FILE* report, const TRTFReportRow& label, int row) {
                if (label.Kind == 1)
                    WriteReportText(report, valueOf(label, row), label.Number, label.Letter2);
            });
        EXPECT_EQ(closed, 0);
        EXPECT_EQ(stripped, kStripDone);
        return folder.Read("report.rtf");
    }

    RtfFolder folder;
    TRTFReportLbl lbl;
};

const std::string kHeaderLength = TemplateText("");

TEST_F(Fill, ATemplateWithoutLabelsGivesItsBodyWithoutTheHeader) {
    const std::string body = std::string("{\\rtf1 \0\xff{\\comment RptStr}}", 27);
    const std::vector<Found> found = Walk(body);
    const std::int64_t end = static_cast<std::int64_t>(kHeaderLength.size() + body.size()) + 1;
    EXPECT_EQ(found, (std::vector<Found>{{kTemplateEnd, -1, "", end - 34, end}}));
    EXPECT_EQ(folder.Read("report.rtf"), body);
}

// The six header lines are skipped whole, however long; a short header leaves no body.
TEST_F(Fill, SkipsTheHeaderLinesWhateverTheirLength) {
    struct Case {
        const char* what;
        std::string text;
        std::string report;
    };
    const Case cases[] = {
        {"a long line", "B\n" + std::string(300, 'n') + "\nD\nS\nP\nC\r\nbody", "body"},
        {"a short header", "B\nN\n", ""},
        {"an empty file", "", ""},
        {"no line end at all", "B", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lbl.Path = folder.Write("T.tlt", c.text);
        lbl.OutPath = folder.Path("report.rtf");
        EXPECT_EQ(OpenReportTemplate(lbl), kTemplateEnd);
        EXPECT_EQ(lbl.LabelEnd, static_cast<std::int64_t>(c.text.size()) + 1);
        EXPECT_EQ(CloseReportTemplate(lbl), 0);
        EXPECT_EQ(folder.Read("report.rtf"), c.report);
    }
}

TEST_F(Fill, StopsAfterEachLabelGroupAndRowMarker) {
    const std::string body = "<a>" + Group("RptStr.B.040.E.PaySName") + "<b>" + Marker("012") +
                             "<c>" + Group("RptImg.A.002.S.01200080") + "<d>";
    // The 1-based position in the template of a text's first byte in the body.
    const auto at = [&](const std::string& text) {
        return static_cast<std::int64_t>(kHeaderLength.size() + body.find(text)) + 1;
    };
    const std::int64_t end = at("<d>") + 3;
    const std::vector<Found> found = Walk(body);
    EXPECT_EQ(found, (std::vector<Found>{
                         {kLabelFound, 1, "PaySName", at("{"), at("{") + 34},
                         {kLabelFound, 4, "012", at("{\\comment RptRow"), at("<c>") - 1},
                         {kLabelFound, 3, "01200080", at("{\\comment RptImg"), at("<d>") - 1},
                         {kTemplateEnd, -1, "01200080", end - 34, end},
                     }));
    EXPECT_EQ(lbl.Letter1, 'A');
    EXPECT_EQ(lbl.Number, 2);
    EXPECT_EQ(lbl.Letter2, 'S');
    EXPECT_EQ(folder.Read("report.rtf"), body);
}

TEST_F(Fill, AValueLandsAfterItsGroupAndAfterTheStripWhereTheLabelWasTyped) {
    const std::string report =
        Report("x " + Group("RptStr.B.005.E.PaySName") + " y" + Group("RptTxt.B.000.E.AllBName"), 0,
               [](const TRTFReportRow& r, int) { return r.Kind == 1 ? "Electricity" : "?"; });
    EXPECT_EQ(report, "x \nElect\n\\par\n\n y\n\n");
}

TEST_F(Fill, ARowFileIsWrittenOncePerRowBetweenTheMainTemplatesText) {
    folder.Write("T.tlt.001", "[" + Group("RptStr.B.000.S.All_NRow") + "|" +
                                  Group("RptStr.B.002.S.PayD_Add") + Marker("002") + "]");
    const std::string report =
        Report("before" + Marker("001") + "between" + Marker("001") + "after", 3,
               [](const TRTFReportRow& r, int row) {
                   return r.Ident == "All_NRow" ? std::to_string(row) : std::string("{xyz}");
               });
    const std::string rows =
        "[\n1\n|\n\\{x\n\n\n]"
        "[\n2\n|\n\\{x\n\n\n]"
        "[\n3\n|\n\\{x\n\n\n]";
    EXPECT_EQ(report, "before\n" + rows + "\nbetween\n" + rows + "\nafter");
}

TEST_F(Fill, AMissingRowFileWritesNothingForItsRows) {
    EXPECT_EQ(Report("a" + Marker("007") + "b", 2,
                     [](const TRTFReportRow&, int) { return std::string("v"); }),
              "a\n\nb");
}

TEST_F(Fill, OpeningFailuresLeaveNothingOpen) {
    lbl.Path = folder.Path("missing.tlt");
    lbl.OutPath = folder.Path("report.rtf");
    EXPECT_EQ(OpenReportTemplate(lbl), kTemplateUnread);
    EXPECT_FALSE(folder.Exists("report.rtf"));

    lbl.Path = folder.Write("T.tlt", TemplateText("body"));
    lbl.OutPath = folder.Path("no/report.rtf");
    EXPECT_EQ(OpenReportTemplate(lbl), kReportUnwritten);
    EXPECT_FALSE(lbl.InFile);
    EXPECT_FALSE(lbl.OutFile);
    EXPECT_EQ(CloseReportTemplate(lbl), 0);

    TRTFReportRow row;
    row.Path = folder.Path("T.tlt.001");
    EXPECT_EQ(OpenRowTemplate(row, stdout), kTemplateUnread);
    CloseRowTemplate(row, stdout);
}

// Files may grow to `bytes` while it lives (writes beyond fail as on a full disk).
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, signal_);
    }

private:
    rlimit saved_{};
    void (*signal_)(int) = nullptr;
};

TEST_F(Fill, AReportThatCouldNotBeWrittenWholeIsSaidSoAndRemoved) {
    lbl.Path = folder.Write("T.tlt", TemplateText(std::string(100000, 'x')));
    lbl.OutPath = folder.Path("report.rtf");
    const ScopedFileSizeLimit full(50000);
    ASSERT_EQ(OpenReportTemplate(lbl), kTemplateEnd);
    EXPECT_EQ(CloseReportTemplate(lbl), kReportUnwritten);
    EXPECT_FALSE(folder.Exists("report.rtf"));
}

TEST(WriteReportText, CutsBeforeEscapingAndEscapesForRtf) {
    struct Case {
        const char* value;
        int number;
        char letter2;
        const char* rtf;
    };
    const Case cases[] = {
        {"Electricity", 5, 'S', "Elect"},
        {"Electricity", 0, 'S', "Electricity"},
        {"Electricity", 50, 'E', "Electricity\n\\par\n"},
        {"", 0, 'E', "\n\\par\n"},
        {"", 3, 'S', ""},
        {"a{b}c\\d", 0, 'S', "a\\{b\\}c\\\\d"},
        {"{}", 1, 'S', "\\{"},
        {"\xc3\xa9t\xc3\xa9", 0, 'S', "\\u233?t\\u233?"},
        {"\xd0\x96\xd0\xb6", 1, 'S', "\\u1046?"},
        {"\xe2\x82\xac 5", 0, 'S', "\\u8364? 5"},
        {"\xef\xbc\x81", 0, 'S', "\\u-255?"},
        // A character above U+FFFF is one character written as its two UTF-16 units.
        {"\xf0\x9f\x98\x80x", 1, 'S', "\\u-10179?\\u-8704?"},
        {"\xf0\x9f\x98\x80x", 2, 'E', "\\u-10179?\\u-8704?x\n\\par\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        RtfFolder folder;
        FILE* file = std::fopen(folder.Path("out").c_str(), "wb");
        WriteReportText(file, c.value, c.number, c.letter2);
        std::fclose(file);
        EXPECT_EQ(folder.Read("out"), c.rtf);
    }
}

TEST(StripReportMarkers, RemovesEachMarkerGroupThroughItsFirstBrace) {
    const std::string label = "{\\comment RptStr.B.000.S.AllBName}";
    const std::string row = "{\\comment RptRow.00000.000000.003}";
    struct Case {
        const char* what;
        std::string report;
        std::string stripped;
    };
    const Case cases[] = {
        {"a label group", "x" + label + "y", "xy"},
        {"a row marker between line feeds", "\n" + row + "\n", "\n\n"},
        {"at the end", "ab" + label, "ab"},
        {"only a group", label, ""},
        {"adjacent groups", "a" + label + row + label + "b", "ab"},
        {"short", "ab", "ab"},
        {"empty", "", ""},
        {"the first brace ends it", "{\\comment RpX}rest}", "rest}"},
        {"other comments stay", "{\\comment Rq}{\\comment x}", "{\\comment Rq}{\\comment x}"},
        {"a broken start, then a group", "{\\comment R{\\comment Rp}x", "{\\comment Rx"},
        {"a prefix at the end stays", "ab{\\comment R", "ab{\\comment R"},
        {"an unclosed group goes to the end", "ab{\\comment Rpx", "ab"},
        {"every byte is data", std::string("\0\xff\r\n", 4) + label + std::string("\0", 1),
         std::string("\0\xff\r\n\0", 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RtfFolder folder;
        const std::string path = folder.Write("report.rtf", c.report);
        EXPECT_EQ(StripReportMarkers(path, nullptr), kStripDone);
        EXPECT_EQ(folder.Read("report.rtf"), c.stripped);
        EXPECT_FALSE(folder.Exists("report.rtf.tmp"));
    }
}

class RecordingProgress : public TReportProgress {
public:
    void SetRange(int minimum, int maximum) override {
        calls.push_back("range " + std::to_string(minimum) + " " + std::to_string(maximum));
    }
    void SetPosition(int position) override { positions.push_back(position); }
    std::vector<std::string> calls;
    std::vector<int> positions;
};

TEST(StripReportMarkers, MovesTheProgressBarOverTheReportsBytes) {
    struct Case {
        size_t length;
        int last;
    };
    for (const Case& c : {Case{1000, 100}, Case{1099, 100}, Case{50, 50}, Case{0, 0}}) {
        SCOPED_TRACE(c.length);
        RtfFolder folder;
        RecordingProgress progress;
        StripReportMarkers(folder.Write("r.rtf", std::string(c.length, 'x')), &progress);
        EXPECT_EQ(progress.calls, std::vector<std::string>{"range 0 100"});
        ASSERT_EQ(progress.positions.size(), static_cast<size_t>(c.last + 1));
        for (int i = 0; i <= c.last; ++i) EXPECT_EQ(progress.positions[i], i);
    }
}

TEST(StripReportMarkers, AFailureLeavesTheReportAsItWas) {
    RtfFolder folder;
    EXPECT_EQ(StripReportMarkers(folder.Path("missing.rtf"), nullptr), kStripReportUnread);
    EXPECT_FALSE(folder.Exists("missing.rtf.tmp"));

    const std::string text = "x{\\comment RptStr.B.000.S.AllBName}y";
    const std::string path = folder.Write("report.rtf", text);
    std::filesystem::create_directory(folder.Path("report.rtf.tmp"));
    EXPECT_EQ(StripReportMarkers(path, nullptr), kStripTmpFailed);
    EXPECT_EQ(folder.Read("report.rtf"), text);
    std::filesystem::remove(folder.Path("report.rtf.tmp"));

    const UndeletableFile kept(folder.Path("kept.rtf"));
    if (!kept.Made()) GTEST_SKIP() << "no immutable files here";
    EXPECT_EQ(StripReportMarkers(folder.Path("kept.rtf"), nullptr), kStripRenameFailed);
    EXPECT_EQ(folder.Read("kept.rtf"), "kept");
    EXPECT_FALSE(folder.Exists("kept.rtf.tmp"));
}

TEST(ReadTemplateHeader, ReadsSixTrimmedLinesWhateverTheirLength) {
    const std::string longName(300, 'n');
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF and blanks",
         "RTF_Report v1.0 Template\r\n  Pay \r\nDescr\r\nsrc.rtf\r\n"
         "RowsInFile=0;ObjectType=60;\r\n01.02.2024 10:00\r\nbody\r\n",
         {"RTF_Report v1.0 Template", "Pay", "Descr", "src.rtf", "RowsInFile=0;ObjectType=60;",
          "01.02.2024 10:00"}},
        {"a line over 254 bytes",
         "B\n" + longName + "\nD\nS\nP\nC\n",
         {"B", longName, "D", "S", "P", "C"}},
        {"short", "B\nN", {"B", "N", "", "", "", ""}},
        {"empty", "", {"", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RtfFolder folder;
        TRTFReportInfo info;
        info.Path = folder.Write("T.tlt", c.text);
        info.Name = "old";
        ASSERT_EQ(ReadTemplateHeader(info), 0);
        EXPECT_EQ((std::vector<std::string>{info.Banner, info.Name, info.Descript, info.SourceFile,
                                            info.Params, info.Created}),
                  c.lines);
    }
    TRTFReportInfo missing;
    missing.Path = "/nonexistent/T.tlt";
    EXPECT_EQ(ReadTemplateHeader(missing), 1);
}

}  // namespace
