#include "tools/fake-service/fake_service.h"

#include "core/atomic_file.h"
#include "tools/fake-service/compressed_answer.h"
#include "tools/fake-service/control_interface.h"
#include "tools/fake-service/form_text.h"
#include "tools/fake-service/random_text.h"
#include "tools/fake-service/recording_server.h"
#include "tools/fake-service/token_registry.h"

#include <httplib.h>
#include <json/json.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <iostream>
#include <signal.h>
#include <string_view>
#include <sys/socket.h>
#include <thread>

namespace orb::fake {

namespace {

constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kControlPrefix = "/__control/";
constexpr const char* kJsonContentType = "application/json; charset=UTF-8";
constexpr std::chrono::milliseconds kStartPoll{1};
constexpr std::size_t kControlKeyBytes = 32;

// Whether `target` contains a run that `pattern` matches, each '*' in it standing for any
// characters ("/lists/*/tasks" meets every list's tasks).
bool TargetMatches(std::string_view target, std::string_view pattern)
{
    const std::size_t star = pattern.find('*');
    if (star == std::string_view::npos)
        return target.find(pattern) != std::string_view::npos;
    const std::string_view head = pattern.substr(0, star);
    for (std::size_t at = target.find(head); at != std::string_view::npos; at = target.find(head, at + 1)) {
        // Anything may follow the head; the rest of the pattern must match after it.
        if (TargetMatches(target.substr(at + head.size()), pattern.substr(star + 1)))
            return true;
    }
    return false;
}

// Bodies of the injected faults. The dropped one is a real answer cut in half, so a client
// that reads what arrives gets the start of a JSON document.
constexpr const char* kMalformedPage =
    "<!DOCTYPE html>\n<html><head><title>Error 502 (Server Error)</title></head>\n"
    "<body><p><b>502.</b> That's an error.</p>\n"
    "<p>The server encountered a temporary error. Please try again.</p></body></html>\n";
constexpr const char* kDroppedDocument = "{\n  \"kind\": \"calendar#events\",\n  \"summary\": \"dropped answer\",\n"
                                         "  \"items\": [\n    {\n      \"kind\": \"calendar#event\",\n"
                                         "      \"id\": \"dropped0000000000000000000\",\n"
                                         "      \"summary\": \"this answer never arrives whole\"\n    }\n  ]\n}\n";
// What a stalled answer announces; none of it is ever sent.
constexpr std::size_t kStalledLength = 1024;
constexpr std::size_t kHugeBodyLength = std::size_t{100} << 20;
constexpr std::size_t kDeepNesting = 1200;

struct StatusText
{
    int status;
    const char* reason;
    const char* message;
};

// The reasons and messages Google's services give with these statuses.
constexpr StatusText kStatusTexts[] = {
    {400, "badRequest", "Bad Request"},
    {401, "authError", "Invalid Credentials"},
    {403, "rateLimitExceeded", "Rate Limit Exceeded"},
    {404, "notFound", "Not Found"},
    {409, "duplicate", "The requested identifier already exists."},
    {410, "deleted", "Resource has been deleted"},
    {412, "conditionNotMet", "Precondition Failed"},
    {429, "rateLimitExceeded", "Rate Limit Exceeded"},
    {500, "backendError", "Backend Error"},
    {502, "backendError", "Bad Gateway"},
    {503, "backendError", "Backend Error"},
};

StatusText TextForStatus(int status)
{
    for (const auto& text : kStatusTexts) {
        if (text.status == status) {
            return text;
        }
    }
    return {status, status < 500 ? "badRequest" : "backendError", status < 500 ? "Bad Request" : "Backend Error"};
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string TrimBlanks(const std::string& text)
{
    auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Splits a raw request head into the request line's method and target and the header
// lines in the order they came.
void ReadHead(const std::string& head, RecordedRequest& request)
{
    request.head = head;
    std::size_t start = 0;
    bool requestLine = true;
    while (start < head.size()) {
        auto end = head.find('\n', start);
        if (end == std::string::npos) {
            end = head.size();
        }
        std::string line = head.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (requestLine) {
            auto firstSpace = line.find(' ');
            auto lastSpace = line.rfind(' ');
            request.method = line.substr(0, firstSpace);
            if (firstSpace != std::string::npos && lastSpace > firstSpace) {
                request.target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
            }
            requestLine = false;
            continue;
        }
        if (line.empty()) {
            break;
        }
        auto colon = line.find(':');
        if (colon != std::string::npos) {
            request.headers.emplace_back(line.substr(0, colon), TrimBlanks(line.substr(colon + 1)));
        }
    }
}

// For a request that did not come through a ConnectionStream; httplib's own header map
// is sorted and carries the peer addresses as made-up headers.
void ReadParsedRequest(const httplib::Request& parsed, RecordedRequest& request)
{
    request.method = parsed.method;
    request.target = parsed.target;
    for (const auto& [name, value] : parsed.headers) {
        if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" && name != "LOCAL_PORT") {
            request.headers.emplace_back(name, value);
        }
    }
}

bool IsChunked(const httplib::Request& request)
{
    return request.get_header_value("Transfer-Encoding").find("chunked") != std::string::npos;
}

std::size_t ContentLength(const httplib::Request& request)
{
    std::string text = request.get_header_value("Content-Length");
    std::size_t length = 0;
    std::from_chars(text.data(), text.data() + text.size(), length);
    return length;
}

// The body of a chunked request is only known after routing; this names the record that
// waits for it on this worker thread.
thread_local std::uint64_t t_recordAwaitingBody = 0;

} // namespace

std::string RecordedRequest::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (EqualNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

bool RecordedRequest::HasHeader(const std::string& name) const
{
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return EqualNoCase(header.first, name); });
}

struct FakeService::Impl
{
    struct PendingFault
    {
        Fault fault;
        int left;
    };

    std::vector<std::unique_ptr<FakeModule>> modules;
    TokenRegistry tokens;
    const std::string controlKey = RandomHex(kControlKeyBytes);

    std::unique_ptr<RecordingServer> server;
    SslContext tls;
    std::thread listener;
    std::atomic<bool> listenerDone{false};
    std::atomic<bool> stopping{false};
    std::mutex wakeMutex;
    std::condition_variable wake;
    int port = 0;
    int listeningSocket = -1;
    bool secure = false;
    std::string startError;

    mutable std::mutex recordMutex;
    std::vector<RecordedRequest> requests;
    std::vector<std::uint64_t> requestIds; // parallel to `requests`
    std::uint64_t lastRequestId = 0;

    std::mutex faultMutex;
    std::deque<PendingFault> faults;

    std::atomic<long long> latencyMs{0};
    mutable std::mutex latencyMutex;
    std::vector<std::pair<std::string, std::chrono::milliseconds>> pathLatencies; // in the order added
    TrafficCounters traffic;
    std::atomic<int> pageSize{kDefaultPageSize};
    std::atomic<int> pageCap{0}; // 0: only each listing's own maximum
    std::atomic<long long> tokenLifetimeSeconds{kAccessTokenLifetime.count()};
    std::atomic<bool> strict{false};

    // Serialises the state writes. Taken before a module's lock, never while one is held.
    std::mutex stateMutex;
    std::string statePath; // empty: the state is not kept

    // Called with stateMutex held.
    bool WriteState(const std::string& path, std::string& error)
    {
        Json::Value root(Json::objectValue);
        for (auto& module : modules) {
            module->Save(root);
        }
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "  ";
        builder["emitUTF8"] = true;
        return WriteFileAtomically(path, Json::writeString(builder, root) + "\n", error);
    }

    void ForgetState()
    {
        for (auto& module : modules) {
            module->Reset();
        }
        tokens.Clear();
    }

    // Sleeps unless Stop comes first; the stalls and the latency use it so that a test
    // never waits on them after it is done.
    void SleepUnlessStopping(std::chrono::milliseconds duration)
    {
        std::unique_lock lock(wakeMutex);
        wake.wait_for(lock, duration, [this] { return stopping.load(); });
    }

    std::chrono::milliseconds LatencyFor(const std::string& target) const
    {
        std::lock_guard lock(latencyMutex);
        if (pathLatencies.empty()) {
            return std::chrono::milliseconds(latencyMs.load());
        }
        // The control route's query hands the text over decoded, so "%40" arrives as "@".
        std::string decoded = DecodeFormComponent(target);
        for (const auto& [path, latency] : pathLatencies) {
            if (TargetMatches(target, path) || TargetMatches(decoded, path)) {
                return latency;
            }
        }
        return std::chrono::milliseconds(latencyMs.load());
    }

    // The first queued fault this request meets; one aimed at another path lets it pass.
    bool TakeFault(const std::string& target, Fault& fault)
    {
        std::lock_guard lock(faultMutex);
        for (auto queued = faults.begin(); queued != faults.end(); ++queued) {
            const std::string& path = queued->fault.pathContains;
            if (!path.empty() && !TargetMatches(target, path)) {
                continue;
            }
            fault = queued->fault;
            if (--queued->left == 0) {
                faults.erase(queued);
            }
            return true;
        }
        return false;
    }

    std::uint64_t Record(RecordedRequest request)
    {
        std::lock_guard lock(recordMutex);
        requests.push_back(std::move(request));
        requestIds.push_back(++lastRequestId);
        return lastRequestId;
    }

    void CompleteBody(std::uint64_t id, const std::string& body)
    {
        std::lock_guard lock(recordMutex);
        auto found = std::find(requestIds.begin(), requestIds.end(), id);
        if (found != requestIds.end()) {
            requests[static_cast<std::size_t>(found - requestIds.begin())].body = body;
        }
    }

    void AnswerFault(const Fault& fault, httplib::Response& response)
    {
        switch (fault.kind) {
        case FaultKind::Status: {
            auto text = TextForStatus(fault.status);
            SendError(response, fault.status, text.reason, text.message);
            // As a rate-limited service does: when to come back.
            if (fault.status == 429)
                response.set_header("Retry-After", "1");
            break;
        }
        case FaultKind::MalformedBody:
            response.status = 200;
            response.set_content(kMalformedPage, "text/html; charset=UTF-8");
            break;
        case FaultKind::Drop: {
            std::string document = kDroppedDocument;
            response.status = 200;
            response.set_content_provider(document.size(), kJsonContentType,
                                          [document](std::size_t, std::size_t, httplib::DataSink& sink) {
                                              sink.write(document.data(), document.size() / 2);
                                              return false; // closes the connection part-way
                                          });
            break;
        }
        case FaultKind::Trickle: {
            auto every = fault.stall;
            response.status = 200;
            response.set_content_provider(kStalledLength, kJsonContentType,
                                          [this, every](std::size_t, std::size_t, httplib::DataSink& sink) {
                                              // Enough to pass any stall check, never enough to end.
                                              SleepUnlessStopping(every);
                                              return !stopping && sink.write(" ", 1);
                                          });
            break;
        }
        case FaultKind::HugeBody: {
            response.status = 200;
            response.set_content_provider(kHugeBodyLength, kJsonContentType,
                                          [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                              // Streamed, so the stand-in never holds it.
                                              std::string chunk(std::min<std::size_t>(length, 1 << 16), 'x');
                                              if (offset == 0)
                                                  chunk[0] = '"';
                                              if (offset + chunk.size() == kHugeBodyLength)
                                                  chunk.back() = '"';
                                              return sink.write(chunk.data(), chunk.size());
                                          });
            break;
        }
        case FaultKind::BadUtf8:
            response.status = 200;
            response.set_content(std::string(R"({"items": [{"id": "bad-utf8", "kind": "calendar#event", )") +
                                     "\"summary\": \"caf\xc3 \xff\xfe end\", \"title\": \"\xc0\x80 list\", " +
                                     R"("start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]})",
                                 kJsonContentType);
            break;
        case FaultKind::DeepNesting:
            response.status = 200;
            response.set_content(std::string(kDeepNesting, '[') + std::string(kDeepNesting, ']'), kJsonContentType);
            break;
        case FaultKind::EndlessPages: {
            static std::atomic<long long> nextToken{0};
            response.status = 200;
            response.set_content(R"({"items": [{"id": "again", "title": "Again", "summary": "Again", )"
                                 R"("start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}], )"
                                 R"("nextPageToken": "endless-)" +
                                     std::to_string(++nextToken) + R"("})",
                                 kJsonContentType);
            break;
        }
        case FaultKind::Stall: {
            auto stall = fault.stall;
            response.status = 200;
            response.set_content_provider(kStalledLength, kJsonContentType,
                                          [this, stall](std::size_t, std::size_t, httplib::DataSink&) {
                                              SleepUnlessStopping(stall);
                                              return false;
                                          });
            break;
        }
        }
    }

    httplib::Server::HandlerResponse BeforeRouting(const FakeService& service, const httplib::Request& request,
                                                   httplib::Response& response)
    {
        t_recordAwaitingBody = 0;
        ConnectionStream* connection = ConnectionStream::OnThisThread();
        bool chunked = IsChunked(request);
        if (connection && !chunked && !request.has_header("Content-Length")) {
            connection->EndBodyHere();
        }
        std::size_t length = chunked ? 0 : ContentLength(request);
        if (request.path.rfind(kControlPrefix, 0) == 0) {
            if (AdmitControlRequest(service, request, response)) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            LeaveBodyUnread(connection, length, chunked, response);
            return httplib::Server::HandlerResponse::Handled;
        }
        if (connection) {
            connection->CountRequest(traffic);
        }
        RecordedRequest record;
        if (connection) {
            ReadHead(connection->Consumed(), record);
        } else {
            ReadParsedRequest(request, record);
        }
        if (connection && length > 0) {
            connection->Peek(length, record.body);
        }
        std::uint64_t id = Record(std::move(record));

        // No lock is held while waiting: requests side by side wait side by side.
        auto latency = LatencyFor(request.target);
        if (latency.count() > 0) {
            SleepUnlessStopping(latency);
        }

        Fault fault;
        if (!TakeFault(request.target, fault)) {
            if (chunked) {
                t_recordAwaitingBody = id;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        }
        AnswerFault(fault, response);
        if (connection && (fault.kind == FaultKind::Drop || fault.kind == FaultKind::Stall ||
                           fault.kind == FaultKind::Trickle || fault.kind == FaultKind::HugeBody)) {
            connection->CountUntilAnswerEnds();
        }
        LeaveBodyUnread(connection, length, chunked, response);
        return httplib::Server::HandlerResponse::Handled;
    }

    // For an answer given before routing: no route reads the body, so a counted one is skipped
    // and the connection can carry the next request; after a chunked one it cannot.
    static void LeaveBodyUnread(ConnectionStream* connection, std::size_t length, bool chunked,
                                httplib::Response& response)
    {
        if (!connection) {
            return;
        }
        connection->Discard(length);
        if (chunked) {
            connection->CloseAfterAnswer();
            response.set_header("Connection", "close");
        }
    }

    void AfterRouting(const httplib::Request& request, httplib::Response& response)
    {
        if (t_recordAwaitingBody != 0) {
            CompleteBody(t_recordAwaitingBody, request.body);
            t_recordAwaitingBody = 0;
        }
        CompressIfAsked(request, response);
    }
};

FakeService::FakeService() : impl_(std::make_unique<Impl>())
{
    impl_->modules.push_back(MakeOAuthModule(*this));
    impl_->modules.push_back(MakeCalendarModule(*this));
    impl_->modules.push_back(MakeTasksModule(*this));
}

FakeService::~FakeService()
{
    Stop();
}

bool FakeService::Start(int port, const TlsFiles& tls)
{
    Impl& impl = *impl_;
    impl.startError.clear();
    if (impl.listener.joinable()) {
        impl.startError = "the service is already running";
        return false;
    }
    if (port < 0 || port > 65535) {
        impl.startError = "no such port: " + std::to_string(port);
        return false;
    }
    impl.secure = !tls.certificate.empty() || !tls.privateKey.empty();
    if (impl.secure) {
        if (tls.certificate.empty() || tls.privateKey.empty()) {
            impl.startError = "TLS needs both a certificate and a private key";
            return false;
        }
        impl.tls = MakeServerTlsContext(tls, impl.startError);
        if (!impl.tls) {
            return false;
        }
    }

    impl.stopping = false;
    impl.server = std::make_unique<RecordingServer>(impl.stopping, impl.tls.get());
    // httplib's default also sets SO_REUSEPORT, which would let a second service share a
    // named port and take half its connections; a restart on the same port is all we need.
    impl.server->set_socket_options([&impl](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        impl.listeningSocket = sock;
    });
    impl.server->set_pre_routing_handler([this, &impl](const httplib::Request& request, httplib::Response& response) {
        return impl.BeforeRouting(*this, request, response);
    });
    // httplib runs this for every answer, the fault answers of BeforeRouting included.
    impl.server->set_post_routing_handler([&impl](const httplib::Request& request, httplib::Response& response) {
        impl.AfterRouting(request, response);
    });
    RegisterControlRoutes(*impl.server, *this);
    for (auto& module : impl.modules) {
        module->Register(*impl.server);
    }

    int bound =
        port == 0 ? impl.server->bind_to_any_port(kLoopback) : (impl.server->bind_to_port(kLoopback, port) ? port : -1);
    if (bound <= 0) {
        impl.startError = "cannot listen on " + std::string(kLoopback) + ":" + std::to_string(port);
        impl.server.reset();
        impl.tls.reset();
        return false;
    }
    // httplib listens with a backlog of 5: a burst of parallel connects overflows it and the
    // connects left out wait a second for their retry. Listening again deepens the queue.
    listen(impl.listeningSocket, SOMAXCONN);
    impl.port = bound;
    impl.listenerDone = false;
    impl.listener = std::thread([&impl] {
        // A client that hangs up while we write must not end the whole process; the
        // worker threads the server starts inherit this mask.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        impl.server->listen_after_bind();
        impl.listenerDone = true;
    });
    // Stop only works on a server that has entered its accept loop.
    while (!impl.server->is_running() && !impl.listenerDone) {
        std::this_thread::sleep_for(kStartPoll);
    }
    return true;
}

std::string FakeService::StartError() const
{
    return impl_->startError;
}

void FakeService::Stop()
{
    Impl& impl = *impl_;
    if (!impl.listener.joinable()) {
        return;
    }
    {
        std::lock_guard lock(impl.wakeMutex);
        impl.stopping = true;
    }
    impl.wake.notify_all();
    impl.server->stop();
    impl.listener.join();
    impl.server.reset();
    impl.tls.reset();
    impl.stopping = false;
}

int FakeService::Port() const
{
    return impl_->port;
}

std::string FakeService::BaseUrl() const
{
    return std::string(impl_->secure ? "https://" : "http://") + kLoopback + ":" + std::to_string(impl_->port);
}

const std::string& FakeService::ControlKey() const
{
    return impl_->controlKey;
}

bool FakeService::SeedFromJson(const std::string& text, std::string& error)
{
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string parseErrors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &parseErrors)) {
        error = "the seed is not valid JSON: " + TrimBlanks(parseErrors);
        while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) {
            error.pop_back();
        }
        return false;
    }
    if (!root.isObject()) {
        error = "the seed must be a JSON object";
        return false;
    }
    // Saved even when refused: the modules before the refusing one have taken their members.
    bool seeded = std::all_of(impl_->modules.begin(), impl_->modules.end(),
                              [&](auto& module) { return module->Seed(root, error); });
    StateChanged();
    return seeded;
}

void FakeService::Reset()
{
    impl_->ForgetState();
    ClearRequests();
    {
        std::lock_guard lock(impl_->faultMutex);
        impl_->faults.clear();
    }
    ClearPathLatencies();
    ResetTrafficCounters();
    StateChanged();
}

bool FakeService::SetStateFile(const std::string& path, std::string& error)
{
    Impl& impl = *impl_;
    {
        std::lock_guard lock(impl.stateMutex);
        impl.statePath.clear(); // loading must not write to a file kept so far
    }
    std::string text;
    bool missing = false;
    if (ReadWholeFile(path, text, missing, error)) {
        impl.ForgetState();
        if (!SeedFromJson(text, error)) {
            impl.ForgetState();
            error = "the state file " + path + ": " + error;
            return false;
        }
    } else if (!missing) {
        return false;
    }
    // Written at once even after a load: a file made by hand gets its owner-only mode.
    std::lock_guard lock(impl.stateMutex);
    if (!impl.WriteState(path, error)) {
        return false;
    }
    impl.statePath = path;
    return true;
}

void FakeService::StateChanged()
{
    std::lock_guard lock(impl_->stateMutex);
    std::string error;
    if (!impl_->statePath.empty() && !impl_->WriteState(impl_->statePath, error)) {
        // A route has no one to tell but the log; the next change tries again.
        std::cerr << "orb-fake-service: " << error << std::endl;
    }
}

std::vector<RecordedRequest> FakeService::Requests() const
{
    std::lock_guard lock(impl_->recordMutex);
    return impl_->requests;
}

void FakeService::ClearRequests()
{
    std::lock_guard lock(impl_->recordMutex);
    impl_->requests.clear();
    impl_->requestIds.clear();
}

void FakeService::SetLatency(std::chrono::milliseconds latency)
{
    impl_->latencyMs = std::max<long long>(0, latency.count());
}

std::chrono::milliseconds FakeService::Latency() const
{
    return std::chrono::milliseconds(impl_->latencyMs.load());
}

void FakeService::SetPathLatency(const std::string& pathContains, std::chrono::milliseconds latency)
{
    latency = std::max(latency, std::chrono::milliseconds(0));
    std::lock_guard lock(impl_->latencyMutex);
    auto& rules = impl_->pathLatencies;
    auto same = std::find_if(rules.begin(), rules.end(), [&](const auto& rule) { return rule.first == pathContains; });
    if (same != rules.end()) {
        same->second = latency;
    } else {
        rules.emplace_back(pathContains, latency);
    }
}

void FakeService::ClearPathLatencies()
{
    std::lock_guard lock(impl_->latencyMutex);
    impl_->pathLatencies.clear();
}

std::chrono::milliseconds FakeService::LatencyFor(const std::string& target) const
{
    return impl_->LatencyFor(target);
}

int FakeService::ConnectionCount() const
{
    return impl_->traffic.connections;
}

int FakeService::InFlightCount() const
{
    return impl_->traffic.inFlight;
}

int FakeService::PeakInFlight() const
{
    return impl_->traffic.peakInFlight;
}

void FakeService::ResetTrafficCounters()
{
    impl_->traffic.Reset();
}

DeviceAnswer FakeService::FromAnotherDevice(const std::string& method, const std::string& target,
                                            const std::string& body)
{
    for (auto& module : impl_->modules) {
        httplib::Response response;
        if (module->Serve(method, target, body, response)) {
            return {response.status, response.body};
        }
    }
    return {};
}

void FakeService::ExpireSyncTokens()
{
    for (auto& module : impl_->modules) {
        module->ExpireSyncTokens();
    }
    StateChanged();
}

void FakeService::FailNext(int count, const Fault& fault)
{
    if (count <= 0) {
        return;
    }
    std::lock_guard lock(impl_->faultMutex);
    impl_->faults.push_back({fault, count});
}

void FakeService::ClearFaults()
{
    std::lock_guard lock(impl_->faultMutex);
    impl_->faults.clear();
}

std::string FakeService::IssueAccessToken()
{
    return IssueAccessToken(TokenGrant{});
}

std::string FakeService::IssueRefreshToken()
{
    return IssueRefreshToken(TokenGrant{});
}

std::string FakeService::IssueAuthorizationCode()
{
    return IssueAuthorizationCode(TokenGrant{});
}

std::string FakeService::IssueAccessToken(const TokenGrant& grant, const std::string& refreshToken)
{
    return impl_->tokens.IssueAccessToken(grant, TokenLifetime(), refreshToken);
}

std::string FakeService::IssueRefreshToken(const TokenGrant& grant)
{
    return impl_->tokens.IssueRefreshToken(grant);
}

std::string FakeService::IssueAuthorizationCode(const TokenGrant& grant)
{
    return impl_->tokens.IssueAuthorizationCode(grant);
}

bool FakeService::IsAccessTokenValid(const std::string& token) const
{
    TokenGrant grant;
    int secondsLeft = 0;
    return impl_->tokens.FindAccessToken(token, grant, secondsLeft);
}

bool FakeService::IsRefreshTokenValid(const std::string& token) const
{
    TokenGrant grant;
    return impl_->tokens.FindRefreshToken(token, grant);
}

bool FakeService::TakeAuthorizationCode(const std::string& code)
{
    TokenGrant grant;
    return impl_->tokens.TakeAuthorizationCode(code, grant);
}

bool FakeService::TakeAuthorizationCode(const std::string& code, TokenGrant& grant)
{
    return impl_->tokens.TakeAuthorizationCode(code, grant);
}

void FakeService::AddAccessToken(const std::string& token)
{
    impl_->tokens.AddAccessToken(token, TokenLifetime(), {}, {});
}

void FakeService::AddAccessToken(const std::string& token, std::chrono::seconds lifetime, const TokenGrant& grant,
                                 const std::string& refreshToken)
{
    impl_->tokens.AddAccessToken(token, lifetime, grant, refreshToken);
}

void FakeService::AddRefreshToken(const std::string& token)
{
    impl_->tokens.AddRefreshToken(token, {});
}

void FakeService::AddRefreshToken(const std::string& token, const TokenGrant& grant)
{
    impl_->tokens.AddRefreshToken(token, grant);
}

void FakeService::AddAuthorizationCode(const std::string& code, const TokenGrant& grant)
{
    impl_->tokens.AddAuthorizationCode(code, grant);
}

IssuedTokens FakeService::Tokens() const
{
    return impl_->tokens.Snapshot();
}

bool FakeService::FindAccessToken(const std::string& token, TokenGrant& grant, int& secondsLeft) const
{
    return impl_->tokens.FindAccessToken(token, grant, secondsLeft);
}

bool FakeService::FindRefreshToken(const std::string& token, TokenGrant& grant) const
{
    return impl_->tokens.FindRefreshToken(token, grant);
}

void FakeService::RevokeAccessTokens()
{
    impl_->tokens.RevokeAccessTokens();
    StateChanged();
}

void FakeService::RevokeRefreshTokens()
{
    impl_->tokens.RevokeRefreshTokens();
    StateChanged();
}

bool FakeService::RevokeToken(const std::string& token)
{
    if (!impl_->tokens.Revoke(token)) {
        return false;
    }
    StateChanged();
    return true;
}

void FakeService::SetTokenLifetime(std::chrono::seconds lifetime)
{
    impl_->tokenLifetimeSeconds = std::max<long long>(0, lifetime.count());
}

std::chrono::seconds FakeService::TokenLifetime() const
{
    return std::chrono::seconds(impl_->tokenLifetimeSeconds.load());
}

void FakeService::SetStrict(bool on)
{
    impl_->strict = on;
}

bool FakeService::Strict() const
{
    return impl_->strict;
}

bool FakeService::CheckAuthorization(const httplib::Request& request, httplib::Response& response) const
{
    // "<type> <token>": any type word is taken, as Google does; the token must be one we issued.
    std::string value = request.get_header_value("Authorization");
    auto space = value.find(' ');
    if (space != std::string::npos && space > 0 && IsAccessTokenValid(TrimBlanks(value.substr(space + 1)))) {
        return true;
    }
    Json::Value detail;
    detail["domain"] = "global";
    detail["reason"] = "authError";
    detail["message"] = "Invalid Credentials";
    detail["locationType"] = "header";
    detail["location"] = "Authorization";
    // Google's answer today: the status word for clients that read it, the old detail for those that read that.
    Json::Value document;
    document["error"]["code"] = 401;
    document["error"]["message"] = "Request had invalid authentication credentials.";
    document["error"]["errors"].append(detail);
    document["error"]["status"] = "UNAUTHENTICATED";
    SendJson(response, 401, document);
    response.set_header("WWW-Authenticate", "Bearer");
    return false;
}

void FakeService::SendError(httplib::Response& response, int status, const std::string& reason,
                            const std::string& message)
{
    Json::Value detail;
    detail["domain"] = "global";
    detail["reason"] = reason;
    detail["message"] = message;
    Json::Value document;
    document["error"]["errors"].append(detail);
    document["error"]["code"] = status;
    document["error"]["message"] = message;
    SendJson(response, status, document);
}

void FakeService::SendJson(httplib::Response& response, int status, const Json::Value& document)
{
    // Compact, as the real services answer; it is also the stand-in's largest cost in a load.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    response.status = status;
    response.set_content(Json::writeString(builder, document) + "\n", kJsonContentType);
}

std::size_t FakeService::PageLength(int requested, int listingMaximum) const
{
    if (requested <= 0)
        return static_cast<std::size_t>(impl_->pageSize.load());
    int length = std::min(requested, listingMaximum);
    if (const int cap = impl_->pageCap.load(); cap > 0)
        length = std::min(length, cap);
    return static_cast<std::size_t>(std::max(1, length));
}

int FakeService::PageSize() const
{
    return impl_->pageSize;
}

void FakeService::SetPageSize(int size)
{
    impl_->pageSize = std::max(1, size);
    impl_->pageCap = std::max(1, size);
}

} // namespace orb::fake
