#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orb {

// Bits of CTreeListItem::state.
namespace tli {
constexpr std::uint32_t kSelected = 0x1;
constexpr std::uint32_t kExpanded = 0x2;
// Expanded at least once; with no children such an item never expands or collapses again.
constexpr std::uint32_t kExpandedOnce = 0x4;
constexpr std::uint32_t kShowCheckBox = 0x10;
constexpr std::uint32_t kShowLockBox = 0x20;
constexpr std::uint32_t kShowImage = 0x40;
constexpr std::uint32_t kChecked = 0x10000;
constexpr std::uint32_t kUnchecked = 0x20000;
constexpr std::uint32_t kCheckMask = kChecked | kUnchecked;
constexpr std::uint32_t kLocked = 0x1000000;
constexpr std::uint32_t kUnlocked = 0x2000000;
constexpr std::uint32_t kLockMask = kLocked | kUnlocked;
} // namespace tli

// The two bits of a check or lock box: one alone is a full state, both is "partly".
struct TreeListBitPair
{
    std::uint32_t on;
    std::uint32_t off;
};
constexpr TreeListBitPair kCheckBits{tli::kChecked, tli::kUnchecked};
constexpr TreeListBitPair kLockBits{tli::kLocked, tli::kUnlocked};

// One node of the tree list. The control owns every item; the links are read directly.
class CTreeListItem
{
public:
    explicit CTreeListItem(std::size_t columnCount);
    virtual ~CTreeListItem() = default;

    CTreeListItem(const CTreeListItem&) = delete;
    CTreeListItem& operator=(const CTreeListItem&) = delete;

    bool HasState(std::uint32_t bits) const { return (state & bits) == bits; }
    bool IsExpanded() const { return (state & tli::kExpanded) != 0; }
    // An item that was expanded once and stayed childless is fixed for good.
    bool CanExpandOrCollapse() const { return firstChild != nullptr || (state & tli::kExpandedOnce) == 0; }

    CTreeListItem* parent = nullptr;
    CTreeListItem* firstChild = nullptr;
    CTreeListItem* prevSibling = nullptr;
    CTreeListItem* nextSibling = nullptr;

    int level = 0;
    int itemCount = 1;
    int shownCount = 1;
    std::uint32_t state = 0;

    int image = 0;
    int expandedImage = 1;
    int selectedImage = 2;
    int expandedSelectedImage = 3;

    std::vector<std::string> texts;
};

} // namespace orb
