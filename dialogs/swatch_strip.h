#pragma once

#include "widgets/pixel_rect.h"

#include <array>
#include <vector>

namespace orb {

struct PixelPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// The colour squares of an editor: square 0 (the calendar's own colour) stands apart behind
// a separator, the numbered colours follow in rows. Painting and clicks share this geometry.
class SwatchStrip
{
public:
    static constexpr int kSwatchSize = 15;
    static constexpr int kFirstColourOffset = 40; // from square 0 to square 1
    static constexpr int kStep = 20;

    // Square 0 at `origin`, then `colours` squares, `perRow` to a row.
    SwatchStrip(PixelPoint origin, int colours, int perRow);

    int Count() const { return static_cast<int>(rects_.size()); }
    // An empty rectangle outside 0..Count()-1.
    PixelRect Rect(int index) const;
    // The square under a point, or -1.
    int At(int x, int y) const;

    // The separator runs down square 0's row, halfway between square 0 and square 1.
    int SeparatorX() const;
    int SeparatorTop() const { return rects_.front().top; }
    int SeparatorBottom() const { return rects_.front().bottom; }

    // The check mark drawn on the selected square: down to the middle, then up to the right.
    std::array<PixelPoint, 3> CheckMark(int index) const;

private:
    std::vector<PixelRect> rects_;
};

// The event editor: the calendar's colour and the 11 event colours in one row at y 300,
// starting at the description box's left edge.
SwatchStrip EventColourSwatches(int descriptionLeft);

// The calendar editor: the calendar's colour left of and below the description box, then the
// 24 calendar colours in two rows of 12.
SwatchStrip CalendarColourSwatches(int descriptionLeft, int descriptionBottom);

} // namespace orb
