#pragma once

#include "calendarview/month_layout.h"
#include "core/log_font.h"

namespace orb {

// What the month view reads and changes of the user's settings; its host keeps the
// settings file's fields in step.
struct MonthViewSettings
{
    int rowCount = kMaxWeekRows; // week rows shown, 1..6
    LogFont calendarFont;
};

} // namespace orb
