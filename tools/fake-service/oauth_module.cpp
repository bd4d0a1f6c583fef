#include "tools/fake-service/fake_service.h"

#include "tools/fake-service/form_text.h"

#include <httplib.h>
#include <json/json.h>

namespace orb::fake {

namespace {

constexpr const char* kConsentPath = "/o/oauth2/auth";
constexpr const char* kApprovalPath = "/o/oauth2/approval";
constexpr const char* kTokenPath = "/o/oauth2/token";
constexpr const char* kTokenInfoPath = "/oauth2/v1/tokeninfo";
constexpr const char* kHtmlContentType = "text/html; charset=UTF-8";

constexpr const char* kTokenType = "Bearer";
constexpr const char* kAccessType = "offline";
// The token endpoint rounds down what is left of a fresh hour, as Google's does.
constexpr int kFreshExpiresIn = static_cast<int>(kAccessTokenLifetime.count()) - 1;

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

void SendTokenError(httplib::Response& response, int status, const std::string& error, const std::string& description)
{
    Json::Value document;
    document["error"] = error;
    document["error_description"] = description;
    FakeService::SendJson(response, status, document);
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
// [{"token", "clientId", "scope", "redirectUri", "expiresIn"}], every member but "token" optional.
bool ReadIssued(const Json::Value& oauth, const char* name, std::vector<IssuedToken>& list, std::string& error)
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
        IssuedToken issued{item["token"].asString(), {}, {}};
        long long expiresIn = kAccessTokenLifetime.count();
        if (!ReadText(item, where, "clientId", issued.grant.clientId, error) ||
            !ReadText(item, where, "scope", issued.grant.scope, error) ||
            !ReadText(item, where, "redirectUri", issued.grant.redirectUri, error) ||
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
        if (withLifetime) {
            item["expiresIn"] = static_cast<Json::Int64>(issued.lifetimeLeft.count());
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
        server.Get(kConsentPath, [this](const httplib::Request& q, httplib::Response& r) { Consent(q, r); });
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
        long long expiresIn = kAccessTokenLifetime.count();
        IssuedTokens issued;
        if (!ReadSeconds(oauth, "oauth", "expiresIn", expiresIn, error) ||
            !ReadStringList(oauth, "accessTokens", accessTokens, error) ||
            !ReadStringList(oauth, "refreshTokens", refreshTokens, error) ||
            !ReadText(oauth, "oauth", "clientId", grant.clientId, error) ||
            !ReadText(oauth, "oauth", "scope", grant.scope, error) ||
            !ReadIssued(oauth, "issuedAccessTokens", issued.accessTokens, error) ||
            !ReadIssued(oauth, "issuedRefreshTokens", issued.refreshTokens, error) ||
            !ReadIssued(oauth, "issuedCodes", issued.codes, error)) {
            return false;
        }
        for (const auto& token : accessTokens) {
            service_.AddAccessToken(token, std::chrono::seconds(expiresIn), grant);
        }
        for (const auto& token : refreshTokens) {
            service_.AddRefreshToken(token, grant);
        }
        for (const auto& token : issued.accessTokens) {
            service_.AddAccessToken(token.token, token.lifetimeLeft, token.grant);
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
    void Consent(const httplib::Request& request, httplib::Response& response)
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
            return;
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
        if (decision == kDecisionDeny) {
            SendPage(response, 200, kDeniedTitle, "<p>Access was denied.</p>\n");
            return false;
        }
        std::string code = service_.IssueAuthorizationCode({consent.clientId, consent.scope, consent.redirectUri});
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
            SendTokenError(response, 400, "unsupported_grant_type", "Invalid grant_type: ");
            return false;
        }
        std::string clientId;
        FindField(form, "client_id", clientId);
        if (grantType == "authorization_code") {
            return ExchangeCode(form, clientId, response);
        }
        if (grantType == "refresh_token") {
            return Refresh(form, clientId, response);
        }
        SendTokenError(response, 400, "unsupported_grant_type", "Invalid grant_type: " + grantType);
        return false;
    }

    bool ExchangeCode(const FormFields& form, const std::string& clientId, httplib::Response& response)
    {
        std::string code;
        if (!FindField(form, "code", code) || code.empty()) {
            SendTokenError(response, 400, "invalid_request", "Missing required parameter: code");
            return false;
        }
        std::string redirectUri;
        FindField(form, "redirect_uri", redirectUri);
        TokenGrant grant;
        if (!service_.TakeAuthorizationCode(code, grant)) {
            SendTokenError(response, 400, "invalid_grant", "Bad Request");
            return false;
        }
        // Like Google's, a code is spent by the first attempt, even one that fails below.
        if (!grant.clientId.empty() && grant.clientId != clientId) {
            SendTokenError(response, 400, "invalid_grant", "Bad Request");
            return true;
        }
        if (!grant.redirectUri.empty() && grant.redirectUri != redirectUri) {
            SendTokenError(response, 400, "redirect_uri_mismatch", "Bad Request");
            return true;
        }
        Json::Value answer;
        answer["access_token"] = service_.IssueAccessToken(grant);
        answer["expires_in"] = kFreshExpiresIn;
        answer["refresh_token"] = service_.IssueRefreshToken(grant);
        answer["scope"] = grant.scope;
        answer["token_type"] = kTokenType;
        FakeService::SendJson(response, 200, answer);
        return true;
    }

    bool Refresh(const FormFields& form, const std::string& clientId, httplib::Response& response)
    {
        std::string refreshToken;
        if (!FindField(form, "refresh_token", refreshToken) || refreshToken.empty()) {
            SendTokenError(response, 400, "invalid_request", "Missing required parameter: refresh_token");
            return false;
        }
        TokenGrant grant;
        if (!service_.FindRefreshToken(refreshToken, grant) ||
            (!grant.clientId.empty() && grant.clientId != clientId)) {
            SendTokenError(response, 400, "invalid_grant", "Bad Request");
            return false;
        }
        if (grant.clientId.empty()) {
            grant.clientId = clientId;
        }
        Json::Value answer;
        answer["access_token"] = service_.IssueAccessToken(grant);
        answer["expires_in"] = kFreshExpiresIn;
        answer["scope"] = grant.scope;
        answer["token_type"] = kTokenType;
        FakeService::SendJson(response, 200, answer);
        return true;
    }

    void TokenInfo(const httplib::Request& request, httplib::Response& response)
    {
        FormFields form = ParseForm(request.body);
        std::string token;
        if (!FindField(form, "access_token", token)) {
            SendTokenError(response, 400, "invalid_request", "Either access_token, id_token, or token_handle required");
            return;
        }
        TokenGrant grant;
        int secondsLeft = 0;
        if (!service_.FindAccessToken(token, grant, secondsLeft)) {
            SendTokenError(response, 400, "invalid_token", "Invalid Value");
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
