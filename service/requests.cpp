#include "service/requests.h"

#include "core/diagnostics.h"
#include "service/http.h"
#include "service/oauth.h"

namespace orb {

namespace {

constexpr int kFirstSuccessStatus = 200;
constexpr int kLastSuccessStatus = 299;

} // namespace

std::string JsonRequestHeaders(const OAuthSession& session)
{
    return session.AuthorizationLine() + kJsonContentTypeLine;
}

bool IsSuccessStatus(int status)
{
    return status >= kFirstSuccessStatus && status <= kLastSuccessStatus;
}

void WriteParseErrors(Diagnostics& diagnostics, const std::string& errors)
{
    std::string line = errors;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    diagnostics.WriteLine(line);
}

} // namespace orb
