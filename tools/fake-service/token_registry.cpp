#include "tools/fake-service/token_registry.h"

#include "tools/fake-service/random_text.h"

namespace orb::fake {

namespace {

// Prefixes shaped like Google's, so a program that sends them unencoded meets the same
// characters (the slash included) it meets in real use.
constexpr const char* kAccessTokenPrefix = "ya29.fake-";
constexpr const char* kRefreshTokenPrefix = "1//fake-";
constexpr const char* kCodePrefix = "4/fake-";
constexpr int kRandomCharacters = 24;
constexpr char kTokenAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Rounded up: a token is good while any of it is left, so it never reports 0 seconds.
std::chrono::seconds SecondsLeft(std::chrono::steady_clock::duration left)
{
    return std::chrono::ceil<std::chrono::seconds>(left);
}

} // namespace

std::string TokenRegistry::NewToken(const std::string& prefix)
{
    // Called with mutex_ held.
    return prefix + std::to_string(++issued_) + "-" + RandomCharacters(kRandomCharacters, kTokenAlphabet);
}

std::string TokenRegistry::IssueAccessToken(const TokenGrant& grant, std::chrono::seconds lifetime,
                                            const std::string& refreshToken)
{
    std::lock_guard lock(mutex_);
    std::string token = NewToken(kAccessTokenPrefix);
    accessTokens_[token] = {grant, std::chrono::steady_clock::now() + lifetime, refreshToken};
    return token;
}

std::string TokenRegistry::IssueRefreshToken(const TokenGrant& grant)
{
    std::lock_guard lock(mutex_);
    std::string token = NewToken(kRefreshTokenPrefix);
    refreshTokens_[token] = grant;
    return token;
}

std::string TokenRegistry::IssueAuthorizationCode(const TokenGrant& grant)
{
    std::lock_guard lock(mutex_);
    std::string code = NewToken(kCodePrefix);
    codes_[code] = grant;
    return code;
}

void TokenRegistry::AddAccessToken(const std::string& token, std::chrono::seconds lifetime, const TokenGrant& grant,
                                   const std::string& refreshToken)
{
    std::lock_guard lock(mutex_);
    accessTokens_[token] = {grant, std::chrono::steady_clock::now() + lifetime, refreshToken};
}

void TokenRegistry::AddRefreshToken(const std::string& token, const TokenGrant& grant)
{
    std::lock_guard lock(mutex_);
    refreshTokens_[token] = grant;
}

void TokenRegistry::AddAuthorizationCode(const std::string& code, const TokenGrant& grant)
{
    std::lock_guard lock(mutex_);
    codes_[code] = grant;
}

IssuedTokens TokenRegistry::Snapshot() const
{
    std::lock_guard lock(mutex_);
    IssuedTokens tokens;
    const auto now = std::chrono::steady_clock::now();
    for (const auto& [token, access] : accessTokens_) {
        if (access.expires > now) {
            tokens.accessTokens.push_back(
                {token, access.grant, SecondsLeft(access.expires - now), access.refreshToken});
        }
    }
    for (const auto& [token, grant] : refreshTokens_) {
        tokens.refreshTokens.push_back({token, grant, {}, {}});
    }
    for (const auto& [code, grant] : codes_) {
        tokens.codes.push_back({code, grant, {}, {}});
    }
    return tokens;
}

bool TokenRegistry::FindAccessToken(const std::string& token, TokenGrant& grant, int& secondsLeft) const
{
    std::lock_guard lock(mutex_);
    auto found = accessTokens_.find(token);
    const auto now = std::chrono::steady_clock::now();
    if (found == accessTokens_.end() || found->second.expires <= now) {
        return false;
    }
    grant = found->second.grant;
    secondsLeft = static_cast<int>(SecondsLeft(found->second.expires - now).count());
    return true;
}

bool TokenRegistry::FindRefreshToken(const std::string& token, TokenGrant& grant) const
{
    std::lock_guard lock(mutex_);
    auto found = refreshTokens_.find(token);
    if (found == refreshTokens_.end()) {
        return false;
    }
    grant = found->second;
    return true;
}

bool TokenRegistry::TakeAuthorizationCode(const std::string& code, TokenGrant& grant)
{
    std::lock_guard lock(mutex_);
    auto found = codes_.find(code);
    if (found == codes_.end()) {
        return false;
    }
    grant = found->second;
    codes_.erase(found);
    return true;
}

bool TokenRegistry::Revoke(const std::string& token)
{
    std::lock_guard lock(mutex_);
    if (refreshTokens_.count(token) > 0) {
        RevokeRefreshToken(token);
        return true;
    }
    auto access = accessTokens_.find(token);
    if (access == accessTokens_.end() || access->second.expires <= std::chrono::steady_clock::now()) {
        return false;
    }
    const std::string refreshToken = access->second.refreshToken;
    accessTokens_.erase(access);
    if (!refreshToken.empty()) {
        RevokeRefreshToken(refreshToken);
    }
    return true;
}

void TokenRegistry::RevokeRefreshToken(const std::string& token)
{
    refreshTokens_.erase(token);
    std::erase_if(accessTokens_, [&token](const auto& access) { return access.second.refreshToken == token; });
}

void TokenRegistry::RevokeAccessTokens()
{
    std::lock_guard lock(mutex_);
    accessTokens_.clear();
}

void TokenRegistry::RevokeRefreshTokens()
{
    std::lock_guard lock(mutex_);
    refreshTokens_.clear();
}

void TokenRegistry::Clear()
{
    std::lock_guard lock(mutex_);
    accessTokens_.clear();
    refreshTokens_.clear();
    codes_.clear();
}

} // namespace orb::fake
