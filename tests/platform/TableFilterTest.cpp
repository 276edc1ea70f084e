// Filters of every shape the program writes: comparisons of integers, texts, dates and times,
// AND, OR and NOT nested, the empty filter; bound values whatever the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/ItemsTable.h"

using Strings = std::vector<std::string>;

namespace {

class TableFilter : public ::testing::Test {
protected:
    void SetUp() override {
        items.Add(1, 45000, "a", 0.25);
        items.Add(1, 45001, "b");
        items.Add(2, 45001, "c");
        items.Add(3, 45002, "d");
        items.Add(2, 45003, "O'Neil");
        items.Add(3, 45000, "D");
        items.Configure(table);
        table.SetFiltered(true);
        table.Open();
    }

    Strings Shown(const TFilter& filter) {
        table.SetFilter(filter);
        return Names(table);
    }

    ItemsTable items;
    TTable table;
};

}  // namespace

TEST_F(TableFilter, ShowsExactlyTheRowsThatMatch) {
    const auto grp = Where("Grp");
    const auto day = Where("Day");
    const auto name = Where("Name");
    const struct {
        const char* what;
        TFilter filter;
        Strings shown;
    } cases[] = {
        {"empty", TFilter(), {"a", "b", "c", "O'Neil", "D", "d"}},
        {"=", grp == 1, {"a", "b"}},
        {"<>", grp != 1, {"c", "O'Neil", "D", "d"}},
        {"<", grp < 2, {"a", "b"}},
        {"<=", grp <= 2, {"a", "b", "c", "O'Neil"}},
        {">", grp > 2, {"D", "d"}},
        {">=", grp >= 2, {"c", "O'Neil", "D", "d"}},
        {"text case", name == "d", {"d"}},
        {"text quote", name == "O'Neil", {"O'Neil"}},
        {"text <>", name != "a" && grp == 1, {"b"}},
        {"date up to, time dropped", day <= 45001.9, {"a", "b", "c", "D"}},
        {"date equal, whole day", day == 45001.5, {"b", "c"}},
        {"date period", day >= 45001.0 && day <= 45002.0, {"b", "c", "d"}},
        {"time", Where("At") > 0.2, {"a"}},
        {"counter", Where("N") >= 5, {"O'Neil", "D"}},
        {"manual events of a day",
         grp == 1 && day == 45001.0 && (name == "x" || (name == "b" && grp == 1) || name == "y"),
         {"b"}},
        {"kinds of a period",
         grp == 3 && day >= 45000.0 && (name == "d" || name == "D"),
         {"D", "d"}},
        {"not or", !(grp == 1 || grp == 3), {"c", "O'Neil"}},
        {"not not", !!(grp == 2), {"c", "O'Neil"}},
        {"all of a list", TFilter::AllOf({grp >= 2, day < 45002.0, TFilter()}), {"c", "D"}},
        {"any of nothing", TFilter::AnyOf({}), {}},
        {"and any of nothing", grp == 1 && TFilter::AnyOf({}), {}},
        {"any of everything", grp == 1 || TFilter(), {"a", "b", "c", "O'Neil", "D", "d"}},
        {"not everything", !TFilter(), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Shown(c.filter), c.shown);
        EXPECT_EQ(table.RecordCount(), static_cast<int>(c.shown.size()));
    }
}

TEST_F(TableFilter, CountsOnlyWhileFilteredAndReopensWhenChanged) {
    table.SetFilter(Where("Grp") == 2);
    EXPECT_EQ(Name(table), "c");  // the new view from its first row
    table.Last();
    table.SetFiltered(false);
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.RecordCount(), 6);
    table.SetFiltered(true);
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(TableFilter, AValueOfTheWrongKindOrAnUnknownFieldIsRefused) {
    for (const TFilter& filter :
         {Where("Grp") == "1", Where("Name") == 1, Where("Grp") == 1.5, Where("Day") == "45000",
          Where("Nope") == 1, Where("Grp") == 1 && !(Where("Name") == 2)}) {
        SCOPED_TRACE(filter.Text());
        EXPECT_THROW(table.SetFilter(filter), EDatabaseError);
        EXPECT_FALSE(table.Active());
        table.SetFilter(TFilter());
        table.Open();
    }
}

TEST_F(TableFilter, TextShowsTheFilterAsTheProgramWritesIt) {
    const TFilter filter =
        Where("ID") == 5 && Where("DateEvent") <= 45000.5 &&
        (Where("TypeEvent") == "CN" || (Where("TypeEvent") == "CH" && Where("IDCharge") == 0) ||
         Where("TypeEvent") == "PY");
    EXPECT_EQ(filter.Text(),
              "ID=5 AND DateEvent<=45000.5 AND (TypeEvent='CN' OR (TypeEvent='CH' AND "
              "IDCharge=0) OR TypeEvent='PY')");
    EXPECT_EQ(TFilter().Text(), "");
    EXPECT_EQ((!(Where("Status") != "BACK")).Text(), "NOT (Status<>'BACK')");
    EXPECT_EQ(Where("Name") == "O'Neil", Where("Name") == "O'Neil");
    EXPECT_FALSE((Where("Name") == "a") == (Where("Name") == "b"));
}

TEST_F(TableFilter, DatesCompareAsDayNumbersUnderAnyLocale) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale";
    const TFilter filter = Where("Day") <= 45001.5;
    EXPECT_EQ(filter.Text(), "Day<=45001.5");
    EXPECT_EQ(Shown(filter), (Strings{"a", "b", "c", "D"}));
    table.Append();
    table.FieldByName("Day").SetAsDateTime(44999.5);
    table.FieldByName("Name").SetAsString("e");
    table.Post();
    EXPECT_EQ(table.FieldByName("Day").AsDateTime(), 44999.0);
    std::setlocale(LC_NUMERIC, before.c_str());
}
