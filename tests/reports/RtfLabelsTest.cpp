// The report labels: typed labels, label groups, row markers and a picture label's size.
#include <gtest/gtest.h>

#include <string>

#include "reports/U_rtfreport.h"

namespace {

struct LabelCase {
    const char* text;
    int expected;
};

TEST(CheckSourceLabel, GivesTheKindOrTheFirstFailingTest) {
    const LabelCase cases[] = {
        {"RptStr.B.040.E.PaySName", 1},
        {"RptTxt.A.000.S.AllBName", 2},
        {"RptImg.B.001.S.01200080", 3},
        {"RptStr.B.040.E.Pay Name", 1},  // any 8 characters are an identifier
        {"rptStr.B.040.E.PaySName", -1},
        {"RptRow.B.040.E.PaySName", -1},
        {"RptStr.C.040.E.PaySName", -2},
        {"RptStr.B,040.E.PaySName", -3},
        {"RptStr.B.04x.E.PaySName", -4},
        {"RptStr.B.040,E.PaySName", -5},
        {"RptStr.B.040.X.PaySName", -6},
        {"RptStr.B.040.E,PaySName", -7},
        {"RptStr.B.040.E.PaySNam", -8},
        {"RptStr.B.040.E.PaySNameX", -8},
        // A text too short for a position fails at that position's test.
        {"", -1},
        {"RptStr", -1},
        {"RptStr.", -2},
        {"RptStr.B.04", -4},
        {"RptStr.B.040.E", -7},
        {"RptStr.B.040.E.", -8},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CheckSourceLabel(c.text), c.expected);
    }
}

TEST(CheckTemplateLabel, GivesTheKindOrTheFirstFailingTest) {
    const LabelCase cases[] = {
        {"{\\comment RptStr.B.040.E.PaySName}", 1},
        {"{\\comment RptTxt.A.999.S.StartTbl}", 2},
        {"{\\comment RptImg.B.002.S.00000000}", 3},
        {"{\\comment RptRow.00000.000000.012}", -1},
        {"{\\comment rptStr.B.040.E.PaySName}", -1},
        {"{\\comment  RptStr.B.040.E.PaySName", -1},
        {"{\\comment RptStr.C.040.E.PaySName}", -2},
        {"{\\comment RptStr.B:040.E.PaySName}", -3},
        {"{\\comment RptStr.B.0x0.E.PaySName}", -4},
        {"{\\comment RptStr.B.040:E.PaySName}", -5},
        {"{\\comment RptStr.B.040.s.PaySName}", -6},
        {"{\\comment RptStr.B.040.E:PaySName}", -7},
        {"{\\comment RptStr.B.040.E.PaySName)", -9},
        {"{\\comment RptStr.B.040.E.PaySName}}", -8},
        {"{\\comment RptStr.B.040.E.PaySNam}", -9},
        {"{\\comment RptStr.B.040.E.PaySName", -9},
        {"{\\comment Rpt", -1},
        {"", -1},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CheckTemplateLabel(c.text), c.expected);
    }
}

TEST(CheckRowMarker, ChecksTheStartTheDigitsTheBraceAndTheLength) {
    const LabelCase cases[] = {
        {"{\\comment RptRow.00000.000000.012}", 4},
        // The fixed text between is never read.
        {"{\\comment RptRow.abcde.fghijk.999}", 4},
        {"{\\comment RptStr.B.040.E.PaySName}", -1},
        {"{\\comment RptRow.00000.000000.01x}", -2},
        {"{\\comment RptRow.00000.000000.012)", -3},
        {"{\\comment RptRow.00000.000000.012}x", -4},
        {"{\\comment RptRow.00000.000000.01", -2},
        {"{\\comment RptRow.00000.000000.012", -3},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CheckRowMarker(c.text), c.expected);
    }
}

TEST(LabelPictureSize, ReadsWidthAndHeightLikeDecimalNumbers) {
    struct Case {
        const char* ident;
        int width;
        int height;
    };
    const Case cases[] = {
        {"01200080", 120, 80}, {"00000000", 0, 0}, {"  120080", 12, 80}, {"+12x0034", 12, 34},
        {"abcd0010", 0, 10},   {"-120-080", 0, 0}, {"0120", 120, 0},     {"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ident);
        const TLabelPictureSize size = LabelPictureSize(c.ident);
        EXPECT_EQ(size.Width, c.width);
        EXPECT_EQ(size.Height, c.height);
    }
}

}  // namespace
