#include "service/record_json.h"
#include "service/records.h"

#include <gtest/gtest.h>
#include <simdjson.h>

#include <deque>

namespace orb {
namespace {

JsonNode ParseOrDie(const std::string& text)
{
    // A node lives as long as its answer: these live to the end of the run.
    static std::deque<JsonAnswer> answers;
    JsonAnswer& answer = answers.emplace_back();
    std::string errors;
    EXPECT_TRUE(answer.Parse(text, errors)) << errors;
    return answer.Root();
}

EventRecord EventOn(const std::string& id, const std::string& date, const std::string& dateTime = "")
{
    EventRecord event;
    event.id = id;
    event.start.date = date;
    event.start.dateTime = dateTime;
    return event;
}

TEST(EventColorTable, LooksUpIdsOneToElevenAndNothingElse)
{
    EXPECT_EQ(EventColorText("1"), "#A4BDFC");
    EXPECT_EQ(EventColorText("5"), "#FBD75B");
    EXPECT_EQ(EventColorText("11"), "#DC2127");
    EXPECT_EQ(EventColorText("05"), "#FBD75B");
    // Outside the table, or not a plain decimal: no colour rather than a wrong one.
    for (const char* id : {"", "0", "12", "-1", " 5", "5a", "abc", "99999999999999999999"})
        EXPECT_EQ(EventColorText(id), "") << id;
}

TEST(EventRecordFromJson, ReadsFieldsCreatorAndTimes)
{
    const JsonNode item = ParseOrDie(R"({"id":"e1","kind":"calendar#event","summary":"회의",
        "description":"d","location":"l","created":"c","updated":"u","status":"confirmed","colorId":"5",
        "creator":{"id":"p","email":"me@example.com","displayName":"Me","self":true},
        "start":{"dateTime":"2026-12-08T08:00:00+09:00","timeZone":"Asia/Seoul"},
        "end":{"date":"2026-12-09"}})");
    EventRecord event;
    ASSERT_TRUE(ReadEvent(item, event));
    EXPECT_EQ(event.summary, "회의");
    EXPECT_EQ(event.status, "confirmed");
    EXPECT_EQ(event.colorText, "#FBD75B");
    EXPECT_EQ(event.creator.email, "me@example.com");
    EXPECT_EQ(event.creator.self, "true");
    EXPECT_EQ(event.start.dateTime, "2026-12-08T08:00:00+09:00");
    EXPECT_EQ(event.start.timeZone, "Asia/Seoul");
    EXPECT_EQ(event.end.date, "2026-12-09");
    EXPECT_EQ(event.etag, ""); // only the listing reads the etag
}

TEST(EventRecordFromJson, WithoutColourIdKeepsThePreviousColourText)
{
    EventRecord event;
    event.colorText = "#123456";
    ASSERT_TRUE(ReadEvent(ParseOrDie(R"({"id":"e","start":{"date":"2026-12-08"}})"), event));
    EXPECT_EQ(event.colorId, "");
    EXPECT_EQ(event.colorText, "#123456");

    ASSERT_TRUE(ReadEvent(ParseOrDie(R"({"id":"e","colorId":"12","start":{"date":"2026-12-08"}})"), event));
    EXPECT_EQ(event.colorText, "");
}

TEST(EventRecordFromJson, EtagIsStoredReadyForAJsonString)
{
    EventRecord event;
    ReadEventEtag(ParseOrDie(R"({"etag":"\"abc\""})"), event);
    EXPECT_EQ(event.etag, "\\\"abc\\\"");
    EXPECT_EQ(event.etag.size(), 7u);

    // A tag that is not a plain quoted text must still not break a body.
    ReadEventEtag(ParseOrDie(R"({"etag":"a\"b\\"})"), event);
    EXPECT_EQ(event.etag, "a\\\"b\\\\");
}

TEST(EventRecordFromJson, MalformedElementsAreRejectedAndLeaveTheRecordAlone)
{
    const char* malformed[] = {
        R"([1,2])",
        R"("text")",
        R"({"start":{"date":"2026-12-08"}})", // no id
        R"({"id":"e"})",                      // no start
        R"({"id":"e","start":"2026-12-08"})", // start of the wrong type
        R"({"id":"e","start":{"date":{}}})",  // nested member of the wrong type
        R"({"id":"e","summary":["x"],"start":{"date":"2026-12-08"}})",
        R"({"id":"e","start":{"date":"2026-12-08"},"end":7})",
        R"({"id":"e","start":{"date":"2026-12-08"},"creator":"me"})",
    };
    for (const char* text : malformed) {
        EventRecord event;
        event.summary = "kept";
        EXPECT_FALSE(ReadEvent(ParseOrDie(text), event)) << text;
        EXPECT_EQ(event.summary, "kept") << text;
        EXPECT_EQ(event.id, "") << text;
    }
}

TEST(EventRecordFromJson, OddScalarsAndBrokenUtf8BecomeHarmlessText)
{
    const std::string text = "{\"id\":\"e\",\"summary\":\"a\xff\",\"colorId\":12345678901234567890,"
                             "\"location\":null,\"start\":{\"date\":\"2026-12-08\"}}";
    EventRecord event;
    ASSERT_TRUE(ReadEvent(ParseOrDie(text), event));
    EXPECT_EQ(event.summary, "a\xEF\xBF\xBD");
    EXPECT_EQ(event.colorText, "");
    EXPECT_EQ(event.location, "");
}

TEST(EventRecordFromJson, RemindersAndTheUsersOwnAnswerAreKeptAndOddEntriesSkipped)
{
    // Minutes beyond four weeks, negative, fractional or textual are no reminder the
    // service could have set; the event itself must still be read.
    const JsonNode item = ParseOrDie(R"({"id":"e","start":{"date":"2026-12-08"},
        "reminders":{"useDefault":false,"overrides":[{"method":"popup","minutes":10},
            {"method":"email","minutes":1440},{"method":"popup","minutes":40321},{"method":"popup","minutes":-5},
            {"method":"popup","minutes":2.5},{"method":"popup","minutes":"7"},"popup",{"minutes":0}]},
        "attendees":[{"email":"a@example.com","responseStatus":"accepted"},
            {"email":"me@example.com","self":true,"responseStatus":"declined"}]})");
    EventRecord event;
    ASSERT_TRUE(ReadEvent(item, event));
    EXPECT_EQ(event.remindersUseDefault, "false");
    const std::vector<EventReminder> expected = {{"popup", 10}, {"email", 1440}, {"", 0}};
    EXPECT_EQ(event.reminderOverrides, expected);
    EXPECT_EQ(event.selfResponseStatus, "declined");

    // A re-read without them forgets the old ones: a reminder the user removed stays removed.
    ASSERT_TRUE(ReadEvent(ParseOrDie(R"({"id":"e","start":{"date":"2026-12-08"},"reminders":{"useDefault":true},
        "attendees":[{"email":"other@example.com","self":"true","responseStatus":"declined"}]})"),
                          event));
    EXPECT_EQ(event.remindersUseDefault, "true");
    EXPECT_TRUE(event.reminderOverrides.empty());
    EXPECT_EQ(event.selfResponseStatus, ""); // "self" must be the boolean
    ASSERT_TRUE(
        ReadEvent(ParseOrDie(R"({"id":"e","start":{"date":"2026-12-08"},"reminders":[1],"attendees":{}})"), event));
    EXPECT_EQ(event.remindersUseDefault, "");
}

TEST(CalendarRecordFromJson, DefaultRemindersAreReadAndReplacedOnRefresh)
{
    CalendarRecord calendar;
    ASSERT_TRUE(ReadCalendar(ParseOrDie(R"({"id":"c","defaultReminders":[{"method":"popup","minutes":30},
        {"method":"email","minutes":10},{"method":"popup"}]})"),
                             calendar));
    const std::vector<EventReminder> expected = {{"popup", 30}, {"email", 10}};
    EXPECT_EQ(calendar.defaultReminders, expected);
    ASSERT_TRUE(ReadCalendar(ParseOrDie(R"({"id":"c","defaultReminders":"none"})"), calendar));
    EXPECT_TRUE(calendar.defaultReminders.empty());
}

TEST(JsonAnswer, UnparsableAndTooDeepTextsFailWithoutThrowing)
{
    JsonAnswer answer;
    std::string errors;
    EXPECT_FALSE(answer.Parse("", errors));
    EXPECT_FALSE(errors.empty());
    EXPECT_FALSE(answer.Parse("<html>502</html>", errors));
    EXPECT_FALSE(answer.Parse("{\"a\":1e400}", errors));
    // Beyond 64 bits a whole number is no number the services write.
    EXPECT_FALSE(answer.Parse("{\"a\":123456789012345678901234567890}", errors));
    EXPECT_FALSE(answer.Parse(std::string(100000, '['), errors));
    EXPECT_TRUE(answer.Root().is_null()) << "a failed parse leaves a root to ask";
    EXPECT_EQ(MemberText(answer.Root(), "id"), "");
    const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_TRUE(answer.Parse(nested(kJsonDepthLimit - 1), errors)) << errors;
    EXPECT_FALSE(answer.Parse(nested(kJsonDepthLimit + 1), errors));
}

// What jsoncpp's reading gave before, kept: texts with broken sequences mended wherever
// they stand, the last of a repeated member, numbers and booleans as text.
TEST(JsonAnswer, BrokenTextsRepeatedMembersAndNumbersReadAsBefore)
{
    const JsonNode item = ParseOrDie("{\"id\":\"e\",\"id\":\"e2\",\"summary\":\"\xC3(\xF0\x9F\x98\",\"location\":12,"
                                     "\"description\":-3.5,\"colorId\":2.0,\"status\":true,\"kind\":null,"
                                     "\"start\":{\"date\":\"2026-12-08\"},\"start\":{\"date\":\"2026-12-09\"},"
                                     "\"\xFF\":\"\xED\xA0\x80\"}");
    EventRecord event;
    ASSERT_TRUE(ReadEvent(item, event));
    EXPECT_EQ(event.id, "e2");
    EXPECT_EQ(event.summary, "\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(event.location, "12");
    EXPECT_EQ(event.description, "-3.5");
    EXPECT_EQ(event.colorId, "2.0");
    EXPECT_EQ(event.status, "true");
    EXPECT_EQ(event.kind, "");
    EXPECT_EQ(event.start.date, "2026-12-09");
    EXPECT_EQ(MemberText(item, "\xEF\xBF\xBD"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(JsonAnswer, OnlyANonEmptyErrorContainerIsARefusal)
{
    EXPECT_TRUE(HasErrorDocument(ParseOrDie(R"({"error":{"code":404}})")));
    EXPECT_TRUE(HasErrorDocument(ParseOrDie(R"({"error":[1]})")));
    EXPECT_FALSE(HasErrorDocument(ParseOrDie(R"({"error":{}})")));
    EXPECT_FALSE(HasErrorDocument(ParseOrDie(R"({"error":"invalid_token"})")));
    EXPECT_FALSE(HasErrorDocument(ParseOrDie(R"([{"error":{"code":1}}])")));
}

TEST(CalendarRecordFromJson, SelectedIsTextAndTagAndEventsSurviveARefresh)
{
    CalendarRecord calendar;
    calendar.tag = 1;
    calendar.events.push_back(EventOn("e", "2026-12-08"));
    ASSERT_TRUE(ReadCalendar(ParseOrDie(R"({"id":"c","summary":"S","timeZone":"Asia/Seoul","colorId":"7",
        "backgroundColor":"#42d692","accessRole":"owner","selected":false})"),
                             calendar));
    EXPECT_EQ(calendar.selected, "false");
    EXPECT_EQ(calendar.backgroundColor, "#42d692");
    EXPECT_EQ(calendar.tag, 1);
    EXPECT_EQ(calendar.events.size(), 1u);

    CalendarRecord fresh;
    ASSERT_TRUE(ReadCalendar(ParseOrDie(R"({"id":"c"})"), fresh));
    EXPECT_EQ(fresh.selected, ""); // never fetched

    EXPECT_FALSE(ReadCalendar(ParseOrDie(R"({"summary":"no id"})"), fresh));
    EXPECT_FALSE(ReadCalendar(ParseOrDie(R"({"id":"c","summary":{"x":1}})"), fresh));
    EXPECT_EQ(fresh.id, "c");
}

TEST(EventOrder, StartKeyIsTheDateOrTheFirstTenCharactersOfTheDateTime)
{
    EXPECT_EQ(StartDateKey(EventOn("a", "2026-12-08", "2026-12-09T10:00:00+09:00")), "2026-12-08");
    EXPECT_EQ(StartDateKey(EventOn("a", "", "2026-12-09T10:00:00+09:00")), "2026-12-09");
    EXPECT_EQ(StartDateKey(EventOn("a", "", "2026-12")), "2026-12");
    EXPECT_EQ(StartDateKey(EventOn("a", "")), "");
}

TEST(EventOrder, SortIsStableForEventsOfOneDay)
{
    std::vector<EventRecord> events = {
        EventOn("timed", "", "2026-12-08T08:00:00+09:00"),
        EventOn("later", "2026-12-10"),
        EventOn("allday", "2026-12-08"),
        EventOn("earlier", "", "2026-12-01T23:00:00+09:00"),
    };
    SortEvents(events);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].id, "earlier");
    EXPECT_EQ(events[1].id, "timed");
    EXPECT_EQ(events[2].id, "allday");
    EXPECT_EQ(events[3].id, "later");

    std::swap(events[1], events[2]);
    SortEvents(events);
    EXPECT_EQ(events[1].id, "allday");
    EXPECT_EQ(events[2].id, "timed");
}

TEST(EventOrder, TimeZoneFallbackFillsOnlyMissingZones)
{
    EventRecord event = EventOn("e", "", "2026-12-08T08:00:00+09:00");
    event.end.timeZone = "UTC";
    ApplyTimeZoneFallback(event, "Asia/Seoul");
    EXPECT_EQ(event.start.timeZone, "Asia/Seoul");
    EXPECT_EQ(event.end.timeZone, "UTC");
}

TEST(FindCalendar, MatchesTheWholeIdAndReturnsTheFirstOfTwins)
{
    std::vector<CalendarRecord> calendars(3);
    calendars[0].id = "work@example.com";
    calendars[1].id = "home";
    calendars[2].id = "home";
    EXPECT_EQ(FindCalendar(calendars, "home"), &calendars[1]);
    // A prefix, a longer id, a different case or nothing at all names no calendar.
    for (const char* id : {"work", "home2", "HOME", ""})
        EXPECT_EQ(FindCalendar(calendars, id), nullptr) << id;
    std::vector<CalendarRecord> none;
    EXPECT_EQ(FindCalendar(none, "home"), nullptr);
}

TEST(EventOrder, EventsGoByStartInstantAcrossZonesThenById)
{
    const auto event = [](const std::string& id, const std::string& start) {
        EventRecord made;
        made.id = id;
        (start.size() == 10 ? made.start.date : made.start.dateTime) = start;
        return made;
    };
    // "seoul" is 00:30 UTC on the 8th, after midnight UTC of the all-day events; "b", "a"
    // and "bare" (no offset, so read as UTC) start together; "none" has no start and
    // comes first.
    std::vector<EventRecord> events{event("seoul", "2026-12-08T09:30:00+09:00"), event("b", "2026-12-08"),
                                    event("utc", "2026-12-07T23:00:00Z"),        event("bare", "2026-12-08T00:00:00"),
                                    event("a", "2026-12-08T00:00:00Z"),          event("none", "")};
    OrderEventsByStart(events);
    std::vector<std::string> ids;
    for (const EventRecord& e : events)
        ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"none", "utc", "a", "b", "bare", "seoul"}));
}

} // namespace
} // namespace orb
