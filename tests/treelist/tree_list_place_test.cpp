#include "treelist/tree_list_model.h"
#include "treelist/tree_list_place.h"
#include "treelist/tree_list_style.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orb {
namespace {

constexpr int kKeyColumn = 1;

struct Row
{
    int level;
    std::string name;
    std::string id; // empty for a heading, keyed by its name
};

// Every rebuild deletes all items and inserts them collapsed, as the main window does.
class TreeListPlaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.InsertColumn("Name", 0x504144);
        model.InsertColumn("ID", 0x104144);
        model.SetStyle(tls::kMultiSelect);
    }

    void Build(const std::vector<Row>& rows)
    {
        model.DeleteItem(kTliRoot);
        std::vector<CTreeListItem*> parents{kTliRoot};
        for (const Row& row : rows) {
            parents.resize(row.level);
            CTreeListItem* item = model.InsertItem(row.name, parents.back(), kTliLast);
            model.SetItemText(kKeyColumn, item, row.id);
            parents.push_back(item);
        }
    }

    // The restored view's rebuild of `rows`; returns the new top row.
    int Rebuild(const std::vector<Row>& rows, int topRow = 0)
    {
        const TreeListPlace place = CaptureTreeListPlace(model, kKeyColumn, topRow);
        Build(rows);
        return RestoreTreeListPlace(model, place);
    }

    CTreeListItem* Find(const std::string& name) const
    {
        CTreeListItem* found = nullptr;
        model.ForEachItem([&](CTreeListItem& item) {
            if (!found && item.texts[0] == name)
                found = &item;
        });
        return found;
    }

    std::string Selected() const { return model.FirstSelected() ? model.FirstSelected()->texts[0] : "<none>"; }

    TreeListModel model;
};

const std::vector<Row> kTasks = {{1, "Tasks", ""}, {2, "Home", "L1"},  {3, "Milk", "t1"}, {3, "Bread", "t2"},
                                 {4, "Rye", "c2"}, {3, "Eggs", "t3"},  {2, "Work", "L2"}, {3, "Report", "r1"},
                                 {1, "Other", ""}, {2, "Spare", "s1"}, {3, "Bolt", "b1"}};

TEST_F(TreeListPlaceTest, ExpansionSelectionAndTheTopItemComeBackWhenRowsAreAddedAbove)
{
    Build(kTasks);
    for (const char* name : {"Tasks", "Home", "Bread", "Other", "Spare"})
        model.Expand(TreeListExpand::Expand, Find(name), 0);
    model.SelectItem(Find("Eggs"), 0, true);
    ASSERT_EQ(model.RowOfItem(Find("Milk")), 2);

    std::vector<Row> grown = kTasks;
    grown.insert(grown.begin() + 2, Row{3, "Tea", "t0"}); // a new first task, above the top row
    const int top = Rebuild(grown, 2);
    EXPECT_EQ(top, 3); // still Milk at the top
    EXPECT_EQ(model.ItemAtRow(top)->texts[0], "Milk");
    EXPECT_EQ(Selected(), "Eggs");
    for (const char* name : {"Tasks", "Home", "Bread", "Other", "Spare"})
        EXPECT_TRUE(Find(name)->IsExpanded()) << name;
    EXPECT_FALSE(Find("Work")->IsExpanded());
    EXPECT_EQ(model.VisibleRowCount(), 11); // all but Report

    // Collapsed by the user since: collapsed again even if something expanded it.
    model.Expand(TreeListExpand::Collapse, Find("Bread"), 0);
    const TreeListPlace place = CaptureTreeListPlace(model, kKeyColumn, 0);
    model.Expand(TreeListExpand::Expand, Find("Bread"), 0);
    RestoreTreeListPlace(model, place);
    EXPECT_FALSE(Find("Bread")->IsExpanded());
}

TEST_F(TreeListPlaceTest, AGoneSelectionFallsToTheNextSiblingElseThePreviousElseTheParent)
{
    Build(kTasks);
    model.SelectItem(Find("Bread"), 0, true);
    std::vector<Row> rows = kTasks;
    rows.erase(rows.begin() + 3, rows.begin() + 5); // Bread and its Rye
    Rebuild(rows);
    EXPECT_EQ(Selected(), "Eggs");

    rows.erase(rows.begin() + 3); // Eggs, the last of Home's tasks
    Rebuild(rows);
    EXPECT_EQ(Selected(), "Milk");

    rows.erase(rows.begin() + 2); // Milk, the only one left
    Rebuild(rows);
    EXPECT_EQ(Selected(), "Home");
    ASSERT_EQ(model.Selection().size(), 1u);

    // With nothing left to fall back to, nothing is selected and the top row stays.
    EXPECT_EQ(Rebuild({}, 4), 4);
    EXPECT_EQ(Selected(), "<none>");
}

TEST_F(TreeListPlaceTest, OneKeyUnderTwoParentsKeepsItsParentAndAMovedItemIsFoundWhereItWent)
{
    // One event shared by two calendars.
    const std::vector<Row> shared = {
        {1, "Cal", ""}, {2, "A", "a"}, {3, "Meet (A)", "e1"}, {2, "B", "b"}, {3, "Meet (B)", "e1"}};
    Build(shared);
    model.SelectItem(Find("Meet (B)"), 0, true);
    model.SelectItem(Find("A"), 0, false);
    Rebuild(shared);
    ASSERT_EQ(model.Selection().size(), 2u);
    EXPECT_EQ(model.Selection()[0]->texts[0], "A");
    EXPECT_EQ(model.Selection()[1]->texts[0], "Meet (B)");

    Build(kTasks);
    model.SelectItem(Find("Eggs"), 0, true);
    std::vector<Row> moved = kTasks;
    moved.erase(moved.begin() + 5);
    moved.insert(moved.begin() + 4, Row{4, "Eggs", "t3"}); // dropped under Bread
    Rebuild(moved);
    ASSERT_NE(model.FirstSelected(), nullptr);
    EXPECT_EQ(Selected(), "Eggs");
    EXPECT_EQ(model.FirstSelected()->parent->texts[0], "Bread");
}

} // namespace
} // namespace orb
