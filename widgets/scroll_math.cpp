#include "widgets/scroll_math.h"

#include <algorithm>

namespace orb {

namespace {
// Track lengths over which the thumb travels, and the pointer-to-thumb offset.
constexpr int kVerticalTrackSpan = 87;
constexpr int kHorizontalTrackSpan = 90;
constexpr int kThumbStart = 25;
constexpr int kVerticalBottomReserve = 37;
constexpr int kVerticalLastThumb = 62;
constexpr int kHorizontalLastThumb = 51;
constexpr int kGrabCentre = 13;
constexpr int kVerticalDragSpan = 64;
constexpr int kHorizontalDragSpan = 75;

ScrollThumb Thumb(int trackSpan, int limit, int position)
{
    ScrollThumb thumb;
    thumb.interval = limit > 0 ? static_cast<double>(trackSpan) / limit : 0.0;
    thumb.pos = static_cast<int>(position * thumb.interval + kThumbStart);
    return thumb;
}

int ClampedPosition(double position, int limit)
{
    return std::clamp(static_cast<int>(position), 0, std::max(limit, 0));
}
} // namespace

ScrollThumb VerticalThumb(int height, int limit, int position)
{
    ScrollThumb thumb = Thumb(height - kVerticalTrackSpan, limit, position);
    if (height - kVerticalBottomReserve < thumb.pos + skin::kThumbLength)
        thumb.pos = height - kVerticalLastThumb;
    if (thumb.pos < kThumbStart)
        thumb.pos = kThumbStart;
    return thumb;
}

ScrollThumb HorizontalThumb(int width, int limit, int position)
{
    ScrollThumb thumb = Thumb(width - kHorizontalTrackSpan, limit, position);
    if (width - skin::kArrowLength < thumb.pos + skin::kThumbLength)
        thumb.pos = width - kHorizontalLastThumb;
    if (thumb.pos < kThumbStart)
        thumb.pos = kThumbStart;
    return thumb;
}

int VerticalDragPosition(int y, int height, int limit)
{
    const int span = height - kVerticalDragSpan;
    if (span <= 0)
        return 0;
    const int thumbPos = y - kGrabCentre;
    return ClampedPosition(limit * (static_cast<double>(thumbPos - skin::kThumbLength) / span), limit);
}

int HorizontalDragPosition(int x, int width, int limit)
{
    const int span = width - kHorizontalDragSpan;
    if (span <= 0)
        return 0;
    return ClampedPosition(static_cast<double>(limit) * (x - kGrabCentre) / span, limit);
}

bool VerticalContentOverflows(int height, int contentExtent)
{
    return height - skin::kThickness < contentExtent;
}

bool HorizontalContentOverflows(int width, int contentExtent)
{
    return width < contentExtent;
}

int NextFadeAlpha(int alpha)
{
    return std::max(alpha - skin::kFadeStep, skin::kFadedAlpha);
}

ScrollBarHitRects VerticalHitRects(int height, int thumbPos)
{
    return {{0, 0, skin::kThickness, skin::kArrowLength},
            {0, height - kVerticalBottomReserve, skin::kThickness, height - skin::kCornerSize},
            {0, thumbPos, skin::kThickness, thumbPos + skin::kThumbLength}};
}

ScrollBarHitRects HorizontalHitRects(int width, int thumbPos)
{
    return {{0, 0, skin::kArrowLength, skin::kHitThickness},
            {width - skin::kArrowLength, 0, width, skin::kHitThickness},
            {thumbPos, 0, thumbPos + skin::kThumbLength, skin::kHitThickness}};
}

} // namespace orb
