#include "app/exit_signals.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace orb {

namespace {

// One process, one set of handlers: the handler can only reach a global.
int signalWriteEnd = -1;

constexpr char kSignalByte = 1;
constexpr char kStopByte = 0;

void OnTerminationSignal(int)
{
    const char byte = kSignalByte;
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
}

// -1 on timeout or error, else the byte read.
int ReadByte(int fd, int timeoutMs)
{
    pollfd wait{fd, POLLIN, 0};
    if (::poll(&wait, 1, timeoutMs) <= 0)
        return -1;
    char byte = 0;
    return ::read(fd, &byte, 1) == 1 ? byte : -1;
}

} // namespace

struct ExitSignals::Watcher
{
    Actions actions;
    std::chrono::milliseconds deadline;
    int fds[2] = {-1, -1};
    std::thread thread;

    void Run()
    {
        // Blocks until the first signal (or the stop byte at a normal end).
        if (ReadByte(fds[1], -1) != kSignalByte)
            return;
        actions.requestExit();
        const int next = ReadByte(fds[1], static_cast<int>(deadline.count()));
        if (next == kStopByte)
            return; // the orderly exit finished in time
        actions.lastResort();
        std::fflush(stdout);
        std::_Exit(0);
    }
};

ExitSignals::ExitSignals(Actions actions, std::chrono::milliseconds deadline) : watcher_(std::make_unique<Watcher>())
{
    watcher_->actions = std::move(actions);
    watcher_->deadline = deadline;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, watcher_->fds) != 0)
        return;
    signalWriteEnd = watcher_->fds[0];
    watcher_->thread = std::thread([watcher = watcher_.get()] { watcher->Run(); });
    struct sigaction action
    {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

ExitSignals::~ExitSignals()
{
    if (watcher_->fds[0] < 0)
        return;
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    const char byte = kStopByte;
    [[maybe_unused]] const ssize_t written = ::write(watcher_->fds[0], &byte, 1);
    watcher_->thread.join();
    signalWriteEnd = -1;
    ::close(watcher_->fds[0]);
    ::close(watcher_->fds[1]);
}

void ExitSignals::Request()
{
    if (watcher_->fds[0] < 0)
        return;
    const char byte = kSignalByte;
    [[maybe_unused]] const ssize_t written = ::write(watcher_->fds[0], &byte, 1);
}

} // namespace orb
