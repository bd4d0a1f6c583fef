#pragma once

#include "service/http.h"

#include <chrono>
#include <string>
#include <vector>

namespace orb {

// A dead network must never freeze a load or an edit for ever.
constexpr std::chrono::seconds kConnectTimeout{15};
// An answer that moves less than kStallBytesPerSecond for kStallTime is given up.
constexpr std::chrono::seconds kStallTime{30};
constexpr long kStallBytesPerSecond = 1;

struct CurlTransportOptions
{
    std::chrono::milliseconds connectTimeout = kConnectTimeout;
    std::chrono::milliseconds stallTime = kStallTime;
    std::string userAgent = "Request";
};

// Carries requests with libcurl: one easy handle per request, certificates verified
// against the system's CA store, nothing cached and no cookies.
class CurlTransport : public HttpTransport
{
public:
    explicit CurlTransport(const OAuthSession& session, CurlTransportOptions options = {});

protected:
    int Send(const HttpRequest& request, HttpResponse& response) override;

private:
    CurlTransportOptions options_;
};

// The WinINet-style code for a libcurl result (the OS error helps tell a reset from an
// abort).
int CurlResultToWinInet(int curlCode, long osErrno);
// The WinINet-style code for a refused peer, from the certificate check's own result (an
// OpenSSL verify code; 0 when the chain passed and the host name did not).
int PeerVerificationToWinInet(long verifyResult);

// The caller's header block as separate lines, without the blank end.
std::vector<std::string> SplitHeaderBlock(const std::string& block);

} // namespace orb
