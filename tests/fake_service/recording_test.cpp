#include "tests/fake_service/fake_service_test_support.h"

#include <thread>

namespace orb::fake::test {
namespace {

using Recording = FakeServiceTest;

TEST_F(Recording, KeepsTargetHeadersAndBodyExactlyAsTheyArrived)
{
    // Header order is not alphabetical and the names keep their case; the query is
    // not decoded ("%40", "+" and an unencoded ":" stay as sent).
    const std::string head = "PATCH /calendar/v3/calendars/a%40b.c/events/e1?q=x+y&t=2026-12-08T09:30:00Z HTTP/1.1\r\n"
                             "Host: 127.0.0.1\r\n"
                             "Content-Type: application/json\r\n"
                             "Authorization: Bearer  tok\r\n"
                             "Content-Length: 17\r\n"
                             "Connection: close\r\n"
                             "\r\n";
    const std::string body = "{\"summary\":\"\xED\x95\x9C\"}";
    ASSERT_EQ(body.size(), 17u);
    std::string answer = SendRaw(service.Port(), head + body);
    EXPECT_EQ(answer.rfind("HTTP/1.1 401", 0), 0u) << answer; // the token is not one the service issued

    auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& request = requests[0];
    EXPECT_EQ(request.method, "PATCH");
    EXPECT_EQ(request.target, "/calendar/v3/calendars/a%40b.c/events/e1?q=x+y&t=2026-12-08T09:30:00Z");
    EXPECT_EQ(request.head, head);
    EXPECT_EQ(request.body, body);
    std::vector<std::pair<std::string, std::string>> expected = {{"Host", "127.0.0.1"},
                                                                 {"Content-Type", "application/json"},
                                                                 {"Authorization", "Bearer  tok"},
                                                                 {"Content-Length", "17"},
                                                                 {"Connection", "close"}};
    EXPECT_EQ(request.headers, expected);
    EXPECT_EQ(request.Header("content-type"), "application/json");
    EXPECT_TRUE(request.HasHeader("AUTHORIZATION"));
    EXPECT_FALSE(request.HasHeader("Accept"));
    EXPECT_EQ(request.Header("Accept"), "");
}

TEST_F(Recording, EveryRequestOfAKeptAliveConnectionIsRecordedWhole)
{
    // Two requests in one write: the second must not be lost to the first one's reading.
    std::string big(100000, 'x'); // larger than one read from the socket
    std::string first =
        "POST /first HTTP/1.1\r\nHost: h\r\nContent-Length: " + std::to_string(big.size()) + "\r\n\r\n" + big;
    std::string second = "DELETE /second?id=1 HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n";
    std::string answer = SendRaw(service.Port(), first + second);
    EXPECT_EQ(answer.find("HTTP/1.1 404"), 0u);
    EXPECT_NE(answer.find("HTTP/1.1 404", 1), std::string::npos) << "the second request got no answer";

    auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/first");
    EXPECT_EQ(requests[0].body, big);
    EXPECT_EQ(requests[1].method, "DELETE");
    EXPECT_EQ(requests[1].target, "/second?id=1");
    EXPECT_EQ(requests[1].body, "");
}

TEST_F(Recording, ChunkedBodiesAreRecordedOnceRead)
{
    std::string request = "POST /o/oauth2/token HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n"
                          "Connection: close\r\n\r\n"
                          "5\r\ngrant\r\n6\r\n_type=\r\n0\r\n\r\n";
    std::string answer = SendRaw(service.Port(), request);
    EXPECT_NE(answer.find("unsupported_grant_type"), std::string::npos) << answer;
    auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, "grant_type=");
}

TEST_F(Recording, ControlRequestsAreNotRecordedAndListTheOthersAsJson)
{
    auto client = ControlClient();
    ASSERT_TRUE(client.Get("/some/path?a=b%20c"));
    httplib::Headers headers{{"X-First", "1"}, {"Authorization", "Bearer t"}};
    ASSERT_TRUE(client.Post("/o/oauth2/token", headers, "grant_type=x", "application/x-www-form-urlencoded"));

    auto listed = client.Get("/__control/requests");
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->status, 200);
    Json::Value list = ParseJson(listed->body);
    ASSERT_TRUE(list.isArray());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["method"].asString(), "GET");
    EXPECT_EQ(list[0]["target"].asString(), "/some/path?a=b%20c");
    EXPECT_EQ(list[1]["method"].asString(), "POST");
    EXPECT_EQ(list[1]["body"].asString(), "grant_type=x");
    bool sawAuthorization = false;
    for (const auto& pair : list[1]["headers"]) {
        ASSERT_EQ(pair.size(), 2u);
        sawAuthorization |= pair[0].asString() == "Authorization" && pair[1].asString() == "Bearer t";
    }
    EXPECT_TRUE(sawAuthorization);
    EXPECT_EQ(service.Requests().size(), 2u);

    auto cleared = client.Delete("/__control/requests");
    ASSERT_TRUE(cleared);
    EXPECT_EQ(cleared->status, 200);
    EXPECT_TRUE(service.Requests().empty());
    EXPECT_EQ(ParseJson(client.Get("/__control/requests")->body).size(), 0u);
}

TEST_F(Recording, LatencyDelaysEachAnswer)
{
    // Long enough to tell from a loaded machine's noise, short enough to keep the suite quick.
    constexpr auto kLatency = std::chrono::milliseconds(300);
    auto client = ControlClient();
    auto set = client.Post("/__control/latency?ms=300");
    ASSERT_TRUE(set);
    EXPECT_EQ(set->status, 200);
    EXPECT_EQ(service.Latency(), kLatency);

    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.Get("/o/oauth2/auth"));
    EXPECT_GE(std::chrono::steady_clock::now() - started, kLatency);

    // Control requests are never delayed, or a test could not take the latency back.
    started = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.Post("/__control/latency?ms=0"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, kLatency);
    EXPECT_EQ(service.Latency().count(), 0);
}

TEST_F(Recording, ControlSettingsRefuseBadValues)
{
    auto client = ControlClient();
    EXPECT_EQ(service.PageSize(), kDefaultPageSize);
    auto set = client.Post("/__control/page-size?size=3");
    ASSERT_TRUE(set);
    EXPECT_EQ(set->status, 200);
    EXPECT_EQ(service.PageSize(), 3);

    for (const char* target :
         {"/__control/page-size?size=0", "/__control/page-size?size=-2", "/__control/page-size?size=2x",
          "/__control/page-size", "/__control/latency?ms=-1", "/__control/latency?ms=", "/__control/latency"}) {
        auto refused = client.Post(target);
        ASSERT_TRUE(refused) << target;
        EXPECT_EQ(refused->status, 400) << target;
        EXPECT_FALSE(refused->body.empty()) << target;
    }
    EXPECT_EQ(service.PageSize(), 3);
    EXPECT_EQ(service.Latency().count(), 0);

    service.SetPageSize(0); // the API clamps instead
    EXPECT_EQ(service.PageSize(), 1);
}

TEST_F(Recording, SeedErrorsAreReportedAndLeaveTheTokensAlone)
{
    auto client = ControlClient();
    struct Case
    {
        const char* seed;
        const char* mentions;
    };
    const Case cases[] = {
        {"{\"oauth\": {", "not valid JSON"},
        {"", "not valid JSON"},
        {"[1, 2]", "object"},
        {"{\"oauth\": []}", "oauth"},
        {"{\"oauth\": {\"accessTokens\": \"a\"}}", "oauth.accessTokens"},
        {"{\"oauth\": {\"refreshTokens\": [\"\"]}}", "oauth.refreshTokens"},
        {"{\"oauth\": {\"refreshTokens\": [1]}}", "oauth.refreshTokens"},
        {"{\"oauth\": {\"expiresIn\": -5}}", "oauth.expiresIn"},
        {"{\"oauth\": {\"clientId\": 7}}", "oauth.clientId"},
        // A member that fails late must not have added the tokens listed before it.
        {"{\"oauth\": {\"accessTokens\": [\"partial\"], \"refreshTokens\": [1]}}", "oauth.refreshTokens"},
    };
    for (const auto& entry : cases) {
        auto refused = client.Post("/__control/seed", entry.seed, "application/json");
        ASSERT_TRUE(refused) << entry.seed;
        EXPECT_EQ(refused->status, 400) << entry.seed;
        EXPECT_NE(refused->body.find(entry.mentions), std::string::npos) << entry.seed << " -> " << refused->body;
    }
    EXPECT_FALSE(service.IsAccessTokenValid("partial"));

    auto seeded =
        client.Post("/__control/seed", R"({"oauth": {"refreshTokens": ["r1"]}, "calendar": {}})", "application/json");
    ASSERT_TRUE(seeded);
    EXPECT_EQ(seeded->status, 200);
    EXPECT_TRUE(service.IsRefreshTokenValid("r1"));
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(Recording, ResetForgetsTokensRequestsAndFaultsButKeepsSettings)
{
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(R"({"oauth": {"accessTokens": ["a1"], "refreshTokens": ["r1"]}})", error));
    std::string code = service.IssueAuthorizationCode();
    service.SetPageSize(4);
    service.FailNext(5, Fault{});
    ASSERT_TRUE(Client().Get("/anything"));

    auto reset = ControlClient().Post("/__control/reset");
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->status, 200);
    EXPECT_FALSE(service.IsAccessTokenValid("a1"));
    EXPECT_FALSE(service.IsRefreshTokenValid("r1"));
    EXPECT_FALSE(service.TakeAuthorizationCode(code));
    EXPECT_TRUE(service.Requests().empty());
    EXPECT_EQ(service.PageSize(), 4);
    auto after = Client().Get("/o/oauth2/approval");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 400) << "a fault survived the reset";
}

TEST(FakeServiceLifetime, ListensOnLoopbackOnlyAndRestarts)
{
    FakeService service;
    ASSERT_TRUE(service.Start()) << service.StartError();
    EXPECT_GT(service.Port(), 0);
    EXPECT_EQ(service.BaseUrl(), "http://127.0.0.1:" + std::to_string(service.Port()));
    EXPECT_FALSE(service.Start()) << "a second Start on a running service";

    // The port it holds cannot be taken by a second service.
    FakeService other;
    EXPECT_FALSE(other.Start(service.Port()));
    EXPECT_FALSE(other.StartError().empty());

    int port = service.Port();
    service.Stop();
    service.Stop(); // harmless twice
    httplib::Client refused("127.0.0.1", port);
    refused.set_connection_timeout(kClientTimeout);
    EXPECT_FALSE(refused.Get("/"));

    ASSERT_TRUE(service.Start(port)) << service.StartError();
    httplib::Client client("127.0.0.1", port);
    auto answer = client.Get("/o/oauth2/approval");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 400);
}

TEST(FakeServiceLifetime, StopDoesNotWaitForAnIdleConnection)
{
    FakeService service;
    ASSERT_TRUE(service.Start());
    // A client that connects and sends nothing would hold a worker for the whole idle limit (5 s).
    std::thread idle([port = service.Port()] { SendRaw(port, ""); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto started = std::chrono::steady_clock::now();
    service.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    idle.join();
}

} // namespace
} // namespace orb::fake::test
