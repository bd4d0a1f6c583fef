#include "service/service_context.h"

#include "service/http.h"

#include <strings.h>

#ifndef ORB_CLIENT_ID
#define ORB_CLIENT_ID ""
#endif
#ifndef ORB_CLIENT_SECRET
#define ORB_CLIENT_SECRET ""
#endif

namespace orb {

namespace {
constexpr const char* kGoogleAccountsBase = "https://accounts.google.com";
constexpr const char* kGoogleApiBase = "https://www.googleapis.com";
constexpr const char* kGoogleAuthUri = "https://accounts.google.com/o/oauth2/v2/auth";
constexpr const char* kGoogleTokenUri = "https://oauth2.googleapis.com/token";
constexpr const char* kAuthPath = "/o/oauth2/auth";
constexpr const char* kTokenPath = "/o/oauth2/token";
constexpr const char* kGoogleRevokeUri = "https://oauth2.googleapis.com/revoke";
constexpr const char* kRevokePath = "/o/oauth2/revoke";
constexpr const char* kOutOfBandPrefix = "urn:ietf:wg:oauth:2.0:oob";
} // namespace

ServiceConfig ServiceConfig::Defaults()
{
    return {kGoogleAccountsBase, kGoogleApiBase,  ORB_CLIENT_ID,   ORB_CLIENT_SECRET, "", "",
            kGoogleAuthUri,      kGoogleTokenUri, kGoogleRevokeUri};
}

void ServiceConfig::SetAccountsBase(const std::string& base)
{
    accountsBase = base;
    authUri = base + kAuthPath;
    tokenUri = base + kTokenPath;
    revokeUri = base + kRevokePath;
}

bool ServiceConfig::UsesLoginPage() const
{
    return redirectUri.rfind(kOutOfBandPrefix, 0) == 0;
}

} // namespace orb

namespace orb {

namespace {

bool IsLoopbackHttp(const HttpRequest& parsed)
{
    if (parsed.scheme != "http")
        return false;
    return parsed.host == "127.0.0.1" || parsed.host == "[::1]" || strcasecmp(parsed.host.c_str(), "localhost") == 0;
}

} // namespace

bool IsServiceAddress(const std::string& url)
{
    HttpRequest parsed;
    if (ParseRequestUrl(url, parsed) != kHttpCompleted)
        return false;
    // The parse takes everything before "://" as the scheme, so nothing (a "-" that a
    // browser would read as an option) can stand before it.
    return parsed.scheme == "https" || IsLoopbackHttp(parsed);
}

bool IsRedirectAddress(const std::string& url)
{
    if (url.empty() || url.rfind(kOutOfBandPrefix, 0) == 0)
        return true;
    HttpRequest parsed;
    return ParseRequestUrl(url, parsed) == kHttpCompleted && IsLoopbackHttp(parsed);
}

} // namespace orb
