#pragma once

#include "core/log_font.h"

#include <QFont>

namespace orb {

// Pixel size is |lfHeight|; an empty face is the application's own font family.
QFont FontFromLogFont(const LogFont& logFont);
// lfHeight is minus the pixel size (a point-sized font is converted at 96 dpi).
LogFont LogFontFromFont(const QFont& font);

} // namespace orb
