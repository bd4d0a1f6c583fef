#pragma once

#include <QIcon>

namespace orb {

// Registers the compiled-in resources (":/bitmaps/..."); safe to call any number of times.
// A static library's resources are only found after this has run once.
void EnsureResources();

// The program's icon in the sizes the package installs; the windows and the tray show it.
QIcon ApplicationIcon();

} // namespace orb
