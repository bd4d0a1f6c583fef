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

    // "Authorization: " + token_type + " " + access_token + "\r\n", from one reading.
    std::string AuthorizationLine() const;

private:
    mutable std::mutex mutex_;
    std::string access_token_;
    std::string token_type_;
    int expires_in_ = 0;
    std::string refresh_token_;
};

// Result of a token check that found the token unusable or could not ask.
constexpr int kTokenCheckFailed = -999;

// Seconds left on `token`, or kTokenCheckFailed.
int CheckAccessToken(ServiceContext& context, const std::string& token);
// The new access token, or empty on failure.
std::string RefreshAccessToken(ServiceContext& context, const std::string& refreshToken);
std::string ExchangeAuthorizationCode(ServiceContext& context, const std::string& code);
// The exchange as sign-in sees it: true only when the service answered with an access
// token. Otherwise `failure` says why in plain words (the service's own description when
// it gave one), and a token the session held before does not count as a sign-in.
bool ExchangeAuthorizationCode(ServiceContext& context, const std::string& code, std::string& failure);
// Checks the current token and refreshes it once when the check fails.
void EnsureAccessToken(ServiceContext& context);

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
