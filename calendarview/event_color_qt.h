#pragma once

#include "calendarview/event_color.h"

#include <QColor>

namespace orb {

inline QColor ToQColor(const RgbColor& color)
{
    return {color.red, color.green, color.blue};
}

} // namespace orb
