#include "dialogs/swatch_strip.h"

namespace orb {

namespace {
constexpr int kEventSwatchTop = 300;
constexpr int kEventColours = 11;
constexpr int kCalendarColours = 24;
constexpr int kCalendarColoursPerRow = 12;
constexpr int kCalendarSwatchLeftOfBox = 40;
constexpr int kCalendarSwatchBelowBox = 5;
// Check mark corners, measured in from the square's edges.
constexpr int kCheckInset = 2;
constexpr int kCheckStartDrop = 5;
} // namespace

SwatchStrip::SwatchStrip(PixelPoint origin, int colours, int perRow)
{
    rects_.push_back({origin.x, origin.y, origin.x + kSwatchSize, origin.y + kSwatchSize});
    for (int k = 0; k < colours; ++k) {
        const int left = origin.x + kFirstColourOffset + kStep * (k % perRow);
        const int top = origin.y + kStep * (k / perRow);
        rects_.push_back({left, top, left + kSwatchSize, top + kSwatchSize});
    }
}

PixelRect SwatchStrip::Rect(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return rects_[static_cast<std::size_t>(index)];
}

int SwatchStrip::At(int x, int y) const
{
    for (int k = 0; k < Count(); ++k) {
        if (rects_[static_cast<std::size_t>(k)].Contains(x, y))
            return k;
    }
    return -1;
}

int SwatchStrip::SeparatorX() const
{
    const int first = rects_.front().right;
    const int next = Count() > 1 ? rects_[1].left : first;
    return (first + next) / 2;
}

std::array<PixelPoint, 3> SwatchStrip::CheckMark(int index) const
{
    const PixelRect r = Rect(index);
    return {PixelPoint{r.left + kCheckInset, r.top + kCheckStartDrop},
            PixelPoint{(r.left + r.right) / 2 - kCheckInset, r.bottom - kCheckInset},
            PixelPoint{r.right - 1, r.top + kCheckInset}};
}

SwatchStrip EventColourSwatches(int descriptionLeft)
{
    return SwatchStrip({descriptionLeft, kEventSwatchTop}, kEventColours, kEventColours);
}

SwatchStrip CalendarColourSwatches(int descriptionLeft, int descriptionBottom)
{
    return SwatchStrip({descriptionLeft - kCalendarSwatchLeftOfBox, descriptionBottom + kCalendarSwatchBelowBox},
                       kCalendarColours, kCalendarColoursPerRow);
}

} // namespace orb
