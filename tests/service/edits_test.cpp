#include "service/calendar_client.h"
#include "service/event_client.h"
#include "tests/service/scripted_client_fixture.h"

#include <json/json.h>

namespace orb {
namespace {

using test::ScriptedClientTest;

constexpr const char* kPermissionRefusal =
    R"({"error":{"errors":[{"domain":"calendar","reason":"requiredAccessLevel","message":"You need to have writer access to this calendar."}],"code":403,"message":"You need to have writer access to this calendar."}})";

class Edits : public ScriptedClientTest
{
protected:
    EventRecord NewEvent(const std::string& summary)
    {
        EventRecord event;
        event.summary = summary;
        event.status = "confirmed";
        event.start.date = "2026-12-08";
        event.end.date = "2026-12-09";
        return event;
    }
};

TEST_F(Edits, BodiesAreValidJsonWhateverTheUserTyped)
{
    const std::string typed = "tab\there \"quoted\" back\\slash\r\nline \xED\x95\x9C\xEA\xB8\x80 \x01";
    EventRecord event = NewEvent(typed);
    event.description = typed;
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"e1","summary":"x","start":{"date":"2026-12-08"},"end":{"date":"2026-12-09"}})");
    ASSERT_TRUE(InsertEvent(s.context, event, "cal").Applied());

    const std::string& body = Request(1).body;
    for (const char c : body)
        EXPECT_GE(static_cast<unsigned char>(c), 0x20u) << "a raw control character in " << body;
    Json::Value root;
    std::string errors;
    const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    ASSERT_TRUE(reader->parse(body.data(), body.data() + body.size(), &root, &errors)) << errors;
    EXPECT_EQ(root["summary"].asString(), typed);
    EXPECT_EQ(root["description"].asString(), typed);
}

TEST_F(Edits, EachOutcomeSaysWhatBecameOfTheChange)
{
    EventRecord event = NewEvent("Lunch");
    event.id = "e1";

    QueueTokenCheck();
    s.transport.Queue(
        R"({"id":"e1","summary":"Lunch served","start":{"date":"2026-12-08"},"end":{"date":"2026-12-09"}})");
    EXPECT_TRUE(UpdateEvent(s.context, event, "cal").Applied());
    EXPECT_EQ(event.summary, "Lunch served"); // the service's answer, not what was sent

    // Refused: the service's own sentence, and the record as it was.
    QueueTokenCheck();
    s.transport.Queue(kPermissionRefusal, 403);
    EventRecord refused = event;
    refused.summary = "Changed";
    const EditResult denied = UpdateEvent(s.context, refused, "cal");
    EXPECT_EQ(denied.outcome, EditOutcome::Refused);
    EXPECT_EQ(denied.message, "You need to have writer access to this calendar.");
    EXPECT_EQ(refused.summary, "Changed");

    // Lost after it left: it may have been applied. Never left: it was not.
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kConnectionReset);
    const EditResult lost = DeleteEvent(s.context, "cal", "e1");
    EXPECT_EQ(lost.outcome, EditOutcome::Failed);
    EXPECT_EQ(lost.message.rfind("The change may or may not have been applied: ", 0), 0u) << lost.message;
    EXPECT_NE(lost.message.find("The next load (F5) shows"), std::string::npos);
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kCannotConnect);
    EXPECT_EQ(DeleteEvent(s.context, "cal", "e1").message.rfind("The change was not sent: ", 0), 0u);

    QueueTokenCheck();
    s.transport.Queue("", 204);
    EXPECT_TRUE(DeleteEvent(s.context, "cal", "e1").Applied());
    // Already gone on the service: the deletion the user asked for holds.
    for (const int status : {404, 410}) {
        QueueTokenCheck();
        s.transport.Queue(test::kRefusal, status);
        EXPECT_TRUE(DeleteEvent(s.context, "cal", "e1").Applied()) << status;
        EXPECT_EQ(s.diagnostics.Lines().back(), "Delete: already gone on the service, HTTP " + std::to_string(status));
    }
    QueueTokenCheck();
    s.transport.Queue(kPermissionRefusal, 403);
    EXPECT_EQ(DeleteEvent(s.context, "cal", "e1").message, "You need to have writer access to this calendar.");
}

TEST_F(Edits, EventWritesGoToTheEncodedCalendarWithTheirHeadersAndTakeTheAnswer)
{
    const std::string calendarPath = "/calendar/v3/calendars/c%2b1%40x/events";
    EventRecord created = NewEvent("New");
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"n1","summary":"New","colorId":"11","start":{"date":"2026-12-08"},
        "end":{"date":"2026-12-09"}})");
    ASSERT_TRUE(InsertEvent(s.context, created, "c+1@x").Applied());
    EXPECT_EQ(Request(1).verb, "POST");
    EXPECT_EQ(Request(1).target, calendarPath);
    EXPECT_EQ(Request(1).headerBlock, test::kJsonHeaderBlock);
    EXPECT_EQ(created.id, "n1");
    EXPECT_EQ(created.colorText, "#DC2127");

    // The answer has no colour: neither has the record afterwards.
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"n1","summary":"Moved","start":{"date":"2026-12-20"},"end":{"date":"2026-12-21"}})");
    ASSERT_TRUE(UpdateEvent(s.context, created, "c+1@x").Applied());
    EXPECT_EQ(Request(3).verb, "PATCH");
    EXPECT_EQ(Request(3).target, calendarPath + "/n1");
    EXPECT_EQ(Request(3).headerBlock, test::kJsonHeaderBlock);
    EXPECT_EQ(created.colorText, "");
    EXPECT_EQ(created.start.date, "2026-12-20");

    QueueTokenCheck();
    s.transport.Queue("", 204);
    ASSERT_TRUE(DeleteEvent(s.context, "c+1@x", "n1").Applied());
    EXPECT_EQ(Request(5).verb, "DELETE");
    EXPECT_EQ(Request(5).target, calendarPath + "/n1");
    EXPECT_EQ(Request(5).headerBlock, "Authorization: Bearer access-1\r\n\r\n\r\n");
    EXPECT_EQ(Request(5).body, "");
}

TEST_F(Edits, TheServicesEtagIsKeptFromEachAnswerAndNamedByTheNextChange)
{
    EventRecord event = NewEvent("Tagged");
    QueueTokenCheck();
    s.transport.Queue(
        R"({"id":"e1","etag":"\"5\"","summary":"Tagged","start":{"date":"2026-12-08"},"end":{"date":"2026-12-09"}})");
    ASSERT_TRUE(InsertEvent(s.context, event, "cal").Applied());
    EXPECT_EQ(event.etag, "\\\"5\\\"");

    for (const char* next : {"6", "7"}) {
        QueueTokenCheck();
        s.transport.Queue(std::string(R"({"id":"e1","etag":"\")") + next +
                          R"(\"","start":{"date":"2026-12-08"},"end":{"date":"2026-12-09"}})");
        ASSERT_TRUE(UpdateEvent(s.context, event, "cal").Applied());
    }
    EXPECT_NE(Request(3).body.find(R"("etag":"\"5\"")"), std::string::npos) << Request(3).body;
    EXPECT_NE(Request(5).body.find(R"("etag":"\"6\"")"), std::string::npos) << Request(5).body;
    EXPECT_EQ(event.etag, "\\\"7\\\"");
}

TEST_F(Edits, AnAnswerThatIsNotAnEventIsNotAppliedAndTheRecordStays)
{
    for (const auto& [answer, status] : {std::pair{"<html>", 200}, std::pair{R"({"id":"new"})", 200},
                                         std::pair{R"({"id":"new","start":[]})", 200}, std::pair{"", 500}}) {
        EventRecord record = NewEvent("Kept");
        QueueTokenCheck();
        s.transport.Queue(answer, status);
        const EditResult result = InsertEvent(s.context, record, "c");
        EXPECT_EQ(result.outcome, EditOutcome::Refused) << answer;
        EXPECT_EQ(result.message, status == 500 ? "HTTP 500" : "the service's answer could not be read") << answer;
        EXPECT_EQ(record.id, "") << answer;
        EXPECT_EQ(record.summary, "Kept") << answer;
    }
    QueueTokenCheck();
    s.transport.Queue("", 500);
    EXPECT_EQ(DeleteEvent(s.context, "c", "e1").message, "HTTP 500");
    EXPECT_TRUE(s.prompter.messages.empty());
}

TEST_F(Edits, EveryAddressTakesCalendarAndEventIdsAsWholeSegments)
{
    // A ".." event id would otherwise name the calendar itself once the path is normalised.
    const std::string calendarId = "team/..";
    const std::string calendar = "/calendar/v3/calendars/team%2F..";
    calendars.push_back({});
    calendars[0].id = calendarId;
    calendars[0].selected = "true";
    EventRecord event = NewEvent("x");
    event.id = "..";
    CalendarRecord entry;
    entry.accessRole = "owner";
    std::vector<EventRecord> found;
    ListEventChanges(s.context, calendars[0], MakeEventListRange(s.clock, 1, 1), {});
    SearchEvents(s.context, calendarId, "q", found);
    InsertEvent(s.context, event, calendarId);
    UpdateEvent(s.context, event, calendarId);
    DeleteEvent(s.context, calendarId, ".");
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"team/.."})"); // the calendar PATCH is applied, so the entry's follows
    UpdateCalendar(s.context, entry, calendarId);

    std::vector<std::string> targets;
    for (const HttpRequest& request : s.transport.requests) {
        if (request.target.rfind("/calendar/", 0) == 0)
            targets.push_back(request.verb + " " + test::WithoutSelector(request.target));
    }
    EXPECT_EQ(targets, (std::vector<std::string>{
                           "GET " + calendar +
                               "/events?timeMin=2026-12-07T00:00:00.000Z&timeMax=2026-12-09T00:00:00.000Z"
                               "&orderBy=startTime&singleEvents=true&maxResults=2500",
                           "GET " + calendar + "/events?q=q",
                           "POST " + calendar + "/events",
                           "PATCH " + calendar + "/events/%2E%2E",
                           "DELETE " + calendar + "/events/%2E",
                           "PATCH " + calendar,
                           "PATCH /calendar/v3/users/me/calendarList/team%2F..",
                       }));
}

TEST_F(Edits, AnOwnerChangesTheCalendarFirstAndItsEntryGetsOnlyTheChosenColours)
{
    CalendarRecord calendar;
    calendar.accessRole = "owner";
    calendar.summary = "Work";
    calendar.description = "a\nb";
    calendar.colorId = "16";
    calendar.backgroundColor = "#ff0000";
    calendar.foregroundColor = "#000000";

    QueueTokenCheck();
    s.transport.Queue(kPermissionRefusal, 403);
    EXPECT_EQ(UpdateCalendar(s.context, calendar, "work@x", {true, false, true}).outcome, EditOutcome::Refused);
    EXPECT_EQ(s.transport.requests.size(), 2u); // the token check and the calendar PATCH only

    s.transport.requests.clear();
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"work@x","summary":"Work"})");
    s.transport.Queue(
        R"({"id":"work@x","summary":"Work","colorId":"16","backgroundColor":"#ff0000","accessRole":"owner"})");
    ASSERT_TRUE(UpdateCalendar(s.context, calendar, "work@x", {true, false, true}).Applied());
    EXPECT_EQ(Request(1).target, "/calendar/v3/calendars/work%40x");
    EXPECT_EQ(Request(1).body, R"({"summary":"Work","description":"a\nb"})");
    EXPECT_EQ(Request(2).target, "/calendar/v3/users/me/calendarList/work%40x?colorRgbFormat=true");
    EXPECT_EQ(Request(2).body, R"({"colorId":"16","backgroundColor":"#ff0000"})");
    EXPECT_EQ(calendar.backgroundColor, "#ff0000");

    // No colour chosen: the entry is asked for, so the record follows the new title.
    s.transport.requests.clear();
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"work@x","summary":"Work"})");
    s.transport.Queue(R"({"id":"work@x","summary":"Work"})");
    ASSERT_TRUE(UpdateCalendar(s.context, calendar, "work@x").Applied());
    EXPECT_EQ(Request(2).target, "/calendar/v3/users/me/calendarList/work%40x");
    EXPECT_EQ(Request(2).body, "{}");
}

TEST_F(Edits, SomeoneElsesCalendarIsRecolouredThroughTheEntryAloneAndNeverWithAnEmptyColourId)
{
    for (const char* role : {"writer", "reader", "freeBusyReader", ""}) {
        CalendarRecord calendar;
        calendar.accessRole = role;
        calendar.summary = "Not mine";
        calendar.colorId = "5";
        calendar.foregroundColor = "#112233";
        s.transport.requests.clear();
        QueueTokenCheck();
        s.transport.Queue(R"({"id":"team@x","summary":"Team","colorId":"5","accessRole":"writer"})");
        ASSERT_TRUE(UpdateCalendar(s.context, calendar, "team@x", {false, true, true}).Applied()) << role;
        ASSERT_EQ(s.transport.requests.size(), 2u) << role;
        EXPECT_EQ(Request(1).verb, "PATCH");
        EXPECT_EQ(Request(1).target, "/calendar/v3/users/me/calendarList/team%40x?colorRgbFormat=true");
        EXPECT_EQ(Request(1).body, R"({"colorId":"5","foregroundColor":"#112233"})");
        EXPECT_EQ(calendar.summary, "Team") << "the service's entry";
    }
    CalendarRecord uncoloured;
    uncoloured.accessRole = "writer";
    s.transport.requests.clear();
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"team@x"})");
    UpdateCalendar(s.context, uncoloured, "team@x", {false, false, true});
    EXPECT_EQ(Request(1).body, "{}");
}

TEST_F(Edits, CalendarChangeGoesToTheEncodedCalendarThenItsEntryAndKeepsTheEventsAndTag)
{
    CalendarRecord record;
    record.id = "ko.south_korea#holiday@group.v.calendar.google.com";
    record.accessRole = "owner";
    record.summary = "Say \"hi\"\n한국";
    record.tag = 1;
    record.events.resize(2);
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"x","summary":"ignored"})");
    s.transport.Queue(R"({"id":"x","summary":"New","timeZone":"Asia/Seoul","colorId":"7","selected":true})");
    ASSERT_TRUE(UpdateCalendar(s.context, record, record.id).Applied());
    ASSERT_EQ(s.transport.requests.size(), 3u);
    EXPECT_EQ(Request(1).target, "/calendar/v3/calendars/ko.south_korea%23holiday%40group.v.calendar.google.com");
    EXPECT_EQ(Request(2).target,
              "/calendar/v3/users/me/calendarList/ko.south_korea%23holiday%40group.v.calendar.google.com");
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(Request(i).verb, "PATCH");
        EXPECT_EQ(Request(i).headerBlock, test::kJsonHeaderBlock);
    }
    EXPECT_EQ(record.summary, "New");
    EXPECT_EQ(record.selected, "true");
    EXPECT_EQ(record.tag, 1);
    EXPECT_EQ(record.events.size(), 2u);
}

TEST_F(Edits, ACalendarChangeThatFailsAtEitherStepLeavesTheRecord)
{
    for (int failing : {1, 2}) {
        CalendarRecord record;
        record.id = "work@x";
        record.accessRole = "owner";
        record.summary = "Mine";
        QueueTokenCheck();
        if (failing == 2)
            s.transport.Queue(R"({"id":"work@x"})");
        s.transport.QueueFailure(wininet::kTimeout);
        EXPECT_EQ(UpdateCalendar(s.context, record, record.id).outcome, EditOutcome::Failed) << failing;
        EXPECT_EQ(s.diagnostics.Lines().back(), "(Timeout)12002");
        EXPECT_EQ(record.summary, "Mine");
    }
    CalendarRecord record;
    record.id = "work@x";
    record.accessRole = "owner";
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"work@x"})");
    s.transport.Queue(test::kRefusal, 404);
    EXPECT_EQ(UpdateCalendar(s.context, record, record.id).message, "Not Found");
    EXPECT_EQ(record.id, "work@x");
    EXPECT_TRUE(s.prompter.messages.empty());
}

} // namespace
} // namespace orb
