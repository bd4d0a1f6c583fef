#include "service/calendar_client.h"

#include "tests/service/integration/calendar_fixture.h"

namespace orb::test {
namespace {

using CalendarListWire = CalendarServiceTest;

TEST_F(CalendarListWire, ListFollowsEveryPage)
{
    service.SetPageSize(2); // five calendars: three pages
    std::vector<CalendarRecord> calendars;
    ASSERT_TRUE(ListCalendars(context, calendars));

    ASSERT_EQ(calendars.size(), 5u);
    EXPECT_EQ(calendars[0].id, kPrimaryId);
    EXPECT_EQ(calendars[2].id, kHolidayId);
    EXPECT_EQ(calendars[2].summary, "대한민국의 휴일");
    EXPECT_EQ(calendars[2].accessRole, "reader");
    EXPECT_EQ(calendars[3].selected, "false");
    EXPECT_EQ(calendars[4].selected, "");
    EXPECT_EQ(RequestedTargets("GET").size(), 3u);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(CalendarListWire, ListWithARejectedTokenShowsTheServicesAnswer)
{
    service.RevokeAccessTokens();
    // What the service answers a GET of the list with this token.
    std::string expected;
    ASSERT_EQ(transport.HttpGet(config.apiBase + "/calendar/v3/users/me/calendarList", "", expected).code,
              kHttpCompleted);

    std::vector<CalendarRecord> calendars;
    EXPECT_FALSE(ListCalendars(context, calendars));
    EXPECT_TRUE(calendars.empty());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{expected});
    EXPECT_NE(expected.find("401"), std::string::npos);
}

TEST_F(CalendarListWire, AnOwnersChangeAndAReadersRecolouringAreBothSeenByTheNextList)
{
    std::vector<CalendarRecord> calendars;
    ASSERT_TRUE(ListCalendars(context, calendars));
    CalendarRecord& mine = calendars[0];
    mine.summary = "가족 \"Kim\"\nhome";
    mine.description = "back\\slash";
    mine.colorId = "7";
    ASSERT_TRUE(UpdateCalendar(context, mine, mine.id, {false, false, true}).Applied());
    EXPECT_EQ(mine.backgroundColor, "#42d692");
    EXPECT_EQ(RequestedTargets("PATCH"),
              (std::vector<std::string>{"/calendar/v3/calendars/me%40example.com",
                                        "/calendar/v3/users/me/calendarList/me%40example.com"}));

    // The holiday calendar is only read: its entry's colour is still the user's to choose.
    service.ClearRequests();
    CalendarRecord holiday = calendars[2];
    holiday.colorId = "16";
    ASSERT_TRUE(UpdateCalendar(context, holiday, holiday.id, {false, false, true}).Applied());
    EXPECT_EQ(RequestedTargets("PATCH"),
              std::vector<std::string>{
                  "/calendar/v3/users/me/calendarList/ko.south_korea%23holiday%40group.v.calendar.google.com"});
    EXPECT_EQ(holiday.backgroundColor, "#4986e7");

    std::vector<CalendarRecord> again;
    ASSERT_TRUE(ListCalendars(context, again));
    EXPECT_EQ(again[0].summary, "가족 \"Kim\"\nhome");
    EXPECT_EQ(again[0].description, "back\\slash");
    EXPECT_EQ(again[0].backgroundColor, "#42d692");
    EXPECT_EQ(again[2].colorId, "16");
    EXPECT_EQ(again[2].summary, "대한민국의 휴일");
    EXPECT_TRUE(prompter.messages.empty());
}

} // namespace
} // namespace orb::test
