#include "widgets/owned_dialog.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(CentredOn, CentresOnTheOwnerButNeverLeavesTheScreen)
{
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(CentredOn({520, 120, 700, 500}, {319, 105}, screen), QRect(710, 317, 319, 105));
    // An owner hanging off the left and bottom edges.
    EXPECT_EQ(CentredOn({-600, 900, 700, 500}, {319, 105}, screen), QRect(0, 919, 319, 105));
    // Larger than the screen: its top left corner, with the title, stays on it.
    EXPECT_EQ(CentredOn({0, 0, 100, 100}, {2000, 1100}, screen), QRect(0, 0, 2000, 1100));
}

} // namespace
} // namespace orb
