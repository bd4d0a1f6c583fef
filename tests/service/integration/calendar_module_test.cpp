#include "service/calendar_client.h"
#include "service/http.h"
#include "service/record_json.h"

#include "tests/service/integration/calendar_fixture.h"

#include <json/json.h>
#include <sstream>

namespace orb::test {
namespace {

// The stand-in's own rules, where the clients never go but a wrong answer would let a
// client fault pass unseen.
class CalendarModuleWire : public CalendarServiceTest
{
protected:
    struct Answer
    {
        int status = 0;
        std::string reason; // the first error's reason, empty for a success
    };

    Answer Call(const std::string& verb, const std::string& path, const std::string& body = "")
    {
        const std::string url = config.apiBase + path;
        const std::string headers = session.AuthorizationLine() + kJsonContentTypeLine;
        std::string text;
        Answer answer;
        int result = kHttpCompleted;
        if (verb == "GET") {
            const TransportResult r = transport.HttpGet(url, "", text);
            result = r.code;
            answer.status = r.status;
        } else if (verb == "POST") {
            const TransportResult r = transport.HttpPost(url, body, text, headers);
            result = r.code;
            answer.status = r.status;
        } else if (verb == "PATCH") {
            const TransportResult r = transport.HttpPatch(url, body, text, headers);
            result = r.code;
            answer.status = r.status;
        } else {
            const TransportResult r = transport.HttpDelete(url, body, text, headers);
            result = r.code;
            answer.status = r.status;
        }
        EXPECT_EQ(result, kHttpCompleted) << verb << " " << path;
        Json::Value root;
        std::string errors;
        Json::CharReaderBuilder builder;
        std::istringstream in(text);
        Json::parseFromStream(builder, in, &root, &errors);
        if (root.isObject() && root["error"].isObject())
            answer.reason = root["error"]["errors"][0]["reason"].asString();
        return answer;
    }
};

constexpr const char* kEvents = "/calendar/v3/calendars/me%40example.com/events";

TEST_F(CalendarModuleWire, RefusesWhatGoogleRefuses)
{
    struct Case
    {
        const char* verb;
        std::string path;
        std::string body;
        int status;
        const char* reason;
    };
    const std::string allDay = R"("start":{"date":"2026-06-10"},"end":{"date":"2026-06-11"})";
    const Case cases[] = {
        {"GET", "/calendar/v3/calendars/nobody%40example.com/events", "", 404, "notFound"},
        {"GET", std::string(kEvents) + "?orderBy=startTime", "", 400, "invalid"},
        {"GET", std::string(kEvents) + "?timeMin=yesterday", "", 400, "badRequest"},
        {"GET", std::string(kEvents) + "?pageToken=made-up", "", 400, "invalid"},
        {"POST", kEvents, "not json", 400, "parseError"},
        {"POST", kEvents, R"({"start":{"date":"2026-06-10"}})", 400, "invalid"},
        {"POST", kEvents, "{" + allDay + R"(,"colorId":"12"})", 400, "invalid"},
        {"POST", kEvents,
         R"({"start":{"date":"2026-06-10","dateTime":"2026-06-10T10:00:00Z"},"end":{"date":"2026-06-11"}})", 400,
         "invalid"},
        {"POST", "/calendar/v3/calendars/ko.south_korea%23holiday%40group.v.calendar.google.com/events",
         "{" + allDay + "}", 403, "requiredAccessLevel"},
        {"PATCH", std::string(kEvents) + "/first", R"({"start":{"date":null}})", 400, "invalid"},
        {"PATCH", std::string(kEvents) + "/nosuchevent", "{}", 404, "notFound"},
        {"DELETE", std::string(kEvents) + "/nosuchevent", "", 404, "notFound"},
    };
    for (const Case& entry : cases) {
        const Answer answer = Call(entry.verb, entry.path, entry.body);
        EXPECT_EQ(answer.status, entry.status) << entry.verb << " " << entry.path << " " << entry.body;
        EXPECT_EQ(answer.reason, entry.reason) << entry.verb << " " << entry.path << " " << entry.body;
    }
}

TEST_F(CalendarModuleWire, ADeletedEventIsGoneNotUnknown)
{
    const std::string path = std::string(kEvents) + "/first";
    EXPECT_EQ(Call("DELETE", path).status, 204);
    const Answer again = Call("DELETE", path);
    EXPECT_EQ(again.status, 410);
    EXPECT_EQ(again.reason, "deleted");
}

TEST_F(CalendarModuleWire, ARefusedSeedChangesNothing)
{
    std::string error;
    EXPECT_FALSE(service.SeedFromJson(R"({"calendar": {"calendars": [{"id": "new@example.com"},
        {"id": "bad", "events": [{"summary": "no start"}]}]}})",
                                      error));
    EXPECT_NE(error.find("bad"), std::string::npos);

    std::vector<CalendarRecord> calendars;
    ASSERT_TRUE(ListCalendars(context, calendars));
    EXPECT_EQ(calendars.size(), 5u);
}

TEST_F(CalendarModuleWire, WithoutAValidTokenEveryRouteAnswersAuthError)
{
    session.set_tokens("not-a-token", "Bearer");
    for (const char* verb : {"GET", "POST", "PATCH", "DELETE"}) {
        const bool onOneEvent = std::string(verb) == "PATCH" || std::string(verb) == "DELETE";
        const Answer answer = Call(verb, std::string(kEvents) + (onOneEvent ? "/first" : ""), "{}");
        EXPECT_EQ(answer.status, 401) << verb;
        EXPECT_EQ(answer.reason, "authError") << verb;
    }
}

} // namespace
} // namespace orb::test
