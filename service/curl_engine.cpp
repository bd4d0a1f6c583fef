#include "service/curl_engine.h"

#include <curl/curl.h>

#include <array>
#include <vector>

namespace orb {

namespace {

// How long the engine sleeps when nothing happens; a new transfer wakes it at once.
constexpr int kIdlePollMs = 1000;
// Idle connections kept warm for the next request or pass.
constexpr long kCachedConnections = 32;

} // namespace

struct CurlEngine::Transfer
{
    CURL* easy = nullptr;
    int result = CURLE_OK;
    bool done = false; // under the engine's mutex
};

// The share is touched by the engine thread while transfers run and by callers when they
// set up or clean up their handles.
struct CurlEngine::ShareLocks
{
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;

    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self)
    {
        static_cast<ShareLocks*>(self)->locks[data].lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) { static_cast<ShareLocks*>(self)->locks[data].unlock(); }
};

CurlEngine::CurlEngine(long maxHostConnections) : shareLocks_(std::make_unique<ShareLocks>())
{
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, maxHostConnections);
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, kCachedConnections);

    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &ShareLocks::Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &ShareLocks::Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, shareLocks_.get());
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);

    thread_ = std::thread([this] { Run(); });
}

CurlEngine::~CurlEngine()
{
    CancelAll();
    thread_.join();
    curl_multi_cleanup(multi_);
    curl_share_cleanup(share_);
}

void CurlEngine::CancelAll()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    curl_multi_wakeup(multi_);
}

int CurlEngine::Perform(CURL* easy)
{
    Transfer transfer;
    transfer.easy = easy;
    curl_easy_setopt(easy, CURLOPT_SHARE, share_);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    std::unique_lock lock(mutex_);
    if (stopping_)
        return CURLE_ABORTED_BY_CALLBACK;
    queued_.push_back(&transfer);
    curl_multi_wakeup(multi_);
    finished_.wait(lock, [&] { return transfer.done; });
    lock.unlock();
    // The share may go before the handle does.
    curl_easy_setopt(easy, CURLOPT_SHARE, nullptr);
    return transfer.result;
}

void CurlEngine::Finish(Transfer& transfer, int result)
{
    curl_multi_remove_handle(multi_, transfer.easy);
    std::lock_guard lock(mutex_);
    transfer.result = result;
    transfer.done = true;
    finished_.notify_all();
}

void CurlEngine::Run()
{
    std::vector<Transfer*> running;
    for (;;) {
        std::vector<Transfer*> added;
        bool stopping = false;
        {
            std::lock_guard lock(mutex_);
            added.swap(queued_);
            stopping = stopping_;
        }
        for (Transfer* transfer : added) {
            if (curl_multi_add_handle(multi_, transfer->easy) == CURLM_OK)
                running.push_back(transfer);
            else
                Finish(*transfer, CURLE_FAILED_INIT);
        }
        if (stopping) {
            for (Transfer* transfer : running)
                Finish(*transfer, CURLE_ABORTED_BY_CALLBACK);
            return;
        }

        int stillRunning = 0;
        curl_multi_perform(multi_, &stillRunning);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            char* owner = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
            Transfer* transfer = reinterpret_cast<Transfer*>(owner);
            // Read before the handle leaves the multi: the message goes with it.
            const int result = message->data.result;
            std::erase(running, transfer);
            Finish(*transfer, result);
        }
        curl_multi_poll(multi_, nullptr, 0, kIdlePollMs, nullptr);
    }
}

} // namespace orb
