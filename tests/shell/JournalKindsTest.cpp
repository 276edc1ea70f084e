// The program's journal kinds as the composition point registers them: one per Act, object Type
// and pay change code, each with the steps that undo it and keep a running budget's pay data.
#include <gtest/gtest.h>

#include <string>

#include "shell/JournalKinds.h"
#include "store/TransKind.h"

TEST(JournalKinds, EveryKindIsRegisteredWithItsUndoAndDerivedDataSteps) {
    RegisterJournalKinds();
    using enum TUndoBy;
    using enum TUndoResult;
    using enum TDerivedUpdate;
    const TStepData creation{OwnUndo, Zero, None, None, true};
    const TStepData deletion{ApplyAdd, ObjectId, None, None, true};
    const TStepData payDeletion{ApplyAdd, ObjectId, CalendarFromDayZero, CalendarFromDayZero, true};
    const TStepData payEvent{OwnUndo, ObjectId, CalendarAndRecalcFromDate,
                             CalendarAndRecalcFromDate, true};
    const struct {
        TKindKey key;
        TStepData steps;
    } kinds[] = {
        {{"ADD", 10}, creation},
        {{"ADD", 20}, creation},
        {{"ADD", 30}, creation},
        {{"ADD", 40}, creation},
        {{"ADD", 50}, creation},
        {{"ADD", 60}, creation},
        {{"DEL", 10}, deletion},
        {{"DEL", 20}, deletion},
        {{"DEL", 30}, deletion},
        {{"DEL", 40}, deletion},
        {{"DEL", 50}, deletion},
        {{"DEL", 60}, payDeletion},
        {{"REN"}, {OwnUndo, Zero, None, None, true}},
        {{"MOVE"}, {OwnUndo, ObjectId, None, None, true}},
        {{"CHANG", 20}, {OwnUndo, ObjectId, None, None, true}},
        // The album's application lies in its step; what its preparation moved, the opening
        // takes back (TakeBackPreparation) before it settles a row left "ACT".
        {{"CHANG", 30}, {OwnUndo, ObjectId, None, None, true}},
        {{"CHANG", 50}, {OwnUndo, ObjectId, RecalcFromBeginning, RecalcFromBeginning, true}},
        {{"CHANG", 60, 6010}, payEvent},
        {{"CHANG", 60, 6021}, payEvent},
        {{"CHANG", 60, 6022}, payEvent},
        {{"CHANG", 60, 6023}, payEvent},
        {{"CHANG", 60, 6031}, payEvent},
        {{"CHANG", 60, 6032}, payEvent},
        {{"CHANG", 60, 6033}, payEvent},
        {{"CHANG", 60, 6041}, payEvent},
        {{"CHANG", 60, 6042}, payEvent},
        {{"CHANG", 60, 6043}, payEvent},
        {{"CHANG", 60, 6050}, {OwnUndo, ObjectId, None, None, true}},
        {{"CHANG", 60}, {OwnUndo, ObjectId, None, None, false}},  // any other code, or none
        {{"IMP"},
         {OwnUndo, Zero, CalendarAndRecalcFromDate, CalendarFromDateRecalcFromBeginning, true,
          true}},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.key.Act + " " + std::to_string(kind.key.Type) + " " +
                     std::to_string(kind.key.Code));
        const TTransKind* registered = TransKinds().Find(kind.key);
        ASSERT_NE(registered, nullptr);
        EXPECT_TRUE(registered->Steps() == kind.steps);
    }
    // Content changes exist for these four types only; a pay change is chosen by its code.
    for (const TKindKey& none :
         {TKindKey{"CHANG", 10}, TKindKey{"CHANG", 40}, TKindKey{"CHANG", 60, 6060}})
        EXPECT_EQ(TransKinds().Find(none), nullptr);
}
