#pragma once

#include "service/service_context.h"

#include <mutex>
#include <string>

namespace orb {

// The process-wide token state. Every field is read and written under one lock, so a
// reader sees either the old or the new token, never a torn one.
class OAuthSession
{
public:
    struct Tokens
    {
        std::string access_token;
        std::string token_type;
    };

    Tokens tokens() const;
    std::string access_token() const;
    std::string token_type() const;
    std::string refresh_token() const;
    int expires_in() const;

    void set_tokens(const std::string& accessToken, const std::string& tokenType);
    void set_refresh_token(const std::string& refreshToken);
    void set_expires_in(int seconds);
    // When the access token stops being usable (LocalSeconds, a margin taken off); 0 when
    // not known, and then only a token check can tell.
    long long expires_at() const;
    void set_expires_at(long long localSeconds);
    // The last renewal was refused as "invalid_grant": the refresh token is dead.
    bool refresh_revoked() const;
    void set_refresh_revoked(bool revoked);

    // Held while a token is renewed, so that requests meeting an expired token together
    // share one renewal.
    std::unique_lock<std::mutex> LockRenewal() { return std::unique_lock(renewal_); }

    // "Authorization: " + token_type + " " + access_token + "\r\n", from one reading.
    std::string AuthorizationLine() const;

private:
    mutable std::mutex mutex_;
    std::string access_token_;
    std::string token_type_;
    int expires_in_ = 0;
    long long expires_at_ = 0;
    bool refresh_revoked_ = false;
    std::string refresh_token_;
    std::mutex renewal_;
};

constexpr int kExpiryMarginSeconds = 60;

// What a sign-in brings back for the token endpoint: the code, the redirect address it was
// asked with, and the PKCE verifier (empty for the login page's out-of-band flow).
struct SignInGrant
{
    std::string code;
    std::string redirectUri;
    std::string codeVerifier;
};

// Result of a token check that found the token unusable or could not ask.
constexpr int kTokenCheckFailed = -999;

// Seconds left on `token`, or kTokenCheckFailed.
int CheckAccessToken(ServiceContext& context, const std::string& token);
// The new access token, or empty on failure.
std::string RefreshAccessToken(ServiceContext& context, const std::string& refreshToken);

// A refresh as sign-in sees it.
struct TokenRenewal
{
    bool granted = false;
    bool revoked = false; // "invalid_grant": the refresh token is dead; sign in again
    std::string failure;  // plain words when not granted
};
TokenRenewal RenewAccessToken(ServiceContext& context, const std::string& refreshToken);
std::string ExchangeAuthorizationCode(ServiceContext& context, const std::string& code);
// The exchange as sign-in sees it: true only when the service answered with an access
// token. Otherwise `failure` says why in plain words (the service's own description when
// it gave one), and a token the session held before does not count as a sign-in.
bool ExchangeAuthorizationCode(ServiceContext& context, const std::string& code, std::string& failure);
// The same for any sign-in: the grant's redirect address, and its PKCE verifier when it has one.
bool ExchangeAuthorizationCode(ServiceContext& context, const SignInGrant& grant, std::string& failure);
// Withdraws `token` (a refresh token withdraws the whole grant) at the configured revoke
// address. A failure is one diagnostics line and false; nothing else depends on it.
bool RevokeToken(ServiceContext& context, const std::string& token);
// Before an operation: with a known expiry, renews the token once it has expired and asks
// nothing otherwise; without one, checks the token and refreshes it when the check fails.
void EnsureAccessToken(ServiceContext& context);
// Lets the context's transport answer a 401 by renewing the token once and repeating the
// request once.
void InstallTokenRenewal(ServiceContext& context);

std::string ConsentPageUrl(const ServiceConfig& config);
std::string ApprovalPageUrl(const ServiceConfig& config);
std::string TokenEndpointUrl(const ServiceConfig& config);
std::string TokenCheckUrl(const ServiceConfig& config);

// The login page is done when a document completes at the approval address; only the
// part before the first "?" is compared, case-sensitively.
bool IsApprovalPage(const std::string& documentUrl, const ServiceConfig& config);
// The code between the first "=" of the title and the next "=" or the end.
std::string CodeFromTitle(const std::string& title);

} // namespace orb
