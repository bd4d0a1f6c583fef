#include "tests/fake_service/fake_service_test_support.h"

#include <algorithm>

namespace orb::fake::test {
namespace {

// The program's own values, written into requests without any encoding as it does.
constexpr const char* kClientId = "123456789012-abcdefghijklmnopqrstuvwxyz012345.apps.example";
constexpr const char* kClientSecret = "secret-of-24-characters";
constexpr const char* kRedirectUri = "urn:ietf:wg:oauth:2.0:oob:auto";

class OAuthFlow : public FakeServiceTest
{
protected:
    std::string Scope() const { return service.BaseUrl() + "/auth/calendar+" + service.BaseUrl() + "/auth/tasks"; }

    std::string ConsentTarget() const
    {
        return std::string("/o/oauth2/auth?response_type=code&scope=") + Scope() + "&redirect_uri=" + kRedirectUri +
               "&client_id=" + kClientId + "&include_granted_scopes=false";
    }

    // Follows the consent page's link with the given id and returns the page it leads to.
    std::string FollowConsentLink(const std::string& id)
    {
        auto consent = Client().Get(ConsentTarget());
        EXPECT_TRUE(consent) << consent.error();
        if (!consent) {
            return {};
        }
        EXPECT_EQ(consent->status, 200);
        std::string marker = "id=\"" + id + "\" href=\"";
        auto start = consent->body.find(marker);
        EXPECT_NE(start, std::string::npos) << consent->body;
        if (start == std::string::npos) {
            return {};
        }
        start += marker.size();
        std::string href = consent->body.substr(start, consent->body.find('"', start) - start);
        for (std::size_t at = href.find("&amp;"); at != std::string::npos; at = href.find("&amp;", at + 1)) {
            href.replace(at, 5, "&");
        }
        auto page = Client().Get(href);
        EXPECT_TRUE(page) << page.error();
        return page ? page->body : std::string();
    }

    // The code from an approval page title, the way the program cuts it.
    std::string SignInCode()
    {
        std::string title = PageTitle(FollowConsentLink("allow"));
        EXPECT_EQ(title.rfind("Success code=", 0), 0u) << title;
        return title.substr(title.find('=') + 1);
    }

    Json::Value Exchange(const std::string& code, int expectedStatus)
    {
        auto answer =
            PostForm("/o/oauth2/token", "code=" + code + "&client_id=" + kClientId + "&client_secret=" + kClientSecret +
                                            "&redirect_uri=" + kRedirectUri + "&grant_type=authorization_code");
        EXPECT_TRUE(answer);
        EXPECT_EQ(answer ? answer->status : 0, expectedStatus);
        return answer ? ParseJson(answer->body) : Json::Value();
    }

    Json::Value Refresh(const std::string& refreshToken, int expectedStatus)
    {
        auto answer = PostForm("/o/oauth2/token", "refresh_token=" + refreshToken + "&client_id=" + kClientId +
                                                      "&client_secret=" + kClientSecret +
                                                      "&redirect_uri=" + kRedirectUri + "&grant_type=refresh_token");
        EXPECT_TRUE(answer);
        EXPECT_EQ(answer ? answer->status : 0, expectedStatus);
        return answer ? ParseJson(answer->body) : Json::Value();
    }

    std::pair<int, std::string> Revoke(const std::string& body)
    {
        auto answer = PostForm("/o/oauth2/revoke", body);
        return {answer ? answer->status : 0, answer ? answer->body : std::string()};
    }

    int ApiStatus(const std::string& accessToken)
    {
        auto answer = Client().Get("/calendar/v3/users/me/calendarList", {{"Authorization", "Bearer " + accessToken}});
        return answer ? answer->status : 0;
    }

    Json::Value TokenInfo(const std::string& accessToken, int expectedStatus)
    {
        auto answer = PostForm("/oauth2/v1/tokeninfo", "access_token=" + accessToken);
        EXPECT_TRUE(answer);
        EXPECT_EQ(answer ? answer->status : 0, expectedStatus);
        return answer ? ParseJson(answer->body) : Json::Value();
    }
};

TEST_F(OAuthFlow, SignInRunsFromConsentThroughExchangeCheckAndRefresh)
{
    std::string code = SignInCode();
    // Google's codes hold a slash; the program must carry it through unencoded.
    EXPECT_NE(code.find('/'), std::string::npos);

    Json::Value tokens = Exchange(code, 200);
    std::string accessToken = tokens["access_token"].asString();
    std::string refreshToken = tokens["refresh_token"].asString();
    EXPECT_FALSE(accessToken.empty());
    EXPECT_FALSE(refreshToken.empty());
    EXPECT_EQ(tokens["token_type"].asString(), "Bearer");
    EXPECT_EQ(tokens["expires_in"].asInt(), 3600); // the token lifetime, an hour unless set
    // The "+" between the scopes of the unencoded query is a space once decoded.
    EXPECT_EQ(tokens["scope"].asString(), service.BaseUrl() + "/auth/calendar " + service.BaseUrl() + "/auth/tasks");

    Json::Value info = TokenInfo(accessToken, 200);
    EXPECT_FALSE(info.isMember("error"));
    EXPECT_GT(info["expires_in"].asInt(), 3500);
    EXPECT_LE(info["expires_in"].asInt(), 3600);
    EXPECT_EQ(info["issued_to"].asString(), kClientId);
    EXPECT_EQ(info["audience"].asString(), kClientId);
    EXPECT_EQ(info["access_type"].asString(), "offline");

    Json::Value refreshed = Refresh(refreshToken, 200);
    std::string renewed = refreshed["access_token"].asString();
    EXPECT_FALSE(renewed.empty());
    EXPECT_NE(renewed, accessToken);
    EXPECT_EQ(refreshed["token_type"].asString(), "Bearer");
    EXPECT_FALSE(refreshed.isMember("refresh_token"));
    EXPECT_EQ(TokenInfo(renewed, 200)["issued_to"].asString(), kClientId);
}

TEST_F(OAuthFlow, ACodeWorksOnceAndUnknownGrantsAreRefusedWithAStringError)
{
    std::string code = SignInCode();
    Exchange(code, 200);

    Json::Value again = Exchange(code, 400);
    EXPECT_EQ(again["error"].asString(), "invalid_grant");
    EXPECT_FALSE(again.isMember("access_token"));

    Json::Value unknownCode = Exchange("4/never-issued", 400);
    EXPECT_EQ(unknownCode["error"].asString(), "invalid_grant");

    // The program treats only a string "error" with no "access_token" as a refused refresh.
    Json::Value refused = Refresh("1//never-issued", 400);
    ASSERT_TRUE(refused["error"].isString());
    EXPECT_EQ(refused["error"].asString(), "invalid_grant");
    EXPECT_EQ(refused["error_description"].asString(), "Token has been expired or revoked.");
    EXPECT_FALSE(refused.isMember("access_token"));
}

TEST_F(OAuthFlow, DenyGivesAnApprovalTitleWithoutACode)
{
    EXPECT_EQ(PageTitle(FollowConsentLink("deny")), "Denied error=access_denied");
}

TEST_F(OAuthFlow, PagesWithMissingOrWrongParametersAre400Pages)
{
    const char* targets[] = {
        "/o/oauth2/auth?response_type=code&scope=a&redirect_uri=r",              // no client_id
        "/o/oauth2/auth?response_type=token&scope=a&redirect_uri=r&client_id=c", // only code is served
        "/o/oauth2/auth?response_type=code&redirect_uri=r&client_id=c",          // no scope
        "/o/oauth2/approval?client_id=c&scope=a&redirect_uri=r",                 // no decision
        "/o/oauth2/approval?client_id=c&scope=a&redirect_uri=r&decision=maybe",
        "/o/oauth2/approval?client_id=c&redirect_uri=r&decision=allow", // nothing to grant
    };
    for (const char* target : targets) {
        auto page = Client().Get(target);
        ASSERT_TRUE(page) << target;
        EXPECT_EQ(page->status, 400) << target;
        EXPECT_EQ(page->get_header_value("Content-Type").rfind("text/html", 0), 0u) << target;
        // A title without "=" gives the program an empty code.
        EXPECT_EQ(PageTitle(page->body).find('='), std::string::npos) << target;
    }
}

TEST_F(OAuthFlow, TokenEndpointRefusesBadGrantsAndMismatchedRequests)
{
    auto noGrant = PostForm("/o/oauth2/token", "code=x&client_id=c");
    ASSERT_TRUE(noGrant);
    EXPECT_EQ(noGrant->status, 400);
    EXPECT_EQ(ParseJson(noGrant->body)["error"].asString(), "unsupported_grant_type");

    auto otherGrant = PostForm("/o/oauth2/token", "grant_type=password&username=u");
    ASSERT_TRUE(otherGrant);
    EXPECT_EQ(ParseJson(otherGrant->body)["error"].asString(), "unsupported_grant_type");

    auto noCode = PostForm("/o/oauth2/token", "grant_type=authorization_code&client_id=c");
    ASSERT_TRUE(noCode);
    EXPECT_EQ(ParseJson(noCode->body)["error"].asString(), "invalid_request");

    // A code is bound to the client and redirect address that asked for it.
    std::string code = SignInCode();
    auto otherClient = PostForm("/o/oauth2/token", "code=" + code + "&client_id=someone-else&redirect_uri=" +
                                                       std::string(kRedirectUri) + "&grant_type=authorization_code");
    ASSERT_TRUE(otherClient);
    EXPECT_EQ(ParseJson(otherClient->body)["error"].asString(), "invalid_grant");

    code = SignInCode();
    auto otherRedirect = PostForm("/o/oauth2/token", "code=" + code + "&client_id=" + std::string(kClientId) +
                                                         "&redirect_uri=urn:other&grant_type=authorization_code");
    ASSERT_TRUE(otherRedirect);
    EXPECT_EQ(ParseJson(otherRedirect->body)["error"].asString(), "redirect_uri_mismatch");
}

TEST_F(OAuthFlow, FormValuesAreDecodedWhenEncoded)
{
    std::string code = SignInCode();
    std::string encoded = code;
    encoded.replace(encoded.find('/'), 1, "%2F");
    Json::Value tokens = Exchange(encoded, 200);
    EXPECT_FALSE(tokens["access_token"].asString().empty());
}

TEST_F(OAuthFlow, TokenCheckRefusesUnknownEmptyAndRevokedTokens)
{
    Json::Value tokens = Exchange(SignInCode(), 200);
    std::string accessToken = tokens["access_token"].asString();

    EXPECT_EQ(TokenInfo("ya29.never-issued", 400)["error"].asString(), "invalid_token");
    EXPECT_EQ(TokenInfo("", 400)["error_description"].asString(), "Invalid Value");
    auto missing = PostForm("/oauth2/v1/tokeninfo", "");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(ParseJson(missing->body)["error"].isString());

    auto revoke = ControlClient().Post("/__control/revoke-tokens");
    ASSERT_TRUE(revoke);
    EXPECT_EQ(revoke->status, 200);
    EXPECT_EQ(TokenInfo(accessToken, 400)["error"].asString(), "invalid_token");
    // Revoking access tokens leaves the refresh token, so the program can sign in again quietly.
    EXPECT_FALSE(Refresh(tokens["refresh_token"].asString(), 200)["access_token"].asString().empty());
}

TEST_F(OAuthFlow, RevokingARefreshTokenEndsItAndTheAccessTokensIssuedFromItOnly)
{
    Json::Value first = Exchange(SignInCode(), 200);
    const std::string refreshToken = first["refresh_token"].asString();
    const std::string renewed = Refresh(refreshToken, 200)["access_token"].asString();
    Json::Value other = Exchange(SignInCode(), 200);
    ASSERT_EQ(ApiStatus(renewed), 200);

    auto [status, body] = Revoke("token=" + refreshToken);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(ParseJson(body), Json::Value(Json::objectValue)) << body;
    Json::Value refused = Refresh(refreshToken, 400);
    EXPECT_EQ(refused["error"].asString(), "invalid_grant");
    EXPECT_EQ(refused["error_description"].asString(), "Token has been expired or revoked.");
    EXPECT_EQ(ApiStatus(first["access_token"].asString()), 401);
    EXPECT_EQ(ApiStatus(renewed), 401);
    // Another sign-in of the same client is another grant.
    EXPECT_EQ(ApiStatus(other["access_token"].asString()), 200);
    Refresh(other["refresh_token"].asString(), 200);

    // Recorded like any request: a test can see that the program revoked, and what.
    const auto requests = service.Requests();
    ASSERT_FALSE(requests.empty());
    const auto revoke = std::find_if(requests.begin(), requests.end(),
                                     [](const RecordedRequest& r) { return r.target == "/o/oauth2/revoke"; });
    ASSERT_NE(revoke, requests.end());
    EXPECT_EQ(revoke->method, "POST");
    EXPECT_EQ(revoke->body, "token=" + refreshToken);
}

TEST_F(OAuthFlow, RevokingAnAccessTokenEndsItsRefreshTokenAndUnknownTokensAre400)
{
    Json::Value tokens = Exchange(SignInCode(), 200);
    const std::string accessToken = tokens["access_token"].asString();
    const std::string refreshToken = tokens["refresh_token"].asString();

    // Tokens go in the body only, never in the address.
    for (const auto& [target, body] : {std::pair<std::string, std::string>{"/o/oauth2/revoke?token=" + accessToken, ""},
                                       {"/o/oauth2/revoke", "token="},
                                       {"/o/oauth2/revoke", "access_token=" + accessToken}}) {
        auto answer = PostForm(target, body);
        ASSERT_TRUE(answer) << target;
        EXPECT_EQ(answer->status, 400) << target << " " << body;
        EXPECT_EQ(ParseJson(answer->body)["error"].asString(), "invalid_request") << answer->body;
    }
    EXPECT_EQ(ApiStatus(accessToken), 200);

    EXPECT_EQ(Revoke("token=" + accessToken).first, 200);
    EXPECT_EQ(ApiStatus(accessToken), 401);
    EXPECT_EQ(Refresh(refreshToken, 400)["error"].asString(), "invalid_grant");

    for (const std::string& token : {accessToken, refreshToken, std::string("1//never-issued"), std::string("x")}) {
        auto [status, body] = Revoke("token=" + token);
        EXPECT_EQ(status, 400) << token;
        EXPECT_EQ(ParseJson(body),
                  ParseJson(R"({"error": "invalid_token", "error_description": "Token expired or revoked"})"))
            << token << ": " << body;
    }
}

TEST_F(OAuthFlow, SeededTokensWorkAndCarryTheirLifetime)
{
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(R"({"oauth": {"accessTokens": ["seeded-access"],
        "refreshTokens": ["seeded-refresh"], "expiresIn": 12, "scope": "s1 s2"}})",
                                     error))
        << error;
    Json::Value info = TokenInfo("seeded-access", 200);
    // 12 seconds were seeded; a second may pass before the check.
    EXPECT_GE(info["expires_in"].asInt(), 10);
    EXPECT_LE(info["expires_in"].asInt(), 12);
    EXPECT_EQ(info["scope"].asString(), "s1 s2");

    Json::Value refreshed = Refresh("seeded-refresh", 200);
    EXPECT_EQ(refreshed["scope"].asString(), "s1 s2");
    // A seeded token serves any client, and the token it gives is then that client's.
    EXPECT_EQ(TokenInfo(refreshed["access_token"].asString(), 200)["issued_to"].asString(), kClientId);

    ASSERT_TRUE(service.SeedFromJson(R"({"oauth": {"accessTokens": ["expired-access"], "expiresIn": 0}})", error));
    EXPECT_EQ(TokenInfo("expired-access", 400)["error"].asString(), "invalid_token");
}

TEST(Authorization, AcceptsAnyTypeWordWithAValidTokenAndOtherwiseAnswers401)
{
    FakeService service;
    std::string token = service.IssueAccessToken();

    for (const std::string& value : {"Bearer " + token, "OAuth " + token}) {
        httplib::Request request;
        request.set_header("Authorization", value);
        httplib::Response response;
        EXPECT_TRUE(service.CheckAuthorization(request, response)) << value;
    }

    for (const std::string& value :
         std::vector<std::string>{"", token, "Bearer ", "Bearer ya29.unknown", " " + token}) {
        httplib::Request request;
        if (!value.empty()) {
            request.set_header("Authorization", value);
        }
        httplib::Response response;
        EXPECT_FALSE(service.CheckAuthorization(request, response)) << value;
        EXPECT_EQ(response.status, 401);
        EXPECT_EQ(response.get_header_value("WWW-Authenticate"), "Bearer");
        Json::Value error = ParseJson(response.body)["error"];
        EXPECT_EQ(error["code"].asInt(), 401);
        EXPECT_EQ(error["status"].asString(), "UNAUTHENTICATED");
        // The program reads the reason of the first detail; Google still sends it.
        EXPECT_EQ(error["errors"][0]["message"].asString(), "Invalid Credentials");
        EXPECT_EQ(error["errors"][0]["domain"].asString(), "global");
        EXPECT_EQ(error["errors"][0]["reason"].asString(), "authError");
        EXPECT_EQ(error["errors"][0]["locationType"].asString(), "header");
        EXPECT_EQ(error["errors"][0]["location"].asString(), "Authorization");
    }

    // Tokens in the address are never taken: the program does not send them there.
    httplib::Request inQuery;
    inQuery.params.emplace("access_token", token);
    httplib::Response response;
    EXPECT_FALSE(service.CheckAuthorization(inQuery, response));

    service.RevokeAccessTokens();
    httplib::Request revoked;
    revoked.set_header("Authorization", "Bearer " + token);
    EXPECT_FALSE(service.CheckAuthorization(revoked, response));
}

} // namespace
} // namespace orb::fake::test
