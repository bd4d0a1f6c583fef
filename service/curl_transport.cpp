#include "service/curl_transport.h"

#include "service/curl_engine.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <memory>
#include <mutex>
#include <string_view>
#include <strings.h>
#include <vector>

namespace orb {

namespace {

struct EasyHandleDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

struct HeaderListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

constexpr const char* kAcceptedEncodings = "gzip";
constexpr const char* kAnswerTooLargePrefix = "the answer is larger than ";

std::string AnswerTooLargeText(std::size_t limit)
{
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    return kAnswerTooLargePrefix +
           (limit >= kMiB ? std::to_string(limit / kMiB) + " MiB" : std::to_string(limit) + " bytes");
}

void GlobalInitOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct AnswerSink
{
    std::string body;
    std::size_t limit = 0;
    bool tooLarge = false;
};

// Keeps the Retry-After of the answer, when it is a number of seconds.
std::size_t ReadHeaderLine(char* data, std::size_t size, std::size_t count, void* userData)
{
    const std::string_view line(data, size * count);
    constexpr std::string_view kName = "retry-after:";
    if (line.size() > kName.size() && strncasecmp(line.data(), kName.data(), kName.size()) == 0) {
        std::string_view value = line.substr(kName.size());
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        int seconds = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (error == std::errc() && end != value.data() && seconds >= 0)
            *static_cast<int*>(userData) = seconds;
    }
    return size * count;
}

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* userData)
{
    auto& sink = *static_cast<AnswerSink*>(userData);
    if (sink.body.size() + size * count > sink.limit) {
        sink.tooLarge = true;
        return 0; // ends the transfer
    }
    sink.body.append(data, size * count);
    return size * count;
}

// Adds the user's certificates to the system's that libcurl loaded (and keeps cached for the
// next connections, which is why a certificate already there is no error).
CURLcode AddExtraTrust(CURL*, void* sslContext, void* certificates)
{
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
    for (const Certificate& certificate : *static_cast<const std::vector<Certificate>*>(certificates)) {
        if (X509_STORE_add_cert(store, certificate.get()) != 1)
            return CURLE_SSL_CACERT_BADFILE;
    }
    return CURLE_OK;
}

bool HasHeader(const std::vector<std::string>& lines, const std::string& name)
{
    for (const std::string& line : lines) {
        if (line.size() > name.size() && line[name.size()] == ':' &&
            strncasecmp(line.c_str(), name.c_str(), name.size()) == 0)
            return true;
    }
    return false;
}

} // namespace

std::vector<std::string> SplitHeaderBlock(const std::string& block)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find("\r\n", start);
        if (end == std::string::npos)
            end = block.size();
        if (end > start)
            lines.push_back(block.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

int CurlResultToWinInet(int curlCode, long osErrno)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK:
        return kHttpCompleted;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return wininet::kUnrecognizedScheme;
    case CURLE_URL_MALFORMAT:
        return wininet::kInvalidUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return wininet::kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return wininet::kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return wininet::kTimeout;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return wininet::kInvalidCaCert;
    case CURLE_SSL_CONNECT_ERROR:
        return osErrno == ECONNRESET ? wininet::kConnectionReset : wininet::kInvalidCaCert;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        return wininet::kInvalidServerResponse;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return osErrno == ECONNRESET ? wininet::kConnectionReset : wininet::kConnectionAborted;
    case CURLE_PARTIAL_FILE:
        return wininet::kConnectionAborted;
    case CURLE_ABORTED_BY_CALLBACK:
        return wininet::kOperationCancelled;
    case CURLE_OUT_OF_MEMORY:
        return wininet::kInternalError;
    default:
        return wininet::kInternalError;
    }
}

int PeerVerificationToWinInet(long verifyResult)
{
    switch (verifyResult) {
    case X509_V_OK:
        // The chain was fine; libcurl's own check of the host name refused it.
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return wininet::kSecCertCnInvalid;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return wininet::kSecCertDateInvalid;
    default:
        return wininet::kInvalidCaCert;
    }
}

CurlTransport::CurlTransport(const OAuthSession& session, CurlTransportOptions options)
    : HttpTransport(session), options_(std::move(options))
{
    GlobalInitOnce();
    extraTrust_ = ParseCertificates(options_.extraCertificates);
    engine_ = std::make_unique<CurlEngine>(options_.reuseConnections ? kMaxHostConnections : 0L);
}

CurlTransport::~CurlTransport() = default;

void CurlTransport::CancelTransfers()
{
    engine_->CancelAll();
}

int CurlTransport::Send(const HttpRequest& request, HttpResponse& response)
{
    EasyHandle easy(curl_easy_init());
    if (!easy)
        return wininet::kInternalError;
    CURL* handle = easy.get();

    // Host and port come from the address; the target goes out exactly as written.
    const std::string origin = request.scheme + "://" + request.host + ":" + std::to_string(request.port) + "/";
    curl_easy_setopt(handle, CURLOPT_URL, origin.c_str());
    curl_easy_setopt(handle, CURLOPT_REQUEST_TARGET, request.target.c_str());
    curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    if (options_.reuseConnections) {
        curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, options_.http2 ? CURL_HTTP_VERSION_2TLS : CURL_HTTP_VERSION_1_1);
        // Over TLS, waiting for a connection that may multiplex beats opening one per request;
        // plain HTTP is never multiplexed, and waiting would cost a whole answer.
        if (request.scheme == "https" && options_.http2)
            curl_easy_setopt(handle, CURLOPT_PIPEWAIT, 1L);
        curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, kAcceptedEncodings);
    } else {
        curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    }
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!extraTrust_.empty()) {
        curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, AddExtraTrust);
        curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, &extraTrust_);
    }
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, kStallBytesPerSecond);
    const long stallSeconds = std::max<long>(1, static_cast<long>((options_.stallTime.count() + 999) / 1000));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.deadline.count()));
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options_.answerLimit));
    curl_easy_setopt(handle, CURLOPT_USERAGENT, options_.userAgent.c_str());

    // Only the caller's lines: libcurl's own Accept, Expect and form type are switched off.
    const std::vector<std::string> lines = SplitHeaderBlock(request.headerBlock);
    HeaderList headers;
    const auto add = [&headers](const std::string& line) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (grown) {
            headers.release();
            headers.reset(grown);
        }
    };
    for (const std::string& line : lines)
        add(line);
    if (!HasHeader(lines, "Accept"))
        add("Accept:");
    add("Expect:");
    if (!HasHeader(lines, "Content-Type"))
        add("Content-Type:");
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());

    if (request.verb == "GET" && request.body.empty()) {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    } else {
        // Every other request carries its body, an empty one as Content-Length: 0.
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.data());
        if (request.verb != "POST")
            curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
    }

    AnswerSink sink;
    sink.limit = options_.answerLimit;
    int retryAfter = -1;
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, ReadHeaderLine);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &retryAfter);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);

    const auto code = static_cast<CURLcode>(engine_->Perform(handle));
    long connectsMade = 0;
    curl_easy_getinfo(handle, CURLINFO_NUM_CONNECTS, &connectsMade);
    counts_.connectionsOpened += connectsMade;
    if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        response.errorText = AnswerTooLargeText(options_.answerLimit);
        return wininet::kInvalidServerResponse;
    }
    if (code != CURLE_OK) {
        long osErrno = 0;
        curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &osErrno);
        response.errorText = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
        if (code == CURLE_PEER_FAILED_VERIFICATION) {
            long verifyResult = 0;
            curl_easy_getinfo(handle, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
            return PeerVerificationToWinInet(verifyResult);
        }
        return CurlResultToWinInet(code, osErrno);
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    response.body = std::move(sink.body);
    response.retryAfterSeconds = retryAfter;
    long version = CURL_HTTP_VERSION_NONE;
    curl_easy_getinfo(handle, CURLINFO_HTTP_VERSION, &version);
    ++counts_.transfers;
    if (version == CURL_HTTP_VERSION_2_0)
        ++counts_.overHttp2;
    return kHttpCompleted;
}

} // namespace orb
