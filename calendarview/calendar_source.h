#pragma once

#include "service/records.h"

#include <functional>
#include <vector>

namespace orb {

// Where the month view reads the calendars from. The store calls `reader` while it holds
// its lock; the view keeps nothing it was handed beyond the call.
class CalendarSource
{
public:
    virtual ~CalendarSource() = default;
    virtual void ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const = 0;
};

} // namespace orb
