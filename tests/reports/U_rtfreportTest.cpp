// The charset configuration: the user's language's charset and the font table.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Locale.h"
#include "platform/Text.h"
#include "reports/U_rtfreport.h"

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

}  // namespace
