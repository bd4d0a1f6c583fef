#pragma once

#include "service/http.h"
#include "service/trusted_certificates.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace orb {

// A dead network must never freeze a load or an edit for ever.
constexpr std::chrono::seconds kConnectTimeout{15};
// An answer that moves less than kStallBytesPerSecond for kStallTime is given up.
constexpr std::chrono::seconds kStallTime{30};
constexpr long kStallBytesPerSecond = 1;
// Nor may an answer that trickles in: every request ends within this, whatever arrives.
constexpr std::chrono::seconds kRequestDeadline{120};
// An answer past this is refused as it arrives (after decompression), never held in memory.
constexpr std::size_t kAnswerLimit = std::size_t{64} << 20;
// Requests side by side to one host over HTTP/1.1 (a pass over a known account asks for all
// its listings at once); HTTP/2 carries them on one connection.
constexpr long kMaxHostConnections = 32;

class CurlEngine;

struct CurlTransportOptions
{
    std::chrono::milliseconds connectTimeout = kConnectTimeout;
    std::chrono::milliseconds stallTime = kStallTime;
    std::chrono::milliseconds deadline = kRequestDeadline;
    std::size_t answerLimit = kAnswerLimit;
    std::string userAgent = "Request";
    // False: a new HTTP/1.1 connection for every request, as the program once did; kept to
    // measure the difference.
    bool reuseConnections = true;
    // False: HTTP/1.1 even where the server offers HTTP/2; kept to measure the difference.
    bool http2 = true;
    // PEM certificates trusted beside the system's ([Service] CaFile), for a TLS-inspecting
    // proxy; empty trusts the system's alone.
    std::string extraCertificates = {};
};

// What the transport's requests cost in connections, for benchmarks and tests.
struct TransferCounts
{
    std::atomic<long> transfers{0};         // completed exchanges
    std::atomic<long> connectionsOpened{0}; // new connections those exchanges had to make
    std::atomic<long> overHttp2{0};         // exchanges carried as HTTP/2 streams
};

// Carries requests with libcurl: one easy handle per request, all of them driven by one
// engine so that concurrent callers run side by side over warm connections (HTTP/2 where
// the server offers it), certificates verified against the system's CA store, compressed
// answers accepted, no cookies. Send may be called from any number of threads.
class CurlTransport : public HttpTransport
{
public:
    explicit CurlTransport(const OAuthSession& session, CurlTransportOptions options = {});
    ~CurlTransport() override;

    const TransferCounts& Counts() const { return counts_; }

protected:
    int Send(const HttpRequest& request, HttpResponse& response) override;
    void CancelTransfers() override;

private:
    CurlTransportOptions options_;
    // Added to the store libcurl builds from the system's certificates, at every new connection.
    std::vector<Certificate> extraTrust_;
    std::unique_ptr<CurlEngine> engine_;
    TransferCounts counts_;
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
