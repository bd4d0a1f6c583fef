#include "widgets/colour_table.h"

#include <gtest/gtest.h>

#include <string>

namespace orb {
namespace {

TEST(ColourTable, HoldsTheFortyNamedColoursInGridOrder)
{
    const auto& table = ColourTable();
    ASSERT_EQ(table.size(), 40u);
    EXPECT_EQ(table[1].colour, MakeColorRef(165, 42, 0));
    EXPECT_EQ(std::string(table[1].name), "Brown");
    EXPECT_EQ(table[35].colour, MakeColorRef(152, 251, 152));
    EXPECT_EQ(std::string(table[35].name), "Pale green "); // the trailing blank is part of the name
    EXPECT_EQ(table[39].colour, 0x00FFFFFFu);
    // Every colour is distinct, so an opened colour finds its own cell.
    for (int index = 0; index < kColourCount; ++index)
        EXPECT_EQ(ColourTableIndex(table[index].colour), index) << table[index].name;
    EXPECT_EQ(ColourTableIndex(MakeColorRef(1, 2, 3)), kNoColourCell);
    EXPECT_EQ(ColourTableIndex(kDefaultColorRef), kNoColourCell);
}

TEST(ColourPopupLayout, BareGridIsEightByFiveCellsInsideTheEdge)
{
    const ColourPopupLayout layout = LayOutColourPopup(2, 13, false, false);
    EXPECT_EQ(layout.cellSize, 18);
    EXPECT_EQ(layout.window, (PixelRect{0, 0, 148, 94})); // 8 * 18 + 2 * 2, 5 * 18 + 2 * 2
    EXPECT_EQ(layout.CellRect(9), (PixelRect{20, 20, 38, 38}));
    EXPECT_EQ(layout.HitTest(2, 2), 0);
    EXPECT_EQ(layout.HitTest(145, 91), 39);
    EXPECT_EQ(layout.HitTest(1, 50), kNoColourCell);  // the outer edge
    EXPECT_EQ(layout.HitTest(50, 93), kNoColourCell); // below the grid, where no custom row is
    // Wide system edges grow the cells beyond their minimum.
    EXPECT_EQ(LayOutColourPopup(6, 13, false, false).cellSize, 19);
}

TEST(ColourPopupLayout, TextRowsAddTheirHeightAboveAndBelow)
{
    // Row height = 13 + 4 * 2 + 2 = 23.
    const ColourPopupLayout layout = LayOutColourPopup(2, 13, true, true);
    EXPECT_EQ(layout.defaultRow, (PixelRect{2, 2, 146, 25}));
    EXPECT_EQ(layout.grid, (PixelRect{2, 25, 146, 115}));
    EXPECT_EQ(layout.customRow, (PixelRect{2, 115, 146, 138}));
    EXPECT_EQ(layout.window, (PixelRect{0, 0, 148, 140}));
    EXPECT_EQ(layout.TextBox(layout.defaultRow), (PixelRect{4, 4, 144, 23}));
    EXPECT_EQ(layout.HitTest(100, 10), kDefaultColourRow);
    EXPECT_EQ(layout.HitTest(2, 25), 0);
    EXPECT_EQ(layout.HitTest(100, 120), kCustomColourRow);
}

TEST(ColourHighlight, ArrowsCrossCellsAndReachTheTextRows)
{
    const ColourPopupLayout layout = LayOutColourPopup(2, 13, true, true);
    const auto move = [&](int from, ColourArrow arrow) { return MoveColourHighlight(layout, from, arrow); };
    EXPECT_EQ(move(7, ColourArrow::Right), 8); // across the end of a row
    EXPECT_EQ(move(12, ColourArrow::Down), 20);
    EXPECT_EQ(move(3, ColourArrow::Up), kDefaultColourRow);
    EXPECT_EQ(move(0, ColourArrow::Left), kDefaultColourRow);
    EXPECT_EQ(move(kDefaultColourRow, ColourArrow::Down), 0);
    EXPECT_EQ(move(36, ColourArrow::Down), kCustomColourRow);
    EXPECT_EQ(move(39, ColourArrow::Right), kCustomColourRow);
    EXPECT_EQ(move(kCustomColourRow, ColourArrow::Up), 32);
    EXPECT_EQ(move(kCustomColourRow, ColourArrow::Left), 39);
    EXPECT_EQ(move(kNoColourCell, ColourArrow::Down), kDefaultColourRow);
    EXPECT_EQ(move(kNoColourCell, ColourArrow::Up), kCustomColourRow);
}

TEST(ColourHighlight, ArrowsStayInTheBareGrid)
{
    const ColourPopupLayout layout = LayOutColourPopup(2, 13, false, false);
    for (int from = kNoColourCell; from < kColourCount; ++from) {
        for (ColourArrow arrow : {ColourArrow::Left, ColourArrow::Right, ColourArrow::Up, ColourArrow::Down}) {
            const int to = MoveColourHighlight(layout, from, arrow);
            EXPECT_TRUE(to >= 0 && to < kColourCount) << from << " -> " << to;
        }
    }
    EXPECT_EQ(MoveColourHighlight(layout, 3, ColourArrow::Up), 3);
    EXPECT_EQ(MoveColourHighlight(layout, 35, ColourArrow::Down), 35);
}

TEST(ColourPopupPlacement, OpensBelowTheButtonAndStaysOnScreen)
{
    const PixelRect screen{0, 0, 800, 600};
    const auto place = [&](PixelRect anchor) { return PlaceColourPopup(anchor, 148, 140, screen); };
    EXPECT_EQ(place({100, 100, 160, 123}), (PixelRect{100, 123, 248, 263}));
    // Past the right edge it moves left; a start left of the screen moves right.
    EXPECT_EQ(place({700, 100, 760, 123}).left, 652);
    EXPECT_EQ(place({-30, 100, 30, 123}).left, 0);
    // Past the bottom it opens above the button.
    EXPECT_EQ(place({100, 500, 160, 523}), (PixelRect{100, 360, 248, 500}));
    // A screen that does not start at 0 (a second monitor) bounds it the same way.
    EXPECT_EQ(PlaceColourPopup({790, 10, 850, 33}, 148, 140, {800, 0, 1600, 600}).left, 800);
}

} // namespace
} // namespace orb
