#include "treelist/tree_list_drag_decision.h"
#include "treelist/tree_list_model.h"
#include "treelist/tree_list_style.h"

#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

namespace orb {
namespace {

using enum TreeListDrop;

TEST(TreeListDropDecision, AsksTheParentOnlyWhereTheRulesLeaveItOpen)
{
    constexpr std::uint32_t kAccept = tls::kAcceptDrops, kEmpty = tls::kDropOnEmptySpace;
    constexpr std::uint32_t kOwn = kAccept | tls::kAcceptOwnDrops;
    TreeListModel model; // a (a1 (a1x)), b, c; c and then a1 selected, a1 first
    model.InsertColumn("Name", 0);
    model.SetStyle(tls::kMultiSelect);
    CTreeListItem* a = model.InsertItem("a", kTliRoot, kTliLast);
    CTreeListItem* a1 = model.InsertItem("a1", a, kTliLast);
    CTreeListItem* a1x = model.InsertItem("a1x", a1, kTliLast);
    CTreeListItem* b = model.InsertItem("b", kTliRoot, kTliLast);
    CTreeListItem* c = model.InsertItem("c", kTliRoot, kTliLast);
    model.SelectItem(c, 0, true);
    model.SelectItem(a1, 0, false);
    // Style, same control, item under the pointer, the parent's answer, the decision, asked.
    const std::tuple<std::uint32_t, bool, CTreeListItem*, bool, TreeListDrop, bool> cases[] = {
        {kAccept, false, a1, true, OnItem, true}, // the source's selection means nothing elsewhere
        {kEmpty, false, b, true, Refused, false},
        {kAccept | kEmpty, false, nullptr, true, OnEmptySpace, false},
        {kAccept, false, nullptr, true, Refused, false},
        {kAccept | kEmpty, true, b, true, Neutral, false}, // own drops not accepted
        {kOwn, true, a1x, true, Neutral, false},           // inside the first selected's branch
        {kOwn, true, c, true, Neutral, false},             // selected, though not first
        {kOwn, true, a, false, Refused, true},
        {kOwn | kEmpty, true, nullptr, true, OnEmptySpace, false}, // a nested item may go to the top
        {kOwn, true, nullptr, true, Neutral, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& [style, same, item, allow, expected, asks] = cases[i];
        bool asked = false;
        const TreeListDropQuery ask = [&asked, allow = allow] { return asked = true, allow; };
        EXPECT_EQ(DecideDrop({style, same, item, model.FirstSelected()}, ask), expected);
        EXPECT_EQ(asked, asks);
    }
    // Top-level items dropped on their own empty space would stay where they are.
    EXPECT_EQ(DecideDrop({kOwn | kEmpty, true, nullptr, b}, {}), Neutral);
}

} // namespace
} // namespace orb
