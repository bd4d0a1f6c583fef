#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

typedef void CURL;
typedef void CURLM;
typedef void CURLSH;

namespace orb {

// Drives every transfer of one transport on one thread with one libcurl multi handle, so
// that requests run side by side and share what makes them cheap: the connection cache
// (keep-alive, HTTP/2 streams on one connection), TLS sessions and resolved names.
class CurlEngine
{
public:
    // `maxHostConnections` bounds the connections to one host; transfers beyond it wait in
    // the engine (or share a connection, where the server multiplexes).
    explicit CurlEngine(long maxHostConnections);
    // Transfers still running are ended with CURLE_ABORTED_BY_CALLBACK.
    ~CurlEngine();
    CurlEngine(const CurlEngine&) = delete;
    CurlEngine& operator=(const CurlEngine&) = delete;

    // Runs a fully set-up easy handle to its end on the engine's thread and returns its
    // CURLcode; the calling thread waits. The handle is the caller's again afterwards.
    int Perform(CURL* easy);
    // Ends every transfer with CURLE_ABORTED_BY_CALLBACK, now and from then on.
    void CancelAll();

private:
    struct Transfer;
    struct ShareLocks;

    void Run();
    void Finish(Transfer& transfer, int result);

    CURLM* multi_ = nullptr;
    CURLSH* share_ = nullptr;
    std::unique_ptr<ShareLocks> shareLocks_;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<Transfer*> queued_; // under mutex_
    bool stopping_ = false;         // under mutex_
    std::thread thread_;
};

} // namespace orb
