// Making a template from a user's document without the window: the first free template name,
// the compile into it, the fonts' character set, the source's copy, and what a failure leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reports/U_freport_templates.h"
#include "tests/reports/RtfFiles.h"

namespace fs = std::filesystem;

namespace {

const std::string kSource =
    "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 Times;}}\n"
    "\\pard RptStr.B.000.S.AllBName\\par}\n";

TEST(TemplateNames, TheFirstFreeNumberOfTheTypeIsTaken) {
    RtfFolder folder;
    const std::string dir = folder.Path("");
    EXPECT_EQ(FreeTemplateName(dir, 60), dir + "Report60_1.tlt");
    folder.Write("Report60_1.tlt", "x");
    folder.Write("Report60_3.tlt", "x");
    folder.Write("Report20_2.tlt", "x");  // another type's
    EXPECT_EQ(FreeTemplateName(dir, 60), dir + "Report60_2.tlt");
    EXPECT_EQ(FreeTemplateName(dir, 20), dir + "Report20_1.tlt");
    for (int i = 1; i <= 5000; ++i) folder.Write("Report50_" + std::to_string(i) + ".tlt", "");
    EXPECT_EQ(FreeTemplateName(dir, 50), "");
    std::string made = "unchanged";
    TNewTemplate source{folder.Write("a.rtf", kSource), "A", "", false, ""};
    EXPECT_EQ(MakeTemplate(dir, 50, dir, source, made), kTemplateNoFreeName);
    EXPECT_EQ(made, "");
}

TEST(TemplateMaking, TheTemplateItsFontsAndTheSourcesCopy) {
    struct Case {
        const char* what;
        bool writer;
        std::string charset;
        const char* fonts;  // the body's font table as the template has it
    } cases[] = {
        {"Word, Cyrillic", false, "204", "{\\f0\\fcharset204 Arial;}{\\f1\\fcharset204 Times;}"},
        {"Writer, no charset chosen", true, "", "{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 Times;}"},
    };
    for (const Case& c : cases) {
        RtfFolder folder;
        const std::string dir = folder.Path("ForPay/");
        fs::create_directories(dir);
        const std::string temp = folder.Path("temp/");
        fs::create_directories(temp);
        folder.Write("Pay report.rtf", kSource);
        const TNewTemplate source{folder.Path("Pay report.rtf"), "Monthly", "Water and rent",
                                  c.writer, c.charset};
        std::string made;
        ASSERT_EQ(MakeTemplate(dir, 60, temp, source, made), kCompileDone) << c.what;
        EXPECT_EQ(made, dir + "Report60_1.tlt") << c.what;
        TRTFReportInfo info;
        info.Path = made;
        ASSERT_EQ(ReadTemplateHeader(info), 0) << c.what;
        EXPECT_EQ(info.Name, "Monthly") << c.what;
        EXPECT_EQ(info.Descript, "Water and rent") << c.what;
        EXPECT_EQ(info.SourceFile, "Pay report.rtf") << c.what;
        EXPECT_EQ(GetTemplateObjectType(info.Params), 60) << c.what;
        const std::string bytes = RtfFolder::ReadFile(made);
        EXPECT_NE(bytes.find(c.fonts), std::string::npos) << c.what << "\n" << bytes;
        EXPECT_NE(bytes.find("{\\comment RptStr.B.000.S.AllBName}"), std::string::npos) << c.what;
        EXPECT_EQ(RtfFolder::ReadFile(dir + "Sources/Pay report.rtf"), kSource) << c.what;
        EXPECT_FALSE(fs::exists(temp + "TmpSourc.rtf")) << c.what;
        // A second template from the same document takes the next name.
        ASSERT_EQ(MakeTemplate(dir, 60, temp, source, made), kCompileDone) << c.what;
        EXPECT_EQ(made, dir + "Report60_2.tlt") << c.what;
    }
}

TEST(TemplateMaking, AFailedCompileLeavesNeitherTemplateNorCopy) {
    RtfFolder folder;
    const std::string temp = folder.Path("");
    const TNewTemplate missing{folder.Path("gone.rtf"), "A", "", false, ""};
    std::string made;
    EXPECT_EQ(MakeTemplate(folder.Path("ForPay/"), 60, temp, missing, made), kCompileNoSource);
    // The templates folder is missing: the compiler cannot write the template.
    const TNewTemplate source{folder.Write("b.rtf", kSource), "B", "", false, ""};
    EXPECT_EQ(MakeTemplate(folder.Path("ForPay/"), 60, temp, source, made), kCompileNoFolder);
    EXPECT_FALSE(fs::exists(folder.Path("ForPay")));
    EXPECT_FALSE(fs::exists(temp + "TmpSourc.rtf"));
}

}  // namespace
