#include "treelist/tip_placement.h"
#include "treelist/tree_list_cell_rules.h"
#include "treelist/tree_list_layout.h"
#include "treelist/tree_list_style.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

constexpr int kRowHeight = 20;
constexpr int kHeaderHeight = 20;
// Ten pixels a character keeps the expected widths readable.
int TenPerChar(std::string_view text)
{
    return static_cast<int>(text.size()) * 10;
}

class TreeListLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.InsertColumn("Name", 0x504144);
        model.InsertColumn("Due", 0x104444);
        model.SetColumnWidth(0, 200, 0, 0);
        model.SetColumnWidth(1, 100, 0, 0);
        top = model.InsertItem("top", kTliRoot, kTliLast);
        child = model.InsertItem("child", top, kTliLast);
        model.InsertItem("grandchild", child, kTliLast);
        model.Expand(TreeListExpand::Expand, top, 0);
    }

    TreeListHit Hit(int x, int y, int scrollX = 0)
    {
        // Narrower than the columns, so that there is room to scroll.
        layout.Compute(model, {250, 300, kHeaderHeight, kRowHeight}, 0, scrollX);
        return layout.HitTest(model, x, y);
    }

    TreeListModel model;
    TreeListLayout layout;
    CTreeListItem* top = nullptr;
    CTreeListItem* child = nullptr;
};

TEST_F(TreeListLayoutTest, HitAreasOfTheFirstColumnFollowTheStyle)
{
    model.SetStyle(tls::kLevelIndent | 0x10000 | tls::kCheckBoxes | tls::kLockBoxes | tls::kImages);
    // Row 1 is `child`, level 2 with a child: top 40. Its content starts at 2 * 16 - 14 = 18,
    // the button is centred in the first 16 pixels, the boxes follow from 2 * 16 + 2 = 34.
    const int y = kHeaderHeight + kRowHeight + kRowHeight / 2;
    EXPECT_EQ(Hit(21, y).area, tlht::kButton);
    EXPECT_EQ(Hit(29, y).area, tlht::kButton);
    EXPECT_EQ(Hit(30, y).area, tlht::kRow);
    EXPECT_EQ(Hit(25, kHeaderHeight + kRowHeight + 2).area, tlht::kRow); // above the 9-pixel button
    EXPECT_EQ(Hit(34, y).area, tlht::kCheckBox);
    EXPECT_EQ(Hit(49, y).area, tlht::kCheckBox);
    EXPECT_EQ(Hit(50, y).area, tlht::kLockBox);
    EXPECT_EQ(Hit(57, y).area, tlht::kLockBox);
    EXPECT_EQ(Hit(58, y).area, tlht::kImage);
    EXPECT_EQ(Hit(73, y).area, tlht::kImage);
    EXPECT_EQ(Hit(74, y).area, tlht::kRow); // the 2-pixel gap before the text
    EXPECT_EQ(Hit(76, y).area, tlht::kText);
    EXPECT_EQ(Hit(199, y).item, child);

    const TreeListHit other = Hit(220, y);
    EXPECT_EQ(other.area, tlht::kText);
    EXPECT_EQ(other.column, 1);
    model.SetColumnWidth(1, 10, 0, 0);
    const TreeListHit pastColumns = Hit(220, y);
    EXPECT_EQ(pastColumns.area, tlht::kRow);
    EXPECT_EQ(pastColumns.column, -1);
    EXPECT_EQ(Hit(100, 200).item, nullptr);      // below the last row
    EXPECT_EQ(Hit(100, 5).area, tlht::kNowhere); // the header
}

TEST_F(TreeListLayoutTest, ChildlessItemHasNoButtonButKeepsItsTextInLine)
{
    model.SetStyle(tls::kLevelIndent | 0x40000 | tls::kCheckBoxes);
    CTreeListItem* leaf = model.InsertItem("leaf", top, kTliLast); // row 2, level 2, no children
    const int y = kHeaderHeight + 2 * kRowHeight + kRowHeight / 2;
    ASSERT_EQ(Hit(25, y).item, leaf);
    EXPECT_EQ(Hit(25, y).area, tlht::kRow);
    EXPECT_EQ(Hit(34, y).area, tlht::kCheckBox);
}

TEST_F(TreeListLayoutTest, WithoutIndentationContentStartsTwoPixelsIn)
{
    model.SetStyle(tls::kCheckBoxes | 0x10000);
    const int y = kHeaderHeight + kRowHeight + kRowHeight / 2;
    EXPECT_EQ(Hit(1, y).area, tlht::kRow);
    EXPECT_EQ(Hit(2, y).area, tlht::kCheckBox);
    EXPECT_EQ(Hit(18, y).area, tlht::kText);
    // Scrolled ten pixels to the left, everything moves with it.
    EXPECT_EQ(Hit(8, y, 10).area, tlht::kText);
    EXPECT_EQ(Hit(7, y, 10).area, tlht::kCheckBox);
}

TEST_F(TreeListLayoutTest, ScrollPositionsAreKeptWithinTheirLimits)
{
    for (int i = 0; i < 8; ++i)
        model.InsertItem("more", kTliRoot, kTliLast); // 2 shown + 8 = 10 rows
    layout.Compute(model, {250, 120, kHeaderHeight, kRowHeight}, 99, 99);
    EXPECT_EQ(layout.RowsPerPage(), 5);
    EXPECT_EQ(layout.RowLimit(), 5);
    EXPECT_EQ(layout.TopRow(), 5);
    EXPECT_EQ(layout.ContentWidth(), 300);
    EXPECT_EQ(layout.ScrollXLimit(), 50);
    EXPECT_EQ(layout.ScrollX(), 50);
    EXPECT_EQ(layout.Columns()[0].left, -50);

    layout.Compute(model, {250, 400, kHeaderHeight, kRowHeight}, 3, -5);
    EXPECT_EQ(layout.RowLimit(), 0);
    EXPECT_EQ(layout.TopRow(), 0);
    EXPECT_EQ(layout.ScrollX(), 0);
}

TEST_F(TreeListLayoutTest, ColumnWidthsKeepToMinimumAndMaximum)
{
    const auto widthAfter = [&](int width, int minWidth, int maxWidth) {
        model.SetColumnWidth(1, width, minWidth, maxWidth);
        return model.Column(1)->width;
    };
    EXPECT_EQ(widthAfter(5, 10, 0), 10);
    EXPECT_EQ(widthAfter(50, 10, 30), 30);
    EXPECT_EQ(widthAfter(50, 40, 30), 40); // the maximum is raised to the minimum
    EXPECT_EQ(model.Column(1)->maxWidth, 40);
    EXPECT_EQ(widthAfter(70, -5, -5), 70);
    EXPECT_EQ(model.Column(1)->minWidth, 0);
    EXPECT_FALSE(model.SetColumnWidth(7, 10, 0, 0));
}

TEST_F(TreeListLayoutTest, AutomaticWidthsMeasureTheShownContent)
{
    model.SetStyle(tls::kLevelIndent | 0x10000 | tls::kCheckBoxes);
    model.SetItemText(0, child, "0x112233Label");
    model.SetItemText(0, child->firstChild, "g");
    model.Expand(TreeListExpand::Collapse, top, 0);
    // "top" at level 1: 2 + 16 (button) + 16 (check box) + 30.
    EXPECT_EQ(AutoColumnWidth(model, 0, tlaw::kFromHeader, 0, 40, TenPerChar), 64);
    EXPECT_EQ(AutoColumnWidth(model, 0, tlaw::kFromMinimum, 100, 40, TenPerChar), 100);
    EXPECT_EQ(AutoColumnWidth(model, 0, tlaw::kHeaderOnly, 0, 40, TenPerChar), 44);
    // Every item: the hidden child at level 2 shows its label 7 pixels after its colour bar
    // (its child at level 3 needs only 2 + 48 + 16 + 10).
    EXPECT_EQ(AutoColumnWidth(model, 0, tlaw::kAllItems, 0, 40, TenPerChar), 34 + 16 + 7 + 50);

    model.Expand(TreeListExpand::Expand, top, 0);
    model.SetItemText(1, child, "2026-12-08");
    EXPECT_EQ(AutoColumnWidth(model, 1, tlaw::kFromHeader, 0, 30, TenPerChar), 2 + 100);
}

TEST(TreeListCellRules, DimmedColourIsHalfOfEach)
{
    EXPECT_EQ(DimmedColour({34, 34, 34}, {200, 200, 200}), (Rgb{117, 117, 117}));
    EXPECT_EQ(DimmedColour({255, 1, 0}, {255, 3, 0}), (Rgb{254, 1, 0}));
}

TEST(TreeListCellRules, ColourPrefixNeedsSixHexDigits)
{
    const auto prefix = ParseColourPrefix("0xEF0000Buy milk");
    ASSERT_TRUE(prefix);
    EXPECT_EQ(prefix->colour, (Rgb{0xEF, 0, 0}));
    EXPECT_EQ(prefix->label, "Buy milk");
    EXPECT_EQ(ParseColourPrefix("0xa0b1c2")->label, "");
    EXPECT_FALSE(ParseColourPrefix("0x12"));
    EXPECT_FALSE(ParseColourPrefix("0x12345g label"));
    EXPECT_FALSE(ParseColourPrefix("Calendar's"));
    EXPECT_FALSE(ParseColourPrefix(""));
}

TEST(TreeListCellRules, DueColumnLooks)
{
    const TodayTexts today{"2026-12-08", "12-08"};
    EXPECT_EQ(DueCellLook("2026-12-08", today, false), CellLook::Today);
    EXPECT_EQ(DueCellLook("12-08 09:30", today, false), CellLook::Today);
    EXPECT_EQ(DueCellLook("12-08 09:30", today, true), CellLook::Today); // today shows even when hidden
    EXPECT_EQ(DueCellLook("", today, false), CellLook::Nothing);
    EXPECT_EQ(DueCellLook("2026-12-09", today, true), CellLook::Nothing);
    EXPECT_EQ(DueCellLook("2026-12-07", today, false), CellLook::Dimmed);
    EXPECT_EQ(DueCellLook("2026-12-09", today, false), CellLook::Normal);
    // Without a today text nothing counts as today.
    EXPECT_EQ(DueCellLook("2026-12-09", TodayTexts{}, false), CellLook::Normal);
}

TEST(TreeListCellRules, MonthDayTimesAreDimmedOnlyWhenTheyArePast)
{
    // Timed events show "MM-DD hh:mm": a future one must not look done.
    const TodayTexts today{"2026-12-08", "12-08"};
    EXPECT_EQ(DueCellLook("12-07 23:00", today, false), CellLook::Dimmed);
    EXPECT_EQ(DueCellLook("12-10 15:30", today, false), CellLook::Normal);
    EXPECT_EQ(DueCellLook("11-20 08:00", today, false), CellLook::Dimmed);
    // Across the new year, January is ahead of December, not behind it.
    EXPECT_EQ(DueCellLook("01-05 10:00", today, false), CellLook::Normal);
    const TodayTexts january{"2027-01-03", "01-03"};
    EXPECT_EQ(DueCellLook("12-30 10:00", january, false), CellLook::Dimmed);
    EXPECT_EQ(DueCellLook("01-04 10:00", january, false), CellLook::Normal);
}

TEST(TreeListCellRules, CheckedLabelIsDimmedBeforeTodayIsConsidered)
{
    const TodayTexts today{"2026-12-08", "12-08"};
    EXPECT_EQ(PrefixedLabelLook(1, "2026-12-08", today), CellLook::Dimmed);
    EXPECT_EQ(PrefixedLabelLook(2, "2026-12-08", today), CellLook::Today);
    EXPECT_EQ(PrefixedLabelLook(0, "2026-12-07", today), CellLook::Normal);
}

TEST(TreeListCellRules, RowAndHeaderHeightsFromTheFontHeight)
{
    EXPECT_EQ(RowHeightForFontHeight(-14), 20); // 19, made even
    EXPECT_EQ(RowHeightForFontHeight(-15), 20);
    EXPECT_EQ(RowHeightForFontHeight(-16), 22);
    EXPECT_EQ(RowHeightForFontHeight(12), 18);
    EXPECT_EQ(RowHeightForFontHeight(0), 20);
    EXPECT_EQ(HeaderHeightForFontHeight(-14), 20);
    EXPECT_EQ(HeaderHeightForFontHeight(15), 21);
    EXPECT_EQ(HeaderHeightForFontHeight(0), 20);
}

TEST(TreeListHeaderFlags, FollowTheStyle)
{
    EXPECT_EQ(HeaderFlagsForStyle(0), tlh::kAlways);
    EXPECT_EQ(HeaderFlagsForStyle(tls::kApplicationStyle),
              tlh::kAlways | tlh::kShown | tlh::kVariant4 | tlh::kVariant8);
}

TEST(TipPlacement, SitsBesideTheAnchorByAlignment)
{
    const PixelRect anchor{100, 200, 150, 220};
    // Two lines of 16 pixels: 37 high, and it fits above the anchor's top (moved up by 1).
    EXPECT_EQ(PlaceTip(anchor, 80, 16, 2, TipAlignment::Left, 0), (PixelRect{99, 162, 183, 199}));
    EXPECT_EQ(PlaceTip(anchor, 80, 16, 2, TipAlignment::Right, 0), (PixelRect{64, 162, 150, 199}));
    EXPECT_EQ(PlaceTip(anchor, 80, 16, 2, TipAlignment::Centre, 0), (PixelRect{85, 162, 164, 199}));
}

TEST(TipPlacement, OpensDownwardWhenThereIsNoRoomAbove)
{
    EXPECT_EQ(PlaceTip({100, 10, 150, 30}, 80, 16, 1, TipAlignment::Left, 0), (PixelRect{99, 9, 183, 30}));
    // On a screen that starts lower, its own top counts.
    EXPECT_EQ(PlaceTip({100, 121, 150, 140}, 80, 16, 1, TipAlignment::Left, 100).top, 120);
    EXPECT_EQ(PlaceTip({100, 122, 150, 140}, 80, 16, 1, TipAlignment::Left, 100).top, 100);
}

TEST(TipPlacement, FadeIntervalSpreadsTheTimeOverTheSteps)
{
    EXPECT_EQ(TipFadeInterval(50, 50), 10);
    EXPECT_EQ(TipFadeInterval(500, 25), 50);
    // Steps that would divide by zero stay usable.
    EXPECT_EQ(TipFadeInterval(50, 0), 1);
    EXPECT_EQ(TipFadeInterval(50, 300), 50);
}

} // namespace
} // namespace orb
