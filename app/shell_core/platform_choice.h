#pragma once

#include <string>
#include <vector>

namespace orb {

// What the process was started with that decides the window system.
struct PlatformEnvironment
{
    std::string waylandDisplay;   // WAYLAND_DISPLAY
    std::string display;          // DISPLAY
    std::string qtPlatform;       // QT_QPA_PLATFORM
    std::string platformArgument; // the value of a -platform argument; empty without one

    static PlatformEnvironment FromProcess(int argc, char** argv);
};

struct PlatformChoice
{
    // The platform to ask Qt for; empty leaves Qt's own choice (the user's, or no session).
    std::string platform;
    // Running on Wayland itself: the windows cannot be placed or kept on a layer.
    bool waylandLimits = false;
    // One line for the diagnostics; empty when there is nothing to say.
    std::string diagnostic;
};

// On Wayland a program cannot place its windows or keep them below or above the others,
// which is what the window modes are; through XWayland it can. So a Wayland session with
// XWayland runs on X11. The user's own choice always stands.
PlatformChoice ChoosePlatform(const PlatformEnvironment& environment);

// The arguments for the application object with the choice applied.
std::vector<std::string> ArgumentsWithPlatform(int argc, char** argv, const PlatformChoice& choice);

} // namespace orb
