#pragma once

#include "widgets/pixel_rect.h"

namespace orb {

enum class TipAlignment
{
    Left = 0,
    Centre = 1,
    Right = 2,
};

// Where the tip window goes for an anchor in screen coordinates: beside the anchor by the
// alignment, above it when it fits below `screenTop`, otherwise starting at its top edge.
PixelRect PlaceTip(const PixelRect& anchor, int textWidth, int lineHeight, int lineCount, TipAlignment alignment,
                   int screenTop);

// Timer interval of a fade: the time base spread over the steps from 0 to 255.
int TipFadeInterval(int fadeTime, int fadeStep);

} // namespace orb
