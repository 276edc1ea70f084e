// The table cursor: order, navigation, search, changes and their cursor positions, fields,
// events, and the filter borrowing helper.
#include <gtest/gtest.h>

#include <optional>
#include <type_traits>

#include "platform/ItemsTable.h"

using Strings = std::vector<std::string>;

namespace {

class TableCursor : public ::testing::Test {
protected:
    void SetUp() override {
        // Added out of index order; b1 and b2 share their key and keep the order of adding.
        items.Add(2, 45001, "c");
        items.Add(1, 45003, "b1");
        items.Add(1, 45000, "a");
        items.Add(1, 45003, "b2");
        items.Configure(table);
        table.Open();
    }

    ItemsTable items;
    TTable table;
};

}  // namespace

TEST_F(TableCursor, ShowsTheRowsInIndexOrderThenInTheOrderTheyWereAdded) {
    EXPECT_EQ(Names(table), (Strings{"a", "b1", "b2", "c"}));
    const struct {
        const char* index;   // a named index, or
        const char* fields;  // the fields to order by
        Strings shown;
    } orders[] = {
        {"ByName", nullptr, {"a", "b1", "b2", "c"}},
        {nullptr, "Day;Grp", {"a", "c", "b1", "b2"}},
        {"", nullptr, {"c", "b1", "a", "b2"}},  // no index: the order rows were added in
    };
    for (const auto& order : orders) {
        TTable view;
        items.Configure(view);
        if (order.index != nullptr) view.SetIndexName(order.index);
        if (order.fields != nullptr) view.SetIndexFieldNames(order.fields);
        view.Open();
        EXPECT_EQ(Names(view), order.shown);
    }
}

TEST_F(TableCursor, BofAndEofFollowTheWalkInBothDirections) {
    EXPECT_TRUE(table.Bof());
    EXPECT_FALSE(table.Eof());
    EXPECT_EQ(Name(table), "a");

    table.Last();
    EXPECT_TRUE(table.Eof());
    EXPECT_FALSE(table.Bof());
    Strings backwards;
    for (table.Last(); !table.Bof(); table.Prior()) backwards.push_back(Name(table));
    EXPECT_EQ(backwards, (Strings{"c", "b2", "b1", "a"}));
    EXPECT_EQ(Name(table), "a");  // Prior at the first row stays there

    table.Last();
    table.Next();
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(Name(table), "c");  // Next at the last row stays there

    // "Go to the last row and one row back".
    table.Last();
    table.Prior();
    EXPECT_EQ(Name(table), "b2");
}

// Bof and Eof are both true only on an empty view; otherwise the end is the one the last move
// went to or ran into.
TEST_F(TableCursor, AOneRowViewHasOneEndAtATime) {
    table.SetFilter(Where("Name") == "c");
    table.SetFiltered(true);
    const struct {
        const char* move;
        void (*go)(TTable&);
        bool bof;
        bool eof;
    } moves[] = {
        {"First", [](TTable& t) { t.First(); }, true, false},
        {"Next past the row", [](TTable& t) { t.Next(); }, false, true},
        {"Next again", [](TTable& t) { t.Next(); }, false, true},
        {"Prior before the row", [](TTable& t) { t.Prior(); }, true, false},
        {"Last", [](TTable& t) { t.Last(); }, false, true},
        {"Prior after Last", [](TTable& t) { t.Prior(); }, true, false},
        {"Locate", [](TTable& t) { ASSERT_TRUE(t.Locate("Name", {"c"})); }, false, false},
        {"Next after Locate", [](TTable& t) { t.Next(); }, false, true},
        {"Refresh", [](TTable& t) { t.Refresh(); }, false, false},
        {"Prior after Refresh", [](TTable& t) { t.Prior(); }, true, false},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(m.move);
        m.go(table);
        EXPECT_EQ(table.Bof(), m.bof);
        EXPECT_EQ(table.Eof(), m.eof);
        EXPECT_FALSE(table.IsEmpty());
        EXPECT_EQ(Name(table), "c");
    }
    // Both walks see the row once.
    EXPECT_EQ(Names(table), (Strings{"c"}));
    Strings backwards;
    for (table.Last(); !table.Bof(); table.Prior()) backwards.push_back(Name(table));
    EXPECT_EQ(backwards, (Strings{"c"}));
}

TEST_F(TableCursor, AnEmptyViewHasBothEndsAndReadsUnsetValues) {
    table.SetFilter(Where("Grp") == 99);
    table.SetFiltered(true);
    EXPECT_TRUE(table.Bof());
    EXPECT_TRUE(table.Eof());
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_EQ(table.RecordCount(), 0);
    table.Next();
    table.Last();
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.FieldByName("Grp").AsInteger(), 0);
    EXPECT_EQ(table.FieldByName("Name").AsString(), "");
    EXPECT_EQ(table.FieldByName("Day").AsDateTime(), 0.0);
}

TEST_F(TableCursor, LocateFindsTheFirstExactMatchInViewOrder) {
    struct Case {
        const char* fields;
        std::vector<TFieldValue> values;
        const char* found;  // null: not found, the cursor stays
    };
    const Case cases[] = {
        {"Name", {"b2"}, "b2"},
        {"Name", {"B2"}, nullptr},  // case matters
        {"Name", {"b"}, nullptr},   // no partial match
        {"Grp;Day", {1, 45003.0}, "b1"},
        {"Grp;Day", {1, 45003.75}, "b1"},  // a date compares as the whole day
        {"grp;DAY", {2, 45001.0}, "c"},    // field names without regard to case
        {"Grp;Day", {2, 45000.0}, nullptr},
        {"N", {3}, "a"},  // the record counter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        table.Last();
        EXPECT_EQ(table.Locate(c.fields, c.values), c.found != nullptr);
        EXPECT_EQ(Name(table), c.found != nullptr ? c.found : "c");
        if (c.found != nullptr) {
            EXPECT_FALSE(table.Bof() || table.Eof());
        }
    }
    // Walking on from a located row.
    ASSERT_TRUE(table.Locate("Name", {"b1"}));
    table.Next();
    EXPECT_EQ(Name(table), "b2");
    table.Prior();
    table.Prior();
    EXPECT_EQ(Name(table), "a");
    // Only the filtered view is searched.
    table.SetFilter(Where("Grp") == 2);
    table.SetFiltered(true);
    EXPECT_FALSE(table.Locate("Name", {"a"}));
    EXPECT_THROW(table.Locate("Name", {1}), EDatabaseError);
    EXPECT_THROW(table.Locate("Grp;Day", {1}), EDatabaseError);
    EXPECT_THROW(table.Locate("Nope", {1}), EDatabaseError);
}

TEST_F(TableCursor, PostLeavesTheCursorOnThePostedRowInIndexOrder) {
    table.Append();
    table.FieldByName("Grp").SetAsInteger(1);
    table.FieldByName("Day").SetAsDateTime(45001);
    table.FieldByName("Name").SetAsString("new");
    table.Post();
    EXPECT_EQ(Name(table), "new");
    EXPECT_EQ(table.FieldByName("N").AsInteger(), 5);
    table.Next();
    EXPECT_EQ(Name(table), "b1");
    table.Prior();
    table.Prior();
    EXPECT_EQ(Name(table), "a");

    // An edit that changes the key moves the row to its new place.
    ASSERT_TRUE(table.Locate("Name", {"a"}));
    table.Edit();
    table.FieldByName("Grp").SetAsInteger(3);
    table.Post();
    EXPECT_EQ(Name(table), "a");
    EXPECT_EQ(table.FieldByName("Grp").AsInteger(), 3);
    table.Next();
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(Names(table), (Strings{"new", "b1", "b2", "c", "a"}));
}

TEST_F(TableCursor, APostedRowThatTheFilterHidesLeavesTheCursorOnTheRowAfterItsPlace) {
    table.SetFilter(Where("Grp") == 1);
    table.SetFiltered(true);
    table.Append();
    table.FieldByName("Grp").SetAsInteger(1);
    table.FieldByName("Day").SetAsDateTime(45001);
    table.FieldByName("Name").SetAsString("hidden");
    table.Post();  // shown: Grp is 1
    ASSERT_EQ(Name(table), "hidden");
    table.Edit();
    table.FieldByName("Grp").SetAsInteger(7);
    table.Post();  // no longer shown: the cursor goes to the row after its place
    EXPECT_EQ(Name(table), "b1");
    EXPECT_EQ(Names(table), (Strings{"a", "b1", "b2"}));

    ASSERT_TRUE(table.Locate("Name", {"b2"}));
    table.Edit();
    table.FieldByName("Grp").SetAsInteger(8);
    table.Post();  // was the last: the cursor goes to the new last
    EXPECT_EQ(Name(table), "b1");
}

TEST_F(TableCursor, DeleteLeavesTheCursorOnTheNextRowOrTheNewLast) {
    ASSERT_TRUE(table.Locate("Name", {"b1"}));
    table.Delete();
    EXPECT_EQ(Name(table), "b2");
    EXPECT_FALSE(table.Eof());
    table.Last();
    table.Delete();
    EXPECT_EQ(Name(table), "b2");
    EXPECT_EQ(Names(table), (Strings{"a", "b2"}));

    // "Go to the first row and delete rows until the view is empty".
    table.First();
    while (!table.IsEmpty()) table.Delete();
    EXPECT_TRUE(table.Bof() && table.Eof());
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_THROW(table.Delete(), EDatabaseError);

    // A table emptied and filled again gives new counters.
    items.Add(1, 1, "again");
    table.Refresh();
    EXPECT_EQ(table.FieldByName("N").AsInteger(), 5);
}

TEST_F(TableCursor, DeletingWhileWalkingKeepsTheWalk) {
    Strings kept;
    table.First();
    while (!table.Eof()) {
        if (Name(table).front() == 'b') {
            table.Delete();
        } else {
            kept.push_back(Name(table));
            table.Next();
        }
    }
    EXPECT_EQ(kept, (Strings{"a", "c"}));
    EXPECT_EQ(Names(table), (Strings{"a", "c"}));
}

TEST_F(TableCursor, EditsArePostedByMovingAndDroppedByCancelOrClose) {
    table.Edit();
    table.FieldByName("Name").SetAsString("moved");
    table.Next();  // posts
    EXPECT_EQ(table.State(), TDataSetState::Browse);

    table.Edit();
    table.FieldByName("Name").SetAsString("cancelled");
    EXPECT_EQ(Name(table), "cancelled");  // the edited value is read while editing
    table.Cancel();
    EXPECT_EQ(Name(table), "b1");

    table.Append();
    table.FieldByName("Name").SetAsString("dropped");
    table.Close();
    table.Open();
    EXPECT_EQ(Names(table), (Strings{"moved", "b1", "b2", "c"}));
}

TEST_F(TableCursor, FieldsHaveTheirKindsAndPositions) {
    ASSERT_EQ(table.FieldCount(), 5);
    EXPECT_EQ(table.Fields(0).FieldName(), "N");
    EXPECT_EQ(table.Fields(3).FieldName(), "Name");
    EXPECT_EQ(table.Fields(3).Kind(), TFieldKind::Text);
    EXPECT_EQ(&table.FieldByName("name"), &table.Fields(3));
    EXPECT_EQ(table.FindField("Missing"), nullptr);
    EXPECT_THROW(table.FieldByName("Missing"), EDatabaseError);
    EXPECT_THROW(table.Fields(5), EDatabaseError);

    // Unset fields read as 0, "" and day 0; a date keeps the whole day, a time the fraction.
    table.Append();
    table.FieldByName("Day").SetAsDateTime(45000.75);
    table.FieldByName("At").SetAsDateTime(45000.75);
    table.Post();
    EXPECT_EQ(table.FieldByName("Grp").AsInteger(), 0);
    EXPECT_EQ(Name(table), "");
    EXPECT_EQ(table.FieldByName("Day").AsDateTime(), 45000.0);
    EXPECT_EQ(table.FieldByName("At").AsDateTime(), 0.75);
    EXPECT_EQ(table.FieldByName("Day").Value(), TFieldValue(45000.0));

    // Each kind through its own accessor; the counter is the table's; writes need edit mode.
    EXPECT_THROW(table.FieldByName("Name").AsInteger(), EDatabaseError);
    EXPECT_THROW(table.FieldByName("Grp").AsString(), EDatabaseError);
    EXPECT_THROW(table.FieldByName("Grp").SetAsInteger(1), EDatabaseError);
    table.Edit();
    EXPECT_THROW(table.FieldByName("Grp").SetAsString("1"), EDatabaseError);
    EXPECT_THROW(table.FieldByName("Grp").SetValue(1.5), EDatabaseError);
    EXPECT_THROW(table.FieldByName("N").SetAsInteger(99), EDatabaseError);
    table.FieldByName("Day").SetValue(45002);  // a day number as an integer
    table.Post();
    EXPECT_EQ(table.FieldByName("Day").AsDateTime(), 45002.0);
}

TEST_F(TableCursor, RowsAreCopiedFieldByFieldFromTheSecondFieldOn) {
    ItemsTable other;
    TTable target;
    other.Configure(target);
    target.Open();
    for (table.First(); !table.Eof(); table.Next()) {
        target.Append();
        for (int i = 1; i < table.FieldCount(); ++i)
            target.Fields(i).SetValue(table.Fields(i).Value());
        target.Post();
    }
    EXPECT_EQ(Names(target), Names(table));
    target.Last();
    EXPECT_EQ(target.FieldByName("Day").AsDateTime(), 45001.0);
}

TEST_F(TableCursor, AReadOnlyTableRefusesChanges) {
    TTable readOnly;
    items.Configure(readOnly);
    readOnly.SetReadOnly(true);
    readOnly.Open();
    EXPECT_THROW(readOnly.Append(), EDatabaseError);
    EXPECT_THROW(readOnly.Edit(), EDatabaseError);
    EXPECT_THROW(readOnly.Delete(), EDatabaseError);
    EXPECT_EQ(readOnly.RecordCount(), 4);
}

TEST_F(TableCursor, ConfigurationIsCheckedWhenOpening) {
    EXPECT_THROW(table.SetTableName("Other"), EDatabaseError);  // the table is open
    table.Close();

    TTable spelled;
    spelled.SetDatabaseName(items.Folder() + "/");
    spelled.SetTableName("ITEMS.DB");
    spelled.Open();
    EXPECT_EQ(spelled.RecordCount(), 4);

    const struct {
        const char* table;
        const char* index;
    } bad[] = {{"Missing.db", "Index01"}, {"Items.db", "Index99"}};
    for (const auto& b : bad) {
        TTable t;
        t.SetDatabaseName(items.Folder());
        t.SetTableName(b.table);
        t.SetIndexName(b.index);
        try {
            t.Open();
            ADD_FAILURE() << b.table << " " << b.index;
        } catch (const EDatabaseError& error) {
            EXPECT_TRUE(error.File().ends_with("/items/tables.sqlite")) << error.File();
            EXPECT_NE(std::string(error.what()).find(error.File()), std::string::npos);
        }
        EXPECT_FALSE(t.Active());
    }
    TTable badFields;
    items.Configure(badFields);
    badFields.SetIndexFieldNames("Grp;Nope");
    EXPECT_THROW(badFields.Open(), EDatabaseError);
    EXPECT_THROW(badFields.First(), EDatabaseError);  // closed
}

TEST_F(TableCursor, AWalkLongerThanTheKeptWindowSeesEveryRowOnceInBothDirections) {
    {
        TTransactionScope scope(items.Folder());
        for (int i = 0; i < 9000; ++i) items.Add(5, 46000 + i % 97, std::to_string(i));
        scope.Commit();
    }
    table.SetFilter(Where("Grp") == 5);
    table.SetFiltered(true);
    int forward = 0;
    double lastDay = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        const double day = table.FieldByName("Day").AsDateTime();
        ASSERT_LE(lastDay, day);
        lastDay = day;
        ++forward;
    }
    int backward = 0;
    for (table.Last(); !table.Bof(); table.Prior()) {
        const double day = table.FieldByName("Day").AsDateTime();
        ASSERT_GE(lastDay, day);
        lastDay = day;
        ++backward;
    }
    EXPECT_EQ(forward, 9000);
    EXPECT_EQ(backward, 9000);
    EXPECT_EQ(table.RecordCount(), 9000);
}

TEST_F(TableCursor, EventsReportClosesAndChangesOfTheView) {
    std::vector<std::string> seen;
    const int id = table.AddDataChangeHandler([&](TTable& t, const TField* field) {
        seen.push_back(field != nullptr ? "field " + field->FieldName()
                                        : "row " + t.FieldByName("Name").AsString());
    });
    table.BeforeClose = [&](TTable& t) { seen.push_back("close " + std::to_string(t.Active())); };

    table.Next();
    table.Edit();
    table.FieldByName("Name").SetAsString("x");
    table.Post();
    table.Locate("Name", {"c"});
    table.Close();
    table.RemoveDataChangeHandler(id);
    table.Open();
    EXPECT_EQ(seen, (Strings{"row b1", "field Name", "row x", "row c", "close 1"}));
}

TEST_F(TableCursor, AFilterScopeRestoresTheFilterAndLeavesTheTableOpen) {
    const TFilter own = Where("Grp") == 2;
    table.SetFilter(Where("Grp") == 1);
    table.SetFiltered(false);
    table.Close();
    {
        TFilterScope scope(table, own);
        EXPECT_TRUE(table.Filtered());
        EXPECT_EQ(Names(table), (Strings{"c"}));
    }
    EXPECT_TRUE(table.Active());
    EXPECT_FALSE(table.Filtered());
    EXPECT_EQ(table.Filter(), Where("Grp") == 1);
    EXPECT_EQ(table.RecordCount(), 4);

    // The empty filter shows every row; the scope's own error goes on, the filter comes back.
    table.SetFiltered(true);
    try {
        TFilterScope scope(table, TFilter());
        EXPECT_EQ(table.RecordCount(), 4);
        throw std::runtime_error("own");
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "own");
    }
    EXPECT_TRUE(table.Filtered());
    EXPECT_EQ(Names(table), (Strings{"a", "b1", "b2"}));
}

TEST_F(TableCursor, AFilterScopeReportsAFailedReopenOnlyThroughRestore) {
    static_assert(std::is_nothrow_destructible_v<TFilterScope>);
    // Inside the scope the table gets an index it does not have, so reopening it fails.
    const auto breakReopen = [&] {
        table.Close();
        table.SetIndexName("Index99");
    };
    for (const bool byError : {false, true}) {
        SCOPED_TRACE(byError ? "left by an error" : "left normally");
        try {
            TFilterScope scope(table, Where("Grp") == 1);
            breakReopen();
            if (byError) throw std::runtime_error("own");
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "own");
        }
        EXPECT_FALSE(table.Active());
        EXPECT_FALSE(table.Filtered());  // put back even so
        table.SetIndexName("Index01");
        table.Open();
    }

    std::optional<TFilterScope> scope(std::in_place, table, Where("Grp") == 1);
    breakReopen();
    EXPECT_THROW(scope->Restore(), EDatabaseError);
    EXPECT_FALSE(table.Filtered());
    table.SetIndexName("Index01");
    scope.reset();  // restored already: the table stays as the caller left it
    EXPECT_FALSE(table.Active());
    scope.emplace(table, Where("Grp") == 1);
    scope->Restore();
    EXPECT_EQ(table.RecordCount(), 4);
}
