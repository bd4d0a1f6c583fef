#pragma once

namespace orb {

// Registers the compiled-in resources (":/bitmaps/..."); safe to call any number of times.
// A static library's resources are only found after this has run once.
void EnsureResources();

} // namespace orb
