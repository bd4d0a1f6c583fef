#pragma once

#include <cstdint>
#include <string>

namespace orb {

// Bits of CTreeListColumnInfo::format used by the control.
namespace tlc {
constexpr std::uint32_t kAlignLeft = 0x100;
constexpr std::uint32_t kAlignRight = 0x200;
constexpr std::uint32_t kAlignCentre = 0x400;
constexpr std::uint32_t kAlignTop = 0x1000;
constexpr std::uint32_t kAlignBottom = 0x2000;
constexpr std::uint32_t kEditable = 0x200000;
constexpr std::uint32_t kEditableKinds = 0x3000000;
constexpr std::uint32_t kHidden = 0x10000000;
constexpr std::uint32_t kNewColumnFormat = 0x104144;
} // namespace tlc

enum class TreeListEditor
{
    Static = 0,
    Edit = 1,
    Combo = 2,
};

struct CTreeListColumnInfo
{
    // A column joins the editable list only with both the editable bit and an editor kind bit.
    bool IsEditable() const { return (format & tlc::kEditable) != 0 && (format & tlc::kEditableKinds) != 0; }
    bool IsHidden() const { return (format & tlc::kHidden) != 0; }

    std::uint32_t format = tlc::kNewColumnFormat;
    TreeListEditor editor = TreeListEditor::Static;
    int minWidth = 0;
    int maxWidth = 0; // 0: no limit
    int width = 30;
    std::string text;
    int image = -1;
    std::string secondText;
    int extra1 = 0;
    int extra2 = 0;
};

} // namespace orb
