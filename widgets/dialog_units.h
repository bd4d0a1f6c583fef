#pragma once

#include <QRect>
#include <cmath>

namespace orb {

// Dialog templates give positions in dialog units; these are the pixel factors used
// everywhere so that windows keep the proportions they were designed with.
constexpr double kDluToPixelsX = 1.5;
constexpr double kDluToPixelsY = 1.625;

inline QRect DluRect(int x, int y, int width, int height)
{
    return QRect(static_cast<int>(x * kDluToPixelsX), static_cast<int>(y * kDluToPixelsY),
                 static_cast<int>(std::lround(width * kDluToPixelsX)),
                 static_cast<int>(std::lround(height * kDluToPixelsY)));
}

} // namespace orb
