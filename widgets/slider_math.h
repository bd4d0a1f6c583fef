#pragma once

namespace orb {

// One axis of a bitmap slider: the channel, the thumb on it and the range it stands for.
struct SliderAxis
{
    int channelLength = 0;
    int thumbLength = 0;
    int marginStart = 0; // pixels kept free at the start of the channel
    int marginEnd = 0;
    int minPos = 0;
    int maxPos = 0;
};

// The pixel of the thumb centre for a position.
int SliderPixelOfPos(const SliderAxis& axis, int pos);
// The position for a thumb centre pixel, truncated (not clamped to the range).
int SliderPosOfPixel(const SliderAxis& axis, int pixel);
// Where in the thumb it was grabbed; 0 when the press was off the thumb, so that it jumps.
int SliderGrabOffset(const SliderAxis& axis, int mouse, int thumbCentre);
// A dragged pixel kept on the channel between the margins.
int SliderClampPixel(const SliderAxis& axis, int pixel);
int SliderClampPos(const SliderAxis& axis, int pos);

} // namespace orb
