#include "service/oauth.h"
#include "tests/support/doubles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace orb {
namespace {

class TokenOperations : public ::testing::Test
{
protected:
    test::ScriptedServiceContext services;
    ServiceContext& context = services.context;
    test::ScriptedTransport& transport = services.transport;
};

TEST_F(TokenOperations, CheckSendsTheTokenAndStoresSecondsLeft)
{
    transport.Queue("{\"expires_in\": 12}");
    EXPECT_EQ(CheckAccessToken(context, "tok/en"), 12);
    EXPECT_EQ(services.session.expires_in(), 12);
    ASSERT_EQ(transport.requests.size(), 1u);
    const HttpRequest& sent = transport.requests[0];
    EXPECT_EQ(sent.verb, "POST");
    EXPECT_EQ(sent.url, "https://api.test/oauth2/v1/tokeninfo");
    EXPECT_EQ(sent.body, "access_token=tok/en");
    EXPECT_EQ(sent.headerBlock, "Content-type: application/x-www-form-urlencoded\r\n\r\n\r\n");
    // The answer itself is written as a diagnostic line.
    EXPECT_TRUE(services.diagnostics.Contains("{\"expires_in\": 12}"));
}

TEST_F(TokenOperations, CheckRefusalsAndFailures)
{
    transport.Queue("{\"error\": \"invalid_token\"}", 400);
    EXPECT_EQ(CheckAccessToken(context, "t"), kTokenCheckFailed);
    transport.Queue("{\"error\": {\"code\": 401}}", 401);
    EXPECT_EQ(CheckAccessToken(context, "t"), kTokenCheckFailed);
    transport.QueueFailure(12029);
    EXPECT_EQ(CheckAccessToken(context, "t"), kTokenCheckFailed);
    EXPECT_TRUE(services.diagnostics.Contains("Send_Internet Fail : (Cannot connect)12029"));
    // Not JSON: the last known seconds, unchanged.
    services.session.set_expires_in(77);
    transport.Queue("<html>502 Bad Gateway</html>", 502);
    EXPECT_EQ(CheckAccessToken(context, "t"), 77);
    transport.Queue("[1,2]");
    EXPECT_EQ(CheckAccessToken(context, "t"), 77);
    // Nested past the limit: refused, never a crash.
    transport.Queue(std::string(1200, '['));
    EXPECT_EQ(CheckAccessToken(context, "t"), 77);
    // An empty "error" member is no refusal.
    transport.Queue("{\"error\": \"\", \"expires_in\": 5}");
    EXPECT_EQ(CheckAccessToken(context, "t"), 5);
}

TEST_F(TokenOperations, RefreshSendsTheFormAndTakesNewTokens)
{
    services.session.set_refresh_token("keep-me");
    transport.Queue("{\"access_token\": \"new-access\", \"token_type\": \"Bearer\", \"expires_in\": 3599}");
    EXPECT_EQ(RefreshAccessToken(context, "1//refresh"), "new-access");
    EXPECT_EQ(transport.requests[0].url, "https://accounts.test/o/oauth2/token");
    EXPECT_EQ(transport.requests[0].body, "refresh_token=1//refresh&client_id=client-id&client_secret=client-secret"
                                          "&redirect_uri=urn:test:redirect&grant_type=refresh_token");
    EXPECT_EQ(services.session.access_token(), "new-access");
    EXPECT_EQ(services.session.token_type(), "Bearer");
    EXPECT_EQ(services.session.refresh_token(), "keep-me");
}

TEST_F(TokenOperations, RefreshRefusalsLeaveOrEmptyTheSessionAsDocumented)
{
    // An error object: refused, session untouched.
    transport.Queue("{\"error\": {\"message\": \"revoked\"}}", 400);
    EXPECT_EQ(RefreshAccessToken(context, "r"), "");
    EXPECT_EQ(services.session.access_token(), "access-1");

    // Not JSON at all (an HTML error page, an empty body): unchanged, current token back.
    transport.Queue("<!DOCTYPE html><title>Error</title>", 500);
    EXPECT_EQ(RefreshAccessToken(context, "r"), "access-1");
    transport.Queue("", 200);
    EXPECT_EQ(RefreshAccessToken(context, "r"), "access-1");
    transport.Queue(std::string(4 << 20, '{'));
    EXPECT_EQ(RefreshAccessToken(context, "r"), "access-1");
    transport.Queue(std::string(1200, '[') + std::string(1200, ']'));
    EXPECT_EQ(RefreshAccessToken(context, "r"), "access-1");
    EXPECT_EQ(services.session.token_type(), "Bearer");

    // Transport failure: empty result, session unchanged.
    transport.QueueFailure(12007);
    EXPECT_EQ(RefreshAccessToken(context, "r"), "");
    EXPECT_EQ(services.session.access_token(), "access-1");

    // A string error without a token empties both fields: the caller signs in again.
    transport.Queue("{\"error\": \"invalid_grant\", \"error_description\": \"Bad Request\"}", 400);
    EXPECT_EQ(RefreshAccessToken(context, "r"), "");
    EXPECT_EQ(services.session.access_token(), "");
    EXPECT_EQ(services.session.token_type(), "");
}

TEST_F(TokenOperations, OnlyABearerTokenOfVisibleCharactersIsTaken)
{
    // A line break would become header lines of the service's choosing in every request.
    for (const char* answer : {R"({"access_token": "a\r\nX-Forwarded-For: 1", "token_type": "Bearer"})",
                               R"({"access_token": "a b", "token_type": "Bearer"})",
                               R"({"access_token": "a\u00e9", "token_type": "Bearer"})",
                               R"({"access_token": "a", "token_type": "MAC"})", R"({"access_token": "a"})"}) {
        transport.Queue(answer);
        const TokenRenewal renewal = RenewAccessToken(context, "r");
        EXPECT_FALSE(renewal.granted) << answer;
        EXPECT_EQ(renewal.failure, "the sign-in service's answer could not be read") << answer;
        EXPECT_EQ(services.session.AuthorizationLine(), "Authorization: Bearer access-1\r\n") << answer;
    }
    transport.Queue(R"({"access_token": "ya29.A-b_c~d/e+f=", "token_type": "bEARER"})");
    EXPECT_TRUE(RenewAccessToken(context, "r").granted);
    EXPECT_EQ(services.session.AuthorizationLine(), "Authorization: bEARER ya29.A-b_c~d/e+f=\r\n");
}

TEST_F(TokenOperations, RevokeSendsTheTokenAndAFailureIsOnlyALine)
{
    services.config.revokeUri = "https://accounts.test/revoke";
    transport.Queue("{}");
    EXPECT_TRUE(RevokeToken(context, "1//r&t"));
    ASSERT_EQ(transport.requests.size(), 1u);
    EXPECT_EQ(transport.requests[0].verb, "POST");
    EXPECT_EQ(transport.requests[0].url, "https://accounts.test/revoke");
    EXPECT_EQ(transport.requests[0].body, "token=1%2F%2Fr%26t");
    EXPECT_EQ(transport.requests[0].headerBlock, "Content-type: application/x-www-form-urlencoded\r\n\r\n\r\n");

    transport.Queue(R"({"error": "invalid_token", "error_description": "Token expired or revoked"})", 400);
    EXPECT_FALSE(RevokeToken(context, "old"));
    EXPECT_TRUE(services.diagnostics.Contains("Token Revoke Fail : 400 Token expired or revoked"));
    transport.QueueFailure(12029);
    EXPECT_FALSE(RevokeToken(context, "old"));
    EXPECT_TRUE(services.diagnostics.Contains("Token Revoke Fail : (Cannot connect)12029"));
    // Nowhere to revoke: nothing is sent.
    services.config.revokeUri.clear();
    EXPECT_TRUE(RevokeToken(context, "old"));
    EXPECT_EQ(transport.requests.size(), 3u);
}

TEST_F(TokenOperations, ExchangeTakesAllThreeTokens)
{
    transport.Queue("{\"access_token\": \"a2\", \"token_type\": \"Bearer\", \"refresh_token\": \"r2\"}");
    EXPECT_EQ(ExchangeAuthorizationCode(context, "4/abc"), "a2");
    EXPECT_EQ(transport.requests[0].body, "code=4/abc&client_id=client-id&client_secret=client-secret"
                                          "&redirect_uri=urn:test:redirect&grant_type=authorization_code");
    EXPECT_EQ(services.session.refresh_token(), "r2");

    transport.Queue("{\"error\": [\"denied\"]}", 400);
    EXPECT_EQ(ExchangeAuthorizationCode(context, "bad"), "");
    EXPECT_EQ(services.session.refresh_token(), "r2");
}

TEST_F(TokenOperations, EnsureRefreshesExactlyOnceAfterAFailedCheck)
{
    transport.Queue("{\"error\": \"invalid_token\"}", 400);
    transport.Queue("{\"error\": {\"message\": \"revoked\"}}", 400);
    EnsureAccessToken(context);
    ASSERT_EQ(transport.requests.size(), 2u);
    EXPECT_EQ(transport.requests[0].body, "access_token=access-1");
    EXPECT_NE(transport.requests[1].body.find("refresh_token=refresh-1&"), std::string::npos);

    // A small number of seconds left is still good enough: no refresh.
    transport.Queue("{\"expires_in\": 0}");
    EnsureAccessToken(context);
    EXPECT_EQ(transport.requests.size(), 3u);
}

TEST_F(TokenOperations, AKnownExpiryAsksNothingUntilItPassesThenRenewsOnce)
{
    transport.Queue(R"({"access_token": "access-2", "token_type": "Bearer", "expires_in": 3600})");
    ASSERT_TRUE(RenewAccessToken(context, "refresh-1").granted);
    transport.requests.clear();

    EnsureAccessToken(context); // 09:30, the token good until 10:29
    EXPECT_TRUE(transport.requests.empty()) << "no token check while the expiry is known";

    services.clock.Set({2026, 12, 8, 10, 29, 0});
    transport.Queue(R"({"access_token": "access-3", "token_type": "Bearer", "expires_in": 3600})");
    EnsureAccessToken(context);
    ASSERT_EQ(transport.requests.size(), 1u);
    EXPECT_NE(transport.requests[0].body.find("grant_type=refresh_token"), std::string::npos);
    EXPECT_EQ(context.session.access_token(), "access-3");

    // A refresh token the service no longer honours is told apart from a failure.
    transport.Queue(R"({"error": "invalid_grant", "error_description": "Token has been expired or revoked."})", 400);
    const TokenRenewal revoked = RenewAccessToken(context, "refresh-1");
    EXPECT_FALSE(revoked.granted);
    EXPECT_TRUE(revoked.revoked);
    EXPECT_EQ(revoked.failure, "Token has been expired or revoked.");
}

TEST(OAuthSessionTokens, ReadersNeverSeeATornToken)
{
    OAuthSession session;
    session.set_tokens("aaaa", "Bearer");
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            session.set_tokens(i % 2 ? "bbbbbbbb" : "aaaa", i % 2 ? "MAC" : "Bearer");
        stop = true;
    });
    int torn = 0;
    while (!stop) {
        const std::string line = session.AuthorizationLine();
        if (line != "Authorization: Bearer aaaa\r\n" && line != "Authorization: MAC bbbbbbbb\r\n")
            ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}

TEST(LoginPage, ConsentAddressAndApprovalRules)
{
    ServiceConfig config{"", "https://api.test", "id-1", "s", "urn:r", "", "", ""};
    config.SetAccountsBase("https://accounts.test");
    EXPECT_EQ(ConsentPageUrl(config), "https://accounts.test/o/oauth2/auth?response_type=code"
                                      "&scope=https://api.test/auth/calendar+https://api.test/auth/tasks"
                                      "&redirect_uri=urn:r&client_id=id-1&include_granted_scopes=false");
    EXPECT_TRUE(IsApprovalPage("https://accounts.test/o/oauth2/approval", config));
    EXPECT_TRUE(IsApprovalPage("https://accounts.test/o/oauth2/approval?as=x&hl=ko", config));
    EXPECT_FALSE(IsApprovalPage("https://accounts.test/o/oauth2/Approval", config));
    EXPECT_FALSE(IsApprovalPage("https://accounts.test/o/oauth2/approval/v2", config));
    EXPECT_FALSE(IsApprovalPage("https://accounts.test/o/oauth2/auth?x=/o/oauth2/approval", config));
}

TEST(LoginPage, CodeFromTitle)
{
    EXPECT_EQ(CodeFromTitle("Success code=4/0Ab_x-Y/z"), "4/0Ab_x-Y/z");
    EXPECT_EQ(CodeFromTitle("Success code=abc=def"), "abc");
    EXPECT_EQ(CodeFromTitle("Denied error=access_denied"), "access_denied");
    EXPECT_EQ(CodeFromTitle("No code here"), "");
    EXPECT_EQ(CodeFromTitle("trailing="), "");
}

} // namespace
} // namespace orb
