#include "tests/fake_service/fake_service_test_support.h"

#include "tools/fake-service/compressed_answer.h"

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

namespace orb::fake::test {
namespace {

using Traffic = FakeServiceTest;
using std::chrono::milliseconds;

// A route that answers at once (400) whatever it is sent.
constexpr const char* kRouted = "/o/oauth2/approval";
constexpr const char* kCal3Events = "/calendar/v3/calendars/cal3%40example.com/events";

TEST_F(Traffic, RequestsSentSideBySideAreAnsweredSideBySide)
{
    // More clients than the program's 16 connections, so a pool sized just for those would show.
    constexpr int kClients = 24;
    // Long enough that every client has sent before the first answer, even on a loaded machine.
    service.SetLatency(milliseconds(500));
    std::latch ready(kClients);
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([&] {
            auto client = Client();
            ready.arrive_and_wait();
            EXPECT_TRUE(client.Get(kRouted));
        });
    }
    for (auto& client : clients) {
        client.join();
    }
    EXPECT_EQ(service.PeakInFlight(), kClients);
    EXPECT_EQ(service.InFlightCount(), 0);
    EXPECT_EQ(service.ConnectionCount(), kClients);
}

TEST_F(Traffic, AKeptAliveConnectionCountsOnceAndControlRequestsNotAtAll)
{
    auto client = ControlClient();
    client.set_keep_alive(true);
    // Sixteen requests: more than httplib's default of five per connection.
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(client.Get("/__control/requests"));
        ASSERT_TRUE(client.Get(kRouted));
    }
    EXPECT_EQ(service.ConnectionCount(), 1);
    ASSERT_TRUE(Client().Get(kRouted));
    auto traffic = ControlClient().Get("/__control/traffic");
    ASSERT_TRUE(traffic);
    EXPECT_EQ(ParseJson(traffic->body), ParseJson(R"({"connections": 2, "inFlight": 0, "peakInFlight": 1})"));

    ASSERT_EQ(ControlClient().Post("/__control/traffic/reset")->status, 200);
    EXPECT_EQ(service.PeakInFlight(), 0);
    ASSERT_TRUE(client.Get(kRouted));
    EXPECT_EQ(service.ConnectionCount(), 0) << "a warm connection is not opened again";
}

TEST_F(Traffic, PathLatencyOverridesTheGlobalOneForMatchingTargetsOnly)
{
    // Any request the rule misses waits this long; the matching one is sent later and must come back first.
    service.SetLatency(milliseconds(800));
    auto client = ControlClient();
    ASSERT_EQ(client.Post("/__control/latency?ms=0&path=cal3%40example.com")->status, 200);
    std::atomic<bool> slowAnswered{false};
    std::thread slow([&] {
        EXPECT_TRUE(Client().Get(kRouted));
        slowAnswered = true;
    });
    for (int i = 0; i < 500 && service.InFlightCount() == 0; ++i) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    ASSERT_TRUE(client.Get(kCal3Events)); // 401: no token
    EXPECT_FALSE(slowAnswered) << "the matching request waited for the global latency";
    slow.join();

    // The first rule added that matches wins; setting its text again changes it in place.
    service.SetPathLatency("/calendars/", milliseconds(50));
    EXPECT_EQ(service.LatencyFor(kCal3Events), milliseconds(0));
    EXPECT_EQ(service.LatencyFor("/calendar/v3/calendars/cal4/events"), milliseconds(50));
    service.SetPathLatency("cal3@example.com", milliseconds(70));
    EXPECT_EQ(service.LatencyFor(kCal3Events), milliseconds(70));

    EXPECT_EQ(client.Post("/__control/latency?ms=5&path=")->status, 400);
    ASSERT_EQ(client.Post("/__control/reset")->status, 200);
    EXPECT_EQ(service.LatencyFor(kCal3Events), milliseconds(800));
    EXPECT_EQ(service.ConnectionCount(), 0);
}

TEST_F(Traffic, ControlPostsNeedNoBody)
{
    // Two bodiless POSTs on one connection: the first must neither wait for a body nor take the second as one.
    const std::string admitted =
        "Host: 127.0.0.1:" + std::to_string(service.Port()) + "\r\nX-Orb-Control-Key: " + service.ControlKey() + "\r\n";
    std::string answers = SendRaw(service.Port(), "POST /__control/latency?ms=7 HTTP/1.1\r\n" + admitted +
                                                      "\r\nPOST /__control/page-size?size=9 HTTP/1.1\r\n" + admitted +
                                                      "Connection: close\r\n\r\n");
    EXPECT_NE(answers.find("HTTP/1.1 200", 1), std::string::npos) << answers;
    EXPECT_EQ(service.Latency(), milliseconds(7));
    EXPECT_EQ(service.PageSize(), 9);
}

TEST_F(Traffic, GzipIsSentOnlyWhenAskedForAndInflatesToThePlainAnswer)
{
    std::string seed = R"({"oauth": {"accessTokens": ["t"]}, "calendar": {"calendars": [{"id": "c", "summary": ")" +
                       std::string(kSmallestCompressedBody, 'x') + "\"}]}}";
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(seed, error)) << error;
    auto get = [this](bool inflate, const std::string& target, const char* acceptEncoding) {
        auto client = Client();
        client.set_decompress(inflate);
        httplib::Headers headers{{"Authorization", "Bearer t"}, {"Accept-Encoding", acceptEncoding}};
        auto answer = client.Get(target, headers);
        return answer ? *answer : httplib::Response();
    };
    const std::string list = "/calendar/v3/users/me/calendarList";
    auto plain = get(false, list, "identity");
    ASSERT_GE(plain.body.size(), kSmallestCompressedBody);
    auto zipped = get(false, list, "deflate, gzip;q=0.5");
    EXPECT_EQ(zipped.get_header_value("Content-Encoding"), "gzip");
    EXPECT_LT(zipped.body.size(), plain.body.size());
    EXPECT_EQ(get(true, list, "gzip").body, plain.body);

    EXPECT_EQ(get(false, list, "gzip;q=0").body, plain.body);
    auto small = get(false, "/calendar/v3/calendars/none/events", "gzip");
    EXPECT_FALSE(small.has_header("Content-Encoding")) << "below the smallest compressed body";
}

} // namespace
} // namespace orb::fake::test
