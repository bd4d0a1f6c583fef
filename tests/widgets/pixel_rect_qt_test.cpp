#include "widgets/pixel_rect_qt.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(PixelRectQt, EdgesStayExclusiveBothWays)
{
    // 100 x 50 at (10, 20): QRect's last pixel is (109, 69), PixelRect's edges 110 and 70.
    const QRect q = ToQRect(PixelRect{10, 20, 110, 70});
    EXPECT_EQ(q, QRect(10, 20, 100, 50));
    EXPECT_EQ(q.right(), 109);
    EXPECT_EQ(ToPixelRect(QRect(10, 20, 100, 50)), (PixelRect{10, 20, 110, 70}));
    // Left of and above the primary screen, as a second screen's rectangles are.
    EXPECT_EQ(ToPixelRect(QRect(-1280, -8, 1280, 1024)), (PixelRect{-1280, -8, 0, 1016}));
    EXPECT_EQ(ToPixelRect(ToQRect(PixelRect{-5, -5, -5, 3})), (PixelRect{-5, -5, -5, 3}));
    EXPECT_TRUE(ToQRect(PixelRect{4, 4, 4, 9}).isEmpty());
}

} // namespace
} // namespace orb
