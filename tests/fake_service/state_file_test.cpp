#include "tests/fake_service/fake_service_test_support.h"

#include "tools/fake-service/form_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace orb::fake::test {
namespace {

constexpr const char* kAccessToken = "state-test-token";
constexpr const char* kClientId = "state-client";
constexpr const char* kEvents = "/calendar/v3/calendars/me@example.com/events";
constexpr const char* kTasks = "/tasks/v1/lists/MDAwMTQxNjk5MzQ3NTI0MzQ2ODY6MDow/tasks";
// Every demo list fits on one page, so a listing is a single answer.
constexpr int kWholeListing = 500;

std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Status and body of one request; the token routes read a body as a form whatever its type.
std::pair<int, Json::Value> Send(const FakeService& service, const std::string& method, const std::string& target,
                                 const std::string& body = {})
{
    httplib::Client client("127.0.0.1", service.Port());
    client.set_read_timeout(kClientTimeout);
    client.set_url_encode(false);
    httplib::Request request;
    request.method = method;
    request.path = target;
    request.body = body;
    request.headers = {{"Authorization", std::string("Bearer ") + kAccessToken},
                       {"Content-Type", "application/json"},
                       {"X-Orb-Control-Key", service.ControlKey()}};
    auto answer = client.send(request);
    EXPECT_TRUE(answer) << method << " " << target;
    return answer ? std::pair(answer->status, ParseJson(answer->body)) : std::pair(0, Json::Value());
}

// What every listing answers, less what differs between two runs by design: the service's
// own address in links and the time of the answer.
Json::Value Listings(const FakeService& service)
{
    auto list = [&](const std::string& target) {
        auto [status, value] = Send(service, "GET", target);
        EXPECT_EQ(status, 200) << target;
        value.removeMember("updated");
        std::string text = Json::writeString(Json::StreamWriterBuilder(), value);
        for (auto at = text.find(service.BaseUrl()); at != std::string::npos; at = text.find(service.BaseUrl(), at)) {
            text.replace(at, service.BaseUrl().size(), "BASE");
        }
        return text;
    };
    Json::Value all(Json::objectValue);
    all["calendars"] = list("/calendar/v3/users/me/calendarList");
    for (const auto& entry : ParseJson(all["calendars"].asString())["items"]) {
        all[entry["id"].asString()] =
            list("/calendar/v3/calendars/" + EncodeQueryComponent(entry["id"].asString()) + "/events");
    }
    all["taskLists"] = list("/tasks/v1/users/@me/lists");
    for (const auto& taskList : ParseJson(all["taskLists"].asString())["items"]) {
        all[taskList["id"].asString()] =
            list("/tasks/v1/lists/" + taskList["id"].asString() + "/tasks?showHidden=true&showDeleted=true");
    }
    return all;
}

class StateFileTest : public ::testing::Test
{
protected:
    // A started service keeping its state in `path`, seeded first when `seed` is given.
    std::unique_ptr<FakeService> StartOnState(const std::string& seed = {})
    {
        auto service = std::make_unique<FakeService>();
        std::string error;
        EXPECT_TRUE(seed.empty() || service->SeedFromJson(seed, error)) << error;
        EXPECT_TRUE(service->SetStateFile(path, error)) << error;
        EXPECT_TRUE(service->Start()) << service->StartError();
        service->AddAccessToken(kAccessToken);
        service->SetPageSize(kWholeListing);
        return service;
    }

    std::string folder = MakeTemporaryFolder();
    std::string path = folder + "/state.json";
};

std::string ApprovedCode(const FakeService& service)
{
    auto page =
        httplib::Client("127.0.0.1", service.Port())
            .Get(std::string("/o/oauth2/approval?scope=s&redirect_uri=r&decision=allow&client_id=") + kClientId);
    std::string title = page ? PageTitle(page->body) : "";
    EXPECT_EQ(title.rfind("Success code=", 0), 0u) << title;
    return title.substr(title.find('=') + 1);
}

std::pair<int, Json::Value> Token(const FakeService& service, const std::string& grant,
                                  const std::string& clientId = kClientId)
{
    return Send(service, "POST", "/o/oauth2/token", grant + "&client_id=" + clientId + "&redirect_uri=r");
}

TEST_F(StateFileTest, TokensAndCodesOfOneInstanceWorkInTheNextWithTheirClientAndLifetime)
{
    auto first =
        StartOnState(R"({"oauth": {"accessTokens": ["short"], "expiresIn": 100, "clientId": "state-client"}})");
    const std::string spentCode = ApprovedCode(*first);
    auto [status, issued] = Token(*first, "grant_type=authorization_code&code=" + spentCode);
    ASSERT_EQ(status, 200);
    const std::string refresh = "grant_type=refresh_token&refresh_token=" + issued["refresh_token"].asString();
    const std::string access = "access_token=" + issued["access_token"].asString();
    const std::string unspentCode = ApprovedCode(*first);
    first.reset();

    auto second = StartOnState();
    EXPECT_EQ(Token(*second, refresh).first, 200);
    EXPECT_EQ(Token(*second, refresh, "another-client").first, 400);
    Json::Value info = Send(*second, "POST", "/oauth2/v1/tokeninfo", "access_token=short").second;
    EXPECT_EQ(info["issued_to"].asString(), kClientId);
    EXPECT_GT(info["expires_in"].asInt(), 90); // what was left of it, not a fresh hour
    EXPECT_LE(info["expires_in"].asInt(), 100);
    EXPECT_EQ(Token(*second, "grant_type=authorization_code&code=" + spentCode).first, 400);
    EXPECT_EQ(Token(*second, "grant_type=authorization_code&code=" + unspentCode).first, 200);
    EXPECT_EQ(Send(*second, "POST", "/__control/revoke-tokens").first, 200);
    second.reset();

    auto third = StartOnState();
    EXPECT_EQ(Send(*third, "POST", "/oauth2/v1/tokeninfo", access).first, 400);
    EXPECT_EQ(Token(*third, refresh).first, 200);
}

TEST_F(StateFileTest, ARevocationHoldsInTheNextInstanceAndReachesAccessTokensIssuedBeforeTheRestart)
{
    auto first = StartOnState();
    auto [status, revoked] = Token(*first, "grant_type=authorization_code&code=" + ApprovedCode(*first));
    ASSERT_EQ(status, 200);
    const std::string refresh = "grant_type=refresh_token&refresh_token=" + revoked["refresh_token"].asString();
    const std::string renewed = Token(*first, refresh).second["access_token"].asString();
    auto [otherStatus, kept] = Token(*first, "grant_type=authorization_code&code=" + ApprovedCode(*first));
    ASSERT_EQ(otherStatus, 200);
    first.reset();

    // Revoking an access token issued before the restart ends its refresh token and the other access token too.
    auto second = StartOnState();
    EXPECT_EQ(Send(*second, "POST", "/o/oauth2/revoke", "token=" + renewed).first, 200);
    second.reset();

    auto third = StartOnState();
    for (const std::string& token : {renewed, revoked["access_token"].asString()}) {
        EXPECT_EQ(Send(*third, "POST", "/oauth2/v1/tokeninfo", "access_token=" + token).first, 400);
    }
    EXPECT_EQ(Token(*third, refresh).second["error_description"].asString(), "Token has been expired or revoked.");
    EXPECT_EQ(Send(*third, "POST", "/o/oauth2/revoke", "token=" + revoked["refresh_token"].asString()).first, 400);
    EXPECT_EQ(Send(*third, "POST", "/oauth2/v1/tokeninfo", "access_token=" + kept["access_token"].asString()).first,
              200);
    EXPECT_EQ(Token(*third, "grant_type=refresh_token&refresh_token=" + kept["refresh_token"].asString()).first, 200);
}

TEST_F(StateFileTest, EditsThroughTheRoutesListIdenticallyInTheNextInstance)
{
    auto first = StartOnState(ReadText(ORB_DEMO_SEED));
    const std::string events = kEvents;
    const std::string tasks = kTasks;
    const std::string edits[][3] = {
        {"POST", events,
         R"({"summary": "New", "start": {"date": "2026-12-14"}, "end": {"date": "2026-12-15"}, "colorId": "5"})"},
        {"PATCH", events + "/orbevt000002", R"({"summary": "Gym, later", "location": null})"},
        {"PATCH", "/calendar/v3/users/me/calendarList/work@group.calendar.google.com", R"({"colorId": "5"})"},
        {"POST", tasks + "/demo-task-books/move?parent=demo-task-groceries&previous=demo-task-milk", ""},
        {"PATCH", tasks + "/demo-task-rent", R"({"status": "completed"})"},
        {"POST", "/tasks/v1/users/@me/lists", R"({"title": "New list"})"},
    };
    for (const auto& [method, target, body] : edits) {
        EXPECT_EQ(Send(*first, method, target, body).first, 200) << method << " " << target;
    }
    const Json::Value before = Listings(*first);
    first.reset();

    auto second = StartOnState();
    EXPECT_EQ(before, Listings(*second));
    const Json::Value todo = Send(*second, "GET", tasks + "?showHidden=true").second["items"];
    ASSERT_EQ(todo.size(), 9u);
    EXPECT_EQ(todo[2]["parent"].asString(), "demo-task-groceries"); // the books, moved after the milk
    EXPECT_FALSE(todo[5]["completed"].asString().empty());          // the rent
}

TEST_F(StateFileTest, TheNextInstanceHandsOutNoOldIdAndRemembersDeletions)
{
    auto first = StartOnState(ReadText(ORB_DEMO_SEED));
    const std::string tasks = kTasks;
    const std::string task = Send(*first, "POST", tasks, "{}").second["id"].asString();
    EXPECT_EQ(Send(*first, "DELETE", tasks + "/" + task).first, 204);
    EXPECT_EQ(Send(*first, "DELETE", kEvents + std::string("/orbevt000003")).first, 204);
    first.reset();

    auto second = StartOnState();
    EXPECT_EQ(Send(*second, "DELETE", kEvents + std::string("/orbevt000003")).first, 410);
    EXPECT_NE(Send(*second, "POST", tasks, "{}").second["id"].asString(), task);
    const Json::Value added =
        Send(*second, "POST", kEvents, R"({"start": {"date": "2026-12-14"}, "end": {"date": "2026-12-15"}})")
            .second["id"];
    const Json::Value listed = Send(*second, "GET", kEvents).second["items"];
    EXPECT_EQ(std::count_if(listed.begin(), listed.end(), [&](const Json::Value& e) { return e["id"] == added; }), 1)
        << "the new event took the id of an old one";
}

TEST_F(StateFileTest, ConcurrentWritesNeverLeaveAHalfWrittenOrReadableByOthersFile)
{
    auto service = StartOnState(R"({"calendar": {"calendars": [{"id": "c"}]}, "tasks": {"taskLists": [{"id": "l"}]}})");
    // Enough overlapping writes of two modules that a write in place would be caught part-way.
    constexpr int kWriters = 4;
    constexpr int kWritesEach = 5;
    std::atomic<bool> writing{true};
    std::atomic<int> unreadable{0};
    std::thread reader([&] {
        for (std::string error; writing;) {
            unreadable += FakeService().SeedFromJson(ReadText(path), error) ? 0 : 1;
        }
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&] {
            for (int i = 0; i < kWritesEach; ++i) {
                EXPECT_EQ(Send(*service, "POST", "/tasks/v1/lists/l/tasks", "{}").first, 200);
                EXPECT_EQ(Send(*service, "POST", "/calendar/v3/calendars/c/events",
                               R"({"start": {"date": "2026-12-14"}, "end": {"date": "2026-12-15"}})")
                              .first,
                          200);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    writing = false;
    reader.join();
    EXPECT_EQ(unreadable, 0);

    // The last write holds every change, those whose own write came first included.
    Json::Value state = ParseJson(ReadText(path));
    EXPECT_EQ(state["tasks"]["taskLists"][0]["tasks"].size(), static_cast<unsigned>(kWriters * kWritesEach));
    EXPECT_EQ(state["calendar"]["calendars"][0]["events"].size(), static_cast<unsigned>(kWriters * kWritesEach));
    struct stat info = {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    auto files = std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
    EXPECT_EQ(files, 1) << "a temporary file was left behind";
}

TEST_F(StateFileTest, ARefusedFileIsReportedAndLeftAsItWas)
{
    const std::string refused = R"({"oauth": {"refreshTokens": ["r"]}, "tasks": {"nextId": 0}})";
    std::ofstream(path) << refused;
    FakeService service;
    std::string error;
    EXPECT_FALSE(service.SetStateFile(path, error));
    EXPECT_NE(error.find("nextId"), std::string::npos) << error;
    EXPECT_TRUE(service.Tokens().refreshTokens.empty()) << "a refused state file must leave the service empty";
    EXPECT_EQ(ReadText(path), refused);

    // A tasks member of the wrong kind is refused in words, not by an exception.
    EXPECT_FALSE(service.SeedFromJson(R"({"tasks": []})", error));
    EXPECT_NE(error.find("tasks must be an object"), std::string::npos) << error;
}

} // namespace
} // namespace orb::fake::test
