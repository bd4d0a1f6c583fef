#include "app/orb_calender_app.h"
#include "app/shell_core/platform_choice.h"

#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// The load pass reads its listings on many threads, and glibc gives each its own heap,
// which keeps what a pass freed long after it ended: two are enough for a few parsers.
constexpr int kMallocArenas = 2;

} // namespace

int main(int argc, char** argv)
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, kMallocArenas);
#endif
    // Decided before the application object exists: it picks the window system.
    const orb::PlatformChoice platform = orb::ChoosePlatform(orb::PlatformEnvironment::FromProcess(argc, argv));
    std::vector<std::string> arguments = orb::ArgumentsWithPlatform(argc, argv, platform);
    // The application object keeps pointers into these for its whole life.
    std::vector<char*> argumentPointers;
    for (std::string& argument : arguments)
        argumentPointers.push_back(argument.data());
    argumentPointers.push_back(nullptr);
    return orb::RunOrbCalender(static_cast<int>(arguments.size()), argumentPointers.data(), platform);
}
