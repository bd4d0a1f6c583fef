#include "tests/fake_service/fake_service_test_support.h"

#include "tools/fake-service/form_text.h"

#include <regex>
#include <vector>

namespace orb::fake::test {
namespace {

constexpr const char* kToken = "sync-token";
constexpr const char* kCalendarList = "/calendar/v3/users/me/calendarList";
constexpr const char* kWork = "/calendar/v3/calendars/work@example.com/events";
constexpr const char* kHome = "/calendar/v3/calendars/home@example.com/events";
constexpr const char* kTasks = "/tasks/v1/lists/L1/tasks";

constexpr const char* kSeed = R"({"calendar": {"calendars": [
  {"id": "work@example.com", "summary": "Work", "colorId": "14", "events": [
    {"id": "keep", "summary": "Standup", "start": {"date": "2026-12-07"}, "end": {"date": "2026-12-08"}},
    {"id": "edit", "summary": "Review", "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}},
    {"id": "gone", "summary": "Lunch", "start": {"date": "2026-12-09"}, "end": {"date": "2026-12-10"}},
    {"id": "later", "summary": "Party", "start": {"date": "2027-01-09"}, "end": {"date": "2027-01-10"}}]},
  {"id": "home@example.com", "summary": "Home", "colorId": "7", "events": []},
  {"id": "old@example.com", "summary": "Old", "colorId": "3", "events": []},
  {"id": "secret@example.com", "summary": "Secret", "hidden": true, "events": []}]},
 "tasks": {"taskLists": [{"id": "L1", "title": "Home", "tasks": [
    {"id": "shop", "title": "Shop"}, {"id": "milk", "title": "Milk", "parent": "shop"},
    {"id": "bread", "title": "Bread", "parent": "shop"}, {"id": "tree", "title": "Tree", "status": "completed"},
    {"id": "call", "title": "Call"}]}]}})";

struct Answer
{
    int status = 0;
    Json::Value body;

    std::vector<std::string> Ids() const
    {
        std::vector<std::string> ids;
        for (const Json::Value& item : body["items"])
            ids.push_back(item["id"].asString());
        return ids;
    }
    const Json::Value& Item(const std::string& id) const
    {
        for (const Json::Value& item : body["items"]) {
            if (item["id"].asString() == id)
                return item;
        }
        return Json::Value::nullSingleton();
    }
    std::string SyncToken() const { return body["nextSyncToken"].asString(); }
    std::string Reason() const { return body["error"]["errors"][0]["reason"].asString(); }
};

class IncrementalSync : public FakeServiceTest
{
protected:
    void SetUp() override
    {
        FakeServiceTest::SetUp();
        std::string error;
        ASSERT_TRUE(service.SeedFromJson(kSeed, error)) << error;
        service.AddAccessToken(kToken);
    }

    Answer Get(const std::string& target) const
    {
        auto answer = Client().Get(target, {{"Authorization", std::string("Bearer ") + kToken}});
        return answer ? Answer{answer->status, ParseJson(answer->body)} : Answer{};
    }

    // The listing after `token`, paged through; a refusal of any page is the answer.
    Answer Since(const std::string& listing, const std::string& token, const std::string& more = {}) const
    {
        return Get(listing + "?syncToken=" + EncodeQueryComponent(token) + more);
    }

    // What another device does at the service; its answer's body.
    Json::Value Elsewhere(const std::string& method, const std::string& target, const std::string& body = {})
    {
        const DeviceAnswer answer = service.FromAnotherDevice(method, target, body);
        EXPECT_GE(answer.status, 200) << method << " " << target;
        EXPECT_LT(answer.status, 300) << method << " " << target << " " << answer.body;
        return ParseJson(answer.body);
    }
};

TEST_F(IncrementalSync, ATokenListsExactlyWhatChangedElsewhereAndThenNothing)
{
    const Answer full = Get(kWork);
    ASSERT_EQ(full.status, 200);
    EXPECT_EQ(full.Ids(), (std::vector<std::string>{"keep", "edit", "gone", "later"}));
    EXPECT_FALSE(full.body.isMember("nextPageToken"));
    const std::string first = full.SyncToken();
    ASSERT_FALSE(first.empty());

    const std::string added =
        Elsewhere("POST", kWork,
                  R"({"summary": "New", "start": {"date": "2026-12-11"}, "end": {"date": "2026-12-12"}})")["id"]
            .asString();
    Elsewhere("PATCH", std::string(kWork) + "/edit", R"({"summary": "Review 2"})");
    Elsewhere("DELETE", std::string(kWork) + "/gone");
    Elsewhere("POST", kHome,
              R"({"summary": "Elsewhere", "start": {"date": "2026-12-11"}, "end": {"date": "2026-12-12"}})");

    const Answer changes = Since(kWork, first);
    ASSERT_EQ(changes.status, 200) << changes.body;
    EXPECT_EQ(changes.Ids(), (std::vector<std::string>{added, "edit", "gone"})); // in the order they changed
    EXPECT_EQ(changes.Item("edit")["summary"].asString(), "Review 2");
    // Google promises only the id of a cancelled event.
    EXPECT_EQ(changes.Item("gone")["status"].asString(), "cancelled");
    EXPECT_FALSE(changes.Item("gone").isMember("summary"));
    EXPECT_FALSE(changes.body.isMember("nextPageToken"));
    const std::string second = changes.SyncToken();
    EXPECT_NE(second, first);

    // Nothing changed since: no items, and the token stays what it was, as Google answers.
    const Answer quiet = Since(kWork, second);
    ASSERT_EQ(quiet.status, 200);
    EXPECT_TRUE(quiet.body["items"].isArray());
    EXPECT_TRUE(quiet.Ids().empty());
    EXPECT_EQ(quiet.SyncToken(), second);
    // The full listing no longer shows the deleted event; deleting it again is 410.
    EXPECT_EQ(Get(kWork).Ids(), (std::vector<std::string>{"keep", "edit", "later", added}));
    EXPECT_EQ(service.FromAnotherDevice("DELETE", std::string(kWork) + "/gone").status, 410);
}

TEST_F(IncrementalSync, TheCalendarListBringsRecolouredHiddenAndRemovedEntriesButNotRenamedOnes)
{
    const Answer full = Get(kCalendarList);
    // A hidden entry is left out unless asked for.
    EXPECT_EQ(full.Ids(), (std::vector<std::string>{"work@example.com", "home@example.com", "old@example.com"}));
    EXPECT_EQ(Get(std::string(kCalendarList) + "?showHidden=true").Ids().size(), 4u);

    Elsewhere("PATCH", "/calendar/v3/users/me/calendarList/home@example.com", R"({"colorId": "9"})");
    Elsewhere("PATCH", "/calendar/v3/users/me/calendarList/work@example.com", R"({"hidden": true})");
    Elsewhere("DELETE", "/calendar/v3/users/me/calendarList/old@example.com");
    // Only calendar properties changed: Google leaves such an entry out of incremental listings.
    Elsewhere("PATCH", "/calendar/v3/calendars/secret@example.com", R"({"summary": "Renamed"})");

    const Answer changes = Since(kCalendarList, full.SyncToken());
    ASSERT_EQ(changes.status, 200) << changes.body;
    EXPECT_EQ(changes.Ids(), (std::vector<std::string>{"home@example.com", "work@example.com", "old@example.com"}));
    EXPECT_EQ(changes.Item("home@example.com")["backgroundColor"].asString(), "#7bd148");
    EXPECT_TRUE(changes.Item("work@example.com")["hidden"].asBool());
    EXPECT_TRUE(changes.Item("old@example.com")["deleted"].asBool());
    EXPECT_EQ(Get(std::string(kCalendarList) + "?showDeleted=true").Item("old@example.com")["deleted"], true);
    EXPECT_EQ(Get("/calendar/v3/calendars/old@example.com/events").status, 404);
}

TEST_F(IncrementalSync, OnlyTheLastPageCarriesTheTokenAndChangesWhilePagingAreNeitherLostNorSkipped)
{
    service.SetPageSize(3);
    for (int i = 0; i < 4; ++i)
        Elsewhere("POST", kHome,
                  R"({"summary": "e", "start": {"date": "2026-12-0)" + std::to_string(i + 1) +
                      R"("}, "end": {"date": "2026-12-2)" + std::to_string(i + 1) + R"("}})");
    std::vector<std::string> seen;
    std::string token;
    for (std::string page = "?maxResults=3";;) {
        const Answer answer = Get(kHome + page);
        ASSERT_EQ(answer.status, 200) << answer.body;
        for (const std::string& id : answer.Ids())
            seen.push_back(id);
        // Google sends one or the other, never both.
        EXPECT_NE(answer.body.isMember("nextPageToken"), answer.body.isMember("nextSyncToken")) << answer.body;
        if (!answer.body.isMember("nextPageToken")) {
            token = answer.SyncToken();
            break;
        }
        page = "?maxResults=3&pageToken=" + answer.body["nextPageToken"].asString();
    }
    ASSERT_EQ(seen.size(), 4u);

    // Four changes, three to a page; the first one served changes again before the next page.
    for (const std::string& id : seen)
        Elsewhere("PATCH", std::string(kHome) + "/" + id, R"({"summary": "changed"})");
    const Answer page1 = Since(kHome, token);
    ASSERT_EQ(page1.Ids(), (std::vector<std::string>{seen[0], seen[1], seen[2]}));
    EXPECT_FALSE(page1.body.isMember("nextSyncToken"));
    Elsewhere("PATCH", std::string(kHome) + "/" + seen[0], R"({"summary": "twice"})");
    const Answer page2 = Since(kHome, token, "&pageToken=" + page1.body["nextPageToken"].asString());
    EXPECT_EQ(page2.Ids(), (std::vector<std::string>{seen[3]}));
    EXPECT_FALSE(page2.body.isMember("nextPageToken"));
    const Answer next = Since(kHome, page2.SyncToken());
    EXPECT_EQ(next.Ids(), (std::vector<std::string>{seen[0]}));
    EXPECT_EQ(next.Item(seen[0])["summary"].asString(), "twice");
}

TEST_F(IncrementalSync, ATokenBesideFiltersIsRefusedAndAnUnknownOrExpiredOneIsGoneUntilAFullListing)
{
    const std::string events = Get(kWork).SyncToken();
    const std::string calendars = Get(kCalendarList).SyncToken();
    for (const char* beside : {"&timeMin=2026-12-01T00:00:00Z", "&timeMax=2026-12-31T00:00:00Z", "&orderBy=updated",
                               "&q=Review", "&updatedMin=2026-01-01T00:00:00Z", "&iCalUID=x", "&showDeleted=false"}) {
        const Answer refused = Since(kWork, events, beside);
        EXPECT_EQ(refused.status, 400) << beside;
        EXPECT_EQ(refused.Reason(), "syncTokenWithRequestRestrictions") << beside;
    }
    for (const char* beside : {"&showDeleted=false", "&showHidden=false", "&minAccessRole=owner"})
        EXPECT_EQ(Since(kCalendarList, calendars, beside).status, 400) << beside;
    EXPECT_EQ(Since(kWork, events, "&showDeleted=true&maxResults=5").status, 200);

    // Not its own, another calendar's, another listing's: all gone, in Google's words.
    for (const auto& [listing, token] : {std::pair{kWork, std::string("CPDAlvWDx70CEPDAlvWDx70CGAU=")},
                                         std::pair{kHome, events}, std::pair{kCalendarList, events}}) {
        const Answer gone = Since(listing, token);
        EXPECT_EQ(gone.status, 410) << listing;
        const Json::Value& error = gone.body["error"];
        EXPECT_EQ(error["code"], 410);
        EXPECT_EQ(error["message"], "Sync token is no longer valid, a full sync is required.");
        EXPECT_EQ(error["errors"][0]["domain"], "calendar");
        EXPECT_EQ(error["errors"][0]["reason"], "fullSyncRequired");
        EXPECT_EQ(error["errors"][0]["location"], "syncToken");
    }

    const std::string before = "?updatedMin=" + EncodeQueryComponent(Get(kWork).body["items"][0]["updated"].asString());
    EXPECT_EQ(Get(kWork + before).status, 200);
    auto expired = ControlClient().Post("/__control/expire-sync-tokens");
    ASSERT_TRUE(expired);
    EXPECT_EQ(expired->status, 200);
    EXPECT_EQ(Since(kWork, events).status, 410);
    EXPECT_EQ(Since(kCalendarList, calendars).status, 410);
    EXPECT_EQ(Get(kWork + before).Reason(), "updatedMinTooLongAgo");

    const Answer again = Get(kWork);
    ASSERT_EQ(again.status, 200);
    EXPECT_EQ(again.Ids().size(), 4u);
    const Answer fresh = Since(kWork, again.SyncToken());
    EXPECT_EQ(fresh.status, 200);
    EXPECT_TRUE(fresh.Ids().empty());
}

TEST_F(IncrementalSync, UpdatedMinListsEventsChangedSinceWithDeletionsWhateverShowDeletedInsideTheWindow)
{
    const std::string since = Elsewhere("PATCH", std::string(kWork) + "/later", "{}")["updated"].asString();
    // Stamps as Google writes them: UTC with milliseconds.
    EXPECT_TRUE(std::regex_match(since, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)"))) << since;
    Elsewhere("PATCH", std::string(kWork) + "/edit", R"({"summary": "Review 2"})");
    Elsewhere("DELETE", std::string(kWork) + "/gone");

    const std::string updatedMin = "?updatedMin=" + EncodeQueryComponent(since);
    EXPECT_EQ(Get(kWork + updatedMin).Ids(), (std::vector<std::string>{"edit", "later", "gone"}));
    EXPECT_EQ(Get(kWork + updatedMin + "&showDeleted=false").Item("gone")["status"], "cancelled");
    // The window applies as well: December leaves out January's party, not the deletion.
    EXPECT_EQ(Get(kWork + updatedMin + "&timeMin=2026-12-01T00:00:00Z&timeMax=2027-01-01T00:00:00Z").Ids(),
              (std::vector<std::string>{"edit", "gone"}));
    EXPECT_EQ(Get(kWork + updatedMin + "&orderBy=updated").Ids(), (std::vector<std::string>{"later", "edit", "gone"}));
    // Without updatedMin a deletion shows only when asked for.
    EXPECT_EQ(Get(kWork).Item("gone"), Json::Value());
    EXPECT_EQ(Get(std::string(kWork) + "?showDeleted=true").Item("gone")["status"], "cancelled");
    EXPECT_EQ(Get(std::string(kWork) + "?updatedMin=yesterday").status, 400);
}

TEST_F(IncrementalSync, TaskUpdatedMinShowsDeletedAndHiddenTasksOnlyWhenAsked)
{
    const Json::Value shop = Elsewhere("PATCH", std::string(kTasks) + "/shop", R"({"notes": "Saturday"})");
    const std::string updatedMin =
        std::string(kTasks) + "?updatedMin=" + EncodeQueryComponent(shop["updated"].asString());
    // A child goes (bread moves up among its siblings), and clearing hides the completed task.
    Elsewhere("DELETE", std::string(kTasks) + "/milk");
    Elsewhere("POST", "/tasks/v1/lists/L1/clear");

    EXPECT_EQ(Get(updatedMin).Ids(), (std::vector<std::string>{"shop", "bread"}));
    EXPECT_EQ(Get(updatedMin).Item("bread")["position"], "00000000000000000000");
    const Answer deleted = Get(updatedMin + "&showDeleted=true");
    EXPECT_EQ(deleted.Ids(), (std::vector<std::string>{"shop", "milk", "bread"}));
    EXPECT_TRUE(deleted.Item("milk")["deleted"].asBool());
    const Answer hidden = Get(updatedMin + "&showHidden=true");
    EXPECT_EQ(hidden.Ids(), (std::vector<std::string>{"shop", "bread", "tree"}));
    EXPECT_TRUE(hidden.Item("tree")["hidden"].asBool());
    EXPECT_EQ(Get(updatedMin + "&showHidden=true&showCompleted=false").Ids(),
              (std::vector<std::string>{"shop", "bread"}));
    // Nothing changed since: an empty page, and tasks carry no sync token.
    const Answer quiet = Get(std::string(kTasks) + "?showDeleted=true&showHidden=true&updatedMin=2100-01-01T00:00:00Z");
    EXPECT_TRUE(quiet.Ids().empty());
    EXPECT_FALSE(quiet.body.isMember("nextSyncToken"));
    EXPECT_EQ(Get(std::string(kTasks) + "?updatedMin=soon").status, 400);
}

TEST_F(IncrementalSync, AnotherDeviceGoesThroughTheControlKeyAndLeavesNoRecordedRequest)
{
    service.ClearRequests();
    const std::string route = "/__control/other-device/calendar/v3/calendars/work@example.com/events/edit";
    auto changed = ControlClient().Patch(route, R"({"summary": "From a phone"})", "application/json");
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->status, 200);
    EXPECT_EQ(ParseJson(changed->body)["summary"], "From a phone");
    auto refused = ControlClient().Patch(route, R"({"colorId": "99"})", "application/json");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 400); // the API's own checks hold
    auto unknown = ControlClient().Get("/__control/other-device/calendar/v3/nowhere");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
    auto keyless = Client().Delete(route);
    ASSERT_TRUE(keyless);
    EXPECT_EQ(keyless->status, 403);
    EXPECT_TRUE(service.Requests().empty());
    EXPECT_EQ(Get(kWork).Item("edit")["summary"], "From a phone");
}

TEST(IncrementalSyncState, TokensAndDeletionsSurviveARestartFromTheStateFile)
{
    const std::string path = MakeTemporaryFolder() + "/state.json";
    std::string token;
    std::string expired;
    {
        FakeService first;
        std::string error;
        ASSERT_TRUE(first.SeedFromJson(kSeed, error)) << error;
        ASSERT_TRUE(first.SetStateFile(path, error)) << error;
        expired = first.FromAnotherDevice("GET", kCalendarList).body;
        first.ExpireSyncTokens();
        token = ParseJson(first.FromAnotherDevice("GET", kWork).body)["nextSyncToken"].asString();
        first.FromAnotherDevice("DELETE", std::string(kWork) + "/gone");
    }
    FakeService second;
    std::string error;
    ASSERT_TRUE(second.SetStateFile(path, error)) << error;
    const Json::Value changes = ParseJson(
        second.FromAnotherDevice("GET", std::string(kWork) + "?syncToken=" + EncodeQueryComponent(token)).body);
    ASSERT_EQ(changes["items"].size(), 1u) << changes;
    EXPECT_EQ(changes["items"][0]["id"], "gone");
    EXPECT_EQ(changes["items"][0]["status"], "cancelled");
    const std::string before = ParseJson(expired)["nextSyncToken"].asString();
    EXPECT_EQ(second.FromAnotherDevice("GET", std::string(kCalendarList) + "?syncToken=" + EncodeQueryComponent(before))
                  .status,
              410);
}

} // namespace
} // namespace orb::fake::test
