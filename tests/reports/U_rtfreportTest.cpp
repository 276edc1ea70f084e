// The charset configuration: the user's language's charset and the font table; the rewrite of
// a template's font charsets.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Locale.h"
#include "platform/Text.h"
#include "reports/U_rtfreport.h"
#include "tests/common/UndeletableFile.h"
#include "tests/reports/RtfFiles.h"

namespace {

class CharsetConfig : public ::testing::Test {
protected:
    CharsetConfig() { SetUserDefaultLangID(0x0419); }
    ~CharsetConfig() override { SetUserDefaultLangID(original_); }

    // Writes the file and reads it with a font list.
    int Read(const std::string& content) {
        info.Path = ToStdString(folder_.path()) + "/fcharset.cfg";
        std::ofstream(info.Path, std::ios::binary) << content;
        info.Fonts = &fonts;
        return ReadCharsetConfig(info);
    }

    strFCharsetInfo info;
    std::vector<std::string> fonts;

private:
    QTemporaryDir folder_;
    int original_ = GetUserDefaultLangID();
};

TEST_F(CharsetConfig, FindsTheUsersLanguageAndItsFont) {
    ASSERT_EQ(Read("comment 0x0419:1:x:y\r\n"
                   "IdentifiersTableStart:\r\n"
                   "0x0409:0:English:United States\r\n"
                   "  0X0419:204:Russian:Russia:more  \r\n"
                   "IdentifiersTableEnd:\r\n"
                   "FontTableStart:\n"
                   "0:Western\n"
                   "204:Cyrillic\n"
                   "FontTableEnd:\n"),
              0);
    EXPECT_EQ(info.Charset, "204");
    EXPECT_EQ(info.LangID, "0x0419");
    EXPECT_EQ(info.Field3, "Russian");
    EXPECT_EQ(info.Tail, "Russia:more");
    EXPECT_EQ(fonts, (std::vector<std::string>{"0:Western", "204:Cyrillic"}));
    EXPECT_EQ(info.FontIndex, 1);
}

TEST_F(CharsetConfig, ALaterLineOverridesAndMissingFieldsReadEmpty) {
    ASSERT_EQ(Read("IdentifiersTableStart:\n0x0419:238:a:b\n0x0419:204\nIdentifiersTableEnd:\n"),
              0);
    EXPECT_EQ(info.Charset, "204");
    EXPECT_EQ(info.Field3, "");
    EXPECT_EQ(info.Tail, "");
}

TEST_F(CharsetConfig, WithoutALineForTheLanguageTheCharsetStaysAsGiven) {
    info.Charset = "kept";
    ASSERT_EQ(Read("IdentifiersTableStart:\n0x0409:0:English:US\nIdentifiersTableEnd:\n"
                   "FontTableStart:\n0:Western\n:blank charset\nkept:x\n:again\nFontTableEnd:\n"),
              0);
    EXPECT_EQ(info.Charset, "kept");
    EXPECT_EQ(info.LangID, "0x0000");
    EXPECT_EQ(info.FontIndex, 2);
    EXPECT_EQ(fonts.size(), 4u);
}

// A font line's character set is its text before the first ":"; a line without ":" has the
// empty one, whatever its text.
TEST_F(CharsetConfig, AFontLineWithoutAColonNamesTheEmptyCharset) {
    struct Case {
        const char* charset;
        int fontIndex;
    };
    for (const Case& c : {Case{"Cyrillic", 0}, Case{"", 2}}) {
        SCOPED_TRACE(c.charset);
        fonts.clear();
        info.Charset = c.charset;
        ASSERT_EQ(Read("FontTableStart:\n0:Western\nCyrillic\nGreek\n161:x\nFontTableEnd:\n"), 0);
        EXPECT_EQ(info.FontIndex, c.fontIndex);
        EXPECT_EQ(fonts.size(), 4u);
    }
}

TEST_F(CharsetConfig, LinesOutsideTheTablesAndTooLongPiecesAreHandledAsLines) {
    // A line of 300 characters is read as a piece of 253 and the rest.
    const std::string longLine = "0x0419:204:" + std::string(289, 'x');
    ASSERT_EQ(Read("0x0419:1:outside:the tables\nIdentifiersTableStart:\n" + longLine +
                   "\nIdentifiersTableEnd:\n"),
              0);
    EXPECT_EQ(info.Charset, "204");
    EXPECT_EQ(info.Field3.size(), 253u - 11u);
}

TEST_F(CharsetConfig, AMissingFileChangesNothing) {
    info.Path = "/nonexistent/fcharset.cfg";
    info.Charset = "x";
    info.LangID = "y";
    info.FontIndex = 7;
    EXPECT_EQ(ReadCharsetConfig(info), -1);
    EXPECT_EQ(info.Charset, "x");
    EXPECT_EQ(info.LangID, "y");
    EXPECT_EQ(info.FontIndex, 7);
}

TEST(InstalledCharsetConfig, GivesCyrillicForRussianAndWesternForEnglish) {
    const int original = GetUserDefaultLangID();
    for (const auto& [lang, charset, font] :
         {std::tuple{0x0419, "204", 1}, std::tuple{0x0409, "0", 0}, std::tuple{0x0415, "238", 2}}) {
        SetUserDefaultLangID(lang);
        strFCharsetInfo info;
        info.Path = VEMLY_SOURCE_DATA_DIR "/fcharset.cfg";
        ASSERT_EQ(ReadCharsetConfig(info), 0);
        EXPECT_EQ(info.Charset, charset);
        EXPECT_EQ(info.FontIndex, font);
    }
    SetUserDefaultLangID(original);
}

TEST(ReplaceFontCharsets, RewritesTheNumberAfterEveryFcharsetOfTheBody) {
    const std::string fonts = "{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 Times;}";
    struct Case {
        const char* what;
        std::string body;
        const char* from;
        const char* to;
        std::string rewritten;
        int count;
    };
    const Case cases[] = {
        {"any", fonts, "*", "204", "{\\f0\\fcharset204 Arial;}{\\f1\\fcharset204 Times;}", 2},
        {"one number", fonts, "0", "204", "{\\f0\\fcharset204 Arial;}{\\f1\\fcharset238 Times;}",
         1},
        {"no match", fonts, "161", "204", fonts, 0},
        {"to nothing", fonts, "*", "", "{\\f0\\fcharset Arial;}{\\f1\\fcharset Times;}", 2},
        {"without digits", "\\fcharset;", "*", "204", "\\fcharset204;", 1},
        {"without digits, from a number", "\\fcharset;", "0", "204", "\\fcharset;", 0},
        {"digits to the end", "x\\fcharset12", "*", "1", "x\\fcharset1", 1},
        {"a broken start", "\\fcharse\\fcharset1 \\fchar", "*", "2", "\\fcharse\\fcharset2 \\fchar",
         1},
        {"adjacent", "\\fcharset1\\fcharset2", "*", "3", "\\fcharset3\\fcharset3", 2},
        {"no fonts", "{\\rtf1 plain}", "*", "204", "{\\rtf1 plain}", 0},
        {"every byte is data", std::string("\0\xff\\fcharset0\r\n", 14), "*", "204",
         std::string("\0\xff\\fcharset204\r\n", 16), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RtfFolder folder;
        // The header is never rewritten, however long its lines.
        const std::string header = "RTF_Report v1.0 Template\nName \\fcharset0\n" +
                                   std::string(300, 'd') + "\ns\np\n01.02.2024 \\fcharset0\n";
        const std::string path = folder.Write("T.tlt", header + c.body);
        EXPECT_EQ(ReplaceFontCharsets(path, c.from, c.to), c.count);
        EXPECT_EQ(folder.Read("T.tlt"), header + c.rewritten);
        EXPECT_FALSE(folder.Exists("T.tlt.tmp"));
    }
}

TEST(ReplaceFontCharsets, AFailureLeavesTheTemplateAsItWas) {
    RtfFolder folder;
    EXPECT_EQ(ReplaceFontCharsets(folder.Path("missing.tlt"), "*", "204"), -1);

    std::filesystem::create_directory(folder.Path("dir.tlt"));
    EXPECT_EQ(ReplaceFontCharsets(folder.Path("dir.tlt"), "*", "204"), -2);
    EXPECT_FALSE(folder.Exists("dir.tlt.tmp"));

    const std::string text = TemplateText("\\fcharset0");
    const std::string path = folder.Write("T.tlt", text);
    std::filesystem::create_directory(folder.Path("T.tlt.tmp"));
    EXPECT_EQ(ReplaceFontCharsets(path, "*", "204"), -3);
    EXPECT_EQ(folder.Read("T.tlt"), text);
    std::filesystem::remove(folder.Path("T.tlt.tmp"));

    const UndeletableFile kept(folder.Path("kept.tlt"));
    if (!kept.Made()) GTEST_SKIP() << "no immutable files here";
    EXPECT_EQ(ReplaceFontCharsets(folder.Path("kept.tlt"), "*", "204"), -5);
    EXPECT_EQ(folder.Read("kept.tlt"), "kept");
    EXPECT_FALSE(folder.Exists("kept.tlt.tmp"));
}

}  // namespace
