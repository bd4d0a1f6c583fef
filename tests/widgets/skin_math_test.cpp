#include "widgets/scroll_math.h"
#include "widgets/slider_math.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(ScrollThumb, VerticalThumbStaysBetweenTheArrows)
{
    // A 300-pixel bar: the thumb travels from 25 to 300 - 62 over 300 - 87 pixels.
    EXPECT_EQ(VerticalThumb(300, 0, 0).pos, 25);
    EXPECT_EQ(VerticalThumb(300, 0, 0).interval, 0.0);
    EXPECT_EQ(VerticalThumb(300, 10, 0).pos, 25);
    EXPECT_DOUBLE_EQ(VerticalThumb(300, 10, 0).interval, 21.3);
    EXPECT_EQ(VerticalThumb(300, 10, 5).pos, 131); // 5 * 21.3 + 25, truncated
    EXPECT_EQ(VerticalThumb(300, 10, 10).pos, 238);
    // Past the limit it stops above the down arrow; below 0 at the up arrow.
    EXPECT_EQ(VerticalThumb(300, 10, 50).pos, 238);
    EXPECT_EQ(VerticalThumb(300, 10, -3).pos, 25);
    // A bar too short for its track still keeps the thumb below the up arrow.
    EXPECT_EQ(VerticalThumb(60, 10, 5).pos, 25);
}

TEST(ScrollThumb, HorizontalThumbStaysBetweenTheArrows)
{
    EXPECT_EQ(HorizontalThumb(300, 0, 0).pos, 25);
    EXPECT_DOUBLE_EQ(HorizontalThumb(300, 100, 0).interval, 2.1);
    EXPECT_EQ(HorizontalThumb(300, 100, 50).pos, 130);
    EXPECT_EQ(HorizontalThumb(300, 100, 100).pos, 235);
    EXPECT_EQ(HorizontalThumb(300, 100, 400).pos, 249);
}

TEST(ScrollDrag, VerticalDragMapsTheTrackOntoTheRange)
{
    // Position = limit * ((y - 13 - 26) / (H - 64)).
    EXPECT_EQ(VerticalDragPosition(39, 300, 100), 0);
    EXPECT_EQ(VerticalDragPosition(157, 300, 100), 50);
    EXPECT_EQ(VerticalDragPosition(275, 300, 100), 100);
    // Above the track gives 0, below it the limit.
    EXPECT_EQ(VerticalDragPosition(-200, 300, 100), 0);
    EXPECT_EQ(VerticalDragPosition(5000, 300, 100), 100);
    // A bar with no track to drag along stays at 0 instead of dividing by zero.
    EXPECT_EQ(VerticalDragPosition(50, 64, 100), 0);
    EXPECT_EQ(VerticalDragPosition(50, 30, 100), 0);
}

TEST(ScrollDrag, HorizontalDragMapsTheTrackOntoTheRange)
{
    // Position = limit * (x - 13) / (W - 75).
    EXPECT_EQ(HorizontalDragPosition(13, 275, 100), 0);
    EXPECT_EQ(HorizontalDragPosition(113, 275, 100), 50);
    EXPECT_EQ(HorizontalDragPosition(213, 275, 100), 100);
    EXPECT_EQ(HorizontalDragPosition(-40, 275, 100), 0);
    EXPECT_EQ(HorizontalDragPosition(900, 275, 100), 100);
    EXPECT_EQ(HorizontalDragPosition(100, 75, 100), 0);
}

TEST(ScrollFade, OverflowAndFadeSteps)
{
    // The vertical bar is 12 pixels longer than the content area it stands beside.
    EXPECT_FALSE(VerticalContentOverflows(212, 200));
    EXPECT_TRUE(VerticalContentOverflows(212, 201));
    EXPECT_FALSE(HorizontalContentOverflows(300, 300));
    EXPECT_TRUE(HorizontalContentOverflows(300, 301));
    EXPECT_EQ(NextFadeAlpha(254), 252);
    EXPECT_EQ(NextFadeAlpha(11), 10);
    EXPECT_EQ(NextFadeAlpha(10), 10);
}

TEST(ScrollHitRects, PiecesOfBothBars)
{
    const ScrollBarHitRects vertical = VerticalHitRects(300, 100);
    EXPECT_EQ(vertical.back, (PixelRect{0, 0, 12, 26}));
    EXPECT_EQ(vertical.forward, (PixelRect{0, 263, 12, 289}));
    EXPECT_EQ(vertical.thumb, (PixelRect{0, 100, 12, 126}));
    const ScrollBarHitRects horizontal = HorizontalHitRects(300, 100);
    EXPECT_EQ(horizontal.back, (PixelRect{0, 0, 26, 20}));
    EXPECT_EQ(horizontal.forward, (PixelRect{274, 0, 300, 20}));
    EXPECT_EQ(horizontal.thumb, (PixelRect{100, 0, 126, 20}));
}

// The main window's opacity slider: channel 77, thumb 9, range 0..155.
constexpr SliderAxis kOpacity{77, 9, 0, 0, 0, 155};

TEST(SliderMath, PixelsAndPositionsMapBothWays)
{
    EXPECT_EQ(SliderPixelOfPos(kOpacity, 0), 4);
    EXPECT_EQ(SliderPixelOfPos(kOpacity, 155), 72);
    EXPECT_EQ(SliderPixelOfPos(kOpacity, 78), 38); // 68 * 78 / 155 = 34.2
    EXPECT_EQ(SliderPosOfPixel(kOpacity, 4), 0);
    EXPECT_EQ(SliderPosOfPixel(kOpacity, 72), 155);
    EXPECT_EQ(SliderPosOfPixel(kOpacity, 38), 77); // truncated
    for (int pos : {0, 31, 100, 155})
        EXPECT_NEAR(SliderPosOfPixel(kOpacity, SliderPixelOfPos(kOpacity, pos)), pos, 3);

    const SliderAxis margins{77, 9, 5, 10, 0, 100};
    EXPECT_EQ(SliderPixelOfPos(margins, 0), 9);
    EXPECT_EQ(SliderPixelOfPos(margins, 100), 62);
    EXPECT_EQ(SliderPosOfPixel(margins, 62), 100);
}

TEST(SliderMath, DegenerateRangesDoNotDivideByZero)
{
    const SliderAxis flat{77, 9, 0, 0, 20, 20};
    EXPECT_EQ(SliderPixelOfPos(flat, 20), 4);
    EXPECT_EQ(SliderPosOfPixel(flat, 50), 20);
    const SliderAxis noTravel{9, 9, 0, 0, 0, 10};
    EXPECT_EQ(SliderPosOfPixel(noTravel, 5), 0);
}

TEST(SliderMath, GrabOffsetAndClamps)
{
    EXPECT_EQ(SliderGrabOffset(kOpacity, 40, 38), 2);
    EXPECT_EQ(SliderGrabOffset(kOpacity, 34, 38), -4);
    // Further than half the thumb: the thumb jumps to the mouse.
    EXPECT_EQ(SliderGrabOffset(kOpacity, 43, 38), 0);
    EXPECT_EQ(SliderGrabOffset(kOpacity, 10, 38), 0);
    EXPECT_EQ(SliderClampPixel({77, 9, 5, 10, 0, 100}, -3), 5);
    EXPECT_EQ(SliderClampPixel({77, 9, 5, 10, 0, 100}, 90), 67);
    EXPECT_EQ(SliderClampPos(kOpacity, -1), 0);
    EXPECT_EQ(SliderClampPos(kOpacity, 156), 155);
}

} // namespace
} // namespace orb
