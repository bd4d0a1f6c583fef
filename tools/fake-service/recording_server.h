#pragma once

#include "tools/fake-service/fake_service.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace orb::fake {

struct SslContextDeleter
{
    void operator()(SSL_CTX* context) const;
};
using SslContext = std::unique_ptr<SSL_CTX, SslContextDeleter>;

// Client traffic: connections that carried a request and requests being answered. The
// service leaves control requests out, so scripts that watch the figures do not move them.
struct TrafficCounters
{
    std::atomic<int> connections{0};
    std::atomic<int> inFlight{0};
    std::atomic<int> peakInFlight{0};

    void Enter();
    void Leave();
    // Connections to 0, the peak to what is in flight now.
    void Reset();
};

// A server context for the PEM certificate and key; null (and `error` set) when they do not load.
SslContext MakeServerTlsContext(const TlsFiles& files, std::string& error);

// One client connection, kept for all the requests it carries. httplib reads the request
// through it a byte at a time, so when routing starts the bytes consumed are exactly the
// request line and headers; the body can then be looked at before anyone reads it.
// Every wait is cut into short steps that give up as soon as the service stops.
class ConnectionStream : public httplib::Stream
{
public:
    ConnectionStream(int socket, SSL* ssl, const std::atomic<bool>& stopping);

    // The connection being answered on the calling thread; null elsewhere.
    static ConnectionStream* OnThisThread();

    bool Handshake();
    // True once bytes of a next request are there; false on close, time-out or stop.
    bool WaitForRequest(std::chrono::milliseconds idle);
    void BeginRequest();
    // The current request leaves the traffic it was counted in; later calls do nothing.
    void EndRequest();
    // Counts the current request, and the connection on its first counted request. The request
    // leaves when its answer starts going out: a client cannot send its next request earlier,
    // so back-to-back requests never look parallel.
    void CountRequest(TrafficCounters& traffic);
    // A streamed answer (a stall, a drop) stays counted until the connection is done with it.
    void CountUntilAnswerEnds() { countUntilEnd_ = true; }
    // A request without Content-Length or chunked encoding has no body; without this httplib
    // would read one until the client closes.
    void EndBodyHere() { bodyless_ = true; }
    // The bytes httplib has read of the current request so far.
    const std::string& Consumed() const { return consumed_; }
    // Makes `length` unread bytes available without consuming them; false when the
    // client sends fewer (then `bytes` holds what came).
    bool Peek(std::size_t length, std::string& bytes);
    void Discard(std::size_t length);
    void CloseAfterAnswer() { closeAfterAnswer_ = true; }
    bool CloseRequested() const { return closeAfterAnswer_; }

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* buffer, size_t size) override;
    ssize_t write(const char* data, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return socket_; }

private:
    using Deadline = std::chrono::steady_clock::time_point;
    bool Fill(Deadline deadline);
    bool WaitFor(short events, Deadline deadline) const;
    std::size_t Buffered() const { return buffer_.size() - offset_; }

    int socket_;
    SSL* ssl_;
    const std::atomic<bool>& stopping_;
    std::string buffer_;
    std::size_t offset_ = 0;
    std::string consumed_;
    bool closeAfterAnswer_ = false;
    bool bodyless_ = false;
    bool connectionCounted_ = false;
    bool countUntilEnd_ = false;
    TrafficCounters* countedIn_ = nullptr;
};

// An httplib server whose connections go through ConnectionStream, over plain TCP or
// TLS (when given a context).
class RecordingServer : public httplib::Server
{
public:
    RecordingServer(const std::atomic<bool>& stopping, SSL_CTX* tls);

private:
    bool process_and_close_socket(socket_t sock) override;

    const std::atomic<bool>& stopping_;
    SSL_CTX* tls_;
};

} // namespace orb::fake
