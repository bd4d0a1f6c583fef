#include "tests/fake_service/fake_service_test_support.h"

#include <cctype>

namespace orb::fake::test {
namespace {

class ControlAccess : public FakeServiceTest
{
protected:
    std::string OwnHost() const { return "127.0.0.1:" + std::to_string(service.Port()); }

    // The whole answer to one request sent with exactly these header lines.
    std::string Send(const std::string& requestLine, const std::string& headers, const std::string& body = {})
    {
        return SendRaw(service.Port(), requestLine + " HTTP/1.1\r\n" + headers + "Content-Length: " +
                                           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    }
};

TEST_F(ControlAccess, TheKeyIs256RandomBitsOfItsOwnInEachService)
{
    const std::string& key = service.ControlKey();
    ASSERT_EQ(key.size(), 64u) << key;
    EXPECT_TRUE(std::all_of(key.begin(), key.end(), [](char c) { return std::isxdigit(c) && !std::isupper(c); }))
        << key;
    EXPECT_NE(FakeService().ControlKey(), key);
}

TEST_F(ControlAccess, OnlyTheKeyTheOwnHostAndNoOriginLetARequestThroughAndRefusalsChangeNothing)
{
    // A recorded client secret is what a foreign page must not read; reset is what it must not do.
    service.AddRefreshToken("kept-refresh");
    ASSERT_TRUE(PostForm("/o/oauth2/token", "client_secret=the-secret&grant_type=none"));
    const std::string key = "X-Orb-Control-Key: " + service.ControlKey() + "\r\n";
    const std::string host = "Host: " + OwnHost() + "\r\n";
    std::string wrongKey = service.ControlKey();
    wrongKey.back() = wrongKey.back() == '0' ? '1' : '0';
    struct Case
    {
        std::string headers;
        const char* reasonMentions;
    };
    const Case refused[] = {
        {host, "X-Orb-Control-Key"},
        {host + "X-Orb-Control-Key: " + wrongKey + "\r\n", "X-Orb-Control-Key"},
        {host + "X-Orb-Control-Key: " + service.ControlKey() + "0\r\n", "X-Orb-Control-Key"},
        {host + "X-Orb-Control-Key: \r\n", "X-Orb-Control-Key"},
        // A page whose host name was rebound to 127.0.0.1.
        {"Host: attacker.example:" + std::to_string(service.Port()) + "\r\n" + key, "Host"},
        {"Host: 127.0.0.1:1\r\n" + key, "Host"},
        {"Host: 127.0.0.1\r\n" + key, "Host"},
        {key, "Host"},
        // A browser's cross-site request, even with the right key and host.
        {host + key + "Origin: http://attacker.example\r\n", "Origin"},
        {host + key + "Origin: null\r\n", "Origin"},
    };
    for (const auto& entry : refused) {
        for (const char* requestLine : {"GET /__control/requests", "POST /__control/reset"}) {
            const std::string answer = Send(requestLine, entry.headers);
            EXPECT_EQ(answer.rfind("HTTP/1.1 403", 0), 0u) << requestLine << "\n" << entry.headers << answer;
            EXPECT_NE(answer.find("Content-Type: text/plain"), std::string::npos) << answer;
            EXPECT_NE(answer.find(entry.reasonMentions), std::string::npos) << answer;
            EXPECT_EQ(answer.find("the-secret"), std::string::npos) << answer;
        }
    }
    EXPECT_TRUE(service.IsRefreshTokenValid("kept-refresh"));
    ASSERT_EQ(service.Requests().size(), 1u);

    for (const std::string& ownHost :
         {OwnHost(), "localhost:" + std::to_string(service.Port()), "LocalHost:" + std::to_string(service.Port())}) {
        const std::string answer = Send("GET /__control/requests", "Host: " + ownHost + "\r\n" + key);
        EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << ownHost << "\n" << answer;
        EXPECT_NE(answer.find("client_secret=the-secret"), std::string::npos) << answer;
    }
    EXPECT_EQ(Send("POST /__control/reset", host + key).rfind("HTTP/1.1 200", 0), 0u);
    EXPECT_FALSE(service.IsRefreshTokenValid("kept-refresh"));
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(ControlAccess, ARefusedRequestsBodyIsSkippedAndTheConnectionServesTheNextOne)
{
    const std::string seed = R"({"oauth": {"refreshTokens": ["smuggled"]}})";
    const std::string admitted =
        "Host: " + OwnHost() + "\r\nX-Orb-Control-Key: " + service.ControlKey() + "\r\nConnection: close\r\n\r\n";
    const std::string answers =
        SendRaw(service.Port(), "POST /__control/seed HTTP/1.1\r\nHost: " + OwnHost() +
                                    "\r\nContent-Length: " + std::to_string(seed.size()) + "\r\n\r\n" + seed +
                                    "GET /__control/traffic HTTP/1.1\r\n" + admitted);
    EXPECT_EQ(answers.rfind("HTTP/1.1 403", 0), 0u) << answers;
    EXPECT_NE(answers.find("HTTP/1.1 200", 1), std::string::npos) << answers;
    EXPECT_NE(answers.find(R"("connections":0)"), std::string::npos) << answers;
    EXPECT_FALSE(service.IsRefreshTokenValid("smuggled"));
}

} // namespace
} // namespace orb::fake::test
