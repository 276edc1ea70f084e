// The language module's texts: lookup with defaults, placeholders, "\n" and descriptions.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "algorithms/Uq519algtextformat.h"
#include "platform/Text.h"
#include "shell/Ulanguage.h"
#include "shell/Ulanguage_widgets.h"

namespace {

class LanguageFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) {
        const std::string path = ToStdString(folder_.path()) + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string Path(const std::string& name) const {
        return ToStdString(folder_.path()) + "/" + name;
    }

private:
    QTemporaryDir folder_;
};

TEST_F(LanguageFiles, LooksUpKeysAndFallsBackToTheDefault) {
    const TLangFile file(Write("Main.lng",
                               "\xEF\xBB\xBF[main]\r\n"
                               "budget =  Haushalt  \r\n"
                               "Empty=\r\n"
                               "garbage line without equals\r\n"
                               "Quoted=\" two blanks \"\r\n"
                               "[Main]\r\n"
                               "Exit=second section is not searched\r\n"
                               "[Tree]\r\n"
                               "Calendar=Kalender\r\n"));
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    for (const Case& c : {Case{"Main", "Budget", "Haushalt"}, Case{"MAIN", "BUDGET", "Haushalt"},
                          Case{"Main", "Empty", ""}, Case{"Main", "Quoted", " two blanks "},
                          Case{"Main", "Exit", "default"}, Case{"Tree", "Calendar", "Kalender"},
                          Case{"Tree", "Log", "default"}, Case{"Missing", "Budget", "default"}}) {
        EXPECT_EQ(file.Read(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
    }
}

TEST_F(LanguageFiles, MissingOrDamagedFilesGiveDefaults) {
    EXPECT_EQ(TLangFile(Path("Missing.lng")).Read("Main", "Budget", "Budget"), "Budget");
    const TLangFile binary(Write("Binary.lng", std::string("\0\x01[\xFF\xFE]\n=\n\x80x=y", 13)));
    EXPECT_EQ(binary.Read("Main", "x", "d"), "d");
}

TEST_F(LanguageFiles, LongTextsAreCutTo2047Characters) {
    const std::string letters(3000, 'a');
    std::string cyrillic;
    for (int i = 0; i < 2100; ++i) cyrillic += "ё";
    const TLangFile file(Write("Long.lng", "[S]\nA=" + letters + "\nB=" + cyrillic + "\n"));
    EXPECT_EQ(file.Read("S", "A", ""), std::string(2047, 'a'));
    EXPECT_EQ(file.Read("S", "B", ""), cyrillic.substr(0, 2047 * 2));
}

TEST(Placeholders, ReplacesEveryOccurrenceWithMatchingCase) {
    struct Case {
        const char* text;
        const char* placeholder;
        const char* value;
        const char* expected;
    };
    for (const Case& c : {
             Case{"Balance [Date] and [Date]", "[Date]", "(01.02.2024)",
                  "Balance (01.02.2024) and (01.02.2024)"},
             Case{"Balance [date]", "[Date]", "x", "Balance [date]"},
             Case{"Packing [budget_name] ...", "[budget_name]", "[budget_name] 2",
                  "Packing [budget_name] 2 ..."},
             Case{"no placeholder", "[name]", "x", "no placeholder"},
             Case{"[name][name]", "[name]", "", ""},
         }) {
        EXPECT_EQ(ReplaceAllText(c.text, c.placeholder, c.value), c.expected) << c.text;
    }
}

TEST(LineBreaks, TwoCharactersBecomeOneLineBreak) {
    EXPECT_EQ(ExpandLineBreaks("Start the budget?\\nIt is recalculated."),
              "Start the budget?\nIt is recalculated.");
    EXPECT_EQ(ExpandLineBreaks("a\\n\\nb\\"), "a\n\nb\\");
    EXPECT_EQ(ExpandLineBreaks("C:\\new"), "C:\new");
}

TEST_F(LanguageFiles, DescriptionsReplaceTheMemoOnlyWhenTheFileExists) {
    QPlainTextEdit memo;
    memo.setPlainText(QStringLiteral("as designed"));
    LoadDescription(Path("MissingTxt01.lng"), memo);
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("as designed"));

    LoadDescription(Write("CreateBudgetTxt01.lng", "First line [name]\\n\r\nSecond ё\r\n"), memo);
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("First line [name]\\n\nSecond ё"));

    LoadDescription(Write("EmptyTxt01.lng", ""), memo);
    EXPECT_EQ(memo.toPlainText(), QString());
}

}  // namespace
