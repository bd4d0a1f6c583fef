#pragma once

#include "treelist/tree_list_item.h"

#include <cstdint>
#include <functional>

namespace orb {

// What a drop at the pointer would do; the values are the ones the control's cursors and
// timers are keyed on.
enum class TreeListDrop
{
    Refused = 0,
    Neutral = 1, // no drop, and nothing to refuse either
    OnItem = 2,
    OnEmptySpace = 3,
};

struct TreeListDropPoint
{
    std::uint32_t targetStyle = 0;
    bool sameControl = false;                     // the items come from the target itself
    const CTreeListItem* item = nullptr;          // under the pointer, or null
    const CTreeListItem* firstSelected = nullptr; // of the source
};

// Answers whether the target's parent lets the items land on the item (-425).
using TreeListDropQuery = std::function<bool()>;

// Only asks when the rules leave the answer to the parent.
TreeListDrop DecideDrop(const TreeListDropPoint& point, const TreeListDropQuery& askParent);

constexpr bool IsDrop(TreeListDrop decision)
{
    return decision == TreeListDrop::OnItem || decision == TreeListDrop::OnEmptySpace;
}

} // namespace orb
