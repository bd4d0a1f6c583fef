#include "tools/fake-service/recording_server.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orb::fake {

namespace {

// How long a connection may sit without a byte moving before it is given up.
constexpr std::chrono::seconds kIoTimeout{5};
// Every wait is cut into steps this short so that Stop is seen at once.
constexpr std::chrono::milliseconds kStopCheckStep{20};
// httplib gives a kept-alive connection its worker for the connection's whole life: the
// program's 16 parallel connections, a benchmark's, control requests and a few stalled
// answers all need one at once.
constexpr std::size_t kWorkerThreads = 64;
// Enough that a client's connections stay warm across a whole load pass and the next one.
constexpr std::size_t kRequestsPerConnection = 1000;
// An idle kept-alive connection is closed after this; Stop does not wait for it.
constexpr time_t kKeepAliveIdleSeconds = 5;
constexpr std::size_t kReadChunk = 16 * 1024;
// A fully read buffer is emptied; a partly read one is compacted past this size.
constexpr std::size_t kCompactAfter = 64 * 1024;

thread_local ConnectionStream* t_connection = nullptr;

class ThisThreadConnection
{
public:
    explicit ThisThreadConnection(ConnectionStream* stream) { t_connection = stream; }
    ~ThisThreadConnection() { t_connection = nullptr; }
    ThisThreadConnection(const ThisThreadConnection&) = delete;
    ThisThreadConnection& operator=(const ThisThreadConnection&) = delete;
};

void AddressText(const sockaddr_storage& address, std::string& ip, int& port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

void RaiseTo(std::atomic<int>& peak, int now)
{
    int seen = peak.load();
    while (seen < now && !peak.compare_exchange_weak(seen, now)) {
    }
}

} // namespace

void SslContextDeleter::operator()(SSL_CTX* context) const
{
    SSL_CTX_free(context);
}

SslContext MakeServerTlsContext(const TlsFiles& files, std::string& error)
{
    SslContext context(SSL_CTX_new(TLS_server_method()));
    if (!context) {
        error = "cannot create a TLS context";
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    if (SSL_CTX_use_certificate_chain_file(context.get(), files.certificate.c_str()) != 1) {
        error = "cannot load the certificate " + files.certificate;
        return nullptr;
    }
    if (SSL_CTX_use_PrivateKey_file(context.get(), files.privateKey.c_str(), SSL_FILETYPE_PEM) != 1) {
        error = "cannot load the private key " + files.privateKey;
        return nullptr;
    }
    if (SSL_CTX_check_private_key(context.get()) != 1) {
        error = "the private key does not belong to the certificate";
        return nullptr;
    }
    return context;
}

void TrafficCounters::Enter()
{
    RaiseTo(peakInFlight, ++inFlight);
}

void TrafficCounters::Leave()
{
    --inFlight;
}

void TrafficCounters::Reset()
{
    connections = 0;
    peakInFlight = inFlight.load();
    // A request that entered between the two reads compared itself with the old, higher peak.
    RaiseTo(peakInFlight, inFlight.load());
}

ConnectionStream::ConnectionStream(int socket, SSL* ssl, const std::atomic<bool>& stopping)
    : socket_(socket), ssl_(ssl), stopping_(stopping)
{}

ConnectionStream* ConnectionStream::OnThisThread()
{
    return t_connection;
}

bool ConnectionStream::WaitFor(short events, Deadline deadline) const
{
    while (!stopping_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd watched{socket_, events, 0};
        int ready = poll(&watched, 1, static_cast<int>(std::min(left, kStopCheckStep).count()));
        if (ready > 0) {
            return true; // also on hang-up or error: the next read or write tells which
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
    return false;
}

bool ConnectionStream::Handshake()
{
    if (!ssl_) {
        return true;
    }
    auto deadline = std::chrono::steady_clock::now() + kIoTimeout;
    for (;;) {
        ERR_clear_error();
        int result = SSL_accept(ssl_);
        if (result == 1) {
            return true;
        }
        int reason = SSL_get_error(ssl_, result);
        short events = reason == SSL_ERROR_WANT_READ ? POLLIN : reason == SSL_ERROR_WANT_WRITE ? POLLOUT : 0;
        if (events == 0 || !WaitFor(events, deadline)) {
            return false; // a client that refuses the certificate ends up here
        }
    }
}

bool ConnectionStream::Fill(Deadline deadline)
{
    char chunk[kReadChunk];
    for (;;) {
        if (stopping_) {
            return false;
        }
        short events = POLLIN;
        if (ssl_) {
            ERR_clear_error();
            int received = SSL_read(ssl_, chunk, sizeof chunk);
            if (received > 0) {
                buffer_.append(chunk, static_cast<std::size_t>(received));
                return true;
            }
            int reason = SSL_get_error(ssl_, received);
            if (reason == SSL_ERROR_WANT_WRITE) {
                events = POLLOUT;
            } else if (reason != SSL_ERROR_WANT_READ) {
                return false;
            }
        } else {
            ssize_t received = recv(socket_, chunk, sizeof chunk, 0);
            if (received > 0) {
                buffer_.append(chunk, static_cast<std::size_t>(received));
                return true;
            }
            if (received == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                return false;
            }
        }
        if (!WaitFor(events, deadline)) {
            return false;
        }
    }
}

bool ConnectionStream::WaitForRequest(std::chrono::milliseconds idle)
{
    return Buffered() > 0 || Fill(std::chrono::steady_clock::now() + idle);
}

void ConnectionStream::BeginRequest()
{
    consumed_.clear();
    closeAfterAnswer_ = false;
    bodyless_ = false;
    countUntilEnd_ = false;
}

void ConnectionStream::EndRequest()
{
    if (countedIn_) {
        countedIn_->Leave();
        countedIn_ = nullptr;
    }
}

void ConnectionStream::CountRequest(TrafficCounters& traffic)
{
    if (!connectionCounted_) {
        connectionCounted_ = true;
        ++traffic.connections;
    }
    traffic.Enter();
    countedIn_ = &traffic;
}

bool ConnectionStream::Peek(std::size_t length, std::string& bytes)
{
    while (Buffered() < length && Fill(std::chrono::steady_clock::now() + kIoTimeout)) {
    }
    bytes = buffer_.substr(offset_, std::min(length, Buffered()));
    return bytes.size() == length;
}

void ConnectionStream::Discard(std::size_t length)
{
    offset_ += std::min(length, Buffered());
}

bool ConnectionStream::is_readable() const
{
    if (Buffered() > 0 || (ssl_ && SSL_pending(ssl_) > 0)) {
        return true;
    }
    return WaitFor(POLLIN, std::chrono::steady_clock::now() + kIoTimeout);
}

bool ConnectionStream::is_writable() const
{
    return WaitFor(POLLOUT, std::chrono::steady_clock::now() + kIoTimeout);
}

ssize_t ConnectionStream::read(char* target, size_t size)
{
    if (bodyless_) {
        return 0;
    }
    if (Buffered() == 0 && !Fill(std::chrono::steady_clock::now() + kIoTimeout)) {
        return -1;
    }
    std::size_t count = std::min(size, Buffered());
    std::copy_n(buffer_.data() + offset_, count, target);
    consumed_.append(buffer_, offset_, count);
    offset_ += count;
    if (offset_ == buffer_.size()) {
        buffer_.clear();
        offset_ = 0;
    } else if (offset_ > kCompactAfter) {
        buffer_.erase(0, offset_);
        offset_ = 0;
    }
    return static_cast<ssize_t>(count);
}

ssize_t ConnectionStream::write(const char* data, size_t size)
{
    if (!countUntilEnd_) {
        EndRequest();
    }
    auto deadline = std::chrono::steady_clock::now() + kIoTimeout;
    std::size_t written = 0;
    while (written < size) {
        short events = POLLOUT;
        if (ssl_) {
            ERR_clear_error();
            int sent =
                SSL_write(ssl_, data + written, static_cast<int>(std::min<std::size_t>(size - written, 1 << 30)));
            if (sent > 0) {
                written += static_cast<std::size_t>(sent);
                continue;
            }
            int reason = SSL_get_error(ssl_, sent);
            if (reason == SSL_ERROR_WANT_READ) {
                events = POLLIN;
            } else if (reason != SSL_ERROR_WANT_WRITE) {
                return -1;
            }
        } else {
            ssize_t sent = send(socket_, data + written, size - written, MSG_NOSIGNAL);
            if (sent > 0) {
                written += static_cast<std::size_t>(sent);
                continue;
            }
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                return -1;
            }
        }
        if (!WaitFor(events, deadline)) {
            return -1;
        }
    }
    return static_cast<ssize_t>(size);
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressText(address, ip, port);
    }
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressText(address, ip, port);
    }
}

RecordingServer::RecordingServer(const std::atomic<bool>& stopping, SSL_CTX* tls) : stopping_(stopping), tls_(tls)
{
    new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    set_keep_alive_max_count(kRequestsPerConnection);
    set_keep_alive_timeout(kKeepAliveIdleSeconds);
}

bool RecordingServer::process_and_close_socket(socket_t sock)
{
    fcntl(sock, F_SETFL, fcntl(sock, F_GETFL) | O_NONBLOCK);
    int noDelay = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);

    SSL* ssl = nullptr;
    if (tls_) {
        ssl = SSL_new(tls_);
        if (ssl) {
            SSL_set_fd(ssl, sock);
        }
    }
    bool answered = false;
    if (!tls_ || ssl) {
        ConnectionStream stream(sock, ssl, stopping_);
        ThisThreadConnection current(&stream);
        if (stream.Handshake()) {
            for (std::size_t left = keep_alive_max_count_; left > 0 && !stopping_; --left) {
                if (!stream.WaitForRequest(std::chrono::seconds(keep_alive_timeout_sec_))) {
                    break;
                }
                stream.BeginRequest();
                bool closed = false;
                answered = process_request(stream, left == 1, closed, nullptr);
                stream.EndRequest();
                if (!answered || closed || stream.CloseRequested()) {
                    break;
                }
            }
        }
    }
    if (ssl) {
        if (answered) {
            SSL_shutdown(ssl); // a dropped answer must not look like a clean close
        }
        SSL_free(ssl);
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return answered;
}

} // namespace orb::fake
