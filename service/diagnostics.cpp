#include "service/diagnostics.h"

#include <cstdio>

namespace orb {

void StdoutDiagnostics::WriteLine(const std::string& line)
{
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace orb
