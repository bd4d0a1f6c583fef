#pragma once

#include "widgets/pixel_rect.h"

namespace orb {

enum class ScrollOrientation
{
    Vertical,
    Horizontal,
};

enum class ScrollAction
{
    LineBack = 0,
    LineForward = 1,
    PageBack = 2,
    PageForward = 3,
};

// Sizes of the skinned bars' pieces.
namespace skin {
constexpr int kThickness = 12;
constexpr int kHitThickness = 20; // the horizontal bar's hit rectangles reach this far
constexpr int kArrowLength = 26;
constexpr int kThumbLength = 26;
constexpr int kCornerSize = 11;
constexpr int kVisibleAlpha = 254;
constexpr int kFadedAlpha = 10;
constexpr int kFadeStep = 2;
} // namespace skin

struct ScrollThumb
{
    double interval = 0.0; // pixels per scroll unit
    int pos = 0;           // top (or left) pixel of the thumb
};

// Thumb placement from the target's scroll limit and position along a bar of `length`.
ScrollThumb VerticalThumb(int height, int limit, int position);
ScrollThumb HorizontalThumb(int width, int limit, int position);

// The scroll position for a thumb dragged to `pointer`, clamped to 0..limit.
int VerticalDragPosition(int y, int height, int limit);
int HorizontalDragPosition(int x, int width, int limit);

// True when the target's content does not fit, so the bar shows at full strength.
bool VerticalContentOverflows(int height, int contentExtent);
bool HorizontalContentOverflows(int width, int contentExtent);

// One tick of the fade towards kFadedAlpha.
int NextFadeAlpha(int alpha);

// The pieces of a bar that a press can hit.
struct ScrollBarHitRects
{
    PixelRect back;
    PixelRect forward;
    PixelRect thumb;
};

ScrollBarHitRects VerticalHitRects(int height, int thumbPos);
ScrollBarHitRects HorizontalHitRects(int width, int thumbPos);

} // namespace orb
