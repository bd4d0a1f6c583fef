#pragma once

#include "widgets/scroll_math.h"

namespace orb {

// What a skinned scroll bar reads from and sends to the control it scrolls.
class SkinScrollTarget
{
public:
    virtual ~SkinScrollTarget() = default;
    virtual int ScrollLimit(ScrollOrientation orientation) const = 0;
    virtual int ScrollPosition(ScrollOrientation orientation) const = 0;
    // Sets the position directly (thumb dragging) and repaints.
    virtual void SetScrollPosition(ScrollOrientation orientation, int position) = 0;
    virtual void Scroll(ScrollOrientation orientation, ScrollAction action) = 0;
    // Pixels the content needs: vertically the header and every shown row, horizontally
    // the shown columns.
    virtual int ContentExtent(ScrollOrientation orientation) const = 0;
};

} // namespace orb
