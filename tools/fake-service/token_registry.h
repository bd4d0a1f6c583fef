#pragma once

#include "tools/fake-service/fake_service.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace orb::fake {

// Access tokens, refresh tokens and one-time authorization codes the stand-in knows.
// Thread-safe: every route of every module checks tokens from its own worker thread.
class TokenRegistry
{
public:
    // `refreshToken`: the refresh token the access token comes from, which revoking either ends.
    std::string IssueAccessToken(const TokenGrant& grant, std::chrono::seconds lifetime,
                                 const std::string& refreshToken);
    std::string IssueRefreshToken(const TokenGrant& grant);
    std::string IssueAuthorizationCode(const TokenGrant& grant);

    void AddAccessToken(const std::string& token, std::chrono::seconds lifetime, const TokenGrant& grant,
                        const std::string& refreshToken);
    void AddRefreshToken(const std::string& token, const TokenGrant& grant);
    void AddAuthorizationCode(const std::string& code, const TokenGrant& grant);
    IssuedTokens Snapshot() const;

    bool FindAccessToken(const std::string& token, TokenGrant& grant, int& secondsLeft) const;
    bool FindRefreshToken(const std::string& token, TokenGrant& grant) const;
    bool TakeAuthorizationCode(const std::string& code, TokenGrant& grant);

    // As Google revokes: a refresh token with every access token issued from it; an access token
    // with the refresh token it came from. False for a token it does not know or that expired.
    bool Revoke(const std::string& token);
    void RevokeAccessTokens();
    void RevokeRefreshTokens();
    void Clear();

private:
    using SteadyTime = std::chrono::steady_clock::time_point;
    struct AccessToken
    {
        TokenGrant grant;
        SteadyTime expires;
        std::string refreshToken; // empty: issued from none
    };

    // Unique and unguessable; never contains a character that would need encoding in a form
    // body, since the program sends tokens unencoded.
    std::string NewToken(const std::string& prefix);
    // Called with mutex_ held.
    void RevokeRefreshToken(const std::string& token);

    mutable std::mutex mutex_;
    std::map<std::string, AccessToken> accessTokens_;
    std::map<std::string, TokenGrant> refreshTokens_;
    std::map<std::string, TokenGrant> codes_;
    std::uint64_t issued_ = 0;
};

} // namespace orb::fake
