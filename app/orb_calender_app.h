#pragma once

namespace orb {

struct PlatformChoice;

// The application: wires the seams, the frame and the windows, and runs until Exit.
// There are no command-line options; the settings file in the current folder is the
// only configuration.
// `platform` is the window system main() asked for, to be said once.
int RunOrbCalender(int argc, char** argv, const PlatformChoice& platform);

} // namespace orb
