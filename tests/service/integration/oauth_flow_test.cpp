#include "service/curl_transport.h"
#include "service/oauth.h"
#include "tests/support/doubles.h"
#include "tools/fake-service/fake_service.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

class OAuthFlow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.Start()) << service.StartError();
        config.accountsBase = service.BaseUrl();
        config.apiBase = service.BaseUrl();
    }

    std::size_t CountRequests(const std::string& target) const
    {
        std::size_t count = 0;
        for (const auto& request : service.Requests())
            count += request.target == target ? 1 : 0;
        return count;
    }

    fake::FakeService service;
    OAuthSession session;
    CurlTransport transport{session};
    test::RecordingDiagnostics diagnostics;
    test::ScriptedPrompter prompter;
    test::FixedClock clock;
    ServiceConfig config{"", "", "client-id", "client-secret", "urn:ietf:wg:oauth:2.0:oob:auto", ""};
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
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

TEST_F(OAuthFlow, RevokedTokenIsRefreshedExactlyOnce)
{
    ASSERT_FALSE(ExchangeAuthorizationCode(context, service.IssueAuthorizationCode()).empty());
    const std::string before = session.access_token();
    service.RevokeAccessTokens();
    service.ClearRequests();

    EnsureAccessToken(context);
    EXPECT_NE(session.access_token(), before);
    EXPECT_EQ(CountRequests("/oauth2/v1/tokeninfo"), 1u);
    EXPECT_EQ(CountRequests("/o/oauth2/token"), 1u);
    EXPECT_TRUE(service.IsAccessTokenValid(session.access_token()));
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
