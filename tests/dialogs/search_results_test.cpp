#include "dialogs/search_results.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

using Ready = std::vector<std::size_t>;

TEST(SearchResults, AnswersInAnyOrderAreShownInCalendarOrderOnce)
{
    InOrderRelease order;
    order.Reset(3);
    EXPECT_EQ(order.Arrive(2), Ready{});
    EXPECT_EQ(order.Arrive(0), Ready{0});
    EXPECT_EQ(order.Arrive(2), Ready{}); // a late repeat shows nothing twice
    EXPECT_FALSE(order.Done());
    EXPECT_EQ(order.Arrive(1), (Ready{1, 2}));
    EXPECT_TRUE(order.Done());
    EXPECT_EQ(order.Arrive(7), Ready{});
}

} // namespace
} // namespace orb
