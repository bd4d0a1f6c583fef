#include "service/event_client.h"

#include "tests/service/scripted_client_fixture.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

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

class EventClientTest : public test::ScriptedClientTest
{
protected:
    // As a first load pass lists: one window for the pass, each selected calendar read whole.
    std::vector<bool> ListAll(int nCal_from, int nCal_to)
    {
        const EventListRange window = MakeEventListRange(s.clock, nCal_from, nCal_to);
        std::vector<bool> listed;
        for (CalendarRecord& calendar : calendars) {
            if (!IsSelected(calendar))
                continue;
            EventListing listing = ListEventChanges(s.context, calendar, window, {});
            EXPECT_TRUE(listing.whole);
            calendar.events.insert(calendar.events.end(), listing.changes.upserts.begin(),
                                   listing.changes.upserts.end());
            listed.push_back(listing.complete);
        }
        return listed;
    }
};

TEST_F(EventClientTest, ListAsksForTheDateWindowAroundToday)
{
    s.clock.Set({2026, 6, 10, 23, 59, 0});
    calendars = {Calendar(kHolidayId, "true")};
    s.transport.Queue(R"({"items":[]})");

    EXPECT_EQ(ListAll(7, 31), (std::vector<bool>{true}));
    ASSERT_EQ(s.transport.requests.size(), 1u); // the pass has checked the token already
    EXPECT_EQ(Request(0).verb, "GET");
    EXPECT_EQ(test::WithoutSelector(Request(0).target),
              std::string(kHolidayPath) + "/events?timeMin=2026-06-03T00:00:00.000Z&timeMax=2026-07-11T00:00:00.000Z"
                                          "&orderBy=startTime&singleEvents=true&maxResults=2500");
    EXPECT_TRUE(s.diagnostics.Contains("Number of Event : 0"));
}

TEST_F(EventClientTest, ListAppendsEventsInServiceOrderWithEtagAndCalendarZone)
{
    calendars = {Calendar("c", "true")};
    calendars[0].events.push_back(Event("old", "2030-01-01"));
    s.transport.Queue(R"({"items":[{"id":"b","etag":"\"1\"","start":{"date":"2026-12-09"}},
        {"id":"a","start":{"dateTime":"2026-12-08T10:00:00+09:00","timeZone":"UTC"}}],"nextPageToken":"n 2"})");
    s.transport.Queue(R"({"items":[{"id":"z","start":{"date":"2026-12-01"}}]})");

    ListAll(1, 1);
    ASSERT_EQ(s.transport.requests.size(), 2u);
    EXPECT_NE(Request(1).target.find("&singleEvents=true&maxResults=2500&pageToken=n%202"), std::string::npos);
    const std::vector<EventRecord>& events = calendars[0].events;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].id, "old");
    EXPECT_EQ(events[1].id, "b");
    EXPECT_EQ(events[1].etag, "\\\"1\\\"");
    EXPECT_EQ(events[1].start.timeZone, "Asia/Seoul");
    EXPECT_EQ(events[2].start.timeZone, "UTC");
    EXPECT_EQ(events[3].id, "z");                               // no local sort
    EXPECT_TRUE(s.diagnostics.Contains("Number of Event : 3")); // the listing's own
}

TEST_F(EventClientTest, ListNamesACalendarThatFailsAndGoesOn)
{
    calendars = {Calendar("dead", "true"), Calendar("refused", "true"), Calendar("junk", "true"),
                 Calendar("shape", "true"), Calendar("fine", "true")};
    s.transport.QueueFailure(wininet::kConnectionReset);
    s.transport.Queue(kRefusal, 404);
    s.transport.Queue("<html>");
    s.transport.Queue(R"({"items":"none"})");
    s.transport.Queue(R"({"items":[{"id":"e","start":{"date":"2026-12-08"}},{"id":"bad"}]})");

    EXPECT_EQ(ListAll(7, 31), (std::vector<bool>{false, false, false, false, true}));
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

std::vector<std::string> Ids(const std::vector<EventRecord>& events)
{
    std::vector<std::string> ids;
    for (const EventRecord& event : events)
        ids.push_back(event.id);
    return ids;
}

// A state for the window `window`, as a listing over it left it.
SyncState TokenFor(const EventListRange& window, const std::string& token)
{
    return {token, "", window.timeMin, window.timeMax, ""};
}

TEST_F(EventClientTest, ChangesSinceATokenComeWithoutTheWindowAndWhatLeftItCountsAsDeleted)
{
    const CalendarRecord calendar = Calendar("c", "true");
    const EventListRange window = MakeEventListRange(s.clock, 1, 0);
    ASSERT_EQ(window.timeMin, "2026-12-07T00:00:00.000Z");
    // In the window with the calendar's zone; cancelled; moved out ahead; ending exactly as
    // the window opens (out, as the service counts it); starting just before it closes (in).
    s.transport.Queue(R"({"items":[
        {"id":"in","summary":"moved","start":{"dateTime":"2026-12-07T10:00:00+09:00"},"end":{"dateTime":"2026-12-07T11:00:00+09:00"}},
        {"id":"gone","status":"cancelled"},
        {"id":"ahead","start":{"date":"2027-01-05"},"end":{"date":"2027-01-06"}},
        {"id":"edge","start":{"dateTime":"2026-12-06T23:00:00Z"},"end":{"dateTime":"2026-12-07T00:00:00Z"}},
        {"id":"late","start":{"dateTime":"2026-12-07T23:59:59.999Z"},"end":{"dateTime":"2026-12-08T01:00:00Z"}}],
        "nextSyncToken":"next="})");

    const EventListing listing = ListEventChanges(s.context, calendar, window, TokenFor(window, "t+1/="));
    ASSERT_EQ(s.transport.requests.size(), 1u);
    EXPECT_EQ(
        test::WithoutSelector(Request(0).target),
        "/calendar/v3/calendars/c/events?syncToken=t%2B1%2F%3D&showDeleted=true&singleEvents=true&maxResults=2500");
    EXPECT_TRUE(listing.complete);
    EXPECT_FALSE(listing.whole);
    ASSERT_EQ(Ids(listing.changes.upserts), (std::vector<std::string>{"in", "late"}));
    EXPECT_EQ(listing.changes.upserts[0].summary, "moved");
    EXPECT_EQ(listing.changes.upserts[0].start.timeZone, "Asia/Seoul");
    EXPECT_EQ(listing.changes.deletions, (std::vector<std::string>{"gone", "ahead", "edge"}));
    EXPECT_EQ(listing.state, TokenFor(window, "next="));
    EXPECT_TRUE(s.diagnostics.Contains("Event changes : Cal c (c) : 2 changed, 3 removed"));
}

TEST_F(EventClientTest, AWindowThatMovedOrATokenTheServiceDroppedIsReadWhole)
{
    const CalendarRecord calendar = Calendar("c", "true");
    const EventListRange yesterday = MakeEventListRange(s.clock, 2, 0);
    const EventListRange today = MakeEventListRange(s.clock, 1, 0);
    const std::string whole = "/calendar/v3/calendars/c/events?timeMin=2026-12-07T00:00:00.000Z"
                              "&timeMax=2026-12-08T00:00:00.000Z&orderBy=startTime&singleEvents=true&maxResults=2500";
    s.transport.Queue(R"({"items":[{"id":"a","start":{"date":"2026-12-07"}}],"nextSyncToken":"fresh"})");
    EventListing listing = ListEventChanges(s.context, calendar, today, TokenFor(yesterday, "old"));
    EXPECT_EQ(test::WithoutSelector(Request(0).target), whole);
    EXPECT_TRUE(listing.whole);
    EXPECT_EQ(Ids(listing.changes.upserts), std::vector<std::string>{"a"});
    EXPECT_EQ(listing.state, TokenFor(today, "fresh"));

    s.transport.Queue(R"({"error":{"code":410,"message":"Sync token is no longer valid, a full sync is required.",
        "errors":[{"reason":"fullSyncRequired"}]}})",
                      410);
    s.transport.Queue(R"({"items":[{"id":"b","start":{"date":"2026-12-07"}}]})");
    listing = ListEventChanges(s.context, calendar, today, TokenFor(today, "expired"));
    ASSERT_EQ(s.transport.requests.size(), 3u);
    EXPECT_EQ(Request(1).target.rfind("/calendar/v3/calendars/c/events?syncToken=expired&", 0), 0u);
    EXPECT_EQ(test::WithoutSelector(Request(2).target), whole);
    EXPECT_TRUE(listing.complete);
    EXPECT_TRUE(listing.whole);
    EXPECT_EQ(Ids(listing.changes.upserts), std::vector<std::string>{"b"});
    EXPECT_TRUE(listing.changes.deletions.empty());
    EXPECT_EQ(listing.state.syncToken, "") << "no token given: the next pass reads whole again";
    EXPECT_TRUE(s.diagnostics.Contains("Event sync token expired, reading the window whole : Cal c (c)"));

    // Any other refusal is a failure, not a reason to read everything.
    s.transport.Queue(kRefusal, 404);
    listing = ListEventChanges(s.context, calendar, today, TokenFor(today, "t"));
    EXPECT_EQ(s.transport.requests.size(), 4u);
    EXPECT_FALSE(listing.complete);
    EXPECT_EQ(listing.failure.text, "Not Found");
    EXPECT_FALSE(listing.failure.unreachable);
}

TEST_F(EventClientTest, SearchSendsTheTextAsAQueryValueAndSkipsTheEtag)
{
    std::vector<EventRecord> results(1);
    QueueTokenCheck();
    s.transport.Queue(R"({"items":[{"id":"e","etag":"\"9\"","start":{"date":"2026-12-08"}}],"nextPageToken":"t"})");
    s.transport.Queue(R"({"items":[{"id":"f","colorId":"11","start":{"date":"2026-12-09"}}]})");

    EXPECT_TRUE(SearchEvents(s.context, kHolidayId, "한 a b&c#d\"+%", results));
    EXPECT_EQ(test::WithoutSelector(Request(1).target),
              std::string(kHolidayPath) + "/events?q=%ED%95%9C%20a%20b%26c%23d%22%2B%25");
    EXPECT_EQ(test::WithoutSelector(Request(2).target),
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

TEST(EventBodies, UpdateNamesBothTimeMembersNullsTheUnusedAndSendsNoEmptyEtag)
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
              "\"kind\":\"calendar#event\",\"status\":\"confirmed\",\"summary\":\"Call\","
              "\"description\":\"\",\"colorId\":null,\"location\":\"\"}");
}

TEST(EventBodies, AnUpdateLeavesOutAColourIdTheProgramDoesNotKnowSoTheServiceKeepsIt)
{
    for (const char* colorId : {"12", "abc", "0"}) {
        EventRecord event = TimedEvent();
        event.colorId = colorId;
        const std::string body = UpdateEventBody(event);
        EXPECT_EQ(body.find("colorId"), std::string::npos) << body;
        EXPECT_NE(body.find(R"("description":"","location":"")"), std::string::npos) << body;
    }
    EventRecord known = TimedEvent();
    known.colorId = "11";
    EXPECT_NE(UpdateEventBody(known).find(R"("colorId":"11",)"), std::string::npos);
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

} // namespace
} // namespace orb
