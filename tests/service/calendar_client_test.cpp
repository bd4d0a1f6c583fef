#include "service/calendar_client.h"

#include "tests/service/scripted_client_fixture.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

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
    EXPECT_EQ(test::WithoutSelector(Request(1).target), "/calendar/v3/users/me/calendarList");
    EXPECT_EQ(Request(1).headerBlock.find("Authorization: Bearer access-1\r\n"), 0u);
    EXPECT_EQ(test::WithoutSelector(Request(2).target), "/calendar/v3/users/me/calendarList?pageToken=p%2B2%2F%3D");
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

} // namespace
} // namespace orb
