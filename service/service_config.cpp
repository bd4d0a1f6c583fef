#include "service/service_context.h"

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
constexpr const char* kOutOfBandPrefix = "urn:ietf:wg:oauth:2.0:oob";
} // namespace

ServiceConfig ServiceConfig::Defaults()
{
    return {kGoogleAccountsBase, kGoogleApiBase, ORB_CLIENT_ID, ORB_CLIENT_SECRET, "", "",
            kGoogleAuthUri,      kGoogleTokenUri};
}

void ServiceConfig::SetAccountsBase(const std::string& base)
{
    accountsBase = base;
    authUri = base + kAuthPath;
    tokenUri = base + kTokenPath;
}

bool ServiceConfig::UsesLoginPage() const
{
    return redirectUri.rfind(kOutOfBandPrefix, 0) == 0;
}

} // namespace orb
