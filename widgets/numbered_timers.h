#pragma once

#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace orb {

// Timers kept by number, as window timers are: starting a number again restarts it, and
// every tick reaches one handler with the number.
class NumberedTimers
{
public:
    using Handler = std::function<void(int id)>;

    explicit NumberedTimers(Handler handler) : handler_(std::move(handler)) {}

    void Start(int id, int intervalMs);
    void Stop(int id);
    bool IsActive(int id) const;
    int Interval(int id) const; // -1 when the timer was never started

    // Runs one tick now if the timer is active, as if it had fired; tests step fades with it.
    bool Fire(int id);

private:
    std::map<int, std::unique_ptr<QTimer>> timers_;
    Handler handler_;
};

} // namespace orb
