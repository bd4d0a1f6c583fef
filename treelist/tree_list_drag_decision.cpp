#include "treelist/tree_list_drag_decision.h"

#include "treelist/tree_list_style.h"

namespace orb {

namespace {
constexpr int kTopLevel = 1;

// An item inside a dragged branch would be dropped into itself.
bool IsInsideSelection(const CTreeListItem& item, const CTreeListItem* firstSelected)
{
    if (item.HasState(tli::kSelected))
        return true;
    if (!firstSelected)
        return false;
    const CTreeListItem* ancestor = &item;
    while (ancestor && ancestor->level > firstSelected->level)
        ancestor = ancestor->parent;
    return ancestor && ancestor->level == firstSelected->level && ancestor->HasState(tli::kSelected);
}
} // namespace

TreeListDrop DecideDrop(const TreeListDropPoint& point, const TreeListDropQuery& askParent)
{
    const std::uint32_t style = point.targetStyle;
    const auto ask = [&] { return askParent() ? TreeListDrop::OnItem : TreeListDrop::Refused; };
    if (!point.sameControl) {
        if (point.item)
            return HasAny(style, tls::kAcceptDrops) ? ask() : TreeListDrop::Refused;
        const bool emptySpace = HasAny(style, tls::kAcceptDrops) && HasAny(style, tls::kDropOnEmptySpace);
        return emptySpace ? TreeListDrop::OnEmptySpace : TreeListDrop::Refused;
    }
    if (!HasAny(style, tls::kAcceptDrops) || !HasAny(style, tls::kAcceptOwnDrops))
        return TreeListDrop::Neutral;
    if (!point.item) {
        // Top-level items dropped on empty space would land where they already are.
        const bool topLevel = !point.firstSelected || point.firstSelected->level == kTopLevel;
        return !HasAny(style, tls::kDropOnEmptySpace) || topLevel ? TreeListDrop::Neutral : TreeListDrop::OnEmptySpace;
    }
    if (IsInsideSelection(*point.item, point.firstSelected))
        return TreeListDrop::Neutral;
    return ask();
}

} // namespace orb
