#include "tests/fake_service/fake_service_test_support.h"

#include <vector>

namespace orb::fake::test {
namespace {

constexpr const char* kToken = "rules-token";
constexpr const char* kMine = "/calendar/v3/calendars/me@example.com";
constexpr const char* kOther = "/calendar/v3/calendars/other";
constexpr const char* kCalendarList = "/calendar/v3/users/me/calendarList";
constexpr const char* kEntry = "/calendar/v3/users/me/calendarList/";
constexpr const char* kList = "/tasks/v1/users/@me/lists/home";
constexpr const char* kTasks = "/tasks/v1/lists/home/tasks";

// Two owned calendars that share an event id, and two the user may only read.
constexpr const char* kSeed = R"({"calendar": {"calendars": [
  {"id": "me@example.com", "summary": "Me", "primary": true, "colorId": "14",
   "events": [{"id": "shared", "summary": "Invitation", "start": {"date": "2026-06-10"}},
              {"id": "own", "summary": "Mine", "start": {"date": "2026-06-11"}}]},
  {"id": "other", "summary": "Other", "colorId": "2",
   "events": [{"id": "shared", "summary": "Invitation", "start": {"date": "2026-06-10"}}]},
  {"id": "holidays", "summary": "Holidays", "accessRole": "reader",
   "events": [{"id": "h1", "summary": "Holiday", "start": {"date": "2026-06-06"}}]},
  {"id": "busy", "summary": "Busy", "accessRole": "freeBusyReader",
   "events": [{"id": "b1", "start": {"date": "2026-06-07"}}]}]},
 "tasks": {"taskLists": [{"id": "home", "title": "Home", "tasks": [{"id": "milk", "title": "Milk"}]}]}})";

struct Answer
{
    int status = 0;
    Json::Value body;
    std::string Reason() const { return body["error"]["errors"][0]["reason"].asString(); }
};

class EditingRules : public FakeServiceTest
{
protected:
    void SetUp() override
    {
        FakeServiceTest::SetUp();
        std::string error;
        ASSERT_TRUE(service.SeedFromJson(kSeed, error)) << error;
        service.AddAccessToken(kToken);
    }

    Answer Send(const std::string& method, const std::string& target, const std::string& body = {}) const
    {
        httplib::Request request;
        request.method = method;
        request.path = target;
        request.body = body;
        request.headers = {{"Authorization", std::string("Bearer ") + kToken}, {"Content-Type", "application/json"}};
        auto answer = Client().send(request);
        return answer ? Answer{answer->status, ParseJson(answer->body)} : Answer{};
    }

    // The item `id` of a listing; null when it is not there.
    Json::Value Find(const std::string& listing, const std::string& id) const
    {
        const Answer answer = Send("GET", listing);
        for (const Json::Value& item : answer.body["items"]) {
            if (item["id"].asString() == id)
                return item;
        }
        return Json::Value();
    }

    // Every listing, less the time of the answer.
    std::string Everything() const
    {
        std::string all;
        for (const std::string target : {kCalendarList, "/tasks/v1/users/@me/lists", kTasks}) {
            all += Send("GET", target).body.toStyledString();
        }
        for (const char* calendar : {"me@example.com", "other", "holidays", "busy"}) {
            Json::Value events = Send("GET", std::string("/calendar/v3/calendars/") + calendar + "/events").body;
            events.removeMember("updated");
            all += events.toStyledString();
        }
        return all;
    }
};

// A body for each route that reads one, "@" where text goes inside a string, and the member
// of the answer that shows it.
struct JsonRoute
{
    const char* method;
    std::string target;
    std::string body;
    const char* member;
};

TEST_F(EditingRules, RawControlCharactersInStringsAreParseErrorsAndEscapedOnesAreTaken)
{
    const std::string tasks = kTasks;
    const JsonRoute routes[] = {
        {"PATCH", kMine, R"({"summary": "b@"})", "summary"},
        {"PATCH", std::string(kEntry) + "me@example.com", R"({"summaryOverride": "b@"})", "summaryOverride"},
        {"POST", std::string(kMine) + "/events",
         R"({"summary": "b@", "start": {"date": "2026-06-12"}, "end": {"date": "2026-06-13"}})", "summary"},
        {"PATCH", std::string(kMine) + "/events/own", R"({"description": "b@"})", "description"},
        {"POST", "/tasks/v1/users/@me/lists", R"({"title": "b@"})", "title"},
        {"PUT", kList, R"({"title": "b@"})", "title"},
        {"PATCH", kList, R"({"title": "b@"})", "title"},
        {"POST", tasks, R"({"title": "b@"})", "title"},
        {"PUT", tasks + "/milk", R"({"title": "b@"})", "title"},
        {"PATCH", tasks + "/milk", R"({"notes": "b@"})", "notes"},
    };
    const auto with = [](std::string body, const std::string& text) { return body.replace(body.find('@'), 1, text); };
    const std::string before = Everything();
    // Raw bytes, one after an escaped quote (still inside), and one in a member name.
    for (const JsonRoute& route : routes) {
        for (const std::string& body :
             {with(route.body, std::string(1, '\0')), with(route.body, "\x01"), with(route.body, "\t"),
              with(route.body, "\n"), with(route.body, "\\\"\x1f"), std::string(route.body).insert(2, "\r")}) {
            const Answer answer = Send(route.method, route.target, body);
            EXPECT_EQ(answer.status, 400) << route.method << " " << route.target << " " << body;
            EXPECT_EQ(answer.Reason(), "parseError") << route.method << " " << route.target;
            EXPECT_EQ(answer.body["error"]["message"].asString(), "Parse Error");
        }
    }
    EXPECT_EQ(Everything(), before);

    // Blanks between tokens are not inside a string; an escaped backslash ends none.
    for (const JsonRoute& route : routes) {
        const std::string body = "\r\n\t" + with(route.body, R"(\t\n\u0001\\)") + "\n";
        const Answer answer = Send(route.method, route.target, body);
        EXPECT_EQ(answer.status, 200) << route.method << " " << route.target << " " << answer.body;
        EXPECT_EQ(answer.body[route.member].asString(), "b\t\n\x01\\") << route.method << " " << route.target;
    }
    EXPECT_EQ(Find(std::string(kMine) + "/events", "own")["description"].asString(), "b\t\n\x01\\");
}

TEST_F(EditingRules, RgbColoursAreKeptOnlyWhenSentAsRgb)
{
    const std::string target = std::string(kEntry) + "other";
    const std::string colours = R"({"backgroundColor": "#9FC6E7", "foregroundColor": "#FfFfFf"})";
    const std::string before = Everything();
    for (const std::string& sent :
         {target + colours, target + "?colorRgbFormat=false" + colours, target + R"({"foregroundColor": "#ffffff"})"}) {
        const std::size_t split = sent.find('{');
        const Answer refused = Send("PATCH", sent.substr(0, split), sent.substr(split));
        EXPECT_EQ(refused.Reason(), "invalid") << sent;
        EXPECT_NE(refused.body["error"]["message"].asString().find("colorRgbFormat"), std::string::npos);
    }
    for (const std::string bad : {R"("#12345")", R"("#12345g")", R"("red")", "123"}) {
        const Answer refused =
            Send("PATCH", target + "?colorRgbFormat=true", R"({"selected": false, "backgroundColor": )" + bad + "}");
        EXPECT_EQ(refused.status, 400) << bad;
        EXPECT_EQ(refused.Reason(), "invalid") << bad;
    }
    EXPECT_EQ(Everything(), before);

    const Answer taken = Send("PATCH", target + "?colorRgbFormat=true", colours);
    EXPECT_EQ(taken.body["backgroundColor"].asString(), "#9fc6e7");
    EXPECT_EQ(taken.body["colorId"].asString(), "15"); // the palette colour it matches
    // A later change of something else keeps them, and so does the listing.
    EXPECT_EQ(Send("PATCH", target, R"({"selected": false})").status, 200);
    const Json::Value listed = Find(kCalendarList, "other");
    EXPECT_EQ(listed["backgroundColor"].asString(), "#9fc6e7");
    EXPECT_EQ(listed["foregroundColor"].asString(), "#ffffff");
    // A colour id still brings its palette colours.
    EXPECT_EQ(Send("PATCH", target, R"({"colorId": "3"})").body["backgroundColor"].asString(), "#f83a22");
    EXPECT_EQ(Find(kCalendarList, "other")["foregroundColor"].asString(), "#000000");
}

TEST_F(EditingRules, RgbColoursSurviveARestartFromTheStateFile)
{
    const std::string path = MakeTemporaryFolder() + "/state.json";
    std::string error;
    ASSERT_TRUE(service.SetStateFile(path, error)) << error;
    const std::string target = std::string(kEntry) + "other?colorRgbFormat=true";
    ASSERT_EQ(Send("PATCH", target, R"({"backgroundColor": "#123456"})").status, 200);
    service.Stop();
    ASSERT_TRUE(service.SetStateFile(path, error)) << error;
    ASSERT_TRUE(service.Start()) << service.StartError();
    EXPECT_EQ(Find(kCalendarList, "other")["backgroundColor"].asString(), "#123456");
    EXPECT_EQ(Find(kCalendarList, "me@example.com")["backgroundColor"].asString(), "#9fe1e7"); // palette 14
}

TEST_F(EditingRules, ReadOnlyCalendarsRefuseEveryWriteButTheUsersOwnListEntry)
{
    const std::string before = Everything();
    for (const std::string calendar : {"/calendar/v3/calendars/holidays", "/calendar/v3/calendars/busy"}) {
        const std::string event = calendar + (calendar.ends_with("holidays") ? "/events/h1" : "/events/b1");
        for (const Answer& answer : {Send("POST", calendar + "/events", R"({"start": {"date": "2026-06-12"}})"),
                                     Send("PATCH", event, R"({"summary": "x"})"), Send("DELETE", event)}) {
            EXPECT_EQ(answer.status, 403) << calendar;
            EXPECT_EQ(answer.Reason(), "requiredAccessLevel") << calendar;
        }
        const Answer metadata = Send("PATCH", calendar, R"({"summary": "Mine now"})");
        EXPECT_EQ(metadata.status, 403) << calendar;
        EXPECT_EQ(metadata.Reason(), "forbidden") << calendar;
    }
    EXPECT_EQ(Everything(), before);

    EXPECT_EQ(Send("PATCH", std::string(kEntry) + "holidays?colorRgbFormat=true",
                   R"({"selected": false, "backgroundColor": "#abcdef"})")
                  .status,
              200);
    const Json::Value listed = Find(kCalendarList, "holidays");
    EXPECT_FALSE(listed["selected"].asBool());
    EXPECT_EQ(listed["backgroundColor"].asString(), "#abcdef");
}

TEST_F(EditingRules, AnEventIdInTwoCalendarsIsTwoEvents)
{
    const std::string mine = std::string(kMine) + "/events";
    const std::string other = std::string(kOther) + "/events";
    EXPECT_EQ(Send("PATCH", mine + "/shared", R"({"summary": "Moved"})").status, 200);
    EXPECT_EQ(Find(other, "shared")["summary"].asString(), "Invitation");
    EXPECT_EQ(Send("DELETE", mine + "/shared").status, 204);
    EXPECT_TRUE(Find(mine, "shared").isNull());
    EXPECT_EQ(Find(other, "shared")["summary"].asString(), "Invitation");
    // Deleted in one calendar is not deleted in the other.
    EXPECT_EQ(Send("PATCH", other + "/shared", R"({"summary": "Kept"})").status, 200);
    EXPECT_EQ(Find(other, "shared")["summary"].asString(), "Kept");
    EXPECT_EQ(Send("DELETE", other + "/shared").status, 204);
}

TEST_F(EditingRules, ANewEventTakesTheDefaultRemindersUnlessItBringsItsOwnAndAPatchKeepsThem)
{
    const std::string mine = std::string(kMine) + "/events";
    const Answer plain = Send("POST", mine, R"({"start": {"date": "2026-06-12"}, "end": {"date": "2026-06-13"}})");
    EXPECT_EQ(plain.body["reminders"], ParseJson(R"({"useDefault": true})"));
    const Answer own =
        Send("POST", mine,
             R"({"start": {"date": "2026-06-12"}, "end": {"date": "2026-06-13"}, "reminders": {"useDefault": false,
                                "overrides": [{"method": "popup", "minutes": 5}]}})");
    const std::string id = own.body["id"].asString();
    EXPECT_EQ(Send("PATCH", mine + "/" + id, R"({"summary": "Renamed"})").status, 200);
    const Json::Value listed = Find(mine, id)["reminders"];
    EXPECT_FALSE(listed["useDefault"].asBool());
    EXPECT_EQ(listed["overrides"][0]["minutes"].asInt(), 5);
}

} // namespace
} // namespace orb::fake::test
