#pragma once

namespace orb {

// The application: wires the seams, the frame and the windows, and runs until Exit.
// There are no command-line options; the settings file in the current folder is the
// only configuration.
int RunOrbCalender(int argc, char** argv);

} // namespace orb
