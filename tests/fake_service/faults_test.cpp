#include "tests/fake_service/fake_service_test_support.h"

#include <future>

namespace orb::fake::test {
namespace {

using Faults = FakeServiceTest;

// A route that answers 400 when it runs, so a test can tell a fault from the route.
constexpr const char* kRouted = "/o/oauth2/approval";

TEST_F(Faults, StatusFaultAnswersTheNextRequestsWithAGoogleShapedError)
{
    service.FailNext(2, Fault{FaultKind::Status, 503});
    auto client = Client();
    for (int i = 0; i < 2; ++i) {
        auto answer = client.Get(kRouted);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 503);
        Json::Value error = ParseJson(answer->body)["error"];
        EXPECT_EQ(error["code"].asInt(), 503);
        EXPECT_EQ(error["message"].asString(), "Backend Error");
        EXPECT_EQ(error["errors"][0]["domain"].asString(), "global");
        EXPECT_EQ(error["errors"][0]["reason"].asString(), "backendError");
    }
    auto routed = client.Get(kRouted);
    ASSERT_TRUE(routed);
    EXPECT_EQ(routed->status, 400);
    // Faulted requests are recorded like any other.
    EXPECT_EQ(service.Requests().size(), 3u);
}

TEST_F(Faults, FaultsQueueInOrderAndSkipControlRequests)
{
    service.FailNext(1, Fault{FaultKind::Status, 404});
    service.FailNext(1, Fault{FaultKind::Status, 401});
    auto client = ControlClient();
    auto control = client.Get("/__control/requests");
    ASSERT_TRUE(control);
    EXPECT_EQ(control->status, 200);
    EXPECT_EQ(client.Get(kRouted)->status, 404);
    EXPECT_EQ(ParseJson(client.Get(kRouted)->body)["error"]["errors"][0]["reason"].asString(), "authError");
    EXPECT_EQ(client.Get(kRouted)->status, 400);
}

TEST_F(Faults, MalformedBodyIsA200ThatIsNotJson)
{
    service.FailNext(1, Fault{FaultKind::MalformedBody});
    auto answer = PostForm("/oauth2/v1/tokeninfo", "access_token=x");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_FALSE(answer->body.empty());
    EXPECT_TRUE(ParseJson(answer->body).isNull()) << answer->body;
    // The request body was still recorded, though the route never read it.
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_EQ(service.Requests()[0].body, "access_token=x");
}

TEST_F(Faults, DropClosesTheConnectionPartWayThroughTheAnswer)
{
    service.FailNext(1, Fault{FaultKind::Drop});
    auto answer = Client().Get(kRouted);
    ASSERT_FALSE(answer);
    EXPECT_EQ(answer.error(), httplib::Error::Read);

    // On the wire: a Content-Length that promises more than arrives before the close.
    service.FailNext(1, Fault{FaultKind::Drop});
    std::string raw = SendRaw(service.Port(), "GET /x HTTP/1.1\r\nHost: h\r\n\r\n");
    auto headEnd = raw.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos) << raw;
    auto lengthAt = raw.find("Content-Length: ");
    ASSERT_NE(lengthAt, std::string::npos);
    std::size_t promised = std::stoul(raw.substr(lengthAt + 16));
    std::size_t sent = raw.size() - headEnd - 4;
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, promised);

    EXPECT_EQ(Client().Get(kRouted)->status, 400) << "the next request is served again";
}

TEST_F(Faults, StallSendsHeadersThenNothingUntilTheClientGivesUp)
{
    service.FailNext(1, Fault{FaultKind::Stall, 200, std::chrono::seconds(30)});
    auto client = Client();
    // A quarter second of silence is enough to show the stall; the client must not wait 30 s.
    client.set_read_timeout(std::chrono::milliseconds(250));
    auto started = std::chrono::steady_clock::now();
    auto answer = client.Get(kRouted);
    EXPECT_FALSE(answer);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST_F(Faults, StallThatRunsOutClosesWithoutTheBody)
{
    service.FailNext(1, Fault{FaultKind::Stall, 200, std::chrono::milliseconds(100)});
    std::string raw = SendRaw(service.Port(), "GET /x HTTP/1.1\r\nHost: h\r\n\r\n");
    EXPECT_EQ(raw.rfind("HTTP/1.1 200", 0), 0u) << raw;
    auto headEnd = raw.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    EXPECT_EQ(raw.size(), headEnd + 4) << "a stalled answer sends no body";
    EXPECT_NE(raw.find("Content-Length: "), std::string::npos);
}

TEST_F(Faults, StopEndsAStallInProgress)
{
    service.FailNext(1, Fault{FaultKind::Stall, 200, std::chrono::minutes(10)});
    auto pending = std::async(std::launch::async, [port = service.Port()] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(std::chrono::minutes(1));
        return static_cast<bool>(client.Get(kRouted));
    });
    // Wait until the stalled request has arrived.
    for (int i = 0; i < 500 && service.Requests().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(service.Requests().size(), 1u);

    auto stopped = std::async(std::launch::async, [this] { service.Stop(); });
    // Stop's promise is "promptly"; ten seconds only keeps a broken Stop from hanging the suite.
    ASSERT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "Stop waited for the stall";
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(pending.get()) << "the stalled answer must reach the client as a failure";
}

TEST_F(Faults, FaultOnARequestWithABodyLeavesTheConnectionUsable)
{
    // The body that the fault skips must not be read as the next request.
    service.FailNext(1, Fault{FaultKind::Status, 500});
    auto client = Client();
    client.set_keep_alive(true);
    httplib::Headers form{{"Content-type", "application/x-www-form-urlencoded"}};
    auto faulted = client.Post("/o/oauth2/token", form, "grant_type=refresh_token&refresh_token=r",
                               "application/x-www-form-urlencoded");
    ASSERT_TRUE(faulted);
    EXPECT_EQ(faulted->status, 500);
    auto next = client.Post("/o/oauth2/token", form, "grant_type=refresh_token&refresh_token=r",
                            "application/x-www-form-urlencoded");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->status, 400);
    EXPECT_EQ(ParseJson(next->body)["error"].asString(), "invalid_grant");
}

TEST_F(Faults, ControlInterfaceQueuesEachKindAndRefusesNonsense)
{
    auto client = ControlClient();
    struct Case
    {
        const char* request;
        int expectedStatus; // of the faulted request; 0 when the client sees a failure
    };
    const Case cases[] = {
        {R"({"count": 1, "kind": "status", "status": 429})", 429},
        {R"({"kind": "malformed"})", 200},
        {R"({"kind": "drop"})", 0},
        {R"({"kind": "stall", "stallMs": 50})", 0},
        {R"({})", 500},
    };
    for (const auto& entry : cases) {
        auto set = client.Post("/__control/fail", entry.request, "application/json");
        ASSERT_TRUE(set) << entry.request;
        ASSERT_EQ(set->status, 200) << entry.request << " -> " << set->body;
        auto faulted = client.Get(kRouted);
        if (entry.expectedStatus == 0) {
            EXPECT_FALSE(faulted) << entry.request;
        } else {
            ASSERT_TRUE(faulted) << entry.request;
            EXPECT_EQ(faulted->status, entry.expectedStatus) << entry.request;
        }
    }

    for (const char* nonsense :
         {"not json", "[]", R"({"kind": "explode"})", R"({"kind": 3})", R"({"count": 0})", R"({"status": 99})",
          R"({"status": 600})", R"({"stallMs": -1})", R"({"count": "two"})", R"({"path": 5})"}) {
        auto refused = client.Post("/__control/fail", nonsense, "application/json");
        ASSERT_TRUE(refused) << nonsense;
        EXPECT_EQ(refused->status, 400) << nonsense;
    }
    EXPECT_EQ(client.Get(kRouted)->status, 400) << "a refused fault must not be queued";

    // A fault aimed at one path lets every other request by and waits for its own.
    ASSERT_EQ(
        client.Post("/__control/fail", R"({"status": 503, "path": "/o/oauth2/auth"})", "application/json")->status,
        200);
    EXPECT_EQ(client.Get(kRouted)->status, 400);
    EXPECT_EQ(client.Get("/o/oauth2/auth")->status, 503);
    EXPECT_EQ(client.Get("/o/oauth2/auth")->status, 400);

    // A pattern: '*' stands for any characters, and only what matches meets the fault.
    service.FailNext(2, Fault{FaultKind::Status, 502, std::chrono::seconds(1), "/o/*/a*th?"});
    EXPECT_EQ(client.Get("/o/oauth2/auth")->status, 400) << "no '?' follows";
    EXPECT_EQ(client.Get("/o/oauth2/auth?x=1")->status, 502);
    EXPECT_EQ(client.Get("/x/o/oauth2/approval/auth?")->status, 502);
    EXPECT_EQ(client.Get("/o/oauth2/auth?x=1")->status, 400);
}

} // namespace
} // namespace orb::fake::test
