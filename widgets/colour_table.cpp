#include "widgets/colour_table.h"

#include <algorithm>

namespace orb {

namespace {
constexpr int kMinCellSize = 18;
constexpr int kCellEdgeAllowance = 7; // the swatch keeps a few pixels inside the cell's edges
constexpr int kTextRowExtra = 2;
constexpr int kArrowWidth = 7; // odd, so the triangle has a single tip pixel
constexpr int kArrowHeight = 4;
constexpr int kArrowGap = 4;
constexpr int kSwatchGap = 2;

constexpr std::array<NamedColour, kColourCount> kColours = {{
    {MakeColorRef(0, 0, 0), "Black"},
    {MakeColorRef(165, 42, 0), "Brown"},
    {MakeColorRef(0, 64, 64), "Dark Olive Green"},
    {MakeColorRef(0, 85, 0), "Dark Green"},
    {MakeColorRef(0, 0, 94), "Dark Teal"},
    {MakeColorRef(0, 0, 139), "Dark blue"},
    {MakeColorRef(75, 0, 130), "Indigo"},
    {MakeColorRef(40, 40, 40), "Dark grey"},
    {MakeColorRef(139, 0, 0), "Dark red"},
    {MakeColorRef(255, 104, 32), "Orange"},
    {MakeColorRef(139, 139, 0), "Dark yellow"},
    {MakeColorRef(0, 147, 0), "Green"},
    {MakeColorRef(56, 142, 142), "Teal"},
    {MakeColorRef(0, 0, 255), "Blue"},
    {MakeColorRef(123, 123, 192), "Blue-grey"},
    {MakeColorRef(102, 102, 102), "Grey - 40"},
    {MakeColorRef(255, 0, 0), "Red"},
    {MakeColorRef(255, 173, 91), "Light orange"},
    {MakeColorRef(50, 205, 50), "Lime"},
    {MakeColorRef(60, 179, 113), "Sea green"},
    {MakeColorRef(127, 255, 212), "Aqua"},
    {MakeColorRef(125, 158, 192), "Light blue"},
    {MakeColorRef(128, 0, 128), "Violet"},
    {MakeColorRef(127, 127, 127), "Grey - 50"},
    {MakeColorRef(255, 192, 203), "Pink"},
    {MakeColorRef(255, 215, 0), "Gold"},
    {MakeColorRef(255, 255, 0), "Yellow"},
    {MakeColorRef(0, 255, 0), "Bright green"},
    {MakeColorRef(64, 224, 208), "Turquoise"},
    {MakeColorRef(192, 255, 255), "Skyblue"},
    {MakeColorRef(72, 0, 72), "Plum"},
    {MakeColorRef(192, 192, 192), "Light grey"},
    {MakeColorRef(255, 228, 225), "Rose"},
    {MakeColorRef(210, 180, 140), "Tan"},
    {MakeColorRef(255, 255, 224), "Light yellow"},
    {MakeColorRef(152, 251, 152), "Pale green "},
    {MakeColorRef(175, 238, 238), "Pale turquoise"},
    {MakeColorRef(104, 131, 139), "Pale blue"},
    {MakeColorRef(230, 230, 250), "Lavender"},
    {MakeColorRef(255, 255, 255), "White"},
}};

bool IsCell(int highlight)
{
    return highlight >= 0 && highlight < kColourCount;
}
} // namespace

const std::array<NamedColour, kColourCount>& ColourTable()
{
    return kColours;
}

int ColourTableIndex(ColorRef colour)
{
    const auto found =
        std::find_if(kColours.begin(), kColours.end(), [colour](const NamedColour& c) { return c.colour == colour; });
    return found == kColours.end() ? kNoColourCell : static_cast<int>(found - kColours.begin());
}

PixelRect ColourPopupLayout::CellRect(int index) const
{
    const int left = grid.left + index % kColourColumns * cellSize;
    const int top = grid.top + index / kColourColumns * cellSize;
    return {left, top, left + cellSize, top + cellSize};
}

PixelRect ColourPopupLayout::TextBox(const PixelRect& row) const
{
    return {row.left + edge, row.top + edge, row.right - edge, row.bottom - edge};
}

int ColourPopupLayout::HitTest(int x, int y) const
{
    if (grid.Contains(x, y))
        return (y - grid.top) / cellSize * kColourColumns + (x - grid.left) / cellSize;
    if (defaultRow.Contains(x, y))
        return kDefaultColourRow;
    if (customRow.Contains(x, y))
        return kCustomColourRow;
    return kNoColourCell;
}

ColourPopupLayout LayOutColourPopup(int edge, int textHeight, bool hasDefaultRow, bool hasCustomRow)
{
    ColourPopupLayout layout;
    layout.edge = edge;
    layout.cellSize = std::max(kMinCellSize, 2 * edge + kCellEdgeAllowance);
    const int gridWidth = kColourColumns * layout.cellSize;
    const int rowHeight = textHeight + 4 * edge + kTextRowExtra;

    int top = edge;
    if (hasDefaultRow) {
        layout.defaultRow = {edge, top, edge + gridWidth, top + rowHeight};
        top += rowHeight;
    }
    layout.grid = {edge, top, edge + gridWidth, top + kColourRows * layout.cellSize};
    top = layout.grid.bottom;
    if (hasCustomRow) {
        layout.customRow = {edge, top, edge + gridWidth, top + rowHeight};
        top += rowHeight;
    }
    layout.window = {0, 0, gridWidth + 2 * edge, top + edge};
    return layout;
}

int MoveColourHighlight(const ColourPopupLayout& layout, int highlight, ColourArrow arrow)
{
    // Left and Right walk the reading order: default row, cells 0..39, custom row.
    const int first = layout.HasDefaultRow() ? kDefaultColourRow : 0;
    const int last = layout.HasCustomRow() ? kCustomColourRow : kColourCount - 1;
    const bool forward = arrow == ColourArrow::Right || arrow == ColourArrow::Down;
    if (highlight == kNoColourCell)
        return forward ? first : last;
    if (highlight == kDefaultColourRow)
        return forward ? 0 : highlight;
    if (highlight == kCustomColourRow) {
        if (forward)
            return highlight;
        return arrow == ColourArrow::Up ? kColourCount - kColourColumns : kColourCount - 1;
    }
    if (!IsCell(highlight))
        return highlight;

    const int step = arrow == ColourArrow::Left || arrow == ColourArrow::Right ? 1 : kColourColumns;
    const int next = forward ? highlight + step : highlight - step;
    if (IsCell(next))
        return next;
    // Off the grid: onto the text row on that side, or stay.
    if (forward)
        return layout.HasCustomRow() ? kCustomColourRow : highlight;
    return layout.HasDefaultRow() ? kDefaultColourRow : highlight;
}

PixelRect PlaceColourPopup(const PixelRect& anchor, int width, int height, const PixelRect& screen)
{
    int x = anchor.left;
    int y = anchor.bottom;
    if (x + width > screen.right)
        x = screen.right - width;
    if (x < screen.left)
        x = screen.left;
    if (y + height > screen.bottom)
        y = anchor.top - height;
    if (y < screen.top)
        y = screen.top;
    return {x, y, x + width, y + height};
}

ColourButtonLayout LayOutColourButton(int width, int height, int edge)
{
    ColourButtonLayout layout;
    layout.focus = {edge + 1, edge + 1, width - edge - 1, height - edge - 1};
    const int arrowRight = layout.focus.right - kArrowGap;
    const int arrowTop = (height - kArrowHeight) / 2;
    layout.arrow = {arrowRight - kArrowWidth, arrowTop, arrowRight, arrowTop + kArrowHeight};
    const int separatorRight = layout.arrow.left - kArrowGap;
    layout.separator = {separatorRight - edge, layout.focus.top + 1, separatorRight, layout.focus.bottom - 1};
    layout.swatch = {layout.focus.left + kSwatchGap, layout.focus.top + kSwatchGap, layout.separator.left - kSwatchGap,
                     layout.focus.bottom - kSwatchGap};
    return layout;
}

} // namespace orb
