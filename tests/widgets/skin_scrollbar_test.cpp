#include "tests/support/core_doubles.h"
#include "tests/support/qt_input.h"
#include "widgets/skin_horizontal_scrollbar.h"
#include "widgets/skin_verticle_scrollbar.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace orb {
namespace {

using test::Click;
using test::SendMouse;

class FakeTarget : public SkinScrollTarget
{
public:
    int ScrollLimit(ScrollOrientation) const override { return limit; }
    int ScrollPosition(ScrollOrientation) const override { return position; }
    void SetScrollPosition(ScrollOrientation, int value) override
    {
        position = value;
        positionsSet.push_back(value);
    }
    void Scroll(ScrollOrientation, ScrollAction action) override { actions.push_back(action); }
    int ContentExtent(ScrollOrientation) const override { return extent; }

    int limit = 50;
    int position = 0;
    int extent = 1000;
    std::vector<ScrollAction> actions;
    std::vector<int> positionsSet;
};

bool SameRow(const QImage& image, int y1, int y2)
{
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y1) != image.pixel(x, y2))
            return false;
    }
    return true;
}

// A 300-pixel vertical bar: up arrow 0..26, down arrow 263..289, corner below.
class VerticalBar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar.resize(12, 300);
        bar.SetDiagnostics(&diagnostics);
        bar.SetTarget(&target);
    }

    int RunOut(int timer)
    {
        int ticks = 0;
        while (bar.Timers().Fire(timer) && ticks < 1000)
            ++ticks;
        return ticks;
    }

    FakeTarget target;
    test::RecordingDiagnostics diagnostics;
    CSkinVerticleScrollbar bar;
};

using Actions = std::vector<ScrollAction>;

TEST_F(VerticalBar, FaintWithoutThumbWhenTheContentFits)
{
    target.limit = 0;
    target.extent = 288; // exactly the 300 - 12 pixels beside the bar
    bar.UpdateThumb();
    EXPECT_EQ(bar.BarAlpha(), 10);
    EXPECT_FALSE(bar.Timers().IsActive(SkinScrollbar::kFadeTimer));
    // The thumb's place looks like any other part of the track.
    EXPECT_TRUE(SameRow(bar.RenderImage(), bar.ThumbPos() + 13, 150));

    target.limit = 50;
    target.extent = 289;
    bar.UpdateThumb();
    EXPECT_EQ(bar.BarAlpha(), 254);
    EXPECT_FALSE(SameRow(bar.RenderImage(), bar.ThumbPos() + 13, 150));
}

TEST_F(VerticalBar, FadesToFaintAfterAnUpdate)
{
    bar.UpdateThumb();
    EXPECT_EQ(bar.Timers().Interval(SkinScrollbar::kFadeTimer), 25);
    EXPECT_EQ(RunOut(SkinScrollbar::kFadeTimer), 122); // 254 down to 10 by 2
    EXPECT_EQ(bar.BarAlpha(), 10);
}

TEST_F(VerticalBar, HeldArrowRepeatsAfterADelay)
{
    SendMouse(&bar, QEvent::MouseButtonPress, {6, 270});
    EXPECT_EQ(bar.Timers().Interval(SkinScrollbar::kRepeatDelayTimer), 250);
    EXPECT_TRUE(target.actions.empty());
    bar.Timers().Fire(SkinScrollbar::kRepeatDelayTimer);
    EXPECT_FALSE(bar.Timers().IsActive(SkinScrollbar::kRepeatDelayTimer));
    EXPECT_EQ(bar.Timers().Interval(SkinScrollbar::kRepeatTimer), 50);
    bar.Timers().Fire(SkinScrollbar::kRepeatTimer);
    bar.Timers().Fire(SkinScrollbar::kRepeatTimer);
    SendMouse(&bar, QEvent::MouseButtonRelease, {6, 270});
    EXPECT_EQ(target.actions, Actions(3, ScrollAction::LineForward));
    EXPECT_FALSE(bar.Timers().IsActive(SkinScrollbar::kRepeatTimer));
}

TEST_F(VerticalBar, ArrowClicksStepOneLineAnywhereOnTheArrow)
{
    Click(&bar, {6, 3});
    Click(&bar, {6, 20});
    Click(&bar, {6, 280});
    EXPECT_EQ(target.actions, (Actions{ScrollAction::LineBack, ScrollAction::LineBack, ScrollAction::LineForward}));
}

TEST_F(VerticalBar, ArrowPressReleasedElsewhereDoesNothing)
{
    SendMouse(&bar, QEvent::MouseButtonPress, {6, 270});
    SendMouse(&bar, QEvent::MouseButtonRelease, {6, 150});
    EXPECT_TRUE(target.actions.empty());
}

TEST_F(VerticalBar, TrackClicksPageTowardsThePoint)
{
    Click(&bar, {6, 200});
    target.position = 50;
    bar.UpdateThumb();
    ASSERT_EQ(bar.ThumbPos(), 238);
    Click(&bar, {6, 100});
    Click(&bar, {6, 245}); // on the thumb: nothing
    EXPECT_EQ(target.actions, (Actions{ScrollAction::PageForward, ScrollAction::PageBack}));
}

TEST_F(VerticalBar, ThumbDragClampsToTheRangeAndReportsEachMove)
{
    target.limit = 100;
    bar.UpdateThumb();
    SendMouse(&bar, QEvent::MouseButtonPress, {6, 30});
    EXPECT_TRUE(bar.DraggingThumb());
    SendMouse(&bar, QEvent::MouseMove, {6, -100});
    SendMouse(&bar, QEvent::MouseMove, {6, 157});
    SendMouse(&bar, QEvent::MouseMove, {6, 1000});
    SendMouse(&bar, QEvent::MouseButtonRelease, {6, 1000});
    EXPECT_EQ(target.positionsSet, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(diagnostics.Lines(),
              (std::vector<std::string>{"size.cy 0 nMax : 100", "size.cy 50 nMax : 100", "size.cy 100 nMax : 100"}));
    EXPECT_EQ(bar.BarAlpha(), 254);
    EXPECT_EQ(bar.ThumbPos(), 238);
    EXPECT_TRUE(target.actions.empty()); // a drag ends without paging
    EXPECT_FALSE(bar.DraggingThumb());
}

TEST_F(VerticalBar, InvisibleThumbCannotBeDragged)
{
    target.limit = 0;
    bar.UpdateThumb();
    SendMouse(&bar, QEvent::MouseButtonPress, {6, 30});
    EXPECT_FALSE(bar.DraggingThumb());
    SendMouse(&bar, QEvent::MouseMove, {6, 200});
    EXPECT_TRUE(target.positionsSet.empty());
}

TEST(HorizontalBar, DragsAndPagesAlongItsWidth)
{
    FakeTarget target;
    target.limit = 100;
    test::RecordingDiagnostics diagnostics;
    CSkinHorizontalScrollbar bar;
    bar.resize(275, 12);
    bar.SetDiagnostics(&diagnostics);
    bar.SetTarget(&target);
    EXPECT_EQ(bar.ThumbPos(), 25);

    SendMouse(&bar, QEvent::MouseButtonPress, {30, 6});
    SendMouse(&bar, QEvent::MouseMove, {113, 6});
    SendMouse(&bar, QEvent::MouseButtonRelease, {113, 6});
    EXPECT_EQ(target.positionsSet, std::vector<int>{50});

    // The hit rectangles reach 20 pixels down although the bar is drawn 12 high.
    Click(&bar, {5, 15});
    Click(&bar, {270, 6});
    Click(&bar, {200, 6});
    EXPECT_EQ(target.actions, (Actions{ScrollAction::LineBack, ScrollAction::LineForward, ScrollAction::PageForward}));
}

} // namespace
} // namespace orb
