// The workbook's cells read back from its XML: a value given as text becomes a number cell where
// a spreadsheet would make it one, under either decimal separator.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "common/XlsxParts.h"
#include "decimal/SeparatorScope.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "platform/XlsxSheet.h"

namespace {

// "S" in a case's text stands for the user's separator, "O" for the other one: the decimal type
// reads both, as a reading keeps the separator it was typed with. An empty expected number means
// a text cell.
struct ValueCase {
    const char* Text;
    const char* Number;
};
constexpr ValueCase kValueCases[] = {
    {"12", "12"}, {"-3S5", "-3.5"}, {"0S25", "0.25"}, {"S5", "0.5"}, {"007", "7"},
    {"1O5", "1.5"}, {"-O25", "-0.25"}, {"5S", "5"}, {"1S2O3", ""}, {"1S2S3", ""}, {"-", ""}, {"", ""},
    {"S", ""},
    {" 12", ""},  {"12 kWh", ""},   {"[error]", ""},  {"+4", ""},    {"1e3", ""},
};

std::string WithSeparators(std::string text, char separator) {
    const char other = separator == ',' ? '.' : ',';
    for (char& c : text)
        if (c == 'S')
            c = separator;
        else if (c == 'O')
            c = other;
    return text;
}

TEST(XlsxSheet, ATextThatTheDecimalTypeReadsBecomesANumberCell) {
    for (const char separator : {'.', ','}) {
        SCOPED_TRACE(std::string("separator ") + separator);
        const SeparatorScope scope(separator);
        QTemporaryDir folder;
        const std::string path = ToStdString(folder.path()) + "/values.xlsx";
        TXlsxSheet book(path);
        TXlsxCellFormat general, text;
        text.Text = true;
        int row = 0;
        for (const ValueCase& c : kValueCases) {
            ++row;
            const std::string value = WithSeparators(c.Text, separator);
            book.WriteValue(row, 1, value, general);
            book.WriteValue(row, 2, value, text);
        }
        ASSERT_TRUE(book.Close());
        const std::string sheet = XlsxPart(path, "xl/worksheets/sheet1.xml");
        const std::string strings = XlsxPart(path, "xl/sharedStrings.xml");
        row = 0;
        for (const ValueCase& c : kValueCases) {
            ++row;
            const std::string value = WithSeparators(c.Text, separator);
            SCOPED_TRACE("'" + value + "'");
            const std::string general = XlsxCell(sheet, "A" + std::to_string(row));
            const std::string asText = XlsxCell(sheet, "B" + std::to_string(row));
            if (*c.Number != '\0') {
                EXPECT_EQ(general.find("t=\"s\""), std::string::npos) << general;
                EXPECT_NE(general.find(std::string("<v>") + c.Number + "</v>"), std::string::npos)
                    << general;
            } else {
                EXPECT_NE(general.find("t=\"s\""), std::string::npos) << general;
            }
            // The text format keeps every text as typed.
            EXPECT_NE(asText.find("t=\"s\""), std::string::npos) << asText;
            if (!value.empty()) {
                EXPECT_NE(strings.find(">" + value + "<"), std::string::npos) << strings;
            }
        }
    }
}

}  // namespace
