#pragma once

class QWidget;

namespace orb {

// Whether a top-level window gets an entry of its own in the desktop's taskbar. Call it
// while the window is about to be mapped (from its show event): the window system reads
// the hint when the window appears. Where the platform has no such hint it does nothing.
void SetTaskbarEntry(QWidget* window, bool entry);

} // namespace orb
