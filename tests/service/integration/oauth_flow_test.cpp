#include "service/oauth.h"
#include "tests/support/stand_in.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace orb {
namespace {

class OAuthFlow : public ::testing::Test, protected test::StandInServices
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(StartStandIn(error)) << error;
    }
};

TEST_F(OAuthFlow, ApprovedCodeSignsInAndTheTokenChecksOut)
{
    const std::string code = service.IssueAuthorizationCode();
    const std::string access = ExchangeAuthorizationCode(context, code);
    ASSERT_FALSE(access.empty());
    EXPECT_FALSE(session.refresh_token().empty());
    EXPECT_EQ(session.token_type(), "Bearer");
    EXPECT_GT(CheckAccessToken(context, access), 0);

    // A code works once: the second exchange is refused and the caller must sign in again.
    EXPECT_EQ(ExchangeAuthorizationCode(context, code), "");
}

TEST_F(OAuthFlow, ATokenRefusedWith401IsRenewedOnceForEveryoneAndTheRequestsRepeated)
{
    ASSERT_FALSE(ExchangeAuthorizationCode(context, service.IssueAuthorizationCode()).empty());
    const std::string before = session.access_token();
    service.RevokeAccessTokens();
    service.ClearRequests();

    // Its expiry is known and not reached: nothing is asked before the requests.
    EnsureAccessToken(context);
    std::vector<std::thread> requests;
    std::atomic<int> answered = 0;
    for (int i = 0; i < 4; ++i) {
        requests.emplace_back([&] {
            std::string answer;
            const TransportResult result =
                context.transport.HttpGet(config.apiBase + "/calendar/v3/users/me/calendarList", "", answer);
            answered += result.status == 200 ? 1 : 0;
        });
    }
    for (std::thread& request : requests)
        request.join();
    EXPECT_EQ(answered, 4);
    EXPECT_NE(session.access_token(), before);
    EXPECT_EQ(CountRequests("/oauth2/v1/tokeninfo"), 0u);
    EXPECT_EQ(CountRequests("/o/oauth2/token"), 1u);

    // A second 401 after the renewal is an answer like any other.
    service.RevokeAccessTokens();
    service.RevokeRefreshTokens();
    std::string answer;
    EXPECT_EQ(context.transport.HttpGet(config.apiBase + "/calendar/v3/users/me/calendarList", "", answer).status, 401);
}

TEST_F(OAuthFlow, UnknownRefreshTokenLeavesTheUserSignedOut)
{
    EXPECT_EQ(RefreshAccessToken(context, "1//not-issued"), "");
    EXPECT_EQ(session.access_token(), "");
}

TEST_F(OAuthFlow, MalformedAnswerLeavesTheSessionAsItWas)
{
    session.set_tokens("kept", "Bearer");
    service.FailNext(1, fake::Fault{fake::FaultKind::MalformedBody});
    EXPECT_EQ(RefreshAccessToken(context, "1//anything"), "kept");
    EXPECT_EQ(session.access_token(), "kept");
}

} // namespace
} // namespace orb
