#pragma once

#include "core/color_ref.h"
#include "widgets/pixel_rect.h"

#include <array>

namespace orb {

struct NamedColour
{
    ColorRef colour;
    const char* name; // shown as the cell's tooltip
};

constexpr int kColourColumns = 8;
constexpr int kColourRows = 5;
constexpr int kColourCount = kColourColumns * kColourRows;

// Where the pop-up's highlight can rest besides a cell index 0..39.
constexpr int kNoColourCell = -1;
constexpr int kCustomColourRow = -2;
constexpr int kDefaultColourRow = -3;

// The system's 3-D edge width, which the pop-up and the button are measured in.
constexpr int kColourEdge = 2;

const std::array<NamedColour, kColourCount>& ColourTable();
// The cell holding the colour, or kNoColourCell.
int ColourTableIndex(ColorRef colour);

// The pop-up's geometry in its own coordinates, shared by painting and hit-testing.
struct ColourPopupLayout
{
    int edge = 0;
    int cellSize = 0;
    PixelRect window;
    PixelRect grid;
    PixelRect defaultRow; // the whole band; empty without a default row
    PixelRect customRow;

    bool HasDefaultRow() const { return !defaultRow.IsEmpty(); }
    bool HasCustomRow() const { return !customRow.IsEmpty(); }
    PixelRect CellRect(int index) const;
    // The framed box a text row draws, inside its band's margins.
    PixelRect TextBox(const PixelRect& row) const;
    // A cell index, kDefaultColourRow, kCustomColourRow or kNoColourCell.
    int HitTest(int x, int y) const;
};

ColourPopupLayout LayOutColourPopup(int edge, int textHeight, bool hasDefaultRow, bool hasCustomRow);

enum class ColourArrow
{
    Left,
    Right,
    Up,
    Down,
};

// The highlight after an arrow key; it never lands on a row the layout does not have.
int MoveColourHighlight(const ColourPopupLayout& layout, int highlight, ColourArrow arrow);

// The pop-up's window rectangle: below the anchor's bottom-left corner, kept on the screen.
PixelRect PlaceColourPopup(const PixelRect& anchor, int width, int height, const PixelRect& screen);

// The button's pieces, inside its push-button frame.
struct ColourButtonLayout
{
    PixelRect focus;
    PixelRect arrow; // the box of the down-pointing triangle
    PixelRect separator;
    PixelRect swatch; // black frame included
};

ColourButtonLayout LayOutColourButton(int width, int height, int edge);

} // namespace orb
