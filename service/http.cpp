#include "service/http.h"

#include "core/diagnostics.h"
#include "service/oauth.h"

#include <exception>
#include <map>
#include <random>

namespace orb {

namespace {

constexpr std::size_t kExceptionTextLimit = 255;
constexpr const char* kHeaderBlockEnd = "\r\n\r\n";
constexpr const char* kTokenFailurePrefix = "Send_Internet Fail : ";
constexpr const char* kUnknownErrorText = "UnKnown";
constexpr const char* kRetryLinePrefix = "Retrying ";

} // namespace

int ParseRequestUrl(const std::string& url, HttpRequest& request)
{
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        return wininet::kInvalidUrl;
    std::string scheme = url.substr(0, schemeEnd);
    for (char& c : scheme)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    int defaultPort = 0;
    if (scheme == "http")
        defaultPort = 80;
    else if (scheme == "https")
        defaultPort = 443;
    else
        return wininet::kUnrecognizedScheme;

    const std::size_t authorityStart = schemeEnd + 3;
    std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    if (authorityEnd == std::string::npos)
        authorityEnd = url.size();
    const std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
    if (authority.find('@') != std::string::npos)
        return wininet::kInvalidUrl; // no credentials in addresses

    std::string host = authority;
    std::string portText;
    bool hasPort = false;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos)
            return wininet::kInvalidUrl;
        host = authority.substr(0, close + 1);
        const std::string rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return wininet::kInvalidUrl;
            portText = rest.substr(1);
            hasPort = true;
        }
    } else if (const std::size_t colon = authority.find(':'); colon != std::string::npos) {
        host = authority.substr(0, colon);
        portText = authority.substr(colon + 1);
        hasPort = true;
    }
    if (host.empty())
        return wininet::kInvalidUrl;
    for (const char c : host) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '\\')
            return wininet::kInvalidUrl;
    }
    int port = defaultPort;
    if (hasPort) {
        if (portText.empty() || portText.size() > 5)
            return wininet::kInvalidUrl;
        port = 0;
        for (const char c : portText) {
            if (c < '0' || c > '9')
                return wininet::kInvalidUrl;
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535)
            return wininet::kInvalidUrl;
    }
    // The target is the rest exactly as written; a fragment never goes on the wire.
    std::string target = url.substr(authorityEnd);
    if (const std::size_t fragment = target.find('#'); fragment != std::string::npos)
        target.erase(fragment);
    if (target.empty() || target.front() != '/')
        target.insert(0, "/");
    // A space or control byte would split or end the request line.
    for (const char c : target) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7F')
            return wininet::kInvalidUrl;
    }

    request.url = url;
    request.scheme = scheme;
    request.host = host;
    request.port = port;
    request.target = target;
    return 0;
}

bool NothingWasSent(const TransportResult& result)
{
    switch (result.code) {
    case wininet::kCannotConnect:
    case wininet::kNameNotResolved:
    case wininet::kInvalidUrl:
    case wininet::kUnrecognizedScheme:
    case wininet::kInvalidCaCert:
    case wininet::kSecCertCnInvalid:
    case wininet::kSecCertDateInvalid:
        return true;
    default:
        return false;
    }
}

bool IsRetryable(const std::string& verb, const TransportResult& result)
{
    if (!result.Completed()) {
        switch (result.code) {
        case wininet::kCannotConnect:
        case wininet::kNameNotResolved:
        case wininet::kTimeout:
        case wininet::kConnectionAborted:
        case wininet::kConnectionReset:
            // A write goes again only if it never left.
            return verb == "GET" || NothingWasSent(result);
        default:
            return false; // a refused peer, a bad address, an answer too large: the same again
        }
    }
    switch (result.status) {
    case 429:
    case 503:
        return verb == "GET" || result.retryAfterSeconds >= 0;
    case 500:
    case 502:
    case 504:
        return verb == "GET";
    default:
        return false;
    }
}

void HttpTransport::Stop()
{
    {
        std::lock_guard lock(waitMutex_);
        stopped_ = true;
    }
    waitEnded_.notify_all();
    CancelTransfers();
}

bool HttpTransport::WaitBeforeRetry(std::chrono::milliseconds wait)
{
    if (retry.wait)
        return retry.wait(wait) && !stopped_;
    std::unique_lock lock(waitMutex_);
    return !waitEnded_.wait_for(lock, wait, [this] { return stopped_.load(); });
}

TransportResult HttpTransport::Perform(const char* verb, const std::string& url, const std::string& body,
                                       const std::string& headerLines, std::string& response)
{
    const std::size_t answerStart = response.size();
    TransportResult result = PerformRenewingOnce(verb, url, body, headerLines, response);
    for (int attempt = 0; attempt < retry.retries && !stopped_ && IsRetryable(verb, result); ++attempt) {
        std::chrono::milliseconds wait;
        if (result.retryAfterSeconds >= 0) {
            wait = std::chrono::seconds(result.retryAfterSeconds);
        } else {
            // Jitter keeps many clients, or many listings, from retrying in step.
            thread_local std::mt19937 random{std::random_device{}()};
            std::uniform_real_distribution<double> jitter(0.75, 1.25);
            wait = std::chrono::milliseconds(
                static_cast<long long>(static_cast<double>(retry.firstWait.count() << attempt) * jitter(random)));
        }
        if (wait > retry.longestWait)
            break;
        if (retry.report)
            retry.report(std::string(kRetryLinePrefix) + verb + " " + url + " in " + std::to_string(wait.count()) +
                         " ms after " +
                         (result.Completed() ? "HTTP " + std::to_string(result.status) : TransportFailureText(result)));
        if (!WaitBeforeRetry(wait))
            break;
        response.resize(answerStart);
        result = PerformRenewingOnce(verb, url, body, headerLines, response);
    }
    return result;
}

TransportResult HttpTransport::PerformRenewingOnce(const char* verb, const std::string& url, const std::string& body,
                                                   const std::string& headerLines, std::string& response)
{
    const std::size_t answerStart = response.size();
    TransportResult result = PerformOnce(verb, url, body, headerLines, response);
    if (!result.Completed() || result.status != kHttpUnauthorized || !renewAuthorization)
        return result;
    const std::size_t at = headerLines.find(kAuthorizationPrefix);
    if (at == std::string::npos || (at != 0 && headerLines.compare(at - 2, 2, "\r\n") != 0))
        return result;
    const std::size_t end = headerLines.find("\r\n", at);
    const std::size_t length = end == std::string::npos ? std::string::npos : end + 2 - at;
    const std::string refused = headerLines.substr(at, length);
    if (!renewAuthorization(refused))
        return result;
    std::string renewed = headerLines;
    renewed.replace(at, refused.size(), session_.AuthorizationLine());
    response.resize(answerStart);
    return PerformOnce(verb, url, body, renewed, response);
}

TransportResult HttpTransport::PerformOnce(const char* verb, const std::string& url, const std::string& body,
                                           const std::string& headerLines, std::string& response)
{
    TransportResult result;
    try {
        HttpRequest request;
        request.verb = verb;
        request.headerBlock = headerLines + kHeaderBlockEnd;
        request.body = body;
        result.code = ParseRequestUrl(url, request);
        if (result.code != 0)
            return result;
        if (stopped_) {
            result.code = wininet::kOperationCancelled;
            return result;
        }
        HttpResponse answer;
        result.code = Send(request, answer);
        if (result.code != kHttpCompleted) {
            result.errorText = std::move(answer.errorText);
            return result;
        }
        response += answer.body;
        result.status = answer.status;
        result.retryAfterSeconds = answer.retryAfterSeconds;
        return result;
    } catch (const std::exception& error) {
        response = std::string(error.what()).substr(0, kExceptionTextLimit);
        return {kHttpException, 0, {}};
    } catch (...) {
        response.clear();
        return {kHttpException, 0, {}};
    }
}

TransportResult HttpTransport::HttpPost(const std::string& url, const std::string& body, std::string& response,
                                        const std::string& headers)
{
    return Perform("POST", url, body, headers, response);
}

TransportResult HttpTransport::HttpGet(const std::string& url, const std::string& body, std::string& response)
{
    return Perform("GET", url, body, session_.AuthorizationLine() + kFormContentTypeLine, response);
}

TransportResult HttpTransport::HttpDelete(const std::string& url, const std::string& body, std::string& response,
                                          const std::string& headers)
{
    return Perform("DELETE", url, body, headers, response);
}

TransportResult HttpTransport::HttpPut(const std::string& url, const std::string& body, std::string& response,
                                       const std::string& headers)
{
    return Perform("PUT", url, body, headers, response);
}

TransportResult HttpTransport::HttpPatch(const std::string& url, const std::string& body, std::string& response,
                                         const std::string& headers)
{
    return Perform("PATCH", url, body, headers, response);
}

std::string WinInetErrorText(int code)
{
    static const std::map<int, const char*> kTable = {
        {12001, "(Out of handles)"},
        {12002, "(Timeout)"},
        {12004, "(Internal Error)"},
        {12005, "(Invalid URL)"},
        {12006, "(Unrecognized Scheme : Please check the URL name in 'Nightjar.ini'.)"},
        {12007, "(Service Name Not Resolved)"},
        {12008, "(Protocol Not Found)"},
        {12013, "(Incorrect User Name)"},
        {12014, "(Incorrect Password)"},
        {12015, "(Login Failure)"},
        {12016, "(Invalid Operation)"},
        {12017, "(Operation Canceled)"},
        {12020, "(Not Proxy Request)"},
        {12023, "(No Direct Access)"},
        {12026, "(Request Pending)"},
        {12027, "(Incorrect Format)"},
        {12028, "(Item not found)"},
        {12029, "(Cannot connect)"},
        {12030, "(Connection Aborted)"},
        {12031, "(Connection Reset)"},
        {12033, "(Invalid Proxy Request)"},
        {12034, "(Need UI)"},
        {12035, "(Sec Cert Date Invalid)"},
        {12038, "(Sec Cert CN Invalid)"},
        {12044, "(Client Auth Cert Needed)"},
        {12045, "(Invalid CA Cert)"},
        {12046, "(Client Auth Not Setup)"},
        {12150, "(HTTP Header Not Found)"},
        {12152, "(Invalid HTTP Server Response)"},
        {12153, "(Invalid HTTP Header)"},
        {12154, "(Invalid Query Request)"},
        {12156, "(Redirect Failed)"},
        {12159, "(TCP/IP not installed)"},
    };
    const auto found = kTable.find(code);
    return found == kTable.end() ? kUnknownErrorText : found->second;
}

std::string TransportFailureText(const TransportResult& result)
{
    const std::string table = WinInetErrorText(result.code);
    return result.errorText.empty() ? table : result.errorText + " " + table;
}

void ReportTransportFailure(Diagnostics& diagnostics, const TransportResult& result, FailureLineStyle style)
{
    const std::string description = TransportFailureText(result) + std::to_string(result.code);
    diagnostics.WriteLine(style == FailureLineStyle::TokenOperation ? kTokenFailurePrefix + description : description);
}

} // namespace orb
