#include "app/orb_calender_app.h"
#include "app/shell_core/platform_choice.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
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
