#include "service/edits.h"
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
    ASSERT_TRUE(SendNewEvent(s.context, event, "cal").Applied());

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
    EXPECT_TRUE(SendEventChange(s.context, event, "cal").Applied());
    EXPECT_EQ(event.summary, "Lunch served"); // the service's answer, not what was sent

    // Refused: the service's own sentence, and the record as it was.
    QueueTokenCheck();
    s.transport.Queue(kPermissionRefusal, 403);
    EventRecord refused = event;
    refused.summary = "Changed";
    const EditResult denied = SendEventChange(s.context, refused, "cal");
    EXPECT_EQ(denied.outcome, EditOutcome::Refused);
    EXPECT_EQ(denied.message, "You need to have writer access to this calendar.");
    EXPECT_EQ(refused.summary, "Changed");

    // Lost after it left: it may have been applied. Never left: it was not.
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kConnectionReset);
    const EditResult lost = SendEventDeletion(s.context, "cal", "e1");
    EXPECT_EQ(lost.outcome, EditOutcome::Failed);
    EXPECT_EQ(lost.message.rfind("The change may or may not have been applied: ", 0), 0u) << lost.message;
    EXPECT_NE(lost.message.find("The next load (F5) shows"), std::string::npos);
    QueueTokenCheck();
    s.transport.QueueFailure(wininet::kCannotConnect);
    EXPECT_EQ(SendEventDeletion(s.context, "cal", "e1").message.rfind("The change was not sent: ", 0), 0u);

    QueueTokenCheck();
    s.transport.Queue("", 204);
    EXPECT_TRUE(SendEventDeletion(s.context, "cal", "e1").Applied());
    QueueTokenCheck();
    s.transport.Queue(test::kRefusal, 404);
    EXPECT_EQ(SendEventDeletion(s.context, "cal", "e1").message, "Not Found");
}

TEST_F(Edits, CalendarChangeSendsChosenColoursAndStopsAtTheFirstRefusal)
{
    CalendarRecord calendar;
    calendar.summary = "Work";
    calendar.description = "a\nb";
    calendar.colorId = "16";
    calendar.backgroundColor = "#ff0000";
    calendar.foregroundColor = "#000000";

    QueueTokenCheck();
    s.transport.Queue(kPermissionRefusal, 403);
    EXPECT_EQ(SendCalendarChange(s.context, calendar, "work@x", {true, false}).outcome, EditOutcome::Refused);
    EXPECT_EQ(s.transport.requests.size(), 2u); // the token check and the calendar PATCH only

    s.transport.requests.clear();
    QueueTokenCheck();
    s.transport.Queue(R"({"id":"work@x","summary":"Work"})");
    s.transport.Queue(R"({"id":"work@x","summary":"Work","colorId":"16","backgroundColor":"#ff0000"})");
    ASSERT_TRUE(SendCalendarChange(s.context, calendar, "work@x", {true, false}).Applied());
    const HttpRequest& list = Request(2);
    EXPECT_NE(list.target.find("calendarList/work%40x?colorRgbFormat=true"), std::string::npos) << list.target;
    EXPECT_NE(list.body.find("\"backgroundColor\":\"#ff0000\""), std::string::npos) << list.body;
    EXPECT_EQ(list.body.find("foregroundColor"), std::string::npos) << list.body;
    EXPECT_EQ(calendar.backgroundColor, "#ff0000");
}

} // namespace
} // namespace orb
