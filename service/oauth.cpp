#include "service/oauth.h"

#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/ui_text.h"
#include "service/http.h"
#include "service/record_json.h"
#include "service/text_codec.h"

#include <simdjson.h>

#include <algorithm>
#include <memory>
#include <strings.h>

namespace orb {

namespace {

constexpr const char* kApprovalPath = "/o/oauth2/approval";
constexpr const char* kTokenCheckPath = "/oauth2/v1/tokeninfo";
constexpr const char* kCalendarScopePath = "/auth/calendar";
constexpr const char* kTasksScopePath = "/auth/tasks";

// A token answer nested too deep, or otherwise unreadable, is a failed answer, never a crash.
bool ParseJson(const std::string& text, JsonAnswer& root)
{
    std::string errors;
    return root.Parse(text, errors) && IsObject(root.Root());
}

constexpr const char* kUnreachable = ORB_TEXT("OrbCalender", "the sign-in service could not be reached");
constexpr const char* kUnreadable = ORB_TEXT("OrbCalender", "the sign-in service's answer could not be read");
constexpr const char* kRefused = ORB_TEXT("OrbCalender", "the sign-in service refused it");

constexpr const char* kInvalidGrant = "invalid_grant";
constexpr const char* kBearer = "bearer";
constexpr const char* kRevokeFailedLine = "Token Revoke Fail : ";
constexpr const char* kRenewedLine = "The access token was refused (401) and has been renewed";

// What a token answer said, beyond the token itself.
struct TokenAnswer
{
    bool granted = false; // a readable answer with an access token and no error
    bool revoked = false; // refused as "invalid_grant"
    std::string failure;  // plain words when not granted
};

// Seconds in an "expires_in" member, 0 when absent or unreadable.
int ExpiresIn(const JsonNode& root)
{
    if (const std::optional<long long> seconds = MemberInteger(root, "expires_in"))
        return *seconds >= INT_MIN && *seconds <= INT_MAX ? static_cast<int>(*seconds) : 0;
    const std::optional<JsonNode> expires = Member(root, "expires_in");
    if (expires && expires->is_string())
        return std::atoi(MemberText(root, "expires_in").c_str());
    return 0;
}

// The only kind of token this program sends, and only as visible ASCII: anything else would
// end up in a header line of its own making (a CR/LF adds headers).
bool IsUsableToken(const std::string& accessToken, const std::string& tokenType)
{
    if (strcasecmp(tokenType.c_str(), kBearer) != 0)
        return false;
    return std::all_of(accessToken.begin(), accessToken.end(), [](char c) { return c > ' ' && c < '\x7F'; });
}

// A form value, encoded so codes and secrets with reserved characters arrive whole.
std::string FormValue(const std::string& value)
{
    return EncodeQueryValue(value);
}

// The service's own words for a refusal: its description, else its error code.
std::string RefusalText(const JsonNode& root)
{
    std::string text = MemberText(root, "error_description");
    if (text.empty())
        text = MemberText(root, "error");
    const std::optional<JsonNode> error = Member(root, "error");
    if (text.empty() && error)
        text = MemberText(*error, "message");
    return text.empty() ? Translated(kRefused) : text;
}

// Posts a form to the token endpoint and takes the tokens it answers. Returns the
// current access token afterwards, or empty when the exchange failed or was refused.
std::string PostTokenForm(ServiceContext& context, const std::string& body, bool takeRefreshToken, TokenAnswer& answer)
{
    std::string response;
    const TransportResult result =
        context.transport.HttpPost(TokenEndpointUrl(context.config), body, response, kFormContentTypeLine);
    if (!result.Completed()) {
        ReportTransportFailure(context.diagnostics, result, FailureLineStyle::TokenOperation);
        answer.failure = Translated(kUnreachable) + " " + TransportFailureText(result);
        return {};
    }
    JsonAnswer parsed;
    if (!ParseJson(response, parsed)) {
        answer.failure = Translated(kUnreadable);
        return context.session.access_token();
    }
    const JsonNode& root = parsed.Root();
    if (HasErrorDocument(root)) {
        answer.failure = RefusalText(root);
        return {};
    }
    answer.revoked = MemberText(root, "error") == kInvalidGrant;
    const std::string accessToken = MemberText(root, "access_token");
    const std::string tokenType = MemberText(root, "token_type");
    if (!accessToken.empty() && !IsUsableToken(accessToken, tokenType)) {
        answer.failure = Translated(kUnreadable);
        return {};
    }
    context.session.set_tokens(accessToken, tokenType);
    if (takeRefreshToken)
        context.session.set_refresh_token(MemberText(root, "refresh_token"));
    answer.granted = !context.session.access_token().empty() && MemberText(root, "error").empty();
    if (!answer.granted) {
        answer.failure = RefusalText(root);
        return context.session.access_token();
    }
    context.session.set_refresh_revoked(false);
    // Kept by its expiry from now on: no token check is needed while it lasts.
    if (const int seconds = ExpiresIn(root); seconds > 0) {
        context.session.set_expires_in(seconds);
        context.session.set_expires_at(LocalSeconds(context.clock.Now()) + seconds - kExpiryMarginSeconds);
    } else {
        context.session.set_expires_at(0);
    }
    return context.session.access_token();
}

} // namespace

OAuthSession::Tokens OAuthSession::tokens() const
{
    std::lock_guard lock(mutex_);
    return {access_token_, token_type_};
}

std::string OAuthSession::access_token() const
{
    std::lock_guard lock(mutex_);
    return access_token_;
}

std::string OAuthSession::token_type() const
{
    std::lock_guard lock(mutex_);
    return token_type_;
}

std::string OAuthSession::refresh_token() const
{
    std::lock_guard lock(mutex_);
    return refresh_token_;
}

int OAuthSession::expires_in() const
{
    std::lock_guard lock(mutex_);
    return expires_in_;
}

void OAuthSession::set_tokens(const std::string& accessToken, const std::string& tokenType)
{
    std::lock_guard lock(mutex_);
    access_token_ = accessToken;
    token_type_ = tokenType;
}

void OAuthSession::set_refresh_token(const std::string& refreshToken)
{
    std::lock_guard lock(mutex_);
    refresh_token_ = refreshToken;
}

void OAuthSession::set_expires_in(int seconds)
{
    std::lock_guard lock(mutex_);
    expires_in_ = seconds;
}

long long OAuthSession::expires_at() const
{
    std::lock_guard lock(mutex_);
    return expires_at_;
}

void OAuthSession::set_expires_at(long long localSeconds)
{
    std::lock_guard lock(mutex_);
    expires_at_ = localSeconds;
}

bool OAuthSession::refresh_revoked() const
{
    std::lock_guard lock(mutex_);
    return refresh_revoked_;
}

void OAuthSession::set_refresh_revoked(bool revoked)
{
    std::lock_guard lock(mutex_);
    refresh_revoked_ = revoked;
}

std::string OAuthSession::AuthorizationLine() const
{
    const Tokens current = tokens();
    return kAuthorizationPrefix + current.token_type + " " + current.access_token + "\r\n";
}

int CheckAccessToken(ServiceContext& context, const std::string& token)
{
    std::string response;
    const TransportResult result = context.transport.HttpPost(TokenCheckUrl(context.config), "access_token=" + token,
                                                              response, kFormContentTypeLine);
    context.diagnostics.WriteLine(response);
    if (!result.Completed()) {
        ReportTransportFailure(context.diagnostics, result, FailureLineStyle::TokenOperation);
        return kTokenCheckFailed;
    }
    JsonAnswer parsed;
    if (!ParseJson(response, parsed))
        return context.session.expires_in();
    const JsonNode& root = parsed.Root();
    if (HasErrorDocument(root) || !MemberText(root, "error").empty())
        return kTokenCheckFailed;
    const int seconds = ExpiresIn(root);
    context.session.set_expires_in(seconds);
    return seconds;
}

std::string RefreshAccessToken(ServiceContext& context, const std::string& refreshToken)
{
    const ServiceConfig& config = context.config;
    const std::string body = "refresh_token=" + refreshToken + "&client_id=" + config.clientId +
                             "&client_secret=" + config.clientSecret + "&redirect_uri=" + config.redirectUri +
                             "&grant_type=refresh_token";
    TokenAnswer answer;
    return PostTokenForm(context, body, false, answer);
}

namespace {

std::string ExchangeCode(ServiceContext& context, const std::string& code, TokenAnswer& answer)
{
    const ServiceConfig& config = context.config;
    const std::string body = "code=" + code + "&client_id=" + config.clientId +
                             "&client_secret=" + config.clientSecret + "&redirect_uri=" + config.redirectUri +
                             "&grant_type=authorization_code";
    return PostTokenForm(context, body, true, answer);
}

} // namespace

std::string ExchangeAuthorizationCode(ServiceContext& context, const std::string& code)
{
    TokenAnswer answer;
    return ExchangeCode(context, code, answer);
}

bool ExchangeAuthorizationCode(ServiceContext& context, const std::string& code, std::string& failure)
{
    TokenAnswer answer;
    ExchangeCode(context, code, answer);
    failure = answer.failure;
    return answer.granted;
}

TokenRenewal RenewAccessToken(ServiceContext& context, const std::string& refreshToken)
{
    const ServiceConfig& config = context.config;
    const std::string body = "refresh_token=" + FormValue(refreshToken) + "&client_id=" + FormValue(config.clientId) +
                             "&client_secret=" + FormValue(config.clientSecret) + "&grant_type=refresh_token";
    TokenAnswer answer;
    PostTokenForm(context, body, false, answer);
    if (answer.revoked)
        context.session.set_refresh_revoked(true);
    return {answer.granted, answer.revoked, answer.failure};
}

bool ExchangeAuthorizationCode(ServiceContext& context, const SignInGrant& grant, std::string& failure)
{
    const ServiceConfig& config = context.config;
    const std::string redirect = grant.redirectUri.empty() ? config.redirectUri : grant.redirectUri;
    std::string body = "code=" + FormValue(grant.code) + "&client_id=" + FormValue(config.clientId) +
                       "&client_secret=" + FormValue(config.clientSecret) + "&redirect_uri=" + FormValue(redirect) +
                       "&grant_type=authorization_code";
    if (!grant.codeVerifier.empty())
        body += "&code_verifier=" + FormValue(grant.codeVerifier);
    TokenAnswer answer;
    PostTokenForm(context, body, true, answer);
    failure = answer.failure;
    return answer.granted;
}

bool RevokeToken(ServiceContext& context, const std::string& token)
{
    if (context.config.revokeUri.empty() || token.empty())
        return true;
    std::string response;
    const TransportResult result = context.transport.HttpPost(context.config.revokeUri, "token=" + FormValue(token),
                                                              response, kFormContentTypeLine);
    if (!result.Completed()) {
        context.diagnostics.WriteLine(kRevokeFailedLine + TransportFailureText(result) + std::to_string(result.code));
        return false;
    }
    if (result.status != kHttpOk) {
        JsonAnswer parsed;
        const std::string reason = ParseJson(response, parsed) ? RefusalText(parsed.Root()) : Translated(kRefused);
        context.diagnostics.WriteLine(kRevokeFailedLine + std::to_string(result.status) + " " + reason);
        return false;
    }
    return true;
}

void EnsureAccessToken(ServiceContext& context)
{
    OAuthSession& session = context.session;
    if (session.expires_at() == 0) {
        if (CheckAccessToken(context, session.access_token()) == kTokenCheckFailed)
            RefreshAccessToken(context, session.refresh_token());
        return;
    }
    if (LocalSeconds(context.clock.Now()) < session.expires_at())
        return;
    const auto renewal = session.LockRenewal();
    // Another request may have renewed it while this one waited.
    if (LocalSeconds(context.clock.Now()) >= session.expires_at())
        RenewAccessToken(context, session.refresh_token());
}

void InstallTokenRenewal(ServiceContext& context)
{
    context.transport.renewAuthorization = [&context](const std::string& refusedLine) {
        OAuthSession& session = context.session;
        const auto renewal = session.LockRenewal();
        // Renewed meanwhile by another request that met the same 401.
        if (session.AuthorizationLine() != refusedLine)
            return true;
        const TokenRenewal renewed = RenewAccessToken(context, session.refresh_token());
        if (renewed.granted)
            context.diagnostics.WriteLine(kRenewedLine);
        return renewed.granted && session.AuthorizationLine() != refusedLine;
    };
}

std::string ConsentPageUrl(const ServiceConfig& config)
{
    return config.authUri + "?response_type=code&scope=" + config.apiBase + kCalendarScopePath + "+" + config.apiBase +
           kTasksScopePath + "&redirect_uri=" + config.redirectUri + "&client_id=" + config.clientId +
           "&include_granted_scopes=false";
}

std::string ApprovalPageUrl(const ServiceConfig& config)
{
    return config.accountsBase + kApprovalPath;
}

std::string TokenEndpointUrl(const ServiceConfig& config)
{
    return config.tokenUri;
}

std::string TokenCheckUrl(const ServiceConfig& config)
{
    return config.apiBase + kTokenCheckPath;
}

bool IsApprovalPage(const std::string& documentUrl, const ServiceConfig& config)
{
    return documentUrl.substr(0, documentUrl.find('?')) == ApprovalPageUrl(config);
}

std::string CodeFromTitle(const std::string& title)
{
    const std::size_t first = title.find('=');
    if (first == std::string::npos)
        return {};
    const std::size_t next = title.find('=', first + 1);
    return title.substr(first + 1, next == std::string::npos ? std::string::npos : next - first - 1);
}

} // namespace orb
