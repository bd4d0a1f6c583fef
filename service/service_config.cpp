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
constexpr const char* kInstalledAppRedirectUri = "urn:ietf:wg:oauth:2.0:oob:auto";
} // namespace

ServiceConfig ServiceConfig::Defaults()
{
    return {kGoogleAccountsBase, kGoogleApiBase, ORB_CLIENT_ID, ORB_CLIENT_SECRET, kInstalledAppRedirectUri, ""};
}

} // namespace orb
