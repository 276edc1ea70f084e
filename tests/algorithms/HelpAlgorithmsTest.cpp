// The worked algorithms of the help file, run in the algorithm editor on the data the help
// describes: each stands in the help as written and gives the result the help states.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "algorithms/EditorFixture.h"
#include "common/SourceDatum.h"
#include "shell/ObjectIndex.h"

namespace {

std::string HelpText() {
    std::ifstream file(std::filesystem::path(VEMLY_SOURCE_DIR) / "data" / "LangEN" /
                       "VemlyHelp.html");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Html(const std::string& text) {
    std::string html;
    for (const char c : text) html += c == '<' ? std::string("&lt;") : std::string(1, c);
    return html;
}

using HelpAlgorithms = EditorFixture;

TEST_F(HelpAlgorithms, GiveTheResultsTheHelpStates) {
    constexpr int kTariff = 2, kUsed = 3, kLowUse = 4, kRent = 5, kHeating = 6;
    AddConstant(kTariff, "Water tariff", Day(2024, 1, 1), Decimal("2,50").c_str());
    AddConstant(kUsed, "Water used a month", Day(2024, 1, 1), "12");
    AddConstant(kLowUse, "Water used in a quiet month", Day(2024, 1, 1), "1");
    AddObject(kRent, 0, otPay, "Rent");
    AddObject(kHeating, 0, otPay, "Heating");
    AddEvent(kRent, Day(2024, 4, 1), "CH", "500", "-500");
    AddEvent(kRent, Day(2024, 5, 1), "CH", "500", "-1000");
    AddEvent(kHeating, Day(2024, 5, 1), "CH", "80", "-80");
    constexpr int kSumOfCharges = 5;
    const struct {
        const char* text;
        std::vector<ExtData> data;
        const char* result;
    } cases[] = {
        {"// the month's water charge\n[V001()] = [I001()] * [I002()]",
         {SourceDatum(1, kTariff, otNumber, 0), SourceDatum(2, kUsed, otNumber, 0)},
         "= 30"},
        {"// what rent and heating have charged so far\n[V001()] = [I001()] + [I002()]",
         {SourceDatum(1, kRent, otPay, kSumOfCharges),
          SourceDatum(2, kHeating, otPay, kSumOfCharges)},
         "= 1080"},
        {"[V001()] = [I001()] * [I002()]\nif([V001()] < 5) [V001()] = 5",
         {SourceDatum(1, kTariff, otNumber, 0), SourceDatum(2, kLowUse, otNumber, 0)},
         "= 5"},
    };
    const std::string help = HelpText();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_NE(help.find("<pre>" + Html(c.text) + "</pre>"), std::string::npos);
        Algorithm01 a;
        a.Text = c.text;
        a.INDataList = c.data;
        TfCalculation& e = Open(a);
        e.BitBtnStart->click();
        EXPECT_EQ(ToStdString(e.LabelResultValue->text()), c.result);
        EXPECT_EQ(errorWindows, 0);
        delete editor.data();
    }
}

}  // namespace
