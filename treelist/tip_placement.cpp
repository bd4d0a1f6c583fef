#include "treelist/tip_placement.h"

#include <algorithm>

namespace orb {

namespace {
constexpr int kLeftPadding = 4;
constexpr int kRightPadding = 6;
constexpr int kHeightPadding = 5;
constexpr int kOpaque = 255;
} // namespace

PixelRect PlaceTip(const PixelRect& anchor, int textWidth, int lineHeight, int lineCount, TipAlignment alignment,
                   int screenTop)
{
    PixelRect moved = anchor;
    moved.left -= 1;
    moved.top -= 1;

    PixelRect window = moved;
    switch (alignment) {
    case TipAlignment::Left:
        window.right = moved.left + textWidth + kLeftPadding;
        break;
    case TipAlignment::Right:
        window.left = moved.right - textWidth - kRightPadding;
        break;
    case TipAlignment::Centre: {
        const int widen = (textWidth - moved.Width()) / 2;
        window.left = moved.left - widen;
        window.right = moved.right + widen;
        break;
    }
    }

    const int height = lineHeight * lineCount + kHeightPadding;
    if (moved.top - height >= screenTop) {
        window.bottom = moved.top;
        window.top = moved.top - height;
    } else {
        window.top = moved.top;
        window.bottom = moved.top + height;
    }
    return window;
}

int TipFadeInterval(int fadeTime, int fadeStep)
{
    // A step of 0 or above 255 would divide by zero.
    const int steps = std::max(1, kOpaque / std::clamp(fadeStep, 1, kOpaque));
    return std::max(1, fadeTime / steps);
}

} // namespace orb
