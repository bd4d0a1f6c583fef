#pragma once

#include <mutex>
#include <string>

namespace orb {

// The diagnostic lines the program writes to standard output.
class Diagnostics
{
public:
    virtual ~Diagnostics() = default;
    virtual void WriteLine(const std::string& line) = 0;
};

// Each line ends with a line feed and is flushed at once, so a crash loses nothing. A
// service can answer with megabytes; a line keeps its first kLongestLine characters.
class StdoutDiagnostics : public Diagnostics
{
public:
    static constexpr std::size_t kLongestLine = 16384;
    void WriteLine(const std::string& line) override;

private:
    std::mutex mutex_;
};

} // namespace orb
