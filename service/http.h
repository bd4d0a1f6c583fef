#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace orb {

class Diagnostics;
class OAuthSession;

// Result of a request operation: 0 for every completed exchange whatever the HTTP
// status, 1 when an exception was caught, otherwise a WinINet-style failure code.
constexpr int kHttpCompleted = 0;
constexpr int kHttpException = 1;

namespace wininet {
constexpr int kTimeout = 12002;
constexpr int kInternalError = 12004;
constexpr int kInvalidUrl = 12005;
constexpr int kOperationCancelled = 12017;
constexpr int kUnrecognizedScheme = 12006;
constexpr int kNameNotResolved = 12007;
constexpr int kCannotConnect = 12029;
constexpr int kConnectionAborted = 12030;
constexpr int kConnectionReset = 12031;
constexpr int kSecCertDateInvalid = 12035;
constexpr int kSecCertCnInvalid = 12038;
constexpr int kInvalidCaCert = 12045;
constexpr int kInvalidServerResponse = 12152;
} // namespace wininet

constexpr const char* kAuthorizationPrefix = "Authorization: ";
constexpr int kHttpOk = 200;
constexpr int kHttpUnauthorized = 401;
constexpr const char* kJsonContentTypeLine = "Content-Type: application/json\r\n";
constexpr const char* kFormContentTypeLine = "Content-type: application/x-www-form-urlencoded\r\n";

// One request as it leaves the program. `headerBlock` is the caller's header lines
// followed by "\r\n\r\n"; `target` is the path and query exactly as the caller wrote them.
struct HttpRequest
{
    std::string verb;
    std::string url;
    std::string scheme; // "http" or "https"
    std::string host;
    int port = 0;
    std::string target;
    std::string headerBlock;
    std::string body;
};

struct HttpResponse
{
    std::string body;
    int status = 0;             // HTTP status of a completed exchange
    std::string errorText;      // the carrier's own words for a failure, when it has them
    int retryAfterSeconds = -1; // the answer's Retry-After in seconds; -1 without one
};

// The outcome of one request, handed on as a value to whoever reports it.
struct TransportResult
{
    int code = kHttpCompleted; // 0, 1 (an exception), or a WinINet-style failure code
    int status = 0;            // HTTP status of a completed exchange, else 0
    std::string errorText;     // the carrier's own words for a failure, when it has them
    int retryAfterSeconds = -1;

    bool Completed() const { return code == kHttpCompleted; }
};

// When a request is sent again. A listing (GET) is repeated after a failed exchange or a
// 429, 500, 502, 503 or 504; a write only when it never left (no connection) or when the
// service asked for it with a 429 or 503 and a Retry-After. Each wait doubles, with
// jitter, unless the service names one; a wait past `longestWait` is not made.
struct RetryPolicy
{
    int retries = 0; // off unless the program turns it on
    std::chrono::milliseconds firstWait{500};
    std::chrono::milliseconds longestWait{30000};
    // Told each retry, in words; may be empty.
    std::function<void(const std::string& line)> report;
    // Waits before a retry; false when the wait was cut short and no retry should follow.
    // Unset: an interruptible sleep (see Stop).
    std::function<bool(std::chrono::milliseconds)> wait;
};

constexpr int kProgramRetries = 3;
// A failed exchange whose request never reached the service: no connection, or no address
// or peer it would be sent to.
bool NothingWasSent(const TransportResult& result);
// Whether `result` of `verb` may be sent again under the rules above.
bool IsRetryable(const std::string& verb, const TransportResult& result);

// Splits an absolute http/https URL into scheme, host, port and target. Returns 0, or
// the failure code (nothing is sent for a URL that fails here).
int ParseRequestUrl(const std::string& url, HttpRequest& request);

// The five request operations. The verbs are fixed here; a carrier (libcurl, or a script
// in tests) only moves the bytes.
class HttpTransport
{
public:
    explicit HttpTransport(const OAuthSession& session) : session_(session) {}
    virtual ~HttpTransport() = default;
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    // `response` is appended to.
    TransportResult HttpPost(const std::string& url, const std::string& body, std::string& response,
                             const std::string& headers);
    // Builds its own Authorization and form Content-type lines from the session.
    TransportResult HttpGet(const std::string& url, const std::string& body, std::string& response);
    TransportResult HttpDelete(const std::string& url, const std::string& body, std::string& response,
                               const std::string& headers);
    TransportResult HttpPut(const std::string& url, const std::string& body, std::string& response,
                            const std::string& headers);
    TransportResult HttpPatch(const std::string& url, const std::string& body, std::string& response,
                              const std::string& headers);

    // Asked when a request that carried `authorization` (its whole Authorization line) is
    // answered 401: true when the session now holds a renewed token, and the request is
    // then sent once more with it. Unset, a 401 is an answer like any other.
    std::function<bool(const std::string& authorization)> renewAuthorization;

    RetryPolicy retry;
    // Ends every wait before a retry and every request in flight at once (they fail as
    // cancelled), and nothing is sent afterwards: nothing holds up the program's exit.
    void Stop();

protected:
    // Carries one parsed request. Returns 0 for a completed exchange, else a failure code.
    virtual int Send(const HttpRequest& request, HttpResponse& response) = 0;
    // Ends the requests the carrier has in flight; called once by Stop.
    virtual void CancelTransfers() {}

private:
    TransportResult PerformOnce(const char* verb, const std::string& url, const std::string& body,
                                const std::string& headerLines, std::string& response);
    TransportResult Perform(const char* verb, const std::string& url, const std::string& body,
                            const std::string& headerLines, std::string& response);
    TransportResult PerformRenewingOnce(const char* verb, const std::string& url, const std::string& body,
                                        const std::string& headerLines, std::string& response);
    bool WaitBeforeRetry(std::chrono::milliseconds wait);

    const OAuthSession& session_;
    std::mutex waitMutex_;
    std::condition_variable waitEnded_;
    std::atomic<bool> stopped_{false};
};

// Short text for a WinINet-style code; "UnKnown" for codes not in the table.
std::string WinInetErrorText(int code);

enum class FailureLineStyle
{
    TokenOperation, // "Send_Internet Fail : " + description
    Client,         // the description alone
};

// A failed exchange in words: the carrier's own text when it has one, then the table text.
std::string TransportFailureText(const TransportResult& result);

// Writes the one diagnostic line for a failed exchange: TransportFailureText, then the
// decimal code.
void ReportTransportFailure(Diagnostics& diagnostics, const TransportResult& result,
                            FailureLineStyle style = FailureLineStyle::Client);

} // namespace orb
