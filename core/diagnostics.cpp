#include "core/diagnostics.h"

#include "core/shorten_text.h"

#include <cstdio>

namespace orb {

void StdoutDiagnostics::WriteLine(const std::string& line)
{
    const std::string shown = ShortenText(line, kLongestLine);
    std::lock_guard lock(mutex_);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace orb
