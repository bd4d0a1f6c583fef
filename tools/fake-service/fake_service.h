#pragma once

#include <chrono>
#include <limits>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace Json {
class Value;
}

namespace orb::fake {

// One request as the stand-in service received it.
struct RecordedRequest
{
    std::string method;
    std::string target;                                       // path and query exactly as received
    std::vector<std::pair<std::string, std::string>> headers; // in arrival order
    std::string body;
    // The request line and header lines exactly as they arrived, ending with the empty line.
    std::string head;

    // First value of a header, matched without regard to case; empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

enum class FaultKind
{
    Status,        // answer `status` with a Google-shaped error document
    MalformedBody, // answer 200 with a body that is not JSON
    Drop,          // close the connection part-way through the answer
    Stall,         // send the headers, then nothing for `stall`
    Trickle,       // send the headers, then one byte every `stall`, never finishing
    HugeBody,      // answer 200 with a 100 MB body that is one JSON string
    BadUtf8,       // answer 200 with a listing page whose item has invalid UTF-8 in its texts
    DeepNesting,   // answer 200 with 1200 nested arrays
    EndlessPages,  // answer 200 with the same items every time and always a new nextPageToken
};

struct Fault
{
    Fault(FaultKind kind = FaultKind::Status, int status = 500,
          std::chrono::milliseconds stall = std::chrono::milliseconds(60000), std::string pathContains = {})
        : kind(kind), status(status), stall(stall), pathContains(std::move(pathContains))
    {}

    FaultKind kind;
    int status;
    std::chrono::milliseconds stall;
    // When set, only requests whose raw target contains it meet the fault; others pass it by.
    // Each '*' in it stands for any characters.
    std::string pathContains;
};

// The part of the stand-in for one service (OAuth, Calendar, Tasks): its routes, its
// state and how that state is seeded.
class FakeModule
{
public:
    virtual ~FakeModule() = default;
    virtual void Register(httplib::Server& server) = 0;
    // Reads the module's own members of a seed document; others are ignored.
    virtual bool Seed(const Json::Value& root, std::string& error) = 0;
    // Writes the module's own member of a seed document that gives back its current state.
    virtual void Save(Json::Value& root) = 0;
    virtual void Reset() = 0;
    // Answers an API request made in-process (see FakeService::FromAnotherDevice); false when no
    // route of the module takes `method` and `target`.
    virtual bool Serve(const std::string& /*method*/, const std::string& /*target*/, const std::string& /*body*/,
                       httplib::Response& /*response*/)
    {
        return false;
    }
    // Forgets the change history behind the sync tokens handed out so far.
    virtual void ExpireSyncTokens() {}
};

class FakeService;
std::unique_ptr<FakeModule> MakeOAuthModule(FakeService& service);
std::unique_ptr<FakeModule> MakeCalendarModule(FakeService& service);
std::unique_ptr<FakeModule> MakeTasksModule(FakeService& service);

// What a token or an authorization code was granted for.
struct TokenGrant
{
    std::string clientId;
    std::string scope;       // scope identifiers separated by spaces
    std::string redirectUri; // codes only: the token request must name the same one
    // Codes of a browser sign-in only: the token request must bring the verifier that answers it.
    std::string codeChallenge;
    std::string codeChallengeMethod; // "S256" or "plain"
};

// A token or authorization code the service knows, with what it was granted for.
struct IssuedToken
{
    std::string token;
    TokenGrant grant;
    std::chrono::seconds lifetimeLeft{0}; // access tokens only
    std::string refreshToken;             // access tokens only: the refresh token it came from, if any
};

struct IssuedTokens
{
    std::vector<IssuedToken> accessTokens; // expired ones are left out
    std::vector<IssuedToken> refreshTokens;
    std::vector<IssuedToken> codes;
};

// Access tokens live an hour unless told otherwise, as Google's do.
constexpr std::chrono::seconds kAccessTokenLifetime{3600};
// expires_in is an int on the wire.
constexpr std::chrono::seconds kLongestTokenLifetime{std::numeric_limits<int>::max()};

constexpr int kDefaultPageSize = 20;

// What the API answered a request made by another device: status 0 when no route takes it.
struct DeviceAnswer
{
    int status = 0;
    std::string body;
};

struct TlsFiles
{
    std::string certificate; // PEM paths; both empty serves plain HTTP
    std::string privateKey;
};

// A local stand-in for the Google OAuth, Calendar v3 and Tasks v1 services with real
// state. Listens on 127.0.0.1 only.
class FakeService
{
public:
    FakeService();
    ~FakeService();
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    // Starts listening on a background thread; port 0 picks a free port.
    bool Start(int port = 0, const TlsFiles& tls = {});
    // Why the last Start failed.
    std::string StartError() const;
    void Stop();
    int Port() const;
    // "http://127.0.0.1:PORT" (or https).
    std::string BaseUrl() const;
    // What every /__control/ request must carry in its X-Orb-Control-Key header: 256 random
    // bits as 64 hexadecimal digits, made with the service. The in-process calls need none.
    const std::string& ControlKey() const;

    // Seeds every module from a JSON document (see the README of this folder).
    bool SeedFromJson(const std::string& text, std::string& error);
    // Also clears the path latencies and resets the traffic counters; the global latency stays.
    void Reset();

    // Keeps the state in `path` across runs: when the file exists, its seed document replaces the
    // module data and tokens; otherwise the current state is written there. From then on every
    // change is written to it. False, with the reason, when the file cannot be read, is refused
    // (the service is then left empty) or cannot be written.
    bool SetStateFile(const std::string& path, std::string& error);
    // Writes the state file, if there is one. Routes call it after a change, never while holding
    // their module's lock, since the write takes every module's lock in turn.
    void StateChanged();

    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();
    void SetLatency(std::chrono::milliseconds latency);
    // Requests whose target contains `pathContains` (as sent, or percent-decoded) wait `latency`
    // instead of the global latency. Of several rules the first one added that matches wins;
    // setting a text again changes its rule in place. An empty text matches every request.
    // Reset clears the rules.
    void SetPathLatency(const std::string& pathContains, std::chrono::milliseconds latency);
    void ClearPathLatencies();
    // How long a request with this raw target waits before it is answered.
    std::chrono::milliseconds LatencyFor(const std::string& target) const;

    // Client traffic, control requests left out. A connection counts once, when it carries its
    // first request; a request is in flight from when its head is read until its answer goes out
    // (a stalled or dropped answer: until it ends).
    int ConnectionCount() const;
    int InFlightCount() const;
    int PeakInFlight() const;
    // Connections to 0, the peak to what is in flight now; Reset does this too. A connection
    // opened before and still in use is not counted again.
    void ResetTrafficCounters();
    // An API request (`target`: path and query, as a client sends them) made at the service by
    // another device signed in to the same account: no access token, never recorded, delayed or
    // faulted. Its changes bump `updated` and reach sync tokens and updatedMin like any other.
    DeviceAnswer FromAnotherDevice(const std::string& method, const std::string& target, const std::string& body = {});
    // Every calendar sync token handed out so far answers 410 fullSyncRequired from now on, and an
    // events updatedMin before now answers 410 updatedMinTooLongAgo, as when Google drops the
    // history behind them.
    void ExpireSyncTokens();

    // The next `count` requests (control requests excluded) meet `fault`.
    void FailNext(int count, const Fault& fault);
    // Forgets every fault not met yet.
    void ClearFaults();

    // Tokens: the OAuth module issues them, every module checks them.
    std::string IssueAccessToken();
    std::string IssueRefreshToken();
    std::string IssueAuthorizationCode();
    bool IsAccessTokenValid(const std::string& token) const;
    bool IsRefreshTokenValid(const std::string& token) const;
    bool TakeAuthorizationCode(const std::string& code); // a code works once
    void AddAccessToken(const std::string& token);
    void AddRefreshToken(const std::string& token);
    void RevokeAccessTokens();  // every issued access token stops working
    void RevokeRefreshTokens(); // and every refresh token
    // What Google's revocation endpoint does: a refresh token stops working with every access
    // token issued from it, an access token with the refresh token it came from. False for a
    // token that is unknown, expired or revoked already.
    bool RevokeToken(const std::string& token);

    // The same with what the token was granted for; an access token also carries its lifetime,
    // and the refresh token it comes from (revoking that ends it too).
    std::string IssueAccessToken(const TokenGrant& grant, const std::string& refreshToken = {});
    std::string IssueRefreshToken(const TokenGrant& grant);
    std::string IssueAuthorizationCode(const TokenGrant& grant);
    bool TakeAuthorizationCode(const std::string& code, TokenGrant& grant);
    void AddAccessToken(const std::string& token, std::chrono::seconds lifetime, const TokenGrant& grant = {},
                        const std::string& refreshToken = {});
    void AddRefreshToken(const std::string& token, const TokenGrant& grant);
    void AddAuthorizationCode(const std::string& code, const TokenGrant& grant);
    IssuedTokens Tokens() const;
    // False for an unknown or expired access token; otherwise its grant and whole seconds left.
    bool FindAccessToken(const std::string& token, TokenGrant& grant, int& secondsLeft) const;
    bool FindRefreshToken(const std::string& token, TokenGrant& grant) const;

    // How long access tokens issued from now on live, and the expires_in of token answers;
    // 0 issues tokens that are already expired. Negative values are taken as 0.
    void SetTokenLifetime(std::chrono::seconds lifetime);
    std::chrono::seconds TokenLifetime() const;
    // Strict mode refuses what Google no longer takes from a desktop program: the out-of-band
    // redirect, a browser sign-in without S256 PKCE, and the token check address.
    void SetStrict(bool on);
    bool Strict() const;

    // Answers 401 UNAUTHENTICATED with "WWW-Authenticate: Bearer" and returns false unless the
    // request carries "Authorization: <type> <valid token>".
    bool CheckAuthorization(const httplib::Request& request, httplib::Response& response) const;

    // {"error": {"errors": [{"domain": "global", "reason": reason, "message": message}],
    //            "code": status, "message": message}}
    static void SendError(httplib::Response& response, int status, const std::string& reason,
                          const std::string& message);
    // Answers `document` as indented JSON, the way Google's services print it.
    static void SendJson(httplib::Response& response, int status, const Json::Value& document);

    // The page a listing gives when the client names no maxResults (the service's default).
    int PageSize() const;
    // Sets that default and also caps every page at `size`, whatever maxResults asks, so a
    // test can make any listing page. Values below 1 are taken as 1.
    void SetPageSize(int size);
    // The items of one page: PageSize() without a maxResults (`requested` 0), else what was
    // asked up to the listing's own maximum and the cap SetPageSize set.
    std::size_t PageLength(int requested, int listingMaximum) const;

    std::chrono::milliseconds Latency() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace orb::fake
