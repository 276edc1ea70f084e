// The template compiler: labels into label groups, table rows into row files, the header, both
// dialects, and what a failed compile leaves (nothing).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reports/U_rtfreport.h"
#include "tests/reports/RtfFiles.h"

namespace {

const std::string kStartTbl = "RptStr.B.000.S.StartTbl";
const std::string kRowLabel = "RptStr.B.000.S.PayD_Dat";

// A label group without the line feed after it: a row right after a StartTbl label begins with
// that line feed.
std::string GroupAlone(const std::string& label) {
    const std::string group = Group(label);
    return group.substr(0, group.size() - 1);
}

class Compile : public ::testing::Test {
protected:
    enum class Dialect { Word, Writer };

    int Run(const std::string& source, Dialect dialect = Dialect::Word) {
        folder.Write("source.rtf", source);
        return RunFile(folder.Path("source.rtf"), folder.Path("Report60_1.tlt"), dialect);
    }

    static int RunFile(const std::string& source, const std::string& target, Dialect dialect) {
        const auto compile = dialect == Dialect::Word ? CompileTemplateWord : CompileTemplateWriter;
        return compile(source, target, "Name", "Descr", "source.rtf",
                       "RowsInFile=0;ObjectType=60;");
    }

    // The template without its six header lines.
    std::string Body() const {
        std::string text = folder.Read("Report60_1.tlt");
        for (int i = 0; i < 6; ++i) text.erase(0, text.find('\n') + 1);
        return text;
    }

    std::vector<std::string> RowFiles() const {
        std::vector<std::string> rows;
        for (int i = 1; folder.Exists("Report60_1.tlt." + Number(i)); ++i)
            rows.push_back(folder.Read("Report60_1.tlt." + Number(i)));
        return rows;
    }

    static std::string Number(int i) {
        char text[12];
        std::snprintf(text, sizeof text, "%3.3d", i);
        return text;
    }

    RtfFolder folder;
};

// Pass 1: how labels typed in a source become label groups.
TEST_F(Compile, TypedLabelsBecomeLabelGroups) {
    const std::string label = "RptStr.B.040.E.PaySName";
    struct Case {
        const char* what;
        std::string source;
        std::string body;
    };
    const Case cases[] = {
        {"no label", "{\\rtf1 plain {\\b text}\\par }", "{\\rtf1 plain {\\b text}\\par }"},
        {"a label", "a " + label + " b", "a " + Group(label) + " b"},
        {"after a control word and its blank", "\\par " + label, "\\par " + Group(label)},
        {"a control word without its blank hides it", "\\par" + label, "\\par" + label},
        {"a bold toggle inside is dropped", "x RptStr.B\\b .040.E.PaySName\\b0 y",
         "x " + Group(label) + "\\b0 y"},
        {"a group's end inside is kept after the label", "{\\b RptStr}.B.040.E.PaySName z",
         "{\\b " + Group(label) + "} z"},
        {"a group's start inside is kept after the label", " RptStr{\\i .B.040.E.PaySName}",
         " " + Group(label) + "{}"},
        {"both: the ends, then the starts", "{\\b RptStr.B}{\\i .040.E.PaySName}",
         "{\\b " + Group(label) + "}{}"},
        {"escaped braces are no group", " RptStr.B\\{.040.E.PaySName", " " + Group(label)},
        {"broken by CR LF", " RptStr.B.0\r\n40.E.PaySName.", " " + Group(label) + "."},
        {"broken by a CR", " RptStr.B.04\r0.E.PaySName", " " + Group(label)},
        // Collecting starts at a blank, brace or line end, not at the file's start.
        {"not at the very start", label + " ", label + " "},
        {"NUL bytes are data", std::string("a\0", 2) + label + std::string("\0b", 2),
         std::string("a\0", 2) + Group(label) + std::string("\0b", 2)},
        {"two labels in a row", " " + label + "RptTxt.A.000.S.AllBName",
         " " + Group(label) + Group("RptTxt.A.000.S.AllBName")},
        // "RptStr.B" ends the first label and begins a match with what follows; that match
        // starts inside the first label and is ignored.
        {"a match reaching back into a label", " RptStr.B.000.S.RptStr.B.000.S.AllBName",
         " " + Group("RptStr.B.000.S.RptStr.B") + ".000.S.AllBName"},
        {"unbalanced braces are copied", "}}{ " + label + " {", "}}{ " + Group(label) + " {"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Run(c.source), kCompileDone);
        EXPECT_EQ(Body(), c.body);
        EXPECT_TRUE(RowFiles().empty());
        EXPECT_FALSE(folder.Exists("Report60_1.tlt.tmp"));
    }
}

// Pass 2: after a StartTbl label each row with a label goes into a row file.
TEST_F(Compile, RowsWithLabelsAfterStartTblMoveIntoRowFiles) {
    const std::string wordRows = "{\\trowd A\\cell \\row }{\\trowd " + kRowLabel +
                                 "\\cell \\row }{\\trowd C\\cell \\row } tail";
    const std::string writerRows =
        "\\trowd A\\cell\\row\\trowd " + kRowLabel + "\\cell\\row\\pard tail";
    struct Case {
        const char* what;
        Dialect dialect;
        std::string source;
        std::string body;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"Word: a row ends at the first } after \\row ",
         Dialect::Word,
         "head " + kStartTbl + wordRows,
         "head " + Group(kStartTbl) + "{\\trowd A\\cell \\row }" + Marker("001") +
             "{\\trowd C\\cell \\row } tail",
         {"{\\trowd " + Group(kRowLabel) + "\\cell \\row }"}},
        {"Writer: a row ends before the backslash closing \\row\\",
         Dialect::Writer,
         kStartTbl + writerRows,
         Group(kStartTbl) + "\\trowd A\\cell\\row" + Marker("001") + "\\pard tail",
         {"\\trowd " + Group(kRowLabel) + "\\cell\\row"}},
        {"Word rows do not end at \\row\\",
         Dialect::Word,
         kStartTbl + writerRows,
         Group(kStartTbl) + "\\trowd A\\cell\\row\\trowd " + Group(kRowLabel) +
             "\\cell\\row\\pard tail",
         {}},
        {"without StartTbl rows stay",
         Dialect::Word,
         wordRows,
         "{\\trowd A\\cell \\row }{\\trowd " + Group(kRowLabel) +
             "\\cell \\row }{\\trowd C\\cell \\row } tail",
         {}},
        {"rows before StartTbl stay",
         Dialect::Word,
         "{" + kRowLabel + "\\row }" + kStartTbl + "{" + kRowLabel + "\\row }",
         "{" + Group(kRowLabel) + "\\row }" + GroupAlone(kStartTbl) + Marker("001"),
         {"\n{" + Group(kRowLabel) + "\\row }"}},
        {"Word: no } after the last \\row  ends the row at the input's end",
         Dialect::Word,
         kStartTbl + "{" + kRowLabel + "\\row  x",
         GroupAlone(kStartTbl) + Marker("001"),
         {"\n{" + Group(kRowLabel) + "\\row  x"}},
        {"a second StartTbl ends the row unmoved and starts anew",
         Dialect::Word,
         kStartTbl + " X " + kStartTbl + "{" + kRowLabel + "\\row }{B\\row }",
         Group(kStartTbl) + " X " + GroupAlone(kStartTbl) + Marker("001") + "{B\\row }",
         {"\n{" + Group(kRowLabel) + "\\row }"}},
        {"rows are numbered in order",
         Dialect::Word,
         kStartTbl + "{1 " + kRowLabel + "\\row }{2 " + kRowLabel + "\\row }",
         GroupAlone(kStartTbl) + Marker("001") + Marker("002"),
         {"\n{1 " + Group(kRowLabel) + "\\row }", "{2 " + Group(kRowLabel) + "\\row }"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 1; i <= 2; ++i)
            std::filesystem::remove(folder.Path("Report60_1.tlt." + Number(i)));
        // A blank first, since labels are collected only after a blank, brace or line end.
        ASSERT_EQ(Run(" " + c.source, c.dialect), kCompileDone);
        EXPECT_EQ(Body(), " " + c.body);
        EXPECT_EQ(RowFiles(), c.rows);
    }
}

TEST_F(Compile, AtMost999RowsMoveAndTheRestStaysInTheTemplate) {
    std::string source = " " + kStartTbl;
    for (int i = 1; i <= 1001; ++i) source += "{" + std::to_string(i) + kRowLabel + "\\row }";
    ASSERT_EQ(Run(source), kCompileDone);
    EXPECT_EQ(RowFiles().size(), 999u);
    EXPECT_EQ(folder.Read("Report60_1.tlt.999"), "{999" + Group(kRowLabel) + "\\row }");
    EXPECT_FALSE(folder.Exists("Report60_1.tlt.1000"));
    const std::string body = Body();
    EXPECT_NE(body.find(Marker("999") + "{1000" + Group(kRowLabel) + "\\row }{1001" +
                        Group(kRowLabel) + "\\row }"),
              std::string::npos);
    EXPECT_EQ(body.size() - body.rfind(Marker("999")),
              Marker("999").size() + 2 * ("{1000" + Group(kRowLabel) + "\\row }").size());
}

TEST_F(Compile, WritesTheHeaderWithItsLimits) {
    folder.Write("source.rtf", "{\\rtf1 x}");
    const std::string cyrillic = "\xd0\x96";  // one character, two bytes
    std::string name;
    for (int i = 0; i < 101; ++i) name += cyrillic;
    const std::string descript = "line one\nline two" + std::string(200, 'd');
    ASSERT_EQ(CompileTemplateWriter(folder.Path("source.rtf"), folder.Path("T.tlt"), name, descript,
                                    std::string(160, 's'), std::string(260, 'p')),
              kCompileDone);
    TRTFReportInfo info;
    info.Path = folder.Path("T.tlt");
    ASSERT_EQ(ReadTemplateHeader(info), 0);
    EXPECT_EQ(info.Banner, "RTF_Report v1.0 Template");
    EXPECT_EQ(info.Name, name.substr(0, 200));
    EXPECT_EQ(info.Descript, ("line one line two" + std::string(200, 'd')).substr(0, 150));
    EXPECT_EQ(info.SourceFile, std::string(150, 's'));
    EXPECT_EQ(info.Params, std::string(250, 'p'));
    EXPECT_FALSE(info.Created.empty());
    const std::string text = folder.Read("T.tlt");
    EXPECT_EQ(text.substr(text.size() - 10), "\n{\\rtf1 x}");
}

TEST_F(Compile, ARelativeTemplatePathIsTakenAgainstTheCurrentFolder) {
    folder.Write("source.rtf", "x");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path(""));
    const int bare = CompileTemplateWord("source.rtf", "T.tlt", "n", "d", "s", "p");
    const int missing = CompileTemplateWord("source.rtf", "no/T.tlt", "n", "d", "s", "p");
    std::filesystem::current_path(before);
    EXPECT_EQ(bare, kCompileDone);
    EXPECT_EQ(missing, kCompileNoFolder);
    EXPECT_TRUE(folder.Exists("T.tlt"));
}

// Each failure gives its code and leaves none of the files the compile wrote; a file that was
// in the way stays.
TEST_F(Compile, AFailureGivesItsCodeAndLeavesNothingItWrote) {
    const std::string source =
        " " + kStartTbl + "{" + kRowLabel + "\\row }{" + kRowLabel + "\\row }";
    struct Case {
        const char* what;
        const char* sourceName;
        const char* target;
        const char* inTheWay;  // made a folder, so that it cannot be written
        int code;
    };
    const Case cases[] = {
        {"no source", "missing.rtf", "T.tlt", "", kCompileNoSource},
        {"no folder", "source.rtf", "none/T.tlt", "", kCompileNoFolder},
        {"source unreadable", "dir.rtf", "T.tlt", "", kCompileSourceUnread},
        {"intermediate file", "source.rtf", "T.tlt", "T.tlt.tmp", kCompileTmpFailed},
        {"template", "source.rtf", "T.tlt", "T.tlt", kCompileOutputFailed},
        {"second row file", "source.rtf", "T.tlt", "T.tlt.002", kCompileOutputFailed},
    };
    folder.Write("source.rtf", source);
    std::filesystem::create_directory(folder.Path("dir.rtf"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (*c.inTheWay != '\0') std::filesystem::create_directory(folder.Path(c.inTheWay));
        EXPECT_EQ(RunFile(folder.Path(c.sourceName), folder.Path(c.target), Dialect::Word), c.code);
        for (const char* name : {"T.tlt", "T.tlt.tmp", "T.tlt.001", "T.tlt.002"})
            EXPECT_EQ(folder.Exists(name), std::string(name) == c.inTheWay) << name;
        if (*c.inTheWay != '\0') std::filesystem::remove(folder.Path(c.inTheWay));
    }
}

}  // namespace
