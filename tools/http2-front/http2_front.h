#pragma once

#include "tools/http2-front/child_process.h"

#include <string>

namespace orb::front {

// What the front saw of its clients, from its access log.
struct FrontTraffic
{
    int requests = 0;
    int connections = 0;    // client connections that carried a request (distinct client ports)
    int http2Requests = 0;  // requests that came as HTTP/2 streams
    int http11Requests = 0; // requests that came over HTTP/1.1
};

// A real TLS front that speaks HTTP/2 (nghttpx, from Debian's nghttp2-proxy) before a plain
// HTTP/1.1 server on 127.0.0.1, with a throw-away certificate for 127.0.0.1 made for it: what
// Google's servers look like to the program, on this machine. Ended when the object goes.
class Http2Front
{
public:
    // More backend connections than the program ever runs requests side by side, and fewer
    // than the stand-in serves at once, so neither side queues.
    static constexpr int kBackendConnections = 48;

    Http2Front() = default;
    ~Http2Front();
    Http2Front(const Http2Front&) = delete;
    Http2Front& operator=(const Http2Front&) = delete;

    // Makes the certificate in a new folder and starts the front for 127.0.0.1:`backendPort`.
    // False with why when nghttpx is missing or does not come up.
    bool Start(int backendPort, std::string& why);
    void Stop();

    std::string BaseUrl() const { return "https://127.0.0.1:" + std::to_string(port_); }
    // The certificate the front shows, for a client to trust.
    const std::string& CertificateFile() const { return certificate_; }
    // nghttpx runs as one process: its CPU is this process's.
    pid_t Pid() const { return process_.Pid(); }

    // Everything logged since the last call (the log is read on, not from the start). The
    // front logs a request as its stream closes, a moment after the answer is out: it waits
    // up to a few seconds for `expectedRequests` lines.
    FrontTraffic TakeTraffic(int expectedRequests = 0);

private:
    ChildProcess process_;
    std::string folder_;
    std::string certificate_;
    std::string accessLog_;
    std::size_t logRead_ = 0;
    int port_ = 0;
};

} // namespace orb::front
