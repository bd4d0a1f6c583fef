#pragma once

#include "widgets/pixel_rect.h"

#include <QRect>

namespace orb {

// QRect's right() and bottom() are its last pixel, one short of PixelRect's edges, so both
// conversions go through the width and height.
inline QRect ToQRect(const PixelRect& rect)
{
    return {rect.left, rect.top, rect.Width(), rect.Height()};
}

inline PixelRect ToPixelRect(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

} // namespace orb
