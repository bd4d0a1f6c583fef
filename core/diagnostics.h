#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace orb {

// The diagnostic lines the program writes to standard output.
class Diagnostics
{
public:
    virtual ~Diagnostics() = default;
    virtual void WriteLine(const std::string& line) = 0;
};

// `text` with nothing a terminal would act on: C0 controls, DEL and stray bytes become
// "\x1b", C1 controls "\u0085", a backslash "\\"; other UTF-8 stays as it is. Names and
// answers from the service can carry escape sequences meant for whoever reads the output.
std::string EscapeControlCharacters(std::string_view text);

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
