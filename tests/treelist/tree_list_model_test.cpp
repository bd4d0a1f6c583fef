#include "treelist/tree_list_model.h"
#include "treelist/tree_list_style.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace orb {
namespace {

struct Sent
{
    TreeListCode code;
    CTreeListItem* item;
};

// A model whose notifications are recorded and answered from a table.
class TreeListModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.InsertColumn("Name", 0x504144);
        model.InsertColumn("Due", 0x104444);
        model.SetNotifier([this](TreeListCode code, CTreeListItem* item, int) {
            sent.push_back({code, item});
            if (onNotify)
                onNotify(code, item);
            const auto reply = replies.find(code);
            return reply == replies.end() ? 0 : reply->second;
        });
    }

    std::vector<TreeListCode> Codes() const
    {
        std::vector<TreeListCode> codes;
        for (const Sent& s : sent)
            codes.push_back(s.code);
        return codes;
    }

    CTreeListItem* Add(const std::string& text, CTreeListItem* parent = kTliRoot)
    {
        return model.InsertItem(text, parent, kTliLast);
    }

    TreeListModel model;
    std::vector<Sent> sent;
    std::map<TreeListCode, int> replies;
    std::function<void(TreeListCode, CTreeListItem*)> onNotify;
};

std::vector<std::string> ChildTexts(const CTreeListItem* parent)
{
    std::vector<std::string> texts;
    for (const CTreeListItem* child = parent->firstChild; child; child = child->nextSibling)
        texts.push_back(child->texts[0]);
    return texts;
}

using TreeListItems = TreeListModelTest;

TEST_F(TreeListItems, InsertPositionsFollowTheHandles)
{
    CTreeListItem* b = model.InsertItem("b", kTliRoot, kTliLast);
    model.InsertItem("a", kTliRoot, kTliFirst);
    model.InsertItem("d", kTliRoot, kTliSort);
    model.InsertItem("c", kTliRoot, b);
    EXPECT_EQ(ChildTexts(model.Root()), (std::vector<std::string>{"a", "b", "c", "d"}));

    // An `after` that is not a child of the parent puts the item first.
    CTreeListItem* child = model.InsertItem("x", b, kTliLast);
    model.InsertItem("y", b, model.Root()->firstChild);
    EXPECT_EQ(ChildTexts(b), (std::vector<std::string>{"y", "x"}));
    EXPECT_EQ(child->prevSibling->texts[0], "y");
    EXPECT_EQ(model.LastChild(kTliRoot)->texts[0], "d");
    EXPECT_EQ(model.LastChild(child), nullptr);
}

TEST_F(TreeListItems, CountsFollowInsertsCollapsesAndDeletes)
{
    CTreeListItem* top = Add("top");
    CTreeListItem* mid = Add("mid", top);
    Add("leaf1", mid);
    Add("leaf2", mid);
    EXPECT_EQ(top->level, 1);
    EXPECT_EQ(mid->level, 2);
    EXPECT_EQ(model.Root()->itemCount, 5);
    EXPECT_EQ(top->itemCount, 4);
    // Nothing is expanded yet: one row.
    EXPECT_EQ(model.VisibleRowCount(), 1);
    EXPECT_EQ(mid->shownCount, 1);

    model.Expand(TreeListExpand::Expand, mid, 0);
    EXPECT_EQ(mid->shownCount, 3);
    EXPECT_EQ(top->shownCount, 1); // still collapsed, so its rows do not show
    EXPECT_EQ(model.VisibleRowCount(), 1);
    model.Expand(TreeListExpand::Expand, top, 0);
    EXPECT_EQ(model.VisibleRowCount(), 4);

    // Inserting under an expanded branch adds a row all the way up.
    Add("leaf3", mid);
    EXPECT_EQ(model.VisibleRowCount(), 5);

    // Collapsing keeps the children's expansion for the next time.
    model.Expand(TreeListExpand::Collapse, top, 0);
    EXPECT_EQ(model.VisibleRowCount(), 1);
    model.Expand(TreeListExpand::Expand, top, 0);
    EXPECT_EQ(model.VisibleRowCount(), 5);

    model.DeleteItem(mid->firstChild);
    EXPECT_EQ(model.Root()->itemCount, 5);
    EXPECT_EQ(model.VisibleRowCount(), 4);
    model.DeleteItem(mid);
    EXPECT_EQ(model.Root()->itemCount, 2);
    EXPECT_EQ(top->itemCount, 1);
    EXPECT_EQ(model.VisibleRowCount(), 1);
}

TEST_F(TreeListItems, NewItemTakesOnlyAFullCheckOrLockFromItsParent)
{
    CTreeListItem* parent = Add("p");
    model.SetCheck(parent, true);
    model.SetLock(parent, true);
    CTreeListItem* child = Add("c", parent);
    EXPECT_EQ(model.GetCheck(child), 1);
    EXPECT_EQ(model.GetLock(child), 1);

    CTreeListItem* second = Add("d", parent);
    model.SetCheck(second, false); // parent is now partly checked
    ASSERT_EQ(model.GetCheck(parent), 2);
    EXPECT_EQ(model.GetCheck(Add("e", parent)), 0);
    EXPECT_EQ(model.GetCheck(Add("top")), 0);
}

TEST_F(TreeListItems, TextsExistOnlyForColumnsMadeBeforeTheItem)
{
    CTreeListItem* early = Add("early");
    model.InsertColumn("Memo", 0x104144);
    CTreeListItem* late = Add("late");
    EXPECT_TRUE(model.SetItemText(2, late, "memo"));
    EXPECT_FALSE(model.SetItemText(2, early, "memo"));
    EXPECT_FALSE(model.SetItemText(-1, late, "x"));
    EXPECT_EQ(model.ItemText(early, 2), "");
    EXPECT_EQ(model.ItemText(late, 2), "memo");
}

TEST_F(TreeListItems, DeleteReportsChildrenBeforeParentsAndForgetsSelection)
{
    CTreeListItem* top = Add("top");
    CTreeListItem* a = Add("a", top);
    CTreeListItem* a1 = Add("a1", a);
    CTreeListItem* b = Add("b", top);
    model.SelectItem(a1, 0, true);
    sent.clear();
    bool selectedWhenReported = true;
    onNotify = [&](TreeListCode, CTreeListItem* item) {
        if (item == a1)
            selectedWhenReported = model.FirstSelected() == a1 || (a1->state & tli::kSelected) != 0;
    };

    model.DeleteItem(top);

    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].item, a1);
    EXPECT_EQ(sent[1].item, a);
    EXPECT_EQ(sent[2].item, b);
    EXPECT_EQ(sent[3].item, top);
    for (const Sent& s : sent)
        EXPECT_EQ(s.code, kItemDeleting);
    EXPECT_FALSE(selectedWhenReported);
    EXPECT_EQ(model.FirstSelected(), nullptr);
    EXPECT_EQ(model.FocusedItem(), nullptr);
    EXPECT_EQ(model.Root()->itemCount, 1);
}

TEST_F(TreeListItems, DeletingTheRootHandleEmptiesTheTree)
{
    Add("a");
    Add("b", Add("c"));
    EXPECT_TRUE(model.DeleteItem(kTliRoot));
    EXPECT_EQ(model.Root()->firstChild, nullptr);
    EXPECT_EQ(model.Root()->itemCount, 1);
    EXPECT_EQ(model.VisibleRowCount(), 0);
    EXPECT_EQ(sent.size(), 3u);
}

using TreeListExpandTest = TreeListModelTest;

TEST_F(TreeListExpandTest, ExpandReportsBeforeAndAfter)
{
    CTreeListItem* top = Add("top");
    Add("child", top);
    EXPECT_TRUE(model.Expand(TreeListExpand::Toggle, top, 1));
    EXPECT_EQ(Codes(), (std::vector<TreeListCode>{TreeListCode::Expanding, TreeListCode::Expanded}));
    EXPECT_TRUE(top->HasState(tli::kExpanded | tli::kExpandedOnce));

    // Already expanded: nothing to do, nothing said.
    sent.clear();
    EXPECT_FALSE(model.Expand(TreeListExpand::Expand, top, 0));
    EXPECT_TRUE(sent.empty());
}

TEST_F(TreeListExpandTest, RefusedExpandLeavesTheItem)
{
    CTreeListItem* top = Add("top");
    Add("child", top);
    replies[TreeListCode::Expanding] = kTreeListRefuse;
    EXPECT_FALSE(model.Expand(TreeListExpand::Expand, top, 0));
    EXPECT_EQ(Codes(), std::vector<TreeListCode>{TreeListCode::Expanding});
    EXPECT_FALSE(top->IsExpanded());
    EXPECT_EQ(top->state & tli::kExpandedOnce, 0u);
    EXPECT_EQ(model.VisibleRowCount(), 1);
}

TEST_F(TreeListExpandTest, ExpandedOnceChildlessItemSendsNothing)
{
    CTreeListItem* leaf = Add("leaf");
    // The first expansion may fill the item; here nobody does.
    EXPECT_TRUE(model.Expand(TreeListExpand::Expand, leaf, 0));
    sent.clear();
    EXPECT_FALSE(model.Expand(TreeListExpand::Collapse, leaf, 0));
    EXPECT_FALSE(model.Expand(TreeListExpand::Toggle, leaf, 0));
    EXPECT_TRUE(sent.empty());
}

TEST_F(TreeListExpandTest, ChildrenAddedWhileExpandingAreCounted)
{
    CTreeListItem* lazy = Add("lazy");
    onNotify = [&](TreeListCode code, CTreeListItem* item) {
        if (code == TreeListCode::Expanding && item == lazy) {
            Add("one", lazy);
            Add("two", lazy);
        }
    };
    model.Expand(TreeListExpand::Expand, lazy, 0);
    EXPECT_EQ(lazy->shownCount, 3);
    EXPECT_EQ(model.VisibleRowCount(), 3);
}

TEST_F(TreeListExpandTest, CollapseResetDeletesChildrenAndAllowsAnotherExpand)
{
    CTreeListItem* top = Add("top");
    Add("a", top);
    Add("b", top);
    model.Expand(TreeListExpand::Expand, top, 0);
    sent.clear();
    EXPECT_TRUE(model.Expand(TreeListExpand::CollapseReset, top, 0));
    EXPECT_EQ(Codes(), (std::vector<TreeListCode>{TreeListCode::Expanding, kItemDeleting, kItemDeleting,
                                                  TreeListCode::Expanded}));
    EXPECT_EQ(top->firstChild, nullptr);
    EXPECT_EQ(top->itemCount, 1);
    EXPECT_EQ(model.VisibleRowCount(), 1);
    EXPECT_TRUE(top->CanExpandOrCollapse());
}

using TreeListChecks = TreeListModelTest;

TEST_F(TreeListChecks, ClickOnMixedParentUnchecksTheWholeBranch)
{
    CTreeListItem* parent = Add("p");
    CTreeListItem* a = Add("a", parent);
    CTreeListItem* b = Add("b", parent);
    CTreeListItem* b1 = Add("b1", b);
    model.SetCheck(a, true);
    ASSERT_EQ(model.GetCheck(parent), 2);

    model.ToggleBox(parent, kCheckBits, true);
    for (CTreeListItem* item : {parent, a, b, b1})
        EXPECT_EQ(model.GetCheck(item), 0) << item->texts[0];
}

TEST_F(TreeListChecks, StateSpreadsDownAndSettlesUpwards)
{
    CTreeListItem* top = Add("top");
    CTreeListItem* mid = Add("mid", top);
    CTreeListItem* x = Add("x", mid);
    CTreeListItem* y = Add("y", mid);
    CTreeListItem* other = Add("other", top);

    model.SetCheck(x, true);
    EXPECT_EQ(model.GetCheck(mid), 2);
    EXPECT_EQ(model.GetCheck(top), 2);
    model.SetCheck(y, true);
    EXPECT_EQ(model.GetCheck(mid), 1);
    EXPECT_EQ(model.GetCheck(top), 2); // `other` is still unchecked
    model.SetCheck(other, true);
    EXPECT_EQ(model.GetCheck(top), 1);

    model.SetCheck(top, false);
    for (CTreeListItem* item : {top, mid, x, y, other})
        EXPECT_EQ(model.GetCheck(item), 0);
    // The hidden root takes no state.
    EXPECT_EQ(model.Root()->state & tli::kCheckMask, 0u);
}

TEST_F(TreeListChecks, ToggleWithoutSpreadingChangesOnlyTheItem)
{
    CTreeListItem* parent = Add("p");
    CTreeListItem* child = Add("c", parent);
    model.ToggleBox(child, kCheckBits, false);
    EXPECT_EQ(model.GetCheck(child), 1);
    EXPECT_EQ(model.GetCheck(parent), 0);
}

TEST_F(TreeListChecks, LockBoxesSpreadLikeCheckBoxesAndIndependently)
{
    CTreeListItem* parent = Add("p");
    CTreeListItem* a = Add("a", parent);
    Add("b", parent);
    model.ToggleBox(a, kLockBits, true);
    EXPECT_EQ(model.GetLock(a), 1);
    EXPECT_EQ(model.GetLock(parent), 2);
    EXPECT_EQ(model.GetCheck(parent), 0);
    model.ToggleBox(parent, kLockBits, true); // partly -> unlocked
    EXPECT_EQ(model.GetLock(a), 0);
}

using TreeListSelection = TreeListModelTest;

TEST_F(TreeListSelection, SingleSelectionReplacesAndReportsAround)
{
    CTreeListItem* a = Add("a");
    CTreeListItem* b = Add("b");
    EXPECT_EQ(model.SelectItem(a, 0, false), SelectOutcome::Changed);
    EXPECT_EQ(model.SelectItem(b, 1, false), SelectOutcome::Changed); // no multi style: replaces
    EXPECT_EQ(model.Selection(), std::vector<CTreeListItem*>{b});
    EXPECT_EQ(a->state & tli::kSelected, 0u);
    EXPECT_EQ(model.FocusedItem(), b);
    EXPECT_EQ(model.FocusedColumn(), 1);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[2].code, TreeListCode::SelectChanging);
    EXPECT_EQ(sent[2].item, b);
    EXPECT_EQ(sent[3].code, TreeListCode::SelectChanged);
}

TEST_F(TreeListSelection, RefusalKeepsTheSelection)
{
    CTreeListItem* a = Add("a");
    CTreeListItem* b = Add("b");
    model.SelectItem(a, 0, true);
    replies[TreeListCode::SelectChanging] = kTreeListRefuse;
    EXPECT_EQ(model.SelectItem(b, 0, true), SelectOutcome::Refused);
    EXPECT_EQ(model.FirstSelected(), a);
    EXPECT_EQ(model.SelectItem(nullptr, 0, true), SelectOutcome::Refused);
    EXPECT_EQ(model.FirstSelected(), a);
}

TEST_F(TreeListSelection, ControlClickTogglesAtTheFront)
{
    model.SetStyle(tls::kMultiSelect);
    CTreeListItem* a = Add("a");
    CTreeListItem* b = Add("b");
    CTreeListItem* c = Add("c");
    model.SelectItem(a, 0, true);
    model.SelectItem(b, 0, false);
    model.SelectItem(c, 0, false);
    EXPECT_EQ(model.Selection(), (std::vector<CTreeListItem*>{c, b, a}));
    EXPECT_EQ(model.NextSelected(kTliRoot), c);
    EXPECT_EQ(model.NextSelected(c), b);
    EXPECT_EQ(model.NextSelected(a), nullptr);

    model.SelectItem(b, 0, false);
    EXPECT_EQ(model.Selection(), (std::vector<CTreeListItem*>{c, a}));
    EXPECT_EQ(b->state & tli::kSelected, 0u);
    EXPECT_EQ(model.FocusedItem(), b);

    model.SelectItem(a, 0, true);
    EXPECT_EQ(model.Selection(), std::vector<CTreeListItem*>{a});
}

TEST_F(TreeListSelection, FirstSelectedInFocusedColumnOnlyScrolls)
{
    CTreeListItem* a = Add("a");
    model.SelectItem(a, 1, true);
    sent.clear();
    EXPECT_EQ(model.SelectItem(a, 1, true), SelectOutcome::ScrollOnly);
    EXPECT_TRUE(sent.empty());
    // Another column of the same item is a real change.
    EXPECT_EQ(model.SelectItem(a, 0, true), SelectOutcome::Changed);
}

TEST_F(TreeListSelection, NoItemEmptiesTheSelection)
{
    CTreeListItem* a = Add("a");
    model.SelectItem(a, 0, true);
    sent.clear();
    EXPECT_EQ(model.SelectItem(nullptr, 0, true), SelectOutcome::Changed);
    EXPECT_TRUE(model.Selection().empty());
    EXPECT_EQ(a->state & tli::kSelected, 0u);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].item, nullptr);
    EXPECT_EQ(sent[1].code, TreeListCode::SelectChanged);
    EXPECT_EQ(sent[1].item, nullptr);
}

// The shown items by a plain walk, to check the counted lookups against.
void WalkShown(const CTreeListItem* parent, std::vector<const CTreeListItem*>& rows)
{
    for (const CTreeListItem* child = parent->firstChild; child; child = child->nextSibling) {
        rows.push_back(child);
        if (child->IsExpanded())
            WalkShown(child, rows);
    }
}

TEST(TreeListRows, LookupsAgreeWithAWalkOfTheShownItems)
{
    TreeListModel model;
    model.InsertColumn("Name", 0);
    std::vector<CTreeListItem*> all;
    for (int i = 0; i < 4; ++i) {
        CTreeListItem* top = model.InsertItem("t", kTliRoot, kTliLast);
        all.push_back(top);
        for (int j = 0; j < 3; ++j) {
            CTreeListItem* mid = model.InsertItem("m", top, kTliLast);
            all.push_back(mid);
            for (int k = 0; k < i + j; ++k)
                all.push_back(model.InsertItem("l", mid, kTliLast));
            if ((i + j) % 2 == 0)
                model.Expand(TreeListExpand::Expand, mid, 0);
        }
        if (i != 2)
            model.Expand(TreeListExpand::Expand, top, 0);
    }

    std::vector<const CTreeListItem*> rows;
    WalkShown(model.Root(), rows);
    ASSERT_EQ(model.VisibleRowCount(), static_cast<int>(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(model.ItemAtRow(static_cast<int>(row)), rows[row]) << row;
        EXPECT_EQ(model.RowOfItem(rows[row]), static_cast<int>(row));
        EXPECT_EQ(model.NextVisible(rows[row]), row + 1 < rows.size() ? rows[row + 1] : nullptr);
        EXPECT_EQ(model.PrevVisible(rows[row]), row > 0 ? rows[row - 1] : nullptr);
    }
    EXPECT_EQ(model.ItemAtRow(-1), nullptr);
    EXPECT_EQ(model.ItemAtRow(static_cast<int>(rows.size())), nullptr);
    // Items under a collapsed branch have no row.
    int hidden = 0;
    for (const CTreeListItem* item : all) {
        if (std::find(rows.begin(), rows.end(), item) == rows.end()) {
            EXPECT_EQ(model.RowOfItem(item), -1);
            ++hidden;
        }
    }
    EXPECT_GT(hidden, 0);
}

} // namespace
} // namespace orb
