#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace orb::front {

// A program run beside the caller, ended (SIGTERM, then SIGKILL) and reaped when the object
// goes. Its standard output can be read line by line; its standard error goes where the
// caller's does, or is kept for the caller to read.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` (looked up in PATH when it has no slash) with `arguments`. False with
    // why when it cannot be started.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& why,
               bool keepErrors = false);
    // The next line of its standard output, without the line feed; false at its end or after
    // `timeoutMs`.
    bool ReadLine(std::string& line, int timeoutMs);
    // Whether it still runs; when it ended, `status` says how (as waitpid tells it).
    bool Running(int* status = nullptr);
    // What it wrote to its standard error so far (only when started keeping it).
    std::string TakeErrors();
    void Stop();
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int errors_ = -1;
    std::string buffered_;
};

// A port on 127.0.0.1 that nobody listens on now; 0 when none could be had.
int FreeLoopbackPort();
// Whether something accepts connections on 127.0.0.1:`port`.
bool Accepts(int port);

} // namespace orb::front
