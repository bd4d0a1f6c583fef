#include "tests/fake_service/fake_service_test_support.h"

#include "tools/fake-service/field_selection.h"

#include <utility>
#include <vector>

namespace orb::fake::test {
namespace {

// Shaped like a listing: scalars, nested objects, an array of objects and one of scalars.
constexpr const char* kListing = R"({"kind": "k", "etag": "e", "nextPageToken": "p",
  "items": [{"id": "a", "summary": "A", "start": {"date": "2026-12-08", "timeZone": "Z"},
             "attendees": [{"email": "x", "self": true}, {"email": "y"}], "tags": [1, 2]},
            {"id": "b", "start": {"dateTime": "T"}, "tags": []}]})";

TEST(FieldSelection, SelectsMembersPathsSubSelectionsAndWildcardsInEveryElement)
{
    const Json::Value listing = ParseJson(kListing);
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"kind", R"({"kind": "k"})"},
        {"nextPageToken,items(id)", R"({"nextPageToken": "p", "items": [{"id": "a"}, {"id": "b"}]})"},
        // A path selects inside each element of an array on the way.
        {"items/start/date", R"({"items": [{"start": {"date": "2026-12-08"}}, {"start": {}}]})"},
        {"items(start(dateTime),attendees(self))",
         R"({"items": [{"start": {}, "attendees": [{"self": true}, {}]}, {"start": {"dateTime": "T"}}]})"},
        // Named whole once, a member comes whole whatever else names part of it.
        {"items(start),items/start/date",
         R"({"items": [{"start": {"date": "2026-12-08", "timeZone": "Z"}}, {"start": {"dateTime": "T"}}]})"},
        // Two selections of one member add up.
        {"items(id),items(tags)", R"({"items": [{"id": "a", "tags": [1, 2]}, {"id": "b", "tags": []}]})"},
        {"*", kListing},
        // Scalars have no members to select.
        {"items/*/date", R"({"items": [{"start": {"date": "2026-12-08"}, "attendees": [{}, {}], "tags": []},
                                       {"start": {}, "tags": []}]})"},
        {"missing,kind", R"({"kind": "k"})"},
        {"kind(x),etag", R"({"etag": "e"})"},
    };
    for (const auto& [selector, expected] : cases) {
        const std::optional<FieldSelection> selection = ParseFieldSelection(selector);
        ASSERT_TRUE(selection) << selector;
        EXPECT_EQ(SelectFields(listing, *selection), ParseJson(expected)) << selector;
    }
}

TEST(FieldSelection, RefusesSelectorsOutsideTheGrammar)
{
    for (const char* selector : {"", ",", "a,", ",a", "a//b", "a/", "/a", "a(", "a()", "a(b", "a)", "a(b))", "a b",
                                 "a,(b)", "(a)", "a(b)c", "a;b", "a%2Cb", "it*ms"}) {
        EXPECT_FALSE(ParseFieldSelection(selector)) << selector;
    }
    // Deep enough for any resource; a hostile depth is refused, not followed down the stack.
    const auto nested = [](int depth) {
        std::string selector;
        for (int i = 0; i < depth; ++i)
            selector += "a(";
        return selector + "a" + std::string(depth, ')');
    };
    EXPECT_TRUE(ParseFieldSelection(nested(32)));
    EXPECT_FALSE(ParseFieldSelection(nested(100000)));
}

using FieldsRoute = FakeServiceTest;

TEST_F(FieldsRoute, AListingAnswersOnlyWhatIsSelectedAndABadSelectorOrAnErrorAsGoogleDoes)
{
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(R"({"oauth": {"accessTokens": ["t"]}, "calendar": {"calendars": [
      {"id": "me@example.com", "summary": "Me", "events": [
        {"id": "e1", "summary": "Review", "start": {"date": "2026-12-08"}}]}]},
      "tasks": {"taskLists": [{"id": "L1", "title": "Home", "tasks": [{"id": "t1", "title": "Milk"}]}]}})",
                                     error))
        << error;
    const httplib::Headers token = {{"Authorization", "Bearer t"}};
    auto client = Client();

    auto events =
        client.Get("/calendar/v3/calendars/me@example.com/events?fields=items(id,start),nextSyncToken", token);
    ASSERT_TRUE(events);
    EXPECT_EQ(events->status, 200);
    Json::Value answer = ParseJson(events->body);
    EXPECT_EQ(answer.getMemberNames(), (std::vector<std::string>{"items", "nextSyncToken"}));
    EXPECT_EQ(answer["items"], ParseJson(R"([{"id": "e1", "start": {"date": "2026-12-08"}}])"));

    auto tasks = client.Get("/tasks/v1/lists/L1/tasks?fields=items/title", token);
    ASSERT_TRUE(tasks);
    EXPECT_EQ(ParseJson(tasks->body), ParseJson(R"({"items": [{"title": "Milk"}]})"));

    // Refused before anything is read or changed.
    auto refused = client.Get("/calendar/v3/users/me/calendarList?fields=items(id", token);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 400);
    answer = ParseJson(refused->body);
    EXPECT_EQ(answer["error"]["message"].asString(), "Invalid field selection items(id");
    EXPECT_EQ(answer["error"]["errors"][0]["reason"].asString(), "invalidParameter");
    auto notChanged = client.Patch("/calendar/v3/calendars/me@example.com/events/e1?fields=(", token,
                                   R"({"summary": "Changed"})", "application/json");
    ASSERT_TRUE(notChanged);
    EXPECT_EQ(notChanged->status, 400);

    // An error document comes whole, whatever was selected.
    auto missing = client.Get("/calendar/v3/calendars/nobody@example.com/events?fields=items(id)", token);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(ParseJson(missing->body)["error"]["code"].asInt(), 404);

    events = client.Get("/calendar/v3/calendars/me@example.com/events?fields=items/summary", token);
    ASSERT_TRUE(events);
    EXPECT_EQ(ParseJson(events->body), ParseJson(R"({"items": [{"summary": "Review"}]})"));
}

} // namespace
} // namespace orb::fake::test
