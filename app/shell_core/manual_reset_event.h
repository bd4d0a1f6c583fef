#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orb {

// A manual-reset event: once set it stays set, releasing every waiter, until reset.
class ManualResetEvent
{
public:
    explicit ManualResetEvent(bool initiallySet = false) : set_(initiallySet) {}

    void Set()
    {
        {
            std::lock_guard lock(mutex_);
            set_ = true;
        }
        changed_.notify_all();
    }

    void Reset()
    {
        std::lock_guard lock(mutex_);
        set_ = false;
    }

    bool IsSet() const
    {
        std::lock_guard lock(mutex_);
        return set_;
    }

    // True when the event was set within `timeout`.
    bool WaitFor(std::chrono::milliseconds timeout) const
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return set_; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_;
};

} // namespace orb
