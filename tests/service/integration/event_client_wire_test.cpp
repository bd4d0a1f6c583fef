#include "service/calendar_client.h"
#include "service/event_client.h"

#include <tuple>

#include "tests/service/integration/calendar_fixture.h"

namespace orb::test {
namespace {

constexpr int kDaysBefore = 7;
constexpr int kDaysAfter = 31;

class EventWire : public CalendarServiceTest
{
protected:
    // A fresh load pass: the calendar list, then the events of the selected calendars.
    std::vector<CalendarRecord> Load()
    {
        std::vector<CalendarRecord> calendars;
        EXPECT_TRUE(ListCalendars(context, calendars));
        EnsureAccessToken(context);
        const EventListRange window = MakeEventListRange(clock, kDaysBefore, kDaysAfter);
        for (CalendarRecord& calendar : calendars) {
            if (!IsSelected(calendar))
                continue;
            EventListing listing = ListEventChanges(context, calendar, window, {});
            EXPECT_TRUE(listing.complete) << calendar.id;
            calendar.events = std::move(listing.changes.upserts);
        }
        return calendars;
    }

    // Throws (and so fails the test) when the calendar is missing.
    template <typename Calendars> static auto& Find(Calendars& calendars, const std::string& id)
    {
        std::size_t index = 0;
        while (index < calendars.size() && calendars[index].id != id)
            ++index;
        return calendars.at(index);
    }

    static EventRecord TimedEvent(const std::string& summary)
    {
        EventRecord event;
        event.status = "confirmed";
        event.summary = summary;
        event.description = "line one\nline \"two\"";
        event.location = "서울";
        event.start.dateTime = "2026-06-15T10:00:00+09:00";
        event.end.dateTime = "2026-06-15T11:00:00+09:00";
        event.colorId = "11";
        return event;
    }
};

TEST_F(EventWire, ListTakesTheWindowFromTheClockAndSkipsUnselectedCalendars)
{
    const std::vector<CalendarRecord> calendars = Load();

    // 10 June, 7 days back and 31 ahead: 3 June to 11 July. Edge events that end as the
    // window opens or start as it closes stay out.
    const CalendarRecord& mine = Find(calendars, kPrimaryId);
    EXPECT_EQ(Ids(mine.events), (std::vector<std::string>{"first", "timed", "allday", "late"}));
    EXPECT_EQ(mine.events[1].summary, "한국 축제");
    EXPECT_EQ(mine.events[1].start.timeZone, "Asia/Seoul");
    EXPECT_EQ(mine.events[0].etag.substr(0, 2), "\\\"");
    EXPECT_EQ(Ids(Find(calendars, kHolidayId).events), std::vector<std::string>{"holiday1"});
    EXPECT_TRUE(Find(calendars, kHiddenId).events.empty());

    const std::vector<std::string> gets = RequestedTargets("GET");
    ASSERT_EQ(gets.size(), 4u); // the list, then three selected calendars
    EXPECT_EQ(gets[1], "/calendar/v3/calendars/me%40example.com/events?timeMin=2026-06-03T00:00:00.000Z"
                       "&timeMax=2026-07-11T00:00:00.000Z&orderBy=startTime&singleEvents=true&maxResults=2500");
    EXPECT_EQ(gets[2].rfind("/calendar/v3/calendars/family%2bkids%40group.calendar.google.com/events?", 0), 0u);
    EXPECT_EQ(gets[3].rfind("/calendar/v3/calendars/ko.south_korea%23holiday%40group.v.calendar.google.com/events?", 0),
              0u);
    EXPECT_TRUE(diagnostics.Contains("Number of Event : 4"));
}

TEST_F(EventWire, ListFollowsPagesInStartOrder)
{
    service.SetPageSize(1);
    const std::vector<CalendarRecord> calendars = Load();
    EXPECT_EQ(Ids(Find(calendars, kPrimaryId).events), (std::vector<std::string>{"first", "timed", "allday", "late"}));
    const std::vector<std::string> gets = RequestedTargets("GET");
    const auto primaryPages = std::count_if(gets.begin(), gets.end(), [](const std::string& target) {
        return target.rfind("/calendar/v3/calendars/me%40example.com/events?", 0) == 0;
    });
    EXPECT_EQ(primaryPages, 4);
}

TEST_F(EventWire, SearchSendsKoreanAndReservedCharactersIntact)
{
    std::vector<EventRecord> results;
    EXPECT_TRUE(SearchEvents(context, kPrimaryId, "한국", results));
    EXPECT_EQ(Ids(results), std::vector<std::string>{"timed"});

    results.clear();
    EXPECT_TRUE(SearchEvents(context, kPrimaryId, "a b&c#d", results));
    EXPECT_EQ(Ids(results), std::vector<std::string>{"first"});

    results.clear();
    EXPECT_TRUE(SearchEvents(context, kPrimaryId, "\"quoted\"", results));
    EXPECT_EQ(Ids(results), std::vector<std::string>{"first"});

    const std::vector<std::string> gets = RequestedTargets("GET");
    ASSERT_EQ(gets.size(), 3u);
    EXPECT_EQ(gets[0], "/calendar/v3/calendars/me%40example.com/events?q=%ED%95%9C%EA%B5%AD");
    EXPECT_EQ(gets[1], "/calendar/v3/calendars/me%40example.com/events?q=a%20b%26c%23d");
}

TEST_F(EventWire, InsertUpdateDeleteAreSeenByTheNextLoad)
{
    EventRecord created = TimedEvent("새 일정 \"new\"");
    ASSERT_TRUE(InsertEvent(context, created, kFamilyId).Applied());
    ASSERT_FALSE(created.id.empty());
    EXPECT_EQ(created.colorText, "#DC2127");
    EXPECT_EQ(RequestedTargets("POST").back(),
              "/calendar/v3/calendars/family%2bkids%40group.calendar.google.com/events");

    std::vector<CalendarRecord> reloaded = Load();
    const std::vector<EventRecord>& listed = Find(reloaded, kFamilyId).events;
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].summary, "새 일정 \"new\"");
    EXPECT_EQ(listed[1].description, "line one\nline \"two\"");
    EXPECT_EQ(listed[1].location, "서울");

    // Turn it into an all-day event before the school day, without a colour.
    EventRecord changed = listed[1];
    changed.summary = "Moved";
    changed.start = {"2026-06-11", "", "Asia/Seoul"};
    changed.end = {"2026-06-12", "", "Asia/Seoul"};
    changed.colorId.clear();
    ASSERT_TRUE(UpdateEvent(context, changed, kFamilyId).Applied());
    EXPECT_EQ(changed.colorText, "");

    reloaded = Load();
    const EventRecord& moved = Find(reloaded, kFamilyId).events.at(0);
    EXPECT_EQ(moved.summary, "Moved");
    EXPECT_EQ(moved.start.date, "2026-06-11");
    EXPECT_EQ(moved.start.dateTime, "");
    EXPECT_EQ(moved.colorId, "");

    ASSERT_TRUE(DeleteEvent(context, kFamilyId, created.id).Applied());
    reloaded = Load();
    EXPECT_EQ(Ids(Find(reloaded, kFamilyId).events), std::vector<std::string>{"school"});
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(EventWire, ChangesToAReadersCalendarOrAVanishedEventAreRefusedInTheServicesWords)
{
    EventRecord event = TimedEvent("Not allowed");
    const EditResult inserted = InsertEvent(context, event, kHolidayId);
    EXPECT_EQ(inserted.outcome, EditOutcome::Refused);
    EXPECT_EQ(inserted.message, "You need to have writer access to this calendar.");
    EXPECT_EQ(event.id, "");
    EXPECT_EQ(DeleteEvent(context, kHolidayId, "holiday1").outcome, EditOutcome::Refused);
    const std::vector<CalendarRecord> reloaded = Load();
    EXPECT_EQ(Ids(Find(reloaded, kHolidayId).events), std::vector<std::string>{"holiday1"});

    EventRecord gone = TimedEvent("Gone");
    gone.id = "nosuchevent";
    const EditResult updated = UpdateEvent(context, gone, kPrimaryId);
    EXPECT_EQ(updated.outcome, EditOutcome::Refused);
    EXPECT_EQ(updated.message, "Not Found");
    EXPECT_EQ(gone.summary, "Gone");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(EventWire, AnEventCalledDotDotIsDeletedItselfAndItsCalendarStays)
{
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(R"({"calendar": {"calendars": [{"id": "me@example.com", "events": [
        {"id": "..", "summary": "Dots", "start": {"date": "2026-06-11"}, "end": {"date": "2026-06-12"}}]}]}})",
                                     error))
        << error;
    ASSERT_TRUE(DeleteEvent(context, kPrimaryId, "..").Applied());
    // A server or proxy that normalises paths reads a literal ".." as the calendar itself.
    EXPECT_EQ(RequestedTargets("DELETE"),
              std::vector<std::string>{"/calendar/v3/calendars/me%40example.com/events/%2E%2E"});
    const std::vector<CalendarRecord> reloaded = Load();
    EXPECT_EQ(Ids(Find(reloaded, kPrimaryId).events), (std::vector<std::string>{"first", "timed", "allday", "late"}));
}

TEST_F(EventWire, DeleteOnADeadConnectionKeepsTheEvent)
{
    // The token check, the refresh it falls back to, and the delete itself.
    service.FailNext(3, {fake::FaultKind::Drop});
    EXPECT_EQ(DeleteEvent(context, kPrimaryId, "timed").outcome, EditOutcome::Failed);
    EXPECT_EQ(RequestedTargets("DELETE"),
              std::vector<std::string>{"/calendar/v3/calendars/me%40example.com/events/timed"});
    EXPECT_TRUE(diagnostics.Contains("(Connection Aborted)12030"));
    const std::vector<CalendarRecord> reloaded = Load();
    EXPECT_EQ(Ids(Find(reloaded, kPrimaryId).events), (std::vector<std::string>{"first", "timed", "allday", "late"}));
}

// Another device changes the calendar between two reads: the second asks only for what
// changed, as the service's rules allow, and gets exactly that; an expired token is read whole.
TEST_F(EventWire, ChangesSinceTheTokenAreWhatAnotherDeviceDidAndAnExpiredTokenIsReadWhole)
{
    const std::vector<CalendarRecord> calendars = Load();
    const CalendarRecord& mine = Find(calendars, kPrimaryId);
    const EventListRange window = MakeEventListRange(clock, kDaysBefore, kDaysAfter);
    EventListing first = ListEventChanges(context, mine, window, {});
    ASSERT_TRUE(first.complete);
    ASSERT_FALSE(first.state.syncToken.empty());

    const std::string events = "/calendar/v3/calendars/me%40example.com/events";
    for (const auto& [method, target, body] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"PATCH", events + "/timed", R"({"summary": "moved"})"},
             {"DELETE", events + "/allday", ""},
             {"PATCH", events + "/first", R"({"start": {"date": "2026-08-01"}, "end": {"date": "2026-08-02"}})"},
             {"POST", events, R"({"summary": "new", "start": {"date": "2026-06-20"}, "end": {"date": "2026-06-21"}})"}})
        ASSERT_EQ(service.FromAnotherDevice(method, target, body).status / 100, 2) << method << " " << target;

    service.ClearRequests();
    const EventListing changes = ListEventChanges(context, mine, window, first.state);
    ASSERT_TRUE(changes.complete);
    EXPECT_FALSE(changes.whole);
    const std::vector<std::string> gets = RequestedTargets("GET");
    ASSERT_EQ(gets.size(), 1u);
    EXPECT_EQ(gets[0].find("timeMin"), std::string::npos) << "the service refuses a window beside a token";
    EXPECT_NE(gets[0].find("&showDeleted=true&singleEvents=true"), std::string::npos);
    ASSERT_EQ(changes.changes.upserts.size(), 2u);
    EXPECT_EQ(changes.changes.upserts[0].summary, "moved");
    EXPECT_EQ(changes.changes.upserts[1].summary, "new");
    EXPECT_EQ(changes.changes.deletions, (std::vector<std::string>{"allday", "first"}));
    EXPECT_NE(changes.state.syncToken, first.state.syncToken);

    // Nothing new: an empty answer.
    EXPECT_TRUE(ListEventChanges(context, mine, window, changes.state).changes.upserts.empty());

    service.ExpireSyncTokens();
    service.ClearRequests();
    const EventListing again = ListEventChanges(context, mine, window, changes.state);
    EXPECT_TRUE(again.complete);
    EXPECT_TRUE(again.whole);
    EXPECT_EQ(RequestedTargets("GET").size(), 2u);
    const std::vector<std::string> ids = Ids(again.changes.upserts);
    ASSERT_EQ(ids.size(), 3u) << "the window holds the moved event, the new one and the untouched last one";
    EXPECT_EQ(ids.front(), "timed");
    EXPECT_EQ(ids.back(), "late");
    EXPECT_TRUE(diagnostics.Contains("Event sync token expired, reading the window whole : Me (me@example.com)"));
}

} // namespace
} // namespace orb::test
