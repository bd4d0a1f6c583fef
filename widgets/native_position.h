#pragma once

class QWidget;

namespace orb {

// Keeps the window system's record of a top-level window's place in step with the widget's.
// A borderless window that a reparenting window manager (openbox) puts in an undecorated
// frame can be recorded at (0, 0): Qt asks the server where the window is after the
// reparenting, before the frame has been placed, and nothing corrects it later. Every pop-up
// the window opens (a drop-down list, a date picker's calendar) is then placed from that
// wrong origin, at the top left of the screen. Each time the window is exposed, a recorded
// place that differs from the widget's is set again. Call once the window has a handle.
void KeepNativePosition(QWidget* window);

} // namespace orb
