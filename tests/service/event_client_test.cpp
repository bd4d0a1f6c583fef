#include "service/event_client.h"

#include "tests/service/scripted_client_fixture.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

using test::kJsonHeaderBlock;
using test::kRefusal;

constexpr const char* kHolidayId = "ko.south_korea#holiday@group.v.calendar.google.com";
constexpr const char* kHolidayPath = "/calendar/v3/calendars/ko.south_korea%23holiday%40group.v.calendar.google.com";

CalendarRecord Calendar(const std::string& id, const std::string& selected)
{
    CalendarRecord calendar;
    calendar.id = id;
    calendar.summary = "Cal " + id;
    calendar.selected = selected;
    calendar.timeZone = "Asia/Seoul";
    return calendar;
}

EventRecord Event(const std::string& id, const std::string& date)
{
    EventRecord event;
    event.id = id;
    event.start.date = date;
    event.end.date = date;
    return event;
}

using EventClientTest = test::ScriptedClientTest;

TEST_F(EventClientTest, ListAsksOnlySelectedCalendarsForTheDateWindowAroundToday)
{
    s.clock.Set({2026, 6, 10, 23, 59, 0});
    calendars = {Calendar("off", "false"), Calendar("unset", ""), Calendar(kHolidayId, "true")};
    QueueTokenCheck();
    s.transport.Queue(R"({"items":[]})");

    EXPECT_TRUE(ListEvents(s.context, calendars, 7, 31));
    ASSERT_EQ(s.transport.requests.size(), 2u); // the token check is made once
    EXPECT_EQ(Request(1).verb, "GET");
    EXPECT_EQ(Request(1).target, std::string(kHolidayPath) +
                                     "/events?timeMin=2026-06-03T00:00:00.000Z&timeMax=2026-07-11T00:00:00.000Z"
                                     "&orderBy=startTime&singleEvents=true&maxResults=2500");
    EXPECT_TRUE(s.diagnostics.Contains("Number of Event : 0"));
}

TEST_F(EventClientTest, ListAppendsEventsInServiceOrderWithEtagAndCalendarZone)
{
    calendars = {Calendar("c", "true")};
    calendars[0].events.push_back(Event("old", "2030-01-01"));
    QueueTokenCheck();
    s.transport.Queue(R"({"items":[{"id":"b","etag":"\"1\"","start":{"date":"2026-12-09"}},
        {"id":"a","start":{"dateTime":"2026-12-08T10:00:00+09:00","timeZone":"UTC"}}],"nextPageToken":"n 2"})");
    s.transport.Queue(R"({"items":[{"id":"z","start":{"date":"2026-12-01"}}]})");

    ListEvents(s.context, calendars, 1, 1);
    ASSERT_EQ(s.transport.requests.size(), 3u);
    EXPECT_NE(Request(2).target.find("&singleEvents=true&maxResults=2500&pageToken=n%202"), std::string::npos);
    const std::vector<EventRecord>& events = calendars[0].events;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].id, "old");
    EXPECT_EQ(events[1].id, "b");
    EXPECT_EQ(events[1].etag, "\\\"1\\\"");
    EXPECT_EQ(events[1].start.timeZone, "Asia/Seoul");
    EXPECT_EQ(events[2].start.timeZone, "UTC");
    EXPECT_EQ(events[3].id, "z"); // no local sort
    EXPECT_TRUE(s.diagnostics.Contains("Number of Event : 4"));
}

TEST_F(EventClientTest, ListNamesACalendarThatFailsAndGoesOn)
{
    calendars = {Calendar("dead", "true"), Calendar("refused", "true"), Calendar("junk", "true"),
                 Calendar("shape", "true"), Calendar("fine", "true")};
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kConnectionReset);
    s.transport.Queue(kRefusal, 404);
    s.transport.Queue("<html>");
    s.transport.Queue(R"({"items":"none"})");
    s.transport.Queue(R"({"items":[{"id":"e","start":{"date":"2026-12-08"}},{"id":"bad"}]})");

    EXPECT_TRUE(ListEvents(s.context, calendars, 7, 31));
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string& id = calendars[i].id;
        EXPECT_TRUE(s.diagnostics.Contains("Event List Fail : Cal " + id + " (" + id + ")")) << id;
        EXPECT_TRUE(calendars[i].events.empty()) << id;
    }
    EXPECT_TRUE(s.diagnostics.Contains("(Connection Reset)12031"));
    EXPECT_TRUE(s.diagnostics.Contains("Malformed event skipped : Cal fine (fine)"));
    ASSERT_EQ(calendars[4].events.size(), 1u);
    EXPECT_TRUE(s.prompter.messages.empty());
}

TEST_F(EventClientTest, SearchSendsTheTextAsAQueryValueAndSkipsTheEtag)
{
    std::vector<EventRecord> results(1);
    QueueTokenCheck();
    s.transport.Queue(R"({"items":[{"id":"e","etag":"\"9\"","start":{"date":"2026-12-08"}}],"nextPageToken":"t"})");
    s.transport.Queue(R"({"items":[{"id":"f","colorId":"11","start":{"date":"2026-12-09"}}]})");

    EXPECT_TRUE(SearchEvents(s.context, kHolidayId, "한 a b&c#d\"+%", results));
    EXPECT_EQ(Request(1).target, std::string(kHolidayPath) + "/events?q=%ED%95%9C%20a%20b%26c%23d%22%2B%25");
    EXPECT_EQ(Request(2).target,
              std::string(kHolidayPath) + "/events?q=%ED%95%9C%20a%20b%26c%23d%22%2B%25&pageToken=t");
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[1].etag, "");
    EXPECT_EQ(results[1].start.timeZone, ""); // no calendar to fall back on
    EXPECT_EQ(results[2].colorText, "#DC2127");
}

TEST_F(EventClientTest, SearchFailureAppendsNothingAndSaysWhy)
{
    std::vector<EventRecord> results;
    std::string failure;
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kNameNotResolved);
    EXPECT_FALSE(SearchEvents(s.context, "c", "x", results, &failure));
    EXPECT_FALSE(failure.empty());
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(s.diagnostics.Contains("Event Search Fail : c"));
}

EventRecord AllDayEvent()
{
    EventRecord event;
    event.status = "confirmed";
    event.summary = "생일 \"party\"";
    event.description = "line1\nline2 \\ end";
    event.location = "Seoul";
    event.colorId = "5";
    event.start = {"2026-12-08", "", "Asia/Seoul"};
    event.end = {"2026-12-09", "", "Asia/Seoul"};
    return event;
}

EventRecord TimedEvent()
{
    EventRecord event;
    event.status = "confirmed";
    event.summary = "Call";
    event.start = {"", "2026-12-08T08:00:00+09:00", "Asia/Seoul"};
    event.end = {"", "2026-12-08T09:30:00+09:00", ""};
    return event;
}

TEST(EventBodies, InsertAllDayHasDatesOnlyAndTheColour)
{
    EXPECT_EQ(InsertEventBody(AllDayEvent()),
              "{\"kind\": \"calendar#event\",\"status\": \"confirmed\",\"summary\": \"생일 \\\"party\\\"\","
              "\"description\": \"line1\\nline2 \\\\ end\",\"location\": \"Seoul\",\"colorId\": \"5\","
              "\"start\":{\"date\":\"2026-12-08\"},\"end\":{\"date\":\"2026-12-09\"}}");
}

TEST(EventBodies, InsertTimedHasZonesWhenSetAndNoColour)
{
    EXPECT_EQ(InsertEventBody(TimedEvent()),
              "{\"kind\": \"calendar#event\",\"status\": \"confirmed\",\"summary\": \"Call\",\"description\": \"\","
              "\"location\": \"\",\"start\":{\"dateTime\":\"2026-12-08T08:00:00+09:00\",\"timeZone\":\"Asia/Seoul\"},"
              "\"end\":{\"dateTime\":\"2026-12-08T09:30:00+09:00\"}}");
}

TEST(EventBodies, UpdateNamesBothTimeMembersAndNullsTheUnused)
{
    EventRecord allDay = AllDayEvent();
    allDay.etag = "\\\"7\\\"";
    EXPECT_EQ(UpdateEventBody(allDay),
              "{\"start\":{\"date\":\"2026-12-08\",\"timeZone\":\"Asia/Seoul\",\"dateTime\":null},"
              "\"end\":{\"date\":\"2026-12-09\",\"timeZone\":\"Asia/Seoul\",\"dateTime\":null},"
              "\"kind\":\"calendar#event\",\"etag\":\"\\\"7\\\"\",\"status\":\"confirmed\","
              "\"summary\":\"생일 \\\"party\\\"\",\"description\":\"line1\\nline2 \\\\ end\",\"colorId\":\"5\","
              "\"location\":\"Seoul\"}");
    EXPECT_EQ(UpdateEventBody(TimedEvent()),
              "{\"start\":{\"date\":null,\"dateTime\":\"2026-12-08T08:00:00+09:00\",\"timeZone\":\"Asia/Seoul\"},"
              "\"end\":{\"date\":null,\"dateTime\":\"2026-12-08T09:30:00+09:00\"},"
              "\"kind\":\"calendar#event\",\"etag\":\"\",\"status\":\"confirmed\",\"summary\":\"Call\","
              "\"description\":\"\",\"colorId\":null,\"location\":\"\"}");
}

TEST(EventBodies, StrayQuotesInServiceTextsCannotBreakABody)
{
    EventRecord event = TimedEvent();
    event.status = "x\",\"injected\":\"1";
    event.start.timeZone = "A\"B";
    const std::string body = InsertEventBody(event);
    EXPECT_NE(body.find("\"status\": \"x\\\",\\\"injected\\\":\\\"1\""), std::string::npos);
    EXPECT_NE(body.find("\"timeZone\":\"A\\\"B\""), std::string::npos);
}

TEST_F(EventClientTest, InsertPostsToTheEncodedCalendarAndFilesTheAnswer)
{
    calendars = {Calendar("other", "true"), Calendar(kHolidayId, "true")};
    calendars[1].events = {Event("before", "2026-12-01"), Event("after", "2026-12-31")};
    EventRecord record = AllDayEvent();
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"new","etag":"\"5\"","status":"confirmed","summary":"S","colorId":"5",
        "start":{"date":"2026-12-08"},"end":{"date":"2026-12-09"}})");

    EXPECT_TRUE(InsertEvent(s.context, record, calendars, kHolidayId));
    EXPECT_EQ(Request(1).verb, "POST");
    EXPECT_EQ(Request(1).target, std::string(kHolidayPath) + "/events");
    EXPECT_EQ(Request(1).headerBlock, kJsonHeaderBlock);
    EXPECT_EQ(Request(1).body, InsertEventBody(AllDayEvent()));
    EXPECT_EQ(record.id, "new");
    EXPECT_EQ(record.etag, "");
    EXPECT_EQ(record.start.timeZone, "Asia/Seoul"); // from the calendar
    ASSERT_EQ(calendars[1].events.size(), 3u);
    EXPECT_EQ(calendars[1].events[1].id, "new");
    EXPECT_TRUE(calendars[0].events.empty());
    EXPECT_EQ(s.diagnostics.Lines().back(), "Number of Event : 3");
}

TEST_F(EventClientTest, InsertRefusalIsShownWithItsPrefixAndFilesNothing)
{
    calendars = {Calendar("c", "true")};
    EventRecord record = AllDayEvent();
    QueueTokenCheck();
    s.transport.Queue(kRefusal, 400);
    EXPECT_TRUE(InsertEvent(s.context, record, calendars, "c"));
    EXPECT_EQ(s.prompter.messages, std::vector<std::string>{std::string("Event Insert Fail\n") + kRefusal});
    EXPECT_EQ(record.id, "");
    EXPECT_TRUE(calendars[0].events.empty());
}

TEST_F(EventClientTest, InsertAnswersThatAreNotEventsFileNothing)
{
    for (const char* answer : {"<html>", R"({"id":"new"})", R"({"id":"new","start":[]})"}) {
        calendars = {Calendar("c", "true")};
        EventRecord record = AllDayEvent();
        QueueTokenCheck();
        s.transport.Queue(answer);
        EXPECT_TRUE(InsertEvent(s.context, record, calendars, "c")) << answer;
        EXPECT_EQ(record.id, "") << answer;
        EXPECT_TRUE(calendars[0].events.empty()) << answer;
    }
    EXPECT_TRUE(s.prompter.messages.empty());
}

TEST_F(EventClientTest, InsertTransportFailureReturnsFalseWithALine)
{
    calendars = {Calendar("c", "true")};
    EventRecord record = AllDayEvent();
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kCannotConnect);
    EXPECT_FALSE(InsertEvent(s.context, record, calendars, "c"));
    EXPECT_EQ(s.diagnostics.Lines().back(), "(Cannot connect)12029");
    EXPECT_TRUE(s.prompter.messages.empty());
    EXPECT_TRUE(calendars[0].events.empty());
}

TEST_F(EventClientTest, UpdateRefreshesTheStoredEventKeepsItsEtagAndResorts)
{
    calendars = {Calendar("c+1@x", "true")};
    calendars[0].events = {Event("moved", "2026-12-01"), Event("middle", "2026-12-05")};
    EventRecord& stored = calendars[0].events[0];
    stored.etag = "\\\"3\\\"";
    stored.colorId = "4";
    stored.colorText = "#FF887C";
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"moved","etag":"\"4\"","summary":"Moved","start":{"date":"2026-12-20"},
        "end":{"date":"2026-12-21","timeZone":"UTC"}})");

    EXPECT_TRUE(UpdateEvent(s.context, stored, calendars, "c+1@x"));
    EXPECT_EQ(Request(1).verb, "PATCH");
    EXPECT_EQ(Request(1).target, "/calendar/v3/calendars/c%2b1%40x/events/moved");
    EXPECT_EQ(Request(1).headerBlock, kJsonHeaderBlock);
    EXPECT_NE(Request(1).body.find("\"etag\":\"\\\"3\\\"\""), std::string::npos);
    const std::vector<EventRecord>& events = calendars[0].events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].id, "middle");
    EXPECT_EQ(events[1].id, "moved");
    EXPECT_EQ(events[1].summary, "Moved");
    EXPECT_EQ(events[1].etag, "\\\"3\\\"");
    EXPECT_EQ(events[1].colorText, ""); // the answer has no colour
    EXPECT_EQ(events[1].start.timeZone, "Asia/Seoul");
    EXPECT_EQ(events[1].end.timeZone, "UTC");
}

TEST_F(EventClientTest, UpdateRefusalShowsTheBareAnswerAndChangesNothing)
{
    calendars = {Calendar("c", "true")};
    calendars[0].events = {Event("e", "2026-12-01")};
    QueueTokenCheck();
    s.transport.Queue(kRefusal, 404);
    EXPECT_TRUE(UpdateEvent(s.context, calendars[0].events[0], calendars, "c"));
    EXPECT_EQ(s.prompter.messages, std::vector<std::string>{kRefusal});
    EXPECT_EQ(calendars[0].events[0].start.date, "2026-12-01");

    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kTimeout);
    EXPECT_FALSE(UpdateEvent(s.context, calendars[0].events[0], calendars, "c"));
    EXPECT_EQ(s.prompter.messages.size(), 1u);
}

class EventDeleteTest : public EventClientTest
{
protected:
    void SetUp() override
    {
        calendars = {Calendar(kHolidayId, "true")};
        calendars[0].events = {Event("gone", "2026-12-01"), Event("keep", "2026-12-02"), Event("gone", "2026-12-03")};
        QueueTokenCheck();
    }
    bool Delete() { return DeleteEvent(s.context, calendars, kHolidayId, "gone"); }
};

TEST_F(EventDeleteTest, EmptyAnswerWithSuccessStatusRemovesEveryCopy)
{
    s.transport.Queue("", 204);
    EXPECT_TRUE(Delete());
    EXPECT_EQ(Request(1).verb, "DELETE");
    EXPECT_EQ(Request(1).target, std::string(kHolidayPath) + "/events/gone");
    EXPECT_EQ(Request(1).headerBlock, "Authorization: Bearer access-1\r\n\r\n\r\n");
    EXPECT_EQ(Request(1).body, "");
    ASSERT_EQ(calendars[0].events.size(), 1u);
    EXPECT_EQ(calendars[0].events[0].id, "keep");
}

TEST_F(EventDeleteTest, PassingTheStoredEventsOwnIdIsSafe)
{
    s.transport.Queue("", 204);
    EXPECT_TRUE(DeleteEvent(s.context, calendars, calendars[0].id, calendars[0].events[0].id));
    ASSERT_EQ(calendars[0].events.size(), 1u);
    EXPECT_EQ(calendars[0].events[0].id, "keep");
}

TEST_F(EventDeleteTest, ErrorDocumentIsWrittenAndTheEventStays)
{
    s.transport.Queue(kRefusal, 404);
    EXPECT_FALSE(Delete());
    EXPECT_EQ(s.diagnostics.Lines().back(), kRefusal);
    EXPECT_EQ(calendars[0].events.size(), 3u);
}

TEST_F(EventDeleteTest, DeadConnectionIsAFailureAndTheEventStays)
{
    s.transport.QueueFailure(wininet::kConnectionAborted);
    EXPECT_FALSE(Delete());
    EXPECT_EQ(s.diagnostics.Lines().back(), "(Connection Aborted)12030");
    EXPECT_EQ(calendars[0].events.size(), 3u);
}

TEST_F(EventDeleteTest, EmptyAnswerWithFailureStatusIsAFailure)
{
    s.transport.Queue("", 500);
    EXPECT_FALSE(Delete());
    EXPECT_EQ(s.diagnostics.Lines().back(), "Event Delete Fail : HTTP 500");
    EXPECT_EQ(calendars[0].events.size(), 3u);
}

} // namespace
} // namespace orb
