#include "app/shell_core/platform_choice.h"

#include <cstdlib>
#include <cstring>

namespace orb {

namespace {

constexpr const char* kX11 = "xcb";
constexpr const char* kWayland = "wayland";

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsWayland(const std::string& platform)
{
    return platform.compare(0, std::strlen(kWayland), kWayland) == 0;
}

// Qt takes the option with one dash or two, its value in the next argument.
bool IsPlatformOption(const char* argument)
{
    return std::strcmp(argument, "-platform") == 0 || std::strcmp(argument, "--platform") == 0;
}

} // namespace

PlatformEnvironment PlatformEnvironment::FromProcess(int argc, char** argv)
{
    PlatformEnvironment environment{Variable("WAYLAND_DISPLAY"), Variable("DISPLAY"), Variable("QT_QPA_PLATFORM"), {}};
    for (int i = 1; i + 1 < argc; ++i) {
        if (IsPlatformOption(argv[i]))
            environment.platformArgument = argv[i + 1];
    }
    return environment;
}

PlatformChoice ChoosePlatform(const PlatformEnvironment& environment)
{
    const std::string& chosen =
        environment.platformArgument.empty() ? environment.qtPlatform : environment.platformArgument;
    if (!chosen.empty()) {
        // Qt itself falls back to the next name of a list; only a sole Wayland one is sure.
        const bool wayland = IsWayland(chosen) && chosen.find(';') == std::string::npos;
        return {{}, wayland, "Window system: " + chosen + ", as asked"};
    }
    if (environment.waylandDisplay.empty())
        return {};
    if (!environment.display.empty())
        return {kX11, false, "Window system: X11 through XWayland, so the windows can be placed and stacked"};
    return {kWayland, true, "Window system: Wayland without XWayland; windows cannot be placed or stacked"};
}

std::vector<std::string> ArgumentsWithPlatform(int argc, char** argv, const PlatformChoice& choice)
{
    std::vector<std::string> arguments(argv, argv + argc);
    if (!choice.platform.empty()) {
        // Right after the program's name, ahead of anything that might end the options.
        arguments.insert(arguments.begin() + (argc > 0 ? 1 : 0), {"-platform", choice.platform});
    }
    return arguments;
}

} // namespace orb
