#include "tools/fake-service/fake_service.h"

#include "tools/fake-service/form_text.h"
#include "tools/fake-service/pkce.h"

#include <httplib.h>
#include <json/json.h>

#include <algorithm>
#include <cctype>

namespace orb::fake {

namespace {

constexpr const char* kConsentPath = "/o/oauth2/auth";
constexpr const char* kApprovalPath = "/o/oauth2/approval";
constexpr const char* kTokenPath = "/o/oauth2/token";
// Beside the token endpoint, as https://oauth2.googleapis.com/revoke is beside /token.
constexpr const char* kRevokePath = "/o/oauth2/revoke";
constexpr const char* kTokenInfoPath = "/oauth2/v1/tokeninfo";
constexpr const char* kHtmlContentType = "text/html; charset=UTF-8";

constexpr const char* kTokenType = "Bearer";
constexpr const char* kAccessType = "offline";

constexpr const char* kOutOfBandPrefix = "urn:ietf:wg:oauth:2.0:oob";
constexpr std::size_t kLongestPort = 5;
// Google's own wording, which programs show to their users.
constexpr const char* kRevokedGrant = "Token has been expired or revoked.";
constexpr const char* kUnknownRevokedToken = "Token expired or revoked";
constexpr const char* kOutOfBandBlocked = "The out-of-band (OOB) flow has been blocked; use a loopback redirect_uri.";
constexpr const char* kMissingVerifier = "Missing code verifier.";
constexpr const char* kWrongVerifier = "Invalid code verifier.";

// The approval page's title is all the program reads of it: the code follows the "=".
constexpr const char* kSuccessTitlePrefix = "Success code=";
constexpr const char* kDeniedTitle = "Denied error=access_denied";
constexpr const char* kDecisionAllow = "allow";
constexpr const char* kDecisionDeny = "deny";

std::string Page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + EscapeHtml(title) +
           "</title></head>\n<body style=\"font-family: sans-serif; margin: 2em\">\n" + body + "</body></html>\n";
}

void SendPage(httplib::Response& response, int status, const std::string& title, const std::string& body)
{
    response.status = status;
    response.set_content(Page(title, body), kHtmlContentType);
}

void SendBadRequestPage(httplib::Response& response, const std::string& problem)
{
    SendPage(response, 400, "Error 400 (Bad Request)",
             "<h1>400. That's an error.</h1>\n<p>Error: invalid_request</p>\n<p>" + EscapeHtml(problem) + "</p>\n");
}

void SendOAuthError(httplib::Response& response, int status, const std::string& error, const std::string& description)
{
    Json::Value document;
    document["error"] = error;
    document["error_description"] = description;
    FakeService::SendJson(response, status, document);
}

bool IsOutOfBandRedirect(const std::string& uri)
{
    return uri.rfind(kOutOfBandPrefix, 0) == 0;
}

// http://127.0.0.1:PORT or http://localhost:PORT, with or without a path: where a desktop
// program listens for the browser's redirect.
bool IsLoopbackRedirect(const std::string& uri)
{
    for (const char* host : {"http://127.0.0.1:", "http://localhost:"}) {
        const std::string prefix = host;
        if (uri.rfind(prefix, 0) != 0) {
            continue;
        }
        const std::size_t portEnd = std::min(uri.find('/', prefix.size()), uri.size());
        const std::size_t portLength = portEnd - prefix.size();
        return portLength > 0 && portLength <= kLongestPort &&
               std::all_of(uri.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                           uri.begin() + static_cast<std::ptrdiff_t>(portEnd),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    }
    return false;
}

// The parameters the consent page hands on to the approval page.
struct ConsentRequest
{
    std::string clientId;
    std::string scope;
    std::string redirectUri;
};

// Empty when the request names everything the consent needs; otherwise what is missing.
std::string ReadConsent(const httplib::Request& request, ConsentRequest& consent)
{
    consent.clientId = request.get_param_value("client_id");
    consent.scope = request.get_param_value("scope");
    consent.redirectUri = request.get_param_value("redirect_uri");
    if (consent.clientId.empty()) {
        return "Missing required parameter: client_id";
    }
    if (consent.redirectUri.empty()) {
        return "Missing required parameter: redirect_uri";
    }
    return {};
}

std::string ApprovalAddress(const ConsentRequest& consent, const char* decision)
{
    return std::string(kApprovalPath) + "?client_id=" + EncodeQueryComponent(consent.clientId) +
           "&scope=" + EncodeQueryComponent(consent.scope) +
           "&redirect_uri=" + EncodeQueryComponent(consent.redirectUri) + "&decision=" + decision;
}

bool ReadStringList(const Json::Value& oauth, const char* name, std::vector<std::string>& list, std::string& error)
{
    if (!oauth.isMember(name)) {
        return true;
    }
    const Json::Value& member = oauth[name];
    if (!member.isArray()) {
        error = std::string("oauth.") + name + " must be an array of strings";
        return false;
    }
    for (const auto& item : member) {
        if (!item.isString() || item.asString().empty()) {
            error = std::string("oauth.") + name + " must hold only non-empty strings";
            return false;
        }
        list.push_back(item.asString());
    }
    return true;
}

bool ReadText(const Json::Value& object, const std::string& where, const char* name, std::string& text,
              std::string& error)
{
    if (!object.isMember(name)) {
        return true;
    }
    if (!object[name].isString()) {
        error = where + "." + name + " must be a string";
        return false;
    }
    text = object[name].asString();
    return true;
}

bool ReadSeconds(const Json::Value& object, const std::string& where, const char* name, long long& seconds,
                 std::string& error)
{
    if (!object.isMember(name)) {
        return true;
    }
    if (!object[name].isIntegral() || object[name].asLargestInt() < 0) {
        error = where + "." + name + " must be a whole number of seconds, at least 0";
        return false;
    }
    seconds = object[name].asLargestInt();
    return true;
}

// What the state file keeps of each token and code, each with its own grant:
// [{"token", "clientId", "scope", "redirectUri", "codeChallenge", "codeChallengeMethod", "expiresIn",
// "refreshToken"}], every member but "token" optional.
bool ReadIssued(const Json::Value& oauth, const char* name, std::chrono::seconds defaultLifetime,
                std::vector<IssuedToken>& list, std::string& error)
{
    if (!oauth.isMember(name)) {
        return true;
    }
    const std::string where = std::string("oauth.") + name;
    const Json::Value& member = oauth[name];
    if (!member.isArray()) {
        error = where + " must be an array of objects";
        return false;
    }
    for (const auto& item : member) {
        if (!item.isObject() || !item["token"].isString() || item["token"].asString().empty()) {
            error = where + ": every element needs a non-empty string \"token\"";
            return false;
        }
        IssuedToken issued{item["token"].asString(), {}, {}, {}};
        long long expiresIn = defaultLifetime.count();
        if (!ReadText(item, where, "clientId", issued.grant.clientId, error) ||
            !ReadText(item, where, "scope", issued.grant.scope, error) ||
            !ReadText(item, where, "redirectUri", issued.grant.redirectUri, error) ||
            !ReadText(item, where, "codeChallenge", issued.grant.codeChallenge, error) ||
            !ReadText(item, where, "codeChallengeMethod", issued.grant.codeChallengeMethod, error) ||
            !ReadText(item, where, "refreshToken", issued.refreshToken, error) ||
            !ReadSeconds(item, where, "expiresIn", expiresIn, error)) {
            return false;
        }
        issued.lifetimeLeft = std::chrono::seconds(expiresIn);
        list.push_back(issued);
    }
    return true;
}

Json::Value IssuedJson(const std::vector<IssuedToken>& tokens, bool withLifetime)
{
    Json::Value list(Json::arrayValue);
    for (const auto& issued : tokens) {
        if (issued.token.empty()) {
            continue; // only the in-process API can make one, and no seed would take it back
        }
        Json::Value item(Json::objectValue);
        item["token"] = issued.token;
        item["clientId"] = issued.grant.clientId;
        item["scope"] = issued.grant.scope;
        if (!issued.grant.redirectUri.empty()) {
            item["redirectUri"] = issued.grant.redirectUri;
        }
        if (!issued.grant.codeChallenge.empty()) {
            item["codeChallenge"] = issued.grant.codeChallenge;
            item["codeChallengeMethod"] = issued.grant.codeChallengeMethod;
        }
        if (withLifetime) {
            item["expiresIn"] = static_cast<Json::Int64>(issued.lifetimeLeft.count());
        }
        if (!issued.refreshToken.empty()) {
            item["refreshToken"] = issued.refreshToken;
        }
        list.append(item);
    }
    return list;
}

// The Google OAuth 2.0 endpoints of an installed application: consent, approval (the
// code in the page title), the token endpoint with both grants, and the token check.
class OAuthModule : public FakeModule
{
public:
    explicit OAuthModule(FakeService& service) : service_(service) {}

    void Register(httplib::Server& server) override
    {
        server.Get(kConsentPath, [this](const httplib::Request& q, httplib::Response& r) {
            if (Consent(q, r)) {
                service_.StateChanged();
            }
        });
        server.Get(kApprovalPath, [this](const httplib::Request& q, httplib::Response& r) {
            if (Approval(q, r)) {
                service_.StateChanged();
            }
        });
        server.Post(kTokenPath, [this](const httplib::Request& q, httplib::Response& r) {
            if (Token(q, r)) {
                service_.StateChanged();
            }
        });
        server.Post(kTokenInfoPath, [this](const httplib::Request& q, httplib::Response& r) { TokenInfo(q, r); });
        // RevokeToken writes the state file itself.
        server.Post(kRevokePath, [this](const httplib::Request& q, httplib::Response& r) { Revoke(q, r); });
    }

    bool Seed(const Json::Value& root, std::string& error) override
    {
        if (!root.isMember("oauth")) {
            return true;
        }
        const Json::Value& oauth = root["oauth"];
        if (!oauth.isObject()) {
            error = "oauth must be an object";
            return false;
        }
        std::vector<std::string> accessTokens;
        std::vector<std::string> refreshTokens;
        TokenGrant grant; // seeded without a client id, a token serves any client
        long long lifetime = service_.TokenLifetime().count();
        if (!ReadSeconds(oauth, "oauth", "tokenLifetime", lifetime, error)) {
            return false;
        }
        if (lifetime > kLongestTokenLifetime.count()) {
            error = "oauth.tokenLifetime is too long";
            return false;
        }
        if (oauth.isMember("strict") && !oauth["strict"].isBool()) {
            error = "oauth.strict must be true or false";
            return false;
        }
        long long expiresIn = lifetime;
        IssuedTokens issued;
        if (!ReadSeconds(oauth, "oauth", "expiresIn", expiresIn, error) ||
            !ReadStringList(oauth, "accessTokens", accessTokens, error) ||
            !ReadStringList(oauth, "refreshTokens", refreshTokens, error) ||
            !ReadText(oauth, "oauth", "clientId", grant.clientId, error) ||
            !ReadText(oauth, "oauth", "scope", grant.scope, error) ||
            !ReadIssued(oauth, "issuedAccessTokens", std::chrono::seconds(lifetime), issued.accessTokens, error) ||
            !ReadIssued(oauth, "issuedRefreshTokens", {}, issued.refreshTokens, error) ||
            !ReadIssued(oauth, "issuedCodes", {}, issued.codes, error)) {
            return false;
        }
        service_.SetTokenLifetime(std::chrono::seconds(lifetime));
        if (oauth.isMember("strict")) {
            service_.SetStrict(oauth["strict"].asBool());
        }
        for (const auto& token : accessTokens) {
            service_.AddAccessToken(token, std::chrono::seconds(expiresIn), grant);
        }
        for (const auto& token : refreshTokens) {
            service_.AddRefreshToken(token, grant);
        }
        for (const auto& token : issued.accessTokens) {
            service_.AddAccessToken(token.token, token.lifetimeLeft, token.grant, token.refreshToken);
        }
        for (const auto& token : issued.refreshTokens) {
            service_.AddRefreshToken(token.token, token.grant);
        }
        for (const auto& code : issued.codes) {
            service_.AddAuthorizationCode(code.token, code.grant);
        }
        return true;
    }

    void Save(Json::Value& root) override
    {
        IssuedTokens tokens = service_.Tokens();
        Json::Value& oauth = root["oauth"];
        oauth["issuedAccessTokens"] = IssuedJson(tokens.accessTokens, true);
        oauth["issuedRefreshTokens"] = IssuedJson(tokens.refreshTokens, false);
        oauth["issuedCodes"] = IssuedJson(tokens.codes, false);
    }

    void Reset() override {} // every token lives in the service's registry

private:
    // True when a code was issued.
    bool Consent(const httplib::Request& request, httplib::Response& response)
    {
        ConsentRequest consent;
        std::string problem = ReadConsent(request, consent);
        if (problem.empty() && request.get_param_value("response_type") != "code") {
            problem = "Invalid response_type: only code is supported";
        }
        if (problem.empty() && consent.scope.empty()) {
            problem = "Missing required parameter: scope";
        }
        if (!problem.empty()) {
            SendBadRequestPage(response, problem);
            return false;
        }
        if (IsLoopbackRedirect(consent.redirectUri)) {
            return BrowserConsent(request, consent, response);
        }
        if (RefusedAsStrict(consent.redirectUri, response)) {
            return false;
        }
        std::string scopes;
        std::size_t start = 0;
        while (start < consent.scope.size()) {
            auto end = consent.scope.find(' ', start);
            if (end == std::string::npos) {
                end = consent.scope.size();
            }
            if (end > start) {
                scopes += "<li>" + EscapeHtml(consent.scope.substr(start, end - start)) + "</li>\n";
            }
            start = end + 1;
        }
        SendPage(response, 200, "Request for Permission",
                 "<h1>Request for Permission</h1>\n<p><b>" + EscapeHtml(consent.clientId) +
                     "</b> would like to:</p>\n<ul>\n" + scopes + "</ul>\n<p>\n<a id=\"allow\" href=\"" +
                     EscapeHtml(ApprovalAddress(consent, kDecisionAllow)) + "\">Allow</a>\n<a id=\"deny\" href=\"" +
                     EscapeHtml(ApprovalAddress(consent, kDecisionDeny)) + "\">Deny</a>\n</p>\n");
        return false;
    }

    // Strict mode takes nothing but the browser sign-in, as Google does for desktop programs.
    bool RefusedAsStrict(const std::string& redirectUri, httplib::Response& response)
    {
        if (!service_.Strict() || IsLoopbackRedirect(redirectUri)) {
            return false;
        }
        SendOAuthError(
            response, 400, "invalid_request",
            IsOutOfBandRedirect(redirectUri)
                ? kOutOfBandBlocked
                : "redirect_uri must be a loopback address (http://127.0.0.1:PORT or http://localhost:PORT).");
        return true;
    }

    // The browser sign-in: a page with the choices, then a redirect to the program's loopback
    // address with the code or the refusal. True when a code was issued.
    bool BrowserConsent(const httplib::Request& request, const ConsentRequest& consent, httplib::Response& response)
    {
        TokenGrant grant{consent.clientId, consent.scope, consent.redirectUri,
                         request.get_param_value("code_challenge"), request.get_param_value("code_challenge_method")};
        if (!grant.codeChallenge.empty() && grant.codeChallengeMethod.empty()) {
            grant.codeChallengeMethod = kChallengePlain; // RFC 7636's default
        }
        std::string problem;
        if (grant.codeChallenge.empty() && service_.Strict()) {
            problem = "Missing required parameter: code_challenge";
        } else if (!grant.codeChallenge.empty() && grant.codeChallengeMethod != kChallengeS256 &&
                   (grant.codeChallengeMethod != kChallengePlain || service_.Strict())) {
            problem = "Invalid code_challenge_method: " + grant.codeChallengeMethod;
        } else if (!grant.codeChallenge.empty() && !IsVerifierShaped(grant.codeChallenge)) {
            problem = "Invalid code_challenge: 43 to 128 characters of A-Z a-z 0-9 - . _ ~";
        }
        if (!problem.empty()) {
            SendOAuthError(response, 400, "invalid_request", problem);
            return false;
        }

        const std::string decision = request.get_param_value("decision");
        if (decision.empty()) {
            // The links repeat the request as it came, so the choice sees the same parameters.
            SendPage(response, 200, "Sign in - Choose what to share",
                     "<h1>" + EscapeHtml(consent.clientId) + " wants to access your Google Account</h1>\n<p>" +
                         EscapeHtml(consent.scope) + "</p>\n<p>\n<a id=\"allow\" href=\"" +
                         EscapeHtml(request.target + "&decision=" + kDecisionAllow) +
                         "\">Allow</a>\n<a id=\"deny\" href=\"" +
                         EscapeHtml(request.target + "&decision=" + kDecisionDeny) + "\">Deny</a>\n</p>\n");
            return false;
        }
        std::string query;
        if (decision == kDecisionAllow) {
            query = "code=" + EncodeQueryComponent(service_.IssueAuthorizationCode(grant));
        } else if (decision == kDecisionDeny) {
            query = "error=access_denied";
        } else {
            SendOAuthError(response, 400, "invalid_request", "Invalid decision: allow or deny");
            return false;
        }
        if (request.has_param("state")) {
            query += "&state=" + EncodeQueryComponent(request.get_param_value("state"));
        }
        const char* separator = consent.redirectUri.find('?') == std::string::npos ? "?" : "&";
        response.set_redirect(consent.redirectUri + separator + query);
        return decision == kDecisionAllow;
    }

    // True when a code was issued.
    bool Approval(const httplib::Request& request, httplib::Response& response)
    {
        ConsentRequest consent;
        std::string problem = ReadConsent(request, consent);
        std::string decision = request.get_param_value("decision");
        if (problem.empty() && decision != kDecisionAllow && decision != kDecisionDeny) {
            problem = "Invalid decision: allow or deny";
        }
        if (problem.empty() && decision == kDecisionAllow && consent.scope.empty()) {
            problem = "Missing required parameter: scope";
        }
        if (!problem.empty()) {
            SendBadRequestPage(response, problem);
            return false;
        }
        // The approval page only serves the out-of-band flow; the browser sign-in answers at the consent address.
        if (service_.Strict()) {
            SendOAuthError(response, 400, "invalid_request", kOutOfBandBlocked);
            return false;
        }
        if (decision == kDecisionDeny) {
            SendPage(response, 200, kDeniedTitle, "<p>Access was denied.</p>\n");
            return false;
        }
        std::string code =
            service_.IssueAuthorizationCode({consent.clientId, consent.scope, consent.redirectUri, {}, {}});
        SendPage(response, 200, kSuccessTitlePrefix + code,
                 "<p>Please copy this code, switch to your application and paste it there:</p>\n"
                 "<input id=\"code\" type=\"text\" readonly value=\"" +
                     EscapeHtml(code) + "\" size=\"60\">\n");
        return true;
    }

    // True when a code was spent or a token issued.
    bool Token(const httplib::Request& request, httplib::Response& response)
    {
        FormFields form = ParseForm(request.body);
        std::string grantType;
        if (!FindField(form, "grant_type", grantType)) {
            SendOAuthError(response, 400, "unsupported_grant_type", "Invalid grant_type: ");
            return false;
        }
        std::string clientId;
        FindField(form, "client_id", clientId);
        std::string redirectUri;
        if (service_.Strict() && FindField(form, "redirect_uri", redirectUri) && IsOutOfBandRedirect(redirectUri)) {
            SendOAuthError(response, 400, "invalid_request", kOutOfBandBlocked);
            return false;
        }
        if (grantType == "authorization_code") {
            return ExchangeCode(form, clientId, response);
        }
        if (grantType == "refresh_token") {
            return Refresh(form, clientId, response);
        }
        SendOAuthError(response, 400, "unsupported_grant_type", "Invalid grant_type: " + grantType);
        return false;
    }

    bool ExchangeCode(const FormFields& form, const std::string& clientId, httplib::Response& response)
    {
        std::string code;
        if (!FindField(form, "code", code) || code.empty()) {
            SendOAuthError(response, 400, "invalid_request", "Missing required parameter: code");
            return false;
        }
        std::string redirectUri;
        FindField(form, "redirect_uri", redirectUri);
        TokenGrant grant;
        if (!service_.TakeAuthorizationCode(code, grant)) {
            SendOAuthError(response, 400, "invalid_grant", "Bad Request");
            return false;
        }
        // Like Google's, a code is spent by the first attempt, even one that fails below.
        if (!grant.clientId.empty() && grant.clientId != clientId) {
            SendOAuthError(response, 400, "invalid_grant", "Bad Request");
            return true;
        }
        const bool withPkce = !grant.codeChallenge.empty();
        if (!grant.redirectUri.empty() && grant.redirectUri != redirectUri) {
            // The browser sign-in answers as Google's token endpoint does today.
            SendOAuthError(response, 400, withPkce ? "invalid_grant" : "redirect_uri_mismatch", "Bad Request");
            return true;
        }
        std::string verifier;
        if (withPkce && !FindField(form, "code_verifier", verifier)) {
            SendOAuthError(response, 400, "invalid_grant", kMissingVerifier);
            return true;
        }
        if (withPkce && !VerifierAnswersChallenge(grant.codeChallengeMethod, grant.codeChallenge, verifier)) {
            SendOAuthError(response, 400, "invalid_grant", kWrongVerifier);
            return true;
        }
        const std::string refreshToken = service_.IssueRefreshToken(grant);
        Json::Value answer;
        answer["access_token"] = service_.IssueAccessToken(grant, refreshToken);
        answer["expires_in"] = static_cast<Json::Int64>(service_.TokenLifetime().count());
        answer["refresh_token"] = refreshToken;
        answer["scope"] = grant.scope;
        answer["token_type"] = kTokenType;
        FakeService::SendJson(response, 200, answer);
        return true;
    }

    bool Refresh(const FormFields& form, const std::string& clientId, httplib::Response& response)
    {
        std::string refreshToken;
        if (!FindField(form, "refresh_token", refreshToken) || refreshToken.empty()) {
            SendOAuthError(response, 400, "invalid_request", "Missing required parameter: refresh_token");
            return false;
        }
        TokenGrant grant;
        if (!service_.FindRefreshToken(refreshToken, grant)) {
            SendOAuthError(response, 400, "invalid_grant", kRevokedGrant);
            return false;
        }
        if (!grant.clientId.empty() && grant.clientId != clientId) {
            SendOAuthError(response, 400, "invalid_grant", "Bad Request");
            return false;
        }
        if (grant.clientId.empty()) {
            grant.clientId = clientId;
        }
        Json::Value answer;
        answer["access_token"] = service_.IssueAccessToken(grant, refreshToken);
        answer["expires_in"] = static_cast<Json::Int64>(service_.TokenLifetime().count());
        answer["scope"] = grant.scope;
        answer["token_type"] = kTokenType;
        FakeService::SendJson(response, 200, answer);
        return true;
    }

    // The token comes in the form body only: tokens never go in an address, where logs keep them.
    void Revoke(const httplib::Request& request, httplib::Response& response)
    {
        std::string token;
        if (!FindField(ParseForm(request.body), "token", token) || token.empty()) {
            SendOAuthError(response, 400, "invalid_request", "Missing required parameter: token");
            return;
        }
        if (!service_.RevokeToken(token)) {
            SendOAuthError(response, 400, "invalid_token", kUnknownRevokedToken);
            return;
        }
        FakeService::SendJson(response, 200, Json::Value(Json::objectValue));
    }

    void TokenInfo(const httplib::Request& request, httplib::Response& response)
    {
        if (service_.Strict()) {
            SendPage(response, 404, "Error 404 (Not Found)", "<p><b>404.</b> That's an error.</p>\n");
            return;
        }
        FormFields form = ParseForm(request.body);
        std::string token;
        if (!FindField(form, "access_token", token)) {
            SendOAuthError(response, 400, "invalid_request", "Either access_token, id_token, or token_handle required");
            return;
        }
        TokenGrant grant;
        int secondsLeft = 0;
        if (!service_.FindAccessToken(token, grant, secondsLeft)) {
            SendOAuthError(response, 400, "invalid_token", "Invalid Value");
            return;
        }
        Json::Value answer;
        answer["issued_to"] = grant.clientId;
        answer["audience"] = grant.clientId;
        answer["scope"] = grant.scope;
        answer["expires_in"] = secondsLeft;
        answer["access_type"] = kAccessType;
        FakeService::SendJson(response, 200, answer);
    }

    FakeService& service_;
};

} // namespace

std::unique_ptr<FakeModule> MakeOAuthModule(FakeService& service)
{
    return std::make_unique<OAuthModule>(service);
}

} // namespace orb::fake
