#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace orb {

// Turns SIGTERM, SIGINT and the desktop session ending into one orderly exit request, and
// guarantees the process ends soon after even when the user-interface thread cannot get
// there (blocked in a call, or inside a loop nobody closed).
class ExitSignals
{
public:
    struct Actions
    {
        // Called on the watcher thread; must hand the request to the user-interface thread.
        std::function<void()> requestExit;
        // Called on the watcher thread when the deadline passes or a second signal comes;
        // saves what must not be lost. The process then ends.
        std::function<void()> lastResort;
    };

    ExitSignals(Actions actions, std::chrono::milliseconds deadline);
    ~ExitSignals(); // stops watching
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

    // The same request as a signal, from any thread (the desktop session ending).
    void Request();

private:
    struct Watcher;
    std::unique_ptr<Watcher> watcher_;
};

// The process has two seconds from the first signal; the user-interface thread gets most
// of it for an orderly teardown.
constexpr std::chrono::milliseconds kExitDeadline{1500};

} // namespace orb
