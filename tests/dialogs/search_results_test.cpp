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

TEST(SearchResults, AFailedSearchSaysSoUnderItsCalendar)
{
    const SearchCalendar calendar{"team@x", "Team", "#a1b2c3"};
    SearchAnswer answer;
    answer.events.resize(1);
    answer.events[0].summary = "Lunch";
    answer.events[0].colorText = "#102030";
    answer.complete = false;
    answer.failure = "HTTP 500";
    const std::vector<SearchRow> rows = SearchRows(calendar, answer);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].texts[0], "0xa1b2c3Team");
    EXPECT_EQ(rows[0].texts[3], "team@x");
    EXPECT_EQ(rows[1].texts[0], "0x102030Lunch"); // matches read before the failure stay
    EXPECT_EQ(rows[2].level, 3);
    EXPECT_EQ(rows[2].texts[0], "search failed: HTTP 500");
}

} // namespace
} // namespace orb
