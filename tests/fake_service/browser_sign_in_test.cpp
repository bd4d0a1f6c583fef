#include "tests/fake_service/fake_service_test_support.h"

#include "tools/fake-service/form_text.h"

namespace orb::fake::test {
namespace {

constexpr const char* kRedirect = "http://127.0.0.1:53682/callback";
constexpr const char* kOutOfBand = "urn:ietf:wg:oauth:2.0:oob:auto";
// Every character here breaks the redirect's query unless it is encoded.
constexpr const char* kState = "a b&c/d=";

class BrowserSignIn : public FakeServiceTest
{
protected:
    static std::string AuthTarget(const std::string& redirect, const std::string& pkce = S256())
    {
        return "/o/oauth2/auth?response_type=code&client_id=c&scope=s&access_type=offline&prompt=consent&state=" +
               EncodeQueryComponent(kState) + "&redirect_uri=" + EncodeQueryComponent(redirect) + pkce;
    }
    static std::string S256() { return std::string("&code_challenge=") + kChallenge + "&code_challenge_method=S256"; }

    // The query of the redirect to the program, read off the wire: httplib's client decodes a Location.
    FormFields Decide(const std::string& decision, const std::string& target = AuthTarget(kRedirect))
    {
        const std::string answer = SendRaw(service.Port(), "GET " + target + "&decision=" + decision +
                                                               " HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n");
        const auto query = answer.find("\r\nLocation: " + std::string(kRedirect) + "?");
        EXPECT_EQ(answer.rfind("HTTP/1.1 302", 0), 0u) << answer;
        EXPECT_NE(query, std::string::npos) << answer;
        const auto start = answer.find('?', query) + 1;
        return query == std::string::npos ? FormFields{}
                                          : ParseForm(answer.substr(start, answer.find('\r', start) - start));
    }

    std::string NewCode(const std::string& target = AuthTarget(kRedirect))
    {
        std::string code;
        EXPECT_TRUE(FindField(Decide("allow", target), "code", code));
        return code;
    }

    std::pair<int, Json::Value> Token(const std::string& body)
    {
        auto answer = PostForm("/o/oauth2/token", "client_id=c&" + body);
        return {answer ? answer->status : 0, answer ? ParseJson(answer->body) : Json::Value()};
    }

    std::pair<int, Json::Value> Exchange(const std::string& code, const std::string& verifier,
                                         const std::string& redirect = kRedirect)
    {
        return Token("grant_type=authorization_code&code=" + EncodeQueryComponent(code) + "&redirect_uri=" +
                     EncodeQueryComponent(redirect) + (verifier.empty() ? "" : "&code_verifier=" + verifier));
    }

    static int StatusOf(const httplib::Result& answer) { return answer ? answer->status : 0; }

    httplib::Result Api(const std::string& accessToken)
    {
        return Client().Get("/tasks/v1/users/@me/lists", {{"Authorization", "Bearer " + accessToken}});
    }
};

TEST_F(BrowserSignIn, ThePageLeadsToARedirectWithStateAndCodeWhoseVerifiedExchangeOpensTheApi)
{
    auto page = Client().Get(AuthTarget(kRedirect));
    ASSERT_TRUE(page);
    for (const char* decision : {"allow", "deny"}) {
        EXPECT_NE(page->body.find(std::string("id=\"") + decision + "\" href=\"" +
                                  EscapeHtml(AuthTarget(kRedirect) + "&decision=" + decision) + "\""),
                  std::string::npos)
            << page->body;
    }
    std::string value;
    FormFields denied = Decide("deny");
    EXPECT_TRUE(FindField(denied, "error", value) && value == "access_denied") << value;
    EXPECT_TRUE(FindField(denied, "state", value) && value == kState) << value;
    EXPECT_FALSE(FindField(denied, "code", value));

    FormFields allowed = Decide("allow");
    EXPECT_TRUE(FindField(allowed, "state", value) && value == kState) << value;
    ASSERT_TRUE(FindField(allowed, "code", value));
    auto [status, tokens] = Exchange(value, kVerifier);
    ASSERT_EQ(status, 200) << tokens;
    EXPECT_EQ(tokens["expires_in"].asInt(), 3600);
    EXPECT_FALSE(tokens["refresh_token"].asString().empty());
    EXPECT_EQ(StatusOf(Api(tokens["access_token"].asString())), 200);
}

TEST_F(BrowserSignIn, ACodeNeedsItsVerifierAndRedirectAndWorksOnlyOnce)
{
    const std::pair<std::string, std::string> refused[] = {
        {std::string(kVerifier, 42) + "X", kRedirect}, // the last character differs
        {"", kRedirect},
        {kVerifier, "http://127.0.0.1:53682/elsewhere"},
    };
    for (const auto& [verifier, redirect] : refused) {
        auto [status, answer] = Exchange(NewCode(), verifier, redirect);
        EXPECT_EQ(status, 400) << verifier << " " << redirect;
        EXPECT_EQ(answer["error"].asString(), "invalid_grant") << verifier << " " << redirect;
    }
    const std::string code = NewCode();
    EXPECT_EQ(Exchange(code, kVerifier).first, 200);
    for (int replay = 0; replay < 2; ++replay) {
        EXPECT_EQ(Exchange(code, kVerifier).second["error"].asString(), "invalid_grant");
    }
}

TEST_F(BrowserSignIn, StrictModeTakesOnlyLoopbackWithS256AndHidesTheTokenCheck)
{
    const std::string plain = std::string("&code_challenge=") + kVerifier + "&code_challenge_method=plain";
    EXPECT_EQ(Exchange(NewCode(AuthTarget(kRedirect, plain)), kVerifier).first, 200);

    ASSERT_EQ(StatusOf(ControlClient().Post("/__control/strict", R"({"on": true})", "application/json")), 200);
    for (const auto& target : {AuthTarget(kOutOfBand), AuthTarget(kRedirect, ""), AuthTarget(kRedirect, plain),
                               // Look-alikes of a loopback address.
                               AuthTarget("http://127.0.0.1.example.com:80/"), AuthTarget("http://localhost:1@a.b/"),
                               AuthTarget("https://localhost:8080/"), AuthTarget("http://localhost/")}) {
        auto answer = Client().Get(target);
        EXPECT_EQ(StatusOf(answer), 400) << target;
        EXPECT_EQ(ParseJson(answer ? answer->body : "")["error"].asString(), "invalid_request") << target;
    }
    auto outOfBandToken = Token(std::string("grant_type=refresh_token&refresh_token=r&redirect_uri=") + kOutOfBand);
    EXPECT_EQ(outOfBandToken.second["error"].asString(), "invalid_request");
    EXPECT_EQ(StatusOf(PostForm("/oauth2/v1/tokeninfo", "access_token=t")), 404);
    EXPECT_EQ(Exchange(NewCode(), kVerifier).first, 200);

    ASSERT_EQ(StatusOf(ControlClient().Post("/__control/strict", R"({"on": false})", "application/json")), 200);
    auto outOfBandPage = Client().Get(AuthTarget(kOutOfBand, ""));
    EXPECT_EQ(PageTitle(outOfBandPage ? outOfBandPage->body : ""), "Request for Permission");
}

TEST_F(BrowserSignIn, AnExpiredTokenAnswers401AndOnlyAKnownRefreshTokenRenewsIt)
{
    EXPECT_EQ(StatusOf(ControlClient().Post("/__control/token-lifetime", R"({"seconds": -1})", "application/json")),
              400);
    ASSERT_EQ(StatusOf(ControlClient().Post("/__control/token-lifetime", R"({"seconds": 0})", "application/json")),
              200);
    auto [status, tokens] = Exchange(NewCode(), kVerifier);
    ASSERT_EQ(status, 200) << tokens;
    EXPECT_EQ(tokens["expires_in"].asInt(), 0);
    EXPECT_EQ(StatusOf(Api(tokens["access_token"].asString())), 401); // Authorization.* checks the answer itself

    std::string error;
    // One second, used at once: a token works until the last of its lifetime is gone.
    ASSERT_TRUE(service.SeedFromJson(R"({"oauth": {"tokenLifetime": 1}})", error)) << error;
    const std::string refresh = "grant_type=refresh_token&refresh_token=" + tokens["refresh_token"].asString();
    auto [renewedStatus, renewed] = Token(refresh);
    EXPECT_EQ(renewedStatus, 200);
    EXPECT_EQ(renewed["expires_in"].asInt(), 1);
    EXPECT_EQ(StatusOf(Api(renewed["access_token"].asString())), 200);

    ASSERT_EQ(StatusOf(ControlClient().Post("/__control/revoke-tokens?refresh=true")), 200);
    auto [refusedStatus, refused] = Token(refresh);
    EXPECT_EQ(refusedStatus, 400);
    EXPECT_EQ(refused["error"].asString(), "invalid_grant");
    EXPECT_EQ(refused["error_description"].asString(), "Token has been expired or revoked.");
}

} // namespace
} // namespace orb::fake::test
