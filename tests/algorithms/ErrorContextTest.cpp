// The error context of one user action.
#include <gtest/gtest.h>

#include "algorithms/Uq519algorithm01.h"

TEST(GlobalErrors, GatherErrorsUnderTheirAlgorithmsUntilTheReset) {
    ResetGlobalErrors();
    GlobatErrWatch& watch = ErrWatch();
    EXPECT_FALSE(watch.HasErrors);

    watch.NameObject = "Rent";
    AddGlobalError("Heating", Error01{"Other", 3, kErrCharacter, "#"});
    AddGlobalErrors(
        "Water", {Error01{"", 1, kErrNoLabel, "End"}, Error01{"", -1, kErrDatumNotObtained, ""}});
    EXPECT_TRUE(watch.HasErrors);
    ASSERT_EQ(watch.Errors.size(), 3u);
    EXPECT_EQ(watch.Errors[0].NameAlg, "Heating");
    EXPECT_EQ(watch.Errors[0].NLine, 3);
    EXPECT_EQ(watch.Errors[0].Text, "#");
    EXPECT_EQ(watch.Errors[1].NameAlg, "Water");
    EXPECT_EQ(watch.Errors[2].ErrCode, kErrDatumNotObtained);
    EXPECT_EQ(watch.Errors[2].NLine, -1);

    watch.NameAlg = "Heating";
    watch.CalcCount = 4;
    watch.Prepared.Get("[V001()] = 1", {});
    ResetGlobalErrors();
    EXPECT_FALSE(watch.HasErrors);
    EXPECT_TRUE(watch.Errors.empty());
    EXPECT_TRUE(watch.NameObject.empty());
    EXPECT_TRUE(watch.NameAlg.empty());
    EXPECT_EQ(watch.CalcCount, 0);
    EXPECT_EQ(watch.Prepared.Size(), 0u);
}

TEST(GlobalErrors, AnEmptyListStillMarksTheContext) {
    ResetGlobalErrors();
    AddGlobalErrors("Any", {});
    EXPECT_TRUE(ErrWatch().HasErrors);
    EXPECT_TRUE(ErrWatch().Errors.empty());
    ResetGlobalErrors();
}
