#include "treelist/tree_list_item.h"

#include <algorithm>

namespace orb {

namespace {
// A new item shows its boxes and image wherever the control's style allows them, and
// starts unchecked and unlocked.
constexpr std::uint32_t kNewItemState =
    tli::kShowCheckBox | tli::kShowLockBox | tli::kShowImage | tli::kUnchecked | tli::kUnlocked;
} // namespace

CTreeListItem::CTreeListItem(std::size_t columnCount)
    : state(kNewItemState), texts(std::max<std::size_t>(columnCount, 1))
{}

} // namespace orb
