#include "service/calendar_client.h"

#include "tests/service/scripted_client_fixture.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

using test::kJsonHeaderBlock;
using test::kRefusal;

using CalendarClientTest = test::ScriptedClientTest;

TEST_F(CalendarClientTest, ListReadsEveryPageWithoutATokenInTheAddress)
{
    QueueTokenCheck();
    s.transport.Queue(R"({"items":[{"id":"a@example.com","summary":"A","selected":true}],"nextPageToken":"p+2/="})");
    s.transport.Queue(R"({"items":[{"id":"b","summary":"B"}]})");

    ASSERT_TRUE(ListCalendars(s.context, calendars));
    ASSERT_EQ(s.transport.requests.size(), 3u);
    EXPECT_EQ(Request(1).verb, "GET");
    EXPECT_EQ(Request(1).target, "/calendar/v3/users/me/calendarList");
    EXPECT_EQ(Request(1).headerBlock.find("Authorization: Bearer access-1\r\n"), 0u);
    EXPECT_EQ(Request(2).target, "/calendar/v3/users/me/calendarList?pageToken=p%2B2%2F%3D");
    ASSERT_EQ(calendars.size(), 2u);
    EXPECT_EQ(calendars[0].id, "a@example.com");
    EXPECT_EQ(calendars[0].selected, "true");
    EXPECT_EQ(calendars[1].selected, "");
}

TEST_F(CalendarClientTest, ListAppendsWithoutClearingAndSkipsMalformedEntries)
{
    for (int pass = 0; pass < 2; ++pass) {
        QueueTokenCheck();
        s.transport.Queue(R"({"items":[{"id":"a"},"junk",{"id":{"x":1}},{"id":"b"}]})");
        ASSERT_TRUE(ListCalendars(s.context, calendars));
    }
    ASSERT_EQ(calendars.size(), 4u);
    EXPECT_EQ(calendars[2].id, "a");
    EXPECT_TRUE(s.diagnostics.Contains("Malformed calendar skipped"));
}

TEST_F(CalendarClientTest, ListWithoutItemsSucceedsWithNothingAppended)
{
    QueueTokenCheck();
    s.transport.Queue(R"({"kind":"calendar#calendarList","error":"just a string"})");
    EXPECT_TRUE(ListCalendars(s.context, calendars));
    EXPECT_TRUE(calendars.empty());
    EXPECT_TRUE(s.prompter.messages.empty());
}

TEST_F(CalendarClientTest, ListRefusalsAndUnreadableAnswersShowTheRawAnswer)
{
    const std::vector<test::ScriptedAnswer> answers = {
        {kHttpCompleted, 401, kRefusal},
        {kHttpCompleted, 200, "<html>Bad gateway</html>"},
        {kHttpCompleted, 200, R"({"items":{"id":"a"}})"},
        {kHttpCompleted, 500, "{}"},
    };
    for (const test::ScriptedAnswer& answer : answers) {
        s.prompter.messages.clear();
        QueueTokenCheck();
        s.transport.Queue(answer);
        EXPECT_FALSE(ListCalendars(s.context, calendars)) << answer.body;
        EXPECT_EQ(s.prompter.messages, std::vector<std::string>{answer.body});
    }
    EXPECT_TRUE(calendars.empty());
}

TEST_F(CalendarClientTest, ListTransportFailureIsADiagnosticLineNotAMessage)
{
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kCannotConnect);
    EXPECT_FALSE(ListCalendars(s.context, calendars));
    EXPECT_TRUE(s.prompter.messages.empty());
    EXPECT_EQ(s.diagnostics.Lines().back(), "(Cannot connect)12029");
}

TEST_F(CalendarClientTest, ListFailingOnALaterPageLeavesTheStoreAsItWas)
{
    QueueTokenCheck();
    s.transport.Queue(R"({"items":[{"id":"a"}],"nextPageToken":"2"})");
    s.transport.QueueFailure(wininet::kConnectionReset);
    EXPECT_FALSE(ListCalendars(s.context, calendars));
    EXPECT_TRUE(calendars.empty());
}

TEST_F(CalendarClientTest, ListStopsWhenTheServiceRepeatsAPageToken)
{
    QueueTokenCheck();
    s.transport.Queue(R"({"items":[{"id":"a"}],"nextPageToken":"same"})");
    s.transport.Queue(R"({"items":[{"id":"b"}],"nextPageToken":"same"})");
    EXPECT_TRUE(ListCalendars(s.context, calendars));
    EXPECT_EQ(s.transport.requests.size(), 3u);
    EXPECT_EQ(calendars.size(), 2u);
}

CalendarRecord EditedCalendar()
{
    CalendarRecord record;
    record.id = "ko.south_korea#holiday@group.v.calendar.google.com";
    record.summary = "Say \"hi\"\n한국";
    record.description = "back\\slash";
    record.colorId = "7";
    record.tag = 1;
    record.events.resize(2);
    return record;
}

TEST_F(CalendarClientTest, UpdateSendsOneBodyToTheCalendarAndItsListEntry)
{
    CalendarRecord record = EditedCalendar();
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"x","summary":"ignored"})");
    s.transport.Queue(R"({"id":"x","summary":"New","timeZone":"Asia/Seoul","colorId":"7","selected":true})");

    ASSERT_TRUE(UpdateCalendar(s.context, record, record.id));
    ASSERT_EQ(s.transport.requests.size(), 3u);
    const std::string body =
        "{\"summary\":\"Say \\\"hi\\\"\\n한국\",\"description\":\"back\\\\slash\",\"colorId\":\"7\"}";
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(Request(i).verb, "PATCH");
        EXPECT_EQ(Request(i).body, body);
        EXPECT_EQ(Request(i).headerBlock, kJsonHeaderBlock);
    }
    EXPECT_EQ(Request(1).target, "/calendar/v3/calendars/ko.south_korea%23holiday%40group.v.calendar.google.com");
    EXPECT_EQ(Request(2).target,
              "/calendar/v3/users/me/calendarList/ko.south_korea%23holiday%40group.v.calendar.google.com");
    EXPECT_EQ(record.id, "x");
    EXPECT_EQ(record.summary, "New");
    EXPECT_EQ(record.selected, "true");
    EXPECT_EQ(record.tag, 1);
    EXPECT_EQ(record.events.size(), 2u);
}

TEST_F(CalendarClientTest, UpdateRefusedFirstSendsNoSecondRequest)
{
    CalendarRecord record = EditedCalendar();
    QueueTokenCheck();
    s.transport.Queue(kRefusal, 403);
    EXPECT_TRUE(UpdateCalendar(s.context, record, record.id));
    EXPECT_EQ(s.transport.requests.size(), 2u);
    EXPECT_EQ(s.prompter.messages, std::vector<std::string>{kRefusal});
    EXPECT_EQ(record.summary, EditedCalendar().summary);
}

TEST_F(CalendarClientTest, UpdateRefusedSecondLeavesTheRecordUnchanged)
{
    CalendarRecord record = EditedCalendar();
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"x"})");
    s.transport.Queue(kRefusal, 404);
    EXPECT_TRUE(UpdateCalendar(s.context, record, record.id));
    EXPECT_EQ(s.prompter.messages, std::vector<std::string>{kRefusal});
    EXPECT_EQ(record.id, EditedCalendar().id);
}

TEST_F(CalendarClientTest, UpdateTransportFailuresReturnFalseSilently)
{
    for (int failing : {1, 2}) {
        CalendarRecord record = EditedCalendar();
        s.prompter.messages.clear();
        QueueTokenCheck();
        if (failing == 2)
            s.transport.Queue(R"({"id":"x"})");
        s.transport.QueueFailure(wininet::kTimeout);
        EXPECT_FALSE(UpdateCalendar(s.context, record, record.id)) << failing;
        EXPECT_TRUE(s.prompter.messages.empty()) << failing;
        EXPECT_EQ(s.diagnostics.Lines().back(), "(Timeout)12002");
        EXPECT_EQ(record.summary, EditedCalendar().summary);
    }
}

TEST_F(CalendarClientTest, UpdateWithUnparsableFirstAnswerWritesTheParserMessages)
{
    CalendarRecord record = EditedCalendar();
    QueueTokenCheck();
    s.transport.Queue("not json");
    EXPECT_TRUE(UpdateCalendar(s.context, record, record.id));
    EXPECT_EQ(s.transport.requests.size(), 2u);
    EXPECT_TRUE(s.prompter.messages.empty());
    EXPECT_TRUE(s.diagnostics.Contains("Line 1, Column 1"));
}

} // namespace
} // namespace orb
