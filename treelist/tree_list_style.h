#pragma once

#include <cstdint>

namespace orb {

// Bits of the tree list's style word.
namespace tls {
constexpr std::uint32_t kLevelIndent = 0x1; // indentation, button clicks, double clicks
constexpr std::uint32_t kBackgroundImage = 0x2;
constexpr std::uint32_t kBackgroundColour0 = 0x4;
constexpr std::uint32_t kMultiSelect = 0x10;
constexpr std::uint32_t kFocusedCell = 0x20;
constexpr std::uint32_t kUnfocusedSelectionFill = 0x40;
constexpr std::uint32_t kNoUnfocusedSelectionFill = 0x80;
constexpr std::uint32_t kHeader = 0x100;
constexpr std::uint32_t kButtons = 0x50000; // either bit
constexpr std::uint32_t kCheckBoxes = 0x80000;
constexpr std::uint32_t kLockBoxes = 0x100000;
constexpr std::uint32_t kImages = 0x200000;
constexpr std::uint32_t kTextGap = 0x300000; // either bit
constexpr std::uint32_t kHeaderVariant8 = 0x400000;
constexpr std::uint32_t kDragItems = 0x1000000;
constexpr std::uint32_t kAcceptDrops = 0x2000000;
constexpr std::uint32_t kAcceptOwnDrops = 0x4000000;
constexpr std::uint32_t kDropOnEmptySpace = 0x8000000;
constexpr std::uint32_t kHeaderVariant4 = 0x20000000;
constexpr std::uint32_t kCheckClickToggleOnly = 0x40000000;
constexpr std::uint32_t kLockClickToggleOnly = 0x80000000;

// The style both of the application's tree lists use.
constexpr std::uint32_t kApplicationStyle = 0x374f01fd;
} // namespace tls

// Flags of the header, derived from the control's style.
namespace tlh {
constexpr std::uint32_t kShown = 0x1;
constexpr std::uint32_t kAlways = 0x2;
constexpr std::uint32_t kVariant4 = 0x4;
constexpr std::uint32_t kVariant8 = 0x8;
} // namespace tlh

constexpr bool HasAny(std::uint32_t word, std::uint32_t bits)
{
    return (word & bits) != 0;
}

// The header's flags for a control style.
constexpr std::uint32_t HeaderFlagsForStyle(std::uint32_t style)
{
    std::uint32_t flags = tlh::kAlways;
    if (HasAny(style, tls::kHeader))
        flags |= tlh::kShown;
    if (HasAny(style, tls::kHeaderVariant4))
        flags |= tlh::kVariant4;
    if (HasAny(style, tls::kHeaderVariant8))
        flags |= tlh::kVariant8;
    return flags;
}

} // namespace orb
