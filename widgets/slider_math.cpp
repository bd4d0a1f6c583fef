#include "widgets/slider_math.h"

#include <algorithm>
#include <cstdlib>

namespace orb {

namespace {
// The pixels over which the thumb centre travels.
int Travel(const SliderAxis& axis)
{
    return axis.channelLength - axis.marginStart - axis.marginEnd - axis.thumbLength;
}
} // namespace

int SliderPixelOfPos(const SliderAxis& axis, int pos)
{
    const long long range = static_cast<long long>(axis.maxPos) - axis.minPos;
    const long long offset = range != 0 ? Travel(axis) * (static_cast<long long>(pos) - axis.minPos) / range : 0;
    return axis.marginStart + static_cast<int>(offset) + axis.thumbLength / 2;
}

int SliderPosOfPixel(const SliderAxis& axis, int pixel)
{
    const int travel = Travel(axis);
    if (travel <= 0)
        return axis.minPos;
    const double fraction = static_cast<double>(pixel - axis.thumbLength / 2 - axis.marginStart) / travel;
    return axis.minPos + static_cast<int>(fraction * (static_cast<double>(axis.maxPos) - axis.minPos));
}

int SliderGrabOffset(const SliderAxis& axis, int mouse, int thumbCentre)
{
    const int offset = mouse - thumbCentre;
    return std::abs(offset) > axis.thumbLength / 2 ? 0 : offset;
}

int SliderClampPixel(const SliderAxis& axis, int pixel)
{
    return std::clamp(pixel, axis.marginStart, std::max(axis.marginStart, axis.channelLength - axis.marginEnd));
}

int SliderClampPos(const SliderAxis& axis, int pos)
{
    return std::clamp(pos, std::min(axis.minPos, axis.maxPos), std::max(axis.minPos, axis.maxPos));
}

} // namespace orb
