#include "app/shell_core/platform_choice.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

struct Case
{
    const char* name;
    PlatformEnvironment environment;
    const char* platform;
    bool waylandLimits;
};

// Every session a desktop starts, and the user's own word over ours.
TEST(PlatformChoice, XWaylandRunsOnX11WaylandAloneSaysWhatItCannotAndTheUserDecidesFirst)
{
    const Case cases[] = {
        {"X11 session", {"", ":0", "", ""}, "", false},
        {"Wayland with XWayland", {"wayland-0", ":0", "", ""}, "xcb", false},
        {"Wayland alone", {"wayland-0", "", "", ""}, "wayland", true},
        {"no session at all: Qt says so itself", {"", "", "", ""}, "", false},
        {"QT_QPA_PLATFORM=wayland under XWayland", {"wayland-0", ":0", "wayland", ""}, "", true},
        {"QT_QPA_PLATFORM=xcb on Wayland alone", {"wayland-0", "", "xcb", ""}, "", false},
        {"QT_QPA_PLATFORM=offscreen", {"wayland-0", ":0", "offscreen", ""}, "", false},
        {"a list falls back by itself", {"wayland-0", ":0", "wayland;xcb", ""}, "", false},
        {"-platform over the variable", {"wayland-0", ":0", "xcb", "wayland-egl"}, "", true},
        {"-platform under XWayland", {"wayland-0", ":0", "", "xcb"}, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlatformChoice choice = ChoosePlatform(c.environment);
        EXPECT_EQ(choice.platform, c.platform);
        EXPECT_EQ(choice.waylandLimits, c.waylandLimits);
        // Whenever Wayland is involved the diagnostics say what was chosen.
        EXPECT_EQ(choice.diagnostic.empty(), c.environment.waylandDisplay.empty() && c.environment.qtPlatform.empty() &&
                                                 c.environment.platformArgument.empty());
    }
    EXPECT_EQ(ChoosePlatform({"wayland-0", ":0", "", ""}).diagnostic,
              "Window system: X11 through XWayland, so the windows can be placed and stacked");
}

TEST(PlatformChoice, TheChoiceGoesRightAfterTheProgramNameAndAnArgumentIsRead)
{
    char program[] = "orbcalender";
    char option[] = "--config-folder";
    char* argv[] = {program, option};
    EXPECT_EQ(ArgumentsWithPlatform(2, argv, {"xcb", false, ""}),
              (std::vector<std::string>{"orbcalender", "-platform", "xcb", "--config-folder"}));
    EXPECT_EQ(ArgumentsWithPlatform(2, argv, {}), (std::vector<std::string>{"orbcalender", "--config-folder"}));

    char platform[] = "-platform";
    char name[] = "offscreen";
    char* given[] = {program, platform, name};
    EXPECT_EQ(PlatformEnvironment::FromProcess(3, given).platformArgument, "offscreen");
    // An option without its value is not a choice.
    EXPECT_EQ(PlatformEnvironment::FromProcess(2, given).platformArgument, "");
}

} // namespace
} // namespace orb
