#include "app/windows/branch_update.h"
#include "tests/app/windows/tree_lookup.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_item.h"
#include "treelist/tree_list_style.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TreeRow Row(int level, const std::string& id, const std::string& name, std::optional<bool> checked = {},
            bool expanded = false)
{
    TreeRow row;
    row.level = level;
    row.texts = {name, "due " + id, "memo " + id, id};
    row.checked = checked;
    row.expanded = expanded;
    return row;
}

// A tree with the main window's four columns and one branch root.
struct Branch
{
    Branch()
    {
        tree.resize(300, 200);
        for (const char* column : {"Name", "Due", "Memo", "ID"})
            tree.InsertColumn(column, 0);
        tree.SetStyle(tls::kApplicationStyle);
        root = tree.InsertItem(kCalendarBranch);
        tree.Expand(TreeListExpand::Expand, root);
    }

    // Each row below the root in order: level, texts, check state and expansion.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> shown;
        const auto walk = [&](auto& self, const CTreeListItem* item) -> void {
            for (const CTreeListItem* child = item->firstChild; child; child = child->nextSibling) {
                shown.push_back(std::to_string(child->level) + " " + child->texts[0] + "|" + child->texts[1] + "|" +
                                child->texts[2] + "|" + child->texts[3] + " check " +
                                std::to_string(tree.GetCheck(child)) + (child->IsExpanded() ? " open" : ""));
                self(self, child);
            }
        };
        shown.push_back("root check " + std::to_string(tree.GetCheck(root)));
        walk(walk, root);
        return shown;
    }

    CTreeListItem* Find(const std::string& id) const { return test::FindRowById(tree, id); }

    CTreeListCtrl tree{1000};
    CTreeListItem* root = nullptr;
};

// The rows of a branch that a pass updates: each case is checked against the same rows built
// into an empty branch, which is what building the branch anew gives.
TEST(BranchUpdate, RowsChangeInPlaceAndEndAsABranchBuiltAnewWithTheUsersExpansionAndSelection)
{
    const std::vector<TreeRow> before{Row(2, "A", "Work", {}, true),    Row(3, "a1", "one", true),
                                      Row(3, "a2", "two", false),       Row(3, "a3", "three", true),
                                      Row(2, "B", "Home", {}, true),    Row(3, "b1", "dinner", true),
                                      Row(4, "b1x", "sub", false, true)};
    Branch live;
    ASSERT_TRUE(UpdateBranch(live.tree, live.root, before));
    // The user closes Home and picks "two".
    live.tree.Expand(TreeListExpand::Collapse, live.Find("B"));
    live.tree.SelectItem(live.Find("a2"));
    CTreeListItem* const work = live.Find("A");
    CTreeListItem* const one = live.Find("a1");
    CTreeListItem* const dinner = live.Find("b1");

    // "one" is renamed and unchecked and moves after "two"; "three" goes; a new row comes
    // in between; "sub" is checked now, which its parent shows; a new calendar comes last.
    const std::vector<TreeRow> after{
        Row(2, "A", "Work", {}, true),    Row(3, "a2", "two", false),     Row(3, "a1", "one!", false),
        Row(3, "aN", "new", true),        Row(2, "B", "Home", {}, true),  Row(3, "b1", "dinner", true),
        Row(4, "b1x", "sub", true, true), Row(2, "C", "Other", {}, true), Row(3, "c1", "lunch", false)};
    EXPECT_TRUE(UpdateBranch(live.tree, live.root, after));

    Branch fresh;
    UpdateBranch(fresh.tree, fresh.root, after);
    fresh.tree.Expand(TreeListExpand::Collapse, fresh.Find("B"));
    EXPECT_EQ(live.Shown(), fresh.Shown());
    EXPECT_EQ(live.Shown()[3], "3 one!|due a1|memo a1|a1 check 0") << "renamed and unchecked in place";
    // Of "one" and "two", which swapped, one item stays; every other kept row keeps its item.
    EXPECT_EQ(live.Find("A"), work);
    EXPECT_EQ(live.Find("a1"), one);
    EXPECT_EQ(live.Find("b1"), dinner);
    EXPECT_EQ(live.Find("a3"), nullptr);
    ASSERT_NE(live.tree.GetFirstSelectedItem(), nullptr);
    EXPECT_EQ(live.tree.GetFirstSelectedItem()->texts[kIdColumn], "a2") << "the selection follows its row";
    EXPECT_FALSE(live.Find("B")->IsExpanded()) << "closed by the user, so it stays closed";
    EXPECT_TRUE(live.Find("C")->IsExpanded()) << "a new row opens as its row says";
}

TEST(BranchUpdate, RowsEqualToWhatIsShownChangeNothing)
{
    const std::vector<TreeRow> rows{Row(2, "A", "Work", {}, true), Row(3, "a1", "one", true),
                                    Row(3, "a2", "two", false)};
    Branch live;
    UpdateBranch(live.tree, live.root, rows);
    live.tree.SelectItem(live.Find("a2"));
    const std::vector<std::string> shown = live.Shown();
    CTreeListItem* const two = live.Find("a2");

    EXPECT_FALSE(UpdateBranch(live.tree, live.root, rows));
    EXPECT_EQ(live.Shown(), shown);
    EXPECT_EQ(live.Find("a2"), two);
    EXPECT_EQ(live.tree.GetFirstSelectedItem(), two);
}

TEST(BranchUpdate, TheRowAtTheTopStaysThereWhenRowsComeInOrGoAboveIt)
{
    std::vector<TreeRow> rows{Row(2, "A", "Work", {}, true)};
    for (int i = 10; i < 60; ++i)
        rows.push_back(Row(3, "e" + std::to_string(i), "event " + std::to_string(i), false));
    Branch live;
    UpdateBranch(live.tree, live.root, rows);
    live.tree.SetScrollPosition(ScrollOrientation::Vertical, 20);
    const CTreeListItem* top = live.tree.Model().ItemAtRow(20);
    ASSERT_NE(top, nullptr);

    // Three new rows above the top one, one gone above it.
    rows.insert(rows.begin() + 1,
                {Row(3, "e0", "early", false), Row(3, "e1", "early", false), Row(3, "e2", "early", false)});
    rows.erase(rows.begin() + 5);
    ASSERT_TRUE(UpdateBranch(live.tree, live.root, rows));
    EXPECT_EQ(live.tree.Model().ItemAtRow(live.tree.ScrollPosition(ScrollOrientation::Vertical)), top);
    EXPECT_EQ(live.tree.ScrollPosition(ScrollOrientation::Vertical), 22);
}

} // namespace
} // namespace orb
