// The object index without any widget: building it from the budget list and the budgets'
// Objects tables, its icons and expanded states, and every lookup.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "BudgetsFixture.h"
#include "shell/MainState.h"
#include "shell/ObjectIndex.h"

namespace fs = std::filesystem;

namespace {

class ObjectIndexTest : public BudgetsFixture {
protected:
    // Builds the index as the start does: the data module prepared, the captions read.
    std::optional<EDatabaseError> Build() {
        state.DataPath = folders.DataPath();
        state.CalendarCaption = "Calendar of the budget";
        state.LogCaption = "Journal of changes";
        dm.PrepareTables(folders.UsersDataPath());
        return index.Build(dm.TableBudgets, state);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const TIndexNode& node : index.Nodes()) names.push_back(node.Info.Name);
        return names;
    }

    TMainState state;
    TObjectIndex index;
};

TEST_F(ObjectIndexTest, HoldsEveryCompleteBudgetWithItsObjectsInTreeOrder) {
    EXPECT_FALSE(Build());
    EXPECT_EQ(Names(), kTree);
    const ObjectInfo& root = index.Node(0).Info;
    EXPECT_EQ(root.IDBudget, 1);
    EXPECT_EQ(root.Type, otBudget);
    EXPECT_EQ(root.ID, 1);
    EXPECT_EQ(root.IDParent, -1);
    EXPECT_EQ(root.Path, home);
    const ObjectInfo& rent = index.Node(4).Info;
    EXPECT_EQ(rent.IDBudget, 1);
    EXPECT_EQ(rent.Type, otTable);
    EXPECT_EQ(rent.ID, 12);
    EXPECT_EQ(rent.IDParent, 11);
    EXPECT_EQ(rent.Descript, "Monthly rent");
    EXPECT_EQ(rent.Path, home);
    EXPECT_EQ(index.Node(1).Info.Type, otCalendar);
    EXPECT_EQ(index.Node(2).Info.Type, otLog);
    EXPECT_EQ(index.Node(12).Info.IDBudget, 2);

    // Parents and children by index: Home's children, Flat's, and the roots.
    EXPECT_EQ(index.Node(0).Children, (std::vector<int>{1, 2, 3, 7, 9}));
    EXPECT_EQ(index.Node(3).Children, (std::vector<int>{4, 5, 6}));
    EXPECT_TRUE(index.Node(4).Children.empty());
    for (const int root : {0, 10, 14}) EXPECT_EQ(index.Node(root).Parent, -1);
    EXPECT_EQ(index.Node(4).Parent, 3);
    EXPECT_EQ(index.Node(11).Parent, 10);
}

// The stored icon is the collapsed one; every expanded node shows the next one. A file
// collection shows the next one while selected. A node without children is never expanded.
TEST_F(ObjectIndexTest, IconsFollowTypeStateAndExpansion) {
    Build();
    for (const TIconCase& c : kIconCases) {
        SCOPED_TRACE(kTree[c.index]);
        EXPECT_EQ(index.Node(c.index).Image, c.image);
        EXPECT_EQ(index.Node(c.index).SelectedImage, c.selectedImage);
        EXPECT_EQ(index.Node(c.index).Expanded, c.expanded);
    }

    // Expanding or collapsing twice counts once; Empty has no children to show.
    index.SetExpanded(3, false);
    index.SetExpanded(3, false);
    EXPECT_EQ(index.Node(3).Image, 80);
    index.SetExpanded(10, true);
    index.SetExpanded(10, true);
    EXPECT_EQ(index.Node(10).Image, 5);
    index.SetExpanded(9, true);
    EXPECT_FALSE(index.Node(9).Expanded);
    EXPECT_EQ(index.Node(9).Image, 84);
    // A new stored icon shows +1 while expanded.
    index.SetImage(10, 0);
    EXPECT_EQ(index.Node(10).Image, 1);
    EXPECT_EQ(index.Node(10).SelectedImage, 1);
    index.SetImage(3, 4);
    EXPECT_EQ(index.Node(3).Image, 4);
}

TEST_F(ObjectIndexTest, LookupsByObjectIdAndBudgetFolder) {
    Build();
    struct Case {
        const char* what;
        int id;
        std::string folder;
        int index;  // -1: nothing matches
        std::string name;
        std::string descript;
        int image;
        int type;
    };
    const std::vector<Case> cases = {
        {"a root", 0, home, 0, "Home", "", 1, otBudget},
        {"a root without a name", 0, nameless, 14, "", "", 4, otBudget},
        {"a root of another budget", 0, cottage, 10, "Cottage", "", 4, otBudget},
        // An object whose ID is its budget's ID is found, not the root.
        {"an object with its budget's ID", 2, cottage, 11, "Shed", "", 86, otFolder},
        {"an expanded folder", 11, home, 3, "Flat", "The flat", 81, otFolder},
        {"a table", 12, home, 4, "Rent", "Monthly rent", 16, otTable},
        {"an unknown ID", 99, home, -1, "", "", 0, 0},
        {"an object that is not in the tree", 18, home, -1, "", "", 0, 0},
        {"another spelling of the folder", 12, home + "/", -1, "", "", 0, 0},
        {"no folder", 0, "", -1, "", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(index.IndexOf(c.id, c.folder), c.index);
        const ObjectInfo* found = index.FindObject(c.id, c.folder);
        EXPECT_EQ(found, c.index >= 0 ? &index.Node(c.index).Info : nullptr);
        EXPECT_EQ(index.GetObjectName(c.id, c.folder), c.name);
        EXPECT_EQ(index.GetObjectDescript(c.id, c.folder), c.descript);
        EXPECT_EQ(index.GetObjectImage(c.id, c.folder), c.image);
        EXPECT_EQ(index.GetObjectType(c.id, c.folder), c.type);
    }
}

TEST_F(ObjectIndexTest, ObjectPathsRunFromTheRootDown) {
    Build();
    struct Case {
        int id;
        std::string folder;
        std::string separator;
        std::string path;  // before
        int result;
        std::string expected;
    };
    for (const Case& c :
         {Case{12, home, "\\", "", 0, "Home\\Flat\\Rent\\"},
          Case{0, cottage, " / ", "tail", 0, "Cottage / tail"},
          Case{2, cottage, "/", "", 0, "Cottage/Shed/"}, Case{18, home, "\\", "kept", -1, "kept"},
          Case{0, folders.UsersDataPath() + "Gone", "\\", "", -1, ""}}) {
        SCOPED_TRACE(c.expected);
        std::string path = c.path;
        EXPECT_EQ(index.GetObjectPath(path, c.separator, c.id, c.folder), c.result);
        EXPECT_EQ(path, c.expected);
    }
}

TEST_F(ObjectIndexTest, AncestorsNamesAndChildrenWithinOneBudget) {
    Build();
    struct Ancestor {
        int ancestor;
        int object;
        std::string folder;
        bool expected;
    };
    for (const Ancestor& c : {Ancestor{11, 12, home, true}, Ancestor{0, 12, home, true},
                              Ancestor{0, 11, home, true}, Ancestor{13, 12, home, false},
                              Ancestor{12, 12, home, false}, Ancestor{11, 99, home, false},
                              Ancestor{11, 12, cottage, false}, Ancestor{0, 2, cottage, true}}) {
        SCOPED_TRACE(std::to_string(c.ancestor) + " above " + std::to_string(c.object));
        EXPECT_EQ(index.IsAncestor(c.ancestor, c.object, c.folder), c.expected);
    }

    struct Name {
        int parent;
        int excluded;
        std::string name;
        std::string folder;
        int expected;
    };
    for (const Name& c : {Name{11, 0, "Rent", home, 1}, Name{11, 12, "Rent", home, 0},
                          Name{11, 0, "rent", home, 0}, Name{0, 0, "Flat", home, 1},
                          Name{0, 0, "Shed", home, 0}, Name{0, 0, "Shed", cottage, 1}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(index.NameExists(c.parent, c.excluded, c.name, c.folder), c.expected);
    }

    struct Children {
        int id;
        std::string folder;
        int expected;
    };
    for (const Children& c :
         {Children{11, home, 0}, Children{0, home, 0}, Children{12, home, 1}, Children{17, home, 1},
          Children{2, home, 1}, Children{0, cottage, 0}, Children{2, cottage, 1}}) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(index.HasNoChildren(c.id, c.folder), c.expected);
    }
}

// A budget whose tables cannot be read is left out and its error returned, once; the rest of
// the index stands. An error of the budget list itself keeps the index as it was.
TEST_F(ObjectIndexTest, ABudgetThatCannotBeReadIsLeftOutAndItsErrorReturned) {
    std::ofstream(cottage + "/tables.sqlite", std::ios::binary | std::ios::trunc)
        << std::string(4096, 'x');
    const std::optional<EDatabaseError> error = Build();
    ASSERT_TRUE(error);
    EXPECT_NE(std::string(error->what()).find("Cottage"), std::string::npos);
    EXPECT_EQ(index.Count(), static_cast<int>(kTree.size()) - 4);
    EXPECT_EQ(index.IndexOf(0, cottage), -1);
    EXPECT_EQ(index.IndexOf(0, nameless), index.Count() - 3);

    const int count = index.Count();
    dm.TableBudgets.Close();
    EXPECT_THROW(index.Build(dm.TableBudgets, state), EDatabaseError);
    EXPECT_EQ(index.Count(), count);
    EXPECT_EQ(index.GetObjectName(12, home), "Rent");
}

TEST_F(ObjectIndexTest, ObjectsWhoseParentsFormALoopAreHeldOnce) {
    AddObject(home, 30, 0, otFolder, 80, "Loop A", "Y");
    AddObject(home, 31, 30, otFolder, 80, "Loop B", "Y");
    AddObject(home, 30, 31, otFolder, 80, "Loop C", "Y");
    Build();
    const std::vector<std::string> names = Names();
    const auto a = std::find(names.begin(), names.end(), "Loop A");
    ASSERT_NE(a, names.end());
    EXPECT_EQ(std::vector<std::string>(a, a + 3),
              (std::vector<std::string>{"Loop A", "Loop B", "Loop C"}));
    EXPECT_EQ(names.size(), kTree.size() + 3);
    // The first node with the ID counts; the walk up ends instead of running around the loop.
    EXPECT_EQ(index.GetObjectName(30, home), "Loop A");
    std::string path;
    EXPECT_EQ(index.GetObjectPath(path, "/", 30, home), 0);
    EXPECT_EQ(path, "Home/Loop A/");
    EXPECT_FALSE(index.IsAncestor(5, 31, home));
}

}  // namespace
