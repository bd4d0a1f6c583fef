#include "tools/http2-front/child_process.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orb::front {

namespace {

// How long a child has to end after SIGTERM before it is killed.
constexpr auto kGraceTime = std::chrono::seconds(3);
constexpr auto kGracePoll = std::chrono::milliseconds(20);

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Closes a descriptor when it goes.
struct Descriptor
{
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd;
};

// `program` as a path execv can take: looked up in PATH when it names no folder.
std::string FindProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return program;
    const char* path = std::getenv("PATH");
    // Debian puts servers such as nghttpx in /usr/sbin, which a user's PATH often lacks.
    const std::string folders = std::string(path ? path : "/usr/bin:/bin") + ":/usr/local/sbin:/usr/sbin:/sbin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace

ChildProcess::~ChildProcess()
{
    Stop();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments, std::string& why,
                         bool keepErrors)
{
    const std::string found = FindProgram(program);
    if (found.empty()) {
        why = program + " is not installed (not found in PATH)";
        return false;
    }
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        why = std::string("no pipe: ") + std::strerror(errno);
        return false;
    }
    // Built before the fork: the child may only make async-signal-safe calls.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int ready[2] = {-1, -1};
    int errorEnds[2] = {-1, -1};
    if (::pipe2(ready, O_CLOEXEC) != 0 || (keepErrors && ::pipe2(errorEnds, O_CLOEXEC) != 0)) {
        why = std::string("no pipe: ") + std::strerror(errno);
        for (const int fd : {pipeEnds[0], pipeEnds[1], ready[0], ready[1]})
            ::close(fd);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        if (keepErrors)
            ::dup2(errorEnds[1], STDERR_FILENO);
        // Signals the caller blocked (a stand-in blocks SIGTERM) must reach the child.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(found.c_str(), argv.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    ::close(ready[1]);
    if (keepErrors)
        ::close(errorEnds[1]);
    errors_ = errorEnds[0];
    if (pid < 0) {
        ::close(pipeEnds[0]);
        ::close(ready[0]);
        why = std::string("cannot start ") + program + ": " + std::strerror(errno);
        return false;
    }
    // The exec closes the pipe on success; a failed exec writes its errno first.
    int execError = 0;
    const ssize_t got = ::read(ready[0], &execError, sizeof execError);
    ::close(ready[0]);
    pid_ = pid;
    output_ = pipeEnds[0];
    if (got == static_cast<ssize_t>(sizeof execError)) {
        Stop();
        why = "cannot start " + program + ": " + std::strerror(execError);
        return false;
    }
    return true;
}

bool ChildProcess::ReadLine(std::string& line, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t end = buffered_.find('\n');
        if (end != std::string::npos) {
            line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (output_ < 0 || left <= 0)
            return false;
        pollfd wait{output_, POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(left)) <= 0)
            continue;
        char chunk[4096];
        const ssize_t count = ::read(output_, chunk, sizeof chunk);
        if (count <= 0)
            return false;
        buffered_.append(chunk, static_cast<std::size_t>(count));
    }
}

bool ChildProcess::Running(int* status)
{
    if (pid_ <= 0)
        return false;
    int ended = 0;
    const pid_t reaped = ::waitpid(pid_, &ended, WNOHANG);
    if (reaped == 0)
        return true;
    if (status)
        *status = ended;
    pid_ = -1;
    return false;
}

std::string ChildProcess::TakeErrors()
{
    std::string text;
    if (errors_ < 0)
        return text;
    ::fcntl(errors_, F_SETFL, O_NONBLOCK);
    char chunk[4096];
    ssize_t count = 0;
    while ((count = ::read(errors_, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<std::size_t>(count));
    return text;
}

void ChildProcess::Stop()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + kGraceTime;
        while (Running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(kGracePoll);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    for (int* fd : {&output_, &errors_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

int FreeLoopbackPort()
{
    Descriptor probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (probe.fd < 0 || ::bind(probe.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(probe.fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

bool Accepts(int port)
{
    Descriptor probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = Loopback(port);
    return probe.fd >= 0 && ::connect(probe.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

} // namespace orb::front
